#include "archive/OdtwarzanieDanychJadl.h"

#include "archive/KopiowanieDanychJadl.h"
#include "archive/TablesOffline.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "controls/ServerRole.h"
#include "platform/Drives.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "store/Modul_Danych1.h"
#include "store/ServerArchive.h"
#include "store/Table.h"
#include "work/ArchiveFiles.h"
#include "work/RestoreJob.h"
#include "work/ServerFolder.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

using jadl::archive::percentOf;
using jadl::archive::RestoreEnd;
using jadl::archive::RestoreJob;
using jadl::archive::RestoreProgress;
using jadl::archive::RestoreResult;
using jadl::archive::setBarNow;
using jadl::archive::setLabelNow;
using jadl::platform::Drives;
using jadl::platform::IoError;

namespace {

const QString kPleaseWait = QStringLiteral("PROSZĘ CZEKAĆ - ODTWARZAM ZBIORY Z ARCHIWUM");
const QString kInsertDiskette = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");

// The job's questions, asked in message boxes.
class AskTheUser : public jadl::archive::RestoreQuestions {
public:
    bool restoreWithout(const QStringList& missing) override
    {
        return jadl::platform::askYesNoDefaultNo(
            QStringLiteral("W ARCHIWUM BRAKUJE PLIKÓW TABEL: %1. ODTWORZYĆ POZOSTAŁE PLIKI?")
                .arg(missing.join(QStringLiteral(", "))),
            QStringLiteral("ODTWARZAMY"));
    }
    bool insertDiskette() override { return jadl::platform::askYesNo(kInsertDiskette, QStringLiteral("ODTWARZAMY")); }
};

} // namespace

namespace {

jadl::archive::ArchiveCaptions restoreCaptions()
{
    jadl::archive::ArchiveCaptions t;
    t.chooseDrive = {QStringLiteral("LabelWybor_dysku_dlaOdtwarzania"),
                     QStringLiteral("Wybór dysku Archiwum do odtworzenia")};
    t.archiveDriveLabel = QStringLiteral("Dysk z archiwum danych");
    t.spaceLabel = QString();
    t.messageLabel = QStringLiteral("LabelKomunikat");
    t.doingLabel = {QStringLiteral("LabelOdtwarzam"), QStringLiteral("Odtwarzam :")};
    t.doneLabel = {QStringLiteral("LabelOdtworzono"), QStringLiteral("Odtworzono")};
    t.allLabel = {QStringLiteral("LabelOdtwarzanieWszystko"), QStringLiteral("Odtwarzanie wszystkich danych")};
    t.actionButton = {QStringLiteral("Odtworz"), QStringLiteral("&Odtwarzaj")};
    t.actionHint = QStringLiteral("Odtwarzanie danych programu z wybranego archiwum(lewe okienka)");
    t.exitHint = QStringLiteral("Zamkniecie formatki odtwarzania danych");
    return t;
}

} // namespace

TOdtwarzanieDanych::TOdtwarzanieDanych(QWidget* parent)
    : ArchiveWindow(parent, QStringLiteral("OdtwarzanieDanych"), QStringLiteral("ODTWARZANIE DANYCH JADLONI"),
                    restoreCaptions())
{
    c_.Pliki->setMultiSelect(false);
}

QString TOdtwarzanieDanych::freeSpaceText(QChar, qint64 freeKb) const
{
    return QStringLiteral("Wolnego miejsca na dysku jest ") + QString::number(freeKb) + QStringLiteral(" kB");
}

TOdtwarzanieDanych::~TOdtwarzanieDanych() = default;

QList<jadl::Table*> TOdtwarzanieDanych::tablesLeftClosed() const
{
    QList<jadl::Table*> out = backup_ ? backup_->ZamknijTabeleDanych() : QList<jadl::Table*>{};
    if (dm_)
        out.append(dm_->TableParametry);
    return out;
}

// ---------------------------------------------------------------- list handlers

void TOdtwarzanieDanych::PomocClick()
{
    jadl::platform::showHelpTopic(8);
}

