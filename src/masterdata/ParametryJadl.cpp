#include "masterdata/ParametryJadl.h"

#include "controls/Builders.h"
#include "controls/DBCheckBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "masterdata/KsefSettingsPage.h"
#include "masterdata/OwnerRecord.h"
#include "platform/Messages.h"
#include "store/DataStore.h"
#include "store/EngineError.h"
#include "store/Modul_Danych1.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using jadl::DataSetState;

namespace {
const QString kSymbol = QStringLiteral("Symbol");
const QString kNazwa = QStringLiteral("Nazwa");
const QString kAktywny = QStringLiteral("Aktywny");
const QString kAktywnyString = QStringLiteral("AktywnyString");

} // namespace

TParametry::TParametry(TModulDanych1* dm, QWidget* parent) : jadl::ExitRoutedDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("Parametry"), QStringLiteral("PARAMETRY"), 700, 520);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtn1Click(); }); });
    buildControls();
    wireHandlers();
}

void TParametry::buildControls()
{
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Właściciel"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Parametry"));
    TabSheetKSeF = new TKsefSettingsPage;
    PageControl1->addTab(TabSheetKSeF, QStringLiteral("KSeF"));
    buildOwnerPage();
    buildSettingsPage();
    Zamknij = jadl::makeButton(this, "Zamknij", QStringLiteral("&Wyjście"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(PageControl1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Zamknij);
    column->addLayout(bottom);

    PageControl1->setCurrentWidget(TabSheet2);
}

// The owner records, on the first page.
void TParametry::buildOwnerPage()
{
    jadl::DataSource* owners = dm_ ? dm_->DataSourceWlasciciel : nullptr;
    DBGrid1 = jadl::makeDictionaryGrid(TabSheet1, owners,
                                       {{QStringLiteral("Numer"), QStringLiteral("Nr")},
                                        {kSymbol, QStringLiteral("Nazwa skrócona (Symbol)")},
                                        {kAktywnyString, QStringLiteral("Aktywny")}},
                                       QStringLiteral("Właściciel"));
    DBGrid1->setReadOnly(true);

    DBEditNazwa = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditNazwa", owners, kNazwa);
    LabelNazwaWlasciciela = jadl::makeCaption(TabSheet1, "LabelNazwaWlasciciela", QStringLiteral("Nazwa:"),
                                              DBEditNazwa);
    DBEditSymbol = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditSymbol", owners, kSymbol);
    LabelSymbol = jadl::makeCaption(TabSheet1, "LabelSymbol", QStringLiteral("Nazwa skrócona:"), DBEditSymbol);
    DBEditAdres = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditAdres", owners, QStringLiteral("Adres"));
    LabelAdres = jadl::makeCaption(TabSheet1, "LabelAdres", QStringLiteral("Adres:"), DBEditAdres);
    DBCheckBoxPlatnikVat = jadl::makeBoundCheckBox(TabSheet1, "DBCheckBoxPlatnikVat",
                                                   QStringLiteral("Firma jest płatnikiem VAT"), owners,
                                                   QStringLiteral("CzyVat"));
    DBEditTelefon = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditTelefon", owners, QStringLiteral("Telefon"));
    LabelTelefon = jadl::makeCaption(TabSheet1, "LabelTelefon", QStringLiteral("Telefon:"), DBEditTelefon);
    DBEditFax = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditFax", owners, QStringLiteral("Fax"));
    LabelFax = jadl::makeCaption(TabSheet1, "LabelFax", QStringLiteral("Fax:"), DBEditFax);
    DBEditNrKolejny = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditNrKolejny", owners, QStringLiteral("NrKolejny"));
    DBEditNrKolejny->setReadOnly(true);
    LabelNrKolejny = jadl::makeCaption(TabSheet1, "LabelNrKolejny", QStringLiteral("Numer kolejny:"), DBEditNrKolejny);
    DBEditMail = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditMail", owners, QStringLiteral("E_mail"));
    LabelMail = jadl::makeCaption(TabSheet1, "LabelMail", QStringLiteral("E-mail:"), DBEditMail);
    DBEditBank = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEditBank", owners, QStringLiteral("Bank"));
    LabelBank = jadl::makeCaption(TabSheet1, "LabelBank", QStringLiteral("Bank:"), DBEditBank);
    DBEdit1 = jadl::makeBound<jadl::DBEdit>(TabSheet1, "DBEdit1", owners, QStringLiteral("Konto"));
    LabelKonto = jadl::makeCaption(TabSheet1, "LabelKonto", QStringLiteral("Konto:"), DBEdit1);
    DBNavigator1 = jadl::makeFullNavigator(
        TabSheet1, owners,
        {QStringLiteral("pierwszy zapis"), QStringLiteral("poprzedni zapis"), QStringLiteral("następny zapis"),
         QStringLiteral("ostatni zapis"), QStringLiteral("dodaj nowy zapis"), QStringLiteral("usuń"),
         QStringLiteral("edytuj"), QStringLiteral("zapisz"), QStringLiteral("anuluj"), QStringLiteral("odśwież")});
    CheckBoxPrzepiszSymbolNazwa = jadl::makeCheckBox(TabSheet1, "CheckBoxPrzepiszSymbolNazwa",
                                                     QStringLiteral("Przepisz Nazwę skróconą do nazwy"), true);
    DBCheckBoxAktywny = jadl::makeBoundCheckBox(TabSheet1, "DBCheckBoxAktywny", QStringLiteral("Aktywny"), owners,
                                                kAktywny);
    DBCheckBoxAktywny->hide();
    CheckBoxAktywny = jadl::makeCheckBox(TabSheet1, "CheckBoxAktywny", QStringLiteral("Aktywny własciciel"), false);
    BitBtnZapisz = jadl::makeButton(TabSheet1, "BitBtnZapisz", QStringLiteral("&Zapisz"));

    auto* ownerFields = new QGridLayout;
    int row = 0;
    auto addRow = [&](QLabel* label, QWidget* w) {
        ownerFields->addWidget(label, row, 0);
        ownerFields->addWidget(w, row, 1);
        ++row;
    };
    addRow(LabelNazwaWlasciciela, DBEditNazwa);
    addRow(LabelSymbol, DBEditSymbol);
    addRow(LabelAdres, DBEditAdres);
    addRow(LabelTelefon, DBEditTelefon);
    addRow(LabelFax, DBEditFax);
    addRow(LabelMail, DBEditMail);
    addRow(LabelBank, DBEditBank);
    addRow(LabelKonto, DBEdit1);
    addRow(LabelNrKolejny, DBEditNrKolejny);
    auto* boxes = new QVBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{DBCheckBoxPlatnikVat, CheckBoxPrzepiszSymbolNazwa,
                                                      DBCheckBoxAktywny, CheckBoxAktywny, BitBtnZapisz})
        boxes->addWidget(w);
    boxes->addStretch();
    auto* ownerLower = new QHBoxLayout;
    ownerLower->addLayout(ownerFields, 1);
    ownerLower->addLayout(boxes);
    auto* ownerPage = new QVBoxLayout(TabSheet1);
    ownerPage->addWidget(DBNavigator1);
    ownerPage->addWidget(DBGrid1, 1);
    ownerPage->addLayout(ownerLower);
}

