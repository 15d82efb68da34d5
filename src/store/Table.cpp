#include "store/Table.h"

#include "common/Collation.h"
#include "store/DataEvent.h"
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/SortKeys.h"
#include "store/SqliteFile.h"
#include "store/TableDefs.h"
#include "store/TableSchema.h"
#include "store/Values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <list>
#include <unordered_map>
#include <unordered_set>

namespace jadl {

using namespace detail;

struct Table::Row {
    std::vector<QVariant> values;
    // Columns read so far (values and have reach the last of them); empty = the whole record.
    std::vector<char> have;
    bool has(size_t column) const { return have.empty() || (column < have.size() && have[column]); }
};

namespace {

// Rows kept for grids and reports; a screenful or a report page is far less.
constexpr size_t kCachedRows = 2048;
constexpr qint64 kFirstRecord = -1;
// Records read together when a loop or a grid walks the view: one read
// transaction (and its file locks) per block instead of per record. A block
// holds about kBlockCells values, so narrow reads come in longer blocks.
constexpr int kBlockCells = 8192;
constexpr int kMinBlockRows = 32;
constexpr int kMaxBlockRows = 256;

// A statement left mid-result keeps a read lock on the file; every use ends here.
class ResetOnExit {
public:
    explicit ResetOnExit(SQLite::Statement& st) : st_(st) {}
    ~ResetOnExit() { st_.tryReset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;
private:
    SQLite::Statement& st_;
};

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

struct Table::Impl {
    std::unique_ptr<SqliteFile> file;
    QString path;
    QString sqlName;                    // quoted table name inside the file
    QString rowSql;                     // whole record by rowid
    // Walks and grids read few of the fields: blocks bring only the columns read
    // so far (learned like the filter's), a new one is added on its first read.
    std::vector<int> readColumns;
    std::vector<char> readKnown;
    QString blockSql;                   // blockRows records, readColumns only
    int blockRows = 0;
    QList<IndexDef> indexes;            // named indexes of the open file
    QHash<QString, int> byName;         // lower-case field name -> index
    QHash<QString, int> byExactName;    // as declared: most lookups spell it so
    SQLite::Statement* rowStatement = nullptr;   // owned by the file's cache

    std::vector<qint64> ids;            // the view
    bool viewStale = false;             // ids must be rebuilt (to the first record) before use
    std::list<qint64> lru;
    std::unordered_map<qint64, std::pair<Row, std::list<qint64>::iterator>> rows;

    std::vector<QVariant> buffer;       // record being edited or inserted
    std::vector<bool> dirty;
    std::vector<QVariant> insertStart;  // a new record as it began (link values, defaults)
    QHash<QString, QString> keyColumns; // lower-case text field -> its Polish sort key column

    // Filter pass: reads of this table's fields come from the offered row.
    bool inFilter = false;
    qint64 filterId = 0;
    std::vector<QVariant> filterValues;
    std::vector<char> filterLoaded;
    bool filterRestart = false;
    std::vector<int> filterColumns;     // learned from the callback's reads
    std::vector<int> preFilterColumns;  // declared by the pre-filter in force

    std::vector<QMetaObject::Connection> masterConnections;
    bool linkActive = false;
    QVariantList linkValues;
    QStringList linkFields;

