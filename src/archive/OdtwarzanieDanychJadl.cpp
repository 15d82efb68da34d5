#include "archive/OdtwarzanieDanychJadl.h"
#include "shell/FormUtil.h"

TOdtwarzanieDanych::TOdtwarzanieDanych(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("OdtwarzanieDanych"), QStringLiteral("ODTWARZANIE DANYCH JADLONI"), 640, 480);
}
