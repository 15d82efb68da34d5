// Every kind of purchase invoice a restaurant receives, from the Ministry's example
// set, other public samples and our own: what each records per VAT designation in
// PLN, or why it is refused; that the program's own recomputations leave the
// recorded values as they are; and what the window needs of discounts, units,
// names and value-only corrections.
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "work/KsefScene.h"
#include "work/SupplierTotals.h"

#include <QtTest>

using namespace jadl;
using jadl::ksef::test::dataPath;
using namespace jadl::test;

namespace {

const QString kRegisterOnly = QStringLiteral("rejestr");

} // namespace

class TstKsefSamples : public QObject, protected KsefScene {
    Q_OBJECT
private Q_SLOTS:
    void init() { setUpScene(); }
    void cleanup() { tearDownScene(); }
    void everySampleRecordsOrIsRefused_data();
    void everySampleRecordsOrIsRefused();
    void discountedLineKeepsItsInvoicePrices();
    void valueOnlyCorrectionProposesTheMostBoughtGood();

private:
    // Records the file as the window would with every good chosen; the draft.
    ksefimport::Draft recordAll(const QString& file);
    QList<QVariantList> towary(const char* sql) const
    {
        return rows(QDir(data()).filePath(QStringLiteral("Towary.DB")), sql);
    }
};

ksefimport::Draft TstKsefSamples::recordAll(const QString& file)
{
    auto& t = own_->tables();
    ksefimport::Draft d = ksefimport::prepare(dataPath(file), t);
    if (!d.supplier)
        d.supplier = ksefimport::addSupplier(t, d.invoice.seller, QStringLiteral("DOST"));
    ksefimport::proposeGoods(t, d);
    chooseGoods(d);
    ksefimport::record(t, d);
    return d;
}

