#pragma once
// One purchase line as every way of recording one fills it: the copies of its
// basic good, its supplier and the active restaurant, and its values. The
// assignment window and the KSeF import (and whatever records purchases later)
// append lines through here, so a line is filled in one place only.
#include <QDate>
#include <QString>
#include <QVariant>

#include <optional>

namespace jadl {
class Table;
}

namespace jadl::purchase {

// What a line copies of its basic good (values as the catalogue holds them).
struct GoodCopy {
    QVariant numer, nazwa, symbol, numerGrupy, grupa, typTowaru, indeks;
    QVariant cenaNetto, cenaReferencyjna, cenaBrutto, vatTyp, jednostka;
    // The good at a row of the catalogue's view, or at its current record.
    static GoodCopy at(Table& goods, int row);
    static GoodCopy current(Table& goods);
};

// What a line copies of its supplier.
struct SupplierCopy {
    QVariant numer, symbol, nazwa;
    static SupplierCopy at(Table& suppliers, int row);
    static SupplierCopy current(Table& suppliers);
};

// The restaurant the line is for; empty when none is marked active.
struct RestaurantCopy {
    QVariant numer, symbol;
    // The restaurant marked active ("TAK"), read without moving the table.
    static RestaurantCopy active(Table& owners);
};

// The line's own values, computed by the caller.
struct LineValues {
    QDate day;
    double cenaNetto = 0;
    double cenaBrutto = 0;
    QString vatTyp;
    double vat = 0; // the rate as a fraction, 0.23
    double ilosc = 0;
    double upustProc = 0;
    double upust = 0; // the discount amount a price already takes off (an invoice's P_10)
    QString jednostka; // empty: the good's own unit
    double wartoscNetto = 0;
    double wartoscVat = 0;
    double wartoscBrutto = 0;
    bool invoice = false;
    std::optional<int> invoiceRegister; // Par8: the KSeF register's Numer
    QString invoiceNumber; // Par10
};

// The values of a line recorded by hand, in the program's rounding and order:
// net = price × quantity rounded, VAT = rate × rounded net rounded, gross = the
// two added. `good` must carry a net price and a VAT designation.
LineValues handEntered(const GoodCopy& good, const QDate& day, double quantity, double discount, bool invoice);

// Appends a line to `lines` and fills every field; the caller posts it.
void append(Table& lines, const GoodCopy& good, const SupplierCopy& supplier, const RestaurantCopy& restaurant,
            const LineValues& values);

} // namespace jadl::purchase
