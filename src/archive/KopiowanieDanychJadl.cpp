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

} // namespace

TKopiowanieDanych::TKopiowanieDanych(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("KopiowanieDanych"), QStringLiteral("KOPIA DANYCH JADLONI"), 780, 600);
    setExitHandler([this] { jadl::runGuarded([this] { WyjscieClick(); }); });

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
    c_ = jadl::archive::buildArchiveControls(this, t);

    LabelDysk_katalog_pliki = c_.LabelDysk_katalog_pliki;
    Panel1 = c_.Panel1;
    LabelDysk = c_.LabelDysk;
    LabelKatalog = c_.LabelKatalog;
    LabelPliki = c_.LabelPliki;
    Dyski = c_.Dyski;
    Katalogi = c_.Katalogi;
    Pliki = c_.Pliki;
    Filtr = c_.Filtr;
    LabelWybor_dysku_dlaKopii = c_.LabelWybor;
    Panel2 = c_.Panel2;
    LabelDyskArchiwum = c_.LabelDyskArchiwum;
    LabelFolderArchiwum = c_.LabelFolderArchiwum;
    LabelPlikiarchiwum = c_.LabelPlikiarchiwum;
    DyskDlaArchiwum = c_.DyskDlaArchiwum;
    KatalogDlaArchiwum = c_.KatalogDlaArchiwum;
    PlikiArchiwum = c_.PlikiArchiwum;
    LabelIleMiejsca = c_.LabelIleMiejsca;
    LabelKomunikat = c_.LabelKomunikat;
    Panel3 = c_.Panel3;
    LabelKopiuje = c_.LabelDoing;
    LabelDo = c_.LabelDo;
    LabelCoKopiuje = c_.LabelCoKopiuje;
    LabelGdzieKopiuje = c_.LabelGdzieKopiuje;
    LabelSkopiowano = c_.LabelDone;
    LabelProcent = c_.LabelProcent;
    LabelLicznik = c_.LabelLicznik;
    LabelKopiaWszystko = c_.LabelAll;
    Label0Procent = c_.Label0Procent;
    Label100Procent = c_.Label100Procent;
    ProgressBar1 = c_.ProgressBar1;
    ProgressBar2 = c_.ProgressBar2;
    Kopiuj = c_.Action;
    Pomoc = c_.Pomoc;
    Wyjscie = c_.Wyjscie;

    // The lists start on the program drive: its data directory on the left, its
    // installation folder on the right.
    jadl::archive::startListsOnProgramDrive(c_);

    connect(Dyski, &jadl::archive::DriveComboBox::driveChanged, this,
            [this] { jadl::runGuarded([this] { DyskiChange(); }); });
    connect(Katalogi, &jadl::archive::DirectoryListBox::directoryChanged, this,
            [this] { jadl::runGuarded([this] { KatalogiChange(); }); });
    connect(DyskDlaArchiwum, &jadl::archive::DriveComboBox::driveChanged, this, [this] {
        jadl::runGuarded([this] {
            try {
                DyskDlaArchiwumChange();
            } catch (const IoError&) {
                // An empty diskette drive: the lists stay empty; choosing it asks for a diskette.
                PlikiArchiwum->clear();
            }
        });
    });
    connect(DyskDlaArchiwum, &QComboBox::activated, this,
            [this](int) { jadl::runGuarded([this] { DyskDlaArchiwumClick(); }); });
    connect(KatalogDlaArchiwum, &jadl::archive::DirectoryListBox::directoryChanged, this,
            [this] { jadl::runGuarded([this] { KatalogDlaArchiwumChange(); }); });
    connect(KatalogDlaArchiwum, &QListWidget::itemClicked, this,
            [this] { jadl::runGuarded([this] { KatalogDlaArchiwumClick(); }); });
    connect(Kopiuj, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { KopiujClick(); }); });
    connect(Pomoc, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { PomocClick(); }); });
    connect(Wyjscie, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { WyjscieClick(); }); });
}

QList<jadl::Table*> TKopiowanieDanych::ZamknijTabeleDanych() const
{
    if (!dm_)
        return {};
    return {dm_->TableTowary, dm_->TableDostawcy, dm_->TableTowaryPodstawowe, dm_->TableGrupyTowarow};
}

qint64 TKopiowanieDanych::RozmiarPliku(const QString& realPath)
{
    return jadl::archive::fileSize(realPath);
}

