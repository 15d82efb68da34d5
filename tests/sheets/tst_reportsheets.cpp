// Reports saved as sheets: the five layouts' titles, columns and rows, the purchased
// goods report's cells and formats in both files, grosz-exact totals over 10,000
// lines, an empty report, and the preview's "Zapisz jako arkusz".
#include "SheetTestSupport.h"
#include "common/Formats.h"
#include "platform/Messages.h"
#include "reports/Dostawcy_Druk.h"
#include "reports/ReportPreview.h"
#include "reports/ReportSheet.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <functional>

using namespace jadl;
using namespace sheettest;

namespace {

const QString kTowary = QStringLiteral("TableTowary");
const QString kDostawcy = QStringLiteral("TableDostawcy");
const QString kSupplier = QStringLiteral("Hurtownia \"Pod Lipą\"; Sp. j.");
const QString kPolish = QStringLiteral("Żółć gęślą jaźń");

QList<Purchase> threePurchases()
{
    return {
        {kSupplier, 2.5, 10.7, 26.75, 28.89, 10.0, QDate(2024, 3, 1), QStringLiteral("1 marca"), kPolish,
         QStringLiteral("NABIAŁ"), true},
        // A return: the quantity and values are negative.
        {QStringLiteral("PIEKARNIA"), -2.5, 10.7, -26.75, -28.89, QVariant(), QDate(2024, 3, 2),
         QStringLiteral("2 marca"), QStringLiteral("BUŁKA"), QStringLiteral("PIECZYWO ŚWIEŻE"), false},
        {QString(150, QLatin1Char('D')), 99999.999, 0.01, 1000.0, 1080.0, 0.01, QVariant(), QStringLiteral("bez daty"),
         QStringLiteral("Chleb\nrazowy"), QStringLiteral("MIĘSO"), true},
    };
}

std::unique_ptr<TZakupioneTowaryDruk> purchasedGoods(std::shared_ptr<MemoryReportData> lines)
{
    auto r = std::make_unique<TZakupioneTowaryDruk>();
    r->QuickRep1->setDataSet(kTowary, std::move(lines));
    r->QuickRep1->setLookup(
        kDostawcy, dataOf(tabledefs::dostawcy(), kDostawcy, {{{QStringLiteral("Symbol"), QStringLiteral("HURT")}}}));
    r->QRLabelOkres->setCaption(QStringLiteral("Od 1.3.2024 do 15.3.2024"));
    r->QRLabelRestauracjaSymbol->setCaption(QStringLiteral("BAR POD RÓŻĄ"));
    return r;
}

// The five layouts over small data sets, with what their sheets must show.
struct LayoutCase {
    const char* name;
    std::function<std::unique_ptr<ReportForm>()> make;
    QStringList titleLines;
    QStringList columns;
    int rows;
    QStringList totalColumns; // where the summary's sums stand
};

const QStringList kPurchaseColumns{
    QStringLiteral("Dostawca"), QStringLiteral("Ilość"),       QStringLiteral("J.m."),    QStringLiteral("Fakt."),
    QStringLiteral("C. Netto"), QStringLiteral("W.Netto"),     QStringLiteral("Vat"),     QStringLiteral("C.Brutto"),
    QStringLiteral("W.Brutto"), QStringLiteral("C.Refer."),    QStringLiteral("Gr.Tow."), QStringLiteral("Inf."),
    QStringLiteral("Data"),     QStringLiteral("Nazwa towaru")};
const QStringList kPurchaseTotals{QStringLiteral("W.Netto"), QStringLiteral("W.Brutto")};

const std::vector<LayoutCase>& layoutCases()
{
    static const std::vector<LayoutCase> cases{
        {"purchased goods",
         [] { return purchasedGoods(purchases(threePurchases())); },
         {QStringLiteral("Towary kupione  za okres"), QStringLiteral("Data:  6.12.2026"),
          QStringLiteral("Od 1.3.2024 do 15.3.2024"), QStringLiteral("Restauracja: BAR POD RÓŻĄ"),
          QStringLiteral("Dostawca: HURT")},
         QStringList{QStringLiteral("Lp")} + kPurchaseColumns,
         3,
         kPurchaseTotals},
        {"purchased goods without a header",
         [] {
             auto r = std::make_unique<TZakupioneTowaryDruk1>();
             r->QuickRep1->setDataSet(kTowary, purchases(threePurchases() + threePurchases()));
             return r;
         },
         {},
         kPurchaseColumns,
         6,
         kPurchaseTotals},
        {"supplier values",
         [] {
             auto r = std::make_unique<TWartoscKupionychTowarowDruk>();
             auto row = [](const char* s, double n, double v) {
                 return QVariantMap{{QStringLiteral("Symbol"), QString::fromUtf8(s)},
                                    {QStringLiteral("WartoscNettoSuma"), n},
                                    {QStringLiteral("WartoscVatSuma"), v},
                                    {QStringLiteral("WartoscBruttoSuma"), n + v}};
             };
             r->QuickRep1->setDataSet(kDostawcy,
                                      dataOf(tabledefs::dostawcy(), kDostawcy,
                                             {row("ŁOSOŚ SP.", 100.1, 8.01), row("PIEKARNIA", 0.2, 0.02)}));
             r->QRLabelOkres->setCaption(QStringLiteral("Listopad 2026"));
             return r;
         },
         {QStringLiteral("Zakupy u dostawców za okres"), QStringLiteral("Data :  6.12.2026"),
          QStringLiteral("Listopad 2026")},
         {QStringLiteral("Lp"), QStringLiteral("Dostawca"), QStringLiteral("Wartość Netto"),
          QStringLiteral("Wartość VAT"), QStringLiteral("Wartość Brutto")},
         2,
         {QStringLiteral("Wartość Netto"), QStringLiteral("Wartość VAT"), QStringLiteral("Wartość Brutto")}},
        {"supplier list",
         [] {
             auto r = std::make_unique<TDostawcyDruk>();
             QList<QVariantMap> rows;
             for (int i = 1; i <= 4; ++i)
                 rows.append({{QStringLiteral("Symbol"), QStringLiteral("D%1").arg(i)},
                              {QStringLiteral("Adres"), QStringLiteral("Łódź, ul. Żeromskiego %1").arg(i)},
                              {QStringLiteral("E_mail"), QStringLiteral("d%1@example.pl").arg(i)},
                              {QStringLiteral("Telefon"), QStringLiteral("42 000 00 0%1").arg(i)}});
             r->QuickRep1->setDataSet(kDostawcy, dataOf(tabledefs::dostawcy(), kDostawcy, rows));
             return r;
         },
         {QStringLiteral("Dostawcy Firmy"), QStringLiteral("Data: 6.12.2026")},
         {QStringLiteral("Lp"), QStringLiteral("Symbol dostawcy"), QStringLiteral("Adres dostawcy"),
          QStringLiteral("E-mail"), QStringLiteral("Telefon")},
         4,
         {}},
        {"basic goods by group",
         [] {
             auto r = std::make_unique<TTowaryPodstawoweWgGrupDruk>();
             QList<QVariantMap> rows;
             for (int i = 1; i <= 5; ++i)
                 rows.append({{QStringLiteral("NrKol"), i},
                              {QStringLiteral("Symbol"), QStringLiteral("TOWAR %1").arg(i)},
                              {QStringLiteral("NumerGrupy"), 1 + i / 3},
                              {QStringLiteral("Grupa"), QStringLiteral("WARZYWA")}});
             r->QuickRep1->setDataSet(
                 QStringLiteral("TableTowaryPodstawowe"),
                 dataOf(tabledefs::towaryPodstawowe(), QStringLiteral("TableTowaryPodstawowe"), rows));
             return r;
         },
         {QStringLiteral("TOWARY PODSTAWOWE"), QStringLiteral("Data: 6.12.2026")},
         {QStringLiteral("LP"), QStringLiteral("NR TOW."), QStringLiteral("NAZWA TOWARU PODSTAWOWEGO"),
          QStringLiteral("NR GRUPY"), QStringLiteral("NAZWA GRUPY")},
         5,
         {}},
    };
    return cases;
}

// The totals as the report prints them, left to right.
QStringList printedTotals(const ReportForm& form, const ReportPages& pages)
{
    const ReportBand* summary = form.QuickRep1->band(ReportBand::Type::Summary);
    std::vector<const ReportElement*> sums;
    if (summary)
        for (const ReportElement* e : summary->elements())
            if (e->kind() == ReportElement::Kind::Expression)
                sums.push_back(e);
    std::sort(sums.begin(), sums.end(), [](auto* a, auto* b) { return a->left() < b->left(); });
    QStringList out;
    for (const ReportElement* e : sums)
        out.append(pages.textsOf(e->objectName()).last());
    return out;
}

struct Written {
    QJsonObject xlsx;
    QJsonObject csv;
    QByteArray csvBytes;
};

Written writeBoth(const SheetData& sheet, const QString& dir)
{
    const QString x = dir + QStringLiteral("/arkusz.xlsx");
    const QString c = dir + QStringLiteral("/arkusz.csv");
    writeSheet(sheet, {x, SheetFormat::Xlsx});
    writeSheet(sheet, {c, SheetFormat::Csv});
    QFile f(c);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return {readBack(x, SheetFormat::Xlsx), readBack(c, SheetFormat::Csv), f.readAll()};
}

QJsonObject xlsxCell(const QJsonObject& dump, int row, int col)
{
    return dump.value(QStringLiteral("rows")).toArray().at(row).toArray().at(col).toObject();
}

} // namespace

