#include "masterdata/RestauracjeJadl.h"

#include "controls/Builders.h"
#include "controls/DBCheckBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "masterdata/OwnerRecord.h"
#include "platform/Messages.h"
#include "store/Modul_Danych1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using jadl::DataSetState;

namespace {
const QString kSymbol = QStringLiteral("Symbol");
const QString kNazwa = QStringLiteral("Nazwa");
const QString kAktywny = QStringLiteral("Aktywny");

} // namespace

TRestauracje::TRestauracje(TModulDanych1* dm, QWidget* parent) : QDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("Restauracje"), QStringLiteral("Restauracje"), 700, 520);
    buildControls();
    wireHandlers();
}

void TRestauracje::buildControls()
{
    jadl::DataSource* source = dm_ ? dm_->DataSourceWlasciciel : nullptr;

    DBGrid1 = jadl::makeDictionaryGrid(this, source,
                                       {{kSymbol, QStringLiteral("Nazwa skrócona(symbol restauracji)")},
                                        {QStringLiteral("Miasto"), QString()},
                                        {QStringLiteral("AktywnyString"), QStringLiteral("Aktywna")}},
                                       QStringLiteral("Restauracje"));

    DBEditSymbol = jadl::makeBound<jadl::DBEdit>(this, "DBEditSymbol", source, kSymbol);
    LabelSymbol = jadl::makeCaption(this, "LabelSymbol", QStringLiteral("Nazwa skrócona (symbol restauracji):"),
                                    DBEditSymbol);
    DBEditNazwa = jadl::makeBound<jadl::DBEdit>(this, "DBEditNazwa", source, kNazwa);
    LabelNazwa = jadl::makeCaption(this, "LabelNazwa", QStringLiteral("Nazwa:"), DBEditNazwa);
    DBMemoNazwa = new jadl::DBMemo(this);
    DBMemoNazwa->setObjectName(QStringLiteral("DBMemoNazwa"));
    DBMemoNazwa->setDataField(kNazwa);
    DBMemoNazwa->setReadOnly(true);
    DBMemoNazwa->setMaximumHeight(60);
    if (source)
        DBMemoNazwa->setDataSource(source);
    jadl::describe(DBMemoNazwa, QStringLiteral("Nazwa"));
    DBEditMiast = jadl::makeBound<jadl::DBEdit>(this, "DBEditMiast", source, QStringLiteral("Miasto"));
    LabelMiasto = jadl::makeCaption(this, "LabelMiasto", QStringLiteral("Miasto:"), DBEditMiast);
    DBEditAdres = jadl::makeBound<jadl::DBEdit>(this, "DBEditAdres", source, QStringLiteral("Adres"));
    LabelAdres = jadl::makeCaption(this, "LabelAdres", QStringLiteral("Adres:"), DBEditAdres);
    DBEditTelefon = jadl::makeBound<jadl::DBEdit>(this, "DBEditTelefon", source, QStringLiteral("Telefon"));
    LabelTelefon = jadl::makeCaption(this, "LabelTelefon", QStringLiteral("Telefon:"), DBEditTelefon);
    DBEditE_mail = jadl::makeBound<jadl::DBEdit>(this, "DBEditE_mail", source, QStringLiteral("E_mail"));
    LabelEmail = jadl::makeCaption(this, "LabelEmail", QStringLiteral("E-mail:"), DBEditE_mail);
    DBCheckBoxAktywna = jadl::makeBoundCheckBox(this, "DBCheckBoxAktywna", QStringLiteral("Czy aktywna restauracja"),
                                                source, kAktywny);
    CheckBoxPrzepiszSymbolDoNazwy = jadl::makeCheckBox(this, "CheckBoxPrzepiszSymbolDoNazwy",
                                                       QStringLiteral("Przepisz symbol do nazwy"), true);

    Zapisz = jadl::makeButton(this, "Zapisz", QStringLiteral("&Zapisz"),
                              QStringLiteral("Zapisanie wprowadzonych informacji do bazy "));
    Dodaj = jadl::makeButton(this, "Dodaj", QStringLiteral("&Dodaj"),
                             QStringLiteral("Dodanie nowej pozycji (restauracji) w tabeli"));
    Usun = jadl::makeButton(this, "Usun", QStringLiteral("&Usuń"),
                            QStringLiteral("Usunięcie zaznaczonej pozycji (restauracji) w tabeli"));
    BitBtn4 = jadl::makeButton(this, "BitBtn4", QStringLiteral("&Anuluj"),
                               QStringLiteral("Anulowanie wprowadzonych zmian (aktywne gdy nie zapisano)"));
    Zamknij = jadl::makeButton(this, "Zamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki"));
    ZamkAwaryjnie = jadl::makeButton(this, "ZamkAwaryjnie", QStringLiteral("Wyj. awaryjne"));

    auto* fields = new QFormLayout;
    fields->addRow(LabelSymbol, DBEditSymbol);
    fields->addRow(LabelNazwa, DBEditNazwa);
    fields->addRow(nullptr, DBMemoNazwa);
    fields->addRow(LabelMiasto, DBEditMiast);
    fields->addRow(LabelAdres, DBEditAdres);
    fields->addRow(LabelTelefon, DBEditTelefon);
    fields->addRow(LabelEmail, DBEditE_mail);
    fields->addRow(nullptr, DBCheckBoxAktywna);
    fields->addRow(nullptr, CheckBoxPrzepiszSymbolDoNazwy);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {Zapisz, Dodaj, Usun, BitBtn4, Zamknij, ZamkAwaryjnie})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addLayout(fields, 1);
    lower->addLayout(buttons);
    auto* column = new QVBoxLayout(this);
    column->addWidget(DBGrid1, 1);
    column->addLayout(lower);
}

