#include "controls/PendingEdits.h"
#include "archive/OdtwarzanieDanychJadl.h"

#include "archive/ArchiveFiles.h"
#include "archive/KopiowanieDanychJadl.h"
#include "archive/RestoreStaging.h"
#include "archive/TablesOffline.h"
#include "platform/Drives.h"
#include "platform/Help.h"
#include "platform/Messages.h"
#include "controls/Guarded.h"
#include "controls/Builders.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "store/TableDefs.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

using jadl::archive::CopyError;
using jadl::archive::percentOf;
using jadl::archive::setBarNow;
using jadl::archive::setLabelNow;
using jadl::platform::Drives;
using jadl::platform::IoError;

namespace {

const QString kPleaseWait = QStringLiteral("PROSZĘ CZEKAĆ - ODTWARZAM ZBIORY Z ARCHIWUM");
const QString kInsertDiskette = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");

QString withBackslash(const QString& drivePath)
{
    return drivePath.endsWith(QLatin1Char('\\')) ? drivePath : drivePath + QLatin1Char('\\');
}

} // namespace

TOdtwarzanieDanych::TOdtwarzanieDanych(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("OdtwarzanieDanych"), QStringLiteral("ODTWARZANIE DANYCH JADLONI"), 780, 600);
    setExitHandler([this] { jadl::runGuarded([this] { WyjscieClick(); }); });

    jadl::archive::ArchiveCaptions t;
    t.chooseDrive = {QStringLiteral("LabelWybor_dysku_dlaOdtwarzania"), QStringLiteral("Wybór dysku Archiwum do odtworzenia")};
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

    connect(Dyski, &jadl::archive::DriveComboBox::driveChanged, this, [this] { jadl::runGuarded([this] { DyskiChange(); }); });
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
    connect(DyskDlaArchiwum, &QComboBox::activated, this, [this](int) { jadl::runGuarded([this] { DyskDlaArchiwumClick(); }); });
    connect(KatalogDlaArchiwum, &jadl::archive::DirectoryListBox::directoryChanged, this,
            [this] { jadl::runGuarded([this] { KatalogDlaArchiwumChange(); }); });
    connect(KatalogDlaArchiwum, &QListWidget::itemClicked, this, [this] { jadl::runGuarded([this] { KatalogDlaArchiwumClick(); }); });
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
    LabelIleMiejsca->setText(QStringLiteral("Wolnego miejsca na dysku jest ") + QString::number(Drives::freeSpace(drive) / 1024)
                             + QStringLiteral(" kB"));
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
        jadl::platform::showMessage(QStringLiteral("ARCHIWUM NIE ZNAJDUJE SIĘ W KATALOGU \"") + drive
                                    + QStringLiteral(":\\Jadl\\Archiwum\""));
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

void TOdtwarzanieDanych::showProgress(qint64 fileDone, qint64 fileSize)
{
    if (archiveBytes_ != 0) {
        const int filePercent = percentOf(fileDone, fileSize);
        setLabelNow(LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
        setBarNow(ProgressBar1, filePercent);
        setBarNow(ProgressBar2, percentOf(restoredBytes_, archiveBytes_));
    }
    // Free space of the program drive as measured before the run, less what was written since.
    const qint64 free = qMax<qint64>(0, freeKb_ - restoredBytes_ / 1024);
    setLabelNow(LabelIleMiejsca, QStringLiteral("Wolnego miejsca na dysku jest :") + QString::number(free) + QStringLiteral(" kB"));
    setLabelNow(LabelLicznik, QStringLiteral("Zbiór ") + QString::number(fileCounter_));
}

void TOdtwarzanieDanych::OdtworzPlik(const QString& name)
{
    ++fileCounter_;
    const QString sourceName = archiveFolder_ + name;
    const QString targetName = dataDirectory() + name;
    QString sourcePath;
    try {
        sourcePath = Drives::toRealPath(sourceName);
    } catch (const IoError& e) {
        failures_.append(e.text());   // the archive drive went away
        return;
    }
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        // Skipped: its data file stays as it is and the run counts as incomplete.
        failures_.append(QStringLiteral("Nie można otworzyć pliku %1: %2").arg(sourceName, source.errorString()));
        return;
    }
    if (!staging_)
        staging_ = std::make_unique<jadl::archive::RestoreStaging>(Drives::toRealPath(dataDirectory()));
    QFile staged(staging_->stagedPath(name));
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw CopyError(CopyError::Kind::OpenTarget,
                        QStringLiteral("Nie można zapisać pliku %1: %2").arg(targetName, staged.errorString()));

    const qint64 size = source.size();
    qint64 done = 0;
    jadl::archive::Pacer pacer;
    showProgress(done, size);
    try {
        jadl::archive::copyInBlocks(source, sourceName, staged, targetName, [&](qint64 n) {
            done += n;
            restoredBytes_ += n;
            if (pacer.paintDue())
                showProgress(done, size);
            pacer.keepAlive();
            if (afterBlock_)
                afterBlock_(sourceName);
        });
    } catch (const CopyError& e) {
        if (!e.sourceSide())
            throw;   // the data disk refuses to write: the run stops
        failures_.append(e.text());
        return;
    }
    if (!jadl::archive::syncFile(staged))
        throw CopyError(CopyError::Kind::Write, QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, staged.errorString()));
    showProgress(done, size);
    if (done != size) {
        failures_.append(QStringLiteral("Plik %1 odczytano niecały (%2 z %3 bajtów)")
                             .arg(sourceName, QString::number(done), QString::number(size)));
        return;
    }
    staging_->add(name);
}

