// Start-up, the main window and its commands, driven as a user would.
#include "support/gui/ProgramFixture.h"

#include "masterdata/RestauracjeJadl.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using jadl::forms;
using jadl::test::ProgramFixture;

class StartUpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freshDriveCreatesTheDataDirectory();
    void copyTablePresentSetsPar1();
    void everyWindowExistsByName();
    void mainWindowLooksAsDesigned();
    void commandOpensItsWindow_data();
    void commandOpensItsWindow();
    void exitClosesEveryTable();
    void restaurantsRefuseTitleBarClose();
};

void StartUpTest::freshDriveCreatesTheDataDirectory()
{
    ProgramFixture program;
    const QDir data(program.root() + QStringLiteral("/Jadl/Dane_bar"));
    QVERIFY(data.exists());
    QStringList files = data.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList expected{QStringLiteral("Dostawcy.db"), QStringLiteral("GrupyTowarow.DB"),
                         QStringLiteral("JednostkiMiar.DB"), QStringLiteral("Parametry.db"),
                         QStringLiteral("StawkiVat.db"), QStringLiteral("Towary.DB"),
                         QStringLiteral("TowaryPodstawowe.db"), QStringLiteral("TowaryPom.DB"),
                         QStringLiteral("Wlasciciel.DB")};
    QCOMPARE(files, expected);

    jadl::Table* par = forms().ModulDanych1->TableParametry;
    QVERIFY(!par->active()); // the check closes it again
    par->open();
    QCOMPARE(par->recordCount(), 1);
    QVERIFY(!par->fieldByName(QStringLiteral("Par1")).isNull());
    QCOMPARE(par->fieldByName(QStringLiteral("Par1")).asBoolean(), false);
    par->close();
    QVERIFY(forms().Towary->TworzTablice->isEnabled());
}

