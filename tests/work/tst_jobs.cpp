// The backup and restore jobs without their windows: what the progress callback
// sees, a damaged table file, a commit that fails.
#include "platform/Drives.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "support/core/ArchiveTestUtil.h"
#include "support/core/TempDataDir.h"
#include "work/BackupJob.h"
#include "work/RestoreJob.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace jadl::archive;

namespace {

const QDate kToday(2026, 12, 7); // the fixture's today
const QString kDataDir = QStringLiteral("c:\\Jadl\\Dane_bar\\");
const QString kArchive = QStringLiteral("c:\\Jadl\\Archiwum\\07_12_2026\\");

// Answers every question with yes.
struct Yes : BackupQuestions, RestoreQuestions {
    bool goOnWithLowSpace() override { return true; }
    bool copyOntoDiskettes(int) override { return true; }
    bool insertDiskette(int) override { return true; }
    void cannotDelete(const QString&) override { }
    bool restoreWithout(const QStringList&) override { return true; }
    bool insertDiskette() override { return true; }
};

// A program drive whose data directory holds every table file (the e-invoice
// import's too) and a file of several chunks; drives A (a diskette of 4 MB) and D
// beside it.
struct Drive {
    QTemporaryDir other;
    jadl::test::TempDataDir c{kToday, QStringLiteral("A=%1/a:4194304,D=%1/d").arg(other.path())};
    Drive()
    {
        QDir().mkpath(other.filePath(QStringLiteral("a")));
        QDir().mkpath(other.filePath(QStringLiteral("d")));
        for (const jadl::TableDef* def : jadl::tabledefs::all() + jadl::tabledefs::invoiceTables()) {
            jadl::Table t;
            t.setDatabaseName(c.dataDir());
            t.setTableName(def->fileName);
            t.open();
            t.close();
        }
        archtest::writeBytes(c.dataDir() + QStringLiteral("/Zapasy.dat"), archtest::patterned(300 * 1024 + 17));
    }
    QString data() const { return c.dataDir(); }
    QString archive() const { return c.path(QStringLiteral("Jadl/Archiwum/07_12_2026")); }
};

BackupResult backUp(const QString& archiveRoot, const BackupJob::Progress& progress = {})
{
    Yes yes;
    BackupJob job(kDataDir, archiveRoot, kToday, progress);
    return job.run(yes);
}

RestoreResult restore(const RestoreJob::Progress& progress = {}, RestoreStaging::RenameFn rename = {})
{
    Yes yes;
    RestoreJob job({kArchive, kArchive, QStringLiteral("c:\\"), {}}, kDataDir, progress);
    if (rename)
        job.setCommitRename(std::move(rename));
    return job.run(yes);
}

// Byte counts as a progress callback sees them; a count that goes back or
// past its whole is recorded as a fault.
struct Counts {
    qint64 lastDone = -1;
    qint64 total = -1;
    QStringList faults;
    template <class P>
    void see(const P& p)
    {
        if (p.stage != P::Stage::Bytes)
            return;
        if (p.done < lastDone || p.fileDone > p.fileSize || (total >= 0 && p.total != total))
            faults << QStringLiteral("%1/%2 %3/%4").arg(p.done).arg(p.total).arg(p.fileDone).arg(p.fileSize);
        lastDone = p.done;
        total = p.total;
    }
};

} // namespace

class JobsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void progressGrowsToTheTotal_data();
    void progressGrowsToTheTotal();
    void damagedTableLeavesTheTargetAsItWas_data();
    void damagedTableLeavesTheTargetAsItWas();
    void failedCommitLeavesTheDataAsTheyWere_data();
    void failedCommitLeavesTheDataAsTheyWere();
    void retriedDisketteCountsEachByteOnce();
};

