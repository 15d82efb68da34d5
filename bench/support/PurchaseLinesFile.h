#pragma once
// A Towary.DB of purchase lines from 40 suppliers in a temporary folder, opened in
// the reports' usual index order; the report benchmarks print it.
#include "store/Table.h"

#include <QTemporaryDir>

namespace jadl::bench {

struct PurchaseLinesFile {
    explicit PurchaseLinesFile(int lines);
    QTemporaryDir dir;
    Table table;
};

} // namespace jadl::bench
