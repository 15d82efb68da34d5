#include "invoices/KsefApi.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>
#include <QUrlQuery>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <algorithm>

namespace jadl::ksef::api {

namespace {

const QString kCancelled = QStringLiteral("Pobieranie z KSeF przerwane – nic z tego zapytania nie zapisano.");

// The text KSeF gives for a refusal, in either of its error shapes: codes and descriptions.
QString describeError(const QByteArray& body, int* firstCode = nullptr)
{
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    QStringList parts;
    auto add = [&](const QJsonValue& code, const QJsonValue& text, const QJsonValue& details) {
        if (firstCode && *firstCode == 0 && code.isDouble())
            *firstCode = code.toInt();
        QString t = text.toString();
        for (const QJsonValue& d : details.toArray())
            t += QStringLiteral(" ") + d.toString();
        if (code.isDouble())
            t = QString::number(code.toInt()) + QStringLiteral(" ") + t;
        if (!t.trimmed().isEmpty())
            parts << t.trimmed();
    };
    for (const QJsonValue& e :
         o.value(QStringLiteral("exception")).toObject().value(QStringLiteral("exceptionDetailList")).toArray()) {
        const QJsonObject x = e.toObject();
        add(x.value(QStringLiteral("exceptionCode")), x.value(QStringLiteral("exceptionDescription")),
            x.value(QStringLiteral("details")));
    }
    for (const QJsonValue& e : o.value(QStringLiteral("errors")).toArray()) {
        const QJsonObject x = e.toObject();
        add(x.value(QStringLiteral("code")), x.value(QStringLiteral("description")),
            x.value(QStringLiteral("details")));
    }
    if (parts.isEmpty() && o.contains(QStringLiteral("detail")))
        parts << o.value(QStringLiteral("detail")).toString();
    if (parts.isEmpty() && o.contains(QStringLiteral("status"))) {
        const QJsonObject s = o.value(QStringLiteral("status")).toObject();
        add(QJsonValue(), s.value(QStringLiteral("description")), s.value(QStringLiteral("details")));
    }
    return parts.join(QStringLiteral("; "));
}

struct X509Free {
    void operator()(X509* x) const { X509_free(x); }
};
struct PkeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};

QJsonObject objectOf(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

} // namespace

ApiError::ApiError(Kind kind, const QString& message)
    : std::runtime_error(message.toStdString()), kind_(kind), message_(message)
{ }

QStringList environmentNames()
{
    return {QStringLiteral("Test"), QStringLiteral("Demo"), QStringLiteral("Produkcja")};
}

std::optional<QUrl> environmentUrl(const QString& name)
{
    if (name == u"Test")
        return QUrl(QStringLiteral("https://api-test.ksef.mf.gov.pl/v2"));
    if (name == u"Demo")
        return QUrl(QStringLiteral("https://api-demo.ksef.mf.gov.pl/v2"));
    if (name == u"Produkcja")
        return QUrl(QStringLiteral("https://api.ksef.mf.gov.pl/v2"));
    return std::nullopt;
}

QDateTime parseDateTime(const QString& text)
{
    // Qt reads at most milliseconds: the fraction is cut (never rounded) to three digits.
    QString t = text.trimmed();
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    if (dot > 0) {
        qsizetype end = dot + 1;
        while (end < t.size() && t[end].isDigit())
            ++end;
        t = t.left(dot + 1) + t.mid(dot + 1, std::min<qsizetype>(3, end - dot - 1)).leftJustified(3, QLatin1Char('0')) +
            t.mid(end);
    }
    return QDateTime::fromString(t, Qt::ISODateWithMs);
}

bool validNip(const QString& digits)
{
    if (digits.size() != 10 || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    static const int weights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += weights[i] * digits[i].digitValue();
    return sum % 11 != 10 && sum % 11 == digits[9].digitValue();
}

QByteArray encryptOaep(const QByteArray& certificateDer, const QByteArray& plain)
{
    const auto fail = [] {
        return ApiError(ApiError::Kind::Auth,
                        QStringLiteral("Klucz publiczny KSeF do szyfrowania tokenu jest nieczytelny – nie da się "
                                       "uwierzytelnić."));
    };
    const auto* p = reinterpret_cast<const unsigned char*>(certificateDer.constData());
    std::unique_ptr<X509, X509Free> cert(d2i_X509(nullptr, &p, long(certificateDer.size())));
    if (!cert)
        throw fail();
    std::unique_ptr<EVP_PKEY, PkeyFree> key(X509_get_pubkey(cert.get()));
    if (!key)
        throw fail();
    std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) <= 0 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) <= 0 ||
        EVP_PKEY_CTX_set_rsa_oaep_md(ctx.get(), EVP_sha256()) <= 0 ||
        EVP_PKEY_CTX_set_rsa_mgf1_md(ctx.get(), EVP_sha256()) <= 0)
        throw fail();
    const auto* in = reinterpret_cast<const unsigned char*>(plain.constData());
    size_t size = 0;
    if (EVP_PKEY_encrypt(ctx.get(), nullptr, &size, in, size_t(plain.size())) <= 0)
        throw fail();
    QByteArray out(qsizetype(size), '\0');
    if (EVP_PKEY_encrypt(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &size, in, size_t(plain.size())) <= 0)
        throw fail();
    out.resize(qsizetype(size));
    return out;
}

