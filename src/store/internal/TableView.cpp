#include "store/internal/TableView.h"

#include "store/internal/RowCache.h"
#include "store/internal/Values.h"
#include "store/internal/ViewSums.h"

#include <algorithm>
#include <unordered_set>

namespace jadl {

using namespace detail;

namespace tableview {
namespace {

// The largest view held as a list of its ids.
qint64 largestList = 16384;

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

// The ids of the records that meet the condition and pass the filter, in view
// order; `only` restricts the query to one record.
// `allPassed`, when given, tells whether the filter let every record through.
std::vector<qint64> buildIds(TableState& s, const ViewCondition& cond, std::optional<qint64> only = std::nullopt,
                             bool* allPassed = nullptr, std::optional<qint64> limit = std::nullopt)
{
    const bool filtering = !cond.decides;
    QString where = cond.whereSql();
    if (only)
        where += (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + s.keySql +
            QStringLiteral(" = ?");
    const QString order = orderBy(s);
    auto& f = s.filter;

    // A callback that reads a column the query did not bring restarts the pass with it.
    for (;;) {
        if (allPassed)
            *allPassed = true;
        const std::vector<int> cols = filtering ? f.columns : std::vector<int>{};
        QString sql = QStringLiteral("SELECT ") + s.keySql;
        for (int c : cols)
            sql += QStringLiteral(", ") + quoteId(s.fields[size_t(c)]->fieldName());
        sql += QStringLiteral(" FROM ") + s.sqlName + where + QStringLiteral(" ORDER BY ") + order;
        if (limit)
            sql += QStringLiteral(" LIMIT %1").arg(*limit);

        SqlStatement& st = s.conn->statement(sql);
        ResetOnExit reset(st);
        cond.bind(st);
        if (only)
            st.bindInt(int(cond.binds.size()) + 1, *only);

        std::vector<qint64> ids;
        if (!filtering) {
            while (st.step())
                ids.push_back(st.column(0).toInt64());
            return ids;
        }

        std::fill(f.loaded.begin(), f.loaded.end(), 0);
        for (int c : cols)
            f.loaded[size_t(c)] = 1;
        FilterPass pass(f);
        bool restart = false;
        for (;;) {
            if (!st.step())
                break;
            f.id = st.column(0).toInt64();
            for (size_t k = 0; k < cols.size(); ++k) {
                const size_t c = size_t(cols[k]);
                f.values[c] = readColumn(s.def(c), st.column(int(k) + 1));
            }
            bool accept = true;
            s.onFilterRecord(s.table, accept);
            if (f.restart) {
                restart = true;
                break;
            }
            if (accept)
                ids.push_back(f.id);
            else if (allPassed)
                *allPassed = false;
        }
        if (!restart)
            return ids;
    }
}

// Whether record a comes before record b in view order: the engine's own ORDER BY decides.
bool precedes(TableState& s, qint64 a, qint64 b)
{
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT %1 FROM %2 WHERE %1 IN (?, ?) ORDER BY %3 LIMIT 1")
                                             .arg(s.keySql, s.sqlName, orderBy(s)));
    ResetOnExit reset(st);
    st.bindInt(1, a);
    st.bindInt(2, b);
    return st.step() && st.column(0).toInt64() == a;
}

bool placeInView(TableState& s, qint64 id, bool inserted)
{
    auto& ids = s.view.ids;
    const int oldPos = s.pos;
    if (ids.windowed()) {
        const bool passes = !buildIds(s, s.view.condition, id).empty();
        // The edited record is the current one: it leaves its place. Were it not
        // there, the engine counts the view again.
        bool counted = false; // the count has the record already
        if (!inserted) {
            if (oldPos >= 0 && oldPos < int(ids.size()) && ids[size_t(oldPos)] == id) {
                ids.erase(size_t(oldPos));
            } else {
                ids.reload();
                counted = true;
            }
        }
        std::optional<size_t> at;
        if (passes) {
            // The view's last record now: one read of the index's end; elsewhere the
            // engine counts the records before it.
            std::optional<std::pair<size_t, qint64>> anchor;
            if (!counted && !ids.empty())
                anchor = ids.anchorNear(size_t(std::clamp(oldPos, 0, int(ids.size()) - 1)));
            if (!counted && ids.lastNow() == id)
                at = ids.size();
            else if (anchor && anchor->second != id)
                at = ids.findNear(id, anchor->first, anchor->second);
            else
                at = ids.find(id);
        }
        if (at && !counted)
            ids.insert(*at, id);
        const int n = int(ids.size());
        s.pos = at ? int(*at) : (n == 0 ? -1 : std::clamp(oldPos, 0, n - 1));
        s.bof = n == 0;
        s.eof = n == 0;
        return true;
    }
    // A new record is in no view yet; an edited one leaves its old place.
    if (!inserted) {
        if (oldPos >= 0 && oldPos < int(ids.size()) && ids[size_t(oldPos)] == id)
            ids.erase(size_t(oldPos));
        else if (const std::optional<size_t> at = ids.find(id))
            ids.erase(*at);
    }

    const size_t columnsBefore = s.filter.columns.size();
    bool allPassed = true;
    const bool passes = !buildIds(s, s.view.condition, id, &allPassed).empty();
    // A record the filter keeps out while it meets the condition: the ids decide from now on.
    if (!allPassed)
        s.view.everyRowPasses = false;
    // A filter that learned a column on this record may judge the others anew.
    if (s.filter.columns.size() != columnsBefore)
        return false;
    if (passes) {
        // Appends in the order of the view go last: one comparison. Elsewhere a binary
        // search in view order: a few lookups by key, whatever the view's size.
        size_t lo = 0, hi = ids.size();
        if (!ids.empty() && precedes(s, ids.back(), id))
            lo = hi;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (precedes(s, ids[mid], id))
                lo = mid + 1;
            else
                hi = mid;
        }
        ids.insert(lo, id);
        s.pos = int(lo);
    } else {
        s.pos = ids.empty() ? -1 : std::clamp(oldPos, 0, int(ids.size()) - 1);
    }
    s.bof = ids.empty();
    s.eof = ids.empty();
    return true;
}

} // namespace

} // namespace tableview

