#include "purchases/PrzypisywanieTowarowJadl.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "controls/Builders.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/DBText.h"
#include "controls/DictionaryLists.h"
#include "controls/FittedText.h"
#include "controls/Guarded.h"
#include "controls/MonthCalendar.h"
#include "controls/PendingEdits.h"
#include "controls/PriceColors.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "purchases/ImportFakturyKSeF.h"
#include "store/Modul_Danych1.h"
#include "store/RecordRules.h"
#include "work/PurchaseLine.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <tuple>

using jadl::Field;
using jadl::Table;
using jadl::platform::showMessage;

namespace {

const QString kBadNumber = QStringLiteral("Błędnie napisana liczba(separator lub wartość)");

// Text of an edit read as a number; nullopt when empty or not a number.
std::optional<double> numberOf(const QLineEdit* edit)
{
    return jadl::parseNumber(edit->text());
}

void closeIfOpen(Table* t)
{
    if (t && t->active())
        t->close();
}

} // namespace

TPrzypisywanieTowarow::TPrzypisywanieTowarow(TModulDanych1* dm, QWidget* parent)
    : jadl::ExitRoutedDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("PrzypisywanieTowarow"), QStringLiteral("PRZYPISYWANIE TOWARÓW DOSTAWCOM"),
                   1100, 740);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtnZamknijClick(); }); });
    buildControls();
    bindData(dm_);
}

void TPrzypisywanieTowarow::buildControls()
{
    auto* top = new QHBoxLayout(this);

    top->addLayout(buildChoicesPanel(), 2);
    top->addLayout(buildEntryPanel(), 2);
    top->addLayout(buildLinesPanel(), 3);
}

