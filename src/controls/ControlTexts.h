#pragma once
// Texts the data-aware controls show on their own.
#include <QString>

namespace jadl::controltexts {

// Asked before a grid or a navigator bar deletes the current record.
inline QString deleteRecordQuestion()
{
    return QStringLiteral("Usunąć rekord?");
}
inline QString deleteRecordCaption()
{
    return QStringLiteral("Potwierdź");
}

} // namespace jadl::controltexts
