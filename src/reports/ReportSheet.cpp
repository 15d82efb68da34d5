#include "reports/ReportSheet.h"

#include "common/Formats.h"
#include "platform/Clock.h"
#include "store/EngineError.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <utility>

namespace jadl {

namespace {

constexpr double kLineTolerance = 1.0; // mm: tops this close stand on one line
constexpr double kJoinGap = 3.0; // mm: a caption this close to its value reads with it
const QString kMoneyMask = QStringLiteral("0.00");
const QString kMirrorSuffix = QStringLiteral("String");

bool isPageNumber(const ReportElement* e)
{
    return e->kind() == ReportElement::Kind::SysData &&
        static_cast<const ReportSysData*>(e)->data() == ReportSysData::Data::PageNumber;
}

// A line drawn with characters, as the layouts draw their rules.
bool isRule(const QString& text)
{
    bool drawn = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('='))
            drawn = true;
        else if (!c.isSpace())
            return false;
    }
    return drawn;
}

// An auto-sized element of no design width counts as a narrow mark at its left edge.
std::pair<double, double> span(const ReportElement* e)
{
    return {e->left(), e->left() + (e->width() > 0 ? e->width() : 0.5)};
}

double overlap(const ReportElement* a, const ReportElement* b)
{
    const auto [al, ar] = span(a);
    const auto [bl, br] = span(b);
    return std::max(0.0, std::min(ar, br) - std::max(al, bl));
}

QString sumText(double sum, const QString& mask)
{
    return mask == kMoneyMask ? formatMask00(sum) : formatNumber(sum, mask);
}

QVariant asDate(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDate)
        return v;
    const QDateTime dt = v.typeId() == QMetaType::QDateTime ? v.toDateTime()
                                                            : QDateTime::fromString(v.toString(), Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
}

