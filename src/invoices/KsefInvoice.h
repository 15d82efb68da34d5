#pragma once
// A KSeF purchase invoice (FA(3) or FA(2)) as its XML file states it: only the parts
// the import uses, values as written (no rounding, no sign changes).
#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

namespace jadl::ksef {

enum class Schema { FA2, FA3 };

// RodzajFaktury.
enum class Kind { VAT, KOR, ZAL, ROZ, UPR, KOR_ZAL, KOR_ROZ };

// The per-rate totals of Fa in the order the schema lists them: P_13_1 .. P_13_11
// (net values) with P_14_1 .. P_14_5 (VAT) beside the first five.
enum class TotalField : int {
    P13_1,
    P13_2,
    P13_3,
    P13_4,
    P13_5,
    P13_6_1,
    P13_6_2,
    P13_6_3,
    P13_7,
    P13_8,
    P13_9,
    P13_10,
    P13_11
};
inline constexpr int kTotalFieldCount = 13;

// A set of total fields; a line's rate belongs to one such set (FA(2) spells a few
// rates that FA(3) splits over several fields, so a set can hold more than one).
using FieldSet = std::uint16_t;
constexpr FieldSet fieldBit(TotalField f)
{
    return FieldSet(1u << static_cast<int>(f));
}

// Element names: "P_13_1", and for the VAT side "P_14_1" (empty where the schema has none).
QString netElementName(TotalField f);
QString vatElementName(TotalField f);
// "P_13_1" or "P_13_6_1+P_13_6_2+P_13_6_3", for messages.
QString fieldSetName(FieldSet fields);

struct Total {
    std::optional<double> net; // P_13_x
    std::optional<double> vat; // P_14_x
    std::optional<double> vatPln; // P_14_xW: the VAT converted to PLN on a foreign-currency invoice
};

struct Line {
    int fileLine = 0; // line of the XML file where FaWiersz starts
    int number = 0; // NrWierszaFa
    QString name; // P_7
    QString unit; // P_8A (may be empty)
    std::optional<double> quantity; // P_8B
    std::optional<double> netPrice; // P_9A
    std::optional<double> grossPrice; // P_9B
    std::optional<double> netValue; // P_11
    std::optional<double> grossValue; // P_11A
    QString rate; // P_12 as written ("23", "0 KR", "np I", ...); empty on a margin line
    std::optional<QDate> supplyDate; // P_6A
    bool beforeCorrection = false; // StanPrzed
    std::optional<double> discount; // P_10
    std::optional<double> vatValue; // P_11Vat
    std::optional<double> exchangeRate; // KursWaluty
    bool fromOrder = false; // a ZamowienieWiersz of an advance invoice, not a FaWiersz

    // The line states an amount (it may only name goods, as a simplified invoice or a
    // correction of totals does).
    bool hasValue() const { return netValue || grossValue || vatValue; }
};

struct Party {
    QString nip;
    QString name;
    QString addressLine1;
    QString addressLine2;
    QString countryCode;
};

struct Invoice {
    QString fileName; // without folders, for messages
    Schema schema = Schema::FA3;
    Party seller; // Podmiot1
    QString buyerNip; // Podmiot2, informational
    QString buyerName;
    QString currency; // KodWaluty
    QDate issueDate; // P_1
    QString number; // P_2
    std::optional<QDate> supplyDate; // P_6, one date for every line
    std::optional<QDate> periodFrom; // OkresFa/P_6_Od, instead of P_6
    std::optional<QDate> periodTo; // OkresFa/P_6_Do
    Kind kind = Kind::VAT;
    std::array<Total, kTotalFieldCount> totals{};
    double grossTotal = 0; // P_15
    std::vector<Line> lines;
    std::optional<double> exchangeRate; // KursWalutyZ: the invoice's own rate, where it states one
    bool margin = false; // Adnotacje/PMarzy/P_PMarzy: the margin scheme
    std::optional<double> orderValue; // Zamowienie/WartoscZamowienia of an advance invoice
    std::vector<Line> orderLines; // Zamowienie/ZamowienieWiersz

    const Total& total(TotalField f) const { return totals[static_cast<std::size_t>(f)]; }
    bool foreignCurrency() const { return !currency.isEmpty() && currency != QLatin1String("PLN"); }
};

// RodzajFaktury code ("KOR") and back.
QString kindCode(Kind k);
std::optional<Kind> kindFromCode(QStringView code);

// A file the import cannot take. The message is Polish, names the file and, where it
// concerns an invoice line, the line's number and the element.
class InvoiceError : public std::runtime_error {
public:
    explicit InvoiceError(const QString& message);
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace jadl::ksef
