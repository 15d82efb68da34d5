#pragma once
// Common part of the program's report forms: each holds one report `QuickRep1`
// over tables of the data module, is created once at start-up and is never shown
// itself; only its print preview is.
#include "reports/Report.h"
#include "reports/ReportLayout.h"

#include <QObject>

class TModulDanych1;

namespace jadl {

class ReportForm : public QObject {
    Q_OBJECT
public:
    Report* QuickRep1;

    // Binds the report to the data module's tables (the start-up does it once).
    void bindDataModule(TModulDanych1* dm);

    // Sets TMP, then shows the modal print preview; returns when it is closed.
    void preview(QWidget* parent = nullptr);
    // Writes the report as a PDF file; false (and no file) when it has no page.
    bool exportPdf(const QString& path);
    // The pages as they would print now.
    ReportPages layoutPages(std::optional<QDate> runDate = std::nullopt);

protected:
    ReportForm(QObject* parent, const QString& objectName, const QString& title);
    virtual void bindTables(TModulDanych1& dm) = 0;

    // Fonts as the layouts name them.
    static ReportFont tnr(double pt, bool bold = false) { return {QStringLiteral("Times New Roman"), pt, bold}; }
    static ReportFont arial(double pt, bool bold = false) { return {QStringLiteral("Arial"), pt, bold}; }
    static ReportFont smallFonts(double pt) { return {QStringLiteral("Small Fonts"), pt}; }
};

} // namespace jadl
