#pragma once
// What the two windows that keep the owners table (restaurants) share: the
// active mark in both its fields, the symbol copied into the name as it is
// typed, and the moment the symbol edit is left for another control.
#include <functional>

class QCheckBox;
class QWidget;

namespace jadl {
class DBEdit;
class Table;
} // namespace jadl

namespace jadl::owners {

// The logical `Aktywny` and its text `AktywnyString` ("TAK" / "NIE") together.
void writeActiveMark(Table& owners, bool active);

// While a record is edited and `copy` is checked, the name takes the symbol's text.
void copySymbolToName(Table& owners, DBEdit& symbol, DBEdit& name, const QCheckBox& copy);

// Runs `left` (guarded) whenever `edit` loses the focus to another control of
// its window, not when the window itself is left; the edit's pending text is
// written into its field first.
void whenSymbolLeft(DBEdit* edit, std::function<void()> left);

} // namespace jadl::owners
