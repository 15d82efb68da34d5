// The suppliers window, driven as a user would: typing into its edits, clicking
// its buttons and grid titles, and reading back what reached Dostawcy.db.
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBText.h"
#include "masterdata/DostawcyJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/WindowDriving.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using jadl::DataSetState;
using jadl::forms;
using jadl::test::addRecord;
using jadl::test::ProgramFixture;

namespace {

const QString kNotEditing = QStringLiteral("Tablica dostawców nie jest w trybie wstawiania lub edycji");
const QString kNeedsNames = QStringLiteral("Wprowadzany Dostawca musi posiadać Nazwę i Nazwę Skróconą(Symbol)");
const QString kBrowse = QStringLiteral("Przeglądanie(Browse)");

// The program with the suppliers window up as the main window's command leaves it:
// suppliers and restaurants open, the suppliers refreshed.
struct Suppliers {
    ProgramFixture program;
    TDostawcy* w = forms().Dostawcy;
    jadl::Table& table = *forms().ModulDanych1->TableDostawcy;
    jadl::Table& owners = *forms().ModulDanych1->TableWlasciciel;

    explicit Suppliers(bool withOwner = true)
    {
        table.open();
        owners.open();
        if (withOwner)
            addRecord(owners, {{"NrKolejny", 3}, {"Symbol", QStringLiteral("BAR1")}, {"Nazwa", QStringLiteral("Bar")}});
        table.refresh();
    }
    ~Suppliers() { w->hide(); }

    void add(const QString& symbol, const QString& name, const QString& nip = {})
    {
        addRecord(table, {{"Symbol", symbol}, {"Nazwa", name}, {"Nip", nip.isEmpty() ? QVariant() : QVariant(nip)}});
    }
    std::unique_ptr<jadl::Table> disk() { return jadl::test::onDisk(program.dataDir(), QStringLiteral("Dostawcy.db")); }
    QString symbol() { return table.fieldByName(QStringLiteral("Symbol")).asString(); }
};

} // namespace

class DostawcyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAsDesigned_data();
    void controlsAsDesigned();
    void addAndSaveWritesNumberedRow();
    void saveRefused_data();
    void saveRefused();
    void savingAnEditRenumbers();
    void ownerFieldsStayWithoutRestaurant();
    void symbolCopiedToName_data();
    void symbolCopiedToName();
    void deleteAsks_data();
    void deleteAsks();
    void deleteOnEmptyTable();
    void escapeCancelsAndStays();
    void firstAndLast();
    void search_data();
    void search();
    void titleClickOrders();
    void workModeText_data();
    void workModeText();
    void exitClosesTablesCloseBoxKeepsThem();
    void printShowsThePreview();
};

void DostawcyTest::controlsAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Dodaj") << "BitBtnDodaj"
                           << "&Dodaj"
                           << "Dodanie nowego dostawcy";
    QTest::newRow("Zapisz") << "BitBtnZapisz"
                            << "&Zapisz"
                            << "Zapisanie wprowadzonych zmian";
    QTest::newRow("Usuń") << "BitBtnUsun"
                          << "&Usuń"
                          << "Usunięcie zaznaczonego dostawcy";
    QTest::newRow("Anuluj") << "BitBtnAnuluj"
                            << "&Anuluj"
                            << "Anulowanie zmian przed zapisaniem";
    QTest::newRow("Pierwszy") << "BitBtnPierwszy"
                              << "Pierwszy"
                              << "Pierwszy dostawca w tabeli";
    QTest::newRow("Ostatni") << "BitBtnOstatni"
                             << "&Ostatni"
                             << "Ostatni dostawca w tabeli";
    QTest::newRow("Drukuj") << "BitBtnDrukuj"
                            << "&Drukuj"
                            << "Drukowanie dostawców na ekranie(drukarce)";
    QTest::newRow("Wyjście") << "BitBtnZamknij"
                             << "&Wyjście"
                             << "Zamknięcie i opuszczenie formatki dostawców";
    QTest::newRow("Szukaj") << "Szukaj"
                            << "&Szukaj"
                            << "Szukanie po nazwie dostawcy";
    QTest::newRow("symbol") << "DBEditSymbolDostawcy"
                            << "Symbol dostawcy:"
                            << "";
    QTest::newRow("nazwa") << "DBEditNazwaDostawcy"
                           << "Nazwa dostawcy:"
                           << "";
    QTest::newRow("adres") << "DBEditAdresDostawcy"
                           << "Adres dostawcy:"
                           << "";
    QTest::newRow("nip") << "DBEditNip"
                         << "NIP:"
                         << "";
    QTest::newRow("regon") << "DBEditRegon"
                           << "Regon:"
                           << "";
    QTest::newRow("tel") << "DBEditTelefon"
                         << "Tel:"
                         << "";
    QTest::newRow("fax") << "DBEditFax"
                         << "Fax:"
                         << "";
    QTest::newRow("email") << "DBEditEmail"
                           << "E-mail:"
                           << "";
    QTest::newRow("bank") << "DBEditBank"
                          << "Bank:"
                          << "";
    QTest::newRow("konto") << "DBEditKonto"
                           << "Konto:"
                           << "";
    QTest::newRow("numer") << "DBTextNumerDostawcy"
                           << "Dostawca Nr:"
                           << "";
}

