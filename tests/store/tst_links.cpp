// Master link and filter: what the detail table shows as the master moves, and
// what the filter callback and its SQL pre-filter let through.
#include "StoreFixture.h"

using namespace jadl;
using namespace storetest;

class TstLinks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void detailFollowsMaster();
    void linkPropertiesInAnyOrder();
    void insertTakesMasterKey();
    void nullMasterKeyMatchesNullLinks();
    void disabledMasterDoesNotPropagate();
    void refreshSeesMasterMoveBeforeLinkHearsOfIt();
    void filterHidesFromMovesAndCounts();
    void filterSeesTheOfferedRow();
    void preFilterNarrowsBeforeCallback();
    void postHiddenByFilterStaysNear();
    void editOfFilterColumnRebuilds();
    void postOfPreFilterColumn_data();
    void postOfPreFilterColumn();
    void preFilterColumnMustExist();
    void valueAtReadsRowsWithoutMoving();

private:
    std::unique_ptr<Env> env_;
    std::unique_ptr<Table> suppliers_;
    std::unique_ptr<Table> lines_;
    std::unique_ptr<DataSource> supplierSource_;
    QList<qint64> supplierIds_;
};

void TstLinks::init()
{
    env_ = std::make_unique<Env>();
    suppliers_ = openTable(QStringLiteral("Dostawcy.db"), QStringLiteral("TableDostawcy"));
    for (const char* s : {"S1", "S2", "S3"})
        supplierIds_ << addSupplier(*suppliers_, QString::fromLatin1(s));
    lines_ = openTable(QStringLiteral("Towary.DB"), QStringLiteral("TableTowary"));
    // S1: two lines, S2: none, S3: three lines
    addLine(*lines_, int(supplierIds_[0]), QStringLiteral("b"), QDate(2026, 11, 30));
    addLine(*lines_, int(supplierIds_[0]), QStringLiteral("a"), QDate(2026, 12, 1));
    addLine(*lines_, int(supplierIds_[2]), QStringLiteral("c"), QDate(2026, 12, 2), 2);
    addLine(*lines_, int(supplierIds_[2]), QStringLiteral("d"), QDate(2026, 12, 31), 3);
    addLine(*lines_, int(supplierIds_[2]), QStringLiteral("e"), QDate(2027, 1, 1), 4);
    supplierSource_ = std::make_unique<DataSource>(nullptr, suppliers_.get());
}

void TstLinks::cleanup()
{
    lines_.reset();
    supplierSource_.reset();
    suppliers_.reset();
    supplierIds_.clear();
    env_.reset();
}

void TstLinks::detailFollowsMaster()
{
    lines_->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    DataSource lineSource(nullptr, lines_.get());
    Signals sig(lineSource);

    suppliers_->first();
    QCOMPARE(lines_->recordCount(), 2);
    QCOMPARE(symbols(*lines_), (QStringList{QStringLiteral("a"), QStringLiteral("b")})); // sorted by the index
    suppliers_->next();
    QCOMPARE(lines_->recordCount(), 0);
    QVERIFY(lines_->bof() && lines_->eof());
    suppliers_->next();
    QCOMPARE(lines_->recordCount(), 3);
    QVERIFY(sig.changed >= 2);
    suppliers_->locate(QStringLiteral("Symbol"), QStringLiteral("S1"));
    QCOMPARE(lines_->recordCount(), 2);

    // a closed master restricts nothing; clearing either property drops the link
    suppliers_->close();
    QCOMPARE(lines_->recordCount(), 5);
    suppliers_->open();
    QCOMPARE(lines_->recordCount(), 2);
    lines_->setMasterFields(QString());
    QCOMPARE(lines_->recordCount(), 5);
    lines_->setMasterFields(QStringLiteral("Numer"));
    QCOMPARE(lines_->recordCount(), 2);
    lines_->setMasterSource(nullptr);
    QCOMPARE(lines_->recordCount(), 5);
}

void TstLinks::linkPropertiesInAnyOrder()
{
    // fields first, with the primary-key order whose key is not the link field yet
    lines_->setMasterFields(QStringLiteral("Numer"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setIndexName(QString());
    lines_->setIndexName(QStringLiteral("NumerDostawcyInd"));
    suppliers_->last();
    QCOMPARE(lines_->recordCount(), 3);
    // a master field the master does not have: no restriction, no error
    lines_->setMasterFields(QStringLiteral("Brak"));
    QCOMPARE(lines_->recordCount(), 5);
    // the link re-evaluates on close/open of the detail
    lines_->setMasterFields(QStringLiteral("Numer"));
    lines_->close();
    lines_->open();
    QCOMPARE(lines_->recordCount(), 3);
}

void TstLinks::insertTakesMasterKey()
{
    lines_->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    suppliers_->setRecNo(2);
    lines_->append();
    QCOMPARE(lines_->fieldByName(QStringLiteral("NumerDostawcy")).asLargeInt(), supplierIds_[1]);
    lines_->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("nowy"));
    lines_->post();
    QCOMPARE(lines_->recordCount(), 1);
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("nowy"));
}

