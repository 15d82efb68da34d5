// The backup and restore windows of a workstation whose data is on the server:
// the archive is the usual folder of table files, read by the file engine, and
// restoring it brings the server's tables back, the windows going on without a
// restart.
#include "archive/DriveWidgets.h"
#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "shell/Forms.h"
#include "store/DataStore.h"
#include "store/Modul_Danych1.h"
#include "store/TableDefs.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using jadl::forms;
using jadl::test::ProgramFixture;

namespace {

void add(jadl::Table* t, const QString& field, const QString& text)
{
    t->open();
    t->append();
    t->fieldByName(field).setString(text);
    t->post();
}

QStringList values(jadl::Table& t, const QString& field)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName(field).asString();
    return out;
}

} // namespace

class TstPgArchive : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void backupAndRestoreThroughTheWindows();
};

void TstPgArchive::backupAndRestoreThroughTheWindows()
{
    QVERIFY(jadl::test::onServer());
    ProgramFixture program;
    QVERIFY(program.started());
    // The parameters window says the data is on the server, and whose workstation this is.
    forms().Parametry->show();
    QCOMPARE(jadl::test::child<QLabel>(forms().Parametry, "LabelMagazynDanych")->text(),
             QStringLiteral("Dane: serwer PostgreSQL %1 (stanowisko %2)")
                 .arg(jadl::serverDisplayName(jadl::configuredServer().value()), jadl::workstationName()));
    forms().Parametry->hide();
    jadl::Table* units = forms().JednostkiMiarJadlon->TableJednostkiMiar;
    jadl::Table* suppliers = forms().ModulDanych1->TableDostawcy;
    add(units, QStringLiteral("Jednostka"), QStringLiteral("kg"));
    add(suppliers, QStringLiteral("Nazwa"), QStringLiteral("Hurtownia Smak"));

    QTest::mouseClick(jadl::test::child<QPushButton>(forms().KopiowanieDanych, "Kopiuj"), Qt::LeftButton);
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("KOPIA DANYCH PROGRAMU WYKONANA PRAWIDŁOWO")});
    program.messages().clear();
    // The archive holds the table files of the prepared server (the nine and the
    // invoice tables), which the file engine reads.
    const QString archive = program.root() + QStringLiteral("/Jadl/Archiwum/06_12_2026");
    QCOMPARE(QDir(archive).entryList(QDir::Files).size(),
             jadl::tabledefs::all().size() + jadl::tabledefs::invoiceTables().size());
    QVERIFY(!QDir(program.root() + QStringLiteral("/Jadl/Kopia_serwera")).exists());
    {
        jadl::Table copy;
        copy.setDatabaseName(archive);
        copy.setTableName(QStringLiteral("Dostawcy.db"));
        copy.open();
        QCOMPARE(values(copy, QStringLiteral("Nazwa")), QStringList{QStringLiteral("Hurtownia Smak")});
    }

    // Work goes on after the backup, then the archive is restored.
    add(units, QStringLiteral("Jednostka"), QStringLiteral("szt"));
    add(suppliers, QStringLiteral("Nazwa"), QStringLiteral("Hurtownia po kopii"));
    TOdtwarzanieDanych* w = forms().OdtwarzanieDanych;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")
        ->setDirectory(QStringLiteral("c:\\Jadl\\Archiwum\\06_12_2026"));
    jadl::test::child<jadl::archive::FileListBox>(w, "PlikiArchiwum")
        ->setDirectory(jadl::test::child<jadl::archive::DirectoryListBox>(w, "KatalogDlaArchiwum")->directory());
    QTest::mouseClick(jadl::test::child<QPushButton>(w, "Odtworz"), Qt::LeftButton);
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("ODTWARZANIE DANYCH ZAKOŃCZONE SUKCESEM ")});
    QVERIFY(!QDir(program.root() + QStringLiteral("/Jadl/Odtwarzanie_serwera")).exists());
    w->hide();

    QVERIFY(units->active());
    QCOMPARE(values(*units, QStringLiteral("Jednostka")), QStringList{QStringLiteral("kg")});
    suppliers->open();
    QCOMPARE(values(*suppliers, QStringLiteral("Nazwa")), QStringList{QStringLiteral("Hurtownia Smak")});
    QCOMPARE(jadl::test::serverRows(QStringLiteral("SELECT count(*) FROM Dostawcy")).value(0).value(0),
             QStringLiteral("1"));
}

QTEST_MAIN(TstPgArchive)
#include "tst_pgarchive.moc"
