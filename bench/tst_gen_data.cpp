// The data generator: small data sets read back through the store must hold the
// program's own rules, the cross-table copies and the promised sizes, and a seed
// must give the same data every time.
#include "common/Formats.h"
#include "common/Money.h"
#include "store/TableDefs.h"
#include "support/BenchSupport.h"
#include "support/DataGenerator.h"

#include <QCryptographicHash>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

qint64 countThroughStore(const QString& dir, const QString& file)
{
    Table t;
    t.setDatabaseName(dir);
    t.setTableName(file);
    t.open();
    const qint64 n = t.recordCount();
    t.close();
    return n;
}

// Digest of every row of a table file, in key order.
QByteArray contentDigest(const QString& path)
{
    SqliteDb db(path, SQLITE_OPEN_READONLY);
    SqliteStmt st(db, "SELECT * FROM " + sqlTableName(db) + " ORDER BY rowid");
    QCryptographicHash h(QCryptographicHash::Sha256);
    while (st.step()) {
        const int n = sqlite3_column_count(st.raw());
        for (int i = 0; i < n; ++i) {
            const auto* text = sqlite3_column_text(st.raw(), i);
            h.addData(text ? QByteArrayView(reinterpret_cast<const char*>(text)) : QByteArrayView("\x01NULL"));
            h.addData(QByteArrayView("\x1f"));
        }
    }
    return h.result();
}

struct SupplierCopy {
    QString name, symbol;
};

} // namespace

class TestGenData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tableSizes_data();
    void tableSizes();
    void purchaseLinesFollowTheRules();
    void seedDecidesTheData();
    void existingFilesNeedReplace();
    void purchaseViewMatchesPlainSql_data();
    void purchaseViewMatchesPlainSql();
};

void TestGenData::tableSizes_data()
{
    QTest::addColumn<qint64>("lines");
    QTest::newRow("no lines") << qint64(0);
    QTest::newRow("one line") << qint64(1);
    QTest::newRow("more lines than days") << qint64(4000);
}

void TestGenData::tableSizes()
{
    QFETCH(qint64, lines);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    GenOptions opt;
    opt.directory = tmp.path();
    opt.lines = lines;
    QCOMPARE(generateData(opt).lines, lines);

    QVERIFY(QFile::exists(completeMarker(tmp.path())));
    for (const TableDef* def : tabledefs::all())
        QVERIFY2(QFile::exists(tablePath(tmp.path(), def->fileName)), qPrintable(def->fileName));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Dostawcy.db")), qint64(kSuppliers));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("GrupyTowarow.DB")), qint64(kGroups));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("TowaryPodstawowe.db")), qint64(kGoods));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Wlasciciel.DB")), qint64(1));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Towary.DB")), lines);

    if (lines > 0) {
        // The register spans its fixed ten years once there are enough lines for every day.
        SqliteDb db(tablePath(tmp.path(), QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY);
        SqliteStmt st(db, "SELECT min(\"DataZakupu\"), max(\"DataZakupu\") FROM " + sqlTableName(db));
        QVERIFY(st.step());
        const auto day = [&](int col) {
            return QDate::fromString(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.raw(), col))), Qt::ISODate);
        };
        // Lines are spread evenly over the days, so the last one falls on the last day
        // as soon as there are more lines than days.
        const qint64 days = firstPurchaseDay().daysTo(lastPurchaseDay()) + 1;
        QCOMPARE(day(0), firstPurchaseDay());
        QCOMPARE(day(1), firstPurchaseDay().addDays((lines - 1) * days / lines));
        if (lines >= days)
            QCOMPARE(day(1), lastPurchaseDay());
    }
}

