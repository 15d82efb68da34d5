#include "store/internal/SchemaMerge.h"

#include "store/internal/SortKeys.h"
#include "store/internal/SqliteFile.h"
#include "store/internal/Values.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace jadl {

using namespace detail;

namespace schemamerge {
namespace {

QString createIndexSql(const IndexDef& ix, const QString& tableIdent)
{
    QStringList keys;
    for (const QString& k : ix.fields)
        keys << quoteId(k);
    return QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
        .arg(quoteId(ix.name), quoteId(tableIdent), keys.join(QStringLiteral(", ")));
}

} // namespace

const TableDef* governing(const TableDef* known, const TableDef& own)
{
    return known ? known : (own.fields.isEmpty() ? nullptr : &own);
}

void createTableFile(const QString& path, const TableDef& def, const QString& displayName)
{
    if (def.fields.isEmpty())
        throw EngineError(displayName + QStringLiteral(": No field definitions"), path);
    const QString stem = QFileInfo(path).completeBaseName();
    try {
        SqliteFile f(path, SqliteFile::Mode::Create, false);
        f.configure();
        QStringList cols;
        for (const FieldDef& fd : def.fields)
            cols << quoteId(fd.name) + QLatin1Char(' ') + columnSql(fd);
        for (const QString& keyed : keyedFields(def))
            cols << quoteId(sortKeyColumn(keyed)) + QStringLiteral(" BLOB");
        Transaction tx(f);
        f.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteId(stem), cols.join(QStringLiteral(", "))));
        for (const IndexDef& named : def.indexes)
            for (const IndexDef& ix : {named, sortKeyIndex(def, named)})
                if (!ix.fields.isEmpty())
                    f.exec(createIndexSql(ix, stem));
        tx.commit();
    } catch (...) {
        // A half-made file would be taken for a table next time.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

OpenSchema merge(FileSchema read, const TableDef* known, const TableDef& own, const QString& where)
{
    OpenSchema out;
    out.file = std::move(read);
    // The program's definition decides types and formats; extra columns stay as they are.
    if (known) {
        if (const auto problem = findFieldProblem(out.file, *known))
            throw EngineError(problem->missing
                                  ? QStringLiteral("Field '%1' is missing from the table").arg(problem->field)
                                  : QStringLiteral("Field '%1' has an incompatible type").arg(problem->field),
                              where);
    }
    // The Polish sort keys are the engine's own: no field, no index the program names.
    for (const FieldDef& f : out.file.fields) {
        if (isSortKeyColumn(f.name))
            continue;
        const FieldDef* decl = known ? known->field(f.name) : nullptr;
        if (!decl && !own.fields.isEmpty())
            if (const FieldDef* o = own.field(f.name); o && compatible(*o, f))
                decl = o;
        out.fields << (decl ? *decl : f);
    }
    for (const IndexDef& ix : out.file.indexes)
        if (!isSortKeyColumn(ix.name))
            out.indexes << ix;
    return out;
}

OpenSchema readAndMerge(SqliteFile& file, const QString& stem, const TableDef* known, const TableDef& own)
{
    std::optional<FileSchema> read = file.guard([&] { return readFileSchema(file.db(), stem); });
    if (!read)
        throw EngineError(QStringLiteral("Table '%1' not found in the file").arg(stem), file.path());
    return merge(std::move(*read), known, own, file.path());
}

void completeFile(SqliteFile& file, OpenSchema& schema, const TableDef* known, const TableDef& own)
{
    if (known) {
        // Indexes the program declares but an older file lacks are added.
        for (const IndexDef& ix : known->indexes) {
            const bool present = std::any_of(schema.indexes.begin(), schema.indexes.end(), [&](const IndexDef& f) {
                return f.name.compare(ix.name, Qt::CaseInsensitive) == 0;
            });
            if (present)
                continue;
            try {
                file.exec(createIndexSql(ix, schema.file.tableIdent));
                schema.indexes << ix;
            } catch (const EngineError&) {
                // A busy or read-only file still opens; that index order is just not offered.
            }
        }
    }
    schema.keyColumns.clear();
    if (const TableDef* keyDef = governing(known, own))
        for (const QString& f : ensureSortKeys(file, schema.file.tableIdent, *keyDef, schema.file))
            schema.keyColumns.insert(f.toLower(), sortKeyColumn(f));
}

} // namespace schemamerge
} // namespace jadl