void TPrzypisywanieTowarow::bindData(TModulDanych1* dm)
{
    dm_ = dm;
    jadl::registerEditor(
        this, {dm->TableTowaryPodstawowe, dm->TableTowary},
        [dm] {
            for (jadl::Table* t : {dm->TableTowaryPodstawowe, dm->TableTowary})
                if (t->state() == jadl::DataSetState::Edit || t->state() == jadl::DataSetState::Insert)
                    t->post();
        },
        jadl::SaveStyle::PostOnMove);
    DBGrid1->setDataSource(dm->DataSourceDostawcy);
    DBGrid1->setColumns({{QStringLiteral("Symbol"), QStringLiteral("Dostawca"), true, std::nullopt, -1}});
    DBGrid1->setReadOnly(true);
    DBGrid3->setDataSource(dm->DataSourceGrupyTowarow);
    DBGrid3->setColumns({{QStringLiteral("Grupa"), QStringLiteral("Nazwa grupy"), true, std::nullopt, -1}});
    DBGrid3->setReadOnly(true);
    DBGrid2->setDataSource(dm->DataSourceTowaryPodstawowe);
    DBGrid2->setColumns({{QStringLiteral("Symbol"), QStringLiteral("Towar"), true, std::nullopt, -1}});
    DBGrid2->setReadOnly(true);
    DBGrid2->setRowColor(jadl::referencePriceRowColor());
    DBGrid4->setDataSource(dm->DataSourceTowary);
    DBGrid4->setColumns({{QStringLiteral("NumerPodstawowy"), QStringLiteral("Nr"), true, std::nullopt, 60},
                         {QStringLiteral("Symbol"), QStringLiteral("Przypisany towar"), true, std::nullopt, -1}});
    DBGrid4->setReadOnly(true);
    DBGrid4->setRowColor(jadl::referencePriceRowColor());
    for (jadl::DBGrid* g : {DBGrid1, DBGrid2, DBGrid3, DBGrid4})
        g->horizontalHeader()->setStretchLastSection(true);

    auto titled = [this](void (TPrzypisywanieTowarow::*slot)(const QString&)) {
        return [this, slot](const QString& t) { jadl::runGuarded([this, slot, t] { (this->*slot)(t); }); };
    };
    connect(Calendar1, &jadl::MonthCalendar::dateChanged, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::Calendar1Change));
    connect(PoprzedniMc, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::PoprzedniMcClick));
    connect(NastepnyMc, &QPushButton::clicked, this, jadl::guardedSlot(this, &TPrzypisywanieTowarow::NastepnyMcClick));
    connect(DBGrid1, &jadl::DBGrid::titleClicked, this, titled(&TPrzypisywanieTowarow::DBGrid1TitleClick));
    connect(DBGrid2, &jadl::DBGrid::titleClicked, this, titled(&TPrzypisywanieTowarow::DBGrid2TitleClick));
    connect(DBGrid3, &jadl::DBGrid::titleClicked, this, titled(&TPrzypisywanieTowarow::DBGrid3TitleClick));
    connect(DBGrid4, &jadl::DBGrid::titleClicked, this, titled(&TPrzypisywanieTowarow::DBGrid4TitleClick));
    connect(CheckBoxFiltrujPoGrupie, &QCheckBox::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::CheckBoxFiltrujPoGrupieClick));
    connect(BitBtnSzukajDostawce, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnSzukajDostawceClick));
    connect(BitBtnSzukajGrupyTowarow, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnSzukajGrupyTowarowClick));
    connect(BitBtnSzukajTowarPodstawowy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnSzukajTowarPodstawowyClick));
    connect(EditIlosc, &QLineEdit::textChanged, this, jadl::guardedSlot(this, &TPrzypisywanieTowarow::EditIloscChange));
    connect(EditRabatProcent, &QLineEdit::textChanged, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::EditRabatProcentChange));
    connect(BitBtnPrzypiszTowarDostawcy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnPrzypiszTowarDostawcyClick));
    connect(BitBtnImportKSeF, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnImportKSeFClick));
    connect(BitBtnUsun, &QPushButton::clicked, this, jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnUsunClick));
    connect(Odswiez, &QPushButton::clicked, this, jadl::guardedSlot(this, &TPrzypisywanieTowarow::OdswiezClick));
    connect(Odswiez1, &QPushButton::clicked, this, jadl::guardedSlot(this, &TPrzypisywanieTowarow::Odswiez1Click));
    connect(CheckBoxSumowaniePrzypisanychTowarow, &QCheckBox::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::CheckBoxSumowaniePrzypisanychTowarowClick));
    connect(BitBtn1DodajTowarPodstawowy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtn1DodajTowarPodstawowyClick));
    connect(BitBtnZamknij1, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnZamknij1Click));
    connect(BitBtnZamknij, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPrzypisywanieTowarow::BitBtnZamknijClick));
    EditIlosc->installEventFilter(this);
    EditRabatProcent->installEventFilter(this);

    // The lines grid and the totals follow the chosen supplier, the group filter the
    // chosen group, the reference-price colour the chosen good: once per change of
    // the current record, never from painting.
    auto whileShown = [this](void (TPrzypisywanieTowarow::*routine)()) {
        return [this, routine] {
            if (isVisible())
                jadl::runGuarded([this, routine] { (this->*routine)(); });
        };
    };
    connect(dm->DataSourceDostawcy, &jadl::DataSource::dataSetScrolled, this,
            whileShown(&TPrzypisywanieTowarow::refreshPurchaseLines));
    connect(dm->DataSourceGrupyTowarow, &jadl::DataSource::dataSetScrolled, this,
            whileShown(&TPrzypisywanieTowarow::CheckBoxFiltrujPoGrupieClick));
    for (auto signal : {&jadl::DataSource::dataSetScrolled, &jadl::DataSource::dataSetChanged})
        connect(dm->DataSourceTowaryPodstawowe, signal, this, whileShown(&TPrzypisywanieTowarow::followChosenGood));
    connect(dm->DataSourceTowaryPodstawowe, &jadl::DataSource::recordChanged, this,
            whileShown(&TPrzypisywanieTowarow::referencePriceEditColour));
}

