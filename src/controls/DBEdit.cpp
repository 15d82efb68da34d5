#include "controls/DBEdit.h"

#include "platform/Messages.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace jadl {

namespace {

bool isStringType(FieldType t)
{
    return t == FieldType::Text || t == FieldType::Memo;
}

// Characters a field of the type can hold while typing; others are refused at the
// key so a number field never holds letters.
bool acceptsChar(FieldType t, QChar c)
{
    switch (t) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return c.isDigit() || c == u'-' || c == u'+';
    case FieldType::Float:
        return c.isDigit() || c == u'-' || c == u'+' || c == u',' || c == u'.' || c == u'e' || c == u'E' || c == u' ' ||
            c == QChar(0xA0);
    case FieldType::Date:
        return c.isDigit() || c == u'.' || c == u'-' || c == u'/';
    case FieldType::DateTime:
        return c.isDigit() || c == u'.' || c == u'-' || c == u'/' || c == u':' || c == u' ' || c == u'T';
    case FieldType::Logical:
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return true;
}

} // namespace

bool keyChangesText(const QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent), link_(new FieldLink(this))
{
    link_->onDataChange = [this] { showField(); };
    link_->onUpdateData = [this] { writeField(); };
    link_->onStateChange = [this] { applyState(); };
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
    showField();
    applyState();
}

void DBEdit::setUpperCase(bool on)
{
    upperCase_ = on;
    if (!link_->modified())
        showField();
    else if (on)
        setText(text().toUpper());
}

void DBEdit::reset()
{
    link_->setModified(false);
    showField();
}

void DBEdit::showField()
{
    const Field* f = link_->field();
    QString shown;
    int maxLen = 32767;
    if (f) {
        // The classic edit: the edit format while the user works in the control,
        // the display format otherwise ("1,5" while typing, "1,50" shown).
        shown = hasFocus() && link_->canModify() ? f->editText() : f->displayText();
        if (upperCase_)
            shown = shown.toUpper();
        if (f->dataType() == FieldType::Text)
            maxLen = f->size() > 0 ? f->size() : 20;
    }
    const bool wasLoading = loading_;
    loading_ = true;
    if (maxLength() != maxLen)
        QLineEdit::setMaxLength(maxLen);
    // Same text: leave it alone so the caret stays where the user put it.
    if (text() != shown)
        setText(shown);
    loading_ = wasLoading;
}

void DBEdit::applyState()
{
    QLineEdit::setReadOnly(!link_->canModify());
    link_->followActive(this);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    if (keyChangesText(event)) {
        if (!link_->canModify()) {
            event->accept();
            return;
        }
        const Field* f = link_->field();
        const QString typed = event->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() && !acceptsChar(f->dataType(), typed.at(0))) {
            event->accept();
            return;
        }
        if (!link_->edit()) {
            event->accept();
            return;
        }
        if (upperCase_ && !typed.isEmpty() && typed.toUpper() != typed) {
            QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed.toUpper(), event->isAutoRepeat(),
                            ushort(event->count()));
            QLineEdit::keyPressEvent(&upper);
            event->setAccepted(upper.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !link_->edit()) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::userEdited(const QString& typed)
{
    if (loading_)
        return;
    if (!link_->editing()) {
        // Paste or cut from the context menu: the key filter did not see it.
        const QString keep = typed;
        const int caret = cursorPosition();
        if (!link_->edit()) {
            showField();
            return;
        }
        loading_ = true;
        setText(keep);
        setCursorPosition(caret);
        loading_ = false;
    }
    if (upperCase_ && text() != text().toUpper()) {
        const int caret = cursorPosition();
        loading_ = true;
        setText(text().toUpper());
        setCursorPosition(caret);
        loading_ = false;
    }
    link_->setModified(true);
    const Field* f = link_->field();
    if (f && isStringType(f->dataType()))
        link_->updateRecord();
    Q_EMIT textChangedByUser();
}

void DBEdit::writeField()
{
    Field* f = link_->field();
    if (!f)
        return;
    QString t = text();
    if (upperCase_)
        t = t.toUpper();
    f->setString(t);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (!link_->modified())
        showField();
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (link_->modified()) {
        try {
            link_->updateRecord();
        } catch (const EngineError& e) {
            // Not a valid value for the field: say so and keep the typed text.
            platform::showError(e.message());
            return;
        }
    }
    showField();
}

} // namespace jadl
