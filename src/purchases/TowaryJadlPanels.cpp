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
#include "controls/WheelToArrowFilter.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
#include "purchases/TowaryJadl.h"
#include "reports/PeriodCaption.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "store/DataSource.h"
#include "store/EngineError.h"
#include "store/Modul_Danych1.h"
#include "store/RecordRules.h"
#include "store/SharedValues.h"
#include "store/Table.h"
#include "work/CopyTable.h"
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
#include <QScopedValueRollback>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <functional>
#include <tuple>

using jadl::Table;

// The panels of the supplier goods window, one builder each, and the wiring of
// their handlers; the window's behaviour is in TowaryJadl.cpp.

namespace {

QString str(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

using jadl::makeButton;
using jadl::makeLabel;
using jadl::makePanel;
using jadl::setNavyBold;

template <class T>
T* makeBound(QWidget* parent, const char* name, const QString& field, QLabel* caption = nullptr)
{
    return jadl::makeBound<T>(parent, name, static_cast<jadl::DataSource*>(nullptr), field, caption);
}

} // namespace

// The suppliers, with their stored sums, and the supplier search.
QLayout* TTowary::buildSuppliersPanel()
{
    auto* suppliers = new QVBoxLayout;
    DBGrid2 = new jadl::DBGrid(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(QStringLiteral("Dostawcy"));
    DBGrid2->setReadOnly(true);
    DBGrid2->setRowSelect(true);
    suppliers->addWidget(DBGrid2, 1);
    auto* searchRow = new QHBoxLayout;
    OdswierzanieTablicyDostawcow = makeButton(this, "OdswierzanieTablicyDostawcow", QStringLiteral("Odśwież"),
                                              QStringLiteral("Odświeżenie tablicy dostawców"));
    Panel3 = makePanel(this, "Panel3");
    auto* panel3 = new QHBoxLayout(Panel3);
    EditSzukajDostawcyTowarow = new QLineEdit(Panel3);
    EditSzukajDostawcyTowarow->setObjectName(QStringLiteral("EditSzukajDostawcyTowarow"));
    jadl::describe(EditSzukajDostawcyTowarow, QStringLiteral("&Szukaj"),
                   QStringLiteral("Szukanie dostawcy po symbolu lub jego części"));
    BitBtnSzukaj = makeButton(Panel3, "BitBtnSzukaj", QStringLiteral("&Szukaj"),
                              QStringLiteral("Szukanie dostawcy po symbolu lub jego części"));
    panel3->addWidget(EditSzukajDostawcyTowarow, 1);
    panel3->addWidget(BitBtnSzukaj);
    searchRow->addWidget(OdswierzanieTablicyDostawcow);
    searchRow->addWidget(Panel3, 1);
    suppliers->addLayout(searchRow);
    return suppliers;
}

// One supplier or all, and the period chosen.
QLayout* TTowary::buildChoicesPanel()
{
    auto* choices = new QVBoxLayout;
    RadioGroupDlaDostawcow = new jadl::RadioGroup(
        QStringLiteral("Towary i ich podsumowanie od"),
        {QStringLiteral("wybranego dostawcy"), QStringLiteral("wszystkich dostawców")}, 2, this);
    RadioGroupDlaDostawcow->setObjectName(QStringLiteral("RadioGroupDlaDostawcow"));
    QFont bold = RadioGroupDlaDostawcow->font();
    bold.setBold(true);
    RadioGroupDlaDostawcow->setFont(bold);
    RadioGroupDlaDostawcow->setItemIndex(0);
    choices->addWidget(RadioGroupDlaDostawcow);

    GroupBoxWybierzOkres = new QGroupBox(QStringLiteral("Wybierz okres raportu"), this);
    GroupBoxWybierzOkres->setObjectName(QStringLiteral("GroupBoxWybierzOkres"));
    auto* period = new QGridLayout(GroupBoxWybierzOkres);
    ComboBoxWybierzOkres = new QComboBox(GroupBoxWybierzOkres);
    ComboBoxWybierzOkres->setObjectName(QStringLiteral("ComboBoxWybierzOkres"));
    ComboBoxWybierzOkres->setEditable(true);
    ComboBoxWybierzOkres->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxWybierzOkres->addItems(jadl::periodChoiceTexts());
    ComboBoxWybierzOkres->setCurrentIndex(-1);
    ComboBoxWybierzOkres->setEditText(QStringLiteral("Dzień wskazany przez kalendarz"));
    jadl::describe(ComboBoxWybierzOkres, GroupBoxWybierzOkres->title(), QStringLiteral("Wybierz okres"));
    ComboBoxMiesiace = new QComboBox(GroupBoxWybierzOkres);
    ComboBoxMiesiace->setObjectName(QStringLiteral("ComboBoxMiesiace"));
    ComboBoxMiesiace->setEditable(true);
    ComboBoxMiesiace->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxMiesiace->addItems(jadl::monthChoiceTexts());
    ComboBoxMiesiace->setCurrentIndex(-1);
    ComboBoxMiesiace->setEditText(QStringLiteral("Wybierz m-c"));
    jadl::describe(ComboBoxMiesiace, QStringLiteral("Wybierz miesiąc"), QStringLiteral("Wybierz miesiąc"));
    LabelDataPocz = makeLabel(GroupBoxWybierzOkres, "LabelDataPocz", QStringLiteral("Wybierz datę pocz."));
    DateTimePickerDataPocz = new jadl::DatePicker(GroupBoxWybierzOkres);
    DateTimePickerDataPocz->setObjectName(QStringLiteral("DateTimePickerDataPocz"));
    DateTimePickerDataPocz->setDate(QDate(2010, 12, 1));
    LabelDataPocz->setBuddy(DateTimePickerDataPocz);
    jadl::describe(DateTimePickerDataPocz, LabelDataPocz->text());
    LabelZnak = makeLabel(GroupBoxWybierzOkres, "LabelZnak", QStringLiteral("< >"));
    LabelDataKon = makeLabel(GroupBoxWybierzOkres, "LabelDataKon", QStringLiteral("Wybierz datę kon."));
    DateTimePickerDataKon = new jadl::DatePicker(GroupBoxWybierzOkres);
    DateTimePickerDataKon->setObjectName(QStringLiteral("DateTimePickerDataKon"));
    DateTimePickerDataKon->setDate(QDate(2010, 12, 31));
    LabelDataKon->setBuddy(DateTimePickerDataKon);
    jadl::describe(DateTimePickerDataKon, LabelDataKon->text());
    period->addWidget(ComboBoxWybierzOkres, 0, 0, 1, 3);
    period->addWidget(ComboBoxMiesiace, 1, 0, 1, 3);
    period->addWidget(LabelDataPocz, 2, 0);
    period->addWidget(LabelDataKon, 2, 2);
    period->addWidget(DateTimePickerDataPocz, 3, 0);
    period->addWidget(LabelZnak, 3, 1);
    period->addWidget(DateTimePickerDataKon, 3, 2);
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBoxMiesiace, LabelDataPocz, DateTimePickerDataPocz,
                                                      LabelZnak, LabelDataKon, DateTimePickerDataKon})
        w->hide();
    choices->addWidget(GroupBoxWybierzOkres);
    choices->addStretch();
    return choices;
}