    std::vector<QPointer<DataSource>> sources;
    int batchDepth = 0;
    std::vector<std::unique_ptr<Field>> retiredFields;
};

// ---------------------------------------------------------------- lifecycle

Table::Table(QObject* parent, const QString& objectName) : QObject(parent), d_(std::make_unique<Impl>())
{
    setObjectName(objectName);
}

Table::~Table()
{
    disableCount_ = 1 << 20;   // nobody is told about a table that goes away
    for (const auto& c : d_->masterConnections)
        disconnect(c);
    try {
        close();
    } catch (...) {
    }
}

QString Table::displayName() const
{
    return objectName().isEmpty() ? tableName_ : objectName();
}

void Table::checkActive() const
{
    if (!active())
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on a closed dataset"));
}

void Table::setDatabaseName(const QString& name)
{
    if (active())
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on an open dataset"));
    databaseName_ = name;
}

void Table::setTableName(const QString& name)
{
    if (active())
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on an open dataset"));
    tableName_ = name;
    // Like persistent fields: a declared table has its fields before it opens.
    if (const TableDef* def = tabledefs::find(name))
        setupFields(def->fields);
}

void Table::setExclusive(bool on)
{
    if (active())
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on an open dataset"));
    exclusive_ = on;
}

QString Table::filePath() const
{
    if (tableName_.isEmpty())
        throw EngineError(displayName() + QStringLiteral(": Missing TableName property"));
    const QString dir = databaseName_.isEmpty() ? QString() : Aliases::resolveDirectory(databaseName_);
    QString name = tableName_;
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
    // Callers keep Field references across close and open: a field stays the
    // same object as long as the table has a field of that name.
    std::vector<std::unique_ptr<Field>> old = std::move(fields_);
    fields_.clear();
    for (int i = 0; i < defs.size(); ++i) {
        auto it = std::find_if(old.begin(), old.end(), [&](const std::unique_ptr<Field>& f) {
            return f && f->fieldName().compare(defs[i].name, Qt::CaseInsensitive) == 0;
        });
        if (it != old.end()) {
            (*it)->rebind(i, defs[i]);
            fields_.push_back(std::move(*it));
        } else {
            fields_.push_back(std::make_unique<Field>(this, i, defs[i]));
        }
    }
    for (auto& f : old) {
        if (f) {
            f->rebind(-1, f->def());   // reads now fail instead of reading another field
            d_->retiredFields.push_back(std::move(f));
        }
    }
    d_->byName.clear();
    d_->byExactName.clear();
    for (int i = 0; i < defs.size(); ++i) {
        d_->byName.insert(defs[i].name.toLower(), i);
        d_->byExactName.insert(defs[i].name, i);
    }
}

void Table::createFile(const QString& path, const TableDef& def)
{
    if (def.fields.isEmpty())
        throw EngineError(displayName() + QStringLiteral(": No field definitions"), path);
    const QString stem = QFileInfo(path).completeBaseName();
    try {
        SqliteFile f(path, SqliteFile::Mode::Create, false);
        f.configure();
        QStringList cols;
        for (const FieldDef& fd : def.fields)
            cols << quoteId(fd.name) + QLatin1Char(' ') + columnSql(fd);
        for (const QString& keyed : keyedFields(def))
            cols << quoteId(sortKeyColumn(keyed)) + QStringLiteral(" BLOB");
        f.begin();
        f.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteId(stem), cols.join(QStringLiteral(", "))));
        for (const IndexDef& named : def.indexes) {
            for (const IndexDef& ix : {named, sortKeyIndex(def, named)}) {
                if (ix.fields.isEmpty())
                    continue;
                QStringList keys;
                for (const QString& k : ix.fields)
                    keys << quoteId(k);
                f.exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                           .arg(quoteId(ix.name), quoteId(stem), keys.join(QStringLiteral(", "))));
            }
        }
        f.commit();
    } catch (...) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

void Table::createTable()
{
    if (active())
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on an open dataset"));
    const QString path = filePath();
    TableDef def;
    def.fileName = QFileInfo(path).fileName();
    if (!fieldDefs_.isEmpty()) {
        def.fields = fieldDefs_;
        def.indexes = indexDefs_;
    } else if (const TableDef* known = tabledefs::find(tableName_)) {
        def = *known;
    } else {
        throw EngineError(displayName() + QStringLiteral(": No field definitions"), path);
    }
    // Creating a table replaces whatever file had its name.
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw EngineError(QStringLiteral("Cannot replace the table file"), path);
    QFile::remove(path + QStringLiteral("-journal"));
    createFile(path, def);
}

void Table::open()
{
    if (active())
        return;
    const QString path = filePath();
    const TableDef* known = tabledefs::find(tableName_);
    TableDef own;
    own.fileName = QFileInfo(path).fileName();
    own.fields = fieldDefs_;
    own.indexes = indexDefs_;
    if (!QFileInfo::exists(path)) {
        const TableDef* def = known ? known : (own.fields.isEmpty() ? nullptr : &own);
        if (!def)
            throw EngineError(QStringLiteral("Table does not exist"), path);
        createFile(path, *def);
    }

    auto file = std::make_unique<SqliteFile>(path, SqliteFile::Mode::OpenExisting, exclusive_);
    const QString stem = QFileInfo(path).completeBaseName();

    // Read the structure first: nothing is written to a file that does not fit.
    const std::optional<FileSchema> schema = file->guard([&] { return readFileSchema(file->db(), stem); });
    if (!schema)
        throw EngineError(QStringLiteral("Table '%1' not found in the file").arg(stem), path);
    const QString tableIdent = schema->tableIdent;
    // The Polish sort keys are the engine's own: no field, no index the program names.
    QList<FieldDef> fileDefs;
    for (const FieldDef& f : schema->fields)
        if (!isSortKeyColumn(f.name))
            fileDefs << f;
    QList<IndexDef> fileIndexes;
    for (const IndexDef& ix : schema->indexes)
        if (!isSortKeyColumn(ix.name))
            fileIndexes << ix;

    // The program's definition decides types and formats; extra file columns stay as they are.
    if (known) {
        if (const auto problem = findFieldProblem(*schema, *known))
            throw EngineError(problem->missing
                                  ? QStringLiteral("Field '%1' is missing from the table").arg(problem->field)
                                  : QStringLiteral("Field '%1' has an incompatible type").arg(problem->field),
                              path);
    }
    QList<FieldDef> merged;
    for (const FieldDef& f : fileDefs) {
        const FieldDef* decl = known ? known->field(f.name) : nullptr;
        if (!decl && !own.fields.isEmpty())
            if (const FieldDef* o = own.field(f.name); o && compatible(*o, f))
                decl = o;
        merged << (decl ? *decl : f);
    }

    file->configure();
    if (known) {
        // Indexes the program declares but an older file lacks are added.
        for (const IndexDef& ix : known->indexes) {
            const bool present = std::any_of(fileIndexes.begin(), fileIndexes.end(), [&](const IndexDef& f) {
                return f.name.compare(ix.name, Qt::CaseInsensitive) == 0;
            });
            if (present)
                continue;
            QStringList keys;
            for (const QString& k : ix.fields)
                keys << quoteId(k);
            try {
                file->exec(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                               .arg(quoteId(ix.name), quoteId(tableIdent), keys.join(QStringLiteral(", "))));
                fileIndexes << ix;
            } catch (const EngineError&) {
                // A busy or read-only file still opens; that index order is just not offered.
            }
        }
    }

    auto& d = *d_;
    d.path = path;
    d.sqlName = quoteId(tableIdent);
    d.indexes = fileIndexes;
    d.keyColumns.clear();
    if (const TableDef* keyDef = known ? known : (own.fields.isEmpty() ? nullptr : &own))
        for (const QString& f : ensureSortKeys(*file, tableIdent, *keyDef, *schema))
            d.keyColumns.insert(f.toLower(), sortKeyColumn(f));
    setupFields(merged);
    QStringList cols;
    for (const auto& f : fields_)
        cols << quoteId(f->fieldName());
    d.rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?").arg(cols.join(QStringLiteral(", ")), d.sqlName);
    d.readColumns.clear();
    d.readKnown.assign(fields_.size(), 0);
    d.blockSql.clear();
    if (!indexName_.isEmpty() && !findIndex(indexName_))
        throw EngineError(displayName() + QStringLiteral(": Index '%1' not found").arg(indexName_), path);

    d.file = std::move(file);
    d.rowStatement = nullptr;
    d.rows.clear();
    d.lru.clear();
    d.filterValues.assign(fields_.size(), QVariant());
    d.filterLoaded.assign(fields_.size(), 0);
    d.filterColumns.erase(std::remove_if(d.filterColumns.begin(), d.filterColumns.end(),
                                         [&](int c) { return c >= int(fields_.size()); }),
                          d.filterColumns.end());
    state_ = DataSetState::Browse;
    modified_ = false;
    pos_ = -1;
    try {
        computeLink(d.linkValues, d.linkFields);
        d.linkActive = !d.linkFields.isEmpty();
        rebuildView(kFirstRecord);
    } catch (...) {
        d.file.reset();
        d.ids.clear();
        state_ = DataSetState::Inactive;
        throw;
    }
    notify(EvStateChanged);
    notify(EvDataSetChanged);
}

void Table::close()
{
    if (!active())
        return;
    auto& d = *d_;
    d.buffer.clear();
    d.dirty.clear();
    d.rowStatement = nullptr;
    d.file.reset();   // an unfinished batch is rolled back here
    d.batchDepth = 0;
    d.ids.clear();
    d.viewStale = false;
    dropCachedRows();
    d.linkActive = false;
    d.linkValues.clear();
    d.linkFields.clear();
    state_ = DataSetState::Inactive;
    modified_ = false;
    pos_ = -1;
    bof_ = eof_ = true;
    notify(EvStateChanged);
    notify(EvDataSetChanged);
}

void Table::pack()
{
    syncView();
    checkActive();
    if (!exclusive_)
        throw EngineError(displayName() + QStringLiteral(": Table must be opened exclusively"), d_->path);
    if (d_->batchDepth > 0)
        throw EngineError(displayName() + QStringLiteral(": Cannot pack inside a transaction"), d_->path);
    checkBrowseMode();
    // VACUUM refuses to run while any statement of the connection is live.
    d_->rowStatement = nullptr;
    d_->file->dropStatements();
    d_->file->exec(QStringLiteral("VACUUM"));
    dropCachedRows();
    rebuildView(kFirstRecord);
    notify(EvDataSetChanged);
}

void Table::flushBuffers()
{
    checkActive();
    // Posts are committed with synchronous=FULL; what is left is to notice a lost file.
    if (!QFileInfo::exists(d_->path))
        throw EngineError(QStringLiteral("Table file is missing"), d_->path);
    d_->file->exec(QStringLiteral("PRAGMA schema_version"));
}

// ---------------------------------------------------------------- indexes, link, filter

const IndexDef* Table::findIndex(const QString& name) const
{
    for (const IndexDef& ix : d_->indexes)
        if (ix.name.compare(name, Qt::CaseInsensitive) == 0)
            return &ix;
    return nullptr;
}

QStringList Table::indexFieldNames() const
{
    if (indexName_.isEmpty()) {
        for (const auto& f : fields_)
            if (f->dataType() == FieldType::AutoInc)
                return {f->fieldName()};
        return {};
    }
    if (active()) {
        if (const IndexDef* ix = findIndex(indexName_))
            return ix->fields;
        return {};
    }
    if (const TableDef* def = tabledefs::find(tableName_))
        if (const IndexDef* ix = def->index(indexName_))
            return ix->fields;
    for (const IndexDef& ix : indexDefs_)
        if (ix.name.compare(indexName_, Qt::CaseInsensitive) == 0)
            return ix.fields;
    return {};
}

void Table::setIndexName(const QString& name)
{
    syncView();
    if (!active()) {
        indexName_ = name;
        return;
    }
    const IndexDef* ix = name.isEmpty() ? nullptr : findIndex(name);
    if (!name.isEmpty() && !ix)
        throw EngineError(displayName() + QStringLiteral(": Index '%1' not found").arg(name), d_->path);
    checkBrowseMode();
    const qint64 keep = currentId();
    indexName_ = ix ? ix->name : QString();
    computeLink(d_->linkValues, d_->linkFields);
    d_->linkActive = !d_->linkFields.isEmpty();
    rebuildView(keep);
    notify(EvDataSetChanged);
}

void Table::setMasterSource(DataSource* source)
{
    if (masterSource_ == source)
        return;
    for (const auto& c : d_->masterConnections)
        disconnect(c);
    d_->masterConnections.clear();
    masterSource_ = source;
    if (source) {
        auto& mc = d_->masterConnections;
        mc.push_back(connect(source, &DataSource::dataSetChanged, this, [this] { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::dataSetScrolled, this, [this] { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::recordChanged, this, [this](int) { masterChanged(); }));
        mc.push_back(connect(source, &DataSource::stateChanged, this, [this] { masterChanged(); }));
    }
    masterChanged();
}

void Table::setMasterFields(const QString& fields)
{
    masterFields_ = fields;
    masterChanged();
}

bool Table::computeLink(QVariantList& values, QStringList& fields) const
{
    values.clear();
    fields.clear();
    if (!masterSource_ || !active())
        return false;
    Table* master = masterSource_->dataSet();
    if (!master || master == this || !master->active())
        return false;
    const QStringList masterNames = splitFields(masterFields_);
    const QStringList keys = indexFieldNames();
    const int n = int(std::min(masterNames.size(), keys.size()));
    for (int i = 0; i < n; ++i) {
        Field* mf = master->findField(masterNames[i]);
        const int di = fieldIndex(keys[i]);
        if (!mf || di < 0) {
            // Transient combination while the properties are being set: no restriction.
            values.clear();
            fields.clear();
            return false;
        }
        QVariant v = mf->value();
        try {
            v = normalizeValue(fields_[size_t(di)]->def(), v);
        } catch (const EngineError&) {
        }
        values << v;
        fields << fields_[size_t(di)]->fieldName();
    }
    return !fields.isEmpty();
}

void Table::masterChanged()
{
    if (!active())
        return;
    QVariantList values;
    QStringList fields;
    const bool on = computeLink(values, fields);
    auto& d = *d_;
    if (on == d.linkActive && values == d.linkValues && fields == d.linkFields)
        return;
    checkBrowseMode();
    d.linkActive = on;
    d.linkValues = values;
    d.linkFields = fields;
    rebuildView(kFirstRecord);
    notify(EvDataSetChanged);
}

void Table::setFiltered(bool on)
{
    if (!active()) {
        filtered_ = on;
        return;
    }
    checkBrowseMode();
    if (filtered_ == on) {
        first();
        return;
    }
    filtered_ = on;
    // The unfiltered view waits for its first reader: windows turn the filter
    // off and straight on again, and the callbacks run when the filter is set.
    if (on)
        rebuildView(kFirstRecord);
    else
        markViewStale();
    notify(EvDataSetChanged);
}

void Table::setOnFilterRecord(FilterRecordFn fn)
{
    onFilterRecord_ = std::move(fn);
    d_->filterColumns.clear();
    if (active() && filtered_) {
        checkBrowseMode();
        rebuildView(currentId());
        notify(EvDataSetChanged);
    }
}

void Table::setPreFilter(PreFilterFn fn)
{
    preFilter_ = std::move(fn);
}

void Table::setBeforePost(TableEventFn fn)
{
    beforePost_ = std::move(fn);
}

void Table::setAfterPost(TableEventFn fn)
{
    afterPost_ = std::move(fn);
}

void Table::buildIds()
{
    auto& d = *d_;
    const bool filtering = filtered_ && bool(onFilterRecord_);

    QStringList where;
    struct Bind { QVariant value; const FieldDef* def; };
    std::vector<Bind> binds;
    if (d.linkActive) {
        for (int i = 0; i < d.linkFields.size(); ++i) {
            const int fi = fieldIndex(d.linkFields[i]);
            where << quoteId(d.linkFields[i]) + QStringLiteral(" IS ?");
            binds.push_back({d.linkValues[i], &fields_[size_t(fi)]->def()});
        }
    }
    d.preFilterColumns.clear();
    if (filtered_ && preFilter_) {
        const SqlPreFilter pf = preFilter_();
        if (!pf.where.trimmed().isEmpty()) {
            std::vector<int> reads;
            for (const QString& name : pf.columns) {
                const int fi = fieldIndex(name);
                if (fi < 0)
                    throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(displayName(), name), d.path);
                reads.push_back(fi);
            }
            where << QLatin1Char('(') + pf.where + QLatin1Char(')');
            for (const QVariant& v : pf.binds)
                binds.push_back({v, nullptr});
            d.preFilterColumns = std::move(reads);
        }
    }
    // Texts in Polish order: through their sort keys where the file keeps them.
    QStringList order;
    for (const QString& k : indexFieldNames())
        order << quoteId(d.keyColumns.value(k.toLower(), k));
    order << QStringLiteral("rowid");

    for (;;) {
        const std::vector<int> cols = filtering ? d.filterColumns : std::vector<int>{};
        QString sql = QStringLiteral("SELECT rowid");
        for (int c : cols)
            sql += QStringLiteral(", ") + quoteId(fields_[size_t(c)]->fieldName());
        sql += QStringLiteral(" FROM ") + d.sqlName;
        if (!where.isEmpty())
            sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));

        SQLite::Statement& st = d.file->statement(sql);
        ResetOnExit reset(st);
        d.file->guard([&] {
            for (size_t i = 0; i < binds.size(); ++i) {
                if (binds[i].def)
                    bindValue(st, int(i) + 1, *binds[i].def, binds[i].value);
                else
                    bindPlain(st, int(i) + 1, binds[i].value);
            }
        });

        std::vector<qint64> ids;
        if (!filtering) {
            d.file->guard([&] {
                while (st.executeStep())
                    ids.push_back(st.getColumn(0).getInt64());
            });
            d.ids = std::move(ids);
            return;
        }

        std::fill(d.filterLoaded.begin(), d.filterLoaded.end(), 0);
        for (int c : cols)
            d.filterLoaded[size_t(c)] = 1;
        struct FilterPass {
            Impl& d;
            explicit FilterPass(Impl& impl) : d(impl) { d.inFilter = true; d.filterRestart = false; }
            ~FilterPass() { d.inFilter = false; }
        } pass(d);
        bool restart = false;
        for (;;) {
            const bool more = d.file->guard([&] { return st.executeStep(); });
            if (!more)
                break;
            d.filterId = st.getColumn(0).getInt64();
            for (size_t k = 0; k < cols.size(); ++k) {
                const size_t c = size_t(cols[k]);
                d.filterValues[c] = readColumn(fields_[c]->def(), st.getColumn(int(k) + 1));
            }
            bool accept = true;
            onFilterRecord_(*this, accept);
            if (d.filterRestart) {
                restart = true;   // the callback read a column the query did not bring: add it
                break;
            }
            if (accept)
                ids.push_back(d.filterId);
        }
        if (!restart) {
            d.ids = std::move(ids);
            return;
        }
    }
}

