// The period caption printed on the purchase reports, for every period choice.
#include "platform/Clock.h"
#include "reports/PeriodCaption.h"

#include <QtTest>

using namespace jadl;

class TestPeriodCaption : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void caption_data();
    void caption();
    void noChoiceLeavesCaption();
    void todayComesFromTheClock();
};

void TestPeriodCaption::caption_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("monthText");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");

    const QDate may = QDate(2024, 5, 17);
    const QDate none;
    QTest::newRow("0 calendar date") << 0 << QDate(2024, 3, 5) << QDate(2024, 3, 5) << "" << may << "5.3.2024";
    QTest::newRow("1 today") << 1 << none << none << "" << may << "17.5.2024";
    QTest::newRow("2 yesterday") << 2 << none << none << "" << may << "16.5.2024";
    QTest::newRow("2 yesterday leap") << 2 << none << none << "" << QDate(2024, 3, 1) << "29.2.2024";
    QTest::newRow("2 yesterday 2100") << 2 << none << none << "" << QDate(2100, 3, 1) << "28.2.2100";
    QTest::newRow("2 new year") << 2 << none << none << "" << QDate(2025, 1, 1) << "31.12.2024";
    QTest::newRow("3 this month") << 3 << none << none << "" << may << "Maj";
    QTest::newRow("3 october spelling") << 3 << none << none << "" << QDate(2024, 10, 2) << "Paźdiernik";
    QTest::newRow("4 previous month") << 4 << none << none << "" << may << "Kwiecień";
    QTest::newRow("4 in january") << 4 << none << none << "" << QDate(2024, 1, 9) << "Grudzień";
    QTest::newRow("5 second quarter") << 5 << none << none << "" << may << "1 Kwiecień -- 30 Czerwiec 2024";
    QTest::newRow("5 first quarter") << 5 << none << none << "" << QDate(2024, 2, 29) << "1 Styczeń -- 31 Marzec 2024";
    QTest::newRow("5 third quarter") << 5 << none << none << "" << QDate(2024, 9, 30) << "1 Lipiec -- 30 Wrzesień 2024";
    QTest::newRow("5 fourth quarter") << 5 << none << none << "" << QDate(2024, 10, 1)
                                      << "1 Paźdiernik -- 31 Grudzień 2024";
    QTest::newRow("6 previous quarter") << 6 << none << none << "" << QDate(2024, 8, 1)
                                        << "1 Kwiecień -- 30 Czerwiec 2024";
    QTest::newRow("6 from first quarter")
        << 6 << none << none << "" << QDate(2024, 3, 31) << "1 Paźdiernik -- 31 Grudzień 2023";
    QTest::newRow("7 this year") << 7 << none << none << "" << may << "2024";
    QTest::newRow("8 last year") << 8 << none << none << "" << may << "2023";
    QTest::newRow("9 chosen month") << 9 << none << none << "marzec" << may << "marzec 2024";
    QTest::newRow("9 trailing blank kept") << 9 << none << none << "kwiecień " << may << "kwiecień  2024";
    QTest::newRow("10 chosen range") << 10 << QDate(2024, 3, 1) << QDate(2024, 3, 15) << "" << may
                                     << "Od 1.3.2024 do 15.3.2024";
    QTest::newRow("10 across years") << 10 << QDate(2023, 12, 24) << QDate(2024, 1, 6) << "" << may
                                     << "Od 24.12.2023 do 6.1.2024";
    QTest::newRow("11 whole period") << 11 << none << none << "" << may << " za cały okres";
}

void TestPeriodCaption::caption()
{
    QFETCH(int, choice);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, monthText);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    const auto text = periodCaption(periodChoiceOf(choice), start, end, monthText, today);
    QVERIFY(text.has_value());
    QCOMPARE(*text, expected);
}

void TestPeriodCaption::noChoiceLeavesCaption()
{
    // An index beyond the list, or none, is no choice.
    QVERIFY(!periodChoiceOf(-1));
    QVERIFY(!periodChoiceOf(12));
    QVERIFY(
        !periodCaption(std::nullopt, QDate(2024, 1, 1), QDate(2024, 1, 2), QString(), QDate(2024, 5, 5)).has_value());
}

void TestPeriodCaption::todayComesFromTheClock()
{
    platform::setFixedToday(QDate(2026, 12, 6));
    const auto text = periodCaption(PeriodChoice::ThisQuarter, QDate(), QDate(), QString());
    platform::setFixedToday(std::nullopt);
    QCOMPARE(text.value_or(QString()), QStringLiteral("1 Paźdiernik -- 31 Grudzień 2026"));
}

QTEST_MAIN(TestPeriodCaption)
#include "tst_period.moc"
