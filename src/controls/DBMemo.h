#pragma once
// A multi-line text bound to a field of the current record.
#include "controls/FieldLink.h"

#include <QPlainTextEdit>

namespace jadl {

class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source) { link_->setDataSource(source); }
    QString dataField() const { return link_->fieldName(); }
    void setDataField(const QString& name) { link_->setFieldName(name); }
    Field* field() const { return link_->field(); }

    bool isReadOnly() const { return link_->readOnly(); }
    void setReadOnly(bool on) { link_->setReadOnly(on); }
    bool wordWrap() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }
    void setWordWrap(bool on) { setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap); }

    void reset();
    void updateRecord() { link_->updateRecord(); }

Q_SIGNALS:
    void textChangedByUser();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showField();
    void applyState();
    void contentsEdited();
    void writeField();

    FieldLink* link_;
    bool loading_ = false;
};

} // namespace jadl
