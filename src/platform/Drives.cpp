#include "platform/Drives.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStorageInfo>
#include <QtGlobal>

#include <algorithm>
#include <map>
#include <optional>

namespace jadl::platform {

namespace {

struct Mapping {
    QString root; // real folder, cleaned
    std::optional<qint64> capacity; // stated capacity of a diskette mapping
};

struct DriveTable {
    std::map<QChar, Mapping> map; // key: upper-case letter
    bool loaded = false;
};

DriveTable& table()
{
    static DriveTable t;
    return t;
}

QChar upper(QChar c)
{
    return c.toUpper();
}

bool isDriveLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

void load()
{
    DriveTable& t = table();
    t.map.clear();
    t.loaded = true;
    t.map[QLatin1Char('C')] = Mapping{QDir::cleanPath(QDir::homePath()), std::nullopt};
    const QString mapping = qEnvironmentVariable("JADL_DRIVES");
    const QStringList entries = mapping.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed();
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq != 1 || !isDriveLetter(entry.at(0))) {
            qWarning("JADL_DRIVES: ignoring \"%s\" (expected LETTER=folder)", qPrintable(entry));
            continue;
        }
        QString path = entry.mid(2).trimmed();
        std::optional<qint64> capacity;
        // A trailing ":<bytes>" states the capacity of the drive (a diskette image folder).
        const qsizetype colon = path.lastIndexOf(QLatin1Char(':'));
        if (colon > 0) {
            bool ok = false;
            const qint64 bytes = path.mid(colon + 1).toLongLong(&ok);
            if (ok && bytes >= 0) {
                capacity = bytes;
                path.truncate(colon);
            }
        }
        if (path.isEmpty()) {
            qWarning("JADL_DRIVES: ignoring \"%s\" (no folder)", qPrintable(entry));
            continue;
        }
        t.map[upper(entry.at(0))] = Mapping{QDir::cleanPath(path), capacity};
    }
}

DriveTable& loaded()
{
    DriveTable& t = table();
    if (!t.loaded)
        load();
    return t;
}

QString driveName(QChar letter)
{
    return QString(upper(letter)) + QLatin1Char(':');
}

// The mapping of a letter whose folder exists; IoError otherwise. `context` is the
// path the caller asked about, so the message names it.
const Mapping& mountedDrive(QChar letter, const QString& context)
{
    const DriveTable& t = loaded();
    const auto it = t.map.find(upper(letter));
    const QString what = context.isEmpty() ? driveName(letter) : context;
    if (it == t.map.end())
        throw IoError(QStringLiteral("Napęd %1 jest niedostępny: %2").arg(driveName(letter), what));
    if (!QFileInfo(it->second.root).isDir())
        throw IoError(QStringLiteral("Napęd %1 jest niedostępny (brak folderu %2): %3")
                          .arg(driveName(letter), it->second.root, what));
    return it->second;
}

// Finds an entry of `dir` whose name equals `name` without regard to case; exact
// spelling wins when both exist.
std::optional<QString> findEntry(const QString& dir, const QString& name)
{
    if (QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                    QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    }
    return std::nullopt;
}

qint64 bytesUnder(const QString& root)
{
    qint64 total = 0;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

QStorageInfo storageOf(QChar letter, const Mapping& m)
{
    QStorageInfo info(m.root);
    if (!info.isValid() || !info.isReady())
        throw IoError(QStringLiteral("Nie można odczytać stanu napędu %1 (%2)").arg(driveName(letter), m.root));
    return info;
}

} // namespace

void Drives::reload()
{
    load();
}

QChar Drives::programDrive()
{
    return QLatin1Char('C');
}

QList<DriveInfo> Drives::drives()
{
    QList<DriveInfo> out;
    for (const auto& [letter, m] : loaded().map)
        out.append(DriveInfo{letter, m.root, driveType(letter)});
    return out;
}

bool Drives::isMapped(QChar letter)
{
    const DriveTable& t = loaded();
    return t.map.find(upper(letter)) != t.map.end();
}

