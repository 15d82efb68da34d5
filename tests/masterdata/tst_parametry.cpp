// The parameters and owner window: owner save with its numbering, messages and
// focus moves, the active-owner box, the parameters save and the exit.
#include "controls/DBCheckBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "masterdata/ParametryJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/DataStore.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using jadl::DataSetState;
using jadl::forms;
using jadl::Table;
using jadl::test::ProgramFixture;

namespace {

Table* owners()
{
    return forms().ModulDanych1->TableWlasciciel;
}

Table* settings()
{
    return forms().ModulDanych1->TableParametry;
}

struct Owner {
    QString symbol;
    QString name;
    bool active = false;
};

void addOwners(const QList<Owner>& list)
{
    Table* t = owners();
    if (!t->active())
        t->open();
    for (const Owner& o : list) {
        t->append();
        if (!o.symbol.isEmpty())
            t->fieldByName(QStringLiteral("Symbol")).setString(o.symbol);
        if (!o.name.isEmpty())
            t->fieldByName(QStringLiteral("Nazwa")).setString(o.name);
        t->fieldByName(QStringLiteral("Aktywny")).setBoolean(o.active);
        t->fieldByName(QStringLiteral("AktywnyString"))
            .setString(o.active ? QStringLiteral("TAK") : QStringLiteral("NIE"));
        t->post();
    }
    t->first();
}

// Opened from the menu as a user does, on the owner tab.
TParametry* openOwners()
{
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    TParametry* p = forms().Parametry;
    jadl::test::child<QTabWidget>(p, "PageControl1")->setCurrentWidget(jadl::test::child<QWidget>(p, "TabSheet1"));
    return p;
}

Table& onDisk(ProgramFixture& program, Table& t, const QString& file)
{
    t.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
    t.setTableName(file);
    t.open();
    return t;
}

} // namespace

class ParametryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parametersTabShownFirst();
    void ownerSaveNumbersAndMarksFirstActive_data();
    void ownerSaveNumbersAndMarksFirstActive();
    void ownerSaveOfBrowsedRecord();
    void ownerSaveWithoutSymbolOrName_data();
    void ownerSaveWithoutSymbolOrName();
    void ownerSaveOnlyOnOwnerTab();
    void activeBoxFollowsGridAndWritesAtOnce();
    void commandSetsActiveBox_data();
    void commandSetsActiveBox();
    void symbolCopiedToName();
    void parametersSaveIsDurable();
    void exitClosesBothTables();
};

void ParametryTest::parametersTabShownFirst()
{
    ProgramFixture program;
    TParametry* p = forms().Parametry;
    QCOMPARE(p->windowTitle(), QStringLiteral("PARAMETRY"));
    QCOMPARE(jadl::test::child<QTabWidget>(p, "PageControl1")->currentWidget(),
             jadl::test::child<QWidget>(p, "TabSheet2"));
    QCOMPARE(jadl::test::child<QTabWidget>(p, "PageControl1")->tabText(0), QStringLiteral("Właściciel"));
    QCOMPARE(jadl::test::child<QTabWidget>(p, "PageControl1")->tabText(1), QStringLiteral("Parametry"));
    QVERIFY(jadl::test::child<QCheckBox>(p, "CheckBoxPrzepiszSymbolNazwa")->isChecked());
    QVERIFY(jadl::test::child<jadl::DBCheckBox>(p, "DBCheckBoxAktywny")->isHidden());
    QCOMPARE(jadl::test::child<jadl::DBGrid>(p, "DBGrid1")->columnTitle(1), QStringLiteral("Nazwa skrócona (Symbol)"));
    QCOMPARE(jadl::test::child<jadl::DBNavigator>(p, "DBNavigator1")->hint(jadl::DBNavigator::Cancel),
             QStringLiteral("anuluj"));
    QCOMPARE(jadl::test::child<jadl::DBEdit>(p, "DBEditAdres")->accessibleName(), QStringLiteral("Adres:"));
    // Where the data is: the data directory of drive C, or the server and this workstation.
    p->show();
    QCOMPARE(jadl::test::child<QLabel>(p, "LabelMagazynDanych")->text(),
             jadl::test::onServer()
                 ? QStringLiteral("Dane: serwer PostgreSQL %1 (stanowisko %2)")
                       .arg(jadl::serverDisplayName(jadl::configuredServer().value()), jadl::workstationName())
                 : QStringLiteral("Dane: katalog ") + QDir::toNativeSeparators(program.dataDir()));
    p->hide();
}

