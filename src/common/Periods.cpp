#include "common/Periods.h"

#include "common/Months.h"

namespace jadl {

const QStringList& periodChoiceTexts()
{
    static const QStringList texts{QStringLiteral("Dzień wskazany przez kalendarz"),
                                   QStringLiteral("Bieżący dzień"),
                                   QStringLiteral("Poprzedni dzień"),
                                   QStringLiteral("Bieżący Miesiąc "),
                                   QStringLiteral("Poprzedni Miesiąc"),
                                   QStringLiteral("Bieżący Kwartał"),
                                   QStringLiteral("Poprzedni Kwartał"),
                                   QStringLiteral("Bieżący Rok"),
                                   QStringLiteral("Poprzedni Rok"),
                                   QStringLiteral("Wybrany Miesiąc"),
                                   QStringLiteral("Wybrany Okres"),
                                   QStringLiteral("Cały Okres")};
    return texts;
}

const QStringList& monthChoiceTexts()
{
    static const QStringList texts{
        QStringLiteral("styczeń"),     QStringLiteral("luty"),     QStringLiteral("marzec"),
        QStringLiteral("kwiecień "),   QStringLiteral("maj"),      QStringLiteral("czerwiec"),
        QStringLiteral("lipiec"),      QStringLiteral("sierpień"), QStringLiteral("wrzesień"),
        QStringLiteral("pazdziernik"), QStringLiteral("listopad"), QStringLiteral("grudzień")};
    return texts;
}

std::optional<PeriodChoice> periodChoiceOf(int listIndex)
{
    if (listIndex < 0 || listIndex > int(PeriodChoice::Everything))
        return std::nullopt;
    return PeriodChoice(listIndex);
}

int listIndexOf(PeriodChoice choice)
{
    return int(choice);
}

bool isSingleDay(PeriodChoice choice)
{
    return choice <= PeriodChoice::Yesterday;
}

bool isRange(PeriodChoice choice)
{
    return choice >= PeriodChoice::ThisMonth && choice <= PeriodChoice::ChosenRange;
}

std::optional<Period> periodOf(PeriodChoice choice, const QDate& today, const QDate& calendar)
{
    const int y = today.year();
    const int m = today.month();
    auto wholeMonth = [](int year, int month) { return Period{QDate(year, month, 1), lastDayOfMonth(year, month)}; };
    // Quarter 0..3 of a year.
    auto quarter = [](int year, int q) { return Period{QDate(year, 3 * q + 1, 1), lastDayOfMonth(year, 3 * q + 3)}; };
    switch (choice) {
    case PeriodChoice::CalendarDay:
        return Period{calendar, calendar};
    case PeriodChoice::Today:
        return Period{today, today};
    case PeriodChoice::Yesterday:
        return Period{today.addDays(-1), today.addDays(-1)};
    case PeriodChoice::ThisMonth:
        return wholeMonth(y, m);
    case PeriodChoice::LastMonth:
        return m == 1 ? wholeMonth(y - 1, 12) : wholeMonth(y, m - 1);
    case PeriodChoice::ThisQuarter:
        return quarter(y, (m - 1) / 3);
    case PeriodChoice::LastQuarter:
        return (m - 1) / 3 == 0 ? quarter(y - 1, 3) : quarter(y, (m - 1) / 3 - 1);
    case PeriodChoice::ThisYear:
        return Period{QDate(y, 1, 1), QDate(y, 12, 31)};
    case PeriodChoice::LastYear:
        return Period{QDate(y - 1, 1, 1), QDate(y - 1, 12, 31)};
    case PeriodChoice::ChosenMonth:
    case PeriodChoice::ChosenRange:
    case PeriodChoice::Everything:
        break;
    }
    return std::nullopt;
}

Period chosenMonth(const QString& text, const QStringList& items, const QDate& today)
{
    const int y = today.year();
    for (int i = 0; i < items.size() && i < 12; ++i)
        if (items[i] == text)
            return {QDate(y, i + 1, 1), lastDayOfMonth(y, i + 1)};
    return {QDate(y, today.month(), 1), today};
}

} // namespace jadl
