#include "reports/ReportForm.h"

#include "shell/Forms.h"

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
    if (!dm)
        return;
    bindTables(*dm);
    bound_ = true;
}

void ReportForm::ensureBound()
{
    if (!bound_ && QuickRep1->dataSet() == nullptr)
        bindDataModule(forms().ModulDanych1);
}

void ReportForm::preview(QWidget* parent)
{
    ensureBound();
    QuickRep1->preview(parent);
}

bool ReportForm::exportPdf(const QString& path)
{
    ensureBound();
    return QuickRep1->exportPdf(path);
}

ReportPages ReportForm::layoutPages(std::optional<QDate> runDate)
{
    ensureBound();
    return QuickRep1->layoutPages(runDate);
}

} // namespace jadl
