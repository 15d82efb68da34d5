// The charts' numbers against plain SQL over the same lines: every chart, every
// scope, a period with part months at both ends and the whole register.
#include "common/Money.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"
#include "support/core/TestSupport.h"
#include "work/PurchaseCharts.h"

#include <QRandomGenerator>
#include <QtTest>

#include <map>

using namespace jadl;
using charts::ChartKind;
using charts::ScopeKind;

Q_DECLARE_METATYPE(charts::ChartKind)
Q_DECLARE_METATYPE(charts::ScopeKind)

namespace {

constexpr int kSuppliers = 13; // more than the ten a share chart names
constexpr int kGroups = 4;
constexpr int kGoods = 12;
const QStringList kRates{QStringLiteral("23"), QStringLiteral("8"), QStringLiteral("5"), QStringLiteral("zw")};

QString month(const QString& isoDay)
{
    return isoDay.left(7);
}

QString monthKey(qint64 m)
{
    return QStringLiteral("%1-%2").arg(m / 12).arg(m % 12 + 1, 2, 10, QLatin1Char('0'));
}

} // namespace

class TstPurchaseCharts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void numbersAsSql_data();
    void numbersAsSql();
    void emptyPeriodHasNoCategories();

private:
    // Plain SQL rows over the lines of the scope: "key columns..., sums..." as text.
    QList<QStringList> sql(const QString& select, const charts::ChartScope& scope, const QString& groupBy) const;
    QString where(const charts::ChartScope& scope) const;
    charts::ChartTables tables() const;

    std::unique_ptr<test::TempDataDir> dir_;
    std::unique_ptr<Table> lines_, suppliers_, groups_, goods_;
    std::map<qint64, QString> supplierNames_;
};

void TstPurchaseCharts::initTestCase()
{
    dir_ = std::make_unique<test::TempDataDir>(QDate(2026, 12, 7));
    suppliers_ = test::openProgramTable(QStringLiteral("Dostawcy.db"));
    groups_ = test::openProgramTable(QStringLiteral("GrupyTowarow.DB"));
    goods_ = test::openProgramTable(QStringLiteral("TowaryPodstawowe.db"));
    for (int s = 1; s <= kSuppliers; ++s) {
        suppliers_->append();
        suppliers_->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Dostawca %1").arg(s, 2));
        suppliers_->post();
        supplierNames_[suppliers_->fieldByName(QStringLiteral("Numer")).asInteger()] = QStringLiteral("Dostawca %1")
                                                                                           .arg(s, 2);
    }
    for (int g = 1; g <= kGroups; ++g) {
        groups_->append();
        groups_->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Grupa %1").arg(g));
        groups_->post();
    }
    for (int i = 1; i <= kGoods; ++i) {
        goods_->append();
        goods_->fieldByName(QStringLiteral("NumerGrupy")).setInteger(1 + i % kGroups);
        goods_->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("T-%1").arg(i));
        goods_->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Towar %1").arg(i));
        goods_->fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(5.0 + i);
        goods_->post();
    }
    // Two years of lines with values of every size, some without a designation.
    QRandomGenerator rng(30);
    QList<test::PurchaseLine> rows;
    for (int n = 0; n < 900; ++n) {
        const int good = 1 + int(rng.bounded(kGoods));
        const double quantity = 1 + int(rng.bounded(40)) / 4.0;
        const double price = 0.5 + int(rng.bounded(100000)) / 100.0;
        const double net = roundedMoney(price * quantity);
        const QString rate = rng.bounded(20) == 0 ? QString() : kRates[int(rng.bounded(4))];
        const double vat = roundedMoney(net *
                                        (rate == QStringLiteral("23")      ? 0.23
                                             : rate == QStringLiteral("8") ? 0.08
                                             : rate == QStringLiteral("5") ? 0.05
                                                                           : 0.0));
        test::PurchaseLine l{1 + int(rng.bounded(kSuppliers)),
                             QDate(2025, 1, 1).addDays(int(rng.bounded(700))),
                             net,
                             vat,
                             net + vat,
                             QStringLiteral("T-%1").arg(good),
                             {}};
        l.more = {{QStringLiteral("NumerPodstawowy"), good},
                  {QStringLiteral("NumerGrupy"), 1 + good % kGroups},
                  {QStringLiteral("CenaNetto"), price},
                  {QStringLiteral("Ilosc"), quantity}};
        if (!rate.isEmpty())
            l.more[QStringLiteral("VatTyp")] = rate;
        rows << l;
    }
    test::addPurchaseLines(dir_->dataDir(), rows);
    lines_ = test::openProgramTable(QStringLiteral("Towary.DB"));
}

void TstPurchaseCharts::cleanupTestCase()
{
    lines_.reset();
    suppliers_.reset();
    groups_.reset();
    goods_.reset();
    dir_.reset();
}

charts::ChartTables TstPurchaseCharts::tables() const
{
    return {*lines_, *suppliers_, *groups_, *goods_};
}

