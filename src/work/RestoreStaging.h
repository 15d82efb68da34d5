#pragma once
// The files of one restore, written into a staging folder inside the data
// directory, checked there, and put in place all together or not at all.
//
// Committing moves every original (with any journal of it) aside first, then the
// new files in; a failure at any step puts the originals back. A manifest in the
// staging folder lets the next start finish the roll-back of a commit that a
// crash cut short. The staging folder is hidden, so the backup never lists it.
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace jadl::archive {

// A restore step that failed; the text names the file and the reason.
class RestoreError : public std::runtime_error {
public:
    explicit RestoreError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) { }
    const QString& text() const { return text_; }

private:
    QString text_;
};

class RestoreStaging {
public:
    using RenameFn = std::function<bool(const QString& from, const QString& to)>;

    // Starts afresh: what an earlier run left staged is removed (an interrupted
    // commit is rolled back first).
    explicit RestoreStaging(const QString& realDataDir);
    ~RestoreStaging(); // an uncommitted staging leaves no trace
    RestoreStaging(const RestoreStaging&) = delete;
    RestoreStaging& operator=(const RestoreStaging&) = delete;

    // Real path under which the archive file `name` is written before it is checked.
    QString stagedPath(const QString& name) const;
    // The file `name` was written whole and flushed.
    void add(const QString& name);
    const QStringList& names() const { return names_; }

    // Checks every staged table file as a table open would, with SQLite's
    // quick_check; a journal staged beside its file is rolled back into it.
    // Returns "file: reason" for every file that fails.
    QStringList check() const;

    // Replaces the data files by the staged ones, all or nothing. Journals are
    // never moved in; those of a replaced file leave with it. Throws RestoreError
    // (the data directory then holds the originals again).
    void commit();

    // Test seam: the rename used for every move of the commit and its roll-back.
    void setRename(RenameFn fn) { rename_ = std::move(fn); }

    // Rolls back a commit that a crash interrupted, and removes a staging left
    // behind. Run at start-up, before any table opens.
    static void recover(const QString& realDataDir);

    // Files that belong to a table file as its journal ("-journal", "-wal", "-shm").
    static bool isJournal(const QString& name);
    static QStringList journalsOf(const QString& name);

private:
    QString dataDir_;
    QString root_; // dataDir/.odtwarzanie
    QStringList names_;
    RenameFn rename_;
    bool committed_ = false;
    bool keepForRecovery_ = false;
    bool inCommit_ = false; // an unexpected exception mid-commit leaves the manifest for recover()
};

} // namespace jadl::archive