void TestGenData::purchaseLinesFollowTheRules()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    GenOptions opt;
    opt.directory = tmp.path();
    opt.lines = 3000;
    opt.seed = 11;
    generateData(opt);

    QHash<int, SupplierCopy> suppliers;
    {
        Table t;
        t.setDatabaseName(tmp.path());
        t.setTableName(QStringLiteral("Dostawcy.db"));
        t.open();
        QSet<QString> symbols;
        for (t.first(); !t.eof(); t.next()) {
            const QString symbol = t.fieldByName(QStringLiteral("Symbol")).asString();
            QVERIFY2(!symbols.contains(symbol), qPrintable(symbol));
            symbols.insert(symbol);
            suppliers.insert(t.fieldByName(QStringLiteral("Numer")).asInteger(),
                             {t.fieldByName(QStringLiteral("Nazwa")).asString(), symbol});
        }
    }
    QHash<int, QString> groups;
    {
        Table t;
        t.setDatabaseName(tmp.path());
        t.setTableName(QStringLiteral("GrupyTowarow.DB"));
        t.open();
        for (t.first(); !t.eof(); t.next())
            groups.insert(t.fieldByName(QStringLiteral("Numer")).asInteger(),
                          t.fieldByName(QStringLiteral("Grupa")).asString());
    }
    QCOMPARE(suppliers.size(), kSuppliers);
    QCOMPARE(groups.size(), kGroups);

    Table t;
    t.setDatabaseName(tmp.path());
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    const QSet<QString> vatKinds = {QStringLiteral("23"), QStringLiteral("8"), QStringLiteral("5"),
                                    QStringLiteral("zw")};
    QSet<QString> vatSeen;
    int invoices = 0;
    for (t.first(); !t.eof(); t.next()) {
        const auto f = [&](const char* name) -> Field& { return t.fieldByName(QString::fromLatin1(name)); };
        const QString where = QStringLiteral("line %1").arg(f("Numer").asInteger());
        const double price = f("CenaNetto").asFloat();
        const double qty = f("Ilosc").asFloat();
        const double net = f("WartoscNetto").asFloat();
        const QString vatTyp = f("VatTyp").asString();
        QVERIFY2(vatKinds.contains(vatTyp), qPrintable(where));
        vatSeen.insert(vatTyp);
        QVERIFY2(price > 0 && qty > 0, qPrintable(where));
        QCOMPARE(net, roundedMoney(price * qty));
        QCOMPARE(f("Vat").asFloat(), vatRate(vatTyp));
        QCOMPARE(f("WartoscVat").asFloat(), roundedMoney(roundedMoney(f("Vat").asFloat() * net)));
        QCOMPARE(f("WartoscBrutto").asFloat(), net + f("WartoscVat").asFloat());
        QCOMPARE(f("CenaBrutto").optFloat(), grossPrice(price, vatTyp));

        const QDate day = f("DataZakupu").asDate();
        QVERIFY2(day >= firstPurchaseDay() && day <= lastPurchaseDay(), qPrintable(where));
        QCOMPARE(f("DataZakupuString").asString(), formatDayMonth(day));

        const bool invoice = f("CzyBylaFaktura").asBoolean();
        invoices += invoice ? 1 : 0;
        QCOMPARE(f("Par9").asString(), invoice ? QStringLiteral("Tak") : QStringLiteral("Nie"));
        const std::optional<double> ref = f("CenaReferencyjna").optFloat();
        const QString sign = !ref || *ref < price ? QStringLiteral("-")
                                                  : (*ref > price ? QStringLiteral("+") : QStringLiteral("0"));
        QCOMPARE(f("JakaCenaRef").asString(), sign);

        const int supplier = f("NumerDostawcy").asInteger();
        QVERIFY2(suppliers.contains(supplier), qPrintable(where));
        QCOMPARE(f("Dostawca").asString(), suppliers[supplier].name);
        QCOMPARE(f("SymbolDostawcy").asString(), suppliers[supplier].symbol);
        const int group = f("NumerGrupy").asInteger();
        QCOMPARE(f("Grupa").asString(), groups.value(group));
        QVERIFY2(group == supplierGroup(supplier, 0) || group == supplierGroup(supplier, 1) ||
                     group == supplierGroup(supplier, 2),
                 qPrintable(where));
        QCOMPARE(f("RestauracjaNumer").asInteger(), 1);
        QCOMPARE(f("RestauracjaSymbol").asString(), QStringLiteral("LIPY"));
        QCOMPARE(f("UpustProc").asFloat(), 0.0);
    }
    // Every VAT designation occurs, and invoices are the rule, not the exception.
    QCOMPARE(vatSeen, vatKinds);
    QVERIFY(invoices > 3000 * 8 / 10 && invoices < 3000);
}

