#include "store/internal/KeptSums.h"

#include "store/GroupedSums.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/TableState.h"
#include "store/internal/Values.h"
#include "store/internal/ViewSums.h"

#include <algorithm>

namespace jadl::keptsums {

qint64 monthOf(const QDate& day)
{
    return qint64(day.year()) * 12 + day.month() - 1;
}

QDate firstDayOf(qint64 month)
{
    const qint64 year = month >= 0 ? month / 12 : -((-month + 11) / 12);
    return QDate(int(year), int(month - year * 12) + 1, 1);
}

QString Layout::prefix() const
{
    return QStringLiteral("jadl_miesiace_") + table.toLower();
}

QString Layout::bucketTable(int grouping) const
{
    return prefix() + QLatin1Char('_') + def.groupings.value(grouping).join(QLatin1Char('_')).toLower();
}

QString Layout::marksTable() const
{
    return prefix() + QStringLiteral("_zmiany");
}

Layout layout(const QString& table, const KeptSumsDef& def)
{
    return Layout{table, def};
}

// ================================================================ a server's

namespace {

QStringList quotedAll(const QStringList& names, const QString& prefix = {})
{
    QStringList out;
    for (const QString& n : names)
        out << prefix + quoteId(n);
    return out;
}

QString joined(const QStringList& l, const QString& by = QStringLiteral(", "))
{
    return l.join(by);
}

bool integerType(const FieldDef* f)
{
    return f && (f->type == FieldType::Integer || f->type == FieldType::AutoInc);
}

const FieldDef* fieldNamed(const QList<FieldDef>& fields, const QString& name)
{
    for (const FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

QString emptyKey(const FieldDef* f)
{
    return integerType(f) ? QStringLiteral("'-9223372036854775808'::bigint") : QStringLiteral("E'\\001'");
}

QString serverMonth(const QString& date)
{
    return QStringLiteral("(CASE WHEN %1 IS NULL THEN '%2'::integer ELSE extract(year FROM %1)::integer * 12 + "
                          "extract(month FROM %1)::integer - 1 END)")
        .arg(date)
        .arg(kNoDate);
}

QString notFinite(const QString& value)
{
    return value + QStringLiteral(" IN ('NaN', 'Infinity', '-Infinity')");
}

// A value as the buckets' numeric sums take it: infinities and NaN are counted apart.
QString finite(const QString& value)
{
    return QStringLiteral("CASE WHEN %1 THEN 0 ELSE %2 END").arg(notFinite(value), value);
}

struct ServerBucket {
    QString table;
    QStringList keys; // quoted columns
    QStringList keyValues; // of a row "x"
};

ServerBucket serverBucket(const Layout& l, const QList<FieldDef>& fields, int g)
{
    ServerBucket b{quoteId(l.bucketTable(g)), {}, {}};
    for (const QString& f : l.def.groupings[g]) {
        const FieldDef* def = fieldNamed(fields, f);
        b.keys << quoteId(f);
        // Texts compare byte by byte in the buckets, whatever collation the field's column has.
        b.keyValues << QStringLiteral("coalesce(x.%1::%2, %3)")
                           .arg(quoteId(f),
                                integerType(def) ? QStringLiteral("bigint") : QStringLiteral("text COLLATE \"C\""),
                                emptyKey(def));
    }
    return b;
}

// The buckets of the rows of `source` (aliased x), each counted `weight` times.
QString serverGroupedSql(const Layout& l, const ServerBucket& b, const QString& source, const QString& weight)
{
    QStringList odd, sums;
    for (const QString& f : l.def.sumFields)
        odd << notFinite(QStringLiteral("x.") + quoteId(f));
    for (const QString& f : l.def.sumFields)
        sums << QStringLiteral("coalesce(sum(%1 * %2), 0)").arg(weight, finite(QStringLiteral("x.") + quoteId(f)));
    QStringList positions;
    for (int i = 1; i <= b.keys.size() + 1; ++i)
        positions << QString::number(i);
    return QStringLiteral("SELECT %1, %2, sum(%3), coalesce(sum(%3) FILTER (WHERE %4), 0), %5 FROM %6 x GROUP BY %7 "
                          "ORDER BY %7")
        .arg(serverMonth(QStringLiteral("x.") + quoteId(l.def.dateField)), joined(b.keyValues), weight,
             joined(odd, QStringLiteral(" OR ")), joined(sums), source, joined(positions));
}

QString serverColumns(const Layout& l, const ServerBucket& b)
{
    return QStringLiteral("miesiac, %1, n, niepoliczalne, %2").arg(joined(b.keys), joined(quotedAll(l.def.sumFields)));
}

// Adds what the statement's transition rows bring (or take) to the buckets, in
// the buckets' key order, so that two writers never wait for each other in turn.
QString serverDeltaSql(const Layout& l, const ServerBucket& b, const QString& source)
{
    QStringList sets{QStringLiteral("n = t.n + excluded.n"),
                     QStringLiteral("niepoliczalne = t.niepoliczalne + excluded.niepoliczalne")};
    for (const QString& f : quotedAll(l.def.sumFields))
        sets << QStringLiteral("%1 = t.%1 + excluded.%1").arg(f);
    return QStringLiteral("INSERT INTO %1 AS t (%2) %3 ON CONFLICT (miesiac, %4) DO UPDATE SET %5;\n")
        .arg(b.table, serverColumns(l, b), serverGroupedSql(l, b, source, QStringLiteral("x.jadl_znak")),
             joined(b.keys), joined(sets));
}

// Writers of the same group's buckets (a restaurant's, the field every grouping
// begins with) take their turn for the whole transaction: a transaction's
// statements touch buckets in no fixed order, so two such writers holding a
// bucket each could otherwise wait for each other. Keys in order within a statement.
QString serverLockSql(const Layout& l, const QString& source)
{
    const QString first = l.def.groupings.value(0).value(0);
    for (const QStringList& g : l.def.groupings)
        if (g.value(0) != first)
            return {};
    return QStringLiteral("PERFORM pg_advisory_xact_lock(hashtext('%1'), k) FROM (SELECT DISTINCT "
                          "hashtext(coalesce(x.%2::text, '')) AS k FROM %3 x ORDER BY 1) AS klucze;\n")
        .arg(l.prefix(), quoteId(first), source);
}

QString serverEmptiedSql(const Layout& l, const ServerBucket& b)
{
    QStringList keys{QStringLiteral("t.miesiac")};
    for (const QString& k : b.keys)
        keys << QStringLiteral("t.") + k;
    return QStringLiteral("DELETE FROM %1 t WHERE t.n = 0 AND (%2) IN (SELECT %3, %4 FROM stare x);\n")
        .arg(b.table, joined(keys), serverMonth(QStringLiteral("x.") + quoteId(l.def.dateField)), joined(b.keyValues));
}

} // namespace

QString serverEmptyKey(const FieldDef& f)
{
    return emptyKey(&f);
}

QStringList serverSql(const Layout& l, const QList<FieldDef>& fields, const QString& schema,
                      const QStringList& existingTables)
{
    QStringList out, fills;
    std::vector<ServerBucket> buckets;
    for (int g = 0; g < l.def.groupings.size(); ++g) {
        const ServerBucket b = serverBucket(l, fields, g);
        buckets.push_back(b);
        QStringList columns{QStringLiteral("miesiac integer NOT NULL")};
        for (const QString& f : l.def.groupings[g])
            columns << quoteId(f) +
                    (integerType(fieldNamed(fields, f)) ? QStringLiteral(" bigint")
                                                        : QStringLiteral(" text COLLATE \"C\"")) +
                    QStringLiteral(" NOT NULL");
        columns << QStringLiteral("n bigint NOT NULL") << QStringLiteral("niepoliczalne bigint NOT NULL");
        for (const QString& f : l.def.sumFields)
            columns << quoteId(f) + QStringLiteral(" numeric NOT NULL");
        out << QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2, PRIMARY KEY (miesiac, %3))")
                   .arg(b.table, joined(columns), joined(b.keys));
        // A server prepared before it kept them: the buckets of the rows it holds.
        if (!existingTables.contains(l.bucketTable(g), Qt::CaseInsensitive))
            fills << QStringLiteral("INSERT INTO %1 (%2) %3")
                         .arg(b.table, serverColumns(l, b),
                              serverGroupedSql(l, b, quoteId(l.table), QStringLiteral("1")));
    }
    const QString inserting = QStringLiteral("(SELECT 1 AS jadl_znak, * FROM nowe)");
    const QString removing = QStringLiteral("(SELECT -1 AS jadl_znak, * FROM stare)");
    const QString updating = QStringLiteral("(SELECT -1 AS jadl_znak, * FROM stare UNION ALL SELECT 1, * FROM nowe)");
    QString inserted = serverLockSql(l, inserting), removed = serverLockSql(l, removing),
            updated = serverLockSql(l, updating), emptied, truncated;
    for (const ServerBucket& b : buckets) {
        inserted += serverDeltaSql(l, b, inserting);
        removed += serverDeltaSql(l, b, removing);
        updated += serverDeltaSql(l, b, updating);
        emptied += serverEmptiedSql(l, b);
        truncated += QStringLiteral("DELETE FROM %1;\n").arg(b.table);
    }
    const QString function = l.prefix();
    out << QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER SET "
                          "search_path = %2, pg_temp AS $f$\n"
                          "BEGIN\n"
                          "  IF TG_OP = 'TRUNCATE' THEN\n%3"
                          "  ELSIF TG_OP = 'INSERT' THEN\n%4"
                          "  ELSIF TG_OP = 'DELETE' THEN\n%5%7"
                          "  ELSE\n%6%7"
                          "  END IF;\n"
                          "  RETURN NULL;\n"
                          "END $f$")
               .arg(quoteId(function), quoteId(schema), truncated, inserted, removed, updated, emptied);
    const QString table = quoteId(l.table);
    const struct {
        const char* name;
        const char* event;
        const char* transition;
    } triggers[] = {{"_wstawienie", "INSERT", " REFERENCING NEW TABLE AS nowe"},
                    {"_zmiana", "UPDATE", " REFERENCING OLD TABLE AS stare NEW TABLE AS nowe"},
                    {"_usuniecie", "DELETE", " REFERENCING OLD TABLE AS stare"},
                    {"_oproznienie", "TRUNCATE", ""}};
    for (const auto& t : triggers)
        out << QStringLiteral("CREATE OR REPLACE TRIGGER %1 AFTER %2 ON %3%4 FOR EACH STATEMENT EXECUTE FUNCTION %5()")
                   .arg(quoteId(function + QLatin1String(t.name)), QLatin1String(t.event), table,
                        QLatin1String(t.transition), quoteId(function));
    return out + fills;
}

// ================================================================ reading

namespace {

// The view's condition as the buckets can answer it.
struct Scope {
    std::vector<std::pair<int, QVariant>> links; // field, value (null: empty)
    std::optional<SqlPreFilter::DateRange> range;
};

bool sameCondition(const ViewCondition& a, const ViewCondition& b)
{
    if (a.where != b.where || a.binds.size() != b.binds.size())
        return false;
    for (size_t i = 0; i < a.binds.size(); ++i)
        if (a.binds[i].value != b.binds[i].value || a.binds[i].def != b.binds[i].def)
            return false;
    return true;
}

// The master link's equalities and a pre-filter that alone decides a range of
// the date field, in the very form the view was read with; nullopt otherwise.
std::optional<Scope> scopeOf(TableState& s, const Layout& l)
{
    Scope out;
    ViewCondition expected;
    for (int i = 0; i < s.link.fields.size(); ++i) {
        const int fi = s.fieldIndex(s.link.fields[i]);
        if (fi < 0)
            return std::nullopt;
        const QVariant& v = s.link.values.value(i);
        out.links.emplace_back(fi, v);
        if (v.isNull()) {
            expected.where << quoteId(s.link.fields[i]) + QStringLiteral(" IS NULL");
        } else {
            expected.where << quoteId(s.link.fields[i]) + QStringLiteral(" = ?");
            expected.binds.push_back({v, &s.def(size_t(fi))});
        }
    }
    const bool callback = s.filtered && bool(s.onFilterRecord);
    if (s.filtered && s.preFilter) {
        const SqlPreFilter pf = s.preFilter();
        if (callback && !pf.decides)
            return std::nullopt;
        if (!pf.where.trimmed().isEmpty()) {
            if (!pf.decides || !pf.range || pf.range->field.compare(l.def.dateField, Qt::CaseInsensitive) != 0)
                return std::nullopt;
            out.range = pf.range;
            expected.where << QLatin1Char('(') + pf.where + QLatin1Char(')');
            for (const QVariant& v : pf.binds)
                expected.binds.push_back({v, nullptr});
        }
    } else if (callback) {
        return std::nullopt;
    }
    if (!sameCondition(expected, s.view.condition))
        return std::nullopt;
    return out;
}

// The first grouping that holds every one of the fields.
int groupingFor(const Layout& l, const QStringList& fields)
{
    for (int g = 0; g < l.def.groupings.size(); ++g) {
        bool all = true;
        for (const QString& f : fields)
            all = all && l.def.groupings[g].contains(f, Qt::CaseInsensitive);
        if (all)
            return g;
    }
    return -1;
}

QDate lastDayOf(qint64 month)
{
    return firstDayOf(month + 1).addDays(-1);
}

// The statement's text and parameters, built part by part.
struct Query {
    QString sql;
    std::vector<ViewCondition::Bind> binds;
};

// The days of a period's edge, read from the rows (an invalid end: open).
void edgeDays(const QString& date, const QDate& from, const QDate& to, QStringList& where, Query& q)
{
    if (from.isValid()) {
        where << date + QStringLiteral(" >= ?");
        q.binds.push_back({QVariant(from.toString(Qt::ISODate)), nullptr});
    }
    if (to.isValid()) {
        where << date + QStringLiteral(" <= ?");
        q.binds.push_back({QVariant(to.toString(Qt::ISODate)), nullptr});
    }
}

} // namespace

namespace {

// The sum fields' places among the buckets' sums; nullopt when one is not kept.
std::optional<std::vector<int>> keptPlaces(TableState& s, const Layout& l, const std::vector<int>& fields)
{
    std::vector<int> wanted;
    for (int f : fields) {
        const QString name = s.fields[size_t(f)]->fieldName();
        const auto it = std::find_if(l.def.sumFields.begin(), l.def.sumFields.end(),
                                     [&](const QString& k) { return k.compare(name, Qt::CaseInsensitive) == 0; });
        if (it == l.def.sumFields.end() || s.def(size_t(f)).type != FieldType::Float)
            return std::nullopt;
        wanted.push_back(int(it - l.def.sumFields.begin()));
    }
    return wanted;
}

// The whole months a period holds, and the days at either edge left over.
struct Split {
    qint64 firstMonth = kOddDate + 1;
    qint64 lastMonth = kLastMonth;
    std::vector<std::pair<QDate, QDate>> edges; // an invalid end: open
    bool months = true;
};

Split splitPeriod(const std::optional<SqlPreFilter::DateRange>& range)
{
    Split out;
    if (!range)
        return out;
    const QDate from = range->from;
    const QDate to = range->to;
    if (from.isValid())
        out.firstMonth = monthOf(from) + (from.day() == 1 ? 0 : 1);
    if (to.isValid())
        out.lastMonth = monthOf(to) - (to == lastDayOf(monthOf(to)) ? 0 : 1);
    if (out.firstMonth > out.lastMonth) {
        out.edges.emplace_back(from, to);
    } else {
        if (from.isValid() && from.day() != 1)
            out.edges.emplace_back(from, firstDayOf(out.firstMonth).addDays(-1));
        if (to.isValid() && to != lastDayOf(out.lastMonth))
            out.edges.emplace_back(firstDayOf(out.lastMonth + 1), to);
    }
    out.months = out.firstMonth <= out.lastMonth;
    return out;
}

// The link's equalities; an empty value is written as the buckets or the rows hold it.
void linkConditions(TableState& s, const Scope& scope, bool buckets, QStringList& where, Query& q)
{
    for (const auto& [field, value] : scope.links) {
        const QString column = quoteId(s.fields[size_t(field)]->fieldName());
        if (value.isNull()) {
            where << column +
                    (buckets ? QStringLiteral(" = ") + s.conn->dialect().keptEmptyKey(s.def(size_t(field)))
                             : QStringLiteral(" IS NULL"));
        } else {
            where << column + QStringLiteral(" = ?");
            q.binds.push_back({value, &s.def(size_t(field))});
        }
    }
}

// One statement adding the buckets' whole months and the edge days' rows.
Query keptQuery(TableState& s, const Layout& l, int g, const Scope& scope, const Split& split, std::optional<int> group,
                const std::vector<int>& wanted)
{
    const SqlDialect& dialect = s.conn->dialect();
    const QString groupColumn = group ? quoteId(s.fields[size_t(*group)]->fieldName()) : QString();
    QStringList parts;
    Query q;
    if (split.months) {
        QStringList where;
        if (scope.range) {
            where << QStringLiteral("miesiac >= ?") << QStringLiteral("miesiac <= ?");
            q.binds.push_back({QVariant(split.firstMonth), nullptr});
            q.binds.push_back({QVariant(split.lastMonth), nullptr});
        }
        linkConditions(s, scope, true, where, q);
        parts << QStringLiteral("SELECT %1n, %2 FROM %3%4")
                     .arg(group ? QStringLiteral("NULLIF(%1, %2) AS %1, ")
                                      .arg(groupColumn, dialect.keptEmptyKey(s.def(size_t(*group))))
                                : QString(),
                          dialect.keptBucketPart(l.def.sumFields), quoteId(l.bucketTable(g)),
                          where.isEmpty() ? QString()
                                          : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND ")));
    }
    const QString date = quoteId(l.def.dateField);
    for (const auto& [from, to] : split.edges) {
        QStringList where;
        linkConditions(s, scope, false, where, q);
        edgeDays(date, from, to, where, q);
        parts << QStringLiteral("SELECT %1count(*) AS n, %2 FROM %3 WHERE %4%5")
                     .arg(group ? groupColumn + QStringLiteral(", ") : QString(),
                          dialect.keptRowsPart(quotedAll(l.def.sumFields)), s.sqlName,
                          where.join(QStringLiteral(" AND ")),
                          group ? QStringLiteral(" GROUP BY ") + groupColumn : QString());
    }
    q.sql = QStringLiteral("SELECT sum(n)%1%2 FROM (%3) AS czesci%4")
                .arg(group ? QStringLiteral(", ") + groupColumn : QString(),
                     wanted.empty() ? QString() : QStringLiteral(", ") + dialect.keptTotals(l.def.sumFields, wanted),
                     parts.join(QStringLiteral(" UNION ALL ")),
                     group ? QStringLiteral(" GROUP BY ") + groupColumn : QString());
    return q;
}

std::optional<viewsums::Answer> readAnswer(SqlConnection& conn, Query q, bool grouped, size_t sumCount)
{
    viewsums::Answer out;
    SqlStatement& st = conn.statement(q.sql);
    ResetOnExit reset(st);
    ViewCondition binds;
    binds.binds = std::move(q.binds);
    binds.bind(st);
    const int first = grouped ? 2 : 1;
    while (st.step()) {
        const qint64 count = st.column(0).toInt64();
        out.rows += count;
        qint64 key = 0;
        if (grouped) {
            const SqlValue k = st.column(1);
            if (k.isNull())
                continue;
            key = k.toInt64();
        }
        out.counts[key] += count;
        std::vector<double> sums(sumCount, 0.0);
        if (sumCount > 0 && count > 0 && !conn.dialect().readKeptTotals(st, first, sums))
            return std::nullopt;
        if (!out.groups.emplace(key, std::move(sums)).second)
            out.keysRepeat = true;
    }
    return out;
}

} // namespace

std::optional<viewsums::Answer> answer(TableState& s, const std::vector<int>& fields, std::optional<int> group)
{
    if (!s.kept || !s.conn || s.state == DataSetState::Edit || s.view.stale)
        return std::nullopt;
    const Layout& l = *s.kept;
    const std::optional<std::vector<int>> wanted = keptPlaces(s, l, fields);
    if (!wanted || (group && !integerType(&s.def(size_t(*group)))))
        return std::nullopt;
    const std::optional<Scope> scope = scopeOf(s, l);
    if (!scope)
        return std::nullopt;
    QStringList keyed;
    for (const auto& link : scope->links)
        keyed << s.fields[size_t(link.first)]->fieldName();
    if (group)
        keyed << s.fields[size_t(*group)]->fieldName();
    const int g = groupingFor(l, keyed);
    if (g < 0)
        return std::nullopt;

    SqlConnection& conn = *s.conn;
    const SqlDialect& dialect = conn.dialect();
    const qint64 version = dialect.isServer() ? 0 : conn.dataVersion();
    if (!dialect.keptSumsReady(conn) || (scope->range && dialect.keptOddDates(conn)))
        return std::nullopt;

    const Split split = splitPeriod(scope->range);
    std::optional<viewsums::Answer> out = readAnswer(conn, keptQuery(s, l, g, *scope, split, group, *wanted),
                                                     bool(group), wanted->size());
    // A file another program wrote in meanwhile: its rows and its buckets may differ.
    if (!dialect.isServer() && conn.dataVersion() != version)
        return std::nullopt;
    return out;
}

namespace {

// A grouping key as both parts of the union give it: texts byte by byte, empty as null.
QString keyOf(const SqlDialect& dialect, const FieldDef& def, const QString& value)
{
    return integerType(&def) ? value : dialect.byteText(value);
}

struct GroupedParts {
    std::vector<int> keys; // field indexes
    std::vector<int> equal; // field indexes of the condition's equalities
    std::vector<int> wanted; // places among the kept sums
    int grouping = -1;
};

std::optional<GroupedParts> groupedParts(TableState& s, const Layout& l, const GroupedQuery& q)
{
    const auto sameName = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    if ((!q.where.dateField.isEmpty() && !sameName(q.where.dateField, l.def.dateField)) ||
        (!q.monthField.isEmpty() && !sameName(q.monthField, l.def.dateField)))
        return std::nullopt;
    GroupedParts out;
    std::vector<int> sumFields;
    for (const QString& f : q.sums)
        sumFields.push_back(s.table.fieldByName(f).index());
    const std::optional<std::vector<int>> wanted = keptPlaces(s, l, sumFields);
    if (!wanted)
        return std::nullopt;
    out.wanted = *wanted;
    QStringList named;
    for (const auto& [field, value] : q.where.equal) {
        out.equal.push_back(s.table.fieldByName(field).index());
        named << s.fields[size_t(out.equal.back())]->fieldName();
    }
    for (const QString& k : q.keys) {
        out.keys.push_back(s.table.fieldByName(k).index());
        named << s.fields[size_t(out.keys.back())]->fieldName();
    }
    out.grouping = groupingFor(l, named);
    if (out.grouping < 0)
        return std::nullopt;
    return out;
}

// The one statement of a grouped answer: the buckets' whole months and the edge days' rows.
Query groupedStatement(TableState& s, const Layout& l, const GroupedParts& parts, const GroupedQuery& q,
                       const std::optional<SqlPreFilter::DateRange>& range)
{
    const SqlDialect& dialect = s.conn->dialect();
    const bool byMonth = !q.monthField.isEmpty();
    const Split split = splitPeriod(range);
    // Both parts name their columns alike: m (the month), k0, k1, ..., n, the sums' state.
    const auto keyList = [&](bool buckets) {
        QStringList out;
        if (byMonth)
            out << (buckets ? QStringLiteral("miesiac") : dialect.monthKey(quoteId(l.def.dateField))) +
                    QStringLiteral(" AS m");
        for (size_t i = 0; i < parts.keys.size(); ++i) {
            const FieldDef& def = s.def(size_t(parts.keys[i]));
            const QString column = quoteId(def.name);
            const QString value = buckets ? QStringLiteral("NULLIF(%1, %2)").arg(column, dialect.keptEmptyKey(def))
                                          : dialect.groupKey(column);
            out << keyOf(dialect, def, value) + QStringLiteral(" AS k%1").arg(i);
        }
        return out;
    };
    const auto equalities = [&](bool buckets, QStringList& where, Query& query) {
        for (size_t i = 0; i < parts.equal.size(); ++i) {
            const FieldDef& def = s.def(size_t(parts.equal[i]));
            const QVariant& value = q.where.equal[i].second;
            if (value.isNull()) {
                where << quoteId(def.name) +
                        (buckets ? QStringLiteral(" = ") + dialect.keptEmptyKey(def) : QStringLiteral(" IS NULL"));
            } else {
                where << quoteId(def.name) + QStringLiteral(" = ?");
                query.binds.push_back({value, &def});
            }
        }
    };
    const int keyCount = int(parts.keys.size()) + (byMonth ? 1 : 0);
    QStringList groupBy;
    for (int i = 1; i <= keyCount; ++i)
        groupBy << QString::number(i);
    const QString grouping = groupBy.isEmpty() ? QString() : QStringLiteral(" GROUP BY ") + groupBy.join(u", ");

    Query query;
    QStringList union_;
    if (split.months) {
        QStringList where;
        if (range) {
            where << QStringLiteral("miesiac >= ?") << QStringLiteral("miesiac <= ?");
            query.binds.push_back({QVariant(split.firstMonth), nullptr});
            query.binds.push_back({QVariant(split.lastMonth), nullptr});
        } else if (byMonth) {
            where << QStringLiteral("miesiac > %1").arg(kOddDate);
        }
        equalities(true, where, query);
        QStringList select = keyList(true);
        select << QStringLiteral("n") << dialect.keptBucketPart(l.def.sumFields);
        union_ << QStringLiteral("SELECT %1 FROM %2%3")
                      .arg(select.join(u", "), quoteId(l.bucketTable(parts.grouping)),
                           where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(u" AND "));
    }
    const QString date = quoteId(l.def.dateField);
    for (const auto& [from, to] : split.edges) {
        QStringList where;
        equalities(false, where, query);
        edgeDays(date, from, to, where, query);
        QStringList select = keyList(false);
        select << QStringLiteral("count(*) AS n") << dialect.keptRowsPart(quotedAll(l.def.sumFields));
        union_ << QStringLiteral("SELECT %1 FROM %2 WHERE %3%4")
                      .arg(select.join(u", "), s.sqlName, where.join(u" AND "), grouping);
    }
    QStringList outer;
    if (byMonth)
        outer << QStringLiteral("m");
    for (size_t i = 0; i < parts.keys.size(); ++i)
        outer << QStringLiteral("k%1").arg(i);
    outer << QStringLiteral("sum(n)");
    if (!parts.wanted.empty())
        outer << dialect.keptTotals(l.def.sumFields, parts.wanted);
    query.sql = QStringLiteral("SELECT %1 FROM (%2) AS czesci%3")
                    .arg(outer.join(u", "), union_.join(QStringLiteral(" UNION ALL ")), grouping);

    return query;
}

} // namespace

std::optional<std::vector<GroupedRow>> grouped(TableState& s, const GroupedQuery& q)
{
    if (!s.kept || !s.conn)
        return std::nullopt;
    const Layout& l = *s.kept;
    const std::optional<GroupedParts> parts = groupedParts(s, l, q);
    if (!parts)
        return std::nullopt;
    SqlConnection& conn = *s.conn;
    const SqlDialect& dialect = conn.dialect();
    const qint64 version = dialect.isServer() ? 0 : conn.dataVersion();
    const bool byMonth = !q.monthField.isEmpty();
    const bool ranged = !q.where.dateField.isEmpty();
    if (!dialect.keptSumsReady(conn) || ((ranged || byMonth) && dialect.keptOddDates(conn)))
        return std::nullopt;
    std::optional<SqlPreFilter::DateRange> range;
    if (ranged)
        range = SqlPreFilter::DateRange{l.def.dateField, q.where.from, q.where.to};

    Query query = groupedStatement(s, l, *parts, q, range);
    std::vector<GroupedRow> out;
    {
        SqlStatement& st = conn.statement(query.sql);
        ResetOnExit reset(st);
        ViewCondition binds;
        binds.binds = std::move(query.binds);
        binds.bind(st);
        while (st.step()) {
            GroupedRow row;
            int c = 0;
            if (byMonth)
                row.month = st.column(c++).toInt64();
            for (int k : parts->keys)
                row.keys << detail::readColumn(s.def(size_t(k)), st.column(c++));
            row.count = st.column(c++).toInt64();
            if (row.count == 0)
                continue;
            row.sums.assign(parts->wanted.size(), 0.0);
            if (!row.sums.empty() && !dialect.readKeptTotals(st, c, row.sums))
                return std::nullopt;
            out.push_back(std::move(row));
        }
    }
    if (!dialect.isServer() && conn.dataVersion() != version)
        return std::nullopt;
    return out;
}

} // namespace jadl::keptsums
