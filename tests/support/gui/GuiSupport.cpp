#include "support/gui/GuiSupport.h"

#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QToolButton>

namespace jadl::test {

QWidget* topLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            return w;
    return nullptr;
}

Table* tableNamed(const QString& name)
{
    if (name == QLatin1String("TableStawkiVat"))
        return forms().StawkiVatJadlon->TableStawkiVat;
    if (name == QLatin1String("TableJednostkiMiar"))
        return forms().JednostkiMiarJadlon->TableJednostkiMiar;
    return forms().ModulDanych1->findChild<Table*>(name);
}

void runCommand(const QString& command)
{
    TMeni* meni = forms().Meni;
    if (auto* b = meni->findChild<QToolButton*>(command))
        b->click();
    else if (auto* a = meni->findChild<QAction*>(command))
        a->trigger();
    else
        QFAIL(qPrintable(QStringLiteral("no command ") + command));
}

} // namespace jadl::test
