#pragma once
// Month tables and period helpers shared by the windows and reports.
#include <QDate>
#include <QString>

namespace jadl {

// The program's own month names for printed captions, 1..12: "Styczeń" ... "Grudzień"
// (October spelled "Paźdiernik" as the program always printed it).
QString reportMonthName(int month);

// Days in a month by the Gregorian rule (leap: divisible by 4, but centuries only
// when divisible by 400).
int daysInMonth(int year, int month);
bool isLeapYear(int year);

} // namespace jadl