void JobsTest::progressGrowsToTheTotal_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<QString>("archiveRoot");
    QTest::addColumn<QString>("archiveFolder"); // under the temporary root, "" for drive C
    QTest::newRow("backup, program drive") << QStringLiteral("backup") << QStringLiteral("c:\\") << QString();
    QTest::newRow("backup, other drive") << QStringLiteral("backup") << QStringLiteral("d:\\")
                                         << QStringLiteral("d/Archiwum/07_12_2026");
    QTest::newRow("backup, diskette") << QStringLiteral("backup") << QStringLiteral("a:\\")
                                      << QStringLiteral("a/Archiwum");
    QTest::newRow("restore") << QStringLiteral("restore") << QStringLiteral("c:\\") << QString();
}

void JobsTest::progressGrowsToTheTotal()
{
    QFETCH(QString, job);
    QFETCH(QString, archiveRoot);
    QFETCH(QString, archiveFolder);
    Drive drive;
    const auto data = archtest::snapshot(drive.data());
    Counts counts;
    if (job == QLatin1String("backup")) {
        const BackupResult r = backUp(archiveRoot, [&](const BackupProgress& p) { counts.see(p); });
        QCOMPARE(r.end, BackupEnd::Complete);
        QCOMPARE(r.copied, r.total);
        const QString folder = archiveFolder.isEmpty() ? drive.archive() : drive.other.filePath(archiveFolder);
        QVERIFY(archtest::snapshot(folder) == data);
    } else {
        QCOMPARE(backUp(archiveRoot).end, BackupEnd::Complete);
        QVERIFY(archtest::writeBytes(drive.data() + QStringLiteral("/Zapasy.dat"), "zmienione po kopii"));
        const RestoreResult r = restore([&](const RestoreProgress& p) { counts.see(p); });
        QCOMPARE(r.end, RestoreEnd::Restored);
        QCOMPARE(r.restoredBytes, r.archiveBytes);
        QVERIFY(archtest::snapshot(drive.data()) == data);
    }
    QVERIFY2(counts.faults.isEmpty(), qPrintable(counts.faults.join(QLatin1Char(' '))));
    QCOMPARE(counts.total, archtest::totalSize(data));
    QCOMPARE(counts.lastDone, counts.total);
}

void JobsTest::damagedTableLeavesTheTargetAsItWas_data()
{
    QTest::addColumn<QString>("job");
    QTest::addColumn<QByteArray>("damaged");
    QTest::addColumn<QString>("reason");
    for (const QString& job : {QStringLiteral("backup"), QStringLiteral("restore")}) {
        QTest::addRow("%s, random bytes", qPrintable(job))
            << job << archtest::patterned(8192, 7) << QStringLiteral("plik nie jest bazą danych");
        QTest::addRow("%s, empty file", qPrintable(job)) << job << QByteArray() << QStringLiteral("plik jest pusty");
    }
}

