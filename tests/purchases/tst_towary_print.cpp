// The supplier goods window's print commands and the copy table for other programs.
#include "common/Formats.h"
#include "common/Money.h"
#include "purchases/TowaryJadl.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/SharedValues.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/core/TestSupport.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"
#include "support/gui/WindowOpening.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

using jadl::forms;
using jadl::Table;
using jadl::test::ProgramFixture;

namespace {

const QDate kToday(2026, 12, 6);

struct Line {
    int supplier;
    QDate day;
    double net;
    std::optional<QString> sign; // JakaCenaRef
    bool invoice = false;
};

void addLines(const QString& dataDir, const QList<Line>& lines)
{
    QList<jadl::test::PurchaseLine> out;
    for (const Line& l : lines) {
        jadl::test::PurchaseLine p{l.supplier, l.day, l.net, l.net * 0.23, l.net * 1.23, QStringLiteral("TOWAR"), {}};
        p.more = {{QStringLiteral("SymbolDostawcy"), QStringLiteral("DOSTAWCA-%1").arg(l.supplier)},
                  {QStringLiteral("Grupa"), QStringLiteral("NABIAŁ")},
                  {QStringLiteral("JednostkaMiary"), QStringLiteral("kg")},
                  {QStringLiteral("VatTyp"), QStringLiteral("23")},
                  {QStringLiteral("Ilosc"), 2.0},
                  {QStringLiteral("CenaNetto"), l.net / 2.0},
                  {QStringLiteral("CenaReferencyjna"), 1.5},
                  {QStringLiteral("CzyBylaFaktura"), l.invoice}};
        if (l.sign)
            p.more.insert(QStringLiteral("JakaCenaRef"), *l.sign);
        out << p;
    }
    jadl::test::addPurchaseLines(dataDir, out);
}

TTowary* openWindow(TModulDanych1& dm)
{
    return jadl::test::openSupplierGoodsWindow(dm);
}

bool par1(const QString& dataDir)
{
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(QStringLiteral("Parametry.db"));
    t.open();
    return t.fieldByName(QStringLiteral("Par1")).asBoolean();
}

// The copy table as another program reads it: plain sqlite3, no part of this program.
QList<QStringList> readCopyTable(const QString& dataDir)
{
    const QString path = QDir(dataDir).filePath(QStringLiteral("TowaryRaport.db"));
    sqlite3* db = nullptr;
    QList<QStringList> rows;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT SymbolDostawcy, Ilosc, CzyBylaFaktura, WartoscNetto, JakaCenaRef, DataZakupu, VatTyp "
                      "FROM TowaryRaport ORDER BY rowid";
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < 7; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                row << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            rows << row;
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

} // namespace

class TowaryPrintTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void copyTableHoldsTheVisibleLines();
    void copyRefusedWithoutTable();
    void printingAnEmptyViewSaysSo();
    void creatingTheTableFails();
    void valueReportListsSuppliersWithPurchases();
    void purchasedGoodsReportPreparation_data();
    void purchasedGoodsReportPreparation();
};

void TowaryPrintTest::copyTableHoldsTheVisibleLines()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int b = jadl::test::addSupplier(dm, QStringLiteral("B"), QStringLiteral("B"));
    addLines(program.dataDir(),
             {{a, kToday, 10.0, QStringLiteral("0"), true},
              {a, kToday, 20.0, QStringLiteral("-"), false},
              {a, kToday, 30.0, QStringLiteral("+"), true},
              {a, kToday, 40.0, std::nullopt, false},
              {a, QDate(2026, 1, 5), 50.0, QStringLiteral("0"), false},
              {b, kToday, 60.0, QStringLiteral("0"), false}});
    TTowary* w = openWindow(dm);
    QVERIFY(jadl::test::child<QPushButton>(w, "TworzTablice")->isEnabled());
    jadl::test::child<QPushButton>(w, "TworzTablice")->click();
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("Tablica została utworzona")});
    QVERIFY(!jadl::test::child<QPushButton>(w, "TworzTablice")->isEnabled());
    QVERIFY(par1(program.dataDir()));
    QVERIFY(readCopyTable(program.dataDir()).isEmpty());

    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    QCOMPARE(dm.TableTowary->recordCount(), 4);
    jadl::test::child<QPushButton>(w, "Kopiuj")->click();
    QVERIFY(jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->isVisible());
    QCOMPARE(jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->text(), QStringLiteral("Skopiowałem 4 rekordów"));
    const QList<QStringList> rows = readCopyTable(program.dataDir());
    QCOMPARE(rows.size(), 4);
    const QString day = QDate(kToday).toString(Qt::ISODate);
    QCOMPARE(rows[0].mid(0, 5),
             (QStringList{QStringLiteral("DOSTAWCA-1"), QStringLiteral("2.0"), QStringLiteral("T"),
                          QStringLiteral("10.0"), QStringLiteral("Równa")}));
    QCOMPARE(rows[1].mid(2, 3), (QStringList{QStringLiteral("F"), QStringLiteral("20.0"), QStringLiteral("Niższa")}));
    QCOMPARE(rows[2].mid(2, 3), (QStringList{QStringLiteral("T"), QStringLiteral("30.0"), QStringLiteral("Wyższa")}));
    QCOMPARE(rows[3][4], QStringLiteral("<null>"));
    QVERIFY2(rows[0][5].startsWith(day), qPrintable(rows[0][5]));
    QCOMPARE(rows[0][6], QStringLiteral("23"));

    // A second copy replaces the first; a period change hides the banner.
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    QVERIFY(!jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->isVisible());
    jadl::test::child<QPushButton>(w, "Kopiuj")->click();
    QCOMPARE(jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->text(), QStringLiteral("Skopiowałem 5 rekordów"));
    QCOMPARE(readCopyTable(program.dataDir()).size(), 5);

    // No visible line: the copy is emptied and says so.
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(2);
    QCOMPARE(dm.TableTowary->recordCount(), 0);
    jadl::test::child<QPushButton>(w, "Kopiuj")->click();
    QCOMPARE(jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->text(), QStringLiteral("Skopiowałem 0 rekordów"));
    QVERIFY(readCopyTable(program.dataDir()).isEmpty());
    QCOMPARE(program.messages().log().size(), 1);
}

