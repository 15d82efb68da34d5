// The SQLite dialect: one file per table, keys are rowids, totals come from the
// engine's exact aggregate (store/SqlFunctions.h).
#include "store/internal/KeptSumsFile.h"
#include "store/internal/RowCache.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/SqlFunctions.h"
#include "store/internal/SqliteFile.h"
#include "store/internal/TableState.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace jadl {
namespace {

constexpr int kDeletesPerStep = 4096;

QString rawName(const QString& quoted)
{
    QString n = quoted.mid(1, quoted.size() - 2);
    n.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return n;
}

struct Columns {
    QStringList names; // quoted
    bool idIsColumn = false; // an INTEGER PRIMARY KEY column is the record id itself
};

Columns columnsOf(TableState& s)
{
    Columns c;
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"));
    ResetOnExit reset(st);
    int keys = 0;
    bool integerKey = false;
    st.bindText(1, rawName(s.sqlName).toUtf8());
    while (st.step()) {
        c.names << quoteId(st.column(0).toString());
        if (st.column(2).toInt64() > 0) {
            ++keys;
            integerKey = st.column(1).toString().compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    c.idIsColumn = keys == 1 && integerKey;
    return c;
}

// The named indexes of the table and the SQL that makes each.
std::vector<std::pair<QString, QString>> indexesOf(TableState& s)
{
    std::vector<std::pair<QString, QString>> out;
    SqlStatement& st = s.conn->statement(QStringLiteral(
        "SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"));
    ResetOnExit reset(st);
    st.bindText(1, rawName(s.sqlName).toUtf8());
    while (st.step())
        out.emplace_back(st.column(0).toString(), st.column(1).toString());
    return out;
}

// Most records go: keep the rest aside, empty the table (SQLite drops its pages
// at once), put the kept ones back with their ids, build the indexes again.
void rewriteKeeping(TableState& s, const std::vector<qint64>& gone, const SqlDialect::Steps& steps)
{
    // The sums kept per month are built again from what stays, not row by row;
    // a failure rolls their triggers back with the rest.
    SqliteFile::WriteHooks* hooks = static_cast<SqliteFile&>(*s.conn).writeHooks();
    if (hooks)
        hooks->suspend();
    const Columns cols = columnsOf(s);
    const auto indexes = indexesOf(s);
    steps.plan(4 + 2 * int(indexes.size()));
    const QString list = cols.names.join(QStringLiteral(", "));
    // The statements cached so far must not hold the dropped indexes.
    rowcache::forgetStatements(s);
    s.conn->dropStatements();
    {
        SqlStatement& keep = s.conn->statement(
            QStringLiteral("CREATE TEMP TABLE jadl_kept AS SELECT rowid AS jadl_rowid, %1 FROM %2 "
                           "WHERE NOT jadl_member(rowid, ?)")
                .arg(list, s.sqlName));
        ResetOnExit reset(keep);
        keep.bindIds(1, gone);
        keep.exec();
    }
    s.conn->dropStatements();
    steps.next();
    for (const auto& index : indexes) {
        s.conn->exec(QStringLiteral("DROP INDEX %1").arg(quoteId(index.first)));
        steps.next();
    }
    s.conn->exec(QStringLiteral("DELETE FROM %1").arg(s.sqlName));
    steps.next();
    if (cols.idIsColumn)
        s.conn->exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM temp.jadl_kept ORDER BY jadl_rowid")
                         .arg(s.sqlName, list));
    else
        s.conn->exec(QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT jadl_rowid, %2 FROM temp.jadl_kept "
                                    "ORDER BY jadl_rowid")
                         .arg(s.sqlName, list));
    steps.next();
    for (const auto& index : indexes) {
        s.conn->exec(index.second);
        steps.next();
    }
    s.conn->exec(QStringLiteral("DROP TABLE temp.jadl_kept"));
    if (hooks)
        hooks->resume();
    steps.next();
}

void deleteEach(TableState& s, const std::vector<qint64>& ids, const SqlDialect::Steps& steps)
{
    steps.plan(int(ids.size() / kDeletesPerStep) + 1);
    SqlStatement& st = s.conn->statement(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(s.sqlName));
    for (size_t i = 0; i < ids.size(); ++i) {
        ResetOnExit reset(st);
        st.bindInt(1, ids[i]);
        st.exec();
        if ((i + 1) % kDeletesPerStep == 0)
            steps.next();
    }
    steps.next();
}

qint64 countAll(TableState& s)
{
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT count(*) FROM %1").arg(s.sqlName));
    ResetOnExit reset(st);
    return st.step() ? st.column(0).integer : 0;
}

keptsums::FileSums* fileSums(SqlConnection& conn)
{
    return dynamic_cast<keptsums::FileSums*>(static_cast<SqliteFile&>(conn).writeHooks());
}

class SqliteDialect : public SqlDialect {
public:
    bool isServer() const override { return false; }
    QString ascending(const QString& column) const override { return column; }
    QString descending(const QString& column) const override { return column + QStringLiteral(" DESC"); }
    QString returningKey(const QString&) const override { return {}; }

