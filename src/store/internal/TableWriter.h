#pragma once
// Writing a table's records: the insert or update of the record being edited,
// with the Polish sort key of each text an index orders by written alongside,
// deletes, batches (one transaction over many posts) and the file's upkeep.
// Each write is its own transaction level, so inside a batch it joins the
// batch's. Internal to the engine; all state is in TableState.
#include <QtGlobal>

namespace jadl {

struct TableState;
struct ViewCondition;

namespace tablewriter {

// Writes the edit buffer: a new record with every field but the counter, an
// edit with its changed fields. Returns the record's id (the new one when inserting).
qint64 post(TableState& s, bool inserting, qint64 id);
void remove(TableState& s, qint64 id);

// Records that meet the condition now.
qint64 countUnderCondition(TableState& s, const ViewCondition& cond);

// The dialect's pack; the cached rows and statements go with it.
void compact(TableState& s);
// Posts are durable when they return; this checks the file is still there and readable.
void flush(TableState& s);

void beginBatch(TableState& s);
void commitBatch(TableState& s);
void rollbackBatch(TableState& s);

} // namespace tablewriter
} // namespace jadl
