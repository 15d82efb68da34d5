// Edit, text, memo, combo box and check box bound to a table: the control follows
// the table, typing edits the record, cancel restores what is shown.
#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBMemo.h"
#include "controls/DBText.h"
#include "platform/Messages.h"
#include "support/gui/ScratchTable.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace jadl;
using jadl::test::ScratchTable;

namespace {

struct Sample {
    const char* symbol;
    const char* nazwa;
    std::optional<double> cena;
    bool aktywny;
    const char* aktywnyString;
};

const Sample samples[] = {
    {"A1", "alfa", 1.5, true, "TAK"},
    {"B2", "beta", std::nullopt, false, "NIE"},
    {"C3", "gamma", 10.25, true, "tak"},
};

} // namespace

class TestDbControls : public QObject {
    Q_OBJECT
    std::unique_ptr<ScratchTable> data_;
    std::unique_ptr<platform::ScopedScriptedMessages> messages_;
    Table& table() { return data_->table(); }

private Q_SLOTS:
    void init();
    void cleanup();

    void editFollowsTheRecord();
    void typingEditsTheRecord();
    void cancelRestoresShownText();
    void numberWrittenAtPostAndShownFormatted();
    void numberFieldRefusesLetters();
    void invalidNumberOnLeavingIsReported();
    void upperCaseShowsAndWritesUpper();
    void textLimitedToFieldSize();
    void readOnlyEditRefusesTyping();
    void closedTableEmptiesAndDisables();
    void enablingDisplayUpdatesRefreshes();
    void pasteFromMenuEditsRecord();
    void textFollowsRecord();
    void memoBindsBothWays();
    void comboBoxBindsBothWays();
    void comboBoxItemsReplaceable();
    void checkBoxValues_data();
    void checkBoxValues();
    void checkBoxClickWrites();
    void accessibleNameAndDescription();
};

void TestDbControls::init()
{
    messages_ = std::make_unique<platform::ScopedScriptedMessages>();
    data_ = std::make_unique<ScratchTable>(test::sampleFields(), test::sampleIndexes());
    data_->append(int(std::size(samples)), [](Table& t, int i) {
        const Sample& s = samples[i];
        t.fieldByName(QStringLiteral("Symbol")).setString(QString::fromUtf8(s.symbol));
        t.fieldByName(QStringLiteral("Nazwa")).setString(QString::fromUtf8(s.nazwa));
        if (s.cena)
            t.fieldByName(QStringLiteral("Cena")).setFloat(*s.cena);
        t.fieldByName(QStringLiteral("Aktywny")).setBoolean(s.aktywny);
        t.fieldByName(QStringLiteral("AktywnyString")).setString(QString::fromUtf8(s.aktywnyString));
    });
    QCOMPARE(table().recordCount(), 3);
}

void TestDbControls::cleanup()
{
    data_.reset();
    messages_.reset();
}

void TestDbControls::editFollowsTheRecord()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    DBEdit cena;
    cena.setDataSource(&data_->source());
    cena.setDataField(QStringLiteral("Cena"));
    QCOMPARE(symbol.text(), QStringLiteral("A1"));
    QCOMPARE(cena.text(), QStringLiteral("1,50")); // display format "0.00"
    table().next();
    QCOMPARE(symbol.text(), QStringLiteral("B2"));
    QCOMPARE(cena.text(), QString()); // null
    table().last();
    QCOMPARE(symbol.text(), QStringLiteral("C3"));
    QCOMPARE(cena.text(), QStringLiteral("10,25"));
    // A write from elsewhere shows at once.
    table().edit();
    table().fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("Z9"));
    QCOMPARE(symbol.text(), QStringLiteral("Z9"));
    table().post();
    QCOMPARE(symbol.text(), QStringLiteral("Z9"));
}

