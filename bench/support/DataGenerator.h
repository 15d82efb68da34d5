#pragma once
// Synthetic data directory for the benchmarks: suppliers, goods groups, basic
// goods, one restaurant and a long register of purchase lines. The table files
// are created through the store (so they carry the program's own definitions),
// then filled in bulk over SQLite in one transaction.
#include <QDate>
#include <QString>

#include <cstdint>

namespace jadl::bench {

inline constexpr int kSuppliers = 200;
inline constexpr int kGroups = 40;
inline constexpr int kGoodsPerGroup = 50;
inline constexpr int kGoods = kGroups * kGoodsPerGroup;
inline constexpr qint64 kDefaultLines = 1'000'000;
inline constexpr std::uint64_t kDefaultSeed = 20261206;

// The register covers ten years ending on a fixed day, so every run sees the
// same calendar whatever the machine's date.
QDate lastPurchaseDay(); // 2026-12-06
QDate firstPurchaseDay(); // 2016-12-07

struct GenOptions {
    QString directory; // real folder; created when missing
    qint64 lines = kDefaultLines;
    std::uint64_t seed = kDefaultSeed;
    bool replace = false; // remove table files already there first
};

struct GenResult {
    qint64 lines = 0;
    double seconds = 0;
};

// The suppliers' shares of the purchase lines are equal in expectation; each
// supplier delivers the goods of three groups, fixed by its number.
int supplierGroup(int supplierNumber, int which); // which = 0..2 -> group Numer 1..kGroups

// Builds the data directory. Throws EngineError naming the file on a store or
// SQLite failure, std::invalid_argument on bad options (e.g. table files
// already there without `replace`).
GenResult generateData(const GenOptions& options);

// Name of the file written last by a complete run; its absence means the
// directory is missing or half-written.
QString completeMarker(const QString& directory);

} // namespace jadl::bench
