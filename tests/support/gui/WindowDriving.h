#pragma once
// Small helpers for driving the master-data windows as a user would and for
// reading back what reached the table files.
#include "controls/DBGrid.h"
#include "store/Table.h"
#include "support/core/TestServer.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QWidget>

#include <initializer_list>
#include <memory>
#include <utility>

namespace jadl::test {

using FieldValues = std::initializer_list<std::pair<const char*, QVariant>>;

// Appends and posts one record with the given field values.
inline void addRecord(Table& t, FieldValues values)
{
    t.append();
    for (const auto& [name, value] : values)
        t.fieldByName(QString::fromLatin1(name)).setValue(value);
    t.post();
}

// A second connection to a table file of the data directory: what is on disk.
inline std::unique_ptr<Table> onDisk(const QString& dataDir, const QString& file, const QString& index = {})
{
    auto t = std::make_unique<Table>();
    t->setDatabaseName(jadl::test::tablesOf(dataDir));
    t->setTableName(file);
    t->setIndexName(index);
    t->open();
    return t;
}

// Values of one field over every record of a table, in its order.
inline QVariantList column(Table& t, const QString& field)
{
    QVariantList values;
    for (t.first(); !t.eof(); t.next())
        values << t.fieldByName(field).value();
    return values;
}

// Shows a window and makes it the active one, so focus moves as for a user.
inline bool showActive(QWidget* w)
{
    w->show();
    w->activateWindow();
    w->raise();
    return QTest::qWaitForWindowActive(w);
}

// Types text key by key; letters beyond ASCII (Polish ones) come as key events
// carrying their text, as a keyboard layout delivers them.
inline void typeKeys(QWidget* edit, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(edit, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Puts the focus into an edit and types as a user would.
inline void typeInto(QWidget* edit, const QString& text)
{
    edit->setFocus(Qt::MouseFocusReason);
    typeKeys(edit, text);
}

// Replaces the whole text of an edit by typing.
inline void retype(QWidget* edit, const QString& text)
{
    edit->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        typeKeys(edit, text);
}

// Texts a grid shows in one column, top to bottom.
inline QStringList gridColumn(DBGrid* grid, int col)
{
    QStringList texts;
    QAbstractItemModel* m = grid->model();
    for (int row = 0; row < m->rowCount(); ++row)
        texts << m->data(m->index(row, col), Qt::DisplayRole).toString();
    return texts;
}

// Clicks the title of a grid column.
inline void clickTitle(DBGrid* grid, int col)
{
    QHeaderView* h = grid->horizontalHeader();
    const QPoint at(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace jadl::test
