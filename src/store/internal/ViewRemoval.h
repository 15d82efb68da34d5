#pragma once
// Removal of many records of a view at once (old purchase lines): the records
// are judged by their own field value, then deleted in one transaction. When
// most of the table goes, the kept records are copied aside, the table emptied
// at once and the kept ones put back with their ids, the indexes built again
// afterwards: that costs in proportion to what stays, not to what goes.
// Internal to the engine.
#include <QVariant>

#include <functional>

namespace jadl {

struct TableState;

namespace viewremoval {

using Picks = std::function<bool(const QVariant&)>;
using Progress = std::function<void(int done, int total)>;

// Returns how many records were deleted; the caller reads the view again.
int remove(TableState& s, int field, const Picks& picks, const Progress& progress);

} // namespace viewremoval
} // namespace jadl
