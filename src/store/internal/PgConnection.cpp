#include "store/internal/PgConnection.h"

#include "store/DataStore.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/TableStorage.h"

#include <QHash>
#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstring>

namespace jadl {

void PgResultFree::operator()(pg_result* r) const
{
    PQclear(r);
}

namespace {

// PostgreSQL's type numbers of the columns the engine reads.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kNumeric = 1700;

QString serverText(const char* message)
{
    return QString::fromUtf8(message ? message : "").trimmed();
}

// SQLSTATE classes of a connection that is gone: connection exception, and the
// server shutting down or restarting.
bool lostState(const char* state)
{
    if (!state)
        return false;
    // 08P01 is a protocol violation: the program's fault, not the network's.
    return (std::strncmp(state, "08", 2) == 0 && std::strcmp(state, "08P01") != 0) ||
        std::strcmp(state, "57P01") == 0 || std::strcmp(state, "57P02") == 0 || std::strcmp(state, "57P03") == 0;
}

// A lock another workstation holds longer than the session waits (lock_timeout).
bool busyState(const char* state)
{
    return state && std::strcmp(state, "55P03") == 0;
}

// The lost connection, as the user reads it.
ConnectionLost lost(const QString& display, const QString& reason)
{
    return ConnectionLost(QStringLiteral("Utracono połączenie z serwerem bazy danych %1 (%2). Program połączy się "
                                         "ponownie, gdy serwer będzie dostępny.")
                              .arg(display, reason));
}

const char* const kStatementPrefix = "jadl_";

// The server's notices (an index already there, a cascade) are not the user's
// business; its warnings are, and are kept for the statement's end.
void receiveNotice(void* link, const pg_result* notice)
{
    static_cast<PgLink*>(link)->noticed(notice);
}

// A privilege the server refuses (a site's login, the policies of its rows).
bool refusedState(const char* state)
{
    return state && std::strcmp(state, "42501") == 0;
}

} // namespace

std::string numberParameters(const QString& sql)
{
    const QByteArray in = sql.toUtf8();
    std::string out;
    out.reserve(size_t(in.size()) + 16);
    int n = 0;
    char quote = 0;
    for (char c : in) {
        if (quote) {
            if (c == quote)
                quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$';
            out += std::to_string(++n);
        } else {
            out += c;
        }
    }
    return out;
}

SqlValue pgValue(pg_result* r, int row, int i, QByteArray& blob)
{
    SqlValue v;
    if (PQgetisnull(r, row, i))
        return v;
    const char* text = PQgetvalue(r, row, i);
    const int len = PQgetlength(r, row, i);
    switch (PQftype(r, i)) {
    case kBool:
        v.type = SqlType::Integer;
        v.integer = text[0] == 't' ? 1 : 0;
        break;
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        v.type = SqlType::Integer;
        std::from_chars(text, text + len, v.integer);
        break;
    case kFloat4:
    case kFloat8:
    case kNumeric: {
        const SqlValue t{SqlType::Text, 0, 0, text, len};
        v.type = SqlType::Float;
        v.real = t.toDouble();
        break;
    }
    case kBytea:
        blob = QByteArray::fromHex(QByteArray::fromRawData(text, len).mid(2));
        v.type = SqlType::Blob;
        v.data = blob.constData();
        v.bytes = int(blob.size());
        break;
    default:
        v.type = SqlType::Text;
        v.data = text;
        v.bytes = len;
        break;
    }
    return v;
}

// ================================================================ PgLink

void PgLink::noticed(const pg_result* notice)
{
    const char* severity = PQresultErrorField(notice, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && std::strcmp(severity, "WARNING") == 0)
        warnings_ << serverText(PQresultErrorField(notice, PG_DIAG_MESSAGE_PRIMARY));
}

PgLink::PgLink(QString connection, QString display) : connection_(std::move(connection)), display_(std::move(display))
{ }

PgLink::~PgLink()
{
    if (conn_)
        PQfinish(conn_);
}

bool PgLink::broken() const
{
    return !conn_ || PQstatus(conn_) != CONNECTION_OK;
}

void PgLink::settle() noexcept
{
    // A transaction left open by a failed start ends here, not in the next table's statement.
    if (conn_ && PQstatus(conn_) == CONNECTION_OK && PQtransactionStatus(conn_) != PQTRANS_IDLE) {
        PgResult r(PQexec(conn_, "ROLLBACK"));
    }
}

void PgLink::ensureOpen()
{
    if (!broken())
        return;
    prepared_.clear();
    if (conn_) {
        PQreset(conn_);
    } else {
        // Our defaults first: what the connection string says overrides them.
        // A cut network is noticed within seconds instead of hanging the window.
        const QByteArray dbname = connection_.toUtf8();
        // A server elsewhere is reached only over TLS with its certificate checked,
        // unless the connection string (or PGSSLMODE) says otherwise.
        const bool verified = needsVerifiedTls(connection_);
        const char* keys[] = {"connect_timeout",
                              "keepalives_idle",
                              "keepalives_interval",
                              "keepalives_count",
                              "tcp_user_timeout",
                              "application_name",
                              "fallback_application_name",
                              verified ? "sslmode" : "dbname",
                              verified ? "dbname" : nullptr,
                              nullptr};
        const char* values[] = {"5",
                                "10",
                                "5",
                                "3",
                                "15000",
                                "jadlonia",
                                "jadlonia",
                                verified ? "verify-full" : dbname.constData(),
                                verified ? dbname.constData() : nullptr,
                                nullptr};
        conn_ = PQconnectdbParams(keys, values, 1);
        PQsetNoticeReceiver(conn_, receiveNotice, this);
    }
    if (PQstatus(conn_) != CONNECTION_OK) {
        const QString reason = serverText(PQerrorMessage(conn_));
        const QString tls = needsVerifiedTls(connection_)
            ? QStringLiteral(
                  " Połączenie z serwerem spoza tego komputera jest szyfrowane i sprawdza certyfikat serwera "
                  "(sslmode=verify-full): certyfikat urzędu (CA) wskazuje sslrootcert w opisie połączenia.")
            : QString();
        throw ConnectionLost(QStringLiteral("Nie można połączyć się z serwerem bazy danych %1: %2. Sprawdź, czy "
                                            "serwer działa, jest osiągalny z tego stanowiska i przyjmuje jego "
                                            "użytkownika i hasło.%3")
                                 .arg(display_, reason, tls));
    }
    // Text results as the engine reads them; the workstation's name for what it
    // keeps per workstation. A workstation that vanished mid-transaction must not
    // hold the others' writes for long: the server ends its session, and a writer
    // kept waiting is told instead of frozen.
    const QByteArray setup = QByteArrayLiteral("SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; "
                                               "SET extra_float_digits = 3; SET lock_timeout = '30s'; "
                                               "SET idle_in_transaction_session_timeout = '120s'; "
                                               "SET tcp_keepalives_idle = 30; SET tcp_keepalives_interval = 10; "
                                               "SET tcp_keepalives_count = 3; SET jadl.stanowisko = ") +
        escapeLiteral(workstationName());
    PgResult r(PQexec(conn_, setup.constData()));
    if (!r || PQresultStatus(r.get()) != PGRES_COMMAND_OK)
        fail(PQerrorMessage(conn_));
}

QByteArray PgLink::escapeLiteral(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!conn_) {
        // Before the first connection: standard quoting, which the server reads alike.
        QByteArray q = utf8;
        q.replace('\'', "''");
        return '\'' + q + '\'';
    }
    char* lit = PQescapeLiteral(conn_, utf8.constData(), size_t(utf8.size()));
    if (!lit)
        fail(PQerrorMessage(conn_));
    const QByteArray out(lit);
    PQfreemem(lit);
    return out;
}

