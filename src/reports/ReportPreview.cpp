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

QString suggestedName(const ReportPages& pages)
{
    QString base = pages.title.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("raport");
    base.replace(QRegularExpression(QStringLiteral(R"([\\/:*?"<>|])")), QStringLiteral("_"));
    return QDir::current().filePath(base + QStringLiteral(".pdf"));
}

} // namespace

void setPdfFileNameAsker(PdfFileNameAsker a)
{
    asker() = std::move(a);
}

void showPreview(const ReportPages& pages, QWidget* parent)
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
        const QString path = askPdfFileName(&dialog, suggestedName(pages));
        if (path.isEmpty())
            return;
        try {
            writePdf(pages, path);
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });
    if (auto* bar = dialog.findChild<QToolBar*>()) {
        bar->addSeparator();
        bar->addAction(save);
    } else {
        dialog.addAction(save);
    }
    dialog.exec();
}

} // namespace jadl
