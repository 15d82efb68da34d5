#include "archive/TablesOffline.h"

#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "purchases/TowaryJadl.h"
#include "shell/Application.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QApplication>
#include <QWidget>

#include <exception>

namespace jadl::archive {

TablesOffline::TablesOffline(const QList<Table*>& tables, const QList<Table*>& leaveClosed)
{
    QList<Table*> seen;
    for (Table* t : tables) {
        if (!t || seen.contains(t))
            continue;
        seen.append(t);
        if (!t->active())
            continue;
        t->close();
        if (!leaveClosed.contains(t))
            reopen_.append(QPointer<Table>(t));
    }
    for (Table* t : leaveClosed) {
        if (t && t->active())
            t->close();
    }
}

TablesOffline::~TablesOffline()
{
    if (done_)
        return;
    try {
        reopen();
    } catch (...) {
        reportCurrentException();
    }
}

void TablesOffline::reopen()
{
    if (done_)
        return;
    done_ = true;
    std::exception_ptr firstError;
    for (const QPointer<Table>& t : reopen_) {
        if (!t || t->active())
            continue;
        try {
            t->open();
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

QList<Table*> TablesOffline::toReopen() const
{
    QList<Table*> out;
    for (const QPointer<Table>& t : reopen_) {
        if (t)
            out.append(t.data());
    }
    return out;
}

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
    for (QWidget* w : QApplication::topLevelWidgets()) {
        for (Table* t : w->findChildren<Table*>())
            add(t);
    }
    return out;
}

} // namespace jadl::archive
