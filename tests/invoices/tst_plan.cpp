// The purchase lines planned from an invoice: their stored values to the grosz, how
// corrections turn into differences, and the check against the invoice's per-rate totals.
#include "InvoiceTestData.h"
#include "common/Money.h"
#include "invoices/KsefPlan.h"
#include "invoices/KsefReader.h"

#include <QtTest>

#include <bit>

using namespace jadl::ksef;
using jadl::ksef::test::dataPath;

namespace {

const PlannedLine* findLine(const Plan& plan, int invoiceLine)
{
    for (const PlannedLine& p : plan.lines) {
        if (p.invoiceLine == invoiceLine)
            return &p;
    }
    return nullptr;
}

Invoice fromFile(const char* name)
{
    return readKsefInvoice(dataPath(QString::fromUtf8(name)));
}

// An invoice written in code: lines at 23% given by net value (negative = a
// correction's before-state line of that value), with the stated P_13_1/P_14_1 and
// optionally an exempt total no line has.
Invoice atBasicRate(std::initializer_list<double> nets, std::optional<double> p13, std::optional<double> p14,
                    std::optional<double> exemptTotal = std::nullopt)
{
    Invoice inv;
    inv.fileName = QStringLiteral("w-kodzie.xml");
    inv.issueDate = QDate(2026, 3, 1);
    int n = 0;
    for (const double net : nets) {
        Line l;
        l.number = ++n;
        l.name = QStringLiteral("Towar %1").arg(n);
        l.netValue = std::abs(net);
        l.rate = QStringLiteral("23");
        l.beforeCorrection = net < 0;
        if (l.beforeCorrection)
            inv.kind = Kind::KOR;
        inv.lines.push_back(l);
    }
    inv.totals[std::size_t(TotalField::P13_1)].net = p13;
    inv.totals[std::size_t(TotalField::P13_1)].vat = p14;
    inv.totals[std::size_t(TotalField::P13_7)].net = exemptTotal;
    inv.grossTotal = p13.value_or(0) + p14.value_or(0) + exemptTotal.value_or(0);
    return inv;
}

QString statusWord(RateCheck::Status s)
{
    switch (s) {
    case RateCheck::Status::Equal:
        return QStringLiteral("equal");
    case RateCheck::Status::Adjusted:
        return QStringLiteral("adjusted");
    case RateCheck::Status::Mismatch:
        return QStringLiteral("mismatch");
    case RateCheck::Status::MissingTotal:
        return QStringLiteral("missing");
    case RateCheck::Status::TotalWithoutLines:
        return QStringLiteral("no lines");
    case RateCheck::Status::NotChecked:
        return QStringLiteral("not checked");
    }
    return {};
}

// "P_13_3 adjusted; P_13_1 equal"
QString checksSummary(const Plan& plan)
{
    QStringList parts;
    for (const RateCheck& c : plan.checks)
        parts << fieldSetName(c.fields) + QLatin1Char(' ') + statusWord(c.status);
    return parts.join(QStringLiteral("; "));
}

// "line 2: net 0, VAT -1" per adjustment, in grosze.
QString adjustmentsSummary(const Plan& plan)
{
    QStringList parts;
    for (const Adjustment& a : plan.adjustments)
        parts << QStringLiteral("line %1: net %2, VAT %3").arg(a.invoiceLine).arg(a.netGrosze).arg(a.vatGrosze);
    return parts.join(QStringLiteral("; "));
}

} // namespace

class TestPlan : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plannedValues_data();
    void plannedValues();
    void correctionDropsUnchangedPairs();
    void reconciliation_data();
    void reconciliation();
};

