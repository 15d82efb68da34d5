#include "masterdata/TowaryPodstawoweJadl.h"

#include "controls/Builders.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/DBText.h"
#include "controls/DictionaryLists.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "controls/PriceColors.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "store/Modul_Danych1.h"
#include "store/RecordRules.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <vector>

using jadl::DataSetState;

namespace {

const QString kSymbol = QStringLiteral("Symbol");
const QString kNazwa = QStringLiteral("Nazwa");
const QString kGrupa = QStringLiteral("Grupa");
const QString kNumer = QStringLiteral("Numer");
const QString kNrKol = QStringLiteral("NrKol");
const QString kTitleNrKol = QStringLiteral("Nr kol.");
const QString kTitleSymbol = QStringLiteral("Nazwa skrócona (symbol towaru)");

using jadl::makeButton;
using jadl::makeLabel;

template <class Control>
Control* makeBound(QWidget* parent, const char* name, QLabel* label, const QString& field)
{
    return jadl::makeBound<Control>(parent, name, static_cast<jadl::DataSource*>(nullptr), field, label);
}

} // namespace

QStringList TTowaryPodstawowe::designedVatItems()
{
    return {QStringLiteral("7"),  QStringLiteral("3"),  QStringLiteral("22"), QStringLiteral("8"),
            QStringLiteral("23"), QStringLiteral("0"),  QStringLiteral("12"), QStringLiteral("4"),
            QStringLiteral("zw"), QStringLiteral("0k"), QStringLiteral("0e")};
}

QStringList TTowaryPodstawowe::designedUnitItems()
{
    return {QStringLiteral("1kg"),     QStringLiteral("0,9kg"),  QStringLiteral("0,12kg"), QStringLiteral("0,125kg"),
            QStringLiteral("0,5kg"),   QStringLiteral("5kg"),    QStringLiteral("15kg"),   QStringLiteral("0,25kg"),
            QStringLiteral("0,2kg"),   QStringLiteral("0,45kg"), QStringLiteral("1l"),     QStringLiteral("0,5l"),
            QStringLiteral("0,45l"),   QStringLiteral("0,9l"),   QStringLiteral("5l"),     QStringLiteral("szt."),
            QStringLiteral("butelka"), QStringLiteral("karton"), QStringLiteral("dm3"),    QStringLiteral("kpl."),
            QStringLiteral("m.b."),    QStringLiteral("m2"),     QStringLiteral("m3")};
}

TTowaryPodstawowe::TTowaryPodstawowe(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("TowaryPodstawowe"),
                   QStringLiteral("TOWARY PODSTAWOWE - WPROWADZANIE, PRZEGLĄD  I MODYFIKACJA"), 900, 600);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtnZamknijClick(); }); });
    buildControls();
    wireHandlers();
}

void TTowaryPodstawowe::buildControls()
{
    QGroupBox* groupsBox = buildGroupsPanel();
    QGroupBox* goodsBox = buildGoodsPanel();
    QGroupBox* details = buildGoodPanel();
    QVBoxLayout* buttons = buildButtonColumn();
    auto* grids = new QHBoxLayout;
    grids->addWidget(groupsBox, 4);
    grids->addWidget(goodsBox, 5);
    auto* left = new QVBoxLayout;
    left->addLayout(grids, 1);
    left->addWidget(details);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);
}

