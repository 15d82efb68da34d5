#pragma once
// The backup itself, without a window: every file of the data directory goes
// into the day's archive folder on a hard disk (through a BackupStaging, so a
// failed run leaves the day's earlier archive as it was) or into the archive
// folder of one diskette after another. What the user must decide is asked
// through BackupQuestions; what there is to show goes to the progress callback.
#include "work/BackupStaging.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace jadl::archive {

// What the backup reports as it goes. `stage` says what happened; the other
// fields hold the state of the run at that moment.
struct BackupProgress {
    enum class Stage {
        Measured, // the data directory was listed and its size summed
        ClearingDiskette, // the files a diskette holds are about to be deleted
        DisketteListed, // `folder` (the diskette's archive folder) is listed for deletion
        Deleted, // `fileName` was deleted from `folder`; fileDone/fileSize count the deleted bytes
        DisketteCleared,
        DisketteHidden, // the first clearing is over, copying has not begun
        DisketteReady, // a fresh diskette takes the file `fileName`
        CopyPhase, // the copying begins
        FileStarted, // `from` is about to be copied to `to`
        Bytes, // bytes of the current file copied (at its start, per block, at its end)
        FileDone,
        ArchiveReplaced, // the day's archive folder holds the new copy
    };
    Stage stage = Stage::Measured;
    bool paced = false; // Bytes for one block: shown only when the display is due
    QString folder; // drive form
    QString fileName;
    QString from; // drive form of the file being copied
    QString to;
    int fileNumber = 0; // 1 for the first file copied
    qint64 fileDone = 0;
    qint64 fileSize = 0;
    qint64 done = 0; // bytes copied (or deleted) in the whole run so far
    qint64 total = 0; // bytes of the whole data directory (or of the diskette's files)
    qint64 freeKb = 0; // free space of the archive drive, as measured less what was written since
};

// The questions a backup may need answered in its middle.
class BackupQuestions {
public:
    virtual ~BackupQuestions() = default;
    // The hard disk has less room than the data needs (asked only when the run made the folders).
    virtual bool goOnWithLowSpace() = 0;
    // The data needs at least `diskettes` diskettes.
    virtual bool copyOntoDiskettes(int diskettes) = 0;
    // The diskette `number` goes in (asked again when the drive stays empty).
    virtual bool insertDiskette(int number) = 0;
    // A file of a diskette could not be deleted; the run goes on.
    virtual void cannotDelete(const QString& name) = 0;
};

// How a run ended.
enum class BackupEnd {
    Complete, // every file copied whole and checked, the byte counts agree
    Incomplete, // the run went to its end, but not every byte of the data is in the archive
    Unsettled, // a table's journal could not be resolved: nothing was copied
    Broken, // a hard-disk run stopped; the day's earlier archive is as it was
    GivenUp, // the user said no
    TooLarge, // a file is larger than an empty diskette
    NoDiskette, // the user gave up waiting for a diskette
};

struct BackupResult {
    BackupEnd end = BackupEnd::GivenUp;
    std::optional<QString> error; // the file error that stopped the copying
    qint64 total = 0; // bytes of the data directory, as listed
    qint64 copied = 0;
    int diskettes = 0; // what the parameters record for the restore
};

class BackupJob {
public:
    using Progress = std::function<void(const BackupProgress&)>;

    // `dataDir` is the data directory in drive form ("c:\Jadl\Dane_bar\"), whose
    // drive is the program drive; `archiveRoot` the drive chosen for the archive
    // ("d:\"); `day` names the archive folder.
    BackupJob(const QString& dataDir, const QString& archiveRoot, const QDate& day, Progress progress);
    ~BackupJob();
    BackupJob(const BackupJob&) = delete;
    BackupJob& operator=(const BackupJob&) = delete;

    bool diskette() const { return diskette_; }
    // The folder the archive goes into ("d:\Archiwum\06_12_2026\", on a diskette "a:\Archiwum\").
    QString archiveFolder() const { return archiveFolder_; }
    // Where the day's folders are made ("c:\Jadl\Archiwum\" on the program drive).
    QString archiveParent() const { return parent_; }

    BackupResult run(BackupQuestions& ask);

    // Test seam: runs after every block written, with the real path of the copy.
    void setAfterBlockHook(std::function<void(const QString& realCopy)> hook) { afterBlock_ = std::move(hook); }

private:
    void measure();
    bool enoughRoom(BackupQuestions& ask);
    BackupEnd toHardDisk(BackupQuestions& ask);
    BackupEnd toDiskettes(BackupQuestions& ask);
    std::optional<BackupEnd> fitOnDiskette(const QString& name, BackupQuestions& ask);
    void clearDiskette(BackupQuestions& ask);
    void copyFile(const QString& name);
    void emitStage(BackupProgress::Stage stage);
    void measureFree();
    qint64 freeKbNow() const;

    QString dataDir_;
    QString programRoot_;
    QString archiveRoot_;
    QString parent_;
    QString archiveFolder_;
    bool sameDrive_ = false;
    bool diskette_ = false;
    bool foldersCreated_ = false;
    bool measured_ = false;
    bool failed_ = false;
    Progress progressFn_;
    std::function<void(const QString&)> afterBlock_;

    QString realData_;
    QStringList files_;
    BackupProgress p_;
    qint64 measuredFreeKb_ = 0;
    qint64 writtenSinceFree_ = 0;
    int disketteNumber_ = 0;
    BackupResult result_;
    std::unique_ptr<BackupStaging> staging_;
};

} // namespace jadl::archive
