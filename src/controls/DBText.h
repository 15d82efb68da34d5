#pragma once
// A label showing a field of the current record.
#include "controls/FieldLink.h"

#include <QLabel>

namespace jadl {

class DBText : public QLabel {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);

    DataSource* dataSource() const { return link_->dataSource(); }
    void setDataSource(DataSource* source) { link_->setDataSource(source); }
    QString dataField() const { return link_->fieldName(); }
    void setDataField(const QString& name) { link_->setFieldName(name); }
    Field* field() const { return link_->field(); }

private:
    void showField();
    FieldLink* link_;
};

} // namespace jadl
