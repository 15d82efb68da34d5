#include "shell/ProgramTables.h"

#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QApplication>
#include <QWidget>

namespace jadl {

QList<Table*> programTables()
{
    QList<Table*> out;
    const auto add = [&out](Table* t) {
        if (t && !out.contains(t))
            out.append(t);
    };
    const Forms& f = forms();
    if (f.ModulDanych1) {
        for (Table* t : f.ModulDanych1->tables())
            add(t);
        for (Table* t : f.ModulDanych1->findChildren<Table*>())
            add(t);
    }
    if (f.JednostkiMiarJadlon)
        add(f.JednostkiMiarJadlon->TableJednostkiMiar);
    if (f.StawkiVatJadlon)
        add(f.StawkiVatJadlon->TableStawkiVat);
    if (f.Towary)
        add(f.Towary->TableTowaryRaport);
    // Whatever table another window keeps of its own.
    for (QWidget* w : QApplication::topLevelWidgets())
        for (Table* t : w->findChildren<Table*>())
            add(t);
    return out;
}

} // namespace jadl