void TestPlan::plannedValues_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line"); // NrWierszaFa
    QTest::addColumn<double>("ilosc");
    QTest::addColumn<qint64>("cenaNetto"); // grosze from here on
    QTest::addColumn<qint64>("cenaBrutto");
    QTest::addColumn<qint64>("netto");
    QTest::addColumn<qint64>("vat");
    QTest::addColumn<qint64>("brutto");
    QTest::addColumn<QString>("vatTyp");
    QTest::addColumn<int>("vatPercent");
    QTest::addColumn<QDate>("dataZakupu");

    // Net-priced, P_6 2026-02-27 for every line.
    // 12 x 7.99 = 95.88; VAT 95.88 * 0.23 = 22.0524 -> 22.05; gross price 7.99 * 1.23 = 9.8277 -> 9.83.
    QTest::newRow("typical 23%") << "typical.xml" << 1 << 12.0 << 799LL << 983LL << 9588LL << 2205LL << 11793LL << "23"
                                 << 23 << QDate(2026, 2, 27);
    // 109.80 * 0.23 = 25.254 -> 25.25; 54.90 * 1.23 = 67.527 -> 67.53.
    QTest::newRow("typical 23% second") << "typical.xml" << 3 << 2.0 << 5490LL << 6753LL << 10980LL << 2525LL << 13505LL
                                        << "23" << 23 << QDate(2026, 2, 27);
    // 32.40 * 0.08 = 2.592 -> 2.59; 1.35 * 1.08 = 1.458 -> 1.46.
    QTest::newRow("typical 8%") << "typical.xml" << 4 << 24.0 << 135LL << 146LL << 3240LL << 259LL << 3499LL << "8" << 8
                                << QDate(2026, 2, 27);

    // Priced gross; no P_6, the period ends 2026-03-06. The gross value stands, its VAT comes
    // out first, the invoice's gross price is kept.
    // 19.47 gross: VAT inside 19.47 * 0.05 / 1.05 = 0.9271 -> 0.93, net 18.54; price 18.54 / 3 = 6.18.
    QTest::newRow("gross 5%") << "gross.xml" << 1 << 3.0 << 618LL << 649LL << 1854LL << 93LL << 1947LL << "5" << 5
                              << QDate(2026, 3, 6);
    // 79.90 gross: VAT inside 3.8048 -> 3.80, net 76.10, price 7.61. (VAT of the net, 3.805,
    // would round up to 3.81 and break P_14_3.)
    QTest::newRow("gross 5%, VAT inside")
        << "gross.xml" << 2 << 10.0 << 761LL << 799LL << 7610LL << 380LL << 7990LL << "5" << 5 << QDate(2026, 3, 6);
    // 17.98 gross: VAT inside 17.98 * 0.23 / 1.23 = 3.3621 -> 3.36, net 14.62, price 7.31.
    QTest::newRow("gross 23%") << "gross.xml" << 3 << 2.0 << 731LL << 899LL << 1462LL << 336LL << 1798LL << "23" << 23
                               << QDate(2026, 3, 6);

    // Each line's own P_6A date; no VAT on non-digit designations.
    QTest::newRow("4% taxi") << "rates.xml" << 6 << 1.0 << 6000LL << 6240LL << 6000LL << 240LL << 6240LL << "4" << 4
                             << QDate(2026, 3, 2);
    QTest::newRow("0 KR") << "rates.xml" << 8 << 1.0 << 8000LL << 8000LL << 8000LL << 0LL << 8000LL << "0k" << 0
                          << QDate(2026, 3, 3);
    QTest::newRow("0 WDT") << "rates.xml" << 9 << 1.0 << 9000LL << 9000LL << 9000LL << 0LL << 9000LL << "0e" << 0
                           << QDate(2026, 3, 3);
    QTest::newRow("oo") << "rates.xml" << 12 << 1.0 << 12000LL << 12000LL << 12000LL << 0LL << 12000LL << "oo" << 0
                        << QDate(2026, 3, 3);
    QTest::newRow("np II") << "rates.xml" << 14 << 1.0 << 14000LL << 14000LL << 14000LL << 0LL << 14000LL << "np" << 0
                           << QDate(2026, 3, 3);

    // The correction's before-state lines come back negative, prices stay; P_1 is the date.
    // 20 x 3.10 = 62.00, VAT 3.10, gross 65.10; gross price 3.10 * 1.05 = 3.255, a half: 3.26.
    QTest::newRow("correction before") << "kor.xml" << 1 << -20.0 << 310LL << 326LL << -6200LL << -310LL << -6510LL
                                       << "5" << 5 << QDate(2026, 3, 10);
    // 18 x 3.10 = 55.80, VAT 2.79, gross 58.59.
    QTest::newRow("correction after") << "kor.xml" << 2 << 18.0 << 310LL << 326LL << 5580LL << 279LL << 5859LL << "5"
                                      << 5 << QDate(2026, 3, 10);
    // 2.5 kg x 28.00 = 70.00, VAT 3.50; gross price 29.40.
    QTest::newRow("correction before, kg")
        << "kor.xml" << 5 << -2.5 << 2800LL << 2940LL << -7000LL << -350LL << -7350LL << "5" << 5 << QDate(2026, 3, 10);

    // FA(2): "0" with only P_13_6_2 on the invoice is intra-Community supply, "0e".
    QTest::newRow("FA(2) 0") << "fa2.xml" << 3 << 6.0 << 2500LL << 2500LL << 15000LL << 0LL << 15000LL << "0e" << 0
                             << QDate(2026, 1, 20);
    // 24.95 * 0.23 = 5.7385 -> 5.74; 4.99 * 1.23 = 6.1377 -> 6.14.
    QTest::newRow("FA(2) 23%") << "fa2.xml" << 2 << 5.0 << 499LL << 614LL << 2495LL << 574LL << 3069LL << "23" << 23
                               << QDate(2026, 1, 20);

    // 2.02 * 0.23 = 0.4646 -> 0.46; the three lines give 0.92 against P_14_1 0.93 (4.06 * 0.23),
    // and this, the largest line, takes the grosz: 0.47, gross 2.49. 1.01 * 1.23 = 1.2423 -> 1.24.
    QTest::newRow("rounding adjusted") << "rounding.xml" << 2 << 2.0 << 101LL << 124LL << 202LL << 47LL << 249LL << "23"
                                       << 23 << QDate(2026, 3, 5);
}