void TestGenData::seedDecidesTheData()
{
    QTemporaryDir a, b, c;
    QVERIFY(a.isValid() && b.isValid() && c.isValid());
    for (auto [dir, seed] : {std::pair{a.path(), 5ULL}, std::pair{b.path(), 5ULL}, std::pair{c.path(), 6ULL}}) {
        GenOptions opt;
        opt.directory = dir;
        opt.lines = 500;
        opt.seed = seed;
        generateData(opt);
    }
    for (const QString& file :
         {QStringLiteral("Towary.DB"), QStringLiteral("Dostawcy.db"), QStringLiteral("TowaryPodstawowe.db")}) {
        QCOMPARE(contentDigest(tablePath(a.path(), file)), contentDigest(tablePath(b.path(), file)));
        QVERIFY2(contentDigest(tablePath(a.path(), file)) != contentDigest(tablePath(c.path(), file)),
                 qPrintable(file));
    }
}

void TestGenData::existingFilesNeedReplace()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    GenOptions opt;
    opt.directory = tmp.path();
    opt.lines = 50;
    generateData(opt);

    opt.lines = 70;
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, generateData(opt));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Towary.DB")), qint64(50));

    opt.replace = true;
    generateData(opt);
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Towary.DB")), qint64(70));
    QCOMPARE(countThroughStore(tmp.path(), QStringLiteral("Dostawcy.db")), qint64(kSuppliers));
}

void TestGenData::purchaseViewMatchesPlainSql_data()
{
    QTest::addColumn<bool>("oneSupplier");
    QTest::newRow("one supplier") << true;
    QTest::newRow("all suppliers") << false;
}

// The benchmarks' view (master link, filter callback and pre-filter) must select
// exactly the rows plain SQL selects, or their comparisons mean nothing.
void TestGenData::purchaseViewMatchesPlainSql()
{
    QFETCH(bool, oneSupplier);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    GenOptions opt;
    opt.directory = tmp.path();
    opt.lines = 20000;
    generateData(opt);

    // A whole year, so even one supplier has lines in this small register.
    const QDate from(2026, 1, 1);
    const QDate to = benchMonthEnd();
    PurchaseView v(tmp.path());
    v.setPeriod(from, to);
    v.linkToSuppliers(oneSupplier);
    if (oneSupplier)
        v.openSuppliersAt(kBenchSupplier);
    v.lines.open();
    QList<qint64> engineIds;
    for (v.lines.first(); !v.lines.eof(); v.lines.next())
        engineIds << v.lines.fieldByName(QStringLiteral("Numer")).asInteger();

    SqliteDb db(tablePath(tmp.path(), QStringLiteral("Towary.DB")), SQLITE_OPEN_READONLY);
    SqliteStmt st(
        db,
        "SELECT \"Numer\" FROM " + sqlTableName(db) + " WHERE " +
            (oneSupplier ? "\"NumerDostawcy\" = " + std::to_string(kBenchSupplier) + " AND " : std::string()) +
            "\"DataZakupu\" BETWEEN ? AND ? ORDER BY \"Symbol\", \"Numer\"");
    st.bind(1, from);
    st.bind(2, to);
    QList<qint64> sqlIds;
    while (st.step())
        sqlIds << st.columnInt(0);
    QVERIFY(!sqlIds.isEmpty());
    QCOMPARE(engineIds, sqlIds);
}

QTEST_GUILESS_MAIN(TestGenData)
#include "tst_gen_data.moc"