// The settings record and where the data is, on the second page.
void TParametry::buildSettingsPage()
{
    jadl::DataSource* settings = dm_ ? dm_->DataSourceParametry : nullptr;
    DBCheckBoxCzyscJednostkiMiar = jadl::makeBoundCheckBox(TabSheet2, "DBCheckBoxCzyscJednostkiMiar",
                                                           QStringLiteral("Czyść jednostki miar"), settings,
                                                           QStringLiteral("CzyscJednostkiMiar"));
    DBCheckBoxCzyscStawkiVat = jadl::makeBoundCheckBox(TabSheet2, "DBCheckBoxCzyscStawkiVat",
                                                       QStringLiteral("Czyść stawki Vat-u"), settings,
                                                       QStringLiteral("CzyscStawkiVat"));
    Zapisz = jadl::makeButton(TabSheet2, "Zapisz", QStringLiteral("&Zapisz"));
    LabelMagazynDanych = jadl::makeLabel(TabSheet2, "LabelMagazynDanych", QString());
    LabelMagazynDanych->setWordWrap(true);
    LabelMagazynDanych->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelMagazynDanych->setAccessibleName(QStringLiteral("Magazyn danych"));
    LabelMagazynDanych->setToolTip(QStringLiteral("Gdzie program przechowuje dane: katalog danych albo serwer "
                                                  "PostgreSQL (zmienna JADL_DATABASE lub plik jadlonia.conf)"));
    LabelMagazynDanych->setAccessibleDescription(LabelMagazynDanych->toolTip());
    auto* settingsPage = new QVBoxLayout(TabSheet2);
    settingsPage->addWidget(DBCheckBoxCzyscJednostkiMiar);
    settingsPage->addWidget(DBCheckBoxCzyscStawkiVat);
    settingsPage->addWidget(Zapisz, 0, Qt::AlignLeft);
    settingsPage->addStretch();
    settingsPage->addWidget(LabelMagazynDanych);
    showDataStore();
}

