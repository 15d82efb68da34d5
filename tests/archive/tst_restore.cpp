// The restore window driven as a user would: a dated archive folder brings the
// data back and the program goes on with it; wrong folders, damaged archives and
// diskettes leave the data as it was.
#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "archive/TablesOffline.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "shell/Forms.h"
#include "shell/ProgramTables.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/ArchiveTestUtil.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using jadl::forms;
using jadl::platform::MessageKind;
using jadl::test::ProgramFixture;

namespace {

const QString kSuccess = QStringLiteral("ODTWARZANIE DANYCH ZAKOŃCZONE SUKCESEM ");
const QString kIncomplete = QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH");
const QString kArchive = QStringLiteral("/Jadl/Archiwum/06_12_2026");

void addUnit(const QString& unit)
{
    jadl::Table* t = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    t->open();
    t->append();
    t->fieldByName(QStringLiteral("Jednostka")).setString(unit);
    t->post();
}

// A backup through the backup window; returns its archive folder's files.
QMap<QString, QByteArray> backUp(ProgramFixture& program)
{
    QTest::mouseClick(jadl::test::child<QPushButton>(forms().KopiowanieDanych, "Kopiuj"), Qt::LeftButton);
    program.messages().clear();
    return archtest::snapshot(program.root() + kArchive);
}

void setBackupRecord(int diskettes, qint64 bytes)
{
    jadl::Table* par = forms().ModulDanych1->TableParametry;
    par->open();
    par->edit();
    par->fieldByName(QStringLiteral("IleDyskietek")).setInteger(diskettes);
    par->fieldByName(QStringLiteral("RozmiarDanych")).setLargeInt(bytes);
    par->post();
    par->close();
}

void addSuppliers(int count)
{
    jadl::Table* t = forms().ModulDanych1->TableDostawcy;
    t->open();
    jadl::Table::Batch batch(*t);
    for (int i = 0; i < count; ++i) {
        t->append();
        t->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("D%1").arg(i));
        t->post();
    }
    batch.commit();
    t->close();
}

// Restores the archive folder `folder` (drive form) through the window.
void restoreFrom(const QString& folder)
{
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->setDirectory(folder);
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);
}

bool hasErrorNaming(const jadl::platform::ScriptedMessages& m, const QString& what)
{
    for (const auto& r : m.log())
        if (r.kind == MessageKind::Error && r.text.contains(what))
            return true;
    return false;
}

} // namespace

class RestoreTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bringsTheDataBack();
    void wrongFolder_data();
    void wrongFolder();
    void damagedArchive_data();
    void damagedArchive();
    void fromADiskette();
    void disketteBranch_data();
    void disketteBranch();
    void noDisketteAsksAgain();
    void helpShowsItsTopic();
    void damagedTableFileStopsTheRestore_data();
    void damagedTableFileStopsTheRestore();
    void staleJournalIsNotPlayedOntoTheRestoredFile();
    void archiveLackingTables_data();
    void archiveLackingTables();
    void commitFailingAtAnyStepKeepsTheData();
};

