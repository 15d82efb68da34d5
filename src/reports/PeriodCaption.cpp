#include "reports/PeriodCaption.h"

#include "common/Formats.h"
#include "common/Months.h"
#include "platform/Clock.h"

namespace jadl {

namespace {

QString dottedDate(const QDate& d)
{
    return QString::number(d.day()) + QLatin1Char('.') + QString::number(d.month()) + QLatin1Char('.') +
        QString::number(d.year());
}

// "1 Kwiecień -- 30 Czerwiec 2024" for the quarter whose first month is given.
QString quarterCaption(int firstMonth, int year)
{
    const int lastMonth = firstMonth + 2;
    return QStringLiteral("1 ") + reportMonthName(firstMonth) + QStringLiteral(" -- ") +
        QString::number(lastDayOfMonth(year, lastMonth).day()) + QLatin1Char(' ') + reportMonthName(lastMonth) +
        QLatin1Char(' ') + QString::number(year);
}

int quarterFirstMonth(int month)
{
    return (month - 1) / 3 * 3 + 1;
}

} // namespace

std::optional<QString> periodCaption(std::optional<PeriodChoice> choice, const QDate& start, const QDate& end,
                                     const QString& monthText, const QDate& today)
{
    if (!choice)
        return std::nullopt;
    switch (*choice) {
    case PeriodChoice::CalendarDay:
        return formatShortDate(start);
    case PeriodChoice::Today:
        return formatShortDate(today);
    case PeriodChoice::Yesterday:
        return formatShortDate(today.addDays(-1));
    case PeriodChoice::ThisMonth:
        return reportMonthName(today.month());
    case PeriodChoice::LastMonth:
        return reportMonthName(today.month() == 1 ? 12 : today.month() - 1);
    case PeriodChoice::ThisQuarter:
        return quarterCaption(quarterFirstMonth(today.month()), today.year());
    case PeriodChoice::LastQuarter: {
        const int first = quarterFirstMonth(today.month());
        return first == 1 ? quarterCaption(10, today.year() - 1) : quarterCaption(first - 3, today.year());
    }
    case PeriodChoice::ThisYear:
        return QString::number(today.year());
    case PeriodChoice::LastYear:
        return QString::number(today.year() - 1);
    case PeriodChoice::ChosenMonth:
        return monthText + QLatin1Char(' ') + QString::number(today.year());
    case PeriodChoice::ChosenRange:
        return QStringLiteral("Od ") + dottedDate(start) + QStringLiteral(" do ") + dottedDate(end);
    case PeriodChoice::Everything:
        return QStringLiteral(" za cały okres");
    }
    return std::nullopt;
}

std::optional<QString> periodCaption(std::optional<PeriodChoice> choice, const QDate& start, const QDate& end,
                                     const QString& monthText)
{
    return periodCaption(choice, start, end, monthText, platform::today());
}

} // namespace jadl
