#include "controls/DBComboBox.h"

#include "controls/DBEdit.h"
#include "platform/Messages.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace jadl {

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent), link_(new FieldLink(this))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Typed text stays as typed: no completion from the items.
    setCompleter(nullptr);
    link_->onDataChange = [this] { showField(); };
    link_->onUpdateData = [this] { writeField(); };
    link_->onStateChange = [this] { applyState(); };
    connect(lineEdit(), &QLineEdit::textEdited, this, &DBComboBox::userChanged);
    connect(this, &QComboBox::activated, this, [this](int) { userChanged(); });
    showField();
    applyState();
}

QStringList DBComboBox::items() const
{
    QStringList list;
    list.reserve(count());
    for (int i = 0; i < count(); ++i)
        list << itemText(i);
    return list;
}

void DBComboBox::setItems(const QStringList& list)
{
    const QString keep = currentText();
    loading_ = true;
    QComboBox::clear();
    QComboBox::addItems(list);
    setEditText(keep);
    loading_ = false;
}

void DBComboBox::clearItems()
{
    setItems({});
}

void DBComboBox::addItem(const QString& itemText)
{
    const QString keep = currentText();
    loading_ = true;
    QComboBox::addItem(itemText);
    setEditText(keep);
    loading_ = false;
}

void DBComboBox::setText(const QString& t)
{
    loading_ = true;
    setEditText(t);
    loading_ = false;
}

void DBComboBox::reset()
{
    link_->setModified(false);
    showField();
}

void DBComboBox::showField()
{
    const Field* f = link_->field();
    QString shown;
    int maxLen = 32767;
    if (f) {
        shown = f->editText();
        if (f->dataType() == FieldType::Text)
            maxLen = f->size() > 0 ? f->size() : 20;
    }
    // Setting the same limit again would drop the user's selection.
    if (lineEdit()->maxLength() != maxLen)
        lineEdit()->setMaxLength(maxLen);
    if (currentText() != shown)
        setText(shown);
}

void DBComboBox::applyState()
{
    lineEdit()->setReadOnly(!link_->canModify());
    link_->followActive(this);
}

void DBComboBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool choosing = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
        key == Qt::Key_PageDown || ((key == Qt::Key_Home || key == Qt::Key_End) && !isEditable());
    if (choosing || keyChangesText(event)) {
        if (!link_->edit()) {
            event->accept();
            return;
        }
    }
    QComboBox::keyPressEvent(event);
}

void DBComboBox::showPopup()
{
    // Choosing from the list edits the record: refuse the list when it may not.
    if (!link_->canModify())
        return;
    QComboBox::showPopup();
}

void DBComboBox::wheelEvent(QWheelEvent* event)
{
    if (!link_->edit()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBComboBox::userChanged()
{
    if (loading_)
        return;
    if (!link_->editing()) {
        const QString keep = currentText();
        if (!link_->edit()) {
            showField();
            return;
        }
        setText(keep);
    }
    link_->setModified(true);
    const Field* f = link_->field();
    if (f && (f->dataType() == FieldType::Text || f->dataType() == FieldType::Memo))
        link_->updateRecord();
    Q_EMIT textChangedByUser();
}

void DBComboBox::writeField()
{
    if (Field* f = link_->field())
        f->setString(currentText());
}

void DBComboBox::focusOutEvent(QFocusEvent* event)
{
    if (link_->modified()) {
        try {
            link_->updateRecord();
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    }
    QComboBox::focusOutEvent(event);
}

} // namespace jadl
