#include "archive/DriveWidgets.h"

#include "controls/Guarded.h"
#include "platform/Drives.h"
#include "work/ArchiveFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStyle>

namespace jadl::archive {

using platform::Drives;
using platform::IoError;

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QChar letterOf(const QString& drivePath)
{
    return drivePath.isEmpty() ? QChar() : drivePath.at(0).toLower();
}

// Drive path of a real folder under the root of `letter`, with the names as they are on disk.
QString drivePathOf(QChar letter, const QString& real)
{
    const QString root = Drives::rootOf(letter);
    QString relative = QDir(root).relativeFilePath(real);
    if (relative == QLatin1String("."))
        relative.clear();
    relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(letter.toLower()) + QStringLiteral(":\\") + relative;
}

} // namespace

QString normalizedDrivePath(const QString& drivePath)
{
    QString p = drivePath.trimmed();
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (p.contains(QStringLiteral("\\\\")))
        p.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    if (p.size() >= 2 && p.at(1) == QLatin1Char(':')) {
        p[0] = p.at(0).toLower();
        if (p.size() == 2)
            return p + QLatin1Char('\\');
    }
    while (p.size() > 3 && p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p;
}

QString joinDrivePath(const QString& folder, const QString& name)
{
    const QString base = normalizedDrivePath(folder);
    return base.endsWith(QLatin1Char('\\')) ? QString(base + name) : QString(base + QLatin1Char('\\') + name);
}

// ---------------------------------------------------------------- DriveComboBox

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent)
{
    refreshDrives();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int) { Q_EMIT driveChanged(); });
}

QChar DriveComboBox::drive() const
{
    const QString text = currentText();
    return text.isEmpty() ? QChar() : text.at(0).toLower();
}

void DriveComboBox::refreshDrives()
{
    const QChar keep = drive();
    const QSignalBlocker block(this);
    clear();
    for (const platform::DriveInfo& d : Drives::drives()) {
        const QString name = QString(d.letter.toLower()) + QLatin1Char(':');
        addItem(d.type == platform::DriveType::Removable ? name
                                                         : name + QStringLiteral(" [") + d.root + QLatin1Char(']'));
    }
    int index = -1;
    for (int i = 0; i < count(); ++i) {
        if (!keep.isNull() && itemText(i).at(0) == keep)
            index = i;
    }
    if (index < 0) {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).at(0).toUpper() == Drives::programDrive())
                index = i;
        }
    }
    setCurrentIndex(index);
}

void DriveComboBox::setDrive(QChar letter)
{
    const QChar wanted = letter.toLower();
    const auto find = [this, wanted] {
        for (int i = 0; i < count(); ++i) {
            if (itemText(i).at(0) == wanted)
                return i;
        }
        return -1;
    };
    int index = find();
    if (index < 0) {
        refreshDrives();
        index = find();
    }
    if (index < 0)
        throw IoError(QStringLiteral("Napęd %1: jest niedostępny").arg(wanted));
    setCurrentIndex(index);
}

void DriveComboBox::showPopup()
{
    refreshDrives();
    QComboBox::showPopup();
}

// ---------------------------------------------------------------- DirectoryListBox

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this, &DirectoryListBox::openItem);
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        // Enter opens the item too; a double click is handled above only once.
        if (item && itemPath(item) != directory_)
            openItem(item);
    });
}

QChar DirectoryListBox::drive() const
{
    return letterOf(directory_);
}

QString DirectoryListBox::itemPath(const QListWidgetItem* item)
{
    return item ? item->data(kPathRole).toString() : QString();
}

void DirectoryListBox::openItem(QListWidgetItem* item)
{
    if (!item)
        return;
    const QString path = itemPath(item);
    runGuarded([this, path] { setDirectory(path); });
}

void DirectoryListBox::setDirectory(const QString& drivePath)
{
    const QString norm = normalizedDrivePath(drivePath);
    if (norm.size() < 3 || norm.at(1) != QLatin1Char(':'))
        throw IoError(QStringLiteral("Niepoprawna ścieżka folderu: %1").arg(drivePath));
    const QString real = existingFolder(norm);
    fill(drivePathOf(letterOf(norm), real), real);
    Q_EMIT directoryChanged();
}

void DirectoryListBox::setDrive(QChar letter)
{
    const QString root = QString(letter.toLower()) + QStringLiteral(":\\");
    try {
        setDirectory(root);
    } catch (const IoError&) {
        // Like an empty diskette drive: the drive is chosen but shows nothing.
        clear();
        directory_ = root;
        throw;
    }
}

void DirectoryListBox::reread()
{
    const QString real = existingFolder(directory_);
    fill(directory_, real);
}

QString DirectoryListBox::realDirectory() const
{
    return existingFolder(directory_);
}

void DirectoryListBox::fill(const QString& drivePath, const QString& realPath)
{
    directory_ = drivePath;
    const QSignalBlocker block(this);
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& path, int level) {
        auto* item = new QListWidgetItem(icon, QString(level * 3, QLatin1Char(' ')) + text, this);
        item->setData(kPathRole, path);
        item->setToolTip(path);
        return item;
    };
    const QString root = drivePath.left(3);
    QListWidgetItem* current = add(open, root, root, 0);
    const QStringList parts = drivePath.mid(3).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    QString path = root;
    int level = 1;
    for (const QString& part : parts) {
        path = joinDrivePath(path, part);
        current = add(open, part, path, level++);
    }
    const QStringList subfolders = QDir(realPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                            QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subfolders)
        add(closed, sub, joinDrivePath(drivePath, sub), level);
    setCurrentItem(current);
}

// ---------------------------------------------------------------- FileListBox

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FileListBox::setDirectory(const QString& drivePath)
{
    directory_ = normalizedDrivePath(drivePath);
    reread();
}

void FileListBox::setMask(const QString& mask)
{
    mask_ = mask;
    if (!directory_.isEmpty())
        reread();
}

void FileListBox::setMultiSelect(bool on)
{
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool FileListBox::multiSelect() const
{
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

QString FileListBox::realDirectory() const
{
    return existingFolder(directory_);
}

void FileListBox::reread()
{
    clear();
    const QString real = realDirectory();
    QDir dir(real);
    if (mask_ != QLatin1String("*.*") && mask_ != QLatin1String("*") && !mask_.isEmpty())
        dir.setNameFilters(mask_.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    addItems(dir.entryList());
}

QStringList FileListBox::fileNames() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out.append(item(i)->text());
    return out;
}

QStringList FileListBox::selectedFileNames() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->isSelected())
            out.append(item(i)->text());
    }
    return out;
}

// ---------------------------------------------------------------- FilterComboBox

FilterComboBox::FilterComboBox(QWidget* parent) : QComboBox(parent)
{
    addItem(QStringLiteral("Wszystkie pliki (*.*)"));
}

} // namespace jadl::archive