QString TstPurchaseCharts::where(const charts::ChartScope& scope) const
{
    QString w = QStringLiteral(" WHERE 1 = 1");
    if (scope.kind == ScopeKind::Supplier)
        w += QStringLiteral(" AND NumerDostawcy = %1").arg(scope.supplier);
    if (scope.kind == ScopeKind::GoodsGroup)
        w += QStringLiteral(" AND NumerGrupy = %1").arg(scope.group);
    if (scope.from.isValid())
        w += QStringLiteral(" AND DataZakupu BETWEEN '%1' AND '%2'")
                 .arg(scope.from.toString(Qt::ISODate), scope.to.toString(Qt::ISODate));
    return w;
}

QList<QStringList> TstPurchaseCharts::sql(const QString& select, const charts::ChartScope& scope,
                                          const QString& groupBy) const
{
    return test::rawQuery(
        dir_->dataDir() + QStringLiteral("/Towary.DB"),
        QStringLiteral("SELECT %1 FROM Towary%2%3")
            .arg(select, where(scope), groupBy.isEmpty() ? QString() : QStringLiteral(" GROUP BY ") + groupBy));
}

void TstPurchaseCharts::numbersAsSql_data()
{
    QTest::addColumn<ChartKind>("kind");
    QTest::addColumn<ScopeKind>("scope");
    QTest::addColumn<bool>("whole");
    const std::pair<ChartKind, const char*> kinds[] = {{ChartKind::Monthly, "monthly"},
                                                       {ChartKind::PriceHistory, "price"},
                                                       {ChartKind::SupplierShares, "suppliers"},
                                                       {ChartKind::GroupShares, "groups"},
                                                       {ChartKind::VatByRate, "vat"}};
    const std::pair<ScopeKind, const char*> scopes[] = {
        {ScopeKind::Supplier, "one supplier"}, {ScopeKind::AllSuppliers, "all"}, {ScopeKind::GoodsGroup, "one group"}};
    for (const auto& [kind, kindName] : kinds)
        for (const auto& [scope, scopeName] : scopes)
            for (bool whole : {false, true})
                QTest::addRow("%s, %s, %s", kindName, scopeName, whole ? "whole register" : "part months")
                    << kind << scope << whole;
}

