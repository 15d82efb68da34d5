// The report forms over the data module's real tables: each prints the table's
// current view (filter, master link, index as they stand) without moving the
// user's record, and renders to a PDF with the right number of pages.
#include "reports/Dostawcy_Druk.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "support/core/TempDataDir.h"

#include <QDir>
#include <QtTest>

#include <memory>

using namespace jadl;

namespace {

// The supplier goods window as the purchase-lines filter sees it: visible, with a
// chosen range of days.
class PeriodWindow : public PurchaseFilterInputs {
public:
    bool assignmentVisible() const override { return false; }
    bool filterByGroup() const override { return false; }
    QDate assignmentCalendarDate() const override { return {}; }
    bool supplierGoodsVisible() const override { return true; }
    std::optional<jadl::PeriodChoice> periodChoice() const override { return jadl::periodChoiceOf(choice); }
    int choice = 10;
};

void setField(Table& t, const char* name, const QVariant& v)
{
    t.fieldByName(QString::fromLatin1(name)).setValue(v);
}

int countPdfPages(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = f.readAll();
    int count = 0;
    for (qsizetype at = 0; (at = pdf.indexOf("/Type /Page", at)) >= 0;) {
        at += 11;
        if (at < pdf.size() && pdf.at(at) != 's')
            ++count;
    }
    return count;
}

// With JADL_REPORT_PDF_DIR set, the layouts are also written there to be looked at.
void keepPdf(ReportForm& form, const QString& name)
{
    const QString keep = qEnvironmentVariable("JADL_REPORT_PDF_DIR");
    if (keep.isEmpty())
        return;
    QDir().mkpath(keep);
    QVERIFY(form.exportPdf(keep + QLatin1Char('/') + name + QStringLiteral(".pdf")));
}

} // namespace

class TestReportTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void purchasedGoodsFollowTheView();
    void allSuppliersInIndexOrder();
    void supplierValuesOnlyNonZero();
    void catalogueOfCurrentGroup();
    void supplierListAndPdf();

private:
    void addSupplier(const QString& symbol, double net, double vat, double gross);
    void addLine(int supplier, const QString& symbol, const QDate& day, double net, double gross, bool invoice);
    void fill();

    std::unique_ptr<test::TempDataDir> dir_;
    std::unique_ptr<TModulDanych1> dm_;
    PeriodWindow window_;
};

void TestReportTables::init()
{
    dir_ = std::make_unique<test::TempDataDir>(QDate(2024, 5, 6));
    Aliases::setAlias(QStringLiteral("dane_bar"), dir_->dataDir());
    dm_ = std::make_unique<TModulDanych1>();
    dm_->setFilterInputs(&window_);
    window_.choice = 10;
    shared().periodStart = QDate(2024, 3, 1);
    shared().periodEnd = QDate(2024, 3, 15);
    shared().supplierReportFlag = false;
    fill();
}

void TestReportTables::cleanup()
{
    dm_.reset();
    dir_.reset();
    shared() = SharedValues{};
}

void TestReportTables::addSupplier(const QString& symbol, double net, double vat, double gross)
{
    Table& t = *dm_->TableDostawcy;
    t.append();
    setField(t, "Symbol", symbol);
    setField(t, "Nazwa", QString(symbol + QStringLiteral(" SP. Z O.O.")));
    setField(t, "Adres", QStringLiteral("ul. Długa 5"));
    setField(t, "E_mail", QString(symbol.toLower() + QStringLiteral("@example.pl")));
    setField(t, "Telefon", QStringLiteral("22 123 45 67"));
    setField(t, "WartoscNettoSuma", net);
    setField(t, "WartoscVatSuma", vat);
    setField(t, "WartoscBruttoSuma", gross);
    t.post();
}

void TestReportTables::addLine(int supplier, const QString& symbol, const QDate& day, double net, double gross,
                               bool invoice)
{
    Table t;
    t.setDatabaseName(QStringLiteral("jadlonia"));
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    t.append();
    setField(t, "NumerDostawcy", supplier);
    setField(t, "Dostawca", supplier == 1 ? QStringLiteral("HURT") : QStringLiteral("PIEKARNIA"));
    setField(t, "Symbol", symbol);
    setField(t, "DataZakupu", day);
    setField(t, "DataZakupuString", QStringLiteral("%1.%2").arg(day.day()).arg(day.month()));
    setField(t, "Ilosc", 1.0);
    setField(t, "JednostkaMiary", QStringLiteral("kg"));
    setField(t, "CenaNetto", net);
    setField(t, "WartoscNetto", net);
    setField(t, "CenaBrutto", gross);
    setField(t, "WartoscBrutto", gross);
    setField(t, "VatTyp", QStringLiteral("8"));
    setField(t, "CzyBylaFaktura", invoice);
    setField(t, "JakaCenaRef", QStringLiteral("0"));
    setField(t, "CenaReferencyjna", net);
    setField(t, "Grupa", supplier == 1 ? QStringLiteral("MIĘSO") : QStringLiteral("PIECZYWO"));
    t.post();
    t.close();
}