void Table::markViewStale()
{
    d_->viewStale = true;
    pos_ = -1;
}

void Table::syncView() const
{
    if (!d_->viewStale)
        return;
    auto* self = const_cast<Table*>(this);
    try {
        self->rebuildView(kFirstRecord);
    } catch (...) {
        d_->viewStale = true;   // the next read tries again and reports the error again
        throw;
    }
}

bool Table::bof() const
{
    syncView();
    return bof_;
}

bool Table::eof() const
{
    syncView();
    return eof_;
}

int Table::currentRow() const
{
    syncView();
    return pos_;
}

void Table::rebuildView(qint64 keepId)
{
    d_->viewStale = false;
    const int oldPos = pos_;
    buildIds();
    const auto& ids = d_->ids;
    const int n = int(ids.size());
    if (n == 0) {
        pos_ = -1;
    } else if (keepId < 0) {
        pos_ = 0;
    } else {
        const auto it = std::find(ids.begin(), ids.end(), keepId);
        pos_ = it != ids.end() ? int(it - ids.begin()) : std::clamp(oldPos, 0, n - 1);
    }
    bof_ = n == 0 || keepId < 0;
    eof_ = n == 0;
}

bool Table::touchesView(const std::vector<bool>& dirty) const
{
    auto isDirty = [&](const QString& name) {
        const int i = fieldIndex(name);
        return i >= 0 && dirty[size_t(i)];
    };
    for (const QString& k : indexFieldNames())
        if (isDirty(k))
            return true;
    for (const QString& k : d_->linkFields)
        if (isDirty(k))
            return true;
    if (!filtered_)
        return false;
    for (const std::vector<int>* reads : {&d_->filterColumns, &d_->preFilterColumns})
        for (int c : *reads)
            if (dirty[size_t(c)])
                return true;
    return false;
}

