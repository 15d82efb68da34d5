// Fetching purchase invoices from KSeF against the stand-in: every invoice stored
// once whatever the server does on the way (limits, 5xx, an expired access token, a
// cut download, a truncated list), the next fetch taking only what is new, and the
// refusals (wrong token, another firm's NIP, a hash that does not match, an
// untrusted certificate, no server) named, with nothing half-stored.
#include "invoices/KsefApi.h"
#include "support/core/KsefStandIn.h"
#include "support/core/TempDataDir.h"
#include "work/KsefFetch.h"
#include "work/KsefScene.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace jadl;
using namespace jadl::test;
using jadl::ksef::api::ApiError;

class TstKsefFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        Aliases::clear();
        dir_ = std::make_unique<TempDataDir>();
    }
    void cleanup()
    {
        dir_.reset();
        Aliases::clear();
    }
    void everyInvoiceStoredOnce_data();
    void everyInvoiceStoredOnce();
    void refusalsAreNamedAndStoreNothing_data();
    void refusalsAreNamedAndStoreNothing();

private:
    // KSeF number -> whether the stored bytes still give the stored hash.
    QMap<QString, bool> stored() const
    {
        QMap<QString, bool> out;
        for (const QVariantList& r : rows(QDir(dir_->dataDir()).filePath(QStringLiteral("PobraneKSeF.db")),
                                          "SELECT NumerKSeF, Skrot, Xml FROM PobraneKSeF")) {
            const QByteArray xml = QByteArray::fromBase64(r[2].toString().toLatin1());
            // One stored twice shows as an unsound entry of its own.
            const QString key = out.contains(r[0].toString()) ? r[0].toString() + QStringLiteral(" again")
                                                              : r[0].toString();
            out.insert(key,
                       !key.endsWith(QStringLiteral(" again")) &&
                           QCryptographicHash::hash(xml, QCryptographicHash::Sha256).toBase64() ==
                               r[1].toString().toLatin1());
        }
        return out;
    }
    QString point() const
    {
        const auto r = rows(QDir(dir_->dataDir()).filePath(QStringLiteral("PunktKSeF.db")),
                            "SELECT Punkt FROM PunktKSeF");
        return r.isEmpty() ? QString() : r[0][0].toString();
    }
    std::unique_ptr<TempDataDir> dir_;
};

void TstKsefFetch::everyInvoiceStoredOnce_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("notice"); // what the fetch must have said on the way
    QTest::newRow("plain") << QStringList{} << QString();
    QTest::newRow("429 on the list, then on a download")
        << QStringList{QStringLiteral("429:/invoices/query:2"), QStringLiteral("429:/invoices/ksef:1")}
        << QStringLiteral("KSeF ogranicza liczbę zapytań – ponowienie za 1 s");
    QTest::newRow("5xx on a download and on the challenge")
        << QStringList{QStringLiteral("500:/invoices/ksef:2"), QStringLiteral("500:/auth/challenge:1")} << QString();
    QTest::newRow("access token expires") << QStringList{QStringLiteral("expire:7")} << QString();
    QTest::newRow("download cut in the middle") << QStringList{QStringLiteral("cut::2")} << QString();
    QTest::newRow("list truncated at 10") << QStringList{QStringLiteral("truncate:10")} << QString();
}

