#include "controls/DatePicker.h"

#include "common/Formats.h"

#include <QCalendarWidget>

namespace jadl {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent)
{
    setLocale(polishLocale());
    setDisplayFormat(QStringLiteral("d.M.yyyy"));
    setCalendarPopup(true);
    setMinimumDate(QDate(1900, 1, 1));
    setMaximumDate(QDate(2999, 12, 31));
    if (QCalendarWidget* popup = calendarWidget()) {
        popup->setLocale(polishLocale());
        popup->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    }
}

} // namespace jadl