void TOdtwarzanieDanych::restoreFolder()
{
    for (const QString& name : PlikiArchiwum->selectedFileNames()) {
        setLabelNow(LabelCoKopiuje, archiveFolder_ + name);
        setLabelNow(LabelGdzieKopiuje, dataDirectory() + name);
        OdtworzPlik(name);
    }
}

bool TOdtwarzanieDanych::commitStaged()
{
    if (!staging_)
        return true;   // nothing was staged: nothing to replace
    // Nothing replaces a data file before every new one is proven sound.
    const QStringList problems = staging_->check();
    if (!problems.isEmpty()) {
        for (const QString& p : problems)
            failures_.append(QStringLiteral("Plik archiwum %1%2").arg(archiveFolder_, p));
        discardStaged();
        return false;
    }
    try {
        if (commitRename_)
            staging_->setRename(commitRename_);
        staging_->commit();
    } catch (const jadl::archive::RestoreError& e) {
        failures_.append(e.text() + QStringLiteral(" - dane pozostały bez zmian"));
        discardStaged();
        return false;
    }
    discardStaged();
    return true;
}

void TOdtwarzanieDanych::discardStaged()
{
    staging_.reset();
}

QStringList TOdtwarzanieDanych::missingTableFiles() const
{
    QStringList missing;
    const QStringList listed = PlikiArchiwum->fileNames();
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        const bool there = std::any_of(listed.begin(), listed.end(), [def](const QString& n) {
            return n.compare(def->fileName, Qt::CaseInsensitive) == 0;
        });
        if (!there)
            missing << def->fileName;
    }
    return missing;
}

bool TOdtwarzanieDanych::confirmMissingTables()
{
    const QStringList missing = missingTableFiles();
    if (missing.isEmpty())
        return true;
    // Half an archive beside today's other tables mixes two days' data: only on the user's word.
    return jadl::platform::askYesNoDefaultNo(
        QStringLiteral("W ARCHIWUM BRAKUJE PLIKÓW TABEL: %1. ODTWORZYĆ POZOSTAŁE PLIKI?").arg(missing.join(QStringLiteral(", "))),
        QStringLiteral("ODTWARZAMY"));
}

// ---------------------------------------------------------------- the restore

