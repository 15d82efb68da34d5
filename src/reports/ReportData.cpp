#include "reports/ReportData.h"

#include "common/Formats.h"

#include <QDate>
#include <QDateTime>

namespace jadl {

namespace {

bool isNumberType(FieldType t)
{
    return t == FieldType::Float || t == FieldType::Integer || t == FieldType::AutoInc;
}

QDate toDate(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

} // namespace

QString reportDisplayText(const QVariant& value, const ReportFieldInfo& info, const QString& mask)
{
    if (!value.isValid() || value.isNull())
        return {};
    // A mask applies to numbers only; a text field keeps its text.
    if (!mask.isEmpty() && isNumberType(info.type))
        return mask == QLatin1String("0.00") ? formatMask00(value.toDouble()) : formatNumber(value.toDouble(), mask);
    switch (info.type) {
    case FieldType::Float:
        return info.displayFormat.isEmpty() ? formatGeneral(value.toDouble())
                                            : formatNumber(value.toDouble(), info.displayFormat);
    case FieldType::Integer:
    case FieldType::AutoInc:
        return info.displayFormat.isEmpty() ? QString::number(value.toLongLong())
                                            : formatNumber(value.toDouble(), info.displayFormat);
    case FieldType::Date:
        return formatShortDate(toDate(value));
    case FieldType::DateTime: {
        const QDateTime dt = value.typeId() == QMetaType::QDateTime
            ? value.toDateTime()
            : QDateTime::fromString(value.toString(), Qt::ISODate);
        if (!dt.isValid())
            return formatShortDate(toDate(value));
        const QString date = formatShortDate(dt.date());
        return dt.time() == QTime(0, 0) ? date
                                        : date + QLatin1Char(' ') + dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    case FieldType::Logical:
        return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

MemoryReportData::MemoryReportData(QString name, QList<FieldDef> fields)
    : name_(std::move(name)), fields_(std::move(fields))
{ }

void MemoryReportData::addRow(QVariantList values)
{
    while (values.size() < fields_.size())
        values.append(QVariant());
    rows_.push_back(std::move(values));
}

int MemoryReportData::fieldIndex(const QString& name)
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

ReportFieldInfo MemoryReportData::fieldInfo(int field)
{
    if (field < 0 || field >= fields_.size())
        return {};
    return {fields_[field].type, fields_[field].displayFormat};
}

QVariant MemoryReportData::value(int row, int field)
{
    ++reads_;
    if (!active_ || row < 0 || row >= int(rows_.size()) || field < 0 || field >= fields_.size())
        return {};
    return rows_[std::size_t(row)][field];
}

QVariant MemoryReportData::currentValue(int field)
{
    return value(current_, field);
}

} // namespace jadl
