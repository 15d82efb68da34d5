#pragma once
// Virtual drive letters. The program keeps paths in drive-letter form
// ("c:\Jadl\Archiwum\06_12_2026"); only this layer turns them into real paths,
// resolving each component case-insensitively. C maps to the program root (the
// home folder unless JADL_DRIVES says otherwise).
//
// JADL_DRIVES is a comma-separated list of LETTER=folder[:bytes] entries, letters
// in either case: "C=/home/x,A=/media/stick,D=/mnt/backup". The optional ":bytes"
// states the drive's capacity, for a folder that plays a diskette
// ("A=/tmp/diskette:1457664"): capacity() is then that number and freeSpace() is
// the capacity less the bytes of the files under the folder (never more than the
// real free space). A and B are diskette drives, every other letter a fixed disk.
// A mapped letter whose folder does not exist behaves like an empty diskette
// drive: every query throws IoError.
#include <QChar>
#include <QList>
#include <QString>

#include <stdexcept>

namespace jadl::platform {

// A file-system failure in the platform layer (missing mapped folder, no space,
// unreadable file). The text names the path.
class IoError : public std::runtime_error {
public:
    explicit IoError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) { }
    const QString& text() const { return text_; }

private:
    QString text_;
};

enum class DriveType { Removable, Fixed };

struct DriveInfo {
    QChar letter; // upper case
    QString root; // real folder
    DriveType type;
};

class Drives {
public:
    // Re-reads JADL_DRIVES and HOME (tests call it after changing them).
    static void reload();
    static QChar programDrive(); // 'C'
    static QList<DriveInfo> drives(); // mapped letters, sorted
    static bool isMapped(QChar letter);
    static QString rootOf(QChar letter); // real folder of a drive; throws IoError
    static DriveType driveType(QChar letter); // A and B are diskette drives
    // Real path for a drive-letter path ("c:\jadl\dane_bar\x.db"); a real absolute
    // path passes through unchanged. Existing components are matched without regard
    // to case; missing ones keep the given spelling. Throws IoError when the drive is
    // not mapped or its folder is missing. A path without a drive letter starting
    // with "\" is on the program drive; a relative one stays relative (backslashes
    // turned into slashes). "." and ".." components are folded.
    static QString toRealPath(const QString& drivePath);
    // Drive-letter form of a real path under a mapped drive ("C:\Jadl\Dane_bar");
    // the deepest mapped root wins, the program drive on a tie; a path under no
    // mapped drive is returned unchanged.
    static QString toDrivePath(const QString& realPath);
    static qint64 freeSpace(QChar letter); // bytes; throws IoError
    static qint64 capacity(QChar letter); // bytes; throws IoError
    // The data directory: program root + "Jadl/Dane_bar" (real path, created when
    // missing; an existing folder spelt in another case is used). Throws IoError.
    static QString dataDirectory();
    static QString dataDirectoryDrivePath(); // "C:\Jadl\Dane_bar"
};

} // namespace jadl::platform
