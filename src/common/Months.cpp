#include "common/Months.h"

#include "common/Formats.h"

#include <array>

namespace jadl {

QString reportMonthName(int month)
{
    // The printed captions always used this table, misspelt October included.
    static const std::array<const char16_t*, 12> names = {
        u"Styczeń", u"Luty", u"Marzec", u"Kwiecień", u"Maj", u"Czerwiec",
        u"Lipiec", u"Sierpień", u"Wrzesień", u"Paźdiernik", u"Listopad", u"Grudzień",
    };
    if (month < 1 || month > 12)
        return {};
    return QString::fromUtf16(names[static_cast<std::size_t>(month - 1)]);
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[static_cast<std::size_t>(month - 1)];
}

} // namespace jadl

namespace jadl {

int quarterFirstMonth(int month)
{
    return ((month - 1) / 3) * 3 + 1;
}

namespace {

QString quarterCaption(int year, int firstMonth)
{
    // The end days of the quarters are fixed: 31 March, 30 June, 30 September, 31 December.
    const int lastMonth = firstMonth + 2;
    const int lastDay = (lastMonth == 3 || lastMonth == 12) ? 31 : 30;
    return QStringLiteral("1 ") + reportMonthName(firstMonth) + QStringLiteral(" -- ") + QString::number(lastDay)
        + QLatin1Char(' ') + reportMonthName(lastMonth) + QLatin1Char(' ') + QString::number(year);
}

QString dayMonthYear(const QDate& d)
{
    return QString::number(d.day()) + QLatin1Char('.') + QString::number(d.month()) + QLatin1Char('.')
        + QString::number(d.year());
}

} // namespace

std::optional<QString> periodCaption(const PeriodCaptionInput& in)
{
    const QDate& today = in.today;
    switch (in.choice) {
    case 0:
        return formatShortDate(in.calendarDate);
    case 1:
        return formatShortDate(today);
    case 2:
        return formatShortDate(today.addDays(-1));
    case 3:
        return reportMonthName(today.month());
    case 4:
        return reportMonthName(today.month() == 1 ? 12 : today.month() - 1);
    case 5:
        return quarterCaption(today.year(), quarterFirstMonth(today.month()));
    case 6: {
        const int first = quarterFirstMonth(today.month());
        return first == 1 ? quarterCaption(today.year() - 1, 10) : quarterCaption(today.year(), first - 3);
    }
    case 7:
        return QString::number(today.year());
    case 8:
        return QString::number(today.year() - 1);
    case 9:
        return in.monthText + QLatin1Char(' ') + QString::number(today.year());
    case 10:
        return QStringLiteral("Od ") + dayMonthYear(in.rangeStart) + QStringLiteral(" do ") + dayMonthYear(in.rangeEnd);
    case 11:
        return QStringLiteral(" za cały okres");
    default:
        return std::nullopt;
    }
}

} // namespace jadl
