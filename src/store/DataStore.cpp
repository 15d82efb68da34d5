#include "store/DataStore.h"

#include "store/Database.h"
#include "store/EngineError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTextStream>
#include <libpq-fe.h>

#include <algorithm>
#include <memory>

namespace jadl {

namespace {

const char* const kVariable = "JADL_DATABASE";

// The "key=value" lines of the configuration file; '#' starts a comment.
std::optional<QString> configValue(const QString& key)
{
    QFile f(configFilePath());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

struct OptionsFree {
    void operator()(PQconninfoOption* o) const { PQconninfoFree(o); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFree>;

Options parse(const QString& connection, QString* error)
{
    char* err = nullptr;
    Options opts(PQconninfoParse(connection.toUtf8().constData(), &err));
    if (!opts && error)
        *error = err ? QString::fromUtf8(err).trimmed() : QStringLiteral("brak pamięci");
    PQfreemem(err);
    return opts;
}

} // namespace

QString configFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("jadlonia/jadlonia.conf"));
}

std::optional<QString> configuredServer()
{
    QString value;
    if (qEnvironmentVariableIsSet(kVariable))
        value = qEnvironmentVariable(kVariable).trimmed();
    else
        value = configValue(QStringLiteral("database")).value_or(QString());
    if (value.isEmpty())
        return std::nullopt;
    QString error;
    if (!parse(value, &error)) {
        // The string may hold a password: neither it nor a piece of it is shown.
        error.replace(QRegularExpression(QStringLiteral("\"[^\"]*\"")), QStringLiteral("\"…\""));
        throw EngineError(QStringLiteral("Nieprawidłowy opis połączenia z bazą danych PostgreSQL (pokazany bez treści, "
                                         "bo może zawierać hasło): %1")
                              .arg(error),
                          qEnvironmentVariableIsSet(kVariable) ? QString::fromLatin1(kVariable) : configFilePath());
    }
    return value;
}

QString workstationName()
{
    const QString configured = configValue(QStringLiteral("workstation")).value_or(QString());
    if (!configured.isEmpty())
        return configured.left(100);
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("stanowisko") : host.left(100);
}

QString serverDisplayName(const QString& connection)
{
    QString user, host, port, dbname;
    if (const Options opts = parse(connection, nullptr)) {
        for (const PQconninfoOption* o = opts.get(); o->keyword; ++o) {
            if (!o->val)
                continue;
            const QString key = QString::fromLatin1(o->keyword);
            const QString val = QString::fromUtf8(o->val);
            if (key == QLatin1String("user"))
                user = val;
            else if (key == QLatin1String("host") || (key == QLatin1String("hostaddr") && host.isEmpty()))
                host = val;
            else if (key == QLatin1String("port"))
                port = val;
            else if (key == QLatin1String("dbname"))
                dbname = val;
        }
    }
    // What libpq itself falls back to.
    auto env = [](const char* name) { return qEnvironmentVariable(name); };
    if (user.isEmpty())
        user = env("PGUSER");
    if (host.isEmpty())
        host = env("PGHOST");
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    if (port.isEmpty())
        port = env("PGPORT");
    if (port.isEmpty())
        port = QStringLiteral("5432");
    if (dbname.isEmpty())
        dbname = env("PGDATABASE");
    if (dbname.isEmpty())
        dbname = user;
    return (user.isEmpty() ? QString() : user + QLatin1Char('@')) + host + QLatin1Char(':') + port + QLatin1Char('/') +
        dbname;
}

bool needsVerifiedTls(const QString& connection)
{
    if (qEnvironmentVariableIsSet("PGSSLMODE"))
        return false;
    QStringList hosts;
    if (const Options opts = parse(connection, nullptr)) {
        for (const PQconninfoOption* o = opts.get(); o->keyword; ++o) {
            if (!o->val)
                continue;
            const QLatin1String key(o->keyword);
            if (key == QLatin1String("sslmode"))
                return false;
            if (key == QLatin1String("host") || key == QLatin1String("hostaddr"))
                hosts += QString::fromUtf8(o->val).split(QLatin1Char(','));
        }
    }
    if (hosts.isEmpty())
        hosts += qEnvironmentVariable("PGHOST").split(QLatin1Char(','));
    // A socket path or this machine's own addresses stay on this machine.
    auto local = [](const QString& h) {
        return h.isEmpty() || h.startsWith(QLatin1Char('/')) || h.startsWith(QLatin1Char('@')) ||
            h == QLatin1String("localhost") || h.startsWith(QLatin1String("127.")) || h == QLatin1String("::1");
    };
    return !std::all_of(hosts.begin(), hosts.end(), [&](const QString& h) { return local(h.trimmed()); });
}

QString dataStoreDescription(const DataLocation& where)
{
    if (where.isServer())
        return QStringLiteral("Dane: serwer PostgreSQL %1 (stanowisko %2)")
            .arg(serverDisplayName(where.server), workstationName());
    return QStringLiteral("Dane: katalog %1").arg(QDir::toNativeSeparators(where.directory));
}

} // namespace jadl
