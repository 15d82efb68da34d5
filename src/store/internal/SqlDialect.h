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
#include <map>
#include <vector>

namespace jadl {

class SqlConnection;
class SqlStatement;
struct FieldDef;
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

    // The month of a date column, year * 12 + month - 1; null for no date.
    virtual QString monthKey(const QString& column) const = 0;
    // A column as a GROUP BY key of the rows: SQLite walks an index on it in its
    // order, reading the rows at random, unless told not to (a scan and a sort
    // are many times faster where the index does not hold the summed columns).
    virtual QString groupKey(const QString& column) const = 0;
    // A grouping key of text compared byte by byte, whatever collation its column has.
    virtual QString byteText(const QString& value) const = 0;

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

    // Stores for each record of the view (ids) the values given for its key
    // field's value, `fallback` where none are given, in one statement; returns
    // how many records it changed. The fields are floats.
    virtual qint64 storeByKey(TableState& s, const std::vector<qint64>& ids, int keyField,
                              const std::vector<int>& fields, const std::map<qint64, std::vector<double>>& values,
                              double fallback) const = 0;

    // --- the sums a table keeps per month (store/internal/KeptSums.h)
    // The buckets hold what the rows hold (a file first builds the months
    // others wrote in); false: the rows are to be summed.
    virtual bool keptSumsReady(SqlConnection& conn) const = 0;
    // Rows whose date no month holds (a file's odd dates): a period is then summed from the rows.
    virtual bool keptOddDates(SqlConnection& conn) const = 0;
    // The key the buckets give an empty value of the field.
    virtual QString keptEmptyKey(const FieldDef& f) const = 0;
    // The select-lists of the parts the totals are added from, after their
    // count "n": a bucket table's rows, and the table's rows (aggregated, the
    // columns named alike); then the totals over the parts of the wanted sums
    // (numbered into the kept ones), read back by readKeptTotals, which is
    // false when the buckets cannot give them exactly.
    virtual QString keptBucketPart(const QStringList& sumFields) const = 0;
    virtual QString keptRowsPart(const QStringList& quotedSumFields) const = 0;
    virtual QString keptTotals(const QStringList& sumFields, const std::vector<int>& wanted) const = 0;
    virtual bool readKeptTotals(SqlStatement& st, int first, std::vector<double>& out) const = 0;
};

} // namespace jadl