void ParametryTest::ownerSaveNumbersAndMarksFirstActive_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("activeText");
    QTest::newRow("first record") << 0 << 1 << true << "TAK";
    QTest::newRow("second record") << 1 << 2 << false << "NIE";
    QTest::newRow("fourth record") << 3 << 4 << false << "NIE";
}

void ParametryTest::ownerSaveNumbersAndMarksFirstActive()
{
    QFETCH(int, existing);
    QFETCH(int, number);
    QFETCH(bool, active);
    QFETCH(QString, activeText);
    ProgramFixture program;
    QList<Owner> list;
    for (int i = 0; i < existing; ++i)
        list << Owner{QStringLiteral("W%1").arg(i + 1), QStringLiteral("Właściciel %1").arg(i + 1), i == 0};
    addOwners(list);
    TParametry* p = openOwners();
    jadl::test::child<QCheckBox>(p, "CheckBoxPrzepiszSymbolNazwa")->setChecked(false);
    jadl::test::child<jadl::DBNavigator>(p, "DBNavigator1")->clickButton(jadl::DBNavigator::Insert);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditSymbol"), QStringLiteral("NOWY"));
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditNazwa"), QStringLiteral("Nowy wlasciciel"));
    jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));
    QCOMPARE(owners()->state(), DataSetState::Browse);

    Table disk;
    onDisk(program, disk, QStringLiteral("Wlasciciel.DB"));
    QCOMPARE(disk.recordCount(), existing + 1);
    disk.last();
    QCOMPARE(disk.fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("NOWY"));
    QCOMPARE(disk.fieldByName(QStringLiteral("NrKolejny")).asInteger(), number);
    QCOMPARE(disk.fieldByName(QStringLiteral("Aktywny")).asBoolean(), active);
    QCOMPARE(disk.fieldByName(QStringLiteral("AktywnyString")).asString(), activeText);

    // Editing an earlier record and saving renumbers it by its position.
    if (existing > 0) {
        owners()->first();
        QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditBank"), QStringLiteral("PKO"));
        QCOMPARE(owners()->state(), DataSetState::Edit);
        jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
        QCOMPARE(owners()->fieldByName(QStringLiteral("NrKolejny")).asInteger(), 1);
        QCOMPARE(owners()->fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("TAK"));
    }
    p->close();
}

void ParametryTest::ownerSaveOfBrowsedRecord()
{
    ProgramFixture program;
    addOwners({{QStringLiteral("W1"), QStringLiteral("Właściciel"), true}});
    TParametry* p = openOwners();
    jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
    QCOMPARE(program.messages().log().size(), 1);
    QCOMPARE(program.messages().log()[0].text, QStringLiteral("Dane Właściciela są już zapisane"));
    QCOMPARE(program.messages().log()[0].caption, QStringLiteral("UWAGA"));
    p->close();
}

void ParametryTest::ownerSaveWithoutSymbolOrName_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");
    const QString noSymbol = QStringLiteral("Symbol Wlasciciela musi być wypełniona");
    const QString noName = QStringLiteral("NAZWA Wlasciciela musi być wypełniona");
    QTest::newRow("neither") << ""
                             << "" << QStringList{noSymbol, noName} << "DBEditAdres";
    QTest::newRow("no symbol") << ""
                               << "Firma" << QStringList{noSymbol} << "DBEditSymbol";
    QTest::newRow("no name") << "FI"
                             << "" << QStringList{noName} << "DBEditAdres";
}

