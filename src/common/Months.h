#pragma once
// Month tables and period helpers shared by the windows and reports.
#include <QDate>
#include <QString>

namespace jadl {

// The program's own month names for printed captions, 1..12: "Styczeń" ... "Grudzień"
// (October spelled "Paźdiernik" as the program always printed it).
QString reportMonthName(int month);

// The last day of a month (QDate knows the calendar).
QDate lastDayOfMonth(int year, int month);

} // namespace jadl
