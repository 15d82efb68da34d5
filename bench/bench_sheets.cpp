// The purchased goods report over 10,000 purchase lines of a real table file,
// saved as a sheet: built from the report and written as XLSX, and as CSV.
// Target: under 1 s for each.
#include "reports/ReportSheet.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "sheets/SheetWriter.h"
#include "support/BenchHarness.h"
#include "support/PurchaseLinesFile.h"

#include <QApplication>
#include <QFileInfo>
#include <benchmark/benchmark.h>

#include <memory>

using namespace jadl;

namespace {

constexpr int kLines = 10000;
constexpr double kTargetMs = 1000.0;

bench::PurchaseLinesFile& linesFile()
{
    static bench::PurchaseLinesFile file(kLines);
    return file;
}

std::unique_ptr<TZakupioneTowaryDruk> report()
{
    auto r = std::make_unique<TZakupioneTowaryDruk>();
    r->QuickRep1->setDataSet(QStringLiteral("TableTowary"), std::make_shared<TableReportData>(&linesFile().table));
    r->QRLabelOkres->setCaption(QStringLiteral("Listopad"));
    r->QRDBTextDostawcaInd->setEnabled(false);
    r->QRLabelDostawcaInd->setEnabled(false);
    return r;
}

// What the preview's action does: the sheet from the report, then the file. Each
// run starts from a re-read view, so no run profits from the previous one's cache.
void saveSheet(benchmark::State& state, SheetFormat format)
{
    auto r = report();
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("zakupione") + sheetFileEnding(format));
    bench::Stopwatch sw;
    for (auto _ : state) {
        state.PauseTiming();
        linesFile().table.refresh();
        state.ResumeTiming();
        sw.start();
        writeSheet(sheetFromReport(*r->QuickRep1, QDate(2026, 12, 6)), {path, format});
        sw.stop();
    }
    state.counters["lines"] = kLines;
    state.counters["file_kB"] = double(QFileInfo(path).size()) / 1024.0;
    state.counters["ms"] = sw.meanMs();
    state.counters["cpu_ms"] = sw.meanCpuMs();
    state.counters["target_ms"] = kTargetMs;
    state.counters["met"] = sw.meanMs() <= kTargetMs ? 1 : 0;
}

void BM_SheetXlsxPurchasedGoods(benchmark::State& state)
{
    bench::guarded(state, [&] { saveSheet(state, SheetFormat::Xlsx); });
}

void BM_SheetCsvPurchasedGoods(benchmark::State& state)
{
    bench::guarded(state, [&] { saveSheet(state, SheetFormat::Csv); });
}

// Building the sheet alone, to tell the writers' share from the reading's.
void BM_SheetDataPurchasedGoods(benchmark::State& state)
{
    auto r = report();
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        linesFile().table.refresh();
        state.ResumeTiming();
        rows = sheetFromReport(*r->QuickRep1, QDate(2026, 12, 6)).rows.size();
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_SheetDataPurchasedGoods)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SheetXlsxPurchasedGoods)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SheetCsvPurchasedGoods)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    linesFile(); // build the table once, outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
