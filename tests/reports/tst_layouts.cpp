// The five report layouts over known data sets held in memory: what prints where,
// in which font, with which numbers, and what the windows may change before printing.
#include "reports/Dostawcy_Druk.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "store/TableDefs.h"

#include <QtTest>

#include <algorithm>

using namespace jadl;

namespace {

const QDate kRunDate(2026, 12, 6);

// A data set with a table's real field definitions, rows given by field name.
std::shared_ptr<MemoryReportData> dataOf(const TableDef& def, const QString& name, const QList<QVariantMap>& rows)
{
    auto data = std::make_shared<MemoryReportData>(name, def.fields);
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

QVariantMap line(const QString& dostawca, double ilosc, const QString& jm, bool faktura, double cenaNetto,
                 double wartoscNetto, const QString& vat, double cenaBrutto, double wartoscBrutto, QVariant cenaRef,
                 const QString& grupa, const QString& jaka, const QString& data, const QString& symbol)
{
    return {{QStringLiteral("Dostawca"), dostawca},
            {QStringLiteral("Ilosc"), ilosc},
            {QStringLiteral("JednostkaMiary"), jm},
            {QStringLiteral("CzyBylaFaktura"), faktura},
            {QStringLiteral("CenaNetto"), cenaNetto},
            {QStringLiteral("WartoscNetto"), wartoscNetto},
            {QStringLiteral("VatTyp"), vat},
            {QStringLiteral("CenaBrutto"), cenaBrutto},
            {QStringLiteral("WartoscBrutto"), wartoscBrutto},
            {QStringLiteral("CenaReferencyjna"), cenaRef},
            {QStringLiteral("Grupa"), grupa},
            {QStringLiteral("JakaCenaRef"), jaka},
            {QStringLiteral("DataZakupuString"), data},
            {QStringLiteral("Symbol"), symbol},
            {QStringLiteral("RestauracjaSymbol"), QStringLiteral("BAR")}};
}

QList<QVariantMap> threeLines()
{
    return {
        line(QStringLiteral("HURTOWNIA"), 2, QStringLiteral("kg"), true, 10.7, 21.4, QStringLiteral("7"), 11.45, 22.9,
             10.0, QStringLiteral("MIĘSO"), QStringLiteral("+"), QStringLiteral("1 marca"), QStringLiteral("SCHAB")),
        line(QStringLiteral("HURTOWNIA"), 1.5, QStringLiteral("litr"), false, 3.1, 4.65, QStringLiteral("zw"), 3.1,
             4.65, QVariant(), QStringLiteral("NABIAŁ"), QStringLiteral("0"), QStringLiteral("2 marca"),
             QStringLiteral("MLEKO")),
        line(QStringLiteral("PIEKARNIA"), 10, QStringLiteral("szt."), true, 0.85, 8.5, QStringLiteral("5"), 0.89, 8.93,
             0.9, QStringLiteral("PIECZYWO"), QStringLiteral("-"), QStringLiteral("15 marca"), QStringLiteral("BUŁKA")),
    };
}

QList<QVariantMap> manyLines(int n)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= n; ++i)
        rows.append(line(QStringLiteral("D%1").arg(i), 1, QStringLiteral("kg"), i % 2, 1.0, 1.01, QStringLiteral("8"),
                         1.08, 1.09, 1.0, QStringLiteral("G"), QStringLiteral("0"),
                         QStringLiteral("%1 marca").arg(i % 31 + 1), QStringLiteral("S%1").arg(i)));
    return rows;
}

