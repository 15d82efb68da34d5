#include "controls/PendingEdits.h"
#include "masterdata/GrupyTowarowJadl.h"

#include "controls/DBGrid.h"
#include "controls/DBNavigator.h"
#include "masterdata/FormParts.h"
#include "shell/Application.h"
#include "shell/FormUtil.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"

#include <QPushButton>

TGrupyTowarow::TGrupyTowarow(QWidget* parent) : jadl::ExitRoutedDialog(parent)
{
    jadl::initForm(this, QStringLiteral("GrupyTowarow"), QStringLiteral("GRUPY TOWARÓW"), 420, 420);
    setExitHandler([this] { jadl::runGuarded([this] { ZamknijClick(); }); });
    TModulDanych1* dm = jadl::forms().ModulDanych1;

    jadl::DataSource* source = dm ? dm->DataSourceGrupyTowarow : nullptr;
    DBGrid1 = jadl::dictionary::makeGrid(this, source,
                                         {{QStringLiteral("NrKol"), QStringLiteral("Nr kol.")},
                                          {QStringLiteral("Grupa"), QStringLiteral("Grupa towaru")}},
                                         QStringLiteral("Grupy towarów"));
    DBNavigator1 = jadl::dictionary::makeFullNavigator(
        this, source,
        {QStringLiteral("pierwszy zapis"), QStringLiteral("poprzedni zapis"), QStringLiteral("następny zapis"),
         QStringLiteral("ostatni zapis"), QStringLiteral("dodaj nowy zapis"), QStringLiteral("usuń"),
         QStringLiteral("edytuj"), QStringLiteral("zapisz"), QStringLiteral("anuluj"), QStringLiteral("odśwież")});
    Zamknij = jadl::dictionary::makeCloseButton(this, QStringLiteral("Zamknij"),
                                                QStringLiteral("Zamknięcie aktywnych tablic  i opuszczenie formatki "));
    jadl::dictionary::arrange(this, DBNavigator1, DBGrid1, Zamknij);

    connect(DBGrid1, &jadl::DBGrid::titleClicked, this,
            [this](const QString& title) { jadl::runGuarded([this, title] { DBGrid1TitleClick(title); }); });
    connect(Zamknij, &QPushButton::clicked, this, [this] { jadl::runGuarded([this] { ZamknijClick(); }); });
    if (dm)
        jadl::registerEditor(this, {dm->TableGrupyTowarow}, [dm] { dm->TableGrupyTowarow->post(); },
                             jadl::SaveStyle::PostOnMove);
}

jadl::Table* TGrupyTowarow::table() const
{
    return jadl::forms().ModulDanych1->TableGrupyTowarow;
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
