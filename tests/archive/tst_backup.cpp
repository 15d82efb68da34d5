// The backup window driven as a user would: program drive, another drive,
// diskettes, low space, a missing diskette and a disk that fills up.
#include "archive/KopiowanieDanychJadl.h"
#include "archive/TablesOffline.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "platform/Messages.h"
#include "shell/Forms.h"
#include "shell/ProgramTables.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/ArchiveTestUtil.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>

using jadl::forms;
using jadl::platform::MessageKind;
using jadl::test::ProgramFixture;

namespace {

const QString kSuccess = QStringLiteral("KOPIA DANYCH PROGRAMU WYKONANA PRAWIDŁOWO");
const QString kLowSpace = QStringLiteral("ZA MAŁO MIEJSCA NA WYBRANYM DYSKU DLA KOPII PLIKÓW DANYCH");

// Scripted answers that also run a check when a question comes.
class WatchingMessages : public jadl::platform::ScriptedMessages {
public:
    std::function<void(const QString& text)> onQuestion;
    bool question(const QString& text, const QString& caption) override
    {
        if (onQuestion)
            onQuestion(text);
        return ScriptedMessages::question(text, caption);
    }
};

// Installs a WatchingMessages for one test and puts the fixture's sink back.
struct WatchScope {
    std::shared_ptr<WatchingMessages> sink = std::make_shared<WatchingMessages>();
    std::shared_ptr<jadl::platform::MessageSink> previous = jadl::platform::messageSink();
    WatchScope() { jadl::platform::setMessageSink(sink); }
    ~WatchScope() { jadl::platform::setMessageSink(previous); }
};

struct LastBackup {
    std::optional<int> diskettes;
    std::optional<qint64> bytes;
};

LastBackup lastBackup()
{
    jadl::Table* par = forms().ModulDanych1->TableParametry;
    const bool wasOpen = par->active();
    if (!wasOpen)
        par->open();
    par->first();
    LastBackup out{par->fieldByName(QStringLiteral("IleDyskietek")).optInteger(),
                   par->fieldByName(QStringLiteral("RozmiarDanych")).optLargeInt()};
    if (!wasOpen)
        par->close();
    return out;
}

void addSupplier(const QString& name)
{
    jadl::Table* t = forms().ModulDanych1->TableDostawcy;
    t->open();
    t->append();
    t->fieldByName(QStringLiteral("Nazwa")).setString(name);
    t->post();
}

void addPurchaseLines(int count)
{
    jadl::Table* t = forms().ModulDanych1->TableTowary;
    t->open();
    jadl::Table::Batch batch(*t);
    for (int i = 0; i < count; ++i) {
        t->append();
        t->fieldByName(QStringLiteral("Nazwa")).setString(QString(90, QLatin1Char('x')));
        t->post();
    }
    batch.commit();
    t->close();
}

// Writes past `bytes` into any file fail (as on a full disk) while the guard lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, SIG_IGN); // a write then fails with EFBIG instead of ending the process
        rlimit lim = old_;
        lim.rlim_cur = rlim_t(bytes);
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

void checkIdle(TKopiowanieDanych* w)
{
    QVERIFY(jadl::test::child<QPushButton>(w, "Kopiuj")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Pomoc")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
    QCOMPARE(jadl::test::child<QProgressBar>(w, "ProgressBar1")->value(), 0);
    QCOMPARE(jadl::test::child<QProgressBar>(w, "ProgressBar2")->value(), 0);
    QVERIFY(jadl::test::child<QLabel>(w, "LabelCoKopiuje")->text().isEmpty());
    QCOMPARE(jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->drive(), QLatin1Char('c'));
    QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
             QStringLiteral("c:\\Jadl"));
}

} // namespace

class BackupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void toProgramDrive();
    void secondRunTheSameDayOverwrites();
    void toAnotherDrive();
    void lowSpaceQuestion_data();
    void lowSpaceQuestion();
    void onDiskettes();
    void fileLargerThanADiskette();
    void noDisketteInTheDrive();
    void diskFillsUp_data();
    void diskFillsUp();
    void archiveFolderVanishesWhileWriting();
    void hotJournalIsResolvedBeforeTheCopy();
    void exitPointsBackAtTheProgramDrive_data();
    void exitPointsBackAtTheProgramDrive();
};

