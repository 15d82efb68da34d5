#include "controls/PendingEdits.h"
#include "masterdata/ParametryJadl.h"

#include "controls/DBCheckBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "masterdata/FormParts.h"
#include "platform/Messages.h"
#include "shell/Application.h"
#include "shell/FormUtil.h"
#include "shell/Forms.h"
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

using namespace jadl::formparts;
using jadl::DataSetState;

namespace {
const QString kSymbol = QStringLiteral("Symbol");
const QString kNazwa = QStringLiteral("Nazwa");
const QString kAktywny = QStringLiteral("Aktywny");
const QString kAktywnyString = QStringLiteral("AktywnyString");

bool editing(const jadl::Table* t)
{
    return t->state() == DataSetState::Edit || t->state() == DataSetState::Insert;
}
} // namespace

TParametry::TParametry(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Parametry"), QStringLiteral("PARAMETRY"), 700, 520);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtn1Click(); }); });
    TModulDanych1* dm = jadl::forms().ModulDanych1;
    jadl::DataSource* owners = dm ? dm->DataSourceWlasciciel : nullptr;
    jadl::DataSource* settings = dm ? dm->DataSourceParametry : nullptr;

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Właściciel"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Parametry"));

    // --- owner records
    DBGrid1 = jadl::dictionary::makeGrid(TabSheet1, owners,
                                         {{QStringLiteral("Numer"), QStringLiteral("Nr")},
                                          {kSymbol, QStringLiteral("Nazwa skrócona (Symbol)")},
                                          {kAktywnyString, QStringLiteral("Aktywny")}},
                                         QStringLiteral("Właściciel"));
    DBGrid1->setReadOnly(true);

    DBEditNazwa = boundEdit(TabSheet1, QStringLiteral("DBEditNazwa"), owners, kNazwa);
    LabelNazwaWlasciciela = caption(TabSheet1, QStringLiteral("LabelNazwaWlasciciela"), QStringLiteral("Nazwa:"),
                                    DBEditNazwa);
    DBEditSymbol = boundEdit(TabSheet1, QStringLiteral("DBEditSymbol"), owners, kSymbol);
    LabelSymbol = caption(TabSheet1, QStringLiteral("LabelSymbol"), QStringLiteral("Nazwa skrócona:"), DBEditSymbol);
    DBEditAdres = boundEdit(TabSheet1, QStringLiteral("DBEditAdres"), owners, QStringLiteral("Adres"));
    LabelAdres = caption(TabSheet1, QStringLiteral("LabelAdres"), QStringLiteral("Adres:"), DBEditAdres);
    DBCheckBoxPlatnikVat = boundCheckBox(TabSheet1, QStringLiteral("DBCheckBoxPlatnikVat"),
                                         QStringLiteral("Firma jest płatnikiem VAT"), owners, QStringLiteral("CzyVat"));
    DBEditTelefon = boundEdit(TabSheet1, QStringLiteral("DBEditTelefon"), owners, QStringLiteral("Telefon"));
    LabelTelefon = caption(TabSheet1, QStringLiteral("LabelTelefon"), QStringLiteral("Telefon:"), DBEditTelefon);
    DBEditFax = boundEdit(TabSheet1, QStringLiteral("DBEditFax"), owners, QStringLiteral("Fax"));
    LabelFax = caption(TabSheet1, QStringLiteral("LabelFax"), QStringLiteral("Fax:"), DBEditFax);
    DBEditNrKolejny = boundEdit(TabSheet1, QStringLiteral("DBEditNrKolejny"), owners, QStringLiteral("NrKolejny"));
    DBEditNrKolejny->setReadOnly(true);
    LabelNrKolejny = caption(TabSheet1, QStringLiteral("LabelNrKolejny"), QStringLiteral("Numer kolejny:"),
                             DBEditNrKolejny);
    DBEditMail = boundEdit(TabSheet1, QStringLiteral("DBEditMail"), owners, QStringLiteral("E_mail"));
    LabelMail = caption(TabSheet1, QStringLiteral("LabelMail"), QStringLiteral("E-mail:"), DBEditMail);
    DBEditBank = boundEdit(TabSheet1, QStringLiteral("DBEditBank"), owners, QStringLiteral("Bank"));
    LabelBank = caption(TabSheet1, QStringLiteral("LabelBank"), QStringLiteral("Bank:"), DBEditBank);
    DBEdit1 = boundEdit(TabSheet1, QStringLiteral("DBEdit1"), owners, QStringLiteral("Konto"));
    LabelKonto = caption(TabSheet1, QStringLiteral("LabelKonto"), QStringLiteral("Konto:"), DBEdit1);
    DBNavigator1 = jadl::dictionary::makeFullNavigator(
        TabSheet1, owners,
        {QStringLiteral("pierwszy zapis"), QStringLiteral("poprzedni zapis"), QStringLiteral("następny zapis"),
         QStringLiteral("ostatni zapis"), QStringLiteral("dodaj nowy zapis"), QStringLiteral("usuń"),
         QStringLiteral("edytuj"), QStringLiteral("zapisz"), QStringLiteral("anuluj"), QStringLiteral("odśwież")});
    CheckBoxPrzepiszSymbolNazwa = checkBox(TabSheet1, QStringLiteral("CheckBoxPrzepiszSymbolNazwa"),
                                           QStringLiteral("Przepisz Nazwę skróconą do nazwy"), true);
    DBCheckBoxAktywny = boundCheckBox(TabSheet1, QStringLiteral("DBCheckBoxAktywny"), QStringLiteral("Aktywny"), owners,
                                      kAktywny);
    DBCheckBoxAktywny->hide();
    CheckBoxAktywny = checkBox(TabSheet1, QStringLiteral("CheckBoxAktywny"), QStringLiteral("Aktywny własciciel"),
                               false);
    BitBtnZapisz = button(TabSheet1, QStringLiteral("BitBtnZapisz"), QStringLiteral("&Zapisz"));

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

    // --- settings record
    DBCheckBoxCzyscJednostkiMiar = boundCheckBox(TabSheet2, QStringLiteral("DBCheckBoxCzyscJednostkiMiar"),
                                                 QStringLiteral("Czyść jednostki miar"), settings,
                                                 QStringLiteral("CzyscJednostkiMiar"));
    DBCheckBoxCzyscStawkiVat = boundCheckBox(TabSheet2, QStringLiteral("DBCheckBoxCzyscStawkiVat"),
                                             QStringLiteral("Czyść stawki Vat-u"), settings,
                                             QStringLiteral("CzyscStawkiVat"));
    Zapisz = button(TabSheet2, QStringLiteral("Zapisz"), QStringLiteral("&Zapisz"));
    auto* settingsPage = new QVBoxLayout(TabSheet2);
    settingsPage->addWidget(DBCheckBoxCzyscJednostkiMiar);
    settingsPage->addWidget(DBCheckBoxCzyscStawkiVat);
    settingsPage->addWidget(Zapisz, 0, Qt::AlignLeft);
    settingsPage->addStretch();

    Zamknij = button(this, QStringLiteral("Zamknij"), QStringLiteral("&Wyjście"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(PageControl1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(Zamknij);
    column->addLayout(bottom);

    PageControl1->setCurrentWidget(TabSheet2);

    auto guarded = [this](auto* sender, auto signal, void (TParametry::*handler)()) {
        connect(sender, signal, this, [this, handler] { jadl::runGuarded([this, handler] { (this->*handler)(); }); });
    };
    guarded(DBGrid1, &jadl::DBGrid::cellClicked, &TParametry::DBGrid1CellClick);
    guarded(DBGrid1, &jadl::DBGrid::colExit, &TParametry::DBGrid1ColExit);
    guarded(DBGrid1, &jadl::DBGrid::doubleClicked, &TParametry::DBGrid1DblClick);
    guarded(DBGrid1, &jadl::DBGrid::keyDown, &TParametry::DBGrid1KeyDown);
    guarded(DBGrid1, &jadl::DBGrid::keyPressed, &TParametry::DBGrid1KeyPress);
    guarded(DBGrid1, &jadl::DBGrid::keyUp, &TParametry::DBGrid1KeyUp);
    // Like the classic check box, a change made from code runs the click handler too.
    guarded(CheckBoxAktywny, &QCheckBox::toggled, &TParametry::CheckBoxAktywnyClick);
    guarded(BitBtnZapisz, &QPushButton::clicked, &TParametry::BitBtnZapiszClick);
    guarded(Zapisz, &QPushButton::clicked, &TParametry::ZapiszClick);
    guarded(Zamknij, &QPushButton::clicked, &TParametry::BitBtn1Click);
    DBEditSymbol->installEventFilter(this);
    if (dm) {
        // Each page's save acts only on its own page: the page is shown first.
        jadl::registerEditor(this, {dm->TableWlasciciel}, [this] {
            PageControl1->setCurrentWidget(TabSheet1);
            BitBtnZapiszClick();
        }, jadl::SaveStyle::ExplicitSave);
        jadl::registerEditor(this, {dm->TableParametry}, [this] {
            PageControl1->setCurrentWidget(TabSheet2);
            ZapiszClick();
        }, jadl::SaveStyle::ExplicitSave);
    }
}

jadl::Table* TParametry::wlasciciel() const
{
    return jadl::forms().ModulDanych1->TableWlasciciel;
}

jadl::Table* TParametry::parametry() const
{
    return jadl::forms().ModulDanych1->TableParametry;
}

void TParametry::followAktywny()
{
    jadl::Table* t = wlasciciel();
    CheckBoxAktywny->setChecked(t->active() && t->fieldByName(kAktywny).asBoolean());
}

void TParametry::DBGrid1CellClick() { followAktywny(); }
void TParametry::DBGrid1ColExit() { followAktywny(); }
void TParametry::DBGrid1DblClick() { followAktywny(); }
void TParametry::DBGrid1KeyDown() { followAktywny(); }
void TParametry::DBGrid1KeyPress() { followAktywny(); }
void TParametry::DBGrid1KeyUp() { followAktywny(); }

void TParametry::CheckBoxAktywnyClick()
{
    jadl::Table* t = wlasciciel();
    // Without a record there is nothing to mark; editing would start a blank one.
    if (!t->active() || t->isEmpty())
        return;
    t->edit();
    const bool on = CheckBoxAktywny->isChecked();
    t->fieldByName(kAktywnyString).setString(on ? QStringLiteral("TAK") : QStringLiteral("NIE"));
    t->fieldByName(kAktywny).setBoolean(on);
    t->post();
}

void TParametry::DBEditSymbolExit()
{
    jadl::Table* t = wlasciciel();
    if (!CheckBoxPrzepiszSymbolNazwa->isChecked() || !t->active() || !editing(t))
        return;
    DBEditNazwa->setText(DBEditSymbol->text());
    t->fieldByName(kNazwa).setString(DBEditSymbol->text());
}

void TParametry::BitBtnZapiszClick()
{
    if (PageControl1->currentWidget() != TabSheet1)
        return;
    jadl::Table* t = wlasciciel();
    if (!t->active())
        return;
    writePendingTyping(this);
    const bool symbolNull = t->fieldByName(kSymbol).isNull();
    const bool nazwaNull = t->fieldByName(kNazwa).isNull();
    if (editing(t) && !symbolNull && !nazwaNull) {
        // A new record is appended after the last one of the current order.
        const int number = t->state() == DataSetState::Insert ? t->recordCount() + 1 : t->recNo();
        t->fieldByName(QStringLiteral("NrKolejny")).setInteger(number);
        const bool first = number == 1;
        t->fieldByName(kAktywny).setBoolean(first);
        t->fieldByName(kAktywnyString).setString(first ? QStringLiteral("TAK") : QStringLiteral("NIE"));
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
    if (!t->active() || !editing(t))
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

bool TParametry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBEditSymbol && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        // Leaving the edit for another control, not the window losing activation.
        jadl::runGuarded([this] {
            DBEditSymbol->updateRecord();
            DBEditSymbolExit();
        });
    }
    return QDialog::eventFilter(watched, event);
}
