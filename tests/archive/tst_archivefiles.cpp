// The archive windows' building blocks: the dated folder name, the restore's
// folder check, the block copy and its failures, the table guard and the
// drive-letter lists.
#include "ArchiveTestUtil.h"
#include "archive/ArchiveFiles.h"
#include "archive/ArchiveLayout.h"
#include "archive/BackupStaging.h"
#include "archive/DriveWidgets.h"
#include "archive/RestoreStaging.h"
#include "archive/TablesOffline.h"
#include "platform/Drives.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/gui/ProgramFixture.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

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

const char kSwapChildVar[] = "JADL_TEST_SWAP_CHILD";
const QMap<QString, QByteArray> kEarlier{{QStringLiteral("Towary.DB"), "stare towary"},
                                         {QStringLiteral("notatka.txt"), "notatka użytkownika"}};
const QMap<QString, QByteArray> kNew{{QStringLiteral("Towary.DB"), "nowe towary"},
                                     {QStringLiteral("Dostawcy.db"), "nowi dostawcy"}};

// The child of the swap test: stages a new archive of the day and is killed at
// the named step of its swap (or finishes).
int swapChild(const QString& spec)
{
    const QStringList parts = spec.split(QLatin1Char(';'));
    const QString folder = parts.value(0);
    const QByteArray stop = parts.value(1).toLatin1();
    BackupStaging staging(folder);
    for (auto it = kNew.begin(); it != kNew.end(); ++it)
        archtest::writeBytes(QDir(staging.folder()).filePath(it.key()), it.value());
    staging.setExchangeAllowed(parts.value(2) == QLatin1String("exchange"));
    staging.setStepHook([&](const char* step) {
        if (stop == step)
            ::raise(SIGKILL); // no destructor, no clean-up: as a power loss would leave it
    });
    staging.swapIn();
    return 0;
}

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
    void guardReopensOnlyWhatWasOpen();
    void guardedTableSeesTheReplacedFile();
    void directoryListUsesTheNamesOnDisk();
    void directoryListRefusesMissingFolder();
    void directoryListOpensOnDoubleClick();
    void fileListMaskAndOrder();
    void commitCutShortIsRolledBackAtStart();
    void backupSwapKilledAtEveryStep_data();
    void backupSwapKilledAtEveryStep();
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

void ArchiveFilesTest::guardReopensOnlyWhatWasOpen()
{
    jadl::test::TempDataDir drive;
    const QString data = drive.dataDir();
    jadl::Table units(nullptr, QStringLiteral("TableJednostkiMiar"));
    jadl::Table rates(nullptr, QStringLiteral("TableStawkiVat"));
    jadl::Table lines(nullptr, QStringLiteral("TableTowary"));
    jadl::Table owner(nullptr, QStringLiteral("TableWlasciciel"));
    const QList<std::pair<jadl::Table*, QString>> files{{&units, QStringLiteral("JednostkiMiar.DB")},
                                                        {&rates, QStringLiteral("StawkiVat.db")},
                                                        {&lines, QStringLiteral("Towary.DB")},
                                                        {&owner, QStringLiteral("Wlasciciel.DB")}};
    for (const auto& [t, name] : files) {
        t->setDatabaseName(data);
        t->setTableName(name);
    }
    units.open();
    lines.open();
    owner.open();
    owner.edit(); // a pending change is dropped, not written behind the copy's back
    owner.fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("niezapisana"));
    {
        TablesOffline offline({&units, &rates, &lines, &owner}, {&lines});
        QVERIFY(!units.active());
        QVERIFY(!rates.active());
        QVERIFY(!lines.active());
        QVERIFY(!owner.active());
        QCOMPARE(offline.toReopen(), (QList<jadl::Table*>{&units, &owner}));
    }
    QVERIFY(units.active());
    QVERIFY(!rates.active());
    QVERIFY(!lines.active()); // left closed on purpose
    QVERIFY(owner.active());
    QCOMPARE(owner.recordCount(), 0);
}