void RestoreTest::bringsTheDataBack()
{
    ProgramFixture program;
    jadl::Table* units = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    addUnit(QStringLiteral("kg"));
    const auto archived = backUp(program);
    QVERIFY(archived.size() >= 9);

    // Work goes on after the backup.
    addUnit(QStringLiteral("szt"));
    jadl::Table* suppliers = forms().ModulDanych1->TableDostawcy;
    suppliers->open();
    suppliers->append();
    suppliers->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Hurtownia po kopii"));
    suppliers->post();
    QVERIFY(archtest::snapshot(program.dataDir()) != archived);

    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    QCOMPARE(w->windowTitle(), QStringLiteral("ODTWARZANIE DANYCH JADLONI"));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")
        ->setDirectory(QStringLiteral("c:\\Jadl\\Archiwum"));
    QListWidgetItem* dated = nullptr;
    for (int i = 0; i < jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->count(); ++i) {
        if (jadl::archive::DirectoryListBox::itemPath(
                jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->item(i))
                .endsWith(QStringLiteral("06_12_2026")))
            dated = jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->item(i);
    }
    QVERIFY(dated);
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->scrollToItem(dated);
    const QRect rect = jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")
                           ->visualItemRect(dated);
    // A double click as the window system delivers it: press and release, then the double click.
    QTest::mouseClick(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->viewport(),
                      Qt::LeftButton, {}, rect.center());
    QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
             QStringLiteral("c:\\Jadl\\Archiwum"));
    QTest::mouseDClick(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->viewport(),
                       Qt::LeftButton, {}, rect.center());
    QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
             QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));
    QCOMPARE(jadl::test::child<jadl::archive::FileListBox>(w, "PlikiArchiwum")->count(), archived.size());

    QStringList openWhileCopying;
    w->setAfterBlockHook([&openWhileCopying](const QString&) {
        for (jadl::Table* t : jadl::programTables()) {
            if (t->active() && !openWhileCopying.contains(t->objectName()))
                openWhileCopying << t->objectName();
        }
    });
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);
    w->setAfterBlockHook({});

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY2(openWhileCopying.isEmpty(), qPrintable(openWhileCopying.join(QLatin1Char(' '))));
    const auto restored = archtest::snapshot(program.dataDir());
    QCOMPARE(restored.keys(), archived.keys()); // no temporary file left behind
    QVERIFY(restored == archived);
    QCOMPARE(w->restoredBytes(), archtest::totalSize(archived));

    // The program goes on with the restored data, without a restart.
    QVERIFY(units->active());
    QCOMPARE(units->recordCount(), 1);
    QCOMPARE(units->fieldByName(QStringLiteral("Jednostka")).asString(), QStringLiteral("kg"));
    QVERIFY(!suppliers->active());
    QVERIFY(!forms().ModulDanych1->TableParametry->active());
    suppliers->open();
    QCOMPARE(suppliers->recordCount(), 0);
    suppliers->append();
    suppliers->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Nowy po odtworzeniu"));
    suppliers->post();
    QCOMPARE(suppliers->recordCount(), 1);

    QVERIFY(jadl::test::child<QPushButton>(w, "Odtworz")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
    QCOMPARE(jadl::test::child<QProgressBar>(w, "ProgressBar2")->value(), 0);
    QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
             QStringLiteral("c:\\Jadl"));
    w->hide();
}

void RestoreTest::wrongFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("message");
    QTest::newRow("archive parent") << QStringLiteral("c:\\Jadl\\Archiwum")
                                    << QStringLiteral(
                                           "NIE MOZNA KOPIOWAĆ KATALOGÓW - KLIKNIJ DWA RAZY WYBRANY KATALOG");
    QTest::newRow("data directory") << QStringLiteral("c:\\Jadl\\Dane_bar")
                                    << QStringLiteral("TO NIE JEST KATALOG ARCHIWUM");
    QTest::newRow("installation folder") << QStringLiteral("c:\\Jadl")
                                         << QStringLiteral("TO NIE JEST KATALOG ARCHIWUM");
}

void RestoreTest::wrongFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, message);
    ProgramFixture program;
    backUp(program);
    addUnit(QStringLiteral("l"));
    const auto before = archtest::snapshot(program.dataDir());
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->setDirectory(folder);

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{message});
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    QVERIFY(jadl::test::child<QPushButton>(w, "Odtworz")->isEnabled());
    QVERIFY(forms().JednostkiMiarJadlon->TableJednostkiMiar->active());
}

void RestoreTest::damagedArchive_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("file cut short while read") << QStringLiteral("truncate");
    QTest::newRow("later file vanishes") << QStringLiteral("vanish");
    QTest::newRow("drive unplugged") << QStringLiteral("unplug");
}

