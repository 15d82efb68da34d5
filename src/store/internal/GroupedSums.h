#pragma once
// The engine's side of store/GroupedSums.h: grouped exact totals and plain
// reads over a table's own SQL condition. Internal to the engine.
#include "store/GroupedSums.h"

namespace jadl {

struct TableState;

namespace groupedsums {

std::vector<GroupedRow> sums(TableState& s, const GroupedQuery& q);
std::vector<QVariantList> rows(TableState& s, const RowsQuery& q);

} // namespace groupedsums
} // namespace jadl
