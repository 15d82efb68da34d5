#include "controls/DBMemo.h"

#include "controls/DBEdit.h"
#include "platform/Messages.h"

#include <QKeyEvent>

namespace jadl {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent), link_(new FieldLink(this))
{
    setWordWrap(true);
    setTabChangesFocus(true);
    link_->onDataChange = [this] { showField(); };
    link_->onUpdateData = [this] { writeField(); };
    link_->onStateChange = [this] { applyState(); };
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::contentsEdited);
    showField();
    applyState();
}

void DBMemo::reset()
{
    link_->setModified(false);
    showField();
}

void DBMemo::showField()
{
    const Field* f = link_->field();
    const QString shown = f ? f->asString() : QString();
    if (toPlainText() == shown)
        return;
    loading_ = true;
    setPlainText(shown);
    loading_ = false;
}

void DBMemo::applyState()
{
    QPlainTextEdit::setReadOnly(!link_->canModify());
    link_->followActive(this);
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    if (keyChangesText(event) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!link_->edit()) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source)
{
    if (link_->edit())
        QPlainTextEdit::insertFromMimeData(source);
}

void DBMemo::contentsEdited()
{
    if (loading_)
        return;
    if (!link_->editing() && !link_->edit()) {
        showField();
        return;
    }
    link_->setModified(true);
    // Text goes to the field at once, so windows reading the field see it.
    link_->updateRecord();
    Q_EMIT textChangedByUser();
}

void DBMemo::writeField()
{
    if (Field* f = link_->field())
        f->setString(toPlainText());
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    if (link_->modified()) {
        try {
            link_->updateRecord();
        } catch (const EngineError& e) {
            platform::showError(e.message());
        }
    }
    QPlainTextEdit::focusOutEvent(event);
}

} // namespace jadl
