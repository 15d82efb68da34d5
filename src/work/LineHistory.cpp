#include "work/LineHistory.h"

#include "store/TableDefs.h"

#include <QJsonValue>

namespace jadl::linehistory {

namespace {

// A stored value as the program shows it: decimal comma, logicals in words.
QString shown(const QJsonValue& v)
{
    if (v.isNull() || v.isUndefined())
        return QStringLiteral("(puste)");
    if (v.isBool())
        return v.toBool() ? QStringLiteral("tak") : QStringLiteral("nie");
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
    return v.toString();
}

} // namespace

QList<Row> describe(const QList<serversetup::HistoryEntry>& entries)
{
    QList<Row> out;
    for (const serversetup::HistoryEntry& e : entries) {
        Row r{e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), e.login, e.workstation, e.operation, {}};
        QStringList parts;
        // In the order of the line's fields, as the windows show them.
        for (const FieldDef& f : tabledefs::towary().fields) {
            const QJsonValue before = e.before.value(f.name);
            if (e.after.isEmpty()) {
                if (!before.isNull() && !before.isUndefined())
                    parts << f.name + QStringLiteral(": ") + shown(before);
                continue;
            }
            const QJsonValue after = e.after.value(f.name);
            if (before != after)
                parts << QStringLiteral("%1: %2 → %3").arg(f.name, shown(before), shown(after));
        }
        r.changes = parts.join(QStringLiteral("; "));
        out << r;
    }
    return out;
}

} // namespace jadl::linehistory
