#include "store/internal/MasterLink.h"

#include "store/internal/Values.h"

#include <algorithm>

namespace jadl {

using namespace detail;

namespace masterlink {
namespace {

QStringList splitFields(const QString& list)
{
    QStringList out;
    for (const QString& part : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

} // namespace

TableState::Link compute(const TableState& s)
{
    TableState::Link out;
    if (!s.masterSource || s.state == DataSetState::Inactive)
        return out;
    Table* master = s.masterSource->dataSet();
    if (!master || master == &s.table || !master->active())
        return out;
    const QStringList masterNames = splitFields(s.masterFields);
    const QStringList keys = s.indexFieldNames();
    const int n = int(std::min(masterNames.size(), keys.size()));
    for (int i = 0; i < n; ++i) {
        Field* mf = master->findField(masterNames[i]);
        const int di = s.fieldIndex(keys[i]);
        if (!mf || di < 0)
            return {}; // transient combination while the properties are being set: no restriction
        QVariant v = mf->value();
        try {
            v = normalizeValue(s.def(size_t(di)), v);
        } catch (const EngineError&) { }
        out.values << v;
        out.fields << s.fields[size_t(di)]->fieldName();
    }
    return out;
}

void follow(TableState& s)
{
    s.link = compute(s);
}

void seedNewRecord(TableState& s)
{
    // A new detail record belongs to the master's current record.
    for (int i = 0; i < s.link.fields.size(); ++i) {
        const int fi = s.fieldIndex(s.link.fields[i]);
        if (fi >= 0 && s.def(size_t(fi)).type != FieldType::AutoInc) {
            s.edit.buffer[size_t(fi)] = s.link.values[i];
            s.edit.dirty[size_t(fi)] = true;
        }
    }
}

} // namespace masterlink
} // namespace jadl