void BackupTest::toProgramDrive()
{
    ProgramFixture program;
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    QCOMPARE(w->objectName(), QStringLiteral("KopiowanieDanych"));
    QCOMPARE(w->windowTitle(), QStringLiteral("KOPIA DANYCH JADLONI"));
    addSupplier(QStringLiteral("Hurtownia Smak"));
    jadl::Table* units = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    units->open();
    const auto before = archtest::snapshot(program.dataDir());
    QVERIFY(before.size() >= 9);

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    const auto archived = archtest::snapshot(program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026"));
    QCOMPARE(archived.keys(), before.keys());
    QVERIFY(archived == before);
    const LastBackup last = lastBackup();
    QCOMPARE(last.bytes, std::optional<qint64>(archtest::totalSize(before)));
    QCOMPARE(last.diskettes, std::optional<int>(0));
    // The four purchase tables stay closed; the rest are back as they were.
    QVERIFY(!forms().ModulDanych1->TableDostawcy->active());
    QVERIFY(units->active());
    checkIdle(w);
}

void BackupTest::secondRunTheSameDayOverwrites()
{
    ProgramFixture program;
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    // Drive C nearly full: only the run that creates the folders asks about it.
    archtest::mapDrives(program.root(), {});
    const qint64 used = archtest::totalSize(archtest::snapshot(program.dataDir()));
    archtest::mapDrives(program.root() + QStringLiteral(":") + QString::number(used + 2048), {});
    program.messages().answerNext(true);
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
    QCOMPARE(program.messages().texts(), (QStringList{kLowSpace, kSuccess}));
    QCOMPARE(program.messages().log().at(0).caption, QStringLiteral("Kontynuować"));

    // The user's own files in the day's folder outlive the second backup; files
    // of a table's name are the new backup's.
    const QString folder = program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026");
    const QMap<QString, QByteArray> own{{QStringLiteral("notatka.txt"), "kopia przed inwentaryzacją"},
                                        {QStringLiteral("Dostawcy-stary.db"), "starsza kopia dostawców"}};
    for (auto it = own.begin(); it != own.end(); ++it)
        QVERIFY(archtest::writeBytes(folder + QLatin1Char('/') + it.key(), it.value()));
    addSupplier(QStringLiteral("Piekarnia Kłos"));
    auto changed = archtest::snapshot(program.dataDir());
    program.messages().clear();
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    changed.insert(own);
    QVERIFY(archtest::snapshot(folder) == changed);
}

void BackupTest::toAnotherDrive()
{
    ProgramFixture program;
    QTemporaryDir d;
    archtest::mapDrives(program.root(), QStringLiteral("D=") + d.path());
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    QVERIFY2(jadl::test::child<QLabel>(w, "LabelIleMiejsca")
                 ->text()
                 .startsWith(QStringLiteral("Wolnego miejsca na dysku d:\\ jest ")),
             qPrintable(jadl::test::child<QLabel>(w, "LabelIleMiejsca")->text()));
    QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
             QStringLiteral("d:\\"));
    const auto before = archtest::snapshot(program.dataDir());

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    QVERIFY(archtest::snapshot(d.path() + QStringLiteral("/Archiwum/06_12_2026")) == before);
    QVERIFY(!QDir(program.root() + QStringLiteral("/Jadl/Archiwum")).exists());
    QCOMPARE(lastBackup().bytes, std::optional<qint64>(archtest::totalSize(before)));
    checkIdle(w);
}

void BackupTest::lowSpaceQuestion_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::newRow("Tak") << true;
    QTest::newRow("Nie") << false;
}

