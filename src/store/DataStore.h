#pragma once
// Which data store the program works on, as the user set it up: the environment
// variable JADL_DATABASE, else the line "database=..." of jadlonia.conf in the
// user's configuration folder ($XDG_CONFIG_HOME/jadlonia, by default
// ~/.config/jadlonia), else nothing, which means the data directory. The value
// is a libpq connection string ("postgresql://jadl@127.0.0.1:5432/jadlonia");
// libpq's environment (PGPASSWORD, PGSSLMODE ...) and password file apply.
#include <QString>

#include <optional>

namespace jadl {

struct DataLocation;

// The configured server's connection string; nullopt: the data directory.
// Throws EngineError for a value libpq cannot read.
std::optional<QString> configuredServer();
QString configFilePath();

// This workstation's name on a shared server, under which it keeps its active
// restaurant: "workstation=..." of the configuration file, else the host name.
QString workstationName();

// What messages call a server: "jadl@127.0.0.1:5432/jadlonia" (never a password).
QString serverDisplayName(const QString& connection);

// Whether the connection must ask for TLS with the server's certificate checked
// (sslmode=verify-full): a server not on this machine, whose connection string
// (or PGSSLMODE) names no sslmode of its own.
bool needsVerifiedTls(const QString& connection);

// For the user: where the data is ("katalog danych ..." or "serwer PostgreSQL ...").
QString dataStoreDescription(const DataLocation& where);

} // namespace jadl
