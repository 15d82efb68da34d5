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

QDate lastDayOfMonth(int year, int month)
{
    const QDate first(year, month, 1);
    return first.isValid() ? QDate(year, month, first.daysInMonth()) : QDate();
}

} // namespace jadl
