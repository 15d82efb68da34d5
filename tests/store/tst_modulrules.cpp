// The data module's rules: which purchase lines and suppliers show, whatever window
// is working, and the ordinal a goods group gets when saved without one.
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "support/core/TempDataDir.h"

#include <QTest>

using jadl::Table;

namespace {

struct FakeWindows : jadl::PurchaseFilterInputs {
    bool assignment = false;
    bool byGroup = false;
    QDate calendar;
    bool supplierGoods = false;
    int choice = -1;
    bool assignmentVisible() const override { return assignment; }
    bool filterByGroup() const override { return byGroup; }
    QDate assignmentCalendarDate() const override { return calendar; }
    bool supplierGoodsVisible() const override { return supplierGoods; }
    std::optional<jadl::PeriodChoice> periodChoice() const override { return jadl::periodChoiceOf(choice); }
};

void addLine(TModulDanych1& dm, int supplier, int group, const QDate& day)
{
    Table* t = dm.TableTowary;
    t->append();
    t->fieldByName(QStringLiteral("NumerDostawcy")).setInteger(supplier);
    t->fieldByName(QStringLiteral("NumerGrupy")).setInteger(group);
    t->fieldByName(QStringLiteral("Symbol")).setString(day.toString(Qt::ISODate));
    if (day.isValid())
        t->fieldByName(QStringLiteral("DataZakupu")).setDate(day);
    t->post();
}

QStringList shownDays(Table* t)
{
    QStringList days;
    for (t->first(); !t->eof(); t->next())
        days << t->fieldByName(QStringLiteral("Symbol")).asString();
    days.sort();
    return days;
}

} // namespace

class ModuleRulesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void purchaseLinesFilter_data();
    void purchaseLinesFilter();
    void filterByGroupFollowsTheChosenGood();
    void suppliersFilterHidesZeroSums();
    void groupWithoutOrdinalTakesItsNumber();
};

void ModuleRulesTest::purchaseLinesFilter_data()
{
    QTest::addColumn<bool>("assignment");
    QTest::addColumn<bool>("supplierGoods");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QStringList>("expected");
    const QDate none;
    const QStringList all{QStringLiteral(""),           QStringLiteral("2024-02-29"), QStringLiteral("2024-03-01"),
                          QStringLiteral("2024-03-15"), QStringLiteral("2024-03-31"), QStringLiteral("2024-04-01")};
    // The assignment window's calendar is 15 March throughout.
    QTest::newRow("no window: everything") << false << false << -1 << none << none << all;
    QTest::newRow("assignment: calendar day")
        << true << false << -1 << none << none << QStringList{QStringLiteral("2024-03-15")};
    QTest::newRow("supplier goods, all time") << false << true << 11 << none << none << all;
    QTest::newRow("supplier goods, no choice") << false << true << -1 << none << none << all;
    QTest::newRow("month: both ends in, day before out")
        << false << true << 3 << QDate(2024, 3, 1) << QDate(2024, 3, 31)
        << QStringList{QStringLiteral("2024-03-01"), QStringLiteral("2024-03-15"), QStringLiteral("2024-03-31")};
    QTest::newRow("single day") << false << true << 1 << QDate(2024, 2, 29) << QDate(2024, 2, 29)
                                << QStringList{QStringLiteral("2024-02-29")};
    QTest::newRow("single day with different ends: none")
        << false << true << 2 << QDate(2024, 3, 1) << QDate(2024, 3, 15) << QStringList{};
    QTest::newRow("reversed range: none")
        << false << true << 10 << QDate(2024, 3, 31) << QDate(2024, 3, 1) << QStringList{};
    QTest::newRow("both windows: the period decides")
        << true << true << 9 << QDate(2024, 3, 1) << QDate(2024, 3, 31)
        << QStringList{QStringLiteral("2024-03-01"), QStringLiteral("2024-03-15"), QStringLiteral("2024-03-31")};
    QTest::newRow("both windows, all time: the calendar decides")
        << true << true << 11 << none << none << QStringList{QStringLiteral("2024-03-15")};
}

void ModuleRulesTest::purchaseLinesFilter()
{
    QFETCH(bool, assignment);
    QFETCH(bool, supplierGoods);
    QFETCH(int, choice);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QStringList, expected);
    jadl::test::TempDataDir dir;
    jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dir.dataDir());
    TModulDanych1 dm;
    FakeWindows windows;
    dm.setFilterInputs(&windows);
    // All suppliers' lines, as the supplier goods window shows them without a link.
    dm.TableTowary->setMasterSource(nullptr);
    dm.TableTowary->open();
    for (const QDate& d :
         {QDate(2024, 2, 29), QDate(2024, 3, 1), QDate(2024, 3, 15), QDate(2024, 3, 31), QDate(2024, 4, 1), QDate()})
        addLine(dm, 1, 1, d);

    windows.assignment = assignment;
    windows.calendar = QDate(2024, 3, 15);
    windows.supplierGoods = supplierGoods;
    windows.choice = choice;
    jadl::shared().periodStart = start;
    jadl::shared().periodEnd = end;
    dm.TableTowary->setFiltered(false);
    dm.TableTowary->setFiltered(true);
    QCOMPARE(shownDays(dm.TableTowary), expected);
    QCOMPARE(dm.TableTowary->recordCount(), expected.size());
}

