// The tables on a PostgreSQL server as other programs and other workstations
// see them: structure and Polish order in the server's own SQL, the restaurant
// each workstation records for, exclusive open between sites, a connection the
// server cut, and the archive of table files in both directions.
#include "store/DataStore.h"
#include "store/Database.h"
#include "store/ServerArchive.h"
#include "store/Table.h"
#include "store/TableDefs.h"
#include "store/internal/TableStorage.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace jadl;

namespace {

std::unique_ptr<Table> open(const QString& fileName, const QString& database = QStringLiteral("jadlonia"))
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(database);
    t->setTableName(fileName);
    t->open();
    return t;
}

void setWorkstation(const QString& name)
{
    QDir().mkpath(QFileInfo(configFilePath()).absolutePath());
    QFile f(configFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArrayLiteral("# tests\nworkstation = ") + name.toUtf8() + '\n');
    f.close();
    // New connections take the workstation's name.
    pgstorage::disconnectAll();
}

// Every field of every record, in key order, as the engine reads it.
QStringList contents(Table& t)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next()) {
        QStringList row;
        for (int i = 0; i < t.fieldCount(); ++i)
            row << (t.field(i).isNull() ? QStringLiteral("-") : t.field(i).value().toString());
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

QStringList words(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* w : list)
        out << QString::fromUtf8(w);
    return out;
}

QList<QStringList> rows(std::initializer_list<std::initializer_list<const char*>> list)
{
    QList<QStringList> out;
    for (const auto& r : list)
        out << words(r);
    return out;
}

} // namespace

class TstPgTables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void tablesAsOtherProgramsSeeThem();
    void activeRestaurantIsEachWorkstations();
    void exclusiveOpenKeepsOtherSitesOut();
    void cutConnectionIsMadeAgain();
    void batchCutOffWritesNothing();
    void archiveRoundTrip_data();
    void archiveRoundTrip();
};

void TstPgTables::initTestCase()
{
    QVERIFY2(test::onServer(), "this suite runs on the test cluster only");
}

void TstPgTables::tablesAsOtherProgramsSeeThem()
{
    test::TempDataDir dir;
    for (const TableDef* def : tabledefs::all())
        open(def->fileName)->close();
    const auto relations = test::serverRows(QStringLiteral(
        "SELECT relname, relkind FROM pg_class WHERE relnamespace = 'public'::regnamespace AND relkind IN ('r', 'v') "
        "AND relname NOT LIKE 'jadl%' ORDER BY relname"));
    QStringList names;
    for (const QStringList& r : relations)
        names << r[0] + QLatin1Char(':') + r[1];
    // The restaurants are a view: their active flag is each workstation's own.
    // So are the suppliers: their stored sums are each restaurant's own.
    QCOMPARE(names,
             words({"Dostawcy:v", "FakturyKSeF:r", "GrupyTowarow:r", "JednostkiMiar:r", "MapowanieKSeF:r",
                    "Parametry:r", "PobraneKSeF:r", "PozycjeKSeF:r", "PunktKSeF:r", "StawkiVat:r", "Towary:r",
                    "TowaryPodstawowe:r", "TowaryPom:r", "TowaryRaport:r", "UstawieniaKSeF:r", "Wlasciciel:v"}));
    // Named indexes, per table; keys, types and Polish collation as declared.
    QCOMPARE(test::serverRows(QStringLiteral("SELECT indexname FROM pg_indexes WHERE tablename = 'jadl_dostawcy' AND "
                                             "indexname LIKE 'Dostawcy.%' ORDER BY 1")),
             rows({{"Dostawcy.NumerInd"}, {"Dostawcy.SymbolInd"}}));
    QCOMPARE(test::serverRows(QStringLiteral(
                 "SELECT column_name, data_type, coalesce(collation_name, ''), is_identity FROM "
                 "information_schema.columns WHERE table_name = 'Towary' AND column_name IN ('Numer', 'Symbol', "
                 "'WartoscNetto', 'DataZakupu', 'CzyBylaFaktura') ORDER BY ordinal_position")),
             rows({{"Numer", "bigint", "", "YES"},
                   {"Symbol", "character varying", "jadl_pl", "NO"},
                   {"DataZakupu", "date", "", "NO"},
                   {"WartoscNetto", "numeric", "", "NO"},
                   {"CzyBylaFaktura", "boolean", "", "NO"}}));

    // The server's own ORDER BY gives the order the program shows.
    auto suppliers = open(QStringLiteral("Dostawcy.db"));
    suppliers->setIndexName(QStringLiteral("SymbolInd"));
    for (const char* s : {"Żabka", "Zenon", "łosoś", "Lody", "ćma", "Cukier", "Ala", "ala"}) {
        suppliers->append();
        suppliers->fieldByName(QStringLiteral("Symbol")).setString(QString::fromUtf8(s));
        suppliers->post();
    }
    QStringList shown;
    for (suppliers->first(); !suppliers->eof(); suppliers->next())
        shown << suppliers->fieldByName(QStringLiteral("Symbol")).asString();
    QStringList server;
    for (const QStringList& r : test::serverRows(QStringLiteral("SELECT Symbol FROM Dostawcy ORDER BY Symbol")))
        server << r[0];
    QCOMPARE(shown, server);
    QCOMPARE(shown, words({"ala", "Ala", "Cukier", "ćma", "Lody", "łosoś", "Zenon", "Żabka"}));
}

