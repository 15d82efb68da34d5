#pragma once
// A month grid whose weeks start on Sunday, with Polish month and day names. The
// date is always one day; moving to another month keeps the day of the month or,
// in a shorter month, takes its last day.
#include <QCalendarWidget>
#include <QDate>

namespace jadl {

class MonthCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit MonthCalendar(QWidget* parent = nullptr);

    QDate date() const { return selectedDate(); }
    void setDate(const QDate& date);
    int year() const { return date().year(); }
    int month() const { return date().month(); }
    int day() const { return date().day(); }
    // Same day in another month (its last day when the month is shorter).
    void setMonth(int year, int month);
    void nextMonth() { setDate(date().addMonths(1)); }
    void prevMonth() { setDate(date().addMonths(-1)); }
    void nextYear() { setDate(date().addYears(1)); }
    void prevYear() { setDate(date().addYears(-1)); }
    // Title of the month shown, e.g. "grudzień 2026".
    QString monthTitle() const;

Q_SIGNALS:
    // Every change of the date, from the user or from code.
    void dateChanged(const QDate& date);

private:
    void selectionMoved();
    void pageMoved(int year, int month);

    QDate last_;
};

} // namespace jadl
