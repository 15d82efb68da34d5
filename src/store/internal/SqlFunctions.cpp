#include "store/internal/SqlFunctions.h"

#include "common/ExactSum.h"

#include <QtEndian>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
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

// A state of sums: its version, how many sums, then each (ExactSum::serialize).
constexpr char kStateVersion = 1;

std::string_view bytesOf(sqlite3_value* v)
{
    const void* data = sqlite3_value_blob(v);
    return {static_cast<const char*>(data), data ? size_t(sqlite3_value_bytes(v)) : 0};
}

void resultState(sqlite3_context* ctx, const ExactSum* sums, int n)
{
    QByteArray out;
    out.append(kStateVersion);
    out.append(char(n));
    for (int i = 0; i < n; ++i)
        sums[i].serialize(out);
    sqlite3_result_blob(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

const char* const kBadState = "zapisane sumy miesięcy są uszkodzone";

// Reads a state into the slot's sums; false (and the error set) when it is none.
bool readInto(sqlite3_context* ctx, sqlite3_value* v, ExactSum* sums, int expected)
{
    std::string_view in = bytesOf(v);
    if (in.size() < 2 || in[0] != kStateVersion || (expected >= 0 && in[1] != expected) || in[1] < 1 ||
        in[1] > kMaxExactSums) {
        sqlite3_result_error(ctx, kBadState, -1);
        return false;
    }
    const int n = in[1];
    in.remove_prefix(2);
    for (int i = 0; i < n; ++i) {
        std::optional<ExactSum> s = ExactSum::deserialize(in);
        if (!s) {
            sqlite3_result_error(ctx, kBadState, -1);
            return false;
        }
        sums[i] = *s;
    }
    return true;
}

void sumsStateFinal(sqlite3_context* ctx)
{
    auto* slot = static_cast<SumSlot*>(sqlite3_aggregate_context(ctx, 0));
    if (!slot || slot->count == 0) {
        sqlite3_result_null(ctx);
        return;
    }
    resultState(ctx, &slot->sum(0), slot->count);
}

void sumsMergeStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    auto* slot = static_cast<SumSlot*>(sqlite3_aggregate_context(ctx, sizeof(SumSlot)));
    if (!slot) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    ExactSum read[kMaxExactSums];
    if (!readInto(ctx, argv[0], read, slot->count == 0 ? -1 : slot->count))
        return;
    if (slot->count == 0) {
        slot->count = static_cast<unsigned char>(bytesOf(argv[0])[1]);
        for (int i = 0; i < slot->count; ++i)
            new (slot->storage[i]) ExactSum(read[i]);
        return;
    }
    for (int i = 0; i < slot->count; ++i)
        slot->sum(i).merge(read[i]);
}

void sumsAdd(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const int n = argc - 2;
    if (n < 1 || n > kMaxExactSums) {
        sqlite3_result_error(ctx, "jadl_sums_add takes a state, a sign and 1 to 8 values", -1);
        return;
    }
    ExactSum sums[kMaxExactSums];
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL && !readInto(ctx, argv[0], sums, n))
        return;
    const bool removing = sqlite3_value_int(argv[1]) < 0;
    for (int i = 0; i < n; ++i) {
        sqlite3_value* x = argv[i + 2];
        if (sqlite3_value_type(x) == SQLITE_NULL)
            continue;
        if (removing)
            sums[i].remove(sqlite3_value_double(x));
        else
            sums[i].add(sqlite3_value_double(x));
    }
    resultState(ctx, sums, n);
}

void sumsValues(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    ExactSum sums[kMaxExactSums];
    if (!readInto(ctx, argv[0], sums, -1))
        return;
    const int n = static_cast<unsigned char>(bytesOf(argv[0])[1]);
    double out[kMaxExactSums] = {};
    const int wanted = argc > 1 ? std::min(argc - 1, kMaxExactSums) : n;
    for (int k = 0; k < wanted; ++k) {
        const int i = argc > 1 ? sqlite3_value_int(argv[k + 1]) : k;
        if (i < 0 || i >= n) {
            sqlite3_result_error(ctx, "jadl_sums_values: no such sum", -1);
            return;
        }
        if (sums[i].overflowed()) {
            sqlite3_result_null(ctx);
            return;
        }
        out[k] = sums[i].value();
    }
    sqlite3_result_blob(ctx, out, int(sizeof(double)) * wanted, SQLITE_TRANSIENT);
}

