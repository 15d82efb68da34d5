#pragma once
// The row cache of a table: records by id, the least recently used dropped
// first. Walks and grids read few fields, so a miss reads a block of the
// following view records with only the columns read so far; a column joins the
// blocks on its first read. Internal to the engine; all state is in TableState.
#include <QVariant>
#include <QtGlobal>

namespace jadl {

struct CachedRow;
struct TableState;

namespace rowcache {

// After open: statements for the fields of the file, no columns learned, nothing cached.
void reset(TableState& s);
void dropAll(TableState& s);
void drop(TableState& s, qint64 id);
// The file's cached statements are about to go (close, VACUUM): so is the record statement.
void forgetStatements(TableState& s);

// The whole record, from the cache or the file; nullptr when the file has no such record.
const CachedRow* wholeRow(TableState& s, qint64 id);
// One field of the view record at viewPos (a valid position): cached, or read
// in a block with the following records.
QVariant valueAt(TableState& s, int viewPos, int fieldIndex);

} // namespace rowcache
} // namespace jadl
