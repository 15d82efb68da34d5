#include "store/internal/ViewRows.h"

#include "store/internal/SqlDialect.h"
#include "store/internal/TableState.h"
#include "store/internal/TableView.h"
#include "store/internal/ViewSums.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <functional>

namespace jadl {

namespace {

// Pages kept of a window: a few screens around each place read lately.
constexpr size_t kMaxPages = 64;
// How far from a page read already a read still follows the keyset from it.
constexpr qint64 kReach = 4 * ViewRows::kPageRows;

QString descendingOrder(const TableState& s)
{
    const SqlDialect& dialect = s.conn->dialect();
    QStringList order;
    for (const QString& k : s.indexFieldNames())
        order << dialect.descending(quoteId(s.keyColumns.value(k.toLower(), k)));
    order << dialect.descending(s.keySql);
    return order.join(QStringLiteral(", "));
}

QString andWhere(const ViewCondition& cond, const QString& more)
{
    const QString where = cond.whereSql();
    if (more.isEmpty())
        return where;
    return where + (where.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ")) + more;
}

} // namespace

void ViewRows::bindKeys(SqlStatement& st, int first, const std::vector<Key>& keys)
{
    int i = first;
    for (const Key& k : keys) {
        switch (k.type) {
        case SqlType::Null:
            st.bindNull(i);
            break;
        case SqlType::Integer:
            st.bindInt(i, k.integer);
            break;
        case SqlType::Float:
            st.bindDouble(i, k.real);
            break;
        case SqlType::Text:
            st.bindText(i, k.bytes);
            break;
        case SqlType::Blob:
            st.bindBlob(i, k.bytes);
            break;
        }
        ++i;
    }
}

void ViewRows::setList(std::vector<qint64> ids)
{
    windowed_ = false;
    list_ = std::move(ids);
    count_ = 0;
    pages_.clear();
    known_.reset();
}

void ViewRows::setWindow()
{
    windowed_ = true;
    list_.clear();
    list_.shrink_to_fit();
    learnColumns();
    reload();
}

void ViewRows::reload()
{
    if (!windowed_)
        return;
    pages_.clear();
    known_.reset();
    version_ = s_.conn->dataVersion();
    count_ = countNow();
}

void ViewRows::clear()
{
    setList({});
}

void ViewRows::learnColumns()
{
    columns_.clear();
    for (const QString& k : s_.indexFieldNames()) {
        // Every row of the view holds the link's value there: it orders nothing.
        bool fixed = false;
        for (int i = 0; i < s_.link.fields.size(); ++i)
            if (s_.link.fields[i].compare(k, Qt::CaseInsensitive) == 0 && !s_.link.values[i].isNull())
                fixed = true;
        if (!fixed)
            columns_ << quoteId(s_.keyColumns.value(k.toLower(), k));
    }
    columns_ << s_.keySql;
}

qint64 ViewRows::countNow() const
{
    // The sums the engine keeps count the rows too, without reading them.
    if (const std::optional<qint64> kept = viewsums::keptCount(s_))
        return *kept;
    const ViewCondition& cond = s_.view.condition;
    SqlStatement& st = s_.conn->statement(QStringLiteral("SELECT count(*) FROM ") + s_.sqlName + cond.whereSql());
    ResetOnExit reset(st);
    cond.bind(st);
    return st.step() ? st.column(0).toInt64() : 0;
}

bool ViewRows::resyncIfChanged() const
{
    if (!windowed_)
        return false;
    const qint64 v = s_.conn->dataVersion();
    if (v == version_)
        return false;
    // The cursor stays on its record where the view still holds it.
    const std::optional<qint64> currentId = s_.pos >= 0 ? loadedId(s_.pos) : std::nullopt;
    version_ = v;
    pages_.clear();
    known_.reset();
    count_ = countNow();
    if (currentId) {
        const std::optional<size_t> at = find(*currentId);
        s_.pos = at ? int(*at) : std::clamp(s_.pos, 0, int(count_) - 1);
    } else if (s_.pos >= count_) {
        s_.pos = int(count_) - 1;
    }
    s_.eof = s_.eof || count_ == 0;
    s_.bof = s_.bof || count_ == 0;
    // Grids learn the new count after the read that found it.
    QMetaObject::invokeMethod(
        &s_.table,
        [t = QPointer<Table>(&s_.table)] {
            if (t) {
                t->disableControls();
                t->enableControls();
            }
        },
        Qt::QueuedConnection);
    return true;
}

std::optional<qint64> ViewRows::loadedId(qint64 pos) const
{
    auto it = pages_.upper_bound(pos);
    if (it == pages_.begin())
        return std::nullopt;
    --it;
    if (pos >= it->first + qint64(it->second.ids.size()))
        return std::nullopt;
    return it->second.ids[size_t(pos - it->first)];
}

qint64 ViewRows::operator[](size_t index) const
{
    if (!windowed_)
        return list_[index];
    const qint64 pos = qint64(index);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (const std::optional<qint64> id = loadedId(pos))
            return *id;
        if (resyncIfChanged() && pos >= count_)
            return kFirstRecord;
        readAround(pos);
    }
    // The rows the window counted are not all there: read it again.
    version_ = -1;
    resyncIfChanged();
    if (pos < count_) {
        Page p = readAt(pos, 1);
        if (!p.ids.empty())
            return p.ids.front();
    }
    return kFirstRecord;
}

void ViewRows::store(qint64 start, Page&& p) const
{
    if (p.ids.empty())
        return;
    const qint64 end = start + qint64(p.ids.size());
    // A page read again over others is the one kept.
    for (auto it = pages_.begin(); it != pages_.end();) {
        const qint64 s = it->first, e = s + qint64(it->second.ids.size());
        it = (s < end && start < e) ? pages_.erase(it) : std::next(it);
    }
    while (pages_.size() >= kMaxPages) {
        // The page farthest from this one goes.
        auto far = std::max_element(pages_.begin(), pages_.end(), [&](const auto& a, const auto& b) {
            return std::abs(a.first - start) < std::abs(b.first - start);
        });
        pages_.erase(far);
    }
    pages_.emplace(start, std::move(p));
}

void ViewRows::readAround(qint64 pos) const
{
    auto after = pages_.upper_bound(pos);
    if (after != pages_.begin()) {
        const auto before = std::prev(after);
        qint64 start = before->first + qint64(before->second.ids.size());
        if (pos >= start && pos < start + kReach) {
            std::vector<Key> from = before->second.last;
            for (;;) {
                Page p = readKeyset(Direction::Forward, &from, kPageRows);
                const qint64 n = qint64(p.ids.size());
                if (n == 0)
                    return;
                from = p.last;
                store(start, std::move(p));
                if (pos < start + n || n < kPageRows)
                    return;
                start += n;
            }
        }
    }
    if (after != pages_.end() && pos < after->first && pos >= after->first - kReach) {
        qint64 start = after->first;
        std::vector<Key> from = after->second.first;
        for (;;) {
            Page p = readKeyset(Direction::Backward, &from, kPageRows);
            const qint64 n = qint64(p.ids.size());
            if (n == 0)
                return;
            start -= n;
            from = p.first;
            store(start, std::move(p));
            if (pos >= start || start <= 0)
                return;
        }
    }
    if (pos < kReach) {
        Page p = readKeyset(Direction::Forward, nullptr, kPageRows);
        const bool more = qint64(p.ids.size()) == kPageRows && pos >= kPageRows;
        store(0, std::move(p));
        if (more)
            readAround(pos);
        return;
    }
    if (pos >= count_ - kReach) {
        Page p = readKeyset(Direction::Backward, nullptr, kPageRows);
        const qint64 start = count_ - qint64(p.ids.size());
        const bool more = qint64(p.ids.size()) == kPageRows && pos < start;
        store(start, std::move(p));
        if (more)
            readAround(pos);
        return;
    }
    // A jump into the middle: the page around it by its offset.
    const qint64 start = std::max<qint64>(0, pos - kPageRows / 2);
    store(start, readAt(start, kPageRows));
}

void ViewRows::join(Page& p, Page&& next)
{
    if (next.ids.empty())
        return;
    if (p.ids.empty())
        p.first = std::move(next.first);
    p.ids.insert(p.ids.end(), next.ids.begin(), next.ids.end());
    p.last = std::move(next.last);
}

ViewRows::Page ViewRows::readKeyset(Direction d, const std::vector<Key>* from, int limit) const
{
    const bool forward = d == Direction::Forward;
    const QString order = forward ? tableview::orderBy(s_) : descendingOrder(s_);
    const QString head = QStringLiteral("SELECT %1, %2 FROM %3")
                             .arg(s_.keySql, columns_.join(QStringLiteral(", ")), s_.sqlName);
    const ViewCondition& cond = s_.view.condition;
    auto query = [&](const QString& more, const std::vector<Key>& binds, int n) {
        return run(head + andWhere(cond, more) + QStringLiteral(" ORDER BY ") + order + QStringLiteral(" LIMIT ?"),
                   binds, {qint64(n)}, !forward);
    };
    if (!from)
        return query({}, {}, limit);

    // The condition below the first column, its binds after those of the first.
    std::vector<Key> binds;
    auto belowFirst = [&] {
        const Bound b = beyond(d, *from, 1);
        binds.insert(binds.end(), b.binds.begin(), b.binds.end());
        return b.sql;
    };

    const QString& c0 = columns_.front();
    const Key& v0 = from->front();
    if (columns_.size() == 1) {
        binds.push_back(v0);
        return query(c0 + (forward ? QStringLiteral(" > ?") : QStringLiteral(" < ?")), binds, limit);
    }
    if (v0.type == SqlType::Null) {
        const QString rest = belowFirst();
        if (!forward)
            return query(QStringLiteral("%1 IS NULL AND %2").arg(c0, rest), binds, limit);
        // The rest of the empty values, then the filled ones from their start.
        Page p = query(QStringLiteral("%1 IS NULL AND %2").arg(c0, rest), binds, limit);
        if (int(p.ids.size()) < limit)
            join(p, query(c0 + QStringLiteral(" IS NOT NULL"), {}, limit - int(p.ids.size())));
        return p;
    }
    // The first column bounds the index range read; the empty values of the first
    // column come before all filled ones.
    binds.push_back(v0);
    binds.push_back(v0);
    binds.push_back(v0);
    const QString rest = belowFirst();
    const QString cmp = forward ? QStringLiteral("%1 >= ? AND (%1 > ? OR (%1 = ? AND %2))")
                                : QStringLiteral("%1 <= ? AND (%1 < ? OR (%1 = ? AND %2))");
    Page p = query(cmp.arg(c0, rest), binds, limit);
    if (!forward && int(p.ids.size()) < limit) {
        Page before = query(c0 + QStringLiteral(" IS NULL"), {}, limit - int(p.ids.size()));
        join(before, std::move(p));
        p = std::move(before);
    }
    return p;
}

ViewRows::Page ViewRows::readAt(qint64 offset, int limit) const
{
    const QString sql = QStringLiteral("SELECT %1, %2 FROM %3%4 ORDER BY %5 LIMIT ? OFFSET ?")
                            .arg(s_.keySql, columns_.join(QStringLiteral(", ")), s_.sqlName,
                                 s_.view.condition.whereSql(), tableview::orderBy(s_));
    return run(sql, {}, {qint64(limit), offset}, false);
}

ViewRows::Page ViewRows::run(const QString& sql, const std::vector<Key>& binds, const std::vector<qint64>& tail,
                             bool reversed) const
{
    const ViewCondition& cond = s_.view.condition;
    SqlStatement& st = s_.conn->statement(sql);
    ResetOnExit reset(st);
    cond.bind(st);
    int i = int(cond.binds.size()) + 1;
    bindKeys(st, i, binds);
    i += int(binds.size());
    for (qint64 t : tail)
        st.bindInt(i++, t);

    Page p;
    const int width = int(columns_.size());
    auto keys = [&] {
        std::vector<Key> out(static_cast<size_t>(width));
        for (int c = 0; c < width; ++c) {
            const SqlValue v = st.column(c + 1);
            Key& k = out[size_t(c)];
            k.type = v.type;
            k.integer = v.integer;
            k.real = v.real;
            if (v.type == SqlType::Text || v.type == SqlType::Blob)
                k.bytes = QByteArray(v.data, v.bytes);
        }
        return out;
    };
    bool firstRow = true;
    std::vector<Key> lastKeys;
    while (st.step()) {
        p.ids.push_back(st.column(0).toInt64());
        if (firstRow) {
            p.first = keys();
            firstRow = false;
        }
        lastKeys = keys();
    }
    p.last = std::move(lastKeys);
    if (reversed) {
        std::reverse(p.ids.begin(), p.ids.end());
        std::swap(p.first, p.last);
    }
    return p;
}

std::optional<size_t> ViewRows::find(qint64 id) const
{
    if (!windowed_) {
        const auto it = std::find(list_.begin(), list_.end(), id);
        return it == list_.end() ? std::nullopt : std::optional<size_t>(size_t(it - list_.begin()));
    }
    for (const auto& [start, page] : pages_)
        if (const auto it = std::find(page.ids.begin(), page.ids.end(), id); it != page.ids.end())
            return size_t(start + (it - page.ids.begin()));
    // Its keys, if the view holds it; then the rows before it, counted by the engine.
    const std::optional<std::vector<Key>> own = keysOf(id);
    if (!own)
        return std::nullopt;
    return size_t(countWhere(beyond(Direction::Backward, *own)));
}

std::optional<std::vector<ViewRows::Key>> ViewRows::keysOf(qint64 id) const
{
    Page own = run(QStringLiteral("SELECT %1, %2 FROM %3%4 LIMIT 1")
                       .arg(s_.keySql, columns_.join(QStringLiteral(", ")), s_.sqlName,
                            andWhere(s_.view.condition, s_.keySql + QStringLiteral(" = ?"))),
                   {}, {id}, false);
    if (own.ids.empty())
        return std::nullopt;
    return std::move(own.first);
}

ViewRows::Bound ViewRows::beyond(Direction d, const std::vector<Key>& at, size_t from) const
{
    Bound out;
    const bool forward = d == Direction::Forward;
    std::function<QString(size_t)> level = [&](size_t i) -> QString {
        const QString& c = columns_[qsizetype(i)];
        const Key& v = at[i];
        if (i + 1 == size_t(columns_.size())) {
            out.binds.push_back(v);
            return c + (forward ? QStringLiteral(" > ?") : QStringLiteral(" < ?"));
        }
        if (v.type == SqlType::Null) {
            const QString rest = level(i + 1);
            return forward ? QStringLiteral("(%1 IS NOT NULL OR %2)").arg(c, rest)
                           : QStringLiteral("(%1 IS NULL AND %2)").arg(c, rest);
        }
        out.binds.push_back(v);
        out.binds.push_back(v);
        const QString rest = level(i + 1);
        return forward ? QStringLiteral("(%1 > ? OR (%1 = ? AND %2))").arg(c, rest)
                       : QStringLiteral("(%1 IS NULL OR %1 < ? OR (%1 = ? AND %2))").arg(c, rest);
    };
    out.sql = level(from);
    return out;
}

qint64 ViewRows::countWhere(const Bound& b) const
{
    const ViewCondition& cond = s_.view.condition;
    SqlStatement& st = s_.conn->statement(
        QStringLiteral("SELECT count(*) FROM %1%2").arg(s_.sqlName, andWhere(cond, b.sql)));
    ResetOnExit reset(st);
    cond.bind(st);
    bindKeys(st, int(cond.binds.size()) + 1, b.binds);
    return st.step() ? st.column(0).toInt64() : 0;
}

std::optional<size_t> ViewRows::findNear(qint64 id, size_t anchorPos, qint64 anchorId) const
{
    if (!windowed_)
        return find(id);
    const std::optional<std::vector<Key>> own = keysOf(id);
    const std::optional<std::vector<Key>> anchor = keysOf(anchorId);
    if (!own || !anchor)
        return find(id);
    // Which side of the anchor the record lies on, then the rows strictly between
    // the two, counted over the index range they span.
    Bound isAfter = beyond(Direction::Forward, *anchor);
    isAfter.sql += QStringLiteral(" AND ") + s_.keySql + QStringLiteral(" = ?");
    Key self;
    self.type = SqlType::Integer;
    self.integer = id;
    isAfter.binds.push_back(self);
    const bool after = countWhere(isAfter) == 1;
    const Bound low = beyond(Direction::Forward, after ? *anchor : *own);
    const Bound high = beyond(Direction::Backward, after ? *own : *anchor);
    Bound between{low.sql + QStringLiteral(" AND ") + high.sql, low.binds};
    between.binds.insert(between.binds.end(), high.binds.begin(), high.binds.end());
    const qint64 n = countWhere(between);
    // Before the anchor, the record takes the place the anchor had, less the rows between.
    return after ? anchorPos + 1 + size_t(n) : anchorPos - size_t(n);
}

std::optional<std::pair<size_t, qint64>> ViewRows::anchorNear(size_t pos) const
{
    if (const std::optional<qint64> id = loadedId(qint64(pos)))
        return std::make_pair(pos, *id);
    if (known_)
        return std::make_pair(size_t(known_->first), known_->second);
    return std::nullopt;
}

std::optional<qint64> ViewRows::lastNow() const
{
    const Page p = readKeyset(Direction::Backward, nullptr, 1);
    return p.ids.empty() ? std::nullopt : std::optional<qint64>(p.ids.back());
}

void ViewRows::erase(size_t index)
{
    if (!windowed_) {
        list_.erase(list_.begin() + std::ptrdiff_t(index));
        return;
    }
    const qint64 pos = qint64(index);
    std::map<qint64, Page> kept;
    for (auto& [start, page] : pages_) {
        const qint64 end = start + qint64(page.ids.size());
        if (end <= pos)
            kept.emplace(start, std::move(page));
        else if (start > pos)
            kept.emplace(start - 1, std::move(page));
    }
    pages_ = std::move(kept);
    --count_;
    if (known_ && known_->first == pos)
        known_.reset();
    else if (known_ && known_->first > pos)
        --known_->first;
}

void ViewRows::insert(size_t index, qint64 id)
{
    if (!windowed_) {
        list_.insert(list_.begin() + std::ptrdiff_t(index), id);
        return;
    }
    const qint64 pos = qint64(index);
    std::map<qint64, Page> kept;
    for (auto& [start, page] : pages_) {
        const qint64 end = start + qint64(page.ids.size());
        if (end <= pos) {
            kept.emplace(start, std::move(page));
        } else if (start >= pos) {
            kept.emplace(start + 1, std::move(page));
        } else {
            // Inside a page: its first and last rows stay what they were.
            page.ids.insert(page.ids.begin() + std::ptrdiff_t(pos - start), id);
            kept.emplace(start, std::move(page));
        }
    }
    pages_ = std::move(kept);
    ++count_;
    known_ = std::make_pair(pos, id);
}

} // namespace jadl
