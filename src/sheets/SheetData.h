#pragma once
// A report as spreadsheet data: its title lines, one header row of column titles,
// the detail rows and a summary row. The XLSX and CSV writers read it; the report
// side (reports/ReportSheet.h) builds it from a report.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace jadl {

// How a column's numbers are shown: Money with two decimals, Quantity with up to
// three, Integer whole, Date as a day.
enum class SheetColumnKind { Text, Money, Quantity, Integer, Date };

struct SheetColumn {
    QString title;
    SheetColumnKind kind = SheetColumnKind::Text;
};

// Cells hold their own types: QString for texts, double for Money and Quantity,
// qlonglong for Integer, QDate (QDateTime when a time of day matters) for Date;
// a null QVariant is an empty cell. A cell may hold a text in a column of another
// kind (a date column shows the printed text where the date itself is missing).
struct SheetData {
    QString name; // the report's title; names the worksheet
    QStringList titleLines;
    QList<SheetColumn> columns;
    std::vector<QVariantList> rows; // each exactly as long as columns
    // The row under the details, one cell per column: a total (double, the report's
    // own figure; the XLSX writer makes it a SUM of the column), a label (QString)
    // or null. Empty: no summary row.
    QVariantList summary;
};

} // namespace jadl
