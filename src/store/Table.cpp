#include "store/Table.h"

#include "store/DataEvent.h"
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/TableDefs.h"
#include "store/internal/GroupedSums.h"
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
#include <QScopedValueRollback>
#include <QUuid>

#include <algorithm>
#include <optional>

// The table cursor: properties, lifecycle, moves, editing and notifications.
// The work is done by the engine's units on the table's one TableState:
// SchemaMerge (the file on open), TableView (the view), RowCache (reads),
// TableWriter (writes) and MasterLink (the link to a master table).
namespace jadl {

using namespace detail;

// ================================================================ the table: properties

Table::Table(QObject* parent, const QString& objectName) : QObject(parent), s_(std::make_unique<TableState>(*this))
{
    setObjectName(objectName);
}

Table::~Table()
{
    s_->disableCount = 1 << 20; // nobody is told about a table that goes away
    for (const auto& c : s_->masterConnections)
        disconnect(c);
    try {
        close();
    } catch (...) { }
}

QString Table::databaseName() const
{
    return s_->databaseName;
}
QString Table::tableName() const
{
    return s_->tableName;
}
bool Table::exclusive() const
{
    return s_->exclusive;
}
QString Table::indexName() const
{
    return s_->indexName;
}
DataSource* Table::masterSource() const
{
    return s_->masterSource;
}
QString Table::masterFields() const
{
    return s_->masterFields;
}
bool Table::filtered() const
{
    return s_->filtered;
}
QList<FieldDef>& Table::fieldDefs()
{
    return s_->fieldDefs;
}
QList<IndexDef>& Table::indexDefs()
{
    return s_->indexDefs;
}
bool Table::active() const
{
    return s_->state != DataSetState::Inactive;
}
bool Table::controlsDisabled() const
{
    return s_->disableCount > 0;
}
DataSetState Table::state() const
{
    return s_->state;
}
bool Table::modified() const
{
    return s_->modified;
}
int Table::fieldCount() const
{
    return int(s_->fields.size());
}

void Table::checkActive() const
{
    if (!active())
        throw EngineError(s_->displayName() + QStringLiteral(": Cannot perform this operation on a closed dataset"));
}

namespace {

void checkClosed(const TableState& s)
{
    if (s.state != DataSetState::Inactive)
        throw EngineError(s.displayName() + QStringLiteral(": Cannot perform this operation on an open dataset"));
}

} // namespace

void Table::setDatabaseName(const QString& name)
{
    checkClosed(*s_);
    s_->databaseName = name;
}

void Table::setTableName(const QString& name)
{
    checkClosed(*s_);
    s_->tableName = name;
    // Like persistent fields: a declared table has its fields before it opens.
    if (const TableDef* def = tabledefs::find(name))
        setupFields(def->fields);
}

void Table::setExclusive(bool on)
{
    checkClosed(*s_);
    s_->exclusive = on;
}

namespace {

// Where the table is kept: a directory's files or a server's database.
std::unique_ptr<TableStorage> storageOf(const TableState& s)
{
    if (s.tableName.isEmpty())
        throw EngineError(s.displayName() + QStringLiteral(": Missing TableName property"));
    return TableStorage::at(s.databaseName.isEmpty() ? DataLocation{} : Aliases::resolve(s.databaseName));
}

// The definition a new table is made from.
TableDef definitionFor(const TableState& s, const QString& where)
{
    TableDef def;
    if (!s.fieldDefs.isEmpty()) {
        def.fields = s.fieldDefs;
        def.indexes = s.indexDefs;
    } else if (const TableDef* known = tabledefs::find(s.tableName)) {
        def = *known;
    } else {
        throw EngineError(s.displayName() + QStringLiteral(": No field definitions"), where);
    }
    return def;
}

} // namespace

QString Table::filePath() const
{
    return storageOf(*s_)->displayPath(s_->tableName);
}

bool Table::exists() const
{
    return storageOf(*s_)->exists(s_->tableName);
}

void Table::setupFields(const QList<FieldDef>& defs)
{
    auto& s = *s_;
    // Callers keep Field references across close and open: a field stays the
    // same object as long as the table has a field of that name.
    std::vector<std::unique_ptr<Field>> old = std::move(s.fields);
    s.fields.clear();
    for (int i = 0; i < defs.size(); ++i) {
        auto it = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<Field>& f) {
            return f && f->fieldName().compare(defs[i].name, Qt::CaseInsensitive) == 0;
        });
        if (it != old.end()) {
            (*it)->rebind(i, defs[i]);
            s.fields.push_back(std::move(*it));
        } else {
            s.fields.push_back(std::make_unique<Field>(this, i, defs[i]));
        }
    }
    for (auto& f : old) {
        if (f) {
            f->rebind(-1, f->def()); // reads now fail instead of reading another field
            s.retiredFields.push_back(std::move(f));
        }
    }
    s.byName.clear();
    s.byExactName.clear();
    for (int i = 0; i < defs.size(); ++i) {
        s.byName.insert(defs[i].name.toLower(), i);
        s.byExactName.insert(defs[i].name, i);
    }
}

