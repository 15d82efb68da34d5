#pragma once
// The laid-out pages of a report: texts and rules placed in millimetres from the
// paper's top-left corner. The same pages paint the preview, the printer and PDF,
// and tests inspect them.
#include "reports/Report.h"

#include <QLineF>
#include <QRectF>
#include <QString>

#include <vector>

namespace jadl {

struct PlacedText {
    QString element; // object name of the element that printed it
    QString text;
    QRectF rect; // mm
    ReportFont font;
    ReportAlign align = ReportAlign::Left;
    bool wordWrap = false;
    bool clip = true; // cut at the box (auto-size elements are not cut)
    std::optional<QColor> background;
};

struct PlacedRule {
    QLineF line; // mm
    double width = 0.25; // mm
};

struct ReportPage {
    int number = 0; // 1-based
    std::vector<PlacedText> texts;
    std::vector<PlacedRule> rules;

    // Texts printed by one element on this page, top to bottom.
    std::vector<const PlacedText*> textsOf(const QString& element) const;
    const PlacedText* firstTextOf(const QString& element) const;
};

struct ReportPages {
    QSizeF pageSize{210.0, 297.0};
    QString title;
    std::vector<ReportPage> pages;

    int pageCount() const { return int(pages.size()); }
    bool isEmpty() const { return pages.empty(); }
    // Texts of one element over all pages, in print order.
    QStringList textsOf(const QString& element) const;
};

// Width of a text in mm in a report font, measured with high-resolution metrics.
double textWidthMm(const QString& text, const ReportFont& font);
// Height of one line in mm.
double lineHeightMm(const ReportFont& font);

ReportPages layoutReport(const Report& report, const QDate& runDate);

} // namespace jadl
