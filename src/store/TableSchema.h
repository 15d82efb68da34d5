#pragma once
// What a table file holds, read from the file itself, and whether that serves the
// program's definition of the table. Opening a table and checking an archive file
// before a restore apply the same test.
#include "store/FieldDefs.h"

#include <QString>

#include <optional>

namespace SQLite {
class Database;
}

namespace jadl {

struct FileSchema {
    QString tableIdent; // the table's name as the file spells it
    QList<FieldDef> fields; // as the file declares them
    QList<IndexDef> indexes; // named indexes (SQLite's own left out)
};

// The table named like the file (case-insensitive), or, when `orOnlyTable`, the
// file's only table; nullopt when there is none. SQLite's exceptions pass through.
std::optional<FileSchema> readFileSchema(SQLite::Database& db, const QString& stem, bool orOnlyTable = true);

struct FieldProblem {
    QString field;
    bool missing = true; // false: there, but of an incompatible type
};
// The first field of the definition the file lacks or cannot hold.
std::optional<FieldProblem> findFieldProblem(const FileSchema& file, const TableDef& def);

// Whether the file at `realPath` is a sound table file for its name: an SQLite
// database that passes quick_check (when `deep`), holding the table of its file
// name with the fields the program declares for it (when it declares any). A hot
// journal beside the file is rolled back by the check, as the next open would.
// nullopt when sound, else the reason in Polish.
std::optional<QString> checkTableFile(const QString& realPath, bool deep = true);

} // namespace jadl
