#include "store/ServerArchive.h"

#include "common/Collation.h"
#include "store/TableDefs.h"
#include "store/TableSchema.h"
#include "store/internal/PgConnection.h"
#include "store/internal/SchemaMerge.h"
#include "store/internal/SortKeys.h"
#include "store/internal/SqliteFile.h"
#include "store/internal/TableStorage.h"
#include "store/internal/Values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <memory>

namespace jadl::serverarchive {

using detail::readColumn;

namespace {

// Rows per FETCH of the export and per COPY chunk of the import.
constexpr int kBlock = 5000;

QByteArray columnList(const QList<FieldDef>& fields)
{
    QStringList cols;
    for (const FieldDef& f : fields)
        cols << quoteId(f.name);
    return cols.join(QStringLiteral(", ")).toUtf8();
}

// A server value bound into the table file, by the field's type.
void bindExported(SqlStatement& st, int index, const FieldDef& f, const SqlValue& v)
{
    if (v.isNull()) {
        st.bindNull(index);
        return;
    }
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Logical:
        st.bindInt(index, v.toInt64());
        return;
    case FieldType::Float:
        st.bindDouble(index, v.toDouble());
        return;
    case FieldType::Date:
    case FieldType::DateTime:
    case FieldType::Text:
    case FieldType::Memo:
        // ISO dates and "YYYY-MM-DD HH:MM:SS" times are the files' own forms.
        st.bindText(index, QByteArray(v.data, v.bytes));
        return;
    }
}

void exportTable(PgLink& link, const TableDef& def, const QString& table, const QString& path, const Progress& progress)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    schemamerge::createTableFile(path, def, table);
    SqliteFile file(path, SqliteFile::Mode::OpenExisting, false);
    file.configure();
    const QString stem = QFileInfo(path).completeBaseName();
    // The texts an index orders by carry their Polish sort keys, as the engine writes them.
    const QStringList keyed = keyedFields(def);
    std::vector<int> keyedIndex;
    QStringList names, marks;
    for (const FieldDef& f : def.fields) {
        names << quoteId(f.name);
        marks << QStringLiteral("?");
    }
    for (const QString& k : keyed) {
        names << quoteId(sortKeyColumn(k));
        marks << QStringLiteral("?");
        for (int i = 0; i < def.fields.size(); ++i)
            if (def.fields[i].name == k)
                keyedIndex.push_back(i);
    }
    Transaction tx(file);
    SqlStatement& insert = file.statement(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(quoteId(stem), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    QString key;
    for (const FieldDef& f : def.fields)
        if (f.type == FieldType::AutoInc)
            key = quoteId(f.name);
    link.exec("DECLARE jadl_kopia NO SCROLL CURSOR FOR SELECT " + columnList(def.fields) + " FROM " +
                  quoteId(table).toUtf8() + (key.isEmpty() ? QByteArray() : " ORDER BY " + key.toUtf8()),
              false);
    qint64 rows = 0;
    QByteArray blob;
    for (;;) {
        const PgResult r = link.exec("FETCH " + QByteArray::number(kBlock) + " FROM jadl_kopia", false);
        const int n = PQntuples(r.get());
        for (int row = 0; row < n; ++row) {
            ResetOnExit reset(insert);
            for (int c = 0; c < def.fields.size(); ++c)
                bindExported(insert, c + 1, def.fields[c], pgValue(r.get(), row, c, blob));
            for (size_t k = 0; k < keyedIndex.size(); ++k) {
                const int col = keyedIndex[k];
                const int at = int(def.fields.size() + k) + 1;
                if (PQgetisnull(r.get(), row, col))
                    insert.bindNull(at);
                else
                    insert.bindBlob(at,
                                    polishSortKey(QString::fromUtf8(PQgetvalue(r.get(), row, col),
                                                                    PQgetlength(r.get(), row, col))));
            }
            insert.exec();
        }
        rows += n;
        if (progress)
            progress(table, rows);
        if (n < kBlock)
            break;
    }
    link.exec("CLOSE jadl_kopia", false);
    tx.commit();
}

// A value of a table file in the text form of COPY.
void appendCopyValue(QByteArray& out, const FieldDef& f, const SqlValue& v)
{
    if (v.isNull()) {
        out += "\\N";
        return;
    }
    char buf[32];
    switch (f.type) {
    case FieldType::AutoInc:
    case FieldType::Integer: {
        const auto r = std::to_chars(buf, buf + sizeof buf, v.toInt64());
        out.append(buf, r.ptr - buf);
        return;
    }
    case FieldType::Float:
        out += pgFloatText(v.toDouble());
        return;
    case FieldType::Logical:
        out += readColumn(f, v).toBool() ? "t" : "f";
        return;
    case FieldType::Date:
    case FieldType::DateTime: {
        const QVariant q = readColumn(f, v);
        if (q.isNull())
            out += "\\N";
        else if (f.type == FieldType::Date)
            out += q.toDate().toString(Qt::ISODate).toUtf8();
        else
            out += q.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        return;
    }
    case FieldType::Text:
    case FieldType::Memo: {
        QByteArray text = readColumn(f, v).toString().toUtf8();
        if (f.type == FieldType::Text && QString::fromUtf8(text).size() > f.textSize())
            text = QString::fromUtf8(text).left(f.textSize()).toUtf8();
        for (char c : std::as_const(text)) {
            switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
            }
        }
        return;
    }
    }
}

void importTable(PgLink& link, const TableDef& def, const QString& table, const QString& path, const Progress& progress,
                 bool throughPolicies)
{
    SqliteFile file(path, SqliteFile::Mode::OpenExisting, false);
    const QString stem = QFileInfo(path).completeBaseName();
    const std::optional<FileSchema> schema = file.guard([&] { return readFileSchema(file.db(), stem); });
    if (!schema)
        throw EngineError(QStringLiteral("plik nie zawiera tabeli %1").arg(stem), path);
    // The declared fields the file holds; the rest stay empty.
    QList<FieldDef> fields;
    for (const FieldDef& f : def.fields)
        for (const FieldDef& have : schema->fields)
            if (have.name.compare(f.name, Qt::CaseInsensitive) == 0)
                fields << f;
    SqlStatement& read = file.statement(
        QStringLiteral("SELECT %1 FROM %2").arg(QString::fromUtf8(columnList(fields)), quoteId(schema->tableIdent)));
    ResetOnExit reset(read);

    // The rows themselves go: a view's triggers would also forget what other
    // workstations chose among the restaurants.
    for (const QString& clear : pgstorage::clearSql(table))
        link.exec(clear.toUtf8(), false);
    // COPY does not pass row-level security: a login under the policies (the head
    // office) copies into a table of its session, which then goes in by INSERT.
    const QByteArray into = throughPolicies ? QByteArrayLiteral("jadl_odtwarzane") : quoteId(table).toUtf8();
    if (throughPolicies)
        link.exec("CREATE TEMP TABLE jadl_odtwarzane (LIKE " + quoteId(table).toUtf8() + ") ON COMMIT DROP", false);
    link.copyBegin("COPY " + into + " (" + columnList(fields) + ") FROM STDIN");
    QByteArray chunk;
    qint64 rows = 0;
    while (read.step()) {
        for (int c = 0; c < fields.size(); ++c) {
            if (c)
                chunk += '\t';
            appendCopyValue(chunk, fields[c], read.column(c));
        }
        chunk += '\n';
        if (++rows % kBlock == 0) {
            link.copyPut(chunk);
            chunk.clear();
            if (progress)
                progress(table, rows);
        }
    }
    link.copyPut(chunk);
    link.copyEnd();
    if (throughPolicies)
        link.exec("INSERT INTO " + quoteId(table).toUtf8() + " (" + columnList(fields) + ") SELECT " +
                      columnList(fields) + " FROM jadl_odtwarzane; DROP TABLE jadl_odtwarzane",
                  false);
    if (progress)
        progress(table, rows);
    // New records are numbered after the restored ones. RESTART, unlike setval,
    // is undone with the transaction: a failed restore leaves the numbering too.
    for (const FieldDef& f : def.fields) {
        if (f.type != FieldType::AutoInc)
            continue;
        const QByteArray data = quoteId(pgstorage::dataTableOf(table)).toUtf8();
        const QByteArray col = quoteId(f.name).toUtf8();
        const PgResult top = link.exec("SELECT coalesce(max(" + col + "), 0) + 1 FROM " + data, false);
        // The owner's function does it: the head office restores without owning the tables.
        link.exec("SELECT jadl_przenumeruj(" + link.escapeLiteral(pgstorage::dataTableOf(table)) + ", " +
                      link.escapeLiteral(f.name) + ", " + PQgetvalue(top.get(), 0, 0) + ")",
                  false);
    }
}

// A transaction on a link of its own, rolled back unless committed.
class LinkTransaction {
public:
    LinkTransaction(PgLink& link, const char* begin) : link_(link) { link_.exec(begin, true); }
    ~LinkTransaction()
    {
        if (!done_ && !link_.broken()) {
            try {
                link_.exec("ROLLBACK", false);
            } catch (...) { }
        }
    }
    LinkTransaction(const LinkTransaction&) = delete;
    LinkTransaction& operator=(const LinkTransaction&) = delete;
    void commit()
    {
        done_ = true;
        try {
            link_.exec("COMMIT", false);
        } catch (const ConnectionLost& e) {
            // Sent, unanswered: it may have been done.
            throw ConnectionLost::atCommit(e.text(), e.file());
        }
    }

private:
    PgLink& link_;
    bool done_ = false;
};

} // namespace

