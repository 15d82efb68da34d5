// Backup of a data directory holding the million-line purchase table, done by
// the backup window as the user starts it, against `cp` of the same files to
// the same disk. Target: the backup runs at >= 80 % of cp's speed
// (speed_vs_cp = cp_ms / backup_ms >= 0.8).
#include "archive/KopiowanieDanychJadl.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "shell/Forms.h"
#include "shell/StartUp.h"
#include "store/FileHealth.h"
#include "support/BenchHarness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace jadl;

namespace {

struct ProgramDrive {
    QTemporaryDir root;
    QString data;
    QStringList files;
    qint64 bytes = 0;
    std::unique_ptr<platform::ScopedScriptedMessages> messages;
};

ProgramDrive& drive()
{
    static ProgramDrive d;
    return d;
}

// Drive C with the generated data set as its data directory, and the program started on it.
void startProgram(const QString& benchData)
{
    ProgramDrive& d = drive();
    d.data = d.root.filePath(QStringLiteral("Jadl/Dane_bar"));
    QDir().mkpath(d.data);
    const QDir source(benchData);
    for (const QString& name : source.entryList(QDir::Files)) {
        if (!QFile::copy(source.filePath(name), d.data + QLatin1Char('/') + name))
            throw std::runtime_error("cannot copy the benchmark data");
    }
    qputenv("JADL_DRIVES", QByteArray("C=") + d.root.path().toUtf8());
    platform::Drives::reload();
    platform::setFixedToday(QDate(2026, 12, 6));
    d.messages = std::make_unique<platform::ScopedScriptedMessages>();
    StartUp();
    filehealth::waitForChecks(); // the check after start-up reads the same files
    // Start-up adds the table files the generator does not make.
    for (const QString& name : QDir(d.data).entryList(QDir::Files)) {
        d.files << QDir(d.data).filePath(name);
        d.bytes += QFileInfo(QDir(d.data).filePath(name)).size();
    }
}

void BM_BackupVersusCp(benchmark::State& state)
{
    bench::guarded(state, [&] {
        ProgramDrive& d = drive();
        TKopiowanieDanych* w = forms().KopiowanieDanych;
        const QString archive = d.root.filePath(QStringLiteral("Jadl/Archiwum"));
        const QString cpTarget = d.root.filePath(QStringLiteral("cp_kopia"));
        bench::Stopwatch backup;
        bench::Stopwatch cp;
        for (auto _ : state) {
            QDir(archive).removeRecursively();
            (*d.messages)->clear();
            backup.start();
            w->KopiujClick();
            backup.stop();
            state.SetIterationTime(backup.meanMs() / 1000.0);
            if ((*d.messages)->texts() != QStringList{QStringLiteral("KOPIA DANYCH PROGRAMU WYKONANA PRAWIDŁOWO")})
                throw std::runtime_error(qPrintable((*d.messages)->texts().join(QLatin1Char('|'))));

            QDir(cpTarget).removeRecursively();
            QDir().mkpath(cpTarget);
            cp.start();
            const int rc = QProcess::execute(QStringLiteral("cp"), QStringList(d.files) << cpTarget);
            cp.stop();
            if (rc != 0)
                throw std::runtime_error("cp failed");
        }
        const double mb = double(d.bytes) / (1024.0 * 1024.0);
        state.counters["data_MB"] = mb;
        state.counters["backup_ms"] = backup.meanMs();
        state.counters["cp_ms"] = cp.meanMs();
        state.counters["backup_MBps"] = mb / (backup.meanMs() / 1000.0);
        state.counters["cp_MBps"] = mb / (cp.meanMs() / 1000.0);
        state.counters["speed_vs_cp"] = cp.meanMs() / backup.meanMs();
        state.counters["target"] = 0.8;
        state.counters["met"] = cp.meanMs() / backup.meanMs() >= 0.8 ? 1 : 0;
        QDir(archive).removeRecursively();
        QDir(cpTarget).removeRecursively();
    });
}

} // namespace

BENCHMARK(BM_BackupVersusCp)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        startProgram(bench::ensureData());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no benchmark data: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ShutDown();
    drive().messages.reset();
    return 0;
}
