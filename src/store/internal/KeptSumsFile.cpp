// The sums a SQLite file keeps per month: bucket tables beside the table, the
// file's plain triggers that note the months any program wrote in, and the
// connection's own triggers that bring the buckets up to date exactly.
#include "store/internal/KeptSumsFile.h"

#include "store/internal/SqlFunctions.h"

#include <sqlite3.h>

#include <algorithm>

namespace jadl::keptsums {
namespace {

// Noted for a file that had no buckets: every month is to be built.
constexpr qint64 kAllMonths = kNoDate - 1;
// More months noted than this are built in one pass over the table.
constexpr int kMonthsOneByOne = 8;

// The month of a date value as the file holds it: a calendar date written as
// YYYY-MM-DD (the program's form), else no date or an odd one. Plain SQL, as
// other programs' connections run it in the file's triggers.
QString monthSql(const QString& value)
{
    return QStringLiteral("(CASE WHEN %1 IS NULL THEN %2 WHEN typeof(%1) = 'text' AND date(%1, '+0 days') IS %1 THEN "
                          "CAST(substr(%1, 1, 4) AS INTEGER) * 12 + CAST(substr(%1, 6, 2) AS INTEGER) - 1 ELSE %3 END)")
        .arg(value)
        .arg(kNoDate)
        .arg(kOddDate);
}

// An empty value has a key of its own, which no value of a field can equal.
QString keySql(const QString& value)
{
    return QStringLiteral("coalesce(%1, X'')").arg(value);
}

QStringList quoted(const QStringList& names, const QString& prefix = {})
{
    QStringList out;
    for (const QString& n : names)
        out << prefix + quoteId(n);
    return out;
}

QString joined(const QStringList& l)
{
    return l.join(QStringLiteral(", "));
}

struct Names {
    QString table; // quoted, the file's spelling
    QString marks;
    QStringList buckets;
    QStringList fileTriggers;
    QStringList ownTriggers;
};

Names namesOf(const Layout& l, const QString& tableIdent)
{
    Names n;
    n.table = quoteId(tableIdent);
    n.marks = quoteId(l.marksTable());
    for (int g = 0; g < l.def.groupings.size(); ++g)
        n.buckets << quoteId(l.bucketTable(g));
    for (const char* what : {"_wstawienie", "_zmiana", "_usuniecie"}) {
        n.fileTriggers << quoteId(l.prefix() + QLatin1String(what));
        n.ownTriggers << quoteId(l.prefix() + QStringLiteral("_sumy") + QLatin1String(what));
    }
    return n;
}

// The fields whose change moves a record between buckets or changes their sums.
QStringList watchedFields(const KeptSumsDef& def)
{
    QStringList out{def.dateField};
    for (const QStringList& g : def.groupings)
        for (const QString& f : g)
            if (!out.contains(f))
                out << f;
    return out + def.sumFields;
}

QStringList tablesSql(const Layout& l, const Names& n)
{
    QStringList out;
    for (int g = 0; g < n.buckets.size(); ++g) {
        const QStringList keys = quoted(l.def.groupings[g]);
        out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (miesiac INTEGER NOT NULL, %2, n INTEGER NOT NULL, stan "
                              "BLOB NOT NULL, PRIMARY KEY (miesiac, %3)) WITHOUT ROWID")
                   .arg(n.buckets[g], keys.join(QStringLiteral(" NOT NULL, ")) + QStringLiteral(" NOT NULL"),
                        joined(keys));
    }
    out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (miesiac INTEGER PRIMARY KEY)").arg(n.marks);
    return out;
}

QString noteSql(const Names& n, const QString& month)
{
    // No conflict to resolve: a writer's own ON CONFLICT choice would override the trigger's.
    return QStringLiteral("INSERT INTO %1 (miesiac) SELECT %2 WHERE NOT EXISTS (SELECT 1 FROM %1 WHERE miesiac = %2);")
        .arg(n.marks, month);
}

QStringList fileTriggersSql(const Layout& l, const Names& n)
{
    const QString date = quoteId(l.def.dateField);
    const QString oldMonth = monthSql(QStringLiteral("OLD.") + date);
    const QString newMonth = monthSql(QStringLiteral("NEW.") + date);
    return {QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON %2 BEGIN %3 END")
                .arg(n.fileTriggers[0], n.table, noteSql(n, newMonth)),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER UPDATE OF %2 ON %3 BEGIN %4 %5 END")
                .arg(n.fileTriggers[1], joined(quoted(watchedFields(l.def))), n.table, noteSql(n, oldMonth),
                     noteSql(n, newMonth)),
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER DELETE ON %2 BEGIN %3 END")
                .arg(n.fileTriggers[2], n.table, noteSql(n, oldMonth))};
}

// A record's values added into its buckets (row "NEW") or taken out (row "OLD").
QString bucketDeltaSql(const Layout& l, const Names& n, bool adding)
{
    const QString row = adding ? QStringLiteral("NEW.") : QStringLiteral("OLD.");
    const QString month = monthSql(row + quoteId(l.def.dateField));
    const QString values = joined(quoted(l.def.sumFields, row));
    QString sql;
    for (int g = 0; g < n.buckets.size(); ++g) {
        QStringList keys, keyValues, match;
        for (const QString& f : l.def.groupings[g]) {
            keys << quoteId(f);
            keyValues << keySql(row + quoteId(f));
            match << quoteId(f) + QStringLiteral(" = ") + keySql(row + quoteId(f));
        }
        if (adding) {
            sql += QStringLiteral(
                       "INSERT INTO %1 (miesiac, %2, n, stan) VALUES (%3, %4, 1, jadl_sums_add(NULL, 1, %5)) "
                       "ON CONFLICT (miesiac, %2) DO UPDATE SET n = n + 1, stan = jadl_sums_add(stan, 1, "
                       "%5);")
                       .arg(n.buckets[g], joined(keys), month, joined(keyValues), values);
        } else {
            const QString where = QStringLiteral("miesiac = %1 AND %2").arg(month, match.join(QStringLiteral(" AND ")));
            sql += QStringLiteral(
                       "UPDATE %1 SET n = n - 1, stan = jadl_sums_add(stan, -1, %2) WHERE %3; DELETE FROM %1 "
                       "WHERE %3 AND n = 0;")
                       .arg(n.buckets[g], values, where);
        }
    }
    return sql;
}

QStringList ownTriggersSql(const Layout& l, const Names& n)
{
    const QString on = QStringLiteral("main.") + n.table;
    return {QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER INSERT ON %2 BEGIN %3 END")
                .arg(n.ownTriggers[0], on, bucketDeltaSql(l, n, true)),
            QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER UPDATE OF %2 ON %3 BEGIN %4 %5 END")
                .arg(n.ownTriggers[1], joined(quoted(watchedFields(l.def))), on, bucketDeltaSql(l, n, false),
                     bucketDeltaSql(l, n, true)),
            QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS %1 AFTER DELETE ON %2 BEGIN %3 END")
                .arg(n.ownTriggers[2], on, bucketDeltaSql(l, n, false))};
}

// The buckets of the rows that `where` picks, built anew.
QString buildSql(const Layout& l, const Names& n, int g, const QString& where)
{
    QStringList keys, keyValues;
    for (int k = 0; k < l.def.groupings[g].size(); ++k) {
        const QString f = quoteId(l.def.groupings[g][k]);
        keys << f;
        keyValues << keySql(f) + QStringLiteral(" AS k%1").arg(k);
    }
    QStringList groupBy{QStringLiteral("m")};
    for (int k = 0; k < keys.size(); ++k)
        groupBy << QStringLiteral("k%1").arg(k);
    return QStringLiteral("INSERT INTO %1 (miesiac, %2, n, stan) SELECT %3 AS m, %4, count(*), jadl_sums_state(%5) "
                          "FROM %6%7 GROUP BY %8")
        .arg(n.buckets[g], joined(keys), monthSql(quoteId(l.def.dateField)), joined(keyValues),
             joined(quoted(l.def.sumFields)), n.table, where, joined(groupBy));
}

bool present(SqliteFile& file, const QString& type, const QString& quotedName, const QString& schema)
{
    QString name = quotedName.mid(1, quotedName.size() - 2);
    SqlStatement& st = file.statement(
        QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE type = ? AND name = ?").arg(schema));
    ResetOnExit reset(st);
    st.bindText(1, type.toUtf8());
    st.bindText(2, name.replace(QStringLiteral("\"\""), QStringLiteral("\"")).toUtf8());
    return st.step() && st.column(0).toInt64() > 0;
}

} // namespace

FileSums::FileSums(SqliteFile& file, Layout layout) : file_(file), layout_(std::move(layout)) { }

std::unique_ptr<FileSums> FileSums::attach(SqliteFile& file, const QString& tableIdent, const KeptSumsDef& def)
{
    Layout l = layout(tableIdent, def);
    const Names n = namesOf(l, tableIdent);
    bool complete = present(file, QStringLiteral("table"), n.marks, QStringLiteral("main"));
    for (const QString& b : n.buckets)
        complete = complete && present(file, QStringLiteral("table"), b, QStringLiteral("main"));
    for (const QString& t : n.fileTriggers)
        complete = complete && present(file, QStringLiteral("trigger"), t, QStringLiteral("main"));
    if (!complete) {
        if (file.readOnly())
            return nullptr;
        try {
            // An older file, or one restored from an older archive: the buckets
            // come now, every month to be built on first use.
            Transaction tx(file);
            for (const QString& sql : tablesSql(l, n) + fileTriggersSql(l, n))
                file.exec(sql);
            file.exec(QStringLiteral("INSERT OR IGNORE INTO %1 (miesiac) VALUES (%2)").arg(n.marks).arg(kAllMonths));
            tx.commit();
        } catch (const EngineError&) {
            // A file another program holds, or that cannot take them now, still
            // opens: its totals are summed from its rows, as before it kept any.
            return nullptr;
        }
    }
    auto sums = std::make_unique<FileSums>(file, std::move(l));
    sums->makeConnectionTriggers();
    return sums;
}

void FileSums::makeConnectionTriggers()
{
    const Names n = namesOf(layout_, layout_.table);
    for (const QString& sql : ownTriggersSql(layout_, n))
        file_.exec(sql);
}

void FileSums::dropConnectionTriggers()
{
    for (const QString& t : namesOf(layout_, layout_.table).ownTriggers)
        file_.exec(QStringLiteral("DROP TRIGGER IF EXISTS temp.") + t);
}

void FileSums::afterBegin()
{
    buildMarked();
}

void FileSums::beforeCommit()
{
    // What this transaction noted, its own triggers have already added.
    file_.exec(QStringLiteral("DELETE FROM ") + quoteId(layout_.marksTable()));
}

void FileSums::suspend()
{
    const Names n = namesOf(layout_, layout_.table);
    dropConnectionTriggers();
    for (const QString& t : n.fileTriggers)
        file_.exec(QStringLiteral("DROP TRIGGER IF EXISTS main.") + t);
}

void FileSums::resume()
{
    const Names n = namesOf(layout_, layout_.table);
    for (const QString& sql : fileTriggersSql(layout_, n))
        file_.exec(sql);
    makeConnectionTriggers();
    buildAll();
    file_.exec(QStringLiteral("DELETE FROM ") + n.marks);
}

void FileSums::buildMarked()
{
    const QString marks = quoteId(layout_.marksTable());
    std::vector<qint64> months;
    {
        SqlStatement& st = file_.statement(QStringLiteral("SELECT miesiac FROM ") + marks);
        ResetOnExit reset(st);
        while (st.step())
            months.push_back(st.column(0).toInt64());
    }
    if (months.empty())
        return;
    if (int(months.size()) > kMonthsOneByOne || std::find(months.begin(), months.end(), kAllMonths) != months.end()) {
        buildAll();
    } else {
        for (qint64 m : months)
            buildMonth(m);
    }
    file_.exec(QStringLiteral("DELETE FROM ") + marks);
}

void FileSums::buildMonth(qint64 month)
{
    const Names n = namesOf(layout_, layout_.table);
    const QString date = quoteId(layout_.def.dateField);
    QString where;
    if (month == kNoDate)
        where = QStringLiteral(" WHERE %1 IS NULL").arg(date);
    else if (month >= 0)
        // The date's index finds the month's rows; the month's own test leaves out odd dates among them.
        where = QStringLiteral(" WHERE %1 >= ? AND %1 < ? AND %2 = ?").arg(date, monthSql(date));
    else
        where = QStringLiteral(" WHERE %1 = ?").arg(monthSql(date));
    for (int g = 0; g < n.buckets.size(); ++g) {
        {
            SqlStatement& st = file_.statement(QStringLiteral("DELETE FROM %1 WHERE miesiac = ?").arg(n.buckets[g]));
            ResetOnExit reset(st);
            st.bindInt(1, month);
            st.exec();
        }
        SqlStatement& st = file_.statement(buildSql(layout_, n, g, where));
        ResetOnExit reset(st);
        if (month >= 0) {
            st.bindText(1, firstDayOf(month).toString(Qt::ISODate).toUtf8());
            st.bindText(2, firstDayOf(month + 1).toString(Qt::ISODate).toUtf8());
            st.bindInt(3, month);
        } else if (month != kNoDate) {
            st.bindInt(1, month);
        }
        st.exec();
    }
}

void FileSums::buildAll()
{
    const Names n = namesOf(layout_, layout_.table);
    for (int g = 0; g < n.buckets.size(); ++g) {
        file_.exec(QStringLiteral("DELETE FROM ") + n.buckets[g]);
        file_.exec(buildSql(layout_, n, g, {}));
    }
}

bool FileSums::ready()
{
    if (file_.inTransaction())
        return true; // the notes there are this transaction's own
    {
        SqlStatement& st = file_.statement(
            QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(quoteId(layout_.marksTable())));
        ResetOnExit reset(st);
        if (!st.step() || st.column(0).toInt64() == 0)
            return true;
    }
    if (file_.readOnly())
        return false;
    try {
        Transaction tx(file_); // builds the noted months
        tx.commit();
    } catch (const EngineError&) {
        if ((sqlite3_errcode(file_.db().getHandle()) & 0xff) == SQLITE_BUSY)
            return false; // another program is writing: its months are summed from the rows meanwhile
        throw;
    }
    return true;
}

bool FileSums::hasOddDates()
{
    SqlStatement& st = file_.statement(
        QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1 WHERE miesiac = ?)").arg(quoteId(layout_.bucketTable(0))));
    ResetOnExit reset(st);
    st.bindInt(1, kOddDate);
    return st.step() && st.column(0).toInt64() != 0;
}

} // namespace jadl::keptsums
