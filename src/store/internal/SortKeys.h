#pragma once
// Text orders follow Polish collation. SQLite would need the collation in every
// program that writes an index declared with it (the sqlite3 tool would refuse
// an insert), so instead each text field the program orders by keeps a Polish
// sort key in a column of its own ("Symbol#pl"), with a plain index over the keys
// beside the named index ("SymbolInd#pl"). Other programs see the tables and
// indexes they expect and may write to them; a key they leave empty is filled
// the next time the program opens the table.
#include "store/FieldDefs.h"

#include <QString>
#include <QStringList>

struct sqlite3;

namespace jadl {

class SqliteFile;
struct FileSchema;

QString sortKeyColumn(const QString& field);
bool isSortKeyColumn(const QString& column);
QString sortKeyIndexName(const QString& index);

// The text fields of a definition that one of its indexes orders by.
QStringList keyedFields(const TableDef& def);
// The index over the keys standing for a named index with text fields; its
// fields are empty when the named index has no text field.
IndexDef sortKeyIndex(const TableDef& def, const IndexDef& index);

// Makes the file hold every key column and key index of the definition and
// fills the keys that are missing (rows another program wrote). A file that
// cannot be written keeps what it has. Returns the fields whose keys the file
// holds now: the others are ordered as plain text.
QStringList ensureSortKeys(SqliteFile& file, const QString& tableIdent, const TableDef& def, const FileSchema& schema);

} // namespace jadl
