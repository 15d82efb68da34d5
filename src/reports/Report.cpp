#include "reports/Report.h"

#include "common/Environment.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "reports/ReportLayout.h"
#include "reports/ReportPainter.h"
#include "reports/ReportPreview.h"
#include "reports/ReportSheet.h"

#include <QRegularExpression>

namespace jadl {

// ---------------------------------------------------------------- elements

ReportElement::ReportElement(ReportBand* band, Kind kind, const QString& name, double left, double top, double width)
    : QObject(band), kind_(kind), left_(left), top_(top), width_(width)
{
    setObjectName(name);
}

ReportBand* ReportElement::band() const
{
    return static_cast<ReportBand*>(parent());
}

void ReportElement::setGeometry(double left, double top, double width, std::optional<double> height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

ReportFont ReportElement::effectiveFont() const
{
    if (font_)
        return *font_;
    return band() ? band()->font() : ReportFont{};
}

void ReportElement::applyStyle(const ElementStyle& s)
{
    align_ = s.align;
    font_ = s.font;
    autoSize_ = s.autoSize;
    wordWrap_ = s.wordWrap;
    if (s.rightRule)
        frame_ = ReportFrame::rightEdge();
}

ReportLabel::ReportLabel(ReportBand* band, const QString& name, const QString& caption, double left, double top,
                         double width)
    : ReportElement(band, Kind::Label, name, left, top, width), caption_(caption)
{ }

ReportDBText::ReportDBText(ReportBand* band, const QString& name, const QString& dataSet, const QString& field,
                           double left, double top, double width)
    : ReportElement(band, Kind::Field, name, left, top, width), dataSet_(dataSet), field_(field)
{ }

ReportSysData::ReportSysData(ReportBand* band, const QString& name, Data data, const QString& prefix, double left,
                             double top, double width)
    : ReportElement(band, Kind::SysData, name, left, top, width), data_(data), prefix_(prefix)
{ }

ReportExpr::ReportExpr(ReportBand* band, const QString& name, const QString& expression, double left, double top,
                       double width)
    : ReportElement(band, Kind::Expression, name, left, top, width), expression_(expression)
{ }

std::optional<ReportExpr::Parsed> ReportExpr::parse(const QString& expression)
{
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*(SUM)\s*\(\s*([A-Za-z_][A-Za-z0-9_]*)\s*\.\s*([A-Za-z_][A-Za-z0-9_]*)\s*\)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(expression);
    if (!m.hasMatch())
        return std::nullopt;
    return Parsed{m.captured(1).toUpper(), m.captured(2), m.captured(3)};
}

// ---------------------------------------------------------------- bands

ReportBand::ReportBand(Report* report, const QString& name, Type type, double height, const ReportFont& font)
    : QObject(report), type_(type), height_(height), font_(font)
{
    setObjectName(name);
}

Report* ReportBand::report() const
{
    return static_cast<Report*>(parent());
}

template <class T>
T* ReportBand::adopt(T* element, const ElementStyle& style)
{
    element->applyStyle(style);
    elements_.append(element);
    return element;
}

ReportLabel* ReportBand::addLabel(const QString& name, const QString& caption, double left, double top, double width,
                                  const ElementStyle& style)
{
    return adopt(new ReportLabel(this, name, caption, left, top, width), style);
}

ReportDBText* ReportBand::addField(const QString& name, const QString& dataSet, const QString& field, double left,
                                   double top, double width, const ElementStyle& style)
{
    auto* e = adopt(new ReportDBText(this, name, dataSet, field, left, top, width), style);
    e->setMask(style.mask);
    return e;
}

ReportSysData* ReportBand::addSysData(const QString& name, ReportSysData::Data data, const QString& prefix, double left,
                                      double top, double width, const ElementStyle& style)
{
    return adopt(new ReportSysData(this, name, data, prefix, left, top, width), style);
}

ReportExpr* ReportBand::addExpr(const QString& name, const QString& expression, double left, double top, double width,
                                const ElementStyle& style)
{
    auto* e = adopt(new ReportExpr(this, name, expression, left, top, width), style);
    e->setMask(style.mask);
    return e;
}

// ---------------------------------------------------------------- report

Report::Report(QObject* parent, const QString& name) : QObject(parent)
{
    setObjectName(name);
}

Report::~Report() = default;

ReportBand* Report::addBand(const QString& name, ReportBand::Type type, double height, const ReportFont& font)
{
    auto* b = new ReportBand(this, name, type, height, font);
    bands_.append(b);
    return b;
}

ReportBand* Report::band(ReportBand::Type type) const
{
    for (ReportBand* b : bands_)
        if (b->type() == type)
            return b;
    return nullptr;
}

ReportElement* Report::element(const QString& name) const
{
    for (ReportBand* b : bands_)
        for (ReportElement* e : b->elements())
            if (e->objectName() == name)
                return e;
    return nullptr;
}

void Report::setDataSet(const QString& name, std::shared_ptr<ReportDataSource> source)
{
    dataSetName_ = name;
    dataSet_ = std::move(source);
}

void Report::setLookup(const QString& name, std::shared_ptr<ReportDataSource> source)
{
    lookups_.insert(name.toLower(), std::move(source));
}

ReportDataSource* Report::dataSetByName(const QString& name) const
{
    if (name.compare(dataSetName_, Qt::CaseInsensitive) == 0)
        return dataSet_.get();
    const auto it = lookups_.constFind(name.toLower());
    return it == lookups_.constEnd() ? nullptr : it->get();
}

ReportPages Report::layoutPages(std::optional<QDate> runDate) const
{
    return layoutReport(*this, runDate.value_or(platform::today()));
}

bool Report::exportPdf(const QString& path) const
{
    const ReportPages pages = layoutPages();
    if (pages.isEmpty())
        return false;
    writePdf(pages, path);
    return true;
}

void Report::preview(QWidget* parent) const
{
    applyTmpSetting();
    // One run date for the pages and for a sheet saved from them.
    const QDate runDate = platform::today();
    const ReportPages pages = layoutPages(runDate);
    if (pages.isEmpty()) {
        // A print command on an empty list says so instead of doing nothing.
        platform::showMessage(QStringLiteral("Brak pozycji do wydruku"));
        return;
    }
    showPreview(pages, parent, [this, runDate] { return sheetFromReport(*this, runDate); });
}

} // namespace jadl
