// Two sites recording at once: two processes post 2,000 purchase lines each
// through the program's engine, each post its own transaction, and now and then
// a basic good whose ordinal is taken under the lock. Nothing is lost, no key or
// ordinal repeats, and the engine's totals are the server's own sum().
#include "store/DataStore.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <memory>

using namespace jadl;

namespace {

constexpr int kLines = 2000;
constexpr int kGoodEvery = 50;

// A value with grosze that differ from line to line.
double netOf(int site, int i)
{
    return double((site * 7919 + i * 104729) % 100000) / 100.0;
}

// One site: what a workstation does as it records.
int runSite(int site)
{
    try {
        auto lines = test::openProgramTable(QStringLiteral("Towary.DB"));
        auto goods = test::openProgramTable(QStringLiteral("TowaryPodstawowe.db"));
        for (int i = 0; i < kLines; ++i) {
            if (i % kGoodEvery == 0) {
                goods->append();
                goods->fieldByName(QStringLiteral("NumerGrupy")).setInteger(1);
                goods->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("T%1-%2").arg(site).arg(i));
                goods->assignOrdinal(QStringLiteral("NrKol"), QStringLiteral("NumerGrupy"), 1);
                goods->post();
            }
            lines->append();
            lines->fieldByName(QStringLiteral("NumerDostawcy")).setInteger(site);
            lines->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("L%1-%2").arg(site).arg(i));
            lines->fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2026, 1, 1).addDays(i % 365));
            lines->fieldByName(QStringLiteral("WartoscNetto")).setFloat(netOf(site, i));
            lines->fieldByName(QStringLiteral("WartoscBrutto")).setFloat(netOf(site, i) * 2);
            lines->post();
        }
    } catch (const EngineError& e) {
        std::fprintf(stderr, "site %d: %s\n", site, e.what());
        return 1;
    }
    return 0;
}

} // namespace

class TstConcurrency : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoSitesPostAtOnce();
};

void TstConcurrency::twoSitesPostAtOnce()
{
    QVERIFY(test::onServer());
    test::TempDataDir dir;
    // The tables exist before the sites start, as after the first start-up.
    test::openProgramTable(QStringLiteral("Towary.DB"));
    test::openProgramTable(QStringLiteral("TowaryPodstawowe.db"));

    std::vector<std::unique_ptr<QProcess>> sites;
    for (int site : {1, 2}) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--site"), QString::number(site)});
        sites.push_back(std::move(p));
    }
    for (auto& p : sites) {
        QVERIFY(p->waitForFinished(600000));
        QCOMPARE(p->exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->exitCode(), 0);
    }

    const auto counts = test::serverRows(
        QStringLiteral("SELECT count(*), count(DISTINCT Numer), count(DISTINCT Symbol) FROM Towary"));
    QCOMPARE(counts.value(0),
             (QStringList{QString::number(2 * kLines), QString::number(2 * kLines), QString::number(2 * kLines)}));
    const int goods = 2 * kLines / kGoodEvery;
    const auto repeated = test::serverRows(
        QStringLiteral("SELECT NrKol || ': ' || string_agg(Symbol || '#' || Numer, ', ' ORDER BY Numer) FROM "
                       "TowaryPodstawowe GROUP BY NrKol HAVING count(*) > 1"));
    QVERIFY2(repeated.isEmpty(), qPrintable(repeated.value(0).join(QLatin1Char(' '))));
    QCOMPARE(
        test::serverRows(QStringLiteral("SELECT count(*), count(DISTINCT NrKol), min(NrKol), max(NrKol) FROM "
                                        "TowaryPodstawowe WHERE NumerGrupy = 1"))
            .value(0),
        (QStringList{QString::number(goods), QString::number(goods), QStringLiteral("1"), QString::number(goods)}));

    // The engine's totals of the whole register and of one site are the server's.
    auto lines = test::openProgramTable(QStringLiteral("Towary.DB"));
    const std::vector<double> all = lines->sumsOverView(
        {QStringLiteral("WartoscNetto"), QStringLiteral("WartoscBrutto")});
    const auto server = test::serverRows(QStringLiteral("SELECT sum(WartoscNetto), sum(WartoscBrutto) FROM Towary"));
    QCOMPARE(all.at(0), server.value(0).value(0).toDouble());
    QCOMPARE(all.at(1), server.value(0).value(1).toDouble());
    double expected = 0;
    for (int site : {1, 2})
        for (int i = 0; i < kLines; ++i)
            expected += netOf(site, i);
    QCOMPARE(qRound64(all.at(0) * 100), qRound64(expected * 100));
    lines->setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("NumerDostawcy")).asInteger() == 2; });
    lines->setFiltered(true);
    QCOMPARE(lines->recordCount(), kLines);
    QCOMPARE(lines->sumsOverView({QStringLiteral("WartoscNetto")}).at(0),
             test::serverRows(QStringLiteral("SELECT sum(WartoscNetto) FROM Towary WHERE NumerDostawcy = 2"))
                 .value(0)
                 .value(0)
                 .toDouble());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--site")); at > 0 && at + 1 < args.size())
        return runSite(args.at(at + 1).toInt());
    TstConcurrency test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_concurrency.moc"
