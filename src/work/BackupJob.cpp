#include "work/BackupJob.h"

#include "common/SystemErrors.h"
#include "platform/Drives.h"
#include "work/ArchiveFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace jadl::archive {

using platform::Drives;
using platform::IoError;
using Stage = BackupProgress::Stage;

namespace {

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

BackupJob::BackupJob(const QString& dataDir, const QString& archiveRoot, const QDate& day, Progress progress)
    : dataDir_(dataDir), programRoot_(dataDir.left(3)), archiveRoot_(archiveRoot), progressFn_(std::move(progress))
{
    sameDrive_ = programRoot_.at(0) == archiveRoot_.at(0);
    diskette_ = isDisketteLetter(archiveRoot_.at(0));
    parent_ = sameDrive_ ? QString(programRoot_ + QStringLiteral("Jadl\\Archiwum\\"))
                         : QString(archiveRoot_ + QStringLiteral("Archiwum\\"));
    archiveFolder_ = diskette_ ? QString(archiveRoot_ + QStringLiteral("Archiwum\\"))
                               : QString(parent_ + dateName(day) + QLatin1Char('\\'));
}

BackupJob::~BackupJob() = default;

BackupResult BackupJob::run(BackupQuestions& ask)
{
    const bool parentCreated = makeFolder(parent_);
    // The day's folder itself is made by the staging that takes its place.
    bool folderCreated = false;
    if (diskette_) {
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
        settleJournals(Drives::toRealPath(dataDir_));
    } catch (const BackupError& e) {
        result_.end = BackupEnd::Unsettled;
        result_.error = e.text();
        return result_;
    } catch (const IoError&) {
        // The data directory is not there: the listing reports it.
    }

    result_.end = diskette_ ? toDiskettes(ask) : toHardDisk(ask);
    result_.total = p_.total;
    result_.copied = p_.done;
    return result_;
}

void BackupJob::emitStage(Stage stage)
{
    p_.stage = stage;
    p_.paced = false;
    if (progressFn_)
        progressFn_(p_);
}

qint64 BackupJob::freeKbNow() const
{
    return Drives::freeSpace(archiveRoot_.at(0)) / 1024;
}

void BackupJob::measureFree()
{
    measuredFreeKb_ = freeKbNow();
    writtenSinceFree_ = 0;
    p_.freeKb = measuredFreeKb_;
}

void BackupJob::measure()
{
    realData_ = existingFolder(dataDir_);
    files_ = listedFiles(realData_);
    for (const QString& name : files_)
        p_.total += fileSize(realFile(realData_, name));
    measured_ = true;
    emitStage(Stage::Measured);
}

bool BackupJob::enoughRoom(BackupQuestions& ask)
{
    const qint64 needKb = p_.total / 1024;
    if (!diskette_)
        return measuredFreeKb_ >= needKb || !foldersCreated_ || ask.goOnWithLowSpace();
    bool carryOn = true;
    if (measuredFreeKb_ < needKb) {
        const qint64 capacityKb = Drives::capacity(archiveRoot_.at(0).toUpper()) / 1024;
        result_.diskettes = capacityKb > 0 ? static_cast<int>(needKb / capacityKb) : 0;
        carryOn = ask.copyOntoDiskettes(result_.diskettes + 1);
    }
    if (needKb < measuredFreeKb_)
        result_.diskettes = 1;
    return carryOn;
}

BackupEnd BackupJob::toHardDisk(BackupQuestions& ask)
{
    try {
        measureFree();
        existingFolder(parent_);
        measure();
        if (!enoughRoom(ask))
            return BackupEnd::GivenUp;

        emitStage(Stage::CopyPhase);
        staging_ = std::make_unique<BackupStaging>(Drives::toRealPath(archiveFolder_));
        for (const QString& name : files_)
            copyFile(name);
        // The day's earlier archive gives way only to a complete, checked one.
        staging_->swapIn();
        staging_.reset();
        emitStage(Stage::ArchiveReplaced);
        return measured_ && !failed_ && p_.done == p_.total ? BackupEnd::Complete : BackupEnd::Incomplete;
    } catch (const CopyError& e) {
        result_.error = e.text();
    } catch (const BackupError& e) {
        result_.error = e.text();
    } catch (const IoError&) {
        // reported by the window in the program's words
    }
    staging_.reset();
    failed_ = true;
    return BackupEnd::Broken;
}

BackupEnd BackupJob::toDiskettes(BackupQuestions& ask)
{
    try {
        disketteNumber_ = 1;
        emitStage(Stage::ClearingDiskette);
        clearDiskette(ask);
        emitStage(Stage::DisketteHidden);
        measureFree();
        measure();
        if (!enoughRoom(ask))
            return BackupEnd::GivenUp;

        emitStage(Stage::CopyPhase);
        for (const QString& name : files_) {
            if (const auto end = fitOnDiskette(name, ask))
                return *end;
            measureFree();
            copyFile(name);
        }
    } catch (const CopyError& e) {
        result_.error = e.text();
    } catch (const IoError&) {
        // The copy stops here; the counts show it incomplete.
    }
    return measured_ && !failed_ && p_.done == p_.total ? BackupEnd::Complete : BackupEnd::Incomplete;
}

std::optional<BackupEnd> BackupJob::fitOnDiskette(const QString& name, BackupQuestions& ask)
{
    const qint64 sizeKb = fileSize(realFile(realData_, name)) / 1024;
    qint64 room = freeKbNow() - sizeKb;
    // Change diskettes until the file fits.
    while (room < 1) {
        ++disketteNumber_;
        if (!ask.insertDiskette(disketteNumber_))
            return BackupEnd::GivenUp;
        bool measuredRoom = false;
        try {
            emitStage(Stage::ClearingDiskette);
            clearDiskette(ask);
            p_.fileName = name;
            p_.from = dataDir_ + name;
            p_.to = archiveFolder_ + name;
            emitStage(Stage::DisketteReady);
            room = freeKbNow() - sizeKb;
            measuredRoom = true;
            if (room < 1)
                return BackupEnd::TooLarge;
        } catch (const IoError&) {
            // No diskette in the drive.
            if (!ask.insertDiskette(disketteNumber_))
                return BackupEnd::NoDiskette;
        }
        try {
            const qint64 free = freeKbNow();
            if (!measuredRoom)
                room = free - sizeKb;
        } catch (const IoError&) {
            room = 0; // still unreadable: ask for the next diskette
        }
    }
    return std::nullopt;
}

void BackupJob::clearDiskette(BackupQuestions& ask)
{
    const QString folder = archiveRoot_ + QStringLiteral("Archiwum\\");
    if (QDir().mkdir(Drives::toRealPath(folder)))
        return; // a new folder holds nothing to delete
    const QString realFolder = existingFolder(folder);
    const QStringList names = listedFiles(realFolder);
    p_.folder = folder;
    emitStage(Stage::DisketteListed);
    qint64 allBytes = 0;
    for (const QString& name : names)
        allBytes += fileSize(realFile(realFolder, name));
    qint64 deletedBytes = 0;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const QString path = realFile(realFolder, *it);
        const qint64 size = fileSize(path);
        if (!QFile::remove(path)) {
            ask.cannotDelete(*it);
            continue;
        }
        deletedBytes += size;
        p_.fileName = *it;
        p_.fileDone = deletedBytes;
        p_.fileSize = allBytes;
        p_.freeKb = freeKbNow();
        emitStage(Stage::Deleted);
    }
    emitStage(Stage::DisketteCleared);
}

