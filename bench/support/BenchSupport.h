#pragma once
// Shared helpers of the benchmarks: the data directory, the purchase-lines view
// as the program wires it, and plain sqlite3 handles for the reference timings.
#include "store/DataSource.h"
#include "store/Table.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

namespace jadl::bench {

// JADL_BENCH_DATA, else bench/data in the source tree.
QString dataDirectory();
// The data directory with a complete generated data set; generates it (with
// JADL_BENCH_LINES lines when set) when it is missing or half-written.
QString ensureData();
// Real path of a table file in the data directory ("Towary.DB" -> .../Towary.DB).
QString tablePath(const QString& dir, const QString& fileName);

// The selections the benchmarks share.
inline constexpr int kBenchSupplier = 100;
QDate benchMonthStart(); // 2026-11-01, the last whole month of the register
QDate benchMonthEnd(); // 2026-11-30

// TableDostawcy with its data source and TableTowary, filtered on a date range
// by a callback and the matching SQL pre-filter.
class PurchaseView {
public:
    explicit PurchaseView(const QString& dir);
    ~PurchaseView();
    PurchaseView(const PurchaseView&) = delete;
    PurchaseView& operator=(const PurchaseView&) = delete;

    // On: the lines of the current supplier by "NrDostawcySymbolInd"; off: all
    // suppliers by "SymbolInd".
    void linkToSuppliers(bool on);
    // Takes effect at the next open or refresh.
    void setPeriod(const QDate& from, const QDate& to);
    // "Cały Okres": no date condition, the filter lets every line through.
    void setWholePeriod();
    // Opens the suppliers and moves to the supplier with this Numer.
    void openSuppliersAt(int supplierNumber);

    Table suppliers;
    DataSource supplierSource;
    Table lines;
    // Rows the filter callback saw since the last reset: what the engine offered it.
    qint64 filterCalls = 0;

private:
    QDate from_, to_;
    bool whole_ = false;
};

// --- plain sqlite3, for the reference timings --------------------------------

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};

class SqliteDb {
public:
    explicit SqliteDb(const QString& path, int flags = SQLITE_OPEN_READWRITE);
    sqlite3* get() const { return db_.get(); }
    void exec(const std::string& sql);
    const QString& path() const { return path_; }

private:
    QString path_;
    std::unique_ptr<sqlite3, SqliteCloser> db_;
};

class SqliteStmt {
public:
    SqliteStmt(const SqliteDb& db, const std::string& sql);
    void bind(int i, const QVariant& v); // null, int, qint64, double, bool, QString, QDate (ISO)
    bool step(); // true while a row is there
    void reset();
    double columnDouble(int i) const { return sqlite3_column_double(st_.get(), i); }
    qint64 columnInt(int i) const { return sqlite3_column_int64(st_.get(), i); }
    sqlite3_stmt* raw() const { return st_.get(); }

private:
    const SqliteDb& db_;
    std::unique_ptr<sqlite3_stmt, StmtFinalizer> st_;
};

// The quoted name of the one table inside a table file.
std::string sqlTableName(const SqliteDb& db);

// Accumulates wall time and process CPU time of the measured section only. On a
// shared machine the CPU time shows the work itself, the wall time what a user waits.
class Stopwatch {
public:
    void start()
    {
        t0_ = std::chrono::steady_clock::now();
        c0_ = cpuNow();
    }
    void stop()
    {
        total_ += std::chrono::steady_clock::now() - t0_;
        cpuTotal_ += cpuNow() - c0_;
        ++runs_;
    }
    double meanMs() const
    {
        return runs_ ? std::chrono::duration<double, std::milli>(total_).count() / double(runs_) : 0;
    }
    double meanCpuMs() const { return runs_ ? cpuTotal_ * 1e3 / double(runs_) : 0; }
    qint64 runs() const { return runs_; }

private:
    static double cpuNow()
    {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    }
    std::chrono::steady_clock::time_point t0_;
    std::chrono::steady_clock::duration total_{};
    double c0_ = 0;
    double cpuTotal_ = 0;
    qint64 runs_ = 0;
};

} // namespace jadl::bench
