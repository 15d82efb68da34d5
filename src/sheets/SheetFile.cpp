#include "sheets/SheetFile.h"

#include "common/SystemErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jadl {

namespace {

std::atomic<int> simulatedError{0};

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

SheetError::SheetError(const QString& path, const QString& reason)
    : message_(QStringLiteral("Nie można zapisać arkusza %1: %2").arg(QDir::toNativeSeparators(path), reason)),
      what_(message_.toUtf8())
{ }

void setSimulatedSheetWriteError(int err)
{
    simulatedError = err;
}

ReplacingFile::ReplacingFile(QString target) : target_(std::move(target))
{
    const QFileInfo info(target_);
    if (info.isDir())
        fail(systemErrorReason(EISDIR));
    // A dot name keeps the unfinished file out of sight in the user's folder.
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
        temp_ = info.dir().filePath(QStringLiteral(".%1.%2.tmp")
                                        .arg(info.fileName())
                                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        fd_ = ::open(encoded(temp_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            fail(systemErrorReason(errno));
    }
    if (fd_ < 0)
        fail(systemErrorReason(EEXIST));
    // Replacing a file keeps its permissions; a new one gets the umask's.
    struct stat st { };
    if (::stat(encoded(target_).constData(), &st) == 0)
        ::fchmod(fd_, st.st_mode & 07777);
}

ReplacingFile::~ReplacingFile()
{
    closeHandle();
    if (!committed_)
        ::unlink(encoded(temp_).constData());
}

void ReplacingFile::closeHandle()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void ReplacingFile::write(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(systemErrorReason(errno));
        }
        p += n;
        left -= n;
    }
}

void ReplacingFile::commit()
{
    if (const int simulated = simulatedError.load())
        fail(systemErrorReason(simulated));
    // A writer that opened the file by name wrote through the same inode, so this
    // descriptor syncs its data too.
    if (::fsync(fd_) != 0 && errno != EINVAL)
        fail(systemErrorReason(errno));
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        fail(systemErrorReason(errno));
    if (std::rename(encoded(temp_).constData(), encoded(target_).constData()) != 0)
        fail(systemErrorReason(errno));
    committed_ = true;
}

void ReplacingFile::fail(const QString& reason) const
{
    throw SheetError(target_, reason);
}

} // namespace jadl
