#pragma once
// The restore itself, without a window: every file of an archive folder made by
// the backup is written into a RestoreStaging inside the data directory, checked
// there, and replaces the data files all together or not at all. What the user
// must decide is asked through RestoreQuestions; what there is to show goes to
// the progress callback.
#include "work/RestoreStaging.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace jadl::archive {

struct RestoreProgress {
    enum class Stage {
        Checked, // the chosen folder is an archive folder
        Listed, // the files of `folder` were listed and their size summed
        Restoring, // the copying begins
        FileStarted, // `from` is about to be copied to `to`
        Bytes, // bytes of the current file copied (at its start, per block, at its end)
        Copied, // every listed file was tried; checks and the commit follow
    };
    Stage stage = Stage::Checked;
    bool paced = false; // Bytes for one block: shown only when the display is due
    QString folder; // drive form of the archive folder
    QString from;
    QString to;
    int fileNumber = 0; // 1 for the first file
    qint64 fileDone = 0;
    qint64 fileSize = 0;
    qint64 done = 0; // bytes restored in the whole run so far
    qint64 total = 0; // bytes of the archive folder's files
    qint64 freeKb = 0; // free space of the program drive before the run, less what was written since
};

class RestoreQuestions {
public:
    virtual ~RestoreQuestions() = default;
    // The archive lacks these table files; true restores the others anyway.
    virtual bool restoreWithout(const QStringList& missingTables) = 0;
    // The diskette drive cannot be read; true tries again.
    virtual bool insertDiskette() = 0;
};

// What the parameters say of the last backup: -1 bytes when unknown.
struct LastBackup {
    int diskettes = 0;
    qint64 bytes = -1;
};

struct RestoreSource {
    QString chosenFolder; // the folder the user picked (drive form), which must be an archive folder
    QString listedFolder; // the folder whose files a hard-disk restore copies
    QString archiveRoot; // drive of the archive, "d:\"
    LastBackup last;
};

enum class RestoreEnd {
    NotArchive, // the chosen folder is no archive folder: nothing done
    Declined, // the archive lacks tables and the user would not go on
    NoDisketteBackup, // a diskette, but the last backup went to a hard disk
    NoDiskette, // the user gave up waiting for the diskette
    Restored, // every file restored and the data replaced
    NothingListed, // a folder without files (the parent of the dated folders)
    Incomplete, // something failed: the data files are as they were
};

struct RestoreResult {
    RestoreEnd end = RestoreEnd::Incomplete;
    std::optional<QString> writeError; // the data disk refused to write: the copying stopped
    QStringList failures; // archive files not restored, each "file: reason"
    qint64 archiveBytes = 0;
    qint64 restoredBytes = 0;
};

class RestoreJob {
public:
    using Progress = std::function<void(const RestoreProgress&)>;

    // `dataDir` is the data directory in drive form ("c:\Jadl\Dane_bar\"); its
    // drive is the program drive.
    RestoreJob(const RestoreSource& source, const QString& dataDir, Progress progress);
    ~RestoreJob();
    RestoreJob(const RestoreJob&) = delete;
    RestoreJob& operator=(const RestoreJob&) = delete;

    bool diskette() const { return diskette_; }
    RestoreResult run(RestoreQuestions& ask);

    // Test seams: the rename of the final step; a hook after every block read
    // from an archive file (drive form), where the source may be damaged.
    void setCommitRename(RestoreStaging::RenameFn fn) { commitRename_ = std::move(fn); }
    void setAfterBlockHook(std::function<void(const QString& archiveFile)> hook) { afterBlock_ = std::move(hook); }

private:
    RestoreEnd steps(RestoreQuestions& ask);
    void listArchive(const QString& drivePath);
    bool confirmMissingTables(RestoreQuestions& ask) const;
    void restoreListed();
    void restoreFile(const QString& name);
    bool commitStaged();
    RestoreEnd outcome(bool complete) const;
    void emitStage(RestoreProgress::Stage stage);

    RestoreSource source_;
    QString dataDir_;
    QString programRoot_;
    bool sameDrive_ = false;
    bool diskette_ = false;
    Progress progressFn_;
    RestoreStaging::RenameFn commitRename_;
    std::function<void(const QString&)> afterBlock_;

    QString archiveFolder_; // drive form, with a trailing backslash
    QStringList names_;
    RestoreProgress p_;
    qint64 freeKb_ = 0;
    RestoreResult result_;
    std::unique_ptr<RestoreStaging> staging_;
};

} // namespace jadl::archive