void BackupTest::lowSpaceQuestion()
{
    QFETCH(bool, goOn);
    ProgramFixture program;
    QTemporaryDir d;
    archtest::mapDrives(program.root(), QStringLiteral("D=") + d.path() + QStringLiteral(":4096"));
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    const auto before = archtest::snapshot(program.dataDir());
    forms().JednostkiMiarJadlon->TableJednostkiMiar->open();

    // When the question comes, every table file is already free of connections.
    WatchScope watch;
    watch.sink->answerNext(goOn);
    QStringList openDuringQuestion;
    watch.sink->onQuestion = [&openDuringQuestion](const QString&) {
        for (jadl::Table* t : jadl::programTables()) {
            if (t->active())
                openDuringQuestion << t->objectName();
        }
    };
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);

    QCOMPARE(watch.sink->texts().value(0), kLowSpace);
    QVERIFY2(openDuringQuestion.isEmpty(), qPrintable(openDuringQuestion.join(QLatin1Char(' '))));
    const auto archived = archtest::snapshot(d.path() + QStringLiteral("/Archiwum/06_12_2026"));
    if (goOn) {
        QCOMPARE(watch.sink->texts(), (QStringList{kLowSpace, kSuccess}));
        QVERIFY(archived == before);
    } else {
        // Given up: no final message, nothing copied, nothing recorded.
        QCOMPARE(watch.sink->texts(), QStringList{kLowSpace});
        QVERIFY(archived.isEmpty());
        QCOMPARE(lastBackup().bytes.value_or(0), qint64(0));
        QVERIFY(jadl::test::child<QPushButton>(w, "Kopiuj")->isEnabled());
    }
    QVERIFY(forms().JednostkiMiarJadlon->TableJednostkiMiar->active());
}

void BackupTest::onDiskettes()
{
    ProgramFixture program;
    // Three files larger than the tables make a second and a third diskette necessary.
    for (int i = 1; i <= 3; ++i)
        QVERIFY(archtest::writeBytes(program.dataDir() + QStringLiteral("/Zapasy%1.dat").arg(i),
                                     archtest::patterned(100 * 1024, i)));
    const auto before = archtest::snapshot(program.dataDir());
    const qint64 total = archtest::totalSize(before);
    qint64 largest = 0;
    for (const QByteArray& bytes : before)
        largest = qMax<qint64>(largest, bytes.size());
    const qint64 capacity = largest + 16 * 1024;
    QVERIFY(total > 2 * capacity);

    QTemporaryDir a;
    // Whatever the diskette held goes first.
    QVERIFY(archtest::writeBytes(a.path() + QStringLiteral("/Archiwum/stary.txt"), "stare dane"));
    QVERIFY(archtest::writeBytes(a.path() + QStringLiteral("/Archiwum/Towary.DB"), "stara kopia"));
    archtest::mapDrives(program.root(), QStringLiteral("A=") + a.path() + QLatin1Char(':') + QString::number(capacity));
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));

    WatchScope watch;
    watch.sink->setDefaultAnswer(true);
    QList<QMap<QString, QByteArray>> diskettes;
    const QString folder = a.path() + QStringLiteral("/Archiwum");
    watch.sink->onQuestion = [&](const QString& text) {
        if (text.startsWith(QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ")))
            diskettes.append(archtest::snapshot(folder)); // the full diskette taken out
    };
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
    diskettes.append(archtest::snapshot(folder));

    const qint64 needKb = total / 1024;
    const int count = static_cast<int>(needKb / (capacity / 1024));
    QStringList expected{QStringLiteral("ILOŚĆ DYSKIETEK DO WYKONANIA KOPII BAZY MIN ") + QString::number(count + 1),
                         QStringLiteral("TWORZYMY KOPIE BAZY NA DYSKIETKACH ??")};
    for (int n = 2; n <= diskettes.size(); ++n)
        expected << QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ") + QString::number(n);
    expected << kSuccess;
    QCOMPARE(watch.sink->texts(), expected);
    QVERIFY(diskettes.size() >= 3);
    QCOMPARE(watch.sink->log().at(1).caption, QStringLiteral("KOPIUJEMY"));

    // Every data file is on exactly one diskette, whole; the old contents are gone.
    QMap<QString, QByteArray> all;
    for (const auto& disk : diskettes) {
        qint64 used = 0;
        for (auto it = disk.begin(); it != disk.end(); ++it) {
            QVERIFY2(!all.contains(it.key()), qPrintable(it.key()));
            all.insert(it.key(), it.value());
            used += it.value().size();
        }
        QVERIFY(used <= capacity);
    }
    QVERIFY(all == before);
    const LastBackup last = lastBackup();
    QCOMPARE(last.bytes, std::optional<qint64>(total));
    QCOMPARE(last.diskettes, std::optional<int>(count));
    checkIdle(w);
}

void BackupTest::fileLargerThanADiskette()
{
    ProgramFixture program;
    QVERIFY(archtest::writeBytes(program.dataDir() + QStringLiteral("/Zapasy.dat"), archtest::patterned(300 * 1024)));
    QTemporaryDir a;
    archtest::mapDrives(program.root(),
                        QStringLiteral("A=") + a.path() + QStringLiteral(":") + QString::number(200 * 1024));
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));
    program.messages().setDefaultAnswer(true);

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);

    const QStringList texts = program.messages().texts();
    QVERIFY2(texts.endsWith(QStringLiteral("Plik przekracza pojemność dyskietki - kopia przerwana")),
             qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY(!texts.contains(kSuccess));
    QVERIFY(!texts.contains(QStringLiteral("NIEPEŁNA KOPIA DANYCH PROGRAMU")));
    QCOMPARE(lastBackup().bytes.value_or(0), qint64(0));
    QVERIFY(jadl::test::child<QPushButton>(w, "Kopiuj")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
}

void BackupTest::noDisketteInTheDrive()
{
    ProgramFixture program;
    QTemporaryDir parent;
    archtest::mapDrives(program.root(), QStringLiteral("A=") + parent.path() + QStringLiteral("/pusty_naped"));
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('a'));
    QCOMPARE(jadl::test::child<jadl::archive::FileListBox>(w, "PlikiArchiwum")->count(), 0);
    // Choosing the empty drive asks for a diskette, once.
    w->DyskDlaArchiwumClick();
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ")});
    QCOMPARE(program.messages().log().at(0).kind, MessageKind::Question);
    program.messages().clear();
    const auto before = archtest::snapshot(program.dataDir());

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);

    // Broken off before anything was measured: not a success.
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("NIEPEŁNA KOPIA DANYCH PROGRAMU")});
    QCOMPARE(lastBackup().bytes.value_or(0), qint64(0));
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    checkIdle(w);
}

