// Work over a whole view: exact totals whichever way they are added, a posted
// record put in its place without reading the view again, removal of many
// records at once.
#include "StoreFixture.h"
#include "common/ExactSum.h"

#include <cstring>
#include <random>

using namespace storetest;

namespace {

__extension__ typedef __float128 Quad;

// The exact sum of a few thousand money values fits in a quad's 113 bits.
double exactTotal(const std::vector<double>& values)
{
    Quad q = 0;
    for (double v : values)
        q += Quad(v);
    return double(q);
}

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

const QString kNet = QStringLiteral("WartoscNetto");
const QString kGross = QStringLiteral("WartoscBrutto");

std::vector<double> valueSet(const QString& name)
{
    std::vector<double> v;
    if (name == QLatin1String("halves of a grosz")) {
        v.assign(2001, 0.005);
    } else if (name == QLatin1String("cancellation")) {
        for (int i = 0; i < 300; ++i)
            v.insert(v.end(), {1e15, 0.01, -1e15, 0.005});
    } else { // a generated register: cents, returns among them
        std::mt19937 gen(7);
        std::uniform_int_distribution<int> cents(-50000, 500000);
        for (int i = 0; i < 3000; ++i)
            v.push_back(cents(gen) / 100.0);
    }
    return v;
}

} // namespace

class TstWholeView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void sumsAreTheExactTotalsOfTheView_data();
    void sumsAreTheExactTotalsOfTheView();
    void postedRecordTakesItsPlace_data();
    void postedRecordTakesItsPlace();
    void removalTakesPickedRecordsOfTheView_data();
    void removalTakesPickedRecordsOfTheView();
    void failedRemovalRemovesNothing();
    void failingFilterWhilePlacingLeavesASoundView();
    void recordIdsFarApart();

private:
    // Lines with supplier i % 3, quantity i, the set's value as net, twice it as gross.
    void fill(const std::vector<double>& values);
    // The view as asked: "all", "pre-filter" (odd quantities, in SQL), "filter"
    // (the same by callback), "outside write" (another program adds a line),
    // "linked" (supplier 1), "editing" (one line's typing).
    void viewAs(const QString& view);
    bool visible(int i, const QString& view) const;

    std::unique_ptr<Env> env_;
    std::unique_ptr<Table> lines_;
    std::unique_ptr<Table> suppliers_;
    std::unique_ptr<DataSource> supplierSource_;
};

void TstWholeView::init()
{
    env_ = std::make_unique<Env>();
    lines_ = openTable(QStringLiteral("Towary.DB"), QStringLiteral("TableTowary"));
}

void TstWholeView::cleanup()
{
    lines_.reset();
    supplierSource_.reset();
    suppliers_.reset();
    env_.reset();
}

void TstWholeView::fill(const std::vector<double>& values)
{
    Table::Batch batch(*lines_);
    for (size_t i = 0; i < values.size(); ++i) {
        lines_->append();
        lines_->fieldByName(QStringLiteral("NumerDostawcy")).setInteger(int(i % 3));
        lines_->fieldByName(QStringLiteral("Ilosc")).setFloat(double(i));
        lines_->fieldByName(kNet).setFloat(values[i]);
        lines_->fieldByName(kGross).setFloat(values[i] * 2);
        lines_->post();
    }
    batch.commit();
}

bool TstWholeView::visible(int i, const QString& view) const
{
    if (view == QLatin1String("pre-filter") || view == QLatin1String("filter"))
        return i % 2 == 1;
    if (view == QLatin1String("linked"))
        return i % 3 == 1;
    return true;
}