// The calendar with its month buttons and date labels.
QLayout* TTowary::buildCalendarPanel()
{
    auto* calendar = new QVBoxLayout;
    auto* monthRow = new QHBoxLayout;
    std::tie(PoprzedniMc, NastepnyMc) = jadl::makeMonthButtons(this);
    LabelM_c_Rok = makeLabel(this, "LabelM_c_Rok", QString());
    Dzien = makeLabel(this, "Dzien", QString());
    setNavyBold(LabelM_c_Rok);
    setNavyBold(Dzien);
    monthRow->addWidget(PoprzedniMc);
    monthRow->addWidget(LabelM_c_Rok, 1, Qt::AlignCenter);
    monthRow->addWidget(Dzien, 1, Qt::AlignCenter);
    monthRow->addWidget(NastepnyMc);
    calendar->addLayout(monthRow);
    Calendar1 = new jadl::MonthCalendar(this);
    Calendar1->setObjectName(QStringLiteral("Calendar1"));
    Calendar1->setAccessibleName(QStringLiteral("Kalendarz"));
    Calendar1->setAutoFillBackground(true);
    Calendar1->setDate(jadl::platform::today());
    calendar->addWidget(Calendar1);
    return calendar;
}

// The purchase lines of the period and their count.
void TTowary::buildLinesPanel(QVBoxLayout* top)
{
    LabelLiczbaRekorow = makeLabel(this, "LabelLiczbaRekorow", QStringLiteral("Liczba zapisów"));
    setNavyBold(LabelLiczbaRekorow);
    LabelLiczbaRekorow->hide();
    top->addWidget(LabelLiczbaRekorow);
    DBGrid1 = new jadl::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Towary dostawcy"));
    top->addWidget(DBGrid1, 4);
}

