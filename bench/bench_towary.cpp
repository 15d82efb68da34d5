// The supplier goods window on the generated register: switching the period for
// one supplier and for all suppliers, and refreshing every supplier's stored sums,
// each against plain sqlite3 doing the same selection (and sums) on the same file.
// The window itself runs (offscreen), over a scratch copy of the small tables and
// the generated purchase lines.
#include "common/Money.h"
#include "platform/Clock.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"
#include "work/SupplierTotals.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

// The filter reads the window's state as the program's start-up wires it.
class Inputs : public PurchaseFilterInputs {
public:
    bool assignmentVisible() const override { return false; }
    bool filterByGroup() const override { return false; }
    QDate assignmentCalendarDate() const override { return {}; }
    bool supplierGoodsVisible() const override { return forms().Towary && forms().Towary->isVisible(); }
    std::optional<jadl::PeriodChoice> periodChoice() const override { return forms().Towary->periodChoice(); }
};

// The window and the data module over a scratch data directory whose purchase
// lines are the generated ones (linked, never written) and whose other tables are
// copies, so the stored sums the window writes stay out of the shared data set.
struct Program {
    QTemporaryDir dir;
    Inputs inputs;
    std::unique_ptr<TTowary> window;
    std::unique_ptr<TModulDanych1> dm;

    Program()
    {
        const QString source = ensureData();
        const QDir src(source);
        for (const QString& f : src.entryList(QDir::Files)) {
            const QString from = src.filePath(f);
            const QString to = QDir(dir.path()).filePath(f);
            const bool ok = f.compare(QLatin1String("Towary.DB"), Qt::CaseInsensitive) == 0 ? QFile::link(from, to)
                                                                                            : QFile::copy(from, to);
            if (!ok)
                throw std::runtime_error("cannot prepare " + to.toStdString());
        }
        platform::setFixedToday(lastPurchaseDay());
        Aliases::setAlias(QStringLiteral("dane_bar"), dir.path());
        window = std::make_unique<TTowary>();
        dm = std::make_unique<TModulDanych1>();
        forms().Towary = window.get();
        forms().ModulDanych1 = dm.get();
        window->bindDataModule(dm.get());
        dm->setFilterInputs(&inputs);
        for (Table* t : {dm->TableDostawcy, dm->TableTowary, dm->TableGrupyTowarow, dm->TableWlasciciel})
            t->open();
        dm->TableTowary->setMasterSource(dm->DataSourceDostawcy);
        dm->TableTowary->setMasterFields(QStringLiteral("Numer"));
        dm->TableTowary->setIndexName(QStringLiteral("NrDostawcyDataZakupuInd"));
        dm->TableDostawcy->locate(QStringLiteral("Numer"), kBenchSupplier);
        window->prepareForShow();
        window->show();
    }
    ~Program()
    {
        window->hide();
        dm->setFilterInputs(nullptr);
        forms() = Forms{};
        window.reset();
        dm.reset();
        platform::setFixedToday(std::nullopt);
    }
    void allSuppliers(bool on)
    {
        jadl::bench::child<jadl::RadioGroup>(window.get(), "RadioGroupDlaDostawcow")
            ->buttons()
            ->button(on ? 1 : 0)
            ->click();
    }
    void choose(int choice)
    {
        jadl::bench::child<QComboBox>(window.get(), "ComboBoxWybierzOkres")->setCurrentIndex(choice);
    }
    // Choice 9 with a month of the combo (0 = January).
    void chooseMonth(int month)
    {
        choose(9);
        jadl::bench::child<QComboBox>(window.get(), "ComboBoxMiesiace")->setCurrentIndex(month);
    }
    QString linesPath() const { return tablePath(dir.path(), QStringLiteral("Towary.DB")); }
};

std::string selectLines(const SqliteDb& db, bool oneSupplier, bool period, const std::string& columns,
                        const std::string& order)
{
    std::string sql = "SELECT " + columns + " FROM " + sqlTableName(db);
    if (oneSupplier || period)
        sql += " WHERE ";
    if (oneSupplier)
        sql += "\"NumerDostawcy\" = ?";
    if (oneSupplier && period)
        sql += " AND ";
    if (period)
        sql += "\"DataZakupu\" BETWEEN ? AND ?";
    return sql + " ORDER BY " + order;
}

