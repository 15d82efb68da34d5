#include "controls/FieldLink.h"

#include "common/Formats.h"

#include <QDateTime>
#include <QScopedValueRollback>

namespace jadl {

FieldLink::FieldLink(QObject* parent) : QObject(parent) { }

void FieldLink::setDataSource(DataSource* source)
{
    if (source_ == source)
        return;
    for (const auto& c : std::as_const(connections_))
        disconnect(c);
    connections_.clear();
    source_ = source;
    modified_ = false;
    connectSource();
    dataChanged();
    if (onStateChange)
        onStateChange();
}

void FieldLink::setFieldName(const QString& name)
{
    if (fieldName_ == name)
        return;
    fieldName_ = name;
    modified_ = false;
    dataChanged();
    if (onStateChange)
        onStateChange();
}

void FieldLink::setReadOnly(bool on)
{
    readOnly_ = on;
    if (onStateChange)
        onStateChange();
}

void FieldLink::connectSource()
{
    if (!source_)
        return;
    connections_ << connect(source_, &DataSource::dataSetChanged, this, &FieldLink::dataChanged)
                 << connect(source_, &DataSource::dataSetScrolled, this, &FieldLink::dataChanged)
                 << connect(source_, &DataSource::recordChanged, this, &FieldLink::recordChanged)
                 << connect(source_, &DataSource::stateChanged, this, &FieldLink::stateChanged)
                 << connect(source_, &DataSource::updateRecord, this, &FieldLink::updateRecord)
                 << connect(source_, &QObject::destroyed, this, [this] {
                        connections_.clear();
                        modified_ = false;
                        dataChanged();
                        if (onStateChange)
                            onStateChange();
                    });
}

Table* FieldLink::table() const
{
    return source_ ? source_->dataSet() : nullptr;
}

bool FieldLink::active() const
{
    const Table* t = table();
    return t && t->active();
}

Field* FieldLink::field() const
{
    Table* t = table();
    if (!t || !t->active() || fieldName_.isEmpty())
        return nullptr;
    return t->findField(fieldName_);
}

bool FieldLink::editing() const
{
    const Table* t = table();
    return t && t->editing();
}

bool FieldLink::canModify() const
{
    if (readOnly_ || (source_ && !source_->enabled()))
        return false;
    const Field* f = field();
    return f && f->dataType() != FieldType::AutoInc;
}

bool FieldLink::edit()
{
    if (!canModify())
        return false;
    if (!editing())
        table()->edit();
    return editing();
}

void FieldLink::followActive(QWidget* control)
{
    if (!active()) {
        if (control->isEnabled()) {
            control->setEnabled(false);
            disabledByLink_ = true;
        }
    } else if (disabledByLink_) {
        control->setEnabled(true);
        disabledByLink_ = false;
    }
}

void FieldLink::updateRecord()
{
    if (!modified_ || !onUpdateData || !field())
        return;
    const QScopedValueRollback writing(writing_, true);
    onUpdateData();
    modified_ = false;
}

void FieldLink::dataChanged()
{
    if (writing_)
        return;
    modified_ = false;
    if (onDataChange)
        onDataChange();
}

void FieldLink::recordChanged(int fieldIndex)
{
    if (writing_)
        return;
    if (fieldIndex >= 0) {
        const Field* f = field();
        if (!f || f->index() != fieldIndex)
            return;
    }
    dataChanged();
}

void FieldLink::stateChanged()
{
    // A change of state means another record buffer (insert, cancel, post, close):
    // show the field afresh.
    dataChanged();
    if (onStateChange)
        onStateChange();
}

QString displayTextOf(const FieldDef& def, const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return {};
    switch (def.type) {
    case FieldType::Float: {
        bool ok = false;
        const double v = value.toDouble(&ok);
        return ok ? formatNumber(v, def.displayFormat) : value.toString();
    }
    case FieldType::Date: {
        QDate d = value.toDate();
        if (!d.isValid())
            d = QDate::fromString(value.toString(), Qt::ISODate);
        return d.isValid() ? formatShortDate(d) : value.toString();
    }
    case FieldType::DateTime: {
        QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            dt = QDateTime::fromString(value.toString(), Qt::ISODate);
        if (!dt.isValid())
            return value.toString();
        if (dt.time() == QTime(0, 0))
            return formatShortDate(dt.date());
        return formatShortDate(dt.date()) + u' ' + dt.time().toString(QStringLiteral("H:mm:ss"));
    }
    case FieldType::Logical:
        return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
    case FieldType::AutoInc:
    case FieldType::Integer:
        return QString::number(value.toLongLong());
    case FieldType::Text:
    case FieldType::Memo:
        break;
    }
    return value.toString();
}

} // namespace jadl