struct Client::Reply {
    int status = 0; // HTTP status; 0 when no answer came
    bool network = false; // the connection failed or was cut
    bool tls = false;
    QString errorText;
    QByteArray body;
    QByteArray retryAfter;
    QByteArray hash; // x-ms-meta-hash
};

struct Client::State {
    Settings s;
    QNetworkAccessManager nam;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    std::function<void(const QString&)> notice;
    std::function<bool()> cancelled;
    QString authToken;
    QString accessToken;
    QString refreshToken;
    QDateTime accessUntil;
    QByteArray certificate;
    QString keyId;
};

Client::Client(Settings settings) : d_(std::make_unique<State>())
{
    d_->s = std::move(settings);
    if (!d_->s.caBundle.isEmpty()) {
        const QList<QSslCertificate> cas = QSslCertificate::fromPath(d_->s.caBundle, QSsl::Pem);
        if (cas.isEmpty())
            throw ApiError(ApiError::Kind::Settings,
                           QStringLiteral("Plik certyfikatów %1 (JADL_KSEF_CA) nie zawiera żadnego certyfikatu PEM.")
                               .arg(d_->s.caBundle));
        d_->ssl.addCaCertificates(cas);
    }
}

Client::~Client() = default;

void Client::setNotice(std::function<void(const QString&)> notice)
{
    d_->notice = std::move(notice);
}

void Client::setCancelled(std::function<bool()> cancelled)
{
    d_->cancelled = std::move(cancelled);
}

QString Client::serverName() const
{
    const QUrl& u = d_->s.base;
    return u.port() > 0 ? QStringLiteral("%1:%2").arg(u.host()).arg(u.port()) : u.host();
}

bool Client::authenticated() const
{
    return !d_->accessToken.isEmpty();
}

void Client::wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (d_->cancelled && d_->cancelled())
            throw ApiError(ApiError::Kind::Cancelled, kCancelled);
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(100, ms - t.elapsed()), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

