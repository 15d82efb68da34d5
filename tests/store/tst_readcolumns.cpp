// Walks and grids read only the columns they use; every read must still give the
// record's own value, whichever field is read first, and an edit must start from
// the whole record.
#include "StoreFixture.h"

using namespace storetest;

class TstReadColumns : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void fieldOutsideTheWalkMidway();
    void editAfterNarrowWalkKeepsOtherFields();
    void valueAtOfMixedFields_data();
    void valueAtOfMixedFields();

private:
    static constexpr int kLines = 700; // several read blocks
    static QDate dateOf(int i) { return QDate(2026, 1, 1).addDays(i % 300); }
    static QString nameOf(int i) { return QStringLiteral("towar %1").arg(i); }
    std::unique_ptr<Env> env_;
    std::unique_ptr<Table> t_;
};

void TstReadColumns::init()
{
    env_ = std::make_unique<Env>();
    t_ = openTable(QStringLiteral("Towary.DB"));
    {
        Table::Batch batch(*t_);
        for (int i = 0; i < kLines; ++i) {
            addLine(*t_, i % 5, QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0')), dateOf(i), i);
            t_->edit();
            t_->fieldByName(QStringLiteral("Nazwa")).setString(nameOf(i));
            t_->post();
        }
        batch.commit();
    }
    t_->close(); // nothing cached, nothing learned
    t_->open();
}

void TstReadColumns::cleanup()
{
    t_.reset();
    env_.reset();
}

void TstReadColumns::fieldOutsideTheWalkMidway()
{
    Field& qty = t_->fieldByName(QStringLiteral("Ilosc"));
    Field& name = t_->fieldByName(QStringLiteral("Nazwa"));
    Field& date = t_->fieldByName(QStringLiteral("DataZakupu"));
    int i = 0;
    for (t_->first(); !t_->eof(); t_->next(), ++i) {
        QCOMPARE(qty.asInteger(), i);
        // New fields join the walk at different points, also inside a block already read.
        if (i >= 100 && i % 7 == 0)
            QCOMPARE(name.asString(), nameOf(i));
        if (i >= 300)
            QCOMPARE(date.asDate(), dateOf(i));
        if (i == 450)
            QCOMPARE(t_->fieldByName(QStringLiteral("NumerDostawcy")).asInteger(), 0);
    }
    QCOMPARE(i, kLines);
    // Going back over records read before the other fields were wanted.
    for (int row : {0, 1, 99, 255, 256, 299})
        QCOMPARE(t_->valueAt(row, name.index()).toString(), nameOf(row));
    t_->setRecNo(2);
    QCOMPARE(date.asDate(), dateOf(1));
    QCOMPARE(t_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S0001"));
}

void TstReadColumns::editAfterNarrowWalkKeepsOtherFields()
{
    double sum = 0;
    for (t_->first(); !t_->eof(); t_->next())
        sum += t_->fieldByName(QStringLiteral("Ilosc")).asFloat();
    QCOMPARE(sum, double(kLines) * (kLines - 1) / 2);
    t_->setRecNo(301);
    t_->edit();
    QCOMPARE(t_->fieldByName(QStringLiteral("Nazwa")).asString(), nameOf(300));
    QCOMPARE(t_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S0300"));
    t_->fieldByName(QStringLiteral("Ilosc")).setFloat(12.5);
    t_->post();
    const QList<QStringList> raw = rawQuery(t_->filePath(),
                                            QStringLiteral("SELECT Symbol, Nazwa, DataZakupu, NumerDostawcy, Ilosc "
                                                           "FROM Towary WHERE Symbol = 'S0300'"));
    QCOMPARE(raw.size(), 1);
    QCOMPARE(raw[0],
             (QStringList{QStringLiteral("S0300"), nameOf(300), dateOf(300).toString(Qt::ISODate), QStringLiteral("0"),
                          QStringLiteral("12.5")}));
    QCOMPARE(t_->fieldByName(QStringLiteral("Ilosc")).asFloat(), 12.5);
    QCOMPARE(t_->fieldByName(QStringLiteral("Nazwa")).asString(), nameOf(300));
}

void TstReadColumns::valueAtOfMixedFields_data()
{
    QTest::addColumn<bool>("byColumn");
    QTest::addColumn<bool>("backwards");
    QTest::newRow("row by row") << false << false;
    QTest::newRow("row by row, from the end") << false << true;
    QTest::newRow("column by column") << true << false;
    QTest::newRow("column by column, from the end") << true << true;
}

void TstReadColumns::valueAtOfMixedFields()
{
    QFETCH(bool, byColumn);
    QFETCH(bool, backwards);
    const int qty = t_->fieldIndex(QStringLiteral("Ilosc"));
    const int name = t_->fieldIndex(QStringLiteral("Nazwa"));
    const int supplier = t_->fieldIndex(QStringLiteral("NumerDostawcy"));
    const int n = t_->recordCount();
    QCOMPARE(n, kLines);
    auto check = [&](int row, int field) {
        const QVariant v = t_->valueAt(row, field);
        if (field == qty)
            QCOMPARE(v.toInt(), row);
        else if (field == name)
            QCOMPARE(v.toString(), nameOf(row));
        else
            QCOMPARE(v.toInt(), row % 5);
    };
    const QList<int> fields{qty, name, supplier};
    if (byColumn) {
        for (int f : fields)
            for (int k = 0; k < n; ++k)
                check(backwards ? n - 1 - k : k, f);
    } else {
        for (int k = 0; k < n; ++k)
            for (int f : fields)
                check(backwards ? n - 1 - k : k, f);
    }
    if (QTest::currentTestFailed())
        return;
    // The cursor's record is unaffected and complete.
    t_->setRecNo(500);
    QCOMPARE(t_->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S0499"));
}

QTEST_GUILESS_MAIN(TstReadColumns)
#include "tst_readcolumns.moc"
