// Tables as SQLite files, one per table, in a directory.
#include "store/FileHealth.h"
#include "store/internal/KeptSumsFile.h"
#include "store/internal/SqliteFile.h"
#include "store/internal/TableStorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jadl::sqlitestorage {

QString filePath(const QString& dir, const QString& tableName)
{
    QString name = tableName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".db");
    const QString path = dir.isEmpty() ? name : QDir(dir).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    // Table names are not case-sensitive ("Towary.DB" finds "towary.db").
    const QFileInfo fi(path);
    const QDir parent = fi.dir();
    if (parent.exists()) {
        const QStringList entries = parent.entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& e : entries)
            if (e.compare(fi.fileName(), Qt::CaseInsensitive) == 0)
                return parent.filePath(e);
    }
    return path;
}

OpenedTable open(const QString& path, const TableRequest& r)
{
    TableDef own = r.own;
    own.fileName = QFileInfo(path).fileName();
    if (!QFileInfo::exists(path)) {
        const TableDef* def = schemamerge::governing(r.known, own);
        if (!def)
            throw EngineError(QStringLiteral("Table does not exist"), path);
        schemamerge::createTableFile(path, *def, r.displayName);
    }
    // A file found damaged is not read again in this run: none of its numbers is shown.
    if (const auto fault = filehealth::damage(path))
        throw DamagedFile(filehealth::damagedFileMessage(path, *fault), path);
    auto file = std::make_unique<SqliteFile>(path, SqliteFile::Mode::OpenExisting, r.exclusive);
    // Read the structure first: nothing is written to a file that does not fit.
    OpenedTable out;
    out.schema = schemamerge::readAndMerge(*file, QFileInfo(path).completeBaseName(), r.known, own);
    file->configure();
    schemamerge::completeFile(*file, out.schema, r.known, own);
    if (r.known && r.known->keptSums) {
        const QString& table = out.schema.file.tableIdent;
        if (auto sums = keptsums::FileSums::attach(*file, table, *r.known->keptSums)) {
            file->setWriteHooks(std::move(sums));
            out.kept = keptsums::layout(table, *r.known->keptSums);
        }
    }
    out.keySql = QStringLiteral("rowid");
    out.conn = std::move(file);
    return out;
}

void create(const QString& path, const TableDef& def, const QString& displayName)
{
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw EngineError(QStringLiteral("Cannot replace the table file"), path);
    QFile::remove(path + QStringLiteral("-journal"));
    TableDef named = def;
    named.fileName = QFileInfo(path).fileName();
    schemamerge::createTableFile(path, named, displayName);
}

} // namespace jadl::sqlitestorage
