#pragma once
// The engine's own SQL functions, registered on every SQLite connection it opens:
//   jadl_exact_sums(x1, ..., xn)  the exact sums (common/ExactSum) of the
//                      non-null values of each argument, so SQLite's totals equal
//                      a walk's in any order; a blob of n doubles, n at most
//                      kMaxExactSums (one call per row, however many totals);
//   jadl_member(id, ?) 1 when the id is in the record set bound as the second
//                      argument (bindMembers), else 0;
//   and for the sums kept per month (store/internal/KeptSums.h), whose state is
//   a blob of exact sums (stateBlob) that adding in any order leaves the same:
//   jadl_sums_state(x1, ..., xn)      aggregate: the state of the rows' sums;
//   jadl_sums_merge(state)            aggregate: the states merged into one;
//   jadl_sums_add(state, sign, x1, ..., xn)  a row's values added into the
//                      state (sign 1) or taken out of it (sign -1); a null state
//                      is an empty one;
//   jadl_sums_values(state, i1, ...)  the sums (all, or those numbered i1, ...)
//                      as a blob of doubles like jadl_exact_sums', null when one
//                      of them outgrew doubles;
//   jadl_keyed(?, key, i)  the i-th value stored for the key in a blob of
//                      keyedBlob, null when the key has none.
#include "common/ExactSum.h"

#include <QByteArray>
#include <QtGlobal>

#include <map>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace jadl {

// A set of record ids, as a bitmap over their range where the ids lie close
// together (a million ids cost 125 kB and a lookup is one bit test), else hashed.
class RowSet {
public:
    RowSet() = default;
    explicit RowSet(const std::vector<qint64>& ids);
    bool contains(qint64 id) const
    {
        if (!sparse_.empty())
            return sparse_.count(id) > 0;
        const quint64 k = quint64(id) - quint64(min_);
        return id >= min_ && k < bits_.size() && bits_[size_t(k)];
    }

private:
    qint64 min_ = 0;
    std::vector<bool> bits_;
    std::unordered_set<qint64> sparse_;
};

namespace sqlfunctions {
inline constexpr int kMaxExactSums = 8;
void install(sqlite3* db);
// Binds the set as parameter `index` of jadl_member; it must outlive the statement's run.
int bindMembers(sqlite3_stmt* st, int index, const RowSet* set);

QByteArray stateBlob(const std::vector<ExactSum>& sums);
// nullopt when the bytes are no state of sums.
std::optional<std::vector<ExactSum>> readStateBlob(std::string_view bytes);
// Values by key, each key with `width` values, for jadl_keyed.
QByteArray keyedBlob(const std::map<qint64, std::vector<double>>& values, int width);
} // namespace sqlfunctions

} // namespace jadl
