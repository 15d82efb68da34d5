#pragma once
// A client of KSeF's API 2.0 for a buyer fetching its purchase invoices with a
// KSeF token: authentication (challenge, the token encrypted with RSA-OAEP SHA-256
// under the system's published key, status polling, redeem, refresh), the
// invoice metadata query and the download of one invoice. Calls block, turning
// the event loop meanwhile, so a window stays painted and its "Przerwij" works.
// Limits (429 with Retry-After), 5xx and cut connections are retried a bounded
// number of times; every failure is an ApiError with a Polish message that
// names the server and never the token.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace jadl::ksef::api {

// The environments the Ministry runs, by the names the user chooses from.
QStringList environmentNames(); // "Test", "Demo", "Produkcja"
std::optional<QUrl> environmentUrl(const QString& name);

class ApiError : public std::runtime_error {
public:
    enum class Kind { Settings, Auth, Network, Tls, Server, Integrity, Cancelled };
    ApiError(Kind kind, const QString& message);
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }

private:
    Kind kind_;
    QString message_;
};

struct Settings {
    QUrl base; // ending in /v2, as the OpenAPI document's servers entry
    QString nip; // the firm's, digits only
    QString token; // the KSeF token, never logged
    QString caBundle; // PEM file of CAs trusted besides the system's (a test server)
    int timeoutMs = 60000; // per request
    int retries = 4; // of a 5xx or a cut connection
    int backoffMs = 1000; // first wait before a retry, doubled each time
};

// One invoice as the metadata query lists it.
struct InvoiceMeta {
    QString ksefNumber;
    QString invoiceNumber;
    QString sellerNip;
    QString sellerName;
    QDate issueDate;
    QString permanentStorageDate; // as KSeF wrote it: sent back unchanged as a window's start
    double grossAmount = 0;
    QString currency;
    QString invoiceType;
    QString invoiceHash; // Base64 SHA-256 of the file
    QByteArray json; // the entry as received
};

struct MetadataPage {
    bool hasMore = false;
    bool isTruncated = false;
    QString permanentStorageHwmDate; // empty when KSeF gave none
    std::vector<InvoiceMeta> invoices;
};

// A KSeF date-time (up to 7 fractional digits, an offset) as a QDateTime; invalid
// when it is none.
QDateTime parseDateTime(const QString& text);

// RSA-OAEP (SHA-256, MGF1 SHA-256, no label) of `plain` under the public key of a
// DER certificate; throws ApiError for a certificate that is not one.
QByteArray encryptOaep(const QByteArray& certificateDer, const QByteArray& plain);

// Whether ten digits make a NIP (its check digit).
bool validNip(const QString& digits);

class Client {
public:
    explicit Client(Settings settings);
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Told while waiting out a limit: "KSeF ogranicza liczbę zapytań – ponowienie za N s".
    void setNotice(std::function<void(const QString&)> notice);
    // Asked while waiting; true stops the call with ApiError::Kind::Cancelled.
    void setCancelled(std::function<bool()> cancelled);

    void authenticate();
    bool authenticated() const;
    // Subject2 (the firm as buyer), by permanent storage date, ascending.
    MetadataPage queryMetadata(const QString& from, const std::optional<QString>& to, int pageOffset, int pageSize);
    // The invoice's bytes as stored; `headerHash` gets x-ms-meta-hash.
    QByteArray download(const QString& ksefNumber, QString* headerHash);
    // What messages call the server: its host.
    QString serverName() const;

    struct Reply;

private:
    enum class Bearer { None, Authentication, Access, Refresh };
    Reply call(const QByteArray& method, const QString& path, const QByteArray& body, Bearer bearer,
               bool retryable = true);
    Reply once(const QByteArray& method, const QString& path, const QByteArray& body, const QString& bearer);
    void refreshAccess();
    void ensureFreshAccess();
    QByteArray tokenCertificate(QString* keyId);
    void wait(int ms);
    [[noreturn]] void failFromReply(const Reply& r, const QString& what);

    struct State;
    std::unique_ptr<State> d_;
};

} // namespace jadl::ksef::api
