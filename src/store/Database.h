#pragma once
// Binding of database names and aliases to where the tables are. The program
// names its tables by database name ("jadlonia"), which a Database component
// binds to an alias ("dane_bar"); the alias points at the data directory, or at
// a database on a PostgreSQL server when one is configured (store/DataStore.h).
// A table may also name a directory path (drive-letter form or a real path).
#include <QObject>
#include <QString>

namespace jadl {

// Where the tables of a database name are kept.
struct DataLocation {
    QString directory; // real directory of the table files; empty for a server
    QString server; // libpq connection string; empty for a directory
    bool isServer() const { return !server.isEmpty(); }
};

class Aliases {
public:
    // Points an alias at a real directory, or at a database on a server.
    static void setAlias(const QString& alias, const QString& directory);
    static void setAliasServer(const QString& alias, const QString& connection);
    static void bindDatabase(const QString& databaseName, const QString& alias);
    static void unbindDatabase(const QString& databaseName);
    // Where a database name, an alias or a path (drive-letter paths go through
    // the platform's drive mapping) keeps its tables. Throws EngineError when unknown.
    static DataLocation resolve(const QString& databaseNameOrPath);
    // The same for names that must be a directory: a server is an error.
    static QString resolveDirectory(const QString& databaseNameOrPath);
    static void clear();
};

// The database component of the data module: "jadlonia" on alias "dane_bar".
class Database : public QObject {
    Q_OBJECT
public:
    explicit Database(QObject* parent = nullptr);
    ~Database() override;
    QString databaseName() const { return databaseName_; }
    void setDatabaseName(const QString& name);
    QString aliasName() const { return aliasName_; }
    void setAliasName(const QString& alias);
    QString sessionName() const { return QStringLiteral("Default"); }
    bool connected() const { return connected_; }
    void setConnected(bool on);
    QString directory() const; // real directory the alias points at
    DataLocation location() const;

private:
    QString databaseName_;
    QString aliasName_;
    bool connected_ = false;
};

} // namespace jadl
