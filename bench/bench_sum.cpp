// Totals over a view of purchase lines: the engine's sums over its view (as the
// purchase windows take them) against a plain sqlite3 aggregate over the same
// rows; and, for comparison, summing WartoscNetto over about 30,000 lines by
// walking the table record by record against sqlite3 stepping through the same
// rows in the same order.
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"

#include <cmath>
#include <optional>
#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

constexpr qint64 kWantedRows = 30000;

// The latest days of the register that together hold about kWantedRows lines.
QDate rangeStartFor(const QString& path)
{
    SqliteDb db(path, SQLITE_OPEN_READONLY);
    SqliteStmt st(db,
                  "SELECT \"DataZakupu\", count(*) FROM " + sqlTableName(db) +
                      " WHERE \"DataZakupu\" >= ? GROUP BY \"DataZakupu\" ORDER BY \"DataZakupu\" DESC");
    st.bind(1, lastPurchaseDay().addYears(-2));
    qint64 total = 0;
    QDate start = lastPurchaseDay();
    while (total < kWantedRows && st.step()) {
        start = QDate::fromString(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.raw(), 0))),
                                  Qt::ISODate);
        total += st.columnInt(1);
    }
    return start;
}

void sumWalk(benchmark::State& state, bool inTransaction)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QStringLiteral("Towary.DB"));
        const QDate from = rangeStartFor(path);
        const QDate to = lastPurchaseDay();

        PurchaseView v(dir);
        v.linkToSuppliers(false);
        v.setPeriod(from, to);
        v.lines.open();
        const qint64 rows = v.lines.recordCount();
        Stopwatch engine;
        double sum = 0;
        for (auto _ : state) {
            engine.start();
            sum = 0;
            {
                std::optional<Table::Batch> readTogether;
                if (inTransaction)
                    readTogether.emplace(v.lines);
                ControlsDisabled quiet(v.lines);
                v.lines.first();
                while (!v.lines.eof()) {
                    sum += v.lines.fieldByName(QStringLiteral("WartoscNetto")).asFloat();
                    v.lines.next();
                }
                if (readTogether)
                    readTogether->commit();
            }
            engine.stop();
            benchmark::DoNotOptimize(sum);
        }
        v.lines.close();

        SqliteDb db(path, SQLITE_OPEN_READONLY);
        const std::string sql = "SELECT \"WartoscNetto\" FROM " + sqlTableName(db) +
            " WHERE \"DataZakupu\" BETWEEN ? AND ? ORDER BY \"Symbol\", \"Numer\"";
        double refSum = 0;
        qint64 refRows = 0;
        const auto ref = timeReference(engine.runs(), [&] {
            SqliteStmt st(db, sql);
            st.bind(1, from);
            st.bind(2, to);
            refSum = 0;
            refRows = 0;
            while (st.step()) {
                refSum += st.columnDouble(0);
                ++refRows;
            }
        });
        if (refRows != rows || std::fabs(refSum - sum) > 0.005)
            throw std::runtime_error("engine and sqlite3 disagree: " + std::to_string(rows) + " rows, sum " +
                                     std::to_string(sum) + " vs " + std::to_string(refRows) + " rows, sum " +
                                     std::to_string(refSum));
        report(state, engine, ref, double(rows));
        state.counters["target_ratio"] = 3;
        state.counters["met"] = engine.meanMs() <= 3 * ref.meanMs() ? 1 : 0;
    });
}
// The views the windows sum: all suppliers over the whole register, all
// suppliers and one supplier over a month, and every supplier's sums over a month.
enum class SumView { AllWhole, AllMonth, OneSupplierMonth, EverySupplierMonth };

