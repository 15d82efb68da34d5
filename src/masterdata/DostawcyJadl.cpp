#include "masterdata/DostawcyJadl.h"
#include "shell/FormUtil.h"

TDostawcy::TDostawcy(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Dostawcy"), QStringLiteral("DOSTAWCY FIRMY"), 780, 560);
}
