// The main window's commands: each prepares its tables and window and shows it;
// one after another they never trip over a table a window left closed.
#include "common/Formats.h"
#include "controls/DBComboBox.h"
#include "controls/MonthCalendar.h"
#include "controls/SpinEdit.h"
#include "masterdata/DostawcyJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "masterdata/RestauracjeJadl.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "purchases/TowaryJadl.h"
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/SharedValues.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <vector>

using jadl::forms;
using jadl::Table;
using jadl::test::ProgramFixture;
using jadl::test::runCommand;
using jadl::test::tableNamed;
using jadl::test::topLevel;

namespace {

// The window's own exit button, when it has one.
QPushButton* exitButton(QWidget* w)
{
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("&Wyjście"))
            return b;
    return nullptr;
}

struct Seen {
    QString window;
    QStringList closedTables; // expected open but found closed
};

// Runs the command and looks at what is up while its window is shown; the
// window is then left through its exit button (or closed when it has none).
Seen openAndLeave(const QString& command, const QString& window, bool modal, const QStringList& tables)
{
    Seen seen;
    auto look = [&seen, tables](QWidget* w) {
        seen.window = w->objectName();
        for (const QString& name : tables) {
            Table* t = tableNamed(name);
            if (!t || !t->active())
                seen.closedTables << name;
        }
    };
    auto leave = [](QWidget* w) {
        if (QPushButton* exit = exitButton(w))
            exit->click();
        if (w->isVisible())
            w->close();
    };
    if (modal) {
        jadl::test::whenModalShown([&](QWidget* w) {
            look(w);
            leave(w);
            // The restaurants window may refuse its exit (no active restaurant);
            // the helper closes it anyway.
        });
        runCommand(command);
    } else {
        runCommand(command);
        QWidget* w = topLevel(window);
        if (w && w->isVisible() && !w->isModal()) {
            look(w);
            leave(w);
        }
    }
    return seen;
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandOpensItsTables_data();
    void commandOpensItsTables();
    void commandsInSequenceNeverFail();
    void assignmentLinksLinesToSupplier_data();
    void assignmentLinksLinesToSupplier();
    void assignmentListsFromDictionaries_data();
    void assignmentListsFromDictionaries();
    void catalogueListsAndControls_data();
    void catalogueListsAndControls();
    void suppliersShowWorkModeAfterwards();
    void supplierGoodsPrepared_data();
    void supplierGoodsPrepared();
    void removalShowsCountAndOldestYear_data();
    void removalShowsCountAndOldestYear();
    void openTableStaysOnItsRecord();
    void engineErrorStopsTheCommand();
};

namespace {

struct Command {
    const char* name;
    const char* command;
    const char* window;
    bool modal;
    std::vector<const char*> tables; // open while the window is shown
};

QStringList tableNames(const std::vector<const char*>& names)
{
    QStringList list;
    for (const char* n : names)
        list << QString::fromLatin1(n);
    return list;
}

const QList<Command>& allCommands()
{
    static const QList<Command> list{
        {"Tow. Podst.",
         "SpeedButtonTowary",
         "TowaryPodstawowe",
         false,
         {"TableTowaryPodstawowe", "TableGrupyTowarow", "TableParametry", "TableStawkiVat", "TableJednostkiMiar",
          "TableWlasciciel"}},
        {"Dostawcy", "SpeedButtonDostawcy", "Dostawcy", true, {"TableDostawcy", "TableWlasciciel"}},
        {"POWIĄŻ",
         "SpeedButtonPowiazania",
         "PrzypisywanieTowarow",
         true,
         {"TableDostawcy", "TableTowaryPodstawowe", "TableGrupyTowarow", "TableTowary", "TableParametry",
          "TableStawkiVat", "TableJednostkiMiar", "TableWlasciciel"}},
        {"Tow. Dost.",
         "SpeedButtonTowaryDostawcy",
         "Towary",
         true,
         {"TableDostawcy", "TableTowary", "TableGrupyTowarow", "TableWlasciciel", "TableParametry"}},
        {"Kopia", "SpeedButtonKopia", "KopiowanieDanych", true, {}},
        {"Kopia danych", "Kopiadanych1", "KopiowanieDanych", true, {}},
        {"Odtwarzanie", "Odtwarzaniedanychzarchiwum1", "OdtwarzanieDanych", true, {}},
        {"Parametry", "Parametry1", "Parametry", false, {"TableWlasciciel", "TableParametry"}},
        {"Usuwanie", "Usuwanietowarwzlatpoprzednich", "UsuwaniePrzypisanychTowarow", true, {"TableTowary"}},
        {"Grupy towarów", "Grupytowarw1", "GrupyTowarow", true, {"TableGrupyTowarow"}},
        {"Restauracje", "Restauracje1", "Restauracje", true, {"TableWlasciciel"}},
        {"Jednostki miar", "Jednostkimiar1", "JednostkiMiarJadlon", false, {"TableJednostkiMiar"}},
        {"Stawki VAT", "StawkiVAT1", "StawkiVatJadlon", false, {"TableStawkiVat"}},
    };
    return list;
}

} // namespace

