#pragma once
// The purchase charts drawn by Qt Charts from their numbers (work/PurchaseCharts.h),
// and the same picture saved as PNG, SVG or painted on a page. A series the user
// hid in the legend stays in the legend, greyed, and draws nothing.
#include "work/PurchaseCharts.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>
#include <set>

class QChart;
class QLegendMarker;
class QPainter;

namespace jadl::charts {

struct Picture {
    ChartKind kind = ChartKind::Monthly;
    QString title;
    CategoryChart categories; // every kind but the price history
    PriceHistory prices; // the price history
    std::set<QString> hidden; // series (or slices) hidden in the legend
    bool empty() const { return kind == ChartKind::PriceHistory ? prices.empty() : categories.empty(); }
};

// The words an empty chart shows in place of its title.
inline const QString kNoPurchases = QStringLiteral("Brak zakupów w wybranym okresie");

// A new chart; the caller owns it (a chart view takes it over).
std::unique_ptr<QChart> makeChart(const Picture& picture);
// The series or slice a legend marker stands for, as Picture::hidden names it.
QString markerName(QLegendMarker* marker);
// The exact value shown on hovering: "Netto, gru 2026: 1 234,56 zł".
QString hoverText(const QString& series, const QString& category, double value);
QString moneyText(double value); // "1 234,56 zł"

// Drawn into `target` of the painter's device.
void paintPicture(const Picture& picture, QPainter& painter, const QRectF& target);
QImage pictureImage(const Picture& picture, const QSize& size);
// Throw EngineError naming the file.
void savePng(const Picture& picture, const QSize& size, const QString& path);
void saveSvg(const Picture& picture, const QSize& size, const QString& path);

} // namespace jadl::charts
