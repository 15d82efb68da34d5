#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "shell/FormUtil.h"

TUsuwaniePrzypisanychTowarow::TUsuwaniePrzypisanychTowarow(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("UsuwaniePrzypisanychTowarow"), QStringLiteral("USUWANIE PRZYPISANYCH TOWARÓW ZA LATA POPRZEDNIE"), 640, 480);
}
