// The dictionary list fill and the three small dictionary windows.
#include "controls/DBComboBox.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/DictionaryLists.h"
#include "masterdata/GrupyTowarowJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <optional>

using jadl::forms;
using jadl::ListFillMode;
using jadl::Table;
using jadl::test::ProgramFixture;

Q_DECLARE_METATYPE(std::optional<bool>)

namespace {

const QStringList kAssignmentVat{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"), QStringLiteral("0"),
                                 QStringLiteral("4")};
const QStringList kAssignmentUnits{
    QStringLiteral("1kg"),     QStringLiteral("5kg"),    QStringLiteral("15kg"), QStringLiteral("0,25kg"),
    QStringLiteral("0,2kg"),   QStringLiteral("0,45kg"), QStringLiteral("1l"),   QStringLiteral("0,5l"),
    QStringLiteral("0,45l"),   QStringLiteral("0,9l"),   QStringLiteral("5l"),   QStringLiteral("szt."),
    QStringLiteral("butelka"), QStringLiteral("karton"), QStringLiteral("dm3"),  QStringLiteral("kpl."),
    QStringLiteral("m.b."),    QStringLiteral("m2"),     QStringLiteral("m3")};

// The dictionary tables and the settings record in a folder of their own.
struct Dictionaries {
    QTemporaryDir dir;
    Table vat;
    Table units;
    Table parametry;

    Dictionaries()
    {
        for (auto [t, file] : {std::pair{&vat, "StawkiVat.db"}, std::pair{&units, "JednostkiMiar.DB"},
                               std::pair{&parametry, "Parametry.db"}}) {
            t->setDatabaseName(dir.path());
            t->setTableName(QString::fromLatin1(file));
            t->open();
        }
    }
    static void fill(Table& t, const QString& field, const QStringList& values)
    {
        for (const QString& v : values) {
            t.append();
            if (!v.isNull())
                t.fieldByName(field).setString(v);
            t.post();
        }
    }
    // Writes the settings record with the switch given (nullopt leaves it empty).
    void setSwitch(const QString& name, std::optional<bool> on)
    {
        parametry.first();
        parametry.edit();
        if (on)
            parametry.fieldByName(name).setBoolean(*on);
        else
            parametry.fieldByName(name).clear();
        parametry.post();
    }
};

QStringList columnValues(Table& t, const QString& field)
{
    QStringList values;
    for (int row = 0; row < t.recordCount(); ++row)
        values << t.valueAt(row, t.fieldIndex(field)).toString();
    return values;
}

} // namespace

class DictionariesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fillList_data();
    void fillList();
    void fillTwiceIsStable_data();
    void fillTwiceIsStable();
    void fillReadsTheSwitch_data();
    void fillReadsTheSwitch();
    void fillComboKeepsItsText();

    void groupsWindowAsDesigned();
    void groupsTitleClickSorts();
    void groupsCloseButtonClosesTable();
    void groupsPostedThroughNavigator();
    void unitsAndVatWindowsAsDesigned_data();
    void unitsAndVatWindowsAsDesigned();
    void unitsAndVatCloseButtons_data();
    void unitsAndVatCloseButtons();
};

void DictionariesTest::fillList_data()
{
    QTest::addColumn<QStringList>("design");
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("merge VAT") << kAssignmentVat << QStringList{QStringLiteral("22"), QStringLiteral("5")} << false
                               << QStringList{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"),
                                              QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("5")};
    QTest::newRow("replace VAT") << kAssignmentVat << QStringList{QStringLiteral("22"), QStringLiteral("5")} << true
                                 << QStringList{QStringLiteral("22"), QStringLiteral("5")};
    QTest::newRow("merge kg twice") << kAssignmentUnits
                                    << QStringList{QStringLiteral("kg"), QStringLiteral("szt."), QStringLiteral("kg")}
                                    << false << (kAssignmentUnits + QStringList{QStringLiteral("kg")});
    QTest::newRow("replace empty table") << kAssignmentUnits << QStringList{} << true << QStringList{};
    QTest::newRow("merge empty table") << kAssignmentVat << QStringList{} << false << kAssignmentVat;
    // Exact comparison: another case is another unit.
    QTest::newRow("merge case-sensitive")
        << QStringList{QStringLiteral("kg")}
        << QStringList{QStringLiteral("KG"), QStringLiteral("Kg"), QStringLiteral("kg")} << false
        << QStringList{QStringLiteral("kg"), QStringLiteral("KG"), QStringLiteral("Kg")};
    // Empty values are never merged, but replace mode takes the table as it is.
    QTest::newRow("merge skips empty") << QStringList{QStringLiteral("7")}
                                       << QStringList{QStringLiteral(""), QString(), QStringLiteral("8")} << false
                                       << QStringList{QStringLiteral("7"), QStringLiteral("8")};
    QTest::newRow("replace keeps empty and doubles")
        << QStringList{QStringLiteral("7")}
        << QStringList{QStringLiteral("8"), QStringLiteral(""), QString(), QStringLiteral("8")} << true
        << QStringList{QStringLiteral("8"), QStringLiteral(""), QStringLiteral(""), QStringLiteral("8")};
}

