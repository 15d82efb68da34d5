#include "store/TableWriter.h"

#include "common/Collation.h"
#include "store/RowCache.h"
#include "store/SqliteFile.h"
#include "store/TableState.h"
#include "store/Values.h"

#include <QFileInfo>

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
                    st.bind(k++, key.key.constData(), int(key.key.size())); // copied by SQLite
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
} // namespace jadl
