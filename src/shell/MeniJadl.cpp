#include "shell/MeniJadl.h"

#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "common/Formats.h"
#include "controls/Builders.h"
#include "controls/DBComboBox.h"
#include "controls/Guarded.h"
#include "controls/MonthCalendar.h"
#include "controls/PendingEdits.h"
#include "controls/SpinEdit.h"
#include "masterdata/DostawcyJadl.h"
#include "masterdata/GrupyTowarowJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "masterdata/RestauracjeJadl.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "platform/Clock.h"
#include "platform/gui/GuiPlatform.h"
#include "purchases/FakturyKSeFDoZapisania.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "purchases/PurchaseChartsWindow.h"
#include "purchases/TowaryJadl.h"
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "shell/Forms.h"
#include "shell/ProgramTables.h"
#include "store/Modul_Danych1.h"
#include "store/SharedValues.h"
#include "store/Table.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using jadl::forms;

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QString& hint)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
    return a;
}

constexpr int kGlyphSize = 24;
constexpr int kCaptionPixels = 9;

// A font small enough for the captions under the tool button glyphs.
QFont smallFont(int pixelSize)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(pixelSize);
    return f;
}
} // namespace

TMeni::TMeni(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Meni"));
    setWindowTitle(QStringLiteral("PROGRAM JADLONIA wer. 2.52"));

    buildControls();
    wireHandlers();
    resize(455, 174);
}

void TMeni::buildControls()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    column->addWidget(buildButtonPanel(central));
    column->addWidget(buildFooter(central));
    column->addStretch();
    setCentralWidget(central);

    buildMenu();
}

// The six tool buttons.
QFrame* TMeni::buildButtonPanel(QWidget* central)
{
    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setFixedSize(369, 72);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(6, 10, 6, 10);
    row->setSpacing(8);

    SpeedButtonTowary = makeToolButton("SpeedButtonTowary", QStringLiteral("&Tow. Podst."),
                                       QStringLiteral("Wprowadzanie, przegląd i modfikacja towarów podstawowych"),
                                       QStringLiteral("towary"));
    SpeedButtonDostawcy = makeToolButton("SpeedButtonDostawcy", QStringLiteral("&Dostawcy"),
                                         QStringLiteral("Wprowadzanie, edycja i modyfikacja dostawców"),
                                         QStringLiteral("dostawcy"));
    SpeedButtonPowiazania = makeToolButton("SpeedButtonPowiazania", QStringLiteral("POWIĄŻ"),
                                           QStringLiteral("Przypisanie wybranych towarów do wybranego dostawcy"),
                                           QStringLiteral("powiaz"));
    SpeedButtonTowaryDostawcy = makeToolButton("SpeedButtonTowaryDostawcy", QStringLiteral("Tow. Dost."),
                                               QStringLiteral("Towary wybranego dostawcy za wybrany okres czasowy"),
                                               QStringLiteral("towarydostawcy"));
    SpeedButtonKopia = makeToolButton("SpeedButtonKopia", QStringLiteral("Kopia"),
                                      QStringLiteral("Wykonanie kopii bezpieczeństwa danych systemu"),
                                      QStringLiteral("kopia"));
    SpeedButtonZamknij = makeToolButton("SpeedButtonZamknij", QStringLiteral("&WYJŚCIE"),
                                        QStringLiteral("Koniec pracy z programem"), QStringLiteral("wyjscie"));
    for (QToolButton* b : {SpeedButtonTowary, SpeedButtonDostawcy, SpeedButtonPowiazania, SpeedButtonTowaryDostawcy,
                           SpeedButtonKopia, SpeedButtonZamknij})
        row->addWidget(b);
    row->addStretch();

    return Panel1;
}

// The footer with the maker's line.
QFrame* TMeni::buildFooter(QWidget* central)
{
    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setFixedSize(369, 16);
    auto* footer = new QHBoxLayout(Panel2);
    footer->setContentsMargins(4, 0, 4, 0);
    Panel2Caption = new QLabel(QStringLiteral("Jadłonia – ewidencja zakupów restauracji, wer. 2.52"), Panel2);
    Panel2Caption->setObjectName(QStringLiteral("Panel2Caption"));
    Panel2Caption->setFont(smallFont(9));
    footer->addWidget(Panel2Caption);

    return Panel2;
}

