#pragma once
// Helpers of the backup and restore tests: snapshots of folders and extra drive
// mappings on top of the program fixture's drive C.
#include "platform/Drives.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

namespace archtest {

// Every file of a folder (not its sub-folders) with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
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

} // namespace archtest
