#pragma once
// A report as spreadsheet data: what it prints, as data.
//
// Title lines: the page header's labels, fields and system data that are not
// column titles, with the texts page 1 prints, in reading order (lines top to
// bottom, within 1 mm of a line's top counted as that line; left to right on it).
// Neighbours on a line less than 3 mm apart ("Restauracja:" and its value) make one
// title line. The page number and rules drawn with characters ("____") are left out.
//
// Columns: the printing detail elements left to right, page numbers left out. A
// column's title is the page-header label on the header's last line of labels that
// overlaps the element most horizontally; none overlapping: an empty title.
//
// Kinds and values (values as data, not as printed text):
//  - a float field whose name starts with "Ilosc" is a Quantity, whatever its print
//    mask: the sheet keeps the measured amount (2,5 kg; 99999,999);
//  - other float fields and sums are Money when masked "0.00" (by the element or the
//    field's display format) or named as money ("Cena...", "Wartosc..."), else Quantity;
//  - integer fields and the running number (1..n) are Integer;
//  - date fields are Date; so is a text field "XString" of a data set that has a date
//    field "X" (the purchase date "1 marca" is the day DataZakupu): the date of X,
//    or the printed text where X is empty;
//  - logicals are the text the report prints for them (reportDisplayText), other
//    fields their text; labels in the detail band their caption.
// Rows: one per record of the data set's current view, rows 0..n-1.
//
// Summary: each SUM of the summary band under the column it overlaps most (the
// column of the summed field first), as the report prints it: its running sum
// money-rounded by the element's mask; labels as text in their columns. An empty
// view has no summary row, so no SUM runs over an empty range.
#include "reports/Report.h"
#include "sheets/SheetData.h"

#include <QDate>

#include <optional>

namespace jadl {

// Reads the report's data set as a print run would; the run date as for
// layoutPages (today when not given). Throws EngineError as the layout does for a
// missing field or a bad expression.
SheetData sheetFromReport(const Report& report, std::optional<QDate> runDate = std::nullopt);

} // namespace jadl
