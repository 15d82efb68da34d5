#pragma once
// Shared by the invoice tests: where the hand-written invoices are, and the types
// their data tables carry.
#include "LargeInvoice.h"
#include "invoices/KsefInvoice.h"

#include <QMetaType>
#include <QString>

Q_DECLARE_METATYPE(jadl::ksef::Invoice)
Q_DECLARE_METATYPE(jadl::ksef::Schema)
Q_DECLARE_METATYPE(jadl::ksef::Kind)

namespace jadl::ksef::test {

// The build names the folder of the hand-written invoices (tests/invoices/data).
inline QString dataPath(const QString& name)
{
    return QString::fromUtf8(JADL_INVOICE_TEST_DATA "/") + name;
}

} // namespace jadl::ksef::test