void TstLinks::nullMasterKeyMatchesNullLinks()
{
    lines_->append(); // a line without a supplier
    lines_->fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("bez"));
    lines_->post();
    lines_->setIndexName(QStringLiteral("NumerDostawcyInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    suppliers_->first();
    QCOMPARE(lines_->recordCount(), 2);
    suppliers_->insert(); // the new supplier has no Numer yet
    QCOMPARE(lines_->recordCount(), 1);
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("bez"));
    suppliers_->cancel();
    QCOMPARE(lines_->recordCount(), 2);
}

void TstLinks::disabledMasterDoesNotPropagate()
{
    lines_->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    suppliers_->first();
    QCOMPARE(lines_->recordCount(), 2);
    {
        ControlsDisabled off(*suppliers_);
        suppliers_->last();
        QCOMPARE(lines_->recordCount(), 2);
    }
    QCOMPARE(lines_->recordCount(), 3);
}

void TstLinks::refreshSeesMasterMoveBeforeLinkHearsOfIt()
{
    // A window's handler on the master's source, connected before the link, runs
    // first: a refresh there must already show the new master's lines.
    QList<int> seen;
    QObject::connect(supplierSource_.get(), &DataSource::dataSetScrolled, [&] {
        lines_->refresh();
        seen << lines_->recordCount();
    });
    lines_->setIndexName(QStringLiteral("NrDostawcySymbolInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    suppliers_->first();
    suppliers_->next();
    suppliers_->next();
    QCOMPARE(seen, (QList<int>{2, 0, 3})); // from S3 to S1, S2, S3
}

void TstLinks::filterHidesFromMovesAndCounts()
{
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    int calls = 0;
    lines_->setOnFilterRecord([&](Table& t, bool& accept) {
        ++calls;
        accept = t.fieldByName(QStringLiteral("Ilosc")).asFloat() >= 2.0;
    });
    QCOMPARE(calls, 0); // not filtered yet
    lines_->setFiltered(true);
    QVERIFY(calls >= 5);
    QCOMPARE(lines_->recordCount(), 3);
    QCOMPARE(symbols(*lines_), (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")}));
    lines_->last();
    lines_->prior();
    lines_->prior();
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("c"));
    lines_->prior();
    QVERIFY(lines_->bof());
    QVERIFY(!lines_->locate(QStringLiteral("Symbol"), QStringLiteral("a"))); // hidden records cannot be found
    lines_->setFiltered(false);
    QCOMPARE(lines_->recordCount(), 5);
    // the filter and the master link act together
    lines_->setFiltered(true);
    lines_->setIndexName(QStringLiteral("NumerDostawcyInd"));
    lines_->setMasterSource(supplierSource_.get());
    lines_->setMasterFields(QStringLiteral("Numer"));
    suppliers_->first();
    QCOMPARE(lines_->recordCount(), 0);
    suppliers_->last();
    QCOMPARE(lines_->recordCount(), 3);
}

void TstLinks::filterSeesTheOfferedRow()
{
    // The callback reads fields by name; each read must be the offered row's value,
    // also for a column first needed halfway through the pass.
    QList<QPair<QString, QDate>> seen;
    lines_->setOnFilterRecord([&](Table& t, bool& accept) {
        const QString s = t.fieldByName(QStringLiteral("Symbol")).asString();
        const bool readDate = s >= QStringLiteral("c");
        const QDate d = readDate ? t.fieldByName(QStringLiteral("DataZakupu")).asDate() : QDate();
        seen << qMakePair(s, d);
        accept = !readDate || d.month() == 12;
    });
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->setFiltered(true);
    QCOMPARE(symbols(*lines_),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    int checked = 0;
    for (const auto& [symbol, date] : seen) {
        if (symbol == QStringLiteral("c") || symbol == QStringLiteral("e")) {
            QCOMPARE(date, symbol == QStringLiteral("c") ? QDate(2026, 12, 2) : QDate(2027, 1, 1));
            ++checked;
        }
    }
    QVERIFY(checked >= 2);
    // the offered row is not the current record: afterwards fields read the current one again
    lines_->last();
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("d"));
}

void TstLinks::preFilterNarrowsBeforeCallback()
{
    QStringList offered;
    lines_->setOnFilterRecord([&](Table& t, bool& accept) {
        const QString s = t.fieldByName(QStringLiteral("Symbol")).asString();
        offered << s;
        const QDate d = t.fieldByName(QStringLiteral("DataZakupu")).asDate();
        accept = d >= QDate(2026, 12, 1) && d <= QDate(2026, 12, 31) && s != QStringLiteral("d");
    });
    lines_->setPreFilter([] {
        return SqlPreFilter{QStringLiteral("\"DataZakupu\" BETWEEN ? AND ?"),
                            {QDate(2026, 12, 1), QDate(2026, 12, 31)},
                            {QStringLiteral("DataZakupu")}};
    });
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->setFiltered(true);
    // the callback still decides ("d" passes the dates, not the rule)
    QCOMPARE(symbols(*lines_), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    offered.removeDuplicates();
    offered.sort();
    QCOMPARE(offered, (QStringList{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("d")}));
}

void TstLinks::postHiddenByFilterStaysNear()
{
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("DataZakupu")).asDate().year() == 2026; });
    lines_->setFiltered(true);
    QCOMPARE(symbols(*lines_),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    lines_->setRecNo(2); // b
    lines_->edit();
    lines_->fieldByName(QStringLiteral("DataZakupu")).setDate(QDate(2025, 1, 1));
    lines_->post();
    QCOMPARE(lines_->recordCount(), 3);
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("c")); // where b was
    // a new line the filter rejects does not show either
    addLine(*lines_, 1, QStringLiteral("zz"), QDate(2024, 5, 5));
    QCOMPARE(lines_->recordCount(), 3);
    QVERIFY(lines_->state() == DataSetState::Browse);
}

void TstLinks::editOfFilterColumnRebuilds()
{
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("Ilosc")).asFloat() < 10; });
    lines_->setFiltered(true);
    DataSource ds(nullptr, lines_.get());
    Signals sig(ds);
    lines_->first();
    lines_->edit();
    lines_->fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("bez wpływu"));
    lines_->post();
    QCOMPARE(sig.changed, 0);
    QCOMPARE(lines_->recordCount(), 5);
    lines_->edit();
    lines_->fieldByName(QStringLiteral("Ilosc")).setFloat(50); // the filter reads Ilosc
    lines_->post();
    QCOMPARE(sig.changed, 1);
    QCOMPARE(lines_->recordCount(), 4);
}

