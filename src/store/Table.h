#pragma once
// The table cursor over one table, a SQLite file or a table on a PostgreSQL
// server: the classic table component of the program. The view is the list of record ids the master link and the filter let
// through, in index order (ties by Numer); whole records are read lazily.
#include "store/DataSource.h"
#include "store/EngineError.h"
#include "store/Field.h"
#include "store/FieldDefs.h"
#include "store/GroupedSums.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace jadl {

class DataSource;
struct TableState;

enum class DataSetState { Inactive, Browse, Edit, Insert };

// SQL narrowing a filter offers the engine, derived from the same inputs as the
// filter callback; the callback still decides for every row that passes. The
// condition is read by either engine: names quoted ("DataZakupu", a server folds
// bare names to lower case), dates bound as ISO text ("2026-12-07"), which both
// compare in date order.
struct SqlPreFilter {
    QString where; // an SQL condition over the table's columns; empty = none
    QVariantList binds; // positional parameters for '?' in `where`
    // The fields `where` reads: a post that changes one of them rebuilds the view,
    // since the record may now pass the condition or fail it. Initialized so that
    // a condition written as {where, binds} reads none and still builds cleanly.
    QStringList columns{};
    // The condition alone decides: the filter callback accepts exactly the rows
    // `where` lets through, so the engine need not offer it every row and may
    // read the view in pages.
    bool decides = false;
    // `where` is exactly this closed range of a date field (either end open when
    // invalid), so totals may come from sums the engine keeps per month.
    struct DateRange {
        QString field;
        QDate from;
        QDate to;
    };
    std::optional<DateRange> range{};
};

// What to do with a typed, unsaved record when the cursor is about to leave it.
enum class LeaveAction {
    Post, // the engine posts it, as without a handler
    Saved, // the handler ran a save; a record it left pending keeps the cursor
    Discard, // drop the typing
    Stay, // the move does not happen (a silent Abort)
};

class Table : public QObject {
    Q_OBJECT
public:
    using FilterRecordFn = std::function<void(Table&, bool& accept)>;
    using LeaveRecordFn = std::function<LeaveAction(Table&)>;
    using PreFilterFn = std::function<SqlPreFilter()>;
    using TableEventFn = std::function<void(Table&)>;

    explicit Table(QObject* parent = nullptr, const QString& objectName = {});
    ~Table() override;

    // --- properties (database, table and exclusive only while closed)
    QString databaseName() const;
    void setDatabaseName(const QString& name);
    QString tableName() const;
    void setTableName(const QString& name);
    bool exclusive() const;
    void setExclusive(bool on);
    QString indexName() const;
    void setIndexName(const QString& name); // keeps the current record
    QStringList indexFieldNames() const; // key fields of the current index
    DataSource* masterSource() const;
    void setMasterSource(DataSource* source);
    QString masterFields() const;
    void setMasterFields(const QString& fields); // ';'-separated
    bool filtered() const;
    void setFiltered(bool on);
    void setOnFilterRecord(FilterRecordFn fn);
    void setPreFilter(PreFilterFn fn);
    void setBeforePost(TableEventFn fn);
    void setAfterPost(TableEventFn fn);
    // Asked before a move, a refresh or an index switch posts a record that holds
    // typing; without a handler such a record is posted (an untouched new record is
    // always dropped).
    void setLeaveRecord(LeaveRecordFn fn);
    // Definitions used by createTable() and when a missing file is created on open.
    QList<FieldDef>& fieldDefs();
    QList<IndexDef>& indexDefs();

    // Real path of the table file (directory resolved, ".db" added when no extension).
    QString filePath() const;

    // --- lifecycle
    void open(); // creates a missing file from its definition
    void close(); // pending changes are cancelled
    bool active() const;
    void setActive(bool on) { on ? open() : close(); }
    void createTable(); // from fieldDefs()/indexDefs() (or the known definition)
    bool exists() const; // the file is there
    void pack(); // compaction; needs exclusive open

    // --- navigation
    void first();
    void next();
    void prior();
    void last();
    void moveBy(int distance);
    bool bof() const;
    bool eof() const;
    bool isEmpty() const;
    int recordCount() const; // of the current view
    int recNo() const; // 1-based position in the view, 0 when none
    void setRecNo(int recNo);
    // Finds the first record of the current order whose field begins with the
    // value (texts: case-sensitive prefix; other types: equality). Stays put and
    // returns false when none does.
    bool locate(const QString& fieldName, const QVariant& value);