std::shared_ptr<MemoryReportData> supplierLookup(const QString& symbol)
{
    return dataOf(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"), {{{QStringLiteral("Symbol"), symbol}}});
}

QStringList elementsLeftToRight(const ReportPage& page, double top, double bottom)
{
    std::vector<const PlacedText*> row;
    for (const PlacedText& t : page.texts)
        if (t.rect.top() >= top && t.rect.top() < bottom)
            row.push_back(&t);
    std::sort(row.begin(), row.end(), [](auto* a, auto* b) { return a->rect.left() < b->rect.left(); });
    QStringList out;
    for (const PlacedText* t : row)
        out.append(t->text);
    return out;
}

void checkPlaced(const ReportPage& page, const QString& element, double left, double top, double width)
{
    const PlacedText* t = page.firstTextOf(element);
    QVERIFY2(t, qPrintable(element));
    QVERIFY2(qAbs(t->rect.left() - left) < 1e-6, qPrintable(element + QStringLiteral(" left %1").arg(t->rect.left())));
    QVERIFY2(qAbs(t->rect.top() - top) < 1e-6, qPrintable(element + QStringLiteral(" top %1").arg(t->rect.top())));
    if (width > 0)
        QVERIFY2(qAbs(t->rect.width() - width) < 1e-6, qPrintable(element + QStringLiteral(" width")));
}

bool hasVerticalRuleAt(const ReportPage& page, double x, double yInside)
{
    for (const PlacedRule& r : page.rules)
        if (qAbs(r.line.x1() - x) < 1e-6 && qAbs(r.line.x2() - x) < 1e-6 && r.line.y1() <= yInside &&
            r.line.y2() >= yInside)
            return true;
    return false;
}

} // namespace

class TestReportLayouts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void purchasedGoodsHeader();
    void purchasedGoodsRows();
    void purchasedGoodsWindowSettings();
    void purchasedGoodsDetailFont_data();
    void purchasedGoodsDetailFont();
    void purchasedGoodsPages();
    void bareTable();
    void supplierValues();
    void supplierList();
    void catalogue();
    void emptyViewsPrintNothing();
    void widestValuesKeepEveryDigit_data();
    void widestValuesKeepEveryDigit();
    void elementsFoundByName();
};

void TestReportLayouts::purchasedGoodsHeader()
{
    TZakupioneTowaryDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), threeLines()));
    r.QuickRep1->setLookup(QStringLiteral("TableDostawcy"), supplierLookup(QStringLiteral("HURT")));
    r.QRLabelOkres->setCaption(QStringLiteral("Od 1.3.2024 do 15.3.2024"));
    r.QRLabelRestauracjaSymbol->setCaption(QStringLiteral("BAR POD RÓŻĄ"));
    const ReportPages pages = r.layoutPages(kRunDate);
    QCOMPARE(pages.pageCount(), 1);
    const ReportPage& p = pages.pages[0];

    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelTytul"))->text, QStringLiteral("Towary kupione  za okres"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelOkres"))->text, QStringLiteral("Od 1.3.2024 do 15.3.2024"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData1"))->text, QStringLiteral("Data:  6.12.2026"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData2"))->text, QStringLiteral("Strona : 1"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelRestauracjaSymbol"))->text, QStringLiteral("BAR POD RÓŻĄ"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextDostawcaInd"))->text, QStringLiteral("HURT"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelLinia1"))->text, QString(119, QLatin1Char('_')));
    // The disabled restaurant field never prints.
    QVERIFY(!p.firstTextOf(QStringLiteral("QRDBTextRestauracja")));

    // Positions from the band's corner plus the 10 mm margins.
    checkPlaced(p, QStringLiteral("QRLabelTytul"), 73.5, 11.3, 0);
    checkPlaced(p, QStringLiteral("QRLabelOkres"), 74.0, 15.0, 0);
    checkPlaced(p, QStringLiteral("QRSysData2"), 162.7, 17.1, 0);
    checkPlaced(p, QStringLiteral("QRDBTextDostawcaInd"), 27.2, 23.0, 74.1);
    checkPlaced(p, QStringLiteral("QRLabelNazwaTowaruSkrocona"), 170.3, 29.1, 29.1);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelTytul"))->font,
             (ReportFont{QStringLiteral("Times New Roman"), 10, true}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelOkres"))->font, (ReportFont{QStringLiteral("Times New Roman"), 8}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelLP"))->align, ReportAlign::Centre);

    // Column titles in their order across the page, each with its separator rule.
    QCOMPARE(elementsLeftToRight(p, 29.0, 29.2),
             (QStringList{QStringLiteral("Lp"), QStringLiteral("Dostawca"), QStringLiteral("Ilość"),
                          QStringLiteral("J.m."), QStringLiteral("Fakt."), QStringLiteral("C. Netto"),
                          QStringLiteral("W.Netto"), QStringLiteral("Vat"), QStringLiteral("C.Brutto"),
                          QStringLiteral("W.Brutto"), QStringLiteral("C.Refer."), QStringLiteral("Gr.Tow."),
                          QStringLiteral("Inf."), QStringLiteral("Data"), QStringLiteral("Nazwa towaru")}));
    QVERIFY(hasVerticalRuleAt(p, 10 + 7.1 + 18.5, 31.0));
    QVERIFY(hasVerticalRuleAt(p, 10 + 144.2 + 15.9, 31.0));
    // The header band is framed: its bottom edge at 10 + 24.1.
    bool bottom = false;
    for (const PlacedRule& rule : p.rules)
        bottom = bottom ||
            (qAbs(rule.line.y1() - 34.1) < 1e-6 && qAbs(rule.line.y2() - 34.1) < 1e-6 && rule.line.x1() == 10.0 &&
             rule.line.x2() == 200.0);
    QVERIFY(bottom);
}

