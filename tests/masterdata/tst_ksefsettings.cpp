// The page "KSeF" of "Parametry": the token goes to the keyring (or, where none
// serves, to this run's memory, and the user is told), never into a table; a NIP
// without its check digit changes nothing; "Sprawdź połączenie" authenticates
// against the stand-in.
#include "masterdata/KsefSettingsPage.h"
#include "platform/Keyring.h"
#include "platform/Messages.h"
#include "support/core/KsefStandIn.h"
#include "support/core/TempDataDir.h"
#include "support/gui/GuiSupport.h"
#include "work/KsefFetch.h"
#include "work/KsefScene.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace jadl;
using namespace jadl::test;

namespace {

// A keyring that works, or one that has no backend at all.
class FakeKeyring : public platform::KeyringBackend {
public:
    explicit FakeKeyring(bool works) : works_(works) { }
    std::optional<QString> read(const QString& key, QString* why) override
    {
        if (!works_) {
            *why = QStringLiteral("brak usługi Secret Service");
            return std::nullopt;
        }
        why->clear();
        return secrets.contains(key) ? std::optional<QString>(secrets.value(key)) : std::nullopt;
    }
    bool write(const QString& key, const QString& secret, QString* why) override
    {
        if (!works_)
            *why = QStringLiteral("brak usługi Secret Service");
        else
            secrets.insert(key, secret);
        return works_;
    }
    bool remove(const QString& key, QString*) override
    {
        secrets.remove(key);
        return true;
    }
    QHash<QString, QString> secrets;

private:
    bool works_;
};

} // namespace

class TstKsefSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        Aliases::clear();
        dir_ = std::make_unique<TempDataDir>();
    }
    void cleanup()
    {
        platform::setKeyringBackend(nullptr);
        qunsetenv("JADL_KSEF_CA");
        dir_.reset();
        Aliases::clear();
    }
    void tokenGoesToTheKeyringAndConnects_data();
    void tokenGoesToTheKeyringAndConnects();
    void badNipChangesNothing();

private:
    std::unique_ptr<TempDataDir> dir_;
};

void TstKsefSettings::tokenGoesToTheKeyringAndConnects_data()
{
    QTest::addColumn<bool>("keyring");
    QTest::addColumn<int>("messages"); // the user is told when the token stays for this run only
    QTest::newRow("keyring") << true << 0;
    QTest::newRow("no keyring: kept until the program ends") << false << 1;
}

void TstKsefSettings::tokenGoesToTheKeyringAndConnects()
{
    QFETCH(bool, keyring);
    QFETCH(int, messages);
    platform::ScopedScriptedMessages said;
    auto fake = std::make_shared<FakeKeyring>(keyring);
    platform::setKeyringBackend(fake);
    KsefStandIn server(0);
    qputenv("JADL_KSEF_CA", server.ca().toLocal8Bit());
    TKsefSettingsPage page;
    page.load();
    auto* env = jadl::test::child<QComboBox>(&page, "ComboBoxSrodowisko");
    env->setCurrentIndex(env->findText(kseffetch::kOwnAddress));
    jadl::test::child<QLineEdit>(&page, "EditAdresKSeF")->setText(server.url());
    jadl::test::child<QLineEdit>(&page, "EditNipKSeF")->setText(QStringLiteral("526-587-76-35"));
    jadl::test::child<QLineEdit>(&page, "EditTokenKSeF")->setText(kKsefToken);
    jadl::test::child<QPushButton>(&page, "BitBtnSprawdzPolaczenie")->click();

    const QString state = jadl::test::child<QLabel>(&page, "LabelStanKSeF")->text();
    QVERIFY2(state.contains(QStringLiteral("działa")), qPrintable(state + said->texts().join(QLatin1Char('|'))));
    QCOMPARE(said->texts().size(), messages);
    const kseffetch::Config c = kseffetch::loadConfig();
    QCOMPARE(c.nip, kBuyerNip);
    QCOMPARE(c.url, QUrl(server.url()));
    QCOMPARE(kseffetch::loadToken(c), kKsefToken);
    QCOMPARE(fake->secrets.value(kseffetch::tokenKey(c)), keyring ? kKsefToken : QString());
    QVERIFY(jadl::test::child<QLineEdit>(&page, "EditTokenKSeF")->text().isEmpty());
    for (QDirIterator it(dir_->root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(!f.readAll().contains(kKsefToken.section(QLatin1Char('|'), 2).toUtf8()), qPrintable(f.fileName()));
    }
}

void TstKsefSettings::badNipChangesNothing()
{
    platform::ScopedScriptedMessages said;
    platform::setKeyringBackend(std::make_shared<FakeKeyring>(true));
    TKsefSettingsPage page;
    page.load();
    jadl::test::child<QLineEdit>(&page, "EditNipKSeF")->setText(QStringLiteral("5265877636"));
    jadl::test::child<QLineEdit>(&page, "EditTokenKSeF")->setText(kKsefToken);
    jadl::test::child<QPushButton>(&page, "BitBtnZapiszKSeF")->click();
    QCOMPARE(said->texts().size(), 1);
    QVERIFY2(said->texts().at(0).contains(QStringLiteral("nieprawidłowy")), qPrintable(said->texts().at(0)));
    QVERIFY(kseffetch::loadConfig().nip.isEmpty());
}

QTEST_MAIN(TstKsefSettings)
#include "tst_ksefsettings.moc"
