// Appending and posting one purchase line, durable once post returns (one
// committed transaction), against a plain sqlite3 INSERT committed with the same
// pragmas. The lines added are deleted afterwards, so the data set stays as generated.
#include "common/Formats.h"
#include "support/BenchHarness.h"
#include "support/DataGenerator.h"

#include <QList>
#include <QPair>

#include <cstdio>
#include <stdexcept>

using namespace jadl;
using namespace jadl::bench;

namespace {

using Values = QList<QPair<QString, QVariant>>;

// What the goods assignment writes for one line, bar the supplier's copies.
Values lineValues()
{
    const QDate day = lastPurchaseDay();
    return {
        {QStringLiteral("DataZakupu"), day},
        {QStringLiteral("DataZakupuString"), formatDayMonth(day)},
        {QStringLiteral("Nazwa"), QStringLiteral("Mleko extra")},
        {QStringLiteral("Symbol"), QStringLiteral("NAB-006")},
        {QStringLiteral("NumerPodstawowy"), 6},
        {QStringLiteral("NumerGrupy"), 1},
        {QStringLiteral("Grupa"), QStringLiteral("Nabiał")},
        {QStringLiteral("TypTowaru"), QStringLiteral("Spożywczy")},
        {QStringLiteral("Indeks"), QStringLiteral("5901234567890")},
        {QStringLiteral("RestauracjaSymbol"), QStringLiteral("LIPY")},
        {QStringLiteral("RestauracjaNumer"), 1},
        {QStringLiteral("CenaNetto"), 3.99},
        {QStringLiteral("CenaReferencyjna"), 4.10},
        {QStringLiteral("JakaCenaRef"), QStringLiteral("+")},
        {QStringLiteral("VatTyp"), QStringLiteral("5")},
        {QStringLiteral("CenaBrutto"), 4.19},
        {QStringLiteral("UpustProc"), 0.0},
        {QStringLiteral("Ilosc"), 12.0},
        {QStringLiteral("JednostkaMiary"), QStringLiteral("szt")},
        {QStringLiteral("WartoscNetto"), 47.88},
        {QStringLiteral("Vat"), 0.05},
        {QStringLiteral("WartoscVat"), 2.39},
        {QStringLiteral("WartoscBrutto"), 50.27},
        {QStringLiteral("CzyBylaFaktura"), true},
        {QStringLiteral("Par9"), QStringLiteral("Tak")},
    };
}

void setField(Field& f, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        f.setDate(v.toDate());
        break;
    case QMetaType::Double:
        f.setFloat(v.toDouble());
        break;
    case QMetaType::Int:
        f.setInteger(v.toInt());
        break;
    case QMetaType::Bool:
        f.setBoolean(v.toBool());
        break;
    default:
        f.setString(v.toString());
    }
}

qint64 maxNumer(const QString& path)
{
    SqliteDb db(path, SQLITE_OPEN_READONLY);
    SqliteStmt st(db, "SELECT max(\"Numer\") FROM " + sqlTableName(db));
    return st.step() ? st.columnInt(0) : 0;
}

void removeAddedLines(const QString& path, qint64 keepUpTo)
{
    SqliteDb db(path);
    db.exec("DELETE FROM " + sqlTableName(db) + " WHERE \"Numer\" > " + std::to_string(keepUpTo));
}

// Deletes the lines a benchmark added, however it ends.
class AddedLinesRemover {
public:
    explicit AddedLinesRemover(QString path) : path_(std::move(path)), before_(maxNumer(path_)) { }
    ~AddedLinesRemover()
    {
        try {
            removeAddedLines(path_, before_);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "could not remove the added lines: %s\n", e.what());
        }
    }
    AddedLinesRemover(const AddedLinesRemover&) = delete;
    AddedLinesRemover& operator=(const AddedLinesRemover&) = delete;

private:
    QString path_;
    qint64 before_;
};

