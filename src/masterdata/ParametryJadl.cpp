#include "masterdata/ParametryJadl.h"
#include "shell/FormUtil.h"

TParametry::TParametry(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Parametry"), QStringLiteral("PARAMETRY"), 700, 520);
}
