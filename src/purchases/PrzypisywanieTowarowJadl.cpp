#include "purchases/PrzypisywanieTowarowJadl.h"
#include "shell/FormUtil.h"

TPrzypisywanieTowarow::TPrzypisywanieTowarow(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("PrzypisywanieTowarow"), QStringLiteral("PRZYPISYWANIE TOWARÓW DOSTAWCOM"), 1000, 700);
}