// The goods groups with their search, on the left.
QGroupBox* TTowaryPodstawowe::buildGroupsPanel()
{
    auto* groupsBox = new QGroupBox(QStringLiteral("Grupy towarów"), this);
    groupsBox->setObjectName(QStringLiteral("GroupBoxGrupy"));
    auto* groupsColumn = new QVBoxLayout(groupsBox);
    DBGrid2 = new jadl::DBGrid(groupsBox);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setReadOnly(true);
    DBGrid2->setRowSelect(true);
    DBGrid2->setColumns({{kNumer, QStringLiteral("Gr."), false, std::nullopt, 40},
                         {kNrKol, kTitleNrKol, false, std::nullopt, 50},
                         {kGrupa, QStringLiteral("Nazwa grupy towaru"), false, std::nullopt, 170}});
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    jadl::describe(DBGrid2, QStringLiteral("Grupy towarów"));
    BitBtnSzukajGrupy = makeButton(groupsBox, "BitBtnSzukajGrupy", QStringLiteral("Szukaj"),
                                   QStringLiteral("Szukanie grupy towaru w poniższej tabeli"),
                                   QStyle::SP_FileDialogContentsView);
    EditSzukajGrupy = new QLineEdit(groupsBox);
    EditSzukajGrupy->setObjectName(QStringLiteral("EditSzukajGrupy"));
    jadl::describe(EditSzukajGrupy, QStringLiteral("Szukaj grupy"),
                   QStringLiteral("Szukanie grupy towaru w poniższej tabeli"));
    auto* groupSearch = new QHBoxLayout;
    groupSearch->addWidget(BitBtnSzukajGrupy);
    groupSearch->addWidget(EditSzukajGrupy, 1);
    groupsColumn->addLayout(groupSearch);
    groupsColumn->addWidget(DBGrid2, 1);
    return groupsBox;
}

// The goods of the current group with their search, in the middle.
QGroupBox* TTowaryPodstawowe::buildGoodsPanel()
{
    auto* goodsBox = new QGroupBox(QStringLiteral("Towary podstawowe grupy"), this);
    goodsBox->setObjectName(QStringLiteral("GroupBoxTowary"));
    auto* goodsColumn = new QVBoxLayout(goodsBox);
    DBTextGrupa = makeBound<jadl::DBText>(goodsBox, "DBTextGrupa", nullptr, kGrupa);
    QFont groupFont = DBTextGrupa->font();
    groupFont.setBold(true);
    DBTextGrupa->setFont(groupFont);
    jadl::describe(DBTextGrupa, QStringLiteral("Grupa towaru"));
    DBGrid1 = new jadl::DBGrid(goodsBox);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setConfirmDelete(true);
    DBGrid1->setColumns({{kNrKol, kTitleNrKol, false, std::nullopt, 55},
                         {QStringLiteral("NumerGrupy"), QStringLiteral("Gr."), true, std::nullopt, 40},
                         {kSymbol, kTitleSymbol, false, std::nullopt, 210},
                         {QStringLiteral("CenaReferencyjna"), QStringLiteral("Cena R."), false, std::nullopt, 70}});
    DBGrid1->setRowColor([this](jadl::Table& table, int row) { return DBGrid1DrawColumnCell(table, row); });
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    jadl::describe(DBGrid1, QStringLiteral("Towary podstawowe"));
    BitBtnSzukajTowaruPodstawowego = makeButton(goodsBox, "BitBtnSzukajTowaruPodstawowego", QStringLiteral("Szukaj"),
                                                QStringLiteral("Szukanie towaru podstawowego w tabeli poniżej"),
                                                QStyle::SP_FileDialogContentsView);
    EditSzukajTowarPodstawowy = new QLineEdit(goodsBox);
    EditSzukajTowarPodstawowy->setObjectName(QStringLiteral("EditSzukajTowarPodstawowy"));
    jadl::describe(EditSzukajTowarPodstawowy, QStringLiteral("Szukaj towaru"),
                   QStringLiteral("Szukanie towaru po nazwie"));
    auto* goodsSearch = new QHBoxLayout;
    goodsSearch->addWidget(BitBtnSzukajTowaruPodstawowego);
    goodsSearch->addWidget(EditSzukajTowarPodstawowy, 1);
    goodsColumn->addWidget(DBTextGrupa);
    goodsColumn->addLayout(goodsSearch);
    goodsColumn->addWidget(DBGrid1, 1);
    return goodsBox;
}

