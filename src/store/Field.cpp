#include "store/Field.h"

#include "common/Formats.h"
#include "store/Table.h"
#include "store/internal/Values.h"

#include <cmath>

namespace jadl {

namespace {

EngineError notNumeric(const QString& text, const QString& field)
{
    return EngineError(QStringLiteral("'%1' nie jest poprawną wartością liczbową pola '%2'").arg(text, field));
}

} // namespace

bool Field::isNull() const
{
    return table_->currentValue(index_).isNull();
}

QVariant Field::value() const
{
    return table_->currentValue(index_);
}

QString Field::asString() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    switch (def_.type) {
    case FieldType::Float:
        return formatGeneral(v.toDouble());
    case FieldType::Date:
        return formatShortDate(v.toDate());
    case FieldType::DateTime: {
        const QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return formatShortDate(dt.date());
        return formatShortDate(dt.date()) + QLatin1Char(' ') + dt.time().toString(QStringLiteral("H:mm:ss"));
    }
    case FieldType::Logical:
        return v.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    default:
        return v.toString();
    }
}

double Field::asFloat() const
{
    return optFloat().value_or(0.0);
}

std::optional<double> Field::optFloat() const
{
    const QVariant v = value();
    if (v.isNull())
        return std::nullopt;
    if (def_.type == FieldType::Text || def_.type == FieldType::Memo) {
        const auto n = parseNumber(v.toString());
        if (!n)
            throw notNumeric(v.toString(), def_.name);
        return n;
    }
    if (def_.type == FieldType::Date || def_.type == FieldType::DateTime)
        throw EngineError(QStringLiteral("Pole '%1' nie jest polem liczbowym").arg(def_.name));
    return v.toDouble();
}

int Field::asInteger() const
{
    return optInteger().value_or(0);
}

std::optional<int> Field::optInteger() const
{
    const auto v = optLargeInt();
    if (!v)
        return std::nullopt;
    return int(*v);
}

qint64 Field::asLargeInt() const
{
    return optLargeInt().value_or(0);
}

std::optional<qint64> Field::optLargeInt() const
{
    const QVariant v = value();
    if (v.isNull())
        return std::nullopt;
    switch (def_.type) {
    case FieldType::Float:
        return qRound64(v.toDouble());
    case FieldType::Logical:
        return v.toBool() ? 1 : 0;
    case FieldType::Text:
    case FieldType::Memo: {
        const auto n = parseNumber(v.toString());
        if (!n)
            throw notNumeric(v.toString(), def_.name);
        return qRound64(*n);
    }
    case FieldType::Date:
    case FieldType::DateTime:
        throw EngineError(QStringLiteral("Pole '%1' nie jest polem liczbowym").arg(def_.name));
    default:
        return v.toLongLong();
    }
}

bool Field::asBoolean() const
{
    return optBoolean().value_or(false);
}

std::optional<bool> Field::optBoolean() const
{
    const QVariant v = value();
    if (v.isNull())
        return std::nullopt;
    if (def_.type == FieldType::Logical)
        return v.toBool();
    const QVariant b = detail::normalizeValue(FieldDef{def_.name, FieldType::Logical, 0, {}, {}}, v);
    return b.isNull() ? std::nullopt : std::optional<bool>(b.toBool());
}

QDate Field::asDate() const
{
    return optDate().value_or(QDate());
}

std::optional<QDate> Field::optDate() const
{
    const QVariant v = value();
    if (v.isNull())
        return std::nullopt;
    if (def_.type == FieldType::Date)
        return v.toDate();
    if (def_.type == FieldType::DateTime)
        return v.toDateTime().date();
    const QVariant d = detail::normalizeValue(FieldDef{def_.name, FieldType::Date, 0, {}, {}}, v);
    return d.isNull() ? std::nullopt : std::optional<QDate>(d.toDate());
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (def_.type == FieldType::DateTime)
        return v.toDateTime();
    if (const auto d = optDate())
        return d->startOfDay();
    return {};
}

QString Field::displayText() const
{
    if (def_.type == FieldType::Float && !def_.displayFormat.isEmpty()) {
        const QVariant v = value();
        return v.isNull() ? QString() : formatNumber(v.toDouble(), def_.displayFormat);
    }
    return asString();
}

QString Field::editText() const
{
    if (def_.type == FieldType::Float) {
        const QVariant v = value();
        if (v.isNull())
            return {};
        return def_.editFormat.isEmpty() ? formatGeneral(v.toDouble()) : formatNumber(v.toDouble(), def_.editFormat);
    }
    return displayText();
}

void Field::setValue(const QVariant& v)
{
    table_->setCurrentValue(index_, v);
}

void Field::clear()
{
    table_->setCurrentValue(index_, QVariant());
}

void Field::setString(const QString& s)
{
    table_->setCurrentValue(index_, s.isEmpty() ? QVariant() : QVariant(s));
}

void Field::setFloat(double v)
{
    table_->setCurrentValue(index_, QVariant(v));
}

void Field::setInteger(int v)
{
    table_->setCurrentValue(index_, QVariant(v));
}

void Field::setLargeInt(qint64 v)
{
    table_->setCurrentValue(index_, QVariant(qlonglong(v)));
}

void Field::setBoolean(bool v)
{
    table_->setCurrentValue(index_, QVariant(v));
}

void Field::setDate(const QDate& d)
{
    table_->setCurrentValue(index_, d.isValid() ? QVariant(d) : QVariant());
}

void Field::setDateTime(const QDateTime& dt)
{
    table_->setCurrentValue(index_, dt.isValid() ? QVariant(dt) : QVariant());
}

} // namespace jadl
