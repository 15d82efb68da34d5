#pragma once
// The engine the tests run on: the data directory (SQLite files), or, when CTest
// runs a suite against the server (JADL_TEST_ENGINE=postgresql), a database of
// the test cluster that scripts/pg-test-cluster.sh started (JADL_TEST_PG_DIR).
// Each test process gets a database of its own, emptied for every fixture.
#include <QString>

namespace jadl::test {

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
// The folder of the test cluster, for stopping and starting the server.
QString clusterDir();

} // namespace jadl::test
