// Typing is never lost without the user's word and never stored when the window
// would refuse it: Esc runs a window's exit, long operations and the program's
// exit ask about unsaved typing, moves never post a blank or half-made record.
#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/PendingEdits.h"
#include "masterdata/DostawcyJadl.h"
#include "masterdata/GrupyTowarowJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "masterdata/RestauracjeJadl.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/WindowDriving.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using jadl::DataSetState;
using jadl::forms;
using jadl::Table;
using jadl::platform::Choice;
using jadl::test::ProgramFixture;
using jadl::test::runCommand;
using jadl::test::tableNamed;

namespace {

QList<Table*> editingTables()
{
    QList<Table*> out;
    for (Table* t : forms().ModulDanych1->findChildren<Table*>())
        if (t->state() == DataSetState::Edit || t->state() == DataSetState::Insert)
            out << t;
    for (Table* t : {forms().StawkiVatJadlon->TableStawkiVat, forms().JednostkiMiarJadlon->TableJednostkiMiar})
        if (t->state() == DataSetState::Edit || t->state() == DataSetState::Insert)
            out << t;
    return out;
}

int storedRows(const ProgramFixture& program, const QString& file)
{
    return int(jadl::test::onDisk(program.dataDir(), file)->recordCount());
}

// Types one new record into the window the way its user would.
void typeNewRecord(const QString& window)
{
    if (window == QLatin1String("StawkiVatJadlon")) {
        Table* t = forms().StawkiVatJadlon->TableStawkiVat;
        jadl::DBGrid* grid = jadl::test::child<jadl::DBGrid>(forms().StawkiVatJadlon, "DBGrid1");
        QVERIFY(jadl::test::showActive(forms().StawkiVatJadlon));
        t->append();
        // Typed into the grid's cell and not yet committed by leaving the cell.
        grid->setFocus();
        grid->edit(grid->currentIndex());
        auto* editor = grid->findChild<QLineEdit*>();
        QVERIFY(editor);
        jadl::test::typeKeys(editor, QStringLiteral("9"));
    } else if (window == QLatin1String("JednostkiMiarJadlon")) {
        Table* t = forms().JednostkiMiarJadlon->TableJednostkiMiar;
        t->append();
        t->fieldByName(QStringLiteral("Jednostka")).setString(QStringLiteral("karton"));
    } else if (window == QLatin1String("Parametry")) {
        TParametry* w = forms().Parametry;
        jadl::test::child<QTabWidget>(w, "PageControl1")->setCurrentWidget(jadl::test::child<QWidget>(w, "TabSheet1"));
        jadl::test::child<jadl::DBNavigator>(w, "DBNavigator1")->button(jadl::DBNavigator::Button::Insert)->click();
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(w, "DBEditNazwa"), QStringLiteral("Bar Pod Lipami"));
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(w, "DBEditSymbol"), QStringLiteral("LIPY"));
    } else if (window == QLatin1String("TowaryPodstawowe")) {
        TTowaryPodstawowe* w = forms().TowaryPodstawowe;
        jadl::test::child<QPushButton>(w, "BitBtnDodaj")->click();
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(w, "DBEditNazwaTowaru"), QStringLiteral("Mąka pszenna"));
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(w, "DBEditSymbolTowaru"), QStringLiteral("MĄKA"));
    }
}

struct Typed {
    const char* command;
    const char* window;
    const char* table;
    const char* file;
};

const Typed kVat{"StawkiVAT1", "StawkiVatJadlon", "TableStawkiVat", "StawkiVat.db"};
const Typed kUnits{"Jednostkimiar1", "JednostkiMiarJadlon", "TableJednostkiMiar", "JednostkiMiar.DB"};
const Typed kOwners{"Parametry1", "Parametry", "TableWlasciciel", "Wlasciciel.DB"};
const Typed kGoods{"SpeedButtonTowary", "TowaryPodstawowe", "TableTowaryPodstawowe", "TowaryPodstawowe.db"};

} // namespace

Q_DECLARE_METATYPE(Choice)

class UnsavedTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typingMeetsALongOperation_data();
    void typingMeetsALongOperation();
    void escapeRunsTheExitHandler_data();
    void escapeRunsTheExitHandler();
    void blankRecordsAreNotStored_data();
    void blankRecordsAreNotStored();
    void leavingAChangedRecordAsks_data();
    void leavingAChangedRecordAsks();
};

void UnsavedTest::typingMeetsALongOperation_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<Choice>("answer");
    const auto row = [](const char* name, const Typed& t, const char* op, Choice c) {
        QTest::newRow(name) << QString::fromLatin1(t.command) << QString::fromLatin1(t.window)
                            << QString::fromLatin1(t.table) << QString::fromLatin1(t.file) << QString::fromLatin1(op)
                            << c;
    };
    row("VAT rate typed in the grid, backup, save it", kVat, "backup", Choice::Yes);
    row("VAT rate, backup, discard it", kVat, "backup", Choice::No);
    row("VAT rate, backup, go back", kVat, "backup", Choice::Cancel);
    row("unit, restore, save it", kUnits, "restore", Choice::Yes);
    row("unit, restore, go back", kUnits, "restore", Choice::Cancel);
    row("owner, restore, discard it", kOwners, "restore", Choice::No);
    row("good, program exit, save it", kGoods, "exit", Choice::Yes);
    row("good, program exit, go back", kGoods, "exit", Choice::Cancel);
}