// ---------------------------------------------------------------- records

const Table::Row* Table::cachedRow(qint64 id)
{
    auto& d = *d_;
    const auto it = d.rows.find(id);
    if (it != d.rows.end()) {
        if (it->second.first.have.empty()) {
            d.lru.splice(d.lru.begin(), d.lru, it->second.second);
            return &it->second.first;
        }
        dropCachedRow(id);   // only some columns were read: the whole record is wanted here
    }
    if (!d.rowStatement)
        d.rowStatement = &d.file->statement(d.rowSql);
    SQLite::Statement& st = *d.rowStatement;
    ResetOnExit reset(st);
    Row row;
    const bool found = d.file->guard([&] {
        st.bind(1, int64_t(id));
        if (!st.executeStep())
            return false;
        row.values.reserve(fields_.size());
        for (size_t i = 0; i < fields_.size(); ++i)
            row.values.push_back(readColumn(fields_[i]->def(), st.getColumn(int(i))));
        return true;
    });
    if (!found)
        return nullptr;
    storeRow(id, std::move(row));
    return &d.rows.find(id)->second.first;
}

void Table::storeRow(qint64 id, Row&& row)
{
    auto& d = *d_;
    if (d.rows.count(id))
        return;
    if (d.rows.size() >= kCachedRows) {
        d.rows.erase(d.lru.back());
        d.lru.pop_back();
    }
    d.lru.push_front(id);
    d.rows.emplace(id, std::make_pair(std::move(row), d.lru.begin()));
}

