#include "support/PurchaseLinesFile.h"

#include "common/Formats.h"

namespace jadl::bench {

PurchaseLinesFile::PurchaseLinesFile(int lines)
{
    table.setDatabaseName(dir.path());
    table.setTableName(QStringLiteral("Towary.DB"));
    table.setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    table.open();
    Table::Batch batch(table);
    for (int i = 0; i < lines; ++i) {
        const QDate day = QDate(2026, 11, 1).addDays(i % 30);
        const double net = 1.0 + (i % 997) * 0.37;
        const double qty = 1 + i % 12;
        table.append();
        table.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(1 + i % 40);
        table.fieldByName(QStringLiteral("Dostawca")).setString(QStringLiteral("DOSTAWCA %1").arg(1 + i % 40));
        table.fieldByName(QStringLiteral("Symbol"))
            .setString(QStringLiteral("TOWAR-%1").arg(i % 2000, 4, 10, QLatin1Char('0')));
        table.fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("GRUPA %1").arg(i % 40));
        table.fieldByName(QStringLiteral("DataZakupu")).setDate(day);
        table.fieldByName(QStringLiteral("DataZakupuString")).setString(formatDayMonth(day));
        table.fieldByName(QStringLiteral("Ilosc")).setFloat(qty);
        table.fieldByName(QStringLiteral("JednostkaMiary")).setString(QStringLiteral("kg"));
        table.fieldByName(QStringLiteral("CenaNetto")).setFloat(net);
        table.fieldByName(QStringLiteral("WartoscNetto")).setFloat(net * qty);
        table.fieldByName(QStringLiteral("VatTyp")).setString(QStringLiteral("8"));
        table.fieldByName(QStringLiteral("CenaBrutto")).setFloat(net * 1.08);
        table.fieldByName(QStringLiteral("WartoscBrutto")).setFloat(net * qty * 1.08);
        table.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(net);
        table.fieldByName(QStringLiteral("CzyBylaFaktura")).setBoolean(i % 3 != 0);
        table.fieldByName(QStringLiteral("JakaCenaRef")).setString(QStringLiteral("0"));
        table.post();
    }
    batch.commit();
    table.first();
}

} // namespace jadl::bench
