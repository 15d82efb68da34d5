// The assignment window's panels: choices, entry, calendar, good, actions and lines.
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
#include "purchases/PrzypisywanieTowarowJadl.h"
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

namespace {

using jadl::makeButton;
using jadl::makeLabel;

QLineEdit* makeEdit(QWidget* parent, const char* name, QLabel* caption, const QString& hint = {})
{
    return jadl::makeLineEdit(parent, name, caption, hint);
}

template <class T>
T* makeBound(QWidget* parent, const char* name, jadl::DataSource* source, const QString& field,
             QLabel* caption = nullptr)
{
    return jadl::makeBound<T>(parent, name, source, field, caption);
}

} // namespace

// The three choice grids (suppliers, groups, goods) with their searches.
QLayout* TPrzypisywanieTowarow::buildChoicesPanel()
{
    auto* left = new QVBoxLayout;
    LabelDostawcy = makeLabel(this, "LabelDostawcy", QStringLiteral("Tabela Dostawców"));
    DBGrid1 = new jadl::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    BitBtnSzukajDostawce = makeButton(this, "BitBtnSzukajDostawce", QStringLiteral("Szukaj Dostawcę"),
                                      QStringLiteral("Szukanie dostawcy po nazwie (po części nazwy)"));
    EditSzukajDostawce = makeEdit(this, "EditSzukajDostawce", nullptr,
                                  QStringLiteral("Szukanie dostawcy po nazwie (po części nazwy)"));
    EditSzukajDostawce->setAccessibleName(QStringLiteral("Szukaj Dostawcę"));
    LabelGrupy = makeLabel(this, "LabelGrupy", QStringLiteral("Tabela Grup Towarów"));
    DBGrid3 = new jadl::DBGrid(this);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    BitBtnSzukajGrupyTowarow = makeButton(this, "BitBtnSzukajGrupyTowarow", QStringLiteral("Szukaj grupy"),
                                          QStringLiteral("Szukanie grupy towaru po nazwie (po części nazwy)"));
    EditSzukajGrupeTowaru = makeEdit(this, "EditSzukajGrupeTowaru", nullptr,
                                     QStringLiteral("Szukanie grupy towaru po nazwie (po części nazwy)"));
    EditSzukajGrupeTowaru->setAccessibleName(QStringLiteral("Szukaj grupy"));
    LabelTowatyPodstawowe = makeLabel(this, "LabelTowatyPodstawowe", QStringLiteral("Tabela Towarów Podstawowych"));
    DBGrid2 = new jadl::DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    BitBtnSzukajTowarPodstawowy = makeButton(this, "BitBtnSzukajTowarPodstawowy", QStringLiteral("Szukaj Towaru"),
                                             QStringLiteral("Szukanie towaru po nazwie (po części nazwy)"));
    EditSzukajTowarPodstawowy = makeEdit(this, "EditSzukajTowarPodstawowy", nullptr,
                                         QStringLiteral("Szukanie towaru po nazwie (po części nazwy)"));
    EditSzukajTowarPodstawowy->setAccessibleName(QStringLiteral("Szukaj Towaru"));
    LabelDostawcy->setBuddy(DBGrid1);
    LabelGrupy->setBuddy(DBGrid3);
    LabelTowatyPodstawowe->setBuddy(DBGrid2);
    DBGrid1->setAccessibleName(LabelDostawcy->text());
    DBGrid3->setAccessibleName(LabelGrupy->text());
    DBGrid2->setAccessibleName(LabelTowatyPodstawowe->text());
    auto addChoice = [left](QLabel* caption, jadl::DBGrid* grid, QPushButton* button, QLineEdit* edit) {
        left->addWidget(caption);
        left->addWidget(grid, 1);
        auto* row = new QHBoxLayout;
        row->addWidget(button);
        row->addWidget(edit, 1);
        left->addLayout(row);
    };
    addChoice(LabelDostawcy, DBGrid1, BitBtnSzukajDostawce, EditSzukajDostawce);
    addChoice(LabelGrupy, DBGrid3, BitBtnSzukajGrupyTowarow, EditSzukajGrupeTowaru);
    addChoice(LabelTowatyPodstawowe, DBGrid2, BitBtnSzukajTowarPodstawowy, EditSzukajTowarPodstawowy);
    return left;
}