Client::Reply Client::once(const QByteArray& method, const QString& path, const QByteArray& body, const QString& bearer)
{
    // "Przerwij" between two requests stops before the next: the poll below only
    // sees it while a request is under way, and a quick server answers first.
    if (d_->cancelled && d_->cancelled())
        throw ApiError(ApiError::Kind::Cancelled, kCancelled);
    QString base = d_->s.base.toString();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QNetworkRequest req(QUrl(base + path));
    req.setSslConfiguration(d_->ssl);
    req.setTransferTimeout(d_->s.timeoutMs);
    req.setRawHeader("Accept", path.startsWith(u"/invoices/ksef/") ? "application/xml" : "application/json");
    if (method == "POST")
        req.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (!bearer.isEmpty())
        req.setRawHeader("Authorization", "Bearer " + bearer.toUtf8());
    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(d_->nam.sendCustomRequest(req, method, body),
                                                                   [](QNetworkReply* r) { r->deleteLater(); });
    QStringList sslProblems;
    QObject::connect(reply.get(), &QNetworkReply::sslErrors, [&sslProblems](const QList<QSslError>& errors) {
        for (const QSslError& e : errors)
            sslProblems << e.errorString();
    });
    bool cancelled = false;
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (d_->cancelled && d_->cancelled()) {
            cancelled = true;
            reply->abort();
        }
    });
    poll.start(100);
    if (!reply->isFinished())
        loop.exec();
    if (cancelled)
        throw ApiError(ApiError::Kind::Cancelled, kCancelled);
    Reply r;
    const QNetworkReply::NetworkError e = reply->error();
    // Errors below 200 and from 300 are the connection's; the rest follow the HTTP status.
    r.network = e != QNetworkReply::NoError && (int(e) < 200 || (int(e) >= 300 && int(e) < 400));
    r.tls = e == QNetworkReply::SslHandshakeFailedError || !sslProblems.isEmpty();
    r.errorText = sslProblems.isEmpty() ? reply->errorString() : sslProblems.join(QStringLiteral("; "));
    if (!r.network)
        r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.body = reply->readAll();
    r.retryAfter = reply->rawHeader("Retry-After");
    r.hash = reply->rawHeader("x-ms-meta-hash");
    return r;
}

Client::Reply Client::call(const QByteArray& method, const QString& path, const QByteArray& body, Bearer bearer,
                           bool retryable)
{
    int failures = 0;
    int limits = 0;
    bool refreshed = false;
    for (;;) {
        if (bearer == Bearer::Access)
            ensureFreshAccess();
        const QString token = bearer == Bearer::Authentication ? d_->authToken
            : bearer == Bearer::Access                         ? d_->accessToken
            : bearer == Bearer::Refresh                        ? d_->refreshToken
                                                               : QString();
        const Reply r = once(method, path, body, token);
        if (r.tls)
            throw ApiError(ApiError::Kind::Tls,
                           QStringLiteral("Nie można nawiązać bezpiecznego połączenia z serwerem "
                                          "KSeF %1: %2")
                               .arg(serverName(), r.errorText));
        const bool transient = r.network || r.status >= 500;
        if (transient) {
            if (!retryable || failures >= d_->s.retries) {
                if (r.network)
                    throw ApiError(ApiError::Kind::Network,
                                   QStringLiteral("Brak połączenia z serwerem KSeF %1: %2 (prób: %3).")
                                       .arg(serverName(), r.errorText)
                                       .arg(failures + 1));
                throw ApiError(ApiError::Kind::Server,
                               QStringLiteral("Serwer KSeF %1 odpowiada błędem %2 (prób: %3). %4")
                                   .arg(serverName())
                                   .arg(r.status)
                                   .arg(failures + 1)
                                   .arg(describeError(r.body))
                                   .trimmed());
            }
            wait(d_->s.backoffMs << failures);
            ++failures;
            continue;
        }
        if (r.status == 429) {
            bool ok = false;
            const int seconds = std::max(1, r.retryAfter.trimmed().toInt(&ok));
            if (++limits > 50)
                throw ApiError(
                    ApiError::Kind::Server,
                    QStringLiteral("KSeF %1 wciąż ogranicza liczbę zapytań – spróbuj później.").arg(serverName()));
            if (d_->notice)
                d_->notice(QStringLiteral("KSeF ogranicza liczbę zapytań – ponowienie za %1 s").arg(seconds));
            wait(seconds * 1000);
            continue;
        }
        if (r.status == 401 && bearer == Bearer::Access && !refreshed) {
            // The access token ran out before its time as we knew it: a fresh one, once.
            refreshed = true;
            refreshAccess();
            continue;
        }
        return r;
    }
}

