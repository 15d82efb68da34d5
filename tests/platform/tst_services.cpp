// The clock, the message sinks, help requests and the TMP setting.
#include "common/Environment.h"
#include "platform/Clock.h"
#include "platform/Help.h"
#include "platform/Messages.h"

#include <QtTest>

using namespace jadl::platform;

class TestServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void clockFixedByEnvironment();
    void clockEnvironmentReadOnce();
    void clockFixedByTest();
    void clockIgnoresMalformedDate();
    void scriptedMessagesRecordEverything();
    void scriptedAnswersInOrderThenDefault();
    void scopedSinksNestAndRestore();
    void defaultSinkAnswersNo();
    void helpTopicsReachTheHandler();
    void tmpSettingFollowsCurrentFolder();
};

void TestServices::cleanup()
{
    qunsetenv("JADL_TODAY");
    setFixedToday(std::nullopt);
}

void TestServices::clockFixedByEnvironment()
{
    qputenv("JADL_TODAY", "2026-12-07");
    setFixedToday(std::nullopt); // forget what was read before
    QCOMPARE(today(), QDate(2026, 12, 7));
    QCOMPARE(now().date(), QDate(2026, 12, 7));
}

void TestServices::clockEnvironmentReadOnce()
{
    qputenv("JADL_TODAY", "2024-02-29");
    setFixedToday(std::nullopt);
    QCOMPARE(today(), QDate(2024, 2, 29));
    // The day is fixed for the run: a later change of the variable is not seen.
    qputenv("JADL_TODAY", "2030-01-01");
    QCOMPARE(today(), QDate(2024, 2, 29));
}

void TestServices::clockFixedByTest()
{
    qputenv("JADL_TODAY", "2026-12-07");
    setFixedToday(QDate(2025, 1, 31));
    QCOMPARE(today(), QDate(2025, 1, 31));
    QCOMPARE(now().date(), QDate(2025, 1, 31));
    // Clearing the fixed day returns to the environment's day.
    setFixedToday(std::nullopt);
    QCOMPARE(today(), QDate(2026, 12, 7));
    qunsetenv("JADL_TODAY");
    setFixedToday(std::nullopt);
    const QDate before = QDate::currentDate();
    const QDate got = today();
    QVERIFY(got >= before && got <= QDate::currentDate());
}

void TestServices::clockIgnoresMalformedDate()
{
    qputenv("JADL_TODAY", "7.12.2026");
    setFixedToday(std::nullopt);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("JADL_TODAY.*")));
    const QDate before = QDate::currentDate();
    const QDate got = today();
    QVERIFY(got >= before && got <= QDate::currentDate());
}

void TestServices::scriptedMessagesRecordEverything()
{
    ScopedScriptedMessages script;
    script->answerNext(true);
    showMessage(QStringLiteral("Brak grupy towarów"));
    QVERIFY(askYesNo(QStringLiteral("Usunąć zaznaczoną pozycję towaru"), QStringLiteral("WYBIERZ")));
    showError(QStringLiteral("Błąd kopiowania"), QStringLiteral("UWAGA"));
    showError(QStringLiteral("bez tytułu"));

    const QList<RecordedMessage>& log = script->log();
    QCOMPARE(log.size(), 4);
    QCOMPARE(log.at(0).kind, MessageKind::Message);
    QCOMPARE(log.at(0).text, QStringLiteral("Brak grupy towarów"));
    QVERIFY(log.at(0).caption.isEmpty());
    QCOMPARE(log.at(1).kind, MessageKind::Question);
    QCOMPARE(log.at(1).caption, QStringLiteral("WYBIERZ"));
    QCOMPARE(log.at(1).answer, true);
    QCOMPARE(log.at(2).kind, MessageKind::Error);
    QCOMPARE(log.at(2).caption, QStringLiteral("UWAGA"));
    QCOMPARE(log.at(3).kind, MessageKind::Error);
    QVERIFY(log.at(3).caption.isEmpty());
    QCOMPARE(script->texts(),
             (QStringList{QStringLiteral("Brak grupy towarów"), QStringLiteral("Usunąć zaznaczoną pozycję towaru"),
                          QStringLiteral("Błąd kopiowania"), QStringLiteral("bez tytułu")}));
    script->clear();
    QVERIFY(script->log().isEmpty());
}

