#include "archive/ArchiveWindow.h"

#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "platform/Drives.h"
#include "platform/Messages.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace jadl::archive {

using platform::Drives;
using platform::IoError;

namespace {

const QString kInsertDiskette = QStringLiteral("PROSZĘ WŁOŻYĆ DYSKIETKĘ ");

} // namespace

ArchiveWindow::ArchiveWindow(QWidget* parent, const QString& instanceName, const QString& title,
                             const ArchiveCaptions& captions)
    : ExitRoutedDialog(parent)
{
    initForm(this, instanceName, title, 780, 600);
    setExitHandler([this] { runGuarded([this] { WyjscieClick(); }); });
    c_ = buildArchiveControls(this, captions);
    // The lists start on the program drive: its data directory on the left, its
    // installation folder on the right.
    startListsOnProgramDrive(c_);
    wireLists();
}

void ArchiveWindow::wireLists()
{
    connect(c_.Dyski, &DriveComboBox::driveChanged, this, guardedSlot(this, &ArchiveWindow::DyskiChange));
    connect(c_.Katalogi, &DirectoryListBox::directoryChanged, this, guardedSlot(this, &ArchiveWindow::KatalogiChange));
    connect(c_.DyskDlaArchiwum, &DriveComboBox::driveChanged, this, [this] {
        runGuarded([this] {
            try {
                DyskDlaArchiwumChange();
            } catch (const IoError&) {
                // An empty diskette drive: the lists stay empty; choosing it asks for a diskette.
                c_.PlikiArchiwum->clear();
            }
        });
    });
    connect(c_.DyskDlaArchiwum, &QComboBox::activated, this,
            [this](int) { runGuarded([this] { DyskDlaArchiwumClick(); }); });
    connect(c_.KatalogDlaArchiwum, &DirectoryListBox::directoryChanged, this,
            guardedSlot(this, &ArchiveWindow::KatalogDlaArchiwumChange));
    connect(c_.KatalogDlaArchiwum, &QListWidget::itemClicked, this,
            [this] { runGuarded([this] { KatalogDlaArchiwumClick(); }); });
    connect(c_.Action, &QPushButton::clicked, this, [this] { runGuarded([this] { actionClick(); }); });
    connect(c_.Pomoc, &QPushButton::clicked, this, [this] { runGuarded([this] { PomocClick(); }); });
    connect(c_.Wyjscie, &QPushButton::clicked, this, [this] { runGuarded([this] { WyjscieClick(); }); });
}

qint64 ArchiveWindow::RozmiarPliku(const QString& realPath)
{
    return fileSize(realPath);
}

QString ArchiveWindow::dataDirectory() const
{
    return QString(c_.Dyski->drive()) + QStringLiteral(":\\Jadl\\Dane_bar\\");
}

void ArchiveWindow::reject()
{
    if (busy_)
        return;
    ExitRoutedDialog::reject();
}

void ArchiveWindow::DyskiChange()
{
    c_.Katalogi->setDrive(c_.Dyski->drive());
}

void ArchiveWindow::KatalogiChange()
{
    c_.Pliki->setDirectory(c_.Katalogi->directory());
}

void ArchiveWindow::DyskDlaArchiwumChange()
{
    const QChar drive = c_.DyskDlaArchiwum->drive();
    c_.KatalogDlaArchiwum->setDrive(drive);
    c_.LabelIleMiejsca->setText(freeSpaceText(drive, Drives::freeSpace(drive) / 1024));
}

void ArchiveWindow::DyskDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

void ArchiveWindow::KatalogDlaArchiwumChange()
{
    try {
        c_.PlikiArchiwum->setDirectory(c_.KatalogDlaArchiwum->directory());
    } catch (const IoError&) {
        platform::askYesNo(kInsertDiskette, QStringLiteral("KOPIUJEMY"));
    }
}

void ArchiveWindow::KatalogDlaArchiwumClick()
{
    KatalogDlaArchiwumChange();
}

void ArchiveWindow::showArchiveFolder(const QString& drivePath)
{
    {
        const QSignalBlocker block(c_.KatalogDlaArchiwum);
        c_.KatalogDlaArchiwum->setDirectory(drivePath);
    }
    c_.PlikiArchiwum->setDirectory(c_.KatalogDlaArchiwum->directory());
}

void ArchiveWindow::showDataFolder()
{
    {
        const QSignalBlocker block(c_.Katalogi);
        c_.Katalogi->setDirectory(dataDirectory());
    }
    c_.Pliki->setDirectory(c_.Katalogi->directory());
}

void ArchiveWindow::pointArchiveListsHome(const QString& missing, const QString& missingTail)
{
    const QChar drive = c_.Dyski->drive().isNull() ? Drives::programDrive().toLower() : c_.Dyski->drive();
    try {
        c_.DyskDlaArchiwum->setDrive(drive);
        showArchiveFolder(QString(drive) + QStringLiteral(":\\Jadl"));
    } catch (const IoError&) {
        platform::showMessage(missing + drive + missingTail);
    }
}

} // namespace jadl::archive
