#pragma once
// The purchase lines an invoice will be recorded as, with exactly the values they will
// be stored with, checked against the invoice's own per-rate totals. Matching goods
// and the supplier is not done here: the plan knows nothing of the program's tables.
//
// What an invoice becomes, by its kind:
//   VAT, UPR, KOR: one purchase line per invoice line that states an amount. Where no
//     line does (a simplified invoice that only names its goods, a correction given
//     only as totals), one line per rate carries that rate's totals (P_13_x/P_14_x);
//     a simplified invoice with only P_15 has its net and VAT taken from the gross by
//     its lines' one rate. A correction records after minus before (StanPrzed lines
//     negated, an unchanged before/after pair not at all).
//   Advances: over an advance and its settlement the register holds the order's goods
//     once, at their full value. An advance (ZAL) and its correction (KOR_ZAL) record
//     no purchase line (they are registered only), unless the advance pays the whole
//     order (no settlement follows): then the order's lines are recorded. A settlement
//     (ROZ) records its lines, which list the whole order at full value; its totals are
//     what remained after the advances, so they are not checked against the lines. A
//     correction of a settlement (KOR_ROZ) records the lines' differences.
//   Margin scheme lines (no P_12, P_13_11): the whole value as net and gross, no VAT to
//   deduct, under the designation "marża".
// Values of a line (money rounded with jadl::roundMoney throughout), first in the
// invoice's currency: net = P_11; a line priced gross (P_11A, no P_11) has VAT = P_11Vat
// or rounded(P_11A * Vat / (1 + Vat)) and net = P_11A - VAT; VAT = P_11Vat, else
// rounded(Vat * net). In PLN (a foreign invoice): net = rounded(net * KursWaluty of the
// line, else KursWalutyZ), VAT = rounded(Vat * net PLN).
// Per rate (per set of P_13_x fields) the lines' net and VAT sums are compared in whole
// grosze with the invoice's totals; a difference of at most one grosz per line of the
// rate, on net and on VAT each, is rounding and goes onto the rate's line with the
// largest absolute net value; more is a mismatch and the invoice is not recorded. On a
// foreign invoice the PLN values are brought the same way to rounded(P_13_x * rate)
// (when the rate's lines share one rate) and to P_14_xW.
// Ilosc = P_8B, 1 when absent. CenaNetto = P_9A where rounded(P_9A * Ilosc) gives the
// line's net value; else the net value over the quantity, not rounded, so that the
// program's recomputation gives the net value back to the grosz. CenaBrutto = P_9B on a
// PLN line priced gross, else rounded(CenaNetto * (1 + Vat)). Upust = P_10, else the discount the price hides:
// rounded(P_9A * Ilosc) - net, where P_9A states a higher list price. DataZakupu = the line's P_6A,
// else P_6, else OkresFa's P_6_Do, else P_1.
#include "invoices/KsefInvoice.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace jadl::ksef {

// How the invoice reaches the purchase lines.
enum class Recording {
    Lines, // its lines, or its totals per rate, become purchase lines
    RegisterOnly, // it is registered (and not offered again), no purchase line is recorded
};

struct PlannedLine {
    int invoiceLine = 0; // NrWierszaFa, for messages; 0 for a line made of the totals
    int fileLine = 0; // line of the XML file
    bool beforeCorrection = false; // a correction's before-state line, recorded negative
    bool fromTotals = false; // carries the invoice's totals of its rate, not a line's values
    bool margin = false; // the margin scheme: no VAT to deduct
    QString name; // P_7, or what a line made of the totals is called
    QString unit; // P_8A as written; empty: the user picks one
    QString rate; // P_12 as written
    FieldSet fields = 0; // the per-rate total(s) the line is checked against
    // As the invoice states them (its currency): for the window and the register.
    std::optional<double> listPrice; // P_9A, else P_9B
    std::optional<double> discount; // P_10
    double currencyNet = 0; // net value in the invoice's currency (signed as recorded)
    double currencyVat = 0;
    std::optional<double> exchangeRate; // the rate its PLN values were converted at
    // The columns of the purchase line, in PLN. Money values are money-rounded.
    QDate dataZakupu;
    double ilosc = 0;
    double cenaNetto = 0;
    double cenaBrutto = 0;
    double upust = 0;
    double wartoscNetto = 0;
    double wartoscVat = 0;
    double wartoscBrutto = 0;
    QString vatTyp;
    double vat = 0;
};

// How one rate's lines compare with the invoice's total for that rate. Amounts in
// grosze of the invoice's currency.
struct RateCheck {
    enum class Status {
        Equal, // the lines add up to the invoice's totals
        Adjusted, // off by rounding: the difference was put on one line
        Mismatch, // off by more than rounding: the plan must not be recorded
        MissingTotal, // lines of this rate, but the invoice states no total for it
        TotalWithoutLines, // the invoice states a non-zero total, but no line has the rate
        NotChecked, // a settlement's totals (what remained after the advances) are not its lines'
    };
    FieldSet fields = 0;
    int lineCount = 0;
    qint64 invoiceNet = 0; // sum of the set's P_13_x (differences on a correction)
    qint64 invoiceVat = 0; // sum of the set's P_14_x (0 where the schema has none)
    qint64 linesNet = 0; // the planned lines, before any adjustment
    qint64 linesVat = 0;
    qint64 allowed = 0; // largest difference taken for rounding: 1 grosz per line
    Status status = Status::Equal;
    // In PLN, as the lines will be stored (after every adjustment).
    qint64 plnNet = 0;
    qint64 plnVat = 0;
};

// A rounding difference put on one line: its WartoscNetto and WartoscVat were changed
// by these amounts (grosze) and WartoscBrutto follows.
struct Adjustment {
    std::size_t planIndex = 0;
    int invoiceLine = 0;
    FieldSet fields = 0;
    qint64 netGrosze = 0;
    qint64 vatGrosze = 0;
    bool pln = false; // made on the PLN values of a foreign invoice
};

struct Plan {
    Recording recording = Recording::Lines;
    QString currency = QStringLiteral("PLN");
    std::vector<PlannedLine> lines;
    std::vector<RateCheck> checks;
    std::vector<Adjustment> adjustments;
    int droppedPairs = 0; // correction before/after pairs that cancel exactly
    int linesWithoutValue = 0; // invoice lines that only name goods
    bool totalsChecked = true; // false for a settlement: its totals are not its lines'
    qint64 invoiceGross = 0; // P_15, grosze of the invoice's currency
    qint64 linesGross = 0; // sum of the planned WartoscBrutto (PLN), after adjustments
    std::optional<QString> refusal; // why the invoice cannot be recorded at all
    QStringList explanations; // how this kind of invoice is recorded, for the window

    bool foreignCurrency() const { return currency != QLatin1String("PLN"); }
    // False when refused, or when a rate's lines and total differ by more than
    // rounding, or the invoice states a total no line accounts for.
    bool recordable() const;
    // Polish sentences for the window: each adjustment, mismatch and missing total,
    // dropped correction pairs, and a P_15 that differs from the lines.
    QStringList notes() const;
};

// Whole grosze of a money value.
qint64 toGrosze(double money);

Plan planLines(const Invoice& invoice);

} // namespace jadl::ksef
