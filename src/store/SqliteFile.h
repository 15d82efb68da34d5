#pragma once
// One open SQLite table file: the connection, its pragmas, a cache of prepared
// statements and the transaction in progress. Every SQLite failure leaves here
// as an EngineError naming the file. Statements are declared after the
// connection so they are finalized before it closes.
#include "store/EngineError.h"
#include "store/SqlFunctions.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace jadl {

class SqliteFile {
public:
    enum class Mode { OpenExisting, Create };
    SqliteFile(const QString& path, Mode mode, bool exclusive);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    const QString& path() const { return path_; }
    SQLite::Database& db() { return *db_; }

    // Sets the durability pragmas and, for an exclusive open, takes the lock now.
    void configure();

    // A cached prepared statement, reset with bindings cleared.
    SQLite::Statement& statement(const QString& sql);
    // Resets every cached statement (VACUUM and schema changes need idle statements).
    void resetStatements();
    void dropStatements();
    void exec(const QString& sql);

    // Runs f and turns SQLite's exceptions into EngineError naming this file.
    template <class F>
    decltype(auto) guard(F&& f)
    {
        try {
            return f();
        } catch (const SQLite::Exception& e) {
            throw EngineError(QString::fromUtf8(e.what()), path_);
        }
    }

    // Nested transactions: only the outermost level talks to SQLite.
    void begin();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return depth_ > 0; }

    qint64 lastInsertId() const;
    // Changes whenever another connection commits to the file.
    qint64 dataVersion();

    // The record set jadl_member(rowid) consults while a query runs (see MemberScope).
    void setMembers(const RowSet* set) { members_.set = set; }

private:
    QString path_;
    bool exclusive_;
    int depth_ = 0;
    std::unique_ptr<SQLite::Database> db_;
    sqlfunctions::Members members_;
    std::unordered_map<std::string, std::unique_ptr<SQLite::Statement>> statements_;
};

// A statement left mid-result keeps a read lock on the file; every use ends here.
class ResetOnExit {
public:
    explicit ResetOnExit(SQLite::Statement& st) : st_(st) { }
    ~ResetOnExit() { st_.tryReset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    SQLite::Statement& st_;
};

// One level of begin()/commit(): rolled back when commit() is not reached.
class Transaction {
public:
    explicit Transaction(SqliteFile& file) : file_(file) { file_.begin(); }
    ~Transaction()
    {
        if (!done_)
            file_.rollback();
    }
    // A failing outermost commit undoes the transaction itself; a failing inner
    // release leaves its level to the destructor.
    void commit()
    {
        file_.commit();
        done_ = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    SqliteFile& file_;
    bool done_ = false;
};

// The records jadl_member(rowid) accepts for as long as the scope lasts.
class MemberScope {
public:
    MemberScope(SqliteFile& file, const RowSet& set) : file_(file) { file_.setMembers(&set); }
    ~MemberScope() { file_.setMembers(nullptr); }
    MemberScope(const MemberScope&) = delete;
    MemberScope& operator=(const MemberScope&) = delete;

private:
    SqliteFile& file_;
};

// Quotes an identifier for SQL ("Towary" -> "\"Towary\"").
QString quoteId(const QString& name);

} // namespace jadl
