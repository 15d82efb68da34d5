// The archive windows' building blocks: the table guard, the drive-letter
// lists, and a backup's final swap killed at every step.
#include "archive/DriveWidgets.h"
#include "archive/TablesOffline.h"
#include "platform/Drives.h"
#include "store/Table.h"
#include "support/core/ArchiveTestUtil.h"
#include "support/core/TempDataDir.h"
#include "support/gui/ProgramFixture.h"
#include "work/BackupStaging.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace jadl::archive;
using jadl::platform::IoError;

namespace {

const char kSwapChildVar[] = "JADL_TEST_SWAP_CHILD";
const QMap<QString, QByteArray> kEarlier{{QStringLiteral("Towary.DB"), "stare towary"},
                                         {QStringLiteral("notatka.txt"), "notatka użytkownika"}};
const QMap<QString, QByteArray> kNew{{QStringLiteral("Towary.DB"), "nowe towary"},
                                     {QStringLiteral("Dostawcy.db"), "nowi dostawcy"}};

// The child of the swap test: stages a new archive of the day and is killed at
// the named step of its swap (or finishes). The order reads "folder;step;exchange".
int swapChild(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char(';'));
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

class ArchiveWidgetsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void guardReopensOnlyWhatWasOpen();
    void guardedTableSeesTheReplacedFile();
    void directoryListUsesTheNamesOnDisk();
    void directoryListRefusesMissingFolder();
    void directoryListOpensOnDoubleClick();
    void fileListMaskAndOrder();
    void backupSwapKilledAtEveryStep_data();
    void backupSwapKilledAtEveryStep();
};

void ArchiveWidgetsTest::guardReopensOnlyWhatWasOpen()
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
void ArchiveWidgetsTest::guardedTableSeesTheReplacedFile()
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
void ArchiveWidgetsTest::directoryListUsesTheNamesOnDisk()
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
void ArchiveWidgetsTest::directoryListRefusesMissingFolder()
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
void ArchiveWidgetsTest::directoryListOpensOnDoubleClick()
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
void ArchiveWidgetsTest::fileListMaskAndOrder()
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
void ArchiveWidgetsTest::backupSwapKilledAtEveryStep_data()
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
void ArchiveWidgetsTest::backupSwapKilledAtEveryStep()
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
    ArchiveWidgetsTest tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_archivewidgets.moc"
