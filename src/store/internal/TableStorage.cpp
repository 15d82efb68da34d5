#include "store/internal/TableStorage.h"

#include "store/Database.h"

#include <QFileInfo>

namespace jadl {

namespace {

class DirectoryStorage : public TableStorage {
public:
    explicit DirectoryStorage(QString directory) : dir_(std::move(directory)) { }
    QString displayPath(const QString& tableName) const override { return sqlitestorage::filePath(dir_, tableName); }
    bool exists(const QString& tableName) const override { return QFileInfo::exists(displayPath(tableName)); }
    void create(const QString& tableName, const TableDef& def, const QString& displayName) const override
    {
        sqlitestorage::create(displayPath(tableName), def, displayName);
    }
    OpenedTable open(const TableRequest& request) const override
    {
        return sqlitestorage::open(displayPath(request.name), request);
    }

private:
    QString dir_;
};

class ServerStorage : public TableStorage {
public:
    explicit ServerStorage(QString server) : server_(std::move(server)) { }
    QString displayPath(const QString& tableName) const override
    {
        return pgstorage::displayPath(server_, pgstorage::tableName(tableName));
    }
    bool exists(const QString& tableName) const override
    {
        return pgstorage::exists(server_, pgstorage::tableName(tableName));
    }
    void create(const QString& tableName, const TableDef& def, const QString& displayName) const override
    {
        pgstorage::create(server_, pgstorage::tableName(tableName), def, displayName);
    }
    OpenedTable open(const TableRequest& request) const override { return pgstorage::open(server_, request); }

private:
    QString server_;
};

} // namespace

std::unique_ptr<TableStorage> TableStorage::at(const DataLocation& where)
{
    if (where.isServer())
        return std::make_unique<ServerStorage>(where.server);
    return std::make_unique<DirectoryStorage>(where.directory);
}

} // namespace jadl