void TPrzypisywanieTowarow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The filter reads this window's visibility: re-read the lines now that it shows.
    jadl::runGuarded([this] {
        refreshPurchaseLines();
        referencePriceEditColour();
    });
}

bool TPrzypisywanieTowarow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == EditIlosc)
            EditIloscClick();
        else if (watched == EditRabatProcent)
            EditRabatProcentClick();
    } else if (event->type() == QEvent::FocusOut) {
        if (watched == EditIlosc)
            EditIloscExit();
        else if (watched == EditRabatProcent)
            EditRabatProcentExit();
    }
    return QDialog::eventFilter(watched, event);
}

// ---- routines

void TPrzypisywanieTowarow::relinkPurchaseLines()
{
    Table* lines = dm_->TableTowary;
    lines->setIndexName(QString());
    lines->setMasterFields(QString());
    lines->setMasterSource(nullptr);
    // Visible exactly when something was recorded on the chosen date, for any supplier.
    BitBtn1InformacjaCzyByloPrzepisywanie->setVisible(lines->active() && !lines->isEmpty());
    lines->setMasterSource(dm_->DataSourceDostawcy);
    lines->setIndexName(QStringLiteral("NumerDostawcyInd"));
    lines->setMasterFields(QStringLiteral("Numer"));
}

void TPrzypisywanieTowarow::assignedGoodsTotals()
{
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    const std::vector<double> sums = lines->sumsOverView(
        {QStringLiteral("WartoscNetto"), QStringLiteral("WartoscBrutto")});
    const double net = sums.at(0);
    const double gross = sums.at(1);
    {
        // The totals leave the current line at the end of the list, as a scan over it did.
        jadl::ControlsDisabled quiet(*lines);
        lines->last();
    }
    // A return to the supplier (a negative line) rounds as every money value does.
    EditWartoscCalkowitaNetto->setText(jadl::formatSum(jadl::roundedMoney(net)));
    EditWartoscCalkowitaBrutto->setText(jadl::formatSum(jadl::roundedMoney(gross)));
}

void TPrzypisywanieTowarow::grossValuePreview()
{
    Table* goods = dm_->TableTowaryPodstawowe;
    const double g = goods->active() ? goods->fieldByName(QStringLiteral("CenaBrutto")).asFloat() : 0.0;
    const double r = numberOf(EditRabatProcent).value_or(0.0);
    const double q = numberOf(EditIlosc).value_or(0.0);
    double x = (1.0 - r * 0.01) * g * q;
    jadl::roundMoney(x);
    EditWartoscBrutto->setText(jadl::formatGeneral(x));
}

void TPrzypisywanieTowarow::netValuePreview()
{
    Table* goods = dm_->TableTowaryPodstawowe;
    const double q = numberOf(EditIlosc).value_or(0.0);
    double x = q * (goods->active() ? goods->fieldByName(QStringLiteral("CenaNetto")).asFloat() : 0.0);
    jadl::roundMoney(x);
    EditWartoscNetto->setText(jadl::formatGeneral(x));
}

void TPrzypisywanieTowarow::followChosenGood()
{
    referencePriceEditColour();
    // The previews are of the good now chosen, for the quantity already typed.
    if (numberOf(EditIlosc)) {
        grossValuePreview();
        netValuePreview();
    }
}

void TPrzypisywanieTowarow::referencePriceEditColour()
{
    Table* goods = dm_->TableTowaryPodstawowe;
    QColor colour(Qt::black);
    if (goods->active() && !goods->isEmpty())
        colour = jadl::priceColor(jadl::priceSignal(*goods));
    QPalette p = DBEditCenaReferencyjna->palette();
    p.setColor(QPalette::Text, colour);
    DBEditCenaReferencyjna->setPalette(p);
}

void TPrzypisywanieTowarow::refreshPurchaseLines()
{
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    lines->setFiltered(true);
    lines->refresh();
    if (CheckBoxSumowaniePrzypisanychTowarow->isChecked())
        assignedGoodsTotals();
}