    QString sumsSelect(const QStringList& columns) const override
    {
        // One aggregate call per row for up to kMaxExactSums totals.
        QStringList calls;
        for (qsizetype k = 0; k < columns.size(); k += sqlfunctions::kMaxExactSums)
            calls << QStringLiteral("jadl_exact_sums(%1)")
                         .arg(columns.mid(k, sqlfunctions::kMaxExactSums).join(QStringLiteral(", ")));
        return calls.join(QStringLiteral(", "));
    }

    void readSums(SqlStatement& st, int first, std::vector<double>& out) const override
    {
        for (size_t k = 0; k < out.size(); k += sqlfunctions::kMaxExactSums) {
            const SqlValue blob = st.column(first + int(k / sqlfunctions::kMaxExactSums));
            const size_t n = std::min(size_t(blob.bytes) / sizeof(double), out.size() - k);
            if (n > 0) // no rows: an empty blob, whose pointer may be null
                std::memcpy(out.data() + k, blob.data, n * sizeof(double));
        }
    }

    // The program writes dates as YYYY-MM-DD.
    QString monthKey(const QString& column) const override
    {
        return QStringLiteral("(CAST(substr(%1, 1, 4) AS INTEGER) * 12 + CAST(substr(%1, 6, 2) AS INTEGER) - 1)")
            .arg(column);
    }
    QString byteText(const QString& value) const override { return value; }
    QString groupKey(const QString& column) const override { return QLatin1Char('+') + column; }

    QString memberCondition(const QString& keySql) const override
    {
        return QStringLiteral("jadl_member(%1, ?)").arg(keySql);
    }

    void pack(SqlConnection& conn, const QString&) const override
    {
        // VACUUM refuses to run while any statement of the connection is live.
        conn.dropStatements();
        conn.exec(QStringLiteral("VACUUM"));
    }

    void checkDurable(SqlConnection& conn) const override
    {
        // Posts are committed with synchronous=FULL; what is left is to notice a lost file.
        if (!QFileInfo::exists(conn.name()))
            throw EngineError(QStringLiteral("Table file is missing"), conn.name());
        conn.exec(QStringLiteral("PRAGMA schema_version"));
    }

    // The write transaction (BEGIN IMMEDIATE) holds the file's only write lock already.
    void lockForOrdinal(SqlConnection&, const QString&) const override { }

    void removeRecords(TableState& s, const std::vector<qint64>& ids, const Steps& steps) const override
    {
        if (qint64(ids.size()) * 2 > countAll(s))
            rewriteKeeping(s, ids, steps);
        else
            deleteEach(s, ids, steps);
    }

    qint64 storeByKey(TableState& s, const std::vector<qint64>& ids, int keyField, const std::vector<int>& fields,
                      const std::map<qint64, std::vector<double>>& values, double fallback) const override
    {
        const QString key = quoteId(s.fields[size_t(keyField)]->fieldName());
        QStringList sets;
        for (size_t k = 0; k < fields.size(); ++k)
            sets << QStringLiteral("%1 = coalesce(jadl_keyed(?, %2, %3), ?)")
                        .arg(quoteId(s.fields[size_t(fields[k])]->fieldName()), key)
                        .arg(k);
        SqlStatement& st = s.conn->statement(
            QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                .arg(s.sqlName, sets.join(QStringLiteral(", ")), memberCondition(s.keySql)));
        ResetOnExit reset(st);
        const QByteArray blob = sqlfunctions::keyedBlob(values, int(fields.size()));
        int p = 1;
        for (size_t k = 0; k < fields.size(); ++k) {
            st.bindBlob(p++, blob);
            st.bindDouble(p++, fallback);
        }
        st.bindIds(p, ids);
        st.exec();
        SqlStatement& changed = s.conn->statement(QStringLiteral("SELECT changes()"));
        ResetOnExit resetChanged(changed);
        return changed.step() ? changed.column(0).toInt64() : 0;
    }

    bool keptSumsReady(SqlConnection& conn) const override
    {
        keptsums::FileSums* sums = fileSums(conn);
        return sums && sums->ready();
    }
    bool keptOddDates(SqlConnection& conn) const override
    {
        keptsums::FileSums* sums = fileSums(conn);
        return !sums || sums->hasOddDates();
    }
    // A blob: no value of a field the buckets are kept by is one.
    QString keptEmptyKey(const FieldDef&) const override { return QStringLiteral("X''"); }
    QString keptBucketPart(const QStringList&) const override { return QStringLiteral("stan"); }
    QString keptRowsPart(const QStringList& columns) const override
    {
        return QStringLiteral("jadl_sums_state(%1) AS stan").arg(columns.join(QStringLiteral(", ")));
    }
    QString keptTotals(const QStringList&, const std::vector<int>& wanted) const override
    {
        QString sql = QStringLiteral("jadl_sums_values(jadl_sums_merge(stan)");
        for (int k : wanted)
            sql += QStringLiteral(", %1").arg(k);
        return sql + QLatin1Char(')');
    }
    bool readKeptTotals(SqlStatement& st, int first, std::vector<double>& out) const override
    {
        const SqlValue blob = st.column(first);
        if (blob.isNull() || size_t(blob.bytes) != out.size() * sizeof(double))
            return false; // a total beyond doubles
        std::memcpy(out.data(), blob.data, out.size() * sizeof(double));
        return true;
    }
};

} // namespace

const SqlDialect& SqlDialect::sqlite()
{
    static const SqliteDialect d;
    return d;
}

} // namespace jadl