// The current line's values and reference price.
QLayout* TTowary::buildCurrentLinePanel()
{
    auto* lineRow = new QHBoxLayout;
    Panel1 = makePanel(this, "Panel1");
    auto* panel1 = new QGridLayout(Panel1);
    auto addBound = [panel1](int col, QLabel* caption, QWidget* control) {
        panel1->addWidget(caption, 0, col);
        panel1->addWidget(control, 1, col);
    };
    QLabel* lNetto = makeLabel(Panel1, "LabelCenaNetto", QStringLiteral("Cena Netto:"));
    DBEditCenaNetto = makeBound<jadl::DBEdit>(Panel1, "DBEditCenaNetto", QStringLiteral("CenaNetto"), lNetto);
    QLabel* lVat = makeLabel(Panel1, "LabelVat", QStringLiteral("Vat:"));
    DBComboBoxVatTyp = makeBound<jadl::DBComboBox>(Panel1, "DBComboBoxVatTyp", QStringLiteral("VatTyp"), lVat);
    DBComboBoxVatTyp->setItems({QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"), QStringLiteral("8"),
                                QStringLiteral("23"), QStringLiteral("0"), QStringLiteral("12"), QStringLiteral("4"),
                                QStringLiteral("zw"), QStringLiteral("0k"), QStringLiteral("0e")});
    QLabel* lBrutto = makeLabel(Panel1, "LabelCenaBrutto", QStringLiteral("Cena Brutto:"));
    DBEditCenaBrutto = makeBound<jadl::DBEdit>(Panel1, "DBEditCenaBrutto", QStringLiteral("CenaBrutto"), lBrutto);
    DBEditCenaBrutto->setReadOnly(true);
    QLabel* lIlosc = makeLabel(Panel1, "LabelIlosc", QStringLiteral("Ilość:"));
    DBEditIlosc = makeBound<jadl::DBEdit>(Panel1, "DBEditIlosc", QStringLiteral("Ilosc"), lIlosc);
    QLabel* lJm = makeLabel(Panel1, "LabelJednostkaMiary", QStringLiteral("Jed. miary:"));
    DBComboBoxJednostkaMiary = makeBound<jadl::DBComboBox>(Panel1, "DBComboBoxJednostkaMiary",
                                                           QStringLiteral("JednostkaMiary"), lJm);
    DBComboBoxJednostkaMiary->setItems({QStringLiteral("kg"), QStringLiteral("szt."), QStringLiteral("butelka"),
                                        QStringLiteral("karton"), QStringLiteral("dm3"), QStringLiteral("litr"),
                                        QStringLiteral("kpl."), QStringLiteral("m.b."), QStringLiteral("m2"),
                                        QStringLiteral("m3"), QString()});
    QLabel* lWb = makeLabel(Panel1, "LabelWartoscBrutto", QStringLiteral("Wart. brutto:"));
    DBEditWartoscBrutto = makeBound<jadl::DBEdit>(Panel1, "DBEditWartoscBrutto", QStringLiteral("WartoscBrutto"), lWb);
    DBEditWartoscBrutto->setReadOnly(true);
    QLabel* lData = makeLabel(Panel1, "LabelData", QStringLiteral("Data :"));
    DBEditData = makeBound<jadl::DBEdit>(Panel1, "DBEditData", QStringLiteral("DataZakupu"), lData);
    DBEditData->setReadOnly(true);
    addBound(0, lNetto, DBEditCenaNetto);
    addBound(1, lVat, DBComboBoxVatTyp);
    addBound(2, lBrutto, DBEditCenaBrutto);
    addBound(3, lIlosc, DBEditIlosc);
    addBound(4, lJm, DBComboBoxJednostkaMiary);
    addBound(5, lWb, DBEditWartoscBrutto);
    addBound(6, lData, DBEditData);
    lineRow->addWidget(Panel1, 5);

    auto* refBox = new QGridLayout;
    LabelCenaReferencyjna = makeLabel(this, "LabelCenaReferencyjna", QStringLiteral("Cena Referencyjna:"));
    DBEditCenaReferencyjna = makeBound<jadl::DBEdit>(this, "DBEditCenaReferencyjna", QStringLiteral("CenaReferencyjna"),
                                                     LabelCenaReferencyjna);
    QFont refFont = DBEditCenaReferencyjna->font();
    refFont.setBold(true);
    DBEditCenaReferencyjna->setFont(refFont);
    Panel4 = makePanel(this, "Panel4");
    auto* panel4 = new QHBoxLayout(Panel4);
    LabelNumerKolejny = makeLabel(Panel4, "LabelNumerKolejny", QStringLiteral("Numer kolejny:"));
    DBTextNumerKol = makeBound<jadl::DBText>(Panel4, "DBTextNumerKol", QStringLiteral("Numer"), LabelNumerKolejny);
    DBTextNumerKol->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel4->addWidget(LabelNumerKolejny);
    panel4->addWidget(DBTextNumerKol, 1);
    BitBtnPrzeliczPowtornie = makeButton(this, "BitBtnPrzeliczPowtornie", QStringLiteral("Przelicz powtórnie"),
                                         QStringLiteral("Powtórne przeliczenie widocznego towaru"));
    refBox->addWidget(LabelCenaReferencyjna, 0, 0);
    refBox->addWidget(DBEditCenaReferencyjna, 0, 1);
    refBox->addWidget(Panel4, 1, 0, 1, 2);
    refBox->addWidget(BitBtnPrzeliczPowtornie, 2, 0, 1, 2);
    lineRow->addLayout(refBox, 2);
    return lineRow;
}

