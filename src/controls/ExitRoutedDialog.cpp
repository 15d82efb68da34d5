#include "controls/ExitRoutedDialog.h"

#include "controls/Guarded.h"
#include "controls/PendingEdits.h"

#include <QCloseEvent>
#include <QScopedValueRollback>

namespace jadl {

void ExitRoutedDialog::reject()
{
    if (!exit_ || closing_) {
        QDialog::reject();
        return;
    }
    const QScopedValueRollback inside(closing_, true);
    exit_();
}

void ExitRoutedDialog::closeEvent(QCloseEvent* event)
{
    if (closing_) {
        QDialog::closeEvent(event);
        return;
    }
    if (event->spontaneous()) {
        bool settled = false;
        runGuarded([this, &settled] { settled = settlePendingEdits(tablesEditedBy(this)); });
        if (!settled) {
            event->ignore();
            return;
        }
    }
    // The close box, or a close from code (the handler's own): the window goes.
    const QScopedValueRollback inside(closing_, true);
    QDialog::closeEvent(event);
}

} // namespace jadl
