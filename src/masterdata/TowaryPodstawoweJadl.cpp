#include "masterdata/TowaryPodstawoweJadl.h"
#include "shell/FormUtil.h"

TTowaryPodstawowe::TTowaryPodstawowe(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("TowaryPodstawowe"), QStringLiteral("TOWARY PODSTAWOWE - WPROWADZANIE, PRZEGLĄD  I MODYFIKACJA"), 900, 600);
}