void BackupJob::copyFile(const QString& name)
{
    p_.fileName = name;
    p_.from = dataDir_ + name;
    p_.to = archiveFolder_ + name;
    ++p_.fileNumber;
    emitStage(Stage::FileStarted);
    QFile source(Drives::toRealPath(p_.from));
    errno = 0;
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const int err = errno;
        throw CopyError(CopyError::Kind::OpenSource,
                        QStringLiteral("Nie można otworzyć pliku %1: %2").arg(p_.from, fileErrorReason(source, err)));
    }
    const QString realTarget = staging_ ? realFile(staging_->folder(), name) : Drives::toRealPath(p_.to);
    QFile target(realTarget);
    errno = 0;
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const int err = errno;
        throw CopyError(CopyError::Kind::OpenTarget,
                        QStringLiteral("Nie można utworzyć pliku %1: %2").arg(p_.to, fileErrorReason(target, err)));
    }
    const qint64 size = source.size();
    p_.fileDone = 0;
    p_.fileSize = size;
    emitStage(Stage::Bytes);
    const QString& targetName = p_.to;
    try {
        copyInBlocks(source, p_.from, target, targetName, [&](qint64 n) {
            p_.fileDone += n;
            p_.done += n;
            writtenSinceFree_ += n;
            p_.freeKb = qMax<qint64>(0, measuredFreeKb_ - writtenSinceFree_ / 1024);
            p_.stage = Stage::Bytes;
            p_.paced = true;
            if (progressFn_)
                progressFn_(p_);
            if (afterBlock_)
                afterBlock_(realTarget);
        });
        errno = 0;
        if (!syncFile(target)) {
            const int err = errno;
            throw CopyError(CopyError::Kind::Write,
                            QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, fileErrorReason(target, err)));
        }
        errno = 0;
        target.close();
        if (target.error() != QFileDevice::NoError) {
            const int err = errno;
            throw CopyError(CopyError::Kind::Write,
                            QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, fileErrorReason(target, err)));
        }
        // A copy counts once it is on the disk whole and, for a table, sound.
        verifyArchiveCopy(realTarget, targetName, size);
    } catch (const BackupError& e) {
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
    emitStage(Stage::Bytes);
    emitStage(Stage::FileDone);
}

} // namespace jadl::archive
