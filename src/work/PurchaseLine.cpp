#include "work/PurchaseLine.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "store/Table.h"

namespace jadl::purchase {

namespace {

QVariant valueAt(Table& t, int row, const char* field)
{
    return t.valueAt(row, t.fieldIndex(QString::fromLatin1(field)));
}

QVariant valueOf(Table& t, const char* field)
{
    return t.fieldByName(QString::fromLatin1(field)).value();
}

template <class Read>
GoodCopy goodFrom(Read v)
{
    return {v("Numer"),  v("Nazwa"),     v("Symbol"),           v("NumerGrupy"), v("Grupa"),  v("TypTowaru"),
            v("Indeks"), v("CenaNetto"), v("CenaReferencyjna"), v("CenaBrutto"), v("VatTyp"), v("JednostkaMiary")};
}

std::optional<double> number(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
}

} // namespace

GoodCopy GoodCopy::at(Table& goods, int row)
{
    return goodFrom([&](const char* f) { return valueAt(goods, row, f); });
}

GoodCopy GoodCopy::current(Table& goods)
{
    return goodFrom([&](const char* f) { return valueOf(goods, f); });
}

SupplierCopy SupplierCopy::at(Table& suppliers, int row)
{
    return {valueAt(suppliers, row, "Numer"), valueAt(suppliers, row, "Symbol"), valueAt(suppliers, row, "Nazwa")};
}

SupplierCopy SupplierCopy::current(Table& suppliers)
{
    return {valueOf(suppliers, "Numer"), valueOf(suppliers, "Symbol"), valueOf(suppliers, "Nazwa")};
}

RestaurantCopy RestaurantCopy::active(Table& owners)
{
    if (!owners.active())
        return {};
    for (int row = 0; row < owners.recordCount(); ++row)
        if (valueAt(owners, row, "AktywnyString").toString() == QLatin1String("TAK"))
            return {valueAt(owners, row, "Numer"), valueAt(owners, row, "Symbol")};
    return {};
}

LineValues handEntered(const GoodCopy& good, const QDate& day, double quantity, double discount, bool invoice)
{
    LineValues v;
    v.day = day;
    v.cenaNetto = good.cenaNetto.toDouble();
    v.cenaBrutto = good.cenaBrutto.toDouble();
    v.vatTyp = good.vatTyp.toString();
    v.vat = vatRate(good.vatTyp.isNull() ? std::nullopt : std::optional<QString>(v.vatTyp));
    v.ilosc = quantity;
    v.upustProc = discount;
    v.wartoscNetto = roundedMoney(v.cenaNetto * v.ilosc);
    v.wartoscVat = roundedMoney(v.vat * v.wartoscNetto);
    v.wartoscBrutto = v.wartoscNetto + v.wartoscVat;
    v.invoice = invoice;
    return v;
}

void append(Table& lines, const GoodCopy& good, const SupplierCopy& supplier, const RestaurantCopy& restaurant,
            const LineValues& v)
{
    auto line = [&lines](const char* name) -> Field& { return lines.fieldByName(QString::fromLatin1(name)); };
    lines.append();
    line("DataZakupu").setDate(v.day);
    line("DataZakupuString").setString(formatDayMonth(v.day));
    line("Nazwa").setValue(good.nazwa);
    line("Symbol").setValue(good.symbol);
    line("NumerPodstawowy").setValue(good.numer);
    line("NumerGrupy").setValue(good.numerGrupy);
    line("Grupa").setValue(good.grupa);
    line("TypTowaru").setValue(good.typTowaru);
    line("Indeks").setValue(good.indeks);
    line("RestauracjaSymbol").setValue(restaurant.symbol);
    line("RestauracjaNumer").setValue(restaurant.numer);
    line("CenaNetto").setFloat(v.cenaNetto);
    line("CenaReferencyjna").setValue(good.cenaReferencyjna);
    line("JakaCenaRef").setString(referencePriceSign(v.cenaNetto, number(good.cenaReferencyjna)));
    line("VatTyp").setString(v.vatTyp);
    line("CenaBrutto").setFloat(v.cenaBrutto);
    line("NumerDostawcy").setValue(supplier.numer);
    line("SymbolDostawcy").setValue(supplier.symbol);
    line("Dostawca").setValue(supplier.nazwa);
    line("UpustProc").setFloat(v.upustProc);
    if (v.upust != 0.0)
        line("Upust").setFloat(v.upust);
    line("Ilosc").setFloat(v.ilosc);
    if (v.jednostka.isEmpty())
        line("JednostkaMiary").setValue(good.jednostka);
    else
        line("JednostkaMiary").setString(v.jednostka);
    line("WartoscNetto").setFloat(v.wartoscNetto);
    line("Vat").setFloat(v.vat);
    line("WartoscVat").setFloat(v.wartoscVat);
    line("WartoscBrutto").setFloat(v.wartoscBrutto);
    line("CzyBylaFaktura").setBoolean(v.invoice);
    line("Par9").setString(v.invoice ? QStringLiteral("Tak") : QStringLiteral("Nie"));
    if (v.invoiceRegister)
        line("Par8").setInteger(*v.invoiceRegister);
    if (!v.invoiceNumber.isEmpty())
        line("Par10").setString(v.invoiceNumber);
}

} // namespace jadl::purchase
