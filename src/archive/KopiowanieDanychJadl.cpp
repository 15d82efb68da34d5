#include "archive/KopiowanieDanychJadl.h"

#include "archive/TablesOffline.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "store/Modul_Danych1.h"
#include "store/ServerArchive.h"
#include "store/Table.h"
#include "work/ArchiveFiles.h"
#include "work/BackupJob.h"
#include "work/ServerFolder.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include <memory>

using jadl::archive::BackupEnd;
using jadl::archive::BackupJob;
using jadl::archive::BackupProgress;
using jadl::archive::BackupResult;
using jadl::archive::percentOf;
using jadl::archive::setBarNow;
using jadl::archive::setLabelNow;
using jadl::platform::Drives;
using jadl::platform::IoError;

namespace {

const QString kPleaseWait = QStringLiteral("PROSZĘ CZEKAĆ - KOPIUJĘ ZBIORY DO ARCHIWUM");
const QString kInsertDiskette = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");
const QString kCopyCaption = QStringLiteral("KOPIUJEMY");

// The job's questions, asked in message boxes.
class AskTheUser : public jadl::archive::BackupQuestions {
public:
    bool goOnWithLowSpace() override
    {
        return jadl::platform::askYesNo(QStringLiteral("ZA MAŁO MIEJSCA NA WYBRANYM DYSKU DLA KOPII PLIKÓW DANYCH"),
                                        QStringLiteral("Kontynuować"));
    }
    bool copyOntoDiskettes(int diskettes) override
    {
        jadl::platform::showMessage(QStringLiteral("ILOŚĆ DYSKIETEK DO WYKONANIA KOPII BAZY MIN ") +
                                    QString::number(diskettes));
        return jadl::platform::askYesNo(QStringLiteral("TWORZYMY KOPIE BAZY NA DYSKIETKACH ??"), kCopyCaption);
    }
    bool insertDiskette(int number) override
    {
        return jadl::platform::askYesNo(kInsertDiskette + QString::number(number), kCopyCaption);
    }
    void cannotDelete(const QString& name) override
    {
        jadl::platform::showError(QStringLiteral("Pliku ") + name + QStringLiteral(" NIE MOŻNA USUNĄĆ"));
    }
};

jadl::archive::ArchiveCaptions backupCaptions()
{
    jadl::archive::ArchiveCaptions t;
    t.chooseDrive = {QStringLiteral("LabelWybor_dysku_dlaKopii"), QStringLiteral("Wybór dysku dla kopii danych prog.")};
    t.archiveDriveLabel = QStringLiteral("Dysk dla archiwum danych");
    t.spaceLabel = QStringLiteral("Dysk posiada wolnej powierzchni");
    t.messageLabel = QStringLiteral("Informacja tworzenia Archiwum");
    t.doingLabel = {QStringLiteral("LabelKopiuje"), QStringLiteral("Kopiuję :")};
    t.doneLabel = {QStringLiteral("LabelSkopiowano"), QStringLiteral("Skopiowano ")};
    t.allLabel = {QStringLiteral("LabelKopiaWszystko"), QStringLiteral("Kopia wszystkich danych")};
    t.actionButton = {QStringLiteral("Kopiuj"), QStringLiteral("&Kopiuj")};
    t.actionHint = QStringLiteral("Kopiowanie danych programu na wybrany dysk w prawym górnym okienku");
    t.exitHint = QStringLiteral("Zamkniecie formatki kopiowania danych programu");
    return t;
}

} // namespace

TKopiowanieDanych::TKopiowanieDanych(QWidget* parent)
    : ArchiveWindow(parent, QStringLiteral("KopiowanieDanych"), QStringLiteral("KOPIA DANYCH JADLONI"),
                    backupCaptions())
{ }

QString TKopiowanieDanych::freeSpaceText(QChar drive, qint64 freeKb) const
{
    return QStringLiteral("Wolnego miejsca na dysku ") + QString(drive) + QStringLiteral(":\\ jest ") +
        QString::number(freeKb) + QStringLiteral(" kB");
}

QList<jadl::Table*> TKopiowanieDanych::ZamknijTabeleDanych() const
{
    if (!dm_)
        return {};
    return {dm_->TableTowary, dm_->TableDostawcy, dm_->TableTowaryPodstawowe, dm_->TableGrupyTowarow};
}

// ---------------------------------------------------------------- list handlers

void TKopiowanieDanych::WyjscieClick()
{
    SprawdzKatalogDanych();
    done(QDialog::Rejected);
}

// ---------------------------------------------------------------- routines

void TKopiowanieDanych::SprawdzKatalogDanych()
{
    pointArchiveListsHome(QStringLiteral("DANE NIE SĄ ZAINSTALOWANE W KATALOGU \""),
                          QStringLiteral(":\\Jadl\\Dane_bar\""));
}

