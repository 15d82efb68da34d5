// Reading KSeF invoice files: what a good file yields, and what each kind of bad file
// is refused with.
#include "InvoiceTestData.h"
#include "invoices/KsefReader.h"

#include <QBuffer>
#include <QtTest>

using namespace jadl::ksef;
using jadl::ksef::test::dataPath;

namespace {

QStringList texts(std::initializer_list<const char*> parts)
{
    QStringList out;
    for (const char* p : parts)
        out << QString::fromUtf8(p);
    return out;
}

} // namespace

class TestReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goodFiles_data();
    void goodFiles();
    void typicalInvoiceFields();
    void badFiles_data();
    void badFiles();
    void largeInvoice();
};

void TestReader::goodFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Schema>("schema");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QDate>("supplyOrPeriodEnd"); // P_6, else OkresFa/P_6_Do; null when neither
    QTest::addColumn<QDate>("firstLineDate"); // P_6A of the first line

    QTest::newRow("typical") << "typical.xml" << Schema::FA3 << Kind::VAT << "FV/2026/03/0147" << 5
                             << QDate(2026, 2, 27) << QDate();
    QTest::newRow("gross, a period") << "gross.xml" << Schema::FA3 << Kind::VAT << "PAR/2026/0307/55" << 3
                                     << QDate(2026, 3, 6) << QDate();
    QTest::newRow("every rate, dates per line")
        << "rates.xml" << Schema::FA3 << Kind::VAT << "14/03/2026" << 14 << QDate() << QDate(2026, 3, 2);
    QTest::newRow("correction") << "kor.xml" << Schema::FA3 << Kind::KOR << "KOR/2026/03/0008" << 6 << QDate()
                                << QDate();
    QTest::newRow("FA(2), prefixed elements")
        << "fa2.xml" << Schema::FA2 << Kind::VAT << "DO/2026/0117" << 4 << QDate(2026, 1, 20) << QDate();
}

void TestReader::goodFiles()
{
    QFETCH(QString, file);
    QFETCH(Schema, schema);
    QFETCH(Kind, kind);
    QFETCH(QString, number);
    QFETCH(int, lines);
    QFETCH(QDate, supplyOrPeriodEnd);
    QFETCH(QDate, firstLineDate);

    const Invoice inv = readKsefInvoice(dataPath(file));
    QCOMPARE(inv.fileName, file);
    QCOMPARE(inv.schema, schema);
    QCOMPARE(inv.kind, kind);
    QCOMPARE(inv.number, number);
    QCOMPARE(int(inv.lines.size()), lines);
    QCOMPARE(inv.supplyDate ? *inv.supplyDate : inv.periodTo.value_or(QDate()), supplyOrPeriodEnd);
    QCOMPARE(inv.lines.front().supplyDate.value_or(QDate()), firstLineDate);
    // Lines keep the invoice's numbering and the order of the file.
    for (std::size_t i = 0; i < inv.lines.size(); ++i)
        QCOMPARE(inv.lines[i].number, int(i + 1));
}

void TestReader::typicalInvoiceFields()
{
    const Invoice inv = readKsefInvoice(dataPath(QStringLiteral("typical.xml")));
    QCOMPARE(inv.seller.nip, QStringLiteral("5261040828"));
    QCOMPARE(inv.seller.name, QStringLiteral("Hurtownia Spożywcza „Smakosz” Sp. z o.o."));
    QCOMPARE(inv.seller.addressLine1, QStringLiteral("ul. Kupiecka 12"));
    QCOMPARE(inv.seller.addressLine2, QStringLiteral("00-950 Warszawa"));
    QCOMPARE(inv.seller.countryCode, QStringLiteral("PL"));
    QCOMPARE(inv.buyerNip, QStringLiteral("7010012345"));
    QCOMPARE(inv.buyerName, QStringLiteral("Restauracja Pod Lipami Jan Nowak"));
    QCOMPARE(inv.currency, QStringLiteral("PLN"));
    QCOMPARE(inv.issueDate, QDate(2026, 3, 2));
    QCOMPARE(inv.total(TotalField::P13_1).net, std::optional<double>(235.68));
    QCOMPARE(inv.total(TotalField::P13_2).vat, std::optional<double>(2.59));
    QVERIFY(!inv.total(TotalField::P13_4).net);
    QCOMPARE(inv.grossTotal, 390.23);

    const Line& kawa = inv.lines[2];
    QCOMPARE(kawa.fileLine, 81);
    QCOMPARE(kawa.name, QStringLiteral("Kawa ziarnista 1 kg"));
    QCOMPARE(kawa.unit, QStringLiteral("op."));
    QCOMPARE(kawa.quantity, std::optional<double>(2));
    QCOMPARE(kawa.netPrice, std::optional<double>(54.90));
    QVERIFY(!kawa.grossPrice);
    QCOMPARE(kawa.netValue, std::optional<double>(109.80));
    QVERIFY(!kawa.grossValue);
    QCOMPARE(kawa.rate, QStringLiteral("23"));
    QVERIFY(!kawa.beforeCorrection);
}

