#include "controls/PendingEdits.h"
#include "archive/KopiowanieDanychJadl.h"

#include "archive/ArchiveFiles.h"
#include "archive/BackupStaging.h"
#include "archive/TablesOffline.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "controls/Guarded.h"
#include "controls/Builders.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

#include <memory>

using jadl::archive::CopyError;
using jadl::archive::percentOf;
using jadl::archive::setBarNow;
using jadl::archive::setLabelNow;
using jadl::platform::Drives;
using jadl::platform::IoError;

namespace {

const QString kPleaseWait = QStringLiteral("PROSZĘ CZEKAĆ - KOPIUJĘ ZBIORY DO ARCHIWUM");
const QString kInsertDiskette = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");
const QString kCopyCaption = QStringLiteral("KOPIUJEMY");

// Creates one folder level; false when it exists already or cannot be made.
bool makeFolder(const QString& drivePath)
{
    try {
        return QDir().mkdir(Drives::toRealPath(drivePath));
    } catch (const IoError&) {
        return false;
    }
}

QString realFile(const QString& realFolder, const QString& name)
{
    return realFolder + QLatin1Char('/') + name;
}

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

    connect(Dyski, &jadl::archive::DriveComboBox::driveChanged, this, [this] { jadl::runGuarded([this] { DyskiChange(); }); });
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
    connect(DyskDlaArchiwum, &QComboBox::activated, this, [this](int) { jadl::runGuarded([this] { DyskDlaArchiwumClick(); }); });
    connect(KatalogDlaArchiwum, &jadl::archive::DirectoryListBox::directoryChanged, this,
            [this] { jadl::runGuarded([this] { KatalogDlaArchiwumChange(); }); });
    connect(KatalogDlaArchiwum, &QListWidget::itemClicked, this, [this] { jadl::runGuarded([this] { KatalogDlaArchiwumClick(); }); });
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
    LabelIleMiejsca->setText(QStringLiteral("Wolnego miejsca na dysku ") + DyskDlaArchiwum->currentText().left(2)
                             + QStringLiteral("\\ jest ") + QString::number(freeKb(drive)) + QStringLiteral(" kB"));
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
        jadl::platform::showMessage(QStringLiteral("DANE NIE SĄ ZAINSTALOWANE W KATALOGU \"") + drive
                                    + QStringLiteral(":\\Jadl\\Dane_bar\""));
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

void TKopiowanieDanych::setWhatWhere(const QString& name, const QString& targetFolder)
{
    setLabelNow(LabelCoKopiuje, dataDirectory() + name);
    setLabelNow(LabelGdzieKopiuje, targetFolder + name);
}

void TKopiowanieDanych::showProgress(qint64 fileDone, qint64 fileSize)
{
    const int filePercent = percentOf(fileDone, fileSize);
    setLabelNow(LabelProcent, QString::number(filePercent) + QStringLiteral("% zbioru"));
    const qint64 free = qMax<qint64>(0, freeKb_ - writtenSinceFree_ / 1024);
    setLabelNow(LabelIleMiejsca, QStringLiteral("Wolnego miejsca na dysku ") + archiveRoot_ + QStringLiteral(" jest :")
                                     + QString::number(free) + QStringLiteral(" kB"));
    setLabelNow(LabelLicznik, QStringLiteral("Zbiór ") + QString::number(fileCounter_));
    setBarNow(ProgressBar1, filePercent);
    setBarNow(ProgressBar2, percentOf(copiedBytes_, totalBytes_));
}

void TKopiowanieDanych::KopiujPlik(const QString& name, const QString& targetFolder)
{
    ++fileCounter_;
    const QString sourceName = dataDirectory() + name;
    const QString targetName = targetFolder + name;
    QFile source(Drives::toRealPath(sourceName));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw CopyError(CopyError::Kind::OpenSource,
                        QStringLiteral("Nie można otworzyć pliku %1: %2").arg(sourceName, source.errorString()));
    const QString realTarget = staging_ ? staging_->folder() + QLatin1Char('/') + name : Drives::toRealPath(targetName);
    QFile target(realTarget);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw CopyError(CopyError::Kind::OpenTarget,
                        QStringLiteral("Nie można utworzyć pliku %1: %2").arg(targetName, target.errorString()));
    const qint64 size = source.size();
    qint64 done = 0;
    jadl::archive::Pacer pacer;
    showProgress(done, size);
    try {
        jadl::archive::copyInBlocks(source, sourceName, target, targetName, [&](qint64 n) {
            done += n;
            copiedBytes_ += n;
            writtenSinceFree_ += n;
            if (pacer.paintDue())
                showProgress(done, size);
            pacer.keepAlive();
            if (afterBlock_)
                afterBlock_(realTarget);
        });
        if (!jadl::archive::syncFile(target))
            throw CopyError(CopyError::Kind::Write,
                            QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, target.errorString()));
        target.close();
        if (target.error() != QFileDevice::NoError)
            throw CopyError(CopyError::Kind::Write,
                            QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, target.errorString()));
        // A copy counts once it is on the disk whole and, for a table, sound.
        jadl::archive::verifyArchiveCopy(realTarget, targetName, size);
    } catch (const jadl::archive::BackupError& e) {
        failed_ = true;
        target.remove();
        throw CopyError(CopyError::Kind::Write, e.text());
    } catch (...) {
        failed_ = true;
        // A partial copy must not pass for an archive file.
        target.close();
        target.remove();
        throw;
    }
    showProgress(done, size);
}

