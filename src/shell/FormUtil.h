#pragma once
// Small helpers every window uses when it is built.
#include <QString>

class QDialog;
class QWidget;

namespace jadl {

// Names the window after its instance, sets its title and size and centres it.
void initForm(QDialog* form, const QString& instanceName, const QString& title, int width, int height);
void centreOnScreen(QWidget* w);
// Gives a control its caption as accessible name and its hint as tool tip and
// accessible description (for screen readers and outside UI tests).
void describe(QWidget* control, const QString& caption, const QString& hint = {});

} // namespace jadl
