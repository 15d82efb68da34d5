// The archive's file work: the dated folder name, the restore's folder check,
// the block copy and its failures, sizes past 2 GB, a restore's commit cut short.
#include "support/core/ArchiveTestUtil.h"
#include "support/core/TempDataDir.h"
#include "work/ArchiveFiles.h"
#include "work/RestoreStaging.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace jadl::archive;
using jadl::platform::IoError;

namespace {

// A device that hands out `good` bytes and then fails every read.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 good) : good_(good) { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (good_ <= 0) {
            setErrorString(QStringLiteral("nośnik wyjęty"));
            return -1;
        }
        const qint64 n = qMin(max, good_);
        std::fill_n(data, n, 'z');
        good_ -= n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 good_;
};

} // namespace

class ArchiveFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dateName_data();
    void dateName();
    void archiveFolderCheck_data();
    void archiveFolderCheck();
    void copiesInBlocks_data();
    void copiesInBlocks();
    void readFailureNamesTheSource();
    void fullDiskNamesTheTarget();
    void sizesBeyondTwoGigabytes();
    void commitCutShortIsRolledBackAtStart();
};

void ArchiveFilesTest::dateName_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("name");
    QTest::newRow("6 December 2026") << QDate(2026, 12, 6) << QStringLiteral("06_12_2026");
    QTest::newRow("single digits") << QDate(2025, 1, 9) << QStringLiteral("09_01_2025");
    QTest::newRow("leap day") << QDate(2000, 2, 29) << QStringLiteral("29_02_2000");
}
void ArchiveFilesTest::dateName()
{
    QFETCH(QDate, day);
    QFETCH(QString, name);
    QCOMPARE(jadl::archive::dateName(day), name);
}
void ArchiveFilesTest::archiveFolderCheck_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("archiveRoot");
    QTest::addColumn<bool>("accepted");
    // Program root is always "c:\".
    QTest::newRow("dated folder, program drive")
        << QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026") << QStringLiteral("c:\\") << true;
    QTest::newRow("archive parent itself") << QStringLiteral("c:\\Jadl\\Archiwum") << QStringLiteral("c:\\") << true;
    QTest::newRow("data directory") << QStringLiteral("c:\\Jadl\\Dane_bar") << QStringLiteral("c:\\") << false;
    QTest::newRow("installation folder") << QStringLiteral("c:\\Jadl") << QStringLiteral("c:\\") << false;
    QTest::newRow("other spelling") << QStringLiteral("c:\\Jadl\\ARCHIWUM\\06_12_2026") << QStringLiteral("c:\\")
                                    << false;
    QTest::newRow("dated folder, other drive")
        << QStringLiteral("d:\\Archiwum\\06_12_2026") << QStringLiteral("d:\\") << true;
    QTest::newRow("program layout on other drive")
        << QStringLiteral("d:\\Jadl\\Archiwum\\06_12_2026") << QStringLiteral("d:\\") << false;
    QTest::newRow("diskette, any folder") << QStringLiteral("a:\\Cokolwiek") << QStringLiteral("a:\\") << true;
}
void ArchiveFilesTest::archiveFolderCheck()
{
    QFETCH(QString, chosen);
    QFETCH(QString, archiveRoot);
    QFETCH(bool, accepted);
    const QString programRoot = QStringLiteral("c:\\");
    const bool same = archiveRoot.at(0) == programRoot.at(0);
    QCOMPARE(isArchiveFolder(chosen, programRoot, archiveRoot, same, isDisketteLetter(archiveRoot.at(0))), accepted);
}
void ArchiveFilesTest::copiesInBlocks_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("blocks");
    QTest::newRow("empty") << qint64(0) << 0;
    QTest::newRow("one byte") << qint64(1) << 1;
    QTest::newRow("one block less a byte") << qint64(1023) << 1;
    QTest::newRow("exactly one block") << qint64(1024) << 1;
    QTest::newRow("one block and a byte") << qint64(1025) << 2;
    QTest::newRow("several blocks") << qint64(70000) << 69;
}
void ArchiveFilesTest::copiesInBlocks()
{
    QFETCH(qint64, size);
    QFETCH(int, blocks);
    QTemporaryDir dir;
    const QByteArray bytes = archtest::patterned(size);
    QVERIFY(archtest::writeBytes(dir.filePath(QStringLiteral("src")), bytes));
    QFile in(dir.filePath(QStringLiteral("src")));
    QFile out(dir.filePath(QStringLiteral("dst")));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QVERIFY(out.open(QIODevice::WriteOnly));
    int calls = 0;
    qint64 reported = 0;
    const qint64 copied = copyInBlocks(in, QStringLiteral("src"), out, QStringLiteral("dst"), [&](qint64 n) {
        ++calls;
        QVERIFY(n > 0 && n <= kBlockSize);
        reported += n;
    });
    out.close();
    QCOMPARE(copied, size);
    QCOMPARE(reported, size);
    QCOMPARE(calls, blocks);
    QFile check(dir.filePath(QStringLiteral("dst")));
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), bytes);
}
void ArchiveFilesTest::readFailureNamesTheSource()
{
    FailingDevice in(3000);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    try {
        copyInBlocks(in, QStringLiteral("a:\\Archiwum\\Towary.DB"), out, QStringLiteral("c:\\x"), {});
        QFAIL("a failing read must not pass for the end of the file");
    } catch (const CopyError& e) {
        QCOMPARE(e.kind(), CopyError::Kind::Read);
        QVERIFY(e.sourceSide());
        QVERIFY2(e.text().contains(QStringLiteral("a:\\Archiwum\\Towary.DB")), qPrintable(e.text()));
    }
    QCOMPARE(out.data().size(), 3000);
}
void ArchiveFilesTest::fullDiskNamesTheTarget()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full on this system");
    QBuffer in;
    in.setData(archtest::patterned(50000));
    in.open(QIODevice::ReadOnly);
    QFile out(QStringLiteral("/dev/full"));
    QVERIFY(out.open(QIODevice::WriteOnly));
    try {
        copyInBlocks(in, QStringLiteral("c:\\Jadl\\Dane_bar\\Towary.DB"), out,
                     QStringLiteral("d:\\Archiwum\\Towary.DB"), {});
        QFAIL("writing to a full disk must fail");
    } catch (const CopyError& e) {
        QCOMPARE(e.kind(), CopyError::Kind::Write);
        QVERIFY(!e.sourceSide());
        QVERIFY2(e.text().contains(QStringLiteral("d:\\Archiwum\\Towary.DB")), qPrintable(e.text()));
    }
}
void ArchiveFilesTest::sizesBeyondTwoGigabytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("duzy.db"));
    const qint64 size = qint64(3) * 1024 * 1024 * 1024 + 5; // sparse: takes no room
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(size));
    }
    QCOMPARE(fileSize(path), size);
    QCOMPARE(fileSize(dir.filePath(QStringLiteral("brak.db"))), qint64(0));
    QCOMPARE(fileSize(dir.path()), qint64(0));
    QCOMPARE(percentOf(size / 2, size), 49);
    QCOMPARE(percentOf(size, size), 100);
    QCOMPARE(percentOf(0, 0), 100);
}
void ArchiveFilesTest::commitCutShortIsRolledBackAtStart()
{
    // A crash at any step of the commit: the next start puts every original back.
    struct Crash { };
    int crashAt = 1;
    for (;; ++crashAt) {
        QTemporaryDir data;
        const QMap<QString, QByteArray> originals{{QStringLiteral("Towary.DB"), "towary"},
                                                  {QStringLiteral("Towary.DB-journal"), "stary dziennik"},
                                                  {QStringLiteral("Dostawcy.db"), "dostawcy"}};
        for (auto it = originals.begin(); it != originals.end(); ++it)
            QVERIFY(archtest::writeBytes(data.filePath(it.key()), it.value()));
        try {
            jadl::archive::RestoreStaging staging(data.path());
            for (const QString& name : {QStringLiteral("Towary.DB"), QStringLiteral("Dostawcy.db")}) {
                QVERIFY(archtest::writeBytes(staging.stagedPath(name), "nowy " + name.toUtf8()));
                staging.add(name);
            }
            int calls = 0;
            staging.setRename([&](const QString& from, const QString& to) {
                if (++calls == crashAt)
                    throw Crash{};
                return QFile::rename(from, to);
            });
            staging.commit();
        } catch (const Crash&) {
            jadl::archive::RestoreStaging::recover(data.path());
            QVERIFY2(archtest::snapshot(data.path()) == originals, qPrintable(QString::number(crashAt)));
            QVERIFY(!QFileInfo::exists(data.filePath(QStringLiteral(".odtwarzanie"))));
            continue;
        }
        // Every step passed: the new files are in place and the old journal went with its file.
        QCOMPARE(archtest::snapshot(data.path()),
                 (QMap<QString, QByteArray>{{QStringLiteral("Towary.DB"), "nowy Towary.DB"},
                                            {QStringLiteral("Dostawcy.db"), "nowy Dostawcy.db"}}));
        break;
    }
    QCOMPARE(crashAt, 6); // two files aside, one journal aside, two files in
}

QTEST_MAIN(ArchiveFilesTest)
#include "tst_archivefiles.moc"
