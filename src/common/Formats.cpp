#include "common/Formats.h"

#include <QRegularExpression>

#include <array>
#include <cmath>
#include <cstdio>

namespace jadl {

namespace {

// Month names in the genitive as Polish dates use them ("7 grudnia"), and weekday
// names as the long weekday format writes them. Kept here rather than taken from
// the locale data so that every Qt version gives the same text.
constexpr std::array<const char16_t*, 12> genitiveMonths = {
    u"stycznia", u"lutego",   u"marca",    u"kwietnia",     u"maja",      u"czerwca",
    u"lipca",    u"sierpnia", u"września", u"października", u"listopada", u"grudnia",
};
constexpr std::array<const char16_t*, 7> weekdays = {
    u"poniedziałek", u"wtorek", u"środa", u"czwartek", u"piątek", u"sobota", u"niedziela",
};

constexpr int significantDigits = 15;
const QChar decimalComma = QLatin1Char(',');
// Thousands are grouped with a plain space: it reads the same as the non-breaking
// space of the Polish locale and keeps texts easy to compare and type.
const QChar groupSeparator = QLatin1Char(' ');

// A finite double as at most 15 significant decimal digits: value = 0.digits x 10^exponent.
struct Decimal {
    bool negative = false;
    QByteArray digits; // no leading or trailing zeros; empty for zero
    int exponent = 0;
};

Decimal toDecimal(double v)
{
    Decimal d;
    if (v == 0.0 || !std::isfinite(v))
        return d;
    d.negative = v < 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significantDigits - 1, std::fabs(v));
    const QByteArray text(buf);
    const int e = text.indexOf('e');
    QByteArray digits = text.left(e);
    digits.remove(1, 1); // the decimal point after the first digit
    d.exponent = text.mid(e + 1).toInt() + 1;
    while (digits.endsWith('0'))
        digits.chop(1);
    d.digits = digits;
    return d;
}

// Rounds to a number of decimals, halves away from zero on the decimal digits.
Decimal roundDecimal(Decimal d, int decimals)
{
    const int keep = d.exponent + decimals;
    if (keep >= d.digits.size())
        return d;
    if (keep < 0)
        return {};
    const bool up = d.digits.at(keep) >= '5';
    QByteArray kept = d.digits.left(keep);
    if (up) {
        int i = kept.size() - 1;
        while (i >= 0 && kept.at(i) == '9') {
            kept[i] = '0';
            --i;
        }
        if (i >= 0) {
            kept[i] = static_cast<char>(kept.at(i) + 1);
        } else {
            kept.prepend('1');
            ++d.exponent;
        }
    }
    while (kept.endsWith('0'))
        kept.chop(1);
    d.digits = kept;
    if (d.digits.isEmpty())
        return {};
    return d;
}

QString groupThousands(const QString& integerPart)
{
    QString out;
    const qsizetype n = integerPart.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += groupSeparator;
        out += integerPart.at(i);
    }
    return out;
}

QString nonFinite(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    return v > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
}

QString fixed(double v, int decimals, bool grouping)
{
    if (!std::isfinite(v))
        return nonFinite(v);
    const Decimal d = roundDecimal(toDecimal(v), decimals);
    const QString digits = QString::fromLatin1(d.digits);
    QString intPart;
    QString fracSource;
    if (d.digits.isEmpty()) {
        intPart = QStringLiteral("0");
    } else if (d.exponent > 0) {
        const QString padded = digits.leftJustified(d.exponent, QLatin1Char('0'));
        intPart = padded.left(d.exponent);
        fracSource = padded.mid(d.exponent);
    } else {
        intPart = QStringLiteral("0");
        fracSource = QString(-d.exponent, QLatin1Char('0')) + digits;
    }
    QString out;
    if (d.negative && !d.digits.isEmpty())
        out += QLatin1Char('-');
    out += grouping ? groupThousands(intPart) : intPart;
    if (decimals > 0) {
        out += decimalComma;
        out += fracSource.left(decimals).leftJustified(decimals, QLatin1Char('0'));
    }
    return out;
}

} // namespace

