// Polish date and number formats and the number reader, under a foreign machine locale.
#include "common/Formats.h"
#include "common/Months.h"

#include <QtTest>

#include <limits>

using namespace jadl;

Q_DECLARE_METATYPE(std::optional<double>)

class TestFormats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void dates_data();
    void dates();
    void invalidDateGivesEmptyText();
    void sums_data();
    void sums();
    void partialNumbers_data();
    void partialNumbers();
    void mask00_data();
    void mask00();
    void general_data();
    void general();
    void otherMasks_data();
    void otherMasks();
    void parseNumber_data();
    void parseNumber();
    void parseDate_data();
    void parseDate();
    void reportMonthNames_data();
    void reportMonthNames();
    void monthEnds_data();
    void monthEnds();
};

void TestFormats::initTestCase()
{
    // The machine's own locale must not leak into any text.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFormats::dates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("longDate");
    QTest::addColumn<QString>("weekday");
    QTest::addColumn<QString>("dayMonth");
    QTest::addColumn<QString>("shortDate");

    QTest::newRow("December") << QDate(2026, 12, 7) << QStringLiteral("7 grudnia, 2026")
                              << QStringLiteral("poniedziałek") << QStringLiteral("7 grudnia")
                              << QStringLiteral("7.12.2026");
    QTest::newRow("January") << QDate(2025, 1, 1) << QStringLiteral("1 stycznia, 2025") << QStringLiteral("środa")
                             << QStringLiteral("1 stycznia") << QStringLiteral("1.1.2025");
    QTest::newRow("February leap day") << QDate(2024, 2, 29) << QStringLiteral("29 lutego, 2024")
                                       << QStringLiteral("czwartek") << QStringLiteral("29 lutego")
                                       << QStringLiteral("29.2.2024");
    QTest::newRow("March") << QDate(2024, 3, 1) << QStringLiteral("1 marca, 2024") << QStringLiteral("piątek")
                           << QStringLiteral("1 marca") << QStringLiteral("1.3.2024");
    QTest::newRow("April") << QDate(2026, 4, 18) << QStringLiteral("18 kwietnia, 2026") << QStringLiteral("sobota")
                           << QStringLiteral("18 kwietnia") << QStringLiteral("18.4.2026");
    QTest::newRow("May") << QDate(2026, 5, 3) << QStringLiteral("3 maja, 2026") << QStringLiteral("niedziela")
                         << QStringLiteral("3 maja") << QStringLiteral("3.5.2026");
    QTest::newRow("June") << QDate(2026, 6, 30) << QStringLiteral("30 czerwca, 2026") << QStringLiteral("wtorek")
                          << QStringLiteral("30 czerwca") << QStringLiteral("30.6.2026");
    QTest::newRow("July") << QDate(2026, 7, 15) << QStringLiteral("15 lipca, 2026") << QStringLiteral("środa")
                          << QStringLiteral("15 lipca") << QStringLiteral("15.7.2026");
    QTest::newRow("August") << QDate(2026, 8, 20) << QStringLiteral("20 sierpnia, 2026") << QStringLiteral("czwartek")
                            << QStringLiteral("20 sierpnia") << QStringLiteral("20.8.2026");
    QTest::newRow("September") << QDate(2026, 9, 11) << QStringLiteral("11 września, 2026") << QStringLiteral("piątek")
                               << QStringLiteral("11 września") << QStringLiteral("11.9.2026");
    QTest::newRow("October") << QDate(2026, 10, 31) << QStringLiteral("31 października, 2026")
                             << QStringLiteral("sobota") << QStringLiteral("31 października")
                             << QStringLiteral("31.10.2026");
    QTest::newRow("November") << QDate(2026, 11, 2) << QStringLiteral("2 listopada, 2026")
                              << QStringLiteral("poniedziałek") << QStringLiteral("2 listopada")
                              << QStringLiteral("2.11.2026");
}

void TestFormats::dates()
{
    QFETCH(QDate, date);
    QFETCH(QString, longDate);
    QFETCH(QString, weekday);
    QFETCH(QString, dayMonth);
    QFETCH(QString, shortDate);
    QCOMPARE(formatLongDate(date), longDate);
    QCOMPARE(formatWeekday(date), weekday);
    QCOMPARE(formatDayMonth(date), dayMonth);
    QCOMPARE(formatShortDate(date), shortDate);
}

void TestFormats::invalidDateGivesEmptyText()
{
    QVERIFY(formatLongDate(QDate()).isEmpty());
    QVERIFY(formatWeekday(QDate()).isEmpty());
    QVERIFY(formatDayMonth(QDate()).isEmpty());
    QVERIFY(formatShortDate(QDate()).isEmpty());
}