void ArchiveFilesTest::guardedTableSeesTheReplacedFile()
{
    jadl::test::TempDataDir drive;
    const QString data = drive.dataDir();
    const QString other = drive.path(QStringLiteral("inne"));
    QDir().mkpath(other);
    // A second units table with two records, made elsewhere.
    {
        jadl::Table t;
        t.setDatabaseName(other);
        t.setTableName(QStringLiteral("JednostkiMiar.DB"));
        t.open();
        for (const QString& u : {QStringLiteral("kg"), QStringLiteral("szt")}) {
            t.append();
            t.fieldByName(QStringLiteral("Jednostka")).setString(u);
            t.post();
        }
        t.close();
    }
    jadl::Table units;
    units.setDatabaseName(data);
    units.setTableName(QStringLiteral("JednostkiMiar.DB"));
    units.open();
    QCOMPARE(units.recordCount(), 0);
    {
        TablesOffline offline({&units}, {});
        const QString target = data + QStringLiteral("/JednostkiMiar.DB");
        QVERIFY(QFile::remove(target));
        QVERIFY(QFile::copy(other + QStringLiteral("/JednostkiMiar.DB"), target));
    }
    QVERIFY(units.active());
    QCOMPARE(units.recordCount(), 2);
}

void ArchiveFilesTest::directoryListUsesTheNamesOnDisk()
{
    jadl::test::TempDataDir drive;
    drive.dataDir();
    QDir().mkpath(drive.path(QStringLiteral("Jadl/Archiwum/06_12_2026")));
    DirectoryListBox list;
    list.setDirectory(QStringLiteral("C:/jadl/ARCHIWUM\\"));
    QCOMPARE(list.directory(), QStringLiteral("c:\\Jadl\\Archiwum"));
    QCOMPARE(list.drive(), QLatin1Char('c'));
    QStringList paths;
    for (int i = 0; i < list.count(); ++i)
        paths << DirectoryListBox::itemPath(list.item(i));
    QCOMPARE(paths,
             (QStringList{QStringLiteral("c:\\"), QStringLiteral("c:\\Jadl"), QStringLiteral("c:\\Jadl\\Archiwum"),
                          QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026")}));
    QCOMPARE(DirectoryListBox::itemPath(list.currentItem()), QStringLiteral("c:\\Jadl\\Archiwum"));
    list.setDrive(QLatin1Char('C'));
    QCOMPARE(list.directory(), QStringLiteral("c:\\"));
}

void ArchiveFilesTest::directoryListRefusesMissingFolder()
{
    jadl::test::TempDataDir drive(QDate(2026, 12, 7),
                                  QStringLiteral("A=") + QDir::tempPath() + QStringLiteral("/jadl-brak-dyskietki-xyz"));
    drive.dataDir();
    DirectoryListBox list;
    list.setDirectory(QStringLiteral("c:\\Jadl"));
    QVERIFY_THROWS_EXCEPTION(IoError, list.setDirectory(QStringLiteral("c:\\Jadl\\Nie_ma")));
    QCOMPARE(list.directory(), QStringLiteral("c:\\Jadl"));
    // An empty diskette drive is chosen but shows nothing.
    QVERIFY_THROWS_EXCEPTION(IoError, list.setDrive(QLatin1Char('a')));
    QCOMPARE(list.directory(), QStringLiteral("a:\\"));
    QCOMPARE(list.count(), 0);
    FileListBox files;
    QVERIFY_THROWS_EXCEPTION(IoError, files.setDirectory(QStringLiteral("a:\\Archiwum")));
    QCOMPARE(files.count(), 0);
}

void ArchiveFilesTest::directoryListOpensOnDoubleClick()
{
    jadl::test::TempDataDir drive;
    drive.dataDir();
    QDir().mkpath(drive.path(QStringLiteral("Jadl/Archiwum/06_12_2026")));
    DirectoryListBox list;
    list.resize(300, 300);
    list.show();
    list.setDirectory(QStringLiteral("c:\\Jadl\\Archiwum"));
    int changes = 0;
    connect(&list, &DirectoryListBox::directoryChanged, this, [&changes] { ++changes; });
    QListWidgetItem* dated = list.item(list.count() - 1);
    const QRect rect = list.visualItemRect(dated);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(changes, 0); // a single click only selects
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(list.directory(), QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));
    QCOMPARE(changes, 1);
}

void ArchiveFilesTest::fileListMaskAndOrder()
{
    jadl::test::TempDataDir drive;
    const QString data = drive.dataDir();
    for (const QString& name : {QStringLiteral("towary.DB"), QStringLiteral("Dostawcy.db"), QStringLiteral("Zapis.txt"),
                                QStringLiteral("bez_rozszerzenia"), QStringLiteral(".ukryty")})
        QVERIFY(archtest::writeBytes(data + QLatin1Char('/') + name, "x"));
    QDir().mkpath(data + QStringLiteral("/Podfolder"));
    FileListBox files;
    files.setDirectory(QStringLiteral("c:\\jadl\\dane_bar"));
    QCOMPARE(files.fileNames(),
             (QStringList{QStringLiteral("bez_rozszerzenia"), QStringLiteral("Dostawcy.db"),
                          QStringLiteral("towary.DB"), QStringLiteral("Zapis.txt")}));
    files.setMask(QStringLiteral("*.db"));
    QCOMPARE(files.fileNames(), (QStringList{QStringLiteral("Dostawcy.db"), QStringLiteral("towary.DB")}));
    files.setMultiSelect(true);
    files.selectAll();
    QCOMPARE(files.selectedFileNames(), files.fileNames());
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

void ArchiveFilesTest::backupSwapKilledAtEveryStep_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("earlier");
    QTest::addColumn<QString>("step");
    for (const char* way : {"exchange", "renames"})
        for (const bool earlier : {true, false})
            for (const char* step : {"carry", "mark", "exchange", "rename", "second-rename", "unmark", "clean", "-"})
                QTest::addRow("%s, %s, %s", way, earlier ? "second of the day" : "first of the day", step)
                    << QString::fromLatin1(way) << earlier << QString::fromLatin1(step);
}

// Killed at any step of its final swap, a backup leaves the day's archive in
// sight after the next start: the earlier one as it was, or the new one whole
// (with the earlier folder's other files), and nothing hidden beside it.
void ArchiveFilesTest::backupSwapKilledAtEveryStep()
{
    QFETCH(QString, way);
    QFETCH(bool, earlier);
    QFETCH(QString, step);
    QString parent;
    int exitStatus = -1;
    jadl::test::ProgramFixture program(QDate(2026, 12, 6), [&](const QString& root) {
        parent = root + QStringLiteral("/Jadl/Archiwum");
        const QString day = parent + QStringLiteral("/06_12_2026");
        QVERIFY(QDir().mkpath(parent));
        if (earlier)
            for (auto it = kEarlier.begin(); it != kEarlier.end(); ++it)
                QVERIFY(archtest::writeBytes(day + QLatin1Char('/') + it.key(), it.value()));
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kSwapChildVar), day + QLatin1Char(';') + step + QLatin1Char(';') + way);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(30000));
        exitStatus = child.exitStatus();
    });
    QVERIFY(program.started());
    QVERIFY(exitStatus >= 0);
    const QString day = parent + QStringLiteral("/06_12_2026");
    QMap<QString, QByteArray> whole = kNew;
    if (earlier)
        whole.insert(QStringLiteral("notatka.txt"), kEarlier.value(QStringLiteral("notatka.txt")));
    const auto shown = archtest::snapshot(day);
    if (!earlier && (step == QLatin1String("carry") || step == QLatin1String("mark")))
        QVERIFY(!QFileInfo::exists(day)); // killed before the copy was whole: no archive was ever made
    else
        QVERIFY2(shown == whole || (earlier && shown == kEarlier), qPrintable(QStringList(shown.keys()).join(u',')));
    QCOMPARE(QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QFileInfo::exists(day) ? QStringList{QStringLiteral("06_12_2026")} : QStringList{});
    QStringList files = QDir(day).entryList(QDir::Hidden | QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList(shown.keys()));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kSwapChildVar)) {
        QCoreApplication app(argc, argv);
        return swapChild(qEnvironmentVariable(kSwapChildVar));
    }
    QApplication app(argc, argv);
    ArchiveFilesTest tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_archivefiles.moc"
