#include "store/Modul_Danych1.h"

using jadl::DataSource;
using jadl::Table;

namespace jadl {
SharedValues& shared()
{
    static SharedValues values;
    return values;
}
} // namespace jadl

namespace {
Table* makeTable(QObject* owner, const char* name, const QString& file, const QString& index)
{
    auto* t = new Table(owner, QString::fromLatin1(name));
    t->setDatabaseName(QStringLiteral("jadlonia"));
    t->setTableName(file);
    t->setIndexName(index);
    return t;
}
DataSource* makeSource(QObject* owner, const char* name, Table* t)
{
    auto* ds = new DataSource(owner, t);
    ds->setObjectName(QString::fromLatin1(name));
    return ds;
}
} // namespace

TModulDanych1::TModulDanych1(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ModulDanych1"));
    Database1 = new jadl::Database(this);
    Database1->setObjectName(QStringLiteral("Database1"));
    Database1->setDatabaseName(QStringLiteral("jadlonia"));
    Database1->setAliasName(QStringLiteral("dane_bar"));
    Database1->setConnected(true);

    TableTowary = makeTable(this, "TableTowary", QStringLiteral("Towary.DB"), QStringLiteral("NrDostawcySymbolInd"));
    DataSourceTowary = makeSource(this, "DataSourceTowary", TableTowary);
    TableDostawcy = makeTable(this, "TableDostawcy", QStringLiteral("Dostawcy.db"), QString());
    DataSourceDostawcy = makeSource(this, "DataSourceDostawcy", TableDostawcy);
    TableTowaryPodstawowe = makeTable(this, "TableTowaryPodstawowe", QStringLiteral("TowaryPodstawowe.db"),
                                      QStringLiteral("NrGrupySymbolInd"));
    DataSourceTowaryPodstawowe = makeSource(this, "DataSourceTowaryPodstawowe", TableTowaryPodstawowe);
    TableGrupyTowarow = makeTable(this, "TableGrupyTowarow", QStringLiteral("GrupyTowarow.DB"), QString());
    DataSourceGrupyTowarow = makeSource(this, "DataSourceGrupyTowarow", TableGrupyTowarow);
    TableParametry = makeTable(this, "TableParametry", QStringLiteral("Parametry.db"), QString());
    DataSourceParametry = makeSource(this, "DataSourceParametry", TableParametry);
    TableWlasciciel = makeTable(this, "TableWlasciciel", QStringLiteral("Wlasciciel.DB"), QString());
    DataSourceWlasciciel = makeSource(this, "DataSourceWlasciciel", TableWlasciciel);
    TableTowaryPom = makeTable(this, "TableTowaryPom", QStringLiteral("TowaryPom.DB"), QString());
    DataSourceTowaryPom = makeSource(this, "DataSourceTowaryPom", TableTowaryPom);

    // Master links of the design: purchase lines follow the current supplier,
    // basic goods follow the current goods group.
    TableTowary->setMasterFields(QStringLiteral("Numer"));
    TableTowary->setMasterSource(DataSourceDostawcy);
    TableTowaryPodstawowe->setMasterFields(QStringLiteral("Numer"));
    TableTowaryPodstawowe->setMasterSource(DataSourceGrupyTowarow);

    TableTowary->setOnFilterRecord([this](Table& t, bool& accept) { TableTowaryFilterRecord(t, accept); });
    TableTowary->setFiltered(true);
    TableDostawcy->setOnFilterRecord([this](Table& t, bool& accept) { TableDostawcyFilterRecord(t, accept); });
    TableGrupyTowarow->setBeforePost([this](Table& t) { TableGrupyTowarowBeforePost(t); });
}

TModulDanych1::~TModulDanych1()
{
    // Details first, so no master link fires into a half-destroyed module.
    for (Table* t : {TableTowary, TableTowaryPodstawowe, TableDostawcy, TableGrupyTowarow, TableParametry,
                     TableWlasciciel, TableTowaryPom})
        t->close();
}

QList<Table*> TModulDanych1::tables() const
{
    return {TableTowary, TableDostawcy, TableTowaryPodstawowe, TableGrupyTowarow,
            TableParametry, TableWlasciciel, TableTowaryPom};
}

void TModulDanych1::TableTowaryFilterRecord(Table&, bool& accept)
{
    accept = true;
}

void TModulDanych1::TableDostawcyFilterRecord(Table&, bool& accept)
{
    accept = true;
}

void TModulDanych1::TableGrupyTowarowBeforePost(Table&)
{
}
