#include "work/PurchaseCharts.h"

#include "common/Collation.h"
#include "common/ExactSum.h"
#include "common/Formats.h"
#include "store/Table.h"

#include <algorithm>
#include <map>

namespace jadl::charts {

namespace {

const QString kDate = QStringLiteral("DataZakupu");
const QString kNet = QStringLiteral("WartoscNetto");
const QString kGross = QStringLiteral("WartoscBrutto");
const QString kVat = QStringLiteral("WartoscVat");
const QString kSupplier = QStringLiteral("NumerDostawcy");
const QString kGroup = QStringLiteral("NumerGrupy");
constexpr int kLargest = 10;

qint64 monthOf(const QDate& d)
{
    return qint64(d.year()) * 12 + d.month() - 1;
}

RecordCondition conditionOf(const ChartScope& scope)
{
    RecordCondition c;
    if (scope.kind == ScopeKind::Supplier)
        c.equal.emplace_back(kSupplier, QVariant(scope.supplier));
    else if (scope.kind == ScopeKind::GoodsGroup)
        c.equal.emplace_back(kGroup, QVariant(scope.group));
    if (scope.from.isValid() || scope.to.isValid()) {
        c.dateField = kDate;
        c.from = scope.from;
        c.to = scope.to;
    }
    return c;
}

// Names by number from a dictionary table, read without moving its cursor.
std::map<qint64, QString> namesOf(Table& table, const QString& nameField)
{
    std::map<qint64, QString> out;
    RowsQuery q;
    q.fields = {QStringLiteral("Numer"), nameField};
    for (const QVariantList& row : table.selectRows(q))
        out[row[0].toLongLong()] = row[1].toString();
    return out;
}

bool polishLess(const QString& a, const QString& b)
{
    return polishSortKey(a) < polishSortKey(b);
}

std::vector<NamedKey> sortedList(Table& table, const QString& nameField)
{
    std::vector<NamedKey> out;
    for (const auto& [number, name] : namesOf(table, nameField))
        out.push_back({number, name});
    std::stable_sort(out.begin(), out.end(),
                     [](const NamedKey& a, const NamedKey& b) { return polishLess(a.name, b.name); });
    return out;
}

// Net value per key, the ten largest by name of their own and the rest together.
CategoryChart shares(Table& lines, const ChartScope& scope, const QString& keyField,
                     const std::map<qint64, QString>& names, const QString& noKey)
{
    GroupedQuery q;
    q.where = conditionOf(scope);
    q.keys = {keyField};
    q.sums = {kNet};
    struct Part {
        QString name;
        double net;
    };
    std::vector<Part> parts;
    for (const GroupedRow& r : lines.groupedSums(q)) {
        const QVariant& key = r.keys[0];
        const auto it = key.isNull() ? names.end() : names.find(key.toLongLong());
        parts.push_back({key.isNull()            ? noKey
                             : it != names.end() ? it->second
                                                 : QStringLiteral("nr %1").arg(key.toLongLong()),
                         r.sums[0]});
    }
    std::stable_sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) {
        return a.net != b.net ? a.net > b.net : polishLess(a.name, b.name);
    });
    CategoryChart out;
    Series net{QStringLiteral("Wartość netto"), {}, false};
    ExactSum rest;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i < size_t(kLargest)) {
            out.categories << parts[i].name;
            net.values.push_back(parts[i].net);
        } else {
            rest.add(parts[i].net);
        }
    }
    if (parts.size() > size_t(kLargest)) {
        out.categories << QStringLiteral("pozostali");
        net.values.push_back(rest.value());
    }
    out.series.push_back(std::move(net));
    return out;
}

// The months from the period's first to its last; an open end: the first or last with purchases.
std::vector<qint64> monthsOf(const ChartScope& scope, const std::vector<GroupedRow>& rows)
{
    if (rows.empty())
        return {};
    qint64 first = *rows.front().month;
    qint64 last = first;
    for (const GroupedRow& r : rows) {
        first = std::min(first, *r.month);
        last = std::max(last, *r.month);
    }
    if (scope.from.isValid())
        first = monthOf(scope.from);
    if (scope.to.isValid())
        last = monthOf(scope.to);
    std::vector<qint64> out;
    for (qint64 m = first; m <= last; ++m)
        out.push_back(m);
    return out;
}

std::map<qint64, std::vector<double>> byMonth(const std::vector<GroupedRow>& rows)
{
    std::map<qint64, std::vector<double>> out;
    for (const GroupedRow& r : rows)
        out[*r.month] = r.sums;
    return out;
}

} // namespace