class TestReportSheets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void layouts_data();
    void layouts();
    void purchasedGoodsCells_data();
    void purchasedGoodsCells();
    void purchasedGoodsSheet();
    void totalsOver10000Lines_data();
    void totalsOver10000Lines();
    void emptyReport_data();
    void emptyReport();
    void previewSavesSheet_data();
    void previewSavesSheet();

private:
    // The purchased goods report of threePurchases(), written once over old files.
    QTemporaryDir dir_;
    std::unique_ptr<TZakupioneTowaryDruk> report_;
    ReportPages pages_;
    Written written_;
    int header_ = 0; // row of the column titles
    // 10,000 purchase lines, built once for both formats.
    struct ManyLines {
        qint64 grosze = 0;
        double drifting = 0.0; // the same amounts summed as doubles
        QString printed; // the report's own net total
        SheetData sheet;
    };
    std::optional<ManyLines> many_;
};

void TestReportSheets::initTestCase()
{
    report_ = purchasedGoods(purchases(threePurchases()));
    pages_ = report_->layoutPages(kRunDate);
    // Files of those names already exist: a sheet replaces them whole.
    for (const char* name : {"arkusz.xlsx", "arkusz.csv"}) {
        QFile old(dir_.filePath(QString::fromLatin1(name)));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    written_ = writeBoth(sheetFromReport(*report_->QuickRep1, kRunDate), dir_.path());
    QVERIFY2(!written_.xlsx.isEmpty() && !written_.csv.isEmpty(), "the files could not be read back");
    header_ = 5;
}

void TestReportSheets::layouts_data()
{
    QTest::addColumn<int>("layout");
    for (std::size_t i = 0; i < layoutCases().size(); ++i)
        QTest::newRow(layoutCases()[i].name) << int(i);
}

void TestReportSheets::layouts()
{
    QFETCH(int, layout);
    const LayoutCase& c = layoutCases()[std::size_t(layout)];
    const std::unique_ptr<ReportForm> form = c.make();
    const ReportPages pages = form->layoutPages(kRunDate);
    const QStringList totals = printedTotals(*form, pages);
    QTemporaryDir dir;
    const Written w = writeBoth(sheetFromReport(*form->QuickRep1, kRunDate), dir.path());

    for (const QJsonObject& dump : {w.xlsx, w.csv}) {
        const QList<QStringList> records = recordTexts(dump);
        const int titles = int(c.titleLines.size());
        QCOMPARE(records.size(), titles + 1 + c.rows + (totals.isEmpty() ? 0 : 1));
        for (int i = 0; i < titles; ++i)
            QCOMPARE(records[i], QStringList{c.titleLines[i]});
        QCOMPARE(records[titles], c.columns);
    }
    // Totals: the report's own figures, each under the column it prints under.
    QCOMPARE(totals.size(), c.totalColumns.size());
    if (totals.isEmpty())
        return;
    const QStringList csvSummary = recordTexts(w.csv).last();
    QCOMPARE(csvSummary.count(QString()), csvSummary.size() - totals.size());
    const int last = int(w.xlsx.value(QStringLiteral("rows")).toArray().size()) - 1;
    for (qsizetype i = 0; i < totals.size(); ++i) {
        const int col = int(c.columns.indexOf(c.totalColumns[i]));
        QCOMPARE(csvSummary.value(col), totals[i]);
        const QJsonObject cell = xlsxCell(w.xlsx, last, col);
        QVERIFY(cell.value(QStringLiteral("formula")).toString().startsWith(QStringLiteral("=SUM(")));
        QCOMPARE(formatMask00(cell.value(QStringLiteral("value")).toDouble()), totals[i]);
    }
}

void TestReportSheets::purchasedGoodsCells_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("type"); // as openpyxl reads the XLSX cell
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("csv"); // the CSV field

    const QString money = QStringLiteral("0.00");
    const QString qty = QStringLiteral("0.###");
    const QString general = QStringLiteral("General");
    const QString number = QStringLiteral("number");
    const QString text = QStringLiteral("text");
    const QString yes = reportDisplayText(true, {FieldType::Logical, {}});
    QTest::newRow("running number") << "Lp" << 1 << number << QVariant(2) << "0"
                                    << "2";
    QTest::newRow("Polish letters") << "Nazwa towaru" << 0 << text << QVariant(kPolish) << general << kPolish;
    QTest::newRow("semicolon and quote") << "Dostawca" << 0 << text << QVariant(kSupplier) << general << kSupplier;
    QTest::newRow("line break") << "Nazwa towaru" << 2 << text << QVariant(QStringLiteral("Chleb\nrazowy")) << general
                                << "Chleb\nrazowy";
    QTest::newRow("quantity") << "Ilość" << 0 << number << QVariant(2.5) << qty << "2,5";
    QTest::newRow("returned quantity") << "Ilość" << 1 << number << QVariant(-2.5) << qty << "-2,5";
    QTest::newRow("quantity to the gram") << "Ilość" << 2 << number << QVariant(99999.999) << qty << "99999,999";
    QTest::newRow("money") << "W.Netto" << 0 << number << QVariant(26.75) << money << "26,75";
    QTest::newRow("returned money") << "W.Brutto" << 1 << number << QVariant(-28.89) << money << "-28,89";
    QTest::newRow("money without grouping") << "W.Netto" << 2 << number << QVariant(1000.0) << money << "1000,00";
    QTest::newRow("a grosz") << "C. Netto" << 2 << number << QVariant(0.01) << money << "0,01";
    QTest::newRow("no reference price") << "C.Refer." << 1 << "empty" << QVariant() << general << "";
    QTest::newRow("VAT code stays text") << "Vat" << 0 << text << QVariant(QStringLiteral("8")) << general << "8";
    QTest::newRow("logical as printed") << "Fakt." << 0 << text << QVariant(yes) << general << yes;
    QTest::newRow("date") << "Data" << 1 << "date" << QVariant(QStringLiteral("2024-03-02")) << "dd.mm.yyyy"
                          << "02.03.2024";
    QTest::newRow("no date: printed text")
        << "Data" << 2 << text << QVariant(QStringLiteral("bez daty")) << general << "bez daty";
}