DriveType Drives::driveType(QChar letter)
{
    const QChar u = upper(letter);
    return (u == QLatin1Char('A') || u == QLatin1Char('B')) ? DriveType::Removable : DriveType::Fixed;
}

QString Drives::rootOf(QChar letter)
{
    return mountedDrive(letter, QString()).root;
}

QString Drives::toRealPath(const QString& drivePath)
{
    const QString path = drivePath.trimmed();
    if (path.startsWith(QLatin1Char('/')))
        return path; // already a real absolute path

    QChar letter = programDrive();
    QString rest;
    if (path.size() >= 2 && isDriveLetter(path.at(0)) && path.at(1) == QLatin1Char(':')) {
        letter = path.at(0);
        rest = path.mid(2);
    } else if (path.startsWith(QLatin1Char('\\'))) {
        rest = path; // the root of the program drive
    } else {
        // Relative to the current folder, as the platform would take it.
        QString relative = path;
        relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return relative;
    }

    const Mapping& m = mountedDrive(letter, drivePath);
    QString real = m.root;
    bool exists = true;
    QString normalized = rest;
    normalized.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QStringList resolved;
    for (const QString& part : normalized.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!resolved.isEmpty())
                resolved.removeLast();
            continue;
        }
        resolved.append(part);
    }
    for (const QString& part : resolved) {
        if (exists) {
            if (const auto found = findEntry(real, part)) {
                real += QLatin1Char('/') + *found;
                continue;
            }
            exists = false;
        }
        real += QLatin1Char('/') + part;
    }
    return QDir::cleanPath(real);
}

QString Drives::toDrivePath(const QString& realPath)
{
    const QString clean = QDir::cleanPath(QFileInfo(realPath).absoluteFilePath());
    const QString canonical = QFileInfo(realPath).canonicalFilePath();
    std::optional<QChar> best;
    QString bestRest;
    qsizetype bestLength = -1;
    for (const auto& [letter, m] : loaded().map) {
        QStringList roots{m.root};
        const QString canonicalRoot = QFileInfo(m.root).canonicalFilePath();
        if (!canonicalRoot.isEmpty() && canonicalRoot != m.root)
            roots.append(canonicalRoot);
        for (const QString& root : roots) {
            for (const QString& candidate : {clean, canonical}) {
                if (candidate.isEmpty())
                    continue;
                const bool under = candidate == root ||
                    (candidate.startsWith(root) &&
                     (root.endsWith(QLatin1Char('/')) || candidate.at(root.size()) == QLatin1Char('/')));
                const bool better = root.size() > bestLength || (root.size() == bestLength && letter == programDrive());
                if (!under || !better)
                    continue;
                // Longest root wins; among equal roots the program drive is preferred.
                best = letter;
                bestLength = root.size();
                bestRest = candidate.mid(root.size());
            }
        }
    }
    if (!best)
        return realPath;
    QString rest = bestRest;
    if (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return driveName(*best) + QLatin1Char('\\') + rest;
}

qint64 Drives::freeSpace(QChar letter)
{
    const Mapping& m = mountedDrive(letter, QString());
    const qint64 real = storageOf(letter, m).bytesAvailable();
    if (!m.capacity)
        return real;
    return std::clamp<qint64>(*m.capacity - bytesUnder(m.root), 0, real);
}

qint64 Drives::capacity(QChar letter)
{
    const Mapping& m = mountedDrive(letter, QString());
    if (m.capacity)
        return *m.capacity;
    return storageOf(letter, m).bytesTotal();
}

QString Drives::dataDirectory()
{
    const QString real = toRealPath(dataDirectoryDrivePath());
    if (!QDir().mkpath(real))
        throw IoError(QStringLiteral("Nie można utworzyć folderu danych %1").arg(real));
    return real;
}

QString Drives::dataDirectoryDrivePath()
{
    return driveName(programDrive()) + QStringLiteral("\\Jadl\\Dane_bar");
}

} // namespace jadl::platform
