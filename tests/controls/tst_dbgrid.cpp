// The grid over a table's view: model contract, reading far rows without moving,
// following and moving the cursor, editing, deleting, titles and colours.
#include "controls/DBGrid.h"
#include "platform/Messages.h"
#include "support/gui/ScratchTable.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace jadl;
using jadl::test::ScratchTable;

namespace {

constexpr int rows = 3000;

QString symbolOf(int i)
{
    return QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'));
}

QList<DBGridColumn> threeColumns()
{
    return {
        DBGridColumn{QStringLiteral("Numer"), QStringLiteral("Nr"), true, std::nullopt, -1},
        DBGridColumn{QStringLiteral("Symbol"), QStringLiteral("Nazwa skrócona"), false, std::nullopt, -1},
        DBGridColumn{QStringLiteral("Cena"), QString(), false, QColor(Qt::yellow), 80},
    };
}

} // namespace

class TestDbGrid : public QObject {
    Q_OBJECT
    std::unique_ptr<ScratchTable> original_; // built once, copied for each test
    std::unique_ptr<ScratchTable> data_;
    std::unique_ptr<platform::ScopedScriptedMessages> messages_;
    std::unique_ptr<DBGrid> grid_;
    Table& table() { return data_->table(); }
    QString cell(int row, int column) { return grid_->model()->index(row, column).data().toString(); }
    void clickRow(int row, int column = 1);

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void modelPassesTheTester();
    void rowCountAndFarRowsWithoutMoving();
    void currentRowFollowsTable();
    void clickingRowMovesTable();
    void titlesAndTitleClick();
    void defaultColumnsAreAllFields();
    void rowColourHook();
    void selectedRowDrawsWhiteText();
    void columnColourAndAlignment();
    void editingCellEditsRecordAndLeavingRowPosts();
    void readOnlyGridAndColumns();
    void insertShowsExtraRow();
    void deleteWithConfirmation_data();
    void deleteWithConfirmation();
    void displayUpdatesOffThenOneRefresh();
    void keySignals();
    void enterAndExitIgnoreTheCellEditor();
};

void TestDbGrid::initTestCase()
{
    original_ = std::make_unique<ScratchTable>(test::sampleFields(), test::sampleIndexes());
    original_->append(rows, [](Table& t, int i) {
        t.fieldByName(QStringLiteral("Symbol")).setString(symbolOf(i));
        t.fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("towar %1").arg(i));
        t.fieldByName(QStringLiteral("Cena")).setFloat(i * 0.5);
        t.fieldByName(QStringLiteral("Ilosc")).setInteger(i % 7);
    });
    original_->table().close();
}

void TestDbGrid::init()
{
    messages_ = std::make_unique<platform::ScopedScriptedMessages>();
    data_ = std::make_unique<ScratchTable>(*original_);
    QCOMPARE(table().recordCount(), rows);
    table().setIndexName(QStringLiteral("SymbolInd"));
    table().first();
    grid_ = std::make_unique<DBGrid>();
    grid_->setColumns(threeColumns());
    grid_->setDataSource(&data_->source());
    grid_->resize(400, 300);
}

void TestDbGrid::cleanup()
{
    grid_.reset();
    data_.reset();
    messages_.reset();
}

void TestDbGrid::clickRow(int row, int column)
{
    const QModelIndex idx = grid_->model()->index(row, column);
    grid_->scrollTo(idx);
    const QRect r = grid_->visualRect(idx);
    QVERIFY(r.isValid());
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, r.center());
}

void TestDbGrid::modelPassesTheTester()
{
    QAbstractItemModelTester tester(grid_->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid_->setRowColor([](Table&, int row) -> std::optional<QColor> {
        return row % 2 ? std::optional<QColor>(Qt::red) : std::nullopt;
    });
    table().setRecNo(10);
    table().insert();
    table().fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("S0009a"));
    table().post();
    QCOMPARE(grid_->model()->rowCount(), rows + 1);
    table().edit();
    table().cancel();
    table().deleteRecord();
    QCOMPARE(grid_->model()->rowCount(), rows);
    table().close();
    QCOMPARE(grid_->model()->rowCount(), 0);
    table().open();
    QCOMPARE(grid_->model()->rowCount(), rows);
    table().setFiltered(true);
    table().setOnFilterRecord(
        [](Table& t, bool& accept) { accept = t.fieldByName(QStringLiteral("Ilosc")).asInteger() == 3; });
    table().refresh();
    QCOMPARE(grid_->model()->rowCount(), table().recordCount());
    QVERIFY(table().recordCount() < rows);
    grid_->setColumns({});
    grid_->setColumns(threeColumns());
}

