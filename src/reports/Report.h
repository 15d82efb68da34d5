#pragma once
// A banded report: page setup, bands (page header, detail, summary) and the
// elements placed on them in millimetres. Layout (ReportLayout.h) turns it and its
// data set's current view into pages; ReportPainter.h draws those pages.
#include "reports/ReportData.h"

#include <QColor>
#include <QDate>
#include <QHash>
#include <QMarginsF>
#include <QObject>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace jadl {

struct ReportPages;

// A font as a layout names it; the face is resolved when painting
// ("Times New Roman" and "Arial" print with their metric twins).
struct ReportFont {
    QString name = QStringLiteral("Arial");
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const ReportFont&, const ReportFont&) = default;
};

enum class ReportAlign { Left, Centre, Right };

// Rules along the edges of an element or a band.
struct ReportFrame {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    double width = 0.25; // mm
    static ReportFrame all() { return {true, true, true, true}; }
    static ReportFrame rightEdge() { return {false, false, true, false}; }
    bool any() const { return left || top || right || bottom; }
};

class ReportBand;

// How a layout places an element: the columns of the designer's tables.
struct ElementStyle {
    ElementStyle() = default;
    ElementStyle(ReportAlign a, std::optional<ReportFont> f = std::nullopt, bool autoSz = false, bool wrap = false,
                 bool rule = false, QString m = {})
        : align(a), font(std::move(f)), autoSize(autoSz), wordWrap(wrap), rightRule(rule), mask(std::move(m))
    { }
    ReportAlign align = ReportAlign::Left;
    std::optional<ReportFont> font; // none: follows the band's font
    bool autoSize = false;
    bool wordWrap = false;
    bool rightRule = false; // the column separator along the right edge
    QString mask; // "0.00" for fields and expressions
};

class ReportElement : public QObject {
    Q_OBJECT
public:
    enum class Kind { Label, Field, SysData, Expression };

    ReportElement(ReportBand* band, Kind kind, const QString& name, double left, double top, double width);

    Kind kind() const { return kind_; }
    ReportBand* band() const;

    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    // Height in mm; when not set the element reaches down to the band's bottom edge.
    std::optional<double> height() const { return height_; }
    void setGeometry(double left, double top, double width, std::optional<double> height = std::nullopt);

    ReportAlign alignment() const { return align_; }
    void setAlignment(ReportAlign a) { align_ = a; }
    // The element's own font; without one it prints in the band's font.
    const std::optional<ReportFont>& ownFont() const { return font_; }
    void setFont(const ReportFont& f) { font_ = f; }
    void setParentFont() { font_.reset(); }
    ReportFont effectiveFont() const;

    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on) { autoSize_ = on; }
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on) { wordWrap_ = on; }
    // Transparent elements leave the page under them; others fill their box first.
    bool transparent() const { return transparent_; }
    void setTransparent(bool on) { transparent_ = on; }
    QColor color() const { return color_; }
    void setColor(const QColor& c) { color_ = c; }
    const ReportFrame& frame() const { return frame_; }
    void setFrame(const ReportFrame& f) { frame_ = f; }

    // Disabled or hidden elements do not print.
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    bool visible() const { return visible_; }
    void setVisible(bool on) { visible_ = on; }
    bool prints() const { return enabled_ && visible_; }

    void applyStyle(const ElementStyle& s);

private:
    Kind kind_;
    double left_;
    double top_;
    double width_;
    std::optional<double> height_;
    ReportAlign align_ = ReportAlign::Left;
    std::optional<ReportFont> font_;
    bool autoSize_ = false;
    bool wordWrap_ = false;
    bool transparent_ = true;
    QColor color_ = Qt::white;
    ReportFrame frame_;
    bool enabled_ = true;
    bool visible_ = true;
};

class ReportLabel : public ReportElement {
    Q_OBJECT
public:
    ReportLabel(ReportBand* band, const QString& name, const QString& caption, double left, double top, double width);
    QString caption() const { return caption_; }
    void setCaption(const QString& c) { caption_ = c; }

private:
    QString caption_;
};

// The text of a field: of the report's data set row by row, or of another data
// set's current record.
class ReportDBText : public ReportElement {
    Q_OBJECT
public:
    ReportDBText(ReportBand* band, const QString& name, const QString& dataSet, const QString& field, double left,
                 double top, double width);
    QString dataSet() const { return dataSet_; }
    QString dataField() const { return field_; }
    void setDataField(const QString& dataSet, const QString& field)
    {
        dataSet_ = dataSet;
        field_ = field;
    }
    QString mask() const { return mask_; }
    void setMask(const QString& m) { mask_ = m; }

private:
    QString dataSet_;
    QString field_;
    QString mask_;
};

class ReportSysData : public ReportElement {
    Q_OBJECT
public:
    enum class Data { Date, PageNumber, DetailNumber };
    ReportSysData(ReportBand* band, const QString& name, Data data, const QString& prefix, double left, double top,
                  double width);
    Data data() const { return data_; }
    void setData(Data d) { data_ = d; }
    // Printed before the value ("Strona : ").
    QString text() const { return prefix_; }
    void setText(const QString& prefix) { prefix_ = prefix; }

private:
    Data data_;
    QString prefix_;
};