// The menu bar and its items.
void TMeni::buildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    System1 = MainMenu1->addMenu(QStringLiteral("&System"));
    System1->setObjectName(QStringLiteral("System1"));
    System1->setToolTipsVisible(true);
    Parametry1 = addItem(System1, "Parametry1", QStringLiteral("&Parametry"), {});
    Archiwizacja1 = System1->addMenu(QStringLiteral("Archiwizacja"));
    Archiwizacja1->setObjectName(QStringLiteral("Archiwizacja1"));
    Archiwizacja1->setToolTipsVisible(true);
    Archiwizacja1->menuAction()->setToolTip(QStringLiteral("Wykonywanie kopii i odtwarzanie danych"));
    Archiwizacja1->menuAction()->setStatusTip(QStringLiteral("Wykonywanie kopii i odtwarzanie danych"));
    Kopiadanych1 = addItem(Archiwizacja1, "Kopiadanych1", QStringLiteral("&Kopia danych"),
                           QStringLiteral("Wykonywanie kopii bezpieczństwa danych programu"));
    Odtwarzaniedanychzarchiwum1 = addItem(Archiwizacja1, "Odtwarzaniedanychzarchiwum1",
                                          QStringLiteral("&Odtwarzanie danych z archiwum"),
                                          QStringLiteral("Odtworzenie danych z kopii bezpieczeństwa"));
    Usuwanietowarwzlatpoprzednich = addItem(System1, "Usuwanietowarwzlatpoprzednich",
                                            QStringLiteral("&Usuwanie przypisanych towarów"),
                                            QStringLiteral("Usuwanie przypisanych towarów z lat poprzednich"));
    Wyjciezprogramu1 = addItem(System1, "Wyjciezprogramu1", QStringLiteral("&Wyjście z programu"),
                               QStringLiteral("Zamknięcie programu"));
    Raporty1 = MainMenu1->addMenu(QStringLiteral("&Raporty"));
    Raporty1->setObjectName(QStringLiteral("Raporty1"));
    Raporty1->setToolTipsVisible(true);
    WykresyZakupow1 = addItem(Raporty1, "WykresyZakupow1", QStringLiteral("&Wykresy zakupów..."),
                              QStringLiteral("Wykresy zakupów: wartości w miesiącach, ceny towaru, udziały, VAT"));
    Wprowadz1 = MainMenu1->addMenu(QStringLiteral("Wprowadź"));
    Wprowadz1->setObjectName(QStringLiteral("Wprowadz1"));
    Wprowadz1->setToolTipsVisible(true);
    Grupytowarw1 = addItem(Wprowadz1, "Grupytowarw1", QStringLiteral("&Grupy towarów"),
                           QStringLiteral("Wprowadzanie grup towarów"));
    Restauracje1 = addItem(Wprowadz1, "Restauracje1", QStringLiteral("&Restauracje"),
                           QStringLiteral("Wprowadzanie restauracji"));
    Jednostkimiar1 = addItem(Wprowadz1, "Jednostkimiar1", QStringLiteral("&Jednostki miar"),
                             QStringLiteral("Wprowadzanie nowych jednostek miar"));
    StawkiVAT1 = addItem(Wprowadz1, "StawkiVAT1", QStringLiteral("&Stawki VAT"),
                         QStringLiteral("Wprowadzanie nowych stawek VAT"));
    Wprowadz1->addSeparator();
    ImportKSeF1 = addItem(Wprowadz1, "ImportKSeF1", QStringLiteral("Import faktur &KSeF..."),
                          QStringLiteral("Przypisanie towarów z faktur zakupu pobranych z KSeF (pliki XML)"));
    PobierzKSeF1 = addItem(Wprowadz1, "PobierzKSeF1", QStringLiteral("&Pobierz faktury z KSeF..."),
                           QStringLiteral("Pobiera z KSeF faktury zakupu firmy otrzymane od ostatniego pobrania"));
    FakturyKSeF1 = addItem(Wprowadz1, "FakturyKSeF1", QStringLiteral("&Faktury KSeF do zapisania..."),
                           QStringLiteral("Pobrane z KSeF faktury, których pozycji jeszcze nie zapisano"));
}