void TstLinks::postOfPreFilterColumn_data()
{
    // No callback here: only what the pre-filter declares can make a post rebuild.
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("declared");
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("rebuilds");
    QTest::addColumn<int>("count");
    QTest::newRow("declared column: the record leaves") << QStringLiteral("\"Ilosc\" < 10") << QStringLiteral("Ilosc")
                                                        << QStringLiteral("Ilosc") << QVariant(50.0) << 1 << 4;
    QTest::newRow("declared in another case") << QStringLiteral("\"Ilosc\" < 10") << QStringLiteral("ILOSC")
                                              << QStringLiteral("Ilosc") << QVariant(50.0) << 1 << 4;
    QTest::newRow("a column it does not read") << QStringLiteral("\"Ilosc\" < 10") << QStringLiteral("Ilosc")
                                               << QStringLiteral("Nazwa") << QVariant(QStringLiteral("x")) << 0 << 5;
    QTest::newRow("a name inside a text literal is no read")
        << QStringLiteral("coalesce(\"Nazwa\", '') <> 'Ilosc'") << QStringLiteral("Nazwa") << QStringLiteral("Ilosc")
        << QVariant(50.0) << 0 << 5;
}

void TstLinks::postOfPreFilterColumn()
{
    QFETCH(QString, where);
    QFETCH(QString, declared);
    QFETCH(QString, edited);
    QFETCH(QVariant, value);
    QFETCH(int, rebuilds);
    QFETCH(int, count);
    lines_->setPreFilter([&] { return SqlPreFilter{where, {}, {declared}}; });
    lines_->setFiltered(true);
    QCOMPARE(lines_->recordCount(), 5);
    DataSource ds(nullptr, lines_.get());
    Signals sig(ds);
    lines_->first();
    lines_->edit();
    lines_->fieldByName(edited).setValue(value);
    lines_->post();
    QCOMPARE(sig.changed, rebuilds);
    QCOMPARE(lines_->recordCount(), count);
}

void TstLinks::preFilterColumnMustExist()
{
    // A misspelt name would silently leave views stale after posts.
    lines_->setPreFilter([] { return SqlPreFilter{QStringLiteral("\"Ilosc\" < 10"), {}, {QStringLiteral("Ilość")}}; });
    try {
        lines_->setFiltered(true);
        QFAIL("an unknown pre-filter column was accepted");
    } catch (const EngineError& e) {
        QVERIFY2(e.message().contains(QStringLiteral("'Ilość'")), qPrintable(e.message()));
    }
}

void TstLinks::valueAtReadsRowsWithoutMoving()
{
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->first();
    const int symbol = lines_->fieldIndex(QStringLiteral("Symbol"));
    const int date = lines_->fieldIndex(QStringLiteral("DataZakupu"));
    QCOMPARE(lines_->valueAt(4, symbol).toString(), QStringLiteral("e"));
    QCOMPARE(lines_->valueAt(2, date).toDate(), QDate(2026, 12, 2));
    QVERIFY(!lines_->valueAt(5, symbol).isValid());
    QCOMPARE(lines_->currentRow(), 0);
    QCOMPARE(lines_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("a"));
    QVERIFY(lines_->idAt(0) > 0);
    QCOMPARE(lines_->idAt(5), qint64(-1));
}

QTEST_GUILESS_MAIN(TstLinks)
#include "tst_links.moc"
