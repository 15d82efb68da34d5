#include "work/RestoreJob.h"

#include "common/SystemErrors.h"
#include "platform/Drives.h"
#include "store/TableDefs.h"
#include "work/ArchiveFiles.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

namespace jadl::archive {

using platform::Drives;
using platform::IoError;
using Stage = RestoreProgress::Stage;

namespace {

QString withBackslash(const QString& drivePath)
{
    return drivePath.endsWith(QLatin1Char('\\')) ? drivePath : drivePath + QLatin1Char('\\');
}

} // namespace

RestoreJob::RestoreJob(const RestoreSource& source, const QString& dataDir, Progress progress)
    : source_(source), dataDir_(dataDir), programRoot_(dataDir.left(3)), progressFn_(std::move(progress))
{
    sameDrive_ = programRoot_.at(0) == source_.archiveRoot.at(0);
    diskette_ = isDisketteLetter(source_.archiveRoot.at(0));
}

RestoreJob::~RestoreJob() = default;

void RestoreJob::emitStage(Stage stage)
{
    p_.stage = stage;
    p_.paced = false;
    if (progressFn_)
        progressFn_(p_);
}

RestoreResult RestoreJob::run(RestoreQuestions& ask)
{
    result_.end = steps(ask);
    result_.archiveBytes = p_.total;
    result_.restoredBytes = p_.done;
    return result_;
}

RestoreEnd RestoreJob::steps(RestoreQuestions& ask)
{
    if (!isArchiveFolder(source_.chosenFolder, programRoot_, source_.archiveRoot, sameDrive_, diskette_)) {
        return RestoreEnd::NotArchive;
    }
    emitStage(Stage::Checked);
    try {
        freeKb_ = Drives::freeSpace(programRoot_.at(0)) / 1024;
    } catch (const IoError&) {
        freeKb_ = 0;
    }
    p_.freeKb = freeKb_;

    if (!diskette_) {
        archiveFolder_ = withBackslash(source_.listedFolder);
        listArchive(source_.listedFolder);
        if (p_.total != 0 && !confirmMissingTables(ask)) {
            return RestoreEnd::Declined;
        }
        restoreListed();
    } else if (source_.last.diskettes == 0) {
        return RestoreEnd::NoDisketteBackup;
    } else if (source_.last.diskettes == 1) {
        for (bool done = false; !done;) {
            // Each attempt reads the diskette afresh: its bytes count once.
            p_.total = 0;
            p_.done = 0;
            p_.fileNumber = 0;
            try {
                const QString folder = diskSpelling(source_.archiveRoot + QStringLiteral("Archiwum\\"));
                archiveFolder_ = withBackslash(folder);
                listArchive(folder);
                if (!confirmMissingTables(ask)) {
                    return RestoreEnd::Declined;
                }
                staging_.reset();
                result_.failures.clear();
                restoreListed();
                done = true;
            } catch (const IoError&) {
                if (!ask.insertDiskette()) {
                    staging_.reset();
                    return RestoreEnd::NoDiskette;
                }
            }
        }
    }
    // A backup on two or more diskettes cannot be restored: nothing is copied.

    // Every file arrived whole, or no data file is touched at all.
    bool complete = !result_.writeError && result_.failures.isEmpty();
    if (complete)
        complete = commitStaged();
    else
        staging_.reset();
    return outcome(complete);
}

RestoreEnd RestoreJob::outcome(bool complete) const
{
    const qint64 archive = p_.total;
    const qint64 restored = p_.done;
    if (diskette_) // only a one-diskette backup is ever restored; anything else restored nothing
        return complete && source_.last.diskettes == 1 && archive == source_.last.bytes ? RestoreEnd::Restored
                                                                                        : RestoreEnd::Incomplete;
    if (complete && restored == archive && restored != 0)
        return RestoreEnd::Restored;
    if (complete && restored == 0 && archive == 0)
        return RestoreEnd::NothingListed;
    return RestoreEnd::Incomplete;
}

void RestoreJob::listArchive(const QString& drivePath)
{
    const QString real = existingFolder(drivePath);
    names_ = listedFiles(real);
    p_.folder = drivePath;
    emitStage(Stage::Listed);
    for (const QString& name : names_)
        p_.total += fileSize(real + QLatin1Char('/') + name);
}

bool RestoreJob::confirmMissingTables(RestoreQuestions& ask) const
{
    QStringList missing;
    for (const TableDef* def : tabledefs::all()) {
        const bool there = std::any_of(names_.begin(), names_.end(), [def](const QString& n) {
            return n.compare(def->fileName, Qt::CaseInsensitive) == 0;
        });
        if (!there)
            missing << def->fileName;
    }
    // Half an archive beside today's other tables mixes two days' data: only on the user's word.
    return missing.isEmpty() || ask.restoreWithout(missing);
}

void RestoreJob::restoreListed()
{
    emitStage(Stage::Restoring);
    try {
        for (const QString& name : names_)
            restoreFile(name);
    } catch (const CopyError& e) {
        result_.writeError = e.text();
    }
    emitStage(Stage::Copied);
}

void RestoreJob::restoreFile(const QString& name)
{
    p_.from = archiveFolder_ + name;
    p_.to = dataDir_ + name;
    ++p_.fileNumber;
    emitStage(Stage::FileStarted);
    const QString& sourceName = p_.from;
    const QString& targetName = p_.to;
    QString sourcePath;
    try {
        sourcePath = Drives::toRealPath(sourceName);
    } catch (const IoError& e) {
        result_.failures.append(e.text()); // the archive drive went away
        return;
    }
    QFile source(sourcePath);
    errno = 0;
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        // Skipped: its data file stays as it is and the run counts as incomplete.
        const int err = errno;
        result_.failures.append(
            QStringLiteral("Nie można otworzyć pliku %1: %2").arg(sourceName, fileErrorReason(source, err)));
        return;
    }
    if (!staging_)
        staging_ = std::make_unique<RestoreStaging>(Drives::toRealPath(dataDir_));
    QFile staged(staging_->stagedPath(name));
    errno = 0;
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const int err = errno;
        throw CopyError(CopyError::Kind::OpenTarget,
                        QStringLiteral("Nie można zapisać pliku %1: %2").arg(targetName, fileErrorReason(staged, err)));
    }

    const qint64 size = source.size();
    p_.fileDone = 0;
    p_.fileSize = size;
    emitStage(Stage::Bytes);
    try {
        copyInBlocks(source, sourceName, staged, targetName, [&](qint64 n) {
            p_.fileDone += n;
            p_.done += n;
            p_.freeKb = qMax<qint64>(0, freeKb_ - p_.done / 1024);
            p_.stage = Stage::Bytes;
            p_.paced = true;
            if (progressFn_)
                progressFn_(p_);
            if (afterBlock_)
                afterBlock_(sourceName);
        });
    } catch (const CopyError& e) {
        if (!e.sourceSide())
            throw; // the data disk refuses to write: the run stops
        result_.failures.append(e.text());
        return;
    }
    errno = 0;
    if (!syncFile(staged)) {
        const int err = errno;
        throw CopyError(CopyError::Kind::Write,
                        QStringLiteral("Błąd zapisu pliku %1: %2").arg(targetName, fileErrorReason(staged, err)));
    }
    emitStage(Stage::Bytes);
    if (p_.fileDone != size) {
        result_.failures.append(QStringLiteral("Plik %1 odczytano niecały (%2 z %3 bajtów)")
                                    .arg(sourceName, QString::number(p_.fileDone), QString::number(size)));
        return;
    }
    staging_->add(name);
}

bool RestoreJob::commitStaged()
{
    if (!staging_)
        return true; // nothing was staged: nothing to replace
    // Nothing replaces a data file before every new one is proven sound.
    const QStringList problems = staging_->check();
    if (!problems.isEmpty()) {
        for (const QString& p : problems)
            result_.failures.append(QStringLiteral("Plik archiwum %1%2").arg(archiveFolder_, p));
        staging_.reset();
        return false;
    }
    try {
        if (commitRename_)
            staging_->setRename(commitRename_);
        staging_->commit();
    } catch (const RestoreError& e) {
        result_.failures.append(e.text() + QStringLiteral(" - dane pozostały bez zmian"));
        staging_.reset();
        return false;
    }
    staging_.reset();
    return true;
}

} // namespace jadl::archive
