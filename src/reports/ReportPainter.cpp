#include "reports/ReportPainter.h"

#include "reports/ReportFonts.h"
#include "store/EngineError.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <optional>

namespace jadl {

namespace {

int alignFlags(const PlacedText& t)
{
    int flags = Qt::AlignTop;
    switch (t.align) {
    case ReportAlign::Left:
        flags |= Qt::AlignLeft;
        break;
    case ReportAlign::Centre:
        flags |= Qt::AlignHCenter;
        break;
    case ReportAlign::Right:
        flags |= Qt::AlignRight;
        break;
    }
    if (t.wordWrap)
        flags |= Qt::TextWordWrap;
    if (!t.clip)
        flags |= Qt::TextDontClip;
    return flags;
}

QString fontKey(const ReportFont& f)
{
    return f.name + QLatin1Char('|') + QString::number(f.pointSize) + QLatin1Char(f.bold ? 'b' : '-') +
        QLatin1Char(f.italic ? 'i' : '-') + QLatin1Char(f.underline ? 'u' : '-');
}

QPageLayout paperLayout(const QSizeF& pageMm)
{
    return QPageLayout(QPageSize(pageMm, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

} // namespace

void paintPage(QPainter& painter, const ReportPage& page)
{
    const QPaintDevice* dev = painter.device();
    const double kx = dev->logicalDpiX() / 25.4;
    const double ky = dev->logicalDpiY() / 25.4;
    auto toDevice = [kx, ky](const QRectF& r) {
        return QRectF(r.x() * kx, r.y() * ky, r.width() * kx, r.height() * ky);
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    for (const PlacedText& t : page.texts)
        if (t.background)
            painter.fillRect(toDevice(t.rect), *t.background);

    struct DeviceFont {
        QFont font;
        QFontMetricsF metrics;
    };
    QHash<QString, DeviceFont> fonts;
    std::optional<ReportFont> current;
    const DeviceFont* df = nullptr;
    painter.setPen(Qt::black);
    for (const PlacedText& t : page.texts) {
        if (t.text.isEmpty())
            continue;
        if (!current || !(*current == t.font)) {
            const QString key = fontKey(t.font);
            auto it = fonts.find(key);
            if (it == fonts.end()) {
                const QFont f = resolveFont(t.font);
                it = fonts.insert(key, DeviceFont{f, QFontMetricsF(f, painter.device())});
            }
            df = &*it;
            painter.setFont(df->font);
            current = t.font;
        }
        const QRectF r = toDevice(t.rect);
        if (t.wordWrap) {
            painter.drawText(r, alignFlags(t), t.text);
            continue;
        }
        // One line: placed by the device's own metrics, which is much cheaper than
        // a formatted rectangle and cut at the box only when it does not fit.
        const double width = df->metrics.horizontalAdvance(t.text);
        double x = r.left();
        if (t.align == ReportAlign::Right)
            x = r.right() - width;
        else if (t.align == ReportAlign::Centre)
            x = r.left() + (r.width() - width) / 2.0;
        const QPointF at(x, r.top() + df->metrics.ascent());
        if (t.clip && width > r.width()) {
            painter.save();
            painter.setClipRect(r, Qt::IntersectClip);
            painter.drawText(at, t.text);
            painter.restore();
        } else {
            painter.drawText(at, t.text);
        }
    }

    // Rules come in few widths: the pen changes only when the width does.
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::SquareCap);
    double penWidth = -1.0;
    for (const PlacedRule& r : page.rules) {
        if (r.width != penWidth) {
            penWidth = r.width;
            pen.setWidthF(r.width * kx);
            painter.setPen(pen);
        }
        painter.drawLine(QLineF(r.line.x1() * kx, r.line.y1() * ky, r.line.x2() * kx, r.line.y2() * ky));
    }
    painter.restore();
}

void printPages(const ReportPages& pages, QPrinter* printer)
{
    if (!printer || pages.isEmpty())
        return;
    // Positions are from the paper's corner, whatever margins the printer reports.
    printer->setFullPage(true);
    int from = 1;
    int to = pages.pageCount();
    if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
        from = std::max(1, printer->fromPage());
        to = std::min(to, printer->toPage() > 0 ? printer->toPage() : to);
    }
    QPainter painter;
    if (!painter.begin(printer))
        throw EngineError(QStringLiteral("Nie można rozpocząć drukowania"), printer->outputFileName());
    for (int n = from; n <= to; ++n) {
        if (n > from)
            printer->newPage();
        paintPage(painter, pages.pages[std::size_t(n - 1)]);
    }
    painter.end();
}

void writePdf(const ReportPages& pages, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(paperLayout(pages.pageSize));
    writer.setTitle(pages.title);
    writer.setCreator(QStringLiteral("Jadlonia"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw EngineError(QStringLiteral("Nie można zapisać pliku PDF"), QFileInfo(path).absoluteFilePath());
    for (std::size_t i = 0; i < pages.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        paintPage(painter, pages.pages[i]);
    }
    if (!painter.end())
        throw EngineError(QStringLiteral("Nie można zapisać pliku PDF"), QFileInfo(path).absoluteFilePath());
}

} // namespace jadl
