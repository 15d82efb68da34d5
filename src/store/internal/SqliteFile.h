#pragma once
// One open SQLite table file: the connection, its pragmas, a cache of prepared
// statements and the transaction in progress. Every SQLite failure leaves here
// as an EngineError naming the file. Statements are declared after the
// connection so they are finalized before it closes.
#include "store/internal/SqlConnection.h"
#include "store/internal/SqlFunctions.h"

#include <QString>
#include <SQLiteCpp/SQLiteCpp.h>

#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;

namespace jadl {

// The EngineError for an SQLite result code on the file at `path`; `db` gives the
// system's error number behind an I/O failure and may be null.
[[noreturn]] void throwSqliteError(sqlite3* db, int rc, const char* engineText, const QString& path);

class SqliteFile : public SqlConnection {
public:
    enum class Mode { OpenExisting, Create };
    SqliteFile(const QString& path, Mode mode, bool exclusive);
    ~SqliteFile() override;

    const QString& path() const { return name(); }
    SQLite::Database& db() { return *db_; }

    // Work the file does around the program's own write transactions (the sums
    // it keeps per month, store/internal/KeptSums.h).
    class WriteHooks {
    public:
        virtual ~WriteHooks() = default;
        virtual void afterBegin() = 0; // the write lock was just taken
        virtual void beforeCommit() = 0;
        // Around a rewrite of the whole table in one transaction: the upkeep
        // row by row stops, and afterwards all of it is built again.
        virtual void suspend() = 0;
        virtual void resume() = 0;
    };
    void setWriteHooks(std::unique_ptr<WriteHooks> hooks) { hooks_ = std::move(hooks); }
    WriteHooks* writeHooks() const { return hooks_.get(); }
    bool readOnly();

    // Sets the durability pragmas and, for an exclusive open, takes the lock now.
    void configure();

    // Runs f and turns SQLite's exceptions into EngineError naming this file.
    template <class F>
    decltype(auto) guard(F&& f)
    {
        try {
            return f();
        } catch (const SQLite::Exception& e) {
            fail(e.getExtendedErrorCode(), e.what());
        }
    }
    // Throws the EngineError for an SQLite result code: the cause in Polish words
    // (a full disk, a read-only medium, ...), a damaged file as DamagedFile.
    [[noreturn]] void fail(int rc, const char* engineText) const;

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

private:
    class Statement;
    bool exclusive_;
    int depth_ = 0;
    std::unique_ptr<SQLite::Database> db_;
    std::unordered_map<std::string, std::unique_ptr<Statement>> statements_;
    std::unique_ptr<WriteHooks> hooks_;
};

} // namespace jadl
