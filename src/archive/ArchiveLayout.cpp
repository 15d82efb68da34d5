#include "archive/ArchiveLayout.h"

#include "archive/DriveWidgets.h"
#include "controls/Builders.h"
#include "platform/Drives.h"

#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace jadl::archive {

namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    describe(l, text);
    return l;
}

QFrame* panel(QWidget* parent, const QString& name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    return f;
}

template <class W>
W* control(QWidget* parent, const QString& name, const QString& caption, const QString& hint = {})
{
    auto* w = new W(parent);
    w->setObjectName(name);
    describe(w, caption, hint);
    return w;
}

QProgressBar* bar(QWidget* parent, const QString& name, const QString& caption)
{
    auto* b = control<QProgressBar>(parent, name, caption);
    b->setRange(0, 100);
    b->setValue(0);
    b->setTextVisible(false);
    return b;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    describe(b, caption, hint);
    return b;
}

} // namespace

namespace {

// The program's drive, folders and data files, on the left.
QLayout* programSide(QDialog* form, ArchiveControls& c)
{
    c.LabelDysk_katalog_pliki = label(form, QStringLiteral("LabelDysk_katalog_pliki"),
                                      QStringLiteral("Dysk, foldery i dane programu"));
    {
        QFont f = c.LabelDysk_katalog_pliki->font();
        f.setBold(true);
        c.LabelDysk_katalog_pliki->setFont(f);
        c.LabelDysk_katalog_pliki->setStyleSheet(QStringLiteral("color: navy;"));
    }
    c.Panel1 = panel(form, QStringLiteral("Panel1"));
    c.LabelDysk = label(c.Panel1, QStringLiteral("LabelDysk"), QStringLiteral("Dysk, na którym jest program"));
    c.LabelKatalog = label(c.Panel1, QStringLiteral("LabelKatalog"), QStringLiteral("Foldery programu"));
    c.LabelPliki = label(c.Panel1, QStringLiteral("LabelPliki"), QStringLiteral("Pliki danych programu"));
    c.Dyski = control<DriveComboBox>(form, QStringLiteral("Dyski"), QStringLiteral("Dysk, na którym jest program"));
    c.Dyski->setEnabled(false);
    c.Katalogi = control<DirectoryListBox>(form, QStringLiteral("Katalogi"), QStringLiteral("Foldery programu"));
    c.Pliki = control<FileListBox>(form, QStringLiteral("Pliki"), QStringLiteral("Pliki danych programu"));
    c.Filtr = control<FilterComboBox>(form, QStringLiteral("Filtr"), QStringLiteral("Rodzaj plików"));
    auto* p1 = new QGridLayout(c.Panel1);
    p1->addWidget(c.LabelDysk, 0, 0);
    p1->addWidget(c.Dyski, 1, 0);
    p1->addWidget(c.LabelKatalog, 2, 0);
    p1->addWidget(c.Katalogi, 3, 0);
    p1->addWidget(c.LabelPliki, 4, 0);
    p1->addWidget(c.Pliki, 5, 0);
    p1->addWidget(c.Filtr, 6, 0);
    auto* left = new QVBoxLayout;
    left->addWidget(c.LabelDysk_katalog_pliki);
    left->addWidget(c.Panel1, 1);
    return left;
}

// The archive's drive, folders and files, on the right.
QLayout* archiveSide(QDialog* form, const ArchiveCaptions& t, ArchiveControls& c)
{
    c.LabelWybor = label(form, t.chooseDrive.name, t.chooseDrive.text);
    {
        QFont f = c.LabelWybor->font();
        f.setBold(true);
        c.LabelWybor->setFont(f);
    }
    c.Panel2 = panel(form, QStringLiteral("Panel2"));
    c.LabelDyskArchiwum = label(c.Panel2, QStringLiteral("LabelDyskArchiwum"), t.archiveDriveLabel);
    c.LabelFolderArchiwum = label(c.Panel2, QStringLiteral("LabelFolderArchiwum"), QStringLiteral("Foldery archiwum"));
    c.LabelPlikiarchiwum = label(c.Panel2, QStringLiteral("LabelPlikiarchiwum"),
                                 QStringLiteral("Pliki archiwum programu"));
    c.DyskDlaArchiwum = control<DriveComboBox>(form, QStringLiteral("DyskDlaArchiwum"), t.archiveDriveLabel);
    c.KatalogDlaArchiwum = control<DirectoryListBox>(form, QStringLiteral("KatalogDlaArchiwum"),
                                                     QStringLiteral("Foldery archiwum"));
    c.PlikiArchiwum = control<FileListBox>(form, QStringLiteral("PlikiArchiwum"),
                                           QStringLiteral("Pliki archiwum programu"));
    c.LabelIleMiejsca = label(form, QStringLiteral("LabelIleMiejsca"), t.spaceLabel);
    auto* p2 = new QGridLayout(c.Panel2);
    p2->addWidget(c.LabelDyskArchiwum, 0, 0);
    p2->addWidget(c.DyskDlaArchiwum, 1, 0);
    p2->addWidget(c.LabelFolderArchiwum, 2, 0);
    p2->addWidget(c.KatalogDlaArchiwum, 3, 0);
    p2->addWidget(c.LabelPlikiarchiwum, 4, 0);
    p2->addWidget(c.PlikiArchiwum, 5, 0);
    p2->addWidget(c.LabelIleMiejsca, 6, 0);
    auto* right = new QVBoxLayout;
    right->addWidget(c.LabelWybor);
    right->addWidget(c.Panel2, 1);
    return right;
}

// The message line and the progress of the file and of the whole.
void progressPanel(QDialog* form, const ArchiveCaptions& t, ArchiveControls& c)
{
    c.LabelKomunikat = label(form, QStringLiteral("LabelKomunikat"), t.messageLabel);
    {
        QFont f = c.LabelKomunikat->font();
        f.setBold(true);
        c.LabelKomunikat->setFont(f);
        c.LabelKomunikat->setStyleSheet(QStringLiteral("color: red;"));
        c.LabelKomunikat->setAlignment(Qt::AlignCenter);
    }
    c.Panel3 = panel(form, QStringLiteral("Panel3"));
    c.LabelDoing = label(c.Panel3, t.doingLabel.name, t.doingLabel.text);
    c.LabelDo = label(c.Panel3, QStringLiteral("LabelDo"), QStringLiteral("Do :"));
    c.LabelCoKopiuje = label(c.Panel3, QStringLiteral("LabelCoKopiuje"), QString());
    c.LabelGdzieKopiuje = label(c.Panel3, QStringLiteral("LabelGdzieKopiuje"), QString());
    c.LabelDone = label(c.Panel3, t.doneLabel.name, t.doneLabel.text);
    c.LabelProcent = label(c.Panel3, QStringLiteral("LabelProcent"), QStringLiteral("%"));
    c.LabelLicznik = label(c.Panel3, QStringLiteral("LabelLicznik"), QString());
    c.LabelAll = label(c.Panel3, t.allLabel.name, t.allLabel.text);
    c.Label0Procent = label(c.Panel3, QStringLiteral("Label0Procent"), QStringLiteral("0 %"));
    c.Label100Procent = label(c.Panel3, QStringLiteral("Label100Procent"), QStringLiteral("100 %"));
    c.ProgressBar1 = bar(c.Panel3, QStringLiteral("ProgressBar1"), QStringLiteral("Postęp bieżącego pliku"));
    c.ProgressBar2 = bar(c.Panel3, QStringLiteral("ProgressBar2"), QStringLiteral("Postęp całości"));
    for (QLabel* l : {c.LabelCoKopiuje, c.LabelGdzieKopiuje})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* p3 = new QGridLayout(c.Panel3);
    p3->addWidget(c.LabelDoing, 0, 0);
    p3->addWidget(c.LabelCoKopiuje, 0, 1, 1, 3);
    p3->addWidget(c.LabelDo, 1, 0);
    p3->addWidget(c.LabelGdzieKopiuje, 1, 1, 1, 3);
    p3->addWidget(c.LabelDone, 2, 0);
    p3->addWidget(c.LabelProcent, 2, 1);
    p3->addWidget(c.LabelLicznik, 2, 3, Qt::AlignRight);
    p3->addWidget(c.ProgressBar1, 3, 0, 1, 4);
    p3->addWidget(c.LabelAll, 4, 0, 1, 4);
    p3->addWidget(c.Label0Procent, 5, 0);
    p3->addWidget(c.ProgressBar2, 5, 1, 1, 2);
    p3->addWidget(c.Label100Procent, 5, 3);
    p3->setColumnStretch(2, 1);
}

// The action, help and exit buttons.
QLayout* buttonRow(QDialog* form, const ArchiveCaptions& t, ArchiveControls& c)
{
    c.Action = button(form, t.actionButton.name, t.actionButton.text, t.actionHint);
    c.Pomoc = button(form, QStringLiteral("Pomoc"), QStringLiteral("&Pomoc"),
                     QStringLiteral("Pomoc dla tego formularza"));
    c.Wyjscie = button(form, QStringLiteral("Wyjscie"), QStringLiteral("&Wyjście"), t.exitHint);
    c.Action->setIcon(form->style()->standardIcon(QStyle::SP_DialogApplyButton));
    c.Pomoc->setIcon(form->style()->standardIcon(QStyle::SP_DialogHelpButton));
    c.Wyjscie->setIcon(form->style()->standardIcon(QStyle::SP_DialogCloseButton));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(c.Action);
    buttons->addWidget(c.Pomoc);
    buttons->addStretch(1);
    buttons->addWidget(c.Wyjscie);
    return buttons;
}

} // namespace