void TstPgTables::activeRestaurantIsEachWorkstations()
{
    test::TempDataDir dir;
    setWorkstation(QStringLiteral("Kuchnia"));
    {
        auto owners = open(QStringLiteral("Wlasciciel.DB"));
        for (const char* symbol : {"Rynek", "Dworzec"}) {
            owners->append();
            owners->assignOrdinal(QStringLiteral("NrKolejny"));
            owners->fieldByName(QStringLiteral("Symbol")).setString(QString::fromLatin1(symbol));
            owners->fieldByName(QStringLiteral("Aktywny")).setBoolean(QByteArray(symbol) == "Rynek");
            owners->post();
        }
    }
    setWorkstation(QStringLiteral("Bar"));
    {
        // Another workstation has chosen nothing yet, then chooses the second one.
        auto owners = open(QStringLiteral("Wlasciciel.DB"));
        QCOMPARE(contents(*owners).filter(QStringLiteral("|true|")).size(), 0);
        QVERIFY(owners->locate(QStringLiteral("Symbol"), QStringLiteral("Dworzec")));
        owners->edit();
        owners->fieldByName(QStringLiteral("Aktywny")).setBoolean(true);
        owners->post();
        owners->refresh();
        QVERIFY(owners->locate(QStringLiteral("AktywnyString"), QStringLiteral("TAK")));
        QCOMPARE(owners->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("Dworzec"));
        QCOMPARE(owners->fieldByName(QStringLiteral("NrKolejny")).asInteger(), 2);
    }
    setWorkstation(QStringLiteral("Kuchnia"));
    auto owners = open(QStringLiteral("Wlasciciel.DB"));
    QVERIFY(owners->locate(QStringLiteral("AktywnyString"), QStringLiteral("TAK")));
    QCOMPARE(owners->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("Rynek"));
    QCOMPARE(test::serverRows(QStringLiteral("SELECT stanowisko, restauracja FROM jadl_stanowiska ORDER BY 1")),
             rows({{"Bar", "2"}, {"Kuchnia", "1"}}));
}

void TstPgTables::exclusiveOpenKeepsOtherSitesOut()
{
    test::TempDataDir dir;
    auto first = std::make_unique<Table>();
    first->setDatabaseName(QStringLiteral("jadlonia"));
    first->setTableName(QStringLiteral("Towary.DB"));
    first->setExclusive(true);
    first->open();
    Table second;
    second.setDatabaseName(QStringLiteral("jadlonia"));
    second.setTableName(QStringLiteral("Towary.DB"));
    second.setExclusive(true);
    try {
        second.open();
        QFAIL("a second exclusive open went through");
    } catch (const EngineError& e) {
        QVERIFY2(e.text().contains(QStringLiteral("na wyłączność przez inny program")), qPrintable(e.message()));
    }
    QVERIFY(!second.active());
    // Shared opens are not kept out, and the pack runs beside them.
    auto shared = open(QStringLiteral("Towary.DB"));
    first->pack();
    first.reset();
    second.open();
    QVERIFY(second.active());
}

void TstPgTables::cutConnectionIsMadeAgain()
{
    test::TempDataDir dir;
    auto t = open(QStringLiteral("GrupyTowarow.DB"));
    t->append();
    t->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Nabiał"));
    t->post();
    // The server ends every session of the program, as a restart or a network cut would.
    const auto ended = test::serverRows(
        QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                       "application_name = 'jadlonia' AND datname = current_database() AND pid <> pg_backend_pid()"));
    QVERIFY(!ended.isEmpty());
    // A read, and then a post, go through on new connections without a word.
    t->refresh();
    QCOMPARE(t->recordCount(), 1);
    t->append();
    t->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Mięso"));
    t->post();
    QCOMPARE(test::serverRows(QStringLiteral("SELECT count(*) FROM GrupyTowarow")).value(0).value(0),
             QStringLiteral("2"));
}

