#pragma once
// Shared by the sheet tests: purchase lines held in memory, and reading a written
// file back with an independent reader (read_sheet.py: openpyxl for XLSX, Python's
// csv module for CSV).
#include "reports/ReportData.h"
#include "sheets/SheetWriter.h"
#include "store/TableDefs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace sheettest {

inline const QDate kRunDate(2026, 12, 6);

// A data set with a table's real field definitions, rows given by field name.
inline std::shared_ptr<jadl::MemoryReportData> dataOf(const jadl::TableDef& def, const QString& name,
                                                      const QList<QVariantMap>& rows)
{
    auto data = std::make_shared<jadl::MemoryReportData>(name, def.fields);
    for (const QVariantMap& r : rows) {
        QVariantList values(def.fields.size());
        for (auto it = r.begin(); it != r.end(); ++it) {
            const int i = data->fieldIndex(it.key());
            Q_ASSERT(i >= 0);
            values[i] = it.value();
        }
        data->addRow(values);
    }
    return data;
}

struct Purchase {
    QString supplier;
    double qty = 1;
    double netPrice = 1;
    double netValue = 1;
    double grossValue = 1;
    QVariant refPrice;
    QVariant day; // DataZakupu
    QString dayText; // DataZakupuString, as the window fills it
    QString goods = QStringLiteral("TOWAR");
    QString group = QStringLiteral("NABIAŁ");
    bool invoice = true;
};

inline QVariantMap purchaseLine(const Purchase& p)
{
    return {{QStringLiteral("Dostawca"), p.supplier},
            {QStringLiteral("Ilosc"), p.qty},
            {QStringLiteral("JednostkaMiary"), QStringLiteral("kg")},
            {QStringLiteral("CzyBylaFaktura"), p.invoice},
            {QStringLiteral("CenaNetto"), p.netPrice},
            {QStringLiteral("WartoscNetto"), p.netValue},
            {QStringLiteral("VatTyp"), QStringLiteral("8")},
            {QStringLiteral("CenaBrutto"), p.netPrice * 1.08},
            {QStringLiteral("WartoscBrutto"), p.grossValue},
            {QStringLiteral("CenaReferencyjna"), p.refPrice},
            {QStringLiteral("Grupa"), p.group},
            {QStringLiteral("JakaCenaRef"), QStringLiteral("0")},
            {QStringLiteral("DataZakupu"), p.day},
            {QStringLiteral("DataZakupuString"), p.dayText},
            {QStringLiteral("Symbol"), p.goods}};
}

inline std::shared_ptr<jadl::MemoryReportData> purchases(const QList<Purchase>& lines)
{
    QList<QVariantMap> rows;
    for (const Purchase& p : lines)
        rows.append(purchaseLine(p));
    return dataOf(jadl::tabledefs::towary(), QStringLiteral("TableTowary"), rows);
}

// The file read back as JSON; empty when the reader failed (its error is logged).
inline QJsonObject readBack(const QString& path, jadl::SheetFormat format)
{
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QFINDTESTDATA("read_sheet.py"),
                  format == jadl::SheetFormat::Csv ? QStringLiteral("csv") : QStringLiteral("xlsx"), path});
    if (!reader.waitForFinished(120000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        qWarning("read_sheet.py failed (python3-openpyxl from scripts/install-deps.sh?): %s",
                 reader.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

// Every record of either format as its texts, trailing empty cells dropped.
inline QList<QStringList> recordTexts(const QJsonObject& dump)
{
    QList<QStringList> out;
    for (const QJsonValue& row : dump.value(QStringLiteral("rows")).toArray()) {
        QStringList texts;
        for (const QJsonValue& cell : row.toArray())
            texts.append(cell.isObject() ? cell.toObject().value(QStringLiteral("value")).toVariant().toString()
                                         : cell.toString());
        while (!texts.isEmpty() && texts.last().isEmpty())
            texts.removeLast();
        out.append(texts);
    }
    return out;
}

} // namespace sheettest
