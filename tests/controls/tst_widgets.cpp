// Month calendar, date picker, spin edit and the wheel-to-arrow filter.
#include "common/Formats.h"
#include "controls/DatePicker.h"
#include "controls/MonthCalendar.h"
#include "controls/SpinEdit.h"
#include "controls/WheelToArrowFilter.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

using namespace jadl;

namespace {

// Records the keys it gets.
class KeyRecorder : public QWidget {
public:
    QList<int> pressed;
    QList<int> released;
    int wheels = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override { pressed << e->key(); }
    void keyReleaseEvent(QKeyEvent* e) override { released << e->key(); }
    void wheelEvent(QWheelEvent* e) override
    {
        ++wheels;
        e->accept();
    }
};

void sendWheel(QWidget* target, int deltaY)
{
    const QPointF pos(5, 5);
    QWheelEvent wheel(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// Text of the day cell in the calendar's grid (row 0 holds the day names).
QAbstractItemModel* calendarModel(MonthCalendar& cal)
{
    auto* view = cal.findChild<QTableView*>();
    return view ? view->model() : nullptr;
}

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void calendarWeekStartsOnSunday_data();
    void calendarWeekStartsOnSunday();
    void calendarMonthSteps_data();
    void calendarMonthSteps();
    void calendarReportsEveryChangeOnce();
    void calendarPolishNames();
    void datePickerShortDate();
    void spinEditRange();
    void wheelBecomesArrowKeys_data();
    void wheelBecomesArrowKeys();
    void wheelMovesListByRows();
    void wheelOnScrollAreaViewportGoesToArea();
};

void TestWidgets::calendarWeekStartsOnSunday_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("column"); // grid column of that day, Sunday = 0
    QTest::newRow("Sunday 1 March 2026") << QDate(2026, 3, 1) << 0;
    QTest::newRow("Monday 7 December 2026") << QDate(2026, 12, 7) << 1;
    QTest::newRow("Saturday 5 December 2026") << QDate(2026, 12, 5) << 6;
}

void TestWidgets::calendarWeekStartsOnSunday()
{
    QFETCH(QDate, date);
    QFETCH(int, column);
    MonthCalendar cal;
    cal.setDate(date);
    QCOMPARE(cal.firstDayOfWeek(), Qt::Sunday);
    QAbstractItemModel* model = calendarModel(cal);
    QVERIFY(model);
    // Header row: the first column is Sunday.
    QCOMPARE(model->data(model->index(0, 0)).toString(), polishLocale().dayName(7, QLocale::ShortFormat));
    // The day itself sits in the column of its weekday, in the first week rows.
    bool found = false;
    for (int row = 1; row < model->rowCount() && !found; ++row) {
        if (model->data(model->index(row, column)).toString() == QString::number(date.day())) {
            // Day numbers repeat only across neighbour months: check this one is
            // in the right half of the grid for an early or a late day.
            found = date.day() > 14 ? row >= 3 : row <= 3;
        }
    }
    QVERIFY2(found, "day not in its weekday's column");
}

void TestWidgets::calendarMonthSteps_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("steps"); // + forward, - back
    QTest::addColumn<QDate>("expected");
    QTest::newRow("keeps the day") << QDate(2026, 5, 17) << 1 << QDate(2026, 6, 17);
    QTest::newRow("31 Jan to end of Feb") << QDate(2026, 1, 31) << 1 << QDate(2026, 2, 28);
    QTest::newRow("leap February") << QDate(2028, 1, 30) << 1 << QDate(2028, 2, 29);
    QTest::newRow("back over the year") << QDate(2027, 1, 15) << -1 << QDate(2026, 12, 15);
    // Step by step a short month clips the day for good.
    QTest::newRow("31 Mar back four months") << QDate(2027, 3, 31) << -4 << QDate(2026, 11, 28);
}

void TestWidgets::calendarMonthSteps()
{
    QFETCH(QDate, start);
    QFETCH(int, steps);
    QFETCH(QDate, expected);
    MonthCalendar cal;
    cal.setDate(start);
    for (int i = 0; i < std::abs(steps); ++i)
        steps > 0 ? cal.nextMonth() : cal.prevMonth();
    QCOMPARE(cal.date(), expected);
    QCOMPARE(cal.monthShown(), cal.date().month());
    QCOMPARE(cal.yearShown(), cal.date().year());
}

