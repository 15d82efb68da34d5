#include "controls/RadioGroup.h"

#include "controls/Builders.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace jadl {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), items_(items), buttons_(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    const int perRow = std::max(columns, 1);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items.at(i), this);
        b->setObjectName(QStringLiteral("Item%1").arg(i));
        describe(b, items.at(i));
        buttons_->addButton(b, i);
        grid->addWidget(b, i / perRow, i % perRow);
    }
    describe(this, caption);
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Q_EMIT itemChosen(id);
    });
}

int RadioGroup::itemIndex() const
{
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index < 0 || index >= items_.size()) {
        // An exclusive group never unchecks its last item by itself.
        buttons_->setExclusive(false);
        for (QAbstractButton* b : buttons_->buttons())
            b->setChecked(false);
        buttons_->setExclusive(true);
        return;
    }
    buttons_->button(index)->setChecked(true);
}

QAbstractButton* RadioGroup::item(int index) const
{
    return buttons_->button(index);
}

} // namespace jadl
