#include "masterdata/FormParts.h"

#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBMemo.h"
#include "controls/DBNavigator.h"
#include "shell/FormUtil.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace jadl::dictionary {

DBGrid* makeGrid(QWidget* form, DataSource* source, const ColumnTitles& columns, const QString& caption)
{
    auto* grid = new DBGrid(form);
    grid->setObjectName(QStringLiteral("DBGrid1"));
    for (const auto& [field, title] : columns)
        grid->addColumn(field, title);
    if (source)
        grid->setDataSource(source);
    describe(grid, caption);
    return grid;
}

DBNavigator* makeEditNavigator(QDialog* form, DataSource* source)
{
    auto* nav = new DBNavigator(form);
    nav->setObjectName(QStringLiteral("DBNavigator1"));
    nav->setVisibleButtons({DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post,
                            DBNavigator::Cancel});
    nav->setHints({QStringLiteral("Dodaj"), QStringLiteral("Usuń"), QStringLiteral("Edytuj"), QStringLiteral("Zapisz"),
                   QStringLiteral("Anuluj")});
    if (source)
        nav->setDataSource(source);
    return nav;
}

DBNavigator* makeFullNavigator(QWidget* form, DataSource* source, const QStringList& hints)
{
    auto* nav = new DBNavigator(form);
    nav->setObjectName(QStringLiteral("DBNavigator1"));
    nav->setHints(hints);
    if (source)
        nav->setDataSource(source);
    return nav;
}

QPushButton* makeCloseButton(QDialog* form, const QString& name, const QString& hint)
{
    auto* b = new QPushButton(QStringLiteral("&Wyjście"), form);
    b->setObjectName(name);
    b->setAutoDefault(false);
    describe(b, b->text(), hint);
    return b;
}

void arrange(QDialog* form, DBNavigator* navigator, DBGrid* grid, QPushButton* close)
{
    auto* column = new QVBoxLayout(form);
    column->addWidget(navigator);
    column->addWidget(grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    column->addLayout(buttons);
}

} // namespace jadl::dictionary

namespace jadl::formparts {

QLabel* caption(QWidget* parent, const QString& name, const QString& text, QWidget* control)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(control);
    describe(control, text);
    return label;
}

DBEdit* boundEdit(QWidget* parent, const QString& name, DataSource* source, const QString& field)
{
    auto* edit = new DBEdit(parent);
    edit->setObjectName(name);
    edit->setDataField(field);
    if (source)
        edit->setDataSource(source);
    return edit;
}

DBCheckBox* boundCheckBox(QWidget* parent, const QString& name, const QString& text, DataSource* source,
                          const QString& field)
{
    auto* box = new DBCheckBox(parent);
    box->setObjectName(name);
    box->setText(text);
    box->setValueChecked(QStringLiteral("True"));
    box->setValueUnchecked(QStringLiteral("False"));
    box->setDataField(field);
    if (source)
        box->setDataSource(source);
    describe(box, text);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& text, bool checked)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    describe(box, text);
    return box;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, const QString& hint)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    describe(b, text, hint);
    return b;
}

void writePendingTyping(QWidget* form)
{
    for (DBEdit* e : form->findChildren<DBEdit*>())
        e->updateRecord();
    for (DBMemo* m : form->findChildren<DBMemo*>())
        m->updateRecord();
    for (DBComboBox* c : form->findChildren<DBComboBox*>())
        c->updateRecord();
}

} // namespace jadl::formparts
