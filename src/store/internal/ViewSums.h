#pragma once
// Totals over the records of a view. Each total is exact and rounded once
// (common/ExactSum), so SQLite, adding in table order, gives the very double a
// walk in view order gives. SQLite adds where the view's own condition covers
// the view (the record set of the view is added to the query when a filter
// callback decides); the walk is left for what SQL cannot see: a record being
// edited, fields that are not floats. Internal to the engine.
#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

namespace jadl {

struct TableState;

namespace viewsums {

// What SQL answers over the view's records.
struct Answer {
    std::map<qint64, std::vector<double>> groups;
    std::map<qint64, qint64> counts; // records per group
    qint64 rows = 0; // records counted, empty groups included
    bool keysRepeat = false; // integers stored as floats fell into groups of their own
};

std::vector<double> sums(TableState& s, const std::vector<int>& fields);
// Per value of an integer field; records whose group field is empty count for none.
std::map<qint64, std::vector<double>> sumsBy(TableState& s, int groupField, const std::vector<int>& fields);
// How many records of the view hold each value of an integer field.
std::map<qint64, qint64> countsBy(TableState& s, int groupField);
// How many records the view has, from the sums the table keeps per month
// (store/internal/KeptSums.h), without reading the view; nullopt where they
// cannot tell (the view's condition is not one they answer, a record is being
// edited, a file that cannot bring them up to date).
std::optional<qint64> keptCount(TableState& s);

} // namespace viewsums
} // namespace jadl
