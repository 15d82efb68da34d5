#include "purchases/TowaryJadl.h"

#include "common/Environment.h"
#include "common/Formats.h"
#include "common/Money.h"
#include "common/Months.h"
#include "controls/Builders.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBText.h"
#include "controls/DatePicker.h"
#include "controls/FittedText.h"
#include "controls/Guarded.h"
#include "controls/MonthCalendar.h"
#include "controls/PendingEdits.h"
#include "controls/PriceColors.h"
#include "controls/ProgressScope.h"
#include "controls/WheelToArrowFilter.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "purchases/HistoriaZmian.h"
#include "purchases/PurchaseChartsWindow.h"
#include "reports/PeriodCaption.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "store/DataSource.h"
#include "store/EngineError.h"
#include "store/Modul_Danych1.h"
#include "store/RecordRules.h"
#include "store/ServerSetup.h"
#include "store/SharedValues.h"
#include "store/Table.h"
#include "work/CopyTable.h"
#include "work/PurchaseLine.h"
#include "work/SupplierTotals.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

using jadl::Table;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);

using jadl::makeButton;
using jadl::makeLabel;

void closeIfOpen(Table* t)
{
    if (t && t->active())
        t->close();
}

} // namespace

// ---------------------------------------------------------------- radio group

QString TTowary::sumText(double v)
{
    return jadl::formatSum(v);
}

// ---------------------------------------------------------------- construction

// A date picker that holds the focus says "editing finished" while the base class
// deletes it; by then this window's members are gone, so its signals are cut first.
TTowary::~TTowary()
{
    for (QDateEdit* picker : {DateTimePickerDataPocz, DateTimePickerDataKon})
        if (picker)
            picker->disconnect(this);
}

TTowary::TTowary(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Towary"), QStringLiteral("AKTUALNE TOWARY DOSTAWCÓW "), 1180, 800);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtnZamknijClick(); }); });
    setToolTip(QStringLiteral("Towary dostawcy, którym podajemy ilość cenę"));
    buildControls();
    // One wheel notch is one arrow key, in every window of the program.
    jadl::WheelToArrowFilter::installOnApplication();
}

void TTowary::buildControls()
{
    // Top to bottom: the suppliers, the supplier mode, the period and the
    // calendar; the purchase lines; the current line; totals and printing.
    auto* top = new QVBoxLayout(this);
    auto* upper = new QHBoxLayout;
    upper->addLayout(buildSuppliersPanel(), 3);
    upper->addLayout(buildChoicesPanel(), 2);
    upper->addLayout(buildCalendarPanel(), 2);
    top->addLayout(upper, 3);
    buildLinesPanel(top);
    top->addLayout(buildCurrentLinePanel());
    auto* lower = new QHBoxLayout;
    lower->addLayout(buildTotalsPanel(), 4);
    lower->addWidget(buildPrintPanel(), 1);
    lower->addWidget(buildOptionsPanel(), 1);
    top->addLayout(lower, 2);

    KopiowanieRekordow = makeButton(this, "KopiowanieRekordow", QStringLiteral("Czekaj  kopiuję"));
    jadl::setNavyBold(KopiowanieRekordow);
    QFont big = KopiowanieRekordow->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    KopiowanieRekordow->setFont(big);
    KopiowanieRekordow->setFocusPolicy(Qt::NoFocus);
    KopiowanieRekordow->hide();
    top->addWidget(KopiowanieRekordow);

    TableTowaryRaport = new jadl::Table(this, QStringLiteral("TableTowaryRaport"));
    TableTowaryRaport->setDatabaseName(QStringLiteral("dane_bar"));
    DataSourceTowaryRaport = new jadl::DataSource(this, TableTowaryRaport);
    DataSourceTowaryRaport->setObjectName(QStringLiteral("DataSourceTowaryRaport"));
}

QString TTowary::startDrive() const
{
    return DyskSystemu->currentText().left(1);
}

void TTowary::useCopyTable(bool exists, const QString& directory)
{
    if (!exists)
        return;
    TworzTablice->setEnabled(false);
    if (directory.isEmpty())
        return;
    TableTowaryRaport->close();
    TableTowaryRaport->setDatabaseName(directory);
    TableTowaryRaport->setTableName(QStringLiteral("TowaryRaport"));
}

