#pragma once
// Draws laid-out report pages on any QPainter: the preview, a printer, a PDF file.
// Millimetres become device units in doubles; the painter is never scaled, so fonts
// keep their point sizes and the device's own metrics.
#include "reports/ReportLayout.h"

class QPainter;
class QPrinter;

namespace jadl {

// Paints one page with the paper's top-left corner at the painter's origin.
void paintPage(QPainter& painter, const ReportPage& page);
// Sends every page (or the printer's chosen range) to a printer in full-page mode.
void printPages(const ReportPages& pages, QPrinter* printer);
// Writes the pages as a PDF file; throws EngineError naming the file on failure.
void writePdf(const ReportPages& pages, const QString& path);

} // namespace jadl
