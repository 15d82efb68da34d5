#pragma once
// Drive, directory and file lists over the program's virtual drive letters, as
// the archive windows show them. Paths are in drive-letter form with a lower-case
// letter ("c:\Jadl\Archiwum"); the platform's drive mapping turns them into real
// folders. Setting a folder that cannot be read throws platform::IoError.
#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace jadl::archive {

// The drive box: one item per mapped letter, "c: [folder]". Changing the current
// item (by the user or by setDrive) emits driveChanged(); a choice made by the
// user emits activated() as well.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);
    QChar drive() const; // lower-case letter, or a null QChar when empty
    // Selects the drive (re-reading the mapping when the letter is not listed).
    void setDrive(QChar letter);
    void refreshDrives(); // re-reads the mapped letters, keeping the choice
    void showPopup() override;

Q_SIGNALS:
    void driveChanged();
};

// The directory list: the path from the drive's root down to the current folder,
// then its sub-folders. A double click (or Enter) on an item makes it the current
// folder; directoryChanged() follows every change of the current folder.
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);
    QString directory() const { return directory_; } // "c:\" or "c:\Jadl\Archiwum"
    QChar drive() const;
    // Makes `drivePath` the current folder; throws IoError (and changes nothing)
    // when it is not a readable folder.
    void setDirectory(const QString& drivePath);
    // Switches to the root of a drive. When the drive cannot be read the list is
    // left empty on that drive's root and IoError is thrown (no directoryChanged).
    void setDrive(QChar letter);
    void reread(); // shows the current folder again
    // Real path of the current folder; throws IoError.
    QString realDirectory() const;
    // The drive path an item stands for.
    static QString itemPath(const QListWidgetItem* item);
    // What a double click on the item does (errors go to the error box).
    void openItem(QListWidgetItem* item);

Q_SIGNALS:
    void directoryChanged();

private:
    void fill(const QString& drivePath, const QString& realPath);
    QString directory_;
};

// The file list: the files of one folder matching a mask ("*.*" = every file),
// sorted by name without regard to case; hidden files are not shown.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    QString directory() const { return directory_; }
    // Shows the files of `drivePath`; throws IoError (list emptied) when the
    // folder cannot be read.
    void setDirectory(const QString& drivePath);
    QString mask() const { return mask_; }
    void setMask(const QString& mask); // re-reads the list
    void setMultiSelect(bool on);
    bool multiSelect() const;
    void reread(); // throws IoError
    QString realDirectory() const; // throws IoError
    QStringList fileNames() const; // in list order
    QStringList selectedFileNames() const; // in list order

private:
    QString directory_;
    QString mask_ = QStringLiteral("*.*");
};

// The file-type filter box of the archive windows (it filters no list).
class FilterComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FilterComboBox(QWidget* parent = nullptr);
};

// "c:\Jadl" + "Archiwum" -> "c:\Jadl\Archiwum"; trailing backslashes are dropped
// except after the drive's colon.
QString joinDrivePath(const QString& folder, const QString& name);
QString normalizedDrivePath(const QString& drivePath);

} // namespace jadl::archive