void ParametryTest::ownerSaveWithoutSymbolOrName()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);
    ProgramFixture program;
    TParametry* p = openOwners();
    p->activateWindow();
    jadl::test::child<QCheckBox>(p, "CheckBoxPrzepiszSymbolNazwa")->setChecked(false);
    jadl::test::child<jadl::DBNavigator>(p, "DBNavigator1")->clickButton(jadl::DBNavigator::Insert);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditSymbol"), symbol);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditNazwa"), name);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditTelefon"), QStringLiteral("123"));
    jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
    QCOMPARE(program.messages().texts(), messages);
    for (const auto& m : program.messages().log())
        QCOMPARE(m.caption, QStringLiteral("Błąd"));
    QVERIFY(p->focusWidget());
    QCOMPARE(p->focusWidget()->objectName(), focus);
    QCOMPARE(owners()->state(), DataSetState::Insert);
    QCOMPARE(owners()->recordCount(), 0);
    jadl::test::child<QPushButton>(p, "Zamknij")->click();
    Table disk;
    QCOMPARE(onDisk(program, disk, QStringLiteral("Wlasciciel.DB")).recordCount(), 0);
}

void ParametryTest::ownerSaveOnlyOnOwnerTab()
{
    ProgramFixture program;
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    TParametry* p = forms().Parametry;
    QCOMPARE(jadl::test::child<QTabWidget>(p, "PageControl1")->currentWidget(),
             jadl::test::child<QWidget>(p, "TabSheet2"));
    owners()->append();
    owners()->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("X"));
    owners()->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Y"));
    jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
    QCOMPARE(owners()->state(), DataSetState::Insert);
    QVERIFY(program.messages().log().isEmpty());
    owners()->cancel();
    p->close();
}

void ParametryTest::activeBoxFollowsGridAndWritesAtOnce()
{
    ProgramFixture program;
    addOwners({{QStringLiteral("W1"), QStringLiteral("Pierwszy"), true},
               {QStringLiteral("W2"), QStringLiteral("Drugi"), false}});
    TParametry* p = openOwners();
    QVERIFY(jadl::test::child<QCheckBox>(p, "CheckBoxAktywny")->isChecked());

    // Choosing the second record in the grid makes the box follow it.
    jadl::test::child<jadl::DBGrid>(p, "DBGrid1")
        ->setCurrentIndex(jadl::test::child<jadl::DBGrid>(p, "DBGrid1")->model()->index(1, 1));
    Q_EMIT jadl::test::child<jadl::DBGrid>(p, "DBGrid1")->cellClicked(1);
    QCOMPARE(owners()->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("W2"));
    QVERIFY(!jadl::test::child<QCheckBox>(p, "CheckBoxAktywny")->isChecked());
    QCOMPARE(owners()->state(), DataSetState::Browse);

    // A click by the user writes the record at once, without the save button.
    jadl::test::child<QCheckBox>(p, "CheckBoxAktywny")->click();
    QCOMPARE(owners()->state(), DataSetState::Browse);
    Table disk;
    onDisk(program, disk, QStringLiteral("Wlasciciel.DB"));
    disk.last();
    QCOMPARE(disk.fieldByName(QStringLiteral("Aktywny")).asBoolean(), true);
    QCOMPARE(disk.fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("TAK"));
    jadl::test::child<QCheckBox>(p, "CheckBoxAktywny")->click();
    disk.refresh();
    disk.last();
    QCOMPARE(disk.fieldByName(QStringLiteral("Aktywny")).asBoolean(), false);
    QCOMPARE(disk.fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("NIE"));
    QVERIFY(program.messages().log().isEmpty());
    p->close();
}

void ParametryTest::commandSetsActiveBox_data()
{
    QTest::addColumn<bool>("active");
    QTest::newRow("active owner") << true;
    QTest::newRow("inactive owner") << false;
}