void TestReportLayouts::purchasedGoodsRows()
{
    TZakupioneTowaryDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), threeLines()));
    const ReportPages pages = r.layoutPages(kRunDate);
    const ReportPage& p = pages.pages[0];

    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData3")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")),
             (QStringList{QStringLiteral("SCHAB"), QStringLiteral("MLEKO"), QStringLiteral("BUŁKA")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextIlosc")),
             (QStringList{QStringLiteral("2,00"), QStringLiteral("1,50"), QStringLiteral("10,00")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextFaktura")),
             (QStringList{QStringLiteral("Tak"), QStringLiteral("Nie"), QStringLiteral("Tak")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextCenaNetto")),
             (QStringList{QStringLiteral("10,70"), QStringLiteral("3,10"), QStringLiteral("0,85")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextCenaReferencyjna")),
             (QStringList{QStringLiteral("10,00"), QStringLiteral(""), QStringLiteral("0,90")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextVat")),
             (QStringList{QStringLiteral("7"), QStringLiteral("zw"), QStringLiteral("5")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextInformacja")),
             (QStringList{QStringLiteral("+"), QStringLiteral("0"), QStringLiteral("-")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextData")),
             (QStringList{QStringLiteral("1 marca"), QStringLiteral("2 marca"), QStringLiteral("15 marca")}));

    // The whole first row across the page, in column order.
    QCOMPARE(
        elementsLeftToRight(p, 34.1, 34.1 + 4.8),
        (QStringList{QStringLiteral("1"), QStringLiteral("HURTOWNIA"), QStringLiteral("2,00"), QStringLiteral("kg"),
                     QStringLiteral("Tak"), QStringLiteral("10,70"), QStringLiteral("21,40"), QStringLiteral("7"),
                     QStringLiteral("11,45"), QStringLiteral("22,90"), QStringLiteral("10,00"), QStringLiteral("MIĘSO"),
                     QStringLiteral("+"), QStringLiteral("1 marca"), QStringLiteral("SCHAB")}));
    // Second row 4.8 mm lower.
    const auto names = p.textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru"));
    QVERIFY(qAbs(names[1]->rect.top() - names[0]->rect.top() - 4.8) < 1e-9);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextIlosc"))->align, ReportAlign::Right);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextJednostkaMiary"))->align, ReportAlign::Centre);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextDostawca"))->align, ReportAlign::Left);

    // Sums of the stored values, with two decimals, under their columns.
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscNetto")), QStringList{QStringLiteral("34,55")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscBrutto")), QStringList{QStringLiteral("36,48")});
    const PlacedText* net = p.firstTextOf(QStringLiteral("QRExprWartoscNetto"));
    QCOMPARE(net->align, ReportAlign::Right);
    QVERIFY(qAbs(net->rect.right() - (10 + 53.7 + 21.2)) < 1e-9);
    QCOMPARE(net->font, (ReportFont{QStringLiteral("Times New Roman"), 8, true}));
    QVERIFY(qAbs(net->rect.top() - (34.1 + 3 * 4.8 + 0.3)) < 1e-9);
}

void TestReportLayouts::purchasedGoodsWindowSettings()
{
    TZakupioneTowaryDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), threeLines()));
    r.QuickRep1->setLookup(QStringLiteral("TableDostawcy"), supplierLookup(QStringLiteral("HURT")));
    // All-suppliers mode, no active restaurant.
    r.QRLabelDostawcaInd->setEnabled(false);
    r.QRDBTextDostawcaInd->setEnabled(false);
    r.QRLabelRestauracjaSymbol->setVisible(false);
    const ReportPage p = r.layoutPages(kRunDate).pages[0];
    QVERIFY(!p.firstTextOf(QStringLiteral("QRLabelDostawcaInd")));
    QVERIFY(!p.firstTextOf(QStringLiteral("QRDBTextDostawcaInd")));
    QVERIFY(!p.firstTextOf(QStringLiteral("QRLabelRestauracjaSymbol")));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelRestauracja"))->text, QStringLiteral("Restauracja:"));

    // The settings stay for the next printing until changed back.
    const ReportPage again = r.layoutPages(kRunDate).pages[0];
    QVERIFY(!again.firstTextOf(QStringLiteral("QRLabelDostawcaInd")));
    r.QRLabelDostawcaInd->setEnabled(true);
    r.QRDBTextDostawcaInd->setEnabled(true);
    QCOMPARE(r.layoutPages(kRunDate).textsOf(QStringLiteral("QRLabelDostawcaInd")),
             QStringList{QStringLiteral("Dostawca:")});
}

void TestReportLayouts::purchasedGoodsDetailFont_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("size");
    QTest::newRow("Normalna") << "Times New Roman" << 8.0;
    QTest::newRow("Mała") << "Small Fonts" << 7.0;
    QTest::newRow("Bardzo mała") << "Small Fonts" << 5.0;
}

void TestReportLayouts::purchasedGoodsDetailFont()
{
    QFETCH(QString, name);
    QFETCH(double, size);
    const ReportFont chosen{name, size};
    for (int layout = 0; layout < 2; ++layout) {
        TZakupioneTowaryDruk r0;
        TZakupioneTowaryDruk1 r1;
        ReportForm& form = layout == 0 ? static_cast<ReportForm&>(r0) : static_cast<ReportForm&>(r1);
        ReportBand* band = layout == 0 ? r0.QRBand2 : r1.QRBand2;
        form.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                                   dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), threeLines()));
        band->setFont(chosen);
        const ReportPage p = form.layoutPages(kRunDate).pages[0];
        for (const QString& e :
             {QStringLiteral("QRDBTextDostawca"), QStringLiteral("QRDBTextIlosc"),
              QStringLiteral("QRDBText1WartoscNetto"), QStringLiteral("QRDBTextSkroconaNazwaTowaru")})
            QCOMPARE(p.firstTextOf(e)->font, chosen);
        // These two keep their own fonts.
        QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextJednostkaMiary"))->font,
                 (ReportFont{QStringLiteral("Small Fonts"), 6}));
        QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextInformacja"))->font,
                 (ReportFont{QStringLiteral("Arial"), 10, true}));
        // Headers and sums are not the detail band.
        QCOMPARE(p.firstTextOf(QStringLiteral("QRExprWartoscNetto"))->font,
                 (ReportFont{QStringLiteral("Times New Roman"), 8, true}));
    }
}