// The sums, the corrections and the sum of the selected good.
QLayout* TTowary::buildTotalsPanel()
{
    auto* totals = new QVBoxLayout;
    LabelPodsumowanie = makeLabel(this, "LabelPodsumowanie", QStringLiteral("P O D S U M O W A N I E"));
    setNavyBold(LabelPodsumowanie);
    totals->addWidget(LabelPodsumowanie);
    Panel2 = makePanel(this, "Panel2");
    auto* panel2 = new QGridLayout(Panel2);
    auto makeSum = [this, panel2](const char* name, const char* labelName, const QString& caption, int col) {
        QLabel* l = makeLabel(Panel2, labelName, caption);
        auto* e = new QLineEdit(Panel2);
        e->setObjectName(str(name));
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        l->setBuddy(e);
        jadl::describe(e, caption);
        jadl::fitTextToWidth(e);
        panel2->addWidget(l, 0, col);
        panel2->addWidget(e, 1, col);
        return e;
    };
    EditSumaNetto = makeSum("EditSumaNetto", "LabelSumaNetto", QStringLiteral("Wartość Netto"), 0);
    EditSumaVat = makeSum("EditSumaVat", "LabelSumaVat", QStringLiteral("Wartość Vat"), 1);
    EditSumaBrutto = makeSum("EditSumaBrutto", "LabelSumaBrutto", QStringLiteral("Wartość Brutto"), 2);
    totals->addWidget(Panel2);
    auto* correctionRow = new QHBoxLayout;
    BitBtnPoprawVat_Brutto = makeButton(this, "BitBtnPoprawVat_Brutto", QStringLiteral("Popraw Vat i Brutto"));
    SumujZaznaczonyTowar = makeButton(this, "SumujZaznaczonyTowar", QStringLiteral("Sumuj zaznaczony towar"),
                                      QStringLiteral("Sumowanie zaznaczonego towaru"));
    setNavyBold(SumujZaznaczonyTowar);
    correctionRow->addWidget(BitBtnPoprawVat_Brutto);
    correctionRow->addWidget(SumujZaznaczonyTowar);
    correctionRow->addStretch();
    totals->addLayout(correctionRow);
    Panel7 = makePanel(this, "Panel7");
    auto* panel7 = new QVBoxLayout(Panel7);
    StringGrid1 = new QTableWidget(2, 6, Panel7);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setAccessibleName(QStringLiteral("Sumowanie zaznaczonego towaru"));
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setNavyBold(StringGrid1);
    const int widths[6] = {39, 324, 55, 55, 77, 96};
    for (int c = 0; c < 6; ++c)
        StringGrid1->setColumnWidth(c, widths[c]);
    for (int r = 0; r < 2; ++r)
        StringGrid1->setRowHeight(r, 18);
    StringGrid1->setFixedHeight(2 * 18 + 2 * StringGrid1->frameWidth() + 4);
    panel7->addWidget(StringGrid1);
    totals->addWidget(Panel7);
    EditKod = new QLineEdit(this);
    EditKod->setObjectName(QStringLiteral("EditKod"));
    EditKod->setEchoMode(QLineEdit::Password);
    EditKod->hide();
    jadl::describe(EditKod, QStringLiteral("Kod"));
    LabelAdmin = makeLabel(this, "LabelAdmin", QStringLiteral("Admin:"));
    LabelAdmin->hide();
    return totals;
}

