#pragma once
// Data restore window: the user chooses an archive folder made by the backup,
// a RestoreJob brings its files back into the data directory all or nothing;
// the window asks the job's questions in message boxes and shows its progress.
#include "archive/ArchiveLayout.h"
#include "archive/TablesOffline.h"
#include "controls/ExitRoutedDialog.h"
#include "work/ArchiveFiles.h"
#include "work/RestoreStaging.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class TKopiowanieDanych;
class TModulDanych1;

namespace jadl::archive {
struct RestoreProgress;
struct RestoreResult;
} // namespace jadl::archive

namespace jadl {
class Table;
}

class TOdtwarzanieDanych : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TOdtwarzanieDanych(QWidget* parent = nullptr);
    ~TOdtwarzanieDanych() override;

    jadl::archive::DriveComboBox* Dyski;
    jadl::archive::DirectoryListBox* Katalogi;
    jadl::archive::FileListBox* Pliki;
    jadl::archive::FilterComboBox* Filtr;
    jadl::archive::DriveComboBox* DyskDlaArchiwum;
    jadl::archive::DirectoryListBox* KatalogDlaArchiwum;
    jadl::archive::FileListBox* PlikiArchiwum;

    // The data module whose tables the restore closes, the backup window (whose
    // four tables it leaves closed too) and every table of the program.
    void bindDataModule(TModulDanych1* dm) { dm_ = dm; }
    void setBackupWindow(const TKopiowanieDanych* backup) { backup_ = backup; }
    void setProgramTables(jadl::archive::TableList tables) { programTables_ = std::move(tables); }
    // The tables the restore leaves closed: the backup's four and the parameters.
    QList<jadl::Table*> tablesLeftClosed() const;
    static qint64 RozmiarPliku(const QString& realPath);
    // Points the archive lists back at the program drive's "Jadl" folder.
    void SprawdzKatalogArchiwum();

    // Results of the last run.
    qint64 archiveBytes() const { return archiveBytes_; }
    qint64 restoredBytes() const { return restoredBytes_; }

    // Test seam: the rename of the final step, to fail it at a chosen file.
    void setCommitRename(jadl::archive::RestoreStaging::RenameFn fn) { commitRename_ = std::move(fn); }
    // Called after every block read from an archive file (for fault tests: the
    // source may be damaged between blocks).
    void setAfterBlockHook(std::function<void(const QString& archiveFile)> hook) { afterBlock_ = std::move(hook); }

public Q_SLOTS:
    void DyskiChange();
    void KatalogiChange();
    void DyskDlaArchiwumChange();
    void DyskDlaArchiwumClick();
    void KatalogDlaArchiwumChange();
    void KatalogDlaArchiwumClick();
    void OdtworzClick();
    void PomocClick();
    void WyjscieClick();

protected:
    void reject() override; // no closing while files are restored

private:
    TModulDanych1* dm_ = nullptr;
    const TKopiowanieDanych* backup_ = nullptr;
    jadl::archive::TableList programTables_;
    void showStage(const jadl::archive::RestoreProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked);
    void showProgress(const jadl::archive::RestoreProgress& p);
    void report(const jadl::archive::RestoreResult& r);
    void showArchiveFolder(const QString& drivePath);
    QString dataDirectory() const; // "c:\Jadl\Dane_bar\"

    jadl::archive::ArchiveControls c_;
    bool busy_ = false;
    std::function<void(const QString&)> afterBlock_;

    // State of one run, as the display needs it.
    bool diskette_ = false;
    std::optional<jadl::archive::Pacer> pacer_; // of the file being restored
    qint64 archiveBytes_ = 0;
    qint64 restoredBytes_ = 0;
    jadl::archive::RestoreStaging::RenameFn commitRename_;

private:
    // --- controls, found by tests and tools through their object names
    QLabel* LabelDysk_katalog_pliki;
    QFrame* Panel1;
    QLabel* LabelDysk;
    QLabel* LabelKatalog;
    QLabel* LabelPliki;
    QLabel* LabelWybor_dysku_dlaOdtwarzania;
    QFrame* Panel2;
    QLabel* LabelDyskArchiwum;
    QLabel* LabelFolderArchiwum;
    QLabel* LabelPlikiarchiwum;
    QLabel* LabelIleMiejsca;
    QLabel* LabelKomunikat;
    QFrame* Panel3;
    QLabel* LabelOdtwarzam;
    QLabel* LabelDo;
    QLabel* LabelCoKopiuje;
    QLabel* LabelGdzieKopiuje;
    QLabel* LabelOdtworzono;
    QLabel* LabelProcent;
    QLabel* LabelLicznik;
    QLabel* LabelOdtwarzanieWszystko;
    QLabel* Label0Procent;
    QLabel* Label100Procent;
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar2;
    QPushButton* Odtworz;
    QPushButton* Pomoc;
    QPushButton* Wyjscie;
};