void TstKsefSamples::everySampleRecordsOrIsRefused_data()
{
    // Per VAT designation "net/VAT" in grosze, as Towary.DB sums them; kRegisterOnly for an
    // invoice only registered; "!" and a part of the message for a refusal.
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    const QList<std::pair<const char*, const char*>> cases{
        {"mf/FA_3_Przyklad_01.xml", "23:166666/38333 5:95/5"},
        {"mf/FA_3_Przyklad_02.xml", "23:-16260/-3740"},
        {"mf/FA_3_Przyklad_03.xml", "23:-16260/-3740"},
        {"mf/FA_3_Przyklad_04.xml", "23:5226010/1201982"},
        {"mf/FA_3_Przyklad_05.xml", "!nie zmienia żadnej kwoty"},
        {"mf/FA_3_Przyklad_06.xml", "23:-4065041/-934959"},
        {"mf/FA_3_Przyklad_07.xml", "23:-4065041/-934959"},
        {"mf/FA_3_Przyklad_08.xml", "marża:1500000/0"},
        {"mf/FA_3_Przyklad_09.xml", "23:200000/46000 zw:30000/0"},
        {"mf/FA_3_Przyklad_10.xml", "rejestr"},
        {"mf/FA_3_Przyklad_11.xml", "rejestr"},
        {"mf/FA_3_Przyklad_12.xml", "rejestr"},
        {"mf/FA_3_Przyklad_13.xml", "rejestr"},
        {"mf/FA_3_Przyklad_14.xml", "23:450000/103500 8:30750000/2460000"},
        {"mf/FA_3_Przyklad_15.xml", "23:36585/8415"},
        {"mf/FA_3_Przyklad_16.xml", "23:36585/8415"},
        {"mf/FA_3_Przyklad_17.xml", "23:450000/103500 8:30750000/2460000"},
        {"mf/FA_3_Przyklad_18.xml", "8:0/0"},
        {"mf/FA_3_Przyklad_19.xml", "23:81300/18700 marża:200000/0"},
        {"mf/FA_3_Przyklad_20.xml", "23:6102678/1403616"},
        {"mf/FA_3_Przyklad_21.xml", "23:5986148/1376814"},
        {"mf/FA_3_Przyklad_22.xml", "!nie podaje kursu waluty"},
        {"mf/FA_3_Przyklad_23.xml", "!nie podaje kursu waluty"},
        {"mf/FA_3_Przyklad_24.xml", "23:4360/1003"},
        {"mf/FA_3_Przyklad_25.xml", "23:4360/1003"},
        {"mf/FA_3_Przyklad_26.xml", "5:3000/150"},
        {"other/FA2_MF_Przyklad_02_KOR.xml", "23:-16260/-3740"},
        {"other/FA2_MF_Przyklad_10_ZAL.xml", "rejestr"},
        {"other/FA2_MF_Przyklad_11_KOR_ZAL.xml", "rejestr"},
        {"other/FA2_MF_Przyklad_14_ROZ.xml", "23:450000/103500 8:30750000/2460000"},
        {"other/FA2_MF_Przyklad_15_UPR.xml", "23:36585/8415"},
        {"other/FA2_MF_Przyklad_18_KOR_ROZ.xml", "8:0/0"},
        {"other/FA2_MF_Przyklad_19_VAT_marza_brutto.xml", "23:81300/18700 marża:200000/0"},
        {"other/FA2_fop_KOR_P10_P11A_P11Vat.xml", "!nie zmienia żadnej kwoty"},
        {"other/FA2_fop_VAT_EUR_mixed_net_gross.xml", "!nie podaje kursu waluty"},
        {"other/FA3_fop_KOR_EUR_kurs.xml", "23:288/66"},
        {"other/FA3_fop_VAT_EUR_gross.xml", "23:43200/9936"},
        {"typical.xml", "23:23568/5420 5:6225/311 8:3240/259"},
        {"gross.xml", "23:1462/336 5:9464/473"},
        {"rounding.xml", "23:406/93"},
        {"fa2.xml", "0e:15000/0 23:2495/574 5:4200/210 np:8000/0"},
        {"kor.xml", "5:-1120/-56"},
        {"discount.xml", "23:1800233/414054 8:2500/200"},
        {"upr-multi.xml", "23:10000/2300 8:5000/400"},
        {"zal.xml", "rejestr"},
        {"zal-whole.xml", "23:100000/23000"},
        {"kor-totals.xml", "23:-1000/-230"},
        {"eur.xml", "!nie podaje kursu waluty"},
    };
    for (const auto& [file, expected] : cases)
        QTest::newRow(file) << QString::fromUtf8(file) << QString::fromUtf8(expected);
}

void TstKsefSamples::everySampleRecordsOrIsRefused()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const auto before = snapshot(data());
    ksefimport::Draft d;
    try {
        d = recordAll(file);
    } catch (const ksef::InvoiceError& e) {
        QVERIFY2(expected.startsWith(QLatin1Char('!')) && e.message().contains(expected.mid(1)),
                 qPrintable(e.message()));
        QCOMPARE(snapshot(data()), before);
        return;
    }
    QVERIFY2(!expected.startsWith(QLatin1Char('!')), "recorded, though it should be refused");
    QCOMPARE(rows(QDir(data()).filePath(QStringLiteral("FakturyKSeF.db")), "SELECT count(*) FROM FakturyKSeF"),
             (QList<QVariantList>{{1.0}}));
    QCOMPARE(rows(QDir(data()).filePath(QStringLiteral("PozycjeKSeF.db")), "SELECT count(*) FROM PozycjeKSeF"),
             (QList<QVariantList>{{double(d.plan.lines.size())}}));

    const char* perRate = "SELECT VatTyp, sum(round(WartoscNetto*100)), sum(round(WartoscVat*100)), count(*) "
                          "FROM Towary GROUP BY VatTyp ORDER BY VatTyp";
    const auto recorded = towary(perRate);
    QStringList got;
    for (const QVariantList& r : recorded)
        got << QStringLiteral("%1:%2/%3")
                   .arg(r[0].toString())
                   .arg(qint64(r[1].toDouble()))
                   .arg(qint64(r[2].toDouble()));
    QCOMPARE(got.isEmpty() ? kRegisterOnly : got.join(QLatin1Char(' ')), expected);

    // "Popraw Vat i Brutto" over every line and "Przelicz powtórnie" on each: the net
    // value of every line stays; VAT moves by no more than the rounding the import
    // spread over a rate (a grosz per line).
    const char* perLine = "SELECT Numer, round(WartoscNetto*100) FROM Towary ORDER BY Numer";
    const auto nets = towary(perLine);
    Table& lines = own_->tables().lines;
    lines.refresh();
    purchases::recomputeVisibleLines(lines, {});
    QCOMPARE(towary(perLine), nets);
    for (lines.first(); !lines.eof(); lines.next())
        purchases::recomputeCurrentLine(lines);
    QCOMPARE(towary(perLine), nets);
    const auto again = towary(perRate);
    QCOMPARE(again.size(), recorded.size());
    for (qsizetype i = 0; i < again.size(); ++i) {
        const double moved = std::abs(again[i][2].toDouble() - recorded[i][2].toDouble());
        QVERIFY2(moved <= recorded[i][3].toDouble(), qPrintable(recorded[i][0].toString()));
    }
}

