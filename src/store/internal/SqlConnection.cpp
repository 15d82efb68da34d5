#include "store/internal/SqlConnection.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace jadl {

namespace {

std::optional<double> parseDouble(const char* p, int n)
{
    double d = 0;
    const auto r = std::from_chars(p, p + n, d);
    if (r.ec == std::errc() && r.ptr == p + n)
        return d;
    // Spellings from_chars does not take, as PostgreSQL writes them.
    const QByteArray t = QByteArray::fromRawData(p, n).trimmed();
    if (t == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (t == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (t == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

} // namespace

namespace {

// A text read as a number the way SQLite reads one: leading blanks skipped, the
// longest number at the start taken ("12abc" is 12, "3,5" is 3), none is 0.
const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r'))
        ++p;
    return p;
}

double leadingDouble(const char* data, int bytes)
{
    const char* end = data + bytes;
    const char* p = skipBlanks(data, end);
    if (p < end && *p == '+')
        ++p;
    double d = 0;
    if (std::from_chars(p, end, d).ec == std::errc())
        return d;
    return parseDouble(p, int(end - p)).value_or(0.0);
}

} // namespace

qint64 SqlValue::toInt64() const
{
    switch (type) {
    case SqlType::Integer:
        return integer;
    case SqlType::Float:
        return qRound64(real);
    case SqlType::Text: {
        const char* end = data + bytes;
        const char* p = skipBlanks(data, end);
        if (p < end && *p == '+')
            ++p;
        qint64 v = 0;
        const auto r = std::from_chars(p, end, v);
        if (r.ec == std::errc() && (r.ptr == end || (*r.ptr != '.' && *r.ptr != 'e' && *r.ptr != 'E')))
            return v;
        // A real number in a text: its whole part, as SQLite casts it.
        const double d = leadingDouble(data, bytes);
        return std::isfinite(d) && std::fabs(d) < 9.2e18 ? qint64(d) : 0;
    }
    default:
        return 0;
    }
}

double SqlValue::toDouble() const
{
    switch (type) {
    case SqlType::Integer:
        return double(integer);
    case SqlType::Float:
        return real;
    case SqlType::Text:
        return leadingDouble(data, bytes);
    default:
        return 0;
    }
}

QString SqlValue::toString() const
{
    switch (type) {
    case SqlType::Integer:
        return QString::number(integer);
    case SqlType::Float: {
        // As SQLite writes a real as text: 15 digits, a whole number with ".0".
        QString t = QString::number(real, 'g', 15);
        if (std::isfinite(real) && !t.contains(QLatin1Char('.')) && !t.contains(QLatin1Char('e')))
            t += QStringLiteral(".0");
        return t;
    }
    case SqlType::Text:
    case SqlType::Blob:
        return QString::fromUtf8(data, bytes);
    default:
        return {};
    }
}

QString quoteId(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace jadl
