#include "masterdata/DostawcyJadl.h"

#include "controls/Builders.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/DBText.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "platform/Messages.h"
#include "reports/Dostawcy_Druk.h"
#include "store/Modul_Danych1.h"

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

using jadl::DataSetState;

namespace jadl {

QString workModeText(DataSetState state)
{
    switch (state) {
    case DataSetState::Browse:
        return QStringLiteral("Przeglądanie(Browse)");
    case DataSetState::Insert:
        return QStringLiteral("Wstawianie(Insert)");
    case DataSetState::Edit:
        return QStringLiteral("Poprawianie(Edycja)");
    case DataSetState::Inactive:
        break;
    }
    return QStringLiteral("?????");
}

} // namespace jadl

namespace {

const QString kFieldSymbol = QStringLiteral("Symbol");
const QString kFieldNazwa = QStringLiteral("Nazwa");

using jadl::makeButton;
using jadl::makeLabel;

// A data-bound edit with its caption label (the label names it for screen readers).
jadl::DBEdit* makeEdit(QWidget* parent, const char* name, QLabel* label, const QString& field)
{
    return jadl::makeBound<jadl::DBEdit>(parent, name, static_cast<jadl::DataSource*>(nullptr), field, label);
}

} // namespace

TDostawcy::TDostawcy(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Dostawcy"), QStringLiteral("DOSTAWCY FIRMY"), 780, 560);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtnZamknijClick(); }); });
    buildControls();
    wireHandlers();
}

void TDostawcy::buildControls()
{
    QGroupBox* details = buildDetailsPanel();
    QVBoxLayout* listColumn = buildListPanel();
    QVBoxLayout* buttons = buildButtonColumn();
    auto* top = new QHBoxLayout(this);
    top->addWidget(details, 7);
    top->addLayout(listColumn, 9);
    top->addLayout(buttons);
}

// The supplier's data, top to bottom.
QGroupBox* TDostawcy::buildDetailsPanel()
{
    auto* details = new QGroupBox(QStringLiteral("Dane dostawcy"), this);
    details->setObjectName(QStringLiteral("GroupBoxDaneDostawcy"));
    auto* detailsColumn = new QVBoxLayout(details);
    auto* form = new QFormLayout;
    detailsColumn->addLayout(form);
    detailsColumn->addStretch(1);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);

    LabelSymbolDostawcy = makeLabel(details, "LabelSymbolDostawcy", QStringLiteral("Symbol dostawcy:"));
    DBEditSymbolDostawcy = makeEdit(details, "DBEditSymbolDostawcy", LabelSymbolDostawcy, kFieldSymbol);
    form->addRow(LabelSymbolDostawcy, DBEditSymbolDostawcy);

    LabelNazwaDostawcy = makeLabel(details, "LabelNazwaDostawcy", QStringLiteral("Nazwa dostawcy:"));
    DBEditNazwaDostawcy = makeEdit(details, "DBEditNazwaDostawcy", LabelNazwaDostawcy, kFieldNazwa);
    DBEditNazwaDostawcy->setUpperCase(true);
    form->addRow(LabelNazwaDostawcy, DBEditNazwaDostawcy);

    DBMemoNazwaDostawcy = new jadl::DBMemo(details);
    DBMemoNazwaDostawcy->setObjectName(QStringLiteral("DBMemoNazwaDostawcy"));
    DBMemoNazwaDostawcy->setDataField(kFieldNazwa);
    DBMemoNazwaDostawcy->setReadOnly(true);
    DBMemoNazwaDostawcy->setFocusPolicy(Qt::NoFocus);
    DBMemoNazwaDostawcy->setFixedHeight(DBEditNazwaDostawcy->sizeHint().height() * 2 + 6);
    jadl::describe(DBMemoNazwaDostawcy, QStringLiteral("Pełna nazwa dostawcy"));
    form->addRow(QString(), DBMemoNazwaDostawcy);

    LabelAdresDostawcy = makeLabel(details, "LabelAdresDostawcy", QStringLiteral("Adres dostawcy:"));
    DBEditAdresDostawcy = makeEdit(details, "DBEditAdresDostawcy", LabelAdresDostawcy, QStringLiteral("Adres"));
    form->addRow(LabelAdresDostawcy, DBEditAdresDostawcy);

    LabelNip = makeLabel(details, "LabelNip", QStringLiteral("NIP:"));
    DBEditNip = makeEdit(details, "DBEditNip", LabelNip, QStringLiteral("Nip"));
    form->addRow(LabelNip, DBEditNip);

    LabelRegon = makeLabel(details, "LabelRegon", QStringLiteral("Regon:"));
    DBEditRegon = makeEdit(details, "DBEditRegon", LabelRegon, QStringLiteral("Regon"));
    form->addRow(LabelRegon, DBEditRegon);

    LabelTelefon = makeLabel(details, "LabelTelefon", QStringLiteral("Tel:"));
    DBEditTelefon = makeEdit(details, "DBEditTelefon", LabelTelefon, QStringLiteral("Telefon"));
    form->addRow(LabelTelefon, DBEditTelefon);

    LabelFax = makeLabel(details, "LabelFax", QStringLiteral("Fax:"));
    DBEditFax = makeEdit(details, "DBEditFax", LabelFax, QStringLiteral("Fax"));
    form->addRow(LabelFax, DBEditFax);

    LabelEmail = makeLabel(details, "LabelEmail", QStringLiteral("E-mail:"));
    DBEditEmail = makeEdit(details, "DBEditEmail", LabelEmail, QStringLiteral("E_mail"));
    form->addRow(LabelEmail, DBEditEmail);

    LabelBank = makeLabel(details, "LabelBank", QStringLiteral("Bank:"));
    DBEditBank = makeEdit(details, "DBEditBank", LabelBank, QStringLiteral("Bank"));
    form->addRow(LabelBank, DBEditBank);

    LabelKonto = makeLabel(details, "LabelKonto", QStringLiteral("Konto:"));
    DBEditKonto = makeEdit(details, "DBEditKonto", LabelKonto, QStringLiteral("Konto"));
    form->addRow(LabelKonto, DBEditKonto);

    CheckBoxPrzepiszSymbolNazwa = new QCheckBox(QStringLiteral("Przepisz symbol do nazwy"), details);
    CheckBoxPrzepiszSymbolNazwa->setObjectName(QStringLiteral("CheckBoxPrzepiszSymbolNazwa"));
    CheckBoxPrzepiszSymbolNazwa->setChecked(true);
    jadl::describe(CheckBoxPrzepiszSymbolNazwa, CheckBoxPrzepiszSymbolNazwa->text());
    form->addRow(QString(), CheckBoxPrzepiszSymbolNazwa);
    return details;
}