void Client::failFromReply(const Reply& r, const QString& what)
{
    const QString detail = describeError(r.body);
    throw ApiError(r.status == 401 || r.status == 403 ? ApiError::Kind::Auth : ApiError::Kind::Server,
                   QStringLiteral("%1: serwer KSeF %2 odpowiedział %3%4")
                       .arg(what, serverName())
                       .arg(r.status)
                       .arg(detail.isEmpty() ? QString() : QStringLiteral(" – ") + detail));
}

QByteArray Client::tokenCertificate(QString* keyId)
{
    if (d_->certificate.isEmpty()) {
        const Reply r = call("GET", QStringLiteral("/security/public-key-certificates"), {}, Bearer::None);
        if (r.status != 200)
            failFromReply(r, QStringLiteral("Pobranie klucza publicznego KSeF"));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        QDateTime best;
        for (const QJsonValue& v : QJsonDocument::fromJson(r.body).array()) {
            const QJsonObject c = v.toObject();
            const QDateTime from = parseDateTime(c.value(QStringLiteral("validFrom")).toString());
            const QDateTime to = parseDateTime(c.value(QStringLiteral("validTo")).toString());
            if (!c.value(QStringLiteral("usage"))
                     .toArray()
                     .contains(QJsonValue(QStringLiteral("KsefTokenEncryption"))) ||
                !from.isValid() || !to.isValid() || from > now || now >= to || (best.isValid() && from <= best))
                continue;
            best = from;
            d_->certificate = QByteArray::fromBase64(c.value(QStringLiteral("certificate")).toString().toLatin1());
            d_->keyId = c.value(QStringLiteral("publicKeyId")).toString();
        }
        if (d_->certificate.isEmpty())
            throw ApiError(ApiError::Kind::Auth,
                           QStringLiteral("Serwer KSeF %1 nie podaje ważnego klucza do "
                                          "szyfrowania tokenu.")
                               .arg(serverName()));
    }
    *keyId = d_->keyId;
    return d_->certificate;
}

