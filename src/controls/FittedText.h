#pragma once
// A read-only edit that shows a whole number: when its text is wider than the
// edit, the font gets smaller (down to a legible floor), and past that floor the
// edit widens. Digits are never cut or turned into another notation.
class QLineEdit;

namespace jadl {

// Keeps `edit` fitting its text from now on (at every text change and resize).
void fitTextToWidth(QLineEdit* edit);

// Width in pixels the edit's text area offers.
int textAreaWidth(const QLineEdit* edit);

} // namespace jadl
