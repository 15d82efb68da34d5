// The rules of the import: P_12 to the program's VAT designation and the invoice total
// it belongs to, NIP digits, unit keys, proposed supplier symbols, file digests.
#include "InvoiceTestData.h"
#include "invoices/KsefRules.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace jadl::ksef;

class TestRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rateMapping_data();
    void rateMapping();
    void nipDigits_data();
    void nipDigits();
    void unitKey_data();
    void unitKey();
    void supplierSymbol_data();
    void supplierSymbol();
    void fileSha256();
};

void TestRules::rateMapping_data()
{
    // known = false: the schema does not list the value and the reader refuses it.
    QTest::addColumn<Schema>("schema");
    QTest::addColumn<QString>("p12");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("vatTyp");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("totals");

    const auto row = [](const char* name, Schema s, const char* p12, const char* typ, int percent, const char* totals) {
        QTest::newRow(name) << s << p12 << true << typ << percent << totals;
    };
    row("23", Schema::FA3, "23", "23", 23, "P_13_1");
    row("22", Schema::FA3, "22", "22", 22, "P_13_1");
    row("8", Schema::FA3, "8", "8", 8, "P_13_2");
    row("7", Schema::FA3, "7", "7", 7, "P_13_2");
    row("5", Schema::FA3, "5", "5", 5, "P_13_3");
    row("4 taxi", Schema::FA3, "4", "4", 4, "P_13_4");
    row("3 before 2011", Schema::FA3, "3", "3", 3, "P_13_3");
    row("0 KR", Schema::FA3, "0 KR", "0k", 0, "P_13_6_1");
    row("0 WDT", Schema::FA3, "0 WDT", "0e", 0, "P_13_6_2");
    row("0 EX", Schema::FA3, "0 EX", "0e", 0, "P_13_6_3");
    row("zw", Schema::FA3, "zw", "zw", 0, "P_13_7");
    row("oo", Schema::FA3, "oo", "oo", 0, "P_13_10");
    row("np I", Schema::FA3, "np I", "np", 0, "P_13_8");
    row("np II", Schema::FA3, "np II", "np", 0, "P_13_9");
    row("FA(2) 23", Schema::FA2, "23", "23", 23, "P_13_1");
    row("FA(2) 0", Schema::FA2, "0", "0k", 0, "P_13_6_1+P_13_6_2+P_13_6_3");
    row("FA(2) np", Schema::FA2, "np", "np", 0, "P_13_8+P_13_9");
    row("FA(2) zw", Schema::FA2, "zw", "zw", 0, "P_13_7");

    const auto unknown = [](const char* name, Schema s, const char* p12) {
        QTest::newRow(name) << s << p12 << false << QString() << 0 << QString();
    };
    unknown("FA(3) has no plain 0", Schema::FA3, "0");
    unknown("FA(3) has no plain np", Schema::FA3, "np");
    unknown("FA(2) has no 0 KR", Schema::FA2, "0 KR");
    unknown("FA(2) has no np I", Schema::FA2, "np I");
    unknown("9", Schema::FA3, "9");
    unknown("with a percent sign", Schema::FA3, "23%");
    unknown("upper-case ZW", Schema::FA3, "ZW");
    unknown("empty", Schema::FA3, "");
}

void TestRules::rateMapping()
{
    QFETCH(Schema, schema);
    QFETCH(QString, p12);
    QFETCH(bool, known);
    QFETCH(QString, vatTyp);
    QFETCH(int, percent);
    QFETCH(QString, totals);

    const std::optional<RateMapping> m = mapRate(schema, p12);
    QCOMPARE(m.has_value(), known);
    if (!known)
        return;
    QCOMPARE(m->vatTyp, vatTyp);
    QCOMPARE(qRound(m->vat * 100), percent);
    QCOMPARE(fieldSetName(m->fields), totals);
}

void TestRules::nipDigits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("digits");

    QTest::newRow("digits") << "5261040828"
                            << "5261040828";
    QTest::newRow("dashes") << "526-104-08-28"
                            << "5261040828";
    QTest::newRow("PL and blanks") << "PL 526 104 08 28"
                                   << "5261040828";
    QTest::newRow("lower-case pl") << "pl5261040828"
                                   << "5261040828";
    QTest::newRow("another country") << "DE123456789"
                                     << "";
    QTest::newRow("other characters") << "526/104/08/28"
                                      << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestRules::nipDigits()
{
    QFETCH(QString, text);
    QFETCH(QString, digits);
    QCOMPARE(jadl::ksef::nipDigits(text), digits);
}

void TestRules::unitKey_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("key");

    QTest::newRow("plain") << "szt"
                           << "szt";
    QTest::newRow("capital and dot") << "Szt."
                                     << "szt";
    QTest::newRow("upper case, blanks") << " SZT "
                                        << "szt";
    QTest::newRow("Polish letters") << "ŁYŻ."
                                    << "łyż";
    QTest::newRow("inner dot stays") << "op.  zb."
                                     << "op. zb";
    QTest::newRow("digits") << "m2"
                            << "m2";
}

void TestRules::unitKey()
{
    QFETCH(QString, unit);
    QFETCH(QString, key);
    QCOMPARE(jadl::ksef::unitKey(unit), key);
}

void TestRules::supplierSymbol_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("symbol");

    QTest::newRow("Sp. z o.o. and quotes") << "Mleczarnia „Łąka” Sp. z o.o."
                                           << "MLECZARNIA ŁĄKA";
    QTest::newRow("Spółka written out") << "Mleczarnia „Łąka” Spółka z ograniczoną odpowiedzialnością"
                                        << "MLECZARNIA ŁĄKA";
    QTest::newRow("S.A.") << "ABC S.A."
                          << "ABC";
    QTest::newRow("sp.j.") << "Bracia Nowak sp.j."
                           << "BRACIA NOWAK";
    QTest::newRow("Sp. z o. o. Sp. k.") << "Oliwka Sp. z o. o. Sp. k."
                                        << "OLIWKA";
    QTest::newRow("s.c. before the owners") << "Złoty Kłos s.c. Anna i Piotr Kowalscy"
                                            << "ZŁOTY KŁOS";
    QTest::newRow("words up to 15 characters") << "Market Pod Zegarem S.A."
                                               << "MARKET POD";
    QTest::newRow("a long first word is cut") << "Przedsiębiorstwo Wielobranżowe sp.j."
                                              << "PRZEDSIĘBIORSTW";
    QTest::newRow("hyphen kept") << "Coca-Cola HBC Polska sp. z o.o."
                                 << "COCA-COLA HBC";
    QTest::newRow("first word always kept") << "SA Trading"
                                            << "SA TRADING";
    QTest::newRow("no legal form") << "Jan Kowalski"
                                   << "JAN KOWALSKI";
}

void TestRules::supplierSymbol()
{
    QFETCH(QString, name);
    QFETCH(QString, symbol);
    const QString proposed = proposeSupplierSymbol(name);
    QCOMPARE(proposed, symbol);
    QVERIFY(proposed.size() <= kSupplierSymbolLength);
}

void TestRules::fileSha256()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("abc.xml")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("abc");
    f.close();
    // The FIPS 180-2 example digest of "abc".
    QCOMPARE(jadl::ksef::fileSha256(f.fileName()),
             QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    try {
        jadl::ksef::fileSha256(dir.filePath(QStringLiteral("brak.xml")));
        QFAIL("a missing file was hashed");
    } catch (const InvoiceError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("brak.xml")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
