#pragma once
// Data backup window: the user chooses the archive drive, a BackupJob copies
// the data directory there; the window asks the job's questions in message
// boxes and shows the progress it reports.
#include "archive/ArchiveWindow.h"

#include <QList>

#include <optional>

namespace jadl::archive {
struct BackupProgress;
}

namespace jadl {
class Table;
}

class TKopiowanieDanych : public jadl::archive::ArchiveWindow {
    Q_OBJECT
public:
    explicit TKopiowanieDanych(QWidget* parent = nullptr);

    // The four tables the backup closes and leaves closed (the windows that need
    // them open them again).
    QList<jadl::Table*> ZamknijTabeleDanych() const;
    // Points the archive lists back at the program drive's "Jadl" folder.
    void SprawdzKatalogDanych();
    void ZerujPostep();

    // Results of the last run.
    qint64 totalBytes() const { return totalBytes_; }
    qint64 copiedBytes() const { return copiedBytes_; }
    int disketteCount() const { return disketteCount_; }

public Q_SLOTS:
    void KopiujClick();
    void WyjscieClick() override;

protected:
    void actionClick() override { KopiujClick(); }
    QString freeSpaceText(QChar drive, qint64 freeKb) const override;

private:
    enum class Labels { Copy, Delete, Hidden };
    void setLabels(Labels which);
    void setWhatWhere(const QString& from, const QString& to);
    void showStage(const jadl::archive::BackupProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked);
    void showProgress(const jadl::archive::BackupProgress& p);
    void showDeleted(const jadl::archive::BackupProgress& p);
    static void selectAllIn(jadl::archive::FileListBox* list);
    void completion(bool complete);

    // State of one run, as the display needs it.
    QString archiveRoot_; // "d:\"
    QString archiveParent_; // where the day's folders go
    qint64 totalBytes_ = 0;
    qint64 copiedBytes_ = 0;
    int disketteCount_ = 0;
};
