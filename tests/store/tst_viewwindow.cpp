// A large view read as a window over the index against the list of every id it
// replaces: the same rows in the same order, read forward, backward and by
// jumps, found by id and by value, after this connection's and another's posts.
#include "StoreFixture.h"
#include "store/internal/TableView.h"

#include <cstring>
#include <random>

using namespace storetest;

namespace {

const QString kSupplier = QStringLiteral("NumerDostawcy");
const QString kSymbol = QStringLiteral("Symbol");
const QString kDate = QStringLiteral("DataZakupu");
const QDate kStart(2024, 1, 1);

// Views above this many records are windows here, so a few thousand lines try them.
constexpr int kLargestList = 200;

struct Line {
    std::optional<int> supplier;
    QString symbol; // empty: none
    std::optional<QDate> date;
    double net = 0.0;
};

// Most lines of supplier 2, empty suppliers, symbols and dates among them, Polish letters.
Line lineOf(int i)
{
    static const QStringList words = {QStringLiteral("Łosoś"),    QStringLiteral("ser"),   QStringLiteral("Ćwikła"),
                                      QStringLiteral("śmietana"), QStringLiteral("Żur"),   QStringLiteral("cebula"),
                                      QStringLiteral("Ser"),      QStringLiteral("źdźbło")};
    Line l;
    if (i % 11 != 0)
        l.supplier = i % 3 == 0 ? 1 : 2;
    if (i % 13 != 0)
        l.symbol = words[i % words.size()] + QString::number(i % 37);
    if (i % 17 != 0)
        l.date = kStart.addDays((i * 7) % 900);
    l.net = (i % 97) * 1.01 - 3.3;
    return l;
}

void put(Table& t, const Line& l)
{
    if (l.supplier)
        t.fieldByName(kSupplier).setInteger(*l.supplier);
    else
        t.fieldByName(kSupplier).clear();
    if (l.symbol.isEmpty())
        t.fieldByName(kSymbol).clear();
    else
        t.fieldByName(kSymbol).setString(l.symbol);
    if (l.date)
        t.fieldByName(kDate).setDate(*l.date);
    else
        t.fieldByName(kDate).clear();
    t.fieldByName(QStringLiteral("WartoscNetto")).setFloat(l.net);
    t.fieldByName(QStringLiteral("WartoscBrutto")).setFloat(l.net * 1.23);
}

SqlPreFilter dateRange(bool decides)
{
    const QDate from = kStart.addDays(100), to = kStart.addDays(700);
    SqlPreFilter pf{QStringLiteral("\"DataZakupu\" >= ? AND \"DataZakupu\" <= ?"),
                    {from.toString(Qt::ISODate), to.toString(Qt::ISODate)},
                    {kDate}};
    pf.decides = decides;
    if (decides)
        pf.range = SqlPreFilter::DateRange{kDate, from, to};
    return pf;
}

} // namespace

class TstViewWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void windowShowsWhatTheListShows_data();
    void windowShowsWhatTheListShows();

private:
    // The lines as a window (`window`) and as the list a filter callback makes (`list`).
    void open(const QString& index, bool linked, bool ranged);
    void compareAll(const char* step);

    std::unique_ptr<Env> env_;
    std::unique_ptr<Table> suppliers_;
    std::unique_ptr<DataSource> supplierSource_;
    std::unique_ptr<Table> window_;
    std::unique_ptr<Table> list_;
};

void TstViewWindow::initTestCase()
{
    tableview::setLargestList(kLargestList);
}

void TstViewWindow::cleanupTestCase()
{
    tableview::setLargestList(16384);
}

void TstViewWindow::init()
{
    env_ = std::make_unique<Env>();
    suppliers_ = openTable(QStringLiteral("Dostawcy.DB"));
    for (int i = 0; i < 3; ++i)
        addSupplier(*suppliers_, QStringLiteral("S%1").arg(i));
    supplierSource_ = std::make_unique<DataSource>();
    supplierSource_->setDataSet(suppliers_.get());
    auto lines = openTable(QStringLiteral("Towary.DB"));
    Table::Batch batch(*lines);
    for (int i = 0; i < 2500; ++i) {
        lines->append();
        put(*lines, lineOf(i));
        lines->post();
    }
    batch.commit();
}

void TstViewWindow::cleanup()
{
    window_.reset();
    list_.reset();
    supplierSource_.reset();
    suppliers_.reset();
    env_.reset();
}

void TstViewWindow::open(const QString& index, bool linked, bool ranged)
{
    for (bool asList : {false, true}) {
        auto t = table(QStringLiteral("Towary.DB"));
        t->setIndexName(index);
        if (linked) {
            t->setMasterFields(QStringLiteral("Numer"));
            t->setMasterSource(supplierSource_.get());
        }
        if (asList) {
            // A callback that lets every line through still judges each one: a list.
            t->setOnFilterRecord([](Table&, bool& accept) { accept = true; });
            t->setFiltered(true);
        }
        if (ranged) {
            t->setPreFilter([asList] { return dateRange(!asList); });
            t->setFiltered(true);
        }
        t->open();
        (asList ? list_ : window_) = std::move(t);
    }
}

