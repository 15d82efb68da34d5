// The purchased goods report over 10,000 purchase lines of a real table file:
// laying it out, and laying it out plus writing its PDF. Target: <= 2 s for both.
#include "reports/ReportPainter.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "support/PurchaseLinesFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

using namespace jadl;

namespace {

constexpr int kLines = 10000;

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

// Each run starts from a re-read view, so no run profits from the rows the
// previous one brought into the table's cache.
void BM_LayoutPurchasedGoods(benchmark::State& state)
{
    auto r = report();
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        linesFile().table.refresh();
        state.ResumeTiming();
        pages = r->layoutPages(QDate(2026, 12, 6)).pageCount();
    }
    state.counters["pages"] = pages;
    state.counters["lines"] = kLines;
}

void BM_LayoutAndPdfPurchasedGoods(benchmark::State& state)
{
    auto r = report();
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("zakupione.pdf"));
    double bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        linesFile().table.refresh();
        state.ResumeTiming();
        r->exportPdf(path);
        bytes = double(QFileInfo(path).size());
    }
    state.counters["pdf_kB"] = bytes / 1024.0;
    state.counters["target_ms"] = 2000;
}

// Painting alone, to tell the PDF writer's share from the layout's.
void BM_PdfOfLaidOutPages(benchmark::State& state)
{
    auto r = report();
    const ReportPages pages = r->layoutPages(QDate(2026, 12, 6));
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("zakupione.pdf"));
    for (auto _ : state)
        writePdf(pages, path);
    state.counters["pages"] = pages.pageCount();
}

} // namespace

BENCHMARK(BM_PdfOfLaidOutPages)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LayoutPurchasedGoods)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LayoutAndPdfPurchasedGoods)->Unit(benchmark::kMillisecond)->Iterations(5);

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