QVariant Table::readAt(int viewPos, int fieldIndex)
{
    auto& d = *d_;
    const size_t fi = size_t(fieldIndex);
    const qint64 id = d.ids[size_t(viewPos)];
    if (const auto it = d.rows.find(id); it != d.rows.end() && it->second.first.has(fi)) {
        d.lru.splice(d.lru.begin(), d.lru, it->second.second);
        return it->second.first.values[fi];
    }
    if (!d.readKnown[fi]) {
        d.readKnown[fi] = 1;
        d.readColumns.push_back(fieldIndex);
        std::sort(d.readColumns.begin(), d.readColumns.end());
        d.blockSql.clear();
    }
    readBlock(viewPos);
    const auto it = d.rows.find(id);
    return it != d.rows.end() ? it->second.first.values[fi] : QVariant();
}

void Table::readBlock(int viewPos)
{
    auto& d = *d_;
    const size_t nFields = fields_.size();
    const bool whole = d.readColumns.size() == nFields;
    const size_t width = whole ? nFields : size_t(d.readColumns.back()) + 1;   // readColumns is sorted
    if (d.blockSql.isEmpty()) {
        d.blockRows = std::clamp(kBlockCells / int(d.readColumns.size()), kMinBlockRows, kMaxBlockRows);
        QString cols;
        for (int c : d.readColumns)
            cols += QStringLiteral(", ") + quoteId(fields_[size_t(c)]->fieldName());
        QStringList marks;
        for (int i = 0; i < d.blockRows; ++i)
            marks << QStringLiteral("?");
        d.blockSql = QStringLiteral("SELECT rowid%1 FROM %2 WHERE rowid IN (%3)")
                         .arg(cols, d.sqlName, marks.join(QLatin1Char(',')));
    }
    // This record and the following ones that miss any of the columns.
    auto lacks = [&](qint64 id) {
        const auto it = d.rows.find(id);
        if (it == d.rows.end())
            return true;
        const Row& r = it->second.first;
        return std::any_of(d.readColumns.begin(), d.readColumns.end(), [&](int c) { return !r.has(size_t(c)); });
    };
    std::vector<qint64> wanted;
    for (size_t p = size_t(viewPos); p < d.ids.size() && wanted.size() < size_t(d.blockRows); ++p)
        if (p == size_t(viewPos) || lacks(d.ids[p]))
            wanted.push_back(d.ids[p]);

    SQLite::Statement& st = d.file->statement(d.blockSql);
    ResetOnExit reset(st);
    d.file->guard([&] {
        for (int i = 0; i < d.blockRows; ++i) {
            if (size_t(i) < wanted.size())
                st.bind(i + 1, int64_t(wanted[size_t(i)]));
            else
                st.bind(i + 1);
        }
        while (st.executeStep()) {
            const qint64 id = st.getColumn(0).getInt64();
            const auto it = d.rows.find(id);
            if (it != d.rows.end()) {
                // Columns read earlier stay; the block adds the ones this record missed.
                Row& r = it->second.first;
                if (r.have.empty())
                    continue;
                if (r.have.size() < width) {
                    r.values.resize(width);
                    r.have.resize(width, 0);
                }
                for (size_t k = 0; k < d.readColumns.size(); ++k) {
                    const size_t c = size_t(d.readColumns[k]);
                    if (!r.have[c]) {
                        r.values[c] = readColumn(fields_[c]->def(), st.getColumn(int(k) + 1));
                        r.have[c] = 1;
                    }
                }
                if (whole)
                    r.have.clear();
                continue;
            }
            Row row;
            row.values.resize(width);
            if (!whole)
                row.have.assign(width, 0);
            for (size_t k = 0; k < d.readColumns.size(); ++k) {
                const size_t c = size_t(d.readColumns[k]);
                row.values[c] = readColumn(fields_[c]->def(), st.getColumn(int(k) + 1));
                if (!whole)
                    row.have[c] = 1;
            }
            storeRow(id, std::move(row));
        }
    });
}