// The current good, under the grids.
QGroupBox* TTowaryPodstawowe::buildGoodPanel()
{
    auto* details = new QGroupBox(QStringLiteral("Towar"), this);
    details->setObjectName(QStringLiteral("GroupBoxTowar"));
    auto* form = new QFormLayout(details);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    LabelSymbolTowaru = makeLabel(details, "LabelSymbolTowaru", QStringLiteral("Nazwa skrócona(symbol towaru):"));
    DBEditSymbolTowaru = makeBound<jadl::DBEdit>(details, "DBEditSymbolTowaru", LabelSymbolTowaru, kSymbol);
    form->addRow(LabelSymbolTowaru, DBEditSymbolTowaru);

    LabelNazwaTowaru = makeLabel(details, "LabelNazwaTowaru", QStringLiteral("Nazwa  towaru:"));
    DBEditNazwaTowaru = makeBound<jadl::DBEdit>(details, "DBEditNazwaTowaru", LabelNazwaTowaru, kNazwa);
    DBEditNazwaTowaru->setUpperCase(true);
    form->addRow(LabelNazwaTowaru, DBEditNazwaTowaru);

    DBMemoNazwaTowaru = makeBound<jadl::DBMemo>(details, "DBMemoNazwaTowaru", nullptr, kNazwa);
    DBMemoNazwaTowaru->setReadOnly(true);
    DBMemoNazwaTowaru->setFocusPolicy(Qt::NoFocus);
    DBMemoNazwaTowaru->setFixedHeight(DBEditNazwaTowaru->sizeHint().height() * 2 + 6);
    jadl::describe(DBMemoNazwaTowaru, QStringLiteral("Pełna nazwa towaru"));
    form->addRow(QString(), DBMemoNazwaTowaru);

    // Kept on the form, hidden: prices, VAT and unit are entered where goods are bought.
    LabelIndeksTowaru = makeLabel(details, "LabelIndeksTowaru", QStringLiteral("Indeks towaru:"));
    DBEditIndeksTowaru = makeBound<jadl::DBEdit>(details, "DBEditIndeksTowaru", LabelIndeksTowaru,
                                                 QStringLiteral("Indeks"));
    LabelCenaNetto = makeLabel(details, "LabelCenaNetto", QStringLiteral("Cena netto:"));
    DBEditCenaNetto = makeBound<jadl::DBEdit>(details, "DBEditCenaNetto", LabelCenaNetto, QStringLiteral("CenaNetto"));
    LabelVat = makeLabel(details, "LabelVat", QStringLiteral("VAT:"));
    DBComboBoxVatTyp = makeBound<jadl::DBComboBox>(details, "DBComboBoxVatTyp", LabelVat, QStringLiteral("VatTyp"));
    DBComboBoxVatTyp->setItems(designedVatItems());
    LabelJednostkaMiary = makeLabel(details, "LabelJednostkaMiary", QStringLiteral("Jed. miar.:"));
    DBComboBoxJednostkaMiary = makeBound<jadl::DBComboBox>(details, "DBComboBoxJednostkaMiary", LabelJednostkaMiary,
                                                           QStringLiteral("JednostkaMiary"));
    DBComboBoxJednostkaMiary->setItems(designedUnitItems());
    LabelCenaBrutto = makeLabel(details, "LabelCenaBrutto", QStringLiteral("Cena brutto:"));
    DBEditCenaBrutto = makeBound<jadl::DBEdit>(details, "DBEditCenaBrutto", LabelCenaBrutto,
                                               QStringLiteral("CenaBrutto"));
    DBEditCenaBrutto->setReadOnly(true);
    for (QWidget* w : std::initializer_list<QWidget*>{LabelIndeksTowaru, DBEditIndeksTowaru, LabelCenaNetto,
                                                      DBEditCenaNetto, LabelVat, DBComboBoxVatTyp, LabelJednostkaMiary,
                                                      DBComboBoxJednostkaMiary, LabelCenaBrutto, DBEditCenaBrutto}) {
        w->hide();
    }
    form->addRow(LabelIndeksTowaru, DBEditIndeksTowaru);
    form->addRow(LabelCenaNetto, DBEditCenaNetto);
    form->addRow(LabelVat, DBComboBoxVatTyp);
    form->addRow(LabelJednostkaMiary, DBComboBoxJednostkaMiary);
    form->addRow(LabelCenaBrutto, DBEditCenaBrutto);

    LabelCenaReferencyjna = makeLabel(details, "LabelCenaReferencyjna", QStringLiteral("Cena referencyjna:"));
    DBEditCenaReferencyjna = makeBound<jadl::DBEdit>(details, "DBEditCenaReferencyjna", LabelCenaReferencyjna,
                                                     QStringLiteral("CenaReferencyjna"));
    form->addRow(LabelCenaReferencyjna, DBEditCenaReferencyjna);

    LabelNumerTowaru = makeLabel(details, "LabelNumerTowaru", QStringLiteral("Nr towaru:"));
    DBTextNumerTowaru = makeBound<jadl::DBText>(details, "DBTextNumerTowaru", LabelNumerTowaru, kNumer);
    DBTextNumerTowaru->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DBTextNumerTowaru->setFrameShape(QFrame::StyledPanel);
    DBTextNumerTowaru->setFixedWidth(80);
    form->addRow(LabelNumerTowaru, DBTextNumerTowaru);

    CheckBoxPrzepiszSymbolNazwa = new QCheckBox(QStringLiteral("Przepisz symbol do nazwy"), details);
    CheckBoxPrzepiszSymbolNazwa->setObjectName(QStringLiteral("CheckBoxPrzepiszSymbolNazwa"));
    CheckBoxPrzepiszSymbolNazwa->setChecked(true);
    jadl::describe(CheckBoxPrzepiszSymbolNazwa, CheckBoxPrzepiszSymbolNazwa->text(),
                   QStringLiteral("Gdy pole zaznaczone to Nazwa skrócona zostaje automatycznie przepisana do Nazwy "
                                  "Towaru"));
    CheckBoxPrzenumeruj = new QCheckBox(QStringLiteral("Przenumeruj"), details);
    CheckBoxPrzenumeruj->setObjectName(QStringLiteral("CheckBoxPrzenumeruj"));
    jadl::describe(CheckBoxPrzenumeruj, CheckBoxPrzenumeruj->text());
    auto* checks = new QHBoxLayout;
    checks->addWidget(CheckBoxPrzepiszSymbolNazwa);
    checks->addSpacing(16);
    checks->addWidget(CheckBoxPrzenumeruj);
    checks->addStretch(1);
    form->addRow(QString(), checks);
    return details;
}