void TTowary::bindDataModule(TModulDanych1* dm)
{
    dm_ = dm;
    jadl::registerEditor(
        this, {dm->TableTowary}, [dm] { dm->TableTowary->post(); }, jadl::SaveStyle::PostOnMove);
    HistoriaZmian->setVisible(dm->Database1->location().isServer());
    const QColor face = palette().color(QPalette::Button);

    DBGrid2->setDataSource(dm->DataSourceDostawcy);
    DBGrid2->setColumns({{QStringLiteral("Numer"), QStringLiteral("Nr"), true, face, 40},
                         {QStringLiteral("Symbol"), QStringLiteral("Dostawca"), true, face, 180},
                         {QStringLiteral("WartoscNettoSuma"), QStringLiteral("W.Netto"), true, face, 90},
                         {QStringLiteral("WartoscVatSuma"), QStringLiteral("W.Vat"), true, face, 90},
                         {QStringLiteral("WartoscBruttoSuma"), QStringLiteral("W. Brutto"), true, face, 90}});
    // The stored sums as the sum edits show them, every digit in sight.
    for (int column : {2, 3, 4}) {
        DBGrid2->setColumnFormat(column, QStringLiteral("#,##0.00"));
        DBGrid2->setColumnWidensToValues(column);
    }
    DBGrid2->setBoldTitles(true, kMaroon);

    DBGrid1->setDataSource(dm->DataSourceTowary);
    DBGrid1->setColumns({{QStringLiteral("NumerDostawcy"), QStringLiteral("Nr"), true, face, 40},
                         {QStringLiteral("Symbol"), QStringLiteral("Nazwa skrócona (symbol tow.)"), false, face, 200},
                         {QStringLiteral("CenaReferencyjna"), QStringLiteral("Cena Ref."), false, std::nullopt, -1},
                         {QStringLiteral("CenaNetto"), QStringLiteral("Cena Net."), false, std::nullopt, -1},
                         {QStringLiteral("Ilosc"), QStringLiteral("Ilość"), false, std::nullopt, -1},
                         {QStringLiteral("WartoscNetto"), QStringLiteral("Wart.Net."), true, face, -1},
                         {QStringLiteral("VatTyp"), QString(), false, std::nullopt, 50},
                         {QStringLiteral("WartoscVat"), QStringLiteral("Wart.Vat"), true, face, -1},
                         {QStringLiteral("Upust"), QString(), false, std::nullopt, 50},
                         {QStringLiteral("WartoscBrutto"), QStringLiteral("Wart.Brut."), true, face, -1},
                         {QStringLiteral("CzyBylaFaktura"), QStringLiteral("Faktura"), false, std::nullopt, 60},
                         {QStringLiteral("JakaCenaRef"), QStringLiteral("Inf."), false, std::nullopt, 40},
                         {QStringLiteral("DataZakupuString"), QStringLiteral("Data zak."), false, std::nullopt, -1}});
    DBGrid1->setBoldTitles(true, kMaroon);
    DBGrid1->setRowColor(jadl::referencePriceRowColor());

    for (jadl::DBEdit* e :
         {DBEditCenaNetto, DBEditCenaBrutto, DBEditIlosc, DBEditWartoscBrutto, DBEditData, DBEditCenaReferencyjna})
        e->setDataSource(dm->DataSourceTowary);
    DBComboBoxVatTyp->setDataSource(dm->DataSourceTowary);
    DBComboBoxJednostkaMiary->setDataSource(dm->DataSourceTowary);
    DBTextNumerKol->setDataSource(dm->DataSourceTowary);
    wireHandlers();
}

void TTowary::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The purchase-lines filter reads this window's visibility: the lines and
    // sums of the chosen period are read now that it shows.
    jadl::runGuarded([this] {
        ComboBoxWybierzOkresChange();
        referencePriceEditColour();
    });
}

std::optional<jadl::PeriodChoice> TTowary::periodChoice() const
{
    return jadl::periodChoiceOf(ComboBoxWybierzOkres->currentIndex());
}

