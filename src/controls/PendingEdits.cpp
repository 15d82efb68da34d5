#include "controls/PendingEdits.h"

#include "platform/Messages.h"
#include "store/Table.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace jadl {

namespace {

struct Editor {
    QPointer<QWidget> window;
    QList<QPointer<Table>> tables;
    std::function<void()> save;
    SaveStyle style;
    bool holds(const Table* t) const
    {
        for (const QPointer<Table>& p : tables)
            if (p == t)
                return true;
        return false;
    }
};

std::vector<Editor>& editors()
{
    static std::vector<Editor> list;
    return list;
}

bool pending(const Table* t)
{
    return t && t->active() && t->editing();
}

// The window where the user is working on `t`: a visible editor that no modal
// window blocks, the explicit-save ones first.
const Editor* workingEditor(const Table* t, bool explicitOnly)
{
    const QWidget* modal = QApplication::activeModalWidget();
    const Editor* found = nullptr;
    for (const Editor& e : editors()) {
        if (!e.window || !e.holds(t) || e.window->isHidden())
            continue;
        if (explicitOnly && e.style != SaveStyle::ExplicitSave)
            continue;
        if (modal && modal != e.window && !e.window->isAncestorOf(modal))
            continue;
        if (!found || (e.style == SaveStyle::ExplicitSave && found->style != SaveStyle::ExplicitSave))
            found = &e;
    }
    return found;
}

// Any editor of `t`, visible ones first: the window the typing belongs to.
const Editor* ownerOf(const Table* t)
{
    const Editor* visible = workingEditor(t, false);
    if (visible)
        return visible;
    for (const Editor& e : editors())
        if (e.window && e.holds(t))
            return &e;
    return nullptr;
}

LeaveAction askOnLeave(Table& t)
{
    const Editor* e = workingEditor(&t, true);
    if (!e)
        return LeaveAction::Post;
    switch (platform::askYesNoCancel(unsavedChangesQuestion(e->window->windowTitle()), kUnsavedChangesCaption)) {
    case platform::Choice::Yes:
        e->save();
        return LeaveAction::Saved;
    case platform::Choice::No:
        return LeaveAction::Discard;
    case platform::Choice::Cancel:
        break;
    }
    return LeaveAction::Stay;
}

} // namespace

QString unsavedChangesQuestion(const QString& windowTitle)
{
    return QStringLiteral("W OKNIE \"%1\" SĄ NIEZAPISANE ZMIANY. ZAPISAĆ JE?").arg(windowTitle);
}

void registerEditor(QWidget* window, const QList<Table*>& tables, std::function<void()> save, SaveStyle style)
{
    Editor e{window, {}, std::move(save), style};
    for (Table* t : tables) {
        if (!t)
            continue;
        e.tables.append(t);
        if (style == SaveStyle::ExplicitSave)
            t->setLeaveRecord(askOnLeave);
    }
    editors().push_back(std::move(e));
    // Windows live for the whole run; one that goes is forgotten.
    QObject::connect(window, &QObject::destroyed, [window] {
        auto& list = editors();
        std::erase_if(list, [window](const Editor& x) { return x.window == window || !x.window; });
    });
}

bool settlePendingEdits(const QList<Table*>& tables)
{
    QList<Table*> seen;
    for (Table* t : tables) {
        if (!pending(t) || seen.contains(t))
            continue;
        seen.append(t);
        // Text still in an edit or a grid cell is part of what would be lost.
        t->updateRecord();
        if (!t->hasUnsavedChanges()) {
            t->cancel();
            continue;
        }
        const Editor* e = ownerOf(t);
        const QString where = e ? e->window->windowTitle() : t->objectName();
        switch (platform::askYesNoCancel(unsavedChangesQuestion(where), kUnsavedChangesCaption)) {
        case platform::Choice::Yes:
            if (e)
                e->save();
            else
                t->post();
            if (pending(t))
                return false; // the window's checks kept the record for correction
            break;
        case platform::Choice::No:
            t->cancel();
            break;
        case platform::Choice::Cancel:
            return false;
        }
    }
    return true;
}

QList<Table*> tablesEditedBy(const QWidget* window)
{
    QList<Table*> out;
    for (const Editor& e : editors()) {
        if (e.window != window)
            continue;
        for (const QPointer<Table>& t : e.tables)
            if (t && !out.contains(t.data()))
                out.append(t.data());
    }
    return out;
}

void postPendingEdits(const QList<Table*>& tables)
{
    for (Table* t : tables) {
        if (!pending(t))
            continue;
        t->updateRecord();
        if (t->hasUnsavedChanges())
            t->post();
        else
            t->cancel();
    }
}

} // namespace jadl