void CommandsTest::commandOpensItsTables_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("modal");
    QTest::addColumn<QStringList>("tables");
    for (const Command& c : allCommands())
        QTest::newRow(c.name) << QString::fromLatin1(c.command) << QString::fromLatin1(c.window) << c.modal
                              << tableNames(c.tables);
}

void CommandsTest::commandOpensItsTables()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(bool, modal);
    QFETCH(QStringList, tables);
    ProgramFixture program;
    // Every table starts closed, as the windows' exit buttons leave them.
    for (Table* t : forms().ModulDanych1->tables())
        t->close();
    forms().JednostkiMiarJadlon->TableJednostkiMiar->close();
    const Seen seen = openAndLeave(command, window, modal, tables);
    QCOMPARE(seen.window, window);
    QVERIFY2(seen.closedTables.isEmpty(), qPrintable(seen.closedTables.join(u',')));
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));
}

void CommandsTest::commandsInSequenceNeverFail()
{
    ProgramFixture program;
    // Forward and back, so every window follows the others' exits both ways.
    QList<Command> order = allCommands();
    for (auto it = allCommands().rbegin(); it != allCommands().rend(); ++it)
        order << *it;
    for (const Command& c : order) {
        const Seen seen = openAndLeave(QString::fromLatin1(c.command), QString::fromLatin1(c.window), c.modal,
                                       tableNames(c.tables));
        QCOMPARE(seen.window, QString::fromLatin1(c.window));
        QVERIFY2(seen.closedTables.isEmpty(),
                 qPrintable(QString::fromUtf8(c.name) + QStringLiteral(": ") + seen.closedTables.join(u',')));
        QVERIFY2(program.messages().log().isEmpty(),
                 qPrintable(QString::fromUtf8(c.name) + QStringLiteral(": ") + program.messages().texts().join(u'|')));
    }
}

void CommandsTest::assignmentLinksLinesToSupplier_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("index");
    QTest::newRow("POWIĄŻ") << "SpeedButtonPowiazania"
                            << "NrDostawcySymbolInd";
    QTest::newRow("Tow. Dost.") << "SpeedButtonTowaryDostawcy"
                                << "NrDostawcyDataZakupuInd";
}

void CommandsTest::assignmentLinksLinesToSupplier()
{
    QFETCH(QString, command);
    QFETCH(QString, index);
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    // Another window left the lines unlinked under another index.
    dm->TableTowary->setMasterSource(nullptr);
    dm->TableTowary->setMasterFields(QString());
    dm->TableTowary->setIndexName(QString());
    QString seenIndex;
    QString seenFields;
    jadl::DataSource* seenMaster = nullptr;
    jadl::test::whenModalShown([&](QWidget*) {
        seenIndex = dm->TableTowary->indexName();
        seenFields = dm->TableTowary->masterFields();
        seenMaster = dm->TableTowary->masterSource();
    });
    runCommand(command);
    QCOMPARE(seenIndex, index);
    QCOMPARE(seenFields, QStringLiteral("Numer"));
    QCOMPARE(seenMaster, dm->DataSourceDostawcy);
    // The link stays after the window closed.
    QCOMPARE(dm->TableTowary->indexName(), index);
    QCOMPARE(dm->TableTowary->masterSource(), dm->DataSourceDostawcy);
}

