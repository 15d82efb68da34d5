#pragma once
// The view of a table: the ids of the records the master link and the filter
// let through, in the order of the current index (texts by their Polish sort
// keys, ties by rowid). The SQL condition (link and pre-filter) narrows the
// rows; the filter callback decides for each one and the columns it reads are
// learned, so the next pass brings them with the query. Internal to the engine;
// all state is in TableState.
#include "store/internal/TableState.h"

#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

namespace jadl::tableview {

using jadl::ViewCondition;

// Views of up to this many records are read as a list, larger ones as a window
// over the index (the engine's tests make it small to try both on small tables).
void setLargestList(qint64 rows);

// The master link's and the pre-filter's conditions in force. Notes the columns
// the pre-filter declares, which decide whether a post rebuilds the view.
ViewCondition condition(TableState& s);
// " ORDER BY" list of the current index.
QString orderBy(const TableState& s);

// After open: filter buffers sized to the fields, learned columns the file still has.
void resetFilter(TableState& s);
// Re-reads the view; keepId stays on that record (or near the old position when
// it is no longer visible), kFirstRecord goes to the first record.
void rebuild(TableState& s, qint64 keepId);
// Whether a post that changed these fields may move its record in the view or out of it.
bool touches(const TableState& s, const std::vector<bool>& dirty);
// Puts a record just written where a rebuild would put it, or takes it out of
// the view when it no longer passes, without reading the rest of the view again;
// the cursor goes to it (or stays near when it left). False when the view must be
// rebuilt instead (it is stale, or the filter wants more columns).
bool place(TableState& s, qint64 id, bool inserted);

// A read of a field by the filter callback: from the offered row, or from the
// record, and then the pass starts again with the column in its query.
QVariant filterValue(TableState& s, size_t fieldIndex);

// Every id of the view, in its order, read from the engine (a window holds few).
std::vector<qint64> allIds(TableState& s);

// The first view position whose field matches (texts: begin with) the value.
std::optional<int> locate(TableState& s, int fieldIndex, const QVariant& value);

} // namespace jadl::tableview
