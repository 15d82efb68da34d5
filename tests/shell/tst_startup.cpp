// Start-up, the main window and its commands, driven as a user would.
#include "masterdata/RestauracjeJadl.h"
#include "platform/Messages.h"
#include "purchases/TowaryJadl.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "shell/StartUp.h"
#include "store/DataStore.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
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
    void reportFormsAreBoundByStartUp();
    void dataDirectoryLackingATable_data();
    void dataDirectoryLackingATable();
    void damagedTableFileIsNamed();
    void secondCopyOnTheSameDataDirectory();
};

namespace {

// The nine tables of an installed data directory, made before the program starts.
void installTables(const QString& root)
{
    const QString dir = root + QStringLiteral("/Jadl/Dane_bar");
    QVERIFY(QDir().mkpath(dir));
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        jadl::Table t;
        t.setDatabaseName(dir);
        t.setTableName(def->fileName);
        t.createTable();
    }
}

// The program's tables on the server, in name order.
QStringList serverTables()
{
    QStringList made;
    for (const QStringList& row :
         jadl::test::serverRows(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                               "table_schema = 'public' AND table_name NOT LIKE 'jadl%'")))
        made << row.value(0);
    made.sort(Qt::CaseInsensitive);
    return made;
}

// The tables a prepared server holds.
QStringList preparedTables()
{
    QStringList names;
    for (const jadl::TableDef* def :
         jadl::tabledefs::all() + jadl::tabledefs::invoiceTables() + QList{&jadl::tabledefs::copyTable()})
        names << def->fileName.section(QLatin1Char('.'), 0, 0);
    names.sort(Qt::CaseInsensitive);
    return names;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

jadl::platform::ScriptedMessages& scripted()
{
    return static_cast<jadl::platform::ScriptedMessages&>(jadl::platform::messages());
}

} // namespace

void StartUpTest::freshDriveCreatesTheDataDirectory()
{
    ProgramFixture program;
    const QDir data(program.root() + QStringLiteral("/Jadl/Dane_bar"));
    QVERIFY(data.exists());
    QStringList files = data.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList expected{
        QStringLiteral("Dostawcy.db"),         QStringLiteral("GrupyTowarow.DB"), QStringLiteral("JednostkiMiar.DB"),
        QStringLiteral("Parametry.db"),        QStringLiteral("StawkiVat.db"),    QStringLiteral("Towary.DB"),
        QStringLiteral("TowaryPodstawowe.db"), QStringLiteral("TowaryPom.DB"),    QStringLiteral("Wlasciciel.DB")};
    if (jadl::test::onServer()) {
        // The tables are the prepared server's, the data directory stays empty.
        QCOMPARE(files, QStringList{});
        QCOMPARE(serverTables(), preparedTables());
    } else {
        QCOMPARE(files, expected);
    }

    jadl::Table* par = forms().ModulDanych1->TableParametry;
    QVERIFY(!par->active()); // the check closes it again
    par->open();
    QCOMPARE(par->recordCount(), 1);
    QVERIFY(!par->fieldByName(QStringLiteral("Par1")).isNull());
    QCOMPARE(par->fieldByName(QStringLiteral("Par1")).asBoolean(), false);
    par->close();
    QVERIFY(jadl::test::child<QPushButton>(forms().Towary, "TworzTablice")->isEnabled());
}