void TowaryPrintTest::copyRefusedWithoutTable()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    addLines(program.dataDir(), {{a, kToday, 10.0, {}}});
    TTowary* w = openWindow(dm);
    QVERIFY(!par1(program.dataDir()));
    jadl::test::child<QPushButton>(w, "Kopiuj")->click();
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("Brak Tablicy Raportów")});
    QVERIFY(!QFileInfo::exists(QDir(program.dataDir()).filePath(QStringLiteral("TowaryRaport.db"))));
    QVERIFY(!jadl::test::child<QPushButton>(w, "KopiowanieRekordow")->isVisible());
}

void TowaryPrintTest::printingAnEmptyViewSaysSo()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    TTowary* w = openWindow(dm);
    QCOMPARE(dm.TableTowary->recordCount(), 0);
    jadl::test::child<QPushButton>(w, "BitBtnDrukuj2")->click();
    jadl::test::child<QPushButton>(w, "BitBtnDrukuj1")->click();
    QCOMPARE(program.messages().texts(),
             (QStringList{QStringLiteral("Brak pozycji do wydruku"), QStringLiteral("Brak pozycji do wydruku")}));
}

void TowaryPrintTest::creatingTheTableFails()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    // Something that is no table file stands in the copy table's place.
    QVERIFY(QDir(program.dataDir()).mkdir(QStringLiteral("TowaryRaport.db")));
    TTowary* w = openWindow(dm);
    jadl::test::child<QPushButton>(w, "TworzTablice")->click();
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("Błąd tworzenia tablicy ")});
    QVERIFY(jadl::test::child<QPushButton>(w, "TworzTablice")->isEnabled());
    QVERIFY(!par1(program.dataDir()));
}

