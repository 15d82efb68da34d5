#include "store/FileHealth.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace jadl::filehealth {

namespace {

struct State {
    std::mutex mutex;
    std::condition_variable done;
    QSet<QString> pending;
    QHash<QString, QString> damaged;
    std::thread worker;
    std::atomic<bool> cancel{false};
    ~State()
    {
        cancel = true;
        if (worker.joinable())
            worker.join();
    }
};

State& state()
{
    static State s;
    return s;
}

QString key(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// quick_check on a connection of its own, read-only: SQLite's own locking keeps
// it apart from the program's connections to the same file.
std::optional<QString> quickCheck(const QString& path)
{
    sqlite3* db = nullptr;
    const QByteArray name = path.toUtf8();
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::optional<QString> fault;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        // A program that ends does not wait for the check of a large register.
        sqlite3_progress_handler(
            db, 1000, [](void*) { return state().cancel.load() ? 1 : 0; }, nullptr);
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
        while (rc == SQLITE_OK && (rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* line = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            const QString text = QString::fromUtf8(line ? line : "");
            if (text != QLatin1String("ok") && !fault)
                fault = text;
            rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
    }
    const int primary = rc & 0xff;
    if (primary == SQLITE_INTERRUPT)
        fault.reset();
    if (!fault && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB))
        fault = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return fault;
}

void joinWorker(State& s)
{
    s.cancel = true;
    if (s.worker.joinable())
        s.worker.join();
    s.cancel = false;
}

} // namespace

void startChecking(const QStringList& paths, DamageReport onDamaged)
{
    State& s = state();
    joinWorker(s);
    QStringList keys;
    {
        const std::lock_guard lock(s.mutex);
        for (const QString& p : paths) {
            keys << key(p);
            s.pending.insert(keys.last());
        }
    }
    s.worker = std::thread([keys, onDamaged = std::move(onDamaged)] {
        State& st = state();
        for (const QString& k : keys) {
            if (st.cancel)
                break;
            const std::optional<QString> fault = quickCheck(k);
            if (st.cancel)
                break; // an interrupted check proves nothing
            {
                const std::lock_guard lock(st.mutex);
                st.pending.remove(k);
                if (fault)
                    st.damaged.insert(k, *fault);
            }
            st.done.notify_all();
            if (fault && onDamaged)
                onDamaged(k, *fault);
        }
        // Cancelled: what was not checked is no longer waited for.
        {
            const std::lock_guard lock(st.mutex);
            for (const QString& k : keys)
                st.pending.remove(k);
        }
        st.done.notify_all();
    });
}

std::optional<QString> damage(const QString& path)
{
    State& s = state();
    const QString k = key(path);
    std::unique_lock lock(s.mutex);
    s.done.wait(lock, [&] { return !s.pending.contains(k); });
    const auto it = s.damaged.constFind(k);
    if (it == s.damaged.cend())
        return std::nullopt;
    return *it;
}

void waitForChecks()
{
    State& s = state();
    std::unique_lock lock(s.mutex);
    s.done.wait(lock, [&] { return s.pending.isEmpty(); });
}

void markDamaged(const QString& path, const QString& reason)
{
    State& s = state();
    const std::lock_guard lock(s.mutex);
    s.damaged.insert(key(path), reason);
}

void forget(const QString& path)
{
    State& s = state();
    const std::lock_guard lock(s.mutex);
    s.damaged.remove(key(path));
}

void reset()
{
    State& s = state();
    joinWorker(s);
    const std::lock_guard lock(s.mutex);
    s.pending.clear();
    s.damaged.clear();
}

QString damagedFileMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Plik tabeli %1 jest uszkodzony (%2).\n"
                          "Program nie korzysta z jego danych, bo nie są wiarygodne. Odtwórz dane z ostatniej kopii: "
                          "System → Archiwizacja → Odtwarzanie danych z archiwum.")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace jadl::filehealth
