#include "controls/ExitRoutedDialog.h"

#include "controls/Guarded.h"
#include "controls/PendingEdits.h"

#include <QCloseEvent>

namespace jadl {

namespace {
struct Flag {
    bool& b;
    explicit Flag(bool& f) : b(f) { b = true; }
    ~Flag() { b = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;
};
} // namespace

void ExitRoutedDialog::reject()
{
    if (!exit_ || closing_) {
        QDialog::reject();
        return;
    }
    const Flag inside(closing_);
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
    const Flag inside(closing_);
    QDialog::closeEvent(event);
}

} // namespace jadl
