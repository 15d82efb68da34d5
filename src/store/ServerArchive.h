#pragma once
// The program's archive for data kept on a server: the same table files as a
// data directory holds (one SQLite file per table), so an archive of either
// engine restores into either. The export reads every table in one snapshot of
// the server; the import replaces the tables in one transaction, so other
// workstations see the old data or the restored data, never a mixture.
#include <QString>
#include <QStringList>

#include <functional>

namespace jadl::serverarchive {

// Called every few thousand rows, so that a window can show it and paint.
using Progress = std::function<void(const QString& table, qint64 rows)>;

// Writes the server's tables that the program knows into table files of their
// names in `folder` (a real path); returns the file names written.
QStringList exportTables(const QString& server, const QString& folder, const Progress& progress = {});

// Replaces the server's tables with the rows of the table files `fileNames` of
// `folder` (checked beforehand; other files are not tables and are passed over).
void importTables(const QString& server, const QString& folder, const QStringList& fileNames,
                  const Progress& progress = {});

} // namespace jadl::serverarchive