// Copying and printing.
QWidget* TTowary::buildPrintPanel()
{
    Panel5 = makePanel(this, "Panel5", QStringLiteral("Drukowanie na ekranie(drukarce) "));
    auto* panel5 = new QVBoxLayout(Panel5);
    Kopiuj = makeButton(
        Panel5, "Kopiuj", QStringLiteral("&Kopiuj towary"),
        QStringLiteral(
            "Kopiowanie danych towarów z dolnej tabeli  do tabeli pomocniczej - układ kolumn jak w raporcie"));
    BitBtnDrukuj1 = makeButton(
        Panel5, "BitBtnDrukuj1", QStringLiteral("&Drukuj kopie"),
        QStringLiteral("Drukowanie na ekranie (drukarce) towarów wraz z podsumowaniem za wybrany okres czasu - do "
                       "drukowania w PDF i EXCEL"));
    TworzTablice = makeButton(Panel5, "TworzTablice", QStringLiteral("Utwórz tablicę kopii"));
    BitBtnDrukuj = makeButton(
        Panel5, "BitBtnDrukuj", QStringLiteral("Drukuj"),
        QStringLiteral("Drukowanie na ekranie(drukarce) wszystkich dostawców z wartością zakupionych od nich towarów "
                       "dla danego okresu"));
    BitBtnDrukuj2 = makeButton(
        Panel5, "BitBtnDrukuj2", QStringLiteral("Drukuj1"),
        QStringLiteral("Drukowanie na ekranie(drukarce) towarów od wybranego dostawcy za wybrany okres"));
    // On a chain's server: what the server recorded of the current line (the head office's).
    HistoriaZmian = makeButton(Panel5, "HistoriaZmian", QStringLiteral("Historia zmian"),
                               QStringLiteral("Zmiany i usunięcie bieżącego zakupu zapisane przez serwer (centrala)"));
    HistoriaZmian->hide();
    Wykres = makeButton(
        Panel5, "Wykres", QStringLiteral("Wykres"),
        QStringLiteral("Wykresy zakupów pokazanych w oknie: wartości w miesiącach, ceny, udziały, VAT"));
    BitBtnZamknij = makeButton(Panel5, "BitBtnZamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki"));
    for (QPushButton* b :
         {Kopiuj, BitBtnDrukuj1, TworzTablice, BitBtnDrukuj, BitBtnDrukuj2, Wykres, HistoriaZmian, BitBtnZamknij})
        panel5->addWidget(b);
    return Panel5;
}

