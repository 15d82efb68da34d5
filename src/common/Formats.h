#pragma once
// Polish formats of dates and numbers, independent of the machine's locale.
#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace jadl {

const QLocale& polishLocale();

QString formatLongDate(const QDate& d);      // "d mmmm, yyyy": "7 grudnia, 2026"
QString formatWeekday(const QDate& d);       // "dddd": "poniedziałek"
QString formatDayMonth(const QDate& d);      // "d mmmm": "7 grudnia"
QString formatShortDate(const QDate& d);     // the short date: "7.12.2026"
QString formatSum(double v);                 // thousands separators, 2 decimals: "1 234,50"
QString formatMask00(double v);              // mask "0.00" with a decimal comma: "1234,50"
QString formatGeneral(double v);             // general number format: up to 15 digits, "10,7"
QString formatNumber(double v, const QString& mask); // "0.00" or empty = general

// Reads a number in Polish notation (decimal comma; a point is accepted too;
// blanks and non-breaking spaces as thousands separators). nullopt when not a number.
std::optional<double> parseNumber(const QString& text);
// Reads a date in ISO form or the short form "d.M.yyyy".
std::optional<QDate> parseDate(const QString& text);

} // namespace jadl
