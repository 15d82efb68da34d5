// A chain on one server: two sites and a head office, set up by the program's own
// commands. Whatever SQL a site's login sends, another restaurant's lines stay
// unseen and unchanged; the program under each login shows its own lines and
// sums; the server keeps the history of every change; only the head office
// restores; TLS is checked against the CA the connection names.
#include "store/DataStore.h"
#include "store/EngineError.h"
#include "store/ServerArchive.h"
#include "store/ServerSetup.h"
#include "store/Table.h"
#include "store/internal/TableStorage.h"
#include "support/core/TestServer.h"
#include "work/LineHistory.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <libpq-fe.h>

#include <memory>

using namespace jadl;

namespace {

QString loginName(const char* who)
{
    return QStringLiteral("jadl_%1_%2").arg(QLatin1String(who)).arg(QCoreApplication::applicationPid());
}

// Plain SQL as another client sends it; the server's error, if any, as text.
struct Sent {
    QList<QStringList> rows;
    QString error;
};

Sent send(const QString& connection, const QString& sql)
{
    Sent out;
    PGconn* c = PQconnectdb(connection.toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK) {
        out.error = QString::fromUtf8(PQerrorMessage(c));
        PQfinish(c);
        return out;
    }
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    if (PQresultStatus(r) == PGRES_TUPLES_OK || PQresultStatus(r) == PGRES_COMMAND_OK) {
        for (int i = 0; i < PQntuples(r); ++i) {
            QStringList row;
            for (int k = 0; k < PQnfields(r); ++k)
                row << QString::fromUtf8(PQgetvalue(r, i, k));
            out.rows << row;
        }
    } else {
        out.error = QString::fromUtf8(PQresultErrorMessage(r));
    }
    PQclear(r);
    PQfinish(c);
    return out;
}

const QString kLinesOfA = QStringLiteral("SELECT \"Numer\", \"Symbol\", \"WartoscNetto\", \"RestauracjaSymbol\" FROM "
                                         "\"Towary\" WHERE \"RestauracjaNumer\" = 1 ORDER BY \"Numer\"");

} // namespace

class TstChain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void programShowsItsOwnLines_data();
    void programShowsItsOwnLines();
    void plainSqlStaysInItsRestaurant_data();
    void plainSqlStaysInItsRestaurant();
    void storedSumsStayApart();
    void invoicesKnowTheirRestaurant();
    void historyOfAChangeAndARemoval();
    void headOfficeOnly();
    void notPreparedIsNamed();
    void tlsChecksTheCertificate_data();
    void tlsChecksTheCertificate();

private:
    // The program's tables seen under a login, for as long as the scope lasts.
    void as(const QString& login)
    {
        pgstorage::disconnectAll();
        qputenv("JADL_DATABASE", connectionOf(login).toUtf8());
    }
    QString connectionOf(const QString& login) const
    {
        return QString(owner_).replace(QStringLiteral("user=jadl"), QStringLiteral("user=") + login);
    }
    QString program(const QStringList& args, int* rc);
    QList<serversetup::HistoryEntry> historyOf(qint64 line)
    {
        return serversetup::lineHistory(connectionOf(office_), line);
    }

    QTemporaryDir dir_;
    QString owner_;
    QString siteA_ = loginName("a"), siteB_ = loginName("b"), office_ = loginName("hq");
    QList<QStringList> linesOfA_;
};

QString TstChain::program(const QStringList& args, int* rc)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("JADL_DATABASE"), owner_);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(JADL_PROGRAM), args);
    p.waitForFinished(60000);
    *rc = p.exitCode();
    return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
}

