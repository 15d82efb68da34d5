#include "work/BackupStaging.h"

#include "common/SystemErrors.h"
#include "store/TableSchema.h"
#include "work/ArchiveFiles.h"
#include "work/RestoreStaging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace jadl::archive {

namespace {

const QString kNew = QStringLiteral("nowa");
const QString kOld = QStringLiteral("stara");
// Written into a staging folder once all its files are on disk and checked: only
// a marked staging may become the day's folder.
const QString kComplete = QStringLiteral(".kopia-kompletna");

// Hidden names: the archive lists never show them.
QString besideName(const QString& realFolder, const QString& tag)
{
    const QFileInfo fi(realFolder);
    return fi.dir().filePath(QLatin1Char('.') + fi.fileName() + QLatin1Char('.') + tag);
}

bool isComplete(const QString& folder)
{
    return QFileInfo::exists(QDir(folder).filePath(kComplete));
}

void removeFolder(const QString& folder)
{
    if (QFileInfo::exists(folder) && !QDir(folder).removeRecursively())
        throw BackupError(QStringLiteral("Nie można usunąć folderu %1").arg(folder));
}

bool plainRename(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Both folders change places in one step, or nothing happens (false).
bool exchange(const QString& a, const QString& b)
{
#ifdef __linux__
    return ::renameat2(AT_FDCWD, QFile::encodeName(a).constData(), AT_FDCWD, QFile::encodeName(b).constData(),
                       RENAME_EXCHANGE) == 0;
#else
    Q_UNUSED(a);
    Q_UNUSED(b);
    errno = ENOSYS;
    return false;
#endif
}

QString failure(const QString& text, int err)
{
    return err ? QStringLiteral("%1: %2").arg(text, systemErrorReason(err)) : text;
}

// A file of the earlier folder into the staging: a second name for it where the
// disk allows (nothing is copied), else a copy.
void carry(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return;
    errno = 0;
    if (!QFile::copy(from, to)) {
        const int err = errno;
        throw BackupError(failure(QStringLiteral("Nie można przenieść pliku %1 do nowej kopii").arg(from), err));
    }
}

void carryFolder(const QDir& from, const QDir& to)
{
    const auto entries = from.entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                            QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString there = to.filePath(e.fileName());
        if (e.fileName() == kComplete || QFileInfo::exists(there))
            continue; // what the new backup wrote replaces the earlier file of that name
        if (e.isDir() && !e.isSymLink()) {
            if (!QDir().mkpath(there))
                throw BackupError(QStringLiteral("Nie można utworzyć folderu %1").arg(there));
            carryFolder(QDir(e.filePath()), QDir(there));
        } else {
            carry(e.filePath(), there);
        }
    }
}

void writeMarker(const QString& folder)
{
    QFile marker(QDir(folder).filePath(kComplete));
    errno = 0;
    if (!marker.open(QIODevice::WriteOnly | QIODevice::Truncate) || !syncFile(marker)) {
        const int err = errno;
        throw BackupError(failure(QStringLiteral("Nie można zapisać pliku %1").arg(marker.fileName()), err));
    }
}

// The day's folder named by a hidden leftover ".06_12_2026.nowa".
QString dayFolderOf(const QDir& parent, const QString& hidden, const QString& tag)
{
    return parent.filePath(hidden.mid(1, hidden.size() - tag.size() - 2));
}

} // namespace

BackupStaging::BackupStaging(const QString& realArchiveFolder)
    : target_(QDir::cleanPath(realArchiveFolder)), staging_(besideName(target_, kNew))
{
    // What an earlier backup of the day left half-swapped is settled first.
    recover(QFileInfo(target_).absolutePath());
    removeFolder(staging_); // left by a backup that did not finish
    if (!QDir().mkpath(staging_))
        throw BackupError(QStringLiteral("Nie można utworzyć folderu %1").arg(staging_));
}

BackupStaging::~BackupStaging()
{
    if (!swapped_)
        QDir(staging_).removeRecursively();
}

void BackupStaging::step(const char* name) const
{
    if (stepHook_)
        stepHook_(name);
}

void BackupStaging::carryOverEarlierFiles() const
{
    if (QFileInfo(target_).isDir())
        carryFolder(QDir(target_), QDir(staging_));
}