void TestDbControls::typingEditsTheRecord()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    QSignalSpy changed(&symbol, &DBEdit::textChangedByUser);
    QCOMPARE(table().state(), DataSetState::Browse);
    symbol.setCursorPosition(2);
    QTest::keyClicks(&symbol, QStringLiteral("x"));
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("A1x"));
    QCOMPARE(changed.count(), 1);
    // Putting the record into edit did not move the caret or lose the key.
    QTest::keyClick(&symbol, Qt::Key_Home);
    QTest::keyClicks(&symbol, QStringLiteral("y"));
    QCOMPARE(symbol.text(), QStringLiteral("yA1x"));
    table().post();
    QCOMPARE(table().state(), DataSetState::Browse);
    table().next();
    table().first();
    QCOMPARE(symbol.text(), QStringLiteral("yA1x"));
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("yA1x"));
    // Text set from code is not typing: the record stays browsed.
    symbol.setText(QStringLiteral("kod"));
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(changed.count(), 2);
}

void TestDbControls::cancelRestoresShownText()
{
    DBEdit nazwa;
    nazwa.setDataSource(&data_->source());
    nazwa.setDataField(QStringLiteral("Nazwa"));
    DBEdit cena;
    cena.setDataSource(&data_->source());
    cena.setDataField(QStringLiteral("Cena"));
    nazwa.selectAll();
    QTest::keyClicks(&nazwa, QStringLiteral("nowa"));
    cena.selectAll();
    QTest::keyClicks(&cena, QStringLiteral("99"));
    QCOMPARE(nazwa.text(), QStringLiteral("nowa"));
    QCOMPARE(cena.text(), QStringLiteral("99"));
    table().cancel();
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(nazwa.text(), QStringLiteral("alfa"));
    QCOMPARE(cena.text(), QStringLiteral("1,50"));
    QCOMPARE(table().fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("alfa"));
    QCOMPARE(table().fieldByName(QStringLiteral("Cena")).asFloat(), 1.5);
}

void TestDbControls::numberWrittenAtPostAndShownFormatted()
{
    DBEdit cena;
    cena.setDataSource(&data_->source());
    cena.setDataField(QStringLiteral("Cena"));
    cena.selectAll();
    QTest::keyClicks(&cena, QStringLiteral("7,5"));
    QCOMPARE(table().state(), DataSetState::Edit);
    table().post(); // the start of post takes the typed text
    QCOMPARE(table().fieldByName(QStringLiteral("Cena")).asFloat(), 7.5);
    QCOMPARE(cena.text(), QStringLiteral("7,50"));
}

void TestDbControls::numberFieldRefusesLetters()
{
    DBEdit ilosc;
    ilosc.setDataSource(&data_->source());
    ilosc.setDataField(QStringLiteral("Ilosc"));
    QTest::keyClicks(&ilosc, QStringLiteral("ab"));
    QCOMPARE(ilosc.text(), QString());
    QCOMPARE(table().state(), DataSetState::Browse);
    QTest::keyClicks(&ilosc, QStringLiteral("4a2"));
    QCOMPARE(ilosc.text(), QStringLiteral("42"));
    table().post();
    QCOMPARE(table().fieldByName(QStringLiteral("Ilosc")).asInteger(), 42);
}

void TestDbControls::invalidNumberOnLeavingIsReported()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* cena = new DBEdit(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(cena);
    layout->addWidget(other);
    cena->setDataSource(&data_->source());
    cena->setDataField(QStringLiteral("Cena"));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    cena->setFocus();
    QTRY_VERIFY(cena->hasFocus());
    QCOMPARE(cena->text(), QStringLiteral("1,5")); // edit format while focused
    cena->selectAll();
    QTest::keyClicks(cena, QStringLiteral("1,2,3"));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE((*messages_)->log().size(), 1);
    QCOMPARE((*messages_)->log().first().kind, platform::MessageKind::Error);
    QCOMPARE(cena->text(), QStringLiteral("1,2,3")); // kept for correction
    QCOMPARE(table().fieldByName(QStringLiteral("Cena")).asFloat(), 1.5);
    cena->setFocus();
    QTRY_VERIFY(cena->hasFocus());
    cena->selectAll();
    QTest::keyClicks(cena, QStringLiteral("2,25"));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(table().fieldByName(QStringLiteral("Cena")).asFloat(), 2.25); // written on leaving
    QCOMPARE(cena->text(), QStringLiteral("2,25"));
    QCOMPARE((*messages_)->log().size(), 1);
}