void TKopiowanieDanych::ZerujPostep()
{
    jadl::archive::zeroProgress(c_);
}

void TKopiowanieDanych::setLabels(Labels which)
{
    switch (which) {
    case Labels::Copy:
        c_.LabelLicznik->show();
        c_.LabelDoing->show();
        c_.LabelDo->show();
        c_.LabelDone->show();
        c_.LabelAll->show();
        setLabelNow(c_.LabelDoing, QStringLiteral("Kopiuję:"));
        setLabelNow(c_.LabelDo, QStringLiteral("do:"));
        setLabelNow(c_.LabelDone, QStringLiteral("Skopiowano"));
        setLabelNow(c_.LabelAll, QStringLiteral("Kopia wszystkich zbiorów"));
        break;
    case Labels::Delete:
        c_.LabelLicznik->hide();
        c_.LabelDo->hide();
        c_.LabelDoing->show();
        c_.LabelDone->show();
        c_.LabelAll->show();
        setLabelNow(c_.LabelDoing, QStringLiteral("Usuwam:"));
        setLabelNow(c_.LabelDone, QStringLiteral("Usunięto"));
        setLabelNow(c_.LabelAll, QStringLiteral("Usuwanie wszystkich zbiorów"));
        break;
    case Labels::Hidden:
        for (QLabel* l : {c_.LabelDoing, c_.LabelDo, c_.LabelDone, c_.LabelAll}) {
            l->hide();
            l->clear();
        }
        break;
    }
}

void TKopiowanieDanych::setWhatWhere(const QString& from, const QString& to)
{
    setLabelNow(c_.LabelCoKopiuje, from);
    setLabelNow(c_.LabelGdzieKopiuje, to);
}