void PgLink::fail(const char* what)
{
    const QString reason = serverText(what);
    if (broken())
        throw lost(display_, reason);
    throw EngineError(reason, display_);
}

PgResult PgLink::check(PgResult r)
{
    if (r) {
        const ExecStatusType st = PQresultStatus(r.get());
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK || st == PGRES_COPY_IN) {
            if (!warnings_.isEmpty() && st != PGRES_COPY_IN) {
                const QString said = warnings_.join(QStringLiteral("; "));
                warnings_.clear();
                throw EngineError(
                    QStringLiteral("Serwer nie wykonał całego polecenia i ostrzega: %1. Tego, czego dotyczy "
                                   "ostrzeżenie, nie zrobiono.")
                        .arg(said),
                    display_);
            }
            return r;
        }
        warnings_.clear();
        const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
        const QString reason = serverText(PQresultErrorMessage(r.get()));
        if (broken() || lostState(state))
            throw lost(display_, reason);
        if (refusedState(state))
            throw EngineError(
                QStringLiteral("Serwer nie pozwala na to temu loginowi (%1). Nic nie zostało zmienione.").arg(reason),
                display_);
        if (busyState(state))
            throw EngineError(QStringLiteral("Tabela jest zajęta przez inne stanowisko (trwa tam zapis, kopia lub "
                                             "odtwarzanie danych). Nic nie zostało zmienione; spróbuj ponownie za "
                                             "chwilę."),
                              display_);
        throw EngineError(reason, display_);
    }
    fail(PQerrorMessage(conn_));
}