void TTowary::prepareForShow()
{
    {
        const QSignalBlocker quiet(ComboBoxWybierzOkres);
        ComboBoxWybierzOkres->setCurrentIndex(-1);
        ComboBoxWybierzOkres->setEditText(QStringLiteral("Wybierz okres"));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBoxMiesiace, DateTimePickerDataPocz, DateTimePickerDataKon,
                                                      LabelDataPocz, LabelDataKon, LabelZnak})
        w->hide();
    ComboBoxWybierzOkres->setCurrentIndex(0);
    LabelM_c_Rok->setText(jadl::formatLongDate(Calendar1->date()));
    Dzien->setText(jadl::formatWeekday(Calendar1->date()));
    if (assignmentDate_)
        jadl::shared().currentPurchaseDate = assignmentDate_();
    RadioGroupDlaDostawcow->setItemIndex(0);
    DBGrid2->setEnabled(true);
    setSupplierColumnsColour(true);
    LabelPodsumowanie->setText(QStringLiteral("PODSUMOWANIE DLA WYBRANEGO DOSTAWCY"));
    setCalendarOn(true);
    for (QLineEdit* e : {EditSumaNetto, EditSumaVat, EditSumaBrutto})
        e->setText(QStringLiteral("0"));
    GroupBoxWybierzOkres->setEnabled(true);
    ComboBoxWybierzOkres->show();
}

// ---------------------------------------------------------------- small routines

void TTowary::setCalendarOn(bool on)
{
    Calendar1->setEnabled(on);
    QPalette p = Calendar1->palette();
    const QColor c = on ? palette().color(QPalette::Window) : palette().color(QPalette::Shadow);
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    Calendar1->setPalette(p);
}

void TTowary::setSupplierColumnsColour(bool oneSupplier)
{
    const QColor c = oneSupplier ? palette().color(QPalette::Button) : palette().color(QPalette::Shadow);
    for (int col = 0; col < 3; ++col)
        DBGrid2->setColumnColor(col, c);
}

void TTowary::showRecordCount(std::optional<int> count)
{
    const int n = count ? *count : (dm_ ? dm_->TableTowary->recordCount() : 0);
    LabelLiczbaRekorow->setText(QStringLiteral("Liczba zapisów: ") + QString::number(n));
    LabelLiczbaRekorow->show();
}

void TTowary::showSums(const jadl::purchases::Sums& s)
{
    EditSumaNetto->setText(sumText(s.net));
    EditSumaVat->setText(sumText(s.vat));
    EditSumaBrutto->setText(sumText(s.gross));
}

void TTowary::applyLinesFilter(bool on)
{
    Table* lines = dm_->TableTowary;
    // Switching the filter re-reads the view already; otherwise a refresh does.
    if (lines->filtered() != on)
        lines->setFiltered(on);
    else
        lines->refresh();
}

void TTowary::linkLines(bool toSupplier, const QString& indexName)
{
    Table* lines = dm_->TableTowary;
    const jadl::ControlsDisabled quiet(*lines);
    // The order of the steps keeps every intermediate view small: the link is
    // made before the index changes, and dropped after.
    if (toSupplier) {
        lines->setMasterFields(QStringLiteral("Numer"));
        lines->setMasterSource(dm_->DataSourceDostawcy);
        lines->setIndexName(indexName);
    } else {
        lines->setIndexName(indexName);
        lines->setMasterFields(QString());
        lines->setMasterSource(nullptr);
    }
}

void TTowary::supplierScrolled()
{
    if (busy_ || !isVisible() || !dm_)
        return;
    // This handler may run before the lines have followed the move: re-read them
    // for the supplier now current.
    Table* lines = dm_->TableTowary;
    if (lines->active() && lines->masterSource() == dm_->DataSourceDostawcy)
        lines->refresh();
    selectedSupplierTotals();
    showRecordCount();
}

// ---------------------------------------------------------------- period handlers

