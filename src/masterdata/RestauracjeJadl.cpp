#include "masterdata/RestauracjeJadl.h"

#include "platform/Messages.h"
#include "shell/FormUtil.h"

#include <QCloseEvent>

TRestauracje::TRestauracje(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Restauracje"), QStringLiteral("Restauracje"), 700, 520);
}

void TRestauracje::closeEvent(QCloseEvent* event)
{
    if (!MoznaZamknac) {
        jadl::platform::showMessage(QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\""));
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TRestauracje::reject()
{
    // Escape and the title bar end here too: same refusal as closing.
    if (!MoznaZamknac) {
        jadl::platform::showMessage(QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\""));
        return;
    }
    QDialog::reject();
}
