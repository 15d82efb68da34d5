#include "common/SystemErrors.h"

#include <QFileDevice>

#include <cerrno>
#include <cstring>

namespace jadl {

QString systemErrorReason(int err)
{
    switch (err) {
    case ENOSPC:
        return QStringLiteral("brak miejsca na dysku");
    case EDQUOT:
        return QStringLiteral("przekroczony przydział miejsca na dysku");
    case EFBIG:
        return QStringLiteral("plik przekracza największy rozmiar dozwolony na tym dysku");
    case EACCES:
    case EPERM:
        return QStringLiteral("brak uprawnień");
    case EROFS:
        return QStringLiteral("nośnik tylko do odczytu");
    case ENOENT:
        return QStringLiteral("plik lub folder nie istnieje");
    case ENOTDIR:
        return QStringLiteral("folder nie istnieje");
    case EISDIR:
        return QStringLiteral("pod tą nazwą jest folder");
    case ENAMETOOLONG:
        return QStringLiteral("za długa nazwa pliku");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("za dużo otwartych plików");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("plik jest używany");
    case EIO:
        return QStringLiteral("błąd wejścia/wyjścia nośnika (uszkodzony lub odłączony dysk)");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("urządzenie jest niedostępne");
    case ENOMEM:
        return QStringLiteral("brak pamięci");
    case EEXIST:
        return QStringLiteral("plik już istnieje");
    default:
        return QStringLiteral("%1 (kod %2)").arg(QString::fromLocal8Bit(std::strerror(err))).arg(err);
    }
}

QString fileErrorReason(const QFileDevice& file, int err)
{
    if (err != 0)
        return systemErrorReason(err);
    // Qt words the remaining cases itself; "Unknown error" is never the cause.
    const QString own = file.errorString();
    return own.isEmpty() || own == QLatin1String("Unknown error") ? QStringLiteral("nieznana przyczyna") : own;
}

bool writeWhole(QFileDevice& file, const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        errno = 0;
        const qint64 n = file.write(data + done, size - done);
        if (n <= 0) {
            if (errno == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace jadl