void TestReportTables::fill()
{
    dm_->TableDostawcy->open();
    addSupplier(QStringLiteral("HURT"), 30.6, 2.45, 33.05);
    addSupplier(QStringLiteral("PIEKARNIA"), 5.0, 0.4, 5.4);
    addSupplier(QStringLiteral("SKLEP"), 0.0, 0.0, 0.0);
    dm_->TableDostawcy->first();

    addLine(1, QStringLiteral("SCHAB"), QDate(2024, 3, 10), 20.5, 22.14, true);
    addLine(1, QStringLiteral("BOCZEK"), QDate(2024, 3, 1), 10.1, 10.91, false);
    addLine(1, QStringLiteral("ZIEMNIAKI"), QDate(2024, 3, 15), 3.0, 3.24, true);
    addLine(1, QStringLiteral("KAPUSTA"), QDate(2024, 2, 29), 4.0, 4.32, true); // before the period
    addLine(1, QStringLiteral("MARCHEW"), QDate(2024, 3, 16), 2.0, 2.16, true); // after it
    addLine(2, QStringLiteral("BUŁKI"), QDate(2024, 3, 5), 5.0, 5.4, true);
    dm_->TableTowary->open();
}

void TestReportTables::purchasedGoodsFollowTheView()
{
    Table& lines = *dm_->TableTowary;
    QCOMPARE(lines.recordCount(), 3);
    lines.first();
    lines.next();
    const int before = lines.recNo();
    const QString current = lines.fieldByName(QStringLiteral("Symbol")).asString();

    TZakupioneTowaryDruk r;
    r.bindDataModule(dm_.get());
    const ReportPages pages = r.layoutPages();
    QCOMPARE(pages.pageCount(), 1);
    // In the view's order (by symbol within the supplier), only the period's lines.
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")),
             (QStringList{QStringLiteral("BOCZEK"), QStringLiteral("SCHAB"), QStringLiteral("ZIEMNIAKI")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextFaktura")),
             (QStringList{QStringLiteral("Nie"), QStringLiteral("Tak"), QStringLiteral("Tak")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextData")),
             (QStringList{QStringLiteral("1.3"), QStringLiteral("10.3"), QStringLiteral("15.3")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData3")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscNetto")), QStringList{QStringLiteral("33,60")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscBrutto")), QStringList{QStringLiteral("36,29")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextDostawcaInd")), QStringList{QStringLiteral("HURT")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData1")), QStringList{QStringLiteral("Data:  6.5.2024")});
    // The user's record is where it was.
    QCOMPARE(lines.recNo(), before);
    QCOMPARE(lines.fieldByName(QStringLiteral("Symbol")).asString(), current);
    r.QRLabelOkres->setCaption(QStringLiteral("Od 1.3.2024 do 15.3.2024"));
    r.QRLabelRestauracjaSymbol->setCaption(QStringLiteral("BAR POD RÓŻĄ"));
    keepPdf(r, QStringLiteral("zakupione"));

    // The bare table prints the same rows.
    TZakupioneTowaryDruk1 bare;
    bare.bindDataModule(dm_.get());
    QCOMPARE(bare.layoutPages().textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")),
             (QStringList{QStringLiteral("BOCZEK"), QStringLiteral("SCHAB"), QStringLiteral("ZIEMNIAKI")}));
    keepPdf(bare, QStringLiteral("zakupione1"));

    // Another supplier chosen: its lines, and its symbol on the supplier line.
    dm_->TableDostawcy->next();
    const ReportPages other = r.layoutPages();
    QCOMPARE(other.textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")), QStringList{QStringLiteral("BUŁKI")});
    QCOMPARE(other.textsOf(QStringLiteral("QRDBTextDostawcaInd")), QStringList{QStringLiteral("PIEKARNIA")});

    // A supplier without lines in the period: nothing to print.
    dm_->TableDostawcy->next();
    QVERIFY(r.layoutPages().isEmpty());
    QTemporaryDir out;
    QVERIFY(!r.exportPdf(out.filePath(QStringLiteral("pusty.pdf"))));
}

void TestReportTables::allSuppliersInIndexOrder()
{
    Table& lines = *dm_->TableTowary;
    lines.setMasterSource(nullptr);
    lines.setMasterFields(QString());
    lines.setIndexName(QStringLiteral("SymbolInd"));
    TZakupioneTowaryDruk r;
    r.bindDataModule(dm_.get());
    r.QRLabelDostawcaInd->setEnabled(false);
    r.QRDBTextDostawcaInd->setEnabled(false);
    const ReportPages pages = r.layoutPages();
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")),
             (QStringList{QStringLiteral("BOCZEK"), QStringLiteral("BUŁKI"), QStringLiteral("SCHAB"),
                          QStringLiteral("ZIEMNIAKI")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextDostawca")),
             (QStringList{QStringLiteral("HURT"), QStringLiteral("PIEKARNIA"), QStringLiteral("HURT"),
                          QStringLiteral("HURT")}));
    QVERIFY(pages.textsOf(QStringLiteral("QRDBTextDostawcaInd")).isEmpty());
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscNetto")), QStringList{QStringLiteral("38,60")});

    // The whole period: the filter lets every line through.
    window_.choice = 11;
    lines.setFiltered(false);
    QCOMPARE(r.layoutPages().textsOf(QStringLiteral("QRSysData3")).size(), 6);
}

void TestReportTables::supplierValuesOnlyNonZero()
{
    Table& suppliers = *dm_->TableDostawcy;
    shared().supplierReportFlag = true;
    suppliers.setFiltered(true);
    TWartoscKupionychTowarowDruk r;
    r.bindDataModule(dm_.get());
    r.QRLabelOkres->setCaption(QStringLiteral("Od 1.3.2024 do 15.3.2024"));
    const ReportPages pages = r.layoutPages();
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextDostawca")),
             (QStringList{QStringLiteral("HURT"), QStringLiteral("PIEKARNIA")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprSumaWartoscNetto")), QStringList{QStringLiteral("35,60")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprSumaWartoscVat")), QStringList{QStringLiteral("2,85")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRExprWartoscBruttoSuma")), QStringList{QStringLiteral("38,45")});
    QCOMPARE(pages.textsOf(QStringLiteral("QRLabelOkres")), QStringList{QStringLiteral("Od 1.3.2024 do 15.3.2024")});
    keepPdf(r, QStringLiteral("wartosc"));

    suppliers.setFiltered(false);
    shared().supplierReportFlag = false;
    QCOMPARE(r.layoutPages().textsOf(QStringLiteral("QRDBTextDostawca")).size(), 3);
}

void TestReportTables::catalogueOfCurrentGroup()
{
    Table& groups = *dm_->TableGrupyTowarow;
    Table& goods = *dm_->TableTowaryPodstawowe;
    groups.open();
    for (const char* name : {"MIĘSO", "NABIAŁ"}) {
        groups.append();
        setField(groups, "Grupa", QString::fromUtf8(name));
        groups.post();
    }
    groups.first();
    const int meat = groups.fieldByName(QStringLiteral("Numer")).asInteger();
    groups.next();
    const int dairy = groups.fieldByName(QStringLiteral("Numer")).asInteger();
    QVERIFY(meat != dairy);
    goods.open();
    const struct {
        int group;
        const char* symbol;
        int nr;
    } rows[] = {{meat, "SCHAB", 1}, {dairy, "SER", 2}, {dairy, "MLEKO", 1}, {meat, "BOCZEK", 2}, {dairy, "JOGURT", 3}};
    for (const auto& row : rows) {
        goods.append();
        setField(goods, "NumerGrupy", row.group);
        setField(goods, "Symbol", QString::fromUtf8(row.symbol));
        setField(goods, "NrKol", row.nr);
        setField(goods, "Grupa", row.group == meat ? QStringLiteral("MIĘSO") : QStringLiteral("NABIAŁ"));
        goods.post();
    }
    groups.first();
    groups.next(); // the dairy group is current

    TTowaryPodstawoweWgGrupDruk r;
    r.bindDataModule(dm_.get());
    ReportPages pages = r.layoutPages();
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBSymbol")),
             (QStringList{QStringLiteral("JOGURT"), QStringLiteral("MLEKO"), QStringLiteral("SER")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBNrTowaruPodstawowego")),
             (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBNumerGrupy")), QStringList(3, QString::number(dairy)));

    // By NrKol after the window's title click.
    goods.setIndexName(QStringLiteral("NumerGrupyNrKolInd"));
    pages = r.layoutPages();
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBSymbol")),
             (QStringList{QStringLiteral("MLEKO"), QStringLiteral("SER"), QStringLiteral("JOGURT")}));
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData1")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    keepPdf(r, QStringLiteral("katalog"));
}

void TestReportTables::supplierListAndPdf()
{
    Table& suppliers = *dm_->TableDostawcy;
    for (int i = 1; i <= 60; ++i)
        addSupplier(QStringLiteral("D%1").arg(i, 3, 10, QLatin1Char('0')), 0, 0, 0);
    suppliers.first();
    TDostawcyDruk r;
    r.bindDataModule(dm_.get());
    const ReportPages pages = r.layoutPages();
    QCOMPARE(pages.textsOf(QStringLiteral("QRSysData3")).size(), 63);
    QCOMPARE(pages.pageCount(), 2);
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBTextSymbolDostawcy")).first(), QStringLiteral("HURT"));
    QCOMPARE(pages.textsOf(QStringLiteral("QRDBText2")).first(), QStringLiteral("hurt@example.pl"));

    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("dostawcy.pdf"));
    QVERIFY(r.exportPdf(path));
    QCOMPARE(countPdfPages(path), 2);
    keepPdf(r, QStringLiteral("dostawcy"));
}

QTEST_MAIN(TestReportTables)
#include "tst_tables.moc"
