#pragma once
// Polish alphabetical order, as a Polish reader expects it: letters with
// diacritics right after their base letter (a, ą, b, c, ć, ...), case deciding
// only between texts that are otherwise equal. One collator for the whole program.
#include <QByteArray>
#include <QString>

namespace jadl {

// Bytes whose plain byte-wise order is the Polish order of the texts (an ICU sort
// key), so that an ordinary index over them sorts as a Polish reader does.
QByteArray polishSortKey(const QString& text);

} // namespace jadl
