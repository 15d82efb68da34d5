#pragma once
// A table file on open: created from its definition when missing, read and
// checked against the program's definition, merged with it (the program decides
// the types of the columns it declares; other columns stay as the file has
// them), completed with the declared indexes an older file lacks and with the
// Polish sort keys (store/SortKeys.h). Nothing is written to a file that does
// not fit. Internal to the engine: the result goes into TableState.
#include "store/FieldDefs.h"
#include "store/TableSchema.h"

#include <QHash>
#include <QString>

namespace jadl {

class SqliteFile;

namespace schemamerge {

// What the open table works with.
struct OpenSchema {
    FileSchema file; // as the file declares itself
    QList<FieldDef> fields; // the file's columns, typed as the program declares them
    QList<IndexDef> indexes; // named indexes the file offers
    QHash<QString, QString> keyColumns; // lower-case text field -> its Polish sort key column
};

// The definition that governs a table: the program's catalogue (`known`), else
// the one set on the component (`own`, when it has fields); nullptr when neither.
const TableDef* governing(const TableDef* known, const TableDef& own);

// A new file holding the definition's table, indexes and sort-key columns; a
// failure leaves no file behind.
void createTableFile(const QString& path, const TableDef& def, const QString& displayName);

// Merges a table's structure, as its storage read it, with the definitions;
// throws when the table lacks a declared field or cannot hold it.
OpenSchema merge(FileSchema read, const TableDef* known, const TableDef& own, const QString& where);
// Reads the file's structure and merges it with the definitions; throws when
// the file lacks the table or a declared field. Writes nothing.
OpenSchema readAndMerge(SqliteFile& file, const QString& stem, const TableDef* known, const TableDef& own);
// Adds the declared indexes the file lacks and its sort keys, as far as the
// file can be written, and notes the sort-key columns it holds.
void completeFile(SqliteFile& file, OpenSchema& schema, const TableDef* known, const TableDef& own);

} // namespace schemamerge
} // namespace jadl
