#include "archive/TablesOffline.h"

#include "controls/Guarded.h"
#include "store/Table.h"

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

} // namespace jadl::archive