void BackupTest::diskFillsUp_data()
{
    QTest::addColumn<bool>("earlierBackupToday");
    QTest::newRow("first backup of the day") << false;
    QTest::newRow("second backup of the day") << true;
}

void BackupTest::diskFillsUp()
{
    QFETCH(bool, earlierBackupToday);
    ProgramFixture program;
    QTemporaryDir d;
    archtest::mapDrives(program.root(), QStringLiteral("D=") + d.path());
    const QString folder = d.path() + QStringLiteral("/Archiwum/06_12_2026");
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    QMap<QString, QByteArray> earlier;
    if (earlierBackupToday) {
        QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
        QCOMPARE(program.messages().texts(), QStringList{kSuccess});
        program.messages().clear();
        earlier = archtest::snapshot(folder);
        jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    }
    const std::optional<qint64> recorded = lastBackup().bytes;
    // The purchase lines grow past what the disk still takes; every other file fits.
    addPurchaseLines(400);
    const auto before = archtest::snapshot(program.dataDir());
    qint64 largestOther = 0;
    for (auto it = before.begin(); it != before.end(); ++it)
        if (it.key() != QLatin1String("Towary.DB"))
            largestOther = qMax<qint64>(largestOther, it.value().size());
    QVERIFY(before.value(QStringLiteral("Towary.DB")).size() > largestOther + 4096);
    {
        const FileSizeLimit full(largestOther + 4096);
        QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
    }
    // The cause in words (a file past the limit the disk sets), never "Unknown error".
    QVERIFY2(program.messages().log().value(0).text.contains(QStringLiteral("plik przekracza największy rozmiar")),
             qPrintable(program.messages().log().value(0).text));

    const auto& log = program.messages().log();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(0).kind, MessageKind::Error);
    QVERIFY2(log.at(0).text.contains(QStringLiteral("d:\\Archiwum\\06_12_2026\\Towary.DB")),
             qPrintable(log.at(0).text));
    QVERIFY(log.at(0).text.startsWith(QStringLiteral("Błąd kopiowania")));
    QCOMPARE(log.at(1).text, QStringLiteral("NIEPEŁNA KOPIA PROGRAMU"));
    QVERIFY(archtest::snapshot(program.dataDir()) == before);
    // The day's earlier archive is as it was; without one there is no archive at all.
    QCOMPARE(QFileInfo::exists(folder), earlierBackupToday);
    QVERIFY(archtest::snapshot(folder) == earlier);
    QCOMPARE(
        QDir(d.path() + QStringLiteral("/Archiwum")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        earlierBackupToday ? QStringList{QStringLiteral("06_12_2026")} : QStringList{});
    QCOMPARE(lastBackup().bytes, recorded);
    QVERIFY(jadl::test::child<QPushButton>(w, "Kopiuj")->isEnabled());
    QVERIFY(jadl::test::child<QPushButton>(w, "Wyjscie")->isEnabled());
}