void TstPurchaseCharts::numbersAsSql()
{
    QFETCH(ChartKind, kind);
    QFETCH(ScopeKind, scope);
    QFETCH(bool, whole);
    charts::ChartScope s;
    s.kind = scope;
    s.supplier = supplierNames_.begin()->first + 2;
    s.group = 2;
    if (!whole) {
        s.from = QDate(2025, 3, 15);
        s.to = QDate(2026, 2, 10);
    }
    const auto near = [](double a, const QString& b) { return qAbs(a - b.toDouble()) < 0.005; };

    if (kind == ChartKind::Monthly || kind == ChartKind::VatByRate) {
        const bool vat = kind == ChartKind::VatByRate;
        const charts::CategoryChart c = vat ? charts::vatByRate(tables(), s) : charts::monthly(tables(), s);
        const QList<QStringList> rows = vat
            ? sql(QStringLiteral("substr(CAST(DataZakupu AS TEXT), 1, 7), COALESCE(VatTyp, '(bez stawki)'), "
                                 "sum(WartoscVat)"),
                  s, QStringLiteral("1, 2"))
            : sql(QStringLiteral("substr(CAST(DataZakupu AS TEXT), 1, 7), sum(WartoscNetto), sum(WartoscBrutto)"), s,
                  QStringLiteral("1"));
        QVERIFY(!rows.isEmpty());
        std::map<QString, double> shown; // "month|series" -> value
        for (size_t i = 0; i < c.months.size(); ++i)
            for (const charts::Series& series : c.series)
                if (!series.line)
                    shown[monthKey(c.months[i]) + u'|' + series.name] = series.values[i];
        size_t nonZero = 0;
        for (const auto& [key, v] : shown)
            nonZero += v != 0.0;
        size_t expected = 0;
        for (const QStringList& r : rows) {
            const QString m = month(r[0]);
            if (vat) {
                QVERIFY2(near(shown[m + u'|' + r[1]], r[2]), qPrintable(m + u' ' + r[1]));
                expected += r[2].toDouble() != 0.0;
            } else {
                QVERIFY2(near(shown[m + QStringLiteral("|Netto")], r[1]), qPrintable(m));
                QVERIFY2(near(shown[m + QStringLiteral("|Brutto")], r[2]), qPrintable(m));
                expected += (r[1].toDouble() != 0.0) + (r[2].toDouble() != 0.0);
            }
        }
        QCOMPARE(nonZero, expected); // nothing shown that SQL does not sum
        if (!vat && !whole) {
            // The line a year earlier: the same days of the year before.
            charts::ChartScope before = s;
            before.from = s.from.addYears(-1);
            before.to = s.to.addYears(-1);
            std::map<QString, double> earlier;
            for (const QStringList& r : sql(QStringLiteral("substr(CAST(DataZakupu AS TEXT), 1, 7), sum(WartoscNetto)"),
                                            before, QStringLiteral("1")))
                earlier[month(r[0])] = r[1].toDouble();
            for (size_t i = 0; i < c.months.size(); ++i)
                QVERIFY(qAbs(c.series[2].values[i] - earlier[monthKey(c.months[i] - 12)]) < 0.005);
        }
    } else if (kind == ChartKind::SupplierShares || kind == ChartKind::GroupShares) {
        const bool bySupplier = kind == ChartKind::SupplierShares;
        const charts::CategoryChart c = bySupplier ? charts::supplierShares(tables(), s)
                                                   : charts::groupShares(tables(), s);
        std::vector<double> expected;
        for (const QStringList& r : sql((bySupplier ? QStringLiteral("NumerDostawcy") : QStringLiteral("NumerGrupy")) +
                                            QStringLiteral(", sum(WartoscNetto)"),
                                        s, QStringLiteral("1")))
            expected.push_back(r[1].toDouble());
        std::sort(expected.begin(), expected.end(), std::greater<>());
        QCOMPARE(c.categories.size(), qsizetype(std::min<size_t>(expected.size(), 11)));
        double rest = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            if (i < 10)
                QVERIFY2(qAbs(c.series[0].values[i] - expected[i]) < 0.005, qPrintable(c.categories[qsizetype(i)]));
            else
                rest += expected[i];
        }
        if (expected.size() > 10) {
            QCOMPARE(c.categories.last(), QStringLiteral("pozostali"));
            QVERIFY(qAbs(c.series[0].values[10] - rest) < 0.005);
        }
        if (bySupplier && scope != ScopeKind::Supplier)
            QCOMPARE(c.categories.first().left(8), QStringLiteral("Dostawca"));
    } else {
        const int good = 2 + s.group; // a good of the group in every scope
        const charts::PriceHistory h = charts::priceHistory(tables(), s, good, QDate(2026, 12, 7));
        QCOMPARE(h.good, QStringLiteral("T-%1 – Towar %1").arg(good));
        QCOMPARE(h.reference.value_or(0), 5.0 + good);
        charts::ChartScope ofGood = s;
        if (ofGood.kind == ScopeKind::GoodsGroup)
            ofGood.kind = ScopeKind::AllSuppliers;
        const QList<QStringList> rows = test::rawQuery(
            dir_->dataDir() + QStringLiteral("/Towary.DB"),
            QStringLiteral("SELECT count(*), sum(CenaNetto), count(DISTINCT NumerDostawcy) FROM Towary%1 AND "
                           "NumerPodstawowy = %2")
                .arg(where(ofGood))
                .arg(good));
        size_t points = 0;
        double prices = 0;
        for (const charts::SupplierPrices& p : h.suppliers)
            for (const charts::PricePoint& pt : p.points) {
                ++points;
                prices += pt.price;
            }
        QCOMPARE(qsizetype(points), rows[0][0].toLongLong());
        QCOMPARE(qsizetype(h.suppliers.size()), rows[0][2].toLongLong());
        QVERIFY(qAbs(prices - rows[0][1].toDouble()) < 1e-6 * std::max(1.0, prices));
        // The cheapest on average over the 90 days to the period's end (today at the latest).
        const QDate end = s.to.isValid() ? s.to : QDate(2026, 12, 7);
        charts::ChartScope last90 = ofGood;
        last90.from = end.addDays(-89);
        last90.to = end;
        const QList<QStringList> averages = test::rawQuery(
            dir_->dataDir() + QStringLiteral("/Towary.DB"),
            QStringLiteral("SELECT NumerDostawcy, sum(WartoscNetto) / sum(Ilosc) AS sr FROM Towary%1 AND "
                           "NumerPodstawowy = %2 GROUP BY NumerDostawcy ORDER BY sr LIMIT 1")
                .arg(where(last90))
                .arg(good));
        QCOMPARE(h.cheapest.has_value(), !averages.isEmpty());
        if (h.cheapest) {
            QCOMPARE(h.cheapest->supplier, supplierNames_[averages[0][0].toLongLong()]);
            QVERIFY(qAbs(h.cheapest->averagePrice - averages[0][1].toDouble()) < 1e-6);
        }
    }
}

void TstPurchaseCharts::emptyPeriodHasNoCategories()
{
    charts::ChartScope s;
    s.from = QDate(2020, 1, 1);
    s.to = QDate(2020, 12, 31);
    QVERIFY(charts::monthly(tables(), s).empty());
    QVERIFY(charts::vatByRate(tables(), s).empty());
    QVERIFY(charts::supplierShares(tables(), s).empty());
    QVERIFY(charts::priceHistory(tables(), s, 3, QDate(2026, 12, 7)).empty());
}

QTEST_GUILESS_MAIN(TstPurchaseCharts)
#include "tst_purchasecharts.moc"
