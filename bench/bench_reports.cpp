// The purchased goods report over 10,000 purchase lines of a real table file:
// laying it out, and laying it out plus writing its PDF. Target: <= 2 s for both.
#include "common/Formats.h"
#include "reports/ReportPainter.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "store/DataSource.h"
#include "store/Table.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

using namespace jadl;

namespace {

constexpr int kLines = 10000;

// A Towary.DB of kLines lines from 40 suppliers in a temporary folder, opened in
// the report's usual index order.
struct LinesFile {
    QTemporaryDir dir;
    Table table;

    LinesFile()
    {
        table.setDatabaseName(dir.path());
        table.setTableName(QStringLiteral("Towary.DB"));
        table.setIndexName(QStringLiteral("NrDostawcySymbolInd"));
        table.open();
        Table::Batch batch(table);
        for (int i = 0; i < kLines; ++i) {
            const QDate day = QDate(2026, 11, 1).addDays(i % 30);
            const double net = 1.0 + (i % 997) * 0.37;
            const double qty = 1 + i % 12;
            table.append();
            table.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(1 + i % 40);
            table.fieldByName(QStringLiteral("Dostawca")).setString(QStringLiteral("DOSTAWCA %1").arg(1 + i % 40));
            table.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("TOWAR-%1").arg(i % 2000, 4, 10, QLatin1Char('0')));
            table.fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("GRUPA %1").arg(i % 40));
            table.fieldByName(QStringLiteral("DataZakupu")).setDate(day);
            table.fieldByName(QStringLiteral("DataZakupuString")).setString(formatDayMonth(day));
            table.fieldByName(QStringLiteral("Ilosc")).setFloat(qty);
            table.fieldByName(QStringLiteral("JednostkaMiary")).setString(QStringLiteral("kg"));
            table.fieldByName(QStringLiteral("CenaNetto")).setFloat(net);
            table.fieldByName(QStringLiteral("WartoscNetto")).setFloat(net * qty);
            table.fieldByName(QStringLiteral("VatTyp")).setString(QStringLiteral("8"));
            table.fieldByName(QStringLiteral("CenaBrutto")).setFloat(net * 1.08);
            table.fieldByName(QStringLiteral("WartoscBrutto")).setFloat(net * qty * 1.08);
            table.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(net);
            table.fieldByName(QStringLiteral("CzyBylaFaktura")).setBoolean(i % 3 != 0);
            table.fieldByName(QStringLiteral("JakaCenaRef")).setString(QStringLiteral("0"));
            table.post();
        }
        batch.commit();
        table.first();
    }
};

LinesFile& linesFile()
{
    static LinesFile file;
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
    linesFile();   // build the table once, outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