void TstChain::initTestCase()
{
    QVERIFY(test::onServer());
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    owner_ = test::freshServerDatabase();
    for (const QString& login : {siteA_, siteB_, office_})
        test::serverRows(QStringLiteral("DROP ROLE IF EXISTS %1; CREATE ROLE %1 LOGIN").arg(login));
    test::serverRows(QStringLiteral("INSERT INTO \"Wlasciciel\" (\"Numer\", \"Nazwa\", \"Symbol\") VALUES (1, 'Bar "
                                    "Rynek', 'RYNEK'), (2, 'Bar Dworzec', 'DWORZEC')"));
    test::serverRows(QStringLiteral(
        "INSERT INTO \"Towary\" (\"Symbol\", \"NumerDostawcy\", \"WartoscNetto\", \"RestauracjaNumer\", "
        "\"RestauracjaSymbol\") VALUES ('mleko', 1, 10, 1, 'RYNEK'), ('chleb', 1, 20, 1, 'RYNEK'), ('ser', 1, 30.55, "
        "1, 'RYNEK'), ('jaja', 1, 5, 2, 'DWORZEC'), ('masło', 1, 7.45, 2, 'DWORZEC')"));
    test::serverRows(QStringLiteral("INSERT INTO \"Dostawcy\" (\"Nazwa\", \"Symbol\") VALUES ('Hurt', 'H1')"));
    linesOfA_ = test::serverRows(kLinesOfA);

    // Set up as the owner would: the preparation runs again harmlessly.
    int rc = -1;
    const QString prepared = program({QStringLiteral("--przygotuj-serwer")}, &rc);
    QCOMPARE(rc, 0);
    QVERIFY2(prepared.contains(QStringLiteral("Tabele programu: wszystkie już są.")), qPrintable(prepared));
    QVERIFY(program({QStringLiteral("--dodaj-stanowisko"), siteA_, QStringLiteral("RYNEK")}, &rc)
                .contains(QStringLiteral("stanowisko restauracji RYNEK")));
    QCOMPARE(rc, 0);
    program({QStringLiteral("--dodaj-stanowisko"), siteB_, QStringLiteral("DWORZEC")}, &rc);
    QCOMPARE(rc, 0);
    program({QStringLiteral("--dodaj-centrale"), office_}, &rc);
    QCOMPARE(rc, 0);
    // A symbol no restaurant has is named, and nothing is granted.
    QVERIFY(program({QStringLiteral("--dodaj-stanowisko"), siteB_, QStringLiteral("BRAK")}, &rc)
                .contains(QStringLiteral("Nie ma restauracji o symbolu BRAK")));
    QCOMPARE(rc, 1);
}

void TstChain::cleanupTestCase()
{
    pgstorage::disconnectAll();
    for (const QString& login : {siteA_, siteB_, office_})
        test::serverRows(QStringLiteral("DROP OWNED BY %1; DROP ROLE IF EXISTS %1").arg(login));
}

void TstChain::programShowsItsOwnLines_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QStringList>("symbols");
    QTest::addColumn<double>("net");
    const auto words = [](const char* text) { return QString::fromUtf8(text).split(QLatin1Char(' ')); };
    QTest::newRow("site A") << siteA_ << words("mleko chleb ser") << 60.55;
    QTest::newRow("site B") << siteB_ << words("jaja masło") << 12.45;
    QTest::newRow("head office") << office_ << words("mleko chleb ser jaja masło") << 73.0;
}

void TstChain::programShowsItsOwnLines()
{
    QFETCH(QString, login);
    QFETCH(QStringList, symbols);
    QFETCH(double, net);
    as(login);
    auto lines = test::openProgramTable(QStringLiteral("Towary.DB"));
    QStringList seen;
    double sum = 0;
    for (lines->first(); !lines->eof(); lines->next()) {
        seen << lines->fieldByName(QStringLiteral("Symbol")).asString();
        sum += lines->fieldByName(QStringLiteral("WartoscNetto")).asFloat();
    }
    QCOMPARE(seen, symbols);
    QCOMPARE(lines->recordCount(), int(symbols.size()));
    QCOMPARE(qRound64(sum * 100), qRound64(net * 100));
    // The totals from the monthly sums, and those sums as plain SQL reads them: the login's lines alone.
    QCOMPARE(qRound64(lines->sumsOverView({QStringLiteral("WartoscNetto")}).at(0) * 100), qRound64(net * 100));
    for (const char* bucket :
         {"jadl_miesiace_towary_restauracjanumer_vattyp", "jadl_miesiace_towary_restauracjanumer_numerdostawcy",
          "jadl_miesiace_towary_restauracjanumer_numergrupy"}) {
        const Sent kept = send(
            connectionOf(login),
            QStringLiteral("SELECT sum(n), sum(\"WartoscNetto\") FROM %1").arg(QLatin1String(bucket)));
        QVERIFY2(kept.error.isEmpty(), qPrintable(kept.error));
        QCOMPARE(kept.rows.value(0).value(0).toInt(), int(symbols.size()));
        QCOMPARE(qRound64(kept.rows.value(0).value(1).toDouble() * 100), qRound64(net * 100));
    }
    // The restaurants' view: a site's own is its active one, whatever the workstation chose.
    if (login != office_) {
        auto owners = test::openProgramTable(QStringLiteral("Wlasciciel.DB"));
        QVERIFY(owners->locate(QStringLiteral("Aktywny"), true));
        QCOMPARE(owners->fieldByName(QStringLiteral("Symbol")).asString(),
                 login == siteA_ ? QStringLiteral("RYNEK") : QStringLiteral("DWORZEC"));
    }
}