void ParametryTest::commandSetsActiveBox()
{
    QFETCH(bool, active);
    ProgramFixture program;
    addOwners({{QStringLiteral("W1"), QStringLiteral("Pierwszy"), active}});
    // Left the other way by an earlier record (set while the table is closed, so
    // that the box's own handler does not write it into this record).
    owners()->close();
    jadl::test::child<QCheckBox>(forms().Parametry, "CheckBoxAktywny")->setChecked(!active);
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    QVERIFY(owners()->active());
    QVERIFY(settings()->active());
    QCOMPARE(jadl::test::child<QCheckBox>(forms().Parametry, "CheckBoxAktywny")->isChecked(), active);
    QVERIFY(forms().Parametry->isVisible());
    QVERIFY(!forms().Parametry->isModal());
    // Matching the box to the record wrote the record's own values back.
    QCOMPARE(owners()->fieldByName(QStringLiteral("Aktywny")).asBoolean(), active);
    QCOMPARE(owners()->fieldByName(QStringLiteral("AktywnyString")).asString(),
             active ? QStringLiteral("TAK") : QStringLiteral("NIE"));
    forms().Parametry->close();
}

void ParametryTest::symbolCopiedToName()
{
    ProgramFixture program;
    TParametry* p = openOwners();
    jadl::test::child<jadl::DBNavigator>(p, "DBNavigator1")->clickButton(jadl::DBNavigator::Insert);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(p, "DBEditSymbol"), QStringLiteral("GASTRO"));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(jadl::test::child<jadl::DBEdit>(p, "DBEditSymbol"), &out);
    QCOMPARE(owners()->fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("GASTRO"));
    QCOMPARE(jadl::test::child<jadl::DBEdit>(p, "DBEditNazwa")->text(), QStringLiteral("GASTRO"));
    jadl::test::child<QPushButton>(p, "BitBtnZapisz")->click();
    QVERIFY(program.messages().log().isEmpty());
    QCOMPARE(owners()->fieldByName(QStringLiteral("NrKolejny")).asInteger(), 1);
    p->close();
}

void ParametryTest::parametersSaveIsDurable()
{
    ProgramFixture program;
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    TParametry* p = forms().Parametry;
    jadl::test::child<jadl::DBCheckBox>(p, "DBCheckBoxCzyscStawkiVat")->click();
    QCOMPARE(settings()->state(), DataSetState::Edit);
    // On the owner tab this button is not the one that saves.
    jadl::test::child<QTabWidget>(p, "PageControl1")->setCurrentWidget(jadl::test::child<QWidget>(p, "TabSheet1"));
    jadl::test::child<QPushButton>(p, "Zapisz")->click();
    QCOMPARE(settings()->state(), DataSetState::Edit);
    jadl::test::child<QTabWidget>(p, "PageControl1")->setCurrentWidget(jadl::test::child<QWidget>(p, "TabSheet2"));
    jadl::test::child<QPushButton>(p, "Zapisz")->click();
    QCOMPARE(settings()->state(), DataSetState::Browse);
    Table disk;
    onDisk(program, disk, QStringLiteral("Parametry.db"));
    QCOMPARE(disk.fieldByName(QStringLiteral("CzyscStawkiVat")).asBoolean(), true);
    QCOMPARE(disk.fieldByName(QStringLiteral("CzyscJednostkiMiar")).asBoolean(), false);
    // Saving an unchanged record does nothing.
    jadl::test::child<QPushButton>(p, "Zapisz")->click();
    QVERIFY(program.messages().log().isEmpty());
    p->close();
}

void ParametryTest::exitClosesBothTables()
{
    ProgramFixture program;
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    TParametry* p = forms().Parametry;
    p->close(); // the title bar keeps the tables open
    QVERIFY(owners()->active());
    QVERIFY(settings()->active());
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    jadl::test::child<QPushButton>(p, "Zamknij")->click();
    QVERIFY(!p->isVisible());
    QVERIFY(!owners()->active());
    QVERIFY(!settings()->active());
    // Opening again reopens them.
    jadl::test::child<QAction>(forms().Meni, "Parametry1")->trigger();
    QVERIFY(owners()->active());
    QVERIFY(settings()->active());
    QVERIFY(program.messages().log().isEmpty());
    p->close();
}

QTEST_MAIN(ParametryTest)
#include "tst_parametry.moc"
