#pragma once
// A hard-disk backup writes into a staging folder beside the day's archive
// folder; the staging takes that folder's place only once every file is written,
// on disk and checked, so a failed second backup of the day leaves the first one
// as it was. Each copy is checked by size and, for a table file, by SQLite's
// quick_check.
#include <QString>

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

private:
    QString target_;
    QString staging_;
    bool swapped_ = false;
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
