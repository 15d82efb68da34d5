#include "store/RecordRules.h"

#include "store/Table.h"

namespace jadl {

namespace {
std::optional<double> asOptionalNumber(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return std::nullopt;
    return v.toDouble();
}
} // namespace

void recalculateGrossPrice(Table& basicGoods)
{
    Field& vat = basicGoods.fieldByName(QStringLiteral("VatTyp"));
    Field& net = basicGoods.fieldByName(QStringLiteral("CenaNetto"));
    const std::optional<QString> vatText = vat.isNull() ? std::nullopt : std::optional<QString>(vat.asString());
    if (const auto gross = grossPrice(net.optFloat(), vatText))
        basicGoods.fieldByName(QStringLiteral("CenaBrutto")).setFloat(*gross);
}

PriceSignal priceSignal(Table& table)
{
    return comparePrices(table.fieldByName(QStringLiteral("CenaNetto")).optFloat(),
                         table.fieldByName(QStringLiteral("CenaReferencyjna")).optFloat());
}

PriceSignal priceSignalAt(Table& table, int row)
{
    const int net = table.fieldIndex(QStringLiteral("CenaNetto"));
    const int ref = table.fieldIndex(QStringLiteral("CenaReferencyjna"));
    return comparePrices(asOptionalNumber(table.valueAt(row, net)), asOptionalNumber(table.valueAt(row, ref)));
}

} // namespace jadl
