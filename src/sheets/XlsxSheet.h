#pragma once
// A sheet as an Excel workbook (libxlsxwriter): numbers as numbers, dates as dates,
// a bold frozen header row with an autofilter over header and details, columns
// as wide as their longest value (capped), and totals as SUM formulas that carry
// the report's own figures as their cached results.
#include "sheets/SheetData.h"

namespace jadl {

// Writes through a ReplacingFile; throws SheetError.
void writeXlsx(const SheetData& sheet, const QString& path);

// Column width in characters, as the writer sets it.
inline constexpr double kSheetMaxColumnWidth = 60.0;

} // namespace jadl
