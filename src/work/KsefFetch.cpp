#include "work/KsefFetch.h"

#include "common/Formats.h"
#include "invoices/KsefRules.h"
#include "platform/Clock.h"
#include "platform/Keyring.h"
#include "store/EngineError.h"
#include "store/Field.h"
#include "store/Table.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace jadl::kseffetch {

using ksef::api::ApiError;

namespace {

// Pages as large as the query allows: fewer calls against the hourly limit.
constexpr int kPageSize = 250;
// The query lists at most this many records for one set of filters.
constexpr int kTechnicalLimit = 10000;

std::unique_ptr<Table> openTable(const char* file, bool exclusive = false)
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(QStringLiteral("jadlonia"));
    t->setTableName(QString::fromLatin1(file));
    t->setExclusive(exclusive);
    t->open();
    return t;
}

Field& f(Table& t, const char* name)
{
    return t.fieldByName(QString::fromLatin1(name));
}

// The point's record of the NIP (made when missing); the table stays on it.
void goToPoint(Table& points, const QString& nip)
{
    if (!points.locate(QStringLiteral("Nip"), nip) || f(points, "Nip").asString() != nip) {
        points.append();
        f(points, "Nip").setString(nip);
        f(points, "Punkt").setString(kFirstPoint);
        f(points, "DataZmiany").setValue(QDateTime::currentDateTime());
        points.post();
    }
}

void savePoint(Table& points, const QString& nip, const QString& point)
{
    goToPoint(points, nip);
    points.edit();
    f(points, "Punkt").setString(point);
    f(points, "DataZmiany").setValue(QDateTime::currentDateTime());
    points.post();
}

// The end of a window that starts at `from`: three months on, or none (up to what
// KSeF holds as final) when that reaches today.
std::optional<QString> windowEnd(const QString& from)
{
    const QDateTime start = ksef::api::parseDateTime(from);
    if (!start.isValid())
        return std::nullopt;
    const QDateTime end = start.toUTC().addMonths(3);
    if (end >= QDateTime::currentDateTimeUtc())
        return std::nullopt;
    return end.toString(Qt::ISODateWithMs);
}

class Fetch {
public:
    Fetch(ksef::api::Client& client, const QString& nip, const Observer& observer)
        : client_(client), nip_(nip), observer_(observer), fetched_(openTable("PobraneKSeF.db"))
    {
        try {
            points_ = openTable("PunktKSeF.db", true);
        } catch (const EngineError&) {
            throw ApiError(ApiError::Kind::Settings,
                           QStringLiteral("Faktury z KSeF pobiera teraz inne stanowisko lub inny program – spróbuj, "
                                          "gdy skończy."));
        }
        for (int row = 0; row < fetched_->recordCount(); ++row)
            known_.insert(
                fetched_->valueAt(row, fetched_->fieldIndex(QStringLiteral("NumerKSeF"))).toString().toUpper());
    }

    Result run()
    {
        goToPoint(*points_, nip_);
        QString point = f(*points_, "Punkt").asString();
        for (;;) {
            const std::optional<QString> to = windowEnd(point);
            const QString reached = window(point, to);
            if (reached != point)
                savePoint(*points_, nip_, reached);
            if (!to || reached != *to)
                return result_;
            point = *to;
        }
    }

private:
    // One window [from, to): pages until KSeF has no more; returns the point reached.
    QString window(QString from, const std::optional<QString>& to)
    {
        int offset = 0;
        QString hwm;
        for (;;) {
            const ksef::api::MetadataPage page = client_.queryMetadata(from, to, offset, kPageSize);
            if (!page.permanentStorageHwmDate.isEmpty())
                hwm = page.permanentStorageHwmDate;
            store(page);
            if (!page.hasMore)
                break;
            // A list cut at the technical limit goes on from its last record's date
            // (inclusive: what comes twice is dropped by its number).
            const bool truncated = page.isTruncated || (offset + 1) * kPageSize >= kTechnicalLimit;
            if (truncated && !page.invoices.empty()) {
                from = page.invoices.back().permanentStorageDate;
                savePoint(*points_, nip_, from); // everything before it is stored
                offset = 0;
            } else {
                ++offset;
            }
        }
        // Up to the window's end, or to what KSeF holds as final where that comes first
        // (the rest may still fill in); nothing listed, nothing moves.
        if (to && !hwm.isEmpty() && ksef::api::parseDateTime(hwm) >= ksef::api::parseDateTime(*to))
            return *to;
        return hwm.isEmpty() ? from : hwm;
    }

