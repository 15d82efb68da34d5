#include "store/internal/SqlFunctions.h"

#include "common/ExactSum.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>
#include <stdexcept>

namespace jadl {

RowSet::RowSet(const std::vector<qint64>& ids)
{
    if (ids.empty())
        return;
    const auto [lo, hi] = std::minmax_element(ids.begin(), ids.end());
    const quint64 range = quint64(*hi) - quint64(*lo); // no overflow, whatever the ids
    if (range / 64 > ids.size()) {
        sparse_.insert(ids.begin(), ids.end());
        return;
    }
    min_ = *lo;
    bits_.assign(size_t(range) + 1, false);
    for (qint64 id : ids)
        bits_[size_t(quint64(id) - quint64(min_))] = true;
}

namespace sqlfunctions {
namespace {

// SQLite hands an aggregate zeroed memory; the sums are built in it on the first row.
struct SumSlot {
    int count; // 0 until the first row
    alignas(ExactSum) unsigned char storage[kMaxExactSums][sizeof(ExactSum)];
    ExactSum& sum(int i) { return *std::launder(reinterpret_cast<ExactSum*>(storage[i])); }
};
static_assert(std::is_trivially_destructible_v<ExactSum>);

void exactSumsStep(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    auto* slot = static_cast<SumSlot*>(sqlite3_aggregate_context(ctx, sizeof(SumSlot)));
    if (!slot) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    if (slot->count == 0) {
        if (argc < 1 || argc > kMaxExactSums) {
            sqlite3_result_error(ctx, "jadl_exact_sums takes 1 to 8 values", -1);
            return;
        }
        for (int i = 0; i < argc; ++i)
            new (slot->storage[i]) ExactSum();
        slot->count = argc;
    }
    for (int i = 0; i < slot->count; ++i)
        if (sqlite3_value_type(argv[i]) != SQLITE_NULL)
            slot->sum(i).add(sqlite3_value_double(argv[i]));
}

void exactSumsFinal(sqlite3_context* ctx)
{
    auto* slot = static_cast<SumSlot*>(sqlite3_aggregate_context(ctx, 0));
    double out[kMaxExactSums] = {};
    const int n = slot ? slot->count : 0;
    for (int i = 0; i < n; ++i)
        out[i] = slot->sum(i).value();
    // No rows: an empty blob, read as zeros.
    sqlite3_result_blob(ctx, out, int(sizeof(double)) * n, SQLITE_TRANSIENT);
}

const char* const kRowSetType = "jadl_rowset";

void member(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* set = static_cast<const RowSet*>(sqlite3_value_pointer(argv[1], kRowSetType));
    if (!set) {
        sqlite3_result_error(ctx, "jadl_member used without a record set", -1);
        return;
    }
    sqlite3_result_int(ctx, set->contains(sqlite3_value_int64(argv[0])) ? 1 : 0);
}

} // namespace

void install(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DIRECTONLY;
    if (sqlite3_create_function_v2(db, "jadl_exact_sums", -1, flags, nullptr, nullptr, exactSumsStep, exactSumsFinal,
                                   nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_member", 2, flags, nullptr, member, nullptr, nullptr, nullptr) !=
            SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

int bindMembers(sqlite3_stmt* st, int index, const RowSet* set)
{
    return sqlite3_bind_pointer(st, index, const_cast<RowSet*>(set), kRowSetType, nullptr);
}

} // namespace sqlfunctions
} // namespace jadl
