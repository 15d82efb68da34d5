#include "reports/ReportForm.h"

namespace jadl {

ReportForm::ReportForm(QObject* parent, const QString& objectName, const QString& title)
    : QObject(parent), QuickRep1(new Report(this))
{
    setObjectName(objectName);
    QuickRep1->setTitle(title);
    // Page setup shared by every form: A4 portrait, 10 mm margins, Arial 10 pt,
    // no page for an empty view.
    QuickRep1->setPageSize(QSizeF(210.0, 297.0));
    QuickRep1->setMargins(QMarginsF(10.0, 10.0, 10.0, 10.0));
    QuickRep1->setFont(arial(10));
    QuickRep1->setPrintIfEmpty(false);
}

void ReportForm::bindDataModule(TModulDanych1* dm)
{
    if (dm)
        bindTables(*dm);
}

void ReportForm::preview(QWidget* parent)
{
    QuickRep1->preview(parent);
}

bool ReportForm::exportPdf(const QString& path)
{
    return QuickRep1->exportPdf(path);
}

ReportPages ReportForm::layoutPages(std::optional<QDate> runDate)
{
    return QuickRep1->layoutPages(runDate);
}

} // namespace jadl