QString ViewCondition::whereSql() const
{
    return where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
}

void ViewCondition::bind(SqlStatement& st, int first) const
{
    for (size_t i = 0; i < binds.size(); ++i) {
        if (binds[i].def)
            bindValue(st, int(i) + first, *binds[i].def, binds[i].value);
        else
            bindPlain(st, int(i) + first, binds[i].value);
    }
}

namespace tableview {

void setLargestList(qint64 rows)
{
    largestList = rows;
}

ViewCondition condition(TableState& s)
{
    ViewCondition out;
    for (int i = 0; i < s.link.fields.size(); ++i) {
        const int fi = s.fieldIndex(s.link.fields[i]);
        // "=" where there is a value: an index answers it on either engine.
        const QVariant& v = s.link.values[i];
        if (v.isNull()) {
            out.where << quoteId(s.link.fields[i]) + QStringLiteral(" IS NULL");
            continue;
        }
        out.where << quoteId(s.link.fields[i]) + QStringLiteral(" = ?");
        out.binds.push_back({v, &s.def(size_t(fi))});
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
        out.decides = !s.onFilterRecord || pf.decides;
    } else {
        out.decides = !(s.filtered && s.onFilterRecord);
    }
    return out;
}

// Texts in Polish order: through their sort keys where the file keeps them.
QString orderBy(const TableState& s)
{
    const SqlDialect& dialect = s.conn->dialect();
    QStringList order;
    for (const QString& k : s.indexFieldNames())
        order << dialect.ascending(quoteId(s.keyColumns.value(k.toLower(), k)));
    order << s.keySql;
    return order.join(QStringLiteral(", "));
}

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
    s.view.condition = condition(s);
    s.view.dataVersion = s.conn->dataVersion();
    auto& ids = s.view.ids;
    if (s.view.condition.decides) {
        // A view the condition decides alone is read as a list while it is small,
        // and as a window over the index beyond. Sums the engine keeps count it
        // at once; else the first ids read tell.
        s.view.everyRowPasses = true;
        ids.clear();
        if (const std::optional<qint64> kept = viewsums::keptCount(s); kept && *kept > largestList) {
            ids.setWindow();
        } else {
            std::vector<qint64> head = buildIds(s, s.view.condition, std::nullopt, nullptr, largestList + 1);
            if (head.size() > size_t(largestList))
                ids.setWindow();
            else
                ids.setList(std::move(head));
        }
    } else {
        ids.setList(buildIds(s, s.view.condition, std::nullopt, &s.view.everyRowPasses));
    }
    const int n = int(ids.size());
    if (n == 0) {
        s.pos = -1;
    } else if (keepId < 0) {
        s.pos = 0;
    } else {
        const std::optional<size_t> at = ids.find(keepId);
        s.pos = at ? int(*at) : std::clamp(oldPos, 0, n - 1);
    }
    s.bof = n == 0 || keepId < 0;
    s.eof = n == 0;
}

