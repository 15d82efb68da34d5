#pragma once
// Helpers of the backup and restore tests: snapshots of folders and extra drive
// mappings on top of the program fixture's drive C.
#include "platform/Drives.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>

namespace archtest {

// Every file of a folder as the archive lists show it (not its sub-folders, not
// the program's hidden lock) with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            out.insert(name, f.readAll());
    }
    return out;
}

inline qint64 totalSize(const QMap<QString, QByteArray>& files)
{
    qint64 total = 0;
    for (const QByteArray& bytes : files)
        total += bytes.size();
    return total;
}

// Maps drive C to `root` and the extra letters ("D=/x,A=/y:65536") beside it.
inline void mapDrives(const QString& root, const QString& extra)
{
    QByteArray mapping = QByteArray("C=") + root.toUtf8();
    if (!extra.isEmpty())
        mapping += QByteArray(",") + extra.toUtf8();
    qputenv("JADL_DRIVES", mapping);
    jadl::platform::Drives::reload();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Bytes that differ from block to block, so a misplaced block shows.
inline QByteArray patterned(qint64 size, int seed = 1)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        out[i] = static_cast<char>((i * 31 + i / 1024 * 7 + seed) & 0xff);
    return out;
}

// Leaves the table file as a crash in the middle of a transaction leaves it: the
// file partly changed by `change` and a hot journal beside it holding the pages
// as they were committed. Returns false when SQLite wrote nothing before the crash.
inline bool leaveHotJournal(const QString& dbPath, const QString& change)
{
    const QString journal = dbPath + QStringLiteral("-journal");
    QByteArray crashedDb, crashedJournal;
    {
        SQLite::Database db(dbPath.toStdString(), SQLite::OPEN_READWRITE);
        db.exec("PRAGMA cache_size=10"); // a small cache spills changed pages into the file
        db.exec("BEGIN");
        db.exec(change.toStdString());
        QFile f(dbPath), j(journal);
        if (!f.open(QIODevice::ReadOnly) || !j.open(QIODevice::ReadOnly))
            return false;
        crashedDb = f.readAll();
        crashedJournal = j.readAll();
        db.exec("ROLLBACK");
    }
    QFile committed(dbPath);
    if (!committed.open(QIODevice::ReadOnly) || committed.readAll() == crashedDb || crashedJournal.isEmpty())
        return false;
    committed.close();
    return writeBytes(dbPath, crashedDb) && writeBytes(journal, crashedJournal);
}

inline int rowCount(const QString& dbPath, const QString& table)
{
    SQLite::Database db(dbPath.toStdString(), SQLite::OPEN_READWRITE);
    return db.execAndGet(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table).toStdString()).getInt();
}

} // namespace archtest
