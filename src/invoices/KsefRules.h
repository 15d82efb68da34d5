#pragma once
// The rules that turn invoice fields into the program's own terms: NIP digits, VAT
// designations, which per-rate total a line belongs to, unit keys, a proposed supplier
// symbol, and the file digest kept in the invoice register.
#include "invoices/KsefInvoice.h"

#include <QString>

#include <optional>

namespace jadl::ksef {

// The digits of a NIP: blanks, dashes and a leading "PL" are ignored ("PL 526-104-08-28"
// -> "5261040828"). Anything else in the text makes it no Polish NIP: empty result, so
// that it never matches a supplier by accident.
QString nipDigits(const QString& text);

// What a P_12 value means for a purchase line.
struct RateMapping {
    QString vatTyp; // the program's VAT designation: "23", "8", "0k", "0e", "zw", "oo", "np"
    double vat = 0; // its fraction, jadl::vatRate(vatTyp): 0.23, and 0 for every non-digit designation
    FieldSet fields = 0; // the per-rate total(s) of Fa the line is summed into
};

// nullopt for a value the schema does not list. FA(3): 23 22 8 7 5 4 3, "0 KR",
// "0 WDT", "0 EX", zw, oo, "np I", "np II". FA(2): 23 22 8 7 5 4 3 0 zw oo np; its "0"
// and "np" do not say which of the split totals they go to, so they are summed into
// all of them (P_13_6_1..3, P_13_8+P_13_9).
std::optional<RateMapping> mapRate(Schema schema, QStringView p12);

// The VAT designation of lines recorded under the margin scheme (P_13_11): no VAT
// to deduct, a designation of its own so that the lines stand apart.
inline const QString kMarginDesignation = QStringLiteral("marża");

// The designation of a line that carries one of the invoice's totals (a simplified
// invoice or a correction given only as totals): P_13_1 "23", P_13_2 "8", P_13_3 "5",
// P_13_4 "4", the 0% fields "0k"/"0e", P_13_7 "zw", P_13_8/P_13_9 "np", P_13_10 "oo",
// P_13_11 the margin designation. P_13_5 (a special procedure) is "np".
QString designationOfTotal(TotalField f);

// A name cut at a word boundary to fit `length` characters, ending in "…" when it was
// cut; a single word longer than the field is cut inside it.
QString clipAtWord(const QString& text, int length);

// Key under which units are compared with the program's units table: trimmed, inner
// blanks collapsed, lower case, one trailing "." dropped ("Szt.", " szt", "SZT" -> "szt").
QString unitKey(const QString& unit);

// A supplier symbol proposed from the seller's name: upper case, at most 15 characters,
// the leading words of the name up to its legal form ("Sp. z o.o.", "S.A.", "sp.j.",
// "Spółka ...", "s.c."), punctuation and quotes dropped, Polish letters kept.
QString proposeSupplierSymbol(const QString& sellerName);
inline constexpr int kSupplierSymbolLength = 15;

// SHA-256 of a file's bytes as 64 lower-case hex digits; InvoiceError naming the file
// when it cannot be read.
QString fileSha256(const QString& path);

} // namespace jadl::ksef
