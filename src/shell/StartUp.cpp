#include "shell/StartUp.h"

#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "controls/Guarded.h"
#include "controls/MonthCalendar.h"
#include "masterdata/DostawcyJadl.h"
#include "masterdata/GrupyTowarowJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "masterdata/RestauracjeJadl.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "purchases/TowaryJadl.h"
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "reports/Dostawcy_Druk.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "shell/ProgramTables.h"
#include "store/DataStore.h"
#include "store/Database.h"
#include "store/FileHealth.h"
#include "store/Modul_Danych1.h"
#include "store/ServerSetup.h"
#include "store/TableDefs.h"
#include "store/TableSchema.h"
#include "work/BackupStaging.h"
#include "work/RestoreStaging.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLockFile>
#include <QPushButton>
#include <QTranslator>

#include <memory>
#include <vector>

namespace jadl {
Forms& forms()
{
    static Forms f;
    return f;
}
} // namespace jadl

namespace {

using jadl::forms;

// Owns what start-up created, so ShutDown() can destroy it last first.
std::vector<std::unique_ptr<QObject>>& created()
{
    static std::vector<std::unique_ptr<QObject>> objects;
    return objects;
}

template <class T, class... Args>
T* create(Args&&... args)
{
    auto obj = std::make_unique<T>(std::forward<Args>(args)...);
    T* raw = obj.get();
    created().push_back(std::move(obj));
    return raw;
}

void loadPolishTranslations()
{
    static bool loaded = false;
    if (loaded)
        return;
    auto* qt = new QTranslator(qApp);
    if (qt->load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    loaded = true;
}

// The tables the data store lacks (on a server: none when it cannot be reached,
// which the first table that opens will say).
QStringList missingTables()
{
    QStringList missing;
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        jadl::Table t;
        t.setDatabaseName(QStringLiteral("jadlonia"));
        t.setTableName(def->fileName);
        if (!t.exists())
            missing << def->fileName;
    }
    return missing;
}

// A new or empty data directory gets the tables, empty, as an installation would
// have made them (the copy table is made on request only). A directory that holds
// some tables but lacks others is not new: a purchase register that silently
// starts empty is lost data, so the user is asked first. false: end the program.
bool createMissingTables(const jadl::DataLocation& where)
{
    const QStringList missing = missingTables();
    if (missing.isEmpty())
        return true;
    if (missing.size() < jadl::tabledefs::all().size()) {
        const QString question = QStringLiteral("W KATALOGU DANYCH %1 BRAKUJE PLIKÓW TABEL: %2.\n")
                                     .arg(QDir::toNativeSeparators(where.directory),
                                          missing.join(QStringLiteral(", "))) +
            QStringLiteral("UTWORZYĆ JE PUSTE? (NIE - KONIEC PRACY PROGRAMU)");
        if (!jadl::platform::askYesNoDefaultNo(question, QStringLiteral("UWAGA")))
            return false;
    }
    for (const QString& name : missing) {
        jadl::Table t;
        t.setDatabaseName(QStringLiteral("jadlonia"));
        t.setTableName(name);
        t.createTable();
    }
    return true;
}

// On a server the tables are the preparation's (jadlonia --przygotuj-serwer):
// a workstation never makes them. A server that is not prepared is named and the
// program ends; one that cannot be reached is named, and the program goes on and
// connects when a window needs it.
void prepareServer(const jadl::DataLocation& where, bool& goOn)
{
    goOn = true;
    try {
        jadl::serversetup::role(where.server);
        const QStringList missing = missingTables();
        if (!missing.isEmpty())
            throw jadl::EngineError(
                QStringLiteral("W BAZIE DANYCH NA SERWERZE %1 BRAKUJE TABEL: %2. Właściciel bazy musi "
                               "uruchomić: jadlonia --przygotuj-serwer")
                    .arg(jadl::serverDisplayName(where.server), missing.join(QStringLiteral(", "))));
    } catch (const jadl::ConnectionLost& e) {
        jadl::platform::showError(e.message());
    } catch (const jadl::EngineError& e) {
        jadl::platform::showError(e.message());
        goOn = false;
    }
}

// Damaged table files are named at start; the program goes on so that their data
// can be restored from an archive. Returns the files that failed.
QStringList reportDamagedTables(const QString& dataDir)
{
    QStringList damaged;
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        const QString path = QDir(dataDir).filePath(def->fileName);
        if (!QFileInfo::exists(path))
            continue;
        if (const auto reason = jadl::checkTableFile(path, false)) {
            damaged << def->fileName;
            jadl::filehealth::markDamaged(path, *reason);
            jadl::platform::showError(jadl::filehealth::damagedFileMessage(path, *reason));
        }
    }
    return damaged;
}

