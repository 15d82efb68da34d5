#include "store/Database.h"

#include "platform/Drives.h"
#include "store/DataStore.h"
#include "store/EngineError.h"

#include <QDir>
#include <QHash>

namespace jadl {

namespace {

const QString kDefaultAlias = QStringLiteral("dane_bar");
const QString kDefaultDatabase = QStringLiteral("jadlonia");

struct Registry {
    QHash<QString, DataLocation> aliases; // lower-case alias -> where
    QHash<QString, QString> databases; // lower-case database name -> alias
    Registry() { reset(); }
    void reset()
    {
        aliases.clear();
        databases.clear();
        databases.insert(kDefaultDatabase, kDefaultAlias);
    }
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::optional<DataLocation> aliasLocation(const QString& alias)
{
    const QString key = alias.trimmed().toLower();
    const auto it = registry().aliases.constFind(key);
    if (it != registry().aliases.constEnd())
        return *it;
    if (key == kDefaultAlias) {
        // Until set otherwise the program's alias is the configured server, else
        // the data directory.
        if (const auto server = configuredServer())
            return DataLocation{{}, *server};
        try {
            return DataLocation{platform::Drives::dataDirectory(), {}};
        } catch (const platform::IoError& e) {
            throw EngineError(e.text(), platform::Drives::dataDirectoryDrivePath());
        }
    }
    return std::nullopt;
}

bool isDrivePath(const QString& s)
{
    return s.size() >= 2 && s.at(1) == QLatin1Char(':') && s.at(0).isLetter();
}

} // namespace

void Aliases::setAlias(const QString& alias, const QString& directory)
{
    registry().aliases.insert(alias.trimmed().toLower(), DataLocation{directory, {}});
}

void Aliases::setAliasServer(const QString& alias, const QString& connection)
{
    registry().aliases.insert(alias.trimmed().toLower(), DataLocation{{}, connection});
}

void Aliases::bindDatabase(const QString& databaseName, const QString& alias)
{
    registry().databases.insert(databaseName.trimmed().toLower(), alias);
}

void Aliases::unbindDatabase(const QString& databaseName)
{
    registry().databases.remove(databaseName.trimmed().toLower());
}

DataLocation Aliases::resolve(const QString& name)
{
    const QString key = name.trimmed().toLower();
    if (key.isEmpty())
        throw EngineError(QStringLiteral("Database name is missing"));
    const auto bound = registry().databases.constFind(key);
    if (bound != registry().databases.constEnd()) {
        if (const auto where = aliasLocation(*bound))
            return *where;
        throw EngineError(QStringLiteral("Unknown alias: %1").arg(*bound));
    }
    if (const auto where = aliasLocation(key))
        return *where;
    const QString path = name.trimmed();
    if (isDrivePath(path)) {
        try {
            return DataLocation{platform::Drives::toRealPath(path), {}};
        } catch (const platform::IoError& e) {
            throw EngineError(e.text(), path);
        }
    }
    if (QDir::isAbsolutePath(path) || path.contains(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) ||
        path == QLatin1String("."))
        return DataLocation{QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'))), {}};
    throw EngineError(QStringLiteral("Unknown database: %1").arg(name));
}

QString Aliases::resolveDirectory(const QString& name)
{
    const DataLocation where = resolve(name);
    if (where.isServer())
        throw EngineError(QStringLiteral("Database %1 is on a server, not in a directory").arg(name),
                          serverDisplayName(where.server));
    return where.directory;
}

void Aliases::clear()
{
    registry().reset();
}

Database::Database(QObject* parent) : QObject(parent) { }

Database::~Database() = default;

void Database::setDatabaseName(const QString& name)
{
    if (connected_)
        Aliases::unbindDatabase(databaseName_);
    databaseName_ = name;
    if (connected_)
        Aliases::bindDatabase(databaseName_, aliasName_);
}

void Database::setAliasName(const QString& alias)
{
    aliasName_ = alias;
    if (connected_)
        Aliases::bindDatabase(databaseName_, aliasName_);
}

void Database::setConnected(bool on)
{
    if (on == connected_)
        return;
    if (on) {
        if (databaseName_.isEmpty())
            throw EngineError(QStringLiteral("Database name is missing"));
        if (!aliasName_.isEmpty())
            Aliases::bindDatabase(databaseName_, aliasName_);
    } else {
        Aliases::unbindDatabase(databaseName_);
    }
    connected_ = on;
}

QString Database::directory() const
{
    return Aliases::resolveDirectory(aliasName_.isEmpty() ? databaseName_ : aliasName_);
}

DataLocation Database::location() const
{
    return Aliases::resolve(aliasName_.isEmpty() ? databaseName_ : aliasName_);
}

} // namespace jadl
