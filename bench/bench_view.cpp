// Building the purchase-lines view: one supplier's month (the master link on the
// suppliers) and every supplier's month, against plain sqlite3 doing the same
// selection in the same order on the same file.
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "store/SharedValues.h"
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"

#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

const char* const kTowary = "Towary.DB";

std::string selectMonth(const SqliteDb& db, bool oneSupplier)
{
    return "SELECT \"Numer\" FROM " + sqlTableName(db) + " WHERE " +
        (oneSupplier ? std::string("\"NumerDostawcy\" = ? AND ") : std::string()) +
        "\"DataZakupu\" BETWEEN ? AND ? ORDER BY " +
        (oneSupplier ? "\"NumerDostawcy\", \"Symbol\", \"Numer\"" : "\"Symbol\", \"Numer\"");
}

// Rows of the selection, as plain sqlite3 finds them with a fresh connection.
qint64 referenceCount(const QString& path, bool oneSupplier, int supplier, const QDate& from, const QDate& to)
{
    SqliteDb db(path, SQLITE_OPEN_READONLY);
    SqliteStmt st(db, selectMonth(db, oneSupplier));
    int i = 1;
    if (oneSupplier)
        st.bind(i++, supplier);
    st.bind(i++, from);
    st.bind(i, to);
    qint64 n = 0;
    while (st.step())
        ++n;
    return n;
}

void checkSame(qint64 engine, qint64 reference)
{
    if (engine != reference)
        throw std::runtime_error("engine and sqlite3 disagree on the row count: " + std::to_string(engine) + " vs " +
                                 std::to_string(reference));
}

// Open with the master link on one supplier, count, close.
void BM_OneSupplierMonth_Open(benchmark::State& state)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        PurchaseView v(dir);
        v.openSuppliersAt(kBenchSupplier);
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            engine.start();
            v.lines.open();
            rows = v.lines.recordCount();
            v.lines.close();
            engine.stop();
        }
        const auto ref = timeReference(engine.runs(), [&] {
            checkSame(rows, referenceCount(path, true, kBenchSupplier, benchMonthStart(), benchMonthEnd()));
        });
        report(state, engine, ref, double(rows), 20);
    });
}
BENCHMARK(BM_OneSupplierMonth_Open)->Unit(benchmark::kMillisecond);

// The table stays open; each step moves the suppliers to the next record, so the
// view is rebuilt for another supplier (what scrolling the supplier grid does).
void BM_OneSupplierMonth_MasterMove(benchmark::State& state)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        PurchaseView v(dir);
        v.openSuppliersAt(1);
        v.lines.open();
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            engine.start();
            v.suppliers.next();
            if (v.suppliers.eof())
                v.suppliers.first();
            rows += v.lines.recordCount();
            engine.stop();
        }
        const qint64 moves = engine.runs();
        v.lines.close();
        v.suppliers.close();

        // sqlite3: one open connection and one prepared statement, re-bound per supplier.
        SqliteDb db(path, SQLITE_OPEN_READONLY);
        SqliteStmt st(db, selectMonth(db, true));
        int supplier = 1;
        qint64 refRows = 0;
        const auto ref = timeReference(moves, [&] {
            supplier = supplier % kSuppliers + 1;
            st.reset();
            st.bind(1, supplier);
            st.bind(2, benchMonthStart());
            st.bind(3, benchMonthEnd());
            while (st.step())
                ++refRows;
        });
        report(state, engine, ref, double(rows) / double(std::max<qint64>(1, moves)), 20);
        if (ref.runs() == moves)
            checkSame(rows, refRows);
    });
}
BENCHMARK(BM_OneSupplierMonth_MasterMove)->Unit(benchmark::kMillisecond);

// No master link, index "SymbolInd": the month of every supplier.
void BM_AllSuppliersMonth_Open(benchmark::State& state)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        PurchaseView v(dir);
        v.linkToSuppliers(false);
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            engine.start();
            v.lines.open();
            rows = v.lines.recordCount();
            v.lines.close();
            engine.stop();
        }
        const auto ref = timeReference(engine.runs(), [&] {
            checkSame(rows, referenceCount(path, false, 0, benchMonthStart(), benchMonthEnd()));
        });
        report(state, engine, ref, double(rows), 100);
    });
}
BENCHMARK(BM_AllSuppliersMonth_Open)->Unit(benchmark::kMillisecond);

