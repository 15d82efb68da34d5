#pragma once
// A cell as text the way Polish spreadsheets read it: decimal comma, no thousands
// grouping, money with exactly two decimals, quantities with up to three, dates
// "dd.mm.yyyy". The CSV writer writes it; the XLSX writer sizes columns by it.
#include "sheets/SheetData.h"

namespace jadl {

QString sheetCellText(const QVariant& value, SheetColumnKind kind);

} // namespace jadl