void TestReportSheets::purchasedGoodsCells()
{
    QFETCH(QString, column);
    QFETCH(int, line);
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, format);
    QFETCH(QString, csv);

    const QStringList titles = recordTexts(written_.csv)[header_];
    const int col = int(titles.indexOf(column));
    QVERIFY2(col >= 0, qPrintable(column));
    const QJsonObject cell = xlsxCell(written_.xlsx, header_ + 1 + line, col);
    QCOMPARE(cell.value(QStringLiteral("type")).toString(), type);
    if (value.typeId() == QMetaType::Double)
        QVERIFY2(cell.value(QStringLiteral("value")).toDouble() == value.toDouble(),
                 qPrintable(QString::number(cell.value(QStringLiteral("value")).toDouble(), 'g', 17)));
    else if (value.isValid())
        QCOMPARE(cell.value(QStringLiteral("value")).toVariant().toString(), value.toString());
    if (type != QStringLiteral("empty"))
        QCOMPARE(cell.value(QStringLiteral("format")).toString(), format);
    QCOMPARE(recordTexts(written_.csv)[header_ + 1 + line].value(col), csv);
}

void TestReportSheets::purchasedGoodsSheet()
{
    const QJsonObject& x = written_.xlsx;
    const QJsonArray header = x.value(QStringLiteral("rows")).toArray().at(header_).toArray();
    QCOMPARE(header.size(), 15);
    for (const QJsonValue& v : header)
        QVERIFY(v.toObject().value(QStringLiteral("bold")).toBool());
    QCOMPARE(x.value(QStringLiteral("freeze")).toString(), QStringLiteral("A7"));
    QCOMPARE(x.value(QStringLiteral("autofilter")).toString(), QStringLiteral("A6:O9"));
    QCOMPARE(x.value(QStringLiteral("sheet")).toString(), QStringLiteral("ZakupioneTowaryDruk"));

    // Widths follow the longest value: "PIECZYWO ŚWIEŻE" in Gr.Tow., the 150-letter
    // supplier capped.
    const QJsonObject widths = x.value(QStringLiteral("widths")).toObject();
    const double group = widths.value(QStringLiteral("L")).toDouble();
    QVERIFY2(group >= 15 && group < 20, qPrintable(QString::number(group)));
    const double supplier = widths.value(QStringLiteral("B")).toDouble();
    QVERIFY2(supplier >= 60 && supplier < 62, qPrintable(QString::number(supplier)));

    // The summary: SUM formulas over the three lines, cached with the printed totals.
    const QStringList totals = printedTotals(*report_, pages_);
    QCOMPARE(totals, (QStringList{QStringLiteral("1000,00"), QStringLiteral("1080,00")}));
    const int sum = header_ + 4;
    QCOMPARE(x.value(QStringLiteral("rows")).toArray().size(), sum + 1);
    for (const auto& [col, formula, printed] :
         {std::tuple{6, "=SUM(G7:G9)", totals[0]}, std::tuple{9, "=SUM(J7:J9)", totals[1]}}) {
        const QJsonObject cell = xlsxCell(x, sum, col);
        QCOMPARE(cell.value(QStringLiteral("formula")).toString(), QString::fromLatin1(formula));
        QVERIFY(cell.value(QStringLiteral("value")).toDouble() == parseNumber(printed).value());
        QCOMPARE(cell.value(QStringLiteral("format")).toString(), QStringLiteral("0.00"));
        QVERIFY(cell.value(QStringLiteral("bold")).toBool());
    }

    // CSV: BOM, CRLF after every record, the quote doubled inside a quoted field.
    QCOMPARE(written_.csv.value(QStringLiteral("bom")).toBool(), true);
    QCOMPARE(written_.csv.value(QStringLiteral("terminators")).toVariant().toStringList(),
             QStringList{QStringLiteral("CRLF")});
    QVERIFY(written_.csv.value(QStringLiteral("endsWithTerminator")).toBool());
    QVERIFY(written_.csvBytes.contains(QStringLiteral("\"Hurtownia \"\"Pod Lipą\"\"; Sp. j.\";").toUtf8()));
    QCOMPARE(recordTexts(written_.csv).size(), sum + 1);
}

