#pragma once
// A date edit in the Polish short date with a drop-down calendar.
#include <QDateEdit>

namespace jadl {

class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);
    QDate value() const { return date(); }
};

} // namespace jadl
