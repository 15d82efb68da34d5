#pragma once
// Month tables and period helpers shared by the windows and reports.
#include <QDate>
#include <QString>

#include <optional>

namespace jadl {

// The program's own month names for printed captions, 1..12: "Styczeń" ... "Grudzień"
// (October spelled "Paźdiernik" as the program always printed it).
QString reportMonthName(int month);

// Days in a month by the Gregorian rule (leap: divisible by 4, but centuries only
// when divisible by 400).
int daysInMonth(int year, int month);
bool isLeapYear(int year);

// First month (1, 4, 7, 10) of the quarter that holds `month`.
int quarterFirstMonth(int month);

// What the caption of a printed purchase report needs to know about the chosen period.
struct PeriodCaptionInput {
    int choice = -1;            // item index of the period choice, -1 for none
    QDate calendarDate;         // the calendar's date (choice 0)
    QDate today;                // the program's today (choices 1 to 8)
    QString monthText;          // text of the month combo box as shown (choice 9)
    QDate rangeStart;           // the two date pickers (choice 10)
    QDate rangeEnd;
};

// The period caption of the purchase reports: "7.12.2026", "Grudzień",
// "1 Kwiecień -- 30 Czerwiec 2026", "2026", "Od 1.3.2024 do 15.3.2024",
// " za cały okres". nullopt for choice -1 (and anything unknown): the caption
// then stays as it was.
std::optional<QString> periodCaption(const PeriodCaptionInput& in);

} // namespace jadl