void UnsavedTest::typingMeetsALongOperation()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(QString, table);
    QFETCH(QString, file);
    QFETCH(QString, operation);
    QFETCH(Choice, answer);
    ProgramFixture program;
    if (window == QLatin1String("TowaryPodstawowe")) {
        Table* groups = forms().ModulDanych1->TableGrupyTowarow;
        groups->open();
        jadl::test::addRecord(*groups, {{"Grupa", QStringLiteral("Pieczywo")}});
        groups->close();
    }
    if (operation == QLatin1String("restore")) {
        QTest::mouseClick(jadl::test::child<QPushButton>(forms().KopiowanieDanych, "Kopiuj"), Qt::LeftButton);
        program.messages().clear();
    }
    const int rowsBefore = storedRows(program, file);
    runCommand(command);
    typeNewRecord(window);
    Table* t = tableNamed(table);
    QCOMPARE(t->state(), DataSetState::Insert);
    program.messages().answerNextChoice(answer);

    if (operation == QLatin1String("backup")) {
        QTest::mouseClick(jadl::test::child<QPushButton>(forms().KopiowanieDanych, "Kopiuj"), Qt::LeftButton);
    } else if (operation == QLatin1String("restore")) {
        TOdtwarzanieDanych* r = forms().OdtwarzanieDanych;
        jadl::test::child<jadl::archive::DirectoryListBox>(r, "KatalogDlaArchiwum")
            ->setDirectory(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));
        QTest::mouseClick(jadl::test::child<QPushButton>(r, "Odtworz"), Qt::LeftButton);
    } else {
        forms().Meni->close();
    }

    // The user is told which window holds the typing.
    const auto& log = program.messages().log();
    QVERIFY(!log.isEmpty());
    QCOMPARE(log.first().kind, jadl::platform::MessageKind::Choice);
    QWidget* holder = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == window)
            holder = top;
    QVERIFY(holder);
    QCOMPARE(log.first().text, jadl::unsavedChangesQuestion(holder->windowTitle()));
    const bool wentBack = answer == Choice::Cancel;
    if (operation != QLatin1String("exit"))
        QCOMPARE(log.size() == 1, wentBack); // going back starts nothing
    if (wentBack) {
        QCOMPARE(t->state(), DataSetState::Insert);
        QVERIFY(t->hasUnsavedChanges());
        if (operation == QLatin1String("backup"))
            QVERIFY(!QFileInfo::exists(program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026")));
        if (operation == QLatin1String("exit"))
            QVERIFY(forms().Meni->isVisible());
        QCOMPARE(storedRows(program, file), rowsBefore);
        t->cancel();
        return;
    }
    QVERIFY(t->state() != DataSetState::Insert);
    // A restore puts back the archive's rows whatever was saved before it.
    if (operation != QLatin1String("restore"))
        QCOMPARE(storedRows(program, file), rowsBefore + (answer == Choice::Yes ? 1 : 0));
}

void UnsavedTest::escapeRunsTheExitHandler_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("modal");
    QTest::addColumn<QStringList>("closed"); // tables the window's exit closes
    QTest::newRow("parameters") << QStringLiteral("Parametry1") << false
                                << QStringList{QStringLiteral("TableWlasciciel"), QStringLiteral("TableParametry")};
    QTest::newRow("goods groups") << QStringLiteral("Grupytowarw1") << true
                                  << QStringList{QStringLiteral("TableGrupyTowarow")};
    QTest::newRow("units") << QStringLiteral("Jednostkimiar1") << false
                           << QStringList{QStringLiteral("TableJednostkiMiar")};
    QTest::newRow("VAT rates") << QStringLiteral("StawkiVAT1") << false
                               << QStringList{QStringLiteral("TableStawkiVat")};
    QTest::newRow("supplier goods") << QStringLiteral("SpeedButtonTowaryDostawcy") << true
                                    << QStringList{QStringLiteral("TableTowary"), QStringLiteral("TableDostawcy")};
    QTest::newRow("assignment") << QStringLiteral("SpeedButtonPowiazania") << true
                                << QStringList{QStringLiteral("TableTowary"), QStringLiteral("TableTowaryPodstawowe")};
}

