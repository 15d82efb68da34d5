#pragma once
// The program's clock. JADL_TODAY=YYYY-MM-DD fixes "today" for a whole run;
// tests fix it with setFixedToday().
#include <QDate>
#include <QDateTime>

#include <optional>

namespace jadl::platform {

QDate today();
QDateTime now();
void setFixedToday(std::optional<QDate> day);

} // namespace jadl::platform
