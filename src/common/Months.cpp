#include "common/Months.h"

#include <array>

namespace jadl {

QString reportMonthName(int month)
{
    // The printed captions always used this table, misspelt October included.
    static const std::array<const char16_t*, 12> names = {
        u"Styczeń", u"Luty",     u"Marzec",   u"Kwiecień",   u"Maj",      u"Czerwiec",
        u"Lipiec",  u"Sierpień", u"Wrzesień", u"Paźdiernik", u"Listopad", u"Grudzień",
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