void TTowary::ComboBoxWybierzOkresChange()
{
    using jadl::PeriodChoice;
    const std::optional<PeriodChoice> chosen = periodChoice();
    jadl::SharedValues& v = jadl::shared();
    if (!chosen) {
        showRecordCount(0);
        KopiowanieRekordow->hide();
        return;
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBoxMiesiace, DateTimePickerDataPocz, DateTimePickerDataKon,
                                                      LabelDataPocz, LabelDataKon, LabelZnak})
        w->hide();
    const PeriodChoice choice = *chosen;
    setCalendarOn(choice == PeriodChoice::CalendarDay);
    if (const auto p = jadl::periodOf(choice, jadl::platform::today(), Calendar1->date())) {
        v.periodStart = p->start;
        v.periodEnd = p->end;
    } else if (choice == PeriodChoice::ChosenMonth) {
        ComboBoxMiesiace->show();
    } else if (choice == PeriodChoice::ChosenRange) {
        for (QWidget* w : std::initializer_list<QWidget*>{DateTimePickerDataPocz, DateTimePickerDataKon, LabelDataPocz,
                                                          LabelDataKon, LabelZnak})
            w->show();
        // The start is kept even when the end cannot be read.
        const QDate start = DateTimePickerDataPocz->date();
        const QDate end = DateTimePickerDataKon->date();
        if (start.isValid())
            v.periodStart = start;
        if (!start.isValid() || !end.isValid())
            jadl::platform::showMessage(QStringLiteral("Niepoprawna data poniżej - popraw"));
        else
            v.periodEnd = end;
    }

    if (!isVisible() || !dm_ || !dm_->TableTowary->active()) {
        KopiowanieRekordow->hide();
        return;
    }
    applyLinesFilter(choice != PeriodChoice::Everything);
    // The sums cover what the lower grid now shows, for choice 0 too: picked from
    // the list it has no calendar change after it.
    modeTotals();
    showRecordCount();
    KopiowanieRekordow->hide();
}

void TTowary::ComboBoxMiesiaceChange()
{
    QStringList items;
    for (int i = 0; i < ComboBoxMiesiace->count(); ++i)
        items << ComboBoxMiesiace->itemText(i);
    const jadl::Period p = jadl::chosenMonth(ComboBoxMiesiace->currentText(), items, jadl::platform::today());
    jadl::shared().periodStart = p.start;
    jadl::shared().periodEnd = p.end;
    if (!isVisible() || !dm_ || !dm_->TableTowary->active())
        return;
    applyLinesFilter(true);
    modeTotals();
    showRecordCount();
    KopiowanieRekordow->hide();
}

void TTowary::DateTimePickerDataPoczChange()
{
    // No check that start <= end: a reversed range simply shows no lines.
    jadl::shared().periodStart = DateTimePickerDataPocz->date();
    jadl::shared().periodEnd = DateTimePickerDataKon->date();
    if (!isVisible() || !dm_ || !dm_->TableTowary->active())
        return;
    applyLinesFilter(true);
    modeTotals();
    showRecordCount();
    KopiowanieRekordow->hide();
}

void TTowary::DateTimePickerDataKonChange()
{
    DateTimePickerDataPoczChange();
}

void TTowary::Calendar1Change()
{
    const QDate day = Calendar1->date();
    LabelM_c_Rok->setText(jadl::formatLongDate(day));
    Dzien->setText(jadl::formatWeekday(day));
    if (assignmentDate_)
        jadl::shared().currentPurchaseDate = assignmentDate_();
    ComboBoxWybierzOkresChange();
    if (!isVisible() || !dm_ || !dm_->TableTowary->active())
        return;
    // The period handler has re-read and summed the lines; what is left is the
    // filter back on, and the sums again when that changed what is shown.
    Table* lines = dm_->TableTowary;
    if (!lines->filtered()) {
        lines->setFiltered(true);
        modeTotals();
    } else if (!periodChoice()) {
        lines->refresh();
        modeTotals();
    }
    showRecordCount();
    KopiowanieRekordow->hide();
}

void TTowary::PoprzedniMcClick()
{
    Calendar1->prevMonth();
}

void TTowary::NastepnyMcClick()
{
    Calendar1->nextMonth();
}

// ---------------------------------------------------------------- suppliers

