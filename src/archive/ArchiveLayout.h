#pragma once
// The layout the backup and restore windows share: the program's drive, folders
// and data files on the left, the archive drive, folders and files on the right,
// the progress panel and the buttons below. Each window names the controls that
// differ and keeps the pointers as its own members.
#include "archive/DriveWidgets.h"

#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace jadl::archive {

struct NamedText {
    QString name; // object name
    QString text; // caption
};

struct ArchiveCaptions {
    NamedText chooseDrive; // "Wybór dysku dla kopii danych prog."
    QString archiveDriveLabel; // caption of LabelDyskArchiwum
    QString spaceLabel; // first caption of LabelIleMiejsca
    QString messageLabel; // first caption of LabelKomunikat
    NamedText doingLabel; // "Kopiuję :"
    NamedText doneLabel; // "Skopiowano "
    NamedText allLabel; // "Kopia wszystkich danych"
    NamedText actionButton; // "&Kopiuj"
    QString actionHint;
    QString exitHint;
};

struct ArchiveControls {
    QLabel* LabelDysk_katalog_pliki = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* LabelDysk = nullptr;
    QLabel* LabelKatalog = nullptr;
    QLabel* LabelPliki = nullptr;
    DriveComboBox* Dyski = nullptr;
    DirectoryListBox* Katalogi = nullptr;
    FileListBox* Pliki = nullptr;
    FilterComboBox* Filtr = nullptr;
    QLabel* LabelWybor = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* LabelDyskArchiwum = nullptr;
    QLabel* LabelFolderArchiwum = nullptr;
    QLabel* LabelPlikiarchiwum = nullptr;
    DriveComboBox* DyskDlaArchiwum = nullptr;
    DirectoryListBox* KatalogDlaArchiwum = nullptr;
    FileListBox* PlikiArchiwum = nullptr;
    QLabel* LabelIleMiejsca = nullptr;
    QLabel* LabelKomunikat = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* LabelDoing = nullptr; // LabelKopiuje / LabelOdtwarzam
    QLabel* LabelDo = nullptr;
    QLabel* LabelCoKopiuje = nullptr;
    QLabel* LabelGdzieKopiuje = nullptr;
    QLabel* LabelDone = nullptr; // LabelSkopiowano / LabelOdtworzono
    QLabel* LabelProcent = nullptr;
    QLabel* LabelLicznik = nullptr;
    QLabel* LabelAll = nullptr; // LabelKopiaWszystko / LabelOdtwarzanieWszystko
    QLabel* Label0Procent = nullptr;
    QLabel* Label100Procent = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QPushButton* Action = nullptr; // Kopiuj / Odtworz
    QPushButton* Pomoc = nullptr;
    QPushButton* Wyjscie = nullptr;
};

ArchiveControls buildArchiveControls(QDialog* form, const ArchiveCaptions& captions);

// Points the lists at the program drive: its data directory on the left, its
// installation folder on the right. A drive that cannot be read leaves them empty.
void startListsOnProgramDrive(const ArchiveControls& c);

// Sets a label's text and, when it changed, repaints it at once (the copy runs
// inside a handler and does not return to the event loop).
void setLabelNow(QLabel* label, const QString& text);
void setBarNow(QProgressBar* bar, int value);

// Both bars to 0; the what/where, counter and percent labels emptied.
void zeroProgress(const ArchiveControls& c);

// Enables or disables the action, help and exit buttons for the length of a run.
class ButtonsLocked {
public:
    explicit ButtonsLocked(const ArchiveControls& c, bool& busy);
    ~ButtonsLocked();
    ButtonsLocked(const ButtonsLocked&) = delete;
    ButtonsLocked& operator=(const ButtonsLocked&) = delete;

private:
    const ArchiveControls& c_;
    bool& busy_;
};

} // namespace jadl::archive