void TestDbControls::upperCaseShowsAndWritesUpper()
{
    DBEdit nazwa;
    nazwa.setDataSource(&data_->source());
    nazwa.setDataField(QStringLiteral("Nazwa"));
    nazwa.setUpperCase(true);
    QCOMPARE(nazwa.text(), QStringLiteral("ALFA"));
    QCOMPARE(table().fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("alfa"));
    nazwa.end(false);
    QTest::sendKeyEvent(QTest::Click, &nazwa, Qt::Key_unknown, QStringLiteral("ż"), Qt::NoModifier);
    QCOMPARE(nazwa.text(), QStringLiteral("ALFAŻ"));
    QCOMPARE(table().fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("ALFAŻ"));
}

void TestDbControls::textLimitedToFieldSize()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    QCOMPARE(symbol.maxLength(), 10);
    symbol.selectAll();
    QTest::keyClicks(&symbol, QStringLiteral("0123456789ABC"));
    QCOMPARE(symbol.text(), QStringLiteral("0123456789"));
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("0123456789"));
    DBEdit flag;
    flag.setDataSource(&data_->source());
    flag.setDataField(QStringLiteral("AktywnyString"));
    QCOMPARE(flag.maxLength(), 3);
}

void TestDbControls::readOnlyEditRefusesTyping()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    symbol.setReadOnly(true);
    QTest::keyClicks(&symbol, QStringLiteral("x"));
    QTest::keyClick(&symbol, Qt::Key_Backspace);
    QCOMPARE(symbol.text(), QStringLiteral("A1"));
    QCOMPARE(table().state(), DataSetState::Browse);
    // The auto-increment number is never typed over either.
    DBEdit numer;
    numer.setDataSource(&data_->source());
    numer.setDataField(QStringLiteral("Numer"));
    const QString before = numer.text();
    QVERIFY(!before.isEmpty());
    QTest::keyClicks(&numer, QStringLiteral("7"));
    QCOMPARE(numer.text(), before);
    QCOMPARE(table().state(), DataSetState::Browse);
}

void TestDbControls::closedTableEmptiesAndDisables()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    DBText text;
    text.setDataSource(&data_->source());
    text.setDataField(QStringLiteral("Nazwa"));
    QVERIFY(symbol.isEnabled());
    table().close();
    QCOMPARE(symbol.text(), QString());
    QCOMPARE(text.text(), QString());
    QVERIFY(!symbol.isEnabled());
    table().open();
    QVERIFY(symbol.isEnabled());
    QCOMPARE(symbol.text(), QStringLiteral("A1"));
    QCOMPARE(text.text(), QStringLiteral("alfa"));
    // A control the window disabled itself stays disabled across close and open.
    symbol.setEnabled(false);
    table().close();
    table().open();
    QVERIFY(!symbol.isEnabled());
}

void TestDbControls::enablingDisplayUpdatesRefreshes()
{
    DBEdit symbol;
    symbol.setDataSource(&data_->source());
    symbol.setDataField(QStringLiteral("Symbol"));
    table().disableControls();
    table().next();
    table().next();
    QCOMPARE(symbol.text(), QStringLiteral("A1")); // nothing relayed meanwhile
    table().enableControls();
    QCOMPARE(symbol.text(), QStringLiteral("C3"));
}