void TTowary::RadioGroupDlaDostawcowClick()
{
    if (!dm_)
        return;
    const bool oneSupplier = RadioGroupDlaDostawcow->itemIndex() == 0;
    if (dm_->TableTowary->active()) {
        const QScopedValueRollback busy(busy_, true);
        linkLines(oneSupplier, oneSupplier ? QStringLiteral("NumerDostawcyInd") : QStringLiteral("SymbolInd"));
    }
    if (oneSupplier)
        DBGrid2->setEnabled(true);
    setSupplierColumnsColour(oneSupplier);
    LabelPodsumowanie->setText(oneSupplier ? QStringLiteral("PODSUMOWANIE DLA WYBRANEGO DOSTAWCY")
                                           : QStringLiteral("PODSUMOWANIE DLA WSZYSTKICH DOSTAWCÓW"));
    if (oneSupplier)
        selectedSupplierTotals();
    else
        allSuppliersTotals();
    showRecordCount();
    KopiowanieRekordow->hide();
}

void TTowary::BitBtnSzukajClick()
{
    Table* suppliers = dm_->TableDostawcy;
    if (suppliers->active()) {
        const QScopedValueRollback busy(busy_, true);
        suppliers->locate(QStringLiteral("Symbol"), EditSzukajDostawcyTowarow->text());
    }
    modeTotals();
}

void TTowary::DBGrid2DblClick()
{
    Calendar1Change();
    selectedSupplierTotals();
    if (dm_->TableTowary->active())
        linkLines(true, QStringLiteral("NumerDostawcyInd"));
    showRecordCount();
}

void TTowary::DBGrid1TitleClick(const QString& title)
{
    const bool nr = title == QStringLiteral("Nr");
    const bool symbol = title == QStringLiteral("Nazwa skrócona (symbol tow.)");
    if ((!nr && !symbol) || !dm_->TableTowary->active())
        return;
    const bool oneSupplier = RadioGroupDlaDostawcow->itemIndex() == 0;
    QString index;
    if (oneSupplier)
        index = nr ? QStringLiteral("NumerDostawcyInd") : QStringLiteral("NrDostawcySymbolInd");
    else
        index = nr ? QStringLiteral("NumerDostawcyInd") : QStringLiteral("SymbolInd");
    const QScopedValueRollback busy(busy_, true);
    linkLines(oneSupplier, index);
}

void TTowary::OdswierzanieTablicyDostawcowClick()
{
    everySupplierTotals();
    Calendar1Change();
    Table* lines = dm_->TableTowary;
    if (dm_->TableDostawcy->active())
        dm_->TableDostawcy->refresh();
    if (lines->active()) {
        if (!lines->filtered())
            lines->setFiltered(true);
        lines->refresh();
    }
    DBGrid2->viewport()->update();
    modeTotals();
    showRecordCount();
}

void TTowary::BitBtnZamknijClick()
{
    // A line corrected in the grid is stored as a move would store it.
    jadl::postPendingEdits({dm_->TableTowary});
    // The lines close before their master, so closing the suppliers never
    // re-reads them unlinked.
    closeIfOpen(dm_->TableTowary);
    closeIfOpen(dm_->TableDostawcy);
    closeIfOpen(dm_->TableGrupyTowarow);
    closeIfOpen(dm_->TableWlasciciel);
    Table* par = dm_->TableParametry;
    if (!par->active())
        par->open();
    const bool copyTable = par->fieldByName(QStringLiteral("Par1")).asBoolean();
    if (copyTable && TableTowaryRaport->active())
        TableTowaryRaport->close();
    par->close();
    close();
}

// ---------------------------------------------------------------- totals

void TTowary::modeTotals()
{
    // What the lower grid shows is what the sums cover, in either mode.
    if (RadioGroupDlaDostawcow->itemIndex() == 0)
        selectedSupplierTotals();
    else
        allSuppliersTotals();
}

void TTowary::selectedSupplierTotals()
{
    if (!dm_ || RadioGroupDlaDostawcow->itemIndex() != 0 || !dm_->TableTowary->active())
        return;
    // The suppliers' moves during the routine are its own.
    const QScopedValueRollback busy(busy_, true);
    showSums(totals().selectedSupplier());
}

void TTowary::allSuppliersTotals()
{
    if (!dm_)
        return;
    Table* lines = dm_->TableTowary;
    if (!lines->active() || lines->masterSource() || !lines->masterFields().isEmpty())
        return;
    showSums(totals().allSuppliers());
}

