#pragma once
// The copy table "TowaryRaport" in the data directory, for taking the shown
// purchase lines into other programs: its fourteen fields, making it, and
// filling it with the lines of a view.
#include "store/FieldDefs.h"

#include <QList>
#include <QString>

#include <functional>

namespace jadl {
class Table;
}

namespace jadl::copytable {

QList<FieldDef> fields();

// Makes the table "TowaryRaport" in `directory` (drive form or a real folder),
// replacing one of that name. Throws EngineError or platform::IoError.
void create(const QString& directory);

// Empties `copy` and fills it with every line of `lines`' view, in view order, in
// one transaction; `step(row, total)` runs after each line. The lines end on
// their last record. Returns the number of lines copied.
int fill(Table& copy, Table& lines, const std::function<void(int row, int total)>& step = {});

} // namespace jadl::copytable