void TstChain::plainSqlStaysInItsRestaurant_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("refused");
    QTest::newRow("select") << "SELECT \"Numer\" FROM \"Towary\" WHERE \"RestauracjaNumer\" = 1" << false;
    QTest::newRow("update") << "UPDATE \"Towary\" SET \"WartoscNetto\" = 0 WHERE \"RestauracjaNumer\" = 1" << false;
    QTest::newRow("update moving its own lines")
        << "UPDATE \"Towary\" SET \"RestauracjaNumer\" = 1, \"RestauracjaSymbol\" = 'RYNEK'" << false;
    QTest::newRow("delete") << "DELETE FROM \"Towary\" WHERE \"RestauracjaNumer\" = 1" << false;
    QTest::newRow("insert naming another restaurant")
        << "INSERT INTO \"Towary\" (\"Symbol\", \"WartoscNetto\", \"RestauracjaNumer\", \"RestauracjaSymbol\") VALUES "
           "('obcy', 1, 1, 'RYNEK')"
        << false;
    QTest::newRow("truncate") << "TRUNCATE \"Towary\"" << true;
    QTest::newRow("another site's workstation") << "UPDATE jadl_stanowiska SET restauracja = 2" << true;
    QTest::newRow("its own binding") << "UPDATE jadl_loginy SET restauracja = 1" << true;
    QTest::newRow("the history") << "DELETE FROM jadl_historia" << true;
    QTest::newRow("a restaurant's data") << "UPDATE \"Wlasciciel\" SET \"Nazwa\" = 'x' WHERE \"Numer\" = 1" << true;
    QTest::newRow("a VAT rate") << "DELETE FROM \"StawkiVat\"" << true;
}

void TstChain::plainSqlStaysInItsRestaurant()
{
    QFETCH(QString, sql);
    QFETCH(bool, refused);
    const Sent sent = send(connectionOf(siteB_), sql);
    QCOMPARE(!sent.error.isEmpty(), refused);
    for (const QStringList& row : sent.rows)
        QVERIFY2(
            test::serverRows(
                QStringLiteral("SELECT \"RestauracjaNumer\" FROM \"Towary\" WHERE \"Numer\" = %1").arg(row.value(0)))
                    .value(0)
                    .value(0) == QLatin1String("2"),
            "a site saw another restaurant's line");
    QCOMPARE(test::serverRows(kLinesOfA), linesOfA_);
    // Whatever the site wrote is its own restaurant's, named by the server.
    const QList<QStringList> others = test::serverRows(QStringLiteral(
        "SELECT DISTINCT \"RestauracjaNumer\", \"RestauracjaSymbol\" FROM \"Towary\" WHERE \"RestauracjaNumer\" IS "
        "DISTINCT FROM 1"));
    QCOMPARE(others, (QList<QStringList>{{QStringLiteral("2"), QStringLiteral("DWORZEC")}}));
}

void TstChain::storedSumsStayApart()
{
    const QList<std::pair<QString, double>> sums{{siteA_, 60.55}, {siteB_, 12.45}, {office_, 73.0}};
    for (const auto& [login, value] : sums) {
        as(login);
        auto suppliers = test::openProgramTable(QStringLiteral("Dostawcy.db"));
        suppliers->edit();
        suppliers->fieldByName(QStringLiteral("WartoscNettoSuma")).setFloat(value);
        suppliers->post();
    }
    for (const auto& [login, value] : sums) {
        as(login);
        QCOMPARE(test::openProgramTable(QStringLiteral("Dostawcy.db"))
                     ->fieldByName(QStringLiteral("WartoscNettoSuma"))
                     .asFloat(),
                 value);
    }
    // The supplier itself stays one, shared.
    QCOMPARE(test::serverRows(QStringLiteral("SELECT count(*) FROM jadl_dostawcy")).value(0).value(0),
             QStringLiteral("1"));
}