void TestDbControls::pasteFromMenuEditsRecord()
{
    // Text changed the way a context menu does (no key press reaches the control).
    DBEdit nazwa;
    nazwa.setDataSource(&data_->source());
    nazwa.setDataField(QStringLiteral("Nazwa"));
    nazwa.end(false);
    nazwa.insert(QStringLiteral("!")); // QLineEdit::insert sends textEdited
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(nazwa.text(), QStringLiteral("alfa!"));
    QCOMPARE(table().fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("alfa!"));
}

void TestDbControls::textFollowsRecord()
{
    DBText cena;
    cena.setDataSource(&data_->source());
    cena.setDataField(QStringLiteral("Cena"));
    cena.setAlignment(Qt::AlignRight);
    QCOMPARE(cena.text(), QStringLiteral("1,50"));
    table().next();
    QCOMPARE(cena.text(), QString());
    table().next();
    QCOMPARE(cena.text(), QStringLiteral("10,25"));
    table().edit();
    table().fieldByName(QStringLiteral("Cena")).setFloat(3);
    QCOMPARE(cena.text(), QStringLiteral("3,00"));
    table().cancel();
    QCOMPARE(cena.text(), QStringLiteral("10,25"));
}

void TestDbControls::memoBindsBothWays()
{
    DBMemo memo;
    memo.setDataSource(&data_->source());
    memo.setDataField(QStringLiteral("Nazwa"));
    QVERIFY(memo.wordWrap());
    QCOMPARE(memo.toPlainText(), QStringLiteral("alfa"));
    table().next();
    QCOMPARE(memo.toPlainText(), QStringLiteral("beta"));
    memo.moveCursor(QTextCursor::End);
    QTest::keyClicks(&memo, QStringLiteral("X"));
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(table().fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("betaX"));
    table().cancel();
    QCOMPARE(memo.toPlainText(), QStringLiteral("beta"));
    memo.setReadOnly(true);
    QTest::keyClicks(&memo, QStringLiteral("Y"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("beta"));
    QCOMPARE(table().state(), DataSetState::Browse);
}

void TestDbControls::comboBoxBindsBothWays()
{
    DBComboBox vat;
    vat.setDataSource(&data_->source());
    vat.setDataField(QStringLiteral("AktywnyString"));
    vat.setItems({QStringLiteral("TAK"), QStringLiteral("NIE"), QStringLiteral("?")});
    QCOMPARE(vat.text(), QStringLiteral("TAK"));
    table().next();
    QCOMPARE(vat.text(), QStringLiteral("NIE"));
    QSignalSpy changed(&vat, &DBComboBox::textChangedByUser);
    // Choosing another item with the keyboard edits the record.
    vat.setCurrentIndex(1);
    QCOMPARE(table().state(), DataSetState::Browse); // from code: no edit
    QTest::keyClick(&vat, Qt::Key_Down);
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(vat.text(), QStringLiteral("?"));
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("?"));
    QVERIFY(changed.count() >= 1);
    table().cancel();
    QCOMPARE(vat.text(), QStringLiteral("NIE"));
    // Typing goes to the field as well, limited to its size.
    QCOMPARE(vat.lineEdit()->maxLength(), 3);
    vat.lineEdit()->selectAll();
    QTest::keyClicks(&vat, QStringLiteral("ab"));
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("ab"));
    table().post();
    QCOMPARE(vat.text(), QStringLiteral("ab"));
    // Text set from code does not reach the record.
    vat.setText(QStringLiteral("zw"));
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("ab"));
}

void TestDbControls::comboBoxItemsReplaceable()
{
    DBComboBox box;
    box.setDataSource(&data_->source());
    box.setDataField(QStringLiteral("Symbol"));
    box.setItems({QStringLiteral("7"), QStringLiteral("22")});
    box.addItem(QStringLiteral("zw"));
    QCOMPARE(box.items(), (QStringList{QStringLiteral("7"), QStringLiteral("22"), QStringLiteral("zw")}));
    QCOMPARE(box.text(), QStringLiteral("A1")); // the shown text is the field's
    box.setItems({QStringLiteral("23"), QStringLiteral("8")});
    QCOMPARE(box.items(), (QStringList{QStringLiteral("23"), QStringLiteral("8")}));
    QCOMPARE(box.text(), QStringLiteral("A1"));
    box.clearItems();
    QVERIFY(box.items().isEmpty());
    QCOMPARE(box.text(), QStringLiteral("A1"));
    QCOMPARE(table().state(), DataSetState::Browse);
}

