#include "sheets/SheetWriter.h"

#include "sheets/CsvSheet.h"
#include "sheets/XlsxSheet.h"

namespace jadl {

QString sheetFileEnding(SheetFormat format)
{
    return format == SheetFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
}

std::optional<SheetFormat> sheetFormatOfName(const QString& path)
{
    for (const SheetFormat f : {SheetFormat::Xlsx, SheetFormat::Csv})
        if (path.endsWith(sheetFileEnding(f), Qt::CaseInsensitive))
            return f;
    return std::nullopt;
}

SheetTarget sheetTarget(const QString& chosen, SheetFormat filter)
{
    if (const auto own = sheetFormatOfName(chosen))
        return {chosen, *own};
    return {chosen + sheetFileEnding(filter), filter};
}

void writeSheet(const SheetData& sheet, const SheetTarget& target)
{
    if (target.format == SheetFormat::Csv)
        writeCsv(sheet, target.path);
    else
        writeXlsx(sheet, target.path);
}

} // namespace jadl