// Every other table file of the data directory is checked whole in the
// background; a damaged one is named as soon as it is found.
void checkTablesInBackground(const QString& dataDir, const QStringList& damaged)
{
    QStringList paths;
    const QDir dir(dataDir);
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (!name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive) || damaged.contains(name, Qt::CaseInsensitive))
            continue;
        paths << dir.filePath(name);
    }
    jadl::filehealth::startChecking(paths, [](const QString& path, const QString& reason) {
        QMetaObject::invokeMethod(
            qApp,
            [message = jadl::filehealth::damagedFileMessage(path, reason)] { jadl::platform::showError(message); },
            Qt::QueuedConnection);
    });
}

// A backup cut short in the middle of its final swap (a kill, a power loss)
// leaves the day's archive hidden; it is brought back on every hard disk that
// holds archives: "Jadl\Archiwum" on the program drive, "Archiwum" on the others.
void recoverArchiveSwaps()
{
    using jadl::platform::Drives;
    for (const jadl::platform::DriveInfo& d : Drives::drives()) {
        if (d.type != jadl::platform::DriveType::Fixed)
            continue;
        const QString parent = d.letter == Drives::programDrive() ? QStringLiteral("Jadl\\Archiwum")
                                                                  : QStringLiteral("Archiwum");
        try {
            jadl::archive::BackupStaging::recover(
                Drives::toRealPath(QString(d.letter) + QStringLiteral(":\\") + parent));
        } catch (const jadl::platform::IoError&) {
            // a drive that cannot be read holds no archive to bring back
        }
    }
}

// One program per data directory: a second one would find its tables locked or
// replaced under it by a pack or a restore. A lock left by a program that no
// longer runs is taken over.
std::unique_ptr<QLockFile>& dataDirectoryLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

bool lockDataDirectory(const QString& dataDir)
{
    auto lock = std::make_unique<QLockFile>(QDir(dataDir).filePath(QStringLiteral(".jadlonia.lock")));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            jadl::platform::showMessage(QStringLiteral("PROGRAM JADLONIA JUŻ PRACUJE NA KATALOGU DANYCH %1.\n"
                                                       "ZAKOŃCZ TAMTEN PROGRAM I URUCHOM GO PONOWNIE.")
                                            .arg(QDir::toNativeSeparators(dataDir)));
        else
            jadl::platform::showError(
                QStringLiteral("Nie można założyć blokady katalogu danych %1").arg(QDir::toNativeSeparators(dataDir)));
        return false;
    }
    dataDirectoryLock() = std::move(lock);
    return true;
}

// What the purchase-lines filter reads of the assignment and supplier goods windows.
class WindowFilterInputs : public jadl::PurchaseFilterInputs {
public:
    bool assignmentVisible() const override
    {
        return forms().PrzypisywanieTowarow && forms().PrzypisywanieTowarow->isVisible();
    }
    bool filterByGroup() const override { return forms().PrzypisywanieTowarow->filterByGroup(); }
    QDate assignmentCalendarDate() const override { return forms().PrzypisywanieTowarow->calendarDate(); }
    bool supplierGoodsVisible() const override { return forms().Towary && forms().Towary->isVisible(); }
    std::optional<jadl::PeriodChoice> periodChoice() const override { return forms().Towary->periodChoice(); }
};

WindowFilterInputs& filterInputs()
{
    static WindowFilterInputs inputs;
    return inputs;
}

// Every window and report learns, once, the data module and the other windows
// it works with; no window looks anything up by itself.
void wireWindows(jadl::Forms& f)
{
    TModulDanych1* dm = f.ModulDanych1;
    dm->setFilterInputs(&filterInputs());
    jadl::Table* vat = f.StawkiVatJadlon->TableStawkiVat;
    jadl::Table* units = f.JednostkiMiarJadlon->TableJednostkiMiar;

    f.Dostawcy->bindDataModule(dm);
    f.Dostawcy->setReport(f.DostawcyDruk);
    f.TowaryPodstawowe->bindDataModule(dm);
    f.TowaryPodstawowe->setAssignmentWindow(f.PrzypisywanieTowarow);
    f.TowaryPodstawowe->setDictionaryTables(vat, units);
    f.TowaryPodstawowe->setReport(f.TowaryPodstawoweWgGrupDruk);
    f.PrzypisywanieTowarow->setShowCatalogue([&f] { f.TowaryPodstawowe->exec(); });
    f.PrzypisywanieTowarow->setDictionaryTables(vat, units);
    f.Towary->setReports(f.ZakupioneTowaryDruk, f.ZakupioneTowaryDruk1, f.WartoscKupionychTowarowDruk);
    f.Towary->setAssignmentDate([&f] { return f.PrzypisywanieTowarow->calendarDate(); });
    f.KopiowanieDanych->bindDataModule(dm);
    f.KopiowanieDanych->setProgramTables(jadl::programTables);
    f.OdtwarzanieDanych->bindDataModule(dm);
    f.OdtwarzanieDanych->setBackupWindow(f.KopiowanieDanych);
    f.OdtwarzanieDanych->setProgramTables(jadl::programTables);
    for (jadl::ReportForm* report : std::initializer_list<jadl::ReportForm*>{
             f.ZakupioneTowaryDruk, f.ZakupioneTowaryDruk1, f.WartoscKupionychTowarowDruk, f.TowaryPodstawoweWgGrupDruk,
             f.DostawcyDruk})
        report->bindDataModule(dm);
}

