// WYKRESY ZAKUPÓW as a user meets it: opened by "Wykres" on the lines the
// supplier goods window shows, with the same totals; each chart's grid equals
// its series; pictures saved offscreen; an empty period says so.
#include "common/Formats.h"
#include "common/Money.h"
#include "controls/DatePicker.h"
#include "purchases/ChartPictures.h"
#include "purchases/PurchaseChartsWindow.h"
#include "purchases/TowaryJadl.h"
#include "reports/ReportPreview.h"
#include "reports/ReportSheetAction.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestSupport.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"
#include "support/gui/WindowOpening.h"

#include <QAbstractButton>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace jadl;
using jadl::test::child;

namespace {

const QDate kToday(2026, 12, 6);

// Twelve suppliers, two groups, lines over two years.
void seed(TModulDanych1& dm, const QString& dataDir)
{
    QList<int> suppliers;
    for (int s = 0; s < 12; ++s)
        suppliers << test::addSupplier(dm, QStringLiteral("D%1").arg(s), QStringLiteral("Dostawca %1").arg(s));
    const int milk = test::addGroup(dm, QStringLiteral("Nabiał"));
    const int meat = test::addGroup(dm, QStringLiteral("Mięso"));
    const int good = test::addGood(dm, milk, {QStringLiteral("MLEKO"), QStringLiteral("Mleko"), 2.5, {}, {}, 3.0});
    QList<test::PurchaseLine> lines;
    for (int n = 0; n < 400; ++n) {
        const double net = roundedMoney(10.37 * (n % 17 + 1) + n * 1.01);
        const double vat = roundedMoney(net * (n % 3 ? 0.23 : 0.08));
        test::PurchaseLine l{suppliers[n % 12], QDate(2025, 1, 3).addDays(n * 7 / 4), net, vat, net + vat};
        l.more = {{QStringLiteral("NumerGrupy"), n % 4 ? milk : meat},
                  {QStringLiteral("NumerPodstawowy"), good},
                  {QStringLiteral("CenaNetto"), 2.0 + n % 5 * 0.1},
                  {QStringLiteral("Ilosc"), 5.0},
                  {QStringLiteral("VatTyp"), n % 3 ? QStringLiteral("23") : QStringLiteral("8")}};
        lines << l;
    }
    test::addPurchaseLines(dataDir, lines);
}

double total(const charts::CategoryChart& c, int series)
{
    double sum = 0;
    for (double v : c.series[size_t(series)].values)
        sum += v;
    return sum;
}

double allSeries(const charts::CategoryChart& c)
{
    double sum = 0;
    for (size_t i = 0; i < c.series.size(); ++i)
        sum += total(c, int(i));
    return sum;
}

} // namespace

class TstChartsWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wykresShowsTheWindowsLinesAndTotals_data();
    void wykresShowsTheWindowsLinesAndTotals();
    void gridsPicturesAndLegend();
};

void TstChartsWindow::wykresShowsTheWindowsLinesAndTotals_data()
{
    QTest::addColumn<bool>("oneSupplier");
    QTest::addColumn<int>("choice");
    for (bool one : {true, false})
        for (PeriodChoice c : {PeriodChoice::ThisYear, PeriodChoice::LastQuarter, PeriodChoice::Everything})
            QTest::addRow("%s, %s", one ? "one supplier" : "all",
                          qPrintable(periodChoiceTexts()[listIndexOf(c)].trimmed()))
                << one << listIndexOf(c);
}

void TstChartsWindow::wykresShowsTheWindowsLinesAndTotals()
{
    QFETCH(bool, oneSupplier);
    QFETCH(int, choice);
    test::ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    seed(dm, program.dataDir());
    TTowary* w = test::openSupplierGoodsWindow(dm);
    dm.TableDostawcy->first();
    dm.TableDostawcy->next();
    child<RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(oneSupplier ? 0 : 1)->click();
    child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(choice);
    const QString net = child<QLineEdit>(w, "EditSumaNetto")->text();
    const QString vat = child<QLineEdit>(w, "EditSumaVat")->text();
    const QString gross = child<QLineEdit>(w, "EditSumaBrutto")->text();
    QVERIFY(net != TTowary::sumText(0));

    bool checked = false;
    test::whenModalShown([&](QWidget* modal) {
        auto* charts = qobject_cast<PurchaseChartsWindow*>(modal);
        QVERIFY(charts);
        QCOMPARE(child<RadioGroup>(charts, "Zakres")->itemIndex(), oneSupplier ? 0 : 1);
        QCOMPARE(child<QComboBox>(charts, "Okres")->currentIndex(), choice);
        auto* tabs = child<QTabWidget>(charts, "Zakladki");
        const auto sumText = [](double v) { return TTowary::sumText(roundedMoney(v)); };
        tabs->setCurrentIndex(0);
        QCOMPARE(sumText(total(charts->picture().categories, 0)), net);
        QCOMPARE(sumText(total(charts->picture().categories, 1)), gross);
        tabs->setCurrentIndex(2);
        QCOMPARE(sumText(total(charts->picture().categories, 0)), net);
        tabs->setCurrentIndex(3);
        QCOMPARE(sumText(total(charts->picture().categories, 0)), net);
        tabs->setCurrentIndex(4);
        QCOMPARE(sumText(allSeries(charts->picture().categories)), vat);
        checked = true;
    });
    child<QPushButton>(w, "Wykres")->click();
    QVERIFY(checked);
    QVERIFY(program.messages().texts().isEmpty());
}

