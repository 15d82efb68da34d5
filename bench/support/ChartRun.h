#pragma once
// The purchase charts as the window computes them, over the tables of one
// database name (a data directory or a server alias); for the chart benchmarks.
// Header only: the benchmarks that use it link the work library.
#include "store/Table.h"
#include "work/PurchaseCharts.h"

#include <QDate>
#include <QStringList>

#include <memory>

namespace jadl::bench {

struct ChartRun {
    explicit ChartRun(const QString& database)
    {
        for (auto [table, file] : {std::pair{&lines, "Towary.DB"}, std::pair{&suppliers, "Dostawcy.db"},
                                   std::pair{&groups, "GrupyTowarow.DB"}, std::pair{&goods, "TowaryPodstawowe.db"}}) {
            table->setDatabaseName(database);
            table->setTableName(QString::fromLatin1(file));
            table->open();
        }
    }
    charts::ChartTables tables() { return {lines, suppliers, groups, goods}; }
    // How many numbers the chart shows, so that nothing is optimized away.
    qint64 run(charts::ChartKind kind, const charts::ChartScope& scope, qint64 good = 1)
    {
        using charts::ChartKind;
        if (kind == ChartKind::PriceHistory) {
            qint64 n = 0;
            for (const auto& s : charts::priceHistory(tables(), scope, good, QDate(2026, 12, 7)).suppliers)
                n += qint64(s.points.size());
            return n;
        }
        const charts::CategoryChart c = kind == ChartKind::Monthly ? charts::monthly(tables(), scope)
            : kind == ChartKind::SupplierShares                    ? charts::supplierShares(tables(), scope)
            : kind == ChartKind::GroupShares                       ? charts::groupShares(tables(), scope)
                                                                   : charts::vatByRate(tables(), scope);
        return qint64(c.categories.size()) * qint64(c.series.size());
    }
    Table lines, suppliers, groups, goods;
};

// --- the cases both engines' benchmarks time, and the same numbers in plain SQL

inline constexpr double kChartTargetMs = 300;
inline constexpr int kChartGroup = 1;
inline constexpr qint64 kChartGood = 7;
inline QDate chartYearFrom()
{
    return QDate(2025, 12, 15);
}
inline QDate chartYearTo()
{
    return QDate(2026, 12, 6);
}

// All suppliers, one supplier or a goods group; the whole register or a year
// with part months at both ends (or that year a year earlier).
inline charts::ChartScope chartScope(charts::ScopeKind kind, bool whole, bool yearEarlier = false)
{
    charts::ChartScope s;
    s.kind = kind;
    s.supplier = kBenchSupplier;
    s.group = kChartGroup;
    if (!whole) {
        s.from = yearEarlier ? chartYearFrom().addYears(-1) : chartYearFrom();
        s.to = yearEarlier ? chartYearTo().addYears(-1) : chartYearTo();
    }
    return s;
}

inline QString chartWhere(const charts::ChartScope& s, const QString& more = {})
{
    QString w = QStringLiteral(" WHERE 1 = 1") + more;
    if (s.kind == charts::ScopeKind::Supplier)
        w += QStringLiteral(" AND \"NumerDostawcy\" = %1").arg(s.supplier);
    if (s.kind == charts::ScopeKind::GoodsGroup)
        w += QStringLiteral(" AND \"NumerGrupy\" = %1").arg(s.group);
    if (s.from.isValid())
        w += QStringLiteral(" AND \"DataZakupu\" BETWEEN '%1' AND '%2'")
                 .arg(s.from.toString(Qt::ISODate), s.to.toString(Qt::ISODate));
    return w;
}

// The same GROUP BY as plain SQL writes it, in sqlite3 or in psql.
inline QStringList chartFloorQueries(charts::ChartKind kind, charts::ScopeKind scope, bool whole, bool server)
{
    using charts::ChartKind;
    const charts::ChartScope s = chartScope(scope, whole);
    const QString month = server ? QStringLiteral("date_trunc('month', \"DataZakupu\")")
                                 : QStringLiteral("substr(\"DataZakupu\", 1, 7)");
    const QString from = QStringLiteral(" FROM \"Towary\"");
    switch (kind) {
    case ChartKind::Monthly: {
        QStringList q{QStringLiteral("SELECT %1, sum(\"WartoscNetto\"), sum(\"WartoscBrutto\")").arg(month) + from +
                      chartWhere(s) + QStringLiteral(" GROUP BY 1")};
        if (!whole)
            q << QStringLiteral("SELECT %1, sum(\"WartoscNetto\")").arg(month) + from +
                    chartWhere(chartScope(scope, false, true)) + QStringLiteral(" GROUP BY 1");
        return q;
    }
    case ChartKind::SupplierShares:
        return {QStringLiteral("SELECT \"NumerDostawcy\", sum(\"WartoscNetto\")") + from + chartWhere(s) +
                QStringLiteral(" GROUP BY 1")};
    case ChartKind::GroupShares:
        return {QStringLiteral("SELECT \"NumerGrupy\", sum(\"WartoscNetto\")") + from + chartWhere(s) +
                QStringLiteral(" GROUP BY 1")};
    case ChartKind::VatByRate:
        return {QStringLiteral("SELECT %1, \"VatTyp\", sum(\"WartoscVat\")").arg(month) + from + chartWhere(s) +
                QStringLiteral(" GROUP BY 1, 2")};
    case ChartKind::PriceHistory: {
        const QString good = QStringLiteral(" AND \"NumerPodstawowy\" = %1").arg(kChartGood);
        charts::ChartScope last90 = s;
        last90.to = s.to.isValid() ? s.to : QDate(2026, 12, 7);
        last90.from = last90.to.addDays(-89);
        return {QStringLiteral("SELECT \"DataZakupu\", \"NumerDostawcy\", \"CenaNetto\", \"Ilosc\"") + from +
                    chartWhere(s, good) + QStringLiteral(" ORDER BY \"DataZakupu\""),
                QStringLiteral("SELECT \"NumerDostawcy\", sum(\"WartoscNetto\"), sum(\"Ilosc\")") + from +
                    chartWhere(last90, good) + QStringLiteral(" GROUP BY 1")};
    }
    }
    return {};
}

// Every chart at the whole register and at a year, for all suppliers; the
// scopes the kept monthly sums do not answer (VAT of one supplier, the
// groups' shares of one supplier) and one supplier or group at the whole register.
struct ChartCase {
    const char* name;
    charts::ChartKind kind;
    charts::ScopeKind scope;
    bool whole;
};
inline const ChartCase kChartCases[] = {
    {"Monthly_All_Whole", charts::ChartKind::Monthly, charts::ScopeKind::AllSuppliers, true},
    {"Monthly_All_Year", charts::ChartKind::Monthly, charts::ScopeKind::AllSuppliers, false},
    {"Monthly_Supplier_Whole", charts::ChartKind::Monthly, charts::ScopeKind::Supplier, true},
    {"Monthly_Group_Whole", charts::ChartKind::Monthly, charts::ScopeKind::GoodsGroup, true},
    {"Price_All_Whole", charts::ChartKind::PriceHistory, charts::ScopeKind::AllSuppliers, true},
    {"Suppliers_All_Whole", charts::ChartKind::SupplierShares, charts::ScopeKind::AllSuppliers, true},
    {"Suppliers_All_Year", charts::ChartKind::SupplierShares, charts::ScopeKind::AllSuppliers, false},
    {"Suppliers_Group_Whole", charts::ChartKind::SupplierShares, charts::ScopeKind::GoodsGroup, true},
    {"Groups_All_Whole", charts::ChartKind::GroupShares, charts::ScopeKind::AllSuppliers, true},
    {"Groups_All_Year", charts::ChartKind::GroupShares, charts::ScopeKind::AllSuppliers, false},
    {"Groups_Supplier_Whole", charts::ChartKind::GroupShares, charts::ScopeKind::Supplier, true},
    {"Vat_All_Whole", charts::ChartKind::VatByRate, charts::ScopeKind::AllSuppliers, true},
    {"Vat_All_Year", charts::ChartKind::VatByRate, charts::ScopeKind::AllSuppliers, false},
    {"Vat_Supplier_Whole", charts::ChartKind::VatByRate, charts::ScopeKind::Supplier, true},
};

} // namespace jadl::bench