void TTowary::everySupplierTotals()
{
    Table* suppliers = dm_->TableDostawcy;
    if (!suppliers->active())
        return;
    const QScopedValueRollback busy(busy_, true);
    if (RadioGroupDlaDostawcow->itemIndex() != 0 || !dm_->TableTowary->active()) {
        suppliers->first();
        return;
    }
    showSums(totals().everySupplier());
}

void TTowary::reportTotals()
{
    if (!dm_->TableDostawcy->active() || !dm_->TableTowary->active())
        return;
    const QScopedValueRollback busy(busy_, true);
    showSums(totals().report());
}

jadl::purchases::SupplierTotals TTowary::totals() const
{
    return jadl::purchases::SupplierTotals(*dm_->TableTowary, *dm_->TableDostawcy, *dm_->DataSourceDostawcy);
}

// ---------------------------------------------------------------- one good's sum

void TTowary::SumujZaznaczonyTowarClick()
{
    const QStringList headings = {QStringLiteral("Nr"),       QStringLiteral("Nazwa skrócona(symbol)"),
                                  QStringLiteral("Ilość"),    QStringLiteral("Wart Net."),
                                  QStringLiteral("Wart Vat"), QStringLiteral("Wart Brut.")};
    for (int c = 0; c < 6; ++c)
        StringGrid1->setItem(0, c, new QTableWidgetItem(headings[c]));
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    const std::optional<int> number = lines->fieldByName(QStringLiteral("NumerPodstawowy")).optInteger();
    if (!number)
        throw jadl::EngineError(QStringLiteral("'' is not a valid integer value"));
    const QString symbol = lines->fieldByName(QStringLiteral("Symbol")).asString();
    const int fGood = lines->fieldIndex(QStringLiteral("NumerPodstawowy"));
    const int fQty = lines->fieldIndex(QStringLiteral("Ilosc"));
    const int fNet = lines->fieldIndex(QStringLiteral("WartoscNetto"));
    const int fVat = lines->fieldIndex(QStringLiteral("WartoscVat"));
    const int fGross = lines->fieldIndex(QStringLiteral("WartoscBrutto"));
    double qty = 0.0, net = 0.0, vat = 0.0, gross = 0.0;
    {
        // Read by position: the current line stays where it was.
        const jadl::ControlsDisabled quiet(*lines);
        const int n = lines->recordCount();
        for (int row = 0; row < n; ++row) {
            const QVariant good = lines->valueAt(row, fGood);
            if (good.isNull() || good.toInt() != *number)
                continue;
            qty += lines->valueAt(row, fQty).toDouble();
            net += lines->valueAt(row, fNet).toDouble();
            vat += lines->valueAt(row, fVat).toDouble();
            gross += lines->valueAt(row, fGross).toDouble();
        }
    }
    const QStringList values = {QString::number(*number), symbol,
                                jadl::formatGeneral(qty), jadl::formatGeneral(net),
                                jadl::formatGeneral(vat), jadl::formatGeneral(gross)};
    for (int c = 0; c < 6; ++c)
        StringGrid1->setItem(1, c, new QTableWidgetItem(values[c]));
}

// ---------------------------------------------------------------- corrections

void TTowary::BitBtnPoprawVat_BruttoClick()
{
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    {
        jadl::ProgressScope progress(this, QStringLiteral("ŁĄCZENIE TOWARÓW Z TOWARAMI PODSTAWOWYMI"),
                                     lines->recordCount());
        jadl::purchases::linkLinesToBasicGoods(*lines, *dm_->TableTowaryPodstawowe, *dm_->DataSourceGrupyTowarow,
                                               [&progress](int done, int) { progress.step(done); });
    }
    jadl::ProgressScope progress(this, QStringLiteral("POPRAWIANIE VAT I BRUTTO"), lines->recordCount());
    jadl::purchases::recomputeVisibleLines(*lines, [&progress](int done, int) { progress.step(done); });
}

void TTowary::BitBtnPrzeliczPowtornieClick()
{
    jadl::purchases::recomputeCurrentLine(*dm_->TableTowary);
}