    void store(const ksef::api::MetadataPage& page)
    {
        // Stored invoices are committed a few at a time (a commit waits for the disk),
        // and told only once committed; what a kill loses is fetched again, as the
        // point has not moved past it. A failure keeps what came before it.
        std::optional<Table::Batch> batch;
        std::vector<QString> told;
        QElapsedTimer since;
        auto commit = [&] {
            if (!batch)
                return;
            batch->commit();
            batch.reset();
            for (const QString& text : told) {
                ++result_.stored;
                if (observer_)
                    observer_({Event::Kind::Stored, text, result_.stored, listed_});
            }
            told.clear();
        };
        try {
            for (const ksef::api::InvoiceMeta& m : page.invoices) {
                if (batch && since.elapsed() > 1000)
                    commit();
                const QString key = m.ksefNumber.toUpper();
                if (known_.contains(key)) {
                    ++result_.duplicates;
                    continue;
                }
                ++listed_;
                const QByteArray xml = downloadChecked(m);
                if (!batch) {
                    batch.emplace(*fetched_);
                    since.start();
                }
                append(m, key, xml);
                known_.insert(key);
                told.push_back(QStringLiteral("%1  %2  %3  %4 %5")
                                   .arg(m.ksefNumber, m.invoiceNumber, m.sellerName)
                                   .arg(formatSum(m.grossAmount))
                                   .arg(m.currency));
            }
        } catch (const ApiError&) {
            commit();
            throw;
        }
        commit();
    }

    QByteArray downloadChecked(const ksef::api::InvoiceMeta& m)
    {
        QString headerHash;
        QByteArray xml = client_.download(m.ksefNumber, &headerHash);
        const QByteArray hash = QCryptographicHash::hash(xml, QCryptographicHash::Sha256).toBase64();
        if (hash != m.invoiceHash.toLatin1() || (!headerHash.isEmpty() && headerHash.toLatin1() != hash))
            throw ApiError(ApiError::Kind::Integrity,
                           QStringLiteral("Faktura %1 (nr %2 od %3): skrót pobranego pliku nie zgadza się ze "
                                          "skrótem podanym przez KSeF – nie zapisano jej, pobieranie "
                                          "zatrzymane; spróbuj ponownie później.")
                               .arg(m.ksefNumber, m.invoiceNumber, m.sellerNip));
        return xml;
    }

    void append(const ksef::api::InvoiceMeta& m, const QString& key, const QByteArray& xml)
    {
        Table& t = *fetched_;
        t.append();
        f(t, "NumerKSeF").setString(key);
        f(t, "NipNabywcy").setString(nip_);
        f(t, "NipSprzedawcy").setString(jadl::ksef::nipDigits(m.sellerNip));
        f(t, "NazwaSprzedawcy").setString(m.sellerName);
        f(t, "NumerFaktury").setString(m.invoiceNumber);
        f(t, "RodzajFaktury").setString(m.invoiceType);
        if (m.issueDate.isValid())
            f(t, "DataWystawienia").setDate(m.issueDate);
        f(t, "DataPrzechowania").setString(m.permanentStorageDate);
        f(t, "DataPobrania").setValue(QDateTime::currentDateTime());
        f(t, "KwotaBrutto").setFloat(m.grossAmount);
        f(t, "Waluta").setString(m.currency);
        f(t, "Skrot").setString(m.invoiceHash);
        f(t, "Metadane").setString(QString::fromUtf8(m.json));
        f(t, "Xml").setString(QString::fromLatin1(xml.toBase64()));
        f(t, "Pominieta").setBoolean(false);
        t.post();
    }