    // --- display updates (nestable)
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // --- editing
    DataSetState state() const;
    // The current record is being edited or inserted.
    bool editing() const { return state() == DataSetState::Edit || state() == DataSetState::Insert; }
    void edit(); // on an empty view starts an insert
    void insert();
    void append();
    void post(); // one committed transaction (unless in a batch)
    void cancel();
    void deleteRecord();
    void refresh(); // re-reads and re-applies link and filter
    // The values given so far to a new record are its defaults: leaving it with
    // nothing else typed drops it instead of storing a record nobody wrote.
    void keepAsDefaults();
    // Has the controls write text typed but not yet in its field.
    void updateRecord();
    // Edit or insert with something typed: a changed field, or a new record that
    // differs from how it started.
    bool hasUnsavedChanges() const;
    void flushBuffers(); // durable once post returned; checks the file is intact
    // Gives the record being inserted or edited the ordinal count + 1 in the
    // field, the count being the records of the view. When the record is posted
    // the count is taken again under the table's lock in the post's own
    // transaction, so that workstations sharing a server never store the same
    // ordinal; a number typed over it stands.
    void assignOrdinal(const QString& fieldName);
    // The same among the records whose scope field holds the value (the goods of
    // one group), whatever the view shows.
    void assignOrdinal(const QString& fieldName, const QString& scopeField, const QVariant& scopeValue);
    bool modified() const;

    // --- fields of the current record
    int fieldCount() const;
    Field& field(int index);
    Field& fieldByName(const QString& name); // throws "<name>: Field '<f>' not found"
    Field* findField(const QString& name);
    int fieldIndex(const QString& name) const; // -1 when missing

    // --- random access for grids and reports (does not move the cursor)
    QVariant valueAt(int row, int fieldIndex); // row 0-based in the view
    qint64 idAt(int row) const;
    // The row of a record in the view; nullopt when the view does not show it.
    std::optional<int> rowOf(qint64 id) const;
    int currentRow() const; // 0-based, -1 when none

    // --- work over the whole view (does not move the cursor)
    // Totals of float fields over the records of the view as it stands (link,
    // pre-filter, filter, a record being edited), each exact and rounded once to
    // a double, so any order of adding gives the same total.
    std::vector<double> sumsOverView(const QStringList& fields);
    // The same per value of an integer field; a record with it empty counts for none.
    std::map<qint64, std::vector<double>> sumsOverViewBy(const QString& groupField, const QStringList& fields);
    // How many records of the view hold each value of an integer field (empty: none).
    std::map<qint64, qint64> countsOverViewBy(const QString& groupField);
    // Over the table's records under a condition of their own (store/GroupedSums.h).
    std::vector<GroupedRow> groupedSums(const GroupedQuery& query);
    std::vector<QVariantList> selectRows(const RowsQuery& query);
    // Deletes every record of the view whose field the predicate picks, in one
    // transaction (a failure deletes nothing); returns how many. Progress is
    // called with the records judged so far, then with the steps of the writing
    // (between statements, so a window may paint). The view is read again afterwards.
    using Progress = std::function<void(int done, int total)>;
    int removeFromView(const QString& fieldName, const std::function<bool(const QVariant&)>& picks,
                       const Progress& progress = {});

    // Gives each record of the view the values kept for its key field's value
    // (each in the order of `fields`, floats), `fallback` to a record whose key
    // has none, in one statement whatever the number of records. Returns how
    // many records it changed; the view is read again, on the same record.
    int storeByKey(const QString& keyField, const QStringList& fields,
                   const std::map<qint64, std::vector<double>>& values, double fallback = 0.0);

    // Many posts in one transaction: durable at once when the batch ends. Each
    // post outside a batch waits for the disk, so bulk work belongs in one.
    class Batch {
    public:
        explicit Batch(Table& table);
        ~Batch(); // rolls back when commit() was not reached
        void commit();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        void forgetUndone() noexcept;
        Table& table_;
        bool done_ = false;
    };

    // --- internal, used by Field and DataSource
    QVariant currentValue(int fieldIndex);
    void setCurrentValue(int fieldIndex, const QVariant& v);
    void attachDataSource(DataSource* ds);
    void detachDataSource(DataSource* ds);

private:
    // All of the table's state; the engine's units work on it (store/TableState.h).
    std::unique_ptr<TableState> s_;

    void checkActive() const;
    void notify(int event, int fieldIndex = -1);
    // Before the cursor leaves a record: post, keep or drop what was typed (see setLeaveRecord).
    void checkBrowseMode();
    void setupFields(const QList<FieldDef>& defs);
    // Turning the filter off and on again would build the whole unfiltered view
    // in between: turning it off only marks the view stale, the next read rebuilds it.
    void markViewStale();
    void syncView() const;
    void masterChanged();
};

// RAII pair of disableControls()/enableControls().
class ControlsDisabled {
public:
    explicit ControlsDisabled(Table& t) : t_(t) { t_.disableControls(); }
    ~ControlsDisabled() { t_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Table& t_;
};

} // namespace jadl