void DostawcyTest::controlsAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    Suppliers s;
    QCOMPARE(s.w->windowTitle(), QStringLiteral("DOSTAWCY FIRMY"));
    auto* control = s.w->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
    } else {
        // An edit is named by its caption label, which is its buddy.
        QLabel* label = nullptr;
        for (QLabel* l : s.w->findChildren<QLabel*>())
            if (l->buddy() == control)
                label = l;
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), caption);
    }
    QCOMPARE(control->accessibleName(), QString(caption).remove(u'&'));
    QCOMPARE(control->toolTip(), hint);
}

void DostawcyTest::addAndSaveWritesNumberedRow()
{
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    s.add(QStringLiteral("B"), QStringLiteral("BETA"));
    QVERIFY(jadl::test::showActive(s.w));

    jadl::test::child<QPushButton>(s.w, "BitBtnDodaj")->click();
    QCOMPARE(s.table.state(), DataSetState::Insert);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), QStringLiteral("Wstawianie(Insert)"));
    QVERIFY(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy")->hasFocus());
    jadl::test::child<QCheckBox>(s.w, "CheckBoxPrzepiszSymbolNazwa")->setChecked(false);
    jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), QStringLiteral("HURT"));
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditNazwaDostawcy"), QStringLiteral("hurtownia"));
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditNip"), QStringLiteral("123-45-67"));
    jadl::test::child<QPushButton>(s.w, "BitBtnZapisz")->click();

    QVERIFY2(s.program.messages().log().isEmpty(), qPrintable(s.program.messages().texts().join(u'|')));
    QCOMPARE(s.table.state(), DataSetState::Browse);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), kBrowse);
    // On disk the moment save returns, seen through a connection of its own.
    auto disk = s.disk();
    QCOMPARE(disk->recordCount(), 3);
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("HURT")));
    QCOMPARE(disk->fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("HURTOWNIA"));
    QCOMPARE(disk->fieldByName(QStringLiteral("Nip")).asString(), QStringLiteral("123-45-67"));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKolejnyDostawcy")).value(), QVariant(3));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKolejnyWlasciciela")).value(), QVariant(3));
    QCOMPARE(disk->fieldByName(QStringLiteral("SymbolWlasciciela")).asString(), QStringLiteral("BAR1"));
    // The new supplier's number is shown.
    QCOMPARE(jadl::test::child<jadl::DBText>(s.w, "DBTextNumerDostawcy")->text(),
             disk->fieldByName(QStringLiteral("Numer")).asString());
}

void DostawcyTest::saveRefused_data()
{
    QTest::addColumn<QString>("symbol"); // "-": Dodaj is not pressed (browse state)
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("eraseSymbol");
    QTest::addColumn<QString>("message");
    QTest::newRow("browse") << "-"
                            << "" << false << kNotEditing;
    QTest::newRow("no symbol") << ""
                               << "HURTOWNIA" << false << kNeedsNames;
    QTest::newRow("no name") << "HURT"
                             << "" << false << kNeedsNames;
    QTest::newRow("symbol typed and erased") << "HURT"
                                             << "HURTOWNIA" << true << kNeedsNames;
}

void DostawcyTest::saveRefused()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    QFETCH(bool, eraseSymbol);
    QFETCH(QString, message);
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    QVERIFY(jadl::test::showActive(s.w));
    jadl::test::child<QCheckBox>(s.w, "CheckBoxPrzepiszSymbolNazwa")->setChecked(false);
    if (symbol != QLatin1String("-")) {
        jadl::test::child<QPushButton>(s.w, "BitBtnDodaj")->click();
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), symbol);
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditNazwaDostawcy"), name);
        if (eraseSymbol)
            jadl::test::retype(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), QString());
    }
    jadl::test::child<QPushButton>(s.w, "BitBtnZapisz")->click();

    QCOMPARE(s.program.messages().texts(), QStringList{message});
    QCOMPARE(s.program.messages().log().first().kind, jadl::platform::MessageKind::Message);
    QCOMPARE(s.table.state(), DataSetState::Browse);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), kBrowse);
    QCOMPARE(s.disk()->recordCount(), 1);
    QCOMPARE(s.table.recordCount(), 1);
}

