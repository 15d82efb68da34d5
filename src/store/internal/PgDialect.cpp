// The PostgreSQL dialect: keys are the tables' identity columns, floats are
// kept as numeric (written in the shortest form that reads back as the same
// double), so the server's own sum() is exact; record sets travel as arrays.
#include "store/internal/KeptSums.h"
#include "store/internal/PgConnection.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/TableState.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace jadl {
namespace {

// Ids per DELETE of a removal: a few round trips, each small enough to parse at once.
constexpr size_t kDeleteChunk = 20000;

// An array of numbers for ?::numeric[]: each in the shortest form that reads back as the same double.
QByteArray numericArray(const std::vector<double>& values)
{
    QByteArray out("{");
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        out += pgFloatText(values[i]);
    }
    return out + '}';
}

QString notFinite(const QString& value)
{
    return value + QStringLiteral(" IN ('NaN', 'Infinity', '-Infinity')");
}

class PgDialect : public SqlDialect {
public:
    bool isServer() const override { return true; }
    // PostgreSQL puts nulls last unless told; SQLite and the classic engine put them first.
    QString ascending(const QString& column) const override { return column + QStringLiteral(" NULLS FIRST"); }
    QString descending(const QString& column) const override { return column + QStringLiteral(" DESC NULLS LAST"); }

    QString returningKey(const QString& keySql) const override { return QStringLiteral(" RETURNING ") + keySql; }

    QString monthKey(const QString& column) const override
    {
        return QStringLiteral("(extract(year FROM %1)::integer * 12 + extract(month FROM %1)::integer - 1)")
            .arg(column);
    }
    QString byteText(const QString& value) const override
    {
        return QStringLiteral("(%1)::text COLLATE \"C\"").arg(value);
    }

    QString groupKey(const QString& column) const override { return column; }

    QString sumsSelect(const QStringList& columns) const override
    {
        QStringList sums;
        for (const QString& c : columns)
            // Added exactly whatever the column's type, rounded once: the very double the kept sums give.
            sums << QStringLiteral("sum(%1::numeric)::float8").arg(c);
        return sums.join(QStringLiteral(", "));
    }

    void readSums(SqlStatement& st, int first, std::vector<double>& out) const override
    {
        for (size_t k = 0; k < out.size(); ++k) {
            const SqlValue v = st.column(first + int(k));
            out[k] = v.isNull() ? 0.0 : v.toDouble();
        }
    }

    QString memberCondition(const QString& keySql) const override
    {
        return keySql + QStringLiteral(" = ANY(?::int8[])");
    }

    void pack(SqlConnection& conn, const QString& tableSql) const override
    {
        // Outside any transaction; other workstations go on working meanwhile.
        conn.exec(QStringLiteral("VACUUM (ANALYZE) ") + tableSql);
    }

    void checkDurable(SqlConnection& conn) const override
    {
        // A commit the server acknowledged is on its disk; what is left is to know it is there.
        conn.exec(QStringLiteral("SELECT 1"));
    }

    void lockForOrdinal(SqlConnection& conn, const QString& tableName) const override
    {
        SqlStatement& st = conn.statement(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext(?))"));
        ResetOnExit reset(st);
        st.bindText(1, (QStringLiteral("jadl:ordinal:") + tableName).toUtf8());
        st.exec();
    }

    void removeRecords(TableState& s, const std::vector<qint64>& ids, const Steps& steps) const override
    {
        steps.plan(int((ids.size() + kDeleteChunk - 1) / kDeleteChunk));
        SqlStatement& st = s.conn->statement(
            QStringLiteral("DELETE FROM %1 WHERE %2").arg(s.sqlName, memberCondition(s.keySql)));
        for (size_t from = 0; from < ids.size(); from += kDeleteChunk) {
            const std::vector<qint64> chunk(ids.begin() + std::ptrdiff_t(from),
                                            ids.begin() + std::ptrdiff_t(std::min(ids.size(), from + kDeleteChunk)));
            ResetOnExit reset(st);
            st.bindIds(1, chunk);
            st.exec();
            steps.next();
        }
    }

