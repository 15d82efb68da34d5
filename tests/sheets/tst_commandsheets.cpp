// The supplier goods window's print commands over table files: each preview saves,
// as a sheet, the view it prints while it is open (the supplier values command
// filters the suppliers only for its preview).
#include "SheetTestSupport.h"
#include "purchases/TowaryJadl.h"
#include "reports/ReportPreview.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"
#include "support/gui/WindowOpening.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>

using namespace jadl;
using namespace sheettest;

namespace {

const QDate kToday(2026, 12, 6);

void addLine(const QString& dataDir, int supplier, const QString& name, const QDate& day, double net)
{
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    t.append();
    t.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(supplier);
    t.fieldByName(QStringLiteral("Dostawca")).setString(name);
    t.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("TOWAR"));
    t.fieldByName(QStringLiteral("DataZakupu")).setDate(day);
    t.fieldByName(QStringLiteral("Ilosc")).setFloat(2.0);
    t.fieldByName(QStringLiteral("CenaNetto")).setFloat(net / 2.0);
    t.fieldByName(QStringLiteral("WartoscNetto")).setFloat(net);
    t.fieldByName(QStringLiteral("WartoscBrutto")).setFloat(net * 1.23);
    t.post();
}

} // namespace

class TestCommandSheets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void previewOfCommandSavesItsView_data();
    void previewOfCommandSavesItsView();
};

void TestCommandSheets::previewOfCommandSavesItsView_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<QStringList>>("details"); // the leading cells of each detail row
    const QStringList a{QStringLiteral("1"), QStringLiteral("A")};
    QTest::newRow("supplier values") << "BitBtnDrukuj"
                                     << QList<QStringList>{a, {QStringLiteral("2"), QStringLiteral("C")}};
    QTest::newRow("purchased goods") << "BitBtnDrukuj2"
                                     << QList<QStringList>{
                                            {QStringLiteral("1"), QStringLiteral("DOSTAWCA A"), QStringLiteral("2")}};
    QTest::newRow("copies") << "BitBtnDrukuj1"
                            << QList<QStringList>{{QStringLiteral("DOSTAWCA A"), QStringLiteral("2")}};
}

void TestCommandSheets::previewOfCommandSavesItsView()
{
    QFETCH(QString, button);
    QFETCH(QList<QStringList>, details);
    test::ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int b = test::addSupplier(dm, QStringLiteral("B"), QStringLiteral("B"));
    const int c = test::addSupplier(dm, QStringLiteral("C"), QStringLiteral("C"));
    addLine(program.dataDir(), a, QStringLiteral("DOSTAWCA A"), QDate(2026, 11, 3), 10.0);
    addLine(program.dataDir(), b, QStringLiteral("DOSTAWCA B"), QDate(2026, 10, 3), 99.0); // outside the period
    addLine(program.dataDir(), c, QStringLiteral("DOSTAWCA C"), QDate(2026, 11, 20), 4.5);
    TTowary* w = test::openSupplierGoodsWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(4); // the previous month: November 2026

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raport.csv"));
    setSheetFileNameAsker([&](QWidget*, const QString&) {
        return std::optional<SheetFileChoice>({path, SheetFormat::Csv});
    });
    bool offered = false;
    test::whenModalShown([&](QWidget* modal) {
        if (auto* save = modal->findChild<QAction*>(QString::fromLatin1(kSaveSheetActionName))) {
            offered = true;
            save->trigger();
        }
    });
    w->findChild<QPushButton*>(button)->click();
    setSheetFileNameAsker({});

    QVERIFY(offered);
    QCOMPARE(program.messages().texts(), QStringList());
    const QList<QStringList> records = recordTexts(readBack(path, SheetFormat::Csv));
    // Between the column titles and the summary row.
    int header = 0;
    while (header < records.size() && records[header].size() < 2)
        ++header;
    QCOMPARE(records.size(), header + 1 + details.size() + 1);
    for (qsizetype i = 0; i < details.size(); ++i)
        QCOMPARE(records[header + 1 + i].mid(0, details[i].size()), details[i]);
    if (button != QStringLiteral("BitBtnDrukuj")) {
        // The purchase date from the table's date field.
        const int col = int(records[header].indexOf(QStringLiteral("Data")));
        QCOMPARE(records[header + 1].value(col), QStringLiteral("03.11.2026"));
    }
}

QTEST_MAIN(TestCommandSheets)
#include "tst_commandsheets.moc"
