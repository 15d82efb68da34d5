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

// The tables the import reads and writes: the data module's and its own two
// (the invoice register and the mappings, made on first open).
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

// One invoice on its way in.
struct Draft {
    ksef::Invoice invoice;
    ksef::Plan plan;
    QString sha256;
    QString sellerNip; // digits only
    std::optional<int> supplier; // Numer of the supplier the lines go to
    std::vector<std::optional<int>> goods; // per planned line: Numer of its basic good
    std::vector<bool> mapped; // per planned line: the good came from a remembered mapping
};

// Reads and plans the file, finds the supplier and the remembered goods. Throws
// ksef::InvoiceError (Polish, naming the file) for a file the import refuses: one
// it cannot read, a plan that does not add up, an invoice imported before.
Draft prepare(const QString& path, Tables& t);

std::optional<int> supplierByNip(Table& suppliers, const QString& nipDigits);
std::optional<int> mappedGood(Table& mappings, const QString& nipDigits, const QString& lineName);

// A new supplier from the invoice's seller; returns its Numer.
int addSupplier(Tables& t, const ksef::Party& seller, const QString& symbol);
// A new basic good in the group from an invoice line (its name, unit, VAT
// designation and net price); returns its Numer.
int addBasicGood(Tables& t, int groupNumber, const ksef::PlannedLine& line);

// Records the draft: every line in one transaction (all or nothing) and durable,
// then the invoice in the register and the goods chosen for its lines as the
// seller's mappings. A missing supplier or good, or an invoice recorded in the
// meantime, is refused with a Polish message and records nothing. Returns the
// register's Numer of the invoice. When the invoice is recorded but what is only
// remembered (mappings, new units and VAT designations) could not be written,
// `warning` says so (without it that is thrown as an error).
int record(Tables& t, const Draft& draft, QString* warning = nullptr);

} // namespace jadl::ksefimport
