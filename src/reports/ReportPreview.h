#pragma once
// The modal print preview of laid-out pages (Qt's preview dialog), with an added
// "Zapisz jako PDF" action, since Qt's preview on Linux cannot save a PDF itself,
// and "Zapisz jako arkusz" beside it when the report's sheet is at hand.
#include "reports/ReportLayout.h"
#include "reports/ReportSheetAction.h"

#include <QRectF>

#include <functional>

class QPainter;
class QWidget;

namespace jadl {

// Shows the preview and returns when it is closed. The pages are laid out once
// before, so repainting never changes dates or numbers.
void showPreview(const ReportPages& pages, QWidget* parent = nullptr, SheetSource sheet = {});

// A picture on one landscape A4 page (a chart): painted into `page`, the
// printable area in the painter's device units.
struct PicturePage {
    QString title;
    std::function<void(QPainter& painter, const QRectF& page)> paint;
};
// The same preview for a picture, with "Zapisz jako PDF" and, given a sheet, "Zapisz jako arkusz".
void showPreview(const PicturePage& picture, QWidget* parent = nullptr, SheetSource sheet = {});
// Throws EngineError naming the file.
void writePdf(const PicturePage& picture, const QString& path);

// Asks where to save the PDF; returns an empty string when the user gives up.
// Tests replace the file dialog with their own answer.
using PdfFileNameAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
void setPdfFileNameAsker(PdfFileNameAsker asker); // empty: the file dialog again
QString askPdfFileName(QWidget* parent, const QString& suggested);

// Object name and text of the added action.
inline constexpr const char* kSavePdfActionName = "actionZapiszPdf";

} // namespace jadl