// The button column, on the right.
QVBoxLayout* TTowaryPodstawowe::buildButtonColumn()
{
    BitBtnDodaj = makeButton(this, "BitBtnDodaj", QStringLiteral("&Dodaj"),
                             QStringLiteral("Dodanie  nowego towaru podstawowego"), QStyle::SP_FileDialogNewFolder);
    BitBtnZapisz = makeButton(this, "BitBtnZapisz", QStringLiteral("&Zapisz"),
                              QStringLiteral("Zapisanie worowadzonego towaru"), QStyle::SP_DialogSaveButton);
    BitBtnAnuluj = makeButton(this, "BitBtnAnuluj", QStringLiteral("&Anuluj"),
                              QStringLiteral("Anulowanie wprowadzonych danych(jeżeli nie są zapisane)"),
                              QStyle::SP_DialogCancelButton);
    BitBtnUsun = makeButton(this, "BitBtnUsun", QStringLiteral("&Usuń"),
                            QStringLiteral("Usuniecie zaznaczonego towaru  "), QStyle::SP_TrashIcon);
    Drukuj = makeButton(this, "Drukuj", QStringLiteral("D&rukuj"),
                        QStringLiteral("Drukowanie towarów podstawowych wybranej grupy"),
                        QStyle::SP_FileDialogDetailedView);
    Przenumeruj = makeButton(this, "Przenumeruj", QStringLiteral("Przenumeruj"), {}, QStyle::SP_BrowserReload);
    Przenumeruj->hide();
    BitBtnZamknij = makeButton(this, "BitBtnZamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki"), QStyle::SP_DialogCloseButton);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {BitBtnDodaj, BitBtnZapisz, BitBtnAnuluj, BitBtnUsun})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(Drukuj);
    buttons->addWidget(Przenumeruj);
    buttons->addStretch(1);
    buttons->addWidget(BitBtnZamknij);
    return buttons;
}

