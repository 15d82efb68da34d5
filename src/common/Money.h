#pragma once
// The program's money rounding and the rules built on it.
#include <QString>
#include <QVariant>

#include <optional>

namespace jadl {

// Replaces x by i + n*0.01: i = x truncated toward zero, n = round-half-even of
// (x - i)*100 + 0.000001 as a 32-bit integer. 0.125 -> 0.13, -0.125 -> -0.12.
void roundMoney(double& x);
double roundedMoney(double x);

// True exactly when the text is not empty and every character is '0'..'9'.
bool isDigitsOnly(const QString& text);

// VAT designation to a rate: digits-only text read as a number * 0.01, else 0;
// then money-rounded. Null (nullopt) gives 0.
double vatRate(const std::optional<QString>& vatTyp);

// Gross price of a basic good: money-rounded net * (1 + rate); nullopt when the
// net price is empty (the gross price is then left as it was).
std::optional<double> grossPrice(const std::optional<double>& net, const std::optional<QString>& vatTyp);

// Reference-price comparison for row colouring: a null counts as smaller than any
// number and equal to another null.
enum class PriceSignal { Equal, Higher, Lower };
PriceSignal comparePrices(const std::optional<double>& net, const std::optional<double>& reference);
// The one-character JakaCenaRef of a purchase line: "+" when the reference price is
// above the net price, "-" when below (also when it is empty), "0" when equal.
QString referencePriceSign(const std::optional<double>& net, const std::optional<double>& reference);

} // namespace jadl
