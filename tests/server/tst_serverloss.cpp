// The server stops while a site is posting: the post that meets it fails with a
// Polish message naming the server and stays typed; every line that was
// acknowledged is on the server after its restart; the same tables go on
// posting without a restart of the program. The suite stops and starts a
// cluster of its own, not the one the other suites share.
#include "store/DataStore.h"
#include "store/ServerSetup.h"
#include "store/Table.h"
#include "store/internal/TableStorage.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <libpq-fe.h>

#include <memory>
#include <set>

using namespace jadl;

namespace {

bool cluster(const QString& command, const QString& dir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(
        QStringLiteral("bash"),
        {QDir(qEnvironmentVariable("JADL_TEST_SCRIPTS")).filePath(QStringLiteral("pg-test-cluster.sh")), command, dir});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

// The symbols of the lines on the server, each as often as it is there.
std::multiset<QString> linesOnServer(const QString& connection)
{
    std::unique_ptr<PGconn, void (*)(PGconn*)> c(PQconnectdb(connection.toUtf8().constData()), PQfinish);
    std::unique_ptr<PGresult, void (*)(PGresult*)> r(PQexec(c.get(), "SELECT \"Symbol\" FROM \"Towary\""), PQclear);
    std::multiset<QString> out;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        out.insert(QString::fromUtf8(PQgetvalue(r.get(), i, 0)));
    return out;
}

} // namespace

class TstServerLoss : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void serverStopsWhilePosting();

private:
    QTemporaryDir dir_;
    QString clusterDir_;
    QString connection_;
};

void TstServerLoss::initTestCase()
{
    QVERIFY(test::onServer());
    // The server may run as another user, who must reach its folder.
    QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    clusterDir_ = QDir(dir_.path()).filePath(QStringLiteral("cluster"));
    QVERIFY(cluster(QStringLiteral("start"), clusterDir_));
    QFile url(QDir(clusterDir_).filePath(QStringLiteral("url")));
    QVERIFY(url.open(QIODevice::ReadOnly));
    connection_ = QString::fromUtf8(url.readAll()).trimmed();
    serversetup::prepare(connection_);
    qputenv("JADL_DATABASE", connection_.toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(dir_.path()).filePath(QStringLiteral("config")).toUtf8());
}

void TstServerLoss::cleanupTestCase()
{
    pgstorage::disconnectAll();
    cluster(QStringLiteral("stop"), clusterDir_);
}

void TstServerLoss::serverStopsWhilePosting()
{
    auto lines = std::make_unique<Table>();
    lines->setDatabaseName(QStringLiteral("jadlonia"));
    lines->setTableName(QStringLiteral("Towary.DB"));
    lines->open();
    // A line is acknowledged when its post returns.
    std::set<QString> acknowledged, tried;
    int n = 0;
    QString symbol;
    auto post = [&] {
        if (lines->state() != DataSetState::Insert) {
            lines->append();
            symbol = QStringLiteral("L%1").arg(++n);
            lines->fieldByName(QStringLiteral("Symbol")).setString(symbol);
            lines->fieldByName(QStringLiteral("WartoscNetto")).setFloat(1.25);
        }
        tried.insert(symbol);
        lines->post();
        acknowledged.insert(symbol);
    };

    for (int i = 0; i < 50; ++i)
        post();
    // Another window of the site holds a line typed and not yet saved.
    auto typed = std::make_unique<Table>();
    typed->setDatabaseName(QStringLiteral("jadlonia"));
    typed->setTableName(QStringLiteral("Towary.DB"));
    typed->open();
    typed->append();
    typed->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("typed"));

    // The server goes down while the posting goes on.
    QProcess halt;
    halt.start(QStringLiteral("bash"),
               {QDir(qEnvironmentVariable("JADL_TEST_SCRIPTS")).filePath(QStringLiteral("pg-test-cluster.sh")),
                QStringLiteral("halt"), clusterDir_});
    QString message;
    QElapsedTimer timer;
    timer.start();
    while (message.isEmpty() && timer.elapsed() < 60000) {
        try {
            post();
        } catch (const ConnectionLost& e) {
            message = e.message();
        }
    }
    QVERIFY(halt.waitForFinished(60000));
    QCOMPARE(halt.exitCode(), 0);
    qInfo().noquote() << "after" << acknowledged.size() << "lines:" << message;
    const QString server = serverDisplayName(connection_);
    QVERIFY2(message.contains(server), qPrintable(message));
    // The typed line cannot be saved now: it is told so and stays typed.
    try {
        typed->post();
        QFAIL("a post went through with the server down");
    } catch (const ConnectionLost& e) {
        QVERIFY2(e.message().contains(server) && e.message().contains(QStringLiteral("Zapis nie został wykonany")),
                 qPrintable(e.message()));
    }
    QCOMPARE(typed->state(), DataSetState::Insert);
    QCOMPARE(typed->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("typed"));

    // Back again: the same tables save the waiting line and go on.
    QVERIFY(cluster(QStringLiteral("resume"), clusterDir_));
    typed->post();
    acknowledged.insert(QStringLiteral("typed"));
    tried.insert(QStringLiteral("typed"));
    for (int i = 0; i < 20; ++i)
        post();
    lines->refresh();
    const std::multiset<QString> present = linesOnServer(connection_);
    for (const QString& line : acknowledged)
        QVERIFY2(present.count(line) == 1, qPrintable(QStringLiteral("acknowledged line %1 is missing").arg(line)));
    // Nothing else is there but what was sent, and nothing twice: a post cut off at
    // its commit and sent again found its record by its token.
    for (const QString& line : present) {
        QVERIFY2(tried.count(line) == 1, qPrintable(line));
        QVERIFY2(present.count(line) == 1, qPrintable(QStringLiteral("line %1 is there twice").arg(line)));
    }
    QCOMPARE(lines->recordCount(), int(present.size()));
}

QTEST_GUILESS_MAIN(TstServerLoss)
#include "tst_serverloss.moc"
