#include "archive/OdtwarzanieDanychJadl.h"

#include "archive/KopiowanieDanychJadl.h"
#include "archive/TablesOffline.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
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

TOdtwarzanieDanych::TOdtwarzanieDanych(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("OdtwarzanieDanych"), QStringLiteral("ODTWARZANIE DANYCH JADLONI"), 780, 600);
    setExitHandler([this] { jadl::runGuarded([this] { WyjscieClick(); }); });

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
    LabelWybor_dysku_dlaOdtwarzania = c_.LabelWybor;
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
    LabelOdtwarzam = c_.LabelDoing;
    LabelDo = c_.LabelDo;
    LabelCoKopiuje = c_.LabelCoKopiuje;
    LabelGdzieKopiuje = c_.LabelGdzieKopiuje;
    LabelOdtworzono = c_.LabelDone;
    LabelProcent = c_.LabelProcent;
    LabelLicznik = c_.LabelLicznik;
    LabelOdtwarzanieWszystko = c_.LabelAll;
    Label0Procent = c_.Label0Procent;
    Label100Procent = c_.Label100Procent;
    ProgressBar1 = c_.ProgressBar1;
    ProgressBar2 = c_.ProgressBar2;
    Odtworz = c_.Action;
    Pomoc = c_.Pomoc;
    Wyjscie = c_.Wyjscie;
    Pliki->setMultiSelect(false);

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
                // An empty diskette drive: choosing it asks for a diskette.
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
    connect(Odtworz, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { OdtworzClick(); }); });
    connect(Pomoc, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { PomocClick(); }); });
    connect(Wyjscie, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { WyjscieClick(); }); });
}

TOdtwarzanieDanych::~TOdtwarzanieDanych() = default;

QList<jadl::Table*> TOdtwarzanieDanych::tablesLeftClosed() const
{
    QList<jadl::Table*> out = backup_ ? backup_->ZamknijTabeleDanych() : QList<jadl::Table*>{};
    if (dm_)
        out.append(dm_->TableParametry);
    return out;
}

qint64 TOdtwarzanieDanych::RozmiarPliku(const QString& realPath)
{
    return jadl::archive::fileSize(realPath);
}

QString TOdtwarzanieDanych::dataDirectory() const
{
    return QString(Dyski->drive()) + QStringLiteral(":\\Jadl\\Dane_bar\\");
}

void TOdtwarzanieDanych::reject()
{
    if (busy_)
        return;
    ExitRoutedDialog::reject();
}

// ---------------------------------------------------------------- list handlers

void TOdtwarzanieDanych::DyskiChange()
{
    Katalogi->setDrive(Dyski->drive());
}

void TOdtwarzanieDanych::KatalogiChange()
{
    Pliki->setDirectory(Katalogi->directory());
}

void TOdtwarzanieDanych::DyskDlaArchiwumChange()
{
    const QChar drive = DyskDlaArchiwum->drive();
    KatalogDlaArchiwum->setDrive(drive);
    LabelIleMiejsca->setText(QStringLiteral("Wolnego miejsca na dysku jest ") +
                             QString::number(Drives::freeSpace(drive) / 1024) + QStringLiteral(" kB"));
}

void TOdtwarzanieDanych::DyskDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

void TOdtwarzanieDanych::KatalogDlaArchiwumChange()
{
    try {
        PlikiArchiwum->setDirectory(KatalogDlaArchiwum->directory());
    } catch (const IoError&) {
        jadl::platform::askYesNo(kInsertDiskette, QStringLiteral("KOPIUJEMY"));
    }
}

void TOdtwarzanieDanych::KatalogDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

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
    const QChar drive = Dyski->drive().isNull() ? Drives::programDrive().toLower() : Dyski->drive();
    try {
        DyskDlaArchiwum->setDrive(drive);
        showArchiveFolder(QString(drive) + QStringLiteral(":\\Jadl"));
    } catch (const IoError&) {
        jadl::platform::showMessage(QStringLiteral("ARCHIWUM NIE ZNAJDUJE SIĘ W KATALOGU \"") + drive +
                                    QStringLiteral(":\\Jadl\\Archiwum\""));
    }
}

void TOdtwarzanieDanych::showArchiveFolder(const QString& drivePath)
{
    {
        const QSignalBlocker block(KatalogDlaArchiwum);
        KatalogDlaArchiwum->setDirectory(drivePath);
    }
    PlikiArchiwum->setDirectory(KatalogDlaArchiwum->directory());
}

void TOdtwarzanieDanych::showProgress(const RestoreProgress& p)
{
    if (p.total != 0) {
        const int filePercent = percentOf(p.fileDone, p.fileSize);
        setLabelNow(LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
        setBarNow(ProgressBar1, filePercent);
        setBarNow(ProgressBar2, percentOf(p.done, p.total));
    }
    setLabelNow(LabelIleMiejsca,
                QStringLiteral("Wolnego miejsca na dysku jest :") + QString::number(p.freeKb) + QStringLiteral(" kB"));
    setLabelNow(LabelLicznik, QStringLiteral("Zbiór ") + QString::number(p.fileNumber));
}

// The lists and labels follow what the job reports; the job asks the rest.
void TOdtwarzanieDanych::showStage(const RestoreProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked)
{
    using Stage = RestoreProgress::Stage;
    switch (p.stage) {
    case Stage::Checked: {
        {
            const QSignalBlocker block(Katalogi);
            Katalogi->setDirectory(dataDirectory());
        }
        Pliki->setDirectory(Katalogi->directory());
        break;
    }
    case Stage::Listed:
        if (diskette_)
            showArchiveFolder(p.folder);
        PlikiArchiwum->setMask(QStringLiteral("*.*"));
        PlikiArchiwum->setMultiSelect(true);
        PlikiArchiwum->selectAll();
        break;
    case Stage::Restoring:
        LabelKomunikat->show();
        setLabelNow(LabelKomunikat, kPleaseWait);
        locked.emplace(c_, busy_);
        break;
    case Stage::FileStarted:
        setLabelNow(LabelCoKopiuje, p.from);
        setLabelNow(LabelGdzieKopiuje, p.to);
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
        LabelKomunikat->hide();
        break;
    }
}

// ---------------------------------------------------------------- the restore

void TOdtwarzanieDanych::OdtworzClick()
{
    // Typing still in a window would be lost when its table closes: settled first.
    if (!jadl::settlePendingEdits(programTables_()))
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
    LabelIleMiejsca->show();
    Filtr->setEnabled(true);

    source.chosenFolder = KatalogDlaArchiwum->directory();
    source.listedFolder = PlikiArchiwum->directory();
    source.archiveRoot = DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
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
                    setLabelNow(LabelKomunikat,
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
    LabelKomunikat->hide();
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
