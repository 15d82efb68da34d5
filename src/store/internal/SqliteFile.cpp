#include "store/internal/SqliteFile.h"

#include "common/SystemErrors.h"
#include "store/FileHealth.h"
#include "store/internal/SqlDialect.h"

#include <QFile>
#include <sqlite3.h>

#include <cerrno>

namespace jadl {

// A prepared statement of the file, on SQLite's own interface. The record set
// of a membership condition lives here while the statement may read it.
class SqliteFile::Statement : public SqlStatement {
public:
    Statement(SqliteFile& file, const std::string& sql) : file_(file)
    {
        check(sqlite3_prepare_v3(file.db().getHandle(), sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &st_,
                                 nullptr));
    }
    ~Statement() override { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bindNull(int i) override { check(sqlite3_bind_null(st_, i)); }
    void bindInt(int i, qint64 v) override { check(sqlite3_bind_int64(st_, i, v)); }
    void bindDouble(int i, double v) override { check(sqlite3_bind_double(st_, i, v)); }
    void bindText(int i, const QByteArray& utf8) override
    {
        check(sqlite3_bind_text(st_, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    }
    void bindBlob(int i, const QByteArray& bytes) override
    {
        check(sqlite3_bind_blob(st_, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT));
    }
    void bindIds(int i, const std::vector<qint64>& ids) override
    {
        members_ = std::make_unique<RowSet>(ids);
        check(sqlfunctions::bindMembers(st_, i, members_.get()));
    }
    bool step() override
    {
        const int rc = sqlite3_step(st_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        check(rc);
        return false;
    }
    SqlValue column(int i) override
    {
        SqlValue v;
        switch (sqlite3_column_type(st_, i)) {
        case SQLITE_INTEGER:
            v.type = SqlType::Integer;
            v.integer = sqlite3_column_int64(st_, i);
            break;
        case SQLITE_FLOAT:
            v.type = SqlType::Float;
            v.real = sqlite3_column_double(st_, i);
            break;
        case SQLITE_TEXT:
            v.type = SqlType::Text;
            v.data = reinterpret_cast<const char*>(sqlite3_column_text(st_, i));
            v.bytes = sqlite3_column_bytes(st_, i);
            break;
        case SQLITE_BLOB:
            v.type = SqlType::Blob;
            v.data = static_cast<const char*>(sqlite3_column_blob(st_, i));
            v.bytes = sqlite3_column_bytes(st_, i);
            break;
        default:
            break;
        }
        return v;
    }
    void reset() noexcept override
    {
        sqlite3_reset(st_);
        sqlite3_clear_bindings(st_);
        members_.reset();
    }
    void tryReset() noexcept { sqlite3_reset(st_); }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK) {
            // The connection's message says more than the code's when there is one.
            sqlite3* db = file_.db().getHandle();
            const int code = (sqlite3_extended_errcode(db) & 0xff) == (rc & 0xff) ? sqlite3_extended_errcode(db) : rc;
            throwSqliteError(db, code, sqlite3_errmsg(db), file_.path());
        }
    }
    SqliteFile& file_;
    sqlite3_stmt* st_ = nullptr;
    std::unique_ptr<RowSet> members_;
};

void throwSqliteError(sqlite3* db, int rc, const char* engineText, const QString& path)
{
    const QString engine = QString::fromUtf8(engineText && *engineText ? engineText : sqlite3_errstr(rc));
    const int err = db ? sqlite3_system_errno(db) : 0;
    const auto because = [&](const QString& what, const QString& fallback) {
        return EngineError(QStringLiteral("%1: %2 (%3)").arg(what, err ? systemErrorReason(err) : fallback, engine),
                           path);
    };
    switch (rc & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        filehealth::markDamaged(path, engine);
        throw DamagedFile(filehealth::damagedFileMessage(path, engine), path);
    case SQLITE_FULL:
        throw EngineError(QStringLiteral("Błąd zapisu pliku: %1 (%2)").arg(systemErrorReason(ENOSPC), engine), path);
    case SQLITE_READONLY:
        throw because(QStringLiteral("Błąd zapisu pliku"),
                      QStringLiteral("nośnik tylko do odczytu lub brak uprawnień"));
    case SQLITE_PERM:
    case SQLITE_AUTH:
        throw because(QStringLiteral("Błąd dostępu do pliku"), QStringLiteral("brak uprawnień"));
    case SQLITE_CANTOPEN:
        throw because(QStringLiteral("Nie można otworzyć pliku"), QStringLiteral("nieznana przyczyna"));
    case SQLITE_IOERR:
        throw because(QStringLiteral("Błąd odczytu lub zapisu pliku"), QStringLiteral("błąd wejścia/wyjścia nośnika"));
    default:
        throw EngineError(engine, path);
    }
}

void SqliteFile::fail(int rc, const char* engineText) const
{
    throwSqliteError(db_ ? db_->getHandle() : nullptr, rc, engineText, path());
}

SqliteFile::SqliteFile(const QString& path, Mode mode, bool exclusive) : SqlConnection(path), exclusive_(exclusive)
{
    if (mode == Mode::OpenExisting && !QFile::exists(path))
        throw EngineError(QStringLiteral("Table does not exist"), path);
    const int flags = SQLite::OPEN_READWRITE | (mode == Mode::Create ? SQLite::OPEN_CREATE : 0);
    guard([&] { db_ = std::make_unique<SQLite::Database>(path.toUtf8().toStdString(), flags, 2000); });
    try {
        sqlfunctions::install(db_->getHandle());
    } catch (const std::exception& e) {
        throw EngineError(QString::fromUtf8(e.what()), path);
    }
}

SqliteFile::~SqliteFile()
{
    if (depth_ > 0)
        rollback();
    hooks_.reset();
    statements_.clear();
}

bool SqliteFile::readOnly()
{
    return sqlite3_db_readonly(db_->getHandle(), "main") == 1;
}

const SqlDialect& SqliteFile::dialect() const
{
    return SqlDialect::sqlite();
}

void SqliteFile::configure()
{
    guard([&] {
        db_->exec("PRAGMA journal_mode=DELETE");
        db_->exec("PRAGMA synchronous=FULL");
        // Grids and reports read records in index order, i.e. scattered over the
        // file: a larger page cache keeps that cheap. Mapped pages would count in
        // the resident set of a million-line register.
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

SqlStatement& SqliteFile::statement(const QString& sql)
{
    const std::string key = sql.toStdString();
    auto it = statements_.find(key);
    if (it == statements_.end())
        it = statements_.emplace(key, std::make_unique<Statement>(*this, key)).first;
    it->second->reset();
    return *it->second;
}

void SqliteFile::resetStatements() noexcept
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
    SqlStatement& st = statement(QStringLiteral("PRAGMA data_version"));
    ResetOnExit reset(st);
    return st.step() ? st.column(0).integer : 0;
}

void SqliteFile::exec(const QString& sql)
{
    guard([&] { db_->exec(sql.toStdString()); });
}

void SqliteFile::begin()
{
    // Inner levels are savepoints, so one failed post inside a batch undoes only itself.
    if (depth_ > 0) {
        exec(QStringLiteral("SAVEPOINT lvl%1").arg(depth_));
        ++depth_;
        return;
    }
    guard([&] { db_->exec("BEGIN IMMEDIATE"); });
    ++depth_;
    if (hooks_) {
        try {
            hooks_->afterBegin();
        } catch (...) {
            rollback();
            throw;
        }
    }
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
        if (hooks_)
            hooks_->beforeCommit();
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

qint64 SqliteFile::lastInsertId()
{
    return db_->getLastInsertRowid();
}

} // namespace jadl
