#pragma once
// A one-line edit bound to a field of the current record.
#include "controls/FieldLink.h"

#include <QLineEdit>

namespace jadl {

class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source) { link_->setDataSource(source); }
    QString dataField() const { return link_->fieldName(); }
    void setDataField(const QString& name) { link_->setFieldName(name); }
    Field* field() const { return link_->field(); }

    // Hides QLineEdit::isReadOnly/setReadOnly: the control's own option, combined
    // with the table's state for what the user may type.
    bool isReadOnly() const { return link_->readOnly(); }
    void setReadOnly(bool on) { link_->setReadOnly(on); }
    // Shows the field in upper case and writes typed text in upper case.
    bool upperCase() const { return upperCase_; }
    void setUpperCase(bool on);

    // Shows the field of the current record again, dropping unwritten typing.
    void reset();
    // Writes typed text not yet in the field (also done on leaving the control and
    // at the start of a post).
    void updateRecord() { link_->updateRecord(); }

Q_SIGNALS:
    // The user changed the text (typing, pasting, cutting); not sent when the
    // record moves or the control is set from code.
    void textChangedByUser();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void showField();
    void applyState();
    void userEdited(const QString& text);
    void writeField();

    FieldLink* link_;
    bool upperCase_ = false;
    bool loading_ = false;
};

// True when a key press would change the text of an edit (characters, deleting,
// pasting, cutting).
bool keyChangesText(const QKeyEvent* event);

} // namespace jadl