void TestReportSheets::totalsOver10000Lines_data()
{
    QTest::addColumn<SheetFormat>("format");
    QTest::newRow("xlsx") << SheetFormat::Xlsx;
    QTest::newRow("csv") << SheetFormat::Csv;
}

void TestReportSheets::totalsOver10000Lines()
{
    QFETCH(SheetFormat, format);
    if (!many_) {
        // Grosz amounts a double cannot hold exactly: summed as doubles they drift.
        QList<Purchase> lines;
        ManyLines m;
        for (int i = 0; i < 10000; ++i) {
            const qint64 g = (i * 7) % 97 + 3;
            m.grosze += g;
            m.drifting += double(g) / 100.0;
            Purchase p;
            p.netValue = double(g) / 100.0;
            lines.append(p);
        }
        const auto r = purchasedGoods(purchases(lines));
        m.printed = printedTotals(*r, r->layoutPages(kRunDate)).first();
        m.sheet = sheetFromReport(*r->QuickRep1, kRunDate);
        many_ = std::move(m);
    }
    QVERIFY2(many_->drifting != double(many_->grosze) / 100.0, "the amounts must drift for the test to mean anything");
    const QString exact =
        QStringLiteral("%1,%2").arg(many_->grosze / 100).arg(many_->grosze % 100, 2, 10, QLatin1Char('0'));
    QCOMPARE(many_->printed, exact);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("duzy") + sheetFileEnding(format));
    writeSheet(many_->sheet, {path, format});
    const QJsonArray rows = readBack(path, format).value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), header_ + 1 + 10000 + 1);
    if (format == SheetFormat::Csv) {
        QCOMPARE(rows.last().toArray().at(6).toString(), exact);
        return;
    }
    const QJsonObject total = rows.last().toArray().at(6).toObject();
    QCOMPARE(total.value(QStringLiteral("formula")).toString(), QStringLiteral("=SUM(G7:G10006)"));
    QVERIFY2(total.value(QStringLiteral("value")).toDouble() == double(many_->grosze) / 100.0,
             qPrintable(QString::number(total.value(QStringLiteral("value")).toDouble(), 'g', 17)));
}

