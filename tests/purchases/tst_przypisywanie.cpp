// Recording purchases in the goods assignment window, as a user would.
#include "common/Formats.h"
#include "controls/DBGrid.h"
#include "controls/MonthCalendar.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using jadl::forms;
using jadl::Table;
using jadl::test::GoodSeed;
using jadl::test::ProgramFixture;

namespace {

// The tables and link the main window prepares before it shows the window.
void prepareLikeTheMainWindow(TModulDanych1& dm)
{
    for (Table* t :
         {dm.TableDostawcy, dm.TableTowaryPodstawowe, dm.TableGrupyTowarow, dm.TableTowary, dm.TableParametry,
          forms().StawkiVatJadlon->TableStawkiVat, forms().JednostkiMiarJadlon->TableJednostkiMiar, dm.TableWlasciciel})
        if (!t->active())
            t->open();
    dm.TableTowary->setMasterSource(dm.DataSourceDostawcy);
    dm.TableTowary->setMasterFields(QStringLiteral("Numer"));
    dm.TableTowary->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
}

// Every purchase line on disk, read through a connection of its own.
struct StoredLines {
    explicit StoredLines(const QString& dataDir)
    {
        table.setDatabaseName(jadl::test::tablesOf(dataDir));
        table.setTableName(QStringLiteral("Towary.DB"));
        table.open();
    }
    int count()
    {
        table.refresh();
        return table.recordCount();
    }
    Table table;
};

struct Scene {
    TModulDanych1* dm;
    TPrzypisywanieTowarow* w;
    int supplier;
    int group;
    int restaurant;
};

Scene scene(const GoodSeed& good, const QDate& day = QDate(2026, 12, 6))
{
    TModulDanych1* dm = forms().ModulDanych1;
    const int restaurant = jadl::test::addRestaurant(*dm, QStringLiteral("BAR1"), true);
    jadl::test::addRestaurant(*dm, QStringLiteral("BAR2"), false);
    const int supplier = jadl::test::addSupplier(*dm, QStringLiteral("HURT"), QStringLiteral("HURTOWNIA"));
    const int group = jadl::test::addGroup(*dm, QStringLiteral("NABIAŁ"));
    jadl::test::addGood(*dm, group, good);
    prepareLikeTheMainWindow(*dm);
    dm->TableDostawcy->first();
    dm->TableGrupyTowarow->first();
    dm->TableTowaryPodstawowe->first();
    TPrzypisywanieTowarow* w = forms().PrzypisywanieTowarow;
    jadl::test::child<jadl::MonthCalendar>(w, "Calendar1")->setDate(day);
    w->show();
    return {dm, w, supplier, group, restaurant};
}

void typeQuantity(TPrzypisywanieTowarow* w, const QString& text)
{
    jadl::test::child<QLineEdit>(w, "EditIlosc")->clear();
    QTest::keyClicks(jadl::test::child<QLineEdit>(w, "EditIlosc"), text);
}

} // namespace

class AssignmentTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordsALine_data();
    void recordsALine();
    void refusesIncompleteInput_data();
    void refusesIncompleteInput();
    void refusesWithoutAChosenGood_data();
    void refusesWithoutAChosenGood();
    void indicatorAndPreviewsFollowTheChoice();
    void linesFollowDayAndSupplier();
    void deleteAsksFirst();
};

void AssignmentTest::recordsALine_data()
{
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<double>("net");
    QTest::addColumn<QString>("vat");
    QTest::addColumn<bool>("invoice");
    QTest::addColumn<double>("netValue");
    QTest::addColumn<double>("vatRate");
    QTest::addColumn<double>("vatValue");
    QTest::addColumn<double>("grossValue");
    QTest::addColumn<QString>("refSign");
    QTest::newRow("2,5 at 3.99, VAT 7") << "2,5" << 3.99 << "7" << true << 9.98 << 0.07 << 0.70 << 10.68 << "+";
    QTest::newRow("decimal point read too") << "2.5" << 3.99 << "7" << false << 9.98 << 0.07 << 0.70 << 10.68 << "+";
    QTest::newRow("exempt: gross equals net") << "3" << 10.0 << "zw" << false << 30.0 << 0.0 << 0.0 << 30.0 << "+";
    QTest::newRow("VAT 23") << "4" << 12.35 << "23" << true << 49.4 << 0.23 << 11.36 << 60.76 << "+";
    QTest::newRow("reference below net") << "1" << 5.0 << "8" << true << 5.0 << 0.08 << 0.4 << 5.4 << "-";
    // A return to the supplier: typed from its minus on; a negative half grosz goes toward zero.
    QTest::newRow("a return, -2,5 at 3.99") << "-2,5" << 3.99 << "7" << true << -9.97 << 0.07 << -0.70 << -10.67 << "+";
}