void BackupStaging::swapIn()
{
    const QString parent = QFileInfo(target_).absolutePath();
    const QString earlier = besideName(target_, kOld);
    step("carry");
    carryOverEarlierFiles();
    step("mark");
    writeMarker(staging_);
    syncFolder(staging_);
    removeFolder(earlier);
    const bool hadEarlier = QFileInfo::exists(target_);
    if (!hadEarlier) {
        step("rename");
        errno = 0;
        if (!plainRename(staging_, target_))
            throw BackupError(failure(QStringLiteral("Nie można utworzyć folderu %1").arg(target_), errno));
    } else {
        step("exchange");
        if (exchangeAllowed_ && exchange(staging_, target_)) {
            // The earlier folder now bears the staging's name.
            QDir().rename(staging_, earlier);
        } else {
            if (exchangeAllowed_ && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
                throw BackupError(failure(QStringLiteral("Nie można zastąpić folderu %1").arg(target_), errno));
            // No exchange on this disk: two renames, made good by recover() if cut.
            errno = 0;
            if (!plainRename(target_, earlier))
                throw BackupError(failure(QStringLiteral("Nie można zastąpić folderu %1").arg(target_), errno));
            step("second-rename");
            errno = 0;
            if (!plainRename(staging_, target_)) {
                const int err = errno;
                plainRename(earlier, target_);
                throw BackupError(failure(QStringLiteral("Nie można utworzyć folderu %1").arg(target_), err));
            }
        }
    }
    swapped_ = true;
    syncFolder(parent);
    step("unmark");
    QFile::remove(QDir(target_).filePath(kComplete));
    step("clean");
    QDir(earlier).removeRecursively();
    syncFolder(parent);
}

void BackupStaging::recover(const QString& realArchiveParent)
{
    const QDir parent(realArchiveParent);
    if (!parent.exists())
        return;
    // The days a swap may have been cut short on: those with a hidden staging or
    // earlier folder beside them, and those still carrying the staging's mark.
    QStringList days;
    for (const QString& name : parent.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QString day;
        for (const QString& tag : {kNew, kOld})
            if (name.startsWith(QLatin1Char('.')) && name.endsWith(QLatin1Char('.') + tag))
                day = dayFolderOf(parent, name, tag);
        if (day.isEmpty() && !name.startsWith(QLatin1Char('.')) && isComplete(parent.filePath(name)))
            day = parent.filePath(name);
        if (!day.isEmpty() && !days.contains(day))
            days << day;
    }
    for (const QString& day : days) {
        const QString staged = besideName(day, kNew);
        const QString earlier = besideName(day, kOld);
        if (!QFileInfo::exists(day)) {
            // Cut between the two renames (or before the rename of a new day):
            // the complete new copy, else the earlier one, comes back.
            if (isComplete(staged))
                plainRename(staged, day);
            else if (QFileInfo::exists(earlier))
                plainRename(earlier, day);
            else
                QDir(staged).removeRecursively(); // a copy that never finished, of a day without one
        }
        if (QFileInfo::exists(day)) {
            QFile::remove(QDir(day).filePath(kComplete));
            QDir(staged).removeRecursively();
            QDir(earlier).removeRecursively();
        }
    }
    if (!days.isEmpty())
        syncFolder(realArchiveParent);
}

void verifyArchiveCopy(const QString& realPath, const QString& shownName, qint64 expectedSize)
{
    const QFileInfo fi(realPath);
    if (!fi.exists())
        throw BackupError(QStringLiteral("Kopii pliku %1 nie ma na dysku").arg(shownName));
    if (fi.size() != expectedSize)
        throw BackupError(QStringLiteral("Kopia pliku %1 ma %2 bajtów zamiast %3")
                              .arg(shownName, QString::number(fi.size()), QString::number(expectedSize)));
    if (!fi.fileName().endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
        return;
    if (const auto reason = checkTableFile(realPath))
        throw BackupError(QStringLiteral("Kopia pliku %1 jest niepoprawna: %2").arg(shownName, *reason));
}

void settleJournals(const QString& realDataDir)
{
    const QDir dir(realDataDir);
    for (const QString& name : dir.entryList(QDir::Files)) {
        if (RestoreStaging::isJournal(name) || !name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
            continue;
        bool journalled = false;
        for (const QString& j : RestoreStaging::journalsOf(name))
            journalled = journalled || QFileInfo::exists(dir.filePath(j));
        if (!journalled)
            continue;
        // Opening the file rolls a hot journal back (and folds a log in) as the
        // next open of the table would.
        if (const auto reason = checkTableFile(dir.filePath(name), false))
            throw BackupError(QStringLiteral("Plik %1: %2").arg(dir.filePath(name), *reason));
        // What SQLite did not apply is no journal it would ever apply (empty or
        // with its header zeroed): it is removed rather than archived.
        for (const QString& j : RestoreStaging::journalsOf(name)) {
            const QString path = dir.filePath(j);
            if (QFileInfo::exists(path) && !QFile::remove(path))
                throw BackupError(QStringLiteral("Nie można usunąć pliku %1").arg(path));
        }
    }
}

} // namespace jadl::archive
