#include "platform/Clock.h"

#include <QtGlobal>

namespace jadl::platform {

namespace {

struct ClockState {
    std::optional<QDate> fixed; // set by setFixedToday()
    std::optional<QDate> fromEnv; // JADL_TODAY, read once
    bool envRead = false;
};

ClockState& state()
{
    static ClockState s;
    return s;
}

std::optional<QDate> fixedDay()
{
    ClockState& s = state();
    if (s.fixed)
        return s.fixed;
    if (!s.envRead) {
        s.envRead = true;
        const QString text = qEnvironmentVariable("JADL_TODAY").trimmed();
        if (!text.isEmpty()) {
            const QDate d = QDate::fromString(text, Qt::ISODate);
            if (d.isValid())
                s.fromEnv = d;
            else
                qWarning("JADL_TODAY=%s is not a date YYYY-MM-DD; using the system date", qPrintable(text));
        }
    }
    return s.fromEnv;
}

} // namespace

QDate today()
{
    if (const auto d = fixedDay())
        return *d;
    return QDate::currentDate();
}

QDateTime now()
{
    const QDateTime real = QDateTime::currentDateTime();
    if (const auto d = fixedDay())
        return QDateTime(*d, real.time());
    return real;
}

void setFixedToday(std::optional<QDate> day)
{
    ClockState& s = state();
    s.fixed = day;
    if (!day) {
        // Back to JADL_TODAY (read again, tests may have changed it) or the system date.
        s.envRead = false;
        s.fromEnv.reset();
    }
}

} // namespace jadl::platform
