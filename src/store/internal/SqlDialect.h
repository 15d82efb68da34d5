#pragma once
// What the two engines' SQL differs in, for the parts of the table engine that
// are shared (view, row cache, writer, sums, removal): how an insert returns its
// key, exact totals, the "one of these records" condition, pack, the proof that
// a post is durable, the lock under which ordinals are taken and the removal of
// many records. Types, keys, collation and the tables' structure are the
// storage's own (SqliteStorage, PgStorage). Internal to the engine.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace jadl {

class SqlConnection;
class SqlStatement;
struct TableState;

class SqlDialect {
public:
    static const SqlDialect& sqlite();
    static const SqlDialect& postgres();

    virtual ~SqlDialect() = default;
    virtual bool isServer() const = 0;

    // An ascending ORDER BY term: empty values first on either engine.
    virtual QString ascending(const QString& column) const = 0;
    // Its reverse: empty values last.
    virtual QString descending(const QString& column) const = 0;

    // Appended to an INSERT so that its one result row is the new record's key;
    // empty where the connection's lastInsertId() tells it instead.
    virtual QString returningKey(const QString& keySql) const = 0;

    // The select-list of exact totals of the columns, read back by readSums from
    // result column `first` on.
    virtual QString sumsSelect(const QStringList& quotedColumns) const = 0;
    virtual void readSums(SqlStatement& st, int first, std::vector<double>& out) const = 0;

    // A condition true for the records whose key is in the list bound (bindIds)
    // to its one parameter.
    virtual QString memberCondition(const QString& keySql) const = 0;

    // Gives the room of deleted records back.
    virtual void pack(SqlConnection& conn, const QString& tableSql) const = 0;
    // Posts are durable once committed: this checks the table is still there.
    virtual void checkDurable(SqlConnection& conn) const = 0;
    // Taken inside a write transaction before an ordinal is counted, so that two
    // workstations never count the same one.
    virtual void lockForOrdinal(SqlConnection& conn, const QString& tableName) const = 0;

    // Deletes the records in the transaction in progress, reporting each step of
    // the writing (steps(total) once, then step() after each).
    struct Steps {
        std::function<void(int total)> plan;
        std::function<void()> next;
    };
    virtual void removeRecords(TableState& s, const std::vector<qint64>& ids, const Steps& steps) const = 0;
};

} // namespace jadl
