#pragma once
// A sheet as CSV for Polish spreadsheets: UTF-8 with a byte-order mark, semicolons
// between fields, CRLF line ends; title lines, header, details, summary in that order.
#include "sheets/SheetData.h"

#include <QByteArray>

namespace jadl {

QByteArray csvBytes(const SheetData& sheet);
// Writes through a ReplacingFile; throws SheetError.
void writeCsv(const SheetData& sheet, const QString& path);

} // namespace jadl
