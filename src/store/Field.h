#pragma once
// One field of a table's current record. Reads follow the current record (or the
// record offered to a filter); writes need edit or insert state.
#include "store/FieldDefs.h"

#include <QDate>
#include <QDateTime>
#include <QVariant>

#include <optional>

namespace jadl {

class Table;

class Field {
public:
    Field(Table* table, int index, FieldDef def) : table_(table), index_(index), def_(std::move(def)) { }

    const QString& fieldName() const { return def_.name; }
    QString displayLabel() const { return def_.name; }
    FieldType dataType() const { return def_.type; }
    int size() const { return def_.size; }
    int index() const { return index_; }
    const QString& displayFormat() const { return def_.displayFormat; }
    const FieldDef& def() const { return def_; }
    Table* table() const { return table_; }

    bool isNull() const;
    QVariant value() const; // null QVariant when empty; typed otherwise
    // Classic conversions: an empty field reads as "", 0, 0.0, false, invalid date.
    QString asString() const; // floats in the general format with a decimal comma
    double asFloat() const;
    int asInteger() const;
    bool asBoolean() const;
    QDate asDate() const;
    std::optional<double> optFloat() const;
    std::optional<int> optInteger() const;
    std::optional<QDate> optDate() const;
    std::optional<bool> optBoolean() const;
    // 64-bit integers (sizes in bytes outgrow 32 bits); value() is qlonglong then.
    qint64 asLargeInt() const;
    std::optional<qint64> optLargeInt() const;
    // Date-and-time fields; a date field reads as that day at midnight.
    QDateTime asDateTime() const;
    // Text for display: display format ("0.00") when set, else the general format.
    QString displayText() const;
    // Text for editing in a control (edit format when set, else as displayText).
    QString editText() const;

    void setValue(const QVariant& v); // null QVariant clears
    void clear();
    void setString(const QString& s); // parses numbers (decimal comma or point) and dates; "" clears
    void setFloat(double v);
    void setInteger(int v);
    void setBoolean(bool v);
    void setDate(const QDate& d);
    void setLargeInt(qint64 v);
    void setDateTime(const QDateTime& dt);

private:
    friend class Table;
    // The table re-reads its structure on open; a field keeps its identity by name.
    void rebind(int index, FieldDef def)
    {
        index_ = index;
        def_ = std::move(def);
    }

    Table* table_;
    int index_;
    FieldDef def_;
};

} // namespace jadl
