#pragma once
// Which writer a file name asks for, and writing a sheet to it.
#include "sheets/SheetData.h"

#include <optional>

namespace jadl {

enum class SheetFormat { Xlsx, Csv };

// ".xlsx" or ".csv", as a file of that format ends.
QString sheetFileEnding(SheetFormat format);
// The format a name's ending names (any letter case); nullopt for another ending.
std::optional<SheetFormat> sheetFormatOfName(const QString& path);

struct SheetTarget {
    QString path;
    SheetFormat format = SheetFormat::Xlsx;
};
// The file for a name chosen under a filter: a name ending in ".xlsx" or ".csv" is
// written in that format whatever the filter; any other name gets the filter's ending.
SheetTarget sheetTarget(const QString& chosen, SheetFormat filter);

// Throws SheetError.
void writeSheet(const SheetData& sheet, const SheetTarget& target);

} // namespace jadl