void TestPlan::plannedValues()
{
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(double, ilosc);
    QFETCH(qint64, cenaNetto);
    QFETCH(qint64, cenaBrutto);
    QFETCH(qint64, netto);
    QFETCH(qint64, vat);
    QFETCH(qint64, brutto);
    QFETCH(QString, vatTyp);
    QFETCH(int, vatPercent);
    QFETCH(QDate, dataZakupu);

    const Plan plan = planLines(readKsefInvoice(dataPath(file)));
    const PlannedLine* p = findLine(plan, line);
    QVERIFY(p);
    QCOMPARE(p->ilosc, ilosc);
    QCOMPARE(toGrosze(p->cenaNetto), cenaNetto);
    QCOMPARE(toGrosze(p->cenaBrutto), cenaBrutto);
    QCOMPARE(toGrosze(p->wartoscNetto), netto);
    QCOMPARE(toGrosze(p->wartoscVat), vat);
    QCOMPARE(toGrosze(p->wartoscBrutto), brutto);
    QCOMPARE(p->vatTyp, vatTyp);
    QCOMPARE(qRound(p->vat * 100), vatPercent);
    QCOMPARE(p->dataZakupu, dataZakupu);
    // Stored money values are exactly in the program's rounded form, bit for bit.
    for (const double v : {p->cenaBrutto, p->wartoscNetto, p->wartoscVat, p->wartoscBrutto})
        QCOMPARE(std::bit_cast<quint64>(jadl::roundedMoney(v)), std::bit_cast<quint64>(v));
}

void TestPlan::correctionDropsUnchangedPairs()
{
    // Lines 3 and 4 state the same cream before and after: nothing to record for them.
    const Plan plan = planLines(fromFile("kor.xml"));
    QCOMPARE(plan.droppedPairs, 1);
    QList<int> kept;
    for (const PlannedLine& p : plan.lines)
        kept << p.invoiceLine;
    QCOMPARE(kept, (QList<int>{1, 2, 5, 6}));
}

