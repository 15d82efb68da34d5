#include "masterdata/JednostkiMiar_Jadlon.h"

#include "shell/FormUtil.h"
#include "store/DataSource.h"
#include "store/Table.h"

TJednostkiMiarJadlon::TJednostkiMiarJadlon(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("JednostkiMiarJadlon"), QStringLiteral("JEDNOSTKI MIAR"), 420, 420);
    TableJednostkiMiar = new jadl::Table(this, QStringLiteral("TableJednostkiMiar"));
    TableJednostkiMiar->setDatabaseName(QStringLiteral("dane_bar"));
    TableJednostkiMiar->setTableName(QStringLiteral("JednostkiMiar.DB"));
    DataSourceJednostkiMiar = new jadl::DataSource(this, TableJednostkiMiar);
    DataSourceJednostkiMiar->setObjectName(QStringLiteral("DataSourceJednostkiMiar"));
    TableJednostkiMiar->open();
}