void TOdtwarzanieDanych::OdtworzClick()
{
    // Typing still in a window would be lost when its table closes: settled first.
    if (!jadl::settlePendingEdits(programTables_()))
        return;
    // What the last backup recorded. A damaged parameters file must not stand in
    // the way of the restore that repairs it: its figures then count as unknown.
    int backupDiskettes = 0;
    qint64 backupBytes = -1;
    jadl::Table* par = dm_->TableParametry;
    try {
        par->open();
        backupDiskettes = par->fieldByName(QStringLiteral("IleDyskietek")).asInteger();
        backupBytes = par->fieldByName(QStringLiteral("RozmiarDanych")).asLargeInt();
        par->close();
    } catch (const jadl::EngineError&) {
        par->close();
    }

    // No data file is replaced while a connection to it is open.
    jadl::archive::TablesOffline offline(programTables_(), tablesLeftClosed());
    fileCounter_ = 0;
    archiveBytes_ = 0;
    restoredBytes_ = 0;
    failures_.clear();
    discardStaged();
    LabelIleMiejsca->show();
    Filtr->setEnabled(true);

    const QString programRoot = QString(Dyski->drive()) + QStringLiteral(":\\");
    const QString archiveRoot = DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
    const bool sameDrive = programRoot.at(0) == archiveRoot.at(0);
    const bool diskette = jadl::archive::isDisketteLetter(archiveRoot.at(0));

    if (!jadl::archive::isArchiveFolder(KatalogDlaArchiwum->directory(), programRoot, archiveRoot, sameDrive, diskette)) {
        jadl::platform::showMessage(QStringLiteral("TO NIE JEST KATALOG ARCHIWUM"));
        return;
    }

    {
        const QSignalBlocker block(Katalogi);
        Katalogi->setDirectory(dataDirectory());
    }
    Pliki->setDirectory(Katalogi->directory());
    try {
        freeKb_ = Drives::freeSpace(programRoot.at(0)) / 1024;
    } catch (const IoError&) {
        freeKb_ = 0;
    }

    bool writeFailed = false;
    const auto restoreListed = [this, &writeFailed] {
        const jadl::archive::ButtonsLocked locked(c_, busy_);
        try {
            restoreFolder();
        } catch (const CopyError& e) {
            jadl::platform::showError(QStringLiteral("Błąd odtwarzania\n") + e.text());
            writeFailed = true;
        }
    };
    const auto listArchive = [this] {
        PlikiArchiwum->setMask(QStringLiteral("*.*"));
        PlikiArchiwum->setMultiSelect(true);
        PlikiArchiwum->selectAll();
        const QString real = PlikiArchiwum->realDirectory();
        for (const QString& name : PlikiArchiwum->selectedFileNames())
            archiveBytes_ += RozmiarPliku(real + QLatin1Char('/') + name);
    };

    if (!diskette) {
        archiveFolder_ = withBackslash(PlikiArchiwum->directory());
        listArchive();
        if (archiveBytes_ != 0 && !confirmMissingTables()) {
            jadl::platform::showMessage(QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH"));
            jadl::archive::zeroProgress(c_);
            SprawdzKatalogArchiwum();
            return;
        }
        LabelKomunikat->show();
        setLabelNow(LabelKomunikat, kPleaseWait);
        restoreListed();
        LabelKomunikat->hide();
    } else {
        if (backupDiskettes == 0) {
            jadl::platform::showMessage(QStringLiteral("PROBLEMY ODTWORZENIA DANYCH Z DYSKIETKI - ODTWÓRZ Z DYSKU TWARDEGO"));
            SprawdzKatalogArchiwum();
            return;
        }
        if (backupDiskettes == 1) {
            bool done = false;
            while (!done) {
                try {
                    showArchiveFolder(archiveRoot + QStringLiteral("Archiwum\\"));
                    archiveFolder_ = withBackslash(KatalogDlaArchiwum->directory());
                    listArchive();
                    if (!confirmMissingTables()) {
                        jadl::platform::showMessage(QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH "));
                        SprawdzKatalogArchiwum();
                        return;
                    }
                    LabelKomunikat->show();
                    setLabelNow(LabelKomunikat, kPleaseWait);
                    discardStaged();
                    failures_.clear();
                    restoreListed();
                    done = true;
                    LabelKomunikat->hide();
                } catch (const IoError&) {
                    LabelKomunikat->hide();
                    if (!jadl::platform::askYesNo(kInsertDiskette, QStringLiteral("ODTWARZAMY"))) {
                        discardStaged();
                        SprawdzKatalogArchiwum();
                        return;
                    }
                }
            }
        }
        // A backup on two or more diskettes cannot be restored: nothing is copied.
    }

    // Every file arrived whole, or no data file is touched at all.
    bool complete = !writeFailed && failures_.isEmpty();
    if (complete)
        complete = commitStaged();
    else
        discardStaged();
    if (!failures_.isEmpty())
        jadl::platform::showError(QStringLiteral("Nie odtworzono danych:\n") + failures_.join(QLatin1Char('\n')));

    if (diskette) {
        // Only a one-diskette backup is ever restored; anything else restored nothing.
        if (complete && backupDiskettes == 1 && archiveBytes_ == backupBytes)
            jadl::platform::showMessage(QStringLiteral("ODTWARZANIE DANYCH ZAKOŃCZONE SUKCESEM "));
        else
            jadl::platform::showMessage(QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH "));
    } else if (complete && restoredBytes_ == archiveBytes_ && restoredBytes_ != 0) {
        jadl::platform::showMessage(QStringLiteral("ODTWARZANIE DANYCH ZAKOŃCZONE SUKCESEM "));
    } else if (complete && restoredBytes_ == 0 && archiveBytes_ == 0) {
        jadl::platform::showMessage(QStringLiteral("NIE MOZNA KOPIOWAĆ KATALOGÓW - KLIKNIJ DWA RAZY WYBRANY KATALOG"));
    } else {
        jadl::platform::showMessage(QStringLiteral("NIEPEŁNE ODTWORZENIE DANYCH"));
    }

    jadl::archive::zeroProgress(c_);
    SprawdzKatalogArchiwum();
}
