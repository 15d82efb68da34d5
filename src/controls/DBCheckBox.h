#pragma once
// A check box bound to a field of the current record. A logical field is checked
// when true; any other field when its text equals the checked value (compared
// without regard to case).
#include "controls/FieldLink.h"

#include <QCheckBox>

namespace jadl {

class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source) { link_->setDataSource(source); }
    QString dataField() const { return link_->fieldName(); }
    void setDataField(const QString& name) { link_->setFieldName(name); }
    Field* field() const { return link_->field(); }

    bool isReadOnly() const { return link_->readOnly(); }
    void setReadOnly(bool on) { link_->setReadOnly(on); }
    QString valueChecked() const { return valueChecked_; }
    void setValueChecked(const QString& v);
    QString valueUnchecked() const { return valueUnchecked_; }
    void setValueUnchecked(const QString& v);

Q_SIGNALS:
    // The user toggled the box (the field is already written).
    void toggledByUser(bool checked);

protected:
    void nextCheckState() override;

private:
    void showField();
    void applyState();
    void writeField();

    FieldLink* link_;
    QString valueChecked_ = QStringLiteral("True");
    QString valueUnchecked_ = QStringLiteral("False");
};

} // namespace jadl
