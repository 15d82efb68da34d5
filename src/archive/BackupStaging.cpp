#include "archive/BackupStaging.h"

#include "archive/ArchiveFiles.h"
#include "archive/RestoreStaging.h"
#include "store/TableSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jadl::archive {

namespace {

// Hidden names: the archive lists never show them.
QString besideName(const QString& realFolder, const QString& tag)
{
    const QFileInfo fi(realFolder);
    return fi.dir().filePath(QLatin1Char('.') + fi.fileName() + QLatin1Char('.') + tag);
}

} // namespace

BackupStaging::BackupStaging(const QString& realArchiveFolder)
    : target_(QDir::cleanPath(realArchiveFolder)), staging_(besideName(target_, QStringLiteral("nowa")))
{
    QDir(staging_).removeRecursively(); // left by a backup that did not finish
    if (!QDir().mkpath(staging_))
        throw BackupError(QStringLiteral("Nie można utworzyć folderu %1").arg(staging_));
}

BackupStaging::~BackupStaging()
{
    if (!swapped_)
        QDir(staging_).removeRecursively();
}

void BackupStaging::swapIn()
{
    const QString parent = QFileInfo(target_).absolutePath();
    const QString earlier = besideName(target_, QStringLiteral("stara"));
    QDir(earlier).removeRecursively();
    const bool hadEarlier = QFileInfo::exists(target_);
    if (hadEarlier && !QDir().rename(target_, earlier))
        throw BackupError(QStringLiteral("Nie można zastąpić folderu %1").arg(target_));
    if (!QDir().rename(staging_, target_)) {
        if (hadEarlier)
            QDir().rename(earlier, target_);
        throw BackupError(QStringLiteral("Nie można utworzyć folderu %1").arg(target_));
    }
    swapped_ = true;
    syncFolder(parent);
    QDir(earlier).removeRecursively();
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