// ================================================================ lifecycle

void Table::createTable()
{
    auto& s = *s_;
    checkClosed(s);
    const auto storage = storageOf(s);
    const QString path = storage->displayPath(s.tableName);
    // Creating a table replaces whatever table had its name.
    storage->create(s.tableName, definitionFor(s, path), s.displayName());
}

void Table::open()
{
    if (active())
        return;
    auto& s = *s_;
    const auto storage = storageOf(s);
    TableRequest request;
    request.name = s.tableName;
    request.known = tabledefs::find(s.tableName);
    request.own.fields = s.fieldDefs;
    request.own.indexes = s.indexDefs;
    request.exclusive = s.exclusive;
    request.displayName = s.displayName();
    const QString path = storage->displayPath(s.tableName);
    OpenedTable opened = storage->open(request);

    s.path = path;
    s.sqlName = quoteId(opened.schema.file.tableIdent);
    s.keySql = opened.keySql;
    s.postTokenSql = opened.postTokenSql;
    s.writesReachOthers = opened.writesReachOthers;
    s.kept = opened.kept;
    s.indexes = opened.schema.indexes;
    s.keyColumns = opened.schema.keyColumns;
    setupFields(opened.schema.fields);
    if (!s.indexName.isEmpty() && !s.findIndex(s.indexName))
        throw EngineError(s.displayName() + QStringLiteral(": Index '%1' not found").arg(s.indexName), path);

    s.conn = std::move(opened.conn);
    rowcache::reset(s);
    tableview::resetFilter(s);
    s.state = DataSetState::Browse;
    s.modified = false;
    s.pos = -1;
    try {
        masterlink::follow(s);
        tableview::rebuild(s, kFirstRecord);
    } catch (...) {
        s.conn.reset();
        s.view.ids.clear();
        s.state = DataSetState::Inactive;
        throw;
    }
    notify(EvStateChanged);
    notify(EvDataSetChanged);
}

void Table::close()
{
    if (!active())
        return;
    auto& s = *s_;
    s.edit.buffer.clear();
    s.edit.dirty.clear();
    rowcache::forgetStatements(s);
    s.conn.reset(); // an unfinished batch is rolled back here
    s.batchDepth = 0;
    s.view.ids.clear();
    s.view.stale = false;
    rowcache::dropAll(s);
    s.link = {};
    s.state = DataSetState::Inactive;
    s.modified = false;
    s.pos = -1;
    s.bof = s.eof = true;
    notify(EvStateChanged);
    notify(EvDataSetChanged);
}

void Table::pack()
{
    syncView();
    checkActive();
    auto& s = *s_;
    if (!s.exclusive)
        throw EngineError(s.displayName() + QStringLiteral(": Table must be opened exclusively"), s.path);
    if (s.batchDepth > 0)
        throw EngineError(s.displayName() + QStringLiteral(": Cannot pack inside a transaction"), s.path);
    checkBrowseMode();
    tablewriter::compact(s);
    tableview::rebuild(s, kFirstRecord);
    notify(EvDataSetChanged);
}

void Table::flushBuffers()
{
    checkActive();
    tablewriter::flush(*s_);
}

// ================================================================ indexes, link, filter

QStringList Table::indexFieldNames() const
{
    return s_->indexFieldNames();
}

void Table::setIndexName(const QString& name)
{
    syncView();
    auto& s = *s_;
    if (!active()) {
        s.indexName = name;
        return;
    }
    const IndexDef* ix = name.isEmpty() ? nullptr : s.findIndex(name);
    if (!name.isEmpty() && !ix)
        throw EngineError(s.displayName() + QStringLiteral(": Index '%1' not found").arg(name), s.path);
    checkBrowseMode();
    const qint64 keep = s.currentId();
    s.indexName = ix ? ix->name : QString();
    masterlink::follow(s);
    tableview::rebuild(s, keep);
    notify(EvDataSetChanged);
}

