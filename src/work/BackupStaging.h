#pragma once
// A hard-disk backup writes into a staging folder beside the day's archive
// folder; the staging takes that folder's place only once every file is written,
// on disk and checked, so a failed second backup of the day leaves the first one
// as it was. Each copy is checked by size and, for a table file, by SQLite's
// quick_check. Files of the earlier folder that the new backup does not write
// (a note of the user's, an older file of another name) are carried over.
//
// The swap itself exchanges the two folders in one step (Linux renameat2 with
// RENAME_EXCHANGE); where the file system cannot, it is two renames, and a
// swap cut short between them (a kill, a power loss) is finished or rolled back
// by recover() at the next start and the next backup, so the day's archive is
// always in sight, whole, old or new.
#include <QString>

#include <functional>
#include <stdexcept>

namespace jadl::archive {

class BackupError : public std::runtime_error {
public:
    explicit BackupError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) { }
    const QString& text() const { return text_; }

private:
    QString text_;
};

class BackupStaging {
public:
    // `realArchiveFolder` is the day's folder (it need not exist yet). Throws
    // BackupError when the staging folder cannot be made.
    explicit BackupStaging(const QString& realArchiveFolder);
    ~BackupStaging(); // a staging that was not swapped in is removed
    BackupStaging(const BackupStaging&) = delete;
    BackupStaging& operator=(const BackupStaging&) = delete;

    // Real folder the files are written into now.
    QString folder() const { return staging_; }

    // The staging becomes the day's folder; the earlier one is removed only after
    // that. Throws BackupError with the earlier folder back in place.
    void swapIn();

    // Steps of the swap, for tests that stop the program at each one: called
    // before each change on disk with its name.
    void setStepHook(std::function<void(const char* step)> hook) { stepHook_ = std::move(hook); }
    // Tests take the two-rename way where the exchange would work.
    void setExchangeAllowed(bool on) { exchangeAllowed_ = on; }

    // Brings back every day's archive folder under `realArchiveParent` that a swap
    // cut short left hidden, and clears what such a swap left beside it.
    static void recover(const QString& realArchiveParent);

private:
    void step(const char* name) const;
    void carryOverEarlierFiles() const;

    QString target_;
    QString staging_;
    bool swapped_ = false;
    bool exchangeAllowed_ = true;
    std::function<void(const char*)> stepHook_;
};

// Checks one archive copy: it is there with `expectedSize` bytes and, when it is
// a table file, a sound one. Throws BackupError naming the file.
void verifyArchiveCopy(const QString& realPath, const QString& shownName, qint64 expectedSize);

// Rolls back a hot journal (or folds a write-ahead log) of each table file of the
// data directory into its file, so that the copy of a closed table is the table
// as it was last committed. Throws BackupError naming a file that cannot be made
// consistent.
void settleJournals(const QString& realDataDir);

} // namespace jadl::archive
