#pragma once
// What a report reads: rows of a data set's current view by random access, and the
// current record of other data sets. The table engine is one provider; an in-memory
// one serves tests and benchmarks.
#include "store/FieldDefs.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace jadl {

class Table;

struct ReportFieldInfo {
    FieldType type = FieldType::Text;
    QString displayFormat; // e.g. "0.00"; empty = general format
};

class ReportDataSource {
public:
    virtual ~ReportDataSource() = default;
    // A closed data set has no rows and no current record.
    virtual bool active() const = 0;
    virtual int rowCount() = 0;
    virtual int fieldIndex(const QString& name) = 0; // -1 when missing
    virtual ReportFieldInfo fieldInfo(int field) = 0;
    virtual QVariant value(int row, int field) = 0; // row 0-based in the view
    virtual QVariant currentValue(int field) = 0; // null when there is no record
    // Name used in errors ("TableTowary: Field 'X' not found").
    virtual QString name() const = 0;
};

// The text a report prints for a value: mask "0.00" (or the field's own display
// format) for numbers, the general format for other floats, the short date for
// dates, "Tak"/"Nie" for logicals, as the program writes them on Polish pages.
QString reportDisplayText(const QVariant& value, const ReportFieldInfo& info, const QString& mask = {});

// A data set held in memory: columns by name, rows of values.
class MemoryReportData : public ReportDataSource {
public:
    MemoryReportData(QString name, QList<FieldDef> fields);
    void addRow(QVariantList values);
    void clearRows() { rows_.clear(); }
    void setActive(bool on) { active_ = on; }
    void setCurrentRow(int row) { current_ = row; }

    bool active() const override { return active_; }
    int rowCount() override { return active_ ? int(rows_.size()) : 0; }
    int fieldIndex(const QString& name) override;
    ReportFieldInfo fieldInfo(int field) override;
    QVariant value(int row, int field) override;
    QVariant currentValue(int field) override;
    QString name() const override { return name_; }
    // Counts value() calls, so tests see that a run reads each row once per element.
    qint64 reads() const { return reads_; }

private:
    QString name_;
    QList<FieldDef> fields_;
    std::vector<QVariantList> rows_;
    bool active_ = true;
    int current_ = 0;
    qint64 reads_ = 0;
};

// The table engine's view as a report data set. Reads rows without moving the
// table's cursor, so the user's position is kept.
class TableReportData : public ReportDataSource {
public:
    explicit TableReportData(Table* table);
    Table* table() const { return table_; }

    bool active() const override;
    int rowCount() override;
    int fieldIndex(const QString& name) override;
    ReportFieldInfo fieldInfo(int field) override;
    QVariant value(int row, int field) override;
    QVariant currentValue(int field) override;
    QString name() const override;

private:
    Table* table_;
};

} // namespace jadl