template <class Run>
PgResult PgLink::run(Run&& runOnce, bool again)
{
    // A statement that belongs to what went before (a transaction's) must not go
    // out on a new session, where it would stand alone.
    if (!again && broken())
        throw lost(display_, QStringLiteral("połączenie zerwane wcześniej"));
    ensureOpen();
    warnings_.clear();
    try {
        return check(runOnce());
    } catch (const ConnectionLost&) {
        // A connection found dead when it was used: one more try on a new one,
        // where sending the statement again cannot write anything twice.
        if (!again)
            throw;
    }
    ensureOpen();
    warnings_.clear();
    return check(runOnce());
}

PgResult PgLink::exec(const QByteArray& sql, bool again)
{
    return run([&] { return PgResult(PQexec(conn_, sql.constData())); }, again);
}

PgResult PgLink::execPrepared(const std::string& sql, const std::vector<const char*>& values,
                              const std::vector<int>& lengths, bool again)
{
    return run(
        [&] {
            auto it = prepared_.find(sql);
            if (it == prepared_.end()) {
                const std::string name = kStatementPrefix + std::to_string(++nextName_);
                PgResult prep(PQprepare(conn_, name.c_str(), sql.c_str(), 0, nullptr));
                if (!prep || PQresultStatus(prep.get()) != PGRES_COMMAND_OK)
                    return prep;
                it = prepared_.emplace(sql, name).first;
            }
            return PgResult(PQexecPrepared(conn_, it->second.c_str(), int(values.size()), values.data(), lengths.data(),
                                           nullptr, 0));
        },
        again);
}

void PgLink::copyBegin(const QByteArray& sql)
{
    run([&] { return PgResult(PQexec(conn_, sql.constData())); }, false);
}

void PgLink::copyPut(const QByteArray& rows)
{
    if (!rows.isEmpty() && PQputCopyData(conn_, rows.constData(), int(rows.size())) != 1)
        fail(PQerrorMessage(conn_));
}

void PgLink::copyEnd()
{
    if (PQputCopyEnd(conn_, nullptr) != 1)
        fail(PQerrorMessage(conn_));
    PgResult last;
    while (PgResult r{PQgetResult(conn_)})
        last = std::move(r);
    check(std::move(last));
}

// ================================================================ PgServer

namespace {
QHash<QString, std::shared_ptr<PgServer>>& servers()
{
    static QHash<QString, std::shared_ptr<PgServer>> all;
    return all;
}
} // namespace