void TstKsefSamples::discountedLineKeepsItsInvoicePrices()
{
    const ksefimport::Draft d = recordAll(QStringLiteral("discount.xml"));
    // Net price after the discount, the discount itself, the price that gives back a
    // value the invoice's rounded price does not, the unit the user left proposed.
    QCOMPARE(towary("SELECT CenaNetto, Upust, WartoscNetto, JednostkaMiary FROM Towary ORDER BY Numer"),
             (QList<QVariantList>{{900.0, 2000.0, 18000.0, QStringLiteral("szt")},
                                  {2.33 / 7, QVariant(), 2.33, QStringLiteral("op.")},
                                  {12.5, QVariant(), 25.0, QStringLiteral("szt")}}));
    // The register keeps the invoice's own prices beside it.
    QCOMPARE(rows(QDir(data()).filePath(QStringLiteral("PozycjeKSeF.db")),
                  "SELECT NrWiersza, CenaFaktury, Rabat, CenaNetto FROM PozycjeKSeF ORDER BY NrWiersza"),
             (QList<QVariantList>{
                 {1.0, 1000.0, 2000.0, 900.0}, {2.0, 0.33, QVariant(), 2.33 / 7}, {3.0, 12.5, QVariant(), 12.5}}));
    // The good made from the first line is priced after the discount; a long name is cut
    // at a word and says so.
    QCOMPARE(rows(QDir(data()).filePath(QStringLiteral("TowaryPodstawowe.db")),
                  "SELECT Nazwa, CenaNetto, JednostkaMiary FROM TowaryPodstawowe WHERE Symbol <> 'MLEKO'"),
             (QList<QVariantList>{{QStringLiteral("Ekspres do kawy kolbowy"), 900.0, QStringLiteral("szt")}}));
    const ksefimport::NewGood longOne = ksefimport::proposeNewGood(d.plan.lines[2], d.units[2]);
    QVERIFY2(longOne.name.size() <= ksefimport::kGoodNameLength && longOne.name.endsWith(QChar(0x2026)) &&
                 d.plan.lines[2].name.startsWith(longOne.name.chopped(1) + QLatin1Char(' ')),
             qPrintable(longOne.name));
    QCOMPARE(longOne.unit, QStringLiteral("szt"));
}

void TstKsefSamples::valueOnlyCorrectionProposesTheMostBoughtGood()
{
    // Two purchases from the seller, both of another good than the first one made.
    recordAll(QStringLiteral("typical.xml"));
    auto& t = own_->tables();
    ksefimport::Draft d = ksefimport::prepare(dataPath(QStringLiteral("kor-totals.xml")), t);
    ksefimport::proposeGoods(t, d);
    QCOMPARE(d.goods, (std::vector<std::optional<int>>{good_}));
    QCOMPARE(d.proposed, std::vector<bool>{true});
    QVERIFY2(d.plan.explanations.join(QLatin1Char(' ')).contains(QStringLiteral("najczęściej kupowany")),
             qPrintable(d.plan.explanations.join(QLatin1Char(' '))));
}

QTEST_MAIN(TstKsefSamples)
#include "tst_ksefsamples.moc"
