// Sums as large as a chain's books reach (999 999 999 999,99) are shown with
// every digit to the grosz, in every window that shows a sum: the supplier goods
// window's three edits and its suppliers' stored sums, the assignment window's
// totals and the KSeF import's totals per rate.
#include "common/Formats.h"
#include "controls/DBGrid.h"
#include "controls/FittedText.h"
#include "controls/MonthCalendar.h"
#include "invoices/InvoiceTestData.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/core/TestSupport.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"
#include "support/gui/WindowOpening.h"
#include "work/KsefImport.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

using jadl::forms;

namespace {

const QDate kToday(2026, 12, 6);
const QString kGross = QStringLiteral("999 999 999 999,99");
const QString kNet = QStringLiteral("813 008 130 081,29");
const QString kVat = QStringLiteral("186 991 869 918,70");

// The edit holds the whole text and its font lets the text fit.
void checkWhole(QLineEdit* edit, const QString& text)
{
    QCOMPARE(edit->text(), text);
    const int need = QFontMetrics(edit->font()).horizontalAdvance(text);
    QVERIFY2(
        need <= jadl::textAreaWidth(edit),
        qPrintable(
            QStringLiteral("%1 needs %2 px of %3").arg(edit->objectName()).arg(need).arg(jadl::textAreaWidth(edit))));
}

// The grid cell shows the text and its column is wide enough for it.
void checkCell(QAbstractItemView* grid, int row, int column, const QString& text)
{
    const QModelIndex i = grid->model()->index(row, column);
    QCOMPARE(i.data().toString(), text);
    auto* table = qobject_cast<QTableView*>(grid);
    QVERIFY(table);
    QVERIFY2(table->fontMetrics().horizontalAdvance(text) < table->columnWidth(column),
             qPrintable(text + QStringLiteral(" in column %1").arg(column)));
}

} // namespace

class WholeSumsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everySumShownWhole();
};

void WholeSumsTest::everySumShownWhole()
{
    jadl::test::ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int supplier = jadl::test::addSupplier(dm, QStringLiteral("HURT"), QStringLiteral("Hurtownia"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{supplier, kToday, 813008130081.29, 186991869918.70, 999999999999.99}});

    // The supplier goods window, one supplier (sums stored) and all suppliers, the whole period.
    TTowary* w = jadl::test::openSupplierGoodsWindow(dm);
    w->resize(w->minimumSizeHint());
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(11);
    QCoreApplication::processEvents();
    checkWhole(jadl::test::child<QLineEdit>(w, "EditSumaNetto"), kNet);
    checkWhole(jadl::test::child<QLineEdit>(w, "EditSumaVat"), kVat);
    checkWhole(jadl::test::child<QLineEdit>(w, "EditSumaBrutto"), kGross);
    checkCell(jadl::test::child<jadl::DBGrid>(w, "DBGrid2"), 0, 2, kNet);
    checkCell(jadl::test::child<jadl::DBGrid>(w, "DBGrid2"), 0, 3, kVat);
    checkCell(jadl::test::child<jadl::DBGrid>(w, "DBGrid2"), 0, 4, kGross);
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    QCoreApplication::processEvents();
    checkWhole(jadl::test::child<QLineEdit>(w, "EditSumaBrutto"), kGross);
    w->close();

    // The assignment window's totals of the day.
    TPrzypisywanieTowarow* a = forms().PrzypisywanieTowarow;
    for (jadl::Table* t :
         {dm.TableDostawcy, dm.TableTowary, dm.TableWlasciciel, dm.TableGrupyTowarow, dm.TableTowaryPodstawowe})
        if (!t->active())
            t->open();
    dm.TableTowary->setMasterSource(dm.DataSourceDostawcy);
    dm.TableTowary->setMasterFields(QStringLiteral("Numer"));
    dm.TableTowary->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    jadl::test::child<jadl::MonthCalendar>(a, "Calendar1")->setDate(kToday);
    a->show();
    dm.TableDostawcy->first();
    jadl::test::child<jadl::MonthCalendar>(a, "Calendar1")->setDate(kToday.addDays(-1));
    jadl::test::child<jadl::MonthCalendar>(a, "Calendar1")->setDate(kToday);
    QCoreApplication::processEvents();
    checkWhole(jadl::test::child<QLineEdit>(a, "EditWartoscCalkowitaNetto"), kNet);
    checkWhole(jadl::test::child<QLineEdit>(a, "EditWartoscCalkowitaBrutto"), kGross);
    a->hide();

    // The KSeF import's totals per rate, as the invoice gives them and as the lines will be stored.
    jadl::ksefimport::OwnTables own;
    TImportFakturyKSeF k(
        own.tables(),
        jadl::ksefimport::prepare(jadl::ksef::test::dataPath(QStringLiteral("trillion.xml")), own.tables()));
    k.show();
    QCoreApplication::processEvents();
    auto* sums = k.findChild<QTableWidget*>(QStringLiteral("GridSumy"));
    QVERIFY(sums);
    checkCell(sums, 0, 1, kNet);
    checkCell(sums, 0, 2, kVat);
    checkCell(sums, 0, 3, kNet);
    checkCell(sums, 0, 4, kVat);
    checkCell(sums, 1, 1, kGross);
    checkCell(sums, 1, 3, kGross);
}

QTEST_MAIN(WholeSumsTest)
#include "tst_wholesums.moc"
