#pragma once
// A captioned group of exclusive radio items, chosen by number (-1: none), laid
// out in columns. Each item is named "Item<n>"; the group is named by its
// caption for screen readers.
#include <QGroupBox>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;

namespace jadl {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns = 1, QWidget* parent = nullptr);
    int itemIndex() const;
    // From code: the item is chosen (or all cleared for -1) without a click.
    void setItemIndex(int index);
    const QStringList& items() const { return items_; }
    QAbstractButton* item(int index) const;
    QButtonGroup* buttons() const { return buttons_; }

Q_SIGNALS:
    // Whenever an item becomes the chosen one, by the user or from code.
    void itemChosen(int index);

private:
    QStringList items_;
    QButtonGroup* buttons_;
};

} // namespace jadl
