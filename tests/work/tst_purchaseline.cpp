// One purchase line as every recording fills it: the values of a line typed by
// hand in the program's rounding, and every field copied from the good, the
// supplier and the active restaurant.
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "work/PurchaseLine.h"

#include <QtTest>

using namespace jadl;

class TstPurchaseLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handEnteredValues_data();
    void handEnteredValues();
    void appendCopiesGoodSupplierAndRestaurant();
};

void TstPurchaseLine::handEnteredValues_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("vatTyp");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("net");
    QTest::addColumn<double>("vat");
    QTest::addColumn<double>("gross");
    // The net value is rounded first, the VAT computed from the rounded net.
    QTest::newRow("10.005 at 23 %") << 10.005 << "23" << 1.0 << 10.01 << 2.30 << 12.31;
    QTest::newRow("2,5 at 3.99, 7 %") << 3.99 << "7" << 2.5 << 9.98 << 0.70 << 10.68;
    QTest::newRow("exempt") << 10.0 << "zw" << 3.0 << 30.0 << 0.0 << 30.0;
    QTest::newRow("a return: negative halves toward zero") << 0.25 << "8" << -0.5 << -0.12 << -0.01 << -0.13;
}

void TstPurchaseLine::handEnteredValues()
{
    QFETCH(double, price);
    QFETCH(QString, vatTyp);
    QFETCH(double, quantity);
    purchase::GoodCopy good;
    good.cenaNetto = price;
    good.cenaBrutto = price * 1.23;
    good.vatTyp = vatTyp;
    const purchase::LineValues v = purchase::handEntered(good, QDate(2026, 12, 6), quantity, 0.0, true);
    QTEST(v.wartoscNetto, "net");
    QTEST(v.wartoscVat, "vat");
    QTEST(v.wartoscBrutto, "gross");
    QCOMPARE(v.ilosc, quantity);
}

void TstPurchaseLine::appendCopiesGoodSupplierAndRestaurant()
{
    test::TempDataDir dir;
    Table lines;
    lines.setDatabaseName(QStringLiteral("jadlonia"));
    lines.setTableName(QStringLiteral("Towary.DB"));
    lines.open();
    purchase::GoodCopy good{7,
                            QStringLiteral("Mleko 3,2%"),
                            QStringLiteral("MLEKO"),
                            2,
                            QStringLiteral("Nabiał"),
                            1,
                            QStringLiteral("N-7"),
                            2.5,
                            2.4,
                            2.7,
                            QStringLiteral("8"),
                            QStringLiteral("l")};
    const purchase::SupplierCopy supplier{3, QStringLiteral("HURT"), QStringLiteral("Hurtownia")};
    const purchase::RestaurantCopy restaurant{1, QStringLiteral("LIPY")};
    purchase::LineValues v = purchase::handEntered(good, QDate(2026, 12, 6), 4.0, 0.0, false);
    v.invoiceRegister = 12;
    v.invoiceNumber = QStringLiteral("FV/1");
    purchase::append(lines, good, supplier, restaurant, v);
    lines.post();
    lines.refresh();
    QCOMPARE(lines.recordCount(), 1);
    lines.first();
    const QList<std::pair<const char*, QVariant>> expected{{"NumerPodstawowy", 7},
                                                           {"Nazwa", QStringLiteral("Mleko 3,2%")},
                                                           {"Symbol", QStringLiteral("MLEKO")},
                                                           {"Grupa", QStringLiteral("Nabiał")},
                                                           {"Indeks", QStringLiteral("N-7")},
                                                           {"NumerDostawcy", 3},
                                                           {"SymbolDostawcy", QStringLiteral("HURT")},
                                                           {"Dostawca", QStringLiteral("Hurtownia")},
                                                           {"RestauracjaNumer", 1},
                                                           {"RestauracjaSymbol", QStringLiteral("LIPY")},
                                                           {"JednostkaMiary", QStringLiteral("l")},
                                                           {"VatTyp", QStringLiteral("8")},
                                                           {"Vat", 0.08},
                                                           {"Ilosc", 4.0},
                                                           {"WartoscNetto", 10.0},
                                                           {"WartoscVat", 0.8},
                                                           {"WartoscBrutto", 10.8},
                                                           {"JakaCenaRef", QStringLiteral("-")},
                                                           {"DataZakupuString", QStringLiteral("6 grudnia")},
                                                           {"Par9", QStringLiteral("Nie")},
                                                           {"Par8", 12},
                                                           {"Par10", QStringLiteral("FV/1")}};
    for (const auto& [field, value] : expected)
        QVERIFY2(lines.fieldByName(QString::fromLatin1(field)).value() == value,
                 qPrintable(QStringLiteral("%1: %2").arg(
                     QString::fromLatin1(field), lines.fieldByName(QString::fromLatin1(field)).value().toString())));
    QCOMPARE(lines.fieldByName(QStringLiteral("DataZakupu")).asDate(), QDate(2026, 12, 6));
    QVERIFY(!lines.fieldByName(QStringLiteral("CzyBylaFaktura")).asBoolean());
}

QTEST_MAIN(TstPurchaseLine)
#include "tst_purchaseline.moc"
