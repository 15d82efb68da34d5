#pragma once
// Polish formats of dates and numbers, independent of the machine's locale.
#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

namespace jadl {

const QLocale& polishLocale();

QString formatLongDate(const QDate& d); // "d mmmm, yyyy": "7 grudnia, 2026"
QString formatWeekday(const QDate& d); // "dddd": "poniedziałek"
QString formatDayMonth(const QDate& d); // "d mmmm": "7 grudnia"
QString formatShortDate(const QDate& d); // the short date: "7.12.2026"
// Numbers are first written with 15 significant digits, then rounded to the
// decimals asked for, halves away from zero (2.675 -> "2,68"); a value that rounds
// to zero has no minus sign. Thousands are separated by a plain space (U+0020),
// not the locale's non-breaking space. NaN and infinities read "NAN", "INF", "-INF".
QString formatSum(double v); // thousands separators, 2 decimals: "1 234,50"
// Whether a text could still become a number as it is typed: "-", ",", "-1,",
// "12,5"; empty counts too.
bool isPartialNumber(const QString& text);
QString formatMask00(double v); // mask "0.00" with a decimal comma: "1234,50", "-0,12"
// General number format: up to 15 significant digits, no trailing zeros, no
// thousands separator: "10,7", "3", "0,3"; scientific beyond 15 integer digits or
// below 0.0001: "1E20", "1,5E-5".
QString formatGeneral(double v);
// A picture mask: "0" digits, "#" optional decimals, "," anywhere before the point
// groups thousands ("0.00", "#,##0.00", "0.0#"); an empty mask = general format.
QString formatNumber(double v, const QString& mask);

// Reads a number in Polish notation (decimal comma; a point is accepted too;
// blanks and non-breaking spaces as thousands separators). nullopt when not a number.
std::optional<double> parseNumber(const QString& text);
// Reads a date in ISO form or the short form "d.M.yyyy".
std::optional<QDate> parseDate(const QString& text);

} // namespace jadl