QString monthLabel(qint64 month)
{
    const qint64 year = month >= 0 ? month / 12 : -((-month + 11) / 12);
    const int m = int(month - year * 12) + 1;
    return polishLocale().monthName(m, QLocale::ShortFormat) + QLatin1Char(' ') + QString::number(year);
}

CategoryChart monthly(ChartTables t, const ChartScope& scope)
{
    GroupedQuery q;
    q.where = conditionOf(scope);
    q.monthField = kDate;
    q.sums = {kNet, kGross};
    const std::vector<GroupedRow> rows = t.lines.groupedSums(q);
    // The same days a year earlier: a period of its own, so a part month compares with the same part.
    std::map<qint64, std::vector<double>> earlier;
    if (scope.from.isValid() && scope.to.isValid()) {
        GroupedQuery e = q;
        e.where.from = scope.from.addYears(-1);
        e.where.to = scope.to.addYears(-1);
        e.sums = {kNet};
        earlier = byMonth(t.lines.groupedSums(e));
    }
    const std::map<qint64, std::vector<double>> now = byMonth(rows);
    if (!scope.from.isValid())
        for (const auto& [m, sums] : now)
            earlier[m] = {sums[0]};

    CategoryChart out;
    Series net{QStringLiteral("Netto"), {}, false};
    Series gross{QStringLiteral("Brutto"), {}, false};
    Series before{QStringLiteral("Netto rok wcześniej"), {}, true};
    for (qint64 m : monthsOf(scope, rows)) {
        out.categories << monthLabel(m);
        out.months.push_back(m);
        const auto it = now.find(m);
        net.values.push_back(it == now.end() ? 0.0 : it->second[0]);
        gross.values.push_back(it == now.end() ? 0.0 : it->second[1]);
        const auto e = earlier.find(m - 12);
        before.values.push_back(e == earlier.end() ? 0.0 : e->second[0]);
    }
    out.series = {std::move(net), std::move(gross), std::move(before)};
    return out;
}

CategoryChart supplierShares(ChartTables t, const ChartScope& scope)
{
    return shares(t.lines, scope, kSupplier, namesOf(t.suppliers, QStringLiteral("Nazwa")),
                  QStringLiteral("(bez dostawcy)"));
}

CategoryChart groupShares(ChartTables t, const ChartScope& scope)
{
    return shares(t.lines, scope, kGroup, namesOf(t.groups, QStringLiteral("Grupa")), QStringLiteral("(bez grupy)"));
}

CategoryChart vatByRate(ChartTables t, const ChartScope& scope)
{
    GroupedQuery q;
    q.where = conditionOf(scope);
    q.monthField = kDate;
    q.keys = {QStringLiteral("VatTyp")};
    q.sums = {kVat};
    const std::vector<GroupedRow> rows = t.lines.groupedSums(q);
    QStringList rates;
    std::map<std::pair<qint64, QString>, double> vat;
    for (const GroupedRow& r : rows) {
        const QString rate = r.keys[0].isNull() ? QStringLiteral("(bez stawki)") : r.keys[0].toString();
        if (!rates.contains(rate))
            rates << rate;
        vat[{*r.month, rate}] = r.sums[0];
    }
    std::stable_sort(rates.begin(), rates.end(), polishLess);
    CategoryChart out;
    for (const QString& rate : rates)
        out.series.push_back({rate, {}, false});
    for (qint64 m : monthsOf(scope, rows)) {
        out.categories << monthLabel(m);
        out.months.push_back(m);
        for (Series& s : out.series) {
            const auto it = vat.find({m, s.name});
            s.values.push_back(it == vat.end() ? 0.0 : it->second);
        }
    }
    return out;
}