void TestReportLayouts::purchasedGoodsPages()
{
    TZakupioneTowaryDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), manyLines(120)));
    const ReportPages pages = r.layoutPages(kRunDate);
    // (277 - 24.1) / 4.8: 52 lines under the header of each page.
    QCOMPARE(pages.pageCount(), 3);
    QCOMPARE(int(pages.pages[0].textsOf(QStringLiteral("QRSysData3")).size()), 52);
    QCOMPARE(int(pages.pages[2].textsOf(QStringLiteral("QRSysData3")).size()), 16);
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData2")),
             (QStringList{QStringLiteral("Strona : 1"), QStringLiteral("Strona : 2"), QStringLiteral("Strona : 3")}));
    QCOMPARE(pages.pages[1].firstTextOf(QStringLiteral("QRSysData3"))->text, QStringLiteral("53"));
    QCOMPARE(pages.pages[2].textsOf(QStringLiteral("QRSysData3")).back()->text, QStringLiteral("120"));
    QCOMPARE(pages.textsOf(QStringLiteral("QRLabelTytul")).size(), 3);
    // 120 * 1.01 and 120 * 1.09, summed as stored.
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscNetto")), QStringList{QStringLiteral("121,20")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscBrutto")), QStringList{QStringLiteral("130,80")});
}

