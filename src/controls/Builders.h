#pragma once
// The one set of builders every window uses for its labels, edits, buttons,
// bound controls and dictionary grids: each control gets its component name as
// object name, and its caption and hint for screen readers.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStyle>

#include <optional>
#include <utility>

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidgetItem;
class QWidget;

namespace jadl {

class DataSource;
class DBCheckBox;
class DBGrid;
class DBNavigator;

// Names the window after its instance, sets its title and size and centres it.
void initForm(QDialog* form, const QString& instanceName, const QString& title, int width, int height);
void centreOnScreen(QWidget* w);
// Gives a control its caption as accessible name and its hint as tool tip and
// accessible description (for screen readers and outside UI tests).
void describe(QWidget* control, const QString& caption, const QString& hint = {});

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption);
// A caption label that is the buddy of `control` and names it for screen readers.
QLabel* makeCaption(QWidget* parent, const char* name, const QString& caption, QWidget* control);
// A push button that Enter in an edit never presses; an optional glyph.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint = {},
                        std::optional<QStyle::StandardPixmap> glyph = std::nullopt);
// A plain edit named by its caption label (the label becomes its buddy).
QLineEdit* makeLineEdit(QWidget* parent, const char* name, QLabel* caption = nullptr, const QString& hint = {});

// A framed panel, with an optional hint.
QWidget* makePanel(QWidget* parent, const char* name, const QString& hint = {});
// Bold navy text, as the purchase windows mark their headings.
void setNavyBold(QWidget* w);

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& text, bool checked);

// The pair of arrow buttons "PoprzedniMc" and "NastepnyMc" that step a calendar by a month.
std::pair<QPushButton*, QPushButton*> makeMonthButtons(QWidget* parent);

// A cell of a read-only list grid; numbers right-aligned.
QTableWidgetItem* makeCell(const QString& text, bool number = false);

// Makes `caption` the buddy label of `control` and describes the control by it.
void labelFor(QLabel* caption, QWidget* control, const QString& hint = {});

// A data-aware control bound to a field, named by its caption label.
template <class Control, class Source>
Control* makeBound(QWidget* parent, const char* name, Source* source, const QString& field, QLabel* caption = nullptr,
                   const QString& hint = {})
{
    auto* c = new Control(parent);
    c->setObjectName(QString::fromLatin1(name));
    if (source)
        c->setDataSource(source);
    c->setDataField(field);
    labelFor(caption, c, hint);
    return c;
}

// A data-aware check box of a logical field, with its own text.
DBCheckBox* makeBoundCheckBox(QWidget* parent, const char* name, const QString& text, DataSource* source,
                              const QString& field);

// Writes text typed into the data-bound controls of `form` that is not yet in
// its field (a click from code does not move the focus out of the edit).
void writePendingTyping(QWidget* form);

// --- the dictionary windows: a grid, a navigator bar and a close button

// Columns as (field, title) pairs; an empty title shows the field's own label.
using ColumnTitles = QList<std::pair<QString, QString>>;
DBGrid* makeDictionaryGrid(QWidget* form, DataSource* source, const ColumnTitles& columns, const QString& caption);
// The navigator with insert, delete, edit, post and cancel only.
DBNavigator* makeEditNavigator(QDialog* form, DataSource* source);
// All ten buttons with the given hints, in the bar's order.
DBNavigator* makeFullNavigator(QWidget* form, DataSource* source, const QStringList& hints);
QPushButton* makeCloseButton(QDialog* form, const char* name, const QString& hint);
void arrangeDictionary(QDialog* form, DBNavigator* navigator, DBGrid* grid, QPushButton* close);

} // namespace jadl
