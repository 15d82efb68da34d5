#include "controls/DBCheckBox.h"

namespace jadl {

DBCheckBox::DBCheckBox(QWidget* parent) : QCheckBox(parent), link_(new FieldLink(this))
{
    link_->onDataChange = [this] { showField(); };
    link_->onUpdateData = [this] { writeField(); };
    link_->onStateChange = [this] { applyState(); };
    showField();
    applyState();
}

void DBCheckBox::setValueChecked(const QString& v)
{
    valueChecked_ = v;
    showField();
}

void DBCheckBox::setValueUnchecked(const QString& v)
{
    valueUnchecked_ = v;
    showField();
}

void DBCheckBox::showField()
{
    const Field* f = link_->field();
    bool on = false;
    if (f && !f->isNull()) {
        if (f->dataType() == FieldType::Logical)
            on = f->asBoolean();
        else
            on = f->asString().compare(valueChecked_, Qt::CaseInsensitive) == 0;
    }
    // Record-driven changes send toggled() too, as a click handler of the
    // classic box would run; toggledByUser() is the user's own toggling.
    if (isChecked() != on)
        setChecked(on);
}

void DBCheckBox::applyState()
{
    link_->followActive(this);
}

void DBCheckBox::nextCheckState()
{
    // A click on a record that may not be edited leaves the box as it is.
    if (!link_->edit())
        return;
    QCheckBox::nextCheckState();
    link_->setModified(true);
    link_->updateRecord();
    Q_EMIT toggledByUser(isChecked());
}

void DBCheckBox::writeField()
{
    Field* f = link_->field();
    if (!f)
        return;
    if (f->dataType() == FieldType::Logical)
        f->setBoolean(isChecked());
    else
        f->setString(isChecked() ? valueChecked_ : valueUnchecked_);
}

} // namespace jadl