void Client::authenticate()
{
    if (!validNip(d_->s.nip))
        throw ApiError(
            ApiError::Kind::Settings,
            QStringLiteral("NIP firmy „%1” jest nieprawidłowy – popraw go w „Parametry” → „KSeF”.").arg(d_->s.nip));
    if (d_->s.token.trimmed().isEmpty())
        throw ApiError(ApiError::Kind::Settings, QStringLiteral("Brak tokenu KSeF – wpisz go w „Parametry” → „KSeF”."));
    d_->accessToken.clear();
    d_->refreshToken.clear();
    for (int attempt = 0;; ++attempt) {
        QString keyId;
        const QByteArray cert = tokenCertificate(&keyId);
        const Reply ch = call("POST", QStringLiteral("/auth/challenge"), {}, Bearer::None);
        if (ch.status != 200)
            failFromReply(ch, QStringLiteral("Wyzwanie uwierzytelniania"));
        const QJsonObject c = objectOf(ch.body);
        const qint64 timestampMs = c.value(QStringLiteral("timestampMs")).toInteger();
        const QByteArray plain = d_->s.token.trimmed().toUtf8() + '|' + QByteArray::number(timestampMs);
        QJsonObject req{
            {QStringLiteral("challenge"), c.value(QStringLiteral("challenge"))},
            {QStringLiteral("contextIdentifier"),
             QJsonObject{{QStringLiteral("type"), QStringLiteral("Nip")}, {QStringLiteral("value"), d_->s.nip}}},
            {QStringLiteral("encryptedToken"), QString::fromLatin1(encryptOaep(cert, plain).toBase64())},
            {QStringLiteral("publicKeyId"), keyId},
        };
        const Reply init = call("POST", QStringLiteral("/auth/ksef-token"),
                                QJsonDocument(req).toJson(QJsonDocument::Compact), Bearer::None);
        int code = 0;
        if (init.status == 400 && (describeError(init.body, &code), code == 21470) && attempt == 0) {
            d_->certificate.clear(); // the key was rotated: choose again
            continue;
        }
        if (init.status != 202 && init.status != 200)
            failFromReply(init, QStringLiteral("Uwierzytelnienie tokenem KSeF"));
        const QJsonObject started = objectOf(init.body);
        const QString reference = started.value(QStringLiteral("referenceNumber")).toString();
        d_->authToken =
            started.value(QStringLiteral("authenticationToken")).toObject().value(QStringLiteral("token")).toString();

        QElapsedTimer polling;
        polling.start();
        for (int i = 0;; ++i) {
            const Reply st = call("GET", QStringLiteral("/auth/%1").arg(reference), {}, Bearer::Authentication);
            if (st.status != 200)
                failFromReply(st, QStringLiteral("Stan uwierzytelniania"));
            const QJsonObject status = objectOf(st.body).value(QStringLiteral("status")).toObject();
            const int sc = status.value(QStringLiteral("code")).toInt();
            QStringList details;
            for (const QJsonValue& v : status.value(QStringLiteral("details")).toArray())
                details << v.toString();
            const QString why = (QStringList{status.value(QStringLiteral("description")).toString()} + details)
                                    .join(QStringLiteral(" "))
                                    .trimmed();
            if (sc == 200)
                break;
            if (sc == 450)
                throw ApiError(ApiError::Kind::Auth,
                               QStringLiteral("KSeF nie przyjął tokenu (%1) – sprawdź token KSeF w „Parametry” → "
                                              "„KSeF” (błędny, wygasły lub unieważniony token, albo inne środowisko).")
                                   .arg(why));
            if (sc == 415)
                throw ApiError(ApiError::Kind::Auth,
                               QStringLiteral("Token KSeF nie daje uprawnień do faktur firmy o "
                                              "NIP %1 (%2) – sprawdź NIP firmy i token.")
                                   .arg(d_->s.nip, why));
            if (sc != 100)
                throw ApiError(ApiError::Kind::Auth,
                               QStringLiteral("Uwierzytelnienie w KSeF %1 nie powiodło się: %2 %3")
                                   .arg(serverName())
                                   .arg(sc)
                                   .arg(why));
            if (polling.elapsed() > 120000)
                throw ApiError(ApiError::Kind::Auth,
                               QStringLiteral("KSeF %1 nie kończy uwierzytelniania – spróbuj "
                                              "później.")
                                   .arg(serverName()));
            wait(std::min(100 << std::min(i, 4), 1600)); // token authentication is quick as a rule
        }
        // Redeemed once only: never retried blindly.
        const Reply tokens = call("POST", QStringLiteral("/auth/token/redeem"), {}, Bearer::Authentication, false);
        if (tokens.status != 200)
            failFromReply(tokens, QStringLiteral("Odbiór tokenów dostępu"));
        const QJsonObject t = objectOf(tokens.body);
        const QJsonObject access = t.value(QStringLiteral("accessToken")).toObject();
        d_->accessToken = access.value(QStringLiteral("token")).toString();
        d_->accessUntil = parseDateTime(access.value(QStringLiteral("validUntil")).toString());
        d_->refreshToken = t.value(QStringLiteral("refreshToken")).toObject().value(QStringLiteral("token")).toString();
        if (d_->accessToken.isEmpty())
            throw ApiError(ApiError::Kind::Auth,
                           QStringLiteral("Serwer KSeF %1 nie wydał tokenu dostępu.").arg(serverName()));
        return;
    }
}

void Client::refreshAccess()
{
    if (!d_->refreshToken.isEmpty()) {
        const Reply r = call("POST", QStringLiteral("/auth/token/refresh"), {}, Bearer::Refresh);
        if (r.status == 200) {
            const QJsonObject access = objectOf(r.body).value(QStringLiteral("accessToken")).toObject();
            d_->accessToken = access.value(QStringLiteral("token")).toString();
            d_->accessUntil = parseDateTime(access.value(QStringLiteral("validUntil")).toString());
            if (!d_->accessToken.isEmpty())
                return;
        }
    }
    authenticate(); // the refresh token ran out (seven days) or was revoked
}