void TestDbControls::checkBoxValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("checkedValue");
    QTest::addColumn<QString>("uncheckedValue");
    QTest::addColumn<QList<bool>>("expected"); // per record
    QTest::newRow("logical, default values")
        << QStringLiteral("Aktywny") << QString() << QString() << QList<bool>{true, false, true};
    QTest::newRow("logical, values True/False") << QStringLiteral("Aktywny") << QStringLiteral("True")
                                                << QStringLiteral("False") << QList<bool>{true, false, true};
    QTest::newRow("text TAK/NIE, any case") << QStringLiteral("AktywnyString") << QStringLiteral("TAK")
                                            << QStringLiteral("NIE") << QList<bool>{true, false, true};
}

void TestDbControls::checkBoxValues()
{
    QFETCH(QString, field);
    QFETCH(QString, checkedValue);
    QFETCH(QString, uncheckedValue);
    QFETCH(QList<bool>, expected);
    DBCheckBox box;
    if (!checkedValue.isEmpty()) {
        box.setValueChecked(checkedValue);
        box.setValueUnchecked(uncheckedValue);
    }
    box.setDataSource(&data_->source());
    box.setDataField(field);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(box.isChecked(), expected[i]);
        table().next();
    }
}

void TestDbControls::checkBoxClickWrites()
{
    DBCheckBox box;
    box.setValueChecked(QStringLiteral("TAK"));
    box.setValueUnchecked(QStringLiteral("NIE"));
    box.setDataSource(&data_->source());
    box.setDataField(QStringLiteral("AktywnyString"));
    DBCheckBox logical;
    logical.setDataSource(&data_->source());
    logical.setDataField(QStringLiteral("Aktywny"));
    QVERIFY(box.isChecked());
    box.click();
    QVERIFY(!box.isChecked());
    QCOMPARE(table().state(), DataSetState::Edit);
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("NIE"));
    logical.click();
    QCOMPARE(table().fieldByName(QStringLiteral("Aktywny")).asBoolean(), false);
    table().cancel();
    QVERIFY(box.isChecked());
    QVERIFY(logical.isChecked());
    table().next();
    box.click();
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("TAK"));
    table().post();
    QCOMPARE(table().fieldByName(QStringLiteral("AktywnyString")).asString(), QStringLiteral("TAK"));
    // Read-only: a click changes nothing.
    box.setReadOnly(true);
    box.click();
    QVERIFY(box.isChecked());
    QCOMPARE(table().state(), DataSetState::Browse);
}

void TestDbControls::accessibleNameAndDescription()
{
    DBEdit edit;
    edit.setDataSource(&data_->source());
    edit.setDataField(QStringLiteral("Symbol"));
    edit.setAccessibleName(QStringLiteral("Symbol dostawcy:"));
    edit.setAccessibleDescription(QStringLiteral("Skrócona nazwa"));
    DBCheckBox box;
    box.setAccessibleName(QStringLiteral("Aktywny"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&edit);
    QVERIFY(a);
    QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Symbol dostawcy:"));
    QCOMPARE(a->text(QAccessible::Description), QStringLiteral("Skrócona nazwa"));
    QCOMPARE(a->text(QAccessible::Value), QStringLiteral("A1"));
    QAccessibleInterface* b = QAccessible::queryAccessibleInterface(&box);
    QVERIFY(b);
    QCOMPARE(b->text(QAccessible::Name), QStringLiteral("Aktywny"));
}

QTEST_MAIN(TestDbControls)
#include "tst_dbcontrols.moc"
