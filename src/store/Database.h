#pragma once
// Binding of database names and aliases to directories. The program names its
// tables by database name ("jadlonia"), which a Database component binds to an
// alias ("dane_bar"); the alias points at the data directory. A table may also
// name a directory path (drive-letter form or a real path) instead.
#include <QObject>
#include <QString>

namespace jadl {

class Aliases {
public:
    // Points an alias at a real directory.
    static void setAlias(const QString& alias, const QString& directory);
    static void bindDatabase(const QString& databaseName, const QString& alias);
    static void unbindDatabase(const QString& databaseName);
    // Real directory for a database name, an alias or a path (drive-letter paths
    // go through the platform's drive mapping). Throws EngineError when unknown.
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
private:
    QString databaseName_;
    QString aliasName_;
    bool connected_ = false;
};

} // namespace jadl
