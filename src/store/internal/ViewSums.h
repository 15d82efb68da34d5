#pragma once
// Totals over the records of a view. Each total is exact and rounded once
// (common/ExactSum), so SQLite, adding in table order, gives the very double a
// walk in view order gives. SQLite adds where the view's own condition covers
// the view (the record set of the view is added to the query when a filter
// callback decides); the walk is left for what SQL cannot see: a record being
// edited, fields that are not floats. Internal to the engine.
#include <QtGlobal>

#include <map>
#include <vector>

namespace jadl {

struct TableState;

namespace viewsums {

std::vector<double> sums(TableState& s, const std::vector<int>& fields);
// Per value of an integer field; records whose group field is empty count for none.
std::map<qint64, std::vector<double>> sumsBy(TableState& s, int groupField, const std::vector<int>& fields);
// How many records of the view hold each value of an integer field.
std::map<qint64, qint64> countsBy(TableState& s, int groupField);

} // namespace viewsums
} // namespace jadl