void Table::dropCachedRows()
{
    d_->rows.clear();
    d_->lru.clear();
}

void Table::dropCachedRow(qint64 id)
{
    const auto it = d_->rows.find(id);
    if (it == d_->rows.end())
        return;
    d_->lru.erase(it->second.second);
    d_->rows.erase(it);
}

qint64 Table::currentId() const
{
    if (pos_ < 0 || pos_ >= int(d_->ids.size()))
        return kFirstRecord;
    return d_->ids[size_t(pos_)];
}

QVariant Table::currentValue(int fieldIndex)
{
    syncView();
    if (fieldIndex < 0 || fieldIndex >= int(fields_.size()))
        throw EngineError(displayName() + QStringLiteral(": Field index out of range"));
    auto& d = *d_;
    if (d.inFilter) {
        const size_t i = size_t(fieldIndex);
        if (!d.filterLoaded[i]) {
            const Row* r = cachedRow(d.filterId);
            d.filterValues[i] = r ? r->values[i] : QVariant();
            d.filterLoaded[i] = 1;
            d.filterColumns.push_back(fieldIndex);
            d.filterRestart = true;
        }
        return d.filterValues[i];
    }
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        return d.buffer[size_t(fieldIndex)];
    if (!active() || pos_ < 0 || pos_ >= int(d.ids.size()))
        return {};
    return readAt(pos_, fieldIndex);
}

void Table::setCurrentValue(int fieldIndex, const QVariant& v)
{
    if (fieldIndex < 0 || fieldIndex >= int(fields_.size()))
        throw EngineError(displayName() + QStringLiteral(": Field index out of range"));
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        throw EngineError(displayName() + QStringLiteral(": Dataset not in edit or insert mode"));
    const FieldDef& def = fields_[size_t(fieldIndex)]->def();
    if (def.type == FieldType::AutoInc)
        throw EngineError(displayName() + QStringLiteral(": Field '%1' cannot be modified").arg(def.name));
    const QVariant nv = normalizeValue(def, v);
    QVariant& slot = d_->buffer[size_t(fieldIndex)];
    const bool changed = slot.isNull() != nv.isNull() || (!nv.isNull() && slot != nv);
    slot = nv;
    if (changed)
        d_->dirty[size_t(fieldIndex)] = true;
    modified_ = true;
    notify(EvRecordChanged, fieldIndex);
}

Field& Table::field(int index)
{
    if (index < 0 || index >= int(fields_.size()))
        throw EngineError(displayName() + QStringLiteral(": Field index out of range"));
    return *fields_[size_t(index)];
}

Field* Table::findField(const QString& name)
{
    const int i = fieldIndex(name);
    return i < 0 ? nullptr : fields_[size_t(i)].get();
}

Field& Table::fieldByName(const QString& name)
{
    if (Field* f = findField(name))
        return *f;
    throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(displayName(), name));
}

int Table::fieldIndex(const QString& name) const
{
    const auto it = d_->byExactName.constFind(name);
    if (it != d_->byExactName.constEnd())
        return *it;
    return d_->byName.value(name.toLower(), -1);
}

QVariant Table::valueAt(int row, int fieldIndex)
{
    syncView();
    if (!active() || row < 0 || row >= int(d_->ids.size()) || fieldIndex < 0 || fieldIndex >= int(fields_.size()))
        return {};
    if (row == pos_ && state_ == DataSetState::Edit)
        return d_->buffer[size_t(fieldIndex)];
    return readAt(row, fieldIndex);
}

qint64 Table::idAt(int row) const
{
    syncView();
    if (row < 0 || row >= int(d_->ids.size()))
        return -1;
    return d_->ids[size_t(row)];
}

// ---------------------------------------------------------------- navigation

bool Table::isEmpty() const
{
    syncView();
    return !active() || (d_->ids.empty() && state_ != DataSetState::Insert);
}

int Table::recordCount() const
{
    syncView();
    return active() ? int(d_->ids.size()) : 0;
}

int Table::recNo() const
{
    syncView();
    return pos_ >= 0 ? pos_ + 1 : 0;
}

bool Table::hasUnsavedChanges() const
{
    if (state_ == DataSetState::Edit)
        return std::find(d_->dirty.begin(), d_->dirty.end(), true) != d_->dirty.end();
    if (state_ != DataSetState::Insert)
        return false;
    const auto& now = d_->buffer;
    const auto& start = d_->insertStart;
    for (size_t i = 0; i < now.size(); ++i) {
        const QVariant& b = i < start.size() ? start[i] : QVariant();
        if (now[i].isNull() != b.isNull() || (!now[i].isNull() && now[i] != b))
            return true;
    }
    return false;
}

void Table::keepAsDefaults()
{
    if (state_ == DataSetState::Insert)
        d_->insertStart = d_->buffer;
}

void Table::updateRecord()
{
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        notify(EvUpdateRecord);
}

void Table::setLeaveRecord(LeaveRecordFn fn)
{
    leaveRecord_ = std::move(fn);
}