void TTowary::referencePriceEditColour()
{
    if (!dm_)
        return;
    Table* lines = dm_->TableTowary;
    QColor colour(Qt::black);
    if (lines->active() && !lines->isEmpty())
        colour = jadl::priceColor(jadl::priceSignal(*lines));
    QPalette p = DBEditCenaReferencyjna->palette();
    p.setColor(QPalette::Text, colour);
    DBEditCenaReferencyjna->setPalette(p);
}

// ---------------------------------------------------------------- printing

namespace {

// Detail font of the purchased goods layouts by "Czcionka Raportu".
jadl::ReportFont detailFont(int item)
{
    switch (item) {
    case 1:
        return {QStringLiteral("Small Fonts"), 7.0};
    case 2:
        return {QStringLiteral("Small Fonts"), 5.0};
    default:
        return {QStringLiteral("Times New Roman"), 8.0};
    }
}

} // namespace

std::optional<QString> TTowary::currentPeriodCaption() const
{
    const std::optional<jadl::PeriodChoice> choice = periodChoice();
    QDate start = jadl::shared().periodStart;
    QDate end = jadl::shared().periodEnd;
    if (choice == jadl::PeriodChoice::CalendarDay) {
        start = end = Calendar1->date();
    } else if (choice == jadl::PeriodChoice::ChosenRange) {
        start = DateTimePickerDataPocz->date();
        end = DateTimePickerDataKon->date();
    }
    return jadl::periodCaption(choice, start, end, ComboBoxMiesiace->currentText());
}

void TTowary::BitBtnDrukuj2Click()
{
    jadl::applyTmpSetting();
    TZakupioneTowaryDruk* report = goodsReport_;
    // The supplier line names the one supplier, so it prints only for one.
    const bool oneSupplier = RadioGroupDlaDostawcow->itemIndex() != 1;
    report->QRLabelDostawcaInd->setEnabled(oneSupplier);
    report->QRDBTextDostawcaInd->setEnabled(oneSupplier);
    const auto restaurant = jadl::purchase::RestaurantCopy::active(*dm_->TableWlasciciel);
    if (!restaurant.numer.isNull()) {
        report->QRLabelRestauracjaSymbol->setCaption(restaurant.symbol.toString());
        report->QRLabelRestauracjaSymbol->setVisible(true);
    } else {
        report->QRLabelRestauracjaSymbol->setVisible(false);
    }
    if (const auto caption = currentPeriodCaption())
        report->QRLabelOkres->setCaption(*caption);
    report->QRBand2->setFont(detailFont(RadioGroupCzcionka->itemIndex()));
    report->preview(this);
}

void TTowary::BitBtnDrukuj1Click()
{
    jadl::applyTmpSetting();
    TZakupioneTowaryDruk1* report = bareReport_;
    report->QRBand2->setFont(detailFont(RadioGroupCzcionka->itemIndex()));
    report->preview(this);
}

void TTowary::BitBtnDrukujClick()
{
    reportTotals();
    jadl::shared().supplierReportFlag = true;
    // Afterwards (also when the preview failed) every supplier shows again and
    // the lines follow the supplier.
    const auto restore = qScopeGuard([this] {
        jadl::runGuarded([this] {
            jadl::shared().supplierReportFlag = false;
            if (dm_->TableDostawcy->active())
                dm_->TableDostawcy->setFiltered(false);
            if (dm_->TableTowary->active())
                linkLines(true, QStringLiteral("NumerDostawcyInd"));
        });
    });
    jadl::applyTmpSetting();
    {
        const QScopedValueRollback busy(busy_, true);
        dm_->TableDostawcy->setFiltered(true);
    }
    TWartoscKupionychTowarowDruk* report = valuesReport_;
    if (const auto caption = currentPeriodCaption())
        report->QRLabelOkres->setCaption(*caption);
    report->preview(this);
}

// ---------------------------------------------------------------- the copy table

QString TTowary::drivePrefix()
{
    lastDrivePrefix_ = DyskSystemu->currentText().left(1) + QStringLiteral(":\\");
    jadl::shared().dataDrivePrefix = lastDrivePrefix_;
    return lastDrivePrefix_;
}

