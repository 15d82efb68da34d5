#pragma once
// The tie between one data-aware control and one field of a data source's table.
// It follows the data source's notifications, tells the control when to show the
// field again and when to write its pending text, and puts a browsed record into
// edit when the user starts typing.
#include "store/DataSource.h"
#include "store/Table.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace jadl {

class FieldLink : public QObject {
    Q_OBJECT
public:
    explicit FieldLink(QObject* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    const QString& fieldName() const { return fieldName_; }
    void setFieldName(const QString& name);
    // A read-only control never edits the record.
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool on);

    Table* table() const;
    bool active() const; // linked table is open
    Field* field() const; // nullptr when closed or missing
    bool editing() const; // table in edit or insert
    // The field can be changed through this control (open, found, writable).
    bool canModify() const;
    // Puts the table into edit when it is browsing. True when the record may be
    // written afterwards.
    bool edit();

    // The control holds text the user changed and that is not yet in the field.
    bool modified() const { return modified_; }
    void setModified(bool on) { modified_ = on; }

    // A closed table leaves the control empty and disabled; opening it enables the
    // control again unless something else had disabled it.
    void followActive(QWidget* control);

    // Writes the control's pending text into the field (when modified): the
    // control supplies the writer. Engine errors propagate.
    void updateRecord();

    // Called whenever the control must show the field again (move, change,
    // cancel, open, close, enabling display updates).
    std::function<void()> onDataChange;
    // Writes the control's text into the field.
    std::function<void()> onUpdateData;
    // Table opened/closed or edit state changed.
    std::function<void()> onStateChange;

private:
    void connectSource();
    void dataChanged();
    void recordChanged(int fieldIndex);
    void stateChanged();

    QPointer<DataSource> source_;
    QString fieldName_;
    bool readOnly_ = false;
    bool modified_ = false;
    bool writing_ = false;
    bool disabledByLink_ = false;
    QList<QMetaObject::Connection> connections_;
};

// Text of a stored value of a field, as a control shows it (display format for
// numbers, the short date for dates); used where the record is not the current one.
QString displayTextOf(const FieldDef& def, const QVariant& value);

} // namespace jadl
