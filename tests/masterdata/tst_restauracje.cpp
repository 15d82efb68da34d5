// The restaurants window: adding with numbering, saving, the exit rules and the
// refusal of every other way of closing.
#include "controls/DBCheckBox.h"
#include "controls/DBEdit.h"
#include "masterdata/RestauracjeJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QPushButton>
#include <QTest>

using jadl::forms;
using jadl::Table;
using jadl::test::ProgramFixture;

namespace {

const QString kRefusal = QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\"");
const QString kNoneActive = QStringLiteral("Jedna restauracja musi być aktywna - zaznacz");
const QString kManyActive = QStringLiteral("Zaznaczono więcej niż jedną restauracje jako aktywną - zostaw tylko jedną");

Table* owners()
{
    return forms().ModulDanych1->TableWlasciciel;
}

// Restaurants R1, R2, ... with the given active flags.
void addRestaurants(const QList<bool>& active)
{
    Table* t = owners();
    if (!t->active())
        t->open();
    int n = 0;
    for (bool on : active) {
        ++n;
        t->append();
        t->fieldByName(QStringLiteral("NrKolejny")).setInteger(n);
        t->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("R%1").arg(n));
        t->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Restauracja %1").arg(n));
        t->fieldByName(QStringLiteral("Aktywny")).setBoolean(on);
        t->post();
    }
    t->first();
}

// The window as the main window shows it, but without a modal loop.
TRestauracje* showRestaurants()
{
    TRestauracje* r = forms().Restauracje;
    r->MoznaZamknac = false;
    if (!owners()->active())
        owners()->open();
    r->show();
    return r;
}

void leave(QWidget* w)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(w, &out);
}

} // namespace

class RestauracjeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exitRules_data();
    void exitRules();
    void emergencyExitAlwaysCloses();
    void otherWaysOfClosingAreRefused();
    void openedFromMenuClearsTheFlag();
    void addNumbers_data();
    void addNumbers();
    void saveWritesActiveText_data();
    void saveWritesActiveText();
    void saveWithoutSymbolOrNameIsRefused_data();
    void saveWithoutSymbolOrNameIsRefused();
    void symbolCopiedToNameOnLeaving_data();
    void symbolCopiedToNameOnLeaving();
};

void RestauracjeTest::exitRules_data()
{
    QTest::addColumn<QList<bool>>("active");
    QTest::addColumn<QString>("message"); // empty: the window closes
    QTest::newRow("empty table") << QList<bool>{} << QString();
    QTest::newRow("one of one") << QList<bool>{true} << QString();
    QTest::newRow("one of three") << QList<bool>{false, true, false} << QString();
    QTest::newRow("none of two") << QList<bool>{false, false} << kNoneActive;
    QTest::newRow("two of two") << QList<bool>{true, true} << kManyActive;
    QTest::newRow("three of three") << QList<bool>{true, true, true} << kManyActive;
}

void RestauracjeTest::exitRules()
{
    QFETCH(QList<bool>, active);
    QFETCH(QString, message);
    if (jadl::test::onServer() && active.count(true) > 1)
        QSKIP("on a server each workstation has one active restaurant at most");
    ProgramFixture program;
    addRestaurants(active);
    TRestauracje* r = showRestaurants();
    jadl::test::child<QPushButton>(r, "Zamknij")->click();
    if (message.isEmpty()) {
        QVERIFY(program.messages().log().isEmpty());
        QVERIFY(!r->isVisible());
        QVERIFY(!owners()->active());
        QVERIFY(r->MoznaZamknac);
    } else {
        QCOMPARE(program.messages().texts(), QStringList{message});
        QVERIFY(r->isVisible());
        QVERIFY(!r->MoznaZamknac);
        // The count walked the table to its end.
        QVERIFY(owners()->active());
        QVERIFY(owners()->eof());
        QCOMPARE(owners()->recNo(), active.size());
        jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
        QVERIFY(!r->isVisible());
    }
}