void CommandsTest::assignmentListsFromDictionaries_data()
{
    QTest::addColumn<bool>("clearVat");
    QTest::addColumn<bool>("clearUnits");
    QTest::addColumn<QStringList>("units");
    QTest::addColumn<QStringList>("vatList");
    QTest::addColumn<QStringList>("unitList");
    const QStringList designUnits{
        QStringLiteral("1kg"),     QStringLiteral("5kg"),    QStringLiteral("15kg"), QStringLiteral("0,25kg"),
        QStringLiteral("0,2kg"),   QStringLiteral("0,45kg"), QStringLiteral("1l"),   QStringLiteral("0,5l"),
        QStringLiteral("0,45l"),   QStringLiteral("0,9l"),   QStringLiteral("5l"),   QStringLiteral("szt."),
        QStringLiteral("butelka"), QStringLiteral("karton"), QStringLiteral("dm3"),  QStringLiteral("kpl."),
        QStringLiteral("m.b."),    QStringLiteral("m2"),     QStringLiteral("m3")};
    QTest::newRow("merge") << false << false
                           << QStringList{QStringLiteral("kg"), QStringLiteral("szt."), QStringLiteral("kg")}
                           << QStringList{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"),
                                          QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("5")}
                           << (designUnits + QStringList{QStringLiteral("kg")});
    QTest::newRow("replace") << true << true
                             << QStringList{QStringLiteral("kg"), QStringLiteral("szt."), QStringLiteral("kg")}
                             << QStringList{QStringLiteral("22"), QStringLiteral("5")}
                             << QStringList{QStringLiteral("kg"), QStringLiteral("szt."), QStringLiteral("kg")};
    QTest::newRow("replace, no units") << true << true << QStringList{}
                                       << QStringList{QStringLiteral("22"), QStringLiteral("5")} << QStringList{};
    QTest::newRow("VAT replaced, units merged")
        << true << false << QStringList{} << QStringList{QStringLiteral("22"), QStringLiteral("5")} << designUnits;
}

void CommandsTest::assignmentListsFromDictionaries()
{
    QFETCH(bool, clearVat);
    QFETCH(bool, clearUnits);
    QFETCH(QStringList, units);
    QFETCH(QStringList, vatList);
    QFETCH(QStringList, unitList);
    ProgramFixture program;
    auto fill = [](Table* t, const QString& field, const QStringList& values) {
        if (!t->active())
            t->open();
        for (const QString& v : values) {
            t->append();
            t->fieldByName(field).setString(v);
            t->post();
        }
    };
    fill(forms().StawkiVatJadlon->TableStawkiVat, QStringLiteral("VatOznaczenie"),
         {QStringLiteral("22"), QStringLiteral("5")});
    fill(forms().JednostkiMiarJadlon->TableJednostkiMiar, QStringLiteral("Jednostka"), units);
    // The switches as the parameters window stores them.
    Table* par = forms().ModulDanych1->TableParametry;
    par->open();
    par->edit();
    par->fieldByName(QStringLiteral("CzyscStawkiVat")).setBoolean(clearVat);
    par->fieldByName(QStringLiteral("CzyscJednostkiMiar")).setBoolean(clearUnits);
    par->post();
    par->close();

    TPrzypisywanieTowarow* w = forms().PrzypisywanieTowarow;
    QStringList seenVat;
    QStringList seenUnits;
    jadl::test::whenModalShown([&](QWidget*) {
        seenVat = jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->items();
        seenUnits = jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxJednostkaMiary")->items();
    });
    jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonPowiazania")->click();
    QCOMPARE(seenVat, vatList);
    QCOMPARE(seenUnits, unitList);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelM_c_Rok")->text(),
             jadl::formatLongDate(jadl::test::child<jadl::MonthCalendar>(w, "Calendar1")->date()));
    QCOMPARE(jadl::test::child<QLabel>(w, "Dzien")->text(),
             jadl::formatWeekday(jadl::test::child<jadl::MonthCalendar>(w, "Calendar1")->date()));

    // Again: merge adds nothing new, replace builds the same list.
    jadl::test::whenModalShown([&](QWidget*) {
        seenVat = jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->items();
        seenUnits = jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxJednostkaMiary")->items();
    });
    jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonPowiazania")->click();
    QCOMPARE(seenVat, vatList);
    QCOMPARE(seenUnits, unitList);
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));
}

void CommandsTest::catalogueListsAndControls_data()
{
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QStringList>("vatList");
    QTest::addColumn<QStringList>("unitList");
    const QStringList designVat{QStringLiteral("7"),  QStringLiteral("3"),  QStringLiteral("22"), QStringLiteral("8"),
                                QStringLiteral("23"), QStringLiteral("0"),  QStringLiteral("12"), QStringLiteral("4"),
                                QStringLiteral("zw"), QStringLiteral("0k"), QStringLiteral("0e")};
    const QStringList designUnits{
        QStringLiteral("1kg"),     QStringLiteral("0,9kg"),  QStringLiteral("0,12kg"), QStringLiteral("0,125kg"),
        QStringLiteral("0,5kg"),   QStringLiteral("5kg"),    QStringLiteral("15kg"),   QStringLiteral("0,25kg"),
        QStringLiteral("0,2kg"),   QStringLiteral("0,45kg"), QStringLiteral("1l"),     QStringLiteral("0,5l"),
        QStringLiteral("0,45l"),   QStringLiteral("0,9l"),   QStringLiteral("5l"),     QStringLiteral("szt."),
        QStringLiteral("butelka"), QStringLiteral("karton"), QStringLiteral("dm3"),    QStringLiteral("kpl."),
        QStringLiteral("m.b."),    QStringLiteral("m2"),     QStringLiteral("m3")};
    QTest::newRow("merge") << false << (designVat + QStringList{QStringLiteral("5")}) << designUnits;
    QTest::newRow("replace") << true << QStringList{QStringLiteral("22"), QStringLiteral("5")} << QStringList{};
}

