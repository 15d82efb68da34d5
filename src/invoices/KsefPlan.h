#pragma once
// The purchase lines an invoice will be recorded as, with exactly the values they will
// be stored with, checked against the invoice's own per-rate totals. Matching goods
// and the supplier is not done here: the plan knows nothing of the program's tables.
//
// Values of a line (money rounded with jadl::roundMoney throughout):
//   Ilosc = P_8B, 1 when absent. WartoscNetto = P_11; a line priced gross (P_11A, no
//   P_11) has WartoscNetto = P_11A - rounded(P_11A * Vat / (1 + Vat)). CenaNetto = P_9A,
//   else rounded(WartoscNetto / Ilosc). WartoscVat = rounded(Vat * WartoscNetto),
//   WartoscBrutto = WartoscNetto + WartoscVat, CenaBrutto = rounded(CenaNetto * (1 + Vat)).
//   DataZakupu = the line's P_6A, else P_6, else OkresFa's P_6_Do, else P_1.
// A correction (KOR) records after minus before: StanPrzed lines with quantity and
// values negated, an unchanged before/after pair not at all.
// Per rate (per set of P_13_x fields) the lines' net and VAT sums are compared in whole
// grosze with the invoice. A difference of at most one grosz per line of the rate, on
// net and on VAT each, is rounding and goes onto the rate's line with the largest
// absolute net value (the first of equals); more is a mismatch and the invoice is not
// recorded. Lines of a rate the invoice states no total for are only reported.
#include "invoices/KsefInvoice.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace jadl::ksef {

struct PlannedLine {
    int invoiceLine = 0; // NrWierszaFa, for messages
    int fileLine = 0; // line of the XML file
    bool beforeCorrection = false; // a correction's before-state line, recorded negative
    QString name; // P_7
    QString unit; // P_8A as written
    QString rate; // P_12 as written
    FieldSet fields = 0; // the per-rate total(s) the line is checked against
    // The columns of the purchase line. Money values are money-rounded (jadl::roundMoney).
    QDate dataZakupu;
    double ilosc = 0;
    double cenaNetto = 0;
    double cenaBrutto = 0;
    double wartoscNetto = 0;
    double wartoscVat = 0;
    double wartoscBrutto = 0;
    QString vatTyp;
    double vat = 0;
};

// How one rate's lines compare with the invoice's total for that rate. Amounts in grosze.
struct RateCheck {
    enum class Status {
        Equal, // the lines add up to the invoice's totals
        Adjusted, // off by rounding: the difference was put on one line
        Mismatch, // off by more than rounding: the plan must not be recorded
        MissingTotal, // lines of this rate, but the invoice states no total for it
        TotalWithoutLines, // the invoice states a non-zero total, but no line has the rate
    };
    FieldSet fields = 0;
    int lineCount = 0;
    qint64 invoiceNet = 0; // sum of the set's P_13_x (differences on a correction)
    qint64 invoiceVat = 0; // sum of the set's P_14_x (0 where the schema has none)
    qint64 linesNet = 0; // the planned lines, before any adjustment
    qint64 linesVat = 0;
    qint64 allowed = 0; // largest difference taken for rounding: 1 grosz per line
    Status status = Status::Equal;
};

// A rounding difference put on one line: its WartoscNetto and WartoscVat were changed
// by these amounts (grosze) and WartoscBrutto follows; its prices are left as stated.
struct Adjustment {
    std::size_t planIndex = 0;
    int invoiceLine = 0;
    FieldSet fields = 0;
    qint64 netGrosze = 0;
    qint64 vatGrosze = 0;
};

struct Plan {
    std::vector<PlannedLine> lines;
    std::vector<RateCheck> checks;
    std::vector<Adjustment> adjustments;
    int droppedPairs = 0; // correction before/after pairs that cancel exactly
    qint64 invoiceGross = 0; // P_15, grosze
    qint64 linesGross = 0; // sum of the planned WartoscBrutto, after adjustments

    // False when a rate's lines and total differ by more than rounding, or the invoice
    // states a total no line accounts for: the window shows why and records nothing.
    bool recordable() const;
    // Polish sentences for the window: each adjustment, mismatch and missing total,
    // dropped correction pairs, and a P_15 that differs from the lines.
    QStringList notes() const;
};

// Whole grosze of a money value.
qint64 toGrosze(double money);

Plan planLines(const Invoice& invoice);

} // namespace jadl::ksef
