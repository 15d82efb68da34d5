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
#include "controls/WheelToArrowFilter.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Messages.h"
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

using jadl::Table;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);

QString str(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

using jadl::makeButton;
using jadl::makeLabel;

QWidget* makePanel(QWidget* parent, const char* name, const QString& hint = {})
{
    auto* p = new QFrame(parent);
    p->setObjectName(str(name));
    p->setFrameShape(QFrame::StyledPanel);
    if (!hint.isEmpty())
        p->setToolTip(hint);
    return p;
}

template <class T>
T* makeBound(QWidget* parent, const char* name, const QString& field, QLabel* caption = nullptr)
{
    return jadl::makeBound<T>(parent, name, static_cast<jadl::DataSource*>(nullptr), field, caption);
}

void setNavyBold(QWidget* w)
{
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, kNavy);
    p.setColor(QPalette::ButtonText, kNavy);
    p.setColor(QPalette::Text, kNavy);
    w->setPalette(p);
}

void closeIfOpen(Table* t)
{
    if (t && t->active())
        t->close();
}

// Keeps the window painted during a long correction, without a cancel button:
// a correction half done would be worse than one done.
class Progress {
public:
    Progress(QWidget* parent, const QString& text, int total) : dialog_(text, QString(), 0, std::max(total, 1), parent)
    {
        dialog_.setObjectName(QStringLiteral("ProgressKorekta"));
        dialog_.setWindowTitle(QStringLiteral("PROSZĘ CZEKAĆ"));
        dialog_.setCancelButton(nullptr);
        dialog_.setMinimumDuration(400);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        timer_.start();
    }
    void step(int done)
    {
        if (timer_.elapsed() < 50)
            return;
        timer_.restart();
        dialog_.setValue(done);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QProgressDialog dialog_;
    QElapsedTimer timer_;
};

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
    auto* top = new QVBoxLayout(this);

    // ---- upper part: suppliers, supplier mode, period, calendar
    auto* upper = new QHBoxLayout;
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
    upper->addLayout(suppliers, 3);

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
    ComboBoxWybierzOkres->addItems({QStringLiteral("Dzień wskazany przez kalendarz"), QStringLiteral("Bieżący dzień"),
                                    QStringLiteral("Poprzedni dzień"), QStringLiteral("Bieżący Miesiąc "),
                                    QStringLiteral("Poprzedni Miesiąc"), QStringLiteral("Bieżący Kwartał"),
                                    QStringLiteral("Poprzedni Kwartał"), QStringLiteral("Bieżący Rok"),
                                    QStringLiteral("Poprzedni Rok"), QStringLiteral("Wybrany Miesiąc"),
                                    QStringLiteral("Wybrany Okres"), QStringLiteral("Cały Okres")});
    ComboBoxWybierzOkres->setCurrentIndex(-1);
    ComboBoxWybierzOkres->setEditText(QStringLiteral("Dzień wskazany przez kalendarz"));
    jadl::describe(ComboBoxWybierzOkres, GroupBoxWybierzOkres->title(), QStringLiteral("Wybierz okres"));
    ComboBoxMiesiace = new QComboBox(GroupBoxWybierzOkres);
    ComboBoxMiesiace->setObjectName(QStringLiteral("ComboBoxMiesiace"));
    ComboBoxMiesiace->setEditable(true);
    ComboBoxMiesiace->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxMiesiace->addItems({QStringLiteral("styczeń"), QStringLiteral("luty"), QStringLiteral("marzec"),
                                QStringLiteral("kwiecień "), QStringLiteral("maj"), QStringLiteral("czerwiec"),
                                QStringLiteral("lipiec"), QStringLiteral("sierpień"), QStringLiteral("wrzesień"),
                                QStringLiteral("pazdziernik"), QStringLiteral("listopad"), QStringLiteral("grudzień")});
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
    upper->addLayout(choices, 2);