std::shared_ptr<PgServer> PgServer::get(const QString& connection)
{
    auto& all = servers();
    auto it = all.find(connection);
    if (it == all.end())
        it = all.insert(connection, std::make_shared<PgServer>(connection));
    return *it;
}

void PgServer::disconnectAll()
{
    for (const auto& server : std::as_const(servers()))
        server->links_.clear();
    servers().clear();
}

PgServer::PgServer(QString connection)
    : connection_(std::move(connection)), display_(serverDisplayName(connection_)) { }

PgLink& PgServer::idleLink()
{
    for (const auto& l : links_)
        if (!l->pinnedBy) {
            l->settle();
            l->ensureOpen();
            return *l;
        }
    links_.push_back(std::make_unique<PgLink>(connection_, display_));
    links_.back()->ensureOpen();
    return *links_.back();
}

std::unique_ptr<PgLink> PgServer::privateLink()
{
    auto link = std::make_unique<PgLink>(connection_, display_);
    link->ensureOpen();
    return link;
}

// ================================================================ statements

class PgConnection::Statement : public SqlStatement {
public:
    Statement(PgConnection& conn, const QString& sql) : conn_(conn), sql_(numberParameters(sql))
    {
        const QString head = sql.trimmed().left(8).toUpper();
        write_ = head.startsWith(QLatin1String("INSERT")) || head.startsWith(QLatin1String("UPDATE")) ||
            head.startsWith(QLatin1String("DELETE")) || head.startsWith(QLatin1String("TRUNCATE"));
        // An insert that may update fires the statement triggers of both: two changes counted.
        writes_ = write_ && sql.contains(QLatin1String("ON CONFLICT")) && sql.contains(QLatin1String("DO UPDATE")) ? 2
                                                                                                                   : 1;
        read_ = head.startsWith(QLatin1String("SELECT"));
    }

    void bindNull(int i) override { slot(i).reset(); }
    void bindInt(int i, qint64 v) override { slot(i) = std::to_string(v); }
    void bindDouble(int i, double v) override { slot(i) = pgFloatText(v).toStdString(); }
    void bindText(int i, const QByteArray& utf8) override { slot(i) = utf8.toStdString(); }
    void bindBlob(int i, const QByteArray& bytes) override { slot(i) = "\\x" + bytes.toHex().toStdString(); }
    void bindIds(int i, const std::vector<qint64>& ids) override
    {
        std::string s = "{";
        s.reserve(ids.size() * 8 + 2);
        char buf[24];
        for (size_t k = 0; k < ids.size(); ++k) {
            if (k)
                s += ',';
            const auto r = std::to_chars(buf, buf + sizeof buf, ids[k]);
            s.append(buf, r.ptr);
        }
        s += '}';
        slot(i) = std::move(s);
    }

    bool step() override
    {
        if (!result_) {
            run();
            row_ = 0;
        } else {
            ++row_;
        }
        return row_ < PQntuples(result_.get());
    }

    SqlValue column(int i) override
    {
        pg_result* r = result_.get();
        if (!r || row_ >= PQntuples(r))
            return {};
        return pgValue(r, row_, i, blob_);
    }

    void reset() noexcept override
    {
        result_.reset();
        params_.clear();
        row_ = 0;
    }

private:
    std::optional<std::string>& slot(int i)
    {
        if (size_t(i) > params_.size())
            params_.resize(size_t(i));
        return params_[size_t(i) - 1];
    }

    void run()
    {
        std::vector<const char*> values;
        std::vector<int> lengths;
        for (const auto& p : params_) {
            values.push_back(p ? p->c_str() : nullptr);
            lengths.push_back(p ? int(p->size()) : 0);
        }
        // A read outside a transaction may go again on a new connection; a write may not.
        const bool again = read_ && !conn_.inTransaction();
        result_ = conn_.link().execPrepared(sql_, values, lengths, again);
        if (write_)
            for (int i = 0; i < writes_; ++i)
                conn_.countWrite();
    }

