#include "support/gui/SeedData.h"

#include "store/Modul_Danych1.h"

namespace jadl::test {

namespace {
Table& opened(Table* t)
{
    if (!t->active())
        t->open();
    return *t;
}
template <class T>
void setOpt(Table& t, const char* field, const std::optional<T>& v)
{
    if (v)
        t.fieldByName(QString::fromLatin1(field)).setValue(QVariant::fromValue(*v));
}
int postAndNumber(Table& t)
{
    t.post();
    return t.fieldByName(QStringLiteral("Numer")).asInteger();
}
} // namespace

int addSupplier(TModulDanych1& dm, const QString& symbol, const QString& name)
{
    Table& t = opened(dm.TableDostawcy);
    t.append();
    t.fieldByName(QStringLiteral("Symbol")).setString(symbol);
    t.fieldByName(QStringLiteral("Nazwa")).setString(name);
    return postAndNumber(t);
}

int addGroup(TModulDanych1& dm, const QString& name)
{
    Table& t = opened(dm.TableGrupyTowarow);
    t.append();
    t.fieldByName(QStringLiteral("Grupa")).setString(name);
    t.fieldByName(QStringLiteral("NrKol")).setInteger(t.recordCount() + 1);
    return postAndNumber(t);
}

int addGood(TModulDanych1& dm, int group, const GoodSeed& good)
{
    Table& groups = opened(dm.TableGrupyTowarow);
    groups.locate(QStringLiteral("Numer"), group);
    Table& t = opened(dm.TableTowaryPodstawowe);
    t.append();
    t.fieldByName(QStringLiteral("NumerGrupy")).setInteger(group);
    t.fieldByName(QStringLiteral("Grupa")).setString(groups.fieldByName(QStringLiteral("Grupa")).asString());
    t.fieldByName(QStringLiteral("Symbol")).setString(good.symbol);
    t.fieldByName(QStringLiteral("Nazwa")).setString(good.name);
    setOpt(t, "CenaNetto", good.net);
    setOpt(t, "VatTyp", good.vat);
    setOpt(t, "JednostkaMiary", good.unit);
    setOpt(t, "CenaReferencyjna", good.reference);
    return postAndNumber(t);
}

int addRestaurant(TModulDanych1& dm, const QString& symbol, bool active)
{
    Table& t = opened(dm.TableWlasciciel);
    t.append();
    t.fieldByName(QStringLiteral("NrKolejny")).setInteger(t.recordCount() + 1);
    t.fieldByName(QStringLiteral("Symbol")).setString(symbol);
    t.fieldByName(QStringLiteral("Nazwa")).setString(symbol);
    t.fieldByName(QStringLiteral("Aktywny")).setBoolean(active);
    t.fieldByName(QStringLiteral("AktywnyString")).setString(active ? QStringLiteral("TAK") : QStringLiteral("NIE"));
    return postAndNumber(t);
}

} // namespace jadl::test
