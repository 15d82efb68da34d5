#pragma once
// File work shared by the backup and restore windows: file sizes, the dated
// archive folder name, the archive-folder check and the copy loop in 1024-byte
// blocks. Paths given to these routines are real paths unless said otherwise.
#include "common/Progress.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

class QFileDevice;
class QIODevice;

namespace jadl::archive {

inline constexpr qint64 kBlockSize = 1024;
// Bytes moved per read and write call of the disk; a multiple of kBlockSize.
inline constexpr qint64 kChunkSize = 128 * 1024;

// A file that could not be opened, read or written while copying. Unlike a
// platform IoError (a drive that is not there) it concerns one file, whose path
// the text names.
class CopyError : public std::runtime_error {
public:
    enum class Kind { OpenSource, Read, OpenTarget, Write };
    CopyError(Kind kind, const QString& text) : std::runtime_error(text.toStdString()), kind_(kind), text_(text) { }
    Kind kind() const { return kind_; }
    const QString& text() const { return text_; }
    // The source side failed (the target was never written completely).
    bool sourceSide() const { return kind_ == Kind::OpenSource || kind_ == Kind::Read; }

private:
    Kind kind_;
    QString text_;
};

// Percentage of `part` in `whole`, truncated; a whole of 0 counts as done.
int percentOf(qint64 part, qint64 whole);

// Size in bytes of a file; 0 when there is no such file.
qint64 fileSize(const QString& realPath);

// Name of the day's archive folder: 6 December 2026 gives "06_12_2026".
QString dateName(const QDate& day);

bool isDisketteLetter(QChar letter);

// Real path of the folder `drivePath` names; platform::IoError when it is not a
// folder (or its drive cannot be read).
QString existingFolder(const QString& drivePath);
// `drivePath` with the folder names spelt as they are on disk and a lower-case
// drive letter ("c:\jadl\ARCHIWUM" -> "c:\Jadl\Archiwum"); IoError as above.
QString diskSpelling(const QString& drivePath);
// The files of a real folder as the archive lists show them: not sub-folders, not
// hidden files, sorted by name without regard to case.
QStringList listedFiles(const QString& realFolder);

// The restore's check of the chosen folder (drive-letter form, e.g.
// "c:\Jadl\Archiwum\06_12_2026"). On the program drive its characters 8 to 16
// must read exactly as those of programRoot + "Jadl\Archiwum\"; on another hard
// disk characters 3 to 11 as those of archiveRoot + "Archiwum\"; on a diskette
// any folder passes.
bool isArchiveFolder(const QString& chosen, const QString& programRoot, const QString& archiveRoot, bool sameDrive,
                     bool diskette);

// Copies `source` to `target` until a read returns nothing, calling onBlock(n)
// for every block of kBlockSize bytes (the last one may be shorter) once it is
// written. The devices are read and written kChunkSize bytes at a time; open
// files Unbuffered, the chunk is their buffer. Returns the bytes copied. A
// failed read throws CopyError(Read), a short or failed write CopyError(Write),
// both naming the given paths.
qint64 copyInBlocks(QIODevice& source, const QString& sourceName, QIODevice& target, const QString& targetName,
                    const std::function<void(qint64 n)>& onBlock);

// Asks the disk to hold what was written to the file (or the entries of the
// folder) before a copy counts as done; false when it refuses.
bool syncFile(QFileDevice& file);
bool syncFolder(const QString& realPath);

// The pace of a copy's display (one for every long job of the program).
using Pacer = ProgressPacer;

} // namespace jadl::archive