void checkSame(qint64 engine, qint64 reference)
{
    if (engine != reference)
        throw std::runtime_error("window and sqlite3 disagree on the row count: " + std::to_string(engine) + " vs " +
                                 std::to_string(reference));
}

// One supplier: "Poprzedni Miesiąc" and "Bieżący Kwartał" in turn (filter, re-read,
// the supplier's sums stored and shown, the count).
void BM_Towary_PeriodSwitch_OneSupplier(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        Stopwatch engine;
        const int choices[2] = {4, 5};
        int k = 0;
        qint64 rows = 0;
        for (auto _ : state) {
            k ^= 1;
            engine.start();
            p.choose(choices[k]);
            engine.stop();
            rows += p.dm->TableTowary->recordCount();
        }
        const QDate periods[2][2] = {{QDate(2026, 11, 1), QDate(2026, 11, 30)},
                                     {QDate(2026, 10, 1), QDate(2026, 12, 31)}};
        SqliteDb db(p.linesPath(), SQLITE_OPEN_READONLY);
        SqliteStmt st(db,
                      selectLines(db, true, true, "\"WartoscNetto\", \"WartoscVat\", \"WartoscBrutto\"",
                                  "\"NumerDostawcy\", \"DataZakupu\", rowid"));
        qint64 refRows = 0;
        int j = 0;
        const auto ref = timeReference(engine.runs(), [&] {
            j ^= 1;
            st.reset();
            st.bind(1, kBenchSupplier);
            st.bind(2, periods[j][0]);
            st.bind(3, periods[j][1]);
            double net = 0, vat = 0, gross = 0;
            while (st.step()) {
                net += st.columnDouble(0);
                vat += st.columnDouble(1);
                gross += st.columnDouble(2);
                ++refRows;
            }
            benchmark::DoNotOptimize(net + vat + gross);
        });
        report(state, engine, ref, double(rows) / double(std::max<qint64>(1, engine.runs())), 20);
    });
}
BENCHMARK(BM_Towary_PeriodSwitch_OneSupplier)->Unit(benchmark::kMillisecond);

// All suppliers: October and November in turn through "Wybrany Miesiąc".
void BM_Towary_PeriodSwitch_AllSuppliersMonth(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        p.allSuppliers(true);
        p.chooseMonth(9);
        Stopwatch engine;
        int k = 0;
        qint64 rows = 0;
        for (auto _ : state) {
            k ^= 1;
            engine.start();
            jadl::bench::child<QComboBox>(p.window.get(), "ComboBoxMiesiace")->setCurrentIndex(9 + k);
            engine.stop();
            rows = p.dm->TableTowary->recordCount();
        }
        const QDate months[2][2] = {{QDate(2026, 10, 1), QDate(2026, 10, 31)},
                                    {QDate(2026, 11, 1), QDate(2026, 11, 30)}};
        SqliteDb db(p.linesPath(), SQLITE_OPEN_READONLY);
        SqliteStmt st(db, selectLines(db, false, true, "rowid", "\"Symbol\", rowid"));
        int j = k;
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            st.bind(1, months[j][0]);
            st.bind(2, months[j][1]);
            qint64 n = 0;
            while (st.step())
                ++n;
            if (j == k)
                checkSame(rows, n);
            j ^= 1;
        });
        report(state, engine, ref, double(rows), 100);
    });
}
BENCHMARK(BM_Towary_PeriodSwitch_AllSuppliersMonth)->Unit(benchmark::kMillisecond);

// All suppliers: from a month to "Cały Okres" (the month itself is not timed).
void BM_Towary_PeriodSwitch_AllSuppliersWhole(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        p.allSuppliers(true);
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            p.choose(4);
            engine.start();
            p.choose(11);
            engine.stop();
            rows = p.dm->TableTowary->recordCount();
        }
        SqliteDb db(p.linesPath(), SQLITE_OPEN_READONLY);
        SqliteStmt st(db, selectLines(db, false, false, "rowid", "\"Symbol\", rowid"));
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            qint64 n = 0;
            while (st.step())
                ++n;
            checkSame(rows, n);
        });
        report(state, engine, ref, double(rows), 500);
    });
}
BENCHMARK(BM_Towary_PeriodSwitch_AllSuppliersWhole)->Unit(benchmark::kMillisecond)->Iterations(3);