void viewSums(benchmark::State& state, SumView kind)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QStringLiteral("Towary.DB"));
        const bool whole = kind == SumView::AllWhole;
        const QDate from = whole ? QDate(1990, 1, 1) : benchMonthStart();
        const QDate to = whole ? lastPurchaseDay() : benchMonthEnd();
        const QStringList fields{QStringLiteral("WartoscNetto"), QStringLiteral("WartoscVat"),
                                 QStringLiteral("WartoscBrutto")};

        PurchaseView v(dir);
        v.setPeriod(from, to);
        if (kind == SumView::OneSupplierMonth) {
            v.openSuppliersAt(kBenchSupplier);
        } else {
            v.linkToSuppliers(false);
            if (kind == SumView::EverySupplierMonth)
                v.lines.setIndexName(QStringLiteral("NrDostawcyDataZakupuInd"));
        }
        v.lines.open();
        const qint64 rows = v.lines.recordCount();
        Stopwatch engine;
        double engineNet = 0;
        qint64 engineGroups = 1;
        for (auto _ : state) {
            engine.start();
            if (kind == SumView::EverySupplierMonth) {
                const auto groups = v.lines.sumsOverViewBy(QStringLiteral("NumerDostawcy"), fields);
                engineGroups = qint64(groups.size());
                engineNet = 0;
                for (const auto& g : groups)
                    engineNet += g.second.at(0);
            } else {
                engineNet = v.lines.sumsOverView(fields).at(0);
            }
            engine.stop();
        }

        SqliteDb db(path, SQLITE_OPEN_READONLY);
        std::string sql = "SELECT ";
        if (kind == SumView::EverySupplierMonth)
            sql += "\"NumerDostawcy\", ";
        sql += "sum(\"WartoscNetto\"), sum(\"WartoscVat\"), sum(\"WartoscBrutto\"), count(*) FROM " + sqlTableName(db) +
            " WHERE \"DataZakupu\" BETWEEN ? AND ?";
        if (kind == SumView::OneSupplierMonth)
            sql += " AND \"NumerDostawcy\" = ?";
        if (kind == SumView::EverySupplierMonth)
            sql += " GROUP BY \"NumerDostawcy\"";
        SqliteStmt st(db, sql);
        double refNet = 0;
        qint64 refRows = 0, refGroups = 0;
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            st.bind(1, from);
            st.bind(2, to);
            if (kind == SumView::OneSupplierMonth)
                st.bind(3, kBenchSupplier);
            refNet = 0;
            refRows = 0;
            refGroups = 0;
            const int first = kind == SumView::EverySupplierMonth ? 1 : 0;
            while (st.step()) {
                refNet += st.columnDouble(first);
                refRows += st.columnInt(first + 3);
                ++refGroups;
            }
        });
        if (refRows != rows || refGroups != engineGroups || std::fabs(refNet - engineNet) > 0.005)
            throw std::runtime_error("engine and sqlite3 disagree: " + std::to_string(rows) + " rows, net " +
                                     std::to_string(engineNet) + " vs " + std::to_string(refRows) + " rows, net " +
                                     std::to_string(refNet));
        report(state, engine, ref, double(rows));
        state.counters["target_ratio"] = 1.5;
        state.counters["met"] = engine.meanMs() <= 1.5 * ref.meanMs() ? 1 : 0;
    });
}

void BM_ViewSums_AllSuppliersWhole(benchmark::State& state)
{
    viewSums(state, SumView::AllWhole);
}
BENCHMARK(BM_ViewSums_AllSuppliersWhole)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ViewSums_AllSuppliersMonth(benchmark::State& state)
{
    viewSums(state, SumView::AllMonth);
}
BENCHMARK(BM_ViewSums_AllSuppliersMonth)->Unit(benchmark::kMillisecond);

void BM_ViewSums_OneSupplierMonth(benchmark::State& state)
{
    viewSums(state, SumView::OneSupplierMonth);
}
BENCHMARK(BM_ViewSums_OneSupplierMonth)->Unit(benchmark::kMillisecond);

void BM_ViewSums_EverySupplierMonth(benchmark::State& state)
{
    viewSums(state, SumView::EverySupplierMonth);
}
BENCHMARK(BM_ViewSums_EverySupplierMonth)->Unit(benchmark::kMillisecond);

void BM_SumNetWalk(benchmark::State& state)
{
    sumWalk(state, false);
}
BENCHMARK(BM_SumNetWalk)->Unit(benchmark::kMillisecond);

// The same walk inside one transaction (Table::Batch), so SQLite takes its read
// lock once for the walk instead of once per record read.
void BM_SumNetWalkInTransaction(benchmark::State& state)
{
    sumWalk(state, true);
}
BENCHMARK(BM_SumNetWalkInTransaction)->Unit(benchmark::kMillisecond);

} // namespace

JADL_BENCHMARK_MAIN()
