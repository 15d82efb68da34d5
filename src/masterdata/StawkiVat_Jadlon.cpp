#include "masterdata/StawkiVat_Jadlon.h"

#include "shell/FormUtil.h"
#include "store/DataSource.h"
#include "store/Table.h"

TStawkiVatJadlon::TStawkiVatJadlon(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("StawkiVatJadlon"), QStringLiteral("STAWKI VAT"), 520, 420);
    TableStawkiVat = new jadl::Table(this, QStringLiteral("TableStawkiVat"));
    TableStawkiVat->setDatabaseName(QStringLiteral("dane_bar"));
    TableStawkiVat->setTableName(QStringLiteral("StawkiVat.db"));
    DataSourceStawkiVat = new jadl::DataSource(this, TableStawkiVat);
    DataSourceStawkiVat->setObjectName(QStringLiteral("DataSourceStawkiVat"));
}