// Looks for the copy table on the start drive and records the answer in Par1.
void checkCopyTable()
{
    TTowary* towary = forms().Towary;
    TModulDanych1* dm = forms().ModulDanych1;
    const QString prefix = towary->startDrive() + QStringLiteral(":\\");
    jadl::shared().dataDrivePrefix = prefix;
    bool exists = false;
    try {
        exists = QFileInfo::exists(
            jadl::platform::Drives::toRealPath(prefix + QStringLiteral("jadl\\dane_bar\\TowaryRaport.db")));
    } catch (const jadl::platform::IoError&) {
        exists = false; // a drive that cannot be read holds no copy table
    }
    jadl::Table* par = dm->TableParametry;
    // A damaged parameters file has been named already; the check goes on without it.
    jadl::runGuarded([par, exists] {
        try {
            par->open();
            par->edit();
            par->fieldByName(QStringLiteral("Par1")).setBoolean(exists);
            par->post();
            par->close();
        } catch (...) {
            par->close();
            throw;
        }
    });
    towary->useCopyTable(exists, prefix + QStringLiteral("jadl\\dane_bar"));
}

} // namespace

bool StartUp()
{
    loadPolishTranslations();
    jadl::filehealth::reset();

    // A server when one is configured, else the data directory.
    std::optional<QString> server;
    try {
        server = jadl::configuredServer();
    } catch (const jadl::EngineError& e) {
        jadl::platform::showError(e.message());
        return false;
    }
    QStringList damaged;
    if (server) {
        // The workstation's own folder still holds the copy table and the archive's
        // way; one program a workstation, so that two never share them.
        if (!lockDataDirectory(jadl::platform::Drives::dataDirectory()))
            return false;
        const jadl::DataLocation where{{}, *server};
        jadl::Aliases::setAliasServer(QStringLiteral("dane_bar"), *server);
        bool goOn = true;
        prepareServer(where, goOn);
        if (!goOn) {
            dataDirectoryLock().reset();
            return false;
        }
    } else {
        const QString dataDir = jadl::platform::Drives::dataDirectory();
        if (!lockDataDirectory(dataDir))
            return false;
        // A restore that a crash cut short is rolled back before any table opens.
        jadl::archive::RestoreStaging::recover(dataDir);
        jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dataDir);
        if (!createMissingTables(jadl::DataLocation{dataDir, {}})) {
            dataDirectoryLock().reset();
            return false;
        }
        damaged = reportDamagedTables(dataDir);
    }

    recoverArchiveSwaps();

    jadl::Forms& f = forms();
    f.Meni = create<TMeni>();
    f.Towary = create<TTowary>();
    f.ModulDanych1 = create<TModulDanych1>();
    f.Towary->bindDataModule(f.ModulDanych1);
    TModulDanych1* dm = f.ModulDanych1;
    f.Dostawcy = create<TDostawcy>();
    f.PrzypisywanieTowarow = create<TPrzypisywanieTowarow>(dm);
    f.TowaryPodstawowe = create<TTowaryPodstawowe>();
    f.GrupyTowarow = create<TGrupyTowarow>(dm);
    f.KopiowanieDanych = create<TKopiowanieDanych>();
    f.OdtwarzanieDanych = create<TOdtwarzanieDanych>();
    f.Parametry = create<TParametry>(dm);
    f.ZakupioneTowaryDruk = create<TZakupioneTowaryDruk>();
    f.WartoscKupionychTowarowDruk = create<TWartoscKupionychTowarowDruk>();
    f.Restauracje = create<TRestauracje>(dm);
    f.JednostkiMiarJadlon = create<TJednostkiMiarJadlon>();
    // The units of measure are open from the start, unless their file is damaged.
    if (!damaged.contains(jadl::tabledefs::jednostkiMiar().fileName))
        jadl::runGuarded([&f] { f.JednostkiMiarJadlon->TableJednostkiMiar->open(); });
    f.StawkiVatJadlon = create<TStawkiVatJadlon>();
    f.UsuwaniePrzypisanychTowarow = create<TUsuwaniePrzypisanychTowarow>(dm);
    f.ZakupioneTowaryDruk1 = create<TZakupioneTowaryDruk1>();
    f.TowaryPodstawoweWgGrupDruk = create<TTowaryPodstawoweWgGrupDruk>();
    f.DostawcyDruk = create<TDostawcyDruk>();
    wireWindows(f);

    jadl::shared().supplierReportFlag = false;
    checkCopyTable();

    f.Meni->move(0, 0);
    f.Meni->show();
    if (!server)
        checkTablesInBackground(jadl::platform::Drives::dataDirectory(), damaged);
    return true;
}

void ShutDown()
{
    auto& objects = created();
    // Windows first (they may hold their own tables), the data module with them in
    // reverse order of creation; the main window goes last.
    while (!objects.empty())
        objects.pop_back();
    forms() = jadl::Forms{};
    jadl::filehealth::reset();
    dataDirectoryLock().reset();
}
