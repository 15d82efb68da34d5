#pragma once
// Tables on a PostgreSQL server, through libpq. A PgServer keeps the process's
// connections to one server (PgLink): a table's statements run on any link no
// transaction holds, a transaction keeps its link to itself until it ends, so
// tables keep independent transactions as their SQLite files do, without one
// server connection per table. A lost connection is reported in Polish with the
// server's name and made again by the next statement that may safely be sent
// again (a read, or the start of a transaction); an unfinished transaction is
// gone with it, and nothing of it was written.
#include "store/internal/SqlConnection.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct pg_conn;
struct pg_result;

namespace jadl {

struct PgResultFree {
    void operator()(pg_result* r) const;
};
using PgResult = std::unique_ptr<pg_result, PgResultFree>;

// One connection to the server, made again after it was lost.
class PgLink {
public:
    PgLink(QString connection, QString display);
    ~PgLink();
    PgLink(const PgLink&) = delete;
    PgLink& operator=(const PgLink&) = delete;

    const QString& display() const { return display_; }
    // Connects, or connects again after a loss; throws when the server cannot be reached.
    void ensureOpen();
    // Ends a transaction a failure left open on the link.
    void settle() noexcept;
    bool broken() const;

    // Runs SQL (several statements allowed); the last result, which must succeed.
    // `again`: a statement that may be sent once more on a new connection when
    // the old one turns out to be lost before it ran.
    PgResult exec(const QByteArray& sql, bool again);
    // Runs a statement prepared once per connection, with text parameters.
    PgResult execPrepared(const std::string& sql, const std::vector<const char*>& values,
                          const std::vector<int>& lengths, bool again);
    // COPY ... FROM STDIN with the rows in PostgreSQL's text form, sent as they come.
    void copyBegin(const QByteArray& sql);
    void copyPut(const QByteArray& rows);
    void copyEnd();

    QByteArray escapeLiteral(const QString& text);

    // The logical connection whose transaction holds this link, if any.
    const void* pinnedBy = nullptr;

    // The server's warning about the statement, kept until the statement's end:
    // a warning there means something asked was not done (VACUUM skipping a table).
    void noticed(const pg_result* notice);

private:
    template <class Run>
    PgResult run(Run&& run, bool again);
    PgResult check(PgResult r);
    [[noreturn]] void fail(const char* what);

    QString connection_;
    QString display_;
    pg_conn* conn_ = nullptr;
    std::unordered_map<std::string, std::string> prepared_; // SQL -> statement name
    int nextName_ = 0;
    QStringList warnings_;
};

// The links to one server, shared by every table of the process that is kept there.
class PgServer {
public:
    static std::shared_ptr<PgServer> get(const QString& connection);
    // Closes every link of every server (tests that drop the tables under them).
    static void disconnectAll();

    explicit PgServer(QString connection);
    const QString& connection() const { return connection_; }
    const QString& display() const { return display_; }
    // A link no transaction holds, connected.
    PgLink& idleLink();
    // A link of its own, outside the pool (a session lock lives on it).
    std::unique_ptr<PgLink> privateLink();
    // The engine's own objects (collation, change counter) are known to be there.
    bool prepared = false;

private:
    QString connection_;
    QString display_;
    std::vector<std::unique_ptr<PgLink>> links_;
};

// A table's connection: its statements, its transaction and its own writes.
class PgConnection : public SqlConnection {
public:
    PgConnection(std::shared_ptr<PgServer> server, QString tableName, QString displayPath);
    ~PgConnection() override;

    PgServer& server() { return *server_; }
    // The link the next statement runs on: the transaction's, else an idle one.
    PgLink& link();
    // Keeps the table to this program until the connection closes (another
    // program's exclusive open of it fails); throws when another holds it.
    void lockExclusively();

    const SqlDialect& dialect() const override;
    SqlStatement& statement(const QString& sql) override;
    void exec(const QString& sql) override;
    void resetStatements() noexcept override;
    void dropStatements() override;
    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    bool inTransaction() const override { return depth_ > 0; }
    qint64 dataVersion() override;
    qint64 lastInsertId() override;

    // A write statement ran in this connection's transaction (or alone).
    void countWrite();

private:
    class Statement;
    std::shared_ptr<PgServer> server_;
    QString tableName_;
    int depth_ = 0;
    PgLink* pinned_ = nullptr;
    std::string xid_; // of the transaction in progress, to learn its fate when the commit is cut off
    std::vector<int> pendingWrites_; // per transaction level
    qint64 ownWrites_ = 0; // committed by this connection: the version counter counts them too
    std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
    std::unique_ptr<PgLink> exclusive_;
};

// SQL with '?' parameters as PostgreSQL numbers them ($1, $2 ...).
std::string numberParameters(const QString& sql);

// A double as the server reads it back exactly: the shortest form that round-trips,
// and the server's own words for the values that are not finite.
QByteArray pgFloatText(double d);

// A value of a result as the engine reads it (a bytea's bytes go into `blob`).
SqlValue pgValue(pg_result* r, int row, int column, QByteArray& blob);

} // namespace jadl