void DostawcyTest::savingAnEditRenumbers()
{
    Suppliers s;
    for (const char* sym : {"A", "B", "C"})
        s.add(QString::fromLatin1(sym), QStringLiteral("FIRMA ") + QString::fromLatin1(sym));
    s.table.first();
    s.table.next();
    QVERIFY(jadl::test::showActive(s.w));
    // Typing into a browsed record starts editing and the label says so at once.
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditAdresDostawcy"), QStringLiteral("Polna 1"));
    QCOMPARE(s.table.state(), DataSetState::Edit);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), QStringLiteral("Poprawianie(Edycja)"));
    jadl::test::child<QPushButton>(s.w, "BitBtnZapisz")->click();

    auto disk = s.disk();
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("B")));
    QCOMPARE(disk->fieldByName(QStringLiteral("Adres")).asString(), QStringLiteral("Polna 1"));
    // The same number the next new supplier would get.
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKolejnyDostawcy")).value(), QVariant(4));
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("A")));
    QVERIFY(disk->fieldByName(QStringLiteral("NrKolejnyDostawcy")).isNull());
}

void DostawcyTest::ownerFieldsStayWithoutRestaurant()
{
    Suppliers s(false);
    addRecord(s.table,
              {{"Symbol", QStringLiteral("A")},
               {"Nazwa", QStringLiteral("ALFA")},
               {"NrKolejnyWlasciciela", 5},
               {"SymbolWlasciciela", QStringLiteral("STARY")}});
    QVERIFY(jadl::test::showActive(s.w));
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditTelefon"), QStringLiteral("555"));
    jadl::test::child<QPushButton>(s.w, "BitBtnZapisz")->click();
    QVERIFY(s.program.messages().log().isEmpty());
    auto disk = s.disk();
    disk->first();
    QCOMPARE(disk->fieldByName(QStringLiteral("Telefon")).asString(), QStringLiteral("555"));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKolejnyWlasciciela")).value(), QVariant(5));
    QCOMPARE(disk->fieldByName(QStringLiteral("SymbolWlasciciela")).asString(), QStringLiteral("STARY"));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKolejnyDostawcy")).value(), QVariant(2));
}

void DostawcyTest::symbolCopiedToName_data()
{
    QTest::addColumn<QString>("mode"); // browse, insert, edit
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("expectedName"); // field Nazwa after leaving the symbol edit; "<null>" for empty
    QTest::newRow("insert, checked") << "insert" << true << "Hurt";
    QTest::newRow("edit, checked") << "edit" << true << "Hurt";
    QTest::newRow("browse, checked") << "browse" << true << "ALFA SP";
    QTest::newRow("insert, unchecked") << "insert" << false << "<null>";
    QTest::newRow("edit, unchecked") << "edit" << false << "ALFA SP";
}

void DostawcyTest::symbolCopiedToName()
{
    QFETCH(QString, mode);
    QFETCH(bool, checked);
    QFETCH(QString, expectedName);
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA SP"));
    QVERIFY(jadl::test::showActive(s.w));
    QVERIFY(jadl::test::child<QCheckBox>(s.w, "CheckBoxPrzepiszSymbolNazwa")->isChecked()); // as the window is created
    jadl::test::child<QCheckBox>(s.w, "CheckBoxPrzepiszSymbolNazwa")->setChecked(checked);
    if (mode == QLatin1String("insert")) {
        jadl::test::child<QPushButton>(s.w, "BitBtnDodaj")->click();
        jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), QStringLiteral("Hurt"));
    } else if (mode == QLatin1String("edit")) {
        jadl::test::retype(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), QStringLiteral("Hurt"));
        QCOMPARE(s.table.state(), DataSetState::Edit);
    } else {
        jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy")->setFocus(Qt::MouseFocusReason);
    }
    // Leave the symbol edit for the next control, as with the Tab key.
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), Qt::Key_Tab);
    QVERIFY(!jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy")->hasFocus());

    const jadl::Field& name = s.table.fieldByName(QStringLiteral("Nazwa"));
    QCOMPARE(name.isNull() ? QStringLiteral("<null>") : name.asString(), expectedName);
    // The name edit shows the name in upper case, whatever is stored.
    QCOMPARE(jadl::test::child<jadl::DBEdit>(s.w, "DBEditNazwaDostawcy")->text(), name.asString().toUpper());
    if (mode == QLatin1String("browse"))
        QCOMPARE(s.table.state(), DataSetState::Browse);
}