void TstKsefFetch::everyInvoiceStoredOnce()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, notice);
    KsefStandIn server(25, faults);
    QVERIFY(server.running());
    ksef::api::Client client(server.clientSettings());
    QStringList notices;
    client.setNotice([&notices](const QString& n) { notices << n; });
    int events = 0;
    const kseffetch::Result r = kseffetch::fetchInvoices(client, kBuyerNip, [&events](const kseffetch::Event& e) {
        events += e.kind == kseffetch::Event::Kind::Stored;
    });
    QCOMPARE(r.stored, 25);
    QCOMPARE(events, 25);
    QMap<QString, bool> got = stored();
    QCOMPARE(got.size(), 25);
    QVERIFY(std::all_of(got.begin(), got.end(), [](bool sound) { return sound; }));
    if (!notice.isEmpty())
        QVERIFY2(notices.contains(notice), qPrintable(notices.join(QLatin1Char('|'))));
    QVERIFY(point() > kseffetch::kFirstPoint);

    // The next fetch takes only what KSeF stored since, on the same client.
    server.control({{QStringLiteral("faults"), QJsonArray()}, {QStringLiteral("add"), 4}});
    QCOMPARE(kseffetch::fetchInvoices(client, kBuyerNip, {}).stored, 4);
    QCOMPARE(stored().size(), 29);
    QCOMPARE(kseffetch::fetchInvoices(client, kBuyerNip, {}).stored, 0);
    // Each file came once, but for the downloads cut short.
    const int downloads = server.stats().value(QStringLiteral("downloads")).toInt();
    QVERIFY2(downloads >= 29 && downloads <= 31, qPrintable(QString::number(downloads)));
}

void TstKsefFetch::refusalsAreNamedAndStoreNothing_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("change"); // what the test changes of the good settings
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("says");
    QTest::addColumn<int>("storedBefore"); // invoices stored before the failure
    QTest::newRow("wrong token") << QStringList{} << "token" << int(ApiError::Kind::Auth) << "KSeF nie przyjął tokenu"
                                 << 0;
    QTest::newRow("another firm's NIP") << QStringList{} << "nip" << int(ApiError::Kind::Auth)
                                        << "nie daje uprawnień do faktur firmy o NIP 7352765225" << 0;
    QTest::newRow("NIP without its check digit")
        << QStringList{} << "badnip" << int(ApiError::Kind::Settings) << "jest nieprawidłowy" << 0;
    QTest::newRow("hash mismatch on the third") << QStringList{QStringLiteral("hash:FV/2026/00003:1")} << ""
                                                << int(ApiError::Kind::Integrity) << "FV/2026/00003" << 2;
    QTest::newRow("certificate not trusted") << QStringList{} << "ca" << int(ApiError::Kind::Tls) << "127.0.0.1" << 0;
    QTest::newRow("no server") << QStringList{} << "port" << int(ApiError::Kind::Network)
                               << "Brak połączenia z serwerem KSeF 127.0.0.1:1" << 0;
    QTest::newRow("5xx that does not end") << QStringList{QStringLiteral("500:/invoices/query:99")} << ""
                                           << int(ApiError::Kind::Server) << "odpowiada błędem 503" << 0;
}

void TstKsefFetch::refusalsAreNamedAndStoreNothing()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, change);
    QFETCH(int, kind);
    QFETCH(QString, says);
    QFETCH(int, storedBefore);
    KsefStandIn server(5, faults);
    QVERIFY(server.running());
    ksef::api::Settings s = server.clientSettings();
    s.retries = 2;
    if (change == u"token")
        s.token = QStringLiteral("20260301-EC-0000000000-0000000000-00|nip-5265877635|00");
    else if (change == u"nip")
        s.nip = QStringLiteral("7352765225");
    else if (change == u"badnip")
        s.nip = QStringLiteral("5265877636");
    else if (change == u"ca")
        s.caBundle.clear();
    else if (change == u"port")
        s.base = QUrl(QStringLiteral("https://127.0.0.1:1/v2"));
    ksef::api::Client client(s);
    try {
        kseffetch::fetchInvoices(client, s.nip, {});
        QFAIL("the fetch went through");
    } catch (const ApiError& e) {
        QCOMPARE(int(e.kind()), kind);
        QVERIFY2(e.message().contains(says), qPrintable(e.message()));
        QVERIFY2(!e.message().contains(s.token), "the token is in a message");
    }
    const QMap<QString, bool> got = stored();
    QCOMPARE(got.size(), storedBefore);
    // The point stays where it was: the next fetch starts from the first window again.
    QVERIFY(point().isEmpty() || point() == kseffetch::kFirstPoint);
}

QTEST_MAIN(TstKsefFetch)
#include "tst_kseffetch.moc"