QString TKopiowanieDanych::dataDirectory() const
{
    return QString(Dyski->drive()) + QStringLiteral(":\\Jadl\\Dane_bar\\");
}

qint64 TKopiowanieDanych::freeKb(QChar letter) const
{
    return Drives::freeSpace(letter) / 1024;
}

void TKopiowanieDanych::reject()
{
    if (busy_)
        return;
    ExitRoutedDialog::reject();
}

// ---------------------------------------------------------------- list handlers

void TKopiowanieDanych::DyskiChange()
{
    Katalogi->setDrive(Dyski->drive());
}

void TKopiowanieDanych::KatalogiChange()
{
    Pliki->setDirectory(Katalogi->directory());
}

void TKopiowanieDanych::DyskDlaArchiwumChange()
{
    const QChar drive = DyskDlaArchiwum->drive();
    KatalogDlaArchiwum->setDrive(drive);
    LabelIleMiejsca->setText(QStringLiteral("Wolnego miejsca na dysku ") + DyskDlaArchiwum->currentText().left(2) +
                             QStringLiteral("\\ jest ") + QString::number(freeKb(drive)) + QStringLiteral(" kB"));
}

void TKopiowanieDanych::DyskDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

void TKopiowanieDanych::KatalogDlaArchiwumChange()
{
    try {
        PlikiArchiwum->setDirectory(KatalogDlaArchiwum->directory());
    } catch (const IoError&) {
        jadl::platform::askYesNo(kInsertDiskette, kCopyCaption);
    }
}

void TKopiowanieDanych::KatalogDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

void TKopiowanieDanych::PomocClick()
{
    // The backup window has no help of its own.
}

void TKopiowanieDanych::WyjscieClick()
{
    SprawdzKatalogDanych();
    done(QDialog::Rejected);
}

// ---------------------------------------------------------------- routines

void TKopiowanieDanych::SprawdzKatalogDanych()
{
    const QChar drive = Dyski->drive().isNull() ? Drives::programDrive().toLower() : Dyski->drive();
    try {
        DyskDlaArchiwum->setDrive(drive);
        showArchiveFolder(QString(drive) + QStringLiteral(":\\Jadl"));
    } catch (const IoError&) {
        jadl::platform::showMessage(QStringLiteral("DANE NIE SĄ ZAINSTALOWANE W KATALOGU \"") + drive +
                                    QStringLiteral(":\\Jadl\\Dane_bar\""));
    }
}

void TKopiowanieDanych::ZerujPostep()
{
    jadl::archive::zeroProgress(c_);
}

void TKopiowanieDanych::showArchiveFolder(const QString& drivePath)
{
    {
        const QSignalBlocker block(KatalogDlaArchiwum);
        KatalogDlaArchiwum->setDirectory(drivePath);
    }
    PlikiArchiwum->setDirectory(KatalogDlaArchiwum->directory());
}

void TKopiowanieDanych::showDataFolder()
{
    {
        const QSignalBlocker block(Katalogi);
        Katalogi->setDirectory(dataDirectory());
    }
    Pliki->setDirectory(Katalogi->directory());
}

void TKopiowanieDanych::setLabels(Labels which)
{
    switch (which) {
    case Labels::Copy:
        LabelLicznik->show();
        LabelKopiuje->show();
        LabelDo->show();
        LabelSkopiowano->show();
        LabelKopiaWszystko->show();
        setLabelNow(LabelKopiuje, QStringLiteral("Kopiuję:"));
        setLabelNow(LabelDo, QStringLiteral("do:"));
        setLabelNow(LabelSkopiowano, QStringLiteral("Skopiowano"));
        setLabelNow(LabelKopiaWszystko, QStringLiteral("Kopia wszystkich zbiorów"));
        break;
    case Labels::Delete:
        LabelLicznik->hide();
        LabelDo->hide();
        LabelKopiuje->show();
        LabelSkopiowano->show();
        LabelKopiaWszystko->show();
        setLabelNow(LabelKopiuje, QStringLiteral("Usuwam:"));
        setLabelNow(LabelSkopiowano, QStringLiteral("Usunięto"));
        setLabelNow(LabelKopiaWszystko, QStringLiteral("Usuwanie wszystkich zbiorów"));
        break;
    case Labels::Hidden:
        for (QLabel* l : {LabelKopiuje, LabelDo, LabelSkopiowano, LabelKopiaWszystko}) {
            l->hide();
            l->clear();
        }
        break;
    }
}

