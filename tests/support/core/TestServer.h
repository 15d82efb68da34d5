#pragma once
// The engine the tests run on: the data directory (SQLite files), or, when CTest
// runs a suite against the server (JADL_TEST_ENGINE=postgresql), a database of
// the test cluster that scripts/pg-test-cluster.sh started (JADL_TEST_PG_DIR).
// Each test process gets a database of its own, emptied for every fixture.
#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>

namespace jadl {
class Table;
}

namespace jadl::test {

// Points the program at the engine of the run for as long as it lives: sets
// JADL_DATABASE (a fresh database of the test cluster, or empty, which means the
// data directory whatever the machine's own setting) and a configuration folder
// under `root`, and puts both back when it goes.
class EngineEnvironment {
public:
    explicit EngineEnvironment(const QString& root);
    ~EngineEnvironment();
    EngineEnvironment(const EngineEnvironment&) = delete;
    EngineEnvironment& operator=(const EngineEnvironment&) = delete;

private:
    QByteArray oldDatabase_, oldConfig_;
    bool hadDatabase_ = false, hadConfig_ = false;
};

bool onServer();
// The cluster's maintenance connection ("host=... port=... user=jadl dbname=postgres").
QString clusterConnection();
// This process's database, emptied, with no connection of the program left open
// to it: the connection string the program is to use.
QString freshServerDatabase();
// Runs SQL on this process's database, as another program would, and returns
// its rows, each value as text ("<null>" for null, logicals as 1 and 0). The SQL
// may be written as for SQLite: CamelCase names are quoted on the way.
QList<QStringList> serverRows(const QString& sql);
// The same, each value as a reader of a SQLite file sees it: numbers and logicals
// as double, null as an invalid QVariant, the rest as text.
QList<QVariantList> serverValues(const QString& sql);
// Rows of a query run straight on a table file, or on this process's database when
// the suite runs on the server, as another program would; each value as text
// ("<null>" for null).
QList<QStringList> rawQuery(const QString& path, const QString& sql);
// A change made by another program, behind the engine's back (file or server).
void rawExec(const QString& path, const QString& sql);
// The database name a test opens the program's tables under, to seed them or to
// look at what a window stored: the data directory itself, or on the server the
// program's own alias.
QString tablesOf(const QString& dataDir);

// One of the program's tables, opened as the windows open it (the alias "jadlonia"),
// on whichever engine the run uses.
std::unique_ptr<Table> openProgramTable(const QString& fileName);

// The folder of the test cluster, for stopping and starting the server.
QString clusterDir();

} // namespace jadl::test
