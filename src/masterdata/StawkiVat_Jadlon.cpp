#include "masterdata/StawkiVat_Jadlon.h"

#include "controls/Builders.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "store/DataSource.h"
#include "store/Table.h"

#include <QPushButton>

TStawkiVatJadlon::TStawkiVatJadlon(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("StawkiVatJadlon"), QStringLiteral("STAWKI VAT"), 520, 420);
    setExitHandler([this] { jadl::runGuarded([this] { BitBtn1Click(); }); });
    TableStawkiVat = new jadl::Table(this, QStringLiteral("TableStawkiVat"));
    TableStawkiVat->setDatabaseName(QStringLiteral("dane_bar"));
    TableStawkiVat->setTableName(QStringLiteral("StawkiVat.db"));
    DataSourceStawkiVat = new jadl::DataSource(this, TableStawkiVat);
    DataSourceStawkiVat->setObjectName(QStringLiteral("DataSourceStawkiVat"));

    buildControls();
    wireHandlers();
}

void TStawkiVatJadlon::buildControls()
{
    DBGrid1 = jadl::makeDictionaryGrid(this, DataSourceStawkiVat,
                                       {{QStringLiteral("VatOznaczenie"), QStringLiteral("VAT")},
                                        {QStringLiteral("StawkaLiczba"), QStringLiteral("Stawka VAT")},
                                        {QStringLiteral("OpisStawki"), QStringLiteral("Opis stawki VAT")}},
                                       QStringLiteral("Stawki VAT"));
    DBNavigator1 = jadl::makeEditNavigator(this, DataSourceStawkiVat);
    BitBtn1 = jadl::makeCloseButton(this, "BitBtn1", QStringLiteral("Zamknięcie i opuszczenie formatki VAT-u"));
    jadl::arrangeDictionary(this, DBNavigator1, DBGrid1, BitBtn1);
}

void TStawkiVatJadlon::wireHandlers()
{
    connect(BitBtn1, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { BitBtn1Click(); }); });
    jadl::registerEditor(
        this, {TableStawkiVat}, [this] { TableStawkiVat->post(); }, jadl::SaveStyle::PostOnMove);
}

void TStawkiVatJadlon::BitBtn1Click()
{
    jadl::postPendingEdits({TableStawkiVat});
    if (TableStawkiVat->active())
        TableStawkiVat->close();
    close();
}
