#include "masterdata/GrupyTowarowJadl.h"

#include "controls/Builders.h"
#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "store/Modul_Danych1.h"

#include <QPushButton>

TGrupyTowarow::TGrupyTowarow(TModulDanych1* dm, QWidget* parent) : jadl::ExitRoutedDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("GrupyTowarow"), QStringLiteral("GRUPY TOWARÓW"), 420, 420);
    setExitHandler([this] { jadl::runGuarded([this] { ZamknijClick(); }); });

    buildControls();
    wireHandlers();
}

void TGrupyTowarow::buildControls()
{
    jadl::DataSource* source = dm_ ? dm_->DataSourceGrupyTowarow : nullptr;
    DBGrid1 = jadl::makeDictionaryGrid(this, source,
                                       {{QStringLiteral("NrKol"), QStringLiteral("Nr kol.")},
                                        {QStringLiteral("Grupa"), QStringLiteral("Grupa towaru")}},
                                       QStringLiteral("Grupy towarów"));
    DBNavigator1 = jadl::makeFullNavigator(
        this, source,
        {QStringLiteral("pierwszy zapis"), QStringLiteral("poprzedni zapis"), QStringLiteral("następny zapis"),
         QStringLiteral("ostatni zapis"), QStringLiteral("dodaj nowy zapis"), QStringLiteral("usuń"),
         QStringLiteral("edytuj"), QStringLiteral("zapisz"), QStringLiteral("anuluj"), QStringLiteral("odśwież")});
    Zamknij = jadl::makeCloseButton(this, "Zamknij",
                                    QStringLiteral("Zamknięcie aktywnych tablic  i opuszczenie formatki "));
    jadl::arrangeDictionary(this, DBNavigator1, DBGrid1, Zamknij);
}

void TGrupyTowarow::wireHandlers()
{
    connect(DBGrid1, &jadl::DBGrid::titleClicked, this,
            [this](const QString& title) { jadl::runGuarded([this, title] { DBGrid1TitleClick(title); }); });
    connect(Zamknij, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { ZamknijClick(); }); });
    if (TModulDanych1* dm = dm_)
        jadl::registerEditor(
            this, {dm->TableGrupyTowarow}, [dm] { dm->TableGrupyTowarow->post(); }, jadl::SaveStyle::PostOnMove);
}

jadl::Table* TGrupyTowarow::table() const
{
    return dm_->TableGrupyTowarow;
}

void TGrupyTowarow::DBGrid1TitleClick(const QString& title)
{
    // Going through the primary index first re-reads the order from the start,
    // as the table did when its index was switched.
    if (title == QLatin1String("Nr kol.")) {
        table()->setIndexName(QString());
        table()->setIndexName(QStringLiteral("NumerInd"));
    } else if (title == QLatin1String("Grupa towaru")) {
        table()->setIndexName(QString());
        table()->setIndexName(QStringLiteral("GrupaInd"));
    }
}

void TGrupyTowarow::ZamknijClick()
{
    jadl::postPendingEdits({table()});
    if (table()->active())
        table()->close();
    close();
}
