#include "work/ArchiveFiles.h"

#include "common/SystemErrors.h"
#include "platform/Drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QIODevice>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace jadl::archive {

int percentOf(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 100;
    return static_cast<int>(part * 100 / whole);
}

qint64 fileSize(const QString& realPath)
{
    const QFileInfo info(realPath);
    return info.exists() && !info.isDir() ? info.size() : 0;
}

QString dateName(const QDate& day)
{
    return day.toString(QStringLiteral("dd_MM_yyyy"));
}

bool isDisketteLetter(QChar letter)
{
    const QChar u = letter.toUpper();
    return u == QLatin1Char('A') || u == QLatin1Char('B');
}

QString existingFolder(const QString& drivePath)
{
    const QString real = platform::Drives::toRealPath(drivePath);
    if (!QFileInfo(real).isDir())
        throw platform::IoError(QStringLiteral("Folder %1 nie istnieje lub nie można go odczytać").arg(drivePath));
    return real;
}

QString diskSpelling(const QString& drivePath)
{
    const QChar letter = drivePath.isEmpty() ? QChar() : drivePath.at(0).toLower();
    const QString real = existingFolder(drivePath);
    QString relative = QDir(platform::Drives::rootOf(letter)).relativeFilePath(real);
    if (relative == QLatin1String("."))
        relative.clear();
    relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(letter) + QStringLiteral(":\\") + relative;
}

QStringList listedFiles(const QString& realFolder)
{
    return QDir(realFolder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

bool isArchiveFolder(const QString& chosen, const QString& programRoot, const QString& archiveRoot, bool sameDrive,
                     bool diskette)
{
    if (diskette)
        return true;
    // Positions are 1-based in the classic string routines: 8..16 and 3..11.
    if (sameDrive) {
        const QString parent = programRoot + QStringLiteral("Jadl\\Archiwum\\");
        return chosen.mid(7, 9) == parent.mid(7, 9);
    }
    const QString parent = archiveRoot + QStringLiteral("Archiwum\\");
    return chosen.mid(2, 9) == parent.mid(2, 9);
}

qint64 copyInBlocks(QIODevice& source, const QString& sourceName, QIODevice& target, const QString& targetName,
                    const std::function<void(qint64 n)>& onBlock)
{
    // The disk is read and written a chunk at a time (the size cp uses), the
    // blocks of each chunk are counted one by one as they are written.
    std::vector<char> chunk(kChunkSize);
    qint64 copied = 0;
    auto* sourceFile = qobject_cast<QFileDevice*>(&source);
    auto* targetFile = qobject_cast<QFileDevice*>(&target);
    const auto reason = [](QIODevice& device, QFileDevice* file, int err) {
        return file ? fileErrorReason(*file, err) : device.errorString();
    };
    for (;;) {
        errno = 0;
        const qint64 n = source.read(chunk.data(), kChunkSize);
        if (n < 0) {
            const int err = errno;
            throw CopyError(
                CopyError::Kind::Read,
                QStringLiteral("Błąd odczytu pliku %1: %2").arg(sourceName, reason(source, sourceFile, err)));
        }
        if (n == 0)
            break;
        // A short write (a disk filling up) is followed by another, which names the cause.
        const bool whole = targetFile ? writeWhole(*targetFile, chunk.data(), n) : target.write(chunk.data(), n) == n;
        if (!whole) {
            const int err = errno;
            throw CopyError(
                CopyError::Kind::Write,
                QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, reason(target, targetFile, err)));
        }
        for (qint64 offset = 0; offset < n; offset += kBlockSize) {
            const qint64 block = qMin(kBlockSize, n - offset);
            copied += block;
            if (onBlock)
                onBlock(block);
        }
    }
    // Buffered bytes must reach the file before the copy counts as done.
    errno = 0;
    if (targetFile && !targetFile->flush()) {
        const int err = errno;
        throw CopyError(CopyError::Kind::Write,
                        QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, fileErrorReason(*targetFile, err)));
    }
    return copied;
}

bool syncFile(QFileDevice& file)
{
    const int fd = file.handle();
    return fd >= 0 && ::fsync(fd) == 0;
}

bool syncFolder(const QString& realPath)
{
    const int fd = ::open(QFile::encodeName(realPath).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace jadl::archive
