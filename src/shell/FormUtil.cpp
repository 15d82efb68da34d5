#include "shell/FormUtil.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QString>

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
    QString name = caption;
    name.remove(QLatin1Char('&'));
    if (!name.isEmpty())
        control->setAccessibleName(name.trimmed());
    if (!hint.isEmpty()) {
        control->setToolTip(hint);
        control->setAccessibleDescription(hint);
    }
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

} // namespace jadl
