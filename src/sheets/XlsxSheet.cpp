#include "sheets/XlsxSheet.h"

#include "common/SystemErrors.h"
#include "sheets/SheetFile.h"
#include "sheets/SheetText.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace jadl {

namespace {

struct WorkbookFree {
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookFree>;

// Excel counts days from here for every date after February 1900.
const QDate kExcelEpoch(1899, 12, 30);

QString worksheetName(const QString& title)
{
    static const QRegularExpression forbidden(QStringLiteral(R"([\[\]:*?/\\])"));
    QString name = title;
    name.replace(forbidden, QStringLiteral("_"));
    name = name.left(31).trimmed();
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Arkusz1") : name;
}

bool isNumericKind(SheetColumnKind k)
{
    return k == SheetColumnKind::Money || k == SheetColumnKind::Quantity || k == SheetColumnKind::Integer;
}

class XlsxBuilder {
public:
    XlsxBuilder(const SheetData& sheet, const ReplacingFile& file) : sheet_(sheet), file_(file) { }

    void write()
    {
        const QByteArray tempName = QFile::encodeName(file_.tempPath());
        WorkbookPtr wb(workbook_new(tempName.constData()));
        if (!wb)
            file_.fail(QStringLiteral("brak pamięci"));
        const QByteArray name = worksheetName(sheet_.name).toUtf8();
        ws_ = workbook_add_worksheet(wb.get(), name.constData());
        if (!ws_)
            file_.fail(QStringLiteral("nie można utworzyć arkusza"));
        makeFormats(wb.get());
        writeCells();
        errno = 0;
        const lxw_error closed = workbook_close(wb.release());
        if (closed != LXW_NO_ERROR)
            file_.fail(closeFailure(closed, errno));
    }

private:
    lxw_format* numberFormat(lxw_workbook* wb, const char* pattern, bool bold)
    {
        lxw_format* f = workbook_add_format(wb);
        format_set_num_format(f, pattern);
        if (bold)
            format_set_bold(f);
        return f;
    }

    void makeFormats(lxw_workbook* wb)
    {
        bold_ = workbook_add_format(wb);
        format_set_bold(bold_);
        totals_.text = bold_;
        for (const bool b : {false, true}) {
            Formats& f = b ? totals_ : details_;
            f.money = numberFormat(wb, "0.00", b);
            // Shows 2,5 as 2,5 and 99999,999 whole.
            f.quantity = numberFormat(wb, "0.###", b);
            f.integer = numberFormat(wb, "0", b);
            f.date = numberFormat(wb, "dd.mm.yyyy", b);
            f.dateTime = numberFormat(wb, "dd.mm.yyyy hh:mm:ss", b);
        }
    }

    void check(lxw_error e) const
    {
        if (e != LXW_NO_ERROR)
            file_.fail(libraryFailure(e));
    }

    static QString libraryFailure(lxw_error e)
    {
        return QStringLiteral("błąd biblioteki libxlsxwriter (%1)").arg(QString::fromUtf8(lxw_strerror(e)));
    }

    struct Formats {
        lxw_format* money = nullptr;
        lxw_format* quantity = nullptr;
        lxw_format* integer = nullptr;
        lxw_format* date = nullptr;
        lxw_format* dateTime = nullptr;
        lxw_format* text = nullptr;
    };

    lxw_format* formatFor(const Formats& f, SheetColumnKind kind) const
    {
        switch (kind) {
        case SheetColumnKind::Money:
            return f.money;
        case SheetColumnKind::Quantity:
            return f.quantity;
        case SheetColumnKind::Integer:
            return f.integer;
        case SheetColumnKind::Date:
        case SheetColumnKind::Text:
            break;
        }
        return f.text;
    }

    void writeCell(lxw_row_t row, lxw_col_t col, const QVariant& v, SheetColumnKind kind, const Formats& f)
    {
        if (!v.isValid() || v.isNull())
            return;
        switch (v.typeId()) {
        case QMetaType::QString: {
            // A cell holds at most 32,767 characters.
            const QByteArray text = v.toString().left(32767).toUtf8();
            check(worksheet_write_string(ws_, row, col, text.constData(), f.text));
            return;
        }
        case QMetaType::QDate:
            check(worksheet_write_number(ws_, row, col, double(kExcelEpoch.daysTo(v.toDate())), f.date));
            return;
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            const double serial = double(kExcelEpoch.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
            check(worksheet_write_number(ws_, row, col, serial, f.dateTime));
            return;
        }
        default:
            check(worksheet_write_number(ws_, row, col, v.toDouble(), formatFor(f, kind)));
        }
    }