void TstChartsWindow::gridsPicturesAndLegend()
{
    test::ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    seed(dm, program.dataDir());
    PurchaseChartsWindow w(&dm);
    w.resize(1000, 700);
    w.show();
    child<QComboBox>(&w, "Okres")->setCurrentIndex(listIndexOf(PeriodChoice::Everything));
    auto* groups = child<QComboBox>(&w, "GrupaTowaru");
    groups->setCurrentIndex(groups->findText(QStringLiteral("Nabiał")));
    auto* tabs = child<QTabWidget>(&w, "Zakladki");
    for (int tab = 0; tab < PurchaseChartsWindow::kTabs; ++tab) {
        tabs->setCurrentIndex(tab);
        const charts::Picture& p = w.picture();
        QVERIFY2(!p.empty(), qPrintable(tabs->tabText(tab)));
        // "Tabela": one row per category (per purchase for prices), the series' values in its cells.
        auto* grid = child<QTableWidget>(&w, qPrintable(QStringLiteral("Tabela%1").arg(tab + 1)));
        if (p.kind == charts::ChartKind::PriceHistory) {
            int points = 0;
            for (const auto& s : p.prices.suppliers)
                points += int(s.points.size());
            QCOMPARE(grid->rowCount(), points);
            QCOMPARE(grid->item(0, 2)->text(), formatSum(p.prices.suppliers.front().points.front().price));
        } else {
            QCOMPARE(grid->rowCount(), int(p.categories.categories.size()));
            QCOMPARE(grid->columnCount(), int(p.categories.series.size()) + 1);
            for (int r = 0; r < grid->rowCount(); ++r) {
                QCOMPARE(grid->item(r, 0)->text(), p.categories.categories[r]);
                for (int c = 1; c < grid->columnCount(); ++c)
                    QCOMPARE(grid->item(r, c)->text(), formatSum(p.categories.series[size_t(c - 1)].values[size_t(r)]));
            }
        }
        // Saved offscreen: a PNG of the set size with a drawing on it, an SVG.
        const QString png = program.root() + QStringLiteral("/wykres%1.png").arg(tab);
        PurchaseChartsWindow::setImageFileAsker([png](QWidget*, const QString&) { return png; });
        child<QPushButton>(&w, "ZapiszObraz")->click();
        QImage image(png);
        QCOMPARE(image.size(), QSize(1600, 1000));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(tabs->tabText(tab)));
    }
    const QString svg = program.root() + QStringLiteral("/wykres.svg");
    PurchaseChartsWindow::setImageFileAsker([svg](QWidget*, const QString&) { return svg; });
    child<QPushButton>(&w, "ZapiszObraz")->click();
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("<svg"));
    // The sheet: the grid's rows under its header, through the sheet writers.
    tabs->setCurrentIndex(0);
    const QString csv = program.root() + QStringLiteral("/wykres.csv");
    setSheetFileNameAsker([csv](QWidget*, const QString&) { return SheetFileChoice{csv, SheetFormat::Csv}; });
    child<QPushButton>(&w, "ZapiszArkusz")->click();
    QFile sheet(csv);
    QVERIFY(sheet.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(sheet.readAll());
    QVERIFY(text.contains(QStringLiteral("Miesiąc;Netto;Brutto;Netto rok wcześniej")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 3 + int(w.picture().categories.categories.size()));
    setSheetFileNameAsker({});
    PurchaseChartsWindow::setImageFileAsker({});
    // A PDF of the chart, and the program's print preview of it.
    const QString pdf = program.root() + QStringLiteral("/wykres.pdf");
    setPdfFileNameAsker([pdf](QWidget*, const QString&) { return pdf; });
    child<QPushButton>(&w, "ZapiszPdf")->click();
    setPdfFileNameAsker({});
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(5) == "%PDF-" && written.size() > 10000);
    QString preview;
    test::whenModalShown([&preview](QWidget* modal) { preview = modal->objectName(); });
    child<QPushButton>(&w, "Drukuj")->click();
    QCOMPARE(preview, QStringLiteral("ReportPreview"));

    // Hover gives the exact value; a legend click hides a series and a second brings it back.
    auto* view = child<QChartView>(&w, "WidokWykresu1");
    auto* set = view->chart()->findChild<QBarSet*>();
    QVERIFY(set);
    Q_EMIT set->hovered(true, 0);
    QCOMPARE(set->property("hoverText").toString(),
             charts::hoverText(set->label(), w.picture().categories.categories[0],
                               w.picture().categories.series[0].values[0]));
    const QString name = set->label();
    const auto drawnSum = [view](const QString& label) {
        for (QBarSet* drawn : view->chart()->findChildren<QBarSet*>())
            if (drawn->label() == label)
                return drawn->sum();
        return -1.0;
    };
    Q_EMIT view->chart()->legend()->markers().first()->clicked();
    QTRY_COMPARE(drawnSum(name), 0.0);
    QCOMPARE(w.picture().hidden, std::set<QString>{name});
    QVERIFY(drawnSum(QStringLiteral("Brutto")) > 0);
    Q_EMIT view->chart()->legend()->markers().first()->clicked();
    QTRY_VERIFY(drawnSum(name) > 0);
    QVERIFY(w.picture().hidden.empty());

    // A period without purchases: an empty chart that says so, no message.
    child<QComboBox>(&w, "Okres")->setCurrentIndex(listIndexOf(PeriodChoice::ChosenRange));
    child<DatePicker>(&w, "DataOd")->setDate(QDate(2020, 1, 1));
    child<DatePicker>(&w, "DataDo")->setDate(QDate(2020, 2, 1));
    QVERIFY(w.picture().empty());
    QCOMPARE(view->chart()->title(), charts::kNoPurchases);
    QVERIFY(view->chart()->series().isEmpty());
    QVERIFY(program.messages().texts().isEmpty());
}

QTEST_MAIN(TstChartsWindow)
#include "tst_chartswindow.moc"