// The list of suppliers with the search under it.
QVBoxLayout* TDostawcy::buildListPanel()
{
    DBGrid1 = new jadl::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setReadOnly(true);
    DBGrid1->setColumns({{QStringLiteral("Numer"), QStringLiteral("Nr"), false, std::nullopt, 36},
                         {kFieldSymbol, QStringLiteral("Nazwa skrócona dostawcy(symbol)"), false, std::nullopt, 210},
                         {QStringLiteral("Nip"), QString(), false, std::nullopt, 90}});
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    jadl::describe(DBGrid1, QStringLiteral("Dostawcy"));

    Szukaj = makeButton(this, "Szukaj", QStringLiteral("&Szukaj"), QStringLiteral("Szukanie po nazwie dostawcy"),
                        QStyle::SP_FileDialogContentsView);
    EditSzukaj = new QLineEdit(this);
    EditSzukaj->setObjectName(QStringLiteral("EditSzukaj"));
    jadl::describe(EditSzukaj, QStringLiteral("Szukaj"));
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Szukaj);
    searchRow->addWidget(EditSzukaj, 1);

    LabelNumer = makeLabel(this, "LabelNumer", QStringLiteral("Dostawca Nr:"));
    DBTextNumerDostawcy = new jadl::DBText(this);
    DBTextNumerDostawcy->setObjectName(QStringLiteral("DBTextNumerDostawcy"));
    DBTextNumerDostawcy->setDataField(QStringLiteral("Numer"));
    DBTextNumerDostawcy->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    DBTextNumerDostawcy->setMinimumWidth(60);
    DBTextNumerDostawcy->setFrameShape(QFrame::StyledPanel);
    LabelNumer->setBuddy(DBTextNumerDostawcy);
    jadl::describe(DBTextNumerDostawcy, LabelNumer->text());
    LabelTrybPracy = makeLabel(this, "LabelTrybPracy", QStringLiteral("Tryb pracy"));
    QFont modeFont = LabelTrybPracy->font();
    modeFont.setBold(true);
    LabelTrybPracy->setFont(modeFont);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(LabelNumer);
    statusRow->addWidget(DBTextNumerDostawcy);
    statusRow->addSpacing(16);
    statusRow->addWidget(LabelTrybPracy, 1);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(DBGrid1, 1);
    listColumn->addLayout(searchRow);
    listColumn->addLayout(statusRow);
    return listColumn;
}