const QLocale& polishLocale()
{
    static const QLocale locale(QLocale::Polish, QLocale::Poland);
    return locale;
}

QString formatLongDate(const QDate& d)
{
    if (!d.isValid())
        return {};
    return formatDayMonth(d) + QStringLiteral(", ") + QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString formatWeekday(const QDate& d)
{
    if (!d.isValid())
        return {};
    return QString::fromUtf16(weekdays[static_cast<std::size_t>(d.dayOfWeek() - 1)]);
}

QString formatDayMonth(const QDate& d)
{
    if (!d.isValid())
        return {};
    return QString::number(d.day()) + QLatin1Char(' ') +
        QString::fromUtf16(genitiveMonths[static_cast<std::size_t>(d.month() - 1)]);
}

QString formatShortDate(const QDate& d)
{
    if (!d.isValid())
        return {};
    return QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year(), 4, 10, QLatin1Char('0'));
}

QString formatSum(double v)
{
    return fixed(v, 2, true);
}

bool isPartialNumber(const QString& text)
{
    static const QRegularExpression partial(QStringLiteral("^\\s*-?[0-9 \\x{00A0}]*([,.][0-9]*)?\\s*$"));
    return partial.match(text).hasMatch();
}

QString formatMask00(double v)
{
    return fixed(v, 2, false);
}

QString formatGeneral(double v)
{
    if (!std::isfinite(v))
        return nonFinite(v);
    const Decimal d = toDecimal(v);
    if (d.digits.isEmpty())
        return QStringLiteral("0");
    const QString digits = QString::fromLatin1(d.digits);
    QString out;
    if (d.negative)
        out += QLatin1Char('-');
    if (d.exponent > significantDigits || d.exponent < -3) {
        // Scientific form: "1,5E-7", "1E20".
        out += digits.left(1);
        if (digits.size() > 1)
            out += decimalComma + digits.mid(1);
        out += QLatin1Char('E') + QString::number(d.exponent - 1);
        return out;
    }
    if (d.exponent > 0) {
        const QString padded = digits.leftJustified(d.exponent, QLatin1Char('0'));
        out += padded.left(d.exponent);
        const QString frac = padded.mid(d.exponent);
        if (!frac.isEmpty())
            out += decimalComma + frac;
    } else {
        out += QStringLiteral("0") + decimalComma + QString(-d.exponent, QLatin1Char('0')) + digits;
    }
    return out;
}

QString formatNumber(double v, const QString& mask)
{
    if (mask.isEmpty())
        return formatGeneral(v);
    // A small subset of picture masks: "0.00", "#,##0.00", "0.0#", "0".
    const qsizetype point = mask.indexOf(QLatin1Char('.'));
    const QString intMask = point < 0 ? mask : mask.left(point);
    const QString fracMask = point < 0 ? QString() : mask.mid(point + 1);
    const int decimals = static_cast<int>(fracMask.count(QLatin1Char('0')) + fracMask.count(QLatin1Char('#')));
    const int required = static_cast<int>(fracMask.count(QLatin1Char('0')));
    QString out = fixed(v, decimals, intMask.contains(QLatin1Char(',')));
    if (decimals > required) {
        int drop = 0;
        while (drop < decimals - required && out.at(out.size() - 1 - drop) == QLatin1Char('0'))
            ++drop;
        out.chop(drop);
        if (out.endsWith(decimalComma))
            out.chop(1);
    }
    return out;
}

std::optional<double> parseNumber(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        // Blanks of any kind are thousands separators (or padding); they carry no value.
        if (c == QLatin1Char(' ') || c == QChar(0x00A0) || c == QChar(0x202F) || c == QLatin1Char('\t'))
            continue;
        s += c == decimalComma ? QLatin1Char('.') : c;
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (!number.match(s).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(s, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<QDate> parseDate(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression dotted(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    const QString s = text.trimmed();
    QDate d;
    if (const auto m = iso.match(s); m.hasMatch())
        d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    else if (const auto m2 = dotted.match(s); m2.hasMatch())
        d = QDate(m2.captured(3).toInt(), m2.captured(2).toInt(), m2.captured(1).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace jadl
