#include "sheets/CsvSheet.h"

#include "sheets/SheetFile.h"
#include "sheets/SheetText.h"

namespace jadl {

namespace {

const QString kSeparator = QStringLiteral(";");
const QString kLineEnd = QStringLiteral("\r\n");

void appendField(QString& out, const QString& text)
{
    const bool quoted = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!quoted) {
        out += text;
        return;
    }
    QString doubled = text;
    doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    out += QLatin1Char('"') + doubled + QLatin1Char('"');
}

void appendRecord(QString& out, const QVariantList& cells, const QList<SheetColumn>& columns)
{
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += kSeparator;
        const SheetColumnKind kind = i < columns.size() ? columns[i].kind : SheetColumnKind::Text;
        appendField(out, sheetCellText(cells[i], kind));
    }
    out += kLineEnd;
}

} // namespace

QByteArray csvBytes(const SheetData& sheet)
{
    QString out;
    out.reserve(qsizetype(sheet.rows.size() + 8) * (sheet.columns.size() * 10 + 2));
    for (const QString& line : sheet.titleLines) {
        appendField(out, line);
        out += kLineEnd;
    }
    QVariantList titles;
    titles.reserve(sheet.columns.size());
    for (const SheetColumn& c : sheet.columns)
        titles.append(c.title);
    appendRecord(out, titles, {});
    for (const QVariantList& row : sheet.rows)
        appendRecord(out, row, sheet.columns);
    if (!sheet.summary.isEmpty())
        appendRecord(out, sheet.summary, sheet.columns);
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

void writeCsv(const SheetData& sheet, const QString& path)
{
    ReplacingFile file(path);
    file.write(csvBytes(sheet));
    file.commit();
}

} // namespace jadl