void TestPlan::reconciliation_data()
{
    QTest::addColumn<Invoice>("invoice");
    QTest::addColumn<QString>("checks");
    QTest::addColumn<QString>("adjustments");
    QTest::addColumn<bool>("recordable");
    QTest::addColumn<QString>("noteSays"); // empty: the plan has nothing to say

    QTest::newRow("typical: every rate adds up")
        << fromFile("typical.xml") << "P_13_1 equal; P_13_3 equal; P_13_2 equal"
        << "" << true << "";
    // Each rate's lines have a different net value, so a rate summed into the wrong total shows.
    QTest::newRow("every rate to its own total")
        << fromFile("rates.xml")
        << "P_13_1 equal; P_13_2 equal; P_13_3 equal; P_13_4 equal; P_13_6_1 equal; P_13_6_2 equal; "
           "P_13_6_3 equal; P_13_7 equal; P_13_10 equal; P_13_8 equal; P_13_9 equal"
        << "" << true << "";
    QTest::newRow("FA(2) totals") << fromFile("fa2.xml")
                                  << "P_13_3 equal; P_13_1 equal; P_13_6_1+P_13_6_2+P_13_6_3 equal; P_13_8+P_13_9 equal"
                                  << "" << true << "";
    QTest::newRow("correction: differences") << fromFile("kor.xml") << "P_13_3 equal"
                                             << "" << true << "Pominięte pary wierszy korekty";
    // The VAT inside each gross value, taken out line by line, adds up to the totals.
    QTest::newRow("gross: VAT from the gross value") << fromFile("gross.xml") << "P_13_3 equal; P_13_1 equal"
                                                     << "" << true << "";
    QTest::newRow("three lines, VAT of the sum") << fromFile("rounding.xml") << "P_13_1 adjusted"
                                                 << "line 2: net 0, VAT 1" << true << "(netto 0,00 zł, VAT 0,01 zł)";

    // Three lines of 1.02: 0.23 VAT each, 0.69 against 3.06 * 0.23 = 0.70; equal lines, the first takes it.
    QTest::newRow("tie: the first line") << atBasicRate({1.02, 1.02, 1.02}, 3.06, 0.70) << "P_13_1 adjusted"
                                         << "line 1: net 0, VAT 1" << true << "wiersza faktury 1";
    // Two lines, 0.46 of VAT: 2 grosze off is still rounding, 3 is not.
    QTest::newRow("as many grosze as lines") << atBasicRate({1.02, 1.02}, 2.04, 0.48) << "P_13_1 adjusted"
                                             << "line 1: net 0, VAT 2" << true << "wiersza faktury 1";
    QTest::newRow("one grosz more than lines") << atBasicRate({1.02, 1.02}, 2.04, 0.49) << "P_13_1 mismatch"
                                               << "" << false << "faktury nie można zapisać";
    QTest::newRow("net off by rounding") << atBasicRate({10.00, 20.00}, 30.01, 6.90) << "P_13_1 adjusted"
                                         << "line 2: net 1, VAT 0" << true << "wiersza faktury 2";
    QTest::newRow("net off by more") << atBasicRate({10.00, 20.00}, 31.00, 6.90) << "P_13_1 mismatch"
                                     << "" << false << "różnica większa niż zaokrąglenia";
    // Before 50.00 (-11.50 VAT) and after 20.00 (4.60): -6.90 against -6.91; the before-state line is larger.
    QTest::newRow("largest by absolute value") << atBasicRate({-50.00, 20.00}, -30.00, -6.91) << "P_13_1 adjusted"
                                               << "line 1: net 0, VAT -1" << true << "wiersza faktury 1";
    QTest::newRow("no total for the rate") << atBasicRate({10.00}, std::nullopt, std::nullopt) << "P_13_1 missing"
                                           << "" << true << "nie podaje sumy";
    QTest::newRow("a total without lines") << atBasicRate({10.00}, 10.00, 2.30, 5.00) << "P_13_1 equal; P_13_7 no lines"
                                           << "" << false << "żaden wiersz nie ma tej stawki";
}

void TestPlan::reconciliation()
{
    QFETCH(Invoice, invoice);
    QFETCH(QString, checks);
    QFETCH(QString, adjustments);
    QFETCH(bool, recordable);
    QFETCH(QString, noteSays);

    const Plan plan = planLines(invoice);
    QCOMPARE(checksSummary(plan), checks);
    QCOMPARE(adjustmentsSummary(plan), adjustments);
    QCOMPARE(plan.recordable(), recordable);
    const QString notes = plan.notes().join(QLatin1Char('\n'));
    if (noteSays.isEmpty())
        QVERIFY2(notes.isEmpty(), qPrintable(notes));
    else
        QVERIFY2(notes.contains(noteSays), qPrintable(notes));
    // After adjustment every rate that is not a mismatch adds up to the invoice exactly.
    for (const RateCheck& c : plan.checks) {
        if (c.status != RateCheck::Status::Equal && c.status != RateCheck::Status::Adjusted)
            continue;
        qint64 net = 0, vat = 0;
        for (const PlannedLine& p : plan.lines) {
            if (p.fields == c.fields) {
                net += toGrosze(p.wartoscNetto);
                vat += toGrosze(p.wartoscVat);
                QCOMPARE(toGrosze(p.wartoscBrutto), toGrosze(p.wartoscNetto) + toGrosze(p.wartoscVat));
            }
        }
        QCOMPARE(net, c.invoiceNet);
        QCOMPARE(vat, c.invoiceVat);
    }
}

QTEST_GUILESS_MAIN(TestPlan)
#include "tst_plan.moc"
