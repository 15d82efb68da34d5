// The navigator bar: which buttons are usable in which position and state, what
// they do, and its delete question.
#include "controls/DBNavigator.h"
#include "platform/Messages.h"
#include "support/gui/ScratchTable.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace jadl;
using jadl::test::ScratchTable;
using B = DBNavigator::Button;

namespace {

// Enabled buttons as a string, one letter per button in bar order, '-' when off:
// F P N L I D E S(post) C R.
QString enabledPattern(const DBNavigator& nav)
{
    static const char letters[] = "FPNLIDESCR";
    QString s;
    for (int i = 0; i < DBNavigator::ButtonCount; ++i)
        s += nav.button(B(i))->isEnabled() ? QChar::fromLatin1(letters[i]) : QLatin1Char('-');
    return s;
}

} // namespace

class TestDbNavigator : public QObject {
    Q_OBJECT
    std::unique_ptr<ScratchTable> data_;
    std::unique_ptr<platform::ScopedScriptedMessages> messages_;
    std::unique_ptr<DBNavigator> nav_;
    Table& table() { return data_->table(); }

private Q_SLOTS:
    void init();
    void cleanup();
    void enabling_data();
    void enabling();
    void buttonsAct();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void visibleButtonsAndHints();
};

void TestDbNavigator::init()
{
    messages_ = std::make_unique<platform::ScopedScriptedMessages>();
    data_ = std::make_unique<ScratchTable>(test::sampleFields(), test::sampleIndexes());
    data_->append(
        3, [](Table& t, int i) { t.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("S%1").arg(i)); });
    nav_ = std::make_unique<DBNavigator>();
    nav_->setDataSource(&data_->source());
}

void TestDbNavigator::cleanup()
{
    nav_.reset();
    data_.reset();
    messages_.reset();
}

void TestDbNavigator::enabling_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("first record") << QStringLiteral("first") << QStringLiteral("--NLIDE--R");
    QTest::newRow("middle record") << QStringLiteral("middle") << QStringLiteral("FPNLIDE--R");
    QTest::newRow("after last") << QStringLiteral("last") << QStringLiteral("FP--IDE--R");
    QTest::newRow("editing") << QStringLiteral("edit") << QStringLiteral("FPNLID-SCR");
    QTest::newRow("inserting") << QStringLiteral("insert") << QStringLiteral("FPNLID-SCR");
    QTest::newRow("empty table") << QStringLiteral("empty") << QStringLiteral("----I-E--R");
    QTest::newRow("closed table") << QStringLiteral("closed") << QStringLiteral("----------");
    QTest::newRow("bar disabled") << QStringLiteral("disabled") << QStringLiteral("----------");
}

void TestDbNavigator::enabling()
{
    QFETCH(QString, situation);
    QFETCH(QString, pattern);
    if (situation == QLatin1String("middle")) {
        table().next();
    } else if (situation == QLatin1String("last")) {
        table().last();
    } else if (situation == QLatin1String("edit")) {
        table().next();
        table().edit();
    } else if (situation == QLatin1String("insert")) {
        table().next();
        table().insert();
    } else if (situation == QLatin1String("empty")) {
        while (!table().isEmpty())
            table().deleteRecord();
    } else if (situation == QLatin1String("closed")) {
        table().close();
    } else if (situation == QLatin1String("disabled")) {
        nav_->setEnabled(false);
    }
    QCOMPARE(enabledPattern(*nav_), pattern);
}