void DictionariesTest::fillList()
{
    QFETCH(QStringList, design);
    QFETCH(QStringList, table);
    QFETCH(bool, replace);
    QFETCH(QStringList, expected);
    Dictionaries d;
    Dictionaries::fill(d.units, QStringLiteral("Jednostka"), table);

    QStringList items = design;
    jadl::fillDictionaryList(items, d.units, QStringLiteral("Jednostka"),
                             replace ? ListFillMode::Replace : ListFillMode::Merge);
    QCOMPARE(items, expected);
    // The walk ends past the last record and gives the display updates back.
    QVERIFY(d.units.eof());
    QVERIFY(!d.units.controlsDisabled());
    if (!table.isEmpty())
        QCOMPARE(d.units.recNo(), table.size());
}

void DictionariesTest::fillTwiceIsStable_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("merge") << false;
    QTest::newRow("replace") << true;
}

void DictionariesTest::fillTwiceIsStable()
{
    QFETCH(bool, replace);
    Dictionaries d;
    Dictionaries::fill(d.vat, QStringLiteral("VatOznaczenie"),
                       {QStringLiteral("23"), QStringLiteral("zw"), QStringLiteral("7"), QStringLiteral("23")});
    const ListFillMode mode = replace ? ListFillMode::Replace : ListFillMode::Merge;
    QStringList items = kAssignmentVat;
    jadl::fillDictionaryList(items, d.vat, QStringLiteral("VatOznaczenie"), mode);
    const QStringList once = items;
    jadl::fillDictionaryList(items, d.vat, QStringLiteral("VatOznaczenie"), mode);
    QCOMPARE(items, once);
    QCOMPARE(once,
             replace
                 ? QStringList({QStringLiteral("23"), QStringLiteral("zw"), QStringLiteral("7"), QStringLiteral("23")})
                 : (kAssignmentVat + QStringList{QStringLiteral("23"), QStringLiteral("zw")}));
}

void DictionariesTest::fillReadsTheSwitch_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<std::optional<bool>>("value");
    QTest::addColumn<bool>("replace");
    QTest::newRow("VAT true") << jadl::kCzyscStawkiVat << std::optional<bool>(true) << true;
    QTest::newRow("VAT false") << jadl::kCzyscStawkiVat << std::optional<bool>(false) << false;
    QTest::newRow("VAT empty") << jadl::kCzyscStawkiVat << std::optional<bool>() << false;
    QTest::newRow("units true") << jadl::kCzyscJednostkiMiar << std::optional<bool>(true) << true;
    QTest::newRow("units empty") << jadl::kCzyscJednostkiMiar << std::optional<bool>() << false;
}

void DictionariesTest::fillReadsTheSwitch()
{
    QFETCH(QString, parameter);
    QFETCH(std::optional<bool>, value);
    QFETCH(bool, replace);
    Dictionaries d;
    d.setSwitch(parameter, value);
    // The other switch says the opposite: only the named one counts.
    const QString other = parameter == jadl::kCzyscStawkiVat ? jadl::kCzyscJednostkiMiar : jadl::kCzyscStawkiVat;
    d.setSwitch(other, !replace);
    QCOMPARE(jadl::listFillMode(d.parametry, parameter), replace ? ListFillMode::Replace : ListFillMode::Merge);
}

void DictionariesTest::fillComboKeepsItsText()
{
    Dictionaries d;
    Dictionaries::fill(d.vat, QStringLiteral("VatOznaczenie"), {QStringLiteral("22"), QStringLiteral("5")});
    d.setSwitch(jadl::kCzyscStawkiVat, true);
    jadl::DBComboBox combo;
    combo.setItems(kAssignmentVat);
    combo.setText(QStringLiteral("7"));
    jadl::fillDictionaryList(combo, d.vat, jadl::kVatOznaczenie, d.parametry, jadl::kCzyscStawkiVat);
    QCOMPARE(combo.items(), (QStringList{QStringLiteral("22"), QStringLiteral("5")}));
    QCOMPARE(combo.text(), QStringLiteral("7"));

    d.setSwitch(jadl::kCzyscStawkiVat, false);
    combo.setItems(kAssignmentVat);
    jadl::fillDictionaryList(combo, d.vat, jadl::kVatOznaczenie, d.parametry, jadl::kCzyscStawkiVat);
    QCOMPARE(combo.items(),
             (QStringList{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"), QStringLiteral("0"),
                          QStringLiteral("4"), QStringLiteral("5")}));
}

