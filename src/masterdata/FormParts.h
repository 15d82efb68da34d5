#pragma once
// Building blocks of the master-data windows: the dictionary windows' grid,
// navigator bar and close button, and captioned data-bound edits.
#include "controls/DBGrid.h"

#include <QList>
#include <utility>
#include <QString>

class QCheckBox;
class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace jadl {
class DataSource;
class DBCheckBox;
class DBEdit;
class DBNavigator;
}

namespace jadl::dictionary {

// Columns as (field, title) pairs; an empty title shows the field's own label.
using ColumnTitles = QList<std::pair<QString, QString>>;
DBGrid* makeGrid(QWidget* form, DataSource* source, const ColumnTitles& columns, const QString& caption);
// The navigator with insert, delete, edit, post and cancel only.
DBNavigator* makeEditNavigator(QDialog* form, DataSource* source);
// All ten buttons with the given hints, in the bar's order.
DBNavigator* makeFullNavigator(QWidget* form, DataSource* source, const QStringList& hints);
QPushButton* makeCloseButton(QDialog* form, const QString& name, const QString& hint);
void arrange(QDialog* form, DBNavigator* navigator, DBGrid* grid, QPushButton* close);

} // namespace jadl::dictionary

namespace jadl::formparts {

// A caption label (buddy of `control`) whose text also names the control for
// screen readers.
QLabel* caption(QWidget* parent, const QString& name, const QString& text, QWidget* control);
DBEdit* boundEdit(QWidget* parent, const QString& name, DataSource* source, const QString& field);
DBCheckBox* boundCheckBox(QWidget* parent, const QString& name, const QString& text, DataSource* source,
                          const QString& field);
QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& text, bool checked);
QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& hint = {});
// Writes text typed into the data-bound controls of `form` that is not yet in
// its field (a click from code does not move the focus out of the edit).
void writePendingTyping(QWidget* form);

} // namespace jadl::formparts
