#pragma once
// On a chain's server some work is the head office's (a restore, the removal of
// previous years): the server refuses it to a site, and the window says so
// before it starts anything.
#include <QString>

namespace jadl {

struct DataLocation;

// True where the work may go on; false after telling the user why (a site's login).
bool headOfficeWork(const DataLocation& where, const QString& what);

} // namespace jadl