    ksef::api::Client& client_;
    QString nip_;
    const Observer& observer_;
    std::unique_ptr<Table> fetched_;
    std::unique_ptr<Table> points_;
    QSet<QString> known_;
    Result result_;
    int listed_ = 0;
};

} // namespace

Config loadConfig()
{
    Config c;
    // Only looked at: a data store that never fetched gets no table for it.
    Table t0;
    t0.setDatabaseName(QStringLiteral("jadlonia"));
    t0.setTableName(QStringLiteral("UstawieniaKSeF.db"));
    std::unique_ptr<Table> t = t0.exists() ? openTable("UstawieniaKSeF.db") : nullptr;
    if (t && !t->isEmpty()) {
        t->first();
        c.environment = f(*t, "Srodowisko").asString();
        c.url = QUrl(f(*t, "Adres").asString());
        c.nip = f(*t, "Nip").asString();
    }
    if (c.environment.isEmpty())
        c.environment = QStringLiteral("Produkcja");
    const QByteArray url = qgetenv("JADL_KSEF_URL");
    if (!url.isEmpty()) {
        c.environment = kOwnAddress;
        c.url = QUrl(QString::fromUtf8(url));
    }
    const QByteArray nip = qgetenv("JADL_KSEF_NIP");
    if (!nip.isEmpty())
        c.nip = jadl::ksef::nipDigits(QString::fromUtf8(nip));
    return c;
}

void saveConfig(const Config& c)
{
    auto t = openTable("UstawieniaKSeF.db");
    if (t->isEmpty())
        t->append();
    else {
        t->first();
        t->edit();
    }
    f(*t, "Srodowisko").setString(c.environment);
    f(*t, "Adres").setString(c.environment == kOwnAddress ? c.url.toString() : QString());
    f(*t, "Nip").setString(jadl::ksef::nipDigits(c.nip));
    t->post();
}

QUrl baseUrl(const Config& c)
{
    if (c.environment != kOwnAddress) {
        if (const auto u = ksef::api::environmentUrl(c.environment))
            return *u;
    }
    if (c.url.isValid() && c.url.scheme() == u"https" && !c.url.host().isEmpty())
        return c.url;
    throw ApiError(ApiError::Kind::Settings,
                   QStringLiteral("Adres KSeF „%1” nie jest adresem https:// – popraw go w „Parametry” → „KSeF”.")
                       .arg(c.url.toString()));
}

QString tokenKey(const Config& c)
{
    QUrl u;
    try {
        u = baseUrl(c);
    } catch (const ApiError&) {
        u = c.url;
    }
    return QStringLiteral("token KSeF %1 %2").arg(jadl::ksef::nipDigits(c.nip), u.host());
}

