#pragma once
// Data restore window: the user chooses an archive folder made by the backup,
// a RestoreJob brings its files back into the data directory all or nothing;
// the window asks the job's questions in message boxes and shows its progress.
#include "archive/ArchiveWindow.h"
#include "work/RestoreStaging.h"

#include <QList>

#include <optional>

class TKopiowanieDanych;

namespace jadl::archive {
struct RestoreProgress;
struct RestoreResult;
} // namespace jadl::archive

namespace jadl {
class Table;
}

class TOdtwarzanieDanych : public jadl::archive::ArchiveWindow {
    Q_OBJECT
public:
    explicit TOdtwarzanieDanych(QWidget* parent = nullptr);
    ~TOdtwarzanieDanych() override;

    // The backup window, whose four tables the restore leaves closed too.
    void setBackupWindow(const TKopiowanieDanych* backup) { backup_ = backup; }
    // The tables the restore leaves closed: the backup's four and the parameters.
    QList<jadl::Table*> tablesLeftClosed() const;
    // Points the archive lists back at the program drive's "Jadl" folder.
    void SprawdzKatalogArchiwum();

    // Results of the last run.
    qint64 archiveBytes() const { return archiveBytes_; }
    qint64 restoredBytes() const { return restoredBytes_; }

    // Test seam: the rename of the final step, to fail it at a chosen file.
    void setCommitRename(jadl::archive::RestoreStaging::RenameFn fn) { commitRename_ = std::move(fn); }

public Q_SLOTS:
    void OdtworzClick();
    void PomocClick() override;
    void WyjscieClick() override;

protected:
    void actionClick() override { OdtworzClick(); }
    QString freeSpaceText(QChar drive, qint64 freeKb) const override;

private:
    void showStage(const jadl::archive::RestoreProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked);
    void showProgress(const jadl::archive::RestoreProgress& p);
    void report(const jadl::archive::RestoreResult& r);

    const TKopiowanieDanych* backup_ = nullptr;
    // State of one run, as the display needs it.
    qint64 archiveBytes_ = 0;
    qint64 restoredBytes_ = 0;
    jadl::archive::RestoreStaging::RenameFn commitRename_;
};
