// A 10,000-line KSeF invoice (the most FaWiersz the schema allows): reading and
// planning it, as the import window does before matching goods (a tenth of the
// import's 2 s), and the whole import: read, planned, every line matched through
// the seller's remembered goods and recorded, against plain sqlite3 inserting as
// many purchase lines in one transaction. Needs no generated data set: the invoice
// and a data directory are written here.
#include "../tests/invoices/LargeInvoice.h"
#include "../tests/support/core/KsefStandIn.h"
#include "invoices/KsefApi.h"
#include "invoices/KsefPlan.h"
#include "invoices/KsefReader.h"
#include "platform/Drives.h"
#include "store/Database.h"
#include "store/Table.h"
#include "support/BenchHarness.h"
#include "work/KsefFetch.h"
#include "work/KsefImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

using namespace jadl::ksef;
using jadl::bench::Stopwatch;

namespace {

constexpr int kLines = 10000;
constexpr double kTargetMs = 200;

void BM_KsefReadAndPlan(benchmark::State& state)
{
    jadl::bench::guarded(state, [&] {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("faktura.xml"));
        QFile file(path);
        if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(test::largeInvoice(kLines)) < 0)
            throw std::runtime_error("cannot write the invoice");
        file.close();

        Stopwatch read, plan, whole;
        std::size_t planned = 0;
        bool recordable = true;
        for (auto _ : state) {
            whole.start();
            read.start();
            const Invoice inv = readKsefInvoice(path);
            read.stop();
            plan.start();
            const Plan p = planLines(inv);
            plan.stop();
            whole.stop();
            planned = p.lines.size();
            recordable = recordable && p.recordable();
            benchmark::DoNotOptimize(p.lines.data());
        }
        if (planned != std::size_t(kLines) || !recordable)
            throw std::runtime_error("the plan of the generated invoice is not what it should be");
        state.counters["rows"] = double(planned);
        state.counters["read_ms"] = read.meanMs();
        state.counters["plan_ms"] = plan.meanMs();
        state.counters["engine_ms"] = whole.meanMs();
        state.counters["engine_cpu_ms"] = whole.meanCpuMs();
        state.counters["target_ms"] = kTargetMs;
        state.counters["met"] = whole.meanMs() <= kTargetMs ? 1 : 0;
    });
}
BENCHMARK(BM_KsefReadAndPlan)->Unit(benchmark::kMillisecond);