void TestFormats::sums_data()
{
    // Thousands are separated by a plain space (U+0020).
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("thousands") << 1234.5 << QStringLiteral("1 234,50");
    QTest::newRow("millions") << 1234567.891 << QStringLiteral("1 234 567,89");
    QTest::newRow("exact thousand") << 1000.0 << QStringLiteral("1 000,00");
    QTest::newRow("below thousand") << 999.999 << QStringLiteral("1 000,00");
    QTest::newRow("small") << 12.3 << QStringLiteral("12,30");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0,00");
    QTest::newRow("fraction only") << 0.07 << QStringLiteral("0,07");
    QTest::newRow("negative thousands") << -98765.4 << QStringLiteral("-98 765,40");
    QTest::newRow("negative small") << -0.12 << QStringLiteral("-0,12");
    QTest::newRow("half cent up") << 2.675 << QStringLiteral("2,68");
    QTest::newRow("negative half cent away") << -2.675 << QStringLiteral("-2,68");
    QTest::newRow("1.005") << 1.005 << QStringLiteral("1,01");
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << QStringLiteral("0,30");
    QTest::newRow("negative rounding to zero") << -0.001 << QStringLiteral("0,00");
    QTest::newRow("billions") << 1234567890.5 << QStringLiteral("1 234 567 890,50");
    QTest::newRow("a register's gross") << 352216121.27 << QStringLiteral("352 216 121,27");
    QTest::newRow("largest sum shown") << 999999999999.99 << QStringLiteral("999 999 999 999,99");
    QTest::newRow("largest negative") << -999999999999.99 << QStringLiteral("-999 999 999 999,99");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("NAN");
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << QStringLiteral("-INF");
}

void TestFormats::sums()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(formatSum(value), expected);
}

void TestFormats::partialNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("partial");
    for (const char* t : {"", "-", ",", "-,", "-2", "2,", "-2,5", "1 000,5"})
        QTest::newRow(t) << QString::fromLatin1(t) << true;
    for (const char* t : {"a", "2-", "--1", "1,2,3", "2,5x"})
        QTest::newRow(t) << QString::fromLatin1(t) << false;
}

void TestFormats::partialNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, partial);
    QCOMPARE(isPartialNumber(text), partial);
}

void TestFormats::mask00_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no thousands separator") << 1234.5 << QStringLiteral("1234,50");
    QTest::newRow("negative") << -0.12 << QStringLiteral("-0,12");
    QTest::newRow("whole") << 3.0 << QStringLiteral("3,00");
    QTest::newRow("rounded up") << 10.699999 << QStringLiteral("10,70");
    QTest::newRow("carry") << 9.999 << QStringLiteral("10,00");
    QTest::newRow("half up") << 0.125 << QStringLiteral("0,13");
    QTest::newRow("large") << 1234567.0 << QStringLiteral("1234567,00");
}

void TestFormats::mask00()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(formatMask00(value), expected);
    QCOMPARE(formatNumber(value, QStringLiteral("0.00")), expected);
}

void TestFormats::general_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("10.7") << 10.7 << QStringLiteral("10,7");
    QTest::newRow("whole") << 3.0 << QStringLiteral("3");
    QTest::newRow("sum of tenths") << 0.1 + 0.2 << QStringLiteral("0,3");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
    QTest::newRow("negative") << -12.5 << QStringLiteral("-12,5");
    QTest::newRow("no thousands separator") << 1234567.25 << QStringLiteral("1234567,25");
    QTest::newRow("fifteen digits") << 123456789012345.0 << QStringLiteral("123456789012345");
    QTest::newRow("beyond fifteen digits") << 1e20 << QStringLiteral("1E20");
    QTest::newRow("small fixed") << 0.0001 << QStringLiteral("0,0001");
    QTest::newRow("small scientific") << 0.000015 << QStringLiteral("1,5E-5");
    QTest::newRow("one third") << 1.0 / 3.0 << QStringLiteral("0,333333333333333");
    QTest::newRow("two thirds rounded") << 2.0 / 3.0 << QStringLiteral("0,666666666666667");
}

void TestFormats::general()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(formatGeneral(value), expected);
    QCOMPARE(formatNumber(value, QString()), expected);
}

void TestFormats::otherMasks_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");
    QTest::newRow("grouped") << 1234.5 << QStringLiteral("#,##0.00") << QStringLiteral("1 234,50");
    QTest::newRow("whole mask") << 2.5 << QStringLiteral("0") << QStringLiteral("3");
    QTest::newRow("optional decimals dropped") << 2.5 << QStringLiteral("0.0#") << QStringLiteral("2,5");
    QTest::newRow("optional decimals kept") << 2.456 << QStringLiteral("0.0#") << QStringLiteral("2,46");
    QTest::newRow("three decimals") << 1.0 << QStringLiteral("0.000") << QStringLiteral("1,000");
}

void TestFormats::otherMasks()
{
    QFETCH(double, value);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(value, mask), expected);
}