void DostawcyTest::deleteAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("yes deletes") << true << QStringList{QStringLiteral("A"), QStringLiteral("C")};
    QTest::newRow("no keeps and cancels the edit")
        << false << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
}

void DostawcyTest::deleteAsks()
{
    QFETCH(bool, yes);
    QFETCH(QStringList, left);
    Suppliers s;
    for (const char* sym : {"A", "B", "C"})
        s.add(QString::fromLatin1(sym), QStringLiteral("FIRMA"));
    s.table.first();
    s.table.next();
    QVERIFY(jadl::test::showActive(s.w));
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(s.w, "DBEditFax"), QStringLiteral("99"));
    s.program.messages().answerNext(yes);
    jadl::test::child<QPushButton>(s.w, "BitBtnUsun")->click();

    const auto& log = s.program.messages().log();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.first().kind, jadl::platform::MessageKind::Question);
    QCOMPARE(log.first().text, QStringLiteral("Usunąć zaznaczoną pozycję - Dostawcę"));
    QCOMPARE(log.first().caption, QStringLiteral("WYBIERZ"));
    QCOMPARE(s.table.state(), DataSetState::Browse);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), kBrowse);
    auto disk = s.disk();
    QStringList symbols;
    for (const QVariant& v : jadl::test::column(*disk, QStringLiteral("Symbol")))
        symbols << v.toString();
    QCOMPARE(symbols, left);
    // The typed fax never reached the file.
    for (const QVariant& v : jadl::test::column(*disk, QStringLiteral("Fax")))
        QVERIFY(v.isNull());
}

void DostawcyTest::deleteOnEmptyTable()
{
    Suppliers s;
    s.w->show();
    jadl::test::child<QPushButton>(s.w, "BitBtnUsun")->click();
    QCOMPARE(s.program.messages().texts(), QStringList{QStringLiteral("Brak pozycji do usunięcia")});
    QCOMPARE(s.program.messages().log().first().kind, jadl::platform::MessageKind::Message);
}

void DostawcyTest::escapeCancelsAndStays()
{
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    QVERIFY(jadl::test::showActive(s.w));
    jadl::test::child<QPushButton>(s.w, "BitBtnDodaj")->click();
    jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), QStringLiteral("NOWY"));
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy"), Qt::Key_Escape);
    QCOMPARE(s.table.state(), DataSetState::Browse);
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), kBrowse);
    QVERIFY(s.w->isVisible());
    QCOMPARE(s.table.recordCount(), 1);
    QCOMPARE(s.symbol(), QStringLiteral("A"));
    QCOMPARE(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy")->text(), QStringLiteral("A"));
    QCOMPARE(s.disk()->recordCount(), 1);
}

void DostawcyTest::firstAndLast()
{
    Suppliers s;
    for (const char* sym : {"M", "A", "Z"})
        s.add(QString::fromLatin1(sym), QStringLiteral("FIRMA"));
    s.table.setIndexName(QStringLiteral("SymbolInd"));
    s.w->show();
    jadl::test::child<QPushButton>(s.w, "BitBtnOstatni")->click();
    QCOMPARE(s.symbol(), QStringLiteral("Z"));
    QCOMPARE(jadl::test::child<jadl::DBEdit>(s.w, "DBEditSymbolDostawcy")->text(), QStringLiteral("Z"));
    jadl::test::child<QPushButton>(s.w, "BitBtnPierwszy")->click();
    QCOMPARE(s.symbol(), QStringLiteral("A"));
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), kBrowse);
}

void DostawcyTest::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");
    QTest::newRow("prefix") << "BET"
                            << "BETA";
    QTest::newRow("whole symbol") << "BETON"
                                  << "BETON";
    QTest::newRow("case matters: stays") << "bet"
                                         << "ZETA";
    QTest::newRow("no match: stays") << "X"
                                     << "ZETA";
}

void DostawcyTest::search()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    Suppliers s;
    for (const char* sym : {"ALFA", "BETON", "BETA", "ZETA"})
        s.add(QString::fromLatin1(sym), QStringLiteral("FIRMA"));
    s.table.setIndexName(QStringLiteral("SymbolInd"));
    s.table.last();
    QVERIFY(jadl::test::showActive(s.w));
    jadl::test::typeInto(jadl::test::child<QLineEdit>(s.w, "EditSzukaj"), text);
    jadl::test::child<QPushButton>(s.w, "Szukaj")->click();
    QCOMPARE(s.symbol(), found);
    QVERIFY(s.program.messages().log().isEmpty());
}

