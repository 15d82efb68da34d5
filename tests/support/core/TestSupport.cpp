#include "support/core/TestSupport.h"

#include "common/Formats.h"
#include "store/Table.h"
#include "support/core/TestServer.h"

namespace jadl::test {

void addPurchaseLines(const QString& dataDir, const QList<PurchaseLine>& lines)
{
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    Table::Batch batch(t);
    for (const PurchaseLine& l : lines) {
        t.append();
        t.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(l.supplier);
        t.fieldByName(QStringLiteral("DataZakupu")).setDate(l.day);
        t.fieldByName(QStringLiteral("DataZakupuString")).setString(formatDayMonth(l.day));
        t.fieldByName(QStringLiteral("Symbol")).setString(l.symbol);
        t.fieldByName(QStringLiteral("WartoscNetto")).setFloat(l.net);
        t.fieldByName(QStringLiteral("WartoscVat")).setFloat(l.vat);
        t.fieldByName(QStringLiteral("WartoscBrutto")).setFloat(l.gross);
        for (auto it = l.more.begin(); it != l.more.end(); ++it)
            t.fieldByName(it.key()).setValue(it.value());
        t.post();
    }
    batch.commit();
}

} // namespace jadl::test