void TTowaryPodstawowe::wireHandlers()
{
    // --- handlers; an engine error shows in the error box and the window goes on
    connect(BitBtnDodaj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnDodajClick));
    connect(BitBtnZapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnZapiszClick));
    connect(BitBtnAnuluj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnAnulujClick));
    connect(BitBtnUsun, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnUsunClick));
    connect(BitBtnSzukajTowaruPodstawowego, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnSzukajTowaruPodstawowegoClick));
    connect(BitBtnSzukajGrupy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnSzukajGrupyClick));
    connect(Drukuj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::DrukujClick));
    connect(Przenumeruj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowaryPodstawowe::PrzenumerujClick));
    connect(BitBtnZamknij, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowaryPodstawowe::BitBtnZamknijClick));
    connect(DBGrid1, &jadl::DBGrid::titleClicked, this,
            [this](const QString& title) { jadl::runGuarded([this, &title] { DBGrid1TitleClick(title); }); });
    // Checking from code counts too: the main window unchecks the box before showing.
    connect(CheckBoxPrzenumeruj, &QCheckBox::toggled, this,
            jadl::guardedSlot(this, &TTowaryPodstawowe::CheckBoxPrzenumerujClick));
    DBEditSymbolTowaru->installEventFilter(this);
    DBGrid1->installEventFilter(this);
}

void TTowaryPodstawowe::prepareForShow()
{
    // The texts come from the lists as they stand, before this fill.
    DBComboBoxVatTyp->setText(DBComboBoxVatTyp->items().value(0));
    DBComboBoxJednostkaMiary->setText(DBComboBoxJednostkaMiary->items().value(0));
    jadl::fillUnitsList(*DBComboBoxJednostkaMiary, *units_, *dm_->TableParametry);
    jadl::fillVatList(*DBComboBoxVatTyp, *vat_, *dm_->TableParametry);
    CheckBoxPrzenumeruj->setChecked(false);
    Przenumeruj->hide();
}

void TTowaryPodstawowe::bindDataModule(TModulDanych1* dm)
{
    dm_ = dm;
    jadl::DataSource* goodsSource = dm ? dm->DataSourceTowaryPodstawowe : nullptr;
    DBTextGrupa->setDataSource(goodsSource);
    DBGrid1->setDataSource(goodsSource);
    if (dm)
        jadl::registerEditor(
            this, {dm->TableTowaryPodstawowe}, [this] { BitBtnZapiszClick(); }, jadl::SaveStyle::ExplicitSave);
    for (jadl::DBEdit* e : {DBEditSymbolTowaru, DBEditNazwaTowaru, DBEditIndeksTowaru, DBEditCenaNetto,
                            DBEditCenaBrutto, DBEditCenaReferencyjna})
        e->setDataSource(goodsSource);
    DBMemoNazwaTowaru->setDataSource(goodsSource);
    DBComboBoxVatTyp->setDataSource(goodsSource);
    DBComboBoxJednostkaMiary->setDataSource(goodsSource);
    DBTextNumerTowaru->setDataSource(goodsSource);
    DBGrid2->setDataSource(dm ? dm->DataSourceGrupyTowarow : nullptr);
}