void Table::setMasterSource(DataSource* source)
{
    auto& s = *s_;
    if (s.masterSource == source)
        return;
    for (const auto& c : s.masterConnections)
        disconnect(c);
    s.masterConnections.clear();
    s.masterSource = source;
    if (source) {
        auto& mc = s.masterConnections;
        mc.push_back(connect(source, &DataSource::dataSetChanged, this, [this] { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::dataSetScrolled, this, [this] { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::recordChanged, this, [this](int) { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::stateChanged, this, [this] { masterChanged(); }));
    }
    masterChanged();
}

void Table::setMasterFields(const QString& fields)
{
    s_->masterFields = fields;
    masterChanged();
}

void Table::masterChanged()
{
    if (!active())
        return;
    auto& s = *s_;
    TableState::Link now = masterlink::compute(s);
    if (now.values == s.link.values && now.fields == s.link.fields)
        return;
    checkBrowseMode();
    s.link = std::move(now);
    tableview::rebuild(s, kFirstRecord);
    notify(EvDataSetChanged);
}

void Table::setFiltered(bool on)
{
    auto& s = *s_;
    if (!active()) {
        s.filtered = on;
        return;
    }
    checkBrowseMode();
    if (s.filtered == on) {
        first();
        return;
    }
    s.filtered = on;
    // The unfiltered view waits for its first reader: windows turn the filter
    // off and straight on again, and the callbacks run when the filter is set.
    if (on)
        tableview::rebuild(s, kFirstRecord);
    else
        markViewStale();
    notify(EvDataSetChanged);
}

void Table::setOnFilterRecord(FilterRecordFn fn)
{
    auto& s = *s_;
    s.onFilterRecord = std::move(fn);
    s.filter.columns.clear();
    if (active() && s.filtered) {
        checkBrowseMode();
        tableview::rebuild(s, s.currentId());
        notify(EvDataSetChanged);
    }
}

void Table::setPreFilter(PreFilterFn fn)
{
    s_->preFilter = std::move(fn);
}

void Table::setBeforePost(TableEventFn fn)
{
    s_->beforePost = std::move(fn);
}

void Table::setAfterPost(TableEventFn fn)
{
    s_->afterPost = std::move(fn);
}

void Table::setLeaveRecord(LeaveRecordFn fn)
{
    s_->leaveRecord = std::move(fn);
}

void Table::markViewStale()
{
    s_->view.stale = true;
    s_->pos = -1;
}

void Table::syncView() const
{
    auto& s = *s_;
    if (!s.view.stale)
        return;
    try {
        tableview::rebuild(s, kFirstRecord);
    } catch (...) {
        s.view.stale = true; // the next read tries again and reports the error again
        throw;
    }
}

// ================================================================ navigation

bool Table::bof() const
{
    syncView();
    return s_->bof;
}

bool Table::eof() const
{
    syncView();
    return s_->eof;
}

int Table::currentRow() const
{
    syncView();
    return s_->pos;
}

bool Table::isEmpty() const
{
    syncView();
    return !active() || (s_->view.ids.empty() && s_->state != DataSetState::Insert);
}

int Table::recordCount() const
{
    syncView();
    return active() ? int(s_->view.ids.size()) : 0;
}

int Table::recNo() const
{
    syncView();
    return s_->pos >= 0 ? s_->pos + 1 : 0;
}

qint64 Table::idAt(int row) const
{
    syncView();
    const auto& ids = s_->view.ids;
    if (row < 0 || row >= int(ids.size()))
        return -1;
    return ids[size_t(row)];
}

std::optional<int> Table::rowOf(qint64 id) const
{
    syncView();
    if (!active())
        return std::nullopt;
    const std::optional<size_t> at = s_->view.ids.find(id);
    return at ? std::optional<int>(int(*at)) : std::nullopt;
}

void Table::checkBrowseMode()
{
    auto& s = *s_;
    if (!s.editing())
        return;
    if (!hasUnsavedChanges()) {
        cancel(); // nothing typed: a new record nobody wrote is not stored
        return;
    }
    LeaveAction action = LeaveAction::Post;
    if (s.leaveRecord && !s.inLeaveRecord) {
        const QScopedValueRollback inside(s.inLeaveRecord, true);
        action = s.leaveRecord(*this);
    }
    switch (action) {
    case LeaveAction::Post:
        post();
        return;
    case LeaveAction::Saved:
        // A save that refused the record and left it pending keeps the cursor on it.
        if (s.editing())
            throw Abort();
        return;
    case LeaveAction::Discard:
        cancel();
        return;
    case LeaveAction::Stay:
        throw Abort();
    }
}

void Table::first()
{
    syncView();
    checkActive();
    checkBrowseMode();
    s_->view.ids.resyncIfChanged(); // a window follows other workstations' posts
    auto& s = *s_;
    const int old = s.pos;
    const bool empty = s.view.ids.empty();
    s.pos = empty ? -1 : 0;
    s.bof = true;
    s.eof = empty;
    if (old != s.pos)
        notify(EvDataSetScrolled);
}

void Table::last()
{
    syncView();
    checkActive();
    checkBrowseMode();
    s_->view.ids.resyncIfChanged(); // a window follows other workstations' posts
    auto& s = *s_;
    const int old = s.pos;
    const int n = int(s.view.ids.size());
    s.pos = n - 1;
    s.eof = true;
    s.bof = n == 0;
    if (old != s.pos)
        notify(EvDataSetScrolled);
}

void Table::next()
{
    moveBy(1);
}

void Table::prior()
{
    moveBy(-1);
}

void Table::moveBy(int distance)
{
    syncView();
    checkActive();
    checkBrowseMode();
    auto& s = *s_;
    const int n = int(s.view.ids.size());
    if (n == 0) {
        s.bof = s.eof = true;
        return;
    }
    if (distance == 0)
        return;
    const int old = s.pos;
    const qint64 target = qint64(std::max(s.pos, 0)) + distance;
    if (target >= n) {
        s.pos = n - 1;
        s.eof = true;
        s.bof = false;
    } else if (target < 0) {
        s.pos = 0;
        s.bof = true;
        s.eof = false;
    } else {
        s.pos = int(target);
        s.bof = s.eof = false;
    }
    if (old != s.pos)
        notify(EvDataSetScrolled);
}

void Table::setRecNo(int recNo)
{
    syncView();
    checkActive();
    checkBrowseMode();
    s_->view.ids.resyncIfChanged(); // a window follows other workstations' posts
    auto& s = *s_;
    const int n = int(s.view.ids.size());
    if (n == 0)
        return;
    const int old = s.pos;
    s.pos = std::clamp(recNo, 1, n) - 1;
    s.bof = s.eof = false;
    if (old != s.pos)
        notify(EvDataSetScrolled);
}

bool Table::locate(const QString& fieldName, const QVariant& value)
{
    syncView();
    checkActive();
    checkBrowseMode();
    s_->view.ids.resyncIfChanged(); // a window follows other workstations' posts
    auto& s = *s_;
    const int fi = fieldIndex(fieldName);
    if (fi < 0)
        throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(s.displayName(), fieldName));
    const std::optional<int> found = tableview::locate(s, fi, value);
    if (!found)
        return false;
    const int old = s.pos;
    s.pos = *found;
    s.bof = s.eof = false;
    if (old != s.pos)
        notify(EvDataSetScrolled);
    return true;
}

// ================================================================ display updates

void Table::notify(int event, int fieldIndex)
{
    if (s_->disableCount > 0)
        return;
    const auto sources = s_->sources; // a slot may attach or detach sources
    for (const auto& ds : sources)
        if (ds)
            ds->notify(event, fieldIndex);
}

void Table::disableControls()
{
    ++s_->disableCount;
}

void Table::enableControls()
{
    if (s_->disableCount == 0)
        return;
    if (--s_->disableCount == 0)
        notify(EvDataSetChanged);
}

void Table::attachDataSource(DataSource* ds)
{
    for (const auto& src : s_->sources)
        if (src == ds)
            return;
    s_->sources.emplace_back(ds);
}

void Table::detachDataSource(DataSource* ds)
{
    auto& v = s_->sources;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const QPointer<DataSource>& src) { return !src || src == ds; }),
            v.end());
}

