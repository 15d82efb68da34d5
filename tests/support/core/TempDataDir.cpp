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
    engine_ = std::make_unique<EngineEnvironment>(dir_.path());
}

TempDataDir::~TempDataDir()
{
    if (hadDrives_)
        qputenv("JADL_DRIVES", oldDrives_);
    else
        qunsetenv("JADL_DRIVES");
    platform::Drives::reload();
    platform::setFixedToday(std::nullopt);
    engine_.reset();
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
