#pragma once
// Typed data is never dropped without the user's word. Windows that edit tables
// say which tables and how their own save runs; before a record with typing is
// left (a move, the window's exit) or its table is closed under the window
// (backup, restore, removal, the program's exit) the user is told which window
// holds it and chooses to save it, to discard it or to go back.
#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace jadl {

class Table;

enum class SaveStyle {
    ExplicitSave, // the window has its own "&Zapisz" with checks: leaving a changed record asks
    PostOnMove, // grid-edited: moves post as the engine does, but closing under it still asks
};

// Registers `window` as the editor of `tables`; `save` runs the window's own save
// (with its checks), which either stores the record or refuses it.
void registerEditor(QWidget* window, const QList<Table*>& tables, std::function<void()> save, SaveStyle style);

// For every table of `tables` that holds typing not yet saved, asks whether to
// save it (through its window's save), discard it or go back. Tables without
// typing in progress are left in browse state. false: the user chose to go back,
// or a save left the record unsaved; the caller then does nothing.
bool settlePendingEdits(const QList<Table*>& tables);

// The tables `window` registered as their editor.
QList<Table*> tablesEditedBy(const QWidget* window);

// What a grid-edited window does on its own exit: typing in progress is posted as
// a move would post it; a new record nobody wrote is dropped.
void postPendingEdits(const QList<Table*>& tables);

// The question asked for one window (exposed for tests).
QString unsavedChangesQuestion(const QString& windowTitle);
inline const QString kUnsavedChangesCaption = QStringLiteral("UWAGA");

} // namespace jadl
