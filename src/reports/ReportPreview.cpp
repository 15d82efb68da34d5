#include "reports/ReportPreview.h"

#include "platform/Messages.h"
#include "reports/ReportPainter.h"
#include "store/EngineError.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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

} // namespace

QString askPdfFileName(QWidget* parent, const QString& suggested)
{
    if (asker())
        return asker()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz jako PDF"), suggested,
                                        QStringLiteral("Pliki PDF (*.pdf)"));
}

void setPdfFileNameAsker(PdfFileNameAsker a)
{
    asker() = std::move(a);
}

namespace {

QString suggestedName(const QString& title, const QString& ending)
{
    QString base = title.trimmed();
    if (base.isEmpty())
        base = QStringLiteral("raport");
    base.replace(QRegularExpression(QStringLiteral(R"([\\/:*?"<>|])")), QStringLiteral("_"));
    return QDir::current().filePath(base + ending);
}

// Qt's preview over `printer`, painted by `print`, with the added save actions.
void runPreview(QPrinter& printer, const QString& title, const std::function<void(QPrinter*)>& print,
                const std::function<void(const QString&)>& pdf, QWidget* parent, SheetSource sheet)
{
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview"));
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    // Called from the dialog's own event handling: no exception may leave it.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&print](QPrinter* p) {
        try {
            print(p);
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });

    auto* save = new QAction(QStringLiteral("Zapisz jako PDF"), &dialog);
    save->setObjectName(QString::fromLatin1(kSavePdfActionName));
    save->setToolTip(QStringLiteral("Zapisz raport w pliku PDF"));
    QObject::connect(save, &QAction::triggered, &dialog, [&title, &pdf, &dialog] {
        const QString path = askPdfFileName(&dialog, suggestedName(title, QStringLiteral(".pdf")));
        if (path.isEmpty())
            return;
        try {
            pdf(path);
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    });
    QAction* saveSheet = sheet
        ? makeSaveSheetAction(&dialog, suggestedName(title, sheetFileEnding(SheetFormat::Xlsx)), std::move(sheet))
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

QPageLayout landscapeA4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

void paintPicture(const PicturePage& picture, QPaintDevice& device, const QRectF& page, const QString& path)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw EngineError(QStringLiteral("Nie można zapisać pliku PDF"), path);
    picture.paint(painter, page);
    if (!painter.end())
        throw EngineError(QStringLiteral("Nie można zapisać pliku PDF"), path);
}

} // namespace

void showPreview(const ReportPages& pages, QWidget* parent, SheetSource sheet)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(pages.pageSize, QPageSize::Millimeter), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    runPreview(
        printer, pages.title, [&pages](QPrinter* p) { printPages(pages, p); },
        [&pages](const QString& path) { writePdf(pages, path); }, parent, std::move(sheet));
}

void showPreview(const PicturePage& picture, QWidget* parent, SheetSource sheet)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(landscapeA4());
    runPreview(
        printer, picture.title,
        [&picture](QPrinter* p) {
            QPainter painter(p);
            // Without full page the painter's origin is the printable area's corner.
            picture.paint(painter, QRectF(QPointF(0, 0), p->pageRect(QPrinter::DevicePixel).size()));
        },
        [&picture](const QString& path) { writePdf(picture, path); }, parent, std::move(sheet));
}

void writePdf(const PicturePage& picture, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(landscapeA4());
    writer.setTitle(picture.title);
    writer.setCreator(QStringLiteral("Jadlonia"));
    const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
    paintPicture(picture, writer, QRectF(QPointF(0, 0), QSizeF(page.size())), QFileInfo(path).absoluteFilePath());
}

} // namespace jadl
