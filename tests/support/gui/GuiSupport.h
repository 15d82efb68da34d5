#pragma once
// Shared fixtures of the widget tests: finding the program's windows and tables
// and running the main window's commands as a user would.
#include <QObject>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace jadl {
class Table;
}

namespace jadl::test {

// The top-level window of that object name, or nullptr.
QWidget* topLevel(const QString& name);
// A table of the data module, or the units' or VAT rates' window table, by its name.
Table* tableNamed(const QString& name);
// Clicks the main window's tool button, or triggers its menu item, of that name.
void runCommand(const QString& command);

// A window's control by its object name, as outside UI tools find it; a test
// that asks for a control the window lacks stops there.
template <class T>
T* child(const QObject* window, const char* name)
{
    T* c = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    if (!c)
        qFatal("%s has no control %s", window ? qPrintable(window->objectName()) : "(no window)", name);
    return c;
}

} // namespace jadl::test
