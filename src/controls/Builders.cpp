#include "controls/Builders.h"

#include "controls/ComboAccessibility.h"
#include "controls/DBCheckBox.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/DBNavigator.h"

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QTableWidgetItem>
#include <QVBoxLayout>

namespace jadl {

void initForm(QDialog* form, const QString& instanceName, const QString& title, int width, int height)
{
    form->setObjectName(instanceName);
    form->setWindowTitle(title);
    form->resize(width, height);
    form->setSizeGripEnabled(true);
    centreOnScreen(form);
}

void centreOnScreen(QWidget* w)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
}

void describe(QWidget* control, const QString& caption, const QString& hint)
{
    installComboAccessibility();
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (!name.isEmpty())
        control->setAccessibleName(name.trimmed());
    if (!hint.isEmpty()) {
        control->setToolTip(hint);
        control->setAccessibleDescription(hint);
    }
}

QWidget* makePanel(QWidget* parent, const char* name, const QString& hint)
{
    auto* p = new QFrame(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setFrameShape(QFrame::StyledPanel);
    if (!hint.isEmpty())
        p->setToolTip(hint);
    return p;
}

void setNavyBold(QWidget* w)
{
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
    QPalette p = w->palette();
    const QColor navy(0, 0, 128);
    p.setColor(QPalette::WindowText, navy);
    p.setColor(QPalette::ButtonText, navy);
    p.setColor(QPalette::Text, navy);
    w->setPalette(p);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                        std::optional<QStyle::StandardPixmap> glyph)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (glyph)
        b->setIcon(parent->style()->standardIcon(*glyph));
    b->setAutoDefault(false);
    b->setDefault(false);
    describe(b, caption, hint);
    return b;
}

QLineEdit* makeLineEdit(QWidget* parent, const char* name, QLabel* caption, const QString& hint)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    labelFor(caption, e, hint);
    return e;
}

void labelFor(QLabel* caption, QWidget* control, const QString& hint)
{
    if (caption)
        caption->setBuddy(control);
    describe(control, caption ? caption->text() : QString(), hint);
}

QLabel* makeCaption(QWidget* parent, const char* name, const QString& caption, QWidget* control)
{
    QLabel* label = makeLabel(parent, name, caption);
    labelFor(label, control);
    return label;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& text, bool checked)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    describe(box, text);
    return box;
}

DBCheckBox* makeBoundCheckBox(QWidget* parent, const char* name, const QString& text, DataSource* source,
                              const QString& field)
{
    auto* box = makeBound<DBCheckBox>(parent, name, source, field);
    box->setText(text);
    box->setValueChecked(QStringLiteral("True"));
    box->setValueUnchecked(QStringLiteral("False"));
    describe(box, text);
    return box;
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

DBGrid* makeDictionaryGrid(QWidget* form, DataSource* source, const ColumnTitles& columns, const QString& caption)
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
    nav->setVisibleButtons(
        {DBNavigator::Insert, DBNavigator::Delete, DBNavigator::Edit, DBNavigator::Post, DBNavigator::Cancel});
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

QPushButton* makeCloseButton(QDialog* form, const char* name, const QString& hint)
{
    return makeButton(form, name, QStringLiteral("&Wyjście"), hint);
}

void arrangeDictionary(QDialog* form, DBNavigator* navigator, DBGrid* grid, QPushButton* close)
{
    auto* column = new QVBoxLayout(form);
    column->addWidget(navigator);
    column->addWidget(grid, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    column->addLayout(buttons);
}

} // namespace jadl

namespace jadl {

std::pair<QPushButton*, QPushButton*> makeMonthButtons(QWidget* parent)
{
    QPushButton* prior = makeButton(parent, "PoprzedniMc", QString(), QStringLiteral("Poprzedni miesiąc"));
    prior->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowLeft));
    prior->setAccessibleName(QStringLiteral("Poprzedni miesiąc"));
    QPushButton* next = makeButton(parent, "NastepnyMc", QString(), QStringLiteral("Następny miesiąc"));
    next->setIcon(parent->style()->standardIcon(QStyle::SP_ArrowRight));
    next->setAccessibleName(QStringLiteral("Następny miesiąc"));
    return {prior, next};
}

QTableWidgetItem* makeCell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace jadl