void TstPgTables::batchCutOffWritesNothing()
{
    test::TempDataDir dir;
    auto t = open(QStringLiteral("GrupyTowarow.DB"));
    {
        Table::Batch batch(*t);
        t->append();
        t->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Nabiał"));
        t->post();
        // The server ends the session in the middle of the batch.
        test::serverRows(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                        "application_name = 'jadlonia' AND datname = current_database() AND pid <> "
                                        "pg_backend_pid()"));
        t->append();
        t->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Mięso"));
        try {
            t->post();
            QFAIL("a post went through on a cut connection");
        } catch (const ConnectionLost& e) {
            QVERIFY2(e.text().contains(QStringLiteral("Cała operacja została wycofana")), qPrintable(e.message()));
        }
        // The commit is not sent on a new session, where it would stand for nothing and "succeed".
        QVERIFY_THROWS_EXCEPTION(ConnectionLost, batch.commit());
    }
    QCOMPARE(test::serverRows(QStringLiteral("SELECT count(*) FROM GrupyTowarow")).value(0).value(0),
             QStringLiteral("0"));
    // The table goes on: the next post is a transaction of its own on a new session.
    t->refresh();
    t->append();
    t->fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Ryby"));
    t->post();
    QCOMPARE(test::serverRows(QStringLiteral("SELECT Grupa FROM GrupyTowarow")), rows({{"Ryby"}}));
}

void TstPgTables::archiveRoundTrip_data()
{
    QTest::addColumn<bool>("fromServer");
    QTest::newRow("server to files to server") << true;
    QTest::newRow("data directory files to server") << false;
}

void TstPgTables::archiveRoundTrip()
{
    QFETCH(bool, fromServer);
    test::TempDataDir dir;
    QTemporaryDir folder;
    const QString files = fromServer ? folder.path() : dir.dataDir();
    const QString writeTo = fromServer ? QStringLiteral("jadlonia") : files;
    QStringList lines, suppliers, owners;
    {
        auto t = open(QStringLiteral("Towary.DB"), writeTo);
        const QList<std::tuple<const char*, double, QDate, bool>> data{
            {"Śledź", 0.1 + 0.2, QDate(2026, 1, 31), true},
            {"masło\tekstra\\", 1e-7, QDate(2025, 12, 1), false},
            {"Ćma", -12.345, QDate(), true}};
        for (const auto& [symbol, value, day, invoice] : data) {
            t->append();
            t->fieldByName(QStringLiteral("Symbol")).setString(QString::fromUtf8(symbol));
            t->fieldByName(QStringLiteral("WartoscNetto")).setFloat(value);
            if (day.isValid())
                t->fieldByName(QStringLiteral("DataZakupu")).setDate(day);
            t->fieldByName(QStringLiteral("CzyBylaFaktura")).setBoolean(invoice);
            t->post();
        }
        t->first();
        t->deleteRecord(); // keys with a gap
        lines = contents(*t);
        auto s = open(QStringLiteral("Dostawcy.db"), writeTo);
        s->append();
        s->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("Hurt Łódź"));
        s->post();
        suppliers = contents(*s);
        // The restaurants, the second one this workstation's active one.
        auto o = open(QStringLiteral("Wlasciciel.DB"), writeTo);
        for (const char* symbol : {"Rynek", "Dworzec"}) {
            o->append();
            o->fieldByName(QStringLiteral("Symbol")).setString(QString::fromLatin1(symbol));
            const bool active = QByteArray(symbol) == "Dworzec";
            o->fieldByName(QStringLiteral("Aktywny")).setBoolean(active);
            o->fieldByName(QStringLiteral("AktywnyString"))
                .setString(active ? QStringLiteral("TAK") : QStringLiteral("NIE"));
            o->post();
        }
        owners = contents(*o);
    }
    if (fromServer) {
        const QStringList written = serverarchive::exportTables(configuredServer().value(), files);
        QVERIFY(written.contains(QStringLiteral("Towary.DB")));
        // The files are table files as a data directory holds them.
        QCOMPARE(contents(*open(QStringLiteral("Towary.DB"), files)), lines);
        test::freshServerDatabase();
    }
    serverarchive::importTables(
        configuredServer().value(), files,
        {QStringLiteral("Towary.DB"), QStringLiteral("Dostawcy.db"), QStringLiteral("Wlasciciel.DB")});
    QCOMPARE(contents(*open(QStringLiteral("Towary.DB"))), lines);
    QCOMPARE(contents(*open(QStringLiteral("Dostawcy.db"))), suppliers);
    QCOMPARE(contents(*open(QStringLiteral("Wlasciciel.DB"))), owners);
    // New records are numbered after the restored ones.
    auto t = open(QStringLiteral("Towary.DB"));
    t->append();
    t->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("nowy"));
    t->post();
    QCOMPARE(t->fieldByName(QStringLiteral("Numer")).asInteger(), 4);

    // A restore that fails on a later file leaves every table, and its numbering, as it was.
    const QStringList before = contents(*t);
    QFile broken(QDir(files).filePath(QStringLiteral("StawkiVat.db")));
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("not a table");
    broken.close();
    QVERIFY_THROWS_EXCEPTION(
        EngineError,
        serverarchive::importTables(configuredServer().value(), files,
                                    {QStringLiteral("Towary.DB"), QStringLiteral("StawkiVat.db")}));
    t->refresh();
    QCOMPARE(contents(*t), before);
    t->append();
    t->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("jeszcze"));
    t->post();
    QCOMPARE(t->fieldByName(QStringLiteral("Numer")).asInteger(), 5);
}

QTEST_GUILESS_MAIN(TstPgTables)
#include "tst_pgtables.moc"