void TOdtwarzanieDanych::WyjscieClick()
{
    SprawdzKatalogArchiwum();
    done(QDialog::Rejected);
}

// ---------------------------------------------------------------- routines

void TOdtwarzanieDanych::SprawdzKatalogArchiwum()
{
    pointArchiveListsHome(QStringLiteral("ARCHIWUM NIE ZNAJDUJE SIĘ W KATALOGU \""),
                          QStringLiteral(":\\Jadl\\Archiwum\""));
}

void TOdtwarzanieDanych::showProgress(const RestoreProgress& p)
{
    if (p.total != 0) {
        const int filePercent = percentOf(p.fileDone, p.fileSize);
        setLabelNow(c_.LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
        setBarNow(c_.ProgressBar1, filePercent);
        setBarNow(c_.ProgressBar2, percentOf(p.done, p.total));
    }
    setLabelNow(c_.LabelIleMiejsca,
                QStringLiteral("Wolnego miejsca na dysku jest :") + QString::number(p.freeKb) + QStringLiteral(" kB"));
    setLabelNow(c_.LabelLicznik, QStringLiteral("Zbiór ") + QString::number(p.fileNumber));
}

// The lists and labels follow what the job reports; the job asks the rest.
void TOdtwarzanieDanych::showStage(const RestoreProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked)
{
    using Stage = RestoreProgress::Stage;
    switch (p.stage) {
    case Stage::Checked: {
        {
            const QSignalBlocker block(c_.Katalogi);
            c_.Katalogi->setDirectory(dataDirectory());
        }
        c_.Pliki->setDirectory(c_.Katalogi->directory());
        break;
    }
    case Stage::Listed:
        if (diskette_)
            showArchiveFolder(p.folder);
        c_.PlikiArchiwum->setMask(QStringLiteral("*.*"));
        c_.PlikiArchiwum->setMultiSelect(true);
        c_.PlikiArchiwum->selectAll();
        break;
    case Stage::Restoring:
        c_.LabelKomunikat->show();
        setLabelNow(c_.LabelKomunikat, kPleaseWait);
        locked.emplace(c_, busy_);
        break;
    case Stage::FileStarted:
        setLabelNow(c_.LabelCoKopiuje, p.from);
        setLabelNow(c_.LabelGdzieKopiuje, p.to);
        pacer_.emplace();
        break;
    case Stage::Bytes:
        if (!p.paced || pacer_->paintDue())
            showProgress(p);
        if (p.paced)
            pacer_->keepAlive();
        break;
    case Stage::Copied:
        locked.reset();
        c_.LabelKomunikat->hide();
        break;
    }
}

// ---------------------------------------------------------------- the restore

void TOdtwarzanieDanych::OdtworzClick()
{
    // Typing still in a window would be lost when its table closes: settled first.
    if (!jadl::settlePendingEdits(programTables_()))
        return;
    if (!jadl::headOfficeWork(dm_->Database1->location(), QStringLiteral("Odtworzenie danych")))
        return;
    // What the last backup recorded. A damaged parameters file must not stand in
    // the way of the restore that repairs it: its figures then count as unknown.
    jadl::archive::RestoreSource source;
    jadl::Table* par = dm_->TableParametry;
    try {
        par->open();
        source.last.diskettes = par->fieldByName(QStringLiteral("IleDyskietek")).asInteger();
        source.last.bytes = par->fieldByName(QStringLiteral("RozmiarDanych")).asLargeInt();
        par->close();
    } catch (const jadl::EngineError&) {
        par->close();
    }

    // No data file is replaced while a connection to it is open.
    jadl::archive::TablesOffline offline(programTables_(), tablesLeftClosed());
    c_.LabelIleMiejsca->show();
    c_.Filtr->setEnabled(true);

    source.chosenFolder = c_.KatalogDlaArchiwum->directory();
    source.listedFolder = c_.PlikiArchiwum->directory();
    source.archiveRoot = c_.DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
    // Data kept on a server: the archive's files are restored into a folder of
    // their own, then replace the server's tables in one transaction.
    QString target = dataDirectory();
    std::optional<jadl::archive::ServerFolder> staging;
    const jadl::DataLocation where = dm_->Database1->location();
    if (where.isServer()) {
        staging.emplace(target.at(0), QStringLiteral("Odtwarzanie_serwera"));
        target = staging->drivePath();
    }
    std::optional<jadl::archive::ButtonsLocked> locked;
    RestoreJob job(source, target, [this, &locked](const RestoreProgress& p) { showStage(p, locked); });
    job.setAfterBlockHook(afterBlock_);
    if (commitRename_)
        job.setCommitRename(commitRename_);
    diskette_ = job.diskette();
    AskTheUser ask;
    RestoreResult r = job.run(ask);
    if (staging && r.end == RestoreEnd::Restored) {
        try {
            jadl::serverarchive::importTables(
                where.server, staging->realPath(), staging->tableFiles(), [this](const QString& table, qint64 rows) {
                    setLabelNow(c_.LabelKomunikat,
                                QStringLiteral("ZAPIS DANYCH NA SERWERZE: %1 (%2)").arg(table).arg(rows));
                });
        } catch (const jadl::ConnectionLost& e) {
            r.end = RestoreEnd::Incomplete;
            if (!e.outcomeUnknown())
                r.failures << e.message() + QStringLiteral(" Dane na serwerze nie zostały zmienione.");
            else
                r.failures << e.message() +
                        QStringLiteral(
                                  " Nie wiadomo, czy dane na serwerze zostały zastąpione danymi archiwum: gdy serwer "
                                  "będzie dostępny, sprawdź je albo powtórz odtwarzanie.");
        } catch (const jadl::EngineError& e) {
            // One transaction: nothing of the archive reached the server.
            r.end = RestoreEnd::Incomplete;
            r.failures << e.message() + QStringLiteral(" Dane na serwerze nie zostały zmienione.");
        }
    }
    locked.reset();
    c_.LabelKomunikat->hide();
    archiveBytes_ = r.archiveBytes;
    restoredBytes_ = r.restoredBytes;
    report(r);
}

void TOdtwarzanieDanych::report(const RestoreResult& r)
{
    const QString incomplete = diskette_ ? QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH ")
                                         : QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH");
    switch (r.end) {
    case RestoreEnd::NotArchive:
        jadl::platform::showMessage(QStringLiteral("TO NIE JEST KATALOG ARCHIWUM"));
        return;
    case RestoreEnd::Declined:
        jadl::platform::showMessage(incomplete);
        if (!diskette_)
            jadl::archive::zeroProgress(c_);
        SprawdzKatalogArchiwum();
        return;
    case RestoreEnd::NoDisketteBackup:
        jadl::platform::showMessage(
            QStringLiteral("PROBLEMY ODTWORZENIA DANYCH Z DYSKIETKI - ODTWÓRZ Z DYSKU TWARDEGO"));
        SprawdzKatalogArchiwum();
        return;
    case RestoreEnd::NoDiskette:
        SprawdzKatalogArchiwum();
        return;
    case RestoreEnd::Restored:
    case RestoreEnd::NothingListed:
    case RestoreEnd::Incomplete:
        break;
    }
    if (r.writeError)
        jadl::platform::showError(QStringLiteral("Błąd odtwarzania\n") + *r.writeError);
    if (!r.failures.isEmpty())
        jadl::platform::showError(QStringLiteral("Nie odtworzono danych:\n") + r.failures.join(QLatin1Char('\n')));
    if (r.end == RestoreEnd::Restored)
        jadl::platform::showMessage(QStringLiteral("ODTWARZANIE DANYCH ZAKOŃCZONE SUKCESEM "));
    else if (r.end == RestoreEnd::NothingListed)
        jadl::platform::showMessage(QStringLiteral("NIE MOZNA KOPIOWAĆ KATALOGÓW - KLIKNIJ DWA RAZY WYBRANY KATALOG"));
    else
        jadl::platform::showMessage(incomplete);
    jadl::archive::zeroProgress(c_);
    SprawdzKatalogArchiwum();
}
