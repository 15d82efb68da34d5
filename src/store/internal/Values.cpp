#include "store/internal/Values.h"

#include "common/Formats.h"
#include "store/EngineError.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace jadl::detail {

namespace {

EngineError badValue(const QString& text, const FieldDef& def, const char* what)
{
    return EngineError(
        QStringLiteral("'%1' nie jest poprawną %2 pola '%3'").arg(text, QString::fromUtf8(what), def.name));
}

// Integer fields hold 32 bits (the record number alone has 64): a larger value
// would come back as another number, so it is refused before it is stored.
QVariant checkedInteger(const FieldDef& def, qint64 v, const QString& typed)
{
    if (def.type == FieldType::Integer && def.size != 64 &&
        (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()))
        throw EngineError(QStringLiteral("Liczba %1 jest poza zakresem pola '%2' (od %3 do %4)")
                              .arg(typed, def.name, QString::number(std::numeric_limits<qint32>::min()),
                                   QString::number(std::numeric_limits<qint32>::max())));
    return integerVariant(v);
}

std::optional<bool> parseLogical(const QString& s)
{
    const QString t = s.trimmed().toLower();
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("t"), QStringLiteral("tak"),
                                 QStringLiteral("yes"), QStringLiteral("1")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("f"), QStringLiteral("nie"),
                                QStringLiteral("no"),    QStringLiteral("n"), QStringLiteral("0")};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

std::optional<QDateTime> parseDateTime(const QString& s)
{
    if (const auto d = parseDate(s))
        return d->startOfDay();
    QString t = s.trimmed();
    QDateTime dt = QDateTime::fromString(t.replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
    if (dt.isValid())
        return dt;
    // Short date followed by a time: "7.12.2026 13:05:00".
    const int space = s.trimmed().indexOf(QLatin1Char(' '));
    if (space > 0) {
        const auto d = parseDate(s.trimmed().left(space));
        const QTime tm = QTime::fromString(s.trimmed().mid(space + 1), QStringLiteral("H:mm:ss"));
        if (d && tm.isValid())
            return QDateTime(*d, tm);
    }
    return std::nullopt;
}

QString isoDateTime(const QDateTime& dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QVariant integerVariant(qint64 v)
{
    if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
        return QVariant(int(v));
    return QVariant(qlonglong(v));
}

QVariant normalizeValue(const FieldDef& def, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return {};
    const int tid = v.typeId();
    const bool isText = tid == QMetaType::QString || tid == QMetaType::QByteArray || tid == QMetaType::QChar;
    if (isText && v.toString().isEmpty())
        return {}; // an emptied field is null, as in the classic engine
    switch (def.type) {
    case FieldType::AutoInc:
    case FieldType::Integer: {
        if (isText) {
            const QString s = v.toString();
            const auto n = parseNumber(s);
            if (!n)
                throw badValue(s, def, "wartością liczbową");
            if (*n != std::floor(*n))
                throw badValue(s, def, "wartością całkowitą");
            if (std::fabs(*n) > 9.2e18)
                return checkedInteger(
                    def, *n < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max(), s);
            return checkedInteger(def, qint64(*n), s);
        }
        if (tid == QMetaType::Double || tid == QMetaType::Float) {
            const double d = v.toDouble();
            if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
                throw badValue(formatGeneral(d), def, "wartością całkowitą");
            return checkedInteger(def, qRound64(d), formatGeneral(d));
        }
        if (tid == QMetaType::Bool)
            return QVariant(v.toBool() ? 1 : 0);
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok)
            throw badValue(v.toString(), def, "wartością liczbową");
        return checkedInteger(def, n, QString::number(n));
    }
    case FieldType::Float: {
        if (isText) {
            const QString s = v.toString();
            const auto n = parseNumber(s);
            if (!n)
                throw badValue(s, def, "wartością liczbową");
            return QVariant(*n);
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw badValue(v.toString(), def, "wartością liczbową");
        return QVariant(d);
    }
    case FieldType::Text:
    case FieldType::Memo: {
        QString s;
        if (tid == QMetaType::Double || tid == QMetaType::Float)
            s = formatGeneral(v.toDouble());
        else if (tid == QMetaType::QDate)
            s = formatShortDate(v.toDate());
        else if (tid == QMetaType::Bool)
            s = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else
            s = v.toString();
        if (def.type == FieldType::Text && s.size() > def.textSize())
            s.truncate(def.textSize());
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Date: {
        if (tid == QMetaType::QDate)
            return v.toDate().isValid() ? v : QVariant();
        if (tid == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? QVariant(v.toDateTime().date()) : QVariant();
        const QString s = v.toString();
        if (const auto d = parseDate(s))
            return QVariant(*d);
        throw badValue(s, def, "datą");
    }
    case FieldType::DateTime: {
        if (tid == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? v : QVariant();
        if (tid == QMetaType::QDate)
            return v.toDate().isValid() ? QVariant(v.toDate().startOfDay()) : QVariant();
        const QString s = v.toString();
        if (const auto dt = parseDateTime(s))
            return QVariant(*dt);
        throw badValue(s, def, "datą");
    }
    case FieldType::Logical: {
        if (tid == QMetaType::Bool)
            return v;
        if (isText) {
            if (const auto b = parseLogical(v.toString()))
                return QVariant(*b);
            throw badValue(v.toString(), def, "wartością logiczną");
        }
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            throw badValue(v.toString(), def, "wartością logiczną");
        return QVariant(d != 0.0);
    }
    }
    return {};
}

QVariant readColumn(const FieldDef& def, const SqlValue& c)
{
    if (c.isNull())
        return {};
    switch (def.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return integerVariant(c.toInt64());
    case FieldType::Float:
        return QVariant(c.toDouble());
    case FieldType::Logical:
        if (c.type == SqlType::Text)
            return QVariant(parseLogical(c.toString()).value_or(false));
        return QVariant(c.toDouble() != 0.0);
    case FieldType::Date: {
        // The stored form is "YYYY-MM-DD"; read it straight from the bytes, as
        // filters read a date from every row they are offered.
        const char* p = c.data;
        if (c.type == SqlType::Text && c.bytes >= 10 && p[4] == '-' && p[7] == '-') {
            auto num = [p](int from, int len) {
                int v = 0;
                for (int i = from; i < from + len; ++i) {
                    if (p[i] < '0' || p[i] > '9')
                        return -1;
                    v = v * 10 + (p[i] - '0');
                }
                return v;
            };
            const QDate quick(num(0, 4), num(5, 2), num(8, 2));
            if (quick.isValid())
                return QVariant(quick);
        }
        const QString s = c.toString();
        QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (!d.isValid())
            d = parseDate(s).value_or(QDate());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::DateTime: {
        const auto dt = parseDateTime(c.toString());
        return dt ? QVariant(*dt) : QVariant();
    }
    case FieldType::Text:
    case FieldType::Memo:
        return QVariant(c.toString());
    }
    return {};
}

void bindValue(SqlStatement& st, int index, const FieldDef& def, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        st.bindNull(index);
        return;
    }
    switch (def.type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        st.bindInt(index, value.toLongLong());
        return;
    case FieldType::Float:
        st.bindDouble(index, value.toDouble());
        return;
    case FieldType::Logical:
        st.bindInt(index, value.toBool() ? 1 : 0);
        return;
    case FieldType::Date:
        st.bindText(index, value.toDate().toString(Qt::ISODate).toUtf8());
        return;
    case FieldType::DateTime:
        st.bindText(index, isoDateTime(value.toDateTime()).toUtf8());
        return;
    case FieldType::Text: {
        QString s = value.toString();
        if (s.size() > def.textSize())
            s.truncate(def.textSize());
        st.bindText(index, s.toUtf8());
        return;
    }
    case FieldType::Memo:
        st.bindText(index, value.toString().toUtf8());
        return;
    }
}

void bindPlain(SqlStatement& st, int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        st.bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Short:
        st.bindInt(index, value.toLongLong());
        return;
    case QMetaType::Bool:
        st.bindInt(index, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        st.bindDouble(index, value.toDouble());
        return;
    case QMetaType::QDate:
        st.bindText(index, value.toDate().toString(Qt::ISODate).toUtf8());
        return;
    case QMetaType::QDateTime:
        st.bindText(index, isoDateTime(value.toDateTime()).toUtf8());
        return;
    default:
        st.bindText(index, value.toString().toUtf8());
        return;
    }
}

QString columnSql(const FieldDef& def)
{
    switch (def.type) {
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldType::Integer:
        return QStringLiteral("INTEGER");
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1)").arg(def.textSize());
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::Date:
        return QStringLiteral("DATE");
    case FieldType::DateTime:
        return QStringLiteral("DATETIME");
    case FieldType::Logical:
        return QStringLiteral("BOOLEAN");
    case FieldType::Memo:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

FieldDef fieldFromColumn(const QString& name, const QString& declaredType, bool integerKey)
{
    FieldDef f;
    f.name = name;
    const QString t = declaredType.trimmed().toUpper();
    static const QRegularExpression sized(
        QStringLiteral("^(?:VAR|N?VAR)?CHAR(?:ACTER)?(?:\\s+VARYING)?\\s*\\(\\s*(\\d+)"));
    if (integerKey && t.startsWith(QLatin1String("INT"))) {
        f.type = FieldType::AutoInc;
    } else if (const auto m = sized.match(t); m.hasMatch()) {
        f.type = FieldType::Text;
        f.size = m.captured(1).toInt();
    } else if (t.contains(QLatin1String("CHAR"))) {
        f.type = FieldType::Text;
        f.size = 255;
    } else if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("LOGICAL")) {
        f.type = FieldType::Logical;
    } else if (t.startsWith(QLatin1String("DATETIME")) || t.startsWith(QLatin1String("TIMESTAMP"))) {
        f.type = FieldType::DateTime;
    } else if (t == QLatin1String("DATE")) {
        f.type = FieldType::Date;
    } else if (t.contains(QLatin1String("INT"))) {
        f.type = FieldType::Integer;
    } else if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
               t.contains(QLatin1String("DOUB")) || t.startsWith(QLatin1String("NUMERIC")) ||
               t.startsWith(QLatin1String("DECIMAL"))) {
        f.type = FieldType::Float;
    } else {
        f.type = FieldType::Memo;
    }
    return f;
}

bool compatible(const FieldDef& wanted, const FieldDef& inFile)
{
    switch (wanted.type) {
    case FieldType::AutoInc:
        return inFile.type == FieldType::AutoInc;
    case FieldType::Integer:
        return inFile.type == FieldType::Integer || inFile.type == FieldType::AutoInc;
    case FieldType::Float:
        return inFile.type == FieldType::Float || inFile.type == FieldType::Integer;
    case FieldType::Text:
    case FieldType::Memo:
        return inFile.type == FieldType::Text || inFile.type == FieldType::Memo;
    case FieldType::Date:
    case FieldType::DateTime:
        return inFile.type == FieldType::Date || inFile.type == FieldType::DateTime;
    case FieldType::Logical:
        return inFile.type == FieldType::Logical || inFile.type == FieldType::Integer;
    }
    return false;
}

} // namespace jadl::detail