void TestServices::scriptedAnswersInOrderThenDefault()
{
    ScopedScriptedMessages script;
    script->answerNext(true);
    script->answerNext(false);
    script->answerNext(true);
    QCOMPARE(script->pendingAnswers(), qsizetype(3));
    QCOMPARE(askYesNo(QStringLiteral("1"), QStringLiteral("KOPIUJEMY")), true);
    QCOMPARE(askYesNo(QStringLiteral("2"), QStringLiteral("KOPIUJEMY")), false);
    QCOMPARE(askYesNo(QStringLiteral("3"), QStringLiteral("KOPIUJEMY")), true);
    QCOMPARE(script->pendingAnswers(), qsizetype(0));
    // Beyond the script: No, unless the test says otherwise.
    QCOMPARE(askYesNo(QStringLiteral("4"), QStringLiteral("KOPIUJEMY")), false);
    script->setDefaultAnswer(true);
    QCOMPARE(askYesNo(QStringLiteral("5"), QStringLiteral("KOPIUJEMY")), true);
    // Messages do not use up answers.
    script->answerNext(false);
    showMessage(QStringLiteral("x"));
    QCOMPARE(script->pendingAnswers(), qsizetype(1));
    QCOMPARE(askYesNo(QStringLiteral("6"), QString()), false);
    const QList<RecordedMessage>& log = script->log();
    QCOMPARE(log.size(), 7);
    QCOMPARE(log.at(4).answer, true);
}

void TestServices::scopedSinksNestAndRestore()
{
    const std::shared_ptr<MessageSink> original = messageSink();
    {
        ScopedScriptedMessages outer;
        {
            ScopedScriptedMessages inner;
            showMessage(QStringLiteral("do wewnętrznego"));
            QCOMPARE(inner->texts(), QStringList{QStringLiteral("do wewnętrznego")});
        }
        showMessage(QStringLiteral("do zewnętrznego"));
        QCOMPARE(outer->texts(), QStringList{QStringLiteral("do zewnętrznego")});
        QCOMPARE(&messages(), static_cast<MessageSink*>(&*outer));
    }
    QCOMPARE(messageSink(), original);
}

void TestServices::defaultSinkAnswersNo()
{
    const std::shared_ptr<MessageSink> original = messageSink();
    setMessageSink(nullptr);
    QVERIFY(messageSink() != nullptr);
    QCOMPARE(askYesNo(QStringLiteral("TWORZYMY KOPIE BAZY NA DYSKIETKACH ??"), QStringLiteral("KOPIUJEMY")), false);
    setMessageSink(original);
}

void TestServices::helpTopicsReachTheHandler()
{
    clearLastHelpTopic();
    QCOMPARE(lastHelpTopic(), -1);
    showHelpTopic(8); // no handler yet: only recorded
    QCOMPARE(lastHelpTopic(), 8);

    QList<int> shown;
    setHelpHandler([&shown](int topic) { shown.append(topic); });
    showHelpTopic(3);
    showHelpTopic(8);
    setHelpHandler({});
    QCOMPARE(shown, (QList<int>{3, 8}));
    QCOMPARE(lastHelpTopic(), 8);
    showHelpTopic(5);
    QCOMPARE(shown.size(), 2);
    clearLastHelpTopic();
    QCOMPARE(lastHelpTopic(), -1);
}

void TestServices::tmpSettingFollowsCurrentFolder()
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    jadl::applyTmpSetting();
    const QString tmp = qEnvironmentVariable("TMP");
    QDir::setCurrent(before);
    QCOMPARE(QFileInfo(tmp).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
    jadl::applyTmpSetting();
    QCOMPARE(qEnvironmentVariable("TMP"), QDir::toNativeSeparators(before));
}

QTEST_GUILESS_MAIN(TestServices)
#include "tst_services.moc"