void TTowary::setParametersCopyFlag(bool exists)
{
    Table* par = dm_->TableParametry;
    if (!par->active())
        par->open();
    par->edit();
    par->fieldByName(QStringLiteral("Par1")).setBoolean(exists);
    par->post();
    par->close();
}

void TTowary::HistoriaZmianClick()
{
    jadl::Table* lines = dm_->TableTowary;
    if (!lines->active() || lines->isEmpty()) {
        jadl::platform::showMessage(QStringLiteral("Brak zakupu, którego historię można pokazać"));
        return;
    }
    const qint64 number = lines->fieldByName(QStringLiteral("Numer")).asInteger();
    const auto rows = jadl::linehistory::describe(
        jadl::serversetup::lineHistory(dm_->Database1->location().server, number));
    THistoriaZmian dialog(
        rows,
        QStringLiteral("Zakup nr %1: %2").arg(number).arg(lines->fieldByName(QStringLiteral("Symbol")).asString()),
        this);
    dialog.exec();
}

// The charts of the lines as the window shows them: its supplier mode and its period.
void TTowary::WykresClick()
{
    jadl::charts::ChartScope scope;
    if (RadioGroupDlaDostawcow->itemIndex() == 0) {
        jadl::Table* suppliers = dm_->TableDostawcy;
        if (!suppliers->active() || suppliers->isEmpty()) {
            jadl::platform::showMessage(QStringLiteral("Brak dostawcy, którego zakupy można pokazać"));
            return;
        }
        scope.kind = jadl::charts::ScopeKind::Supplier;
        scope.supplier = suppliers->fieldByName(QStringLiteral("Numer")).asInteger();
    }
    const jadl::PeriodChoice choice = periodChoice().value_or(jadl::PeriodChoice::Everything);
    if (jadl::isSingleDay(choice) || jadl::isRange(choice)) {
        scope.from = jadl::shared().periodStart;
        scope.to = jadl::isSingleDay(choice) ? scope.from : jadl::shared().periodEnd;
    }
    jadl::showPurchaseCharts(this, dm_, scope, choice);
}

void TTowary::TworzTabliceClick()
{
    bool created = true;
    try {
        jadl::copytable::create(drivePrefix() + QStringLiteral("Jadl\\dane_bar"));
    } catch (const jadl::EngineError&) {
        created = false;
    } catch (const jadl::platform::IoError&) {
        created = false;
    }
    if (created) {
        jadl::platform::showMessage(QStringLiteral("Tablica została utworzona"));
        setParametersCopyFlag(true);
        TworzTablice->setEnabled(false);
    } else {
        jadl::platform::showMessage(QStringLiteral("Błąd tworzenia tablicy "));
        setParametersCopyFlag(false);
    }
}

void TTowary::setCopyStatus(const QString& caption)
{
    // Shown again from hidden, so it is painted at once.
    KopiowanieRekordow->setText(caption);
    KopiowanieRekordow->show();
    KopiowanieRekordow->hide();
    KopiowanieRekordow->setText(QString());
    KopiowanieRekordow->show();
    KopiowanieRekordow->setText(caption);
    KopiowanieRekordow->repaint();
}

void TTowary::KopiujClick()
{
    Table* par = dm_->TableParametry;
    if (!par->active())
        par->open();
    if (!par->fieldByName(QStringLiteral("Par1")).asBoolean()) {
        jadl::platform::showMessage(QStringLiteral("Brak Tablicy Raportów"));
        return;
    }
    Table& copy = *TableTowaryRaport;
    if (!copy.active()) {
        copy.setDatabaseName(drivePrefix() + QStringLiteral("Jadl\\dane_bar"));
        copy.setTableName(QStringLiteral("TowaryRaport"));
        copy.open();
    }
    Table* lines = dm_->TableTowary;
    setCopyStatus(QStringLiteral("Czekaj  kopiuję"));
    jadl::ProgressScope progress(this, QStringLiteral("Czekaj  kopiuję"), lines->recordCount());
    const int counter = jadl::copytable::fill(copy, *lines, [&progress](int row, int) { progress.step(row); });
    setCopyStatus(QStringLiteral("Skopiowałem ") + QString::number(counter) + QStringLiteral(" rekordów"));
}