QStringList exportTables(const QString& server, const QString& folder, const Progress& progress)
{
    const auto srv = PgServer::get(server);
    const std::unique_ptr<PgLink> link = srv->privateLink();
    LinkTransaction tx(*link, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    QStringList written;
    for (const TableDef* def : tabledefs::all() + tabledefs::invoiceTables()) {
        const QString table = pgstorage::tableName(def->fileName);
        const PgResult there = link->exec("SELECT to_regclass(" + link->escapeLiteral(quoteId(table)) + ")", false);
        if (PQgetisnull(there.get(), 0, 0))
            continue;
        exportTable(*link, *def, table, QDir(folder).filePath(def->fileName), progress);
        written << def->fileName;
    }
    tx.commit();
    return written;
}

void importTables(const QString& server, const QString& folder, const QStringList& fileNames, const Progress& progress)
{
    struct Item {
        const TableDef* def;
        QString table;
        QString path;
    };
    std::vector<Item> items;
    for (const QString& name : fileNames)
        if (const TableDef* def = tabledefs::find(name))
            items.push_back({def, pgstorage::tableName(name), QDir(folder).filePath(name)});
    // Tables the server lacks are made first: their structure has its own lock.
    for (const Item& it : items)
        pgstorage::ensure(server, it.table, *it.def);
    const auto srv = PgServer::get(server);
    const std::unique_ptr<PgLink> link = srv->privateLink();
    LinkTransaction tx(*link, "BEGIN");
    // The server refuses a site's restore; the head office's is one history row.
    link->exec("SELECT jadl_odtworzenie()", false);
    const PgResult role = link->exec("SELECT jadl_rola()", false);
    const bool throughPolicies = qstrcmp(PQgetvalue(role.get(), 0, 0), "wlasciciel") != 0;
    // Other workstations read on meanwhile and write after: they see the old data
    // or the restored data, never a mixture (a writer kept waiting too long is told).
    QStringList locked;
    for (const Item& it : items)
        locked << quoteId(pgstorage::dataTableOf(it.table));
    locked.sort();
    if (!locked.isEmpty())
        link->exec("LOCK TABLE " + locked.join(QStringLiteral(", ")).toUtf8() + " IN EXCLUSIVE MODE", false);
    for (const Item& it : items)
        importTable(*link, *it.def, it.table, it.path, progress, throughPolicies);
    tx.commit();
    // The planner learns the new contents now, not when the server next gets round
    // to it; the data stands whether this succeeds or not.
    for (const Item& it : items) {
        try {
            link->exec("SELECT jadl_analizuj(" + link->escapeLiteral(pgstorage::dataTableOf(it.table)) + ")", false);
        } catch (const EngineError&) {
            break;
        }
    }
}

} // namespace jadl::serverarchive