bool isNull(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

// A field or sum resolved once for the whole sheet, as the layout binds it.
struct Binding {
    ReportDataSource* source = nullptr;
    int field = -1;
    bool perRow = false; // the printed row, not a current record
    ReportFieldInfo info;
    QString fieldName;
    bool bound() const { return source && field >= 0; }
    bool sameField(const Binding& o) const { return bound() && source == o.source && field == o.field; }
};

SheetColumnKind floatKind(const QString& name, const ReportFieldInfo& info, const QString& mask)
{
    if (name.startsWith(QLatin1String("Ilosc"), Qt::CaseInsensitive))
        return SheetColumnKind::Quantity;
    if (mask == kMoneyMask || info.displayFormat == kMoneyMask ||
        name.startsWith(QLatin1String("Cena"), Qt::CaseInsensitive) ||
        name.startsWith(QLatin1String("Wartosc"), Qt::CaseInsensitive))
        return SheetColumnKind::Money;
    return SheetColumnKind::Quantity;
}

SheetColumnKind fieldKind(const Binding& b, const QString& mask)
{
    if (!b.bound())
        return SheetColumnKind::Text;
    switch (b.info.type) {
    case FieldType::Float:
        return floatKind(b.fieldName, b.info, mask);
    case FieldType::Integer:
    case FieldType::AutoInc:
        return SheetColumnKind::Integer;
    case FieldType::Date:
    case FieldType::DateTime:
        return SheetColumnKind::Date;
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::Logical:
        break;
    }
    return SheetColumnKind::Text;
}

struct Column {
    const ReportElement* element = nullptr;
    SheetColumnKind kind = SheetColumnKind::Text;
    Binding value;
    Binding date; // of an "XString" text field: the date field X
    QString mask;
    double sum = 0.0; // a sum in the detail band runs row by row
};

struct Total {
    const ReportExpr* element = nullptr;
    Binding value;
    double sum = 0.0;
};

class SheetBuilder {
public:
    SheetBuilder(const Report& report, const QDate& runDate)
        : report_(report), runDate_(runDate), source_(report.dataSet())
    {
        rows_ = source_ && source_->active() ? source_->rowCount() : 0;
    }

    SheetData build()
    {
        SheetData out;
        out.name = report_.title();
        const ReportBand* header = printingBand(ReportBand::Type::PageHeader);
        const ReportBand* summary = printingBand(ReportBand::Type::Summary);
        bindColumns(printingBand(ReportBand::Type::Detail));
        bindTotals(summary);
        const QSet<const ReportElement*> titles = titleColumns(header, out);
        out.titleLines = titleLines(header, titles);
        readRows(out);
        if (rows_ > 0 && summary)
            out.summary = summaryRow(summary);
        return out;
    }

private:
    const ReportBand* printingBand(ReportBand::Type type) const
    {
        const ReportBand* b = report_.band(type);
        return b && b->enabled() ? b : nullptr;
    }

    static std::vector<const ReportElement*> printing(const ReportBand* band)
    {
        std::vector<const ReportElement*> out;
        if (band)
            for (const ReportElement* e : band->elements())
                if (e->prints() && !isPageNumber(e))
                    out.push_back(e);
        return out;
    }

    Binding bind(const QString& dataSet, const QString& field) const
    {
        Binding b;
        b.source = report_.dataSetByName(dataSet);
        b.perRow = b.source && b.source == source_;
        b.fieldName = field;
        // A data set that is not bound or not open prints nothing.
        if (!b.source || !b.source->active())
            return b;
        b.field = b.source->fieldIndex(field);
        if (b.field < 0)
            throw EngineError(b.source->name() + QStringLiteral(": Field '") + field + QStringLiteral("' not found"));
        b.info = b.source->fieldInfo(b.field);
        return b;
    }

    Binding bindSum(const ReportExpr* x) const
    {
        const auto parsed = ReportExpr::parse(x->expression());
        if (!parsed)
            throw EngineError(x->objectName() + QStringLiteral(": Invalid expression '") + x->expression() +
                              QLatin1Char('\''));
        return bind(parsed->dataSet, parsed->field);
    }

    static Binding mirroredDate(const Binding& text)
    {
        if (!text.bound() || (text.info.type != FieldType::Text && text.info.type != FieldType::Memo) ||
            !text.fieldName.endsWith(kMirrorSuffix, Qt::CaseInsensitive) ||
            text.fieldName.size() == kMirrorSuffix.size())
            return {};
        Binding b = text;
        b.fieldName = text.fieldName.chopped(kMirrorSuffix.size());
        b.field = text.source->fieldIndex(b.fieldName);
        if (b.field < 0)
            return {};
        b.info = text.source->fieldInfo(b.field);
        return b.info.type == FieldType::Date || b.info.type == FieldType::DateTime ? b : Binding{};
    }

    QVariant read(const Binding& b, int row) const
    {
        if (!b.bound() || (b.perRow && (row < 0 || row >= rows_)))
            return {};
        return b.perRow ? b.source->value(row, b.field) : b.source->currentValue(b.field);
    }

    void bindColumns(const ReportBand* detail)
    {
        std::vector<const ReportElement*> elements = printing(detail);
        std::stable_sort(elements.begin(), elements.end(),
                         [](const ReportElement* a, const ReportElement* b) { return a->left() < b->left(); });
        for (const ReportElement* e : elements) {
            Column c;
            c.element = e;
            switch (e->kind()) {
            case ReportElement::Kind::Label:
                break;
            case ReportElement::Kind::SysData:
                c.kind = static_cast<const ReportSysData*>(e)->data() == ReportSysData::Data::Date
                    ? SheetColumnKind::Date
                    : SheetColumnKind::Integer;
                break;
            case ReportElement::Kind::Field: {
                const auto* f = static_cast<const ReportDBText*>(e);
                c.value = bind(f->dataSet(), f->dataField());
                c.mask = f->mask();
                c.date = mirroredDate(c.value);
                c.kind = c.date.bound() ? SheetColumnKind::Date : fieldKind(c.value, c.mask);
                break;
            }
            case ReportElement::Kind::Expression: {
                const auto* x = static_cast<const ReportExpr*>(e);
                c.value = bindSum(x);
                c.mask = x->mask();
                c.kind = floatKind(c.value.fieldName, c.value.info, c.mask);
                break;
            }
            }
            columns_.push_back(std::move(c));
        }
    }

    void bindTotals(const ReportBand* summary)
    {
        for (const ReportElement* e : printing(summary))
            if (e->kind() == ReportElement::Kind::Expression) {
                const auto* x = static_cast<const ReportExpr*>(e);
                totals_.push_back({x, bindSum(x), 0.0});
            }
    }

    // Titles from the labels on the header's last line; each label titles the
    // column it overlaps most. Returns the labels used.
    QSet<const ReportElement*> titleColumns(const ReportBand* header, SheetData& out) const
    {
        for (const Column& c : columns_)
            out.columns.append(SheetColumn{QString(), c.kind});
        std::vector<const ReportLabel*> labels;
        double lastTop = 0.0;
        for (const ReportElement* e : printing(header))
            if (e->kind() == ReportElement::Kind::Label) {
                const auto* l = static_cast<const ReportLabel*>(e);
                if (l->caption().trimmed().isEmpty() || isRule(l->caption()))
                    continue;
                labels.push_back(l);
                lastTop = std::max(lastTop, l->top());
            }
        std::erase_if(labels, [lastTop](const ReportLabel* l) { return l->top() < lastTop - kLineTolerance; });

        std::vector<int> best(columns_.size(), -1);
        std::vector<double> bestOverlap(columns_.size(), 0.0);
        for (std::size_t c = 0; c < columns_.size(); ++c)
            for (std::size_t l = 0; l < labels.size(); ++l)
                if (const double o = overlap(columns_[c].element, labels[l]); o > bestOverlap[c]) {
                    bestOverlap[c] = o;
                    best[c] = int(l);
                }
        QSet<const ReportElement*> used;
        for (std::size_t l = 0; l < labels.size(); ++l) {
            int winner = -1;
            for (std::size_t c = 0; c < columns_.size(); ++c)
                if (best[c] == int(l) && (winner < 0 || bestOverlap[c] > bestOverlap[std::size_t(winner)]))
                    winner = int(c);
            if (winner < 0)
                continue;
            out.columns[winner].title = labels[l]->caption();
            used.insert(labels[l]);
        }
        return used;
    }

    // The text an element prints outside the detail rows: on page 1's header
    // (row 0, no detail yet) or under the last detail.
    QString printedText(const ReportElement* e, int row, int detailNumber) const
    {
        switch (e->kind()) {
        case ReportElement::Kind::Label:
            return static_cast<const ReportLabel*>(e)->caption();
        case ReportElement::Kind::Field: {
            const auto* f = static_cast<const ReportDBText*>(e);
            const Binding b = bind(f->dataSet(), f->dataField());
            return reportDisplayText(read(b, row), b.info, f->mask());
        }
        case ReportElement::Kind::SysData: {
            const auto* s = static_cast<const ReportSysData*>(e);
            switch (s->data()) {
            case ReportSysData::Data::Date:
                return s->text() + formatShortDate(runDate_);
            case ReportSysData::Data::DetailNumber:
                return s->text() + QString::number(detailNumber);
            case ReportSysData::Data::PageNumber:
                break;
            }
            return {};
        }
        case ReportElement::Kind::Expression:
            // Page 1's header prints a sum before any detail is added to it.
            return sumText(0.0, static_cast<const ReportExpr*>(e)->mask());
        }
        return {};
    }

    QStringList titleLines(const ReportBand* header, const QSet<const ReportElement*>& columnTitles) const
    {
        struct Piece {
            const ReportElement* element;
            QString text;
        };
        std::vector<Piece> pieces;
        for (const ReportElement* e : printing(header)) {
            if (columnTitles.contains(e))
                continue;
            const QString text = printedText(e, 0, 0);
            if (!text.trimmed().isEmpty() && !isRule(text))
                pieces.push_back({e, text});
        }
        std::stable_sort(pieces.begin(), pieces.end(),
                         [](const Piece& a, const Piece& b) { return a.element->top() < b.element->top(); });
        QStringList out;
        for (std::size_t first = 0; first < pieces.size();) {
            std::size_t end = first;
            while (end < pieces.size() && pieces[end].element->top() <= pieces[first].element->top() + kLineTolerance)
                ++end;
            std::stable_sort(pieces.begin() + long(first), pieces.begin() + long(end),
                             [](const Piece& a, const Piece& b) { return a.element->left() < b.element->left(); });
            QString text = pieces[first].text;
            for (std::size_t i = first + 1; i < end; ++i) {
                const double gap = pieces[i].element->left() - span(pieces[i - 1].element).second;
                if (gap <= kJoinGap) {
                    text += QLatin1Char(' ') + pieces[i].text;
                } else {
                    out.append(text);
                    text = pieces[i].text;
                }
            }
            out.append(text);
            first = end;
        }
        return out;
    }

    QVariant cell(Column& c, int row) const
    {
        switch (c.element->kind()) {
        case ReportElement::Kind::Label: {
            const QString caption = static_cast<const ReportLabel*>(c.element)->caption();
            return caption.isEmpty() ? QVariant() : QVariant(caption);
        }
        case ReportElement::Kind::SysData:
            return c.kind == SheetColumnKind::Date ? QVariant(runDate_) : QVariant(qlonglong(row) + 1);
        case ReportElement::Kind::Expression:
            c.sum += read(c.value, row).toDouble();
            return c.sum;
        case ReportElement::Kind::Field:
            break;
        }
        if (c.date.bound())
            if (const QVariant d = asDate(read(c.date, row)); !isNull(d))
                return d;
        const QVariant v = read(c.value, row);
        if (isNull(v))
            return {};
        switch (c.kind) {
        case SheetColumnKind::Money:
        case SheetColumnKind::Quantity:
            return v.toDouble();
        case SheetColumnKind::Integer:
            return v.toLongLong();
        case SheetColumnKind::Date:
            if (!c.date.bound())
                return asDate(v);
            break;
        case SheetColumnKind::Text:
            break;
        }
        const QString text = reportDisplayText(v, c.value.info, c.mask);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }

    void readRows(SheetData& out)
    {
        out.rows.reserve(std::size_t(rows_));
        for (int row = 0; row < rows_; ++row) {
            QVariantList cells;
            cells.reserve(qsizetype(columns_.size()));
            for (Column& c : columns_)
                cells.append(cell(c, row));
            // Summed in print order, as the layout sums, so the totals match it to the bit.
            for (Total& t : totals_)
                t.sum += read(t.value, row).toDouble();
            out.rows.push_back(std::move(cells));
        }
    }

    // The column under a summary element: the one it overlaps most, the column of
    // the summed field before any other; without overlap the nearest one.
    int columnUnder(const ReportElement* e, const Binding* summed) const
    {
        int best = -1;
        double bestScore = 0.0;
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            double score = overlap(e, columns_[c].element);
            if (score > 0 && summed && summed->sameField(columns_[c].value))
                score += 1000.0;
            if (score > bestScore) {
                bestScore = score;
                best = int(c);
            }
        }
        if (best >= 0 || columns_.empty())
            return best;
        const auto distance = [e](const ReportElement* col) {
            const auto [l, r] = span(col);
            const auto [el, er] = span(e);
            return std::abs((l + r) - (el + er));
        };
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (best < 0 || distance(columns_[c].element) < distance(columns_[std::size_t(best)].element))
                best = int(c);
        return best;
    }

    QVariantList summaryRow(const ReportBand* summary) const
    {
        QVariantList cells(qsizetype(columns_.size()));
        for (const ReportElement* e : printing(summary)) {
            QVariant v;
            const Binding* summed = nullptr;
            if (e->kind() == ReportElement::Kind::Expression) {
                const auto t = std::find_if(totals_.begin(), totals_.end(),
                                            [e](const Total& x) { return x.element == e; });
                summed = &t->value;
                const QString printed = sumText(t->sum, t->element->mask());
                const auto number = parseNumber(printed);
                v = number ? QVariant(*number) : QVariant(printed);
            } else {
                const QString text = printedText(e, rows_ - 1, rows_);
                if (text.trimmed().isEmpty() || isRule(text))
                    continue;
                v = text;
            }
            const int c = columnUnder(e, summed);
            if (c < 0)
                continue;
            if (isNull(cells[c]))
                cells[c] = v;
            else if (cells[c].typeId() == QMetaType::QString && v.typeId() == QMetaType::QString)
                cells[c] = QString(cells[c].toString() + QLatin1Char(' ') + v.toString());
            else if (v.typeId() == QMetaType::Double)
                cells[c] = v; // a total outranks a label in its cell
        }
        return cells;
    }

    const Report& report_;
    const QDate runDate_;
    ReportDataSource* source_;
    int rows_ = 0;
    std::vector<Column> columns_;
    std::vector<Total> totals_;
};

} // namespace

SheetData sheetFromReport(const Report& report, std::optional<QDate> runDate)
{
    return SheetBuilder(report, runDate.value_or(platform::today())).build();
}

} // namespace jadl
