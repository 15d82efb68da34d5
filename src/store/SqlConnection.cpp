#include "store/SqlConnection.h"

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

qint64 SqlValue::toInt64() const
{
    switch (type) {
    case SqlType::Integer:
        return integer;
    case SqlType::Float:
        return qRound64(real);
    case SqlType::Text: {
        qint64 v = 0;
        const auto r = std::from_chars(data, data + bytes, v);
        if (r.ec == std::errc() && r.ptr == data + bytes)
            return v;
        return qRound64(toDouble());
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
        return parseDouble(data, bytes).value_or(0.0);
    default:
        return 0;
    }
}

QString SqlValue::toString() const
{
    switch (type) {
    case SqlType::Integer:
        return QString::number(integer);
    case SqlType::Float:
        return QString::number(real, 'g', 17);
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
