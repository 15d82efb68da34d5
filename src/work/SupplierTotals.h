#pragma once
// What the supplier goods window computes from the purchase lines it shows: the
// net, VAT and gross totals (of the selected supplier, of all suppliers, of every
// supplier, and before the supplier value report), and the two corrections of
// stored values. Works on the shared tables alone, so it can be tested without
// the window; the window decides when to run what and shows the results.
#include <QString>

#include <functional>
#include <map>
#include <optional>

namespace jadl {

class DataSource;
class Table;

namespace purchases {

struct Sums {
    double net = 0.0;
    double vat = 0.0;
    double gross = 0.0;
};
// The sums in the program's money rounding, as they are stored and shown.
Sums rounded(Sums s);

struct ViewSums {
    Sums sums; // of every visible line, exact, not yet money-rounded
    std::optional<int> lastSupplier; // NumerDostawcy of the last visible line
};
ViewSums sumView(Table& lines);
// Per supplier (NumerDostawcy), exact, not yet money-rounded; a line of no
// supplier counts for none.
std::map<int, Sums> sumsBySupplier(Table& lines);

// Called with the lines done so far of a long correction.
using Progress = std::function<void(int done, int total)>;

class SupplierTotals {
public:
    // `suppliersSource` is the data source of `suppliers` that `lines` follow.
    SupplierTotals(Table& lines, Table& suppliers, DataSource& suppliersSource);

    // The current supplier's sums over the visible lines, stored in its record
    // (the supplier of the last line, when it is another). The lines end on their last.
    Sums selectedSupplier();
    // The sums of all visible lines, stored nowhere; the lines end on their last.
    Sums allSuppliers();
    // Every supplier's stored sums over the lines as they are linked to the
    // supplier now; the suppliers end on their first. Returns the last stored.
    Sums everySupplier();
    // Every supplier's stored sums over the period, in "NumerDostawcyInd" order,
    // before the supplier value report; the lines end linked to the supplier.
    Sums report();

private:
    // Stores each supplier's sums (0 for a supplier without lines) in one statement;
    // returns those of the last supplier of the view.
    Sums storeEverySupplier(const std::map<int, Sums>& bySupplier);
    void store(const Sums& s);

    Table& lines_;
    Table& suppliers_;
    DataSource& suppliersSource_;
};

// "Popraw Vat i Brutto": a line without a basic good takes the first good (in
// primary order) with its symbol; then every visible line's values are computed
// again from its prices. Each step is one transaction.
void linkLinesToBasicGoods(Table& lines, Table& goods, DataSource& groupsSource, const Progress& progress);
void recomputeVisibleLines(Table& lines, const Progress& progress);
// "Przelicz powtórnie": the current line's gross price and values from its net
// price, VAT fraction and quantity.
void recomputeCurrentLine(Table& lines);

} // namespace purchases
} // namespace jadl
