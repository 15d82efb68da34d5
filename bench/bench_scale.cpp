// The whole register of the generated data set as the supplier goods window
// shows it: "Cały Okres" of all suppliers to its first screen, the whole
// register's totals, a month of all suppliers, a page scrolled, a line posted into
// the whole view and the memory the view holds read end to end; each beside plain
// sqlite3 giving the same answer on the same file.
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"
#include "support/ScreenBench.h"

#include <random>
#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

const char* const kOrder = "\"Symbol#pl\", rowid";
const char* const kSums = "count(*), sum(\"WartoscNetto\"), sum(\"WartoscVat\"), sum(\"WartoscBrutto\")";
const char* const kScreen =
    "\"Symbol\", \"Nazwa\", \"Ilosc\", \"JednostkaMiary\", \"CenaNetto\", \"WartoscNetto\", \"WartoscBrutto\", "
    "\"DataZakupu\"";

// All suppliers by "SymbolInd", over "Cały Okres" or the benchmark month.
struct AllSuppliers {
    PurchaseView view;
    explicit AllSuppliers(bool whole) : view(ensureData())
    {
        view.linkToSuppliers(false);
        if (whole)
            view.setWholePeriod();
        view.lines.open();
    }
};

// sqlite3 on the same file: the count and plain sums of the rows, and a screen of them.
struct Floor {
    SqliteDb db;
    std::string where;
    explicit Floor(bool whole)
        : db(tablePath(ensureData(), QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY),
          where(whole ? std::string() : std::string(" WHERE \"DataZakupu\" BETWEEN ? AND ?"))
    { }
    void bindPeriod(SqliteStmt& st) const
    {
        if (!where.empty()) {
            st.bind(1, benchMonthStart());
            st.bind(2, benchMonthEnd());
        }
    }
    qint64 sums() const
    {
        SqliteStmt st(db, std::string("SELECT ") + kSums + " FROM " + sqlTableName(db) + where);
        bindPeriod(st);
        return st.step() ? st.columnInt(0) : 0;
    }
    qint64 screen() const
    {
        SqliteStmt st(db,
                      std::string("SELECT ") + kScreen + " FROM " + sqlTableName(db) + where + " ORDER BY " + kOrder +
                          " LIMIT 40");
        bindPeriod(st);
        qint64 n = 0;
        while (st.step())
            ++n;
        return n;
    }
};

void checkSame(qint64 engine, qint64 reference)
{
    if (engine != reference)
        throw std::runtime_error("engine and sqlite3 disagree on the row count: " + std::to_string(engine) + " vs " +
                                 std::to_string(reference));
}

// The period switched to again: the view read anew, then the first screen.
void switchTo(benchmark::State& state, bool whole, double targetMs)
{
    guarded(state, [&] {
        AllSuppliers v(whole);
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            v.view.lines.refresh();
            benchmark::DoNotOptimize(firstScreen(v.view.lines));
            engine.stop();
        }
        const qint64 rows = v.view.lines.recordCount();
        const Floor floor(whole);
        const auto ref = timeReference(engine.runs(), [&] {
            checkSame(rows, floor.sums());
            benchmark::DoNotOptimize(floor.screen());
        });
        report(state, engine, ref, double(rows), targetMs);
    });
}

void BM_Scale_WholeRegisterFirstScreen(benchmark::State& state)
{
    switchTo(state, true, 100);
}
BENCHMARK(BM_Scale_WholeRegisterFirstScreen)->Unit(benchmark::kMillisecond);

void BM_Scale_AllSuppliersMonthFirstScreen(benchmark::State& state)
{
    switchTo(state, false, 50);
}
BENCHMARK(BM_Scale_AllSuppliersMonthFirstScreen)->Unit(benchmark::kMillisecond);

// The totals of the whole register, the view already open.
void BM_Scale_WholeRegisterTotals(benchmark::State& state)
{
    guarded(state, [&] {
        AllSuppliers v(true);
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            benchmark::DoNotOptimize(v.view.lines.sumsOverView(totalFields()));
            engine.stop();
        }
        const Floor floor(true);
        const auto ref = timeReference(engine.runs(), [&] { benchmark::DoNotOptimize(floor.sums()); });
        report(state, engine, ref, double(v.view.lines.recordCount()), 50);
    });
}
BENCHMARK(BM_Scale_WholeRegisterTotals)->Unit(benchmark::kMillisecond);

// A page down from wherever the user is in the whole register: the cursor moves
// a screen and the grid reads the rows it shows.
void BM_Scale_ScrollPage(benchmark::State& state)
{
    guarded(state, [&] {
        AllSuppliers v(true);
        Table& lines = v.view.lines;
        const int n = lines.recordCount();
        std::mt19937 gen(5);
        std::uniform_int_distribution<int> anyRow(0, n - 1000);
        Stopwatch engine, jump;
        int row = 0;
        for (auto _ : state) {
            // Every fifth page a jump elsewhere, as dragging the scroll bar does.
            if (engine.runs() % 5 == 0) {
                row = anyRow(gen);
                jump.start();
                lines.setRecNo(row + 1);
                readScreen(lines, row);
                jump.stop();
            }
            engine.start();
            lines.moveBy(kScreenRows);
            row += kScreenRows;
            benchmark::DoNotOptimize(readScreen(lines, row));
            engine.stop();
        }
        // sqlite3 reads the next screen after the last row shown, by the same index.
        const Floor floor(true);
        SqliteStmt st(floor.db,
                      std::string("SELECT ") + kScreen + ", \"Symbol#pl\", rowid FROM " + sqlTableName(floor.db) +
                          " WHERE (\"Symbol#pl\", rowid) > (?, ?) ORDER BY " + kOrder + " LIMIT 40");
        SqliteStmt at(floor.db,
                      std::string("SELECT \"Symbol#pl\", rowid FROM ") + sqlTableName(floor.db) + " ORDER BY " +
                          kOrder + " LIMIT 1 OFFSET ?");
        at.bind(1, qint64(n / 2));
        if (!at.step())
            throw std::runtime_error("no middle row");
        const QByteArray key(static_cast<const char*>(sqlite3_column_blob(at.raw(), 0)),
                             sqlite3_column_bytes(at.raw(), 0));
        const qint64 id = at.columnInt(1);
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            sqlite3_bind_blob(st.raw(), 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            st.bind(2, id);
            qint64 k = 0;
            while (st.step())
                ++k;
            checkSame(k, kScreenRows);
        });
        report(state, engine, ref, double(n), 20);
        state.counters["jump_ms"] = jump.meanMs();
    });
}
BENCHMARK(BM_Scale_ScrollPage)->Unit(benchmark::kMillisecond)->Iterations(200);

// The whole register open and read end to end, every shown column of every
// row: the peak the process reaches meanwhile, beside what it held before.
void BM_Scale_WholeRegisterMemory(benchmark::State& state)
{
    guarded(state, [&] {
        for (auto _ : state) {
            const double before = currentMemoryMb();
            resetPeakMemory();
            AllSuppliers v(true);
            Table& lines = v.view.lines;
            const int n = lines.recordCount();
            for (int row = 0; row < n; row += kScreenRows)
                benchmark::DoNotOptimize(readScreen(lines, row));
            state.counters["rows"] = n;
            state.counters["before_MB"] = before;
            state.counters["rss_MB"] = peakMemoryMb();
            state.counters["target_MB"] = 100;
            state.counters["met"] = peakMemoryMb() <= 100 ? 1 : 0;
        }
    });
}
BENCHMARK(BM_Scale_WholeRegisterMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

JADL_BENCHMARK_MAIN();