void TstWholeView::viewAs(const QString& view)
{
    if (view == QLatin1String("pre-filter")) {
        lines_->setPreFilter([] {
            return SqlPreFilter{QStringLiteral("CAST(\"Ilosc\" AS INTEGER) % 2 = 1"), {}, {QStringLiteral("Ilosc")}};
        });
        lines_->setFiltered(true);
    } else if (view == QLatin1String("filter")) {
        lines_->setOnFilterRecord(
            [](Table& t, bool& accept) { accept = qint64(t.fieldByName(QStringLiteral("Ilosc")).asFloat()) % 2 == 1; });
        lines_->setFiltered(true);
    } else if (view == QLatin1String("outside write")) {
        // A filter that lets every line through, then another program adds one the
        // view has not read yet: the totals stay those of the view.
        lines_->setOnFilterRecord([](Table&, bool& accept) { accept = true; });
        lines_->setFiltered(true);
        QVERIFY(!lines_->isEmpty()); // the view is read before the other program writes
        rawExec(
            lines_->filePath(),
            QStringLiteral("INSERT INTO Towary (NumerDostawcy, WartoscNetto, WartoscBrutto) VALUES (1, 1000, 2000)"));
    } else if (view == QLatin1String("linked")) {
        suppliers_ = openTable(QStringLiteral("Dostawcy.DB"));
        for (int i = 0; i < 3; ++i)
            addSupplier(*suppliers_, QStringLiteral("S%1").arg(i));
        supplierSource_ = std::make_unique<DataSource>();
        supplierSource_->setDataSet(suppliers_.get());
        // The link follows the first field of the lines' index.
        if (!lines_->indexFieldNames().value(0).startsWith(QLatin1String("NumerDostawcy")))
            lines_->setIndexName(QStringLiteral("NumerDostawcyInd"));
        lines_->setMasterFields(QStringLiteral("Numer"));
        lines_->setMasterSource(supplierSource_.get());
        suppliers_->locate(QStringLiteral("Numer"), 1);
    }
}

void TstWholeView::sumsAreTheExactTotalsOfTheView_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("view");
    for (const char* set : {"halves of a grosz", "cancellation", "generated register"})
        for (const char* view : {"all", "pre-filter", "filter", "outside write", "linked", "editing"})
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(set), QLatin1String(view))))
                << QString::fromLatin1(set) << QString::fromLatin1(view);
}

void TstWholeView::sumsAreTheExactTotalsOfTheView()
{
    QFETCH(QString, set);
    QFETCH(QString, view);
    std::vector<double> values = valueSet(set);
    fill(values);
    viewAs(view);
    if (view == QLatin1String("editing")) {
        // The grid shows the typing of the line being edited; so do its totals.
        lines_->setRecNo(5);
        const int i = int(lines_->fieldByName(QStringLiteral("Ilosc")).asFloat());
        lines_->edit();
        lines_->fieldByName(kNet).setFloat(123.45);
        lines_->fieldByName(kGross).setFloat(246.9);
        values[size_t(i)] = 123.45;
    }

    std::vector<double> net, gross;
    std::map<qint64, std::vector<double>> bySupplier;
    for (size_t i = 0; i < values.size(); ++i) {
        if (!visible(int(i), view))
            continue;
        net.push_back(values[i]);
        gross.push_back(values[i] * 2);
        bySupplier[qint64(i % 3)].push_back(values[i]);
    }
    const std::vector<double> sums = lines_->sumsOverView({kNet, kGross});
    QVERIFY2(sameDouble(sums.at(0), exactTotal(net)), qPrintable(QString::number(sums.at(0), 'g', 17)));
    QVERIFY(sameDouble(sums.at(1), exactTotal(gross)));

    const auto groups = lines_->sumsOverViewBy(QStringLiteral("NumerDostawcy"), {kNet});
    QCOMPARE(groups.size(), bySupplier.size());
    for (const auto& [supplier, v] : bySupplier)
        QVERIFY2(groups.count(supplier) && sameDouble(groups.at(supplier).at(0), exactTotal(v)),
                 qPrintable(QStringLiteral("supplier %1").arg(supplier)));
}

void TstWholeView::postedRecordTakesItsPlace_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("view");
    for (const char* index : {"", "SymbolInd", "NrDostawcyDataZakupuInd"})
        for (const char* view : {"all", "pre-filter", "filter", "linked"})
            if (std::strcmp(view, "linked") != 0 || std::strcmp(index, "NrDostawcyDataZakupuInd") == 0)
                QTest::newRow(qPrintable(
                    QStringLiteral("%1, %2").arg(QLatin1String(*index ? index : "primary"), QLatin1String(view))))
                    << QString::fromLatin1(index) << QString::fromLatin1(view);
}