// ================================================================ fields

QVariant Table::currentValue(int fieldIndex)
{
    syncView();
    auto& s = *s_;
    if (fieldIndex < 0 || fieldIndex >= int(s.fields.size()))
        throw EngineError(s.displayName() + QStringLiteral(": Field index out of range"));
    if (s.filter.active)
        return tableview::filterValue(s, size_t(fieldIndex));
    if (s.editing())
        return s.edit.buffer[size_t(fieldIndex)];
    if (!active() || s.pos < 0 || s.pos >= int(s.view.ids.size()))
        return {};
    return rowcache::valueAt(s, s.pos, fieldIndex);
}

void Table::setCurrentValue(int fieldIndex, const QVariant& v)
{
    auto& s = *s_;
    if (fieldIndex < 0 || fieldIndex >= int(s.fields.size()))
        throw EngineError(s.displayName() + QStringLiteral(": Field index out of range"));
    if (!s.editing())
        throw EngineError(s.displayName() + QStringLiteral(": Dataset not in edit or insert mode"));
    const FieldDef& def = s.def(size_t(fieldIndex));
    if (def.type == FieldType::AutoInc)
        throw EngineError(s.displayName() + QStringLiteral(": Field '%1' cannot be modified").arg(def.name));
    const QVariant nv = normalizeValue(def, v);
    QVariant& slot = s.edit.buffer[size_t(fieldIndex)];
    const bool changed = slot.isNull() != nv.isNull() || (!nv.isNull() && slot != nv);
    slot = nv;
    if (changed)
        s.edit.dirty[size_t(fieldIndex)] = true;
    s.modified = true;
    notify(EvRecordChanged, fieldIndex);
}