void RestoreTest::damagedArchive()
{
    QFETCH(QString, fault);
    ProgramFixture program;
    QTemporaryDir d;
    archtest::mapDrives(program.root(), QStringLiteral("D=") + d.path());
    TKopiowanieDanych* backup = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(backup, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    QTest::mouseClick(jadl::test::child<QPushButton>(backup, "Kopiuj"), Qt::LeftButton);
    program.messages().clear();
    const QString folder = d.path() + QStringLiteral("/Archiwum/06_12_2026");
    // A large file in the middle of the list, read over many blocks.
    QVERIFY(archtest::writeBytes(folder + QStringLiteral("/Magazyn.dat"), archtest::patterned(200 * 1024)));

    addUnit(QStringLiteral("opak"));
    const auto before = archtest::snapshot(program.dataDir());
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")
        ->setDirectory(QStringLiteral("d:\\Archiwum\\06_12_2026"));
    QVERIFY(jadl::test::child<jadl::archive::FileListBox>(w, "PlikiArchiwum")
                ->fileNames()
                .contains(QStringLiteral("Magazyn.dat")));

    bool done = false;
    w->setAfterBlockHook([&](const QString& file) {
        if (done || !file.endsWith(QStringLiteral("Magazyn.dat")))
            return;
        done = true;
        if (fault == QLatin1String("truncate")) {
            QFile::resize(folder + QStringLiteral("/Magazyn.dat"), 100);
        } else if (fault == QLatin1String("vanish")) {
            QFile::remove(folder + QStringLiteral("/Wlasciciel.DB"));
        } else {
            QDir(d.path()).removeRecursively(); // the stick is pulled out
        }
    });
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);
    w->setAfterBlockHook({});
    QVERIFY(done);

    const auto& log = program.messages().log();
    QVERIFY(log.size() >= 2);
    QCOMPARE(log.at(0).kind, MessageKind::Error);
    const QString named = fault == QLatin1String("vanish") ? QStringLiteral("Wlasciciel.DB")
        : fault == QLatin1String("unplug")                 ? QStringLiteral("d:\\Archiwum\\06_12_2026\\Parametry.db")
                                                           : QStringLiteral("Magazyn.dat");
    QVERIFY2(log.at(0).text.contains(named), qPrintable(log.at(0).text));
    QCOMPARE(log.at(1).text, kIncomplete);
    // Every data file is exactly as it was, and nothing was left beside them.
    const auto after = archtest::snapshot(program.dataDir());
    QCOMPARE(after.keys(), before.keys());
    QVERIFY(after == before);
    jadl::Table* units = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    QVERIFY(units->active());
    QCOMPARE(units->recordCount(), 1);
    QVERIFY(jadl::test::child<QPushButton>(w, "Odtworz")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Pomoc")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
}

void RestoreTest::fromADiskette()
{
    ProgramFixture program;
    QTemporaryDir a;
    archtest::mapDrives(program.root(), QStringLiteral("A=") + a.path() + QStringLiteral(":1457664"));
    TKopiowanieDanych* backup = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(backup, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));
    QTest::mouseClick(jadl::test::child<QPushButton>(backup, "Kopiuj"), Qt::LeftButton);
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("KOPIA DANYCH PROGRAMU WYKONANA PRAWIDŁOWO")});
    program.messages().clear();
    const auto archived = archtest::snapshot(a.path() + QStringLiteral("/Archiwum"));
    addUnit(QStringLiteral("but"));

    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY(archtest::snapshot(program.dataDir()) == archived);
    QCOMPARE(forms().JednostkiMiarJadlon->TableJednostkiMiar->recordCount(), 0);
    QCOMPARE(jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->drive(), QLatin1Char('c'));
}

void RestoreTest::disketteBranch_data()
{
    QTest::addColumn<int>("diskettes");
    QTest::addColumn<QString>("message");
    QTest::newRow("last backup on a hard disk")
        << 0 << QStringLiteral("PROBLEMY ODTWORZENIA DANYCH Z DYSKIETKI - ODTWÓRZ Z DYSKU TWARDEGO");
    QTest::newRow("last backup on two diskettes") << 2 << QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH ");
}

void RestoreTest::disketteBranch()
{
    QFETCH(int, diskettes);
    QFETCH(QString, message);
    ProgramFixture program;
    QTemporaryDir a;
    QVERIFY(archtest::writeBytes(a.path() + QStringLiteral("/Archiwum/Towary.DB"), "nie baza"));
    archtest::mapDrives(program.root(), QStringLiteral("A=") + a.path());
    setBackupRecord(diskettes, 2000 * 1024);
    const auto before = archtest::snapshot(program.dataDir());
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{message});
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    QCOMPARE(jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->drive(), QLatin1Char('c'));
}

