#pragma once
// What the table engine needs of a database connection, whichever engine is
// behind it: cached prepared statements with positional parameters ('?'), result
// rows read column by column, nested transactions and a counter of other
// connections' commits. A SQLite table file (SqliteFile) and a table on a
// PostgreSQL server (PgConnection) implement it; what their SQL differs in is
// their SqlDialect's. Every failure leaves as an EngineError naming the file or
// the server.
#include "store/EngineError.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace jadl {

class SqlDialect;

enum class SqlType { Null, Integer, Float, Text, Blob };

// One value of the current result row; text and blob bytes stay valid until the
// statement steps again or is reset.
struct SqlValue {
    SqlType type = SqlType::Null;
    qint64 integer = 0;
    double real = 0;
    const char* data = nullptr; // Text (UTF-8) and Blob
    int bytes = 0;

    bool isNull() const { return type == SqlType::Null; }
    qint64 toInt64() const; // floats rounded, texts read as numbers
    double toDouble() const;
    QString toString() const;
};

class SqlStatement {
public:
    virtual ~SqlStatement() = default;
    // Parameters are numbered from 1.
    virtual void bindNull(int index) = 0;
    virtual void bindInt(int index, qint64 v) = 0;
    virtual void bindDouble(int index, double v) = 0;
    virtual void bindText(int index, const QByteArray& utf8) = 0;
    virtual void bindBlob(int index, const QByteArray& bytes) = 0;
    // A list of record ids, for the dialect's membership condition.
    virtual void bindIds(int index, const std::vector<qint64>& ids) = 0;
    // Runs the statement on the first call; true while there is a row to read.
    virtual bool step() = 0;
    // Columns are numbered from 0.
    virtual SqlValue column(int index) = 0;
    // The result is dropped and the bindings cleared; the statement stays prepared.
    virtual void reset() noexcept = 0;

    void exec()
    {
        while (step()) { }
    }
};

class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    SqlConnection(const SqlConnection&) = delete;
    SqlConnection& operator=(const SqlConnection&) = delete;

    virtual const SqlDialect& dialect() const = 0;
    // What error messages name: the table file's path, or the server and the table.
    const QString& name() const { return name_; }

    // A cached prepared statement, reset with bindings cleared.
    virtual SqlStatement& statement(const QString& sql) = 0;
    virtual void exec(const QString& sql) = 0;
    // Resets every cached statement; dropStatements also forgets them.
    virtual void resetStatements() noexcept = 0;
    virtual void dropStatements() = 0;

    // Nested transactions: the outermost level is the engine's transaction, the
    // inner ones savepoints, so a failed post inside a batch undoes only itself.
    virtual void begin() = 0;
    virtual void commit() = 0; // a failing outermost commit leaves nothing written
    virtual void rollback() noexcept = 0;
    virtual bool inTransaction() const = 0;

    // Changes whenever another connection commits a change to the table.
    virtual qint64 dataVersion() = 0;
    // The key of the record the last insert made, where the dialect has no
    // RETURNING clause for it.
    virtual qint64 lastInsertId() = 0;

protected:
    explicit SqlConnection(QString name) : name_(std::move(name)) { }

private:
    QString name_;
};

// A statement left mid-result keeps a read lock (SQLite) or its rows in memory:
// every use ends here.
class ResetOnExit {
public:
    explicit ResetOnExit(SqlStatement& st) : st_(st) { }
    ~ResetOnExit() { st_.reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    SqlStatement& st_;
};

// One level of begin()/commit(): rolled back when commit() is not reached.
class Transaction {
public:
    explicit Transaction(SqlConnection& conn) : conn_(conn) { conn_.begin(); }
    ~Transaction()
    {
        if (!done_)
            conn_.rollback();
    }
    void commit()
    {
        conn_.commit();
        done_ = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    SqlConnection& conn_;
    bool done_ = false;
};

// Quotes an identifier for SQL ("Towary" -> "\"Towary\""); both engines read it so.
QString quoteId(const QString& name);

} // namespace jadl
