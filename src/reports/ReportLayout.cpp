#include "reports/ReportLayout.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "reports/ReportFonts.h"
#include "store/EngineError.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace jadl {

// ---------------------------------------------------------------- page model

std::vector<const PlacedText*> ReportPage::textsOf(const QString& element) const
{
    std::vector<const PlacedText*> out;
    for (const PlacedText& t : texts)
        if (t.element == element)
            out.push_back(&t);
    return out;
}

const PlacedText* ReportPage::firstTextOf(const QString& element) const
{
    for (const PlacedText& t : texts)
        if (t.element == element)
            return &t;
    return nullptr;
}

QStringList ReportPages::textsOf(const QString& element) const
{
    QStringList out;
    for (const ReportPage& p : pages)
        for (const PlacedText& t : p.texts)
            if (t.element == element)
                out.append(t.text);
    return out;
}

// ---------------------------------------------------------------- metrics

namespace {

// Text is measured at printer resolution, where unhinted advances scale linearly,
// so a width in mm holds for every device the pages are painted on.
constexpr double kMeasureDpi = 1200.0;

QString fontKey(const ReportFont& f)
{
    return f.name + QLatin1Char('|') + QString::number(f.pointSize) + QLatin1Char('|') +
        QLatin1Char(f.bold ? 'b' : '-') + QLatin1Char(f.italic ? 'i' : '-') + QLatin1Char(f.underline ? 'u' : '-');
}

const QFontMetricsF& metricsFor(const ReportFont& font)
{
    static QImage device = [] {
        QImage img(8, 8, QImage::Format_ARGB32);
        const int dpm = int(kMeasureDpi / 0.0254 + 0.5);
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    static QHash<QString, QFontMetricsF> cache;
    // Metrics hold font engines, which must go before the application object does.
    static const bool registered = [] {
        qAddPostRoutine([] { cache.clear(); });
        return true;
    }();
    Q_UNUSED(registered);
    const QString key = fontKey(font);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QFontMetricsF(resolveFont(font), &device));
    return *it;
}

constexpr double pxToMm(double px)
{
    return px * 25.4 / kMeasureDpi;
}
constexpr double mmToPx(double mm)
{
    return mm * kMeasureDpi / 25.4;
}

} // namespace

double textWidthMm(const QString& text, const ReportFont& font)
{
    return pxToMm(metricsFor(font).horizontalAdvance(text));
}

double lineHeightMm(const ReportFont& font)
{
    return pxToMm(metricsFor(font).height());
}

// ---------------------------------------------------------------- layout

namespace {

// An element with its data binding resolved once per run.
struct BoundElement {
    const ReportElement* element = nullptr;
    ReportFont font;
    double lineHeight = 0.0; // mm, of that font
    double widestChar = 0.0; // mm: no text of n characters is wider than n of these
    double widestDigit = 0.0; // mm: the same for texts of digits, signs and separators
    ReportDataSource* source = nullptr; // fields and sums
    int field = -1;
    bool perRow = false; // reads the printed row, not a current record
    ReportFieldInfo info;
    QString mask;
    double sum = 0.0; // expressions
};

struct BoundBand {
    const ReportBand* band = nullptr;
    std::vector<BoundElement> elements;
};

class Layouter {
public:
    Layouter(const Report& report, const QDate& runDate) : report_(report), runDate_(formatShortDate(runDate))
    {
        out_.pageSize = report.pageSize();
        out_.title = report.title();
        top_ = report.margins().top();
        bottom_ = report.pageSize().height() - report.margins().bottom();
        left_ = report.margins().left();
        width_ = report.pageSize().width() - report.margins().left() - report.margins().right();
        source_ = report.dataSet();
    }

