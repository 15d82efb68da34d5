#pragma once
// Conversions between field values (QVariant), result columns and parameters
// of either engine, and declared column types. Internal to the engine.
#include "store/FieldDefs.h"
#include "store/internal/SqlConnection.h"

#include <QVariant>

#include <optional>

namespace jadl::detail {

// The canonical value a field of this definition holds for v: int/qlonglong,
// double, QString (cut to size), QDate, QDateTime, bool or null. Texts are
// parsed the Polish way; a value that cannot be read throws EngineError with a
// Polish message naming the value and the field.
QVariant normalizeValue(const FieldDef& def, const QVariant& v);

// The integer as QVariant: int when it fits in 32 bits, else qlonglong.
QVariant integerVariant(qint64 v);

QVariant readColumn(const FieldDef& def, const SqlValue& column);
void bindValue(SqlStatement& st, int index, const FieldDef& def, const QVariant& value);
// A parameter of an SQL condition written by a caller (pre-filter binds).
void bindPlain(SqlStatement& st, int index, const QVariant& value);

// Column declaration of a SQLite table file.
QString columnSql(const FieldDef& def);
// Field definition of a column read back from a file.
FieldDef fieldFromColumn(const QString& name, const QString& declaredType, bool integerKey);
// Whether a file column can serve a field the program declares.
bool compatible(const FieldDef& wanted, const FieldDef& inFile);

} // namespace jadl::detail
