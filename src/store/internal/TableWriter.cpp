#include "store/internal/TableWriter.h"

#include "common/Collation.h"
#include "store/internal/RowCache.h"
#include "store/internal/TableState.h"
#include "store/internal/Values.h"

#include <vector>

namespace jadl {

using namespace detail;

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
        keys.push_back(v.isNull() ? SortKeyValue{*key, {}, true}
                                  : SortKeyValue{*key, polishSortKey(v.toString()), false});
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
    if (!s.edit.postToken.isEmpty()) {
        // Sent again after an unanswered commit, the insert meets its own record,
        // gives it what was typed since and returns its key.
        names << s.postTokenSql;
        marks << QStringLiteral("?");
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = EXCLUDED.") + n;
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO UPDATE SET %5")
            .arg(s.sqlName, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")), s.postTokenSql,
                 sets.join(QStringLiteral(", ")));
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
    return QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(s.sqlName, sets.join(QStringLiteral(", ")), s.keySql);
}

} // namespace

qint64 countUnderCondition(TableState& s, const ViewCondition& cond)
{
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT count(*) FROM ") + s.sqlName + cond.whereSql());
    ResetOnExit reset(st);
    cond.bind(st);
    return st.step() ? st.column(0).toInt64() : 0;
}

namespace {

// The ordinal given to the record, counted again under the table's lock: what
// other workstations added since shifts it, so two never store the same one.
void retakeOrdinal(TableState& s)
{
    auto& o = s.edit.ordinal;
    if (!o || o->field < 0 || size_t(o->field) >= s.edit.buffer.size())
        return;
    QVariant& slot = s.edit.buffer[size_t(o->field)];
    if (slot.isNull() || slot.toLongLong() != o->proposed)
        return; // typed over: the user's number stands
    s.conn->dialect().lockForOrdinal(*s.conn, s.sqlName);
    const qint64 now = countUnderCondition(s, o->scope);
    if (now != o->counted) {
        // Kept as given, so that a post that fails after this still counts again when tried anew.
        o->proposed += now - o->counted;
        o->counted = now;
        slot = normalizeValue(s.def(size_t(o->field)), QVariant(o->proposed));
        s.edit.dirty[size_t(o->field)] = true;
    }
}

} // namespace

qint64 post(TableState& s, bool inserting, qint64 id)
{
    Transaction tx(*s.conn);
    retakeOrdinal(s);
    // A new record writes every field it has (its defaults included), an edit the changed ones.
    std::vector<size_t> cols;
    for (size_t i = 0; i < s.fields.size(); ++i)
        if (s.def(i).type != FieldType::AutoInc && (inserting || s.edit.dirty[i]))
            cols.push_back(i);
    const std::vector<SortKeyValue> keys = sortKeys(s, cols);
    const SqlDialect& dialect = s.conn->dialect();
    const QString returning = inserting ? dialect.returningKey(s.keySql) : QString();
    const QString sql = inserting ? insertSql(s, cols, keys) + returning : updateSql(s, cols, keys);

    SqlStatement& st = s.conn->statement(sql);
    {
        ResetOnExit reset(st);
        int k = 1;
        for (size_t c : cols)
            bindValue(st, k++, s.def(c), s.edit.buffer[c]);
        for (const auto& key : keys) {
            if (key.null)
                st.bindNull(k++);
            else
                st.bindBlob(k++, key.key);
        }
        if (inserting && !s.edit.postToken.isEmpty())
            st.bindText(k++, s.edit.postToken);
        if (!inserting)
            st.bindInt(k, id);
        if (!returning.isEmpty()) {
            if (!st.step())
                throw EngineError(QStringLiteral("The new record has no key"), s.path);
            id = st.column(0).toInt64();
            st.exec();
        } else {
            st.exec();
            if (inserting)
                id = s.conn->lastInsertId();
        }
    }
    tx.commit();
    s.edit.ordinal.reset();
    // A write through a view may change other records (a workstation's one active restaurant).
    if (s.writesReachOthers)
        rowcache::dropAll(s);
    else
        rowcache::drop(s, id);
    return id;
}

void remove(TableState& s, qint64 id)
{
    Transaction tx(*s.conn);
    SqlStatement& st = s.conn->statement(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(s.sqlName, s.keySql));
    {
        ResetOnExit reset(st);
        st.bindInt(1, id);
        st.exec();
    }
    tx.commit();
    rowcache::drop(s, id);
}

void compact(TableState& s)
{
    rowcache::forgetStatements(s);
    s.conn->dialect().pack(*s.conn, s.sqlName);
    rowcache::dropAll(s);
}

void flush(TableState& s)
{
    s.conn->dialect().checkDurable(*s.conn);
}

void beginBatch(TableState& s)
{
    s.conn->begin();
    ++s.batchDepth;
}

void commitBatch(TableState& s)
{
    --s.batchDepth;
    s.conn->commit();
}

void rollbackBatch(TableState& s)
{
    s.conn->rollback();
    --s.batchDepth;
}

} // namespace tablewriter
} // namespace jadl
