#pragma once
// Shared fixtures of the test suite that need no widgets.
#include <QDate>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace jadl::test {

// A purchase line as an earlier session recorded it.
struct PurchaseLine {
    int supplier = 0;
    QDate day;
    double net = 1.0; // WartoscNetto
    double vat = 0.23; // WartoscVat
    double gross = 1.23; // WartoscBrutto
    QString symbol = QStringLiteral("MLEKO");
    QVariantMap more = {}; // further fields, by name
};

// Writes the lines into Towary.DB of `dataDir` through a connection of its own,
// in one transaction.
void addPurchaseLines(const QString& dataDir, const QList<PurchaseLine>& lines);

} // namespace jadl::test
