// Removal of previous years' purchase lines on the generated register (about
// nine lines in ten go), then the packing of the table, as the removal window
// does them; against plain sqlite3 deleting the same lines and vacuuming, on a
// copy of the same file. Both work on scratch copies beside the data set.
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

// A scratch data directory beside the data set (same disk) with its own copy of every table.
QString copyData(const QTemporaryDir& scratch)
{
    const QDir src(ensureData());
    for (const QString& f : src.entryList(QDir::Files))
        if (!QFile::copy(src.filePath(f), QDir(scratch.path()).filePath(f)))
            throw std::runtime_error("cannot copy " + f.toStdString());
    return scratch.path();
}

void BM_RemovePreviousYearsAndPack(benchmark::State& state)
{
    guarded(state, [&] {
        const removal::Rule rule(removal::AllPreviousYears, lastPurchaseDay(), 0);
        Stopwatch engine, ref;
        qint64 removed = 0, refRemoved = 0, before = 0;
        for (auto _ : state) {
            {
                QTemporaryDir scratch(QDir(ensureData()).filePath(QStringLiteral("../scratch-removal-XXXXXX")));
                Aliases::setAlias(QStringLiteral("dane_bar"), copyData(scratch));
                TModulDanych1 dm;
                TUsuwaniePrzypisanychTowarow window(&dm);
                dm.TableTowary->open();
                before = dm.TableTowary->recordCount();
                engine.start();
                removed = dm.TableTowary->removeFromView(QStringLiteral("DataZakupu"), [&rule](const QVariant& v) {
                    return rule.removes(v.isNull() ? std::nullopt : std::optional<QDate>(v.toDate()));
                });
                window.packPurchaseLines();
                engine.stop();
                dm.TableTowary->close();
                Aliases::clear();
            }
            {
                QTemporaryDir scratch(QDir(ensureData()).filePath(QStringLiteral("../scratch-removal-XXXXXX")));
                SqliteDb db(tablePath(copyData(scratch), QStringLiteral("Towary.DB")));
                db.exec("PRAGMA journal_mode=DELETE");
                db.exec("PRAGMA synchronous=FULL");
                SqliteStmt del(
                    db, "DELETE FROM " + sqlTableName(db) + " WHERE coalesce(\"DataZakupu\", '1899-12-30') <= ?");
                ref.start();
                db.exec("BEGIN");
                del.bind(1, rule.to());
                del.step();
                refRemoved = sqlite3_changes(db.get());
                db.exec("COMMIT");
                db.exec("VACUUM");
                ref.stop();
            }
        }
        if (removed != refRemoved)
            throw std::runtime_error("engine and sqlite3 disagree: " + std::to_string(removed) + " vs " +
                                     std::to_string(refRemoved) + " lines removed");
        report(state, engine, ref, double(removed), 10000);
        state.counters["lines_before"] = double(before);
    });
}
BENCHMARK(BM_RemovePreviousYearsAndPack)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return jadl::bench::runBenchmarks<QApplication>(argc, argv);
}