void TestDbNavigator::buttonsAct()
{
    QSignalSpy clicked(nav_.get(), &DBNavigator::clicked);
    nav_->button(B::Next)->click();
    QCOMPARE(table().recNo(), 2);
    nav_->button(B::Last)->click();
    QCOMPARE(table().recNo(), 3);
    nav_->button(B::Prior)->click();
    QCOMPARE(table().recNo(), 2);
    nav_->button(B::First)->click();
    QCOMPARE(table().recNo(), 1);
    nav_->button(B::Edit)->click();
    QCOMPARE(table().state(), DataSetState::Edit);
    table().fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("ZMIANA"));
    nav_->button(B::Cancel)->click();
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S0"));
    nav_->button(B::Insert)->click();
    QCOMPARE(table().state(), DataSetState::Insert);
    table().fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("NOWY"));
    nav_->button(B::Post)->click();
    QCOMPARE(table().state(), DataSetState::Browse);
    QCOMPARE(table().recordCount(), 4);
    QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("NOWY"));
    nav_->button(B::Refresh)->click();
    QCOMPARE(table().recordCount(), 4);
    QCOMPARE(clicked.count(), 9);
    QCOMPARE(clicked.last().first().value<DBNavigator::Button>(), B::Refresh);
    // A disabled button does nothing, also when asked from code.
    table().first();
    nav_->clickButton(B::Prior);
    QCOMPARE(table().recNo(), 1);
    QCOMPARE(clicked.count(), 9);
}

void TestDbNavigator::deleteAsksFirst_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("remaining");
    QTest::newRow("No keeps the record") << true << false << 3;
    QTest::newRow("Yes deletes") << true << true << 2;
    QTest::newRow("without asking") << false << false << 2;
}

void TestDbNavigator::deleteAsksFirst()
{
    QFETCH(bool, confirm);
    QFETCH(bool, answer);
    QFETCH(int, remaining);
    nav_->setConfirmDelete(confirm);
    (*messages_)->answerNext(answer);
    table().next();
    nav_->button(B::Delete)->click();
    QCOMPARE(table().recordCount(), remaining);
    if (confirm) {
        QCOMPARE((*messages_)->log().size(), 1);
        QCOMPARE((*messages_)->log().first().text, QStringLiteral("Usunąć rekord?"));
        QCOMPARE((*messages_)->log().first().caption, QStringLiteral("Potwierdź"));
    } else {
        QVERIFY((*messages_)->log().isEmpty());
    }
    if (remaining == 2) {
        table().first();
        table().next();
        QCOMPARE(table().fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("S2"));
    }
}

void TestDbNavigator::visibleButtonsAndHints()
{
    QCOMPARE(nav_->visibleButtons().size(), DBNavigator::ButtonCount);
    nav_->setVisibleButtons({B::Insert, B::Delete, B::Edit, B::Post, B::Cancel});
    nav_->setHints({QStringLiteral("Dodaj"), QStringLiteral("Usuń"), QStringLiteral("Edytuj"), QStringLiteral("Zapisz"),
                    QStringLiteral("Anuluj")});
    QCOMPARE(nav_->visibleButtons(), (QList<B>{B::Insert, B::Delete, B::Edit, B::Post, B::Cancel}));
    QVERIFY(nav_->button(B::First)->isHidden());
    QCOMPARE(nav_->hint(B::Insert), QStringLiteral("Dodaj"));
    QCOMPARE(nav_->hint(B::Cancel), QStringLiteral("Anuluj"));
    QCOMPARE(nav_->button(B::Post)->toolTip(), QStringLiteral("Zapisz"));
    QCOMPARE(nav_->button(B::Post)->accessibleName(), QStringLiteral("Zapisz"));
    QCOMPARE(nav_->hint(B::First), QStringLiteral("Pierwszy rekord")); // hidden, default kept
    // All ten with the full list of hints.
    nav_->setVisibleButtons(
        {B::First, B::Prior, B::Next, B::Last, B::Insert, B::Delete, B::Edit, B::Post, B::Cancel, B::Refresh});
    const QStringList hints{QStringLiteral("pierwszy zapis"),   QStringLiteral("poprzedni zapis"),
                            QStringLiteral("następny zapis"),   QStringLiteral("ostatni zapis"),
                            QStringLiteral("dodaj nowy zapis"), QStringLiteral("usuń"),
                            QStringLiteral("edytuj"),           QStringLiteral("zapisz"),
                            QStringLiteral("anuluj"),           QStringLiteral("odśwież")};
    nav_->setHints(hints);
    for (int i = 0; i < DBNavigator::ButtonCount; ++i)
        QCOMPARE(nav_->hint(B(i)), hints[i]);
}

QTEST_MAIN(TestDbNavigator)
#include "tst_dbnavigator.moc"