void TKopiowanieDanych::UsunPlikiZDyskietki(const QString& archiveRoot)
{
    const QString folder = archiveRoot + QStringLiteral("Archiwum\\");
    if (QDir().mkdir(Drives::toRealPath(folder)))
        return;   // a new folder holds nothing to delete
    showArchiveFolder(folder);
    PlikiArchiwum->setMask(QStringLiteral("*.*"));
    PlikiArchiwum->setMultiSelect(true);
    PlikiArchiwum->selectAll();
    const QString realFolder = PlikiArchiwum->realDirectory();
    qint64 allBytes = 0;
    for (const QString& name : PlikiArchiwum->selectedFileNames())
        allBytes += RozmiarPliku(realFile(realFolder, name));
    qint64 deletedBytes = 0;
    const QChar letter = archiveRoot.at(0);
    for (int i = PlikiArchiwum->count() - 1; i >= 0; --i) {
        if (!PlikiArchiwum->item(i)->isSelected())
            continue;
        const QString name = PlikiArchiwum->item(i)->text();
        const QString path = realFile(realFolder, name);
        const qint64 size = RozmiarPliku(path);
        if (!QFile::remove(path)) {
            jadl::platform::showError(QStringLiteral("Pliku ") + name + QStringLiteral(" NIE MOŻNA USUNĄĆ"));
            continue;
        }
        deletedBytes += size;
        LabelKomunikat->show();
        setLabelNow(LabelKomunikat, QStringLiteral("USUWAM ZBIORY Z DYSKIETKI"));
        std::unique_ptr<QListWidgetItem> gone(PlikiArchiwum->takeItem(i));
        setLabelNow(LabelCoKopiuje, folder + name);
        setLabelNow(LabelGdzieKopiuje, QString());
        setLabelNow(LabelProcent, QStringLiteral("100 % zbioru"));
        setBarNow(ProgressBar1, 100);
        setBarNow(ProgressBar2, percentOf(deletedBytes, allBytes));
        setLabelNow(LabelIleMiejsca, QStringLiteral("Wolnego miejsca na dysku ") + archiveRoot + QStringLiteral(" jest :")
                                         + QString::number(freeKb(letter)) + QStringLiteral(" kB"));
    }
    LabelKomunikat->hide();
}

bool TKopiowanieDanych::SprawdzMiejsce(bool diskette)
{
    bool carryOn = true;
    const qint64 needKb = totalBytes_ / 1024;
    if (!diskette) {
        if (freeKb_ < needKb && foldersCreated_)
            carryOn = jadl::platform::askYesNo(QStringLiteral("ZA MAŁO MIEJSCA NA WYBRANYM DYSKU DLA KOPII PLIKÓW DANYCH"),
                                               QStringLiteral("Kontynuować"));
        return carryOn;
    }
    if (freeKb_ < needKb) {
        const QChar drive = archiveRoot_.at(0).toUpper() == QLatin1Char('A') ? QLatin1Char('A') : QLatin1Char('B');
        const qint64 capacityKb = Drives::capacity(drive) / 1024;
        disketteCount_ = capacityKb > 0 ? static_cast<int>(needKb / capacityKb) : 0;
        jadl::platform::showMessage(QStringLiteral("ILOŚĆ DYSKIETEK DO WYKONANIA KOPII BAZY MIN ")
                                    + QString::number(disketteCount_ + 1));
        carryOn = jadl::platform::askYesNo(QStringLiteral("TWORZYMY KOPIE BAZY NA DYSKIETKACH ??"), kCopyCaption);
    }
    if (needKb < freeKb_)
        disketteCount_ = 1;
    return carryOn;
}

