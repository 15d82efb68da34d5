#pragma once
// Small helpers every window uses when it is built.
#include <QString>
#include <QStyle>

#include <optional>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace jadl {

// Names the window after its instance, sets its title and size and centres it.
void initForm(QDialog* form, const QString& instanceName, const QString& title, int width, int height);
void centreOnScreen(QWidget* w);
// Gives a control its caption as accessible name and its hint as tool tip and
// accessible description (for screen readers and outside UI tests).
void describe(QWidget* control, const QString& caption, const QString& hint = {});

// Builders of the controls every window has: each gets its component name as
// object name, and its caption and hint for screen readers.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption);
// A push button that Enter in an edit never presses; an optional glyph.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = {},
                        std::optional<QStyle::StandardPixmap> glyph = std::nullopt);
// A plain edit named by its caption label (the label becomes its buddy).
QLineEdit* makeLineEdit(QWidget* parent, const char* name, QLabel* caption = nullptr, const QString& hint = {});

// Makes `caption` the buddy label of `control` and describes the control by it.
void labelFor(QLabel* caption, QWidget* control, const QString& hint = {});

// A data-aware control bound to a field, named by its caption label.
template <class Control, class Source>
Control* makeBound(QWidget* parent, const char* name, Source* source, const QString& field,
                   QLabel* caption = nullptr, const QString& hint = {})
{
    auto* c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    if (source)
        c->setDataSource(source);
    c->setDataField(field);
    labelFor(caption, c, hint);
    return c;
}

} // namespace jadl