void AssignmentTest::recordsALine()
{
    QFETCH(QString, quantity);
    QFETCH(double, net);
    QFETCH(QString, vat);
    QFETCH(bool, invoice);
    QFETCH(double, netValue);
    QFETCH(double, vatRate);
    QFETCH(double, vatValue);
    QFETCH(double, grossValue);
    QFETCH(QString, refSign);
    ProgramFixture program;
    const double reference = refSign == QLatin1String("+") ? net + 1.0 : net - 1.0;
    Scene s = scene({QStringLiteral("MLEKO"), QStringLiteral("MLEKO 3,2%"), net, vat, QStringLiteral("1l"), reference},
                    QDate(2026, 3, 9));
    StoredLines stored(program.dataDir());
    QCOMPARE(stored.count(), 0);

    typeQuantity(s.w, quantity);
    jadl::test::child<QCheckBox>(s.w, "CheckBoxBylaFaktura")->setChecked(invoice);
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));

    // On disk when the handler returns, as another program would read it.
    QCOMPARE(stored.count(), 1);
    Table& t = stored.table;
    t.first();
    auto f = [&t](const char* name) { return t.fieldByName(QString::fromLatin1(name)); };
    QCOMPARE(f("WartoscNetto").asFloat(), netValue);
    QCOMPARE(f("Vat").asFloat(), vatRate);
    QCOMPARE(f("WartoscVat").asFloat(), vatValue);
    QCOMPARE(f("WartoscBrutto").asFloat(), grossValue);
    QCOMPARE(f("Ilosc").asFloat(), jadl::parseNumber(quantity).value());
    QCOMPARE(f("CenaNetto").asFloat(), net);
    QCOMPARE(f("VatTyp").asString(), vat);
    QCOMPARE(f("DataZakupu").asDate(), QDate(2026, 3, 9));
    QCOMPARE(f("DataZakupuString").asString(), QStringLiteral("9 marca"));
    QCOMPARE(f("Par9").asString(), invoice ? QStringLiteral("Tak") : QStringLiteral("Nie"));
    QCOMPARE(f("CzyBylaFaktura").asBoolean(), invoice);
    QCOMPARE(f("RestauracjaSymbol").asString(), QStringLiteral("BAR1"));
    QCOMPARE(f("RestauracjaNumer").asInteger(), s.restaurant);
    QCOMPARE(f("NumerDostawcy").asInteger(), s.supplier);
    QCOMPARE(f("SymbolDostawcy").asString(), QStringLiteral("HURT"));
    QCOMPARE(f("Dostawca").asString(), QStringLiteral("HURTOWNIA"));
    QCOMPARE(f("Symbol").asString(), QStringLiteral("MLEKO"));
    QCOMPARE(f("NumerGrupy").asInteger(), s.group);
    QCOMPARE(f("JednostkaMiary").asString(), QStringLiteral("1l"));
    QCOMPARE(f("JakaCenaRef").asString(), refSign);
    QCOMPARE(f("UpustProc").asFloat(), 0.0);
    // The quantity starts afresh and the totals show the new line.
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditIlosc")->text(), QStringLiteral("0"));
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscCalkowitaNetto")->text(), jadl::formatSum(netValue));
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscCalkowitaBrutto")->text(), jadl::formatSum(grossValue));
    s.w->hide();
}