void TestReportLayouts::bareTable()
{
    TZakupioneTowaryDruk1 r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), threeLines()));
    const ReportPages pages = r.layoutPages(kRunDate);
    const ReportPage& p = pages.pages[0];
    // No title, period, date, page number, restaurant, supplier or running number.
    for (const PlacedText& t : p.texts)
        QVERIFY2(!t.element.startsWith(QStringLiteral("QRSysData")) && t.element != QStringLiteral("QRLabelTytul") &&
                     t.element != QStringLiteral("QRLabelOkres"),
                 qPrintable(t.element));
    checkPlaced(p, QStringLiteral("QRLabelLinia1"), 10.0, 10.8, 0);
    checkPlaced(p, QStringLiteral("QRDBTextDostawca"), 10.0, 20.8, 24.6);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextDostawca"))->align, ReportAlign::Centre);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextGrupa"))->align, ReportAlign::Centre);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextFaktura"))->align, ReportAlign::Right);
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru"))->align, ReportAlign::Right);
    QCOMPARE(
        elementsLeftToRight(p, 20.8, 20.8 + 4.8),
        (QStringList{QStringLiteral("HURTOWNIA"), QStringLiteral("2,00"), QStringLiteral("kg"), QStringLiteral("Tak"),
                     QStringLiteral("10,70"), QStringLiteral("21,40"), QStringLiteral("7"), QStringLiteral("11,45"),
                     QStringLiteral("22,90"), QStringLiteral("10,00"), QStringLiteral("MIĘSO"), QStringLiteral("+"),
                     QStringLiteral("1 marca"), QStringLiteral("SCHAB")}));
    const PlacedText* net = p.firstTextOf(QStringLiteral("QRExprWartoscNetto"));
    QCOMPARE(net->text, QStringLiteral("34,55"));
    QVERIFY(qAbs(net->rect.left() - 65.0) < 1e-9);
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscBrutto")), QStringList{QStringLiteral("36,48")});
}

void TestReportLayouts::supplierValues()
{
    auto suppliers = dataOf(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"),
                            {
                                {{QStringLiteral("Symbol"), QStringLiteral("HURT")},
                                 {QStringLiteral("WartoscNettoSuma"), 100.0},
                                 {QStringLiteral("WartoscVatSuma"), 23.0},
                                 {QStringLiteral("WartoscBruttoSuma"), 123.0}},
                                {{QStringLiteral("Symbol"), QStringLiteral("PIEKARNIA")},
                                 {QStringLiteral("WartoscNettoSuma"), 10.05},
                                 {QStringLiteral("WartoscVatSuma"), 0.8},
                                 {QStringLiteral("WartoscBruttoSuma"), 10.85}},
                            });
    TWartoscKupionychTowarowDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableDostawcy"), suppliers);
    r.QRLabelOkres->setCaption(QStringLiteral("1 Kwiecień -- 30 Czerwiec 2024"));
    const ReportPages pages = r.layoutPages(kRunDate);
    QCOMPARE(pages.pageCount(), 1);
    const ReportPage& p = pages.pages[0];
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelTytul"))->text, QStringLiteral("Zakupy u dostawców za okres"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelOkres"))->text, QStringLiteral("1 Kwiecień -- 30 Czerwiec 2024"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData1"))->text, QStringLiteral("Data :  6.12.2026"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData2"))->text, QStringLiteral("Strona :1"));
    QCOMPARE(elementsLeftToRight(p, 27.2, 27.3),
             (QStringList{QStringLiteral("Lp"), QStringLiteral("Dostawca"), QStringLiteral("Wartość Netto"),
                          QStringLiteral("Wartość VAT"), QStringLiteral("Wartość Brutto")}));
    QCOMPARE(elementsLeftToRight(p, 32.2, 32.2 + 4.8),
             (QStringList{QStringLiteral("1"), QStringLiteral("HURT"), QStringLiteral("100,00"),
                          QStringLiteral("23,00"), QStringLiteral("123,00")}));
    QCOMPARE(elementsLeftToRight(p, 37.0, 37.0 + 4.8),
             (QStringList{QStringLiteral("2"), QStringLiteral("PIEKARNIA"), QStringLiteral("10,05"),
                          QStringLiteral("0,80"), QStringLiteral("10,85")}));
    QCOMPARE(elementsLeftToRight(p, 41.8, 41.8 + 5.6),
             (QStringList{QStringLiteral("110,05"), QStringLiteral("23,80"), QStringLiteral("133,85")}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData3"))->font, (ReportFont{QStringLiteral("Times New Roman"), 9}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRExprSumaWartoscVat"))->font,
             (ReportFont{QStringLiteral("Times New Roman"), 9, true}));
    QCOMPARE(r.QuickRep1->title(), QStringLiteral("WARTOŚĆ KUPIONYCH TOWARÓW U POSZCZEGÓLNYCH DOSTAWCÓW"));
}