// ---- handlers

void TPrzypisywanieTowarow::Calendar1Change()
{
    const QDate day = Calendar1->date();
    LabelM_c_Rok->setText(jadl::formatLongDate(day));
    Dzien->setText(jadl::formatWeekday(day));
    jadl::shared().currentPurchaseDate = day;
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    lines->setFiltered(true);
    lines->refresh();
    relinkPurchaseLines();
    if (CheckBoxSumowaniePrzypisanychTowarow->isChecked())
        assignedGoodsTotals();
}

void TPrzypisywanieTowarow::PoprzedniMcClick()
{
    // addMonths keeps the day, or takes the last day of a shorter month.
    Calendar1->setDate(Calendar1->date().addMonths(-1));
}

void TPrzypisywanieTowarow::NastepnyMcClick()
{
    Calendar1->setDate(Calendar1->date().addMonths(1));
}

void TPrzypisywanieTowarow::DBGrid1TitleClick(const QString& title)
{
    if (title != QStringLiteral("Dostawca"))
        return;
    Table* suppliers = dm_->TableDostawcy;
    suppliers->setMasterFields(QString());
    suppliers->setIndexName(QStringLiteral("SymbolInd"));
    suppliers->setMasterSource(nullptr);
}

void TPrzypisywanieTowarow::DBGrid2TitleClick(const QString& title)
{
    if (title != QStringLiteral("Towar"))
        return;
    Table* goods = dm_->TableTowaryPodstawowe;
    goods->setMasterFields(QString());
    goods->setIndexName(QString());
    goods->setMasterSource(nullptr);
    goods->setMasterFields(QStringLiteral("Numer"));
    goods->setIndexName(QStringLiteral("NrGrupySymbolInd"));
    goods->setMasterSource(dm_->DataSourceGrupyTowarow);
}

void TPrzypisywanieTowarow::DBGrid3TitleClick(const QString& title)
{
    if (title != QStringLiteral("Nazwa grupy"))
        return;
    dm_->TableGrupyTowarow->setIndexName(QString());
    dm_->TableGrupyTowarow->setIndexName(QStringLiteral("GrupaInd"));
}

void TPrzypisywanieTowarow::DBGrid4TitleClick(const QString&)
{
    Table* lines = dm_->TableTowary;
    lines->setMasterSource(dm_->DataSourceDostawcy);
    lines->setMasterFields(QStringLiteral("Numer"));
    lines->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
}

void TPrzypisywanieTowarow::CheckBoxFiltrujPoGrupieClick()
{
    Table* lines = dm_->TableTowary;
    if (!lines->active())
        return;
    lines->setFiltered(true);
    lines->refresh();
}

void TPrzypisywanieTowarow::BitBtnSzukajDostawceClick()
{
    dm_->TableDostawcy->locate(QStringLiteral("Symbol"), EditSzukajDostawce->text());
}

void TPrzypisywanieTowarow::BitBtnSzukajGrupyTowarowClick()
{
    dm_->TableGrupyTowarow->locate(QStringLiteral("Grupa"), EditSzukajGrupeTowaru->text());
}

void TPrzypisywanieTowarow::BitBtnSzukajTowarPodstawowyClick()
{
    dm_->TableTowaryPodstawowe->locate(QStringLiteral("Symbol"), EditSzukajTowarPodstawowy->text());
}

bool TPrzypisywanieTowarow::checkNumberEdit(QLineEdit* edit)
{
    if (edit->text().isEmpty())
        return false;
    if (!jadl::parseNumber(edit->text())) {
        // "-" or "2," on the way to a number: the assignment judges what is left.
        if (jadl::isPartialNumber(edit->text()))
            return false;
        showMessage(kBadNumber);
        edit->clear();
        return false;
    }
    return true;
}

void TPrzypisywanieTowarow::EditIloscChange()
{
    if (!checkNumberEdit(EditIlosc))
        return;
    grossValuePreview();
    netValuePreview();
}

