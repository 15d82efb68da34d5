#pragma once
// The text that names the printed period on the purchase reports, built from the
// supplier goods window's period choice with the program's own month table.
#include <QDate>
#include <QString>

#include <optional>

namespace jadl {

// choice: the period choice 0..11 (-1 = none, the caption stays as it was: nullopt).
// start/end: the period dates of the choice; for choice 0 start is the calendar's
// date, for choice 10 start and end are the two pickers' dates.
// monthText: the text of the month combo (choice 9).
// today: the system date.
std::optional<QString> periodCaption(int choice, const QDate& start, const QDate& end, const QString& monthText,
                                     const QDate& today);
// The same with today from the program's clock.
std::optional<QString> periodCaption(int choice, const QDate& start, const QDate& end, const QString& monthText);

} // namespace jadl