void StartUpTest::copyTablePresentSetsPar1()
{
    ProgramFixture program(QDate(2026, 12, 6), [](const QString& root) {
        QVERIFY(QDir(root).mkpath(QStringLiteral("Jadl/dane_bar")));
        QFile f(root + QStringLiteral("/Jadl/dane_bar/TowaryRaport.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    });
    // The existing folder is reused whatever the case of its name.
    QVERIFY(!QDir(program.root() + QStringLiteral("/Jadl/Dane_bar")).exists() ||
            QDir(program.root() + QStringLiteral("/Jadl")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() == 1);
    jadl::Table* par = forms().ModulDanych1->TableParametry;
    par->open();
    QCOMPARE(par->fieldByName(QStringLiteral("Par1")).asBoolean(), true);
    par->close();
    QVERIFY(!jadl::test::child<QPushButton>(forms().Towary, "TworzTablice")->isEnabled());
    QCOMPARE(forms().Towary->TableTowaryRaport->databaseName(), QStringLiteral("c:\\jadl\\dane_bar"));
    QCOMPARE(forms().Towary->TableTowaryRaport->tableName(), QStringLiteral("TowaryRaport"));
}

void StartUpTest::everyWindowExistsByName()
{
    ProgramFixture program;
    const QStringList windows{QStringLiteral("Meni"),
                              QStringLiteral("Towary"),
                              QStringLiteral("Dostawcy"),
                              QStringLiteral("PrzypisywanieTowarow"),
                              QStringLiteral("TowaryPodstawowe"),
                              QStringLiteral("GrupyTowarow"),
                              QStringLiteral("KopiowanieDanych"),
                              QStringLiteral("OdtwarzanieDanych"),
                              QStringLiteral("Parametry"),
                              QStringLiteral("Restauracje"),
                              QStringLiteral("JednostkiMiarJadlon"),
                              QStringLiteral("StawkiVatJadlon"),
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
                               QStringLiteral("Tow. Dost."),   QStringLiteral("Kopia"),     QStringLiteral("&WYJŚCIE")};
    QStringList shown;
    const QList<QToolButton*> buttons = jadl::test::child<QWidget>(meni, "Panel1")->findChildren<QToolButton*>();
    for (QToolButton* b : buttons) {
        shown << b->text();
        // One glyph size, drawn at that size (not a smaller picture in a larger
        // frame) and at twice that for a 200 % display; one caption font.
        QCOMPARE(b->iconSize(), buttons.first()->iconSize());
        for (const int scale : {1, 2}) {
            const QSize want = b->iconSize() * scale;
            QCOMPARE(b->icon().actualSize(want), want);
            QCOMPARE(b->icon().pixmap(want).size(), want);
        }
        QCOMPARE(b->font(), buttons.first()->font());
    }
    QCOMPARE(shown, captions);
    QCOMPARE(jadl::test::child<QToolButton>(meni, "SpeedButtonDostawcy")->toolTip(),
             QStringLiteral("Wprowadzanie, edycja i modyfikacja dostawców"));
    QCOMPARE(jadl::test::child<QToolButton>(meni, "SpeedButtonDostawcy")->accessibleName(), QStringLiteral("Dostawcy"));
    QStringList menus;
    for (QAction* a : meni->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{QStringLiteral("&System"), QStringLiteral("&Raporty"), QStringLiteral("Wprowadź")}));
    QStringList reports;
    for (QAction* a : jadl::test::child<QMenu>(meni, "Raporty1")->actions())
        reports << a->text();
    QCOMPARE(reports, QStringList{QStringLiteral("&Wykresy zakupów...")});
}

void StartUpTest::commandOpensItsWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("modal");
    QTest::newRow("Tow. Podst.") << "SpeedButtonTowary"
                                 << "TowaryPodstawowe" << false;
    QTest::newRow("Dostawcy") << "SpeedButtonDostawcy"
                              << "Dostawcy" << true;
    QTest::newRow("POWIĄŻ") << "SpeedButtonPowiazania"
                            << "PrzypisywanieTowarow" << true;
    QTest::newRow("Tow. Dost.") << "SpeedButtonTowaryDostawcy"
                                << "Towary" << true;
    QTest::newRow("Kopia") << "SpeedButtonKopia"
                           << "KopiowanieDanych" << true;
    QTest::newRow("Kopia danych") << "Kopiadanych1"
                                  << "KopiowanieDanych" << true;
    QTest::newRow("Odtwarzanie") << "Odtwarzaniedanychzarchiwum1"
                                 << "OdtwarzanieDanych" << true;
    QTest::newRow("Parametry") << "Parametry1"
                               << "Parametry" << false;
    QTest::newRow("Usuwanie") << "Usuwanietowarwzlatpoprzednich"
                              << "UsuwaniePrzypisanychTowarow" << true;
    QTest::newRow("Grupy towarów") << "Grupytowarw1"
                                   << "GrupyTowarow" << true;
    QTest::newRow("Jednostki miar") << "Jednostkimiar1"
                                    << "JednostkiMiarJadlon" << false;
    QTest::newRow("Stawki VAT") << "StawkiVAT1"
                                << "StawkiVatJadlon" << false;
    QTest::newRow("Wykresy zakupów") << "WykresyZakupow1"
                                     << "WykresyZakupow" << true;
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
    jadl::test::child<QToolButton>(forms().Meni, "SpeedButtonZamknij")->click();
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
    QCOMPARE(program.messages().texts(),
             QStringList{QStringLiteral("Formatki należy zamykać przyciskiem \"Wyjście\"")});
    r->MoznaZamknac = true;
    r->close();
    QVERIFY(!r->isVisible());
}

void StartUpTest::reportFormsAreBoundByStartUp()
{
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    dm->TableTowary->open();
    dm->TableTowary->setMasterSource(nullptr);
    for (int i = 0; i < 3; ++i) {
        dm->TableTowary->append();
        dm->TableTowary->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("T%1").arg(i));
        dm->TableTowary->post();
    }
    // Each form prints the data module's view without being bound by its caller.
    QCOMPARE(forms().ZakupioneTowaryDruk->layoutPages().textsOf(QStringLiteral("QRSysData3")).size(), 3);
    QCOMPARE(forms().ZakupioneTowaryDruk1->layoutPages().textsOf(QStringLiteral("QRDBTextSkroconaNazwaTowaru")).size(),
             3);
}

void StartUpTest::dataDirectoryLackingATable_data()
{
    QTest::addColumn<bool>("create");
    QTest::newRow("no, the default: the program ends") << false;
    QTest::newRow("yes: an empty one is made") << true;
}

void StartUpTest::dataDirectoryLackingATable()
{
    QFETCH(bool, create);
    if (jadl::test::onServer()) {
        // A workstation never makes the server's tables: it names the server and ends.
        if (create)
            QSKIP("a workstation asks no question on a server");
        ProgramFixture program(QDate(2026, 12, 6), [](const QString&) {
            jadl::test::serverRows(QStringLiteral("DROP TABLE \"Towary\" CASCADE"));
        });
        const auto& log = program.messages().log();
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().text.contains(QStringLiteral("Towary")) &&
                     log.first().text.contains(jadl::serverDisplayName(jadl::configuredServer().value())) &&
                     log.first().text.contains(QStringLiteral("--przygotuj-serwer")),
                 qPrintable(log.first().text));
        QVERIFY(!program.started());
        return;
    }
    QByteArray suppliers;
    ProgramFixture program(QDate(2026, 12, 6), [&](const QString& root) {
        installTables(root);
        QVERIFY(QFile::remove(root + QStringLiteral("/Jadl/Dane_bar/Towary.DB")));
        suppliers = bytesOf(root + QStringLiteral("/Jadl/Dane_bar/Dostawcy.db"));
        scripted().answerNext(create);
    });
    const auto& log = program.messages().log();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.first().kind, jadl::platform::MessageKind::Question);
    QVERIFY(log.first().text.contains(QStringLiteral("Towary.DB")));
    QVERIFY(log.first().text.contains(QDir::toNativeSeparators(program.dataDir())));
    QCOMPARE(program.started(), create);
    QCOMPARE(QFileInfo::exists(program.dataDir() + QStringLiteral("/Towary.DB")), create);
    QCOMPARE(bytesOf(program.dataDir() + QStringLiteral("/Dostawcy.db")), suppliers);
    QCOMPARE(forms().Meni != nullptr, create);
}

