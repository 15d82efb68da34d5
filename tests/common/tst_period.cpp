// The caption that names the chosen period on the printed purchase reports.
#include "common/Months.h"

#include <QtTest>

using namespace jadl;

class TestPeriodCaption : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void caption_data();
    void caption();
    void quarterFirstMonth_data();
    void quarterFirstMonth();
};

void TestPeriodCaption::caption_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("expected");

    const QDate dec7(2026, 12, 7);
    QTest::newRow("calendar day") << 0 << dec7 << QStringLiteral("3.2.2026");   // calendar set below
    QTest::newRow("today") << 1 << dec7 << QStringLiteral("7.12.2026");
    QTest::newRow("yesterday across a year") << 2 << QDate(2027, 1, 1) << QStringLiteral("31.12.2026");
    QTest::newRow("this month") << 3 << dec7 << QStringLiteral("Grudzień");
    QTest::newRow("this month October") << 3 << QDate(2026, 10, 5) << QStringLiteral("Paźdiernik");
    QTest::newRow("previous month") << 4 << dec7 << QStringLiteral("Listopad");
    QTest::newRow("previous month in January") << 4 << QDate(2027, 1, 15) << QStringLiteral("Grudzień");
    QTest::newRow("first quarter") << 5 << QDate(2026, 2, 10) << QStringLiteral("1 Styczeń -- 31 Marzec 2026");
    QTest::newRow("second quarter") << 5 << QDate(2026, 6, 30) << QStringLiteral("1 Kwiecień -- 30 Czerwiec 2026");
    QTest::newRow("third quarter") << 5 << QDate(2026, 7, 1) << QStringLiteral("1 Lipiec -- 30 Wrzesień 2026");
    QTest::newRow("fourth quarter") << 5 << dec7 << QStringLiteral("1 Paźdiernik -- 31 Grudzień 2026");
    QTest::newRow("previous quarter") << 6 << dec7 << QStringLiteral("1 Lipiec -- 30 Wrzesień 2026");
    QTest::newRow("previous quarter from the first") << 6 << QDate(2027, 3, 31)
                                                     << QStringLiteral("1 Paźdiernik -- 31 Grudzień 2026");
    QTest::newRow("this year") << 7 << dec7 << QStringLiteral("2026");
    QTest::newRow("last year") << 8 << dec7 << QStringLiteral("2025");
    QTest::newRow("no choice keeps the caption") << -1 << dec7 << QStringLiteral("<none>");
    QTest::newRow("chosen month keeps its blank") << 9 << dec7 << QStringLiteral("kwiecień  2026");
    QTest::newRow("range") << 10 << dec7 << QStringLiteral("Od 1.3.2024 do 15.3.2024");
    QTest::newRow("everything") << 11 << dec7 << QStringLiteral(" za cały okres");
}

void TestPeriodCaption::caption()
{
    QFETCH(int, choice);
    QFETCH(QDate, today);
    QFETCH(QString, expected);
    PeriodCaptionInput in;
    in.choice = choice;
    in.today = today;
    in.calendarDate = QDate(2026, 2, 3);
    in.monthText = QStringLiteral("kwiecień ");
    in.rangeStart = QDate(2024, 3, 1);
    in.rangeEnd = QDate(2024, 3, 15);
    QCOMPARE(periodCaption(in).value_or(QStringLiteral("<none>")), expected);
}

void TestPeriodCaption::quarterFirstMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("first");
    const int firsts[] = {1, 1, 1, 4, 4, 4, 7, 7, 7, 10, 10, 10};
    for (int m = 1; m <= 12; ++m)
        QTest::addRow("%d", m) << m << firsts[m - 1];
}

void TestPeriodCaption::quarterFirstMonth()
{
    QFETCH(int, month);
    QFETCH(int, first);
    QCOMPARE(jadl::quarterFirstMonth(month), first);
}

QTEST_APPLESS_MAIN(TestPeriodCaption)
#include "tst_period.moc"
