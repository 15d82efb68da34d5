#include "store/internal/TableState.h"

#include "store/TableDefs.h"

namespace jadl {

QString TableState::displayName() const
{
    return table.objectName().isEmpty() ? tableName : table.objectName();
}

int TableState::fieldIndex(const QString& name) const
{
    const auto it = byExactName.constFind(name);
    if (it != byExactName.constEnd())
        return *it;
    return byName.value(name.toLower(), -1);
}

const IndexDef* TableState::findIndex(const QString& name) const
{
    for (const IndexDef& ix : indexes)
        if (ix.name.compare(name, Qt::CaseInsensitive) == 0)
            return &ix;
    return nullptr;
}

QStringList TableState::indexFieldNames() const
{
    if (indexName.isEmpty()) {
        // The primary order: the record number.
        for (const auto& f : fields)
            if (f->dataType() == FieldType::AutoInc)
                return {f->fieldName()};
        return {};
    }
    if (state != DataSetState::Inactive) {
        if (const IndexDef* ix = findIndex(indexName))
            return ix->fields;
        return {};
    }
    // Closed: what the program declares, so links can be set up before opening.
    if (const TableDef* def = tabledefs::find(tableName))
        if (const IndexDef* ix = def->index(indexName))
            return ix->fields;
    for (const IndexDef& ix : indexDefs)
        if (ix.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return ix.fields;
    return {};
}

qint64 TableState::currentId() const
{
    if (pos < 0 || pos >= int(view.ids.size()))
        return kFirstRecord;
    return view.ids[size_t(pos)];
}

} // namespace jadl