// The table stays open; each step switches between two months and refreshes,
// as choosing another period in the supplier goods window does.
void BM_AllSuppliersMonth_Refresh(benchmark::State& state)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        PurchaseView v(dir);
        v.linkToSuppliers(false);
        v.lines.open();
        const QDate months[2][2] = {{benchMonthStart(), benchMonthEnd()},
                                    {benchMonthStart().addMonths(-1), benchMonthStart().addDays(-1)}};
        Stopwatch engine;
        qint64 rows = 0;
        int k = 0;
        for (auto _ : state) {
            k ^= 1;
            engine.start();
            v.setPeriod(months[k][0], months[k][1]);
            v.lines.refresh();
            rows = v.lines.recordCount();
            engine.stop();
        }
        v.lines.close();
        SqliteDb db(path, SQLITE_OPEN_READONLY);
        SqliteStmt st(db, selectMonth(db, false));
        int j = k;
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            st.bind(1, months[j][0]);
            st.bind(2, months[j][1]);
            qint64 n = 0;
            while (st.step())
                ++n;
            if (j == k)
                checkSame(rows, n);
            j ^= 1;
        });
        report(state, engine, ref, double(rows), 100);
    });
}
BENCHMARK(BM_AllSuppliersMonth_Refresh)->Unit(benchmark::kMillisecond);

// The windows re-apply a changed filter by turning Filtered off and on again
// inside disabled display updates; this measures that whole step.
void BM_AllSuppliersMonth_FilterToggle(benchmark::State& state)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        PurchaseView v(dir);
        v.linkToSuppliers(false);
        v.lines.open();
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            engine.start();
            {
                ControlsDisabled quiet(v.lines);
                v.lines.setFiltered(false);
                v.lines.setFiltered(true);
            }
            rows = v.lines.recordCount();
            engine.stop();
        }
        v.lines.close();
        const auto ref = timeReference(engine.runs(), [&] {
            checkSame(rows, referenceCount(path, false, 0, benchMonthStart(), benchMonthEnd()));
        });
        report(state, engine, ref, double(rows), 100);
    });
}
BENCHMARK(BM_AllSuppliersMonth_FilterToggle)->Unit(benchmark::kMillisecond);

// The supplier goods window as the purchase-lines filter sees it: visible, with
// "Wybrany Miesiąc" chosen.
class SupplierGoodsWindowShown : public PurchaseFilterInputs {
public:
    bool assignmentVisible() const override { return false; }
    bool filterByGroup() const override { return false; }
    QDate assignmentCalendarDate() const override { return {}; }
    bool supplierGoodsVisible() const override { return true; }
    std::optional<jadl::PeriodChoice> periodChoice() const override { return jadl::PeriodChoice::ChosenMonth; }
};

// The program's own path: TableTowary of the data module with its filter rule
// and pre-filter, the period in the shared dates; open, count, close.
void dataModuleMonth(benchmark::State& state, bool oneSupplier)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QLatin1String(kTowary));
        Aliases::setAlias(QStringLiteral("dane_bar"), dir);
        shared().periodStart = benchMonthStart();
        shared().periodEnd = benchMonthEnd();
        const SupplierGoodsWindowShown window;
        TModulDanych1 module;
        module.setFilterInputs(&window);
        Table& lines = *module.TableTowary;
        if (oneSupplier) {
            module.TableDostawcy->open();
            if (!module.TableDostawcy->locate(QStringLiteral("Numer"), kBenchSupplier))
                throw std::runtime_error("benchmark supplier not found");
        } else {
            lines.setMasterSource(nullptr);
            lines.setIndexName(QStringLiteral("SymbolInd"));
        }
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            engine.start();
            lines.open();
            rows = lines.recordCount();
            lines.close();
            engine.stop();
        }
        module.TableDostawcy->close();
        module.setFilterInputs(nullptr);
        const auto ref = timeReference(engine.runs(), [&] {
            checkSame(rows, referenceCount(path, oneSupplier, kBenchSupplier, benchMonthStart(), benchMonthEnd()));
        });
        report(state, engine, ref, double(rows), oneSupplier ? 20 : 100);
    });
}

void BM_DataModule_OneSupplierMonth(benchmark::State& state)
{
    dataModuleMonth(state, true);
}
BENCHMARK(BM_DataModule_OneSupplierMonth)->Unit(benchmark::kMillisecond);

void BM_DataModule_AllSuppliersMonth(benchmark::State& state)
{
    dataModuleMonth(state, false);
}
BENCHMARK(BM_DataModule_AllSuppliersMonth)->Unit(benchmark::kMillisecond);

} // namespace

JADL_BENCHMARK_MAIN()