void Table::checkBrowseMode()
{
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;
    if (!hasUnsavedChanges()) {
        cancel();   // nothing typed: a new record nobody wrote is not stored
        return;
    }
    LeaveAction action = LeaveAction::Post;
    if (leaveRecord_ && !inLeaveRecord_) {
        inLeaveRecord_ = true;
        struct Reset { bool& b; ~Reset() { b = false; } } reset{inLeaveRecord_};
        action = leaveRecord_(*this);
    }
    switch (action) {
    case LeaveAction::Post:
        post();
        return;
    case LeaveAction::Saved:
        // A save that refused the record and left it pending keeps the cursor on it.
        if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
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
    const int old = pos_;
    const bool empty = d_->ids.empty();
    pos_ = empty ? -1 : 0;
    bof_ = true;
    eof_ = empty;
    if (old != pos_)
        notify(EvDataSetScrolled);
}

void Table::last()
{
    syncView();
    checkActive();
    checkBrowseMode();
    const int old = pos_;
    const int n = int(d_->ids.size());
    pos_ = n - 1;
    eof_ = true;
    bof_ = n == 0;
    if (old != pos_)
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
    const int n = int(d_->ids.size());
    if (n == 0) {
        bof_ = eof_ = true;
        return;
    }
    if (distance == 0)
        return;
    const int old = pos_;
    const qint64 target = qint64(std::max(pos_, 0)) + distance;
    if (target >= n) {
        pos_ = n - 1;
        eof_ = true;
        bof_ = false;
    } else if (target < 0) {
        pos_ = 0;
        bof_ = true;
        eof_ = false;
    } else {
        pos_ = int(target);
        bof_ = eof_ = false;
    }
    if (old != pos_)
        notify(EvDataSetScrolled);
}

void Table::setRecNo(int recNo)
{
    syncView();
    checkActive();
    checkBrowseMode();
    const int n = int(d_->ids.size());
    if (n == 0)
        return;
    const int old = pos_;
    pos_ = std::clamp(recNo, 1, n) - 1;
    bof_ = eof_ = false;
    if (old != pos_)
        notify(EvDataSetScrolled);
}

bool Table::locate(const QString& fieldName, const QVariant& value)
{
    syncView();
    checkActive();
    checkBrowseMode();
    const int fi = fieldIndex(fieldName);
    if (fi < 0)
        throw EngineError(QStringLiteral("%1: Field '%2' not found").arg(displayName(), fieldName));
    auto& d = *d_;
    if (d.ids.empty())
        return false;
    const FieldDef& def = fields_[size_t(fi)]->def();
    const bool text = def.type == FieldType::Text || def.type == FieldType::Memo;

    int found = -1;
    if (text && !value.isNull() && value.toString().isEmpty()) {
        found = 0;   // every text begins with the empty text
    } else {
        // Let SQLite find the matching records, then take the first in view order.
        QVariant key;
        if (text)
            key = value.isNull() ? QVariant() : QVariant(value.toString());
        else
            key = normalizeValue(def, value);
        QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE ").arg(d.sqlName);
        const QString col = quoteId(def.name);
        if (key.isNull())
            sql += col + QStringLiteral(" IS NULL");
        else if (text)
            sql += QStringLiteral("substr(%1, 1, ?) = ?").arg(col);
        else
            sql += col + QStringLiteral(" = ?");
        SQLite::Statement& st = d.file->statement(sql);
        ResetOnExit reset(st);
        std::unordered_set<qint64> matches;
        d.file->guard([&] {
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
            return false;
        for (size_t i = 0; i < d.ids.size(); ++i) {
            if (matches.count(d.ids[i])) {
                found = int(i);
                break;
            }
        }
    }
    if (found < 0)
        return false;
    const int old = pos_;
    pos_ = found;
    bof_ = eof_ = false;
    if (old != pos_)
        notify(EvDataSetScrolled);
    return true;
}

// ---------------------------------------------------------------- display updates

void Table::notify(int event, int fieldIndex)
{
    if (disableCount_ > 0)
        return;
    const auto sources = d_->sources;
    for (const auto& s : sources)
        if (s)
            s->notify(event, fieldIndex);
}

void Table::disableControls()
{
    ++disableCount_;
}

void Table::enableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0)
        notify(EvDataSetChanged);
}

void Table::attachDataSource(DataSource* ds)
{
    for (const auto& s : d_->sources)
        if (s == ds)
            return;
    d_->sources.emplace_back(ds);
}

void Table::detachDataSource(DataSource* ds)
{
    auto& v = d_->sources;
    v.erase(std::remove_if(v.begin(), v.end(), [&](const QPointer<DataSource>& s) { return !s || s == ds; }), v.end());
}

// ---------------------------------------------------------------- editing

void Table::edit()
{
    syncView();
    checkActive();
    if (state_ == DataSetState::Edit || state_ == DataSetState::Insert)
        return;
    if (d_->ids.empty()) {
        insert();
        return;
    }
    if (pos_ < 0)
        pos_ = 0;
    // Edit starts from the record as the file holds it now.
    const qint64 id = d_->ids[size_t(pos_)];
    dropCachedRow(id);
    const Row* r = cachedRow(id);
    if (!r)
        throw EngineError(displayName() + QStringLiteral(": Record has been deleted by another user"), d_->path);
    d_->buffer = r->values;
    d_->dirty.assign(fields_.size(), false);
    state_ = DataSetState::Edit;
    modified_ = false;
    notify(EvStateChanged);
}

void Table::insert()
{
    syncView();
    checkActive();
    checkBrowseMode();
    auto& d = *d_;
    d.buffer.assign(fields_.size(), QVariant());
    d.dirty.assign(fields_.size(), false);
    if (d.linkActive) {
        // A new detail record belongs to the master's current record.
        for (int i = 0; i < d.linkFields.size(); ++i) {
            const int fi = fieldIndex(d.linkFields[i]);
            if (fi >= 0 && fields_[size_t(fi)]->dataType() != FieldType::AutoInc) {
                d.buffer[size_t(fi)] = d.linkValues[i];
                d.dirty[size_t(fi)] = true;
            }
        }
    }
    d.insertStart = d.buffer;
    state_ = DataSetState::Insert;
    modified_ = false;
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
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;   // nothing pending
    notify(EvUpdateRecord);
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;   // a control cancelled
    if (beforePost_) {
        beforePost_(*this);   // Abort leaves the record in its state
        if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
            return;           // the handler cancelled: nothing is written
    }
    auto& d = *d_;
    const bool inserting = state_ == DataSetState::Insert;
    qint64 id = inserting ? kFirstRecord : currentId();
    const bool anyDirty = std::find(d.dirty.begin(), d.dirty.end(), true) != d.dirty.end();
    bool rebuild = inserting;

    if (inserting || anyDirty) {
        std::vector<size_t> cols;
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i]->dataType() == FieldType::AutoInc)
                continue;
            if (inserting || d.dirty[i])
                cols.push_back(i);
        }
        // A text the view orders by carries its Polish sort key along.
        std::vector<std::pair<QString, QVariant>> keys;
        for (size_t c : cols) {
            const auto key = d.keyColumns.constFind(fields_[c]->fieldName().toLower());
            if (key != d.keyColumns.constEnd())
                keys.emplace_back(*key, d.buffer[c].isNull() ? QVariant()
                                                              : QVariant(polishSortKey(d.buffer[c].toString())));
        }
        QString sql;
        if (inserting) {
            QStringList names, marks;
            for (size_t c : cols) {
                names << quoteId(fields_[c]->fieldName());
                marks << QStringLiteral("?");
            }
            for (const auto& k : keys) {
                names << quoteId(k.first);
                marks << QStringLiteral("?");
            }
            sql = names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d.sqlName)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(d.sqlName, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        } else {
            QStringList sets;
            for (size_t c : cols)
                sets << quoteId(fields_[c]->fieldName()) + QStringLiteral(" = ?");
            for (const auto& k : keys)
                sets << quoteId(k.first) + QStringLiteral(" = ?");
            sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(d.sqlName, sets.join(QStringLiteral(", ")));
        }
        d.file->begin();
        try {
            SQLite::Statement& st = d.file->statement(sql);
            ResetOnExit reset(st);
            d.file->guard([&] {
                int k = 1;
                for (size_t c : cols)
                    bindValue(st, k++, fields_[c]->def(), d.buffer[c]);
                for (const auto& key : keys) {
                    if (key.second.isNull()) {
                        st.bind(k++);
                    } else {
                        const QByteArray bytes = key.second.toByteArray();
                        st.bind(k++, bytes.constData(), int(bytes.size()));   // copied by SQLite
                    }
                }
                if (!inserting)
                    st.bind(k, int64_t(id));
                st.exec();
            });
            if (inserting)
                id = d.file->lastInsertId();
        } catch (...) {
            d.file->rollback();
            throw;
        }
        d.file->commit();
        if (!inserting)
            rebuild = touchesView(d.dirty);
        dropCachedRow(id);
    }

    state_ = DataSetState::Browse;
    modified_ = false;
    d.buffer.clear();
    d.dirty.clear();
    if (rebuild)
        rebuildView(id);
    notify(EvStateChanged);
    notify(rebuild ? EvDataSetChanged : EvRecordChanged, -1);
    if (afterPost_)
        afterPost_(*this);
}

