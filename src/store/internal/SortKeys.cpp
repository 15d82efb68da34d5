#include "store/internal/SortKeys.h"

#include "common/Collation.h"
#include "store/EngineError.h"
#include "store/TableSchema.h"
#include "store/internal/SqliteFile.h"

#include <sqlite3.h>

namespace jadl {

namespace {

const QString kSuffix = QStringLiteral("#pl");

void sortKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArray key = polishSortKey(QString::fromUtf8(text, sqlite3_value_bytes(argv[0])));
    sqlite3_result_blob(ctx, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

bool isTextField(const TableDef& def, const QString& name)
{
    const FieldDef* f = def.field(name);
    return f && (f->type == FieldType::Text || f->type == FieldType::Memo);
}

} // namespace

QString sortKeyColumn(const QString& field)
{
    return field + kSuffix;
}

bool isSortKeyColumn(const QString& column)
{
    return column.endsWith(kSuffix);
}

QString sortKeyIndexName(const QString& index)
{
    return index + kSuffix;
}

QStringList keyedFields(const TableDef& def)
{
    QStringList out;
    for (const IndexDef& ix : def.indexes)
        for (const QString& f : ix.fields)
            if (isTextField(def, f) && !out.contains(f, Qt::CaseInsensitive))
                out << def.field(f)->name;
    return out;
}

IndexDef sortKeyIndex(const TableDef& def, const IndexDef& index)
{
    IndexDef out;
    out.name = sortKeyIndexName(index.name);
    bool anyText = false;
    for (const QString& f : index.fields) {
        const bool text = isTextField(def, f);
        anyText = anyText || text;
        out.fields << (text ? sortKeyColumn(def.field(f)->name) : f);
    }
    if (!anyText)
        out.fields.clear();
    return out;
}

QStringList ensureSortKeys(SqliteFile& file, const QString& tableIdent, const TableDef& def, const FileSchema& schema)
{
    const QStringList fields = keyedFields(def);
    if (fields.isEmpty())
        return {};
    const auto hasColumn = [&](const QString& name) {
        for (const FieldDef& f : schema.fields)
            if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    const auto hasIndex = [&](const QString& name) {
        for (const IndexDef& ix : schema.indexes)
            if (ix.name.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    const QString table = quoteId(tableIdent);
    QStringList steps;
    for (const QString& f : fields)
        if (!hasColumn(sortKeyColumn(f)))
            steps << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 BLOB").arg(table, quoteId(sortKeyColumn(f)));
    for (const IndexDef& ix : def.indexes) {
        const IndexDef keyed = sortKeyIndex(def, ix);
        if (keyed.fields.isEmpty() || hasIndex(keyed.name))
            continue;
        QStringList cols;
        for (const QString& c : keyed.fields)
            cols << quoteId(c);
        steps << QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                     .arg(quoteId(keyed.name), table, cols.join(QStringLiteral(", ")));
    }
    const bool columnsThere = steps.isEmpty();
    try {
        // Rows written by another program, or before keys were kept: the index
        // over the key finds them at its start, so looking costs next to nothing.
        for (const QString& f : fields) {
            const QString key = quoteId(sortKeyColumn(f));
            const QString fill = QStringLiteral(
                                     "UPDATE %1 SET %2 = jadl_sort_key(%3) WHERE %2 IS NULL AND %3 IS NOT NULL")
                                     .arg(table, key, quoteId(f));
            if (!columnsThere) {
                steps << fill;
                continue;
            }
            const bool missing = file.guard([&] {
                SQLite::Statement probe(file.db(),
                                        QStringLiteral("SELECT 1 FROM %1 WHERE %2 IS NULL AND %3 IS NOT NULL LIMIT 1")
                                            .arg(table, key, quoteId(f))
                                            .toStdString());
                return probe.executeStep();
            });
            if (missing)
                steps << fill;
        }
        if (steps.isEmpty())
            return fields;
        sqlite3_create_function_v2(file.db().getHandle(), "jadl_sort_key", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                   nullptr, sortKeyFunction, nullptr, nullptr, nullptr);
        file.begin();
        try {
            for (const QString& step : steps)
                file.exec(step);
            file.commit();
        } catch (...) {
            file.rollback();
            throw;
        }
        return fields;
    } catch (const EngineError&) {
        // A read-only or busy file still opens, ordered by the keys it already holds.
    }
    QStringList usable;
    if (columnsThere)
        return fields;
    for (const QString& f : fields)
        if (hasColumn(sortKeyColumn(f)))
            usable << f;
    return usable;
}

} // namespace jadl