    ReportPages run()
    {
        rows_ = (source_ && source_->active()) ? source_->rowCount() : 0;
        const int rows = rows_;
        if (rows == 0 && !report_.printIfEmpty())
            return std::move(out_);
        header_ = bind(report_.band(ReportBand::Type::PageHeader));
        detail_ = bind(report_.band(ReportBand::Type::Detail));
        summary_ = bind(report_.band(ReportBand::Type::Summary));

        for (int row = 0; row < rows; ++row) {
            row_ = row;
            if (out_.pages.empty() || (detail_.band && !fits(detail_.band->height())))
                newPage();
            accumulate(row);
            detailNumber_ = row + 1;
            if (detail_.band)
                place(detail_);
        }
        if (out_.pages.empty())
            newPage();
        if (summary_.band) {
            if (!fits(summary_.band->height()))
                newPage();
            place(summary_);
        }
        return std::move(out_);
    }

private:
    BoundBand bind(const ReportBand* band)
    {
        BoundBand b;
        if (!band || !band->enabled())
            return b;
        b.band = band;
        for (const ReportElement* e : band->elements()) {
            BoundElement be;
            be.element = e;
            be.font = e->effectiveFont();
            be.lineHeight = lineHeightMm(be.font);
            const QFontMetricsF& fm = metricsFor(be.font);
            be.widestChar = pxToMm(fm.maxWidth());
            for (const QChar c : QStringLiteral("0123456789,.- "))
                be.widestDigit = std::max(be.widestDigit, pxToMm(fm.horizontalAdvance(c)));
            if (e->kind() == ReportElement::Kind::Field) {
                const auto* f = static_cast<const ReportDBText*>(e);
                bindField(be, f->dataSet(), f->dataField());
                be.mask = f->mask();
            } else if (e->kind() == ReportElement::Kind::Expression) {
                const auto* x = static_cast<const ReportExpr*>(e);
                const auto parsed = ReportExpr::parse(x->expression());
                if (!parsed)
                    throw EngineError(e->objectName() + QStringLiteral(": Invalid expression '") + x->expression() +
                                      QLatin1Char('\''));
                bindField(be, parsed->dataSet, parsed->field);
                be.mask = x->mask();
            }
            b.elements.push_back(be);
        }
        return b;
    }

    void bindField(BoundElement& be, const QString& dataSet, const QString& field)
    {
        be.source = report_.dataSetByName(dataSet);
        be.perRow = be.source && be.source == source_;
        // A data set that is not bound or not open prints nothing.
        if (!be.source || !be.source->active())
            return;
        be.field = be.source->fieldIndex(field);
        if (be.field < 0)
            throw EngineError(be.source->name() + QStringLiteral(": Field '") + field + QStringLiteral("' not found"));
        be.info = be.source->fieldInfo(be.field);
    }

    bool fits(double height) const { return y_ + height <= bottom_ + 1e-9; }

    QVariant valueOf(const BoundElement& be, int row) const
    {
        if (!be.source || be.field < 0 || (be.perRow && row >= rows_))
            return {};
        return be.perRow ? be.source->value(row, be.field) : be.source->currentValue(be.field);
    }

    void accumulate(int row)
    {
        for (BoundBand* b : {&header_, &detail_, &summary_})
            for (BoundElement& be : b->elements)
                if (be.element->kind() == ReportElement::Kind::Expression)
                    be.sum += valueOf(be, row).toDouble();
    }

    void newPage()
    {
        ReportPage page;
        page.number = int(out_.pages.size()) + 1;
        out_.pages.push_back(std::move(page));
        y_ = top_;
        if (header_.band)
            place(header_);
    }

    QString textOf(const BoundElement& be) const
    {
        const ReportElement* e = be.element;
        switch (e->kind()) {
        case ReportElement::Kind::Label:
            return static_cast<const ReportLabel*>(e)->caption();
        case ReportElement::Kind::Field:
            return reportDisplayText(valueOf(be, row_), be.info, be.mask);
        case ReportElement::Kind::SysData: {
            const auto* s = static_cast<const ReportSysData*>(e);
            switch (s->data()) {
            case ReportSysData::Data::Date:
                return s->text() + runDate_;
            case ReportSysData::Data::PageNumber:
                return s->text() + QString::number(out_.pages.back().number);
            case ReportSysData::Data::DetailNumber:
                return s->text() + QString::number(detailNumber_);
            }
            return {};
        }
        case ReportElement::Kind::Expression:
            // A total of money is printed in the program's rounding (a return's
            // negative half grosz goes toward zero, as on every line).
            return be.mask == QLatin1String("0.00") ? formatMask00(roundedMoney(be.sum))
                                                    : formatNumber(be.sum, be.mask);
        }
        return {};
    }

    void addRule(ReportPage& page, double x1, double y1, double x2, double y2, double w)
    {
        page.rules.push_back(PlacedRule{QLineF(x1, y1, x2, y2), w});
    }

    void addFrame(ReportPage& page, const QRectF& r, const ReportFrame& f)
    {
        if (f.left)
            addRule(page, r.left(), r.top(), r.left(), r.bottom(), f.width);
        if (f.top)
            addRule(page, r.left(), r.top(), r.right(), r.top(), f.width);
        if (f.right)
            addRule(page, r.right(), r.top(), r.right(), r.bottom(), f.width);
        if (f.bottom)
            addRule(page, r.left(), r.bottom(), r.right(), r.bottom(), f.width);
    }