void TstChain::invoicesKnowTheirRestaurant()
{
    // The register and the fetched invoices as the import writes them, through the program's engine.
    for (const QString& login : {siteA_, siteB_}) {
        as(login);
        for (const auto& [file, field] : {std::pair{"FakturyKSeF.db", "NipSprzedawcy"},
                                          {"PobraneKSeF.db", "NipNabywcy"},
                                          {"UstawieniaKSeF.db", "Nip"}}) {
            auto t = test::openProgramTable(QString::fromLatin1(file));
            t->append();
            t->fieldByName(QString::fromLatin1(field)).setString(QStringLiteral("5260250995"));
            t->post();
        }
    }
    for (const char* table : {"FakturyKSeF", "PobraneKSeF", "UstawieniaKSeF"}) {
        const QString count = QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QLatin1String(table));
        QCOMPARE(send(connectionOf(siteA_), count).rows.value(0).value(0), QStringLiteral("1"));
        QCOMPARE(send(connectionOf(siteB_), count).rows.value(0).value(0), QStringLiteral("1"));
    }
    // The head office reads every restaurant's register; the settings stay each one's own.
    QCOMPARE(
        send(connectionOf(office_), QStringLiteral("SELECT jadl_restauracja FROM \"FakturyKSeF\" ORDER BY 1")).rows,
        (QList<QStringList>{{QStringLiteral("1")}, {QStringLiteral("2")}}));
    QCOMPARE(
        send(connectionOf(office_), QStringLiteral("SELECT count(*) FROM \"UstawieniaKSeF\"")).rows.value(0).value(0),
        QStringLiteral("0"));
}

void TstChain::historyOfAChangeAndARemoval()
{
    as(siteA_);
    auto lines = test::openProgramTable(QStringLiteral("Towary.DB"));
    QVERIFY(lines->locate(QStringLiteral("Symbol"), QStringLiteral("chleb")));
    const qint64 changed = lines->fieldByName(QStringLiteral("Numer")).asInteger();
    lines->edit();
    lines->fieldByName(QStringLiteral("WartoscNetto")).setFloat(21.5);
    lines->post();
    QVERIFY(lines->locate(QStringLiteral("Symbol"), QStringLiteral("ser")));
    const qint64 removed = lines->fieldByName(QStringLiteral("Numer")).asInteger();
    lines->deleteRecord();
    lines.reset();
    QVERIFY_THROWS_EXCEPTION(EngineError, serversetup::lineHistory(connectionOf(siteA_), changed));
    QVERIFY(!send(connectionOf(siteA_), QStringLiteral("SELECT * FROM jadl_historia")).error.isEmpty());

    as(office_);
    const QList<serversetup::HistoryEntry> change = serversetup::lineHistory(connectionOf(office_), changed);
    QCOMPARE(change.size(), 1);
    QCOMPARE(change[0].operation, QStringLiteral("ZMIANA"));
    QCOMPARE(change[0].login, siteA_);
    QCOMPARE(change[0].workstation, workstationName());
    QCOMPARE(change[0].before.value(QStringLiteral("WartoscNetto")).toDouble(), 20.0);
    QCOMPARE(change[0].after.value(QStringLiteral("WartoscNetto")).toDouble(), 21.5);
    // As the window lists it: only what changed, in the program's formats.
    QCOMPARE(linehistory::describe(change).value(0).changes, QStringLiteral("WartoscNetto: 20 → 21,5"));
    QVERIFY(linehistory::describe(historyOf(removed)).value(0).changes.contains(QStringLiteral("Symbol: ser")));
    const QList<serversetup::HistoryEntry> removal = historyOf(removed);
    QCOMPARE(removal.size(), 1);
    QCOMPARE(removal[0].operation, QStringLiteral("USUNIĘCIE"));
    QCOMPARE(removal[0].before.value(QStringLiteral("Symbol")).toString(), QStringLiteral("ser"));
    QVERIFY(removal[0].after.isEmpty());
    // Not even the head office rewrites it.
    QVERIFY(!send(connectionOf(office_), QStringLiteral("DELETE FROM jadl_historia")).error.isEmpty());
    linesOfA_ = test::serverRows(kLinesOfA);
}

