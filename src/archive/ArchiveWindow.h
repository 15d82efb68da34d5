#pragma once
// What the backup and restore windows share: the program's drive, folders and
// data files on the left, the archive drive, folders and files on the right,
// the progress panel and the buttons; the list handlers; the data module and the
// program's tables they close; the pacing of a copy's display. Each window adds
// its own job and its own words.
#include "archive/ArchiveLayout.h"
#include "archive/TablesOffline.h"
#include "controls/ExitRoutedDialog.h"
#include "work/ArchiveFiles.h"

#include <functional>
#include <optional>

class TModulDanych1;

namespace jadl::archive {

class ArchiveWindow : public ExitRoutedDialog {
    Q_OBJECT
public:
    // The data module whose tables the job closes, and every table of the
    // program (both given by the start-up).
    void bindDataModule(TModulDanych1* dm) { dm_ = dm; }
    void setProgramTables(TableList tables) { programTables_ = std::move(tables); }
    // Test seam: runs after every block copied, with the copy's (backup) or the
    // archive file's (restore) path.
    void setAfterBlockHook(std::function<void(const QString& path)> hook) { afterBlock_ = std::move(hook); }
    // Size in bytes of a file (real path), 0 when there is none.
    static qint64 RozmiarPliku(const QString& realPath);

public Q_SLOTS:
    void DyskiChange();
    void KatalogiChange();
    void DyskDlaArchiwumChange();
    void DyskDlaArchiwumClick();
    void KatalogDlaArchiwumChange();
    void KatalogDlaArchiwumClick();

protected:
    ArchiveWindow(QWidget* parent, const QString& instanceName, const QString& title, const ArchiveCaptions& captions);
    // The window's job (its action button) and its exit.
    virtual void actionClick() = 0;
    virtual void WyjscieClick() = 0;
    virtual void PomocClick() { }
    // What the free-space label says of the archive drive when it is chosen.
    virtual QString freeSpaceText(QChar drive, qint64 freeKb) const = 0;
    void reject() override; // no closing while files are copied

    QString dataDirectory() const; // "c:\Jadl\Dane_bar\"
    // Shows a folder in the archive lists / the data directory in the program
    // lists, without the list handlers' own questions; IoError when unreadable.
    void showArchiveFolder(const QString& drivePath);
    void showDataFolder();
    // The archive lists back at the program drive's "Jadl" folder; `missing` is
    // shown (with the drive) when that folder cannot be read.
    void pointArchiveListsHome(const QString& missing, const QString& missingTail);

    ArchiveControls c_;
    TModulDanych1* dm_ = nullptr;
    TableList programTables_;
    std::function<void(const QString&)> afterBlock_;
    bool busy_ = false;
    bool diskette_ = false; // the run in progress goes to or from a diskette
    std::optional<Pacer> pacer_; // of the file being copied

private:
    void wireLists();
};

} // namespace jadl::archive