void TMeni::wireHandlers()
{
    connect(SpeedButtonTowary, &QToolButton::clicked, this, jadl::guardedSlot(this, &TMeni::SpeedButtonTowaryClick));
    connect(SpeedButtonDostawcy, &QToolButton::clicked, this,
            jadl::guardedSlot(this, &TMeni::SpeedButtonDostawcyClick));
    connect(SpeedButtonPowiazania, &QToolButton::clicked, this,
            jadl::guardedSlot(this, &TMeni::SpeedButtonPowiazaniaClick));
    connect(SpeedButtonTowaryDostawcy, &QToolButton::clicked, this,
            jadl::guardedSlot(this, &TMeni::SpeedButtonTowaryDostawcyClick));
    connect(SpeedButtonKopia, &QToolButton::clicked, this, jadl::guardedSlot(this, &TMeni::SpeedButtonKopiaClick));
    connect(SpeedButtonZamknij, &QToolButton::clicked, this, jadl::guardedSlot(this, &TMeni::SpeedButtonZamknijClick));
    connect(Parametry1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Parametry1Click));
    connect(Kopiadanych1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Kopiadanych1Click));
    connect(Odtwarzaniedanychzarchiwum1, &QAction::triggered, this,
            jadl::guardedSlot(this, &TMeni::Odtwarzaniedanychzarchiwum1Click));
    connect(Usuwanietowarwzlatpoprzednich, &QAction::triggered, this,
            jadl::guardedSlot(this, &TMeni::UsuwanietowarwzlatpoprzednichClick));
    connect(Wyjciezprogramu1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Wyjciezprogramu1Click));
    connect(Grupytowarw1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Grupytowarw1Click));
    connect(Restauracje1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Restauracje1Click));
    connect(Jednostkimiar1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::Jednostkimiar1Click));
    connect(StawkiVAT1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::StawkiVAT1Click));
    connect(ImportKSeF1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::ImportKSeF1Click));
    connect(PobierzKSeF1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::PobierzKSeF1Click));
    connect(FakturyKSeF1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::FakturyKSeF1Click));
    connect(WykresyZakupow1, &QAction::triggered, this, jadl::guardedSlot(this, &TMeni::WykresyZakupow1Click));
}

QToolButton* TMeni::makeToolButton(const char* name, const QString& caption, const QString& hint,
                                   const QString& iconName)
{
    auto* b = new QToolButton(Panel1);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    // Scalable glyphs of one size and one caption font: the six buttons line up
    // and stay crisp at any display scale.
    b->setIcon(jadl::programIcon(iconName));
    b->setIconSize(QSize(kGlyphSize, kGlyphSize));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setFixedSize(50, 50);
    b->setFont(smallFont(kCaptionPixels));
    jadl::describe(b, caption, hint);
    return b;
}