void TKopiowanieDanych::setWhatWhere(const QString& from, const QString& to)
{
    setLabelNow(LabelCoKopiuje, from);
    setLabelNow(LabelGdzieKopiuje, to);
}

void TKopiowanieDanych::showProgress(const BackupProgress& p)
{
    const int filePercent = percentOf(p.fileDone, p.fileSize);
    setLabelNow(LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
    setLabelNow(LabelIleMiejsca,
                QStringLiteral("Wolnego miejsca na dysku ") + archiveRoot_ + QStringLiteral(" jest :") +
                    QString::number(p.freeKb) + QStringLiteral(" kB"));
    setLabelNow(LabelLicznik, QStringLiteral("Zbiór ") + QString::number(p.fileNumber));
    setBarNow(ProgressBar1, filePercent);
    setBarNow(ProgressBar2, percentOf(p.done, p.total));
}

void TKopiowanieDanych::showDeleted(const BackupProgress& p)
{
    LabelKomunikat->show();
    setLabelNow(LabelKomunikat, QStringLiteral("USUWAM ZBIORY Z DYSKIETKI"));
    const QList<QListWidgetItem*> found = PlikiArchiwum->findItems(p.fileName,
                                                                   Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (!found.isEmpty()) {
        const std::unique_ptr<QListWidgetItem> gone(PlikiArchiwum->takeItem(PlikiArchiwum->row(found.first())));
    }
    setLabelNow(LabelCoKopiuje, p.folder + p.fileName);
    setLabelNow(LabelGdzieKopiuje, QString());
    setLabelNow(LabelProcent, QStringLiteral("100 % zbioru"));
    setBarNow(ProgressBar1, 100);
    setBarNow(ProgressBar2, percentOf(p.fileDone, p.fileSize));
    setLabelNow(LabelIleMiejsca,
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
            selectAllIn(PlikiArchiwum);
        }
        showDataFolder();
        selectAllIn(Pliki);
        break;
    case Stage::ClearingDiskette:
        Filtr->setEnabled(false);
        setLabels(Labels::Delete);
        break;
    case Stage::DisketteListed:
        showArchiveFolder(p.folder);
        selectAllIn(PlikiArchiwum);
        break;
    case Stage::Deleted:
        showDeleted(p);
        break;
    case Stage::DisketteCleared:
    case Stage::FileDone:
        LabelKomunikat->hide();
        break;
    case Stage::DisketteHidden:
        setLabels(Labels::Hidden);
        break;
    case Stage::DisketteReady:
        setLabels(Labels::Copy);
        setWhatWhere(p.from, p.to);
        showDataFolder();
        Pliki->selectAll();
        break;
    case Stage::CopyPhase:
        if (!diskette_)
            setLabels(Labels::Copy);
        locked.emplace(c_, busy_);
        break;
    case Stage::FileStarted:
        setLabels(Labels::Copy);
        setWhatWhere(p.from, p.to);
        LabelKomunikat->show();
        setLabelNow(LabelKomunikat, kPleaseWait);
        pacer_.emplace();
        break;
    case Stage::Bytes:
        if (!p.paced || pacer_->paintDue())
            showProgress(p);
        if (p.paced)
            pacer_->keepAlive();
        break;
    case Stage::ArchiveReplaced:
        PlikiArchiwum->reread();
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
    LabelIleMiejsca->show();
    Filtr->setEnabled(true);

    archiveRoot_ = DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
    // Data kept on a server is copied as the table files of one snapshot of it.
    QString dataDir = dataDirectory();
    std::optional<jadl::archive::ServerFolder> snapshot;
    const jadl::DataLocation where = dm_->Database1->location();
    if (where.isServer()) {
        snapshot.emplace(dataDir.at(0), QStringLiteral("Kopia_serwera"));
        LabelKomunikat->show();
        jadl::serverarchive::exportTables(
            where.server, snapshot->realPath(), [this](const QString& table, qint64 rows) {
                setLabelNow(LabelKomunikat, QStringLiteral("ODCZYT DANYCH Z SERWERA: %1 (%2)").arg(table).arg(rows));
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
    LabelKomunikat->hide();

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