void CommandsTest::catalogueListsAndControls()
{
    QFETCH(bool, clear);
    QFETCH(QStringList, vatList);
    QFETCH(QStringList, unitList);
    ProgramFixture program;
    Table* vat = forms().StawkiVatJadlon->TableStawkiVat;
    vat->open();
    for (const char* v : {"22", "5"}) {
        vat->append();
        vat->fieldByName(QStringLiteral("VatOznaczenie")).setString(QString::fromLatin1(v));
        vat->post();
    }
    vat->close();
    Table* par = forms().ModulDanych1->TableParametry;
    par->open();
    par->edit();
    par->fieldByName(QStringLiteral("CzyscStawkiVat")).setBoolean(clear);
    par->fieldByName(QStringLiteral("CzyscJednostkiMiar")).setBoolean(clear);
    par->post();
    TTowaryPodstawowe* w = forms().TowaryPodstawowe;
    jadl::test::child<QCheckBox>(w, "CheckBoxPrzenumeruj")->setChecked(true);
    jadl::test::child<QPushButton>(w, "Przenumeruj")->show();

    for (int opening = 1; opening <= 2; ++opening) {
        jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonTowary")->click();
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QCOMPARE(jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->items(), vatList);
        QCOMPARE(jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxJednostkaMiary")->items(), unitList);
        QVERIFY(!jadl::test::child<QCheckBox>(w, "CheckBoxPrzenumeruj")->isChecked());
        QVERIFY(jadl::test::child<QPushButton>(w, "Przenumeruj")->isHidden());
        for (const char* name : {"TableTowaryPodstawowe", "TableGrupyTowarow", "TableParametry", "TableStawkiVat",
                                 "TableJednostkiMiar", "TableWlasciciel"})
            QVERIFY2(tableNamed(QString::fromLatin1(name))->active(), name);
        // At the next opening the texts come from the lists as they now stand.
        if (opening == 2) {
            QCOMPARE(jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->text(), vatList.value(0));
            QCOMPARE(jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxJednostkaMiary")->text(), unitList.value(0));
        }
        w->close();
    }
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));
}

void CommandsTest::suppliersShowWorkModeAfterwards()
{
    ProgramFixture program;
    TDostawcy* w = forms().Dostawcy;
    jadl::test::child<QLabel>(w, "LabelTrybPracy")->setText(QStringLiteral("?"));
    jadl::test::whenModalShown([](QWidget*) {});
    jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonDostawcy")->click();
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelTrybPracy")->text(),
             jadl::workModeText(forms().ModulDanych1->TableDostawcy->state()));
    QVERIFY(forms().ModulDanych1->TableDostawcy->active());
}

void CommandsTest::supplierGoodsPrepared_data()
{
    QTest::addColumn<bool>("copyTable");
    QTest::newRow("no copy table") << false;
    QTest::newRow("copy table made") << true;
}

void CommandsTest::supplierGoodsPrepared()
{
    QFETCH(bool, copyTable);
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    dm->TableParametry->open();
    dm->TableParametry->edit();
    dm->TableParametry->fieldByName(QStringLiteral("Par1")).setBoolean(copyTable);
    dm->TableParametry->post();
    dm->TableParametry->close();
    jadl::shared().supplierReportFlag = true;
    jadl::test::child<jadl::MonthCalendar>(forms().PrzypisywanieTowarow, "Calendar1")->setDate(QDate(2026, 11, 20));
    TTowary* w = forms().Towary;
    bool flag = true;
    bool buttonEnabled = false;
    int period = -1;
    QDate purchaseDate;
    jadl::test::whenModalShown([&](QWidget*) {
        flag = jadl::shared().supplierReportFlag;
        buttonEnabled = jadl::test::child<QPushButton>(w, "TworzTablice")->isEnabled();
        period = jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->currentIndex();
        purchaseDate = jadl::shared().currentPurchaseDate;
    });
    jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonTowaryDostawcy")->click();
    QVERIFY(!flag);
    QCOMPARE(buttonEnabled, !copyTable);
    QCOMPARE(period, 0);
    QCOMPARE(purchaseDate, QDate(2026, 11, 20));
    QVERIFY(dm->TableParametry->active());
}