// keyedBlob: the width, then per key (ascending) the key and its values, all 64-bit little-endian.
void keyed(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const std::string_view in = bytesOf(argv[0]);
    const auto word = [&](size_t at) {
        quint64 w = 0;
        std::memcpy(&w, in.data() + at * 8, 8);
        return qFromLittleEndian(w);
    };
    if (in.size() < 8) {
        sqlite3_result_error(ctx, "jadl_keyed used without values", -1);
        return;
    }
    const size_t width = size_t(word(0));
    const size_t stride = width + 1;
    const size_t records = (in.size() / 8 - 1) / stride;
    const qint64 key = sqlite3_value_int64(argv[1]);
    const qint64 column = sqlite3_value_int64(argv[2]);
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || column < 0 || quint64(column) >= width) {
        sqlite3_result_null(ctx);
        return;
    }
    size_t lo = 0, hi = records;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const qint64 k = qint64(word(1 + mid * stride));
        if (k == key) {
            const quint64 bits = word(1 + mid * stride + 1 + size_t(column));
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            sqlite3_result_double(ctx, d);
            return;
        }
        if (k < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    sqlite3_result_null(ctx);
}

} // namespace

void install(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DIRECTONLY;
    const int pure = flags | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(db, "jadl_exact_sums", -1, flags, nullptr, nullptr, exactSumsStep, exactSumsFinal,
                                   nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_member", 2, flags, nullptr, member, nullptr, nullptr, nullptr) !=
            SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_sums_state", -1, flags, nullptr, nullptr, exactSumsStep, sumsStateFinal,
                                   nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_sums_merge", 1, flags, nullptr, nullptr, sumsMergeStep, sumsStateFinal,
                                   nullptr) != SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_sums_add", -1, pure, nullptr, sumsAdd, nullptr, nullptr, nullptr) !=
            SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_sums_values", -1, pure, nullptr, sumsValues, nullptr, nullptr, nullptr) !=
            SQLITE_OK ||
        sqlite3_create_function_v2(db, "jadl_keyed", 3, pure, nullptr, keyed, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
}

int bindMembers(sqlite3_stmt* st, int index, const RowSet* set)
{
    return sqlite3_bind_pointer(st, index, const_cast<RowSet*>(set), kRowSetType, nullptr);
}

QByteArray stateBlob(const std::vector<ExactSum>& sums)
{
    QByteArray out;
    out.append(kStateVersion);
    out.append(char(sums.size()));
    for (const ExactSum& e : sums)
        e.serialize(out);
    return out;
}

std::optional<std::vector<ExactSum>> readStateBlob(std::string_view in)
{
    if (in.size() < 2 || in[0] != kStateVersion || in[1] < 1 || in[1] > kMaxExactSums)
        return std::nullopt;
    std::vector<ExactSum> out(static_cast<size_t>(in[1]));
    in.remove_prefix(2);
    for (ExactSum& e : out) {
        std::optional<ExactSum> s = ExactSum::deserialize(in);
        if (!s)
            return std::nullopt;
        e = *s;
    }
    if (!in.empty())
        return std::nullopt;
    return out;
}

QByteArray keyedBlob(const std::map<qint64, std::vector<double>>& values, int width)
{
    QByteArray out;
    out.reserve(qsizetype((values.size() * size_t(width + 1) + 1) * 8));
    const auto put = [&](quint64 w) {
        const quint64 le = qToLittleEndian(w);
        out.append(reinterpret_cast<const char*>(&le), 8);
    };
    put(quint64(width));
    for (const auto& [key, v] : values) {
        put(quint64(key));
        for (int i = 0; i < width; ++i) {
            const double d = size_t(i) < v.size() ? v[size_t(i)] : 0.0;
            quint64 bits = 0;
            std::memcpy(&bits, &d, sizeof bits);
            put(bits);
        }
    }
    return out;
}

} // namespace sqlfunctions
} // namespace jadl
