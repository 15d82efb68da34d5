#pragma once
// Shared fixtures of the widget tests: finding the program's windows and tables
// and running the main window's commands as a user would.
#include <QString>

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

} // namespace jadl::test
