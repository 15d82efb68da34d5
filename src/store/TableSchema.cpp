#include "store/TableSchema.h"

#include "store/TableDefs.h"
#include "store/internal/SqliteFile.h"
#include "store/internal/Values.h"

#include <QFileInfo>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

namespace jadl {

std::optional<FileSchema> readFileSchema(SQLite::Database& db, const QString& stem, bool orOnlyTable)
{
    FileSchema out;
    // The engine's own tables beside a table (its sums kept per month) are no table of the file's.
    SQLite::Statement tables(db,
                             "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' AND "
                             "name NOT LIKE 'jadl\\_%' ESCAPE '\\'");
    QStringList names;
    while (tables.executeStep())
        names << QString::fromUtf8(tables.getColumn(0).getText());
    for (const QString& n : names)
        if (n.compare(stem, Qt::CaseInsensitive) == 0)
            out.tableIdent = n;
    if (out.tableIdent.isEmpty() && orOnlyTable && names.size() == 1)
        out.tableIdent = names.first();
    if (out.tableIdent.isEmpty())
        return std::nullopt;

    SQLite::Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteId(out.tableIdent)).toStdString());
    struct Col {
        QString name, type;
        int pk;
    };
    QList<Col> cols;
    int pkCount = 0;
    while (info.executeStep()) {
        Col c{QString::fromUtf8(info.getColumn(1).getText()), QString::fromUtf8(info.getColumn(2).getText()),
              info.getColumn(5).getInt()};
        pkCount += c.pk > 0 ? 1 : 0;
        cols << c;
    }
    for (const Col& c : cols)
        out.fields << detail::fieldFromColumn(c.name, c.type, c.pk > 0 && pkCount == 1);

    SQLite::Statement list(db, QStringLiteral("PRAGMA index_list(%1)").arg(quoteId(out.tableIdent)).toStdString());
    QStringList indexNames;
    while (list.executeStep()) {
        const QString name = QString::fromUtf8(list.getColumn(1).getText());
        if (!name.startsWith(QLatin1String("sqlite_autoindex")))
            indexNames << name;
    }
    for (const QString& name : indexNames) {
        SQLite::Statement ii(db, QStringLiteral("PRAGMA index_info(%1)").arg(quoteId(name)).toStdString());
        IndexDef ix;
        ix.name = name;
        while (ii.executeStep())
            ix.fields << QString::fromUtf8(ii.getColumn(2).getText());
        out.indexes << ix;
    }
    return out;
}

std::optional<FieldProblem> findFieldProblem(const FileSchema& file, const TableDef& def)
{
    TableDef inFile;
    inFile.fields = file.fields;
    for (const FieldDef& want : def.fields) {
        const FieldDef* have = inFile.field(want.name);
        if (!have)
            return FieldProblem{want.name, true};
        if (!detail::compatible(want, *have))
            return FieldProblem{want.name, false};
    }
    return std::nullopt;
}

namespace {

QString sqliteReason(const SQLite::Exception& e)
{
    switch (e.getErrorCode() & 0xff) {
    case SQLITE_NOTADB:
        return QStringLiteral("plik nie jest bazą danych SQLite");
    case SQLITE_CORRUPT:
        return QStringLiteral("plik jest uszkodzony (database disk image is malformed)");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("plik jest zajęty przez inny program");
    case SQLITE_CANTOPEN:
        return QStringLiteral("pliku nie można otworzyć");
    default:
        return QStringLiteral("błąd odczytu (%1)").arg(QString::fromUtf8(e.what()));
    }
}

} // namespace

std::optional<QString> checkTableFile(const QString& realPath, bool deep)
{
    const QFileInfo info(realPath);
    if (!info.exists())
        return QStringLiteral("brak pliku");
    if (info.size() == 0)
        return QStringLiteral("plik jest pusty");
    const QString stem = info.completeBaseName();
    try {
        // Read-write, so that a hot journal beside the file is rolled back here
        // and not later on a file that has already replaced its original.
        SQLite::Database db(realPath.toUtf8().toStdString(), SQLite::OPEN_READWRITE, 2000);
        db.exec("PRAGMA journal_mode=DELETE");
        if (deep) {
            SQLite::Statement check(db, "PRAGMA quick_check");
            QStringList faults;
            while (check.executeStep()) {
                const QString line = QString::fromUtf8(check.getColumn(0).getText());
                if (line != QLatin1String("ok"))
                    faults << line;
            }
            if (!faults.isEmpty())
                return QStringLiteral("plik jest uszkodzony (%1)").arg(faults.first());
        }
        // An archive file must hold the table of its own name, not just any table.
        const std::optional<FileSchema> schema = readFileSchema(db, stem, false);
        if (!schema)
            return QStringLiteral("plik nie zawiera tabeli %1").arg(stem);
        if (const TableDef* def = tabledefs::find(info.fileName())) {
            if (const auto problem = findFieldProblem(*schema, *def)) {
                return problem->missing ? QStringLiteral("w tabeli brakuje pola %1").arg(problem->field)
                                        : QStringLiteral("pole %1 ma niezgodny typ").arg(problem->field);
            }
        }
    } catch (const SQLite::Exception& e) {
        return sqliteReason(e);
    }
    return std::nullopt;
}

} // namespace jadl