void StartUpTest::copyTablePresentSetsPar1()
{
    ProgramFixture program(QDate(2026, 12, 6), [](const QString& root) {
        QVERIFY(QDir(root).mkpath(QStringLiteral("Jadl/dane_bar")));
        QFile f(root + QStringLiteral("/Jadl/dane_bar/TowaryRaport.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    });
    // The existing folder is reused whatever the case of its name.
    QVERIFY(!QDir(program.root() + QStringLiteral("/Jadl/Dane_bar")).exists()
            || QDir(program.root() + QStringLiteral("/Jadl")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() == 1);
    jadl::Table* par = forms().ModulDanych1->TableParametry;
    par->open();
    QCOMPARE(par->fieldByName(QStringLiteral("Par1")).asBoolean(), true);
    par->close();
    QVERIFY(!forms().Towary->TworzTablice->isEnabled());
    QCOMPARE(forms().Towary->TableTowaryRaport->databaseName(), QStringLiteral("c:\\jadl\\dane_bar"));
    QCOMPARE(forms().Towary->TableTowaryRaport->tableName(), QStringLiteral("TowaryRaport"));
}

void StartUpTest::everyWindowExistsByName()
{
    ProgramFixture program;
    const QStringList windows{QStringLiteral("Meni"), QStringLiteral("Towary"), QStringLiteral("Dostawcy"),
        QStringLiteral("PrzypisywanieTowarow"), QStringLiteral("TowaryPodstawowe"), QStringLiteral("GrupyTowarow"),
        QStringLiteral("KopiowanieDanych"), QStringLiteral("OdtwarzanieDanych"), QStringLiteral("Parametry"),
        QStringLiteral("Restauracje"), QStringLiteral("JednostkiMiarJadlon"), QStringLiteral("StawkiVatJadlon"),
        QStringLiteral("UsuwaniePrzypisanychTowarow")};
    for (const QString& name : windows) {
        bool found = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            found = found || w->objectName() == name;
        QVERIFY2(found, qPrintable(name));
    }
    QCOMPARE(forms().ModulDanych1->objectName(), QStringLiteral("ModulDanych1"));
    QVERIFY(forms().ModulDanych1->findChild<jadl::Table*>(QStringLiteral("TableTowary")));
    QVERIFY(forms().ModulDanych1->TableTowary->filtered());
    QCOMPARE(forms().ModulDanych1->TableTowary->indexName(), QStringLiteral("NrDostawcySymbolInd"));
    QCOMPARE(forms().ModulDanych1->TableTowary->masterFields(), QStringLiteral("Numer"));
    QCOMPARE(forms().ModulDanych1->TableTowaryPodstawowe->indexName(), QStringLiteral("NrGrupySymbolInd"));
}

void StartUpTest::mainWindowLooksAsDesigned()
{
    ProgramFixture program;
    TMeni* meni = forms().Meni;
    QVERIFY(meni->isVisible());
    QCOMPARE(meni->windowTitle(), QStringLiteral("PROGRAM JADLONIA wer. 2.52"));
    QCOMPARE(meni->pos(), QPoint(0, 0));
    const QStringList captions{QStringLiteral("&Tow. Podst."), QStringLiteral("&Dostawcy"), QStringLiteral("POWIĄŻ"),
                               QStringLiteral("Tow. Dost."), QStringLiteral("Kopia"), QStringLiteral("&WYJŚCIE")};
    QStringList shown;
    for (QToolButton* b : meni->Panel1->findChildren<QToolButton*>())
        shown << b->text();
    QCOMPARE(shown, captions);
    QCOMPARE(meni->SpeedButtonDostawcy->toolTip(), QStringLiteral("Wprowadzanie, edycja i modyfikacja dostawców"));
    QCOMPARE(meni->SpeedButtonDostawcy->accessibleName(), QStringLiteral("Dostawcy"));
    QStringList menus;
    for (QAction* a : meni->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{QStringLiteral("&System"), QStringLiteral("&Raporty"), QStringLiteral("Wprowadź")}));
    QVERIFY(meni->Raporty1->actions().isEmpty());
}

void StartUpTest::commandOpensItsWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("modal");
    QTest::newRow("Tow. Podst.") << "SpeedButtonTowary" << "TowaryPodstawowe" << false;
    QTest::newRow("Dostawcy") << "SpeedButtonDostawcy" << "Dostawcy" << true;
    QTest::newRow("POWIĄŻ") << "SpeedButtonPowiazania" << "PrzypisywanieTowarow" << true;
    QTest::newRow("Tow. Dost.") << "SpeedButtonTowaryDostawcy" << "Towary" << true;
    QTest::newRow("Kopia") << "SpeedButtonKopia" << "KopiowanieDanych" << true;
    QTest::newRow("Kopia danych") << "Kopiadanych1" << "KopiowanieDanych" << true;
    QTest::newRow("Odtwarzanie") << "Odtwarzaniedanychzarchiwum1" << "OdtwarzanieDanych" << true;
    QTest::newRow("Parametry") << "Parametry1" << "Parametry" << false;
    QTest::newRow("Usuwanie") << "Usuwanietowarwzlatpoprzednich" << "UsuwaniePrzypisanychTowarow" << true;
    QTest::newRow("Grupy towarów") << "Grupytowarw1" << "GrupyTowarow" << true;
    QTest::newRow("Jednostki miar") << "Jednostkimiar1" << "JednostkiMiarJadlon" << false;
    QTest::newRow("Stawki VAT") << "StawkiVAT1" << "StawkiVatJadlon" << false;
}

void StartUpTest::commandOpensItsWindow()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    QFETCH(bool, modal);
    ProgramFixture program;
    TMeni* meni = forms().Meni;
    QString seen;
    if (modal)
        jadl::test::whenModalShown([&seen](QWidget* w) { seen = w->objectName(); });
    if (auto* b = meni->findChild<QToolButton*>(command))
        b->click();
    else if (auto* a = meni->findChild<QAction*>(command))
        a->trigger();
    else
        QFAIL("command not found");
    if (modal) {
        QCOMPARE(seen, window);
    } else {
        QWidget* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == window)
                w = top;
        QVERIFY(w && w->isVisible());
        QVERIFY(!w->isModal());
        w->close();
    }
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));
}

void StartUpTest::exitClosesEveryTable()
{
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    dm->TableDostawcy->open();
    dm->TableTowary->open();
    forms().Meni->SpeedButtonZamknij->click();
    QVERIFY(!forms().Meni->isVisible());
    // Shutting down closes what is still open, without an error box.
    QVERIFY(program.messages().log().isEmpty());
}

void StartUpTest::restaurantsRefuseTitleBarClose()
{
    ProgramFixture program;
    TRestauracje* r = forms().Restauracje;
    r->MoznaZamknac = false;
    r->show();
    r->close();
    QVERIFY(r->isVisible());
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\"")});
    r->MoznaZamknac = true;
    r->close();
    QVERIFY(!r->isVisible());
}

QTEST_MAIN(StartUpTest)
#include "tst_startup.moc"
