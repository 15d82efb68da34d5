#include "controls/SpinEdit.h"

#include "common/Formats.h"

namespace jadl {

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent)
{
    setLocale(polishLocale());
    // Years and counts: no thousands separators.
    setGroupSeparatorShown(false);
    setRange(0, 9999);
}

} // namespace jadl
