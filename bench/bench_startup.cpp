// The whole program on the generated register: start-up to the main window,
// opening "Tow. Dost." as its button does, and the peak resident set after the
// heaviest view (all suppliers, "Cały Okres", the grid scrolled end to end).
// Floors: plain sqlite3 opening every table file and counting its rows; for
// memory, the sqlite3 command-line tool reading every purchase line.
#include "common/Periods.h"
#include "controls/DBGrid.h"
#include "platform/Drives.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "shell/StartUp.h"
#include "store/FileHealth.h"
#include "store/Modul_Danych1.h"
#include "store/TableDefs.h"
#include "support/BenchHarness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace jadl;
using namespace jadl::bench;

namespace {

// A drive C: whose data directory holds the generated purchase lines (linked,
// only read) and copies of the small tables, which the program writes.
class Drive {
public:
    Drive()
    {
        const QString target = root_.path() + QStringLiteral("/Jadl/Dane_bar");
        QDir().mkpath(target);
        const QDir src(ensureData());
        for (const QString& f : src.entryList(QDir::Files)) {
            const QString from = src.filePath(f);
            const QString to = QDir(target).filePath(f);
            const bool ok = f.compare(QLatin1String("Towary.DB"), Qt::CaseInsensitive) == 0 ? QFile::link(from, to)
                                                                                            : QFile::copy(from, to);
            if (!ok)
                throw std::runtime_error("cannot prepare " + to.toStdString());
        }
        qputenv("JADL_DRIVES", QByteArray("C=") + root_.path().toUtf8());
        qputenv("JADL_TODAY", "2026-12-06");
        platform::Drives::reload();
    }

private:
    QTemporaryDir root_;
};

// Runs `work` once the modal window opened by `open` is shown, then closes it.
void whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& work)
{
    std::exception_ptr failure;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        try {
            if (!w)
                throw std::runtime_error("no modal window opened");
            work(w);
        } catch (...) {
            failure = std::current_exception();
        }
        if (w)
            w->close();
    });
    open();
    if (failure)
        std::rethrow_exception(failure);
}

void referenceOpenAll()
{
    const QString data = ensureData();
    for (const TableDef* def : tabledefs::all()) {
        const QString path = QDir(data).filePath(def->fileName);
        if (!QFile::exists(path))
            continue;
        SqliteDb db(path);
        SqliteStmt st(db, "SELECT count(*) FROM " + sqlTableName(db));
        st.step();
    }
}

void BM_StartUpToMainWindow(benchmark::State& state)
{
    guarded(state, [&] {
        Drive drive;
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            if (!StartUp())
                throw std::runtime_error("start-up refused");
            QApplication::processEvents();
            engine.stop();
            state.PauseTiming();
            ShutDown();
            state.ResumeTiming();
        }
        const Stopwatch ref = timeReference(engine.runs(), referenceOpenAll);
        report(state, engine, ref, 0, 500);
    });
}
BENCHMARK(BM_StartUpToMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenSupplierGoods(benchmark::State& state)
{
    guarded(state, [&] {
        Drive drive;
        if (!StartUp())
            throw std::runtime_error("start-up refused");
        jadl::filehealth::waitForChecks();
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            whileModal([] { jadl::bench::child<QToolButton>(forms().Meni, "SpeedButtonTowaryDostawcy")->click(); },
                       [&engine](QWidget*) { engine.stop(); });
        }
        ShutDown();
        const Stopwatch ref = timeReference(engine.runs(), referenceOpenAll);
        report(state, engine, ref, 0, 300);
    });
}
BENCHMARK(BM_OpenSupplierGoods)->Unit(benchmark::kMillisecond)->Iterations(5);

double peakResidentMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read /proc/self/status");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

// The sqlite3 tool's own peak while it reads every purchase line.
double sqlite3PeakMB()
{
    const QString path = QDir(ensureData()).filePath(QStringLiteral("Towary.DB"));
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        const QByteArray file = path.toLocal8Bit();
        execlp("sqlite3", "sqlite3", file.constData(), "SELECT * FROM Towary;", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("sqlite3 did not read " + path.toStdString());
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_PeakMemory_AllSuppliersWholeScrolled(benchmark::State& state)
{
    guarded(state, [&] {
        Drive drive;
        double rows = 0;
        for (auto _ : state) {
            if (!StartUp())
                throw std::runtime_error("start-up refused");
            whileModal(
                [] { jadl::bench::child<QToolButton>(forms().Meni, "SpeedButtonTowaryDostawcy")->click(); },
                [&rows](QWidget*) {
                    TTowary* w = forms().Towary;
                    jadl::bench::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
                    jadl::bench::child<QComboBox>(w, "ComboBoxWybierzOkres")
                        ->setCurrentIndex(listIndexOf(PeriodChoice::Everything));
                    QApplication::processEvents();
                    QScrollBar* bar = jadl::bench::child<jadl::DBGrid>(w, "DBGrid1")->verticalScrollBar();
                    // Dragged end to end as a user drags the thumb: a few hundred stops.
                    const int step = std::max(1, (bar->maximum() - bar->minimum()) / 400);
                    for (int v = bar->minimum(); v <= bar->maximum(); v += step) {
                        bar->setValue(v);
                        QApplication::processEvents();
                    }
                    bar->setValue(bar->maximum());
                    QApplication::processEvents();
                    rows = forms().ModulDanych1->TableTowary->recordCount();
                });
            ShutDown();
        }
        const double rss = peakResidentMB();
        const double floor = sqlite3PeakMB();
        state.counters["rows"] = rows;
        state.counters["rss_MB"] = rss;
        state.counters["sqlite3_MB"] = floor;
        state.counters["target_MB"] = 100;
        state.counters["met"] = rss <= 100 ? 1 : 0;
    });
}
BENCHMARK(BM_PeakMemory_AllSuppliersWholeScrolled)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return jadl::bench::runBenchmarks<QApplication>(argc, argv);
}