// ---------------------------------------------------------------- the backup

void TKopiowanieDanych::KopiujClick()
{
    // Typing still in a window would be lost when its table closes: settled first.
    if (!jadl::settlePendingEdits(programTables_()))
        return;
    // Table files are copied only while no connection to them is open.
    jadl::archive::TablesOffline offline(programTables_(), ZamknijTabeleDanych());
    failed_ = false;

    fileCounter_ = 0;
    totalBytes_ = 0;
    copiedBytes_ = 0;
    freeKb_ = 0;
    writtenSinceFree_ = 0;
    disketteNumber_ = 0;
    disketteCount_ = 0;
    measured_ = false;
    LabelIleMiejsca->show();
    Filtr->setEnabled(true);

    programRoot_ = QString(Dyski->drive()) + QStringLiteral(":\\");
    archiveRoot_ = DyskDlaArchiwum->currentText().left(2) + QStringLiteral("\\");
    sameDrive_ = programRoot_.at(0) == archiveRoot_.at(0);
    const bool diskette = jadl::archive::isDisketteLetter(archiveRoot_.at(0));
    const QString date = jadl::archive::dateName(jadl::platform::today());
    const QString parent = sameDrive_ ? QString(programRoot_ + QStringLiteral("Jadl\\Archiwum\\")) : QString(archiveRoot_ + QStringLiteral("Archiwum\\"));
    archiveFolder_ = diskette ? QString(archiveRoot_ + QStringLiteral("Archiwum\\")) : QString(parent + date + QLatin1Char('\\'));
    const bool parentCreated = makeFolder(parent);
    // The day's folder itself is made by the staging that takes its place.
    bool folderCreated = false;
    if (diskette) {
        folderCreated = makeFolder(archiveFolder_);
    } else {
        try {
            folderCreated = !QFileInfo::exists(Drives::toRealPath(archiveFolder_));
        } catch (const IoError&) {
            folderCreated = false;
        }
    }
    foldersCreated_ = parentCreated && folderCreated;

    // A table copied with a hot journal beside it would be a table half-way
    // through a transaction: the journal is resolved first.
    try {
        jadl::archive::settleJournals(Drives::toRealPath(dataDirectory()));
    } catch (const jadl::archive::BackupError& e) {
        jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + e.text());
        jadl::platform::showMessage(QStringLiteral("NIEPEŁNA KOPIA DANYCH PROGRAMU"));
        return;
    } catch (const IoError&) {
        // The data directory is not there: the listing below reports it.
    }

    const bool finished = diskette ? disketteMode() : hardDiskMode();
    if (finished)
        completion();
}

bool TKopiowanieDanych::hardDiskMode()
{
    const QChar letter = archiveRoot_.at(0);
    try {
        freeKb_ = freeKb(letter);
        writtenSinceFree_ = 0;
        showArchiveFolder(sameDrive_ ? QString(programRoot_ + QStringLiteral("Jadl\\Archiwum")) : QString(archiveRoot_ + QStringLiteral("Archiwum\\")));
        PlikiArchiwum->setMask(QStringLiteral("*.*"));
        PlikiArchiwum->setMultiSelect(true);
        PlikiArchiwum->selectAll();

        showDataFolder();
        Pliki->setMask(QStringLiteral("*.*"));
        Pliki->setMultiSelect(true);
        Pliki->selectAll();
        const QString realData = Pliki->realDirectory();
        for (const QString& name : Pliki->selectedFileNames())
            totalBytes_ += RozmiarPliku(realFile(realData, name));
        measured_ = true;

        if (!SprawdzMiejsce(false))
            return false;

        setLabels(Labels::Copy);
        const jadl::archive::ButtonsLocked locked(c_, busy_);
        staging_ = std::make_unique<jadl::archive::BackupStaging>(Drives::toRealPath(archiveFolder_));
        for (const QString& name : Pliki->fileNames()) {
            setWhatWhere(name, archiveFolder_);
            LabelKomunikat->show();
            setLabelNow(LabelKomunikat, kPleaseWait);
            KopiujPlik(name, archiveFolder_);
            LabelKomunikat->hide();
        }
        // The day's earlier archive gives way only to a complete, checked one.
        staging_->swapIn();
        staging_.reset();
        PlikiArchiwum->reread();
        return true;
    } catch (const CopyError& e) {
        jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + e.text());
    } catch (const jadl::archive::BackupError& e) {
        jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + e.text());
    } catch (const IoError&) {
        // reported below in the program's words
    }
    staging_.reset();
    failed_ = true;
    LabelKomunikat->hide();
    jadl::platform::showMessage(QStringLiteral("NIEPEŁNA KOPIA PROGRAMU"));
    ZerujPostep();
    return false;
}

