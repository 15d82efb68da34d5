#pragma once
// Data backup window: the user chooses the archive drive, a BackupJob copies
// the data directory there; the window asks the job's questions in message
// boxes and shows the progress it reports.
#include "archive/ArchiveLayout.h"
#include "archive/TablesOffline.h"
#include "controls/ExitRoutedDialog.h"
#include "work/ArchiveFiles.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class TModulDanych1;

namespace jadl::archive {
struct BackupProgress;
}

namespace jadl {
class Table;
}

class TKopiowanieDanych : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TKopiowanieDanych(QWidget* parent = nullptr);

    jadl::archive::DriveComboBox* Dyski;
    jadl::archive::DirectoryListBox* Katalogi;
    jadl::archive::FileListBox* Pliki;
    jadl::archive::FilterComboBox* Filtr;
    jadl::archive::DriveComboBox* DyskDlaArchiwum;
    jadl::archive::DirectoryListBox* KatalogDlaArchiwum;
    jadl::archive::FileListBox* PlikiArchiwum;

    // The data module whose tables the backup closes, and every table of the
    // program (both given by the start-up).
    void bindDataModule(TModulDanych1* dm) { dm_ = dm; }
    void setProgramTables(jadl::archive::TableList tables) { programTables_ = std::move(tables); }
    // The four tables the backup closes and leaves closed (the windows that need
    // them open them again).
    QList<jadl::Table*> ZamknijTabeleDanych() const;
    // Size in bytes of a file (real path), 0 when there is none.
    static qint64 RozmiarPliku(const QString& realPath);
    // Points the archive lists back at the program drive's "Jadl" folder.
    void SprawdzKatalogDanych();
    void ZerujPostep();

    // Results of the last run.
    qint64 totalBytes() const { return totalBytes_; }
    qint64 copiedBytes() const { return copiedBytes_; }
    int disketteCount() const { return disketteCount_; }

    // Test seam: runs after every block written, with the real path of the copy.
    void setAfterBlockHook(std::function<void(const QString& realCopy)> hook) { afterBlock_ = std::move(hook); }

public Q_SLOTS:
    void DyskiChange();
    void KatalogiChange();
    void DyskDlaArchiwumChange();
    void DyskDlaArchiwumClick();
    void KatalogDlaArchiwumChange();
    void KatalogDlaArchiwumClick();
    void KopiujClick();
    void PomocClick();
    void WyjscieClick();

protected:
    void reject() override; // no closing while files are copied

private:
    TModulDanych1* dm_ = nullptr;
    jadl::archive::TableList programTables_;
    std::function<void(const QString&)> afterBlock_;
    enum class Labels { Copy, Delete, Hidden };
    void setLabels(Labels which);
    void setWhatWhere(const QString& from, const QString& to);
    void showStage(const jadl::archive::BackupProgress& p, std::optional<jadl::archive::ButtonsLocked>& locked);
    void showProgress(const jadl::archive::BackupProgress& p);
    void showDeleted(const jadl::archive::BackupProgress& p);
    static void selectAllIn(jadl::archive::FileListBox* list);
    void completion(bool complete);
    // Shows a folder in the archive lists / the data directory in the program lists,
    // without the list handlers' own questions; IoError when it cannot be read.
    void showArchiveFolder(const QString& drivePath);
    void showDataFolder();
    QString dataDirectory() const; // "c:\Jadl\Dane_bar\"
    qint64 freeKb(QChar letter) const; // throws IoError

    jadl::archive::ArchiveControls c_;
    bool busy_ = false;

    // State of one run, as the display needs it.
    QString archiveRoot_; // "d:\"
    QString archiveParent_; // where the day's folders go
    bool diskette_ = false;
    std::optional<jadl::archive::Pacer> pacer_; // of the file being copied
    qint64 totalBytes_ = 0;
    qint64 copiedBytes_ = 0;
    int disketteCount_ = 0;

private:
    // --- controls, found by tests and tools through their object names
    QLabel* LabelDysk_katalog_pliki;
    QFrame* Panel1;
    QLabel* LabelDysk;
    QLabel* LabelKatalog;
    QLabel* LabelPliki;
    QLabel* LabelWybor_dysku_dlaKopii;
    QFrame* Panel2;
    QLabel* LabelDyskArchiwum;
    QLabel* LabelFolderArchiwum;
    QLabel* LabelPlikiarchiwum;
    QLabel* LabelIleMiejsca;
    QLabel* LabelKomunikat;
    QFrame* Panel3;
    QLabel* LabelKopiuje;
    QLabel* LabelDo;
    QLabel* LabelCoKopiuje;
    QLabel* LabelGdzieKopiuje;
    QLabel* LabelSkopiowano;
    QLabel* LabelProcent;
    QLabel* LabelLicznik;
    QLabel* LabelKopiaWszystko;
    QLabel* Label0Procent;
    QLabel* Label100Procent;
    QProgressBar* ProgressBar1;
    QProgressBar* ProgressBar2;
    QPushButton* Kopiuj;
    QPushButton* Pomoc;
    QPushButton* Wyjscie;
};
