#pragma once
// A small table of its own for widget tests: one table file in a temporary folder,
// created from the given field definitions and opened, with a data source.
#include "store/DataSource.h"
#include "store/Table.h"

#include <QTemporaryDir>

#include <functional>

namespace jadl::test {

class ScratchTable {
public:
    explicit ScratchTable(const QList<FieldDef>& fields, const QList<IndexDef>& indexes = {},
                          const QString& tableName = QStringLiteral("Probe.db"));
    // A copy of another scratch table's file (which is closed for the copy and
    // opened again), so a large table is built once per test program.
    explicit ScratchTable(ScratchTable& original);
    ScratchTable(const ScratchTable&) = delete;
    ScratchTable& operator=(const ScratchTable&) = delete;

    Table& table() { return table_; }
    DataSource& source() { return source_; }
    QString directory() const { return dir_.path(); }

    // Appends `count` records in one transaction; `fill(table, i)` sets the fields
    // of the i-th new record (0-based). The table ends on its first record.
    void append(int count, const std::function<void(Table&, int)>& fill);

private:
    QTemporaryDir dir_;
    Table table_;
    DataSource source_;
};

// Text fields Symbol(10) and Nazwa(30), a float Cena ("0.00"), an integer Ilosc,
// a logical Aktywny and a text AktywnyString(3), after the auto-increment Numer;
// an index SymbolInd on Symbol.
QList<FieldDef> sampleFields();
QList<IndexDef> sampleIndexes();

} // namespace jadl::test
