#include "work/ServerFolder.h"

#include "platform/Drives.h"
#include "store/TableDefs.h"

#include <QDir>
#include <QFileInfo>

namespace jadl::archive {

ServerFolder::ServerFolder(QChar drive, const QString& name)
    : drivePath_(QString(drive) + QStringLiteral(":\\Jadl\\") + name + QLatin1Char('\\'))
{
    realPath_ = platform::Drives::toRealPath(drivePath_);
    QDir dir(realPath_);
    if ((dir.exists() && !dir.removeRecursively()) || !QDir().mkpath(realPath_))
        throw platform::IoError(QStringLiteral("Nie można przygotować katalogu %1").arg(drivePath_));
}

ServerFolder::~ServerFolder()
{
    QDir(realPath_).removeRecursively();
}

QStringList ServerFolder::tableFiles() const
{
    QStringList out;
    // Table files only: "Towary.DB-journal" names the same table but is none.
    for (const QString& f : QDir(realPath_).entryList(QDir::Files))
        if (QFileInfo(f).suffix().compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 && tabledefs::find(f))
            out << f;
    return out;
}

} // namespace jadl::archive
