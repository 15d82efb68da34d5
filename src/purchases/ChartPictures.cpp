#include "purchases/ChartPictures.h"

#include "common/Formats.h"
#include "store/EngineError.h"

#include <QBarCategoryAxis>
#include <QBarLegendMarker>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPieLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>

namespace jadl::charts {

namespace {

bool hidden(const Picture& p, const QString& name)
{
    return p.hidden.count(name) > 0;
}

QValueAxis* moneyAxis(QChart& chart, const QString& title, double top)
{
    auto* axis = new QValueAxis(&chart);
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setMin(0);
    axis->setMax(top > 0 ? top * 1.05 : 1);
    axis->applyNiceNumbers();
    return axis;
}

void barsAndLines(const Picture& p, QChart& chart, bool stacked)
{
    const CategoryChart& c = p.categories;
    QAbstractBarSeries* bars = stacked ? static_cast<QAbstractBarSeries*>(new QStackedBarSeries(&chart))
                                       : static_cast<QAbstractBarSeries*>(new QBarSeries(&chart));
    std::vector<double> stackTop(size_t(c.categories.size()), 0.0);
    double top = 0;
    std::vector<QLineSeries*> lines;
    for (const Series& s : c.series) {
        const bool off = hidden(p, s.name);
        if (s.line) {
            auto* line = new QLineSeries(&chart);
            line->setName(s.name);
            for (size_t i = 0; i < s.values.size(); ++i) {
                line->append(double(i), s.values[i]);
                top = std::max(top, s.values[i]);
            }
            line->setPen(QPen(QColor(0xd9, 0x5f, 0x02), 2.5));
            line->setVisible(!off);
            lines.push_back(line);
            continue;
        }
        auto* set = new QBarSet(s.name, bars);
        for (size_t i = 0; i < s.values.size(); ++i) {
            const double v = off ? 0.0 : s.values[i];
            *set << v;
            stackTop[i] = stacked ? stackTop[i] + std::max(v, 0.0) : std::max(stackTop[i], v);
        }
        bars->append(set);
        QObject::connect(set, &QBarSet::hovered, set, [set, s, categories = c.categories](bool on, int index) {
            if (on && index >= 0 && size_t(index) < s.values.size())
                set->setProperty("hoverText", hoverText(s.name, categories[index], s.values[size_t(index)]));
        });
    }
    for (double v : stackTop)
        top = std::max(top, v);
    chart.addSeries(bars);
    for (QLineSeries* l : lines)
        chart.addSeries(l);
    auto* x = new QBarCategoryAxis(&chart);
    x->append(c.categories);
    // More months than fit side by side: their names slanted, never cut.
    if (c.categories.size() > 12)
        x->setLabelsAngle(c.categories.size() > 36 ? -90 : -45);
    x->setTruncateLabels(false);
    chart.addAxis(x, Qt::AlignBottom);
    QValueAxis* y = moneyAxis(chart, QStringLiteral("zł"), top);
    chart.addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart.series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

void pie(const Picture& p, QChart& chart)
{
    const CategoryChart& c = p.categories;
    auto* series = new QPieSeries(&chart);
    const std::vector<double>& values = c.series.front().values;
    double all = 0;
    for (size_t i = 0; i < values.size(); ++i)
        if (!hidden(p, c.categories[qsizetype(i)]))
            all += values[i];
    for (size_t i = 0; i < values.size(); ++i) {
        const QString name = c.categories[qsizetype(i)];
        const bool off = hidden(p, name);
        auto* slice = series->append(name, off ? 0.0 : std::max(values[i], 0.0));
        const double share = all > 0 && !off ? values[i] / all * 100.0 : 0.0;
        slice->setProperty(
            "hoverText",
            QStringLiteral("%1: %2 (%3 %)").arg(name, moneyText(values[i]), polishLocale().toString(share, 'f', 1)));
        slice->setProperty("seriesName", name);
        slice->setLabelVisible(!off && share >= 3.0);
        slice->setLabel(QStringLiteral("%1 %2 %").arg(name, polishLocale().toString(share, 'f', 1)));
    }
    chart.addSeries(series);
    chart.legend()->setAlignment(Qt::AlignRight);
}

void prices(const Picture& p, QChart& chart)
{
    const PriceHistory& h = p.prices;
    QDate first, last;
    double top = h.reference.value_or(0);
    for (const SupplierPrices& s : h.suppliers) {
        auto* line = new QLineSeries(&chart);
        line->setName(s.supplier);
        line->setPointsVisible(true);
        for (const PricePoint& pt : s.points) {
            line->append(double(QDateTime(pt.day, QTime(12, 0)).toMSecsSinceEpoch()), pt.price);
            first = first.isValid() ? std::min(first, pt.day) : pt.day;
            last = last.isValid() ? std::max(last, pt.day) : pt.day;
            top = std::max(top, pt.price);
        }
        line->setVisible(!hidden(p, s.supplier));
        chart.addSeries(line);
    }
    if (h.reference && first.isValid()) {
        auto* ref = new QLineSeries(&chart);
        ref->setName(QStringLiteral("Cena referencyjna"));
        ref->append(double(QDateTime(first, QTime(0, 0)).toMSecsSinceEpoch()), *h.reference);
        ref->append(double(QDateTime(last, QTime(23, 59)).toMSecsSinceEpoch()), *h.reference);
        QPen pen(Qt::darkRed, 2, Qt::DashLine);
        ref->setPen(pen);
        ref->setVisible(!hidden(p, ref->name()));
        chart.addSeries(ref);
    }
    chart.legend()->setAlignment(Qt::AlignRight); // the suppliers' names whole
    auto* x = new QDateTimeAxis(&chart);
    x->setFormat(QStringLiteral("d.MM.yyyy"));
    x->setTitleText(QStringLiteral("Data zakupu"));
    if (first.isValid())
        x->setRange(QDateTime(first.addDays(-1), QTime(0, 0)), QDateTime(last.addDays(1), QTime(0, 0)));
    chart.addAxis(x, Qt::AlignBottom);
    auto* y = new QValueAxis(&chart);
    y->setTitleText(h.unit.isEmpty() ? QStringLiteral("zł netto") : QStringLiteral("zł netto za ") + h.unit);
    y->setLabelFormat(QStringLiteral("%.2f"));
    y->setRange(0, top > 0 ? top * 1.1 : 1);
    y->applyNiceNumbers();
    chart.addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart.series()) {
        s->attachAxis(x);
        s->attachAxis(y);
        auto* xy = static_cast<QXYSeries*>(s);
        QObject::connect(xy, &QXYSeries::hovered, xy, [xy](const QPointF& point, bool on) {
            if (on)
                xy->setProperty("hoverText",
                                hoverText(xy->name(),
                                          formatShortDate(QDateTime::fromMSecsSinceEpoch(qint64(point.x())).date()),
                                          point.y()));
        });
    }
}

// Hidden series keep their place in the legend, greyed.
void greyHidden(const Picture& p, QChart& chart)
{
    for (QLegendMarker* m : chart.legend()->markers())
        if (hidden(p, markerName(m)))
            m->setLabelBrush(QBrush(Qt::gray));
}

} // namespace

QString markerName(QLegendMarker* marker)
{
    if (auto* pie = qobject_cast<QPieLegendMarker*>(marker))
        return pie->slice()->property("seriesName").toString();
    if (auto* bar = qobject_cast<QBarLegendMarker*>(marker))
        return bar->barset()->label();
    return marker->series() ? marker->series()->name() : marker->label();
}

QString moneyText(double value)
{
    return formatSum(value) + QStringLiteral(" zł");
}

QString hoverText(const QString& series, const QString& category, double value)
{
    return QStringLiteral("%1, %2: %3").arg(series, category, moneyText(value));
}

std::unique_ptr<QChart> makeChart(const Picture& picture)
{
    auto chart = std::make_unique<QChart>();
    chart->setLocale(polishLocale());
    chart->setLocalizeNumbers(true);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    if (picture.empty()) {
        chart->setTitle(kNoPurchases);
        chart->legend()->hide();
        return chart;
    }
    chart->setTitle(picture.title);
    QFont title = chart->titleFont();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    title.setBold(true);
    chart->setTitleFont(title);
    switch (picture.kind) {
    case ChartKind::Monthly:
        barsAndLines(picture, *chart, false);
        break;
    case ChartKind::VatByRate:
        barsAndLines(picture, *chart, true);
        break;
    case ChartKind::SupplierShares:
    case ChartKind::GroupShares:
        pie(picture, *chart);
        break;
    case ChartKind::PriceHistory:
        prices(picture, *chart);
        break;
    }
    greyHidden(picture, *chart);
    return chart;
}

void paintPicture(const Picture& picture, QPainter& painter, const QRectF& target)
{
    QGraphicsScene scene;
    std::unique_ptr<QChart> chart = makeChart(picture);
    QChart* drawn = chart.get();
    scene.addItem(chart.release()); // the scene owns it now
    // Laid out at a screen's size and scaled to the target, so that a page of
    // a printer or a PDF gets the letters in proportion, not a screen's points.
    const QSizeF layout = target.width() > 1200 ? target.size() * (1200.0 / target.width()) : target.size();
    drawn->resize(layout);
    scene.setSceneRect(QRectF(QPointF(0, 0), layout));
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, target, scene.sceneRect());
}

QImage pictureImage(const Picture& picture, const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPicture(picture, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void savePng(const Picture& picture, const QSize& size, const QString& path)
{
    if (!pictureImage(picture, size).save(path, "PNG"))
        throw EngineError(QStringLiteral("Nie można zapisać obrazu wykresu"), QFileInfo(path).absoluteFilePath());
}

void saveSvg(const Picture& picture, const QSize& size, const QString& path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(picture.title);
    QPainter painter;
    if (!painter.begin(&svg))
        throw EngineError(QStringLiteral("Nie można zapisać obrazu wykresu"), QFileInfo(path).absoluteFilePath());
    paintPicture(picture, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    if (!painter.end() || !QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
        throw EngineError(QStringLiteral("Nie można zapisać obrazu wykresu"), QFileInfo(path).absoluteFilePath());
}

} // namespace jadl::charts