void DictionariesTest::groupsWindowAsDesigned()
{
    ProgramFixture program;
    TGrupyTowarow* g = forms().GrupyTowarow;
    QCOMPARE(g->windowTitle(), QStringLiteral("GRUPY TOWARÓW"));
    QCOMPARE(jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->columnTitle(0), QStringLiteral("Nr kol."));
    QCOMPARE(jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->columnTitle(1), QStringLiteral("Grupa towaru"));
    QCOMPARE(jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->dataSource(), forms().ModulDanych1->DataSourceGrupyTowarow);
    QCOMPARE(jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->visibleButtons().size(),
             jadl::DBNavigator::ButtonCount);
    QCOMPARE(jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->hint(jadl::DBNavigator::First),
             QStringLiteral("pierwszy zapis"));
    QCOMPARE(jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->hint(jadl::DBNavigator::Insert),
             QStringLiteral("dodaj nowy zapis"));
    QCOMPARE(jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->hint(jadl::DBNavigator::Refresh),
             QStringLiteral("odśwież"));
    QCOMPARE(jadl::test::child<QPushButton>(g, "Zamknij")->text(), QStringLiteral("&Wyjście"));
    QCOMPARE(jadl::test::child<QPushButton>(g, "Zamknij")->toolTip(),
             QStringLiteral("Zamknięcie aktywnych tablic  i opuszczenie formatki "));
}

void DictionariesTest::groupsTitleClickSorts()
{
    ProgramFixture program;
    Table* groups = forms().ModulDanych1->TableGrupyTowarow;
    groups->open();
    for (const char* name : {"Warzywa", "Alkohole", "Mięso"}) {
        groups->append();
        groups->fieldByName(QStringLiteral("Grupa")).setString(QString::fromUtf8(name));
        groups->post();
    }
    TGrupyTowarow* g = forms().GrupyTowarow;
    Q_EMIT jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->titleClicked(QStringLiteral("Grupa towaru"));
    QCOMPARE(groups->indexName(), QStringLiteral("GrupaInd"));
    QCOMPARE(columnValues(*groups, QStringLiteral("Grupa")),
             (QStringList{QStringLiteral("Alkohole"), QStringLiteral("Mięso"), QStringLiteral("Warzywa")}));
    // Any other title changes nothing.
    Q_EMIT jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->titleClicked(QStringLiteral("Coś innego"));
    QCOMPARE(groups->indexName(), QStringLiteral("GrupaInd"));
    Q_EMIT jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->titleClicked(QStringLiteral("Nr kol."));
    QCOMPARE(groups->indexName(), QStringLiteral("NumerInd"));
    QCOMPARE(columnValues(*groups, QStringLiteral("Grupa")),
             (QStringList{QStringLiteral("Warzywa"), QStringLiteral("Alkohole"), QStringLiteral("Mięso")}));
    QVERIFY(program.messages().log().isEmpty());
}

void DictionariesTest::groupsCloseButtonClosesTable()
{
    ProgramFixture program;
    Table* groups = forms().ModulDanych1->TableGrupyTowarow;
    TGrupyTowarow* g = forms().GrupyTowarow;
    bool openWhileShown = false;
    jadl::test::whenModalShown([&](QWidget*) {
        openWhileShown = groups->active();
        jadl::test::child<QPushButton>(g, "Zamknij")->click();
    });
    jadl::test::child<QAction>(forms().Meni, "Grupytowarw1")->trigger();
    QVERIFY(openWhileShown);
    QVERIFY(!groups->active());
    QVERIFY(!g->isVisible());

    // The title bar leaves the table open.
    jadl::test::whenModalShown([&](QWidget*) { g->close(); });
    jadl::test::child<QAction>(forms().Meni, "Grupytowarw1")->trigger();
    QVERIFY(!g->isVisible());
    QVERIFY(groups->active());
    QVERIFY(program.messages().log().isEmpty());
}