void TstChain::headOfficeOnly()
{
    QTemporaryDir archive;
    QVERIFY(serverarchive::exportTables(connectionOf(office_), archive.path()).contains(QStringLiteral("Towary.DB")));
    const auto before = test::serverRows(QStringLiteral("SELECT count(*) FROM \"Towary\""));
    try {
        serverarchive::importTables(connectionOf(siteA_), archive.path(), {QStringLiteral("Towary.DB")});
        QFAIL("a site restored the server's data");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("tylko centrala")), qPrintable(e.message()));
    }
    QCOMPARE(test::serverRows(QStringLiteral("SELECT count(*) FROM \"Towary\"")), before);
    QVERIFY_THROWS_EXCEPTION(EngineError, serversetup::requireHeadOffice(connectionOf(siteB_), QStringLiteral("x")));
    serversetup::requireHeadOffice(connectionOf(office_), QStringLiteral("x"));
    // The head office restores what it backed up: the whole register, every restaurant's.
    serverarchive::importTables(connectionOf(office_), archive.path(), {QStringLiteral("Towary.DB")});
    QCOMPARE(test::serverRows(QStringLiteral("SELECT count(*) FROM \"Towary\"")), before);
    QCOMPARE(test::serverRows(kLinesOfA), linesOfA_);

    // Packing is the owner's: a site is told that nothing was done.
    as(siteA_);
    Table lines;
    lines.setDatabaseName(QStringLiteral("jadlonia"));
    lines.setTableName(QStringLiteral("Towary.DB"));
    lines.setExclusive(true);
    lines.open();
    try {
        lines.pack();
        QFAIL("a site's pack said nothing");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("nie zrobiono")), qPrintable(e.message()));
    }
}

void TstChain::notPreparedIsNamed()
{
    const QString db = QStringLiteral("jadl_test_%1_pusta").arg(QCoreApplication::applicationPid());
    const QString admin = test::clusterConnection();
    send(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(db));
    QVERIFY(send(admin, QStringLiteral("CREATE DATABASE %1").arg(db)).error.isEmpty());
    const QString empty = QString(admin).replace(QStringLiteral("dbname=postgres"), QStringLiteral("dbname=") + db);
    pgstorage::disconnectAll();
    qputenv("JADL_DATABASE", empty.toUtf8());
    try {
        test::openProgramTable(QStringLiteral("Towary.DB"));
        QFAIL("a table opened on a server that is not prepared");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains(serverDisplayName(empty)) &&
                     e.message().contains(QStringLiteral("--przygotuj-serwer")),
                 qPrintable(e.message()));
    }
    // Nothing was made there.
    QCOMPARE(send(empty, QStringLiteral("SELECT count(*) FROM pg_class WHERE relnamespace = 'public'::regnamespace"))
                 .rows.value(0)
                 .value(0),
             QStringLiteral("0"));
    pgstorage::disconnectAll();
    send(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(db));
}

void TstChain::tlsChecksTheCertificate_data()
{
    QTest::addColumn<QString>("ca");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("the server's CA") << "ca.crt" << true;
    QTest::newRow("another CA") << "wrong-ca.crt" << false;
}

void TstChain::tlsChecksTheCertificate()
{
    QFETCH(QString, ca);
    QFETCH(bool, accepted);
    QString tls = QString(owner_)
                      .replace(QStringLiteral("host=127.0.0.1"), QStringLiteral("host=localhost"))
                      .replace(QStringLiteral("sslmode=disable"), QStringLiteral("sslmode=verify-full"));
    tls += QStringLiteral(" sslrootcert=") + QDir(test::clusterDir()).filePath(ca);
    pgstorage::disconnectAll();
    qputenv("JADL_DATABASE", tls.toUtf8());
    try {
        QCOMPARE(test::openProgramTable(QStringLiteral("Towary.DB"))->recordCount() > 0, true);
        QVERIFY(accepted);
    } catch (const EngineError& e) {
        QVERIFY2(!accepted, qPrintable(e.message()));
        QVERIFY2(e.message().contains(QStringLiteral("certificate verify failed")), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TstChain)
#include "tst_chain.moc"