    auto* calendar = new QVBoxLayout;
    auto* monthRow = new QHBoxLayout;
    PoprzedniMc = makeButton(this, "PoprzedniMc", QString(), QStringLiteral("Poprzedni miesiąc"));
    PoprzedniMc->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    PoprzedniMc->setAccessibleName(QStringLiteral("Poprzedni miesiąc"));
    NastepnyMc = makeButton(this, "NastepnyMc", QString(), QStringLiteral("Następny miesiąc"));
    NastepnyMc->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    NastepnyMc->setAccessibleName(QStringLiteral("Następny miesiąc"));
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
    upper->addLayout(calendar, 2);
    top->addLayout(upper, 3);

    // ---- purchase lines
    LabelLiczbaRekorow = makeLabel(this, "LabelLiczbaRekorow", QStringLiteral("Liczba zapisów"));
    setNavyBold(LabelLiczbaRekorow);
    LabelLiczbaRekorow->hide();
    top->addWidget(LabelLiczbaRekorow);
    DBGrid1 = new jadl::DBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("Towary dostawcy"));
    top->addWidget(DBGrid1, 4);

    // ---- the current line
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
    top->addLayout(lineRow);

    // ---- totals, corrections, printing
    auto* lower = new QHBoxLayout;
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
    lower->addLayout(totals, 4);

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
    BitBtnZamknij = makeButton(Panel5, "BitBtnZamknij", QStringLiteral("&Wyjście"),
                               QStringLiteral("Zamknięcie i opuszczenie formatki"));
    for (QPushButton* b : {Kopiuj, BitBtnDrukuj1, TworzTablice, BitBtnDrukuj, BitBtnDrukuj2, BitBtnZamknij})
        panel5->addWidget(b);
    lower->addWidget(Panel5, 1);

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
    lower->addWidget(Panel6, 1);
    top->addLayout(lower, 2);

    KopiowanieRekordow = makeButton(this, "KopiowanieRekordow", QStringLiteral("Czekaj  kopiuję"));
    setNavyBold(KopiowanieRekordow);
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
        Progress progress(this, QStringLiteral("ŁĄCZENIE TOWARÓW Z TOWARAMI PODSTAWOWYMI"), lines->recordCount());
        jadl::purchases::linkLinesToBasicGoods(*lines, *dm_->TableTowaryPodstawowe, *dm_->DataSourceGrupyTowarow,
                                               [&progress](int done, int) { progress.step(done); });
    }
    Progress progress(this, QStringLiteral("POPRAWIANIE VAT I BRUTTO"), lines->recordCount());
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

// Moves to the first record whose field equals the text exactly; false (and the
// table stays where it was) when none does.
bool locateExact(Table& t, const QString& field, const QString& text)
{
    const int fi = t.fieldIndex(field);
    const int n = t.recordCount();
    for (int row = 0; row < n; ++row) {
        if (t.valueAt(row, fi).toString() == text) {
            t.setRecNo(row + 1);
            return true;
        }
    }
    return false;
}

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

// Runs a closing step when the scope ends, also when the preview failed.
class AtExit {
public:
    explicit AtExit(std::function<void()> f) : f_(std::move(f)) { }
    ~AtExit() { jadl::runGuarded(f_); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    std::function<void()> f_;
};

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
    Table* owners = dm_->TableWlasciciel;
    if (owners->active() && locateExact(*owners, QStringLiteral("AktywnyString"), QStringLiteral("TAK"))) {
        report->QRLabelRestauracjaSymbol->setCaption(owners->fieldByName(QStringLiteral("Symbol")).asString());
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
    // Afterwards every supplier shows again and the lines follow the supplier.
    const AtExit restore([this] {
        jadl::shared().supplierReportFlag = false;
        if (dm_->TableDostawcy->active())
            dm_->TableDostawcy->setFiltered(false);
        if (dm_->TableTowary->active())
            linkLines(true, QStringLiteral("NumerDostawcyInd"));
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
    Progress progress(this, QStringLiteral("Czekaj  kopiuję"), lines->recordCount());
    const int counter = jadl::copytable::fill(copy, *lines, [&progress](int row, int) { progress.step(row); });
    setCopyStatus(QStringLiteral("Skopiowałem ") + QString::number(counter) + QStringLiteral(" rekordów"));
}
