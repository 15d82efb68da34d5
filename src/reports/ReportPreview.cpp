#include "reports/ReportPreview.h"

#include "platform/Messages.h"
#include "reports/ReportPainter.h"
#include "store/EngineError.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QToolBar>

namespace jadl {

namespace {

PdfFileNameAsker& asker()
{
    static PdfFileNameAsker a;
    return a;
}

QString askPdfFileName(QWidget* parent, const QString& suggested)
{
    if (asker())
        return asker()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz jako PDF"), suggested,
                                        QStringLiteral("Pliki PDF (*.pdf)"));
}

QString suggestedName(const ReportPages& pages, const QString& ending)
{
    QString base = pages.title.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("raport");
    base.replace(QRegularExpression(QStringLiteral(R"([\\/:*?"<>|])")), QStringLiteral("_"));
    return QDir::current().filePath(base + ending);
}

} // namespace

void setPdfFileNameAsker(PdfFileNameAsker a)
{
    asker() = std::move(a);
}

void showPreview(const ReportPages& pages, QWidget* parent, SheetSource sheet)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(pages.pageSize, QPageSize::Millimeter), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(pages.title);

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    if (!pages.title.isEmpty())
        dialog.setWindowTitle(pages.title);
    // Called from the dialog's own event handling: no exception may leave it.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&pages](QPrinter* p) {
        try {
            printPages(pages, p);
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });

    auto* save = new QAction(QStringLiteral("Zapisz jako PDF"), &dialog);
    save->setObjectName(QString::fromLatin1(kSavePdfActionName));
    save->setToolTip(QStringLiteral("Zapisz raport w pliku PDF"));
    QObject::connect(save, &QAction::triggered, &dialog, [&pages, &dialog] {
        const QString path = askPdfFileName(&dialog, suggestedName(pages, QStringLiteral(".pdf")));
        if (path.isEmpty())
            return;
        try {
            writePdf(pages, path);
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });
    QAction* saveSheet = sheet
        ? makeSaveSheetAction(&dialog, suggestedName(pages, sheetFileEnding(SheetFormat::Xlsx)), std::move(sheet))
        : nullptr;
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        bar->addAction(save);
        if (saveSheet) {
            bar->addAction(saveSheet);
            if (QWidget* button = bar->widgetForAction(saveSheet))
                button->setAccessibleName(saveSheet->text());
        }
    } else {
        dialog.addAction(save);
        if (saveSheet)
            dialog.addAction(saveSheet);
    }
    dialog.exec();
}

} // namespace jadl
