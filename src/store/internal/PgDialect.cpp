// The PostgreSQL dialect: keys are the tables' identity columns, floats are
// kept as numeric (written in the shortest form that reads back as the same
// double), so the server's own sum() is exact; record sets travel as arrays.
#include "store/internal/PgConnection.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/TableState.h"

#include <algorithm>

namespace jadl {
namespace {

// Ids per DELETE of a removal: a few round trips, each small enough to parse at once.
constexpr size_t kDeleteChunk = 20000;

class PgDialect : public SqlDialect {
public:
    bool isServer() const override { return true; }
    // PostgreSQL puts nulls last unless told; SQLite and the classic engine put them first.
    QString ascending(const QString& column) const override { return column + QStringLiteral(" NULLS FIRST"); }
    QString descending(const QString& column) const override { return column + QStringLiteral(" DESC NULLS LAST"); }

    QString returningKey(const QString& keySql) const override { return QStringLiteral(" RETURNING ") + keySql; }

    QString sumsSelect(const QStringList& columns) const override
    {
        QStringList sums;
        for (const QString& c : columns)
            sums << QStringLiteral("sum(%1)").arg(c);
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
};

} // namespace

const SqlDialect& SqlDialect::postgres()
{
    static const PgDialect d;
    return d;
}

} // namespace jadl