void CommandsTest::removalShowsCountAndOldestYear_data()
{
    QTest::addColumn<QList<QDate>>("dates");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("year");
    QTest::newRow("no lines") << QList<QDate>{} << "0"
                              << "";
    // The year of the first line of the view, as it stands.
    QTest::newRow("two lines") << QList<QDate>{QDate(2023, 5, 1), QDate(2021, 1, 1)} << "2"
                               << "2023";
    QTest::newRow("line without date") << QList<QDate>{QDate()} << "1"
                                       << "";
}

void CommandsTest::removalShowsCountAndOldestYear()
{
    QFETCH(QList<QDate>, dates);
    QFETCH(QString, count);
    QFETCH(QString, year);
    ProgramFixture program;
    Table* lines = forms().ModulDanych1->TableTowary;
    // Left unlinked, in entry order, by an earlier window.
    lines->setMasterSource(nullptr);
    lines->setMasterFields(QString());
    lines->setIndexName(QString());
    lines->open();
    for (const QDate& d : dates) {
        lines->append();
        lines->fieldByName(QStringLiteral("NumerDostawcy")).setInteger(1);
        if (d.isValid())
            lines->fieldByName(QStringLiteral("DataZakupu")).setDate(d);
        lines->post();
    }
    lines->last();
    lines->close();
    TUsuwaniePrzypisanychTowarow* w = forms().UsuwaniePrzypisanychTowarow;
    jadl::test::child<QPushButton>(w, "UsuwamTowary")->show();
    jadl::test::child<QLabel>(w, "LabelIleUsunalem")->show();
    QString seenCount, seenYear, seenLabel;
    int choice = -1;
    bool hiddenAsExpected = false;
    jadl::test::whenModalShown([&](QWidget*) {
        seenCount = jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text();
        seenYear = jadl::test::child<QLineEdit>(w, "EditNajstarszyRok")->text();
        seenLabel = jadl::test::child<QLabel>(w, "LabelAktualnyRok")->text();
        choice = jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->itemIndex();
        hiddenAsExpected = jadl::test::child<QPushButton>(w, "UsuwamTowary")->isHidden() &&
            jadl::test::child<QLabel>(w, "LabelIleUsunalem")->isHidden() &&
            jadl::test::child<QLabel>(w, "LabelWybranyRok")->isHidden() &&
            jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->isHidden();
    });
    jadl::test::child<QAction>(forms().Meni, "Usuwanietowarwzlatpoprzednich")->trigger();
    QCOMPARE(seenCount, count);
    QCOMPARE(seenYear, year);
    QCOMPARE(seenLabel, QStringLiteral(" Aktualny rok 2026"));
    QCOMPARE(choice, 2);
    QVERIFY(hiddenAsExpected);
}

void CommandsTest::openTableStaysOnItsRecord()
{
    ProgramFixture program;
    Table* groups = forms().ModulDanych1->TableGrupyTowarow;
    groups->open();
    for (int i = 1; i <= 3; ++i) {
        groups->append();
        groups->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("G%1").arg(i));
        groups->post();
    }
    groups->first();
    groups->next();
    QString current;
    jadl::test::whenModalShown([&](QWidget*) { current = groups->fieldByName(QStringLiteral("Grupa")).asString(); });
    jadl::test::child<QAction>(forms().Meni, "Grupytowarw1")->trigger();
    QCOMPARE(current, QStringLiteral("G2"));
}

void CommandsTest::engineErrorStopsTheCommand()
{
    if (jadl::test::onServer())
        QSKIP("a table file that is not a database exists only in a data directory");
    ProgramFixture program;
    // A units table file that is not a database: opening it fails.
    Table* units = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    units->close();
    const QString path = units->filePath();
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    }
    jadl::test::child<QAction>(forms().Meni, "Jednostkimiar1")->trigger();
    QVERIFY(!forms().JednostkiMiarJadlon->isVisible());
    QCOMPARE(program.messages().log().size(), 1);
    QCOMPARE(program.messages().log()[0].kind, jadl::platform::MessageKind::Error);
    QVERIFY2(program.messages().log()[0].text.contains(QStringLiteral("JednostkiMiar")),
             qPrintable(program.messages().log()[0].text));
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
