#pragma once
// Totals of a table's records grouped by fields and by month, and plain reads of
// chosen columns, under a condition of their own: the table's view, its link and
// its filter play no part and its cursor does not move. The engine computes them
// in SQL (from the sums the table keeps per month where they answer the
// question, store/internal/KeptSums.h), each total exact and rounded once
// (common/ExactSum), as the view's own totals are.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace jadl {

// Which records: equal values of fields (a null value: the field is empty) and a
// closed range of a date field (either end open when invalid).
struct RecordCondition {
    std::vector<std::pair<QString, QVariant>> equal;
    QString dateField;
    QDate from;
    QDate to;
};

struct GroupedQuery {
    RecordCondition where;
    // The first key is the month of `monthField` (year * 12 + month - 1) when set;
    // records without a date there fall into no month and are left out.
    QString monthField;
    QStringList keys; // fields grouped by (after the month)
    QStringList sums; // float fields
};

struct GroupedRow {
    std::optional<qint64> month;
    QVariantList keys; // as the fields hold them; null for an empty value
    qint64 count = 0;
    std::vector<double> sums;
};

struct RowsQuery {
    RecordCondition where;
    QStringList fields; // read, in this order
    QStringList orderBy; // ascending, empty values first
    int limit = 0; // at most this many rows; 0: all
};

} // namespace jadl