    PgConnection& conn_;
    std::string sql_;
    bool write_ = false;
    int writes_ = 1;
    bool read_ = false;
    std::vector<std::optional<std::string>> params_;
    PgResult result_;
    int row_ = 0;
    QByteArray blob_;
};

// ================================================================ PgConnection

PgConnection::PgConnection(std::shared_ptr<PgServer> server, QString tableName, QString displayPath)
    : SqlConnection(std::move(displayPath)), server_(std::move(server)), tableName_(std::move(tableName))
{ }

PgConnection::~PgConnection()
{
    if (depth_ > 0) {
        depth_ = 1;
        rollback();
    }
    statements_.clear();
    if (exclusive_ && !exclusive_->broken()) {
        try {
            exclusive_->exec("SELECT pg_advisory_unlock_all()", false);
        } catch (...) { } // the lock ends with the link in any case
    }
}

const SqlDialect& PgConnection::dialect() const
{
    return SqlDialect::postgres();
}

PgLink& PgConnection::link()
{
    if (pinned_) {
        // The transaction ended with its connection: nothing more may run as part of it.
        if (pinned_->broken())
            throw lost(server_->display(), QStringLiteral("transakcja przerwana"));
        return *pinned_;
    }
    return server_->idleLink();
}

void PgConnection::lockExclusively()
{
    exclusive_ = server_->privateLink();
    const QByteArray sql = "SELECT pg_try_advisory_lock(hashtext(" +
        exclusive_->escapeLiteral(QStringLiteral("jadl:") + tableName_) + "))";
    PgResult r = exclusive_->exec(sql, true);
    if (PQntuples(r.get()) != 1 || PQgetvalue(r.get(), 0, 0)[0] != 't') {
        exclusive_.reset();
        throw EngineError(QStringLiteral("Tabela %1 jest otwarta na wyłączność przez inny program (na tym lub innym "
                                         "stanowisku)")
                              .arg(tableName_),
                          name());
    }
}

SqlStatement& PgConnection::statement(const QString& sql)
{
    const std::string key = sql.toStdString();
    auto it = statements_.find(key);
    if (it == statements_.end())
        it = statements_.emplace(key, std::make_unique<Statement>(*this, sql)).first;
    it->second->reset();
    return *it->second;
}

void PgConnection::exec(const QString& sql)
{
    const QString head = sql.trimmed().left(8).toUpper();
    link().exec(sql.toUtf8(), head.startsWith(QLatin1String("SELECT")) && !inTransaction());
    if (head.startsWith(QLatin1String("INSERT")) || head.startsWith(QLatin1String("UPDATE")) ||
        head.startsWith(QLatin1String("DELETE")) || head.startsWith(QLatin1String("TRUNCATE")))
        countWrite();
}

void PgConnection::resetStatements() noexcept
{
    for (auto& [sql, st] : statements_)
        st->reset();
}

void PgConnection::dropStatements()
{
    statements_.clear();
}

void PgConnection::countWrite()
{
    if (pendingWrites_.empty())
        ++ownWrites_;
    else
        ++pendingWrites_.back();
}

void PgConnection::begin()
{
    if (depth_ == 0) {
        PgLink& l = server_->idleLink();
        // Nothing was sent in this transaction yet: a dead connection may be made again.
        PgResult r;
        try {
            r = l.exec("BEGIN; SELECT pg_current_xact_id()::text", true);
        } catch (...) {
            l.settle();
            throw;
        }
        xid_ = PQntuples(r.get()) == 1 ? std::string(PQgetvalue(r.get(), 0, 0)) : std::string();
        l.pinnedBy = this;
        pinned_ = &l;
    } else {
        link().exec(QStringLiteral("SAVEPOINT lvl%1").arg(depth_).toUtf8(), false);
    }
    pendingWrites_.push_back(0);
    ++depth_;
}

