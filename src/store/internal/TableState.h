#pragma once
// Everything one table knows, in one place. The engine's units (schema merge,
// view building, row cache, writer, master link) take it by reference and keep
// nothing of their own between calls, so whatever a table is doing can be read
// from here. Internal to the engine: only store/*.cpp include it.
#include "store/Table.h"
#include "store/internal/KeptSums.h"
#include "store/internal/SqlConnection.h"
#include "store/internal/SqlDialect.h"
#include "store/internal/ViewRows.h"

#include <QHash>
#include <QMetaObject>

#include <list>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace jadl {

// A record id that asks for the first record of the view instead of one record.
inline constexpr qint64 kFirstRecord = -1;

// The SQL part of a view, for the view's own query and for any other query
// that must cover the same records (sums over the view, its removals).
struct ViewCondition {
    QStringList where; // joined with AND
    struct Bind {
        QVariant value;
        const FieldDef* def; // bound as that field; nullptr: as the caller gave it
    };
    std::vector<Bind> binds;
    // The condition alone decides the view: no filter callback is left to judge rows.
    bool decides = true;

    QString whereSql() const; // " WHERE ..." or empty
    // Binds from parameter `first` on.
    void bind(SqlStatement& st, int first = 1) const;
};

// A record of the row cache. Block reads bring only the columns read so far.
struct CachedRow {
    std::vector<QVariant> values;
    // Columns read so far (values and have reach the last of them); empty = the whole record.
    std::vector<char> have;
    bool has(size_t column) const { return have.empty() || (column < have.size() && have[column]); }
};

struct TableState {
    explicit TableState(Table& owner) : table(owner), view(*this) { }
    TableState(const TableState&) = delete;
    TableState& operator=(const TableState&) = delete;

    Table& table; // the facade: handed to callbacks, told apart from its master

    // --- properties
    QString databaseName;
    QString tableName;
    QString indexName;
    QString masterFields; // ';'-separated
    QPointer<DataSource> masterSource;
    bool exclusive = false;
    bool filtered = false;
    QList<FieldDef> fieldDefs; // for createTable() and a missing file
    QList<IndexDef> indexDefs;
    Table::FilterRecordFn onFilterRecord;
    Table::PreFilterFn preFilter;
    Table::TableEventFn beforePost;
    Table::TableEventFn afterPost;
    Table::LeaveRecordFn leaveRecord;

    // --- cursor and display
    DataSetState state = DataSetState::Inactive;
    bool modified = false;
    bool bof = true;
    bool eof = true;
    int pos = -1; // 0-based in the view, -1 when none
    int disableCount = 0;
    bool inLeaveRecord = false;
    std::vector<QPointer<DataSource>> sources;
    std::vector<QMetaObject::Connection> masterConnections;

    // --- fields of the open file (or of the declared table while closed)
    std::vector<std::unique_ptr<Field>> fields;
    // Fields a reopened file no longer has: callers may still hold them, reads fail.
    std::vector<std::unique_ptr<Field>> retiredFields;
    QHash<QString, int> byName; // lower-case field name -> index
    QHash<QString, int> byExactName; // as declared: most lookups spell it so

    // --- the open table: a SQLite file, or a table on a server
    std::unique_ptr<SqlConnection> conn;
    QString path; // the file, or the server and the table, as messages name it
    QString sqlName; // quoted table name
    QString keySql; // the record key in SQL: "rowid", or the key column
    // The column of a new record's post token (a server table), empty where a
    // commit is never left unanswered (a file).
    QString postTokenSql;
    bool writesReachOthers = false; // a post may change other records too (a view's triggers)
    QList<IndexDef> indexes; // named indexes of the open file
    std::optional<keptsums::Layout> kept; // the sums the table keeps per month, where it keeps them
    QHash<QString, QString> keyColumns; // lower-case text field -> its Polish sort key column
    int batchDepth = 0;

    // --- the view: record ids the link and the filter let through, in index order
    struct View {
        explicit View(TableState& s) : ids(s) { }
        ViewRows ids;
        bool stale = false; // must be rebuilt (to the first record) before use
        // The SQL condition the view was built with, and whether every record that
        // met it is in the view (no filter callback in force, or it let all through);
        // that holds while no other connection has written (dataVersion).
        ViewCondition condition;
        bool everyRowPasses = true;
        qint64 dataVersion = 0;
    } view;

    // --- the filter pass: reads of this table's fields come from the offered row
    struct Filter {
        bool active = false;
        qint64 id = 0;
        std::vector<QVariant> values;
        std::vector<char> loaded;
        bool restart = false; // the callback read a column the query did not bring
        std::vector<int> columns; // learned from the callback's reads
        std::vector<int> preFilterColumns; // declared by the pre-filter in force
    } filter;

    // --- the master link in force (no fields: none)
    struct Link {
        QVariantList values;
        QStringList fields;
        bool active() const { return !fields.isEmpty(); }
    } link;

    // --- the row cache
    struct Cache {
        QString rowSql; // whole record by rowid
        SqlStatement* rowStatement = nullptr; // owned by the connection's cache
        // Walks and grids read few of the fields: blocks bring only the columns read
        // so far (learned like the filter's), a new one is added on its first read.
        std::vector<int> readColumns; // sorted
        std::vector<char> readKnown;
        QString blockSql; // blockRows records, readColumns only
        int blockRows = 0;
        std::list<qint64> lru;
        std::unordered_map<qint64, std::pair<CachedRow, std::list<qint64>::iterator>> rows;
    } cache;

    // --- the record being edited or inserted
    struct Edit {
        std::vector<QVariant> buffer;
        std::vector<bool> dirty;
        std::vector<QVariant> insertStart; // a new record as it began (link values, defaults)
        // An ordinal given to the record (count + 1), taken again under the
        // table's lock when the record is posted.
        struct Ordinal {
            int field = -1;
            qint64 proposed = 0;
            ViewCondition scope; // the records it is counted among
            qint64 counted = 0; // of them when it was given
        };
        std::optional<Ordinal> ordinal;
        // The token a new record is posted with, kept until a post of it succeeds:
        // a post sent again after an unanswered commit finds the record it made.
        QByteArray postToken;
    } edit;

    // --- lookups
    QString displayName() const;
    bool editing() const { return state == DataSetState::Edit || state == DataSetState::Insert; }
    int fieldIndex(const QString& name) const; // -1 when missing
    const FieldDef& def(size_t fieldIndex) const { return fields[fieldIndex]->def(); }
    const IndexDef* findIndex(const QString& name) const;
    QStringList indexFieldNames() const; // key fields of the current index
    qint64 currentId() const; // kFirstRecord when none
};

} // namespace jadl
