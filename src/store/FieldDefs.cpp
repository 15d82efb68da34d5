#include "store/FieldDefs.h"

namespace jadl {

const FieldDef* TableDef::field(const QString& name) const
{
    for (const FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const IndexDef* TableDef::index(const QString& name) const
{
    for (const IndexDef& i : indexes)
        if (i.name.compare(name, Qt::CaseInsensitive) == 0)
            return &i;
    return nullptr;
}

} // namespace jadl