void DictionariesTest::groupsPostedThroughNavigator()
{
    ProgramFixture program;
    Table* groups = forms().ModulDanych1->TableGrupyTowarow;
    groups->open();
    int beforePostCalls = 0;
    // Whatever the data module decides about a group, posting from the window
    // goes through the table's own before-post rule.
    groups->setBeforePost([&beforePostCalls](Table&) { ++beforePostCalls; });
    TGrupyTowarow* g = forms().GrupyTowarow;
    g->show();
    jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->clickButton(jadl::DBNavigator::Insert);
    groups->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Pieczywo"));
    jadl::test::child<jadl::DBNavigator>(g, "DBNavigator1")->clickButton(jadl::DBNavigator::Post);
    QCOMPARE(beforePostCalls, 1);
    QCOMPARE(groups->recordCount(), 1);
    QCOMPARE(jadl::test::child<jadl::DBGrid>(g, "DBGrid1")->model()->index(0, 1).data().toString(),
             QStringLiteral("Pieczywo"));
    g->close();
}

void DictionariesTest::unitsAndVatWindowsAsDesigned_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("closeName");
    QTest::addColumn<QString>("closeHint");
    QTest::newRow("units") << "JednostkiMiarJadlon"
                           << "JEDNOSTKI MIAR"
                           << QStringList{QStringLiteral("Jednostka"), QStringLiteral("Opis jednostki miar")}
                           << QStringLiteral("Zamknij") << "Zamknięcie i opuszczenie formatki jednostek miar";
    QTest::newRow("VAT") << "StawkiVatJadlon"
                         << "STAWKI VAT"
                         << QStringList{QStringLiteral("VAT"), QStringLiteral("Stawka VAT"),
                                        QStringLiteral("Opis stawki VAT")}
                         << QStringLiteral("BitBtn1") << "Zamknięcie i opuszczenie formatki VAT-u";
}

void DictionariesTest::unitsAndVatWindowsAsDesigned()
{
    QFETCH(QString, window);
    QFETCH(QString, title);
    QFETCH(QStringList, columns);
    QFETCH(QString, closeName);
    QFETCH(QString, closeHint);
    ProgramFixture program;
    QWidget* w = jadl::test::topLevel(window);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), title);
    auto* grid = w->findChild<jadl::DBGrid*>(QStringLiteral("DBGrid1"));
    QVERIFY(grid);
    QStringList shown;
    for (int c = 0; c < grid->gridModel()->columnCount(); ++c)
        shown << grid->columnTitle(c);
    QCOMPARE(shown, columns);
    auto* nav = w->findChild<jadl::DBNavigator*>(QStringLiteral("DBNavigator1"));
    QVERIFY(nav);
    using N = jadl::DBNavigator;
    QCOMPARE(nav->visibleButtons(), (QList<N::Button>{N::Insert, N::Delete, N::Edit, N::Post, N::Cancel}));
    QStringList hints;
    for (N::Button b : nav->visibleButtons())
        hints << nav->hint(b);
    QCOMPARE(hints,
             (QStringList{QStringLiteral("Dodaj"), QStringLiteral("Usuń"), QStringLiteral("Edytuj"),
                          QStringLiteral("Zapisz"), QStringLiteral("Anuluj")}));
    auto* close = w->findChild<QPushButton*>(closeName);
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("&Wyjście"));
    QCOMPARE(close->toolTip(), closeHint);
    // The units table is open from the start, the VAT table only when asked for.
    QCOMPARE(forms().JednostkiMiarJadlon->TableJednostkiMiar->active(), true);
    QCOMPARE(forms().StawkiVatJadlon->TableStawkiVat->active(), false);
}

void DictionariesTest::unitsAndVatCloseButtons_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("closeName");
    QTest::newRow("units") << "Jednostkimiar1"
                           << "JednostkiMiarJadlon"
                           << "Zamknij";
    QTest::newRow("VAT") << "StawkiVAT1"
                         << "StawkiVatJadlon"
                         << "BitBtn1";
}

void DictionariesTest::unitsAndVatCloseButtons()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(QString, closeName);
    ProgramFixture program;
    QWidget* w = jadl::test::topLevel(window);
    Table* table = w->findChild<Table*>();
    QVERIFY(table);
    auto* nav = w->findChild<jadl::DBNavigator*>(QStringLiteral("DBNavigator1"));
    auto* action = forms().Meni->findChild<QAction*>(command);
    QVERIFY(action);

    for (int round = 0; round < 2; ++round) {
        action->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(table->active());
        // Add a record through the navigator bar, as the user would.
        nav->clickButton(jadl::DBNavigator::Insert);
        table->fieldByName(table->field(2).fieldName()).setString(QStringLiteral("x%1").arg(round));
        nav->clickButton(jadl::DBNavigator::Post);
        QCOMPARE(table->recordCount(), round + 1);
        w->findChild<QPushButton*>(closeName)->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!table->active());
    }
    // Closing by the title bar leaves the table open.
    action->trigger();
    w->close();
    QVERIFY(table->active());
    QVERIFY(program.messages().log().isEmpty());
}

QTEST_MAIN(DictionariesTest)
#include "tst_dictionaries.moc"