void TPrzypisywanieTowarow::EditRabatProcentChange()
{
    if (!checkNumberEdit(EditRabatProcent))
        return;
    grossValuePreview();
}

void TPrzypisywanieTowarow::EditIloscClick()
{
    const QString t = EditIlosc->text();
    if (t == QStringLiteral("0,00") || t == QStringLiteral("0.00") || t == QStringLiteral("0"))
        EditIlosc->clear();
}

void TPrzypisywanieTowarow::EditRabatProcentClick()
{
    const QString t = EditRabatProcent->text();
    if (t == QStringLiteral("0,00") || t == QStringLiteral("0.00") || t == QStringLiteral("0"))
        EditRabatProcent->clear();
}

void TPrzypisywanieTowarow::EditIloscExit()
{
    if (EditIlosc->text().isEmpty())
        EditIlosc->setText(QStringLiteral("0,00"));
}

void TPrzypisywanieTowarow::EditRabatProcentExit()
{
    if (EditRabatProcent->text().isEmpty())
        EditRabatProcent->setText(QStringLiteral("0,00"));
}

void TPrzypisywanieTowarow::BitBtnImportKSeFClick()
{
    // The import records through tables of its own; a line typed here goes first.
    if (!jadl::settlePendingEdits({dm_->TableTowary, dm_->TableTowaryPodstawowe}))
        return;
    if (jadl::ksefimport::importInvoices(this, dm_) > 0)
        OdswiezClick();
}

void TPrzypisywanieTowarow::prepareForShow()
{
    const QDate day = Calendar1->date();
    LabelM_c_Rok->setText(jadl::formatLongDate(day));
    Dzien->setText(jadl::formatWeekday(day));
    jadl::fillUnitsList(*DBComboBoxJednostkaMiary, *units_, *dm_->TableParametry);
    jadl::fillVatList(*DBComboBoxVatTyp, *vat_, *dm_->TableParametry);
}

bool TPrzypisywanieTowarow::filterByGroup() const
{
    return CheckBoxFiltrujPoGrupie->isChecked();
}

QDate TPrzypisywanieTowarow::calendarDate() const
{
    return Calendar1->date();
}

void TPrzypisywanieTowarow::BitBtnPrzypiszTowarDostawcyClick()
{
    Table* goods = dm_->TableTowaryPodstawowe;
    Table* lines = dm_->TableTowary;
    Table* suppliers = dm_->TableDostawcy;
    // A purchase is always of a chosen good, from a chosen supplier.
    if (!goods->active() || goods->isEmpty()) {
        showMessage(QStringLiteral("Brak towaru podstawowego - wybierz towar"));
        return;
    }
    if (!suppliers->active() || suppliers->isEmpty()) {
        showMessage(QStringLiteral("Brak dostawcy - wybierz dostawcę"));
        return;
    }

    // The good as corrected in this window is recalculated and saved first.
    goods->edit();
    jadl::recalculateGrossPrice(*goods);
    goods->post();
    // The gross preview follows the quantity typed.
    if (!EditIlosc->text().isEmpty())
        grossValuePreview();
    // The calendar's day is the current purchase date and the line's.
    jadl::shared().currentPurchaseDate = Calendar1->date();
    const QDate day = jadl::shared().currentPurchaseDate;

    // What the line needs of the good and of the typing, checked in this order.
    auto good = [goods](const char* name) -> Field& { return goods->fieldByName(QString::fromLatin1(name)); };
    if (good("CenaNetto").isNull())
        return showMessage(QStringLiteral("Brak CENY NETTO towaru"));
    if (good("VatTyp").isNull())
        return showMessage(QStringLiteral("Brak Stawki Vat"));
    // A purchase of nothing is never recorded, however the zero is written.
    const QString quantityText = EditIlosc->text();
    if (quantityText.isEmpty())
        return showMessage(QStringLiteral("Brak Ilości towaru"));
    const std::optional<double> quantity = jadl::parseNumber(quantityText);
    if (!quantity)
        return showMessage(kBadNumber);
    if (*quantity == 0.0)
        return showMessage(QStringLiteral("Podano zerowa ilośc towaru - wprowadź poprawną"));
    if (good("JednostkaMiary").isNull())
        return showMessage(QStringLiteral("Brak Jednostki Miary - wprowadź"));

    // The line copies the good, the supplier and the active restaurant; its values
    // are the program's rounding of price times quantity.
    const auto copy = jadl::purchase::GoodCopy::current(*goods);
    jadl::purchase::append(*lines, copy, jadl::purchase::SupplierCopy::current(*suppliers),
                           jadl::purchase::RestaurantCopy::active(*dm_->TableWlasciciel),
                           jadl::purchase::handEntered(copy, day, *quantity, numberOf(EditRabatProcent).value_or(0.0),
                                                       CheckBoxBylaFaktura->isChecked()));

    // On disk when the handler returns.
    lines->post();
    lines->flushBuffers();

    // Something is now recorded on the chosen date.
    BitBtn1InformacjaCzyByloPrzepisywanie->show();

    // The quantity starts afresh; the totals show the new line.
    EditIlosc->setText(QStringLiteral("0"));
    EditWartoscBrutto->setText(QStringLiteral("0"));
    if (CheckBoxSumowaniePrzypisanychTowarow->isChecked())
        assignedGoodsTotals();
}

