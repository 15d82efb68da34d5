#pragma once
// Field and index definitions of a table, as the program declares them and as
// they are read back from a table file.
#include <QList>
#include <QString>
#include <QStringList>

namespace jadl {

enum class FieldType { AutoInc, Integer, Text, Float, Date, Logical, Memo, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // Text: characters (0 = 20, the classic default); Integer: bits (0 = 32, or 64)
    QString displayFormat; // e.g. "0.00"; empty = general format
    QString editFormat;
    // Characters a Text field holds (the classic 20 when no size is given).
    int textSize() const { return size > 0 ? size : 20; }
};

struct IndexDef {
    QString name; // e.g. "NrDostawcySymbolInd"
    QStringList fields; // key fields in order
    // Fields the index also carries where the engine can (a server reads a view
    // and the fields its filter reads from the index alone); not part of the key.
    QStringList carried{};
};

struct TableDef {
    QString fileName; // e.g. "Towary.DB"
    QList<FieldDef> fields;
    QList<IndexDef> indexes; // named secondary indexes
    const FieldDef* field(const QString& name) const; // case-insensitive
    const IndexDef* index(const QString& name) const; // case-insensitive
};

} // namespace jadl
