#pragma once
// Fetching the firm's purchase invoices from KSeF into PobraneKSeF.db, as the
// incremental-fetching guide of KSeF's API says: adjoining windows on the
// permanent storage date (at most three months each), pages in ascending order,
// a truncated list continued from its last record's date, duplicates dropped by
// KSeF number, each file checked against its hash before it is stored. The point
// reached (PunktKSeF.db) is saved only after the invoices before it are stored,
// so a fetch cut anywhere resumes at the next one without losing or doubling an
// invoice. The point's table is opened exclusively for the fetch: one workstation
// fetches at a time.
#include "invoices/KsefApi.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace jadl {
class Table;
}

namespace jadl::kseffetch {

// Where the firm's invoices come from, as "Parametry" → "KSeF" sets it; the
// environment variables JADL_KSEF_URL and JADL_KSEF_NIP override it.
struct Config {
    QString environment; // "Test", "Demo", "Produkcja", or "Własny" with `url` typed
    QUrl url;
    QString nip; // digits only
};
inline const QString kOwnAddress = QStringLiteral("Własny adres");

Config loadConfig(); // from UstawieniaKSeF.db, then the environment
void saveConfig(const Config& c); // into UstawieniaKSeF.db (never the token)
// The base address the config names; throws ApiError (Settings) when it names none.
QUrl baseUrl(const Config& c);

// The keyring's key of the config's token.
QString tokenKey(const Config& c);
// The token: the file JADL_KSEF_TOKEN_FILE names (mode 0600, else refused), else the
// keyring (or this run's memory). Throws ApiError (Settings) with the reason.
QString loadToken(const Config& c);

// What the fetch reports as it goes.
struct Event {
    enum class Kind { Listed, Stored, Notice } kind;
    QString text; // Polish, one line: for the window's status and the command line
    int stored = 0; // so far
    int listed = 0; // new invoices listed so far
};
using Observer = std::function<void(const Event&)>;

struct Result {
    int stored = 0;
    int duplicates = 0; // listed again, already stored
};

// The first point of a firm that never fetched: KSeF's start for every VAT payer.
inline const QString kFirstPoint = QStringLiteral("2026-02-01T00:00:00+00:00");

// Fetches what was stored in KSeF since the point reached. Throws ApiError; what
// was stored before an error stays, the point stays where the stored invoices allow.
Result fetchInvoices(ksef::api::Client& client, const QString& nip, const Observer& observer);

// A fetched invoice, as the list of those to record shows it.
struct Fetched {
    qint64 id = 0; // Numer in PobraneKSeF.db
    QString ksefNumber;
    QString sellerNip;
    QString sellerName;
    QString invoiceNumber;
    QDate issueDate;
    double gross = 0;
    QString currency;
    bool setAside = false;
};

// The fetched invoices not yet recorded in the invoice register (by seller NIP and
// number, wherever they were imported from), newest first; with `setAside` also
// those the user set aside.
std::vector<Fetched> pendingInvoices(bool withSetAside);
// Sets an invoice aside as not a purchase, or takes it back.
void setAside(qint64 id, bool aside);
// The invoice's file as received, and the name messages call it by.
QByteArray fetchedXml(qint64 id, QString* name);

} // namespace jadl::kseffetch