void TParametry::wireHandlers()
{
    connect(DBGrid1, &jadl::DBGrid::cellClicked, this, jadl::guardedSlot(this, &TParametry::DBGrid1CellClick));
    connect(DBGrid1, &jadl::DBGrid::colExit, this, jadl::guardedSlot(this, &TParametry::DBGrid1ColExit));
    connect(DBGrid1, &jadl::DBGrid::doubleClicked, this, jadl::guardedSlot(this, &TParametry::DBGrid1DblClick));
    connect(DBGrid1, &jadl::DBGrid::keyDown, this, jadl::guardedSlot(this, &TParametry::DBGrid1KeyDown));
    connect(DBGrid1, &jadl::DBGrid::keyPressed, this, jadl::guardedSlot(this, &TParametry::DBGrid1KeyPress));
    connect(DBGrid1, &jadl::DBGrid::keyUp, this, jadl::guardedSlot(this, &TParametry::DBGrid1KeyUp));
    // Like the classic check box, a change made from code runs the click handler too.
    connect(CheckBoxAktywny, &QCheckBox::toggled, this, jadl::guardedSlot(this, &TParametry::CheckBoxAktywnyClick));
    connect(BitBtnZapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TParametry::BitBtnZapiszClick));
    connect(Zapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TParametry::ZapiszClick));
    connect(Zamknij, &QPushButton::clicked, this, jadl::guardedSlot(this, &TParametry::BitBtn1Click));
    jadl::owners::whenSymbolLeft(DBEditSymbol, [this] { DBEditSymbolExit(); });
    if (dm_) {
        // Each page's save acts only on its own page: the page is shown first.
        jadl::registerEditor(
            this, {dm_->TableWlasciciel},
            [this] {
                PageControl1->setCurrentWidget(TabSheet1);
                BitBtnZapiszClick();
            },
            jadl::SaveStyle::ExplicitSave);
        jadl::registerEditor(
            this, {dm_->TableParametry},
            [this] {
                PageControl1->setCurrentWidget(TabSheet2);
                ZapiszClick();
            },
            jadl::SaveStyle::ExplicitSave);
    }
}

jadl::Table* TParametry::wlasciciel() const
{
    return dm_->TableWlasciciel;
}

jadl::Table* TParametry::parametry() const
{
    return dm_->TableParametry;
}

