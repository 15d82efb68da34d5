// Summing WartoscNetto over a view of about 30,000 purchase lines by walking the
// table record by record, as the totals of the purchase windows do, against
// plain sqlite3 stepping through the same rows in the same order.
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
