#pragma once
// Where a table is kept and how it is opened there: a SQLite file in a directory
// (one file per table), or a table of a PostgreSQL database. Each storage makes
// a missing table from its definition, reads the structure of an existing one
// and merges it with the program's definition, and hands the table engine a
// connection whose dialect covers the rest. Internal to the engine.
#include "store/internal/KeptSums.h"
#include "store/internal/SchemaMerge.h"
#include "store/internal/SqlConnection.h"

#include <memory>
#include <optional>

namespace jadl {

struct OpenedTable {
    std::unique_ptr<SqlConnection> conn;
    schemamerge::OpenSchema schema;
    QString keySql; // the record key in SQL
    QString postTokenSql; // the column of a new record's post token; empty: none
    bool writesReachOthers = false; // a post may change other records too (a view's triggers)
    std::optional<keptsums::Layout> kept; // the sums kept per month, where they are kept
};

// What to open: the table's name where it is kept, the definitions and how.
struct TableRequest {
    QString name; // file name ("Towary.DB") or table name ("Towary")
    const TableDef* known = nullptr; // the program's catalogue
    TableDef own; // set on the component
    bool exclusive = false;
    QString displayName; // the component, for messages
};

struct DataLocation;

// Where tables are kept, whichever engine keeps them: the table engine asks this
// alone, so it never needs to know which one it works on.
class TableStorage {
public:
    virtual ~TableStorage() = default;
    // What messages name: the table file's path, or the server and the table.
    virtual QString displayPath(const QString& tableName) const = 0;
    virtual bool exists(const QString& tableName) const = 0;
    // A new empty table, replacing whatever table had the name.
    virtual void create(const QString& tableName, const TableDef& def, const QString& displayName) const = 0;
    virtual OpenedTable open(const TableRequest& request) const = 0;

    // The storage of a data directory, or of a server's database.
    static std::unique_ptr<TableStorage> at(const DataLocation& where);
};

namespace sqlitestorage {
// The file of a table in a directory (".db" added when the name has none);
// an existing file whose name differs only in case is found.
QString filePath(const QString& directory, const QString& tableName);
OpenedTable open(const QString& path, const TableRequest& request);
// A new file, replacing whatever file had the name.
void create(const QString& path, const TableDef& def, const QString& displayName);
} // namespace sqlitestorage

namespace pgstorage {
// The table's name on the server: the file name without its extension.
QString tableName(const QString& fileOrTableName);
// The sequence a table's changes draw from ("Towary.zmiany").
QString changeSequence(const QString& tableName);
// "jadl@127.0.0.1:5432/jadlonia: Towary", as messages name the table.
QString displayPath(const QString& server, const QString& tableName);
OpenedTable open(const QString& server, const TableRequest& request);
// A new empty table, replacing a table of that name.
void create(const QString& server, const QString& tableName, const TableDef& def, const QString& displayName);
bool exists(const QString& server, const QString& tableName);
// Finds the table there, or says the server is not prepared.
void ensure(const QString& server, const QString& tableName, const TableDef& def);
// The table that holds a table's rows and its key's sequence: itself, or for a
// table kept per workstation, the table behind its view.
QString dataTableOf(const QString& tableName);
// What empties a table's rows (and whatever is kept per restaurant beside them).
QStringList clearSql(const QString& tableName);
// Closes the process's connections to every server (their tables must be closed).
void disconnectAll();
} // namespace pgstorage

} // namespace jadl
