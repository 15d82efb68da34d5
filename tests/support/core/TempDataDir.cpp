#include "support/core/TempDataDir.h"

#include "platform/Clock.h"
#include "platform/Drives.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace jadl::test {

TempDataDir::TempDataDir(QDate today, const QString& extraDrives)
{
    hadDrives_ = qEnvironmentVariableIsSet("JADL_DRIVES");
    oldDrives_ = qgetenv("JADL_DRIVES");
    QString mapping = QStringLiteral("C=") + dir_.path();
    if (!extraDrives.isEmpty())
        mapping += QLatin1Char(',') + extraDrives;
    qputenv("JADL_DRIVES", mapping.toUtf8());
    platform::Drives::reload();
    platform::setFixedToday(today);
    hadDatabase_ = qEnvironmentVariableIsSet("JADL_DATABASE");
    oldDatabase_ = qgetenv("JADL_DATABASE");
    hadConfig_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QDir(dir_.path()).filePath(QStringLiteral(".config")).toUtf8());
    // Set even when empty: the data directory, whatever the machine's own setting.
    qputenv("JADL_DATABASE", onServer() ? freshServerDatabase().toUtf8() : QByteArray());
}

TempDataDir::~TempDataDir()
{
    if (hadDrives_)
        qputenv("JADL_DRIVES", oldDrives_);
    else
        qunsetenv("JADL_DRIVES");
    platform::Drives::reload();
    platform::setFixedToday(std::nullopt);
    auto restore = [](const char* name, bool had, const QByteArray& old) {
        if (had)
            qputenv(name, old);
        else
            qunsetenv(name);
    };
    restore("JADL_DATABASE", hadDatabase_, oldDatabase_);
    restore("XDG_CONFIG_HOME", hadConfig_, oldConfig_);
}

QString TempDataDir::dataDir() const
{
    return platform::Drives::dataDirectory();
}

QString TempDataDir::path(const QString& relative) const
{
    return dir_.filePath(relative);
}

bool writeFile(const QString& path, qint64 bytes, char fill)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray block(4096, fill);
    qint64 left = bytes;
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, block.size());
        if (f.write(block.constData(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

} // namespace jadl::test