void UnsavedTest::escapeRunsTheExitHandler()
{
    QFETCH(QString, command);
    QFETCH(bool, modal);
    QFETCH(QStringList, closed);
    ProgramFixture program;
    bool hidden = false;
    const auto press = [&](QWidget* w) {
        // A record left half-made: what the next window would post unchecked.
        Table* first = tableNamed(closed.first());
        first->edit();
        QTest::keyClick(w, Qt::Key_Escape);
        hidden = !w->isVisible();
    };
    if (modal) {
        jadl::test::whenModalShown(press);
        runCommand(command);
    } else {
        runCommand(command);
        QWidget* shown = nullptr;
        for (QWidget* w : {static_cast<QWidget*>(forms().Parametry), static_cast<QWidget*>(forms().JednostkiMiarJadlon),
                           static_cast<QWidget*>(forms().StawkiVatJadlon)})
            if (w->isVisible())
                shown = w;
        QVERIFY(shown);
        press(shown);
    }
    QVERIFY(hidden);
    for (const QString& name : closed)
        QVERIFY2(!tableNamed(name)->active(), qPrintable(name));
    QVERIFY(editingTables().isEmpty());
}

void UnsavedTest::blankRecordsAreNotStored_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("restaurants: Dodaj, then Wyjście") << QStringLiteral("Restauracje");
    QTest::newRow("catalogue: Dodaj twice") << QStringLiteral("TowaryPodstawowe");
    QTest::newRow("goods groups: a new row left by a move") << QStringLiteral("GrupyTowarow");
}

void UnsavedTest::blankRecordsAreNotStored()
{
    QFETCH(QString, window);
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    QString file;
    if (window == QLatin1String("Restauracje")) {
        file = QStringLiteral("Wlasciciel.DB");
        jadl::test::whenModalShown([](QWidget*) {
            jadl::test::child<QPushButton>(forms().Restauracje, "Dodaj")->click();
            jadl::test::child<QPushButton>(forms().Restauracje, "Zamknij")->click();
        });
        runCommand(QStringLiteral("Restauracje1"));
        QVERIFY(!forms().Restauracje->isVisible());
    } else if (window == QLatin1String("TowaryPodstawowe")) {
        file = QStringLiteral("TowaryPodstawowe.db");
        dm->TableGrupyTowarow->open();
        jadl::test::addRecord(*dm->TableGrupyTowarow, {{"Grupa", QStringLiteral("Nabiał")}});
        runCommand(QStringLiteral("SpeedButtonTowary"));
        jadl::test::child<QPushButton>(forms().TowaryPodstawowe, "BitBtnDodaj")->click();
        jadl::test::child<QPushButton>(forms().TowaryPodstawowe, "BitBtnDodaj")->click();
        jadl::test::child<QPushButton>(forms().TowaryPodstawowe, "BitBtnZamknij")->click();
    } else {
        file = QStringLiteral("GrupyTowarow.DB");
        jadl::test::whenModalShown([dm](QWidget*) {
            TGrupyTowarow* g = forms().GrupyTowarow;
            jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->button(jadl::DBNavigator::Button::Insert)->click();
            dm->TableGrupyTowarow->first();
            jadl::test::child<QPushButton>(g, "Zamknij")->click();
        });
        runCommand(QStringLiteral("Grupytowarw1"));
    }
    QCOMPARE(storedRows(program, file), 0);
    QVERIFY(editingTables().isEmpty());
}

void UnsavedTest::leavingAChangedRecordAsks_data()
{
    QTest::addColumn<Choice>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("save it") << Choice::Yes << QStringLiteral("HURTOWNIA NOWA");
    QTest::newRow("discard it") << Choice::No << QStringLiteral("ALFA");
    QTest::newRow("go back") << Choice::Cancel << QStringLiteral("ALFA");
}

void UnsavedTest::leavingAChangedRecordAsks()
{
    QFETCH(Choice, answer);
    QFETCH(QString, stored);
    ProgramFixture program;
    Table* t = forms().ModulDanych1->TableDostawcy;
    t->open();
    jadl::test::addRecord(*t, {{"Symbol", QStringLiteral("A")}, {"Nazwa", QStringLiteral("ALFA")}});
    jadl::test::addRecord(*t, {{"Symbol", QStringLiteral("B")}, {"Nazwa", QStringLiteral("BETA")}});
    t->setIndexName(QStringLiteral("SymbolInd"));
    t->first();
    TDostawcy* w = forms().Dostawcy;
    QVERIFY(jadl::test::showActive(w));
    jadl::test::retype(jadl::test::child<jadl::DBEdit>(w, "DBEditNazwaDostawcy"), QStringLiteral("HURTOWNIA NOWA"));
    program.messages().answerNextChoice(answer);

    jadl::test::child<QPushButton>(w, "BitBtnOstatni")->click(); // the move that leaves the record

    QCOMPARE(program.messages().log().size(), 1);
    QCOMPARE(program.messages().log().first().text, jadl::unsavedChangesQuestion(w->windowTitle()));
    const bool stayed = answer == Choice::Cancel;
    QCOMPARE(t->fieldByName(QStringLiteral("Symbol")).asString(), stayed ? QStringLiteral("A") : QStringLiteral("B"));
    QCOMPARE(t->state() == DataSetState::Edit, stayed);
    auto disk = jadl::test::onDisk(program.dataDir(), QStringLiteral("Dostawcy.db"));
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("A")));
    QCOMPARE(disk->fieldByName(QStringLiteral("Nazwa")).asString(), stored);
    w->hide();
}

QTEST_MAIN(UnsavedTest)
#include "tst_unsaved.moc"