void TestDbGrid::rowCountAndFarRowsWithoutMoving()
{
    QCOMPARE(grid_->model()->rowCount(), rows);
    QCOMPARE(grid_->model()->columnCount(), 3);
    QCOMPARE(table().recNo(), 1);
    QCOMPARE(cell(2500, 1), symbolOf(2500));
    QCOMPARE(cell(2500, 2), QStringLiteral("1250,00"));
    QCOMPARE(cell(rows - 1, 1), symbolOf(rows - 1));
    QCOMPARE(table().recNo(), 1); // reading did not move the cursor
    QCOMPARE(grid_->model()->index(rows, 1).data(), QVariant());
}

void TestDbGrid::currentRowFollowsTable()
{
    QCOMPARE(grid_->currentIndex().row(), 0);
    table().setRecNo(2001);
    QCOMPARE(grid_->currentIndex().row(), 2000);
    table().last();
    QCOMPARE(grid_->currentIndex().row(), rows - 1);
    table().locate(QStringLiteral("Symbol"), QStringLiteral("S0042"));
    QCOMPARE(grid_->currentIndex().row(), 42);
    grid_->setRowSelect(true);
    table().next();
    QCOMPARE(grid_->currentIndex().row(), 43);
    QCOMPARE(grid_->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(grid_->selectionModel()->selectedRows().first().row(), 43);
}

void TestDbGrid::clickingRowMovesTable()
{
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    QSignalSpy cellClicks(grid_.get(), &DBGrid::cellClicked);
    clickRow(5);
    QCOMPARE(table().recNo(), 6);
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), symbolOf(5));
    QCOMPARE(cellClicks.count(), 1);
    QCOMPARE(cellClicks.first().first().toInt(), 1);
    table().setRecNo(1500);
    clickRow(1510, 2);
    QCOMPARE(table().recNo(), 1511);
    // Keyboard moves go to the table too.
    QTest::keyClick(grid_->viewport(), Qt::Key_Down);
    QCOMPARE(table().recNo(), 1512);
}