void TestReportLayouts::supplierList()
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= 40; ++i)
        rows.append({{QStringLiteral("Symbol"), QStringLiteral("DOST%1").arg(i)},
                     {QStringLiteral("Adres"), QStringLiteral("ul. Polna %1").arg(i)},
                     {QStringLiteral("E_mail"), QStringLiteral("d%1@example.pl").arg(i)},
                     {QStringLiteral("Telefon"), QStringLiteral("600 000 %1").arg(i, 3, 10, QLatin1Char('0'))}});
    TDostawcyDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableDostawcy"),
                            dataOf(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"), rows));
    const ReportPages pages = r.layoutPages(kRunDate);
    // (277 - 22.2) / 7.1: 35 suppliers a page.
    QCOMPARE(pages.pageCount(), 2);
    QCOMPARE(int(pages.pages[0].textsOf(QStringLiteral("QRSysData3")).size()), 35);
    QCOMPARE(pages.pages[1].firstTextOf(QStringLiteral("QRSysData3"))->text, QStringLiteral("36"));
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData2")),
             (QStringList{QStringLiteral("Strona: 1"), QStringLiteral("Strona: 2")}));
    const ReportPage& p = pages.pages[0];
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelDostawcyFirmy"))->font,
             (ReportFont{QStringLiteral("Times New Roman"), 14, true}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData1"))->text, QStringLiteral("Data: 6.12.2026"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData1"))->font, (ReportFont{QStringLiteral("Arial"), 8}));
    checkPlaced(p, QStringLiteral("QRLabelDostawcyFirmy"), 78.3, 12.1, 0);
    checkPlaced(p, QStringLiteral("QRLabelTelefon"), 162.7, 26.4, 36.2);
    QCOMPARE(elementsLeftToRight(p, 32.2, 32.2 + 7.1),
             (QStringList{QStringLiteral("1"), QStringLiteral("DOST1"), QStringLiteral("ul. Polna 1"),
                          QStringLiteral("d1@example.pl"), QStringLiteral("600 000 001")}));
    // Every supplier is boxed: a rule along the bottom of each detail band.
    for (int i = 1; i <= 35; ++i) {
        const double y = 32.2 + i * 7.1;
        bool found = false;
        for (const PlacedRule& rule : p.rules)
            found = found ||
                (qAbs(rule.line.y1() - y) < 1e-6 && qAbs(rule.line.y2() - y) < 1e-6 && rule.line.x1() == 10.0);
        QVERIFY2(found, qPrintable(QString::number(i)));
    }
}

void TestReportLayouts::catalogue()
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= 3; ++i)
        rows.append({{QStringLiteral("NrKol"), i},
                     {QStringLiteral("Symbol"), QStringLiteral("TOWAR %1").arg(i)},
                     {QStringLiteral("NumerGrupy"), 7},
                     {QStringLiteral("Grupa"), QStringLiteral("NABIAŁ")}});
    TTowaryPodstawoweWgGrupDruk r;
    r.QuickRep1->setDataSet(QStringLiteral("TableTowaryPodstawowe"),
                            dataOf(tabledefs::towaryPodstawowe(), QStringLiteral("TableTowaryPodstawowe"), rows));
    const ReportPages pages = r.layoutPages(kRunDate);
    QCOMPARE(pages.pageCount(), 1);
    const ReportPage& p = pages.pages[0];
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabel1"))->text, QStringLiteral("TOWARY PODSTAWOWE"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData5"))->text, QStringLiteral("Strona: 1"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData4"))->text, QStringLiteral("Data: 6.12.2026"));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRSysData5"))->font, (ReportFont{QStringLiteral("Times New Roman"), 8}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelLinia1"))->text, QString(180, QLatin1Char('-')));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRLabelNrTow"))->font,
             (ReportFont{QStringLiteral("Times New Roman"), 8, true}));
    QCOMPARE(elementsLeftToRight(p, 17.4, 17.5),
             (QStringList{QStringLiteral("LP"), QStringLiteral("NR TOW."), QStringLiteral("NAZWA TOWARU PODSTAWOWEGO"),
                          QStringLiteral("NR GRUPY"), QStringLiteral("NAZWA GRUPY")}));
    QCOMPARE(elementsLeftToRight(p, 23.5, 23.5 + 5.0),
             (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("TOWAR 1"), QStringLiteral("7"),
                          QStringLiteral("NABIAŁ")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBSymbol")),
             (QStringList{QStringLiteral("TOWAR 1"), QStringLiteral("TOWAR 2"), QStringLiteral("TOWAR 3")}));
    QCOMPARE(p.firstTextOf(QStringLiteral("QRDBNrTowaruPodstawowego"))->align, ReportAlign::Right);
}