void JobsTest::damagedTableLeavesTheTargetAsItWas()
{
    QFETCH(QString, job);
    QFETCH(QByteArray, damaged);
    QFETCH(QString, reason);
    Drive drive;
    QCOMPARE(backUp(QStringLiteral("c:\\")).end, BackupEnd::Complete);
    const QString name = QStringLiteral("Towary.DB");
    if (job == QLatin1String("backup")) {
        // The day's earlier archive stays; the damaged table never reaches it.
        const auto earlier = archtest::snapshot(drive.archive());
        QVERIFY(archtest::writeBytes(drive.data() + QLatin1Char('/') + name, damaged));
        QVERIFY(QFile::resize(drive.data() + QLatin1Char('/') + name, damaged.size()));
        const BackupResult r = backUp(QStringLiteral("c:\\"));
        QCOMPARE(r.end, BackupEnd::Broken);
        QVERIFY2(r.error.value_or(QString()).contains(kArchive + name), qPrintable(r.error.value_or(QString())));
        QVERIFY2(r.error.value_or(QString()).contains(reason), qPrintable(r.error.value_or(QString())));
        QVERIFY(archtest::snapshot(drive.archive()) == earlier);
        QCOMPARE(QDir(drive.c.path(QStringLiteral("Jadl/Archiwum")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("07_12_2026")});
    } else {
        QVERIFY(archtest::writeBytes(drive.archive() + QLatin1Char('/') + name, damaged));
        QVERIFY(QFile::resize(drive.archive() + QLatin1Char('/') + name, damaged.size()));
        QVERIFY(archtest::writeBytes(drive.data() + QStringLiteral("/Zapasy.dat"), "zmienione po kopii"));
        const auto before = archtest::snapshot(drive.data());
        const RestoreResult r = restore();
        QCOMPARE(r.end, RestoreEnd::Incomplete);
        QCOMPARE(r.failures.size(), 1);
        QVERIFY2(r.failures.first().startsWith(QStringLiteral("Plik archiwum %1%2: %3").arg(kArchive, name, reason)),
                 qPrintable(r.failures.first()));
        QVERIFY(archtest::snapshot(drive.data()) == before);
        QVERIFY(!QFileInfo::exists(drive.data() + QStringLiteral("/.odtwarzanie")));
    }
}

void JobsTest::failedCommitLeavesTheDataAsTheyWere_data()
{
    QTest::addColumn<int>("failAt");
    // Ten files, each moved aside and then replaced: two renames a file.
    QTest::newRow("first file aside") << 1;
    QTest::newRow("first file in") << 2;
    QTest::newRow("third file aside") << 5;
    QTest::newRow("last file in") << 20;
}

void JobsTest::failedCommitLeavesTheDataAsTheyWere()
{
    QFETCH(int, failAt);
    Drive drive;
    QCOMPARE(backUp(QStringLiteral("c:\\")).end, BackupEnd::Complete);
    QVERIFY(archtest::writeBytes(drive.data() + QStringLiteral("/Zapasy.dat"), "zmienione po kopii"));
    const auto before = archtest::snapshot(drive.data());
    int calls = 0;
    const RestoreResult r = restore(
        {}, [&](const QString& from, const QString& to) { return ++calls != failAt && QFile::rename(from, to); });
    QVERIFY(calls >= failAt);
    QCOMPARE(r.end, RestoreEnd::Incomplete);
    QCOMPARE(r.failures.size(), 1);
    QVERIFY2(r.failures.first().startsWith(QStringLiteral("Nie można zastąpić pliku ")),
             qPrintable(r.failures.first()));
    QVERIFY(r.failures.first().endsWith(QStringLiteral(" - dane pozostały bez zmian")));
    QVERIFY(archtest::snapshot(drive.data()) == before);
    QVERIFY(!QFileInfo::exists(drive.data() + QStringLiteral("/.odtwarzanie")));
}

// The diskette turns unreadable in the middle of the restore; the user inserts it
// again and the restore starts over: progress and report add each file once.
void JobsTest::retriedDisketteCountsEachByteOnce()
{
    Drive drive;
    const BackupResult backup = backUp(QStringLiteral("a:\\"));
    QCOMPARE(backup.end, BackupEnd::Complete);
    QCOMPARE(backup.diskettes, 1);
    const auto data = archtest::snapshot(drive.data());
    Yes yes;
    qint64 lastTotal = -1;
    qint64 lastDone = -1;
    RestoreJob job({QStringLiteral("a:\\Archiwum\\"),
                    QStringLiteral("a:\\Archiwum\\"),
                    QStringLiteral("a:\\"),
                    {backup.diskettes, backup.total}},
                   kDataDir, [&](const RestoreProgress& p) {
                       lastTotal = p.total;
                       lastDone = p.done;
                   });
    int blocks = 0;
    job.setAfterBlockHook([&](const QString&) {
        if (++blocks == 3)
            throw jadl::platform::IoError(QStringLiteral("Napęd A: nie jest gotowy"));
    });
    const RestoreResult r = job.run(yes);
    QVERIFY(blocks > 3);
    QCOMPARE(r.end, RestoreEnd::Restored);
    QCOMPARE(r.archiveBytes, archtest::totalSize(data));
    QCOMPARE(r.restoredBytes, r.archiveBytes);
    QCOMPARE(lastTotal, r.archiveBytes);
    QCOMPARE(lastDone, r.archiveBytes);
    QVERIFY(archtest::snapshot(drive.data()) == data);
}

QTEST_MAIN(JobsTest)
#include "tst_jobs.moc"
