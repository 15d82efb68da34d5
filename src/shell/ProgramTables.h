#pragma once
// Every table of the running program: the data module's and the window-owned
// ones (units of measure, VAT rates, copy table, and any other a window holds).
#include <QList>

namespace jadl {

class Table;

QList<Table*> programTables();

} // namespace jadl
