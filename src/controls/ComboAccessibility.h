#pragma once
// Screen readers learn a combo box's name from its caption and its choice as its
// value. Qt's own interface for combo boxes on Linux reports the current text as
// the name, so a reader (or an outside UI test) hears "Nabiał" instead of
// "Grupa"; the interface installed here keeps the two apart.
namespace jadl {

// Installs the interface for every QComboBox of the program (once; later calls
// do nothing).
void installComboAccessibility();

} // namespace jadl
