#pragma once
// Table files may only be copied or replaced while no connection to them is
// open: a second handle on a database file in the same process would also drop
// SQLite's locks on it. TablesOffline closes every table it is given and, when it
// goes, opens again those that were open, except the ones the caller leaves
// closed.
#include <QList>
#include <QPointer>

#include <functional>

namespace jadl {
class Table;
}

namespace jadl::archive {

class TablesOffline {
public:
    // Closes every table of `tables` (pending edits are cancelled). Tables of
    // `leaveClosed` are closed too but never reopened.
    TablesOffline(const QList<Table*>& tables, const QList<Table*>& leaveClosed);
    ~TablesOffline(); // reopen(), with any error shown in the error box
    TablesOffline(const TablesOffline&) = delete;
    TablesOffline& operator=(const TablesOffline&) = delete;

    // Opens again the tables that were open, in the given order, once. An error of
    // one table is passed on after the others have been opened.
    void reopen();
    // The tables that will be opened again.
    QList<Table*> toReopen() const;

private:
    QList<QPointer<Table>> reopen_;
    bool done_ = false;
};

// Every table of the running program, as the start-up knows them: what a backup
// or a restore takes offline.
using TableList = std::function<QList<Table*>()>;

} // namespace jadl::archive