void Client::ensureFreshAccess()
{
    if (d_->accessToken.isEmpty())
        authenticate();
    else if (d_->accessUntil.isValid() && QDateTime::currentDateTimeUtc().addSecs(30) >= d_->accessUntil)
        refreshAccess();
}

MetadataPage Client::queryMetadata(const QString& from, const std::optional<QString>& to, int pageOffset, int pageSize)
{
    QJsonObject range{{QStringLiteral("dateType"), QStringLiteral("PermanentStorage")},
                      {QStringLiteral("from"), from},
                      {QStringLiteral("restrictToPermanentStorageHwmDate"), true}};
    if (to)
        range.insert(QStringLiteral("to"), *to);
    const QJsonObject filters{{QStringLiteral("subjectType"), QStringLiteral("Subject2")},
                              {QStringLiteral("dateRange"), range}};
    const Reply r = call("POST",
                         QStringLiteral("/invoices/query/metadata?sortOrder=Asc&pageOffset=%1&pageSize=%2")
                             .arg(pageOffset)
                             .arg(pageSize),
                         QJsonDocument(filters).toJson(QJsonDocument::Compact), Bearer::Access);
    MetadataPage page;
    int code = 0;
    if (r.status == 400 && (describeError(r.body, &code), code == 21183))
        return page; // the window starts after what KSeF holds as final: nothing new yet
    if (r.status != 200)
        failFromReply(r, QStringLiteral("Lista faktur"));
    const QJsonObject o = objectOf(r.body);
    page.hasMore = o.value(QStringLiteral("hasMore")).toBool();
    page.isTruncated = o.value(QStringLiteral("isTruncated")).toBool();
    page.permanentStorageHwmDate = o.value(QStringLiteral("permanentStorageHwmDate")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("invoices")).toArray()) {
        const QJsonObject m = v.toObject();
        InvoiceMeta meta;
        meta.ksefNumber = m.value(QStringLiteral("ksefNumber")).toString();
        meta.invoiceNumber = m.value(QStringLiteral("invoiceNumber")).toString();
        const QJsonObject seller = m.value(QStringLiteral("seller")).toObject();
        meta.sellerNip = seller.value(QStringLiteral("nip")).toString();
        meta.sellerName = seller.value(QStringLiteral("name")).toString();
        meta.issueDate = QDate::fromString(m.value(QStringLiteral("issueDate")).toString(), Qt::ISODate);
        meta.permanentStorageDate = m.value(QStringLiteral("permanentStorageDate")).toString();
        meta.grossAmount = m.value(QStringLiteral("grossAmount")).toDouble();
        meta.currency = m.value(QStringLiteral("currency")).toString();
        meta.invoiceType = m.value(QStringLiteral("invoiceType")).toString();
        meta.invoiceHash = m.value(QStringLiteral("invoiceHash")).toString();
        meta.json = QJsonDocument(m).toJson(QJsonDocument::Compact);
        if (meta.ksefNumber.isEmpty() || meta.permanentStorageDate.isEmpty())
            throw ApiError(ApiError::Kind::Server,
                           QStringLiteral("Serwer KSeF %1 podał na liście fakturę bez numeru "
                                          "KSeF lub daty przechowania.")
                               .arg(serverName()));
        page.invoices.push_back(std::move(meta));
    }
    return page;
}

QByteArray Client::download(const QString& ksefNumber, QString* headerHash)
{
    for (int attempt = 0;; ++attempt) {
        const Reply r = call("GET", QStringLiteral("/invoices/ksef/%1").arg(ksefNumber), {}, Bearer::Access);
        if (r.status == 200) {
            if (headerHash)
                *headerHash = QString::fromLatin1(r.hash);
            return r.body;
        }
        int code = 0;
        describeError(r.body, &code);
        if (r.status == 400 && code == 21165 && attempt < d_->s.retries) {
            wait(d_->s.backoffMs << attempt); // processed, not yet ready to download
            continue;
        }
        failFromReply(r, QStringLiteral("Pobranie faktury %1").arg(ksefNumber));
    }
}

} // namespace jadl::ksef::api
