// The purchase charts over the generated register, each as the window computes
// it on a choice (the numbers and the names they show), beside the same
// GROUP BY in plain sqlite3 on the same file: the whole register and a year
// with part months at its ends, all suppliers, one supplier and one goods group.
#include "support/BenchHarness.h"
#include "support/ChartRun.h"

#include <string>

using namespace jadl;
using namespace jadl::bench;
using charts::ChartKind;
using charts::ScopeKind;

namespace {

void chart(benchmark::State& state, ChartKind kind, ScopeKind scope, bool whole)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        ChartRun run(dir);
        const charts::ChartScope s = chartScope(scope, whole);
        Stopwatch engine;
        qint64 shown = 0;
        for (auto _ : state) {
            engine.start();
            shown = run.run(kind, s, kChartGood);
            engine.stop();
        }
        if (shown == 0)
            throw std::runtime_error("the chart shows nothing");
        SqliteDb db(tablePath(dir, QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY);
        std::vector<std::unique_ptr<SqliteStmt>> statements;
        for (const QString& sql : chartFloorQueries(kind, scope, whole, false))
            statements.push_back(std::make_unique<SqliteStmt>(db, sql.toStdString()));
        const auto ref = timeReference(engine.runs(), [&] {
            for (auto& st : statements) {
                st->reset();
                while (st->step()) { }
            }
        });
        report(state, engine, ref, double(shown), kChartTargetMs);
        state.counters["target_ratio"] = 1.5;
        state.counters["met"] = engine.meanMs() <= kChartTargetMs && engine.meanMs() <= 1.5 * ref.meanMs() ? 1 : 0;
    });
}

const bool registered = [] {
    for (const ChartCase& c : kChartCases)
        benchmark::RegisterBenchmark((std::string("BM_Chart_") + c.name).c_str(),
                                     [c](benchmark::State& state) { chart(state, c.kind, c.scope, c.whole); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    return true;
}();

} // namespace

JADL_BENCHMARK_MAIN();
