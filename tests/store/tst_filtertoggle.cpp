// Turning the filter off and on: whatever is read first afterwards must see the
// new view, controls hear of it at once, and detail tables follow.
#include "StoreFixture.h"

using namespace storetest;

class TstFilterToggle : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstReadAfterToggle_data();
    void firstReadAfterToggle();
    void controlsReadTheNewViewInTheirSlots();
    void detailFollowsTheToggledMaster();
    void toggleInsideDisabledControls();

private:
    std::unique_ptr<Env> env_;
    std::unique_ptr<Table> lines_;
};

void TstFilterToggle::init()
{
    env_ = std::make_unique<Env>();
    lines_ = openTable(QStringLiteral("Towary.DB"), QStringLiteral("TableTowary"));
    // a..f by Symbol; quantities 1..6, the filter keeps 4 and more (d, e, f)
    const QStringList syms{QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("f"),
                           QStringLiteral("b"), QStringLiteral("e"), QStringLiteral("d")};
    for (const QString& s : syms)
        addLine(*lines_, 1, s, QDate(2026, 12, 1), double(s.at(0).unicode() - 'a' + 1));
    lines_->setIndexName(QStringLiteral("SymbolInd"));
    lines_->setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("Ilosc")).asFloat() >= 4.0; });
    lines_->setFiltered(true);
    lines_->last(); // away from the first record
}

void TstFilterToggle::cleanup()
{
    lines_.reset();
    env_.reset();
}

void TstFilterToggle::firstReadAfterToggle_data()
{
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("filterOn"); // the state toggled to
    for (const char* r : {"recordCount", "eof", "bof", "recNo", "currentRow", "field", "valueAt", "idAt", "next",
                          "last", "locate", "edit", "isEmpty"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, filter off").arg(QLatin1String(r))))
            << QString::fromLatin1(r) << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, filter on again").arg(QLatin1String(r))))
            << QString::fromLatin1(r) << true;
    }
}

void TstFilterToggle::firstReadAfterToggle()
{
    QFETCH(QString, read);
    QFETCH(bool, filterOn);
    lines_->setFiltered(false);
    if (filterOn)
        lines_->setFiltered(true);
    const int count = filterOn ? 3 : 6;
    const QString firstSymbol = filterOn ? QStringLiteral("d") : QStringLiteral("a");
    Table& t = *lines_;
    Field& symbol = t.fieldByName(QStringLiteral("Symbol"));
    if (read == QLatin1String("recordCount")) {
        QCOMPARE(t.recordCount(), count);
    } else if (read == QLatin1String("eof")) {
        QVERIFY(!t.eof());
    } else if (read == QLatin1String("bof")) {
        QVERIFY(t.bof());
    } else if (read == QLatin1String("recNo")) {
        QCOMPARE(t.recNo(), 1);
    } else if (read == QLatin1String("currentRow")) {
        QCOMPARE(t.currentRow(), 0);
    } else if (read == QLatin1String("field")) {
        QCOMPARE(symbol.asString(), firstSymbol);
    } else if (read == QLatin1String("valueAt")) {
        QCOMPARE(t.valueAt(count - 1, symbol.index()).toString(), QStringLiteral("f"));
        QVERIFY(t.valueAt(count, symbol.index()).isNull());
    } else if (read == QLatin1String("idAt")) {
        QVERIFY(t.idAt(count - 1) > 0);
        QCOMPARE(t.idAt(count), qint64(-1));
    } else if (read == QLatin1String("next")) {
        t.next();
        QCOMPARE(symbol.asString(), filterOn ? QStringLiteral("e") : QStringLiteral("b"));
    } else if (read == QLatin1String("last")) {
        t.last();
        QCOMPARE(t.recNo(), count);
        QVERIFY(t.eof());
    } else if (read == QLatin1String("locate")) {
        QCOMPARE(t.locate(QStringLiteral("Symbol"), QStringLiteral("b")), !filterOn);
        QCOMPARE(t.recNo(), filterOn ? 1 : 2);
    } else if (read == QLatin1String("edit")) {
        t.edit();
        symbol.setString(QStringLiteral("z"));
        t.post();
        QCOMPARE(rawQuery(t.filePath(), QStringLiteral("SELECT Ilosc FROM Towary WHERE Symbol = 'z'"))
                     .value(0)
                     .value(0)
                     .toDouble(),
                 filterOn ? 4.0 : 1.0);
    } else if (read == QLatin1String("isEmpty")) {
        QVERIFY(!t.isEmpty());
        t.setOnFilterRecord([](Table&, bool& accept) { accept = false; });
        t.setFiltered(false);
        t.setFiltered(true);
        QVERIFY(t.isEmpty());
        QVERIFY(t.eof() && t.bof());
        QCOMPARE(t.recNo(), 0);
        return;
    } else {
        QFAIL("unknown read");
    }
    QCOMPARE(t.recordCount(), count);
}

void TstFilterToggle::controlsReadTheNewViewInTheirSlots()
{
    DataSource source(nullptr, lines_.get());
    Signals sig(source);
    QList<int> counts;
    QStringList firsts;
    QObject::connect(&source, &DataSource::dataSetChanged, [&] {
        counts << lines_->recordCount();
        firsts << lines_->fieldByName(QStringLiteral("Symbol")).asString();
    });
    lines_->setFiltered(false);
    QCOMPARE(sig.order, QStringList{QStringLiteral("changed")});
    lines_->setFiltered(true);
    lines_->setFiltered(true); // unchanged: back to the first record only
    QCOMPARE(sig.order, (QStringList{QStringLiteral("changed"), QStringLiteral("changed")}));
    QCOMPARE(counts, (QList<int>{6, 3}));
    QCOMPARE(firsts, (QStringList{QStringLiteral("a"), QStringLiteral("d")}));
}

void TstFilterToggle::detailFollowsTheToggledMaster()
{
    // The lines' source drives a detail table on the same file keyed by Symbol.
    DataSource source(nullptr, lines_.get());
    auto detail = openTable(QStringLiteral("Towary.DB"), QStringLiteral("Detail"));
    detail->setIndexName(QStringLiteral("SymbolInd"));
    detail->setMasterSource(&source);
    detail->setMasterFields(QStringLiteral("Symbol"));
    QCOMPARE(symbols(*detail), QStringList{QStringLiteral("f")});
    lines_->setFiltered(false);
    QCOMPARE(symbols(*detail), QStringList{QStringLiteral("a")});
    lines_->setFiltered(true);
    QCOMPARE(symbols(*detail), QStringList{QStringLiteral("d")});
}

void TstFilterToggle::toggleInsideDisabledControls()
{
    DataSource source(nullptr, lines_.get());
    Signals sig(source);
    {
        ControlsDisabled quiet(*lines_);
        lines_->setFiltered(false);
        lines_->setFiltered(true);
        QCOMPARE(sig.total(), 0);
    }
    QCOMPARE(sig.order, QStringList{QStringLiteral("changed")});
    QCOMPARE(symbols(*lines_), (QStringList{QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")}));
    // a read between the toggles sees the unfiltered view
    lines_->setFiltered(false);
    QCOMPARE(lines_->recordCount(), 6);
    lines_->setFiltered(true);
    QCOMPARE(lines_->recordCount(), 3);
}

QTEST_GUILESS_MAIN(TstFilterToggle)
#include "tst_filtertoggle.moc"
