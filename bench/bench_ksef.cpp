// Reading and planning a 10,000-line KSeF invoice (the most FaWiersz the schema
// allows), as the import window will do before matching goods and recording lines.
// The whole import has 2 s on a 2-core machine; reading and planning are given a
// tenth of that. Needs no generated data set: the invoice is written here.
#include "support/BenchHarness.h"

#include "../tests/invoices/LargeInvoice.h"
#include "invoices/KsefPlan.h"
#include "invoices/KsefReader.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

using namespace jadl::ksef;
using jadl::bench::Stopwatch;

namespace {

constexpr int kLines = 10000;
constexpr double kTargetMs = 200;

void BM_KsefReadAndPlan(benchmark::State& state)
{
    jadl::bench::guarded(state, [&] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("faktura.xml"));
        QFile file(path);
        if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(test::largeInvoice(kLines)) < 0)
            throw std::runtime_error("cannot write the invoice");
        file.close();

        Stopwatch read, plan, whole;
        std::size_t planned = 0;
        bool recordable = true;
        for (auto _ : state) {
            whole.start();
            read.start();
            const Invoice inv = readKsefInvoice(path);
            read.stop();
            plan.start();
            const Plan p = planLines(inv);
            plan.stop();
            whole.stop();
            planned = p.lines.size();
            recordable = recordable && p.recordable();
            benchmark::DoNotOptimize(p.lines.data());
        }
        if (planned != std::size_t(kLines) || !recordable)
            throw std::runtime_error("the plan of the generated invoice is not what it should be");
        state.counters["rows"] = double(planned);
        state.counters["read_ms"] = read.meanMs();
        state.counters["plan_ms"] = plan.meanMs();
        state.counters["engine_ms"] = whole.meanMs();
        state.counters["engine_cpu_ms"] = whole.meanCpuMs();
        state.counters["target_ms"] = kTargetMs;
        state.counters["met"] = whole.meanMs() <= kTargetMs ? 1 : 0;
    });
}
BENCHMARK(BM_KsefReadAndPlan)->Unit(benchmark::kMillisecond);

} // namespace

// Like JADL_BENCHMARK_MAIN, without the purchase-lines data set this benchmark does not use.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QCoreApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