void TestReportLayouts::emptyViewsPrintNothing()
{
    TZakupioneTowaryDruk a;
    TZakupioneTowaryDruk1 b;
    TWartoscKupionychTowarowDruk c;
    TDostawcyDruk d;
    TTowaryPodstawoweWgGrupDruk e;
    a.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), {}));
    b.QuickRep1->setDataSet(QStringLiteral("TableTowary"),
                            dataOf(tabledefs::towary(), QStringLiteral("TableTowary"), {}));
    c.QuickRep1->setDataSet(QStringLiteral("TableDostawcy"),
                            dataOf(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"), {}));
    d.QuickRep1->setDataSet(QStringLiteral("TableDostawcy"),
                            dataOf(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"), {}));
    e.QuickRep1->setDataSet(QStringLiteral("TableTowaryPodstawowe"),
                            dataOf(tabledefs::towaryPodstawowe(), QStringLiteral("TableTowaryPodstawowe"), {}));
    QTemporaryDir dir;
    int n = 0;
    for (ReportForm* f : std::initializer_list<ReportForm*>{&a, &b, &c, &d, &e}) {
        QVERIFY(!f->QuickRep1->printIfEmpty());
        QVERIFY(f->layoutPages(kRunDate).isEmpty());
        const QString path = dir.filePath(QStringLiteral("r%1.pdf").arg(++n));
        QVERIFY(!f->exportPdf(path));
        QVERIFY(!QFile::exists(path));
    }
}

// Rows holding the widest values a register holds: 100-character names (every
// text field full), quantities of 99 999,999, money of 83 333 333 333,33 (twelve of them
// total 999 999 999 999,96, the largest sum a window shows).
std::shared_ptr<MemoryReportData> widest(const TableDef& def, const QString& name, int rows)
{
    auto data = std::make_shared<MemoryReportData>(name, def.fields);
    for (int r = 0; r < rows; ++r) {
        QVariantList values;
        for (const FieldDef& f : def.fields) {
            switch (f.type) {
            case FieldType::Text:
            case FieldType::Memo:
                values << QString(f.type == FieldType::Memo ? 100 : f.textSize(), QChar(u'Ż'));
                break;
            case FieldType::Float:
                values << (f.name.startsWith(QLatin1String("Ilosc")) ? 99999.999 : 83333333333.33);
                break;
            case FieldType::Integer:
            case FieldType::AutoInc:
                values << 9999999;
                break;
            case FieldType::Date:
            case FieldType::DateTime:
                values << QDate(2026, 12, 28);
                break;
            case FieldType::Logical:
                values << false;
                break;
            }
        }
        data->addRow(values);
    }
    return data;
}

void TestReportLayouts::widestValuesKeepEveryDigit_data()
{
    QTest::addColumn<QString>("layout");
    for (const char* l : {"ZakupioneTowaryDruk", "ZakupioneTowaryDruk1", "WartoscKupionychTowarowDruk", "DostawcyDruk",
                          "TowaryPodstawoweWgGrupDruk"})
        QTest::newRow(l) << QString::fromLatin1(l);
}

void TestReportLayouts::widestValuesKeepEveryDigit()
{
    QFETCH(QString, layout);
    std::unique_ptr<ReportForm> form;
    const TableDef* def = nullptr;
    QString set;
    if (layout == QLatin1String("ZakupioneTowaryDruk"))
        form = std::make_unique<TZakupioneTowaryDruk>();
    else if (layout == QLatin1String("ZakupioneTowaryDruk1"))
        form = std::make_unique<TZakupioneTowaryDruk1>();
    else if (layout == QLatin1String("WartoscKupionychTowarowDruk"))
        form = std::make_unique<TWartoscKupionychTowarowDruk>();
    else if (layout == QLatin1String("DostawcyDruk"))
        form = std::make_unique<TDostawcyDruk>();
    else
        form = std::make_unique<TTowaryPodstawoweWgGrupDruk>();
    if (layout.startsWith(QLatin1String("Zakupione"))) {
        def = &tabledefs::towary();
        set = QStringLiteral("TableTowary");
    } else if (layout == QLatin1String("TowaryPodstawoweWgGrupDruk")) {
        def = &tabledefs::towaryPodstawowe();
        set = QStringLiteral("TableTowaryPodstawowe");
    } else {
        def = &tabledefs::dostawcy();
        set = QStringLiteral("TableDostawcy");
    }
    // Ten lines make the totals wider still; the running numbers reach two digits.
    form->QuickRep1->setDataSet(set, widest(*def, set, 12));
    form->QuickRep1->setLookup(QStringLiteral("TableDostawcy"),
                               widest(tabledefs::dostawcy(), QStringLiteral("TableDostawcy"), 1));
    const ReportPages pages = form->layoutPages(kRunDate);
    QVERIFY(!pages.isEmpty());
    int numbers = 0;
    for (const ReportPage& page : pages.pages) {
        for (const PlacedText& t : page.texts) {
            const ReportElement* e = form->QuickRep1->element(t.element);
            QVERIFY(e);
            bool number = e->kind() == ReportElement::Kind::Expression;
            if (const auto* s = qobject_cast<const ReportSysData*>(e))
                number = s->data() != ReportSysData::Data::Date;
            if (const auto* f = qobject_cast<const ReportDBText*>(e)) {
                const FieldDef* fd = f->dataSet() == set ? def->field(f->dataField()) : nullptr;
                number = fd && (fd->type == FieldType::Float || fd->type == FieldType::Integer);
            }
            const double need = textWidthMm(t.text, t.font);
            if (number) {
                ++numbers;
                QVERIFY2(need <= t.rect.width() + 1e-6,
                         qPrintable(QStringLiteral("%1 \"%2\" needs %3 mm of %4")
                                        .arg(t.element, t.text)
                                        .arg(need)
                                        .arg(t.rect.width())));
            } else if (t.clip && need > t.rect.width()) {
                // A text that does not fit shows its start.
                QVERIFY2(t.align == ReportAlign::Left, qPrintable(t.element));
            }
        }
    }
    QVERIFY(numbers > 0);
}

void TestReportLayouts::elementsFoundByName()
{
    TZakupioneTowaryDruk r;
    QCOMPARE(r.objectName(), QStringLiteral("ZakupioneTowaryDruk"));
    QCOMPARE(r.QuickRep1->objectName(), QStringLiteral("QuickRep1"));
    QCOMPARE(r.QuickRep1->element(QStringLiteral("QRLabelOkres")), r.QRLabelOkres);
    QCOMPARE(r.findChild<ReportBand*>(QStringLiteral("QRBand2")), r.QRBand2);
    QCOMPARE(r.findChild<ReportLabel*>(QStringLiteral("QRLabelRestauracjaSymbol")), r.QRLabelRestauracjaSymbol);
    QCOMPARE(r.QuickRep1->pageSize(), QSizeF(210, 297));
    QCOMPARE(r.QuickRep1->margins(), QMarginsF(10, 10, 10, 10));
    TWartoscKupionychTowarowDruk w;
    QCOMPARE(w.findChild<ReportExpr*>(QStringLiteral("QRExprSumaWartoscNetto"))->expression(),
             QStringLiteral("SUM(TableDostawcy.WartoscNettoSuma)"));
    TDostawcyDruk d;
    TTowaryPodstawoweWgGrupDruk t;
    QCOMPARE(d.objectName(), QStringLiteral("DostawcyDruk"));
    QCOMPARE(t.objectName(), QStringLiteral("TowaryPodstawoweWgGrupDruk"));
}

QTEST_MAIN(TestReportLayouts)
#include "tst_layouts.moc"