    qint64 storeByKey(TableState& s, const std::vector<qint64>& ids, int keyField, const std::vector<int>& fields,
                      const std::map<qint64, std::vector<double>>& values, double fallback) const override
    {
        // One statement: the values travel as arrays joined to the records by key.
        QStringList sets, columns, arrays, picked;
        for (size_t k = 0; k < fields.size(); ++k) {
            sets << QStringLiteral("%1 = coalesce(w.v%2, ?::numeric)")
                        .arg(quoteId(s.fields[size_t(fields[k])]->fieldName()))
                        .arg(k);
            columns << QStringLiteral("v%1").arg(k);
            arrays << QStringLiteral("?::numeric[]");
            picked << QStringLiteral("v.v%1").arg(k);
        }
        const QString sql =
            QStringLiteral("UPDATE %1 AS t SET %2 FROM (SELECT d.%3 AS jadl_rekord, %4 FROM %1 AS d LEFT JOIN "
                           "unnest(?::int8[], %5) AS v(k, %6) ON v.k = d.%7 WHERE d.%3 = ANY(?::int8[])) AS w WHERE "
                           "t.%3 = w.jadl_rekord RETURNING 1")
                .arg(s.sqlName, sets.join(QStringLiteral(", ")), s.keySql, picked.join(QStringLiteral(", ")),
                     arrays.join(QStringLiteral(", ")), columns.join(QStringLiteral(", ")),
                     quoteId(s.fields[size_t(keyField)]->fieldName()));
        std::vector<qint64> keys;
        std::vector<std::vector<double>> byField(fields.size());
        for (const auto& [key, v] : values) {
            keys.push_back(key);
            for (size_t k = 0; k < fields.size(); ++k)
                byField[k].push_back(k < v.size() ? v[k] : 0.0);
        }
        SqlStatement& st = s.conn->statement(sql);
        ResetOnExit reset(st);
        int p = 1;
        for (size_t k = 0; k < fields.size(); ++k)
            st.bindDouble(p++, fallback);
        st.bindIds(p++, keys);
        for (const auto& column : byField)
            st.bindText(p++, numericArray(column));
        st.bindIds(p, ids);
        qint64 changed = 0;
        while (st.step())
            ++changed;
        return changed;
    }

    // The buckets are brought up to date in the writing transaction itself.
    bool keptSumsReady(SqlConnection&) const override { return true; }
    bool keptOddDates(SqlConnection&) const override { return false; }
    QString keptEmptyKey(const FieldDef& f) const override { return keptsums::serverEmptyKey(f); }
    QString keptBucketPart(const QStringList& sumFields) const override
    {
        QStringList columns{QStringLiteral("niepoliczalne")};
        for (const QString& f : sumFields)
            columns << quoteId(f);
        return columns.join(QStringLiteral(", "));
    }
    QString keptRowsPart(const QStringList& columns) const override
    {
        QStringList odd, sums;
        for (const QString& c : columns) {
            const QString exact = c + QStringLiteral("::numeric");
            odd << notFinite(exact);
            sums << QStringLiteral("sum(CASE WHEN %1 THEN 0 ELSE %2 END) AS %3").arg(notFinite(exact), exact, c);
        }
        return QStringLiteral("count(*) FILTER (WHERE %1) AS niepoliczalne, %2")
            .arg(odd.join(QStringLiteral(" OR ")), sums.join(QStringLiteral(", ")));
    }
    QString keptTotals(const QStringList& sumFields, const std::vector<int>& wanted) const override
    {
        QStringList totals{QStringLiteral("sum(niepoliczalne)")};
        for (int k : wanted)
            totals << QStringLiteral("sum(%1)::float8").arg(quoteId(sumFields[k]));
        return totals.join(QStringLiteral(", "));
    }
    bool readKeptTotals(SqlStatement& st, int first, std::vector<double>& out) const override
    {
        // Infinities and NaN stay out of the numeric sums: the rows decide those totals.
        if (st.column(first).toInt64() != 0)
            return false;
        for (size_t k = 0; k < out.size(); ++k) {
            const SqlValue v = st.column(first + 1 + int(k));
            out[k] = v.isNull() ? 0.0 : v.toDouble();
        }
        return true;
    }
};

} // namespace

const SqlDialect& SqlDialect::postgres()
{
    static const PgDialect d;
    return d;
}

} // namespace jadl
