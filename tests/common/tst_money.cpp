// Money rounding, VAT rates, gross prices and the reference-price comparison.
#include "common/Money.h"

#include <QtTest>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

using namespace jadl;

Q_DECLARE_METATYPE(std::optional<double>)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(jadl::PriceSignal)

namespace {

// Doubles are compared bit for bit: the stored values must be exactly i + n*0.01.
std::uint64_t bits(double v)
{
    return std::bit_cast<std::uint64_t>(v);
}

std::optional<double> num(double v)
{
    return v;
}

std::optional<QString> text(const char* s)
{
    return QString::fromUtf8(s);
}

} // namespace

class TestMoney : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundMoney_data();
    void roundMoney();
    void roundMoneyLeavesNonFinite();
    void isDigitsOnly_data();
    void isDigitsOnly();
    void vatRate_data();
    void vatRate();
    void grossPrice_data();
    void grossPrice();
    void comparePrices_data();
    void comparePrices();
};

void TestMoney::roundMoney_data()
{
    // Expected value given as whole part and cents: the result must be whole + cents*0.01.
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("whole");
    QTest::addColumn<int>("cents");

    QTest::newRow("half up 0.125") << 0.125 << 0.0 << 13;
    QTest::newRow("negative half toward zero") << -0.125 << -0.0 << -12;
    QTest::newRow("1.005 held below half") << 1.005 << 1.0 << 1;
    QTest::newRow("2.675 held below half") << 2.675 << 2.0 << 68;
    QTest::newRow("rounds, not truncates") << 1.239 << 1.0 << 24;
    QTest::newRow("10.7 stays") << 10.7 << 10.0 << 70;
    QTest::newRow("whole number") << 10.0 << 10.0 << 0;
    QTest::newRow("zero") << 0.0 << 0.0 << 0;
    QTest::newRow("negative whole") << -42.0 << -42.0 << 0;
    QTest::newRow("negative 2.675") << -2.675 << -2.0 << -67;
    QTest::newRow("negative 1.239") << -1.239 << -1.0 << -24;
    QTest::newRow("negative -0.135") << -0.135 << -0.0 << -13;
    QTest::newRow("half cent") << 0.005 << 0.0 << 1;
    QTest::newRow("negative half cent") << -0.005 << -0.0 << 0;
    QTest::newRow("carries into the whole") << 0.995 << 0.0 << 100;
    QTest::newRow("99.995") << 99.995 << 99.0 << 100;
    QTest::newRow("just below half") << 0.994999 << 0.0 << 99;
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << 0.0 << 30;
    QTest::newRow("large with half") << 123456789.125 << 123456789.0 << 13;
    QTest::newRow("large negative") << -98765432.105 << -98765432.0 << -10;
    QTest::newRow("huge whole") << 1e15 << 1e15 << 0;
}

void TestMoney::roundMoney()
{
    QFETCH(double, input);
    QFETCH(double, whole);
    QFETCH(int, cents);
    const double expected = whole + cents * 0.01;
    double x = input;
    jadl::roundMoney(x);
    QCOMPARE(bits(x), bits(expected));
    QCOMPARE(bits(roundedMoney(input)), bits(expected));
    // Rounding a rounded value changes nothing.
    double again = x;
    jadl::roundMoney(again);
    QCOMPARE(bits(again), bits(x));
}

void TestMoney::roundMoneyLeavesNonFinite()
{
    double inf = std::numeric_limits<double>::infinity();
    jadl::roundMoney(inf);
    QVERIFY(std::isinf(inf) && inf > 0);
    double nan = std::numeric_limits<double>::quiet_NaN();
    jadl::roundMoney(nan);
    QVERIFY(std::isnan(nan));
}

void TestMoney::isDigitsOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("digits") << QStringLiteral("23") << true;
    QTest::newRow("zero") << QStringLiteral("0") << true;
    QTest::newRow("leading zeros") << QStringLiteral("007") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("zw") << QStringLiteral("zw") << false;
    QTest::newRow("0k") << QStringLiteral("0k") << false;
    QTest::newRow("blank inside") << QStringLiteral("2 3") << false;
    QTest::newRow("trailing blank") << QStringLiteral("23 ") << false;
    QTest::newRow("sign") << QStringLiteral("-5") << false;
    QTest::newRow("decimal comma") << QStringLiteral("5,5") << false;
    QTest::newRow("arabic-indic digit") << QString(QChar(0x0663)) << false;
    QTest::newRow("fullwidth digit") << QString(QChar(0xFF11)) << false;
}