void TestReportSheets::emptyReport_data()
{
    totalsOver10000Lines_data();
}

void TestReportSheets::emptyReport()
{
    QFETCH(SheetFormat, format);
    const auto r = purchasedGoods(purchases({}));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pusty") + sheetFileEnding(format));
    writeSheet(sheetFromReport(*r->QuickRep1, kRunDate), {path, format});
    const QJsonObject dump = readBack(path, format);
    // Title lines and the header only: no summary row, so no SUM of an empty range.
    const QList<QStringList> records = recordTexts(dump);
    QCOMPARE(records.size(), header_ + 1);
    QCOMPARE(records.last(), QStringList{QStringLiteral("Lp")} + kPurchaseColumns);
    QCOMPARE(records.first(), QStringList{QStringLiteral("Towary kupione  za okres")});
    if (format == SheetFormat::Xlsx) {
        QCOMPARE(dump.value(QStringLiteral("autofilter")).toString(), QStringLiteral("A6:O6"));
        QCOMPARE(dump.value(QStringLiteral("freeze")).toString(), QStringLiteral("A7"));
    }
}

void TestReportSheets::previewSavesSheet_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<SheetFormat>("filter");
    QTest::addColumn<QString>("written"); // empty: nothing may be written
    QTest::addColumn<SheetFormat>("format");
    QTest::addColumn<QString>("error");

    QTest::newRow("xlsx") << "zakupy" << SheetFormat::Xlsx << "zakupy.xlsx" << SheetFormat::Xlsx << "";
    QTest::newRow("csv") << "zakupy" << SheetFormat::Csv << "zakupy.csv" << SheetFormat::Csv << "";
    QTest::newRow("the ending beats the filter")
        << "zakupy.xlsx" << SheetFormat::Csv << "zakupy.xlsx" << SheetFormat::Xlsx << "";
    QTest::newRow("upper-case ending") << "ZAKUPY.CSV" << SheetFormat::Xlsx << "ZAKUPY.CSV" << SheetFormat::Csv << "";
    QTest::newRow("another ending") << "zakupy.txt" << SheetFormat::Csv << "zakupy.txt.csv" << SheetFormat::Csv << "";
    QTest::newRow("missing folder") << "brak/zakupy.xlsx" << SheetFormat::Xlsx << "" << SheetFormat::Xlsx
                                    << "Nie można zapisać arkusza %1/brak/zakupy.xlsx: plik lub folder nie istnieje";
}

