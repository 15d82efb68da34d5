#pragma once
// A data source links a table to its data-aware controls and to detail tables
// (master link). It relays the table's notifications; while the table's display
// updates are disabled it relays nothing, and enabling sends one dataSetChanged.
#include <QObject>
#include <QPointer>

namespace jadl {

class Table;

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr, Table* table = nullptr);
    ~DataSource() override;
    Table* dataSet() const { return table_; }
    void setDataSet(Table* table);
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    // State of the linked table (inactive when none).
    bool active() const;

Q_SIGNALS:
    // The whole view may have changed (open, close, refresh, filter, index, master move,
    // post that re-sorts, delete, enabling display updates).
    void dataSetChanged();
    // The current record moved to another record of the view.
    void dataSetScrolled();
    // A field of the current record changed (-1: the whole record, e.g. after cancel).
    void recordChanged(int fieldIndex);
    // Browse/edit/insert/inactive changed.
    void stateChanged();
    // Sent at the start of post: controls write pending typed text into their fields.
    void updateRecord();

private:
    friend class Table;
    void notify(int event, int fieldIndex = -1);
    QPointer<Table> table_;
    bool enabled_ = true;
};

} // namespace jadl
