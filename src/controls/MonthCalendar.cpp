#include "controls/MonthCalendar.h"

#include "common/Formats.h"

#include <QTextCharFormat>

namespace jadl {

MonthCalendar::MonthCalendar(QWidget* parent) : QCalendarWidget(parent)
{
    setLocale(polishLocale());
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    setGridVisible(true);
    // Weekends are not marked: the classic calendar drew every day alike.
    QTextCharFormat plain;
    setWeekdayTextFormat(Qt::Saturday, plain);
    setWeekdayTextFormat(Qt::Sunday, plain);
    last_ = selectedDate();
    connect(this, &QCalendarWidget::selectionChanged, this, &MonthCalendar::selectionMoved);
    connect(this, &QCalendarWidget::currentPageChanged, this, &MonthCalendar::pageMoved);
}

void MonthCalendar::setDate(const QDate& d)
{
    if (!d.isValid())
        return;
    setSelectedDate(d); // selectionMoved shows its page and reports the change
    selectionMoved();
}

void MonthCalendar::setMonth(int y, int m)
{
    const QDate first(y, m, 1);
    if (!first.isValid())
        return;
    setDate(QDate(y, m, std::min(day(), first.daysInMonth())));
}

QString MonthCalendar::monthTitle() const
{
    const QDate d = date();
    return polishLocale().standaloneMonthName(d.month(), QLocale::LongFormat) + u' ' + QString::number(d.year());
}

void MonthCalendar::selectionMoved()
{
    const QDate d = selectedDate();
    if (d == last_)
        return;
    last_ = d;
    if (yearShown() != d.year() || monthShown() != d.month())
        setCurrentPage(d.year(), d.month());
    Q_EMIT dateChanged(d);
}

void MonthCalendar::pageMoved(int y, int m)
{
    // Paging through months with the bar moves the date with it, so the shown
    // month and the date never disagree.
    if (y == date().year() && m == date().month())
        return;
    setMonth(y, m);
}

} // namespace jadl