// The assignment window's view (one supplier, one day), or every line of the
// register, unfiltered: the new line takes its place in either without the view
// being read again.
enum class Into { AssignmentDay, WholeRegister };

void postBenchmark(benchmark::State& state, bool flush, Into into = Into::AssignmentDay)
{
    guarded(state, [&] {
        const QString dir = ensureData();
        const QString path = tablePath(dir, QStringLiteral("Towary.DB"));
        const AddedLinesRemover cleanup(path);
        const Values values = lineValues();
        Stopwatch engine;
        {
            // The assignment window's view: the current supplier's lines of one day.
            PurchaseView v(dir);
            v.setPeriod(lastPurchaseDay(), lastPurchaseDay());
            v.openSuppliersAt(kBenchSupplier);
            if (into == Into::WholeRegister) {
                v.linkToSuppliers(false);
                v.lines.setFiltered(false);
            }
            v.lines.open();
            if (into == Into::WholeRegister && v.lines.recordCount() < 1000000)
                throw std::runtime_error("the whole register is not in the view");
            for (auto _ : state) {
                engine.start();
                v.lines.append();
                for (const auto& [name, value] : values)
                    setField(v.lines.fieldByName(name), value);
                v.lines.fieldByName(QStringLiteral("NumerDostawcy"))
                    .setInteger(v.suppliers.fieldByName(QStringLiteral("Numer")).asInteger());
                v.lines.fieldByName(QStringLiteral("SymbolDostawcy"))
                    .setString(v.suppliers.fieldByName(QStringLiteral("Symbol")).asString());
                v.lines.fieldByName(QStringLiteral("Dostawca"))
                    .setString(v.suppliers.fieldByName(QStringLiteral("Nazwa")).asString());
                v.lines.post();
                if (flush)
                    v.lines.flushBuffers();
                engine.stop();
            }
        }

        Stopwatch ref;
        {
            SqliteDb db(path);
            db.exec("PRAGMA journal_mode=DELETE");
            db.exec("PRAGMA synchronous=FULL");
            std::string cols, marks;
            for (const auto& [name, value] : values) {
                cols.append(1, '"').append(name.toStdString()).append("\",");
                marks += "?,";
            }
            cols += "\"NumerDostawcy\",\"SymbolDostawcy\",\"Dostawca\"";
            marks += "?,?,?";
            SqliteStmt ins(db, "INSERT INTO " + sqlTableName(db) + " (" + cols + ") VALUES (" + marks + ")");
            ref = timeReference(engine.runs(), [&] {
                ins.reset();
                int i = 1;
                for (const auto& [name, value] : values)
                    ins.bind(i++, value);
                ins.bind(i++, kBenchSupplier);
                ins.bind(i++, QStringLiteral("X-100"));
                ins.bind(i, QStringLiteral("Hurtownia"));
                ins.step();
            });
        }
        report(state, engine, ref, 1, into == Into::AssignmentDay ? 20 : 0);
        if (into == Into::WholeRegister) {
            state.counters["target_ratio"] = 3;
            state.counters["met"] = engine.meanMs() <= 3 * ref.meanMs() ? 1 : 0;
        }
    });
}

void BM_PostLine(benchmark::State& state)
{
    postBenchmark(state, false);
}
BENCHMARK(BM_PostLine)->Unit(benchmark::kMillisecond);

// As the program saves a purchase line: post, then flush to disk.
void BM_PostLineAndFlush(benchmark::State& state)
{
    postBenchmark(state, true);
}
BENCHMARK(BM_PostLineAndFlush)->Unit(benchmark::kMillisecond);

// Append and post into an open view of the whole register (a million lines).
void BM_AppendIntoWholeRegisterView(benchmark::State& state)
{
    postBenchmark(state, false, Into::WholeRegister);
}
BENCHMARK(BM_AppendIntoWholeRegisterView)->Unit(benchmark::kMillisecond);

} // namespace

JADL_BENCHMARK_MAIN()