void TKopiowanieDanych::showProgress(const BackupProgress& p)
{
    const int filePercent = percentOf(p.fileDone, p.fileSize);
    setLabelNow(c_.LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
    setLabelNow(c_.LabelIleMiejsca,
                QStringLiteral("Wolnego miejsca na dysku ") + archiveRoot_ + QStringLiteral(" jest :") +
                    QString::number(p.freeKb) + QStringLiteral(" kB"));
    setLabelNow(c_.LabelLicznik, QStringLiteral("Zbiór ") + QString::number(p.fileNumber));
    setBarNow(c_.ProgressBar1, filePercent);
    setBarNow(c_.ProgressBar2, percentOf(p.done, p.total));
}

void TKopiowanieDanych::showDeleted(const BackupProgress& p)
{
    c_.LabelKomunikat->show();
    setLabelNow(c_.LabelKomunikat, QStringLiteral("USUWAM ZBIORY Z DYSKIETKI"));
    const QList<QListWidgetItem*> found = c_.PlikiArchiwum->findItems(p.fileName,
                                                                      Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (!found.isEmpty()) {
        const std::unique_ptr<QListWidgetItem> gone(c_.PlikiArchiwum->takeItem(c_.PlikiArchiwum->row(found.first())));
    }
    setLabelNow(c_.LabelCoKopiuje, p.folder + p.fileName);
    setLabelNow(c_.LabelGdzieKopiuje, QString());
    setLabelNow(c_.LabelProcent, QStringLiteral("100 % zbioru"));
    setBarNow(c_.ProgressBar1, 100);
    setBarNow(c_.ProgressBar2, percentOf(p.fileDone, p.fileSize));
    setLabelNow(c_.LabelIleMiejsca,
                QStringLiteral("Wolnego miejsca na dysku ") + archiveRoot_ + QStringLiteral(" jest :") +
                    QString::number(p.freeKb) + QStringLiteral(" kB"));
}

void TKopiowanieDanych::selectAllIn(jadl::archive::FileListBox* list)
{
    list->setMask(QStringLiteral("*.*"));
    list->setMultiSelect(true);
    list->selectAll();
}

// The lists and labels follow what the job reports; the job asks the rest.
void TKopiowanieDanych::showStage(const BackupProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked)
{
    using Stage = BackupProgress::Stage;
    switch (p.stage) {
    case Stage::Measured:
        if (!diskette_) {
            showArchiveFolder(archiveParent_);
            selectAllIn(c_.PlikiArchiwum);
        }
        showDataFolder();
        selectAllIn(c_.Pliki);
        break;
    case Stage::ClearingDiskette:
        c_.Filtr->setEnabled(false);
        setLabels(Labels::Delete);
        break;
    case Stage::DisketteListed:
        showArchiveFolder(p.folder);
        selectAllIn(c_.PlikiArchiwum);
        break;
    case Stage::Deleted:
        showDeleted(p);
        break;
    case Stage::DisketteCleared:
    case Stage::FileDone:
        c_.LabelKomunikat->hide();
        break;
    case Stage::DisketteHidden:
        setLabels(Labels::Hidden);
        break;
    case Stage::DisketteReady:
        setLabels(Labels::Copy);
        setWhatWhere(p.from, p.to);
        showDataFolder();
        c_.Pliki->selectAll();
        break;
    case Stage::CopyPhase:
        if (!diskette_)
            setLabels(Labels::Copy);
        locked.emplace(c_, busy_);
        break;
    case Stage::FileStarted:
        setLabels(Labels::Copy);
        setWhatWhere(p.from, p.to);
        c_.LabelKomunikat->show();
        setLabelNow(c_.LabelKomunikat, kPleaseWait);
        pacer_.emplace();
        break;
    case Stage::Bytes:
        if (!p.paced || pacer_->paintDue())
            showProgress(p);
        if (p.paced)
            pacer_->keepAlive();
        break;
    case Stage::ArchiveReplaced:
        c_.PlikiArchiwum->reread();
        break;
    }
}

// ---------------------------------------------------------------- the backup

void TKopiowanieDanych::KopiujClick()
{
    // Typing still in a window would be lost when its table closes: settled first.
    if (!jadl::settlePendingEdits(programTables_()))
        return;
    // Table files are copied only while no connection to them is open.
    jadl::archive::TablesOffline offline(programTables_(), ZamknijTabeleDanych());
    c_.LabelIleMiejsca->show();
    c_.Filtr->setEnabled(true);

    archiveRoot_ = c_.DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
    // Data kept on a server is copied as the table files of one snapshot of it.
    QString dataDir = dataDirectory();
    std::optional<jadl::archive::ServerFolder> snapshot;
    const jadl::DataLocation where = dm_->Database1->location();
    if (where.isServer()) {
        snapshot.emplace(dataDir.at(0), QStringLiteral("Kopia_serwera"));
        c_.LabelKomunikat->show();
        jadl::serverarchive::exportTables(
            where.server, snapshot->realPath(), [this](const QString& table, qint64 rows) {
                setLabelNow(c_.LabelKomunikat, QStringLiteral("ODCZYT DANYCH Z SERWERA: %1 (%2)").arg(table).arg(rows));
            });
        dataDir = snapshot->drivePath();
    }
    std::optional<jadl::archive::ButtonsLocked> locked;
    BackupJob job(dataDir, archiveRoot_, jadl::platform::today(),
                  [this, &locked](const BackupProgress& p) { showStage(p, locked); });
    job.setAfterBlockHook(afterBlock_);
    diskette_ = job.diskette();
    archiveParent_ = job.archiveParent();
    AskTheUser ask;
    const BackupResult r = job.run(ask);
    locked.reset();
    totalBytes_ = r.total;
    copiedBytes_ = r.copied;
    disketteCount_ = r.diskettes;
    c_.LabelKomunikat->hide();

    switch (r.end) {
    case BackupEnd::Unsettled:
        jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + r.error.value_or(QString()));
        jadl::platform::showMessage(QStringLiteral("NIEPEŁNA KOPIA DANYCH PROGRAMU"));
        break;
    case BackupEnd::Broken:
        if (r.error)
            jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + *r.error);
        jadl::platform::showMessage(QStringLiteral("NIEPEŁNA KOPIA PROGRAMU"));
        ZerujPostep();
        break;
    case BackupEnd::GivenUp:
        break;
    case BackupEnd::TooLarge:
        jadl::platform::showMessage(QStringLiteral("Plik przekracza pojemność dyskietki - kopia przerwana"));
        ZerujPostep();
        break;
    case BackupEnd::NoDiskette:
        ZerujPostep();
        SprawdzKatalogDanych();
        break;
    case BackupEnd::Complete:
    case BackupEnd::Incomplete:
        if (r.error)
            jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + *r.error);
        completion(r.end == BackupEnd::Complete);
        break;
    }
}

void TKopiowanieDanych::completion(bool complete)
{
    if (complete) {
        jadl::platform::showMessage(QStringLiteral("KOPIA DANYCH PROGRAMU WYKONANA PRAWIDŁOWO"));
        jadl::Table* par = dm_->TableParametry;
        if (!par->active())
            par->open();
        par->edit();
        par->fieldByName(QStringLiteral("IleDyskietek")).setInteger(disketteCount_);
        par->fieldByName(QStringLiteral("RozmiarDanych")).setLargeInt(totalBytes_);
        par->post();
    } else {
        jadl::platform::showMessage(QStringLiteral("NIEPEŁNA KOPIA DANYCH PROGRAMU"));
    }
    SprawdzKatalogDanych();
    ZerujPostep();
}