void DostawcyTest::titleClickOrders()
{
    Suppliers s;
    s.add(QStringLiteral("ZETA"), QStringLiteral("Z"), QStringLiteral("1"));
    s.add(QStringLiteral("ALFA"), QStringLiteral("A"), QStringLiteral("3"));
    s.add(QStringLiteral("MIKRO"), QStringLiteral("M"), QStringLiteral("2"));
    QVERIFY(jadl::test::showActive(s.w));
    jadl::DBGrid* grid = jadl::test::child<jadl::DBGrid>(s.w, "DBGrid1");
    QCOMPARE(grid->columnTitle(0), QStringLiteral("Nr"));
    QCOMPARE(grid->columnTitle(1), QStringLiteral("Nazwa skrócona dostawcy(symbol)"));
    QCOMPARE(grid->columnTitle(2), QStringLiteral("Nip"));
    const QStringList bySymbol{QStringLiteral("ALFA"), QStringLiteral("MIKRO"), QStringLiteral("ZETA")};
    const QStringList byNumber{QStringLiteral("ZETA"), QStringLiteral("ALFA"), QStringLiteral("MIKRO")};

    jadl::test::clickTitle(grid, 1);
    QCOMPARE(s.table.indexName(), QStringLiteral("SymbolInd"));
    QCOMPARE(jadl::test::gridColumn(grid, 1), bySymbol);
    jadl::test::clickTitle(grid, 2); // the Nip title leaves the order alone
    QCOMPARE(jadl::test::gridColumn(grid, 1), bySymbol);
    jadl::test::clickTitle(grid, 0);
    QCOMPARE(s.table.indexName(), QStringLiteral("NumerInd"));
    QCOMPARE(jadl::test::gridColumn(grid, 1), byNumber);
    QCOMPARE(s.table.masterSource(), nullptr);
    QVERIFY(s.program.messages().log().isEmpty());
}

void DostawcyTest::workModeText_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("text");
    QTest::newRow("browse") << "browse"
                            << "Przeglądanie(Browse)";
    QTest::newRow("insert") << "insert"
                            << "Wstawianie(Insert)";
    QTest::newRow("edit") << "edit"
                          << "Poprawianie(Edycja)";
    QTest::newRow("closed") << "closed"
                            << "?????";
}

void DostawcyTest::workModeText()
{
    QFETCH(QString, state);
    QFETCH(QString, text);
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    if (state == QLatin1String("insert"))
        s.table.append();
    else if (state == QLatin1String("edit"))
        s.table.edit();
    else if (state == QLatin1String("closed"))
        s.table.close();
    // What the main window calls after the window returns.
    s.w->showWorkMode();
    QCOMPARE(jadl::test::child<QLabel>(s.w, "LabelTrybPracy")->text(), text);
}

void DostawcyTest::exitClosesTablesCloseBoxKeepsThem()
{
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    s.add(QStringLiteral("B"), QStringLiteral("BETA"));
    s.table.last();

    // The window's own close box: tables stay open on their record.
    s.w->show();
    s.w->close();
    QVERIFY(!s.w->isVisible());
    QVERIFY(s.table.active());
    QVERIFY(s.owners.active());
    QCOMPARE(s.symbol(), QStringLiteral("B"));

    // "Wyjście" from the modal window closes both tables.
    bool shownModal = false;
    jadl::test::whenModalShown([&](QWidget* modal) {
        shownModal = modal == s.w;
        jadl::test::child<QPushButton>(s.w, "BitBtnZamknij")->click();
    });
    s.w->exec();
    QVERIFY(shownModal);
    QVERIFY(!s.w->isVisible());
    QVERIFY(!s.table.active());
    QVERIFY(!s.owners.active());
    QVERIFY(s.program.messages().log().isEmpty());
}

void DostawcyTest::printShowsThePreview()
{
    Suppliers s;
    s.add(QStringLiteral("A"), QStringLiteral("ALFA"));
    s.add(QStringLiteral("B"), QStringLiteral("BETA"));
    s.w->show();
    QString shown;
    jadl::test::whenModalShown([&](QWidget* modal) { shown = QString::fromLatin1(modal->metaObject()->className()); });
    jadl::test::child<QPushButton>(s.w, "BitBtnDrukuj")->click();
    QCOMPARE(shown, QStringLiteral("QPrintPreviewDialog"));
    QVERIFY(s.program.messages().log().isEmpty());
    // The suppliers stay where they were.
    QVERIFY(s.table.active());
    QCOMPARE(s.table.recordCount(), 2);
}

QTEST_MAIN(DostawcyTest)
#include "tst_dostawcy.moc"
