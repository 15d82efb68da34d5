#pragma once
// Reads a KSeF invoice file (FA(3), or the older FA(2)) and checks what the import
// relies on. Elements are matched by namespace and local name; a DOCTYPE is refused
// before anything it declares could be used; numbers must be written as KSeF writes
// them (decimal point, no grouping).
#include "invoices/KsefInvoice.h"

#include <QString>

class QIODevice;

namespace jadl::ksef {

inline constexpr QStringView kNamespaceFa3 = u"http://crd.gov.pl/wzor/2025/06/25/13775/";
inline constexpr QStringView kNamespaceFa2 = u"http://crd.gov.pl/wzor/2023/06/29/12648/";

// Throws InvoiceError: the file is unreadable, not XML, not an FA(3)/FA(2) invoice, or
// lacks or misstates something the import needs (see the messages in KsefReader.cpp).
Invoice readKsefInvoice(const QString& path);
// The same from an open device; `fileName` is what the messages call it.
Invoice readKsefInvoice(QIODevice& device, const QString& fileName);

} // namespace jadl::ksef