// The calendar, the good's prices, the quantity and the previews, and the actions.
QLayout* TPrzypisywanieTowarow::buildEntryPanel()
{
    auto* middle = new QVBoxLayout;
    middle->addLayout(buildCalendarPanel());
    middle->addLayout(buildGoodPanel());
    Panel7 = new QWidget(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    auto* panel7 = new QHBoxLayout(Panel7);
    CheckBoxFiltrujPoGrupie = new QCheckBox(QStringLiteral("Filtruj po grupie tow."), Panel7);
    CheckBoxFiltrujPoGrupie->setObjectName(QStringLiteral("CheckBoxFiltrujPoGrupie"));
    jadl::describe(CheckBoxFiltrujPoGrupie, CheckBoxFiltrujPoGrupie->text(),
                   QStringLiteral("Po zaznaczeniu pokazuje przepisane towary tylko z wybranej grupy"));
    panel7->addWidget(CheckBoxFiltrujPoGrupie);
    CheckBoxFiltrujPoGrupie->hide();
    Panel7->hide();
    middle->addWidget(Panel7);

    middle->addLayout(buildActionsPanel());
    middle->addStretch();
    return middle;
}

// The calendar with its month buttons and date labels.
QLayout* TPrzypisywanieTowarow::buildCalendarPanel()
{
    auto* calendar = new QVBoxLayout;
    auto* monthRow = new QHBoxLayout;
    std::tie(PoprzedniMc, NastepnyMc) = jadl::makeMonthButtons(this);
    LabelM_c_Rok = makeLabel(this, "LabelM_c_Rok", QStringLiteral("dzień, m-c, rok"));
    Dzien = makeLabel(this, "Dzien", QStringLiteral("Dzień słownie"));
    QFont bold = LabelM_c_Rok->font();
    bold.setBold(true);
    LabelM_c_Rok->setFont(bold);
    Dzien->setFont(bold);
    monthRow->addWidget(PoprzedniMc);
    monthRow->addWidget(LabelM_c_Rok, 1, Qt::AlignCenter);
    monthRow->addWidget(Dzien, 1, Qt::AlignCenter);
    monthRow->addWidget(NastepnyMc);
    calendar->addLayout(monthRow);
    Calendar1 = new jadl::MonthCalendar(this);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setAccessibleName(QStringLiteral("Kalendarz"));
    Calendar1->setDate(jadl::platform::today());
    calendar->addWidget(Calendar1);
    return calendar;
}

// The chosen good's prices, VAT designation and unit, the quantity and the previews.
QLayout* TPrzypisywanieTowarow::buildGoodPanel()
{
    auto* good = new QGridLayout;
    jadl::DataSource* goods = dm_->DataSourceTowaryPodstawowe;
    LabelCenaNetto = makeLabel(this, "LabelCenaNetto", QStringLiteral("Cena netto:"));
    DBEditCenaNetto = makeBound<jadl::DBEdit>(this, "DBEditCenaNetto", goods, QStringLiteral("CenaNetto"),
                                              LabelCenaNetto);
    LabelVat = makeLabel(this, "LabelVat", QStringLiteral("Vat:"));
    DBComboBoxVatTyp = makeBound<jadl::DBComboBox>(this, "DBComboBoxVatTyp", goods, QStringLiteral("VatTyp"), LabelVat);
    DBComboBoxVatTyp->setItems(
        {QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"), QStringLiteral("0"), QStringLiteral("4")});
    DBEditVatTyp = makeBound<jadl::DBEdit>(this, "DBEditVatTyp", goods, QStringLiteral("VatTyp"));
    DBEditVatTyp->hide();
    jadl::describe(DBEditVatTyp, QStringLiteral("Stawka VAT towaru"));
    LabelCenaBrutto = makeLabel(this, "LabelCenaBrutto", QStringLiteral("Cena brutto:"));
    DBEditCenaBrutto = makeBound<jadl::DBEdit>(this, "DBEditCenaBrutto", goods, QStringLiteral("CenaBrutto"),
                                               LabelCenaBrutto);
    LabelJednostkaMiary = makeLabel(this, "LabelJednostkaMiary", QStringLiteral("Jed. miary:"));
    DBComboBoxJednostkaMiary = makeBound<jadl::DBComboBox>(this, "DBComboBoxJednostkaMiary", goods,
                                                           QStringLiteral("JednostkaMiary"), LabelJednostkaMiary);
    DBComboBoxJednostkaMiary->setItems(
        {QStringLiteral("1kg"), QStringLiteral("5kg"), QStringLiteral("15kg"), QStringLiteral("0,25kg"),
         QStringLiteral("0,2kg"), QStringLiteral("0,45kg"), QStringLiteral("1l"), QStringLiteral("0,5l"),
         QStringLiteral("0,45l"), QStringLiteral("0,9l"), QStringLiteral("5l"), QStringLiteral("szt."),
         QStringLiteral("butelka"), QStringLiteral("karton"), QStringLiteral("dm3"), QStringLiteral("kpl."),
         QStringLiteral("m.b."), QStringLiteral("m2"), QStringLiteral("m3")});
    DBEditJednostkaMiary = makeBound<jadl::DBEdit>(this, "DBEditJednostkaMiary", goods,
                                                   QStringLiteral("JednostkaMiary"));
    DBEditJednostkaMiary->setReadOnly(true);
    DBEditJednostkaMiary->hide();
    jadl::describe(DBEditJednostkaMiary, QStringLiteral("Jednostka miary towaru"));
    LabelCenaReferencyjna = makeLabel(this, "LabelCenaReferencyjna", QStringLiteral("Cena referencyjna:"));
    DBEditCenaReferencyjna = makeBound<jadl::DBEdit>(this, "DBEditCenaReferencyjna", goods,
                                                     QStringLiteral("CenaReferencyjna"), LabelCenaReferencyjna);
    LabelIlosc = makeLabel(this, "LabelIlosc", QStringLiteral("Ilość:"));
    EditIlosc = makeEdit(this, "EditIlosc", LabelIlosc);
    EditIlosc->setText(QStringLiteral("0"));
    LabelRabat = makeLabel(this, "LabelRabat", QStringLiteral("Rabat:"));
    EditRabatProcent = makeEdit(this, "EditRabatProcent", LabelRabat);
    EditRabatProcent->setText(QStringLiteral("0"));
    LabelRabat->hide();
    EditRabatProcent->hide();
    LabelWartoscNetto = makeLabel(this, "LabelWartoscNetto", QStringLiteral("Wart. Netto:"));
    EditWartoscNetto = makeEdit(this, "EditWartoscNetto", LabelWartoscNetto);
    EditWartoscNetto->setReadOnly(true);
    LabelWartoscBrutto = makeLabel(this, "LabelWartoscBrutto", QStringLiteral("Wartość brutto:"));
    EditWartoscBrutto = makeEdit(this, "EditWartoscBrutto", LabelWartoscBrutto);
    EditWartoscBrutto->setReadOnly(true);
    CheckBoxBylaFaktura = new QCheckBox(QStringLiteral("Czy Faktura"), this);
    CheckBoxBylaFaktura->setObjectName(QStringLiteral("CheckBoxBylaFaktura"));
    jadl::describe(CheckBoxBylaFaktura, CheckBoxBylaFaktura->text());

    int r = 0;
    auto addRow = [&good, &r](QLabel* caption, QWidget* control) {
        good->addWidget(caption, r, 0);
        good->addWidget(control, r, 1);
        ++r;
    };
    addRow(LabelCenaNetto, DBEditCenaNetto);
    addRow(LabelVat, DBComboBoxVatTyp);
    addRow(LabelCenaBrutto, DBEditCenaBrutto);
    addRow(LabelJednostkaMiary, DBComboBoxJednostkaMiary);
    addRow(LabelCenaReferencyjna, DBEditCenaReferencyjna);
    addRow(LabelIlosc, EditIlosc);
    addRow(LabelRabat, EditRabatProcent);
    addRow(LabelWartoscNetto, EditWartoscNetto);
    addRow(LabelWartoscBrutto, EditWartoscBrutto);
    good->addWidget(CheckBoxBylaFaktura, r++, 1);
    good->addWidget(DBEditVatTyp, r, 0);
    good->addWidget(DBEditJednostkaMiary, r++, 1);
    return good;
}

// The action buttons.
QLayout* TPrzypisywanieTowarow::buildActionsPanel()
{
    BitBtnPrzypiszTowarDostawcy = makeButton(
        this, "BitBtnPrzypiszTowarDostawcy", QStringLiteral("&Przypisz towar"),
        QStringLiteral("Przypisanie wybranego towaru zaznaczonemu dostawcy z data podaną przez kalendarz"));
    QFont big = BitBtnPrzypiszTowarDostawcy->font();
    big.setBold(true);
    BitBtnPrzypiszTowarDostawcy->setFont(big);
    BitBtnImportKSeF = makeButton(this, "BitBtnImportKSeF", QStringLiteral("Import faktury KSeF"),
                                  QStringLiteral("Przypisanie towarów z faktur zakupu pobranych z KSeF (pliki XML)"));
    BitBtn1DodajTowarPodstawowy = makeButton(
        this, "BitBtn1DodajTowarPodstawowy", QStringLiteral("&Dodaj towar"),
        QStringLiteral("Dodanie towaru, dla danej grupy, do  tabeli towarów podstawowych gdy go brakuje"));
    Odswiez = makeButton(this, "Odswiez", QStringLiteral("&Odśwież"),
                         QStringLiteral("Odświeżenie informacji na aktualnej formatce"));
    Odswiez1 = makeButton(this, "Odswiez1", QStringLiteral("Odśwież"), QStringLiteral("Odświeżenie informacji"));
    BitBtnZamknij1 = makeButton(this, "BitBtnZamknij1", QStringLiteral("&Wyjście"),
                                QStringLiteral("Zamknięcie i opuszczenie formatki przypisania"));
    auto* actions = new QGridLayout;
    actions->addWidget(BitBtnPrzypiszTowarDostawcy, 0, 0);
    actions->addWidget(BitBtnImportKSeF, 0, 1);
    actions->addWidget(BitBtn1DodajTowarPodstawowy, 1, 0);
    actions->addWidget(Odswiez, 1, 1);
    actions->addWidget(Odswiez1, 2, 0);
    actions->addWidget(BitBtnZamknij1, 2, 1);
    return actions;
}

// The purchase lines of the supplier and the chosen date, with their totals.
QLayout* TPrzypisywanieTowarow::buildLinesPanel()
{
    jadl::DataSource* goods = dm_->DataSourceTowaryPodstawowe;
    jadl::DataSource* lines = dm_->DataSourceTowary;
    auto* right = new QVBoxLayout;
    BitBtn1InformacjaCzyByloPrzepisywanie = makeButton(this, "BitBtn1InformacjaCzyByloPrzepisywanie",
                                                       QStringLiteral("BYŁO PRZYPISYWANIE"), {});
    BitBtn1InformacjaCzyByloPrzepisywanie->setFocusPolicy(Qt::NoFocus);
    right->addWidget(BitBtn1InformacjaCzyByloPrzepisywanie);
    DBGrid4 = new jadl::DBGrid(this);
    DBGrid4->setObjectName(QStringLiteral("DBGrid4"));
    DBGrid4->setAccessibleName(QStringLiteral("Przypisane towary"));
    right->addWidget(DBGrid4, 1);

    GroupBoxDanePrzypisanegoTowaru = new QGroupBox(QStringLiteral("Dane przypisanego towaru"), this);
    GroupBoxDanePrzypisanegoTowaru->setObjectName(QStringLiteral("GroupBoxDanePrzypisanegoTowaru"));
    auto* data = new QGridLayout(GroupBoxDanePrzypisanegoTowaru);
    QWidget* box = GroupBoxDanePrzypisanegoTowaru;
    auto* lIlosc = makeLabel(box, "LabelIloscPrzypisanego", QStringLiteral("Ilość przypisanego towaru:"));
    DBTextIlosc = makeBound<jadl::DBText>(box, "DBTextIlosc", lines, QStringLiteral("Ilosc"), lIlosc);
    DBTextIlosc->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* lJed = makeLabel(box, "LabelJedMiary", QStringLiteral("Jed.miary:"));
    DBTextJedMiary = makeBound<jadl::DBText>(box, "DBTextJedMiary", lines, QStringLiteral("JednostkaMiary"), lJed);
    auto* lBrutto = makeLabel(box, "LabelWartoscBruttoPrzypisanego",
                              QStringLiteral("Wartość brutto przypisanego towaru:"));
    DBTextWartosc = makeBound<jadl::DBText>(box, "DBTextWartosc", lines, QStringLiteral("WartoscBrutto"), lBrutto);
    DBTextWartosc->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* lNetto = makeLabel(box, "LabelWartoscNettoPrzypisanego",
                             QStringLiteral("Wartość netto przypisanego towaru:"));
    DBTextWartoscNetto = makeBound<jadl::DBText>(box, "DBTextWartoscNetto", lines, QStringLiteral("WartoscNetto"),
                                                 lNetto);
    DBTextWartoscNetto->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* lCalkNetto = makeLabel(box, "LabelWartoscCalkowitaNetto", QStringLiteral("Wartość całkowita netto:"));
    EditWartoscCalkowitaNetto = makeEdit(box, "EditWartoscCalkowitaNetto", lCalkNetto);
    EditWartoscCalkowitaNetto->setReadOnly(true);
    EditWartoscCalkowitaNetto->setAlignment(Qt::AlignRight);
    jadl::fitTextToWidth(EditWartoscCalkowitaNetto);
    auto* lCalkBrutto = makeLabel(box, "LabelWartoscCalkowitaBrutto", QStringLiteral("Wartość całkowita brutto:"));
    EditWartoscCalkowitaBrutto = makeEdit(box, "EditWartoscCalkowitaBrutto", lCalkBrutto);
    EditWartoscCalkowitaBrutto->setReadOnly(true);
    EditWartoscCalkowitaBrutto->setAlignment(Qt::AlignRight);
    jadl::fitTextToWidth(EditWartoscCalkowitaBrutto);
    data->addWidget(lIlosc, 0, 0);
    data->addWidget(DBTextIlosc, 0, 1);
    data->addWidget(lJed, 0, 2);
    data->addWidget(DBTextJedMiary, 0, 3);
    data->addWidget(lBrutto, 1, 0);
    data->addWidget(DBTextWartosc, 1, 1);
    data->addWidget(makeLabel(box, "LabelZl1", QStringLiteral("zł")), 1, 2);
    data->addWidget(lNetto, 2, 0);
    data->addWidget(DBTextWartoscNetto, 2, 1);
    data->addWidget(makeLabel(box, "LabelZl2", QStringLiteral("zł")), 2, 2);
    data->addWidget(lCalkNetto, 3, 0);
    data->addWidget(EditWartoscCalkowitaNetto, 3, 1, 1, 3);
    data->addWidget(lCalkBrutto, 4, 0);
    data->addWidget(EditWartoscCalkowitaBrutto, 4, 1, 1, 3);
    right->addWidget(GroupBoxDanePrzypisanegoTowaru);

    CheckBoxSumowaniePrzypisanychTowarow = new QCheckBox(QStringLiteral("Sumowanie przypisanych towarów"), this);
    CheckBoxSumowaniePrzypisanychTowarow->setObjectName(QStringLiteral("CheckBoxSumowaniePrzypisanychTowarow"));
    CheckBoxSumowaniePrzypisanychTowarow->setChecked(true);
    jadl::describe(CheckBoxSumowaniePrzypisanychTowarow, CheckBoxSumowaniePrzypisanychTowarow->text(),
                   QStringLiteral("Gdy zaznaczone to sumowanie wartości netto i brutto przypisanych towarów"));
    right->addWidget(CheckBoxSumowaniePrzypisanychTowarow);

    BitBtnUsun = makeButton(this, "BitBtnUsun", QStringLiteral("&Usuń"),
                            QStringLiteral("Usunięcie przypisanego towaru"));
    BitBtnZamknij = makeButton(this, "BitBtnZamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki przypisania"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(BitBtnUsun);
    bottom->addStretch();
    bottom->addWidget(BitBtnZamknij);
    right->addLayout(bottom);

    // Hidden companions bound to the current line and to the chosen good and supplier.
    DBEditIlosc = makeBound<jadl::DBEdit>(this, "DBEditIlosc", lines, QStringLiteral("Ilosc"));
    DBEditWartoscBrutto = makeBound<jadl::DBEdit>(this, "DBEditWartoscBrutto", lines, QStringLiteral("WartoscBrutto"));
    DBEditWartoscNetto = makeBound<jadl::DBEdit>(this, "DBEditWartoscNetto", lines, QStringLiteral("WartoscNetto"));
    for (jadl::DBEdit* e : {DBEditIlosc, DBEditWartoscBrutto, DBEditWartoscNetto}) {
        e->setReadOnly(true);
        e->hide();
    }
    jadl::describe(DBEditIlosc, QStringLiteral("Ilość zapisanego towaru"));
    jadl::describe(DBEditWartoscBrutto, QStringLiteral("Wartość brutto zapisanego towaru"));
    jadl::describe(DBEditWartoscNetto, QStringLiteral("Wartość netto zapisanego towaru"));
    DBTextNazwa = makeBound<jadl::DBText>(this, "DBTextNazwa", goods, QStringLiteral("Nazwa"));
    DBTextNazwa->hide();
    DBMemo1 = makeBound<jadl::DBMemo>(this, "DBMemo1", dm_->DataSourceDostawcy, QStringLiteral("Nazwa"));
    DBMemo1->setReadOnly(true);
    DBMemo1->hide();
    return right;
}
