// `jadlonia --pobierz-ksef` as a timer runs it, against the KSeF stand-in: killed
// in the middle of a fetch, the next run stores the rest, none twice; the token is
// in no file of the data directory or of its archive; a wrong token or a token
// file others may read is refused with a message and a non-zero exit.
#include "support/core/KsefStandIn.h"
#include "support/core/TempDataDir.h"
#include "work/BackupJob.h"
#include "work/KsefScene.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>

using namespace jadl;
using namespace jadl::test;

namespace {

struct Yes : archive::BackupQuestions {
    bool goOnWithLowSpace() override { return true; }
    bool copyOntoDiskettes(int) override { return true; }
    bool insertDiskette(int) override { return true; }
    void cannotDelete(const QString&) override { }
};

} // namespace

class TstKsefCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        Aliases::clear();
        dir_ = std::make_unique<TempDataDir>();
        tokenFile_ = secrets_.filePath(QStringLiteral("token"));
        writeToken(kKsefToken, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    void cleanup()
    {
        dir_.reset();
        Aliases::clear();
    }
    void resumesAfterAKillAndKeepsNoToken();
    void refusesWithAMessage_data();
    void refusesWithAMessage();

private:
    void writeToken(const QString& token, QFileDevice::Permissions mode)
    {
        QFile f(tokenFile_);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(token.toUtf8()) > 0);
        f.close();
        QVERIFY(f.setPermissions(mode));
    }
    void start(QProcess& p, const KsefStandIn& server)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("JADL_DRIVES"), QStringLiteral("C=") + dir_->root());
        env.insert(QStringLiteral("HOME"), dir_->root());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_->root() + QStringLiteral("/.config"));
        // JADL_DATABASE as the fixture set it: the data directory, or the suite's server.
        env.insert(QStringLiteral("JADL_KSEF_URL"), server.url());
        env.insert(QStringLiteral("JADL_KSEF_CA"), server.ca());
        env.insert(QStringLiteral("JADL_KSEF_TOKEN_FILE"), tokenFile_);
        env.insert(QStringLiteral("JADL_KSEF_NIP"), kBuyerNip);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(JADL_PROGRAM), {QStringLiteral("--pobierz-ksef")});
        QVERIFY(p.waitForStarted());
    }
    int storedCount() const
    {
        try {
            return rows(QDir(dir_->dataDir()).filePath(QStringLiteral("PobraneKSeF.db")),
                        "SELECT count(DISTINCT NumerKSeF) FROM PobraneKSeF")
                .value(0)
                .value(0)
                .toInt();
        } catch (const std::exception&) {
            return 0; // not made yet, or busy with the fetch's write
        }
    }

    std::unique_ptr<TempDataDir> dir_;
    QTemporaryDir secrets_;
    QString tokenFile_;
};

void TstKsefCommand::resumesAfterAKillAndKeepsNoToken()
{
    KsefStandIn server(40, {QStringLiteral("slow:40")});
    QVERIFY(server.running());
    {
        QProcess first;
        start(first, server);
        QElapsedTimer t;
        t.start();
        while (storedCount() < 8 && t.elapsed() < 60000 && first.state() == QProcess::Running)
            QThread::msleep(20);
        first.kill(); // as a power cut would
        first.waitForFinished();
    }
    const int beforeKill = storedCount();
    QVERIFY2(beforeKill >= 8 && beforeKill < 40, qPrintable(QString::number(beforeKill)));

    // A server ends the killed program's session (and what it held) a moment
    // later; until then the fetch is refused as busy, and tried again as a timer would.
    QProcess second;
    QString out, errors;
    QElapsedTimer waited;
    waited.start();
    do {
        start(second, server);
        QVERIFY(second.waitForFinished(120000));
        out = QString::fromLocal8Bit(second.readAllStandardOutput());
        errors = QString::fromLocal8Bit(second.readAllStandardError());
        const QString said = out + errors;
        if (second.exitCode() == 0 ||
            !(said.contains(QStringLiteral("inne stanowisko")) || said.contains(QStringLiteral("zajęta"))))
            break;
        QThread::msleep(200);
    } while (waited.elapsed() < 15000);
    QVERIFY2(second.exitCode() == 0, qPrintable(out + errors));
    QCOMPARE(out.count(QStringLiteral("Pobrano: ")), 40 - beforeKill);
    QVERIFY2(out.contains(QStringLiteral("Razem pobrano %1 nowych faktur").arg(40 - beforeKill)), qPrintable(out));
    QCOMPARE(rows(QDir(dir_->dataDir()).filePath(QStringLiteral("PobraneKSeF.db")),
                  "SELECT count(*), count(DISTINCT NumerKSeF) FROM PobraneKSeF"),
             (QList<QVariantList>{{40.0, 40.0}}));

    // No table holds the token or a part of it; on files, neither does the day's backup.
    for (const QByteArray& table : snapshot(dir_->dataDir()))
        for (const QString& part : kKsefToken.split(QLatin1Char('|')))
            QVERIFY(!table.contains(part.toUtf8()));
    if (onServer())
        return;
    Yes yes;
    QVERIFY(archive::BackupJob(QStringLiteral("c:\\Jadl\\Dane_bar\\"), QStringLiteral("c:\\"), QDate(2026, 12, 7), {})
                .run(yes)
                .end == archive::BackupEnd::Complete);
    int files = 0;
    for (QDirIterator it(dir_->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const QString& part : kKsefToken.split(QLatin1Char('|')))
            QVERIFY2(!bytes.contains(part.toUtf8()), qPrintable(f.fileName()));
        ++files;
    }
    QVERIFY(files > 3);
}

void TstKsefCommand::refusesWithAMessage_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<bool>("othersRead");
    QTest::addColumn<QString>("says");
    QTest::newRow("wrong token") << "20260301-EC-0000000000-0000000000-00|nip-5265877635|00" << false
                                 << "KSeF nie przyjął tokenu";
    QTest::newRow("token file others may read") << kKsefToken << true << "prawa 0600";
}

void TstKsefCommand::refusesWithAMessage()
{
    QFETCH(QString, token);
    QFETCH(bool, othersRead);
    QFETCH(QString, says);
    writeToken(token,
               QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                   (othersRead ? QFileDevice::ReadOther : QFileDevice::Permissions()));
    KsefStandIn server(3);
    QProcess p;
    start(p, server);
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(err.contains(says), qPrintable(err));
    QVERIFY(!err.contains(kKsefToken));
    QCOMPARE(storedCount(), 0);
}

QTEST_MAIN(TstKsefCommand)
#include "tst_ksefcommand.moc"
