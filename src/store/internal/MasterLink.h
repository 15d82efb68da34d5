#pragma once
// The master link of a detail table: the values of the master's current record
// that the view is restricted to, through the key fields of the current index.
// Internal to the engine; all state is in TableState.
#include "store/internal/TableState.h"

namespace jadl::masterlink {

// The link the master's current record asks for now; empty when there is no
// master, it is closed, or the fields do not match up yet.
TableState::Link compute(const TableState& s);
// Takes the link computed now as the one in force.
void follow(TableState& s);
// A new record of a linked table starts with the master's values in the link fields.
void seedNewRecord(TableState& s);

} // namespace jadl::masterlink
