// Importing KSeF invoices into the purchase lines: what is stored in Towary.DB, the
// invoice register and the mappings, and that a refused file changes nothing.
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "platform/Messages.h"
#include "work/KsefScene.h"

#include <QtTest>

using namespace jadl;
using jadl::ksef::test::dataPath;
using namespace jadl::test;

class TstKsefImport : public QObject, protected KsefScene {
    Q_OBJECT
private Q_SLOTS:
    void init() { setUpScene(); }
    void cleanup() { tearDownScene(); }
    void recordsTheInvoiceToTheGrosz_data();
    void recordsTheInvoiceToTheGrosz();
    void remembersTheGoodsOfASeller();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void unknownSellerBecomesASupplier();
};

void TstKsefImport::recordsTheInvoiceToTheGrosz_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("purchaseDate"); // P_6, else the period's end, else P_1
    QTest::newRow("typical") << "typical.xml"
                             << "2026-02-27";
    QTest::newRow("priced gross, a period") << "gross.xml"
                                            << "2026-03-06";
    QTest::newRow("every rate, supply dates per line") << "rates.xml"
                                                       << "";
    QTest::newRow("rounding on the largest line") << "rounding.xml"
                                                  << "2026-03-05";
    QTest::newRow("FA(2)") << "fa2.xml"
                           << "2026-01-20";
    QTest::newRow("correction: after minus before") << "kor.xml"
                                                    << "";
}
void TstKsefImport::recordsTheInvoiceToTheGrosz()
{
    QFETCH(QString, file);
    QFETCH(QString, purchaseDate);
    auto& t = own_->tables();
    const ksef::Invoice probe = ksef::readKsefInvoice(dataPath(file));
    const int supplier = addSupplier(probe.seller.nip.left(3) + QLatin1Char('-') + probe.seller.nip.mid(3));
    ksefimport::Draft d = ksefimport::prepare(dataPath(file), t);
    QCOMPARE(d.supplier, std::optional<int>(supplier)); // found by the NIP's digits
    chooseGoods(d);
    const int reg = ksefimport::record(t, d);

    const QString towary = QDir(data()).filePath(QStringLiteral("Towary.DB"));
    const auto lines = rows(
        towary,
        "SELECT VatTyp, sum(round(WartoscNetto*100)), sum(round(WartoscVat*100)), count(*), "
        "min(DataZakupu), max(DataZakupu), min(CASE WHEN CzyBylaFaktura THEN 1 ELSE 0 END), min(Par9), min(Par8), "
        "min(Par10), min(NumerDostawcy), min(RestauracjaSymbol) FROM Towary GROUP BY VatTyp");
    // Per total of the invoice (P_13_x/P_14_x, which may cover several designations, and
    // a designation may fall into two), the stored lines add up to it in grosze.
    QMap<QString, std::pair<qint64, qint64>> stored;
    int count = 0;
    for (const QVariantList& r : lines) {
        stored[r[0].toString()] = {qint64(r[1].toDouble()), qint64(r[2].toDouble())};
        count += r[3].toInt();
        if (!purchaseDate.isEmpty()) {
            QCOMPARE(r[4].toString(), purchaseDate);
            QCOMPARE(r[5].toString(), purchaseDate);
        }
        QCOMPARE(r[6].toDouble(), 1.0);
        QCOMPARE(r[7].toString(), QStringLiteral("Tak"));
        QCOMPARE(int(r[8].toDouble()), reg);
        QCOMPARE(r[9].toString(), d.invoice.number.left(50));
        QCOMPARE(int(r[10].toDouble()), supplier);
        QCOMPARE(r[11].toString(), QStringLiteral("LIPY"));
    }
    QMap<QString, QSet<int>> checksOf; // designation -> totals it falls into
    for (size_t c = 0; c < d.plan.checks.size(); ++c)
        for (const auto& l : d.plan.lines)
            if (l.fields == d.plan.checks[c].fields)
                checksOf[l.vatTyp].insert(int(c));
    qint64 allNet = 0, allVat = 0, storedNet = 0, storedVat = 0;
    for (const auto& [net, vat] : stored) {
        storedNet += net;
        storedVat += vat;
    }
    for (size_t c = 0; c < d.plan.checks.size(); ++c) {
        const auto& check = d.plan.checks[c];
        allNet += check.invoiceNet;
        allVat += check.invoiceVat;
        qint64 net = 0, vat = 0;
        bool alone = true;
        for (auto it = checksOf.cbegin(); it != checksOf.cend(); ++it)
            if (it->contains(int(c))) {
                alone = alone && it->size() == 1;
                net += stored[it.key()].first;
                vat += stored[it.key()].second;
            }
        if (alone) {
            QCOMPARE(net, check.invoiceNet);
            QCOMPARE(vat, check.invoiceVat);
        }
    }
    QCOMPARE(storedNet, allNet);
    QCOMPARE(storedVat, allVat);
    QCOMPARE(count, int(d.plan.lines.size()));
    const auto regRows = rows(QDir(data()).filePath(QStringLiteral("FakturyKSeF.db")),
                              "SELECT NipSprzedawcy, NumerFaktury, Sha256, IloscPozycji FROM FakturyKSeF");
    QCOMPARE(regRows.size(), 1);
    QCOMPARE(regRows[0][0].toString(), d.sellerNip);
    QCOMPARE(regRows[0][1].toString(), d.invoice.number);
    QCOMPARE(regRows[0][2].toString(), ksef::fileSha256(dataPath(file)));
    // Each VAT designation of the lines is in the VAT rates table now.
    const auto rates = rows(QDir(data()).filePath(QStringLiteral("StawkiVat.db")),
                            "SELECT VatOznaczenie FROM StawkiVat");
    for (const auto& r : lines)
        QVERIFY2(rates.contains(QVariantList{r[0]}), qPrintable(r[0].toString()));

    // The same invoice again, even from another file: refused by name, nothing changes.
    const auto before = snapshot(data());
    QTemporaryDir other;
    QFile::copy(dataPath(file), other.filePath(QStringLiteral("kopia.xml")));
    try {
        ksefimport::prepare(other.filePath(QStringLiteral("kopia.xml")), t);
        QFAIL("a second import was let through");
    } catch (const ksef::InvoiceError& e) {
        QVERIFY2(e.message().contains(d.invoice.number) && e.message().contains(QStringLiteral("już zaimportowana")),
                 qPrintable(e.message()));
    }
    QCOMPARE(snapshot(data()), before);
}
void TstKsefImport::remembersTheGoodsOfASeller()
{
    auto& t = own_->tables();
    addSupplier(ksef::readKsefInvoice(dataPath(QStringLiteral("typical.xml"))).seller.nip);
    ksefimport::Draft first = ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t);
    QVERIFY(std::none_of(first.mapped.begin(), first.mapped.end(), [](bool m) { return m; }));
    chooseGoods(first);
    ksefimport::record(t, first);

    // The seller's next invoice (another number) finds every line's good as chosen.
    QFile in(dataPath(QStringLiteral("typical.xml")));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray xml = in.readAll();
    xml.replace("FV/2026/03/0147", "FV/2026/03/0199");
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("next.xml")));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(xml) == xml.size());
    out.close();
    const ksefimport::Draft next = ksefimport::prepare(out.fileName(), t);
    QCOMPARE(next.goods, first.goods);
    QVERIFY(std::all_of(next.mapped.begin(), next.mapped.end(), [](bool m) { return m; }));
}
void TstKsefImport::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("says");
    QTest::newRow("not XML") << "not-xml.xml"
                             << "not-xml.xml";
    QTest::newRow("another namespace") << "wrong-namespace.xml"
                                       << "wrong-namespace.xml";
    QTest::newRow("missing P_2") << "missing-p2.xml"
                                 << "P_2";
    QTest::newRow("number that does not parse") << "bad-number.xml"
                                                << "bad-number.xml";
    QTest::newRow("rate not in the list") << "unknown-rate.xml"
                                          << "P_12";
    QTest::newRow("DOCTYPE") << "doctype.xml"
                             << "doctype.xml";
    QTest::newRow("EUR without a rate") << "eur.xml"
                                        << "nie podaje kursu waluty";
    QTest::newRow("no good chosen") << "typical.xml"
                                    << "towaru podstawowego";
}
void TstKsefImport::refusedFilesChangeNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, says);
    addSupplier(QStringLiteral("5261040828"));
    const auto before = snapshot(data());
    try {
        ksefimport::Draft d = ksefimport::prepare(dataPath(file), own_->tables());
        ksefimport::record(own_->tables(), d); // goods left unchosen
        QFAIL("the file was recorded");
    } catch (const ksef::InvoiceError& e) {
        QVERIFY2(e.message().contains(says), qPrintable(e.message()));
    }
    QCOMPARE(snapshot(data()), before);
}
void TstKsefImport::unknownSellerBecomesASupplier()
{
    auto& t = own_->tables();
    ksefimport::Draft d = ksefimport::prepare(dataPath(QStringLiteral("gross.xml")), t);
    QVERIFY(!d.supplier);
    const QString symbol = ksef::proposeSupplierSymbol(d.invoice.seller.name);
    QVERIFY(!symbol.isEmpty());
    d.supplier = ksefimport::addSupplier(t, d.invoice.seller, symbol);
    QCOMPARE(ksefimport::supplierByNip(t.suppliers, d.sellerNip), d.supplier);
    chooseGoods(d);
    ksefimport::record(t, d);
    const auto s = rows(QDir(data()).filePath(QStringLiteral("Dostawcy.db")),
                        "SELECT Symbol, Nazwa, Nip, NrKolejnyDostawcy FROM Dostawcy");
    QCOMPARE(s, (QList<QVariantList>{{symbol, d.invoice.seller.name.left(100), d.sellerNip, 1.0}}));
}

QTEST_MAIN(TstKsefImport)
#include "tst_ksefimport.moc"