ArchiveControls buildArchiveControls(QDialog* form, const ArchiveCaptions& t)
{
    ArchiveControls c;
    auto* lists = new QHBoxLayout;
    lists->addLayout(programSide(form, c), 1);
    lists->addLayout(archiveSide(form, t, c), 1);
    progressPanel(form, t, c);
    QLayout* buttons = buttonRow(form, t, c);
    auto* main = new QVBoxLayout(form);
    main->addLayout(lists, 1);
    main->addWidget(c.LabelKomunikat);
    main->addWidget(c.Panel3);
    main->addLayout(buttons);
    return c;
}

void setLabelNow(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    label->repaint();
}

void setBarNow(QProgressBar* bar, int value)
{
    if (bar->value() == value)
        return;
    bar->setValue(value);
    bar->repaint();
}

void zeroProgress(const ArchiveControls& c)
{
    setBarNow(c.ProgressBar1, 0);
    setBarNow(c.ProgressBar2, 0);
    for (QLabel* l : {c.LabelCoKopiuje, c.LabelGdzieKopiuje, c.LabelLicznik, c.LabelProcent})
        setLabelNow(l, QString());
}

ButtonsLocked::ButtonsLocked(const ArchiveControls& c, bool& busy) : c_(c), busy_(busy)
{
    busy_ = true;
    for (QPushButton* b : {c_.Action, c_.Pomoc, c_.Wyjscie})
        b->setEnabled(false);
}

ButtonsLocked::~ButtonsLocked()
{
    for (QPushButton* b : {c_.Action, c_.Pomoc, c_.Wyjscie})
        b->setEnabled(true);
    busy_ = false;
}

void startListsOnProgramDrive(const ArchiveControls& c)
{
    using platform::Drives;
    using platform::IoError;
    try {
        const QChar drive = Drives::programDrive().toLower();
        c.Dyski->setDrive(drive);
        c.Katalogi->setDrive(drive);
        try {
            c.Katalogi->setDirectory(QString(drive) + QStringLiteral(":\\Jadl\\Dane_bar\\"));
        } catch (const IoError&) { }
        c.Pliki->setDirectory(c.Katalogi->directory());
        c.DyskDlaArchiwum->setDrive(drive);
        c.KatalogDlaArchiwum->setDrive(drive);
        try {
            c.KatalogDlaArchiwum->setDirectory(QString(drive) + QStringLiteral(":\\Jadl"));
        } catch (const IoError&) { }
        c.PlikiArchiwum->setDirectory(c.KatalogDlaArchiwum->directory());
    } catch (const IoError&) {
        // The program drive cannot be read: the lists stay empty until a run says so.
    }
}

} // namespace jadl::archive
