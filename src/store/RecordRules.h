#pragma once
// Record-level rules several windows apply to the shared tables.
#include "common/Money.h"

namespace jadl {

class Table;

// Gross price recalculation of the current basic good (table in insert or edit
// state): CenaBrutto := money-rounded CenaNetto * (1 + rate of VatTyp); nothing is
// written when CenaNetto is empty. The caller posts.
void recalculateGrossPrice(Table& basicGoods);

// Net price against reference price of the record a table is positioned on (or of
// row `row` of its view, for grids), for the reference-price colouring.
PriceSignal priceSignal(Table& table);
PriceSignal priceSignalAt(Table& table, int row);

} // namespace jadl