void TowaryPrintTest::valueReportListsSuppliersWithPurchases()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int b = jadl::test::addSupplier(dm, QStringLiteral("B"), QStringLiteral("B"));
    const int c = jadl::test::addSupplier(dm, QStringLiteral("C"), QStringLiteral("C"));
    QList<Line> lines = {{b, QDate(2026, 10, 3), 99.0, {}}}; // B bought nothing in the period
    for (int i = 0; i < 40; ++i)
        lines.append({i % 2 ? a : c, QDate(2026, 11, 1 + i % 30), 1.0 + i / 7.0, {}});
    addLines(program.dataDir(), lines);
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(4);
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();

    int shownDuringPreview = -1;
    bool flagDuringPreview = false;
    QString caption;
    jadl::test::whenModalShown([&](QWidget*) {
        shownDuringPreview = dm.TableDostawcy->recordCount();
        flagDuringPreview = jadl::shared().supplierReportFlag;
        caption = forms().WartoscKupionychTowarowDruk->QRLabelOkres->caption();
    });
    jadl::test::child<QPushButton>(w, "BitBtnDrukuj")->click();
    QCOMPARE(shownDuringPreview, 2);
    QVERIFY(flagDuringPreview);
    QVERIFY(!caption.isEmpty());
    QVERIFY(program.messages().log().isEmpty());

    // Afterwards every supplier again, and the lines follow the supplier.
    QVERIFY(!jadl::shared().supplierReportFlag);
    QVERIFY(!dm.TableDostawcy->filtered());
    QCOMPARE(dm.TableDostawcy->recordCount(), 3);
    QCOMPARE(dm.TableTowary->masterSource(), dm.DataSourceDostawcy);
    QCOMPARE(dm.TableTowary->indexName(), QStringLiteral("NumerDostawcyInd"));

    // Each supplier's stored sums are its lines of the period in "NumerDostawcyInd"
    // order, summed the straightforward way.
    Table& sup = *dm.TableDostawcy;
    Table& tow = *dm.TableTowary;
    for (sup.first(); !sup.eof(); sup.next()) {
        tow.refresh();
        double net = 0, vat = 0, gross = 0;
        for (int r = 0; r < tow.recordCount(); ++r) {
            net += tow.valueAt(r, tow.fieldIndex(QStringLiteral("WartoscNetto"))).toDouble();
            gross += tow.valueAt(r, tow.fieldIndex(QStringLiteral("WartoscBrutto"))).toDouble();
            vat += tow.valueAt(r, tow.fieldIndex(QStringLiteral("WartoscVat"))).toDouble();
        }
        const int numer = sup.fieldByName(QStringLiteral("Numer")).asInteger();
        QCOMPARE(tow.recordCount(), numer == b ? 0 : 20);
        QVERIFY(sup.fieldByName(QStringLiteral("WartoscNettoSuma")).asFloat() == jadl::roundedMoney(net));
        QVERIFY(sup.fieldByName(QStringLiteral("WartoscVatSuma")).asFloat() == jadl::roundedMoney(vat));
        QVERIFY(sup.fieldByName(QStringLiteral("WartoscBruttoSuma")).asFloat() == jadl::roundedMoney(gross));
    }
}

void TowaryPrintTest::purchasedGoodsReportPreparation_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("font");
    QTest::addColumn<bool>("activeRestaurant");
    QTest::addColumn<QString>("fontName");
    QTest::addColumn<double>("pointSize");
    QTest::newRow("one supplier, normal") << 0 << 0 << true << "Times New Roman" << 8.0;
    QTest::newRow("all suppliers, small") << 1 << 1 << true << "Small Fonts" << 7.0;
    QTest::newRow("no active restaurant, very small") << 0 << 2 << false << "Small Fonts" << 5.0;
}

void TowaryPrintTest::purchasedGoodsReportPreparation()
{
    QFETCH(int, mode);
    QFETCH(int, font);
    QFETCH(bool, activeRestaurant);
    QFETCH(QString, fontName);
    QFETCH(double, pointSize);
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    jadl::test::addRestaurant(dm, QStringLiteral("BAR1"), false);
    jadl::test::addRestaurant(dm, QStringLiteral("BAR2"), activeRestaurant);
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    addLines(program.dataDir(), {{a, kToday, 10.0, {}}, {a, kToday, 12.0, {}}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(11);
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(mode)->click();
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupCzcionka")->buttons()->button(font)->click();

    TZakupioneTowaryDruk* r = forms().ZakupioneTowaryDruk;
    int pages = -1;
    jadl::test::whenModalShown([&](QWidget*) { pages = int(r->layoutPages().pages.size()); });
    jadl::test::child<QPushButton>(w, "BitBtnDrukuj2")->click();
    QCOMPARE(pages, 1);
    QCOMPARE(r->QRLabelDostawcaInd->enabled(), mode == 0);
    QCOMPARE(r->QRDBTextDostawcaInd->enabled(), mode == 0);
    QCOMPARE(r->QRLabelRestauracjaSymbol->visible(), activeRestaurant);
    if (activeRestaurant)
        QCOMPARE(r->QRLabelRestauracjaSymbol->caption(), QStringLiteral("BAR2"));
    QCOMPARE(r->QRLabelOkres->caption(), QStringLiteral(" za cały okres"));
    QCOMPARE(r->QRBand2->font().name, fontName);
    QCOMPARE(r->QRBand2->font().pointSize, pointSize);
    QCOMPARE(qgetenv("TMP"), QDir::currentPath().toLocal8Bit());

    TZakupioneTowaryDruk1* r1 = forms().ZakupioneTowaryDruk1;
    jadl::test::whenModalShown([](QWidget*) {});
    jadl::test::child<QPushButton>(w, "BitBtnDrukuj1")->click();
    QCOMPARE(r1->QRBand2->font().name, fontName);
    QCOMPARE(r1->QRBand2->font().pointSize, pointSize);
    QVERIFY(program.messages().log().isEmpty());
}

QTEST_MAIN(TowaryPrintTest)
#include "tst_towary_print.moc"
