#include "store/internal/GroupedSums.h"

#include "store/Table.h"
#include "store/internal/KeptSums.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/TableState.h"
#include "store/internal/Values.h"

namespace jadl::groupedsums {

namespace {

int fieldOf(TableState& s, const QString& name)
{
    return s.table.fieldByName(name).index(); // names a missing field in its message
}

QString columnOf(TableState& s, int field)
{
    return quoteId(s.fields[size_t(field)]->fieldName());
}

ViewCondition conditionOf(TableState& s, const RecordCondition& c)
{
    ViewCondition out;
    for (const auto& [name, value] : c.equal) {
        const int f = fieldOf(s, name);
        if (value.isNull()) {
            out.where << columnOf(s, f) + QStringLiteral(" IS NULL");
        } else {
            out.where << columnOf(s, f) + QStringLiteral(" = ?");
            out.binds.push_back({value, &s.def(size_t(f))});
        }
    }
    if (!c.dateField.isEmpty()) {
        const int f = fieldOf(s, c.dateField);
        if (c.from.isValid()) {
            out.where << columnOf(s, f) + QStringLiteral(" >= ?");
            out.binds.push_back({QVariant(c.from), &s.def(size_t(f))});
        }
        if (c.to.isValid()) {
            out.where << columnOf(s, f) + QStringLiteral(" <= ?");
            out.binds.push_back({QVariant(c.to), &s.def(size_t(f))});
        }
    }
    return out;
}

} // namespace

std::vector<GroupedRow> sums(TableState& s, const GroupedQuery& q)
{
    if (std::optional<std::vector<GroupedRow>> kept = keptsums::grouped(s, q))
        return std::move(*kept);

    const SqlDialect& dialect = s.conn->dialect();
    ViewCondition where = conditionOf(s, q.where);
    QStringList select;
    std::vector<int> keys;
    if (!q.monthField.isEmpty()) {
        const QString date = columnOf(s, fieldOf(s, q.monthField));
        select << dialect.monthKey(date);
        where.where << date + QStringLiteral(" IS NOT NULL");
    }
    for (const QString& k : q.keys) {
        keys.push_back(fieldOf(s, k));
        select << dialect.groupKey(columnOf(s, keys.back()));
    }
    QStringList groupBy;
    for (qsizetype i = 1; i <= select.size(); ++i)
        groupBy << QString::number(i);
    QStringList summed;
    for (const QString& f : q.sums)
        summed << columnOf(s, fieldOf(s, f));
    select << QStringLiteral("count(*)");
    if (!summed.isEmpty())
        select << dialect.sumsSelect(summed);
    const QString sql = QStringLiteral("SELECT %1 FROM %2%3%4")
                            .arg(select.join(u", "), s.sqlName, where.whereSql(),
                                 groupBy.isEmpty() ? QString() : QStringLiteral(" GROUP BY ") + groupBy.join(u", "));
    std::vector<GroupedRow> out;
    SqlStatement& st = s.conn->statement(sql);
    ResetOnExit reset(st);
    where.bind(st);
    while (st.step()) {
        GroupedRow row;
        int c = 0;
        if (!q.monthField.isEmpty())
            row.month = st.column(c++).toInt64();
        for (int k : keys)
            row.keys << detail::readColumn(s.def(size_t(k)), st.column(c++));
        row.count = st.column(c++).toInt64();
        if (row.count == 0)
            continue; // a whole-table aggregate over no rows
        row.sums.assign(summed.size(), 0.0);
        if (!row.sums.empty())
            dialect.readSums(st, c, row.sums);
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<QVariantList> rows(TableState& s, const RowsQuery& q)
{
    const SqlDialect& dialect = s.conn->dialect();
    const ViewCondition where = conditionOf(s, q.where);
    std::vector<int> fields;
    QStringList select;
    for (const QString& f : q.fields) {
        fields.push_back(fieldOf(s, f));
        select << columnOf(s, fields.back());
    }
    QStringList order;
    for (const QString& f : q.orderBy) {
        const int i = fieldOf(s, f);
        // Texts in Polish order: by their sort key where the file keeps one.
        const QString key = s.keyColumns.value(s.fields[size_t(i)]->fieldName().toLower());
        order << dialect.ascending(key.isEmpty() ? columnOf(s, i) : quoteId(key));
    }
    QString sql = QStringLiteral("SELECT %1 FROM %2%3").arg(select.join(u", "), s.sqlName, where.whereSql());
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(u", ");
    if (q.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(q.limit);
    std::vector<QVariantList> out;
    SqlStatement& st = s.conn->statement(sql);
    ResetOnExit reset(st);
    where.bind(st);
    while (st.step()) {
        QVariantList row;
        for (size_t c = 0; c < fields.size(); ++c)
            row << detail::readColumn(s.def(size_t(fields[c])), st.column(int(c)));
        out.push_back(std::move(row));
    }
    return out;
}

} // namespace jadl::groupedsums