void TstWholeView::postedRecordTakesItsPlace()
{
    QFETCH(QString, index);
    QFETCH(QString, view);
    // Polish letters, equal keys and empty ones, dates out of order.
    const QStringList symbols{QStringLiteral("żurek"),   QStringLiteral("Łosoś"),  QStringLiteral("zupa"),
                              QStringLiteral("ćwikła"),  QStringLiteral("cebula"), QString(),
                              QStringLiteral("łopatka"), QStringLiteral("ser"),    QStringLiteral("Ser")};
    auto add = [&](int i) {
        lines_->append();
        lines_->fieldByName(QStringLiteral("NumerDostawcy")).setInteger(i % 3);
        lines_->fieldByName(QStringLiteral("Ilosc")).setFloat(double(i));
        if (!symbols[i % symbols.size()].isNull())
            lines_->fieldByName(QStringLiteral("Symbol")).setString(symbols[i % symbols.size()]);
        lines_->fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2026, 1 + (i * 7) % 12, 1 + (i * 5) % 28));
        lines_->post();
        // The cursor stays away from a record the view does not show: ask the file.
        return rawQuery(lines_->filePath(), QStringLiteral("SELECT max(Numer) FROM Towary")).at(0).at(0).toLongLong();
    };
    for (int i = 0; i < 20; ++i)
        add(i);
    lines_->setIndexName(index);
    viewAs(view);
    auto ids = [&] {
        std::vector<qint64> out;
        for (int row = 0; row < lines_->recordCount(); ++row)
            out.push_back(lines_->idAt(row));
        return out;
    };
    auto rebuiltIds = [&] {
        lines_->refresh();
        return ids();
    };

    for (int i = 20; i < 32; ++i) {
        const qint64 id = add(i);
        const std::vector<qint64> placed = ids();
        const bool shown = std::find(placed.begin(), placed.end(), id) != placed.end();
        QCOMPARE(shown, visible(i, view));
        if (shown)
            QCOMPARE(lines_->idAt(lines_->recNo() - 1), id);
        QCOMPARE(placed, rebuiltIds());
    }
    // An edit of a key field moves its record, or takes it out of a filtered view.
    lines_->setRecNo(2);
    const qint64 moved = lines_->idAt(1);
    lines_->edit();
    lines_->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("ąąą"));
    lines_->fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2020, 1, 1));
    lines_->fieldByName(QStringLiteral("Ilosc")).setFloat(100.0);
    lines_->post();
    const std::vector<qint64> placed = ids();
    QCOMPARE(std::find(placed.begin(), placed.end(), moved) != placed.end(), visible(100, view));
    QCOMPARE(placed, rebuiltIds());
}

void TstWholeView::removalTakesPickedRecordsOfTheView_data()
{
    QTest::addColumn<int>("keepEvery"); // a line i is kept when i % keepEvery == 0
    QTest::addColumn<QString>("view");
    for (int keep : {2, 10})
        for (const char* view : {"all", "filter"})
            QTest::newRow(qPrintable(
                QStringLiteral("%1 kept, %2")
                    .arg(keep == 2 ? QStringLiteral("half") : QStringLiteral("a tenth"), QLatin1String(view))))
                << keep << QString::fromLatin1(view);
}

void TstWholeView::removalTakesPickedRecordsOfTheView()
{
    QFETCH(int, keepEvery);
    QFETCH(QString, view);
    const int n = 400;
    fill(std::vector<double>(size_t(n), 1.25));
    const QString path = lines_->filePath();
    const QString rows = QStringLiteral("SELECT Numer, Ilosc, WartoscNetto, Symbol FROM Towary ORDER BY Numer");
    const QString schema = test::onServer()
        ? QStringLiteral("SELECT relname, relkind FROM pg_class WHERE relnamespace = 'public'::regnamespace "
                         "ORDER BY relname")
        : QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name");
    const QList<QStringList> before = rawQuery(path, rows);
    const QList<QStringList> schemaBefore = rawQuery(path, schema);
    viewAs(view);

    int progressCalls = 0;
    const int removed = lines_->removeFromView(
        QStringLiteral("Ilosc"), [&](const QVariant& v) { return int(v.toDouble()) % keepEvery != 0; },
        [&](int done, int total) {
            QVERIFY(done <= total);
            ++progressCalls;
        });

    QList<QStringList> expected;
    for (const QStringList& r : before) {
        const int i = int(r.at(1).toDouble());
        if (i % keepEvery == 0 || !visible(i, view))
            expected << r;
    }
    QCOMPARE(removed, before.size() - expected.size());
    QVERIFY(progressCalls > 0);
    QCOMPARE(rawQuery(path, rows), expected);
    QCOMPARE(rawQuery(path, schema), schemaBefore);
    QCOMPARE(lines_->recordCount(), int(std::count_if(expected.begin(), expected.end(), [&](const QStringList& r) {
                 return visible(int(r.at(1).toDouble()), view);
             })));
    // Keys are not given again: a new line comes after every line there ever was.
    QVERIFY(addLine(*lines_, 1, QStringLiteral("nowy"), QDate(2026, 12, 8)) > before.last().at(0).toLongLong());
}

