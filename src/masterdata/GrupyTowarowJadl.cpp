#include "masterdata/GrupyTowarowJadl.h"
#include "shell/FormUtil.h"

TGrupyTowarow::TGrupyTowarow(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("GrupyTowarow"), QStringLiteral("GRUPY TOWARÓW"), 420, 420);
}
