#pragma once
// Which table files of the data directory are damaged. Right after start-up
// every table file is checked (SQLite's quick_check) on a thread of its own, so
// the main window comes up at once; a table opens only once its file is known
// sound, and a file found damaged then, or by any later answer of the engine,
// is never opened again in this run (until a restore replaces it). Numbers of
// a damaged file are never shown.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace jadl::filehealth {

// Checks the files (real paths) in the background. `onDamaged` runs on the
// checking thread for each damaged one, with the file's path and the reason.
using DamageReport = std::function<void(const QString& path, const QString& reason)>;
void startChecking(const QStringList& paths, DamageReport onDamaged);

// Why the file is damaged, or nullopt when it is sound or was never checked;
// waits for the file's check while it is still running.
std::optional<QString> damage(const QString& path);

// Waits until every check started has finished (benchmarks time the program
// after it, as a user's first click comes after it).
void waitForChecks();

// The engine found the file damaged.
void markDamaged(const QString& path, const QString& reason);
// The file was replaced by a sound one (a restore).
void forget(const QString& path);
// Forgets every check (waits for a running one): a new start.
void reset();

// The message every window shows for a damaged table file: the file, the cause
// and where to turn.
QString damagedFileMessage(const QString& path, const QString& reason);

} // namespace jadl::filehealth
