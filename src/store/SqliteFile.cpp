#include "store/SqliteFile.h"

#include <sqlite3.h>
#include <QFile>

namespace jadl {

QString quoteId(const QString& name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

SqliteFile::SqliteFile(const QString& path, Mode mode, bool exclusive) : path_(path), exclusive_(exclusive)
{
    if (mode == Mode::OpenExisting && !QFile::exists(path))
        throw EngineError(QStringLiteral("Table does not exist"), path);
    const int flags = SQLite::OPEN_READWRITE | (mode == Mode::Create ? SQLite::OPEN_CREATE : 0);
    guard([&] { db_ = std::make_unique<SQLite::Database>(path.toUtf8().toStdString(), flags, 2000); });
    try {
        sqlfunctions::install(db_->getHandle(), &members_);
    } catch (const std::exception& e) {
        throw EngineError(QString::fromUtf8(e.what()), path);
    }
}

SqliteFile::~SqliteFile()
{
    if (depth_ > 0)
        rollback();
    statements_.clear();
}

void SqliteFile::configure()
{
    guard([&] {
        db_->exec("PRAGMA journal_mode=DELETE");
        db_->exec("PRAGMA synchronous=FULL");
        // Grids and reports read records in index order, i.e. scattered over the
        // file: a larger page cache and memory-mapped reads keep that cheap.
        db_->exec("PRAGMA cache_size=-16384");
        db_->exec("PRAGMA mmap_size=0");
        if (exclusive_) {
            db_->exec("PRAGMA locking_mode=EXCLUSIVE");
            // The lock is taken by the first write transaction and then kept.
            db_->exec("BEGIN EXCLUSIVE");
            db_->exec("COMMIT");
        }
    });
}

SQLite::Statement& SqliteFile::statement(const QString& sql)
{
    return guard([&]() -> SQLite::Statement& {
        const std::string key = sql.toStdString();
        auto it = statements_.find(key);
        if (it == statements_.end())
            it = statements_.emplace(key, std::make_unique<SQLite::Statement>(*db_, key)).first;
        it->second->reset();
        it->second->clearBindings();
        return *it->second;
    });
}

void SqliteFile::resetStatements()
{
    for (auto& [sql, st] : statements_)
        st->tryReset();
}

void SqliteFile::dropStatements()
{
    statements_.clear();
}

qint64 SqliteFile::dataVersion()
{
    SQLite::Statement& st = statement(QStringLiteral("PRAGMA data_version"));
    ResetOnExit reset(st);
    return guard([&] { return st.executeStep() ? qint64(st.getColumn(0).getInt64()) : qint64(0); });
}

void SqliteFile::exec(const QString& sql)
{
    guard([&] { db_->exec(sql.toStdString()); });
}

void SqliteFile::begin()
{
    // Inner levels are savepoints, so one failed post inside a batch undoes only itself.
    if (depth_ == 0)
        guard([&] { db_->exec("BEGIN IMMEDIATE"); });
    else
        exec(QStringLiteral("SAVEPOINT lvl%1").arg(depth_));
    ++depth_;
}

void SqliteFile::commit()
{
    if (depth_ == 0)
        return;
    if (depth_ > 1) {
        exec(QStringLiteral("RELEASE lvl%1").arg(depth_ - 1));
        --depth_;
        return;
    }
    try {
        guard([&] { db_->exec("COMMIT"); });
    } catch (...) {
        rollback();
        throw;
    }
    depth_ = 0;
}

void SqliteFile::rollback() noexcept
{
    if (depth_ == 0)
        return;
    resetStatements();
    --depth_;
    const QByteArray sql = depth_ == 0 ? QByteArray("ROLLBACK")
                                       : QStringLiteral("ROLLBACK TO lvl%1; RELEASE lvl%1").arg(depth_).toUtf8();
    sqlite3_exec(db_->getHandle(), sql.constData(), nullptr, nullptr, nullptr);
}

qint64 SqliteFile::lastInsertId() const
{
    return db_->getLastInsertRowid();
}

} // namespace jadl
