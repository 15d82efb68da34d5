#include "store/internal/RowCache.h"

#include "store/internal/TableState.h"
#include "store/internal/Values.h"

#include <algorithm>

namespace jadl {

using namespace detail;

namespace rowcache {
namespace {

// Rows kept for grids and reports; a screenful or a report page is far less.
constexpr size_t kCachedRows = 2048;
// Records read together when a loop or a grid walks the view: one read
// transaction (and its file locks) per block instead of per record. A block
// holds about kBlockCells values, so narrow reads come in longer blocks.
constexpr int kBlockCells = 8192;
constexpr int kMinBlockRows = 32;
constexpr int kMaxBlockRows = 256;

void store(TableState& s, qint64 id, CachedRow&& row)
{
    auto& c = s.cache;
    if (c.rows.count(id))
        return;
    if (c.rows.size() >= kCachedRows) {
        c.rows.erase(c.lru.back());
        c.lru.pop_back();
    }
    c.lru.push_front(id);
    c.rows.emplace(id, std::make_pair(std::move(row), c.lru.begin()));
}

QString blockSql(TableState& s)
{
    auto& c = s.cache;
    c.blockRows = std::clamp(kBlockCells / int(c.readColumns.size()), kMinBlockRows, kMaxBlockRows);
    QString cols;
    for (int col : c.readColumns)
        cols += QStringLiteral(", ") + quoteId(s.fields[size_t(col)]->fieldName());
    QStringList marks;
    for (int i = 0; i < c.blockRows; ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("SELECT %1%2 FROM %3 WHERE %1 IN (%4)")
        .arg(s.keySql, cols, s.sqlName, marks.join(QLatin1Char(',')));
}

// The record at viewPos and the following ones that miss any of the columns read so far.
void readBlock(TableState& s, int viewPos)
{
    auto& c = s.cache;
    const size_t nFields = s.fields.size();
    const bool whole = c.readColumns.size() == nFields;
    const size_t width = whole ? nFields : size_t(c.readColumns.back()) + 1; // readColumns is sorted
    if (c.blockSql.isEmpty())
        c.blockSql = blockSql(s);
    auto lacks = [&](qint64 id) {
        const auto it = c.rows.find(id);
        if (it == c.rows.end())
            return true;
        const CachedRow& r = it->second.first;
        return std::any_of(c.readColumns.begin(), c.readColumns.end(), [&](int col) { return !r.has(size_t(col)); });
    };
    const auto& ids = s.view.ids;
    std::vector<qint64> wanted;
    for (size_t p = size_t(viewPos); p < ids.size() && wanted.size() < size_t(c.blockRows); ++p)
        if (p == size_t(viewPos) || lacks(ids[p]))
            wanted.push_back(ids[p]);

    SqlStatement& st = s.conn->statement(c.blockSql);
    ResetOnExit reset(st);
    {
        for (int i = 0; i < c.blockRows; ++i) {
            if (size_t(i) < wanted.size())
                st.bindInt(i + 1, wanted[size_t(i)]);
            else
                st.bindNull(i + 1);
        }
        while (st.step()) {
            const qint64 id = st.column(0).toInt64();
            const auto it = c.rows.find(id);
            if (it != c.rows.end()) {
                // Columns read earlier stay; the block adds the ones this record missed.
                CachedRow& r = it->second.first;
                if (r.have.empty())
                    continue;
                if (r.have.size() < width) {
                    r.values.resize(width);
                    r.have.resize(width, 0);
                }
                for (size_t k = 0; k < c.readColumns.size(); ++k) {
                    const size_t col = size_t(c.readColumns[k]);
                    if (!r.have[col]) {
                        r.values[col] = readColumn(s.def(col), st.column(int(k) + 1));
                        r.have[col] = 1;
                    }
                }
                if (whole)
                    r.have.clear();
                continue;
            }
            CachedRow row;
            row.values.resize(width);
            if (!whole)
                row.have.assign(width, 0);
            for (size_t k = 0; k < c.readColumns.size(); ++k) {
                const size_t col = size_t(c.readColumns[k]);
                row.values[col] = readColumn(s.def(col), st.column(int(k) + 1));
                if (!whole)
                    row.have[col] = 1;
            }
            store(s, id, std::move(row));
        }
    }
}

} // namespace

void dropAll(TableState& s)
{
    s.cache.rows.clear();
    s.cache.lru.clear();
}

void drop(TableState& s, qint64 id)
{
    auto& c = s.cache;
    const auto it = c.rows.find(id);
    if (it == c.rows.end())
        return;
    c.lru.erase(it->second.second);
    c.rows.erase(it);
}

void forgetStatements(TableState& s)
{
    s.cache.rowStatement = nullptr;
}

void reset(TableState& s)
{
    auto& c = s.cache;
    QStringList cols;
    for (const auto& f : s.fields)
        cols << quoteId(f->fieldName());
    c.rowSql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                   .arg(cols.join(QStringLiteral(", ")), s.sqlName, s.keySql);
    c.rowStatement = nullptr;
    c.readColumns.clear();
    c.readKnown.assign(s.fields.size(), 0);
    c.blockSql.clear();
    dropAll(s);
}

const CachedRow* wholeRow(TableState& s, qint64 id)
{
    auto& c = s.cache;
    const auto it = c.rows.find(id);
    if (it != c.rows.end()) {
        if (it->second.first.have.empty()) {
            c.lru.splice(c.lru.begin(), c.lru, it->second.second);
            return &it->second.first;
        }
        drop(s, id); // only some columns were read: the whole record is wanted here
    }
    if (!c.rowStatement)
        c.rowStatement = &s.conn->statement(c.rowSql);
    SqlStatement& st = *c.rowStatement;
    ResetOnExit reset(st);
    CachedRow row;
    const bool found = [&] {
        st.bindInt(1, id);
        if (!st.step())
            return false;
        row.values.reserve(s.fields.size());
        for (size_t i = 0; i < s.fields.size(); ++i)
            row.values.push_back(readColumn(s.def(i), st.column(int(i))));
        return true;
    }();
    if (!found)
        return nullptr;
    store(s, id, std::move(row));
    return &c.rows.find(id)->second.first;
}

QVariant valueAt(TableState& s, int viewPos, int fieldIndex)
{
    auto& c = s.cache;
    const size_t fi = size_t(fieldIndex);
    const qint64 id = s.view.ids[size_t(viewPos)];
    if (const auto it = c.rows.find(id); it != c.rows.end() && it->second.first.has(fi)) {
        c.lru.splice(c.lru.begin(), c.lru, it->second.second);
        return it->second.first.values[fi];
    }
    if (!c.readKnown[fi]) {
        c.readKnown[fi] = 1;
        c.readColumns.push_back(fieldIndex);
        std::sort(c.readColumns.begin(), c.readColumns.end());
        c.blockSql.clear();
    }
    readBlock(s, viewPos);
    const auto it = c.rows.find(id);
    return it != c.rows.end() ? it->second.first.values[fi] : QVariant();
}

} // namespace rowcache
} // namespace jadl