QString loadToken(const Config& c)
{
    const QString file = QString::fromLocal8Bit(qgetenv("JADL_KSEF_TOKEN_FILE"));
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        if (!info.exists())
            throw ApiError(ApiError::Kind::Settings,
                           QStringLiteral("Plik tokenu KSeF %1 (JADL_KSEF_TOKEN_FILE) nie istnieje.").arg(file));
        // Readable by its owner alone, as ssh asks of a key.
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
            QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        if (info.permissions() & others)
            throw ApiError(ApiError::Kind::Settings,
                           QStringLiteral("Plik tokenu KSeF %1 mogą czytać inni użytkownicy – nadaj mu prawa 0600 "
                                          "(chmod 600), inaczej go nie użyję.")
                               .arg(file));
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            throw ApiError(ApiError::Kind::Settings,
                           QStringLiteral("Nie można odczytać pliku tokenu KSeF %1: %2").arg(file, in.errorString()));
        const QString token = QString::fromUtf8(in.readAll()).trimmed();
        if (token.isEmpty())
            throw ApiError(ApiError::Kind::Settings, QStringLiteral("Plik tokenu KSeF %1 jest pusty.").arg(file));
        return token;
    }
    QString why;
    const std::optional<QString> token = platform::loadSecret(tokenKey(c), &why);
    if (!token || token->isEmpty())
        throw ApiError(ApiError::Kind::Settings,
                       why.isEmpty() ? QStringLiteral("Brak tokenu KSeF – wpisz go w „Parametry” → „KSeF”.")
                                     : QStringLiteral("Brak tokenu KSeF: systemowy pęk kluczy nie odpowiada (%1) – "
                                                      "wpisz token w „Parametry” → „KSeF” (zostanie do końca pracy "
                                                      "programu) albo podaj plik JADL_KSEF_TOKEN_FILE.")
                                           .arg(why));
    return *token;
}

Result fetchInvoices(ksef::api::Client& client, const QString& nip, const Observer& observer)
{
    return Fetch(client, nip, observer).run();
}

std::vector<Fetched> pendingInvoices(bool withSetAside)
{
    auto fetched = openTable("PobraneKSeF.db");
    auto reg = openTable("FakturyKSeF.db");
    QSet<QString> registered;
    const int nipCol = reg->fieldIndex(QStringLiteral("NipSprzedawcy"));
    const int numberCol = reg->fieldIndex(QStringLiteral("NumerFaktury"));
    for (int row = 0; row < reg->recordCount(); ++row)
        registered.insert(reg->valueAt(row, nipCol).toString() + QChar(0x1f) + reg->valueAt(row, numberCol).toString());
    std::vector<Fetched> out;
    Table& t = *fetched;
    auto at = [&t](int row, const char* name) { return t.valueAt(row, t.fieldIndex(QString::fromLatin1(name))); };
    for (int row = 0; row < t.recordCount(); ++row) {
        Fetched x;
        x.sellerNip = at(row, "NipSprzedawcy").toString();
        x.invoiceNumber = at(row, "NumerFaktury").toString();
        if (registered.contains(x.sellerNip + QChar(0x1f) + x.invoiceNumber))
            continue;
        x.setAside = at(row, "Pominieta").toBool();
        if (x.setAside && !withSetAside)
            continue;
        x.id = t.idAt(row);
        x.ksefNumber = at(row, "NumerKSeF").toString();
        x.sellerName = at(row, "NazwaSprzedawcy").toString();
        x.issueDate = at(row, "DataWystawienia").toDate();
        x.gross = at(row, "KwotaBrutto").toDouble();
        x.currency = at(row, "Waluta").toString();
        out.push_back(std::move(x));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Fetched& a, const Fetched& b) { return a.issueDate > b.issueDate; });
    return out;
}

namespace {

void goToId(Table& t, qint64 id)
{
    if (!t.locate(QStringLiteral("Numer"), id))
        throw ApiError(ApiError::Kind::Settings,
                       QStringLiteral("Pobranej faktury nr %1 nie ma już w PobraneKSeF.db.").arg(id));
}

} // namespace

void setAside(qint64 id, bool aside)
{
    auto t = openTable("PobraneKSeF.db");
    goToId(*t, id);
    t->edit();
    f(*t, "Pominieta").setBoolean(aside);
    t->post();
}

QByteArray fetchedXml(qint64 id, QString* name)
{
    auto t = openTable("PobraneKSeF.db");
    goToId(*t, id);
    if (name)
        *name = QStringLiteral("KSeF %1").arg(f(*t, "NumerKSeF").asString());
    return QByteArray::fromBase64(f(*t, "Xml").asString().toLatin1());
}

} // namespace jadl::kseffetch
