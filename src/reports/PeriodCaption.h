#pragma once
// The text that names the printed period on the purchase reports, built from the
// supplier goods window's period choice with the program's own month table.
#include "common/Periods.h"

#include <QDate>
#include <QString>

#include <optional>

namespace jadl {

// choice: the period choice (none: the caption stays as it was, nullopt).
// start/end: the period dates of the choice; for the calendar day start is the
// calendar's date, for the chosen range start and end are the two pickers' dates.
// monthText: the text of the month combo (the chosen month).
// today: the system date.
std::optional<QString> periodCaption(std::optional<PeriodChoice> choice, const QDate& start, const QDate& end,
                                     const QString& monthText, const QDate& today);
// The same with today from the program's clock.
std::optional<QString> periodCaption(std::optional<PeriodChoice> choice, const QDate& start, const QDate& end,
                                     const QString& monthText);

} // namespace jadl