void PgConnection::commit()
{
    if (depth_ == 0)
        return;
    if (depth_ > 1) {
        link().exec(QStringLiteral("RELEASE lvl%1").arg(depth_ - 1).toUtf8(), false);
        const int writes = pendingWrites_.back();
        pendingWrites_.pop_back();
        pendingWrites_.back() += writes;
        --depth_;
        return;
    }
    PgLink* l = pinned_;
    auto finish = [&] {
        l->pinnedBy = nullptr;
        pinned_ = nullptr;
        depth_ = 0;
        pendingWrites_.clear();
    };
    try {
        const PgResult done = l->exec("COMMIT", false);
        // A transaction that failed earlier answers COMMIT with ROLLBACK.
        if (std::strcmp(PQcmdStatus(done.get()), "COMMIT") != 0)
            throw EngineError(QStringLiteral("Transakcja została wycofana przez serwer; nic nie zostało zapisane"),
                              name());
    } catch (const ConnectionLost&) {
        // The answer to COMMIT was cut off: the transaction may have been written.
        // Its fate is asked on a new connection, so that what was written is not
        // reported as lost (and typed again) and what was not is not reported as written.
        const std::string xid = xid_;
        const int writes = pendingWrites_.empty() ? 0 : pendingWrites_.front();
        finish();
        std::optional<QString> status;
        try {
            PgResult r = server_->idleLink().exec(
                QByteArrayLiteral("SELECT pg_xact_status('") + QByteArray::fromStdString(xid) + "'::xid8)", true);
            if (PQntuples(r.get()) == 1 && !PQgetisnull(r.get(), 0, 0))
                status = QString::fromLatin1(PQgetvalue(r.get(), 0, 0));
        } catch (const EngineError&) { }
        if (status == QLatin1String("committed")) {
            ownWrites_ += writes;
            return;
        }
        // Aborted: nothing was written. Still in progress: it may yet be, like no answer at all.
        if (status == QLatin1String("aborted"))
            throw;
        throw ConnectionLost::atCommit(QStringLiteral("Połączenie z serwerem bazy danych %1 zostało przerwane w "
                                                      "chwili zatwierdzania zapisu i nie wiadomo, czy zapis dotarł do "
                                                      "serwera.")
                                           .arg(server_->display()),
                                       name());
    } catch (...) {
        finish();
        throw;
    }
    ownWrites_ += pendingWrites_.front();
    finish();
}

void PgConnection::rollback() noexcept
{
    if (depth_ == 0)
        return;
    resetStatements();
    --depth_;
    if (!pendingWrites_.empty())
        pendingWrites_.pop_back();
    PgLink* l = pinned_;
    try {
        if (depth_ == 0) {
            if (l && !l->broken())
                l->exec("ROLLBACK", false);
        } else if (l && !l->broken()) {
            l->exec(QStringLiteral("ROLLBACK TO lvl%1; RELEASE lvl%1").arg(depth_).toUtf8(), false);
        }
    } catch (...) {
        // A connection lost meanwhile took the transaction with it.
    }
    if (depth_ == 0 && l) {
        l->pinnedBy = nullptr;
        pinned_ = nullptr;
        pendingWrites_.clear();
    }
}

QByteArray pgFloatText(double d)
{
    if (std::isnan(d))
        return QByteArrayLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    return QByteArray(buf, int(r.ptr - buf));
}

qint64 PgConnection::dataVersion()
{
    SqlStatement& st = statement(QStringLiteral("SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM ") +
                                 quoteId(pgstorage::changeSequence(tableName_)));
    ResetOnExit reset(st);
    const qint64 counted = st.step() ? st.column(0).toInt64() : 0;
    qint64 pending = 0;
    for (int w : pendingWrites_)
        pending += w;
    // The sequence moves with every writer at once, committed or not: what is not
    // this connection's own counts as another's change, which is the safe side.
    return counted - ownWrites_ - pending;
}

qint64 PgConnection::lastInsertId()
{
    throw EngineError(QStringLiteral("The server returns the key of an insert itself"), name());
}

} // namespace jadl
