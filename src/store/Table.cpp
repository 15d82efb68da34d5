#include "store/Table.h"

#include "common/Collation.h"
#include "store/DataEvent.h"
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/SortKeys.h"
#include "store/SqliteFile.h"
#include "store/TableDefs.h"
#include "store/TableSchema.h"
#include "store/TableState.h"
#include "store/Values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace jadl {

using namespace detail;

// ================================================================ row cache

namespace rowcache {
namespace {

// Rows kept for grids and reports; a screenful or a report page is far less.
constexpr size_t kCachedRows = 2048;
// Records read together when a loop or a grid walks the view: one read
// transaction (and its file locks) per block instead of per record. A block
// holds about kBlockCells values, so narrow reads come in longer blocks.
constexpr int kBlockCells = 8192;
constexpr int kMinBlockRows = 32;
constexpr int kMaxBlockRows = 256;

void store(TableState& s, qint64 id, CachedRow&& row)
{
    auto& c = s.cache;
    if (c.rows.count(id))
        return;
    if (c.rows.size() >= kCachedRows) {
        c.rows.erase(c.lru.back());
        c.lru.pop_back();
    }
    c.lru.push_front(id);
    c.rows.emplace(id, std::make_pair(std::move(row), c.lru.begin()));
}

QString blockSql(TableState& s)
{
    auto& c = s.cache;
    c.blockRows = std::clamp(kBlockCells / int(c.readColumns.size()), kMinBlockRows, kMaxBlockRows);
    QString cols;
    for (int col : c.readColumns)
        cols += QStringLiteral(", ") + quoteId(s.fields[size_t(col)]->fieldName());
    QStringList marks;
    for (int i = 0; i < c.blockRows; ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("SELECT rowid%1 FROM %2 WHERE rowid IN (%3)").arg(cols, s.sqlName, marks.join(QLatin1Char(',')));
}

// The record at viewPos and the following ones that miss any of the columns read so far.
void readBlock(TableState& s, int viewPos)
{
    auto& c = s.cache;
    const size_t nFields = s.fields.size();
    const bool whole = c.readColumns.size() == nFields;
    const size_t width = whole ? nFields : size_t(c.readColumns.back()) + 1;   // readColumns is sorted
    if (c.blockSql.isEmpty())
        c.blockSql = blockSql(s);
    auto lacks = [&](qint64 id) {
        const auto it = c.rows.find(id);
        if (it == c.rows.end())
            return true;
        const CachedRow& r = it->second.first;
        return std::any_of(c.readColumns.begin(), c.readColumns.end(), [&](int col) { return !r.has(size_t(col)); });
    };
    const auto& ids = s.view.ids;
    std::vector<qint64> wanted;
    for (size_t p = size_t(viewPos); p < ids.size() && wanted.size() < size_t(c.blockRows); ++p)
        if (p == size_t(viewPos) || lacks(ids[p]))
            wanted.push_back(ids[p]);

    SQLite::Statement& st = s.file->statement(c.blockSql);
    ResetOnExit reset(st);
    s.file->guard([&] {
        for (int i = 0; i < c.blockRows; ++i) {
            if (size_t(i) < wanted.size())
                st.bind(i + 1, int64_t(wanted[size_t(i)]));
            else
                st.bind(i + 1);
        }
        while (st.executeStep()) {
            const qint64 id = st.getColumn(0).getInt64();
            const auto it = c.rows.find(id);
            if (it != c.rows.end()) {
                // Columns read earlier stay; the block adds the ones this record missed.
                CachedRow& r = it->second.first;
                if (r.have.empty())
                    continue;
                if (r.have.size() < width) {
                    r.values.resize(width);
                    r.have.resize(width, 0);
                }
                for (size_t k = 0; k < c.readColumns.size(); ++k) {
                    const size_t col = size_t(c.readColumns[k]);
                    if (!r.have[col]) {
                        r.values[col] = readColumn(s.def(col), st.getColumn(int(k) + 1));
                        r.have[col] = 1;
                    }
                }
                if (whole)
                    r.have.clear();
                continue;
            }
            CachedRow row;
            row.values.resize(width);
            if (!whole)
                row.have.assign(width, 0);
            for (size_t k = 0; k < c.readColumns.size(); ++k) {
                const size_t col = size_t(c.readColumns[k]);
                row.values[col] = readColumn(s.def(col), st.getColumn(int(k) + 1));
                if (!whole)
                    row.have[col] = 1;
            }
            store(s, id, std::move(row));
        }
    });
}

} // namespace

void dropAll(TableState& s)
{
    s.cache.rows.clear();
    s.cache.lru.clear();
}

void drop(TableState& s, qint64 id)
{
    auto& c = s.cache;
    const auto it = c.rows.find(id);
    if (it == c.rows.end())
        return;
    c.lru.erase(it->second.second);
    c.rows.erase(it);
}

void forgetStatements(TableState& s)
{
    s.cache.rowStatement = nullptr;
}

void reset(TableState& s)
{
    auto& c = s.cache;
    QStringList cols;
    for (const auto& f : s.fields)
        cols << quoteId(f->fieldName());
    c.rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(cols.join(QStringLiteral(", ")), s.sqlName);
    c.rowStatement = nullptr;
    c.readColumns.clear();
    c.readKnown.assign(s.fields.size(), 0);
    c.blockSql.clear();
    dropAll(s);
}

const CachedRow* wholeRow(TableState& s, qint64 id)
{
    auto& c = s.cache;
    const auto it = c.rows.find(id);
    if (it != c.rows.end()) {
        if (it->second.first.have.empty()) {
            c.lru.splice(c.lru.begin(), c.lru, it->second.second);
            return &it->second.first;
        }
        drop(s, id);   // only some columns were read: the whole record is wanted here
    }
    if (!c.rowStatement)
        c.rowStatement = &s.file->statement(c.rowSql);
    SQLite::Statement& st = *c.rowStatement;
    ResetOnExit reset(st);
    CachedRow row;
    const bool found = s.file->guard([&] {
        st.bind(1, int64_t(id));
        if (!st.executeStep())
            return false;
        row.values.reserve(s.fields.size());
        for (size_t i = 0; i < s.fields.size(); ++i)
            row.values.push_back(readColumn(s.def(i), st.getColumn(int(i))));
        return true;
    });
    if (!found)
        return nullptr;
    store(s, id, std::move(row));
    return &c.rows.find(id)->second.first;
}

QVariant valueAt(TableState& s, int viewPos, int fieldIndex)
{
    auto& c = s.cache;
    const size_t fi = size_t(fieldIndex);
    const qint64 id = s.view.ids[size_t(viewPos)];
    if (const auto it = c.rows.find(id); it != c.rows.end() && it->second.first.has(fi)) {
        c.lru.splice(c.lru.begin(), c.lru, it->second.second);
        return it->second.first.values[fi];
    }
    if (!c.readKnown[fi]) {
        c.readKnown[fi] = 1;
        c.readColumns.push_back(fieldIndex);
        std::sort(c.readColumns.begin(), c.readColumns.end());
        c.blockSql.clear();
    }
    readBlock(s, viewPos);
    const auto it = c.rows.find(id);
    return it != c.rows.end() ? it->second.first.values[fi] : QVariant();
}

} // namespace rowcache

// ================================================================ master link

namespace masterlink {
namespace {

QStringList splitFields(const QString& list)
{
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace

TableState::Link compute(const TableState& s)
{
    TableState::Link out;
    if (!s.masterSource || s.state == DataSetState::Inactive)
        return out;
    Table* master = s.masterSource->dataSet();
    if (!master || master == &s.table || !master->active())
        return out;
    const QStringList masterNames = splitFields(s.masterFields);
    const QStringList keys = s.indexFieldNames();
    const int n = int(std::min(masterNames.size(), keys.size()));
    for (int i = 0; i < n; ++i) {
        Field* mf = master->findField(masterNames[i]);
        const int di = s.fieldIndex(keys[i]);
        if (!mf || di < 0)
            return {};   // transient combination while the properties are being set: no restriction
        QVariant v = mf->value();
        try {
            v = normalizeValue(s.def(size_t(di)), v);
        } catch (const EngineError&) {
        }
        out.values << v;
        out.fields << s.fields[size_t(di)]->fieldName();
    }
    return out;
}

void follow(TableState& s)
{
    s.link = compute(s);
}

void seedNewRecord(TableState& s)
{
    // A new detail record belongs to the master's current record.
    for (int i = 0; i < s.link.fields.size(); ++i) {
        const int fi = s.fieldIndex(s.link.fields[i]);
        if (fi >= 0 && s.def(size_t(fi)).type != FieldType::AutoInc) {
            s.edit.buffer[size_t(fi)] = s.link.values[i];
            s.edit.dirty[size_t(fi)] = true;
        }
    }
}

} // namespace masterlink

// ================================================================ view

namespace tableview {
namespace {

struct Condition {
    QStringList where;
    struct Bind { QVariant value; const FieldDef* def; };   // def: bound as that field; none: as given
    std::vector<Bind> binds;
};

// The master link's and the pre-filter's conditions; notes the columns the pre-filter reads.
Condition condition(TableState& s)
{
    Condition out;
    for (int i = 0; i < s.link.fields.size(); ++i) {
        const int fi = s.fieldIndex(s.link.fields[i]);
        out.where << quoteId(s.link.fields[i]) + QStringLiteral(" IS ?");
        out.binds.push_back({s.link.values[i], &s.def(size_t(fi))});
    }
    s.filter.preFilterColumns.clear();
    if (s.filtered && s.preFilter) {
        const SqlPreFilter pf = s.preFilter();
        if (!pf.where.trimmed().isEmpty()) {
            std::vector<int> reads;
            for (const QString& name : pf.columns) {
                const int fi = s.fieldIndex(name);
                if (fi < 0)
                    throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(s.displayName(), name), s.path);
                reads.push_back(fi);
            }
            out.where << QLatin1Char('(') + pf.where + QLatin1Char(')');
            for (const QVariant& v : pf.binds)
                out.binds.push_back({v, nullptr});
            s.filter.preFilterColumns = std::move(reads);
        }
    }
    return out;
}

// Texts in Polish order: through their sort keys where the file keeps them.
QString orderBy(const TableState& s)
{
    QStringList order;
    for (const QString& k : s.indexFieldNames())
        order << quoteId(s.keyColumns.value(k.toLower(), k));
    order << QStringLiteral("rowid");
    return order.join(QStringLiteral(", "));
}

// Marks the filter pass for the callback's field reads, however the pass ends.
class FilterPass {
public:
    explicit FilterPass(TableState::Filter& f) : f_(f)
    {
        f_.active = true;
        f_.restart = false;
    }
    ~FilterPass() { f_.active = false; }
    FilterPass(const FilterPass&) = delete;
    FilterPass& operator=(const FilterPass&) = delete;
private:
    TableState::Filter& f_;
};

void buildIds(TableState& s)
{
    const bool filtering = s.filtered && bool(s.onFilterRecord);
    const Condition cond = condition(s);
    const QString order = orderBy(s);
    auto& f = s.filter;

    // A callback that reads a column the query did not bring restarts the pass with it.
    for (;;) {
        const std::vector<int> cols = filtering ? f.columns : std::vector<int>{};
        QString sql = QStringLiteral("SELECT rowid");
        for (int c : cols)
            sql += QStringLiteral(", ") + quoteId(s.fields[size_t(c)]->fieldName());
        sql += QStringLiteral(" FROM ") + s.sqlName;
        if (!cond.where.isEmpty())
            sql += QStringLiteral(" WHERE ") + cond.where.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + order;

        SQLite::Statement& st = s.file->statement(sql);
        ResetOnExit reset(st);
        s.file->guard([&] {
            for (size_t i = 0; i < cond.binds.size(); ++i) {
                if (cond.binds[i].def)
                    bindValue(st, int(i) + 1, *cond.binds[i].def, cond.binds[i].value);
                else
                    bindPlain(st, int(i) + 1, cond.binds[i].value);
            }
        });

        std::vector<qint64> ids;
        if (!filtering) {
            s.file->guard([&] {
                while (st.executeStep())
                    ids.push_back(st.getColumn(0).getInt64());
            });
            s.view.ids = std::move(ids);
            return;
        }

        std::fill(f.loaded.begin(), f.loaded.end(), 0);
        for (int c : cols)
            f.loaded[size_t(c)] = 1;
        FilterPass pass(f);
        bool restart = false;
        for (;;) {
            const bool more = s.file->guard([&] { return st.executeStep(); });
            if (!more)
                break;
            f.id = st.getColumn(0).getInt64();
            for (size_t k = 0; k < cols.size(); ++k) {
                const size_t c = size_t(cols[k]);
                f.values[c] = readColumn(s.def(c), st.getColumn(int(k) + 1));
            }
            bool accept = true;
            s.onFilterRecord(s.table, accept);
            if (f.restart) {
                restart = true;
                break;
            }
            if (accept)
                ids.push_back(f.id);
        }
        if (!restart) {
            s.view.ids = std::move(ids);
            return;
        }
    }
}

} // namespace

void resetFilter(TableState& s)
{
    auto& f = s.filter;
    const int n = int(s.fields.size());
    f.values.assign(size_t(n), QVariant());
    f.loaded.assign(size_t(n), 0);
    f.columns.erase(std::remove_if(f.columns.begin(), f.columns.end(), [&](int c) { return c >= n; }), f.columns.end());
}

void rebuild(TableState& s, qint64 keepId)
{
    s.view.stale = false;
    const int oldPos = s.pos;
    buildIds(s);
    const auto& ids = s.view.ids;
    const int n = int(ids.size());
    if (n == 0) {
        s.pos = -1;
    } else if (keepId < 0) {
        s.pos = 0;
    } else {
        const auto it = std::find(ids.begin(), ids.end(), keepId);
        s.pos = it != ids.end() ? int(it - ids.begin()) : std::clamp(oldPos, 0, n - 1);
    }
    s.bof = n == 0 || keepId < 0;
    s.eof = n == 0;
}

bool touches(const TableState& s, const std::vector<bool>& dirty)
{
    auto isDirty = [&](const QString& name) {
        const int i = s.fieldIndex(name);
        return i >= 0 && dirty[size_t(i)];
    };
    for (const QString& k : s.indexFieldNames())
        if (isDirty(k))
            return true;
    for (const QString& k : s.link.fields)
        if (isDirty(k))
            return true;
    if (!s.filtered)
        return false;
    for (const std::vector<int>* reads : {&s.filter.columns, &s.filter.preFilterColumns})
        for (int c : *reads)
            if (dirty[size_t(c)])
                return true;
    return false;
}

QVariant filterValue(TableState& s, size_t fieldIndex)
{
    auto& f = s.filter;
    if (!f.loaded[fieldIndex]) {
        // Read from the record for this row; the pass starts again with the column in its query.
        const CachedRow* r = rowcache::wholeRow(s, f.id);
        f.values[fieldIndex] = r ? r->values[fieldIndex] : QVariant();
        f.loaded[fieldIndex] = 1;
        f.columns.push_back(int(fieldIndex));
        f.restart = true;
    }
    return f.values[fieldIndex];
}

std::optional<int> locate(TableState& s, int fieldIndex, const QVariant& value)
{
    const auto& ids = s.view.ids;
    if (ids.empty())
        return std::nullopt;
    const FieldDef& def = s.def(size_t(fieldIndex));
    const bool text = def.type == FieldType::Text || def.type == FieldType::Memo;
    if (text && !value.isNull() && value.toString().isEmpty())
        return 0;   // every text begins with the empty text

    // Let SQLite find the matching records, then take the first in view order.
    QVariant key;
    if (text)
        key = value.isNull() ? QVariant() : QVariant(value.toString());
    else
        key = normalizeValue(def, value);
    QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE ").arg(s.sqlName);
    const QString col = quoteId(def.name);
    if (key.isNull())
        sql += col + QStringLiteral(" IS NULL");
    else if (text)
        sql += QStringLiteral("substr(%1, 1, ?) = ?").arg(col);
    else
        sql += col + QStringLiteral(" = ?");
    SQLite::Statement& st = s.file->statement(sql);
    ResetOnExit reset(st);
    std::unordered_set<qint64> matches;
    s.file->guard([&] {
        if (!key.isNull()) {
            if (text) {
                st.bind(1, int32_t(key.toString().size()));
                st.bind(2, key.toString().toUtf8().toStdString());
            } else {
                bindValue(st, 1, def, key);
            }
        }
        while (st.executeStep())
            matches.insert(st.getColumn(0).getInt64());
    });
    if (matches.empty())
        return std::nullopt;
    for (size_t i = 0; i < ids.size(); ++i)
        if (matches.count(ids[i]))
            return int(i);
    return std::nullopt;
}

} // namespace tableview

// ================================================================ writer

namespace tablewriter {
namespace {

struct SortKeyValue {
    QString column;
    QByteArray key;
    bool null = false;
};

// A text the view orders by carries its Polish sort key along.
std::vector<SortKeyValue> sortKeys(const TableState& s, const std::vector<size_t>& cols)
{
    std::vector<SortKeyValue> keys;
    for (size_t c : cols) {
        const auto key = s.keyColumns.constFind(s.fields[c]->fieldName().toLower());
        if (key == s.keyColumns.constEnd())
            continue;
        const QVariant& v = s.edit.buffer[c];
        keys.push_back(v.isNull() ? SortKeyValue{*key, {}, true} : SortKeyValue{*key, polishSortKey(v.toString()), false});
    }
    return keys;
}

QString insertSql(const TableState& s, const std::vector<size_t>& cols, const std::vector<SortKeyValue>& keys)
{
    QStringList names, marks;
    for (size_t c : cols) {
        names << quoteId(s.fields[c]->fieldName());
        marks << QStringLiteral("?");
    }
    for (const auto& k : keys) {
        names << quoteId(k.column);
        marks << QStringLiteral("?");
    }
    if (names.isEmpty())
        return QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(s.sqlName);
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(s.sqlName, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

QString updateSql(const TableState& s, const std::vector<size_t>& cols, const std::vector<SortKeyValue>& keys)
{
    QStringList sets;
    for (size_t c : cols)
        sets << quoteId(s.fields[c]->fieldName()) + QStringLiteral(" = ?");
    for (const auto& k : keys)
        sets << quoteId(k.column) + QStringLiteral(" = ?");
    return QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(s.sqlName, sets.join(QStringLiteral(", ")));
}

} // namespace

qint64 post(TableState& s, bool inserting, qint64 id)
{
    // A new record writes every field it has (its defaults included), an edit the changed ones.
    std::vector<size_t> cols;
    for (size_t i = 0; i < s.fields.size(); ++i)
        if (s.def(i).type != FieldType::AutoInc && (inserting || s.edit.dirty[i]))
            cols.push_back(i);
    const std::vector<SortKeyValue> keys = sortKeys(s, cols);
    const QString sql = inserting ? insertSql(s, cols, keys) : updateSql(s, cols, keys);

    Transaction tx(*s.file);
    SQLite::Statement& st = s.file->statement(sql);
    {
        ResetOnExit reset(st);
        s.file->guard([&] {
            int k = 1;
            for (size_t c : cols)
                bindValue(st, k++, s.def(c), s.edit.buffer[c]);
            for (const auto& key : keys) {
                if (key.null)
                    st.bind(k++);
                else
                    st.bind(k++, key.key.constData(), int(key.key.size()));   // copied by SQLite
            }
            if (!inserting)
                st.bind(k, int64_t(id));
            st.exec();
        });
    }
    if (inserting)
        id = s.file->lastInsertId();
    tx.commit();
    rowcache::drop(s, id);
    return id;
}

void remove(TableState& s, qint64 id)
{
    Transaction tx(*s.file);
    SQLite::Statement& st = s.file->statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(s.sqlName));
    {
        ResetOnExit reset(st);
        s.file->guard([&] {
            st.bind(1, int64_t(id));
            st.exec();
        });
    }
    tx.commit();
    rowcache::drop(s, id);
}

void compact(TableState& s)
{
    // VACUUM refuses to run while any statement of the connection is live.
    rowcache::forgetStatements(s);
    s.file->dropStatements();
    s.file->exec(QStringLiteral("VACUUM"));
    rowcache::dropAll(s);
}

void flush(TableState& s)
{
    // Posts are committed with synchronous=FULL; what is left is to notice a lost file.
    if (!QFileInfo::exists(s.path))
        throw EngineError(QStringLiteral("Table file is missing"), s.path);
    s.file->exec(QStringLiteral("PRAGMA schema_version"));
}

void beginBatch(TableState& s)
{
    s.file->begin();
    ++s.batchDepth;
}

void commitBatch(TableState& s)
{
    --s.batchDepth;
    s.file->commit();
}

void rollbackBatch(TableState& s)
{
    s.file->rollback();
    --s.batchDepth;
}

} // namespace tablewriter

// ================================================================ schema on open

namespace schemamerge {

// What the open table works with: the program's definition merged with the file's columns.
struct OpenSchema {
    FileSchema file;                    // as the file declares itself
    QList<FieldDef> fields;             // the file's columns, typed as the program declares them
    QList<IndexDef> indexes;            // named indexes the file offers
    QHash<QString, QString> keyColumns; // lower-case text field -> its Polish sort key column
};

// The definition that governs a table: the program's catalogue, else the one set on the component.
const TableDef* governing(const TableDef* known, const TableDef& own)
{
    return known ? known : (own.fields.isEmpty() ? nullptr : &own);
}

QString createIndexSql(const IndexDef& ix, const QString& tableIdent)
{
    QStringList keys;
    for (const QString& k : ix.fields)
        keys << quoteId(k);
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)").arg(quoteId(ix.name), quoteId(tableIdent), keys.join(QStringLiteral(", ")));
}

void createTableFile(const QString& path, const TableDef& def, const QString& displayName)
{
    if (def.fields.isEmpty())
        throw EngineError(displayName + QStringLiteral(": No field definitions"), path);
    const QString stem = QFileInfo(path).completeBaseName();
    try {
        SqliteFile f(path, SqliteFile::Mode::Create, false);
        f.configure();
        QStringList cols;
        for (const FieldDef& fd : def.fields)
            cols << quoteId(fd.name) + QLatin1Char(' ') + columnSql(fd);
        for (const QString& keyed : keyedFields(def))
            cols << quoteId(sortKeyColumn(keyed)) + QStringLiteral(" BLOB");
        Transaction tx(f);
        f.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteId(stem), cols.join(QStringLiteral(", "))));
        for (const IndexDef& named : def.indexes)
            for (const IndexDef& ix : {named, sortKeyIndex(def, named)})
                if (!ix.fields.isEmpty())
                    f.exec(createIndexSql(ix, stem));
        tx.commit();
    } catch (...) {
        // A half-made file would be taken for a table next time.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

OpenSchema readAndMerge(SqliteFile& file, const QString& stem, const TableDef* known, const TableDef& own)
{
    std::optional<FileSchema> read = file.guard([&] { return readFileSchema(file.db(), stem); });
    if (!read)
        throw EngineError(QStringLiteral("Table '%1' not found in the file").arg(stem), file.path());
    OpenSchema out;
    out.file = std::move(*read);
    // The program's definition decides types and formats; extra file columns stay as they are.
    if (known) {
        if (const auto problem = findFieldProblem(out.file, *known))
            throw EngineError(problem->missing
                                  ? QStringLiteral("Field '%1' is missing from the table").arg(problem->field)
                                  : QStringLiteral("Field '%1' has an incompatible type").arg(problem->field),
                              file.path());
    }
    // The Polish sort keys are the engine's own: no field, no index the program names.
    for (const FieldDef& f : out.file.fields) {
        if (isSortKeyColumn(f.name))
            continue;
        const FieldDef* decl = known ? known->field(f.name) : nullptr;
        if (!decl && !own.fields.isEmpty())
            if (const FieldDef* o = own.field(f.name); o && compatible(*o, f))
                decl = o;
        out.fields << (decl ? *decl : f);
    }
    for (const IndexDef& ix : out.file.indexes)
        if (!isSortKeyColumn(ix.name))
            out.indexes << ix;
    return out;
}

void completeFile(SqliteFile& file, OpenSchema& schema, const TableDef* known, const TableDef& own)
{
    if (known) {
        // Indexes the program declares but an older file lacks are added.
        for (const IndexDef& ix : known->indexes) {
            const bool present = std::any_of(schema.indexes.begin(), schema.indexes.end(), [&](const IndexDef& f) {
                return f.name.compare(ix.name, Qt::CaseInsensitive) == 0;
            });
            if (present)
                continue;
            try {
                file.exec(createIndexSql(ix, schema.file.tableIdent));
                schema.indexes << ix;
            } catch (const EngineError&) {
                // A busy or read-only file still opens; that index order is just not offered.
            }
        }
    }
    schema.keyColumns.clear();
    if (const TableDef* keyDef = governing(known, own))
        for (const QString& f : ensureSortKeys(file, schema.file.tableIdent, *keyDef, schema.file))
            schema.keyColumns.insert(f.toLower(), sortKeyColumn(f));
}

} // namespace schemamerge

// ================================================================ the table: properties

Table::Table(QObject* parent, const QString& objectName) : QObject(parent), s_(std::make_unique<TableState>(*this))
{
    setObjectName(objectName);
}

Table::~Table()
{
    s_->disableCount = 1 << 20;   // nobody is told about a table that goes away
    for (const auto& c : s_->masterConnections)
        disconnect(c);
    try {
        close();
    } catch (...) {
    }
}

QString Table::databaseName() const { return s_->databaseName; }
QString Table::tableName() const { return s_->tableName; }
bool Table::exclusive() const { return s_->exclusive; }
QString Table::indexName() const { return s_->indexName; }
DataSource* Table::masterSource() const { return s_->masterSource; }
QString Table::masterFields() const { return s_->masterFields; }
bool Table::filtered() const { return s_->filtered; }
QList<FieldDef>& Table::fieldDefs() { return s_->fieldDefs; }
QList<IndexDef>& Table::indexDefs() { return s_->indexDefs; }
bool Table::active() const { return s_->state != DataSetState::Inactive; }
bool Table::controlsDisabled() const { return s_->disableCount > 0; }
DataSetState Table::state() const { return s_->state; }
bool Table::modified() const { return s_->modified; }
int Table::fieldCount() const { return int(s_->fields.size()); }

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

QString Table::filePath() const
{
    const auto& s = *s_;
    if (s.tableName.isEmpty())
        throw EngineError(s.displayName() + QStringLiteral(": Missing TableName property"));
    const QString dir = s.databaseName.isEmpty() ? QString() : Aliases::resolveDirectory(s.databaseName);
    QString name = s.tableName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".db");
    const QString path = dir.isEmpty() ? name : QDir(dir).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    // Table names are not case-sensitive ("Towary.DB" finds "towary.db").
    const QFileInfo fi(path);
    const QDir parent = fi.dir();
    if (parent.exists()) {
        const QStringList entries = parent.entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& e : entries)
            if (e.compare(fi.fileName(), Qt::CaseInsensitive) == 0)
                return parent.filePath(e);
    }
    return path;
}

