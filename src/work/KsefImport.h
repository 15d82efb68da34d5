#pragma once
// Importing a KSeF purchase invoice into the purchase lines, without the window:
// reading and planning the file, finding the seller among the suppliers by NIP
// and each line's basic good through the remembered mappings, adding what is
// missing (supplier, basic good, VAT designation, unit) and recording the lines.
// The import window shows a draft and asks the user for what is not found.
#include "invoices/KsefPlan.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace jadl {
class Table;
}

namespace jadl::ksefimport {

// The tables the import reads and writes: the data module's and its own three
// (the invoice register, its lines as written, and the mappings, made on first open).
struct Tables {
    Table& lines; // Towary.DB
    Table& suppliers;
    Table& goods; // TowaryPodstawowe
    Table& groups;
    Table& owner; // Wlasciciel: the active restaurant
    Table& vatRates;
    Table& units;
    Table& invoices; // FakturyKSeF.db
    Table& mappings; // MapowanieKSeF.db
    Table& invoiceLines; // PozycjeKSeF.db
};

// The import's own table objects over the data directory, so that the windows'
// links, filters and cursors stay as they are; the windows refresh afterwards.
class OwnTables {
public:
    OwnTables();
    ~OwnTables();
    OwnTables(const OwnTables&) = delete;
    OwnTables& operator=(const OwnTables&) = delete;
    Tables& tables() { return tables_; }

private:
    std::vector<std::unique_ptr<Table>> owned_;
    Tables tables_;
};

// The unit proposed for a line the invoice gives none (P_8A).
inline const QString kProposedUnit = QStringLiteral("szt");

// One invoice on its way in.
struct Draft {
    ksef::Invoice invoice;
    ksef::Plan plan;
    QString sha256;
    QString sellerNip; // digits only
    std::optional<int> supplier; // Numer of the supplier the lines go to
    std::vector<std::optional<int>> goods; // per planned line: Numer of its basic good
    std::vector<bool> mapped; // per planned line: the good came from a remembered mapping
    std::vector<bool> proposed; // per planned line: the good is only proposed (the seller's most bought)
    std::vector<QString> units; // per planned line: the invoice's unit, or the one the user picked
};

// Reads and plans the file, finds the supplier and the remembered goods. Throws
// ksef::InvoiceError (Polish, naming the file) for a file the import refuses: one
// it cannot read, one it cannot record (with the reason), a plan that does not add
// up, an invoice imported before.
Draft prepare(const QString& path, Tables& t);
// The same for an invoice's bytes as received (from KSeF); `name` stands for the file.
Draft prepare(const QByteArray& xml, const QString& name, Tables& t);

// Lines that carry a correction's totals get no mapping of their own: they are
// proposed the good bought most often from the draft's supplier (where the user
// has not chosen one). Called again when the supplier changes.
void proposeGoods(Tables& t, Draft& draft);

std::optional<int> supplierByNip(Table& suppliers, const QString& nipDigits);
std::optional<int> mappedGood(Table& mappings, const QString& nipDigits, const QString& lineName);
// The basic good of most purchase lines of the supplier, the lowest Numer of equals.
std::optional<int> mostBoughtGood(Tables& t, int supplier);

// A new supplier from the invoice's seller; returns its Numer.
int addSupplier(Tables& t, const ksef::Party& seller, const QString& symbol);

// A basic good made from an invoice line, as the user may still change it.
struct NewGood {
    QString name; // the line's name, cut at a word to the field's width
    QString symbol;
    QString unit;
};
NewGood proposeNewGood(const ksef::PlannedLine& line, const QString& unit);
inline constexpr int kGoodNameLength = 100;
inline constexpr int kGoodSymbolLength = 50;

// What the window added on the user's word, so that a cancel takes all of it back.
struct Additions {
    std::optional<int> supplier;
    std::vector<int> goods;
    std::vector<int> units; // JednostkiMiar Numer
    std::vector<int> vatDesignations; // StawkiVat Numer
};

// A new basic good in the group (the line's VAT designation and its net price after
// any discount, rounded to the grosz), adding its unit and VAT designation when the
// tables lack them; returns its Numer. A good without a name, symbol or unit is
// refused with a Polish message and nothing is added.
int addBasicGood(Tables& t, int groupNumber, const ksef::PlannedLine& line, const NewGood& good,
                 Additions* added = nullptr);
// Deletes what `added` lists (nothing refers to it before the invoice is recorded).
void takeBack(Tables& t, Additions& added);

// Records the draft: every line in one transaction (all or nothing) and durable,
// then the invoice in the register with each line as the invoice wrote it, and the
// goods chosen for its lines as the seller's mappings (not for a correction's
// lines made of its totals). An invoice the plan only registers records no line. A missing supplier or good, or an invoice recorded in the
// meantime, is refused with a Polish message and records nothing. Returns the
// register's Numer of the invoice. When the invoice is recorded but what is only
// remembered (mappings, new units and VAT designations) could not be written,
// `warning` says so (without it that is thrown as an error).
int record(Tables& t, const Draft& draft, QString* warning = nullptr);

} // namespace jadl::ksefimport
