#pragma once
// Sums a table keeps per month (TableDef::keptSums): for each grouping, a table
// of buckets keyed by the month of the date field (year * 12 + month - 1) and
// the grouping's fields, each holding the count of its records and their sums.
// A period's totals then add the whole months from the buckets and sum only the
// records of the days at its edges.
//
// On a server the buckets are the preparation's (PgPrepare): statement triggers
// bring them up to date in the writing transaction, exactly (numeric), and the
// policies show each login the buckets of the records it may read. In a SQLite
// file they live beside the table: the state of each bucket's exact sums
// (common/ExactSum) is kept, so that they equal ExactSum's sum of the records
// bit for bit. The file's own triggers are plain SQL, so that other programs
// may still write the table: they only note the months a write touched. The
// program's connections carry triggers of their own (TEMP, calling the
// engine's functions) that bring the buckets up to date in the same
// transaction; each write transaction first builds again the months others
// noted and clears the notes it made itself before it commits. Internal to the
// engine.
#include "store/FieldDefs.h"

#include <QDate>

#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace jadl {

struct TableState;
struct GroupedQuery;
struct GroupedRow;

namespace viewsums {
struct Answer;
}

namespace keptsums {

// The bucket of the records without a date, and (in a file) of those whose
// date is no calendar date written as YYYY-MM-DD: apart from every month.
inline constexpr qint64 kNoDate = std::numeric_limits<qint32>::min();
inline constexpr qint64 kOddDate = kNoDate + 1;
inline constexpr qint64 kLastMonth = std::numeric_limits<qint32>::max();

qint64 monthOf(const QDate& day);
QDate firstDayOf(qint64 month);

// What a table keeps, under the names both engines give it.
struct Layout {
    QString table; // the kept table as its storage names it ("Towary")
    KeptSumsDef def;
    // "jadl_miesiace_towary_restauracjanumer_vattyp"
    QString bucketTable(int grouping) const;
    // The months others wrote in (a file's): "jadl_miesiace_towary_zmiany"
    QString marksTable() const;
    QString prefix() const; // of the names of the engine's objects for the table
};
Layout layout(const QString& table, const KeptSumsDef& def);

// --- a server's (the preparation makes them)
// The bucket tables and the statement triggers that keep them; a bucket table
// not among `existingTables` is filled from the rows there in one statement.
QStringList serverSql(const Layout& l, const QList<FieldDef>& fields, const QString& schema,
                      const QStringList& existingTables);
// The key a server's buckets give an empty value of the field.
QString serverEmptyKey(const FieldDef& f);

// --- reading
// The totals (or only the counts, `fields` empty) of the view, when the
// buckets can give them: the view's condition is the master link on grouping
// fields and a pre-filter that alone decides a range of the date field, and
// no record is being edited. nullopt: sum the rows.
std::optional<viewsums::Answer> answer(TableState& s, const std::vector<int>& fields, std::optional<int> group);
// Grouped totals (store/GroupedSums.h) when the buckets can give them: the
// condition's fields and the keys are all of one grouping, the range and the
// month are of the date field. nullopt: sum the rows.
std::optional<std::vector<GroupedRow>> grouped(TableState& s, const GroupedQuery& q);

} // namespace keptsums
} // namespace jadl