void AssignmentTest::refusesIncompleteInput_data()
{
    QTest::addColumn<bool>("withNet");
    QTest::addColumn<bool>("withVat");
    QTest::addColumn<bool>("withUnit");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("message");
    QTest::newRow("no net price") << false << true << true << "2"
                                  << "Brak CENY NETTO towaru";
    QTest::newRow("no VAT") << true << false << true << "2"
                            << "Brak Stawki Vat";
    QTest::newRow("zero") << true << true << true << "0"
                          << "Podano zerowa ilośc towaru - wprowadź poprawną";
    QTest::newRow("zero with comma") << true << true << true << "0,00"
                                     << "Podano zerowa ilośc towaru - wprowadź poprawną";
    QTest::newRow("zero with point") << true << true << true << "0.0"
                                     << "Podano zerowa ilośc towaru - wprowadź poprawną";
    QTest::newRow("empty quantity") << true << true << true << ""
                                    << "Brak Ilości towaru";
    QTest::newRow("no unit") << true << true << false << "2"
                             << "Brak Jednostki Miary - wprowadź";
    QTest::newRow("a lone minus") << true << true << true << "-"
                                  << "Błędnie napisana liczba(separator lub wartość)";
}

void AssignmentTest::refusesIncompleteInput()
{
    QFETCH(bool, withNet);
    QFETCH(bool, withVat);
    QFETCH(bool, withUnit);
    QFETCH(QString, quantity);
    QFETCH(QString, message);
    ProgramFixture program;
    GoodSeed good{QStringLiteral("SER"), QStringLiteral("SER ŻÓŁTY"), std::nullopt, std::nullopt, std::nullopt, 20.0};
    if (withNet)
        good.net = 21.5;
    if (withVat)
        good.vat = QStringLiteral("5");
    if (withUnit)
        good.unit = QStringLiteral("1kg");
    Scene s = scene(good);
    StoredLines stored(program.dataDir());
    const QByteArray before = [&] {
        QFile f(program.dataDir() + QStringLiteral("/Towary.DB"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    typeQuantity(s.w, quantity);
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();

    QCOMPARE(program.messages().texts(), QStringList{message});
    QCOMPARE(stored.count(), 0);
    QCOMPARE(s.dm->TableTowary->state(), jadl::DataSetState::Browse);
    if (!jadl::test::onServer()) {
        QFile after(program.dataDir() + QStringLiteral("/Towary.DB"));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }
    s.w->hide();
}

void AssignmentTest::refusesWithoutAChosenGood_data()
{
    QTest::addColumn<bool>("withSupplier");
    QTest::addColumn<bool>("withGood");
    QTest::addColumn<QString>("message");
    QTest::newRow("no good in the group") << true << false << "Brak towaru podstawowego - wybierz towar";
    QTest::newRow("no supplier at all") << false << true << "Brak dostawcy - wybierz dostawcę";
}

void AssignmentTest::refusesWithoutAChosenGood()
{
    QFETCH(bool, withSupplier);
    QFETCH(bool, withGood);
    QFETCH(QString, message);
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    if (withSupplier)
        jadl::test::addSupplier(*dm, QStringLiteral("HURT"), QStringLiteral("HURTOWNIA"));
    const int group = jadl::test::addGroup(*dm, QStringLiteral("NABIAŁ"));
    if (withGood)
        jadl::test::addGood(
            *dm, group,
            {QStringLiteral("SER"), QStringLiteral("SER"), 2.0, QStringLiteral("5"), QStringLiteral("kg"), 2.0});
    prepareLikeTheMainWindow(*dm);
    TPrzypisywanieTowarow* w = forms().PrzypisywanieTowarow;
    w->show();
    typeQuantity(w, QStringLiteral("1"));
    jadl::test::child<QPushButton>(w, "BitBtnPrzypiszTowarDostawcy")->click();
    QCOMPARE(program.messages().texts(), QStringList{message});
    QCOMPARE(StoredLines(program.dataDir()).count(), 0);
    w->hide();
}

void AssignmentTest::indicatorAndPreviewsFollowTheChoice()
{
    ProgramFixture program;
    Scene s = scene(
        {QStringLiteral("MLEKO"), QStringLiteral("MLEKO"), 3.0, QStringLiteral("8"), QStringLiteral("l"), 3.0},
        QDate(2026, 3, 9));
    jadl::test::addGood(
        *s.dm, s.group,
        {QStringLiteral("SER"), QStringLiteral("SER"), 20.0, QStringLiteral("5"), QStringLiteral("kg"), 20.0});
    s.dm->TableTowaryPodstawowe->first();
    QVERIFY(!jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")
                 ->isVisible()); // nothing on that day yet
    typeQuantity(s.w, QStringLiteral("2"));
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscNetto")->text(), QStringLiteral("6"));
    // A good chosen after the quantity was typed: the previews are of that good.
    s.dm->TableTowaryPodstawowe->next();
    QCOMPARE(s.dm->TableTowaryPodstawowe->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("SER"));
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscNetto")->text(), QStringLiteral("40"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    QVERIFY(program.messages().log().isEmpty());
    QVERIFY(jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")->isVisible());
    s.w->hide();
}

void AssignmentTest::linesFollowDayAndSupplier()
{
    ProgramFixture program;
    Scene s = scene(
        {QStringLiteral("CHLEB"), QStringLiteral("CHLEB"), 2.5, QStringLiteral("5"), QStringLiteral("szt."), 2.5},
        QDate(2026, 5, 4));
    const int other = jadl::test::addSupplier(*s.dm, QStringLiteral("PIEK"), QStringLiteral("PIEKARNIA"));
    Table* lines = s.dm->TableTowary;
    Table* suppliers = s.dm->TableDostawcy;
    suppliers->locate(QStringLiteral("Symbol"), QStringLiteral("HURT"));
    QVERIFY(!jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")->isVisible());

    // Twice on 4 May for HURT: two identical lines.
    typeQuantity(s.w, QStringLiteral("2"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    typeQuantity(s.w, QStringLiteral("2"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    QCOMPARE(lines->recordCount(), 2);
    QCOMPARE(jadl::test::child<jadl::DBGrid>(s.w, "DBGrid4")->model()->rowCount(), 2);
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscCalkowitaBrutto")->text(), QStringLiteral("10,50"));

    // Another day shows none of them, and the indicator says nothing was recorded then.
    jadl::test::child<jadl::MonthCalendar>(s.w, "Calendar1")->setDate(QDate(2026, 5, 5));
    QCOMPARE(lines->recordCount(), 0);
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscCalkowitaBrutto")->text(), QStringLiteral("0,00"));
    QVERIFY(!jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")->isVisible());
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelM_c_Rok")->text(), QStringLiteral("5 maja, 2026"));
    QCOMPARE(jadl::test::child<QLabel>(s.w, "Dzien")->text(), QStringLiteral("wtorek"));
    typeQuantity(s.w, QStringLiteral("1"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    QCOMPARE(lines->recordCount(), 1);

    // Back to 4 May: the indicator shows, and another supplier has no lines there.
    jadl::test::child<jadl::MonthCalendar>(s.w, "Calendar1")->setDate(QDate(2026, 5, 4));
    QVERIFY(jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")->isVisible());
    QCOMPARE(lines->recordCount(), 2);
    suppliers->locate(QStringLiteral("Numer"), other);
    QCOMPARE(suppliers->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("PIEK"));
    QCOMPARE(lines->recordCount(), 0);
    QCOMPARE(jadl::test::child<QLineEdit>(s.w, "EditWartoscCalkowitaNetto")->text(), QStringLiteral("0,00"));
    QVERIFY(jadl::test::child<QPushButton>(s.w, "BitBtn1InformacjaCzyByloPrzepisywanie")->isVisible());
    QCOMPARE(StoredLines(program.dataDir()).count(), 3);
    s.w->hide();
}

void AssignmentTest::deleteAsksFirst()
{
    ProgramFixture program;
    Scene s = scene(
        {QStringLiteral("JAJA"), QStringLiteral("JAJA"), 0.8, QStringLiteral("5"), QStringLiteral("szt."), 0.8});
    typeQuantity(s.w, QStringLiteral("10"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPrzypiszTowarDostawcy")->click();
    QCOMPARE(s.dm->TableTowary->recordCount(), 1);
    program.messages().answerNext(false);
    jadl::test::child<QPushButton>(s.w, "BitBtnUsun")->click();
    QCOMPARE(s.dm->TableTowary->recordCount(), 1);
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(s.w, "BitBtnUsun")->click();
    QCOMPARE(s.dm->TableTowary->recordCount(), 0);
    jadl::test::child<QPushButton>(s.w, "BitBtnUsun")->click();
    QCOMPARE(
        program.messages().texts(),
        (QStringList{QStringLiteral("Usunąć zaznaczoną pozycję towaru"),
                     QStringLiteral("Usunąć zaznaczoną pozycję towaru"), QStringLiteral("Brak pozycji do usunięcia")}));
    QCOMPARE(program.messages().log().first().caption, QStringLiteral("WYBIERZ"));
    s.w->hide();
}

QTEST_MAIN(AssignmentTest)
#include "tst_przypisywanie.moc"