void TestReader::badFiles_data()
{
    // Every message names the file; the rest are the parts that say what and where.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("mustSay");

    QTest::newRow("not XML") << "not-xml.xml" << texts({"nie jest poprawnym plikiem XML", "linii 1"});
    QTest::newRow("not well-formed") << "malformed.xml" << texts({"nie jest poprawnym plikiem XML", "linii 83"});
    QTest::newRow("another namespace") << "wrong-namespace.xml" << texts({"przestrzeni nazw", "2021/11/29/11089"});
    QTest::newRow("another form") << "other-form.xml" << texts({"linia 4", "KodFormularza", "\"FA_RR\""});
    QTest::newRow("DOCTYPE with an external entity") << "doctype.xml" << texts({"DOCTYPE"});
    QTest::newRow("no P_2") << "missing-p2.xml" << texts({"brak elementu P_2"});
    QTest::newRow("decimal comma on line 3")
        << "bad-number.xml" << texts({"wiersz faktury 3 (linia 81)", "element P_8B \"2,5\" nie jest liczbą"});
    QTest::newRow("unknown rate on line 4") << "unknown-rate.xml" << texts({"wiersz faktury 4", "P_12 \"9\""});
    QTest::newRow("no such file") << "brak.xml" << texts({"nie można go otworzyć"});
}

void TestReader::badFiles()
{
    QFETCH(QString, file);
    QFETCH(QStringList, mustSay);
    try {
        readKsefInvoice(dataPath(file));
        QFAIL("the file was read");
    } catch (const InvoiceError& e) {
        QVERIFY2(e.message().startsWith(QStringLiteral("Plik ") + file), qPrintable(e.message()));
        for (const QString& part : mustSay)
            QVERIFY2(e.message().contains(part), qPrintable(e.message()));
    }
}

void TestReader::largeInvoice()
{
    using namespace jadl::ksef::test;
    QByteArray xml = jadl::ksef::test::largeInvoice(10000);
    QBuffer good(&xml);
    QVERIFY(good.open(QIODevice::ReadOnly));
    const Invoice inv = readKsefInvoice(good, QStringLiteral("duza.xml"));
    QCOMPARE(int(inv.lines.size()), 10000);
    QCOMPARE(inv.lines.back().name, QStringLiteral("Towar numer 10000"));
    QCOMPARE(inv.lines.back().fileLine, kLargeHeaderLines + 9999 * kLargeLinesPerItem + 1);

    QByteArray faulty = jadl::ksef::test::largeInvoice(10000, 9731);
    QBuffer bad(&faulty);
    QVERIFY(bad.open(QIODevice::ReadOnly));
    try {
        readKsefInvoice(bad, QStringLiteral("duza.xml"));
        QFAIL("the faulty line was read");
    } catch (const InvoiceError& e) {
        const QString where = QStringLiteral("Plik duza.xml, wiersz faktury 9731 (linia %1): element P_11 \"12,50\"")
                                  .arg(kLargeHeaderLines + 9730 * kLargeLinesPerItem + 1);
        QVERIFY2(e.message().startsWith(where), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
