#include "reports/ReportData.h"
#include "store/DataSource.h"
#include "store/Table.h"

namespace jadl {

TableReportData::TableReportData(Table* table) : table_(table) { }

bool TableReportData::active() const
{
    return table_ && table_->active();
}

int TableReportData::rowCount()
{
    return active() ? table_->recordCount() : 0;
}

int TableReportData::fieldIndex(const QString& name)
{
    return table_ ? table_->fieldIndex(name) : -1;
}

ReportFieldInfo TableReportData::fieldInfo(int field)
{
    if (!active() || field < 0 || field >= table_->fieldCount())
        return {};
    const Field& f = table_->field(field);
    return {f.dataType(), f.displayFormat()};
}

QVariant TableReportData::value(int row, int field)
{
    return active() ? table_->valueAt(row, field) : QVariant();
}

QVariant TableReportData::currentValue(int field)
{
    if (!active() || table_->isEmpty() || field < 0 || field >= table_->fieldCount())
        return {};
    return table_->field(field).value();
}

QString TableReportData::name() const
{
    return table_ ? table_->objectName() : QString();
}

} // namespace jadl
