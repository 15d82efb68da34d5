#include "store/internal/ViewSums.h"

#include "common/ExactSum.h"
#include "store/internal/KeptSums.h"
#include "store/internal/RowCache.h"
#include "store/internal/TableState.h"

#include <algorithm>
#include <optional>

namespace jadl::viewsums {
namespace {

constexpr qint64 kKeptSumsFrom = 64;

// SQL adds what is stored; a record being edited shows its typing instead, and
// only floats are read the same by SQL and by the engine.
bool sqlCovers(const TableState& s, const std::vector<int>& fields, std::optional<int> group)
{
    if (s.state == DataSetState::Edit || s.view.stale)
        return false;
    for (int f : fields)
        if (s.def(size_t(f)).type != FieldType::Float)
            return false;
    if (group) {
        const FieldType t = s.def(size_t(*group)).type;
        if (t != FieldType::Integer && t != FieldType::AutoInc)
            return false;
    }
    return true;
}

using Groups = std::map<qint64, std::vector<ExactSum>>;

// One walk over the view in its order, as a grid would read it.
Groups walk(TableState& s, const std::vector<int>& fields, std::optional<int> group)
{
    Groups out;
    const int n = int(s.view.ids.size());
    for (int row = 0; row < n; ++row) {
        auto value = [&](int f) {
            if (row == s.pos && s.state == DataSetState::Edit)
                return s.edit.buffer[size_t(f)];
            return rowcache::valueAt(s, row, f);
        };
        qint64 key = 0;
        if (group) {
            const QVariant g = value(*group);
            if (g.isNull())
                continue;
            key = g.toLongLong();
        }
        auto& sums = out[key];
        sums.resize(fields.size());
        for (size_t k = 0; k < fields.size(); ++k)
            sums[k].add(value(fields[k]).toDouble());
    }
    return out;
}

Answer query(TableState& s, const std::vector<int>& fields, std::optional<int> group,
             const std::vector<qint64>* members)
{
    const SqlDialect& dialect = s.conn->dialect();
    QString sql = QStringLiteral("SELECT count(*)");
    if (group)
        sql += QStringLiteral(", ") + quoteId(s.fields[size_t(*group)]->fieldName());
    QStringList columns;
    for (int f : fields)
        columns << quoteId(s.fields[size_t(f)]->fieldName());
    if (!columns.isEmpty())
        sql += QStringLiteral(", ") + dialect.sumsSelect(columns);
    QString where = s.view.condition.whereSql();
    if (members)
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) +
            dialect.memberCondition(s.keySql);
    sql += QStringLiteral(" FROM ") + s.sqlName + where;
    if (group)
        sql += QStringLiteral(" GROUP BY ") + quoteId(s.fields[size_t(*group)]->fieldName());

    SqlStatement& st = s.conn->statement(sql);
    ResetOnExit reset(st);
    Answer out;
    s.view.condition.bind(st);
    if (members)
        st.bindIds(int(s.view.condition.binds.size()) + 1, *members);
    const int first = group ? 2 : 1;
    while (st.step()) {
        const qint64 count = st.column(0).toInt64();
        out.rows += count;
        qint64 key = 0;
        if (group) {
            const SqlValue g = st.column(1);
            if (g.isNull())
                continue;
            key = g.toInt64();
        }
        out.counts[key] += count;
        std::vector<double> sums(fields.size(), 0.0);
        dialect.readSums(st, first, sums);
        if (!out.groups.emplace(key, std::move(sums)).second)
            out.keysRepeat = true;
    }
    return out;
}

// The engine's answer over the view, when SQL can give it and it covers the view.
std::optional<Answer> fromSql(TableState& s, const std::vector<int>& fields, std::optional<int> group)
{
    if (!sqlCovers(s, fields, group))
        return std::nullopt;
    if (s.view.ids.windowed()) {
        // A window is its condition: what the engine counts now is what it shows.
        s.view.ids.resyncIfChanged();
        const qint64 windowRows = qint64(s.view.ids.size());
        if (std::optional<Answer> kept = keptsums::answer(s, fields, group);
            kept && kept->rows == windowRows && !kept->keysRepeat)
            return kept;
        Answer r = query(s, fields, group, nullptr);
        if (!r.keysRepeat)
            return r;
        return std::nullopt;
    }
    const qint64 viewRows = qint64(s.view.ids.size());
    if (s.view.everyRowPasses && s.conn->dataVersion() == s.view.dataVersion) {
        // Whole months from the sums the table keeps, where they answer the view;
        // a few dozen records are added sooner than the buckets are asked.
        if (std::optional<Answer> kept = viewRows >= kKeptSumsFrom ? keptsums::answer(s, fields, group) : std::nullopt;
            kept && kept->rows == viewRows && !kept->keysRepeat)
            return kept;
        // The records that meet the view's condition are the view; the count
        // checks it once more.
        Answer r = query(s, fields, group, nullptr);
        if (r.rows == viewRows && !r.keysRepeat)
            return r;
    }
    Answer r = query(s, fields, group, &s.view.ids.list());
    if (r.rows == viewRows && !r.keysRepeat)
        return r;
    return std::nullopt;
}

std::map<qint64, std::vector<double>> compute(TableState& s, const std::vector<int>& fields, std::optional<int> group)
{
    if (std::optional<Answer> r = fromSql(s, fields, group))
        return std::move(r->groups);
    std::map<qint64, std::vector<double>> out;
    for (const auto& [key, sums] : walk(s, fields, group)) {
        std::vector<double>& v = out[key];
        for (const ExactSum& e : sums)
            v.push_back(e.value());
    }
    return out;
}

} // namespace

std::map<qint64, qint64> countsBy(TableState& s, int groupField)
{
    if (std::optional<Answer> r = fromSql(s, {}, groupField))
        return std::move(r->counts);
    std::map<qint64, qint64> out;
    const int n = int(s.view.ids.size());
    for (int row = 0; row < n; ++row) {
        const QVariant g = rowcache::valueAt(s, row, groupField);
        if (!g.isNull())
            ++out[g.toLongLong()];
    }
    return out;
}

std::optional<qint64> keptCount(TableState& s)
{
    if (std::optional<Answer> kept = keptsums::answer(s, {}, std::nullopt))
        return kept->rows;
    return std::nullopt;
}

std::vector<double> sums(TableState& s, const std::vector<int>& fields)
{
    auto groups = compute(s, fields, std::nullopt);
    if (groups.empty())
        return std::vector<double>(fields.size(), 0.0);
    return std::move(groups.begin()->second);
}

std::map<qint64, std::vector<double>> sumsBy(TableState& s, int groupField, const std::vector<int>& fields)
{
    return compute(s, fields, groupField);
}

} // namespace jadl::viewsums