namespace {

// "Open" as the commands mean it: a closed table is opened, an open one stays
// on its current record.
void openTables(std::initializer_list<jadl::Table*> tables)
{
    for (jadl::Table* t : tables)
        if (!t->active())
            t->open();
}

void showModeless(QDialog* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TMeni::SpeedButtonTowaryClick()
{
    TModulDanych1* dm = forms().ModulDanych1;
    TTowaryPodstawowe* w = forms().TowaryPodstawowe;
    openTables({dm->TableTowaryPodstawowe, dm->TableGrupyTowarow, dm->TableParametry, vatTable(), unitsTable(),
                dm->TableWlasciciel});
    w->prepareForShow();
    showModeless(w);
}

void TMeni::SpeedButtonDostawcyClick()
{
    TModulDanych1* dm = forms().ModulDanych1;
    openTables({dm->TableDostawcy, dm->TableWlasciciel});
    dm->TableDostawcy->refresh();
    forms().Dostawcy->exec();
    forms().Dostawcy->showWorkMode();
}

void TMeni::SpeedButtonPowiazaniaClick()
{
    TModulDanych1* dm = forms().ModulDanych1;
    TPrzypisywanieTowarow* w = forms().PrzypisywanieTowarow;
    openTables({dm->TableDostawcy, dm->TableTowaryPodstawowe, dm->TableGrupyTowarow, dm->TableTowary,
                dm->TableParametry, vatTable(), unitsTable(), dm->TableWlasciciel});
    linkPurchaseLines(QStringLiteral("NrDostawcySymbolInd"));
    w->prepareForShow();
    w->exec();
}

void TMeni::SpeedButtonTowaryDostawcyClick()
{
    TModulDanych1* dm = forms().ModulDanych1;
    TTowary* w = forms().Towary;
    openTables({dm->TableDostawcy, dm->TableTowary, dm->TableGrupyTowarow, dm->TableWlasciciel});
    // Period choice, dates, supplier mode, grid and totals as a fresh start.
    w->prepareForShow();
    linkPurchaseLines(QStringLiteral("NrDostawcyDataZakupuInd"));
    jadl::shared().supplierReportFlag = false;
    openTables({dm->TableParametry});
    w->useCopyTable(dm->TableParametry->fieldByName(QStringLiteral("Par1")).asBoolean());
    w->exec();
}

void TMeni::SpeedButtonKopiaClick()
{
    forms().KopiowanieDanych->exec();
}

void TMeni::Kopiadanych1Click()
{
    forms().KopiowanieDanych->exec();
}

void TMeni::Odtwarzaniedanychzarchiwum1Click()
{
    forms().OdtwarzanieDanych->exec();
}

void TMeni::Parametry1Click()
{
    TModulDanych1* dm = forms().ModulDanych1;
    openTables({dm->TableWlasciciel, dm->TableParametry});
    TParametry* p = forms().Parametry;
    p->prepareForShow();
    showModeless(p);
}

void TMeni::UsuwanietowarwzlatpoprzednichClick()
{
    jadl::Table* lines = forms().ModulDanych1->TableTowary;
    TUsuwaniePrzypisanychTowarow* w = forms().UsuwaniePrzypisanychTowarow;
    openTables({lines});
    w->prepareForShow();
    w->exec();
}

void TMeni::Grupytowarw1Click()
{
    openTables({forms().ModulDanych1->TableGrupyTowarow});
    forms().GrupyTowarow->exec();
}

void TMeni::Restauracje1Click()
{
    forms().Restauracje->MoznaZamknac = false;
    openTables({forms().ModulDanych1->TableWlasciciel});
    forms().Restauracje->exec();
}

void TMeni::ImportKSeF1Click()
{
    jadl::ksefimport::importInvoices(this, forms().ModulDanych1);
}

void TMeni::PobierzKSeF1Click()
{
    jadl::kseffetch::fetchAndList(this, forms().ModulDanych1);
}

void TMeni::WykresyZakupow1Click()
{
    jadl::showPurchaseCharts(this, forms().ModulDanych1);
}

void TMeni::FakturyKSeF1Click()
{
    jadl::kseffetch::showList(this, forms().ModulDanych1);
}

void TMeni::Jednostkimiar1Click()
{
    openTables({forms().JednostkiMiarJadlon->TableJednostkiMiar});
    showModeless(forms().JednostkiMiarJadlon);
}

void TMeni::StawkiVAT1Click()
{
    openTables({forms().StawkiVatJadlon->TableStawkiVat});
    showModeless(forms().StawkiVatJadlon);
}

jadl::Table* TMeni::vatTable()
{
    return forms().StawkiVatJadlon->TableStawkiVat;
}

jadl::Table* TMeni::unitsTable()
{
    return forms().JednostkiMiarJadlon->TableJednostkiMiar;
}

void TMeni::linkPurchaseLines(const QString& indexName)
{
    // Purchase lines follow the current supplier.
    TModulDanych1* dm = forms().ModulDanych1;
    dm->TableTowary->setMasterSource(dm->DataSourceDostawcy);
    dm->TableTowary->setMasterFields(QStringLiteral("Numer"));
    dm->TableTowary->setIndexName(indexName);
}

void TMeni::SpeedButtonZamknijClick()
{
    close();
}

void TMeni::Wyjciezprogramu1Click()
{
    close();
}

void TMeni::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program; the other windows go with it,
    // but not before typing still in them is saved or given up.
    bool settled = false;
    jadl::runGuarded([&settled] { settled = jadl::settlePendingEdits(jadl::programTables()); });
    if (!settled) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}
