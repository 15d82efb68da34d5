#include "store/DataSource.h"

#include "store/DataEvent.h"
#include "store/Table.h"

namespace jadl {

DataSource::DataSource(QObject* parent, Table* table) : QObject(parent)
{
    if (table)
        setDataSet(table);
}

DataSource::~DataSource()
{
    if (table_)
        table_->detachDataSource(this);
}

void DataSource::setDataSet(Table* table)
{
    if (table_ == table)
        return;
    if (table_)
        table_->detachDataSource(this);
    table_ = table;
    if (table_)
        table_->attachDataSource(this);
    // Controls and detail tables re-read whatever the new table shows.
    Q_EMIT dataSetChanged();
    Q_EMIT stateChanged();
}

void DataSource::setEnabled(bool on)
{
    if (enabled_ == on)
        return;
    enabled_ = on;
    if (on)
        Q_EMIT dataSetChanged();
}

bool DataSource::active() const
{
    return table_ && table_->active();
}

void DataSource::notify(int event, int fieldIndex)
{
    if (!enabled_)
        return;
    switch (event) {
    case detail::EvDataSetChanged:
        Q_EMIT dataSetChanged();
        break;
    case detail::EvDataSetScrolled:
        Q_EMIT dataSetScrolled();
        break;
    case detail::EvRecordChanged:
        Q_EMIT recordChanged(fieldIndex);
        break;
    case detail::EvStateChanged:
        Q_EMIT stateChanged();
        break;
    case detail::EvUpdateRecord:
        Q_EMIT updateRecord();
        break;
    default:
        break;
    }
}

} // namespace jadl