void TestReportSheets::previewSavesSheet()
{
    QFETCH(QString, typed);
    QFETCH(SheetFormat, filter);
    QFETCH(QString, written);
    QFETCH(SheetFormat, format);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QString suggested;
    setSheetFileNameAsker([&](QWidget*, const QString& s) {
        suggested = s;
        return std::optional<SheetFileChoice>(SheetFileChoice{dir.filePath(typed), filter});
    });
    platform::ScopedScriptedMessages messages;
    bool placed = false;
    QString accessible;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        auto* bar = modal->findChild<QToolBar*>();
        auto* pdf = modal->findChild<QAction*>(QString::fromLatin1(kSavePdfActionName));
        auto* sheet = modal->findChild<QAction*>(QString::fromLatin1(kSaveSheetActionName));
        if (bar && pdf && sheet) {
            const QList<QAction*> actions = bar->actions();
            placed = actions.indexOf(sheet) == actions.indexOf(pdf) + 1;
            accessible = bar->widgetForAction(sheet)->accessibleName();
            sheet->trigger();
        }
        static_cast<QDialog*>(modal)->reject();
    });
    report_->preview();
    setSheetFileNameAsker({});

    QVERIFY(placed);
    QCOMPARE(accessible, QStringLiteral("Zapisz jako arkusz"));
    QVERIFY2(suggested.endsWith(QStringLiteral("/ZakupioneTowaryDruk.xlsx")), qPrintable(suggested));
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    if (written.isEmpty()) {
        QVERIFY(files.isEmpty());
        QCOMPARE(messages->texts(), QStringList{error.arg(dir.path())});
        return;
    }
    QCOMPARE(messages->texts(), QStringList());
    QCOMPARE(files, QStringList{written});
    const QStringList titles = recordTexts(readBack(dir.filePath(written), format))[header_];
    QCOMPARE(titles, QStringList{QStringLiteral("Lp")} + kPurchaseColumns);
}

QTEST_MAIN(TestReportSheets)
#include "tst_reportsheets.moc"