void TRestauracje::wireHandlers()
{
    connect(Zapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TRestauracje::ZapiszClick));
    connect(Dodaj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TRestauracje::DodajClick));
    connect(Zamknij, &QPushButton::clicked, this, jadl::guardedSlot(this, &TRestauracje::ZamknijClick));
    connect(ZamkAwaryjnie, &QPushButton::clicked, this, jadl::guardedSlot(this, &TRestauracje::ZamkAwaryjnieClick));
    // Leaving the edit for another control, not the window losing activation:
    // the edit writes its own pending text first; then the copy runs.
    jadl::owners::whenSymbolLeft(DBEditSymbol, [this] { DBEditSymbolExit(); });
    if (dm_)
        jadl::registerEditor(
            this, {dm_->TableWlasciciel}, [this] { ZapiszClick(); }, jadl::SaveStyle::ExplicitSave);
}

jadl::Table* TRestauracje::table() const
{
    return dm_->TableWlasciciel;
}

int TRestauracje::countActiveRestaurants()
{
    jadl::Table* t = table();
    if (!t->active())
        return 0;
    t->first();
    if (t->bof() && t->eof())
        return 0;
    int count = 0;
    const jadl::ControlsDisabled quiet(*t);
    jadl::Field& aktywny = t->fieldByName(kAktywny);
    while (!t->eof()) {
        if (aktywny.asBoolean())
            ++count;
        t->next();
    }
    return count;
}

void TRestauracje::DodajClick()
{
    jadl::Table* t = table();
    DBEditSymbol->setFocus();
    t->append();
    // The count + 1, counted again as the record is posted (other workstations).
    t->assignOrdinal(QStringLiteral("NrKolejny"));
    t->keepAsDefaults();
}

void TRestauracje::DBEditSymbolExit()
{
    jadl::owners::copySymbolToName(*table(), *DBEditSymbol, *DBEditNazwa, *CheckBoxPrzepiszSymbolDoNazwy);
}

void TRestauracje::ZapiszClick()
{
    jadl::Table* t = table();
    if (!t->active() || !t->editing())
        return;
    jadl::writePendingTyping(this);
    if (t->fieldByName(kSymbol).isNull() || t->fieldByName(kNazwa).isNull()) {
        jadl::platform::showMessage(QStringLiteral("Symbol i Nazwa restauracji musza być wypełnione"));
        return;
    }
    jadl::owners::writeActiveMark(*t, t->fieldByName(kAktywny).asBoolean());
    t->post();
}

void TRestauracje::ZamknijClick()
{
    jadl::Table* t = table();
    const int active = countActiveRestaurants();
    const bool any = t->active() && !t->isEmpty();
    if (active == 0 && any) {
        jadl::platform::showMessage(QStringLiteral("Jedna restauracja musi być aktywna - zaznacz"));
        return;
    }
    if (active > 1 && any) {
        jadl::platform::showMessage(
            QStringLiteral("Zaznaczono więcej niż jedną restauracje jako aktywną - zostaw tylko jedną"));
        return;
    }
    closeWithTable();
}

void TRestauracje::ZamkAwaryjnieClick()
{
    closeWithTable();
}

void TRestauracje::closeWithTable()
{
    if (!jadl::settlePendingEdits({table()}))
        return;
    MoznaZamknac = true;
    if (table()->active())
        table()->close();
    close();
}

bool TRestauracje::mayClose()
{
    if (isVisible() && !MoznaZamknac) {
        jadl::platform::showMessage(QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\""));
        return false;
    }
    return true;
}

void TRestauracje::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TRestauracje::reject()
{
    // Every way of dismissing the dialog ends here too: the same refusal.
    if (!mayClose())
        return;
    QDialog::reject();
}

void TRestauracje::keyPressEvent(QKeyEvent* event)
{
    // Escape presses "Anuluj" rather than dismissing the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn4->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
