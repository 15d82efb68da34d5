#pragma once
// Colours of the reference-price signal: equal black, higher red, lower green;
// a selected cell reads white.
#include "common/Money.h"
#include "controls/DBGrid.h"

#include <QColor>

namespace jadl {

QColor priceColor(PriceSignal signal);
// Row colour hook for a grid over a table with CenaNetto and CenaReferencyjna.
RowColorFn referencePriceRowColor();

} // namespace jadl
