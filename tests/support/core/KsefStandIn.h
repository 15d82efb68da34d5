#pragma once
// The KSeF stand-in (support/ksef/standin.py) for one test: started on a free port
// with a throw-away CA, its invoices and faults; stopped when the fixture goes.
#include "invoices/KsefApi.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace jadl::test {

inline const QString kKsefToken = QStringLiteral("20260301-EC-2B1C1E3000-8F0B52E1C2-AB|nip-5265877635|"
                                                 "5f8b0c1d2e3f405162738495a6b7c8d9e0f1a2b3c4d5e6f708192a3b4c5d6e7f");
inline const QString kBuyerNip = QStringLiteral("5265877635");

class KsefStandIn {
public:
    explicit KsefStandIn(int invoices, const QStringList& faults = {})
    {
        QStringList args{QString::fromUtf8(JADL_INVOICE_TEST_DATA "/../../support/ksef/standin.py"),
                         QStringLiteral("--dir"),
                         dir_.path(),
                         QStringLiteral("--template"),
                         QString::fromUtf8(JADL_INVOICE_TEST_DATA "/typical.xml"),
                         QStringLiteral("--nip"),
                         kBuyerNip,
                         QStringLiteral("--token"),
                         kKsefToken,
                         QStringLiteral("--invoices"),
                         QString::number(invoices)};
        static QTemporaryDir keys; // made by the first stand-in of the run, reused after
        args << QStringLiteral("--keys") << keys.path();
        for (const QString& f : faults)
            args << QStringLiteral("--fault") << f;
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral("python3"), args);
        QElapsedTimer t;
        t.start();
        while (!QFile::exists(dir_.filePath(QStringLiteral("port"))) && t.elapsed() < 30000 &&
               process_.state() != QProcess::NotRunning)
            QThread::msleep(20);
        QFile port(dir_.filePath(QStringLiteral("port")));
        if (port.open(QIODevice::ReadOnly))
            port_ = port.readAll().trimmed().toInt();
    }
    ~KsefStandIn()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    KsefStandIn(const KsefStandIn&) = delete;
    KsefStandIn& operator=(const KsefStandIn&) = delete;

    bool running() const { return port_ > 0; }
    QString url() const { return QStringLiteral("https://127.0.0.1:%1/v2").arg(port_); }
    QString ca() const { return dir_.filePath(QStringLiteral("ca.pem")); }
    // What a client of this stand-in is given: its address and CA, the buyer and its token.
    ksef::api::Settings clientSettings() const
    {
        ksef::api::Settings s;
        s.base = QUrl(url());
        s.nip = kBuyerNip;
        s.token = kKsefToken;
        s.caBundle = ca();
        s.backoffMs = 20;
        return s;
    }

    // The stand-in's own calls: {"add": N}, {"faults": [...]}; GET /__stats.
    QJsonObject control(const QJsonObject& request) { return ask("POST", "/__control", request); }
    QJsonObject stats() { return ask("GET", "/__stats", {}); }
    QString accessToken() { return ask("GET", "/__token", {}).value(QStringLiteral("token")).toString(); }

private:
    QJsonObject ask(const QByteArray& method, const char* path, const QJsonObject& body)
    {
        QNetworkAccessManager nam;
        QNetworkRequest req(QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(port_).arg(QString::fromLatin1(path))));
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(QSslCertificate::fromPath(ca()));
        req.setSslConfiguration(ssl);
        req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        std::unique_ptr<QNetworkReply> reply(
            nam.sendCustomRequest(req, method, method == "POST" ? QJsonDocument(body).toJson() : QByteArray()));
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        return QJsonDocument::fromJson(reply->readAll()).object();
    }

    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

} // namespace jadl::test
