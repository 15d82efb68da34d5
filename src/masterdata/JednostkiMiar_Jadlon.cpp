#include "masterdata/JednostkiMiar_Jadlon.h"

#include "controls/Builders.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "store/DataSource.h"
#include "store/Table.h"

#include <QPushButton>

TJednostkiMiarJadlon::TJednostkiMiarJadlon(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("JednostkiMiarJadlon"), QStringLiteral("JEDNOSTKI MIAR"), 420, 420);
    setExitHandler([this] { jadl::runGuarded([this] { ZamknijClick(); }); });
    TableJednostkiMiar = new jadl::Table(this, QStringLiteral("TableJednostkiMiar"));
    TableJednostkiMiar->setDatabaseName(QStringLiteral("dane_bar"));
    TableJednostkiMiar->setTableName(QStringLiteral("JednostkiMiar.DB"));
    DataSourceJednostkiMiar = new jadl::DataSource(this, TableJednostkiMiar);
    DataSourceJednostkiMiar->setObjectName(QStringLiteral("DataSourceJednostkiMiar"));

    buildControls();
    wireHandlers();
}

void TJednostkiMiarJadlon::buildControls()
{
    // The title of the unit column is the field's own name.
    DBGrid1 = jadl::makeDictionaryGrid(this, DataSourceJednostkiMiar,
                                       {{QStringLiteral("Jednostka"), QString()},
                                        {QStringLiteral("OpisJednostki"), QStringLiteral("Opis jednostki miar")}},
                                       QStringLiteral("Jednostki miar"));
    DBNavigator1 = jadl::makeEditNavigator(this, DataSourceJednostkiMiar);
    Zamknij = jadl::makeCloseButton(this, "Zamknij",
                                    QStringLiteral("Zamknięcie i opuszczenie formatki jednostek miar"));
    jadl::arrangeDictionary(this, DBNavigator1, DBGrid1, Zamknij);
}

void TJednostkiMiarJadlon::wireHandlers()
{
    connect(Zamknij, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { ZamknijClick(); }); });
    jadl::registerEditor(
        this, {TableJednostkiMiar}, [this] { TableJednostkiMiar->post(); }, jadl::SaveStyle::PostOnMove);
    // The table is open from the start; the start-up opens it once this window exists.
}

void TJednostkiMiarJadlon::ZamknijClick()
{
    jadl::postPendingEdits({TableJednostkiMiar});
    if (TableJednostkiMiar->active())
        TableJednostkiMiar->close();
    close();
}