void RestoreTest::noDisketteAsksAgain()
{
    ProgramFixture program;
    QTemporaryDir parent;
    archtest::mapDrives(program.root(), QStringLiteral("A=") + parent.path() + QStringLiteral("/brak"));
    setBackupRecord(1, 150 * 1024);
    const auto before = archtest::snapshot(program.dataDir());
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));
    program.messages().answerNext(true);
    program.messages().answerNext(false);

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);

    const QString ask = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");
    QCOMPARE(program.messages().texts(), (QStringList{ask, ask}));
    QCOMPARE(program.messages().log().at(0).caption, QStringLiteral("ODTWARZAMY"));
    QCOMPARE(program.messages().pendingAnswers(), 0);
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    QVERIFY(jadl::test::child<QPushButton>(w, "Odtworz")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
}

void RestoreTest::helpShowsItsTopic()
{
    ProgramFixture program;
    jadl::platform::clearLastHelpTopic();
    QTest::mouseClick(jadl::test::child<QPushButton>(forms().OdtwarzanieDanych, "Pomoc"), Qt::LeftButton);
    QCOMPARE(jadl::platform::lastHelpTopic(), 8);
    Q_INIT_RESOURCE(jadlonia);
    QFile page(QStringLiteral(":/help/jadlonia.html"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(page.readAll().contains("name=\"topic8\""));
}

void RestoreTest::damagedTableFileStopsTheRestore_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("reason");
    QTest::newRow("random bytes") << QStringLiteral("Towary.DB") << QStringLiteral("random")
                                  << QStringLiteral("plik nie jest bazą danych");
    QTest::newRow("cut to a third") << QStringLiteral("Towary.DB") << QStringLiteral("third")
                                    << QStringLiteral("plik jest uszkodzony");
    QTest::newRow("zero bytes") << QStringLiteral("Towary.DB") << QStringLiteral("empty")
                                << QStringLiteral("plik jest pusty");
    QTest::newRow("another table") << QStringLiteral("Towary.DB") << QStringLiteral("other")
                                   << QStringLiteral("plik nie zawiera tabeli Towary");
    QTest::newRow("parameters, random bytes")
        << QStringLiteral("Parametry.db") << QStringLiteral("random") << QStringLiteral("plik nie jest bazą danych");
}

void RestoreTest::damagedTableFileStopsTheRestore()
{
    QFETCH(QString, file);
    QFETCH(QString, damage);
    QFETCH(QString, reason);
    ProgramFixture program;
    addSuppliers(300); // tables of several pages, so a cut reaches into them
    const auto good = backUp(program);
    const QString archive = program.root() + kArchive;
    QVERIFY(QDir().mkpath(program.root() + QStringLiteral("/Jadl/Archiwum/05_12_2026")));
    for (auto it = good.begin(); it != good.end(); ++it)
        QVERIFY(
            archtest::writeBytes(program.root() + QStringLiteral("/Jadl/Archiwum/05_12_2026/") + it.key(), it.value()));

    const QString target = archive + QLatin1Char('/') + file;
    QByteArray bytes = good.value(file);
    if (damage == QLatin1String("random"))
        bytes = archtest::patterned(bytes.size(), 7);
    else if (damage == QLatin1String("third"))
        bytes.truncate(bytes.size() / 3);
    else if (damage == QLatin1String("empty"))
        bytes.clear();
    else
        bytes = good.value(QStringLiteral("Dostawcy.db"));
    QVERIFY(archtest::writeBytes(target, bytes));
    QVERIFY(QFile::resize(target, bytes.size()));
    addUnit(QStringLiteral("szt"));
    const auto before = archtest::snapshot(program.dataDir());

    restoreFrom(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));

    QVERIFY2(hasErrorNaming(program.messages(), QStringLiteral("06_12_2026\\") + file + QStringLiteral(": ") + reason),
             qPrintable(program.messages().texts().join(QLatin1Char('|'))));
    QCOMPARE(program.messages().texts().last(), kIncomplete);
    QVERIFY(!program.messages().texts().contains(kSuccess));
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    QVERIFY(!QFileInfo::exists(program.dataDir() + QStringLiteral("/.odtwarzanie")));

    // A sound archive restores afterwards, however the failed run ended.
    program.messages().clear();
    restoreFrom(QStringLiteral("c:\\Jadl\\Archiwum\\05_12_2026"));
    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY(archtest::snapshot(program.dataDir()) == good);
}