void ModuleRulesTest::filterByGroupFollowsTheChosenGood()
{
    jadl::test::TempDataDir dir;
    jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dir.dataDir());
    TModulDanych1 dm;
    FakeWindows windows;
    dm.setFilterInputs(&windows);
    dm.TableTowary->setMasterSource(nullptr);
    dm.TableTowary->open();
    addLine(dm, 1, 7, QDate(2024, 3, 15));
    addLine(dm, 1, 8, QDate(2024, 3, 15));
    addLine(dm, 1, 7, QDate(2024, 3, 16));
    // The chosen basic good belongs to group 8.
    dm.TableTowaryPodstawowe->setMasterSource(nullptr);
    dm.TableTowaryPodstawowe->open();
    dm.TableTowaryPodstawowe->append();
    dm.TableTowaryPodstawowe->fieldByName(QStringLiteral("NumerGrupy")).setInteger(8);
    dm.TableTowaryPodstawowe->post();

    windows.assignment = true;
    windows.calendar = QDate(2024, 3, 15);
    windows.byGroup = true;
    dm.TableTowary->refresh();
    QCOMPARE(dm.TableTowary->recordCount(), 1);
    QCOMPARE(dm.TableTowary->fieldByName(QStringLiteral("NumerGrupy")).asInteger(), 8);
    windows.byGroup = false;
    dm.TableTowary->refresh();
    QCOMPARE(dm.TableTowary->recordCount(), 2);
}

void ModuleRulesTest::suppliersFilterHidesZeroSums()
{
    jadl::test::TempDataDir dir;
    jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dir.dataDir());
    TModulDanych1 dm;
    Table* s = dm.TableDostawcy;
    s->open();
    const std::vector<std::optional<double>> sums{12.5, 0.0, std::nullopt, -3.0};
    for (const auto& sum : sums) {
        s->append();
        if (sum)
            s->fieldByName(QStringLiteral("WartoscBruttoSuma")).setFloat(*sum);
        s->post();
    }
    jadl::shared().supplierReportFlag = false;
    s->setFiltered(true);
    QCOMPARE(s->recordCount(), 4);
    jadl::shared().supplierReportFlag = true;
    s->refresh();
    QCOMPARE(s->recordCount(), 2);
    s->setFiltered(false);
    QCOMPARE(s->recordCount(), 4);
    jadl::shared().supplierReportFlag = false;
}

void ModuleRulesTest::groupWithoutOrdinalTakesItsNumber()
{
    jadl::test::TempDataDir dir;
    jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dir.dataDir());
    TModulDanych1 dm;
    Table* g = dm.TableGrupyTowarow;
    g->open();
    g->append();
    g->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("WARZYWA"));
    g->post();
    const int first = g->fieldByName(QStringLiteral("Numer")).asInteger();
    QCOMPARE(g->fieldByName(QStringLiteral("NrKol")).asInteger(), first);
    g->append();
    g->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("OWOCE"));
    g->fieldByName(QStringLiteral("NrKol")).setInteger(40);
    g->post();
    QCOMPARE(g->fieldByName(QStringLiteral("NrKol")).asInteger(), 40);
    // Clearing the ordinal of a saved group gives it its number again.
    g->edit();
    g->fieldByName(QStringLiteral("NrKol")).clear();
    g->post();
    QCOMPARE(g->fieldByName(QStringLiteral("NrKol")).asInteger(), g->fieldByName(QStringLiteral("Numer")).asInteger());
    // Every saved group has a number and an ordinal, also seen from another connection.
    Table check;
    check.setDatabaseName(dir.dataDir());
    check.setTableName(QStringLiteral("GrupyTowarow.DB"));
    check.open();
    QCOMPARE(check.recordCount(), 2);
    for (check.first(); !check.eof(); check.next()) {
        QVERIFY(!check.fieldByName(QStringLiteral("Numer")).isNull());
        QVERIFY(!check.fieldByName(QStringLiteral("NrKol")).isNull());
    }
}

QTEST_GUILESS_MAIN(ModuleRulesTest)
#include "tst_modulrules.moc"