void BM_KsefImportWhole(benchmark::State& state)
{
    jadl::bench::guarded(state, [&] {
        QTemporaryDir root;
        qputenv("JADL_DRIVES", QByteArray("C=") + root.path().toUtf8());
        qputenv("JADL_TODAY", "2026-03-10");
        jadl::platform::Drives::reload();
        jadl::Aliases::clear();
        const QByteArray xml = test::largeInvoice(kLines);
        {
            // A group, one good, the seller as a supplier and a remembered good for every line name.
            jadl::ksefimport::OwnTables own;
            auto& t = own.tables();
            t.groups.append();
            t.groups.fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Spożywcze"));
            t.groups.post();
            t.goods.append();
            t.goods.fieldByName(QStringLiteral("NumerGrupy")).setInteger(1);
            t.goods.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("TOWAR"));
            t.goods.post();
            t.suppliers.append();
            t.suppliers.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("DUZA"));
            t.suppliers.fieldByName(QStringLiteral("Nip")).setString(QStringLiteral("526-104-08-28"));
            t.suppliers.post();
            jadl::Table::Batch batch(t.mappings);
            for (int i = 1; i <= kLines; ++i) {
                t.mappings.append();
                t.mappings.fieldByName(QStringLiteral("NipSprzedawcy")).setString(QStringLiteral("5261040828"));
                t.mappings.fieldByName(QStringLiteral("NazwaPozycji"))
                    .setString(QStringLiteral("Towar numer %1").arg(i));
                t.mappings.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(1);
                t.mappings.post();
            }
            batch.commit();
        }
        Stopwatch whole;
        int n = 0;
        for (auto _ : state) {
            // Each round another invoice number: the register takes an invoice once.
            const QString path = root.filePath(QStringLiteral("faktura%1.xml").arg(++n));
            QFile file(path);
            QByteArray text = xml;
            const QByteArray number = QByteArray("<P_2>DUZA/") + QByteArray::number(n) + QByteArray("</P_2>");
            text.replace(QByteArray("<P_2>DUZA/1</P_2>"), number);
            if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
                throw std::runtime_error("cannot write the invoice");
            file.close();
            whole.start();
            jadl::ksefimport::OwnTables own;
            jadl::ksefimport::Draft d = jadl::ksefimport::prepare(path, own.tables());
            for (const auto& g : d.goods)
                if (!g)
                    throw std::runtime_error("a line without its remembered good");
            jadl::ksefimport::record(own.tables(), d);
            whole.stop();
        }
        // The floor: as many lines inserted by plain sqlite3 in one transaction.
        const QString towary = QDir(root.filePath(QStringLiteral("Jadl/Dane_bar")))
                                   .filePath(QStringLiteral("Towary.DB"));
        jadl::bench::SqliteDb db(towary);
        db.exec("PRAGMA synchronous=FULL");
        jadl::bench::SqliteStmt ins(db,
                                    "INSERT INTO " + jadl::bench::sqlTableName(db) +
                                        " (Nazwa, Symbol, NumerDostawcy, Ilosc, CenaNetto, WartoscNetto, WartoscVat, "
                                        "WartoscBrutto, VatTyp, DataZakupu) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const auto ref = jadl::bench::timeReference(whole.runs(), [&] {
            db.exec("BEGIN");
            for (int i = 0; i < kLines; ++i) {
                ins.reset();
                ins.bind(1, QStringLiteral("Towar numer %1").arg(i));
                ins.bind(2, QStringLiteral("TOWAR"));
                ins.bind(3, 1);
                ins.bind(4, 2.0);
                ins.bind(5, 1.5);
                ins.bind(6, 3.0);
                ins.bind(7, 0.69);
                ins.bind(8, 3.69);
                ins.bind(9, QStringLiteral("23"));
                ins.bind(10, QDate(2026, 3, 1));
                ins.step();
            }
            db.exec("ROLLBACK");
        });
        jadl::bench::report(state, whole, ref, kLines, 2000);
        jadl::Aliases::clear();
    });
}
BENCHMARK(BM_KsefImportWhole)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1,000 invoices fetched from the KSeF stand-in into a fresh data directory (auth,
// list, each file downloaded, checked and stored), beside curl downloading the same
// files over one connection with a token it was handed: the floor.
void BM_KsefFetchThousand(benchmark::State& state)
{
    jadl::bench::guarded(state, [&] {
        constexpr int kInvoices = 1000;
        jadl::test::KsefStandIn server(kInvoices);
        if (!server.running())
            throw std::runtime_error("the KSeF stand-in did not start");
        Stopwatch whole;
        QStringList numbers;
        for (auto _ : state) {
            QTemporaryDir root;
            qputenv("JADL_DRIVES", QByteArray("C=") + root.path().toUtf8());
            jadl::platform::Drives::reload();
            jadl::Aliases::clear();
            jadl::Aliases::setAlias(QStringLiteral("dane_bar"), root.filePath(QStringLiteral("dane")));
            QDir().mkpath(root.filePath(QStringLiteral("dane")));
            jadl::Aliases::bindDatabase(QStringLiteral("jadlonia"), QStringLiteral("dane_bar"));
            const jadl::ksef::api::Settings s = server.clientSettings();
            whole.start();
            jadl::ksef::api::Client client(s);
            const int stored = jadl::kseffetch::fetchInvoices(client, s.nip, {}).stored;
            whole.stop();
            if (stored != kInvoices)
                throw std::runtime_error("not every invoice was fetched");
            if (numbers.isEmpty()) {
                jadl::bench::SqliteDb db(root.filePath(QStringLiteral("dane/PobraneKSeF.db")));
                jadl::bench::SqliteStmt all(db, "SELECT NumerKSeF FROM PobraneKSeF");
                while (all.step())
                    numbers << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(all.raw(), 0)));
            }
            jadl::Aliases::clear();
        }
        // The floor: one curl, one connection, the same files, written to disk.
        QTemporaryDir out;
        QFile config(out.filePath(QStringLiteral("urls")));
        if (!config.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write curl's list");
        const QString base = server.url();
        for (const QString& n : numbers)
            config.write(QStringLiteral("url = \"%1/invoices/ksef/%2\"\noutput = \"%3/%2.xml\"\n")
                             .arg(base, n, out.path())
                             .toUtf8());
        config.close();
        const QString token = server.accessToken();
        const auto ref = jadl::bench::timeReference(whole.runs(), [&] {
            QProcess curl;
            curl.start(QStringLiteral("curl"),
                       {QStringLiteral("-sf"), QStringLiteral("--cacert"), server.ca(), QStringLiteral("-H"),
                        QStringLiteral("Authorization: Bearer ") + token, QStringLiteral("-K"), config.fileName()});
            if (!curl.waitForFinished(600000) || curl.exitCode() != 0)
                throw std::runtime_error("curl failed");
        });
        state.counters["rows"] = kInvoices;
        state.counters["engine_ms"] = whole.meanMs();
        state.counters["engine_cpu_ms"] = whole.meanCpuMs();
        state.counters["curl_ms"] = ref.meanMs();
        state.counters["ratio"] = ref.meanMs() > 0 ? whole.meanMs() / ref.meanMs() : 0;
        state.counters["target_ratio"] = 1.5;
        state.counters["met"] = whole.meanMs() <= 1.5 * ref.meanMs() ? 1 : 0;
    });
}
BENCHMARK(BM_KsefFetchThousand)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

// Like JADL_BENCHMARK_MAIN, without the purchase-lines data set this benchmark does not use.
int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QCoreApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
