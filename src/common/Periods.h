#pragma once
// The periods the supplier goods window offers, as one type for the window, the
// purchase-lines filter and the printed period caption.
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace jadl {

// In the order of the window's list: the item index is the choice.
enum class PeriodChoice {
    CalendarDay, // "Dzień wskazany przez kalendarz"
    Today, // "Bieżący dzień"
    Yesterday, // "Poprzedni dzień"
    ThisMonth, // "Bieżący Miesiąc "
    LastMonth, // "Poprzedni Miesiąc"
    ThisQuarter, // "Bieżący Kwartał"
    LastQuarter, // "Poprzedni Kwartał"
    ThisYear, // "Bieżący Rok"
    LastYear, // "Poprzedni Rok"
    ChosenMonth, // "Wybrany Miesiąc"
    ChosenRange, // "Wybrany Okres"
    Everything, // "Cały Okres"
};

// The list's items, in the order of the choices, exactly as the window shows them.
const QStringList& periodChoiceTexts();
// The items of the window's month list ("Wybrany Miesiąc"), as it spells them.
const QStringList& monthChoiceTexts();

// The choice of a list index; nullopt for no choice (-1) or an index beyond the list.
std::optional<PeriodChoice> periodChoiceOf(int listIndex);
int listIndexOf(PeriodChoice choice);

// Choices that show the lines of one day, and those that show a range of days.
bool isSingleDay(PeriodChoice choice);
bool isRange(PeriodChoice choice);

struct Period {
    QDate start;
    QDate end;
};

// The dates of a choice that has fixed ones (today's date decides); nullopt for
// the chosen month, the chosen range and everything, which take theirs elsewhere.
std::optional<Period> periodOf(PeriodChoice choice, const QDate& today, const QDate& calendar);

// The month named exactly (case-sensitive) by one of the list's items, in
// today's year; a text that names none gives day 1 of today's month to today.
Period chosenMonth(const QString& text, const QStringList& items, const QDate& today);

} // namespace jadl