std::vector<qint64> allIds(TableState& s)
{
    if (!s.view.ids.windowed())
        return s.view.ids.list();
    return buildIds(s, s.view.condition);
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

bool place(TableState& s, qint64 id, bool inserted)
{
    if (s.view.stale)
        return false;
    try {
        return placeInView(s, id, inserted);
    } catch (...) {
        // Half placed is no view: the next read builds it again.
        s.view.stale = true;
        throw;
    }
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

namespace {

// Records whose field matches a value (texts: begin with it), as a condition.
struct Match {
    QString sql;
    QVariant key;
    bool text = false;
    const FieldDef* def = nullptr;

    void bind(SqlStatement& st, int first) const
    {
        if (key.isNull())
            return;
        if (text) {
            st.bindInt(first, key.toString().size());
            st.bindText(first + 1, key.toString().toUtf8());
        } else {
            bindValue(st, first, *def, key);
        }
    }
};

Match matchOf(const FieldDef& def, const QVariant& value)
{
    Match m;
    m.def = &def;
    m.text = def.type == FieldType::Text || def.type == FieldType::Memo;
    if (m.text)
        m.key = value.isNull() ? QVariant() : QVariant(value.toString());
    else
        m.key = normalizeValue(def, value);
    const QString col = quoteId(def.name);
    if (m.key.isNull())
        m.sql = col + QStringLiteral(" IS NULL");
    else if (m.text)
        m.sql = QStringLiteral("substr(%1, 1, ?) = ?").arg(col);
    else
        m.sql = col + QStringLiteral(" = ?");
    return m;
}

// The first match in view order is the engine's to find; its place, the window's.
std::optional<int> locateInWindow(TableState& s, const Match& m)
{
    const ViewCondition& cond = s.view.condition;
    const QString where = cond.whereSql();
    SqlStatement& st = s.conn->statement(
        QStringLiteral("SELECT %1 FROM %2%3%4 ORDER BY %5 LIMIT 1")
            .arg(s.keySql, s.sqlName, where,
                 (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + m.sql, orderBy(s)));
    std::optional<qint64> found;
    {
        ResetOnExit reset(st);
        cond.bind(st);
        m.bind(st, int(cond.binds.size()) + 1);
        if (st.step())
            found = st.column(0).toInt64();
    }
    if (!found)
        return std::nullopt;
    const std::optional<size_t> at = s.view.ids.find(*found);
    return at ? std::optional<int>(int(*at)) : std::nullopt;
}

} // namespace

std::optional<int> locate(TableState& s, int fieldIndex, const QVariant& value)
{
    const auto& ids = s.view.ids;
    if (ids.empty())
        return std::nullopt;
    const FieldDef& def = s.def(size_t(fieldIndex));
    const bool text = def.type == FieldType::Text || def.type == FieldType::Memo;
    if (text && !value.isNull() && value.toString().isEmpty())
        return 0; // every text begins with the empty text

    const Match m = matchOf(def, value);
    if (ids.windowed())
        return locateInWindow(s, m);
    // Let the engine find the matching records, then take the first in view order.
    SqlStatement& st = s.conn->statement(QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(s.keySql, s.sqlName, m.sql));
    ResetOnExit reset(st);
    std::unordered_set<qint64> matches;
    m.bind(st, 1);
    while (st.step())
        matches.insert(st.column(0).toInt64());
    if (matches.empty())
        return std::nullopt;
    const std::vector<qint64>& list = ids.list();
    for (size_t i = 0; i < list.size(); ++i)
        if (matches.count(list[i]))
            return int(i);
    return std::nullopt;
}

} // namespace tableview
} // namespace jadl