void StartUpTest::damagedTableFileIsNamed()
{
    if (jadl::test::onServer())
        QSKIP("a damaged table file exists only in a data directory");
    const QByteArray garbage(20000, 'g');
    ProgramFixture program(QDate(2026, 12, 6), [&](const QString& root) {
        installTables(root);
        QFile f(root + QStringLiteral("/Jadl/Dane_bar/Towary.DB"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(garbage) == garbage.size());
    });
    QVERIFY(program.started()); // so that the data can be restored from an archive
    const QString path = QDir::toNativeSeparators(program.dataDir() + QStringLiteral("/Towary.DB"));
    const auto& log = program.messages().log();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.first().kind, jadl::platform::MessageKind::Error);
    QVERIFY2(log.first().text.contains(path) && log.first().text.contains(QStringLiteral("nie jest bazą danych")),
             qPrintable(log.first().text));
    QCOMPARE(bytesOf(program.dataDir() + QStringLiteral("/Towary.DB")), garbage);
}

void StartUpTest::secondCopyOnTheSameDataDirectory()
{
#ifndef Q_OS_UNIX
    QSKIP("needs SIGKILL");
#endif
    QProcess first;
    ProgramFixture program(QDate(2026, 12, 6), [&](const QString& root) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("JADL_DRIVES"), QStringLiteral("C=") + root);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(JADL_PROGRAM), {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(root + QStringLiteral("/Jadl/Dane_bar/.jadlonia.lock")), 20000);
        // On a server the tables are there, not in the data directory.
        if (jadl::test::onServer())
            QCOMPARE(serverTables(), preparedTables());
        else
            for (const jadl::TableDef* def : jadl::tabledefs::all())
                QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(root + QStringLiteral("/Jadl/Dane_bar/") + def->fileName),
                                         20000);
    });
    QVERIFY(!program.started());
    QCOMPARE(program.messages().texts().size(), 1);
    QVERIFY(program.messages().texts().first().startsWith(
        QStringLiteral("PROGRAM JADLONIA JUŻ PRACUJE NA KATALOGU DANYCH ")));
    QVERIFY(program.messages().texts().first().contains(QDir::toNativeSeparators(program.dataDir())));
    QVERIFY(!forms().Meni);

    // A program that died leaves its lock behind; the next start takes it over.
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QVERIFY(QFileInfo::exists(program.dataDir() + QStringLiteral("/.jadlonia.lock")));
    const bool restarted = StartUp();
    QVERIFY2(restarted, qPrintable(program.messages().texts().join(u'|')));
    QVERIFY(forms().Meni);
}

QTEST_MAIN(StartUpTest)
#include "tst_startup.moc"