PriceHistory priceHistory(ChartTables t, const ChartScope& scope, qint64 good, const QDate& today)
{
    PriceHistory out;
    RowsQuery g;
    g.where.equal = {{QStringLiteral("Numer"), QVariant(good)}};
    g.fields = {QStringLiteral("Symbol"), QStringLiteral("Nazwa"), QStringLiteral("JednostkaMiary"),
                QStringLiteral("CenaReferencyjna")};
    const std::vector<QVariantList> found = t.goods.selectRows(g);
    if (found.empty())
        return out;
    out.good = found[0][0].toString() + QStringLiteral(" – ") + found[0][1].toString();
    out.unit = found[0][2].toString();
    if (!found[0][3].isNull() && found[0][3].toDouble() != 0.0)
        out.reference = found[0][3].toDouble();

    RowsQuery q;
    q.where = conditionOf(scope);
    q.where.equal.erase(
        std::remove_if(q.where.equal.begin(), q.where.equal.end(), [](const auto& e) { return e.first == kGroup; }),
        q.where.equal.end());
    q.where.equal.emplace_back(QStringLiteral("NumerPodstawowy"), QVariant(good));
    q.fields = {kDate, kSupplier, QStringLiteral("CenaNetto"), QStringLiteral("Ilosc")};
    q.orderBy = {kDate};
    const std::map<qint64, QString> names = namesOf(t.suppliers, QStringLiteral("Nazwa"));
    std::map<qint64, SupplierPrices> bySupplier;
    for (const QVariantList& r : t.lines.selectRows(q)) {
        if (r[0].isNull() || r[2].isNull())
            continue; // no day or no price: no point to draw
        const qint64 s = r[1].isNull() ? -1 : r[1].toLongLong();
        SupplierPrices& prices = bySupplier[s];
        if (prices.supplier.isEmpty()) {
            const auto it = names.find(s);
            prices.supplier = it != names.end() ? it->second : QStringLiteral("(bez dostawcy)");
        }
        prices.points.push_back({r[0].toDate(), r[2].toDouble(), r[3].toDouble()});
    }
    for (auto& [number, prices] : bySupplier)
        out.suppliers.push_back(std::move(prices));
    std::stable_sort(out.suppliers.begin(), out.suppliers.end(), [](const SupplierPrices& a, const SupplierPrices& b) {
        return polishLess(a.supplier, b.supplier);
    });

    // The cheapest on average over the 90 days up to the period's end (today at the latest).
    const QDate end = scope.to.isValid() && scope.to < today ? scope.to : today;
    GroupedQuery c;
    c.where = q.where;
    c.where.dateField = kDate;
    c.where.from = end.addDays(-89);
    c.where.to = end;
    c.keys = {kSupplier};
    c.sums = {kNet, QStringLiteral("Ilosc")};
    for (const GroupedRow& r : t.lines.groupedSums(c)) {
        if (r.keys[0].isNull() || r.sums[1] <= 0)
            continue;
        const double average = r.sums[0] / r.sums[1];
        if (!out.cheapest || average < out.cheapest->averagePrice) {
            const auto it = names.find(r.keys[0].toLongLong());
            out.cheapest = Cheapest{it != names.end() ? it->second : QString(), average, c.where.from, end};
        }
    }
    return out;
}

ChartTable tableOf(const CategoryChart& chart, const QString& categoryTitle)
{
    ChartTable out;
    out.header << categoryTitle;
    for (const Series& s : chart.series)
        out.header << s.name;
    for (qsizetype i = 0; i < chart.categories.size(); ++i) {
        QVariantList row{chart.categories[i]};
        for (const Series& s : chart.series)
            row << s.values[size_t(i)];
        out.rows.push_back(std::move(row));
    }
    return out;
}

ChartTable tableOf(const PriceHistory& history)
{
    ChartTable out;
    out.header = {QStringLiteral("Data zakupu"), QStringLiteral("Dostawca"), QStringLiteral("Cena netto"),
                  QStringLiteral("Ilość")};
    for (const SupplierPrices& s : history.suppliers)
        for (const PricePoint& p : s.points)
            out.rows.push_back({p.day, s.supplier, p.price, p.quantity});
    std::stable_sort(out.rows.begin(), out.rows.end(),
                     [](const QVariantList& a, const QVariantList& b) { return a[0].toDate() < b[0].toDate(); });
    return out;
}

std::vector<GoodChoice> goodsOf(Table& goods, qint64 group, const QString& search)
{
    RowsQuery q;
    q.where.equal = {{QStringLiteral("NumerGrupy"), QVariant(group)}};
    q.fields = {QStringLiteral("Numer"), QStringLiteral("Symbol"), QStringLiteral("Nazwa")};
    const QString wanted = search.trimmed();
    std::vector<GoodChoice> out;
    for (const QVariantList& r : goods.selectRows(q)) {
        const QString symbol = r[1].toString();
        const QString name = r[2].toString();
        if (!wanted.isEmpty() && !symbol.contains(wanted, Qt::CaseInsensitive) &&
            !name.contains(wanted, Qt::CaseInsensitive))
            continue;
        out.push_back({r[0].toLongLong(), symbol + QStringLiteral(" – ") + name});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const GoodChoice& a, const GoodChoice& b) { return polishLess(a.name, b.name); });
    return out;
}

std::vector<NamedKey> supplierList(Table& suppliers)
{
    return sortedList(suppliers, QStringLiteral("Nazwa"));
}

std::vector<NamedKey> groupList(Table& groups)
{
    return sortedList(groups, QStringLiteral("Grupa"));
}

} // namespace jadl::charts
