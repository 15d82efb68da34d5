#include "sheets/SheetText.h"

#include "common/Formats.h"

#include <QDate>
#include <QDateTime>

#include <cmath>

namespace jadl {

namespace {

QString numberText(double v, SheetColumnKind kind)
{
    switch (kind) {
    case SheetColumnKind::Money:
        return formatMask00(v);
    case SheetColumnKind::Quantity:
        return formatNumber(v, QStringLiteral("0.###"));
    case SheetColumnKind::Integer:
        if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 9e15)
            return QString::number(static_cast<qlonglong>(v));
        break;
    case SheetColumnKind::Text:
    case SheetColumnKind::Date:
        break;
    }
    return formatGeneral(v);
}

} // namespace

QString sheetCellText(const QVariant& value, SheetColumnKind kind)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble(), kind);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return kind == SheetColumnKind::Integer || kind == SheetColumnKind::Text ? QString::number(value.toLongLong())
                                                                                 : numberText(value.toDouble(), kind);
    default:
        return value.toString();
    }
}

} // namespace jadl