void TPrzypisywanieTowarow::BitBtnUsunClick()
{
    Table* lines = dm_->TableTowary;
    if (!lines->active() || lines->isEmpty()) {
        showMessage(QStringLiteral("Brak pozycji do usunięcia"));
        return;
    }
    if (jadl::platform::askYesNo(QStringLiteral("Usunąć zaznaczoną pozycję towaru"), QStringLiteral("WYBIERZ")))
        lines->deleteRecord();
    else
        lines->cancel();
}

void TPrzypisywanieTowarow::OdswiezClick()
{
    Table* goods = dm_->TableTowaryPodstawowe;
    if (goods->active() && !goods->isEmpty()) {
        goods->edit();
        jadl::recalculateGrossPrice(*goods);
        goods->post();
    }
    if (!EditIlosc->text().isEmpty())
        grossValuePreview();
    if (dm_->TableTowary->active())
        relinkPurchaseLines();
}

void TPrzypisywanieTowarow::Odswiez1Click()
{
    OdswiezClick();
}

void TPrzypisywanieTowarow::CheckBoxSumowaniePrzypisanychTowarowClick()
{
    if (CheckBoxSumowaniePrzypisanychTowarow->isChecked())
        assignedGoodsTotals();
}

void TPrzypisywanieTowarow::BitBtn1DodajTowarPodstawowyClick()
{
    if (!dm_->TableTowaryPodstawowe->active())
        dm_->TableTowaryPodstawowe->open();
    if (!dm_->TableGrupyTowarow->active())
        dm_->TableGrupyTowarow->open();
    if (showCatalogue_)
        showCatalogue_();
}

void TPrzypisywanieTowarow::closeTablesAndWindow()
{
    // A price typed into the good in place is stored as the next assignment would store it.
    jadl::postPendingEdits({dm_->TableTowaryPodstawowe, dm_->TableTowary});
    closeIfOpen(dm_->TableDostawcy);
    closeIfOpen(dm_->TableTowaryPodstawowe);
    closeIfOpen(dm_->TableGrupyTowarow);
    closeIfOpen(dm_->TableTowary);
    closeIfOpen(dm_->TableParametry);
    closeIfOpen(vat_);
    closeIfOpen(units_);
    closeIfOpen(dm_->TableWlasciciel);
    close();
}

void TPrzypisywanieTowarow::BitBtnZamknij1Click()
{
    closeTablesAndWindow();
}

void TPrzypisywanieTowarow::BitBtnZamknijClick()
{
    closeTablesAndWindow();
}