void BackupTest::archiveFolderVanishesWhileWriting()
{
    ProgramFixture program;
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    const QString last = jadl::test::child<jadl::archive::FileListBox>(w, "Pliki")->fileNames().last();
    bool removed = false;
    w->setAfterBlockHook([&](const QString& copy) {
        if (!removed && copy.endsWith(QLatin1Char('/') + last)) {
            removed = QDir(QFileInfo(copy).absolutePath()).removeRecursively();
        }
    });
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Kopiuj"), Qt::LeftButton);
    w->setAfterBlockHook({});

    QVERIFY(removed);
    QVERIFY(!program.messages().texts().contains(kSuccess));
    QCOMPARE(program.messages().texts().last(), QStringLiteral("NIEPEŁNA KOPIA PROGRAMU"));
    QVERIFY(!QFileInfo::exists(program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026")));
    QCOMPARE(lastBackup().bytes.value_or(0), qint64(0));
}

void BackupTest::hotJournalIsResolvedBeforeTheCopy()
{
    ProgramFixture program;
    for (int i = 0; i < 300; ++i)
        addSupplier(QStringLiteral("Dostawca %1").arg(i));
    forms().ModulDanych1->TableDostawcy->close();
    const QString file = program.dataDir() + QStringLiteral("/Dostawcy.db");
    QVERIFY(archtest::leaveHotJournal(
        file,
        QStringLiteral("DELETE FROM Dostawcy WHERE rowid > 100; UPDATE Dostawcy SET Adres = hex(randomblob(2000))")));

    QTest::mouseClick(jadl::test::child<QPushButton>(forms().KopiowanieDanych, "Kopiuj"), Qt::LeftButton);

    QCOMPARE(program.messages().texts(), QStringList{kSuccess});
    const QString folder = program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026");
    QVERIFY(!archtest::snapshot(folder).contains(QStringLiteral("Dostawcy.db-journal")));
    // The archive holds the suppliers as last committed, in a sound file.
    QCOMPARE(archtest::rowCount(folder + QStringLiteral("/Dostawcy.db"), QStringLiteral("Dostawcy")), 300);
    SQLite::Database db(QString(folder + QStringLiteral("/Dostawcy.db")).toStdString(), SQLite::OPEN_READONLY);
    QCOMPARE(db.execAndGet("PRAGMA integrity_check").getString(), std::string("ok"));
}

void BackupTest::exitPointsBackAtTheProgramDrive_data()
{
    QTest::addColumn<bool>("installed");
    QTest::newRow("installed") << true;
    QTest::newRow("installation folder missing") << false;
}

void BackupTest::exitPointsBackAtTheProgramDrive()
{
    QFETCH(bool, installed);
    ProgramFixture program;
    QTemporaryDir d;
    archtest::mapDrives(program.root(), QStringLiteral("D=") + d.path());
    TKopiowanieDanych* w = forms().KopiowanieDanych;
    jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->setDrive(QLatin1Char('d'));
    const QString jadl = program.root() + QStringLiteral("/Jadl");
    if (!installed)
        QVERIFY(QDir().rename(jadl, program.root() + QStringLiteral("/Jadl_gdzie_indziej")));

    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Wyjscie"), Qt::LeftButton);

    QCOMPARE(jadl::test::child<jadl::archive::DriveComboBox>(w, "DyskDlaArchiwum")->drive(), QLatin1Char('c'));
    if (installed) {
        QVERIFY(program.messages().texts().isEmpty());
        QCOMPARE(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory(),
                 QStringLiteral("c:\\Jadl"));
    } else {
        QCOMPARE(program.messages().texts(),
                 QStringList{QStringLiteral("DANE NIE SĄ ZAINSTALOWANE W KATALOGU \"c:\\Jadl\\Dane_bar\"")});
        QVERIFY(QDir().rename(program.root() + QStringLiteral("/Jadl_gdzie_indziej"), jadl));
    }
}

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