void RestoreTest::staleJournalIsNotPlayedOntoTheRestoredFile()
{
    ProgramFixture program;
    addSuppliers(400);
    backUp(program);
    addSuppliers(300);
    // A crash in the middle of a change to the suppliers left a hot journal that
    // holds the pages of the 700 suppliers.
    const QString file = program.dataDir() + QStringLiteral("/Dostawcy.db");
    QVERIFY(archtest::leaveHotJournal(file, QStringLiteral("DELETE FROM Dostawcy")));

    restoreFrom(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY(!QFileInfo::exists(file + QStringLiteral("-journal")));
    jadl::Table* suppliers = forms().ModulDanych1->TableDostawcy;
    suppliers->open();
    QCOMPARE(suppliers->recordCount(), 400);
    SQLite::Database db(file.toStdString(), SQLite::OPEN_READONLY);
    QCOMPARE(db.execAndGet("PRAGMA integrity_check").getString(), std::string("ok"));
}

void RestoreTest::archiveLackingTables_data()
{
    QTest::addColumn<bool>("restoreTheRest");
    QTest::newRow("no, the default") << false;
    QTest::newRow("yes") << true;
}

void RestoreTest::archiveLackingTables()
{
    QFETCH(bool, restoreTheRest);
    ProgramFixture program;
    const auto archived = backUp(program);
    for (const QString& name : {QStringLiteral("Towary.DB"), QStringLiteral("Dostawcy.db")})
        QVERIFY(QFile::remove(program.root() + kArchive + QLatin1Char('/') + name));
    addUnit(QStringLiteral("kg"));
    addSuppliers(3);
    const auto before = archtest::snapshot(program.dataDir());
    program.messages().answerNext(restoreTheRest);

    restoreFrom(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));

    const auto& log = program.messages().log();
    QCOMPARE(log.first().kind, MessageKind::Question);
    QCOMPARE(log.first().caption, QStringLiteral("ODTWARZAMY"));
    QVERIFY(log.first().text.contains(QStringLiteral("Towary.DB, Dostawcy.db")));
    const auto after = archtest::snapshot(program.dataDir());
    if (!restoreTheRest) {
        QCOMPARE(program.messages().texts().last(), kIncomplete);
        QVERIFY(after == before);
        return;
    }
    QCOMPARE(program.messages().texts().last(), kSuccess);
    for (auto it = after.begin(); it != after.end(); ++it) {
        const bool kept = it.key() == QLatin1String("Towary.DB") || it.key() == QLatin1String("Dostawcy.db");
        QVERIFY2(it.value() == (kept ? before.value(it.key()) : archived.value(it.key())), qPrintable(it.key()));
    }
}

void RestoreTest::commitFailingAtAnyStepKeepsTheData()
{
    ProgramFixture program;
    addSuppliers(5);
    const auto archived = backUp(program);
    addUnit(QStringLiteral("kg"));
    addSuppliers(5);
    const auto before = archtest::snapshot(program.dataDir());
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    int failAt = 0;
    for (failAt = 1; failAt < 200; ++failAt) {
        int calls = 0;
        w->setCommitRename(
            [&](const QString& from, const QString& to) { return ++calls != failAt && QFile::rename(from, to); });
        program.messages().clear();
        restoreFrom(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));
        if (calls < failAt)
            break; // every step passed: the restore went through
        QVERIFY2(hasErrorNaming(program.messages(), QStringLiteral("Nie można zastąpić pliku")),
                 qPrintable(QString::number(failAt)));
        QCOMPARE(program.messages().texts().last(), kIncomplete);
        QVERIFY2(archtest::snapshot(program.dataDir()) == before, qPrintable(QString::number(failAt)));
    }
    w->setCommitRename({});
    QVERIFY(failAt > archived.size()); // every file was a point of failure
    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY(archtest::snapshot(program.dataDir()) == archived);
}

QTEST_MAIN(RestoreTest)
#include "tst_restore.moc"