// The report font and the hidden start-drive list.
QWidget* TTowary::buildOptionsPanel()
{
    Panel6 = makePanel(this, "Panel6");
    auto* panel6 = new QVBoxLayout(Panel6);
    RadioGroupCzcionka = new jadl::RadioGroup(
        QStringLiteral("Czcionka Raportu"),
        {QStringLiteral("Normalna"), QStringLiteral("Mała"), QStringLiteral("Bardzo mała")}, 1, Panel6);
    RadioGroupCzcionka->setObjectName(QStringLiteral("RadioGroupCzcionka"));
    RadioGroupCzcionka->setItemIndex(0);
    panel6->addWidget(RadioGroupCzcionka);
    DyskSystemu = new QComboBox(Panel6);
    DyskSystemu->setObjectName(QStringLiteral("DyskSystemu"));
    for (const auto& drive : jadl::platform::Drives::drives())
        DyskSystemu->addItem(QString(drive.letter).toLower() + QStringLiteral(":"));
    // The program starts on its own drive.
    DyskSystemu->setCurrentIndex(std::max(
        0, DyskSystemu->findText(QString(jadl::platform::Drives::programDrive()).toLower() + QStringLiteral(":"))));
    DyskSystemu->hide();
    jadl::describe(DyskSystemu, QStringLiteral("Dysk systemu"));
    panel6->addWidget(DyskSystemu);
    return Panel6;
}