void TParametry::prepareForShow()
{
    CheckBoxAktywny->setChecked(dm_->TableWlasciciel->fieldByName(QStringLiteral("Aktywny")).asBoolean());
}

void TParametry::showDataStore()
{
    if (!dm_)
        return;
    QString text;
    try {
        text = jadl::dataStoreDescription(dm_->Database1->location());
    } catch (const jadl::EngineError& e) {
        text = QStringLiteral("Dane: ") + e.message();
    }
    LabelMagazynDanych->setText(text);
}

void TParametry::showEvent(QShowEvent* event)
{
    showDataStore();
    jadl::runGuarded([this] { TabSheetKSeF->load(); });
    jadl::ExitRoutedDialog::showEvent(event);
}

void TParametry::followAktywny()
{
    jadl::Table* t = wlasciciel();
    CheckBoxAktywny->setChecked(t->active() && t->fieldByName(kAktywny).asBoolean());
}

void TParametry::DBGrid1CellClick()
{
    followAktywny();
}
void TParametry::DBGrid1ColExit()
{
    followAktywny();
}
void TParametry::DBGrid1DblClick()
{
    followAktywny();
}
void TParametry::DBGrid1KeyDown()
{
    followAktywny();
}
void TParametry::DBGrid1KeyPress()
{
    followAktywny();
}
void TParametry::DBGrid1KeyUp()
{
    followAktywny();
}

void TParametry::CheckBoxAktywnyClick()
{
    jadl::Table* t = wlasciciel();
    // Without a record there is nothing to mark; editing would start a blank one.
    if (!t->active() || t->isEmpty())
        return;
    t->edit();
    const bool on = CheckBoxAktywny->isChecked();
    jadl::owners::writeActiveMark(*t, on);
    t->post();
}

void TParametry::DBEditSymbolExit()
{
    jadl::owners::copySymbolToName(*wlasciciel(), *DBEditSymbol, *DBEditNazwa, *CheckBoxPrzepiszSymbolNazwa);
}

void TParametry::BitBtnZapiszClick()
{
    if (PageControl1->currentWidget() != TabSheet1)
        return;
    jadl::Table* t = wlasciciel();
    if (!t->active())
        return;
    jadl::writePendingTyping(this);
    const bool symbolNull = t->fieldByName(kSymbol).isNull();
    const bool nazwaNull = t->fieldByName(kNazwa).isNull();
    if (t->editing() && !symbolNull && !nazwaNull) {
        // A new record is appended after the last one of the current order.
        const int number = t->state() == DataSetState::Insert ? t->recordCount() + 1 : t->recNo();
        t->fieldByName(QStringLiteral("NrKolejny")).setInteger(number);
        const bool first = number == 1;
        jadl::owners::writeActiveMark(*t, first);
        t->post();
        t->flushBuffers();
        return;
    }
    if (!symbolNull && !nazwaNull) {
        jadl::platform::showMessage(QStringLiteral("Dane Właściciela są już zapisane"), QStringLiteral("UWAGA"));
        return;
    }
    if (symbolNull) {
        jadl::platform::showMessage(QStringLiteral("Symbol Wlasciciela musi być wypełniona"), QStringLiteral("Błąd"));
        DBEditSymbol->setFocus();
    }
    if (nazwaNull) {
        jadl::platform::showMessage(QStringLiteral("NAZWA Wlasciciela musi być wypełniona"), QStringLiteral("Błąd"));
        DBEditAdres->setFocus();
    }
}

void TParametry::ZapiszClick()
{
    if (PageControl1->currentWidget() != TabSheet2)
        return;
    jadl::Table* t = parametry();
    if (!t->active() || !t->editing())
        return;
    t->post();
    t->flushBuffers();
}

void TParametry::BitBtn1Click()
{
    if (!jadl::settlePendingEdits({wlasciciel(), parametry()}))
        return;
    if (wlasciciel()->active())
        wlasciciel()->close();
    if (parametry()->active())
        parametry()->close();
    close();
}
