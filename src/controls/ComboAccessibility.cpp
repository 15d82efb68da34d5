#include "controls/ComboAccessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

#include <mutex>

namespace jadl {

namespace {

class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return combo()->isEditable() && combo()->lineEdit() ? combo()->lineEdit()->text() : combo()->currentText();
        // The name: the caption given to the control, else what its buddy label says.
        return QAccessibleWidget::text(t);
    }

    // The edit of an editable combo box, then the list it drops down.
    int childCount() const override { return int(children().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QObject*> c = children();
        return index >= 0 && index < c.size() ? QAccessible::queryAccessibleInterface(c.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(children().indexOf(child->object())) : -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view() && combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    QList<QObject*> children() const
    {
        QList<QObject*> out;
        if (combo()->isEditable() && combo()->lineEdit())
            out << combo()->lineEdit();
        if (combo()->view())
            out << combo()->view();
        return out;
    }
};

QAccessibleInterface* comboFactory(const QString&, QObject* object)
{
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return new ComboAccessible(combo); // Qt's accessibility cache owns it
    return nullptr;
}

} // namespace

void installComboAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(comboFactory); });
}

} // namespace jadl
