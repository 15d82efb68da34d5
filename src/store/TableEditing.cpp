#include "store/DataEvent.h"
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "store/internal/MasterLink.h"
#include "store/internal/RowCache.h"
#include "store/internal/SchemaMerge.h"
#include "store/internal/TableState.h"
#include "store/internal/TableStorage.h"
#include "store/internal/TableView.h"
#include "store/internal/TableWriter.h"
#include "store/internal/Values.h"
#include "store/internal/ViewRemoval.h"
#include "store/internal/ViewSums.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <algorithm>
#include <optional>

// The table cursor's editing: edit, insert, append, post, cancel, delete, the
// ordinals the windows give, and batches of posts in one transaction.
namespace jadl {

using namespace detail;

// ================================================================ editing

bool Table::hasUnsavedChanges() const
{
    const auto& s = *s_;
    if (s.state == DataSetState::Edit)
        return std::find(s.edit.dirty.begin(), s.edit.dirty.end(), true) != s.edit.dirty.end();
    if (s.state != DataSetState::Insert)
        return false;
    const auto& now = s.edit.buffer;
    const auto& start = s.edit.insertStart;
    for (size_t i = 0; i < now.size(); ++i) {
        const QVariant& b = i < start.size() ? start[i] : QVariant();
        if (now[i].isNull() != b.isNull() || (!now[i].isNull() && now[i] != b))
            return true;
    }
    return false;
}

namespace {

void giveOrdinal(Table& t, TableState& s, const QString& fieldName, TableState::Edit::Ordinal o)
{
    if (!s.editing())
        throw EngineError(s.displayName() + QStringLiteral(": Dataset not in edit or insert mode"));
    Field& f = t.fieldByName(fieldName);
    o.field = f.index();
    f.setLargeInt(o.proposed);
    s.edit.ordinal = std::move(o);
}

} // namespace

void Table::assignOrdinal(const QString& fieldName)
{
    syncView();
    checkActive();
    auto& s = *s_;
    TableState::Edit::Ordinal o;
    o.scope = s.view.condition;
    o.counted = tablewriter::countUnderCondition(s, o.scope);
    // A view that holds every record of its condition counts them as the engine
    // does now (another workstation's additions included); one a filter thins out
    // counts what it shows.
    o.proposed = (s.view.everyRowPasses ? o.counted : qint64(s.view.ids.size())) + 1;
    giveOrdinal(*this, s, fieldName, std::move(o));
}

void Table::assignOrdinal(const QString& fieldName, const QString& scopeField, const QVariant& scopeValue)
{
    checkActive();
    auto& s = *s_;
    const Field& scope = fieldByName(scopeField);
    TableState::Edit::Ordinal o;
    if (scopeValue.isNull()) {
        o.scope.where << quoteId(scope.fieldName()) + QStringLiteral(" IS NULL");
    } else {
        o.scope.where << quoteId(scope.fieldName()) + QStringLiteral(" = ?");
        o.scope.binds.push_back({normalizeValue(scope.def(), scopeValue), &scope.def()});
    }
    o.counted = tablewriter::countUnderCondition(s, o.scope);
    o.proposed = o.counted + 1;
    giveOrdinal(*this, s, fieldName, std::move(o));
}

void Table::keepAsDefaults()
{
    if (s_->state == DataSetState::Insert)
        s_->edit.insertStart = s_->edit.buffer;
}

void Table::updateRecord()
{
    if (s_->editing())
        notify(EvUpdateRecord);
}

void Table::edit()
{
    syncView();
    checkActive();
    auto& s = *s_;
    if (s.editing())
        return;
    if (s.view.ids.empty()) {
        insert();
        return;
    }
    if (s.pos < 0)
        s.pos = 0;
    // Edit starts from the record as the file holds it now.
    const qint64 id = s.view.ids[size_t(s.pos)];
    rowcache::drop(s, id);
    const CachedRow* r = rowcache::wholeRow(s, id);
    if (!r)
        throw EngineError(s.displayName() + QStringLiteral(": Record has been deleted by another user"), s.path);
    s.edit.buffer = r->values;
    s.edit.dirty.assign(s.fields.size(), false);
    s.edit.ordinal.reset();
    s.state = DataSetState::Edit;
    s.modified = false;
    notify(EvStateChanged);
}

void Table::insert()
{
    syncView();
    checkActive();
    checkBrowseMode();
    auto& s = *s_;
    s.edit.buffer.assign(s.fields.size(), QVariant());
    s.edit.dirty.assign(s.fields.size(), false);
    masterlink::seedNewRecord(s);
    s.edit.insertStart = s.edit.buffer;
    s.edit.ordinal.reset();
    s.edit.postToken = s.postTokenSql.isEmpty() ? QByteArray() : QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    s.state = DataSetState::Insert;
    s.modified = false;
    notify(EvStateChanged);
    notify(EvDataSetChanged);
}

void Table::append()
{
    insert();
}

void Table::post()
{
    syncView();
    checkActive();
    auto& s = *s_;
    if (!s.editing())
        return; // nothing pending
    notify(EvUpdateRecord);
    if (!s.editing())
        return; // a control cancelled
    if (s.beforePost) {
        s.beforePost(*this); // Abort leaves the record in its state
        if (!s.editing())
            return; // the handler cancelled: nothing is written
    }
    const bool inserting = s.state == DataSetState::Insert;
    qint64 id = inserting ? kFirstRecord : s.currentId();
    const bool anyDirty = std::find(s.edit.dirty.begin(), s.edit.dirty.end(), true) != s.edit.dirty.end();
    bool rebuild = inserting;
    if (inserting || anyDirty) {
        try {
            id = tablewriter::post(s, inserting, id);
        } catch (const ConnectionLost& e) {
            // A batch's transaction went with the connection: all of its posts are undone.
            if (s.batchDepth > 0)
                throw ConnectionLost(e.text() +
                                         QStringLiteral(" Cała operacja została wycofana – nic z niej nie "
                                                        "zostało zapisane."),
                                     e.file());
            // The record stays as typed, to be saved again once the server is back.
            if (!e.outcomeUnknown())
                throw ConnectionLost(e.text() +
                                         QStringLiteral(" Zapis nie został wykonany – wprowadzone dane czekają "
                                                        "w oknie, zapisz je ponownie."),
                                     e.file());
            // A new record carries its post token, an edit writes the same values again.
            if (!inserting || !s.postTokenSql.isEmpty())
                throw ConnectionLost::atCommit(e.text() +
                                                   QStringLiteral(" Wprowadzone dane czekają w oknie; zapisz je "
                                                                  "ponownie, gdy serwer będzie dostępny – "
                                                                  "to, co już dotarło, nie zostanie zapisane "
                                                                  "drugi raz."),
                                               e.file());
            throw ConnectionLost::atCommit(e.text() +
                                               QStringLiteral(" Gdy serwer będzie dostępny, odśwież widok i "
                                                              "sprawdź, czy pozycja jest zapisana, zanim "
                                                              "zapiszesz ją ponownie."),
                                           e.file());
        }
        if (!inserting)
            rebuild = tableview::touches(s, s.edit.dirty);
    }

    s.state = DataSetState::Browse;
    s.modified = false;
    s.edit.buffer.clear();
    s.edit.dirty.clear();
    // The record moves to its place in the view (or out of it); the rest stays as read.
    try {
        if (rebuild && !tableview::place(s, id, inserting))
            tableview::rebuild(s, id);
    } catch (const ConnectionLost&) {
        // Inside a batch nothing is written yet: the batch goes with the connection.
        if (s.conn->inTransaction())
            throw;
        // The record is written; the view is read again by the next reader, which
        // meets the lost connection itself.
        markViewStale();
    }
    notify(EvStateChanged);
    notify(rebuild ? EvDataSetChanged : EvRecordChanged, -1);
    if (s.afterPost)
        s.afterPost(*this);
}

void Table::cancel()
{
    auto& s = *s_;
    if (!s.editing())
        return;
    const bool wasInsert = s.state == DataSetState::Insert;
    s.state = DataSetState::Browse;
    s.modified = false;
    s.edit.buffer.clear();
    s.edit.dirty.clear();
    s.edit.ordinal.reset();
    notify(EvStateChanged);
    notify(wasInsert ? EvDataSetChanged : EvRecordChanged, -1);
}

void Table::deleteRecord()
{
    syncView();
    checkActive();
    auto& s = *s_;
    if (s.state == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    if (s.view.ids.empty() || s.pos < 0)
        throw EngineError(s.displayName() + QStringLiteral(": Cannot perform this operation on an empty dataset"));
    tablewriter::remove(s, s.view.ids[size_t(s.pos)]);
    s.view.ids.erase(size_t(s.pos));
    const int n = int(s.view.ids.size());
    if (s.pos >= n)
        s.pos = n - 1;
    s.bof = s.eof = n == 0;
    notify(EvDataSetChanged);
}

void Table::refresh()
{
    checkActive();
    checkBrowseMode();
    auto& s = *s_;
    rowcache::dropAll(s);
    masterlink::follow(s);
    tableview::rebuild(s, s.currentId());
    notify(EvDataSetChanged);
}

// ================================================================ batch

Table::Batch::Batch(Table& table) : table_(table)
{
    table_.checkActive();
    tablewriter::beginBatch(*table_.s_);
}

Table::Batch::~Batch()
{
    auto& s = *table_.s_;
    if (done_ || !s.conn)
        return;
    tablewriter::rollbackBatch(s);
    forgetUndone();
}

void Table::Batch::forgetUndone() noexcept
{
    // What the view showed of the undone posts is gone again; a view that cannot
    // be read now is read by the next reader.
    auto& s = *table_.s_;
    try {
        table_.cancel();
        rowcache::dropAll(s);
        tableview::rebuild(s, s.currentId());
        table_.notify(EvDataSetChanged);
    } catch (...) {
        s.view.stale = true;
    }
}

void Table::Batch::commit()
{
    if (done_)
        return;
    done_ = true;
    if (!table_.s_->conn)
        return;
    try {
        tablewriter::commitBatch(*table_.s_);
    } catch (...) {
        // A commit that fails writes nothing of the batch.
        forgetUndone();
        throw;
    }
}

} // namespace jadl