void RestauracjeTest::emergencyExitAlwaysCloses()
{
    ProgramFixture program;
    addRestaurants({true, true});
    TRestauracje* r = showRestaurants();
    jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
    QVERIFY(!r->isVisible());
    QVERIFY(!owners()->active());
    QVERIFY(program.messages().log().isEmpty());
}

void RestauracjeTest::otherWaysOfClosingAreRefused()
{
    ProgramFixture program;
    addRestaurants({true});
    TRestauracje* r = showRestaurants();
    r->close(); // title bar, Alt+F4
    QVERIFY(r->isVisible());
    static_cast<QDialog*>(r)->reject(); // anything that dismisses the dialog
    QVERIFY(r->isVisible());
    QCOMPARE(program.messages().texts(), (QStringList{kRefusal, kRefusal}));
    // Escape presses "Anuluj", which does nothing: no message, still open.
    program.messages().clear();
    QTest::keyClick(r, Qt::Key_Escape);
    QVERIFY(r->isVisible());
    QVERIFY(program.messages().log().isEmpty());
    QVERIFY(owners()->active());
    jadl::test::child<QPushButton>(r, "Zamknij")->click();
    QVERIFY(!r->isVisible());
}

void RestauracjeTest::openedFromMenuClearsTheFlag()
{
    ProgramFixture program;
    TRestauracje* r = forms().Restauracje;
    r->MoznaZamknac = true; // left so by an earlier exit
    bool flagWhileShown = true;
    bool tableOpen = false;
    QStringList messagesWhileShown;
    jadl::test::whenModalShown([&](QWidget* w) {
        QCOMPARE(w, static_cast<QWidget*>(r));
        flagWhileShown = r->MoznaZamknac;
        tableOpen = owners()->active();
        r->close();
        messagesWhileShown = program.messages().texts();
        jadl::test::child<QPushButton>(r, "Zamknij")->click();
    });
    jadl::test::child<QAction>(forms().Meni, "Restauracje1")->trigger();
    QVERIFY(!flagWhileShown);
    QVERIFY(tableOpen);
    QCOMPARE(messagesWhileShown, QStringList{kRefusal});
    QVERIFY(!r->isVisible());
    QVERIFY(!owners()->active());
}

void RestauracjeTest::addNumbers_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("number");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("one") << 1 << 2;
    QTest::newRow("three") << 3 << 4;
}

void RestauracjeTest::addNumbers()
{
    QFETCH(int, existing);
    QFETCH(int, number);
    ProgramFixture program;
    QList<bool> flags(existing, false);
    if (existing)
        flags[0] = true;
    addRestaurants(flags);
    TRestauracje* r = showRestaurants();
    jadl::test::child<QPushButton>(r, "Dodaj")->click();
    QCOMPARE(owners()->state(), jadl::DataSetState::Insert);
    QCOMPARE(owners()->fieldByName(QStringLiteral("NrKolejny")).asInteger(), number);
    QCOMPARE(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol")->hasFocus() ||
                 r->focusWidget() == jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"),
             true);
    jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
}

void RestauracjeTest::saveWritesActiveText_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("text");
    QTest::newRow("active") << true << "TAK";
    QTest::newRow("not active") << false << "NIE";
}