void TestWidgets::calendarReportsEveryChangeOnce()
{
    MonthCalendar cal;
    cal.setDate(QDate(2026, 12, 7));
    QSignalSpy spy(&cal, &MonthCalendar::dateChanged);
    cal.setDate(QDate(2026, 12, 7)); // same date: no change
    QCOMPARE(spy.count(), 0);
    cal.nextMonth();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toDate(), QDate(2027, 1, 7));
    cal.setMonth(2027, 2);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(cal.date(), QDate(2027, 2, 7));
    // Paging with the calendar's own bar moves the date with the page.
    cal.setCurrentPage(2027, 6);
    QCOMPARE(cal.date(), QDate(2027, 6, 7));
    QCOMPARE(spy.count(), 3);
}

void TestWidgets::calendarPolishNames()
{
    MonthCalendar cal;
    cal.setDate(QDate(2026, 12, 7));
    QCOMPARE(cal.monthTitle(), QStringLiteral("grudzień 2026"));
    QCOMPARE(cal.locale().language(), QLocale::Polish);
}

void TestWidgets::datePickerShortDate()
{
    DatePicker picker;
    picker.setDate(QDate(2010, 12, 1));
    QVERIFY(picker.calendarPopup());
    QCOMPARE(picker.text(), QStringLiteral("1.12.2010"));
    QCOMPARE(picker.text(), formatShortDate(QDate(2010, 12, 1)));
    QCOMPARE(picker.value(), QDate(2010, 12, 1));
}

void TestWidgets::spinEditRange()
{
    SpinEdit spin;
    spin.setMinValue(2000);
    spin.setMaxValue(2100);
    spin.setValue(2026);
    QCOMPARE(spin.text(), QStringLiteral("2026")); // no thousands separator
    spin.setValue(1999);
    QCOMPARE(spin.value(), 2000);
    spin.setIncrement(5);
    spin.stepBy(1);
    QCOMPARE(spin.value(), 2005);
}

void TestWidgets::wheelBecomesArrowKeys_data()
{
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<QList<int>>("keys");
    QTest::newRow("away from the user: Up") << QList<int>{120} << QList<int>{Qt::Key_Up};
    QTest::newRow("toward the user: Down") << QList<int>{-120} << QList<int>{Qt::Key_Down};
    QTest::newRow("two notches at once") << QList<int>{-240} << QList<int>{Qt::Key_Down, Qt::Key_Down};
    QTest::newRow("half notches add up") << QList<int>{60, 60, 60} << QList<int>{Qt::Key_Up};
    QTest::newRow("a turn back drops the half") << QList<int>{60, -120} << QList<int>{Qt::Key_Down};
    QTest::newRow("sideways only: nothing") << QList<int>{0} << QList<int>{};
}

void TestWidgets::wheelBecomesArrowKeys()
{
    QFETCH(QList<int>, deltas);
    QFETCH(QList<int>, keys);
    WheelToArrowFilter filter;
    qApp->installEventFilter(&filter);
    KeyRecorder w;
    for (int d : deltas)
        sendWheel(&w, d);
    qApp->removeEventFilter(&filter);
    QCOMPARE(w.pressed, keys);
    QCOMPARE(w.released, keys);
    QCOMPARE(w.wheels, 0); // the wheel event itself is swallowed
}

void TestWidgets::wheelMovesListByRows()
{
    WheelToArrowFilter::installOnApplication();
    QCOMPARE(WheelToArrowFilter::installOnApplication(), WheelToArrowFilter::installOnApplication());
    QListWidget list;
    for (int i = 0; i < 200; ++i)
        list.addItem(QStringLiteral("wiersz %1").arg(i));
    list.resize(200, 400);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setCurrentRow(5);
    QCOMPARE(list.verticalScrollBar()->value(), 0);
    sendWheel(list.viewport(), -120);
    QCOMPARE(list.currentRow(), 6);
    sendWheel(list.viewport(), 360);
    QCOMPARE(list.currentRow(), 3);
    // The rows stay in sight, so a wheel that scrolled the list would show here.
    QCOMPARE(list.verticalScrollBar()->value(), 0);
}

void TestWidgets::wheelOnScrollAreaViewportGoesToArea()
{
    WheelToArrowFilter filter;
    qApp->installEventFilter(&filter);
    QListWidget list;
    list.addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    list.setCurrentRow(0);
    sendWheel(list.viewport(), -120);
    qApp->removeEventFilter(&filter);
    QCOMPARE(list.currentRow(), 1);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
