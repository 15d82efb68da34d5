// A disk that runs out of space (a small tmpfs, mounted where the test runs as
// root): the backup, the restore and a post each name the file and the cause
// in Polish, and leave the data as they were.
#include "store/EngineError.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "support/core/ArchiveTestUtil.h"
#include "support/core/TempDataDir.h"
#include "support/core/TmpfsMount.h"
#include "work/BackupJob.h"
#include "work/RestoreJob.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace jadl::archive;

namespace {

const QDate kToday(2026, 12, 7);
const QString kDataDir = QStringLiteral("c:\\Jadl\\Dane_bar\\");
const QString kFull = QStringLiteral("brak miejsca na dysku");

struct Yes : BackupQuestions, RestoreQuestions {
    bool goOnWithLowSpace() override { return true; }
    bool copyOntoDiskettes(int) override { return false; }
    bool insertDiskette(int) override { return false; }
    void cannotDelete(const QString&) override { }
    bool restoreWithout(const QStringList&) override { return true; }
    bool insertDiskette() override { return false; }
};

void makeTables(const QString& dir, int lines)
{
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        jadl::Table t;
        t.setDatabaseName(dir);
        t.setTableName(def->fileName);
        t.open();
        if (def->fileName == QLatin1String("Towary.DB")) {
            jadl::Table::Batch batch(t);
            for (int i = 0; i < lines; ++i) {
                t.append();
                t.fieldByName(QStringLiteral("Nazwa")).setString(QString(90, QLatin1Char('x')));
                t.post();
            }
            batch.commit();
        }
        t.close();
    }
}

// Fills the disk of `dir` up to its last few bytes.
void fill(const QString& dir)
{
    QFile filler(QDir(dir).filePath(QStringLiteral("wypelniacz.bin")));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) { }
    filler.close();
}

} // namespace

class FullDiskTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullDiskNamesTheCause_data();
    void fullDiskNamesTheCause();
};

void FullDiskTest::fullDiskNamesTheCause_data()
{
    QTest::addColumn<QString>("work");
    QTest::newRow("backup onto a full disk") << QStringLiteral("backup");
    QTest::newRow("restore into a full data disk") << QStringLiteral("restore");
    QTest::newRow("post into a full data disk") << QStringLiteral("post");
}

void FullDiskTest::fullDiskNamesTheCause()
{
    QFETCH(QString, work);
    if (::geteuid() != 0)
        QSKIP("a small disk can be mounted only by root");
    QTemporaryDir other;
    jadl::test::TempDataDir c(kToday, QStringLiteral("D=%1").arg(other.path()));
    const QString data = c.dataDir();
    if (work == QLatin1String("backup")) {
        jadl::test::TmpfsMount disk(other.path(), "64k");
        QVERIFY(disk.mounted());
        makeTables(data, 2000);
        const auto before = archtest::snapshot(data);
        Yes yes;
        BackupJob job(kDataDir, QStringLiteral("d:\\"), kToday, {});
        const BackupResult r = job.run(yes);
        QCOMPARE(r.end, BackupEnd::Broken);
        QVERIFY(r.error);
        QVERIFY2(r.error->contains(kFull) && r.error->contains(QStringLiteral("d:\\Archiwum\\07_12_2026\\")),
                 qPrintable(*r.error));
        QVERIFY(archtest::snapshot(data) == before);
        return;
    }
    jadl::test::TmpfsMount disk(data, "2m");
    QVERIFY(disk.mounted());
    makeTables(data, 2000);
    if (work == QLatin1String("restore")) {
        Yes yes;
        BackupJob backup(kDataDir, QStringLiteral("d:\\"), kToday, {});
        QCOMPARE(backup.run(yes).end, BackupEnd::Complete);
        fill(data);
        const auto before = archtest::snapshot(data);
        const QString archive = QStringLiteral("d:\\Archiwum\\07_12_2026\\");
        RestoreJob job({archive, archive, QStringLiteral("d:\\"), {}}, kDataDir, {});
        const RestoreResult r = job.run(yes);
        QCOMPARE(r.end, RestoreEnd::Incomplete);
        const QString error = r.writeError.value_or(QString());
        QVERIFY2(error.contains(kFull) && error.contains(kDataDir), qPrintable(error));
        QVERIFY(archtest::snapshot(data) == before);
        return;
    }
    jadl::Table t;
    t.setDatabaseName(data);
    t.setTableName(QStringLiteral("Dostawcy.db"));
    t.open();
    fill(data);
    QString message;
    try {
        jadl::Table::Batch batch(t);
        for (int i = 0; i < 200; ++i) {
            t.append();
            t.fieldByName(QStringLiteral("Nazwa")).setString(QString(200, QLatin1Char('d')));
            t.post();
        }
        batch.commit();
    } catch (const jadl::EngineError& e) {
        message = e.message();
    }
    QVERIFY2(message.contains(kFull) && message.contains(QStringLiteral("Dostawcy.db")), qPrintable(message));
}

QTEST_MAIN(FullDiskTest)
#include "tst_fulldisk.moc"