// The button column.
QVBoxLayout* TDostawcy::buildButtonColumn()
{
    BitBtnDodaj = makeButton(this, "BitBtnDodaj", QStringLiteral("&Dodaj"), QStringLiteral("Dodanie nowego dostawcy"),
                             QStyle::SP_FileDialogNewFolder);
    BitBtnZapisz = makeButton(this, "BitBtnZapisz", QStringLiteral("&Zapisz"),
                              QStringLiteral("Zapisanie wprowadzonych zmian"), QStyle::SP_DialogSaveButton);
    BitBtnUsun = makeButton(this, "BitBtnUsun", QStringLiteral("&Usuń"),
                            QStringLiteral("Usunięcie zaznaczonego dostawcy"), QStyle::SP_TrashIcon);
    BitBtnAnuluj = makeButton(this, "BitBtnAnuluj", QStringLiteral("&Anuluj"),
                              QStringLiteral("Anulowanie zmian przed zapisaniem"), QStyle::SP_DialogCancelButton);
    BitBtnPierwszy = makeButton(this, "BitBtnPierwszy", QStringLiteral("Pierwszy"),
                                QStringLiteral("Pierwszy dostawca w tabeli"), QStyle::SP_MediaSkipBackward);
    BitBtnOstatni = makeButton(this, "BitBtnOstatni", QStringLiteral("&Ostatni"),
                               QStringLiteral("Ostatni dostawca w tabeli"), QStyle::SP_MediaSkipForward);
    BitBtnDrukuj = makeButton(this, "BitBtnDrukuj", QStringLiteral("&Drukuj"),
                              QStringLiteral("Drukowanie dostawców na ekranie(drukarce)"),
                              QStyle::SP_FileDialogDetailedView);
    BitBtnZamknij = makeButton(this, "BitBtnZamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki dostawców"),
                               QStyle::SP_DialogCloseButton);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {BitBtnDodaj, BitBtnZapisz, BitBtnUsun, BitBtnAnuluj})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    for (QPushButton* b : {BitBtnPierwszy, BitBtnOstatni})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(BitBtnDrukuj);
    buttons->addStretch(1);
    buttons->addWidget(BitBtnZamknij);
    return buttons;
}

void TDostawcy::wireHandlers()
{
    // --- handlers; an engine error shows in the error box and the window goes on
    connect(BitBtnDodaj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnDodajClick));
    connect(BitBtnZapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnZapiszClick));
    connect(BitBtnUsun, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnUsunClick));
    connect(BitBtnAnuluj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnAnulujClick));
    connect(BitBtnPierwszy, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnPierwszyClick));
    connect(BitBtnOstatni, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnOstatniClick));
    connect(Szukaj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::SzukajClick));
    connect(BitBtnDrukuj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnDrukujClick));
    connect(BitBtnZamknij, &QPushButton::clicked, this, jadl::guardedSlot(this, &TDostawcy::BitBtnZamknijClick));
    connect(DBGrid1, &jadl::DBGrid::titleClicked, this,
            [this](const QString& title) { jadl::runGuarded([this, &title] { DBGrid1TitleClick(title); }); });
    DBEditSymbolDostawcy->installEventFilter(this);
    // Every edit but the symbol's names the work mode as its text changes, so
    // typing into a browsed record shows the edit state at once.
    for (jadl::DBEdit* e : {DBEditNazwaDostawcy, DBEditAdresDostawcy, DBEditNip, DBEditRegon, DBEditTelefon, DBEditFax,
                            DBEditEmail, DBEditBank, DBEditKonto})
        connect(e, &QLineEdit::textChanged, this, jadl::guardedSlot(this, &TDostawcy::showWorkMode));
}

void TDostawcy::bindDataModule(TModulDanych1* dm)
{
    dm_ = dm;
    jadl::DataSource* ds = dm ? dm->DataSourceDostawcy : nullptr;
    for (jadl::DBEdit* e : {DBEditSymbolDostawcy, DBEditNazwaDostawcy, DBEditAdresDostawcy, DBEditNip, DBEditRegon,
                            DBEditTelefon, DBEditFax, DBEditEmail, DBEditBank, DBEditKonto})
        e->setDataSource(ds);
    DBMemoNazwaDostawcy->setDataSource(ds);
    DBTextNumerDostawcy->setDataSource(ds);
    if (dm)
        jadl::registerEditor(
            this, {dm->TableDostawcy}, [this] { BitBtnZapiszClick(); }, jadl::SaveStyle::ExplicitSave);
    DBGrid1->setDataSource(ds);
}

jadl::Table& TDostawcy::suppliers() const
{
    TModulDanych1* dm = dm_;
    Q_ASSERT(dm);
    return *dm->TableDostawcy;
}

void TDostawcy::showWorkMode()
{
    TModulDanych1* dm = dm_;
    LabelTrybPracy->setText(jadl::workModeText(dm ? dm->TableDostawcy->state() : DataSetState::Inactive));
}

void TDostawcy::keyPressEvent(QKeyEvent* event)
{
    // Escape is the cancel button's key; it does not close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtnAnuluj->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TDostawcy::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == DBEditSymbolDostawcy && event->type() == QEvent::FocusOut) {
        // Leaving the edit for another control of the window, not the window
        // losing activation to a message box or a pop-up.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            jadl::runGuarded([this] { DBEditSymbolDostawcyExit(); });
    }
    return QDialog::eventFilter(watched, event);
}

