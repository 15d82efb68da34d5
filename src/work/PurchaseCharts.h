#pragma once
// The numbers of the purchase charts: values per month (and a year earlier), a
// good's net unit prices per supplier, the shares of suppliers and of goods
// groups, VAT per designation per month. Every number is the engine's grouped
// exact total over the same lines the supplier goods window shows for the same
// scope and period (store/GroupedSums.h), so the chart adds up to that window's
// sums to the grosz.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace jadl {
class Table;
}

namespace jadl::charts {

enum class ChartKind { Monthly, PriceHistory, SupplierShares, GroupShares, VatByRate };
enum class ScopeKind { Supplier, AllSuppliers, GoodsGroup };

struct ChartScope {
    ScopeKind kind = ScopeKind::AllSuppliers;
    qint64 supplier = 0; // of ScopeKind::Supplier
    qint64 group = 0; // of ScopeKind::GoodsGroup
    QDate from; // either end invalid: open, as "Cały Okres"
    QDate to;
};

// The tables the numbers and their names come from; none of their cursors moves.
struct ChartTables {
    Table& lines; // Towary
    Table& suppliers; // Dostawcy
    Table& groups; // GrupyTowarow
    Table& goods; // TowaryPodstawowe
};

struct Series {
    QString name;
    std::vector<double> values; // one per category
    bool line = false; // drawn as a line over the bars
};

// Bars, stacks and pies: categories along one axis, series of values.
struct CategoryChart {
    QStringList categories;
    std::vector<qint64> months; // the category's month (year * 12 + month - 1), for charts by month
    std::vector<Series> series;
    bool empty() const { return categories.isEmpty(); }
};

struct PricePoint {
    QDate day;
    double price = 0; // net unit price as the line records it
    double quantity = 0;
};
struct SupplierPrices {
    QString supplier;
    std::vector<PricePoint> points; // by day
};
struct Cheapest {
    QString supplier;
    double averagePrice = 0; // net value over quantity
    QDate from;
    QDate to;
};
struct PriceHistory {
    QString good;
    QString unit;
    std::optional<double> reference;
    std::vector<SupplierPrices> suppliers; // in Polish order of their names
    std::optional<Cheapest> cheapest; // over the last 90 days up to the period's end
    bool empty() const { return suppliers.empty(); }
};

// "sty 2026": the axis label of a month.
QString monthLabel(qint64 month);

CategoryChart monthly(ChartTables t, const ChartScope& scope);
// The ten largest and "pozostali".
CategoryChart supplierShares(ChartTables t, const ChartScope& scope);
CategoryChart groupShares(ChartTables t, const ChartScope& scope);
CategoryChart vatByRate(ChartTables t, const ChartScope& scope);
// The good's purchases in the period (of the scope's supplier only, in that scope).
PriceHistory priceHistory(ChartTables t, const ChartScope& scope, qint64 good, const QDate& today);

// What the grid "Tabela" and the sheet show: a header and rows of cells, texts
// and numbers (double money, QDate days).
struct ChartTable {
    QStringList header;
    std::vector<QVariantList> rows;
};
ChartTable tableOf(const CategoryChart& chart, const QString& categoryTitle);
ChartTable tableOf(const PriceHistory& history);

struct GoodChoice {
    qint64 number = 0;
    QString name; // "Symbol – Nazwa"
};
// The goods of a group for the chooser, in Polish order; `search` narrows them
// to names or symbols that contain it (any letter case).
std::vector<GoodChoice> goodsOf(Table& goods, qint64 group, const QString& search);
struct NamedKey {
    qint64 number = 0;
    QString name;
};
std::vector<NamedKey> supplierList(Table& suppliers);
std::vector<NamedKey> groupList(Table& groups);

} // namespace jadl::charts