void Table::cancel()
{
    if (state_ != DataSetState::Edit && state_ != DataSetState::Insert)
        return;
    const bool wasInsert = state_ == DataSetState::Insert;
    state_ = DataSetState::Browse;
    modified_ = false;
    d_->buffer.clear();
    d_->dirty.clear();
    notify(EvStateChanged);
    notify(wasInsert ? EvDataSetChanged : EvRecordChanged, -1);
}

void Table::deleteRecord()
{
    syncView();
    checkActive();
    if (state_ == DataSetState::Insert) {
        cancel();
        return;
    }
    cancel();
    auto& d = *d_;
    if (d.ids.empty() || pos_ < 0)
        throw EngineError(displayName() + QStringLiteral(": Cannot perform this operation on an empty dataset"));
    const qint64 id = d.ids[size_t(pos_)];
    d.file->begin();
    try {
        SQLite::Statement& st = d.file->statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(d.sqlName));
        ResetOnExit reset(st);
        d.file->guard([&] {
            st.bind(1, int64_t(id));
            st.exec();
        });
    } catch (...) {
        d.file->rollback();
        throw;
    }
    d.file->commit();
    dropCachedRow(id);
    d.ids.erase(d.ids.begin() + pos_);
    const int n = int(d.ids.size());
    if (pos_ >= n)
        pos_ = n - 1;
    bof_ = eof_ = n == 0;
    notify(EvDataSetChanged);
}

void Table::refresh()
{
    checkActive();
    checkBrowseMode();
    dropCachedRows();
    computeLink(d_->linkValues, d_->linkFields);
    d_->linkActive = !d_->linkFields.isEmpty();
    rebuildView(currentId());
    notify(EvDataSetChanged);
}

// ---------------------------------------------------------------- batch

Table::Batch::Batch(Table& table) : table_(table)
{
    table_.checkActive();
    table_.d_->file->begin();
    ++table_.d_->batchDepth;
}

Table::Batch::~Batch()
{
    if (done_ || !table_.d_->file)
        return;
    table_.d_->file->rollback();
    --table_.d_->batchDepth;
    // What the view showed of the undone posts is gone again.
    try {
        table_.cancel();
        table_.dropCachedRows();
        table_.rebuildView(table_.currentId());
        table_.notify(EvDataSetChanged);
    } catch (...) {
    }
}

void Table::Batch::commit()
{
    if (done_)
        return;
    done_ = true;
    if (!table_.d_->file)
        return;
    --table_.d_->batchDepth;
    table_.d_->file->commit();
}

} // namespace jadl