bool Table::exists() const
{
    return QFileInfo::exists(filePath());
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
            f->rebind(-1, f->def());   // reads now fail instead of reading another field
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
    const QString path = filePath();
    TableDef def;
    def.fileName = QFileInfo(path).fileName();
    if (!s.fieldDefs.isEmpty()) {
        def.fields = s.fieldDefs;
        def.indexes = s.indexDefs;
    } else if (const TableDef* known = tabledefs::find(s.tableName)) {
        def = *known;
    } else {
        throw EngineError(s.displayName() + QStringLiteral(": No field definitions"), path);
    }
    // Creating a table replaces whatever file had its name.
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw EngineError(QStringLiteral("Cannot replace the table file"), path);
    QFile::remove(path + QStringLiteral("-journal"));
    schemamerge::createTableFile(path, def, s.displayName());
}

void Table::open()
{
    if (active())
        return;
    auto& s = *s_;
    const QString path = filePath();
    const TableDef* known = tabledefs::find(s.tableName);
    TableDef own;
    own.fileName = QFileInfo(path).fileName();
    own.fields = s.fieldDefs;
    own.indexes = s.indexDefs;
    if (!QFileInfo::exists(path)) {
        const TableDef* def = schemamerge::governing(known, own);
        if (!def)
            throw EngineError(QStringLiteral("Table does not exist"), path);
        schemamerge::createTableFile(path, *def, s.displayName());
    }

    auto file = std::make_unique<SqliteFile>(path, SqliteFile::Mode::OpenExisting, s.exclusive);
    // Read the structure first: nothing is written to a file that does not fit.
    schemamerge::OpenSchema opened = schemamerge::readAndMerge(*file, QFileInfo(path).completeBaseName(), known, own);
    file->configure();
    schemamerge::completeFile(*file, opened, known, own);

    s.path = path;
    s.sqlName = quoteId(opened.file.tableIdent);
    s.indexes = opened.indexes;
    s.keyColumns = opened.keyColumns;
    setupFields(opened.fields);
    if (!s.indexName.isEmpty() && !s.findIndex(s.indexName))
        throw EngineError(s.displayName() + QStringLiteral(": Index '%1' not found").arg(s.indexName), path);

    s.file = std::move(file);
    rowcache::reset(s);
    tableview::resetFilter(s);
    s.state = DataSetState::Browse;
    s.modified = false;
    s.pos = -1;
    try {
        masterlink::follow(s);
        tableview::rebuild(s, kFirstRecord);
    } catch (...) {
        s.file.reset();
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
    s.file.reset();   // an unfinished batch is rolled back here
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
        s.view.stale = true;   // the next read tries again and reports the error again
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

void Table::checkBrowseMode()
{
    auto& s = *s_;
    if (!s.editing())
        return;
    if (!hasUnsavedChanges()) {
        cancel();   // nothing typed: a new record nobody wrote is not stored
        return;
    }
    LeaveAction action = LeaveAction::Post;
    if (s.leaveRecord && !s.inLeaveRecord) {
        s.inLeaveRecord = true;
        struct Reset { bool& b; ~Reset() { b = false; } } reset{s.inLeaveRecord};
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
    const auto sources = s_->sources;   // a slot may attach or detach sources
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
    v.erase(std::remove_if(v.begin(), v.end(), [&](const QPointer<DataSource>& src) { return !src || src == ds; }), v.end());
}

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
        return;   // nothing pending
    notify(EvUpdateRecord);
    if (!s.editing())
        return;   // a control cancelled
    if (s.beforePost) {
        s.beforePost(*this);   // Abort leaves the record in its state
        if (!s.editing())
            return;            // the handler cancelled: nothing is written
    }
    const bool inserting = s.state == DataSetState::Insert;
    qint64 id = inserting ? kFirstRecord : s.currentId();
    const bool anyDirty = std::find(s.edit.dirty.begin(), s.edit.dirty.end(), true) != s.edit.dirty.end();
    bool rebuild = inserting;
    if (inserting || anyDirty) {
        id = tablewriter::post(s, inserting, id);
        if (!inserting)
            rebuild = tableview::touches(s, s.edit.dirty);
    }

    s.state = DataSetState::Browse;
    s.modified = false;
    s.edit.buffer.clear();
    s.edit.dirty.clear();
    if (rebuild)
        tableview::rebuild(s, id);
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
    s.view.ids.erase(s.view.ids.begin() + s.pos);
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

// ================================================================ batch

Table::Batch::Batch(Table& table) : table_(table)
{
    table_.checkActive();
    tablewriter::beginBatch(*table_.s_);
}

Table::Batch::~Batch()
{
    auto& s = *table_.s_;
    if (done_ || !s.file)
        return;
    tablewriter::rollbackBatch(s);
    // What the view showed of the undone posts is gone again.
    try {
        table_.cancel();
        rowcache::dropAll(s);
        tableview::rebuild(s, s.currentId());
        table_.notify(EvDataSetChanged);
    } catch (...) {
    }
}

void Table::Batch::commit()
{
    if (done_)
        return;
    done_ = true;
    if (!table_.s_->file)
        return;
    tablewriter::commitBatch(*table_.s_);
}

} // namespace jadl