// An expression of the form "SUM(DataSet.Field)": the sum of the field over the
// detail records printed so far.
class ReportExpr : public ReportElement {
    Q_OBJECT
public:
    ReportExpr(ReportBand* band, const QString& name, const QString& expression, double left, double top, double width);
    QString expression() const { return expression_; }
    void setExpression(const QString& e) { expression_ = e; }
    QString mask() const { return mask_; }
    void setMask(const QString& m) { mask_ = m; }

    struct Parsed {
        QString function; // "SUM"
        QString dataSet;
        QString field;
    };
    // nullopt when the text is not a supported expression.
    static std::optional<Parsed> parse(const QString& expression);

private:
    QString expression_;
    QString mask_;
};

class Report;

class ReportBand : public QObject {
    Q_OBJECT
public:
    enum class Type { PageHeader, Detail, Summary };

    ReportBand(Report* report, const QString& name, Type type, double height, const ReportFont& font);

    Type type() const { return type_; }
    Report* report() const;
    double height() const { return height_; }
    void setHeight(double mm) { height_ = mm; }
    // Elements without a font of their own follow this one.
    const ReportFont& font() const { return font_; }
    void setFont(const ReportFont& f) { font_ = f; }
    const ReportFrame& frame() const { return frame_; }
    void setFrame(const ReportFrame& f) { frame_ = f; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }

    const QList<ReportElement*>& elements() const { return elements_; }

    ReportLabel* addLabel(const QString& name, const QString& caption, double left, double top, double width,
                          const ElementStyle& style = {});
    ReportDBText* addField(const QString& name, const QString& dataSet, const QString& field, double left, double top,
                           double width, const ElementStyle& style = {});
    ReportSysData* addSysData(const QString& name, ReportSysData::Data data, const QString& prefix, double left,
                              double top, double width, const ElementStyle& style = {});
    ReportExpr* addExpr(const QString& name, const QString& expression, double left, double top, double width,
                        const ElementStyle& style = {});

private:
    template <class T>
    T* adopt(T* element, const ElementStyle& style);
    Type type_;
    double height_;
    ReportFont font_;
    ReportFrame frame_;
    bool enabled_ = true;
    QList<ReportElement*> elements_;
};

class Report : public QObject {
    Q_OBJECT
public:
    explicit Report(QObject* parent = nullptr, const QString& name = QStringLiteral("QuickRep1"));
    ~Report() override;

    // Page setup, in millimetres: A4 portrait with 10 mm margins unless changed.
    QSizeF pageSize() const { return pageSize_; }
    void setPageSize(const QSizeF& mm) { pageSize_ = mm; }
    QMarginsF margins() const { return margins_; }
    void setMargins(const QMarginsF& mm) { margins_ = mm; }
    const ReportFont& font() const { return font_; }
    void setFont(const ReportFont& f) { font_ = f; }
    // Off: an empty view gives no page at all.
    bool printIfEmpty() const { return printIfEmpty_; }
    void setPrintIfEmpty(bool on) { printIfEmpty_ = on; }
    // Window title of the preview.
    QString title() const { return title_; }
    void setTitle(const QString& t) { title_ = t; }

    ReportBand* addBand(const QString& name, ReportBand::Type type, double height, const ReportFont& font);
    const QList<ReportBand*>& bands() const { return bands_; }
    ReportBand* band(ReportBand::Type type) const;
    ReportElement* element(const QString& name) const;

    // The data set printed once per record, known by its component name.
    void setDataSet(const QString& name, std::shared_ptr<ReportDataSource> source);
    QString dataSetName() const { return dataSetName_; }
    ReportDataSource* dataSet() const { return dataSet_.get(); }
    // Other data sets whose current record fields may read.
    void setLookup(const QString& name, std::shared_ptr<ReportDataSource> source);
    ReportDataSource* dataSetByName(const QString& name) const;

    // Lays the report out over the data set's current view; the run date is fixed
    // for the whole run (today when not given).
    ReportPages layoutPages(std::optional<QDate> runDate = std::nullopt) const;
    // Writes the laid-out pages as a PDF file; false (and no file) for a report
    // without pages. Throws EngineError naming the file when it cannot be written.
    bool exportPdf(const QString& path) const;
    // Sets TMP (as before every print preview), then shows the modal print preview;
    // returns when it is closed. A report without pages says there is nothing to print.
    void preview(QWidget* parent = nullptr) const;

private:
    QSizeF pageSize_{210.0, 297.0};
    QMarginsF margins_{10.0, 10.0, 10.0, 10.0};
    ReportFont font_;
    bool printIfEmpty_ = false;
    QString title_;
    QList<ReportBand*> bands_;
    QString dataSetName_;
    std::shared_ptr<ReportDataSource> dataSet_;
    QHash<QString, std::shared_ptr<ReportDataSource>> lookups_;
};

} // namespace jadl
