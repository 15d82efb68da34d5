#include "work/CopyTable.h"

#include "store/Table.h"
#include "store/TableDefs.h"

#include <QDateTime>

namespace jadl::copytable {

namespace {

QString str(const char* s)
{
    return QString::fromLatin1(s);
}

// The reference-price sign in words, as the copy table holds it.
QString signInWords(const QString& sign)
{
    if (sign == QLatin1String("0"))
        return QStringLiteral("Równa");
    if (sign == QLatin1String("-"))
        return QStringLiteral("Niższa");
    if (sign == QLatin1String("+"))
        return QStringLiteral("Wyższa");
    return {};
}

} // namespace

QList<FieldDef> fields()
{
    return tabledefs::copyTable().fields;
}

void create(const QString& directory)
{
    Table table(nullptr, QStringLiteral("TableTowaryRaport"));
    table.setDatabaseName(directory);
    table.setTableName(QStringLiteral("TowaryRaport"));
    table.fieldDefs() = fields();
    table.indexDefs().clear();
    table.createTable();
}

namespace {

int copyLines(Table& copy, Table& lines, const std::function<void(int row, int total)>& step)
{
    Table::Batch batch(copy);
    // Emptied from the end, where each deletion is cheapest.
    copy.last();
    while (!copy.isEmpty())
        copy.deleteRecord();
    copy.setFiltered(true);

    auto col = [&lines](const char* name) { return lines.fieldIndex(str(name)); };
    auto to = [&copy](const char* name) -> Field& { return copy.fieldByName(str(name)); };
    const int n = lines.recordCount();
    if (n > 0)
        lines.first();
    for (int row = 0; row < n; ++row) {
        copy.append();
        for (const char* name : {"SymbolDostawcy", "JednostkaMiary", "VatTyp", "Grupa", "Symbol"})
            to(name).setString(lines.valueAt(row, col(name)).toString());
        for (const char* name :
             {"Ilosc", "CenaNetto", "WartoscNetto", "CenaBrutto", "WartoscBrutto", "CenaReferencyjna"})
            to(name).setFloat(lines.valueAt(row, col(name)).toDouble());
        to("CzyBylaFaktura")
            .setString(lines.valueAt(row, col("CzyBylaFaktura")).toBool() ? QStringLiteral("T") : QStringLiteral("F"));
        const QDate day = lines.valueAt(row, col("DataZakupu")).toDate();
        if (day.isValid())
            to("DataZakupu").setDateTime(QDateTime(day, QTime(0, 0)));
        const QString sign = signInWords(lines.valueAt(row, col("JakaCenaRef")).toString());
        if (!sign.isEmpty())
            to("JakaCenaRef").setString(sign);
        copy.post();
        if (step)
            step(row, n);
    }
    batch.commit();
    // The walk ends on the last line.
    if (n > 0)
        lines.last();
    return n;
}

} // namespace

int fill(Table& copy, Table& lines, const std::function<void(int row, int total)>& step)
{
    const ControlsDisabled quietCopy(copy);
    const ControlsDisabled quietLines(lines);
    // The copy's own view is not needed while it is filled: a filter that lets
    // nothing through keeps every post from re-reading the whole table.
    copy.setOnFilterRecord([](Table&, bool& accept) { accept = false; });
    copy.setPreFilter([] { return SqlPreFilter{QStringLiteral("1 = 0"), {}}; });
    const auto showAll = [&copy] {
        copy.setFiltered(false);
        copy.setOnFilterRecord({});
        copy.setPreFilter({});
    };
    int copied = 0;
    try {
        copied = copyLines(copy, lines, step);
    } catch (...) {
        // The copy shows its records again; the first failure is the one reported.
        try {
            showAll();
        } catch (...) { }
        throw;
    }
    showAll();
    return copied;
}

} // namespace jadl::copytable
