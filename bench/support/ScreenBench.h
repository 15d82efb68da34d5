#pragma once
// What a user waits for on a large register, measured the same way on either
// engine: the first screen of a view (its count, its totals and the rows a grid
// shows), a page scrolled, and the memory a view holds when read end to end.
#include "store/Table.h"

#include <QStringList>

#include <vector>

namespace jadl::bench {

// The rows and columns the supplier goods window's grid shows at once.
inline constexpr int kScreenRows = 40;
const QStringList& screenColumns();
const QStringList& totalFields(); // WartoscNetto, WartoscVat, WartoscBrutto

// The rows of one screen from `row` on, every shown column read; returns a value
// the compiler cannot drop.
qint64 readScreen(Table& lines, int row);
// Count, totals and the first screen, as the window shows them after a switch.
qint64 firstScreen(Table& lines);

// Peak resident memory of this process from now on: the kernel's high-water mark
// is reset, and read back in megabytes.
void resetPeakMemory();
double peakMemoryMb();
double currentMemoryMb();

} // namespace jadl::bench
