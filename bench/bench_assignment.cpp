// The goods assignment window on the generated register: moving to another
// supplier or another day (filter, refresh of the lines, totals), against plain
// sqlite3 selecting and summing the same lines.
#include "controls/MonthCalendar.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "platform/Drives.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "shell/Forms.h"
#include "shell/StartUp.h"
#include "store/FileHealth.h"
#include "store/Modul_Danych1.h"
#include "support/BenchHarness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace jadl;
using namespace jadl::bench;

namespace {

// The whole program on a drive whose data directory is the generated register.
class Program {
public:
    Program()
    {
        const QString data = ensureData();
        QDir(root_.path()).mkpath(QStringLiteral("Jadl"));
        QFile::link(data, root_.path() + QStringLiteral("/Jadl/Dane_bar"));
        qputenv("JADL_DRIVES", QByteArray("C=") + root_.path().toUtf8());
        qputenv("JADL_TODAY", "2026-12-06");
        platform::Drives::reload();
        StartUp();
        filehealth::waitForChecks();
        TModulDanych1* dm = forms().ModulDanych1;
        for (Table* t : {dm->TableDostawcy, dm->TableTowaryPodstawowe, dm->TableGrupyTowarow, dm->TableTowary,
                         dm->TableParametry, forms().StawkiVatJadlon->TableStawkiVat,
                         forms().JednostkiMiarJadlon->TableJednostkiMiar, dm->TableWlasciciel})
            if (!t->active())
                t->open();
        dm->TableTowary->setMasterSource(dm->DataSourceDostawcy);
        dm->TableTowary->setMasterFields(QStringLiteral("Numer"));
        dm->TableTowary->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
        jadl::bench::child<jadl::MonthCalendar>(window(), "Calendar1")->setDate(QDate(2026, 11, 16));
        window()->show();
    }
    ~Program() { ShutDown(); }
    TPrzypisywanieTowarow* window() const { return forms().PrzypisywanieTowarow; }
    TModulDanych1* dm() const { return forms().ModulDanych1; }

private:
    QTemporaryDir root_;
};

// The lines of one supplier on one day and their sums, as plain sqlite3 gives them.
void referenceDay(SqliteDb& db, int supplier, const QDate& day)
{
    SqliteStmt st(db,
                  "SELECT \"Numer\", \"WartoscNetto\", \"WartoscBrutto\" FROM \"Towary\" WHERE \"NumerDostawcy\" = ? "
                  "AND \"DataZakupu\" = ? ORDER BY \"NumerDostawcy\", \"Numer\"");
    st.bind(1, supplier);
    st.bind(2, day);
    double net = 0, gross = 0;
    while (st.step()) {
        net += st.columnDouble(1);
        gross += st.columnDouble(2);
    }
    benchmark::DoNotOptimize(net + gross);
}

void BM_Assignment_NextSupplier(benchmark::State& state)
{
    guarded(state, [&] {
        Program program;
        Table* suppliers = program.dm()->TableDostawcy;
        suppliers->first();
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            suppliers->next();
            if (suppliers->eof())
                suppliers->first();
            engine.stop();
        }
        SqliteDb db(tablePath(dataDirectory(), QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY);
        int supplier = 1;
        const Stopwatch reference = timeReference(engine.runs(), [&] {
            referenceDay(db, supplier, QDate(2026, 11, 16));
            supplier = supplier % 200 + 1;
        });
        report(state, engine, reference, program.dm()->TableTowary->recordCount(), 20);
    });
}

void BM_Assignment_NextDay(benchmark::State& state)
{
    guarded(state, [&] {
        Program program;
        program.dm()->TableDostawcy->first();
        jadl::MonthCalendar* calendar = jadl::bench::child<jadl::MonthCalendar>(program.window(), "Calendar1");
        QDate day(2026, 11, 1);
        Stopwatch engine;
        for (auto _ : state) {
            day = day.day() == 30 ? QDate(2026, 11, 1) : day.addDays(1);
            engine.start();
            calendar->setDate(day);
            engine.stop();
        }
        SqliteDb db(tablePath(dataDirectory(), QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY);
        QDate refDay(2026, 11, 1);
        const Stopwatch reference = timeReference(engine.runs(), [&] {
            referenceDay(db, 1, refDay);
            refDay = refDay.day() == 30 ? QDate(2026, 11, 1) : refDay.addDays(1);
        });
        report(state, engine, reference, program.dm()->TableTowary->recordCount(), 20);
    });
}

} // namespace

BENCHMARK(BM_Assignment_NextSupplier)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_Assignment_NextDay)->Unit(benchmark::kMillisecond)->Iterations(60);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
