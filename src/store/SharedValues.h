#pragma once
// Values that live for the whole run and that several windows and the data
// module's rules read or write.
#include "common/Periods.h"

#include <QDate>
#include <QString>

#include <optional>

namespace jadl {

struct SharedValues {
    QDate currentPurchaseDate; // the date the next purchase line gets
    QDate periodStart; // chosen period of the supplier goods window
    QDate periodEnd;
    bool supplierReportFlag = false; // while true the suppliers filter hides zero sums
    QString dataDrivePrefix; // start drive letter + ":\"
};

SharedValues& shared();

// What the purchase-lines filter needs to know of the two windows that drive it.
// The windows implement it; start-up wires it into the data module.
class PurchaseFilterInputs {
public:
    virtual ~PurchaseFilterInputs() = default;
    virtual bool assignmentVisible() const = 0;
    virtual bool filterByGroup() const = 0; // "Filtruj po grupie tow." checked
    virtual QDate assignmentCalendarDate() const = 0;
    virtual bool supplierGoodsVisible() const = 0;
    virtual std::optional<PeriodChoice> periodChoice() const = 0; // nullopt: none chosen
};

} // namespace jadl
