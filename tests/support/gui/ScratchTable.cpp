#include "support/gui/ScratchTable.h"

#include <QFile>

namespace jadl::test {

ScratchTable::ScratchTable(const QList<FieldDef>& fields, const QList<IndexDef>& indexes, const QString& tableName)
    : source_(nullptr, &table_)
{
    table_.setDatabaseName(dir_.path());
    table_.setTableName(tableName);
    table_.fieldDefs() = fields;
    table_.indexDefs() = indexes;
    table_.createTable();
    table_.open();
}

ScratchTable::ScratchTable(ScratchTable& original) : source_(nullptr, &table_)
{
    Table& from = original.table_;
    const bool wasOpen = from.active();
    from.close();
    table_.setDatabaseName(dir_.path());
    table_.setTableName(from.tableName());
    table_.fieldDefs() = from.fieldDefs();
    table_.indexDefs() = from.indexDefs();
    QFile::copy(from.filePath(), table_.filePath());
    if (wasOpen)
        from.open();
    table_.open();
}

void ScratchTable::append(int count, const std::function<void(Table&, int)>& fill)
{
    {
        const ControlsDisabled quiet(table_);
        Table::Batch batch(table_);
        for (int i = 0; i < count; ++i) {
            table_.append();
            fill(table_, i);
            table_.post();
        }
        batch.commit();
    }
    table_.first();
}

QList<FieldDef> sampleFields()
{
    return {
        FieldDef{QStringLiteral("Numer"), FieldType::AutoInc, 0, {}, {}},
        FieldDef{QStringLiteral("Symbol"), FieldType::Text, 10, {}, {}},
        FieldDef{QStringLiteral("Nazwa"), FieldType::Text, 30, {}, {}},
        FieldDef{QStringLiteral("Cena"), FieldType::Float, 0, QStringLiteral("0.00"), {}},
        FieldDef{QStringLiteral("Ilosc"), FieldType::Integer, 0, {}, {}},
        FieldDef{QStringLiteral("Aktywny"), FieldType::Logical, 0, {}, {}},
        FieldDef{QStringLiteral("AktywnyString"), FieldType::Text, 3, {}, {}},
    };
}

QList<IndexDef> sampleIndexes()
{
    return {IndexDef{QStringLiteral("SymbolInd"), {QStringLiteral("Symbol")}}};
}

} // namespace jadl::test
