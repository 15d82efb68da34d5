#include "work/RestoreStaging.h"

#include "common/SystemErrors.h"
#include "store/FileHealth.h"
#include "store/TableSchema.h"
#include "work/ArchiveFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <vector>

namespace jadl::archive {

namespace {

const QString kFolder = QStringLiteral(".odtwarzanie");
const QString kNew = QStringLiteral("nowe");
const QString kOld = QStringLiteral("stare");
const QString kManifest = QStringLiteral("przenosiny.txt");
const QStringList kJournalEndings{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

bool plainRename(const QString& from, const QString& to)
{
    return QFile::rename(from, to);
}

// The data file of that name as the directory spells it (names are not case-sensitive).
QString existingSpelling(const QDir& dir, const QString& name)
{
    for (const QString& e : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return name;
}

// Moves recorded relative to the data directory ("Towary.DB" -> ".odtwarzanie/stare/Towary.DB").
struct Move {
    QString from;
    QString to;
};

std::vector<Move> readManifest(const QString& path)
{
    std::vector<Move> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList parts = in.readLine().split(QLatin1Char('\t'));
        if (parts.size() == 2)
            out.push_back({parts[0], parts[1]});
    }
    return out;
}

} // namespace

bool RestoreStaging::isJournal(const QString& name)
{
    for (const QString& end : kJournalEndings)
        if (name.endsWith(end, Qt::CaseInsensitive))
            return true;
    return false;
}

QStringList RestoreStaging::journalsOf(const QString& name)
{
    QStringList out;
    for (const QString& end : kJournalEndings)
        out << name + end;
    return out;
}

void RestoreStaging::recover(const QString& realDataDir)
{
    const QDir data(realDataDir);
    const QString root = data.filePath(kFolder);
    if (!QFileInfo::exists(root))
        return;
    // Undo the recorded moves from the last one back; a move that never happened
    // left its source in place and is skipped.
    const std::vector<Move> moves = readManifest(QDir(root).filePath(kManifest));
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
        const QString from = data.filePath(it->from);
        const QString to = data.filePath(it->to);
        if (QFileInfo::exists(to) && !QFileInfo::exists(from) && !QFile::rename(to, from))
            throw RestoreError(
                QStringLiteral("Nie można przywrócić pliku %1 po przerwanym odtwarzaniu danych").arg(from));
    }
    QDir(root).removeRecursively();
    syncFolder(realDataDir);
}

RestoreStaging::RestoreStaging(const QString& realDataDir) : dataDir_(realDataDir), rename_(plainRename)
{
    recover(realDataDir);
    root_ = QDir(realDataDir).filePath(kFolder);
    if (!QDir().mkpath(QDir(root_).filePath(kNew)) || !QDir().mkpath(QDir(root_).filePath(kOld)))
        throw RestoreError(QStringLiteral("Nie można utworzyć folderu %1").arg(root_));
}

RestoreStaging::~RestoreStaging()
{
    // After a commit the folder holds only the originals that were replaced.
    if (!keepForRecovery_ && !inCommit_)
        QDir(root_).removeRecursively();
}

QString RestoreStaging::stagedPath(const QString& name) const
{
    return QDir(root_).filePath(kNew + QLatin1Char('/') + name);
}

void RestoreStaging::add(const QString& name)
{
    if (!names_.contains(name))
        names_.append(name);
}

QStringList RestoreStaging::check() const
{
    QStringList problems;
    for (const QString& name : names_) {
        if (isJournal(name) || !name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
            continue; // not a table file: copied as it is
        if (const auto reason = checkTableFile(stagedPath(name)))
            problems << QStringLiteral("%1: %2").arg(name, *reason);
    }
    return problems;
}

void RestoreStaging::commit()
{
    const QDir data(dataDir_);
    const QString manifestPath = QDir(root_).filePath(kManifest);
    QFile manifest(manifestPath);
    errno = 0;
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        const int err = errno;
        throw RestoreError(
            QStringLiteral("Nie można zapisać pliku %1: %2").arg(manifestPath, fileErrorReason(manifest, err)));
    }

    inCommit_ = true;
    std::vector<Move> done;
    const auto move = [&](const QString& from, const QString& to) {
        // Recorded on disk before it happens, so a crash can be undone.
        const QByteArray line = (from + QLatin1Char('\t') + to + QLatin1Char('\n')).toUtf8();
        errno = 0;
        if (!writeWhole(manifest, line.constData(), line.size()) || !manifest.flush() || !syncFile(manifest)) {
            const int err = errno;
            throw RestoreError(
                QStringLiteral("Nie można zapisać pliku %1: %2").arg(manifestPath, fileErrorReason(manifest, err)));
        }
        errno = 0;
        if (!rename_(data.filePath(from), data.filePath(to))) {
            const int err = errno;
            throw RestoreError(
                QStringLiteral("Nie można zastąpić pliku %1: %2")
                    .arg(data.filePath(to), err ? systemErrorReason(err) : QStringLiteral("nieznana przyczyna")));
        }
        done.push_back({from, to});
    };
    const QString newDir = kFolder + QLatin1Char('/') + kNew + QLatin1Char('/');
    const QString oldDir = kFolder + QLatin1Char('/') + kOld + QLatin1Char('/');
    try {
        for (const QString& name : names_) {
            if (isJournal(name))
                continue; // rolled into its file by the check; never put beside a restored file
            const QString target = existingSpelling(data, name);
            for (const QString& old : QStringList{target} + journalsOf(target)) {
                const QString spelled = existingSpelling(data, old);
                if (QFileInfo::exists(data.filePath(spelled)))
                    move(spelled, oldDir + spelled);
            }
            move(newDir + name, target);
        }
        syncFolder(dataDir_);
    } catch (const RestoreError& e) {
        QStringList stuck;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (!rename_(data.filePath(it->to), data.filePath(it->from)))
                stuck << data.filePath(it->from);
        }
        syncFolder(dataDir_);
        if (!stuck.isEmpty()) {
            keepForRecovery_ = true; // the manifest lets the next start finish the roll-back
            throw RestoreError(e.text() + QStringLiteral("; nie przywrócono: ") + stuck.join(QStringLiteral(", ")));
        }
        manifest.close();
        QFile::remove(manifestPath);
        inCommit_ = false;
        throw;
    }
    manifest.close();
    QFile::remove(manifestPath);
    inCommit_ = false;
    committed_ = true;
    // Each restored file was checked sound before it came in.
    for (const QString& name : names_)
        filehealth::forget(data.filePath(existingSpelling(data, name)));
}

} // namespace jadl::archive