void TstWholeView::failedRemovalRemovesNothing()
{
    fill(std::vector<double>(300, 2.5));
    const QString path = lines_->filePath();
    const QList<QStringList> before = rawQuery(path, QStringLiteral("SELECT * FROM Towary ORDER BY Numer"));
    if (test::onServer()) {
        // No reader holds a writer back on the server: the last delete fails instead.
        rawExec(path,
                QStringLiteral("CREATE FUNCTION jadl_test_stop() RETURNS trigger LANGUAGE plpgsql AS $f$ "
                               "BEGIN IF OLD.Numer = 300 THEN RAISE EXCEPTION 'stop'; END IF; RETURN OLD; "
                               "END $f$; CREATE TRIGGER jadl_test_stop BEFORE DELETE ON Towary FOR EACH ROW "
                               "EXECUTE FUNCTION jadl_test_stop()"));
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 lines_->removeFromView(QStringLiteral("Ilosc"), [](const QVariant&) { return true; }));
        rawExec(path, QStringLiteral("DROP TRIGGER jadl_test_stop ON Towary"));
    } else {
        // Another program reading the file keeps the removal from committing.
        SQLite::Database reader(path.toStdString(), SQLite::OPEN_READONLY);
        reader.exec("BEGIN");
        SQLite::Statement hold(reader, "SELECT count(*) FROM Towary");
        QVERIFY(hold.executeStep());
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 lines_->removeFromView(QStringLiteral("Ilosc"), [](const QVariant&) { return true; }));
    }
    QCOMPARE(rawQuery(path, QStringLiteral("SELECT * FROM Towary ORDER BY Numer")), before);
    QCOMPARE(lines_->removeFromView(QStringLiteral("Ilosc"), [](const QVariant& v) { return v.toDouble() < 100; }),
             100);
    QCOMPARE(lines_->recordCount(), 200);
}

void TstWholeView::failingFilterWhilePlacingLeavesASoundView()
{
    fill(std::vector<double>(20, 1.0));
    bool fail = false;
    lines_->setOnFilterRecord([&fail](Table&, bool& accept) {
        if (fail)
            throw EngineError(QStringLiteral("filtr"));
        accept = true;
    });
    lines_->setFiltered(true);
    QCOMPARE(lines_->recordCount(), 20);
    fail = true;
    QVERIFY_THROWS_EXCEPTION(EngineError, addLine(*lines_, 1, QStringLiteral("x"), QDate(2026, 12, 8)));
    fail = false;
    // The record is written; the view is read again, cursor and all.
    QCOMPARE(lines_->recordCount(), 21);
    lines_->last();
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("x"));
}

void TstWholeView::recordIdsFarApart()
{
    // Ids a program may have given far apart: the view's record set is hashed, not a bitmap.
    rawExec(lines_->filePath(),
            QStringLiteral("INSERT INTO Towary (Numer, Ilosc, WartoscNetto) VALUES (1, 1, 1.25), (1099511627776, 3, "
                           "2.5), (4611686018427387904, 5, 4)"));
    lines_->refresh();
    lines_->setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("Ilosc")).asFloat() < 4; });
    lines_->setFiltered(true);
    QCOMPARE(lines_->sumsOverView({kNet}).at(0), 3.75);
    QCOMPARE(lines_->removeFromView(QStringLiteral("Ilosc"), [](const QVariant&) { return true; }), 2);
    QCOMPARE(rawQuery(lines_->filePath(), QStringLiteral("SELECT Numer FROM Towary")),
             (QList<QStringList>{{QStringLiteral("4611686018427387904")}}));
}

QTEST_GUILESS_MAIN(TstWholeView)
#include "tst_wholeview.moc"