void TstViewWindow::compareAll(const char* step)
{
    list_->refresh();
    const int n = list_->recordCount();
    QVERIFY2(n > kLargestList, step);
    QCOMPARE(window_->recordCount(), n);
    for (int i = 0; i < n; ++i)
        if (window_->idAt(i) != list_->idAt(i))
            QFAIL(qPrintable(QStringLiteral("%1: row %2 of %3 differs").arg(QLatin1String(step)).arg(i).arg(n)));
    // The window's totals (kept monthly sums where they answer) are the list's, to the bit.
    const QStringList values{QStringLiteral("WartoscNetto"), QStringLiteral("WartoscBrutto")};
    const std::vector<double> a = window_->sumsOverView(values), b = list_->sumsOverView(values);
    QVERIFY2(std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0 && a.size() == b.size(), step);
}

void TstViewWindow::windowShowsWhatTheListShows_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<bool>("linked");
    QTest::addColumn<bool>("ranged");
    QTest::newRow("primary") << QString() << false << false;
    QTest::newRow("supplier and symbol") << QStringLiteral("NrDostawcySymbolInd") << false << false;
    QTest::newRow("symbol, period") << QStringLiteral("SymbolInd") << false << true;
    QTest::newRow("date") << QStringLiteral("DataZakupuInd") << false << false;
    QTest::newRow("one supplier by symbol") << QStringLiteral("NrDostawcySymbolInd") << true << false;
    QTest::newRow("one supplier by date, period") << QStringLiteral("NrDostawcyDataZakupuInd") << true << true;
}

void TstViewWindow::windowShowsWhatTheListShows()
{
    QFETCH(QString, index);
    QFETCH(bool, linked);
    QFETCH(bool, ranged);
    suppliers_->locate(QStringLiteral("Numer"), 2);
    open(index, linked, ranged);
    const int n = list_->recordCount();

    // Forward from the first page, then backward from the last.
    compareAll("forward");
    window_->refresh();
    for (int i = n - 1; i >= 0; --i)
        if (window_->idAt(i) != list_->idAt(i))
            QFAIL(qPrintable(QStringLiteral("backward: row %1 differs").arg(i)));

    // Jumps into the middle and the rows around them; records found by id and by value.
    window_->refresh();
    std::mt19937 gen(11);
    std::uniform_int_distribution<int> anyRow(0, n - 1);
    for (int k = 0; k < 60; ++k) {
        const int row = anyRow(gen);
        for (int r : {row, std::max(0, row - 1), std::min(n - 1, row + 300), std::max(0, row - 300)})
            QCOMPARE(window_->idAt(r), list_->idAt(r));
        const int other = anyRow(gen);
        QCOMPARE(window_->rowOf(list_->idAt(other)), std::optional<int>(other));
    }
    for (const QString& prefix : {QStringLiteral("Ż"), QStringLiteral("ser1"), QStringLiteral("brak")}) {
        QCOMPARE(window_->locate(kSymbol, prefix), list_->locate(kSymbol, prefix));
        QCOMPARE(window_->recNo(), list_->recNo());
    }
    window_->last();
    QCOMPARE(window_->recNo(), n);
    window_->refresh(); // no page read: the engine counts the rows before each
    for (int r : {0, 5, n / 3, n - 1})
        QCOMPARE(window_->rowOf(list_->idAt(r)), std::optional<int>(r));

    // This connection's edit moves a line; its removal and an addition change the count.
    window_->setRecNo(n / 2);
    const qint64 moved = window_->idAt(n / 2 - 1);
    window_->edit();
    put(*window_, {2, QStringLiteral("aaa"), kStart.addDays(400), 12.34});
    window_->post();
    list_->refresh();
    QCOMPARE(window_->recNo() - 1, list_->rowOf(moved).value_or(-1));
    window_->setRecNo(n / 3);
    window_->deleteRecord();
    // New lines one after another: each finds its place from the one before.
    for (int k = 0; k < 6; ++k) {
        window_->append();
        put(*window_,
            {k % 3 == 0 ? std::nullopt : std::optional<int>(2),
             k % 2 ? QStringLiteral("Ćma%1").arg(k) : QStringLiteral("ser1"), kStart.addDays(300 + k), 0.07 * k});
        window_->post();
        const qint64 added = window_->idAt(window_->recNo() - 1);
        list_->refresh();
        QCOMPARE(window_->recNo() - 1, list_->rowOf(added).value_or(-1));
    }
    compareAll("after this connection's posts");

    // Another workstation adds and removes lines while the window has pages read.
    auto other = openTable(QStringLiteral("Towary.DB"));
    {
        Table::Batch batch(*other);
        for (int i = 0; i < 120; ++i) {
            other->append();
            put(*other, lineOf(i * 5 + 1));
            other->post();
        }
        other->first();
        for (int i = 0; i < 40; ++i)
            other->deleteRecord();
        batch.commit();
    }
    window_->setRecNo(n / 2); // a page not read yet: the window counts again
    compareAll("after another's posts");
}

QTEST_GUILESS_MAIN(TstViewWindow)
#include "tst_viewwindow.moc"