// Switching to all suppliers over "Cały Okres": the lines of the whole register
// re-read, counted and their sums taken, against sqlite3's own sum() over them.
void BM_Towary_AllSuppliersTotals_Whole(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        p.choose(11);
        Stopwatch engine;
        qint64 rows = 0;
        for (auto _ : state) {
            p.allSuppliers(false);
            engine.start();
            p.allSuppliers(true);
            engine.stop();
            rows = p.dm->TableTowary->recordCount();
        }
        SqliteDb db(p.linesPath(), SQLITE_OPEN_READONLY);
        SqliteStmt st(db,
                      "SELECT count(*), sum(\"WartoscNetto\"), sum(\"WartoscVat\"), sum(\"WartoscBrutto\") FROM " +
                          sqlTableName(db));
        const auto ref = timeReference(engine.runs(), [&] {
            st.reset();
            if (!st.step())
                throw std::runtime_error("no sums");
            benchmark::DoNotOptimize(st.columnDouble(1) + st.columnDouble(2) + st.columnDouble(3));
            checkSame(rows, st.columnInt(0));
        });
        report(state, engine, ref, double(rows), 500);
    });
}
BENCHMARK(BM_Towary_AllSuppliersTotals_Whole)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every supplier's stored sums over one month (200 suppliers), as the refresh
// button computes them; sqlite3 sums the same lines per supplier in the same order
// and writes the 200 suppliers in one transaction.
void sumsReference(const QString& linesPath, const QString& suppliersPath, Stopwatch& sw, qint64 runs)
{
    SqliteDb lines(linesPath, SQLITE_OPEN_READONLY);
    SqliteStmt st(lines,
                  selectLines(lines, false, true,
                              "\"NumerDostawcy\", \"WartoscNetto\", \"WartoscVat\", \"WartoscBrutto\"",
                              "\"NumerDostawcy\", \"DataZakupu\", rowid"));
    SqliteDb sup(suppliersPath);
    sup.exec("PRAGMA synchronous=FULL");
    SqliteStmt upd(sup,
                   "UPDATE " + sqlTableName(sup) +
                       " SET \"WartoscNettoSuma\" = ?, \"WartoscVatSuma\" = ?, \"WartoscBruttoSuma\" = ? "
                       "WHERE \"Numer\" = ?");
    sw = timeReference(runs, [&] {
        st.reset();
        st.bind(1, benchMonthStart());
        st.bind(2, benchMonthEnd());
        std::map<qint64, jadl::purchases::Sums> sums;
        while (st.step()) {
            jadl::purchases::Sums& s = sums[st.columnInt(0)];
            s.net += st.columnDouble(1);
            s.vat += st.columnDouble(2);
            s.gross += st.columnDouble(3);
        }
        sup.exec("BEGIN");
        for (int n = 1; n <= kSuppliers; ++n) {
            const jadl::purchases::Sums s = sums[n];
            upd.reset();
            upd.bind(1, roundedMoney(s.net));
            upd.bind(2, roundedMoney(s.vat));
            upd.bind(3, roundedMoney(s.gross));
            upd.bind(4, n);
            upd.step();
        }
        sup.exec("COMMIT");
    });
}

void BM_Towary_EverySupplierSums_Month(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        p.choose(4);
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            p.window->everySupplierTotals();
            engine.stop();
        }
        Stopwatch ref;
        sumsReference(p.linesPath(), tablePath(p.dir.path(), QStringLiteral("Dostawcy.db")), ref, engine.runs());
        report(state, engine, ref, double(kSuppliers), 1000);
    });
}
BENCHMARK(BM_Towary_EverySupplierSums_Month)->Unit(benchmark::kMillisecond);

// The whole refresh button: every supplier's sums, the calendar handler, the
// re-reads and the current supplier's sums.
void BM_Towary_RefreshButton_Month(benchmark::State& state)
{
    guarded(state, [&] {
        Program p;
        p.choose(4);
        Stopwatch engine;
        for (auto _ : state) {
            engine.start();
            p.window->OdswierzanieTablicyDostawcowClick();
            engine.stop();
        }
        Stopwatch ref;
        sumsReference(p.linesPath(), tablePath(p.dir.path(), QStringLiteral("Dostawcy.db")), ref, engine.runs());
        report(state, engine, ref, double(kSuppliers), 1000);
    });
}
BENCHMARK(BM_Towary_RefreshButton_Month)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return jadl::bench::runBenchmarks<QApplication>(argc, argv);
}
