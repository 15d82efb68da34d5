#pragma once
// The program's tables as the server holds them: what makes them, what a table
// made by an older program lacks, and the names of the server's own objects.
// Only the server's preparation runs these; a workstation never changes structure.
#include "store/TableDefs.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace jadl {
class PgLink;
}

namespace jadl::pgstorage {

struct Relation {
    QString oid;
    QString name;
    bool view = false;
};

std::optional<Relation> findRelation(PgLink& link, const QString& table);
// Makes the table (with its view and counters where it has them).
QStringList createSql(const QString& table, const TableDef& def);
// The view, function and trigger of a table kept behind a view (the restaurants,
// the suppliers), made again over the data they read; empty for other tables.
QStringList viewRenewalSql(const QString& table, const TableDef& def);
// Turns a suppliers' table of the older layout into the view over shared data
// and per-restaurant sums.
QStringList supplierConversionSql(const TableDef& def);
// The declared indexes and the change counter a table made elsewhere lacks.
QStringList completionSql(PgLink& link, const Relation& rel, const TableDef& def);
// The collation, the workstations' choices and the change counter's trigger.
QStringList engineObjectsSql(const QString& schema);
// A change of structure: one transaction under the structure lock (sites and
// preparations at once never make a table twice), rolled back unless committed.
class StructureChange {
public:
    explicit StructureChange(PgLink& link);
    ~StructureChange();
    StructureChange(const StructureChange&) = delete;
    StructureChange& operator=(const StructureChange&) = delete;
    void run(const QStringList& statements);
    void commit();

private:
    PgLink& link_;
    bool done_ = false;
};

// Runs the statements in one transaction under the structure lock.
void inStructureTransaction(PgLink& link, const QStringList& statements);

// Hidden columns the server keeps beside a table's fields: the program never reads them.
bool hiddenColumn(const QString& name);

// A supplier's stored sums: kept per restaurant (or head office) beside the
// shared supplier, so that one site's totals never show at another.
const QStringList& supplierSumFields();
inline const char* const kSupplierData = "jadl_dostawcy";
inline const char* const kSupplierSums = "jadl_sumy_dostawcow";
// The version of the server's preparation this program works with.
// 2: the sums kept per month (store/internal/KeptSums.h); 3: and per goods group.
inline constexpr int kPreparedVersion = 3;

} // namespace jadl::pgstorage