    static bool isNumber(const BoundElement& be)
    {
        switch (be.element->kind()) {
        case ReportElement::Kind::Expression:
            return true;
        case ReportElement::Kind::SysData:
            return static_cast<const ReportSysData*>(be.element)->data() != ReportSysData::Data::Date;
        case ReportElement::Kind::Field:
            return be.info.type == FieldType::Float || be.info.type == FieldType::Integer ||
                be.info.type == FieldType::AutoInc;
        case ReportElement::Kind::Label:
            return false;
        }
        return false;
    }

    // No printed value may lose a digit: a number too wide for its column is
    // printed smaller until it fits; a text too wide keeps its start and loses
    // its end.
    static void fitToColumn(const BoundElement& be, PlacedText& t, double width)
    {
        // The painter measures with the device's own metrics: a little room for their rounding.
        constexpr double slack = 0.97;
        // A left-aligned text already loses only its end; a short one cannot overflow.
        const bool number = isNumber(be);
        if (t.text.isEmpty() || (!number && t.align == ReportAlign::Left))
            return;
        const bool digits = std::all_of(t.text.begin(), t.text.end(), [](QChar c) {
            return c.isDigit() || c == u',' || c == u'.' || c == u'-' || c == u' ';
        });
        if (double(t.text.size()) * (digits ? be.widestDigit : be.widestChar) <= width * slack)
            return;
        if (!number) {
            if (textWidthMm(t.text, t.font) > width)
                t.align = ReportAlign::Left;
            return;
        }
        constexpr double smallest = 3.0;
        for (double need = textWidthMm(t.text, t.font); t.font.pointSize > smallest && need > width * slack;
             need = textWidthMm(t.text, t.font)) {
            const double ratio = std::min(0.95, width * slack / need);
            t.font.pointSize = std::max(smallest, std::floor(t.font.pointSize * ratio * 10.0) / 10.0);
        }
    }

    void place(const BoundBand& b)
    {
        ReportPage& page = out_.pages.back();
        const double bandTop = y_;
        const double bandHeight = b.band->height();
        for (const BoundElement& be : b.elements) {
            const ReportElement* e = be.element;
            if (!e->prints())
                continue;
            PlacedText t;
            t.element = e->objectName();
            t.text = textOf(be);
            t.font = be.font;
            t.align = e->alignment();
            t.wordWrap = e->wordWrap();
            t.clip = !e->autoSize();
            if (!e->transparent())
                t.background = e->color();

            double x = left_ + e->left();
            double w = e->width();
            const double y = bandTop + e->top();
            double h = e->height().value_or(std::max(be.lineHeight, bandHeight - e->top()));
            if (e->autoSize() && !e->wordWrap()) {
                const double textW = textWidthMm(t.text, t.font);
                if (e->alignment() == ReportAlign::Right)
                    x += w - textW;
                else if (e->alignment() == ReportAlign::Centre)
                    x += (w - textW) / 2.0;
                w = textW;
            }
            if (e->wordWrap()) {
                const QFontMetricsF& fm = metricsFor(t.font);
                const QRectF need = fm.boundingRect(QRectF(0, 0, mmToPx(w), 1e9), Qt::TextWordWrap, t.text);
                h = std::max(h, pxToMm(need.height()));
            }
            if (t.clip && !t.wordWrap)
                fitToColumn(be, t, w);
            t.rect = QRectF(x, y, w, h);
            if (e->frame().any())
                addFrame(page, t.rect, e->frame());
            page.texts.push_back(std::move(t));
        }
        if (b.band->frame().any())
            addFrame(page, QRectF(left_, bandTop, width_, bandHeight), b.band->frame());
        y_ = bandTop + bandHeight;
    }

    const Report& report_;
    const QString runDate_;
    ReportPages out_;
    ReportDataSource* source_ = nullptr;
    BoundBand header_;
    BoundBand detail_;
    BoundBand summary_;
    int rows_ = 0;
    double top_ = 0;
    double bottom_ = 0;
    double left_ = 0;
    double width_ = 0;
    double y_ = 0;
    int row_ = 0;
    int detailNumber_ = 0;
};

} // namespace

ReportPages layoutReport(const Report& report, const QDate& runDate)
{
    return Layouter(report, runDate).run();
}

} // namespace jadl