    void writeCells()
    {
        const auto cols = lxw_col_t(sheet_.columns.size());
        lxw_row_t row = 0;
        for (const QString& line : sheet_.titleLines) {
            const QByteArray text = line.toUtf8();
            check(worksheet_write_string(ws_, row++, 0, text.constData(), nullptr));
        }
        const lxw_row_t header = row++;
        for (lxw_col_t c = 0; c < cols; ++c) {
            const QByteArray title = sheet_.columns[c].title.toUtf8();
            check(title.isEmpty() ? worksheet_write_blank(ws_, header, c, bold_)
                                  : worksheet_write_string(ws_, header, c, title.constData(), bold_));
        }
        for (const QVariantList& cells : sheet_.rows) {
            for (lxw_col_t c = 0; c < cols; ++c)
                writeCell(row, c, cells[c], sheet_.columns[c].kind, details_);
            ++row;
        }
        const lxw_row_t lastDetail = row - 1;
        if (!sheet_.summary.isEmpty())
            writeSummary(row, header + 1, lastDetail);
        if (cols > 0) {
            worksheet_freeze_panes(ws_, header + 1, 0);
            check(worksheet_autofilter(ws_, header, 0, lastDetail, cols - 1));
        }
        setWidths();
    }

    void writeSummary(lxw_row_t row, lxw_row_t firstDetail, lxw_row_t lastDetail)
    {
        for (lxw_col_t c = 0; c < lxw_col_t(sheet_.columns.size()) && c < sheet_.summary.size(); ++c) {
            const QVariant& v = sheet_.summary[c];
            const SheetColumnKind kind = sheet_.columns[c].kind;
            const bool total = v.typeId() == QMetaType::Double && isNumericKind(kind) && firstDetail <= lastDetail;
            if (!total) {
                writeCell(row, c, v, kind, totals_);
                continue;
            }
            char range[32];
            lxw_rowcol_to_range(range, firstDetail, c, lastDetail, c);
            const QByteArray formula = QByteArrayLiteral("=SUM(") + range + ')';
            check(
                worksheet_write_formula_num(ws_, row, c, formula.constData(), formatFor(totals_, kind), v.toDouble()));
        }
    }

    // Width by character count: the longest of title, values and total, plus a margin.
    void setWidths()
    {
        for (qsizetype c = 0; c < sheet_.columns.size(); ++c) {
            const SheetColumn& column = sheet_.columns[c];
            qsizetype longest = column.title.size();
            for (const QVariantList& cells : sheet_.rows)
                longest = std::max(longest, sheetCellText(cells[c], column.kind).size());
            if (c < sheet_.summary.size())
                longest = std::max(longest, sheetCellText(sheet_.summary[c], column.kind).size());
            const double width = std::min(kSheetMaxColumnWidth, double(longest) + 2.0);
            check(worksheet_set_column(ws_, lxw_col_t(c), lxw_col_t(c), width, nullptr));
        }
    }

    QString closeFailure(lxw_error e, int err) const
    {
        // The zip writer fails on fwrite or fclose; their errno tells the cause.
        if (err != 0 &&
            (e == LXW_ERROR_CREATING_XLSX_FILE || e == LXW_ERROR_ZIP_FILE_OPERATION || e == LXW_ERROR_ZIP_CLOSE ||
             e == LXW_ERROR_ZIP_FILE_ADD || e == LXW_ERROR_CREATING_TMPFILE))
            return systemErrorReason(err);
        return libraryFailure(e);
    }

    const SheetData& sheet_;
    const ReplacingFile& file_;
    lxw_worksheet* ws_ = nullptr;
    lxw_format* bold_ = nullptr;
    Formats details_;
    Formats totals_;
};

} // namespace

void writeXlsx(const SheetData& sheet, const QString& path)
{
    ReplacingFile file(path);
    XlsxBuilder(sheet, file).write();
    file.commit();
}

} // namespace jadl
