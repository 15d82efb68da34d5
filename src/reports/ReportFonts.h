#pragma once
// The faces the report layouts name, resolved to fonts this machine has:
// Times New Roman and Arial to their metric twins, "Small Fonts" to a condensed sans.
#include "reports/Report.h"

#include <QFont>

namespace jadl {

// Family actually used for a designed font name.
QString resolveFontFamily(const QString& designedName);
// The QFont for a report font, at its point size (devices scale points themselves).
QFont resolveFont(const ReportFont& font);

} // namespace jadl
