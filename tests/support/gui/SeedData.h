#pragma once
// Puts records into the data module's tables the way the windows would, for tests
// that then drive a window.
#include <QString>
#include <QVariant>

#include <optional>

class TModulDanych1;

namespace jadl::test {

struct GoodSeed {
    QString symbol;
    QString name;
    std::optional<double> net;
    std::optional<QString> vat;
    std::optional<QString> unit;
    std::optional<double> reference;
};

// Each appends and posts one record (opening the table when closed) and returns its Numer.
int addSupplier(TModulDanych1& dm, const QString& symbol, const QString& name);
int addGroup(TModulDanych1& dm, const QString& name);
int addGood(TModulDanych1& dm, int group, const GoodSeed& good);
int addRestaurant(TModulDanych1& dm, const QString& symbol, bool active);

} // namespace jadl::test