void TTowary::wireHandlers()
{
    // A choice from the list or typing: the choice follows the text, as an edit
    // field above a list does.
    auto followText = [this](QComboBox* combo, void (TTowary::*slot)()) {
        combo->setCompleter(nullptr);
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, combo, slot](const QString& text) {
            {
                const QSignalBlocker quiet(combo);
                const int pos = combo->lineEdit()->cursorPosition();
                combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
                combo->setEditText(text);
                combo->lineEdit()->setCursorPosition(pos);
            }
            jadl::runGuarded([this, slot] { (this->*slot)(); });
        });
    };
    followText(ComboBoxWybierzOkres, &TTowary::ComboBoxWybierzOkresChange);
    connect(ComboBoxWybierzOkres, &QComboBox::currentIndexChanged, this, [this] {
        periodJustChanged_ = true;
        // The same pick's activation comes right after, in this event: reset after it.
        QTimer::singleShot(0, this, [this] { periodJustChanged_ = false; });
        jadl::runGuarded([this] { ComboBoxWybierzOkresChange(); });
    });
    // A pick from the list runs the handler even when the period stays the same.
    connect(ComboBoxWybierzOkres, &QComboBox::activated, this, [this] {
        if (periodJustChanged_)
            periodJustChanged_ = false;
        else
            jadl::runGuarded([this] { ComboBoxWybierzOkresChange(); });
    });
    followText(ComboBoxMiesiace, &TTowary::ComboBoxMiesiaceChange);
    connect(ComboBoxMiesiace, &QComboBox::currentIndexChanged, this,
            jadl::guardedSlot(this, &TTowary::ComboBoxMiesiaceChange));
    // A date is taken when it is complete: picked from the calendar, or typed and
    // left (or confirmed with Enter); not at every keystroke of typing.
    for (QDateEdit* picker : {DateTimePickerDataPocz, DateTimePickerDataKon}) {
        const auto slot = picker == DateTimePickerDataPocz ? &TTowary::DateTimePickerDataPoczChange
                                                           : &TTowary::DateTimePickerDataKonChange;
        connect(picker, &QDateEdit::dateChanged, this, [this, picker, slot] {
            if (picker->hasFocus() && !(picker->calendarWidget() && picker->calendarWidget()->isVisible())) {
                pickerTyped_ = true;
                return;
            }
            jadl::runGuarded([this, slot] { (this->*slot)(); });
        });
        connect(picker, &QDateEdit::editingFinished, this, [this, slot] {
            if (!pickerTyped_)
                return;
            pickerTyped_ = false;
            jadl::runGuarded([this, slot] { (this->*slot)(); });
        });
    }
    connect(Calendar1, &jadl::MonthCalendar::dateChanged, this, jadl::guardedSlot(this, &TTowary::Calendar1Change));
    connect(PoprzedniMc, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::PoprzedniMcClick));
    connect(NastepnyMc, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::NastepnyMcClick));
    connect(RadioGroupDlaDostawcow->buttons(), &QButtonGroup::idClicked, this,
            jadl::guardedSlot(this, &TTowary::RadioGroupDlaDostawcowClick));
    connect(BitBtnSzukaj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::BitBtnSzukajClick));
    connect(DBGrid2, &QAbstractItemView::doubleClicked, this, jadl::guardedSlot(this, &TTowary::DBGrid2DblClick));
    connect(DBGrid1, &jadl::DBGrid::titleClicked, this,
            [this](const QString& t) { jadl::runGuarded([this, t] { DBGrid1TitleClick(t); }); });
    connect(OdswierzanieTablicyDostawcow, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowary::OdswierzanieTablicyDostawcowClick));
    connect(BitBtnZamknij, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::BitBtnZamknijClick));
    connect(SumujZaznaczonyTowar, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowary::SumujZaznaczonyTowarClick));
    connect(BitBtnPoprawVat_Brutto, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowary::BitBtnPoprawVat_BruttoClick));
    connect(BitBtnPrzeliczPowtornie, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TTowary::BitBtnPrzeliczPowtornieClick));
    connect(BitBtnDrukuj2, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::BitBtnDrukuj2Click));
    connect(BitBtnDrukuj1, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::BitBtnDrukuj1Click));
    connect(BitBtnDrukuj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::BitBtnDrukujClick));
    connect(TworzTablice, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::TworzTabliceClick));
    connect(Kopiuj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::KopiujClick));
    connect(HistoriaZmian, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::HistoriaZmianClick));
    connect(Wykres, &QPushButton::clicked, this, jadl::guardedSlot(this, &TTowary::WykresClick));

    // The supplier grid's handlers: once per change of the current supplier.
    connect(dm_->DataSourceDostawcy, &jadl::DataSource::dataSetScrolled, this,
            [this] { jadl::runGuarded([this] { supplierScrolled(); }); });
    // The reference-price signal follows the current line (and the grid's events).
    auto colour = [this] {
        if (isVisible())
            jadl::runGuarded([this] { referencePriceEditColour(); });
    };
    connect(dm_->DataSourceTowary, &jadl::DataSource::dataSetScrolled, this, colour);
    connect(dm_->DataSourceTowary, &jadl::DataSource::dataSetChanged, this, colour);
    connect(dm_->DataSourceTowary, &jadl::DataSource::recordChanged, this, colour);
    connect(DBGrid1, &jadl::DBGrid::cellClicked, this, colour);
    connect(DBGrid1, &jadl::DBGrid::colEnter, this, colour);
    connect(DBGrid1, &jadl::DBGrid::colExit, this, colour);
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, colour);
    connect(DBGrid1, &jadl::DBGrid::entered, this, colour);
    connect(DBGrid1, &jadl::DBGrid::exited, this, colour);
    connect(DBGrid1, &jadl::DBGrid::keyUp, this, colour);
}
