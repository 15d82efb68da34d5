#include "shell/FormUtil.h"

#include <QDialog>
#include <QGuiApplication>
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

} // namespace jadl