Field& Table::field(int index)
{
    if (index < 0 || index >= int(s_->fields.size()))
        throw EngineError(s_->displayName() + QStringLiteral(": Field index out of range"));
    return *s_->fields[size_t(index)];
}

Field* Table::findField(const QString& name)
{
    const int i = s_->fieldIndex(name);
    return i < 0 ? nullptr : s_->fields[size_t(i)].get();
}

Field& Table::fieldByName(const QString& name)
{
    if (Field* f = findField(name))
        return *f;
    throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(s_->displayName(), name));
}

int Table::fieldIndex(const QString& name) const
{
    return s_->fieldIndex(name);
}

QVariant Table::valueAt(int row, int fieldIndex)
{
    syncView();
    auto& s = *s_;
    if (!active() || row < 0 || row >= int(s.view.ids.size()) || fieldIndex < 0 || fieldIndex >= int(s.fields.size()))
        return {};
    if (row == s.pos && s.state == DataSetState::Edit)
        return s.edit.buffer[size_t(fieldIndex)];
    return rowcache::valueAt(s, row, fieldIndex);
}

// ================================================================ whole view

namespace {
std::vector<int> fieldIndexes(Table& t, const QStringList& names)
{
    std::vector<int> out;
    for (const QString& n : names)
        out.push_back(t.fieldByName(n).index());
    return out;
}
} // namespace

std::vector<double> Table::sumsOverView(const QStringList& fields)
{
    syncView();
    checkActive();
    return viewsums::sums(*s_, fieldIndexes(*this, fields));
}

std::map<qint64, std::vector<double>> Table::sumsOverViewBy(const QString& groupField, const QStringList& fields)
{
    syncView();
    checkActive();
    const int group = fieldByName(groupField).index();
    return viewsums::sumsBy(*s_, group, fieldIndexes(*this, fields));
}

std::map<qint64, qint64> Table::countsOverViewBy(const QString& groupField)
{
    syncView();
    checkActive();
    return viewsums::countsBy(*s_, fieldByName(groupField).index());
}

std::vector<GroupedRow> Table::groupedSums(const GroupedQuery& query)
{
    checkActive();
    return groupedsums::sums(*s_, query);
}

std::vector<QVariantList> Table::selectRows(const RowsQuery& query)
{
    checkActive();
    return groupedsums::rows(*s_, query);
}

int Table::storeByKey(const QString& keyField, const QStringList& fields,
                      const std::map<qint64, std::vector<double>>& values, double fallback)
{
    syncView();
    checkActive();
    checkBrowseMode();
    auto& s = *s_;
    const int key = fieldByName(keyField).index();
    const std::vector<int> columns = fieldIndexes(*this, fields);
    for (int c : columns)
        if (s.def(size_t(c)).type != FieldType::Float)
            throw EngineError(QStringLiteral("%1: Field '%2' is not a float field")
                                  .arg(s.displayName(), s.fields[size_t(c)]->fieldName()),
                              s.path);
    if (s.view.ids.empty())
        return 0;
    const qint64 current = s.currentId();
    qint64 changed = 0;
    {
        Transaction tx(*s.conn);
        // A window names its records by its condition: they are read once here.
        const std::vector<qint64> ids = s.view.ids.windowed() ? tableview::allIds(s) : s.view.ids.list();
        changed = s.conn->dialect().storeByKey(s, ids, key, columns, values, fallback);
        tx.commit();
    }
    rowcache::dropAll(s);
    tableview::rebuild(s, current);
    notify(EvDataSetChanged);
    return int(changed);
}

int Table::removeFromView(const QString& fieldName, const std::function<bool(const QVariant&)>& picks,
                          const Progress& progress)
{
    syncView();
    checkActive();
    checkBrowseMode();
    cancel();
    auto& s = *s_;
    const int field = fieldByName(fieldName).index();
    const int removed = viewremoval::remove(s, field, picks, progress);
    rowcache::dropAll(s);
    tableview::rebuild(s, kFirstRecord);
    notify(EvDataSetChanged);
    return removed;
}

} // namespace jadl