void TestFormats::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("expected");
    const std::optional<double> bad;
    QTest::newRow("decimal comma") << QStringLiteral("2,5") << std::optional<double>(2.5);
    QTest::newRow("decimal point") << QStringLiteral("2.5") << std::optional<double>(2.5);
    QTest::newRow("thousands and blanks") << QStringLiteral(" 1 234,50 ") << std::optional<double>(1234.5);
    QTest::newRow("non-breaking space") << QStringLiteral("1\u00A0234,5") << std::optional<double>(1234.5);
    QTest::newRow("negative") << QStringLiteral("-3") << std::optional<double>(-3);
    QTest::newRow("plus sign") << QStringLiteral("+7") << std::optional<double>(7);
    QTest::newRow("leading comma") << QStringLiteral(",5") << std::optional<double>(0.5);
    QTest::newRow("trailing comma") << QStringLiteral("5,") << std::optional<double>(5);
    QTest::newRow("exponent") << QStringLiteral("1,5E3") << std::optional<double>(1500);
    QTest::newRow("formatted sum reads back") << formatSum(-98765.4) << std::optional<double>(-98765.4);
    QTest::newRow("empty") << QString() << bad;
    QTest::newRow("only blanks") << QStringLiteral("   ") << bad;
    QTest::newRow("letters") << QStringLiteral("abc") << bad;
    QTest::newRow("two commas") << QStringLiteral("1,2,3") << bad;
    QTest::newRow("comma and point") << QStringLiteral("1.234,5") << bad;
    QTest::newRow("lone sign") << QStringLiteral("-") << bad;
    QTest::newRow("lone comma") << QStringLiteral(",") << bad;
    QTest::newRow("trailing letters") << QStringLiteral("12zł") << bad;
    QTest::newRow("infinity") << QStringLiteral("inf") << bad;
    QTest::newRow("overflow") << QStringLiteral("1e999") << bad;
}

void TestFormats::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, expected);
    const std::optional<double> got = jadl::parseNumber(text);
    QCOMPARE(got.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(*got, *expected);
}

void TestFormats::parseDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("iso") << QStringLiteral("2026-12-07") << QDate(2026, 12, 7);
    QTest::newRow("short") << QStringLiteral("7.12.2026") << QDate(2026, 12, 7);
    QTest::newRow("short with zeros") << QStringLiteral("07.02.2026") << QDate(2026, 2, 7);
    QTest::newRow("short date reads back") << formatShortDate(QDate(2024, 3, 1)) << QDate(2024, 3, 1);
    QTest::newRow("no such day") << QStringLiteral("29.2.2025") << QDate();
    QTest::newRow("month 13") << QStringLiteral("2026-13-01") << QDate();
    QTest::newRow("two-digit year") << QStringLiteral("7.12.26") << QDate();
    QTest::newRow("text") << QStringLiteral("dziś") << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TestFormats::parseDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, expected);
    const std::optional<QDate> got = jadl::parseDate(text);
    QCOMPARE(got.value_or(QDate()), expected);
}

void TestFormats::reportMonthNames_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("name");
    const QStringList names = {
        QStringLiteral("Styczeń"),    QStringLiteral("Luty"),     QStringLiteral("Marzec"),
        QStringLiteral("Kwiecień"),   QStringLiteral("Maj"),      QStringLiteral("Czerwiec"),
        QStringLiteral("Lipiec"),     QStringLiteral("Sierpień"), QStringLiteral("Wrzesień"),
        QStringLiteral("Paźdiernik"), QStringLiteral("Listopad"), QStringLiteral("Grudzień"),
    };
    for (int m = 1; m <= 12; ++m)
        QTest::addRow("%d", m) << m << names.at(m - 1);
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("13") << 13 << QString();
}

void TestFormats::reportMonthNames()
{
    QFETCH(int, month);
    QFETCH(QString, name);
    QCOMPARE(reportMonthName(month), name);
}

// Month ends as the periods take them: leap years by the Gregorian rule.
void TestFormats::monthEnds_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("lastDay");
    QTest::newRow("1900 century, no leap") << 1900 << 2 << 28;
    QTest::newRow("2000 four hundred, leap") << 2000 << 2 << 29;
    QTest::newRow("2024 leap") << 2024 << 2 << 29;
    QTest::newRow("2026") << 2026 << 2 << 28;
    QTest::newRow("2100 century") << 2100 << 2 << 28;
    QTest::newRow("April") << 2026 << 4 << 30;
    QTest::newRow("December") << 2026 << 12 << 31;
}

void TestFormats::monthEnds()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, lastDay);
    QCOMPARE(lastDayOfMonth(year, month), QDate(year, month, lastDay));
    QVERIFY(!lastDayOfMonth(year, 13).isValid());
}

QTEST_APPLESS_MAIN(TestFormats)
#include "tst_formats.moc"
