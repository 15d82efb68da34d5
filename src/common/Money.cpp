#include "common/Money.h"

#include <cmath>
#include <cstdint>

namespace jadl {

void roundMoney(double& x)
{
    // Infinities and NaN have no cents; converting them to an integer would be undefined.
    if (!std::isfinite(x))
        return;
    const double i = std::trunc(x);
    const double f = x - i;
    // The small bias lifts values that are an exact half (or a hair below it in binary)
    // to the upper cent; nearbyint uses the current rounding mode, which is half-to-even.
    const double t = f * 100.0 + 0.000001;
    const auto n = static_cast<std::int32_t>(std::nearbyint(t));
    x = i + n * 0.01;
}

double roundedMoney(double x)
{
    roundMoney(x);
    return x;
}

bool isDigitsOnly(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

double vatRate(const std::optional<QString>& vatTyp)
{
    double rate = 0.0;
    if (vatTyp && isDigitsOnly(*vatTyp))
        rate = vatTyp->toDouble() * 0.01; // digits only: no locale question arises
    roundMoney(rate);
    return rate;
}

std::optional<double> grossPrice(const std::optional<double>& net, const std::optional<QString>& vatTyp)
{
    if (!net)
        return std::nullopt;
    double gross = *net * (1.0 + vatRate(vatTyp));
    roundMoney(gross);
    return gross;
}

PriceSignal comparePrices(const std::optional<double>& net, const std::optional<double>& reference)
{
    if (!net && !reference)
        return PriceSignal::Equal;
    if (!net)
        return PriceSignal::Lower;
    if (!reference)
        return PriceSignal::Higher;
    if (*net > *reference)
        return PriceSignal::Higher;
    if (*net < *reference)
        return PriceSignal::Lower;
    return PriceSignal::Equal;
}

QString referencePriceSign(const std::optional<double>& net, const std::optional<double>& reference)
{
    switch (comparePrices(reference, net)) {
    case PriceSignal::Higher:
        return QStringLiteral("+");
    case PriceSignal::Lower:
        return QStringLiteral("-");
    case PriceSignal::Equal:
        break;
    }
    return QStringLiteral("0");
}

} // namespace jadl
