#pragma once
// Field and index definitions of a table, as the program declares them and as
// they are read back from a table file.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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

// Sums the engine keeps per month of a date field, so that a period's totals
// add whole months and sum only the days at its edges: per month and each
// grouping's fields, the count of records and the sums of the float fields.
struct KeptSumsDef {
    QString dateField; // e.g. "DataZakupu"
    QStringList sumFields; // floats, at most eight
    QList<QStringList> groupings; // each: the fields one set of monthly sums is kept by
};

struct TableDef {
    QString fileName; // e.g. "Towary.DB"
    QList<FieldDef> fields;
    QList<IndexDef> indexes; // named secondary indexes
    std::optional<KeptSumsDef> keptSums{};
    const FieldDef* field(const QString& name) const; // case-insensitive
    const IndexDef* index(const QString& name) const; // case-insensitive
};

} // namespace jadl