void TestDbGrid::titlesAndTitleClick()
{
    QCOMPARE(grid_->columnTitle(0), QStringLiteral("Nr"));
    QCOMPARE(grid_->columnTitle(1), QStringLiteral("Nazwa skrócona"));
    QCOMPARE(grid_->columnTitle(2), QStringLiteral("Cena")); // the field's own label
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    QSignalSpy titles(grid_.get(), &DBGrid::titleClicked);
    QHeaderView* header = grid_->horizontalHeader();
    const int x = header->sectionViewportPosition(1) + header->sectionSize(1) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    QCOMPARE(titles.count(), 1);
    QCOMPARE(titles.first().first().toString(), QStringLiteral("Nazwa skrócona"));
    QCOMPARE(table().recNo(), 1); // a title click does not sort by itself
    QCOMPARE(grid_->columnWidth(2), 80);
    // Titles are what accessibility tools read for the columns.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(grid_.get());
    QVERIFY(a && a->tableInterface());
    QCOMPARE(a->tableInterface()->columnCount(), 3);
    QCOMPARE(a->tableInterface()->columnDescription(1), QStringLiteral("Nazwa skrócona"));
    grid_->setBoldTitles(true, QColor(Qt::darkBlue));
    QVERIFY(grid_->model()->headerData(0, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
    QCOMPARE(grid_->model()->headerData(0, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(Qt::darkBlue));
}

void TestDbGrid::defaultColumnsAreAllFields()
{
    grid_->setColumns({});
    QCOMPARE(grid_->model()->columnCount(), table().fieldCount());
    QCOMPARE(grid_->columnTitle(1), QStringLiteral("Symbol"));
    QCOMPARE(cell(3, 2), QStringLiteral("towar 3"));
    table().close();
    QCOMPARE(grid_->model()->columnCount(), 0);
    table().open();
    QCOMPARE(grid_->model()->columnCount(), table().fieldCount());
}

void TestDbGrid::rowColourHook()
{
    QList<int> asked;
    grid_->setRowColor([&asked](Table& t, int row) -> std::optional<QColor> {
        asked << row;
        // Colour from the row's own values, read without moving the table.
        const double cena = t.valueAt(row, t.fieldIndex(QStringLiteral("Cena"))).toDouble();
        if (cena > 100)
            return QColor(Qt::red);
        if (cena < 1)
            return QColor(Qt::green);
        return std::nullopt;
    });
    const auto colour = [this](int row) { return grid_->model()->index(row, 1).data(Qt::ForegroundRole); };
    QCOMPARE(colour(0).value<QColor>(), QColor(Qt::green));
    QCOMPARE(colour(1).value<QColor>(), QColor(Qt::green));
    QVERIFY(!colour(2).isValid());
    QCOMPARE(colour(2999).value<QColor>(), QColor(Qt::red));
    QVERIFY(asked.contains(2999));
    QCOMPARE(table().recNo(), 1);
    // Drawn rows ask the hook too; the far rows are never asked.
    asked.clear();
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    QTRY_VERIFY(!asked.isEmpty());
    QVERIFY(*std::max_element(asked.begin(), asked.end()) < 100);
}

void TestDbGrid::selectedRowDrawsWhiteText()
{
    grid_->setRowSelect(true);
    grid_->setRowColor([](Table&, int) -> std::optional<QColor> { return QColor(Qt::red); });
    // Whatever the palette would give selected text, the grid draws it white.
    QPalette pal = grid_->palette();
    pal.setColor(QPalette::HighlightedText, Qt::black);
    grid_->setPalette(pal);
    table().setRecNo(3);
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    const QImage image = grid_->viewport()->grab().toImage();
    const auto count = [&](int row, auto test) {
        const QRect r = grid_->visualRect(grid_->model()->index(row, 1))
                            .intersected(QRect(QPoint(0, 0), image.size() / image.devicePixelRatio()));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += test(image.pixelColor(x, y)) ? 1 : 0;
        return n;
    };
    const auto red = [](const QColor& c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
    const auto white = [](const QColor& c) { return c.red() > 235 && c.green() > 235 && c.blue() > 235; };
    QVERIFY(count(1, red) > 0); // a row not selected: the hook's colour
    QCOMPARE(count(2, red), 0); // the selected row: white text
    QVERIFY(count(2, white) > 0);
}

void TestDbGrid::columnColourAndAlignment()
{
    const QModelIndex price = grid_->model()->index(4, 2);
    QCOMPARE(price.data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));
    QVERIFY(price.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    QVERIFY(!grid_->model()->index(4, 1).data(Qt::BackgroundRole).isValid());
    grid_->setColumnColor(1, QColor(Qt::lightGray));
    QCOMPARE(grid_->model()->index(4, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::lightGray));
    QCOMPARE(grid_->model()->index(4, 1).data(DBGridModel::MaxLengthRole).toInt(), 10);
}

void TestDbGrid::editingCellEditsRecordAndLeavingRowPosts()
{
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    table().setRecNo(3);
    const QModelIndex symbol = grid_->model()->index(2, 1);
    grid_->setCurrentIndex(symbol);
    grid_->edit(symbol);
    QCOMPARE(table().state(), DataSetState::Edit);
    auto* editor = grid_->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 10);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("S0002x"));
    QTest::keyClick(editor, Qt::Key_Return); // the editor commits on the next loop turn
    QTRY_COMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S0002x"));
    QCOMPARE(cell(2, 1), QStringLiteral("S0002x"));
    QCOMPARE(table().state(), DataSetState::Edit);
    // Leaving the row posts the record.
    clickRow(7);
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(table().recNo(), 8);
    QCOMPARE(table().valueAt(2, table().fieldIndex(QStringLiteral("Symbol"))).toString(), QStringLiteral("S0002x"));
    // An invalid number is refused with a message and changes nothing.
    const QModelIndex price = grid_->model()->index(7, 2);
    QVERIFY(!grid_->model()->setData(price, QStringLiteral("abc")));
    QCOMPARE((*messages_)->log().size(), 1);
    QCOMPARE(table().fieldByName(QStringLiteral("Cena")).asFloat(), 3.5);
    // Escape drops an edit that was not posted.
    QVERIFY(grid_->model()->setData(price, QStringLiteral("4,25")));
    QCOMPARE(cell(7, 2), QStringLiteral("4,25"));
    QTest::keyClick(grid_->viewport(), Qt::Key_Escape);
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(cell(7, 2), QStringLiteral("3,50"));
}

void TestDbGrid::readOnlyGridAndColumns()
{
    const QModelIndex numer = grid_->model()->index(0, 0);
    const QModelIndex symbol = grid_->model()->index(0, 1);
    QVERIFY(!(numer.flags() & Qt::ItemIsEditable)); // read-only column
    QVERIFY(symbol.flags() & Qt::ItemIsEditable);
    grid_->setReadOnly(true);
    QVERIFY(!(grid_->model()->index(0, 1).flags() & Qt::ItemIsEditable));
    QVERIFY(!grid_->model()->setData(symbol, QStringLiteral("X")));
    QCOMPARE(table().state(), DataSetState::Browse);
    grid_->setConfirmDelete(false);
    QTest::keyClick(grid_->viewport(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(table().recordCount(), rows);
    grid_->setReadOnly(false);
    grid_->setColumnReadOnly(1, true);
    QVERIFY(!(grid_->model()->index(0, 1).flags() & Qt::ItemIsEditable));
}

void TestDbGrid::insertShowsExtraRow()
{
    table().setRecNo(11);
    table().insert();
    QCOMPARE(grid_->model()->rowCount(), rows + 1);
    QCOMPARE(grid_->currentIndex().row(), 10);
    QCOMPARE(cell(10, 1), QString()); // the new, empty record
    QCOMPARE(cell(11, 1), symbolOf(10)); // the rest shift down
    table().fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("NOWY"));
    QCOMPARE(cell(10, 1), QStringLiteral("NOWY"));
    table().cancel();
    QCOMPARE(grid_->model()->rowCount(), rows);
    QCOMPARE(cell(10, 1), symbolOf(10));
    // The row going away did not move the table.
    QCOMPARE(table().recNo(), 11);
    QCOMPARE(grid_->currentIndex().row(), 10);
    // The Insert key starts a new record in an editable grid.
    QTest::keyClick(grid_->viewport(), Qt::Key_Insert);
    QCOMPARE(table().state(), DataSetState::Insert);
    QCOMPARE(grid_->model()->rowCount(), rows + 1);
}

void TestDbGrid::deleteWithConfirmation_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("remaining");
    QTest::addColumn<int>("questions");
    QTest::newRow("asks, No") << true << false << rows << 1;
    QTest::newRow("asks, Yes") << true << true << rows - 1 << 1;
    QTest::newRow("does not ask") << false << false << rows - 1 << 0;
}

void TestDbGrid::deleteWithConfirmation()
{
    QFETCH(bool, confirm);
    QFETCH(bool, answer);
    QFETCH(int, remaining);
    QFETCH(int, questions);
    grid_->setConfirmDelete(confirm);
    (*messages_)->answerNext(answer);
    table().setRecNo(5);
    QTest::keyClick(grid_->viewport(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(table().recordCount(), remaining);
    QCOMPARE(grid_->model()->rowCount(), remaining);
    QCOMPARE((*messages_)->log().size(), questions);
    if (questions) {
        QCOMPARE((*messages_)->log().first().kind, platform::MessageKind::Question);
        QCOMPARE((*messages_)->log().first().text, QStringLiteral("Usunąć rekord?"));
    }
    if (remaining < rows)
        QCOMPARE(cell(4, 1), symbolOf(5));
}

void TestDbGrid::displayUpdatesOffThenOneRefresh()
{
    grid_->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid_.get()));
    QSignalSpy resets(grid_->model(), &QAbstractItemModel::modelReset);
    table().disableControls();
    for (int i = 0; i < 10; ++i)
        table().deleteRecord();
    // Nothing reached the grid yet, and drawing now reads no stale rows.
    QCOMPARE(grid_->model()->rowCount(), rows);
    grid_->repaint();
    QCOMPARE(grid_->model()->index(rows - 1, 1).data().toString(), QString());
    table().enableControls();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(grid_->model()->rowCount(), rows - 10);
    QCOMPARE(cell(0, 1), symbolOf(10));
    QCOMPARE(grid_->currentIndex().row(), table().recNo() - 1);
}

void TestDbGrid::keySignals()
{
    QSignalSpy down(grid_.get(), &DBGrid::keyDown);
    QSignalSpy press(grid_.get(), &DBGrid::keyPressed);
    QSignalSpy up(grid_.get(), &DBGrid::keyUp);
    grid_->setReadOnly(true);
    QTest::keyClick(grid_->viewport(), Qt::Key_Down);
    QTest::keyClick(grid_->viewport(), Qt::Key_A);
    QCOMPARE(down.count(), 2);
    QCOMPARE(down.first().first().toInt(), int(Qt::Key_Down));
    QCOMPARE(press.count(), 1);
    QCOMPARE(press.first().first().toString(), QStringLiteral("a"));
    QCOMPARE(up.count(), 2);
    QCOMPARE(table().recNo(), 2);
}

void TestDbGrid::enterAndExitIgnoreTheCellEditor()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* grid = new DBGrid(&window);
    layout->addWidget(other);
    layout->addWidget(grid);
    grid->setColumns(threeColumns());
    grid->setDataSource(&data_->source());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QSignalSpy entered(grid, &DBGrid::entered);
    QSignalSpy exited(grid, &DBGrid::exited);
    grid->setFocus();
    QTRY_COMPARE(entered.count(), 1);
    const QModelIndex symbol = grid->model()->index(0, 1);
    grid->setCurrentIndex(symbol);
    grid->edit(symbol);
    QTRY_VERIFY(grid->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(exited.count(), 0);
    other->setFocus();
    QTRY_COMPARE(exited.count(), 1);
    QCOMPARE(entered.count(), 1);
}

QTEST_MAIN(TestDbGrid)
#include "tst_dbgrid.moc"
