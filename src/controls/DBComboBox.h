#pragma once
// An editable combo box whose text is bound to a field of the current record; the
// item list is only a choice of texts and may be replaced at run time.
#include "controls/FieldLink.h"

#include <QComboBox>

namespace jadl {

class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source) { link_->setDataSource(source); }
    QString dataField() const { return link_->fieldName(); }
    void setDataField(const QString& name) { link_->setFieldName(name); }
    Field* field() const { return link_->field(); }

    bool isReadOnly() const { return link_->readOnly(); }
    void setReadOnly(bool on) { link_->setReadOnly(on); }

    QStringList items() const;
    void setItems(const QStringList& items); // keeps the shown text
    void clearItems(); // keeps the shown text
    void addItem(const QString& text);

    // The text shown; setting it from code does not write the field.
    QString text() const { return currentText(); }
    void setText(const QString& text);

    void reset();
    void updateRecord() { link_->updateRecord(); }

Q_SIGNALS:
    // The user typed or chose an item.
    void textChangedByUser();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showPopup() override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void showField();
    void applyState();
    void userChanged();
    void writeField();

    FieldLink* link_;
    bool loading_ = false;
};

} // namespace jadl
