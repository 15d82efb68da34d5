#pragma once
// The cause of a failed file operation in Polish words, from the system's error
// number: what every message about a file that could not be read or written says
// after the file's name ("Błąd zapisu pliku …\Towary.DB: brak miejsca na dysku").
#include <QString>

class QFileDevice;

namespace jadl {

// The reason for an errno value; a number the program has no words for is named
// by the system's own text and its code.
QString systemErrorReason(int err);

// The reason a Qt file device failed: the errno its last call left (`err`, read
// right after that call), else the device's own text.
QString fileErrorReason(const QFileDevice& file, int err);

// Writes all of `data`, going on after short writes until the system says why it
// cannot; false with errno set when it stops.
bool writeWhole(QFileDevice& file, const char* data, qint64 size);

} // namespace jadl