void TDostawcy::BitBtnDodajClick()
{
    DBEditSymbolDostawcy->setFocus();
    suppliers().append();
    showWorkMode();
}

void TDostawcy::DBEditSymbolDostawcyExit()
{
    jadl::Table& t = suppliers();
    if (!CheckBoxPrzepiszSymbolNazwa->isChecked() ||
        (t.state() != DataSetState::Insert && t.state() != DataSetState::Edit))
        return;
    const QString symbol = DBEditSymbolDostawcy->text();
    DBEditNazwaDostawcy->setText(symbol);
    // Stored as typed: the upper-case display of the name edit is only a display.
    t.fieldByName(kFieldNazwa).setString(symbol);
}

void TDostawcy::BitBtnZapiszClick()
{
    jadl::Table& t = suppliers();
    if (t.state() != DataSetState::Insert && t.state() != DataSetState::Edit) {
        jadl::platform::showMessage(QStringLiteral("Tablica dostawców nie jest w trybie wstawiania lub edycji"));
    } else if (t.fieldByName(kFieldSymbol).isNull() || t.fieldByName(kFieldNazwa).isNull()) {
        jadl::platform::showMessage(
            QStringLiteral("Wprowadzany Dostawca musi posiadać Nazwę i Nazwę Skróconą(Symbol)"));
        t.cancel();
    } else {
        // Every save renumbers, an edited supplier as well as a new one; the count
        // is of the view and leaves out the record being inserted. It is counted
        // again under the table's lock as the record is posted (other workstations).
        t.assignOrdinal(QStringLiteral("NrKolejnyDostawcy"));
        jadl::Table& owner = *(dm_)->TableWlasciciel;
        if (owner.active() && !owner.isEmpty()) {
            const jadl::Field& nr = owner.fieldByName(QStringLiteral("NrKolejny"));
            if (!nr.isNull())
                t.fieldByName(QStringLiteral("NrKolejnyWlasciciela")).setInteger(nr.asInteger());
            const jadl::Field& symbol = owner.fieldByName(kFieldSymbol);
            if (!symbol.isNull())
                t.fieldByName(QStringLiteral("SymbolWlasciciela")).setString(symbol.asString());
        }
        t.post();
        t.flushBuffers();
    }
    showWorkMode();
}

void TDostawcy::BitBtnUsunClick()
{
    showWorkMode();
    jadl::Table& t = suppliers();
    if (t.bof() && t.eof()) {
        jadl::platform::showMessage(QStringLiteral("Brak pozycji do usunięcia"));
    } else if (jadl::platform::askYesNo(QStringLiteral("Usunąć zaznaczoną pozycję - Dostawcę"),
                                        QStringLiteral("WYBIERZ"))) {
        t.deleteRecord();
    } else {
        t.cancel();
    }
    showWorkMode();
}

void TDostawcy::BitBtnAnulujClick()
{
    suppliers().cancel();
    showWorkMode();
}

void TDostawcy::BitBtnPierwszyClick()
{
    showWorkMode();
    suppliers().first();
}

void TDostawcy::BitBtnOstatniClick()
{
    showWorkMode();
    suppliers().last();
}

void TDostawcy::SzukajClick()
{
    // The hint speaks of the name; the search has always run on the symbol.
    suppliers().locate(kFieldSymbol, EditSzukaj->text());
}

void TDostawcy::orderBy(const QString& indexName)
{
    // Clearing the index first makes the table re-read its order even when the
    // same index is chosen again.
    jadl::Table& t = suppliers();
    t.setMasterFields(QString());
    t.setIndexName(QString());
    t.setMasterSource(nullptr);
    t.setMasterFields(QString());
    t.setIndexName(indexName);
    t.setMasterSource(nullptr);
}

void TDostawcy::DBGrid1TitleClick(const QString& title)
{
    if (title == QStringLiteral("Nr"))
        orderBy(QStringLiteral("NumerInd"));
    else if (title == QStringLiteral("Nazwa skrócona dostawcy(symbol)"))
        orderBy(QStringLiteral("SymbolInd"));
}

void TDostawcy::BitBtnDrukujClick()
{
    if (report_)
        report_->preview(this);
}

void TDostawcy::BitBtnZamknijClick()
{
    TModulDanych1* dm = dm_;
    if (!jadl::settlePendingEdits({dm->TableDostawcy, dm->TableWlasciciel}))
        return;
    if (dm->TableDostawcy->active())
        dm->TableDostawcy->close();
    if (dm->TableWlasciciel->active())
        dm->TableWlasciciel->close();
    close();
}