void TestMoney::isDigitsOnly()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(jadl::isDigitsOnly(text), expected);
}

void TestMoney::vatRate_data()
{
    QTest::addColumn<std::optional<QString>>("vat");
    QTest::addColumn<int>("percent");
    QTest::newRow("23") << text("23") << 23;
    QTest::newRow("8") << text("8") << 8;
    QTest::newRow("7") << text("7") << 7;
    QTest::newRow("0") << text("0") << 0;
    QTest::newRow("zw") << text("zw") << 0;
    QTest::newRow("0k") << text("0k") << 0;
    QTest::newRow("0e") << text("0e") << 0;
    QTest::newRow("empty text") << text("") << 0;
    QTest::newRow("null") << std::optional<QString>() << 0;
}

void TestMoney::vatRate()
{
    QFETCH(std::optional<QString>, vat);
    QFETCH(int, percent);
    QCOMPARE(bits(jadl::vatRate(vat)), bits(0.0 + percent * 0.01));
}

void TestMoney::grossPrice_data()
{
    QTest::addColumn<std::optional<double>>("net");
    QTest::addColumn<std::optional<QString>>("vat");
    QTest::addColumn<bool>("hasResult");
    QTest::addColumn<double>("whole");
    QTest::addColumn<int>("cents");

    QTest::newRow("10 at 7") << num(10) << text("7") << true << 10.0 << 70;
    QTest::newRow("10 at zw") << num(10) << text("zw") << true << 10.0 << 0;
    QTest::newRow("10 at 23") << num(10) << text("23") << true << 12.0 << 30;
    QTest::newRow("null VAT rounds the net") << num(3.456) << std::optional<QString>() << true << 3.0 << 46;
    QTest::newRow("gross rounded half up") << num(1.25) << text("8") << true << 1.0 << 35; // 1.35
    QTest::newRow("2.99 at 23") << num(2.99) << text("23") << true << 3.0 << 68; // 3.6777
    QTest::newRow("zero net") << num(0) << text("23") << true << 0.0 << 0;
    QTest::newRow("null net") << std::optional<double>() << text("23") << false << 0.0 << 0;
    QTest::newRow("null both") << std::optional<double>() << std::optional<QString>() << false << 0.0 << 0;
}

void TestMoney::grossPrice()
{
    QFETCH(std::optional<double>, net);
    QFETCH(std::optional<QString>, vat);
    QFETCH(bool, hasResult);
    QFETCH(double, whole);
    QFETCH(int, cents);
    const std::optional<double> gross = jadl::grossPrice(net, vat);
    QCOMPARE(gross.has_value(), hasResult);
    if (hasResult)
        QCOMPARE(bits(*gross), bits(whole + cents * 0.01));
}

void TestMoney::comparePrices_data()
{
    QTest::addColumn<std::optional<double>>("net");
    QTest::addColumn<std::optional<double>>("reference");
    QTest::addColumn<PriceSignal>("expected");
    const std::optional<double> null;
    QTest::newRow("equal") << num(5) << num(5) << PriceSignal::Equal;
    QTest::newRow("higher") << num(5.01) << num(5) << PriceSignal::Higher;
    QTest::newRow("lower") << num(4.99) << num(5) << PriceSignal::Lower;
    QTest::newRow("net null, reference set") << null << num(5) << PriceSignal::Lower;
    QTest::newRow("net set, reference null") << num(5) << null << PriceSignal::Higher;
    QTest::newRow("both null") << null << null << PriceSignal::Equal;
    QTest::newRow("null below negative") << null << num(-1) << PriceSignal::Lower;
    QTest::newRow("null below zero") << null << num(0) << PriceSignal::Lower;
    QTest::newRow("zero above null") << num(0) << null << PriceSignal::Higher;
}

void TestMoney::comparePrices()
{
    QFETCH(std::optional<double>, net);
    QFETCH(std::optional<double>, reference);
    QFETCH(PriceSignal, expected);
    QCOMPARE(jadl::comparePrices(net, reference), expected);
}

QTEST_APPLESS_MAIN(TestMoney)
#include "tst_money.moc"