bool TKopiowanieDanych::disketteMode()
{
    const QChar letter = archiveRoot_.at(0);
    try {
        disketteNumber_ = 1;
        Filtr->setEnabled(false);
        setLabels(Labels::Delete);
        UsunPlikiZDyskietki(archiveRoot_);
        setLabels(Labels::Hidden);
        freeKb_ = freeKb(letter);
        writtenSinceFree_ = 0;

        Pliki->setMask(QStringLiteral("*.*"));
        showDataFolder();
        Pliki->setMultiSelect(true);
        Pliki->selectAll();
        const QString realData = Pliki->realDirectory();
        for (const QString& name : Pliki->selectedFileNames())
            totalBytes_ += RozmiarPliku(realFile(realData, name));
        measured_ = true;

        if (!SprawdzMiejsce(true))
            return false;

        const jadl::archive::ButtonsLocked locked(c_, busy_);
        for (const QString& name : Pliki->fileNames()) {
            const qint64 sizeKb = RozmiarPliku(realFile(realData, name)) / 1024;
            qint64 room = freeKb(letter) - sizeKb;
            // Change diskettes until the file fits.
            while (room < 1) {
                ++disketteNumber_;
                const QString prompt = kInsertDiskette + QString::number(disketteNumber_);
                if (!jadl::platform::askYesNo(prompt, kCopyCaption))
                    return false;
                bool measuredRoom = false;
                try {
                    setLabels(Labels::Delete);
                    UsunPlikiZDyskietki(archiveRoot_);
                    setLabels(Labels::Copy);
                    setWhatWhere(name, archiveFolder_);
                    showDataFolder();
                    Pliki->selectAll();
                    room = freeKb(letter) - sizeKb;
                    measuredRoom = true;
                    if (room < 1) {
                        jadl::platform::showMessage(QStringLiteral("Plik przekracza pojemność dyskietki - kopia przerwana"));
                        ZerujPostep();
                        return false;
                    }
                } catch (const IoError&) {
                    // No diskette in the drive.
                    if (!jadl::platform::askYesNo(prompt, kCopyCaption)) {
                        ZerujPostep();
                        SprawdzKatalogDanych();
                        return false;
                    }
                }
                try {
                    const qint64 free = freeKb(letter);
                    if (!measuredRoom)
                        room = free - sizeKb;
                } catch (const IoError&) {
                    room = 0;   // still unreadable: ask for the next diskette
                }
            }
            freeKb_ = freeKb(letter);
            writtenSinceFree_ = 0;
            LabelKomunikat->show();
            setLabelNow(LabelKomunikat, kPleaseWait);
            setLabels(Labels::Copy);
            setWhatWhere(name, archiveFolder_);
            KopiujPlik(name, archiveFolder_);
            LabelKomunikat->hide();
        }
    } catch (const CopyError& e) {
        jadl::platform::showError(QStringLiteral("Błąd kopiowania\n") + e.text());
    } catch (const IoError&) {
        // The copy stops here; the completion reports it incomplete.
    }
    LabelKomunikat->hide();
    return true;
}

void TKopiowanieDanych::completion()
{
    // Without a measured data directory equal totals (both 0) prove nothing.
    if (measured_ && !failed_ && copiedBytes_ == totalBytes_) {
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