jadl::Table& TTowaryPodstawowe::goods() const
{
    TModulDanych1* dm = dm_;
    Q_ASSERT(dm);
    return *dm->TableTowaryPodstawowe;
}

jadl::Table& TTowaryPodstawowe::groups() const
{
    TModulDanych1* dm = dm_;
    Q_ASSERT(dm);
    return *dm->TableGrupyTowarow;
}

std::optional<QColor> TTowaryPodstawowe::DBGrid1DrawColumnCell(jadl::Table& table, int row)
{
    static const jadl::RowColorFn colour = jadl::referencePriceRowColor();
    return colour(table, row);
}

void TTowaryPodstawowe::keyPressEvent(QKeyEvent* event)
{
    // Escape is the cancel button's key (which closes the window only when modal).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtnAnuluj->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TTowaryPodstawowe::eventFilter(QObject* watched, QEvent* event)
{
    // Esc in the goods grid is the cancel button's key as anywhere in the window
    // (the grid would only cancel the edit, and a modal window stay open).
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            BitBtnAnuluj->click();
            return true;
        }
    }
    if (watched == DBEditSymbolTowaru && event->type() == QEvent::FocusOut) {
        // Leaving the edit for another control, not the window losing activation.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            jadl::runGuarded([this] { DBEditSymbolTowaruExit(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TTowaryPodstawowe::BitBtnDodajClick()
{
    jadl::Table& grp = groups();
    if (grp.isEmpty()) {
        jadl::platform::showMessage(QStringLiteral("Brak grupy towarów"));
        return;
    }
    jadl::Table& t = goods();
    DBEditSymbolTowaru->setFocus();
    t.append();
    t.fieldByName(QStringLiteral("NumerGrupy")).setValue(grp.fieldByName(kNumer).value());
    t.fieldByName(QStringLiteral("DataDodania")).setDate(jadl::platform::today());
    t.fieldByName(kGrupa).setValue(grp.fieldByName(kGrupa).value());
    // The goods of the group + 1, counted again as the record is posted.
    t.assignOrdinal(kNrKol);
    t.keepAsDefaults();
    // Only the VAT text reaches the record, when it is saved.
    DBComboBoxVatTyp->setText(DBComboBoxVatTyp->count() > 0 ? DBComboBoxVatTyp->itemText(0) : QString());
    DBComboBoxJednostkaMiary->setText(DBComboBoxJednostkaMiary->count() > 0 ? DBComboBoxJednostkaMiary->itemText(0)
                                                                            : QString());
}

void TTowaryPodstawowe::BitBtnZapiszClick()
{
    jadl::Table& t = goods();
    if (!t.editing())
        return;
    if (t.fieldByName(kSymbol).isNull() || t.fieldByName(kNazwa).isNull()) {
        jadl::platform::showMessage(QStringLiteral("Wprowadzany towar musi posiadać Nazwę i Nazwę Skróconą(Symbol)"));
        t.cancel();
        return;
    }
    t.fieldByName(QStringLiteral("VatTyp")).setString(DBComboBoxVatTyp->text());
    if (t.fieldByName(kNrKol).isNull() && t.recordCount() == 0)
        t.fieldByName(kNrKol).setInteger(1);
    jadl::recalculateGrossPrice(t);
    jadl::Table& grp = groups();
    if (grp.isEmpty()) {
        if (jadl::platform::askYesNo(QStringLiteral("BRAK GRUP TOWARÓW - Zapisujemy bez grupy"),
                                     QStringLiteral("WYBIERZ"))) {
            t.post();
            t.flushBuffers();
        } else {
            t.cancel();
        }
        return;
    }
    if (t.fieldByName(kGrupa).isNull()) {
        t.fieldByName(kGrupa).setValue(grp.fieldByName(kGrupa).value());
        t.fieldByName(QStringLiteral("NumerGrupy")).setValue(grp.fieldByName(kNumer).value());
        t.fieldByName(QStringLiteral("DataDodania")).setDate(jadl::platform::today());
    }
    t.post();
    t.flushBuffers();
}

void TTowaryPodstawowe::BitBtnAnulujClick()
{
    goods().cancel();
    if (isModal())
        QDialog::reject(); // the tables stay as the window that opened it needs them
}

void TTowaryPodstawowe::BitBtnUsunClick()
{
    jadl::Table& t = goods();
    if (t.bof() && t.eof()) {
        jadl::platform::showMessage(QStringLiteral("Brak pozycji do usunięcia"));
        return;
    }
    if (jadl::platform::askYesNo(QStringLiteral("Usunąć zaznaczoną pozycję towaru"), QStringLiteral("WYBIERZ")))
        t.deleteRecord();
    else
        t.cancel();
}

void TTowaryPodstawowe::DBEditSymbolTowaruExit()
{
    jadl::Table& t = goods();
    if (!CheckBoxPrzepiszSymbolNazwa->isChecked() || !t.editing())
        return;
    const QString symbol = DBEditSymbolTowaru->text();
    DBEditNazwaTowaru->setText(symbol);
    t.fieldByName(kNazwa).setString(symbol);
}

void TTowaryPodstawowe::BitBtnSzukajTowaruPodstawowegoClick()
{
    goods().locate(kSymbol, EditSzukajTowarPodstawowy->text());
}

void TTowaryPodstawowe::BitBtnSzukajGrupyClick()
{
    groups().locate(kGrupa, EditSzukajGrupy->text());
}

void TTowaryPodstawowe::DBGrid1TitleClick(const QString& title)
{
    QString index;
    if (title == kTitleNrKol)
        index = QStringLiteral("NumerGrupyNrKolInd");
    else if (title == kTitleSymbol)
        index = QStringLiteral("NrGrupySymbolInd");
    else
        return;
    // The link is taken down and set up again around the new order.
    TModulDanych1* dm = dm_;
    jadl::Table& t = goods();
    t.setMasterFields(QString());
    t.setIndexName(QString());
    t.setMasterSource(nullptr);
    t.setMasterFields(kNumer);
    t.setIndexName(index);
    t.setMasterSource(dm->DataSourceGrupyTowarow);
}

void TTowaryPodstawowe::DrukujClick()
{
    if (report_)
        report_->preview(this);
}

void TTowaryPodstawowe::CheckBoxPrzenumerujClick()
{
    Przenumeruj->setVisible(CheckBoxPrzenumeruj->isChecked());
}

void TTowaryPodstawowe::PrzenumerujClick()
{
    jadl::Table& t = goods();
    const jadl::ControlsDisabled quiet(t);
    t.first();
    const int count = t.recordCount();
    // The order is taken once, as the grid shows it: under the "Nr kol." order a
    // renumbered good moves within the view, and walking on by position would
    // then skip or repeat goods.
    std::vector<QVariant> order;
    order.reserve(std::size_t(count));
    const int numer = t.fieldIndex(kNumer);
    for (int row = 0; row < count; ++row)
        order.push_back(t.valueAt(row, numer));
    for (int i = 1; i <= count; ++i) {
        t.locate(kNumer, order[std::size_t(i - 1)]);
        t.edit();
        t.fieldByName(kNrKol).setInteger(i);
        t.post();
    }
}

void TTowaryPodstawowe::BitBtnZamknijClick()
{
    if (!jadl::settlePendingEdits({&goods()}))
        return;
    // While the goods assignment window is open beneath, its tables stay open.
    if (!assignment_ || !assignment_->isVisible()) {
        TModulDanych1* dm = dm_;
        QList<jadl::Table*> tables{dm->TableTowaryPodstawowe, dm->TableGrupyTowarow, dm->TableParametry};
        tables << vat_ << units_ << dm->TableWlasciciel;
        for (jadl::Table* table : tables)
            if (table && table->active())
                table->close();
    }
    close();
}