void RestauracjeTest::saveWritesActiveText()
{
    QFETCH(bool, active);
    QFETCH(QString, text);
    ProgramFixture program;
    TRestauracje* r = showRestaurants();
    jadl::test::child<QPushButton>(r, "Dodaj")->click();
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"), QStringLiteral("BAR1"));
    jadl::test::child<QCheckBox>(r, "CheckBoxPrzepiszSymbolDoNazwy")->setChecked(false);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(r, "DBEditNazwa"), QStringLiteral("Bar pod Lipami"));
    if (active)
        jadl::test::child<jadl::DBCheckBox>(r, "DBCheckBoxAktywna")->click();
    jadl::test::child<QPushButton>(r, "Zapisz")->click();
    QVERIFY(program.messages().log().isEmpty());
    QCOMPARE(owners()->state(), jadl::DataSetState::Browse);

    // On disk, as a second connection reads it.
    Table disk;
    disk.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
    disk.setTableName(QStringLiteral("Wlasciciel.DB"));
    disk.open();
    QCOMPARE(disk.recordCount(), 1);
    QCOMPARE(disk.fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("BAR1"));
    QCOMPARE(disk.fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("Bar pod Lipami"));
    QCOMPARE(disk.fieldByName(QStringLiteral("NrKolejny")).asInteger(), 1);
    QCOMPARE(disk.fieldByName(QStringLiteral("Aktywny")).asBoolean(), active);
    QCOMPARE(disk.fieldByName(QStringLiteral("AktywnyString")).asString(), text);

    // Saving a browsed record does nothing.
    jadl::test::child<QPushButton>(r, "Zapisz")->click();
    QVERIFY(program.messages().log().isEmpty());
    jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
}

void RestauracjeTest::saveWithoutSymbolOrNameIsRefused_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QString>("name");
    QTest::newRow("no symbol") << ""
                               << "Bar";
    QTest::newRow("no name") << "BAR"
                             << "";
    QTest::newRow("neither") << ""
                             << "";
}

void RestauracjeTest::saveWithoutSymbolOrNameIsRefused()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    ProgramFixture program;
    TRestauracje* r = showRestaurants();
    jadl::test::child<QCheckBox>(r, "CheckBoxPrzepiszSymbolDoNazwy")->setChecked(false);
    jadl::test::child<QPushButton>(r, "Dodaj")->click();
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"), symbol);
    QTest::keyClicks(jadl::test::child<jadl::DBEdit>(r, "DBEditNazwa"), name);
    jadl::test::child<QPushButton>(r, "Zapisz")->click();
    QCOMPARE(program.messages().texts(),
             QStringList{QStringLiteral("Symbol i Nazwa restauracji musza być wypełnione")});
    // The record stays being inserted; nothing reached the file.
    QCOMPARE(owners()->state(), jadl::DataSetState::Insert);
    QCOMPARE(owners()->recordCount(), 0);
    jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
    owners()->open();
    QCOMPARE(owners()->recordCount(), 0);
}

void RestauracjeTest::symbolCopiedToNameOnLeaving_data()
{
    QTest::addColumn<bool>("copyChecked");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<bool>("windowDeactivated");
    QTest::newRow("checked, editing") << true << true << "NOWY" << false;
    QTest::newRow("unchecked, editing") << false << true << "Restauracja 1" << false;
    QTest::newRow("checked, browsing") << true << false << "Restauracja 1" << false;
    // Clicking another window is not leaving the edit.
    QTest::newRow("checked, editing, window deactivated") << true << true << "Restauracja 1" << true;
}

void RestauracjeTest::symbolCopiedToNameOnLeaving()
{
    QFETCH(bool, copyChecked);
    QFETCH(bool, editing);
    QFETCH(QString, expectedName);
    QFETCH(bool, windowDeactivated);
    ProgramFixture program;
    addRestaurants({true});
    TRestauracje* r = showRestaurants();
    jadl::test::child<QCheckBox>(r, "CheckBoxPrzepiszSymbolDoNazwy")->setChecked(copyChecked);
    if (editing) {
        jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol")->selectAll();
        QTest::keyClicks(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"), QStringLiteral("NOWY"));
        QCOMPARE(owners()->state(), jadl::DataSetState::Edit);
    }
    if (windowDeactivated) {
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"), &away);
    } else {
        leave(jadl::test::child<jadl::DBEdit>(r, "DBEditSymbol"));
    }
    QCOMPARE(owners()->fieldByName(QStringLiteral("Nazwa")).asString(), expectedName);
    QCOMPARE(jadl::test::child<jadl::DBEdit>(r, "DBEditNazwa")->text(), expectedName);
    jadl::test::child<QPushButton>(r, "ZamkAwaryjnie")->click();
}

QTEST_MAIN(RestauracjeTest)
#include "tst_restauracje.moc"
