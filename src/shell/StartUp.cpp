#include "shell/StartUp.h"

#include "archive/KopiowanieDanychJadl.h"
#include "archive/OdtwarzanieDanychJadl.h"
#include "masterdata/DostawcyJadl.h"
#include "masterdata/GrupyTowarowJadl.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/ParametryJadl.h"
#include "masterdata/RestauracjeJadl.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "platform/Drives.h"
#include "controls/MonthCalendar.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "purchases/TowaryJadl.h"
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "reports/Dostawcy_Druk.h"
#include "reports/TowaryPodstawoweWgGrup_Druk.h"
#include "reports/WartoscKupionychTowarow_Druk.h"
#include "reports/ZakupioneTowaryDruk1Jadl.h"
#include "reports/ZakupioneTowaryDrukJadl.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Database.h"
#include "store/Modul_Danych1.h"
#include "store/TableDefs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

#include <memory>
#include <vector>

namespace jadl {
Forms& forms()
{
    static Forms f;
    return f;
}
} // namespace jadl

namespace {

using jadl::forms;

// Owns what start-up created, so ShutDown() can destroy it last first.
std::vector<std::unique_ptr<QObject>>& created()
{
    static std::vector<std::unique_ptr<QObject>> objects;
    return objects;
}

template <class T>
T* create()
{
    auto obj = std::make_unique<T>();
    T* raw = obj.get();
    created().push_back(std::move(obj));
    return raw;
}

void loadPolishTranslations()
{
    static bool loaded = false;
    if (loaded)
        return;
    auto* qt = new QTranslator(qApp);
    if (qt->load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    loaded = true;
}

// A data directory without its table files gets them, empty, as an
// installation would have made them (the copy table is made on request only).
void createMissingTables(const QString& dataDir)
{
    for (const jadl::TableDef* def : jadl::tabledefs::all()) {
        if (QFileInfo::exists(dataDir + QLatin1Char('/') + def->fileName))
            continue;
        jadl::Table t;
        t.setDatabaseName(dataDir);
        t.setTableName(def->fileName);
        t.createTable();
    }
}

// What the purchase-lines filter reads of the assignment and supplier goods windows.
class WindowFilterInputs : public jadl::PurchaseFilterInputs {
public:
    bool assignmentVisible() const override
    {
        return forms().PrzypisywanieTowarow && forms().PrzypisywanieTowarow->isVisible();
    }
    bool filterByGroup() const override { return forms().PrzypisywanieTowarow->CheckBoxFiltrujPoGrupie->isChecked(); }
    QDate assignmentCalendarDate() const override { return forms().PrzypisywanieTowarow->Calendar1->date(); }
    bool supplierGoodsVisible() const override { return forms().Towary && forms().Towary->isVisible(); }
    int periodChoice() const override { return forms().Towary->periodChoice(); }
};

WindowFilterInputs& filterInputs()
{
    static WindowFilterInputs inputs;
    return inputs;
}

// Looks for the copy table on the start drive and records the answer in Par1.
void checkCopyTable()
{
    TTowary* towary = forms().Towary;
    TModulDanych1* dm = forms().ModulDanych1;
    const QString prefix = towary->DyskSystemu->currentText().left(1) + QStringLiteral(":\\");
    jadl::shared().dataDrivePrefix = prefix;
    bool exists = false;
    try {
        exists = QFileInfo::exists(jadl::platform::Drives::toRealPath(prefix + QStringLiteral("jadl\\dane_bar\\TowaryRaport.db")));
    } catch (const jadl::platform::IoError&) {
        exists = false; // a drive that cannot be read holds no copy table
    }
    jadl::Table* par = dm->TableParametry;
    par->open();
    par->edit();
    par->fieldByName(QStringLiteral("Par1")).setBoolean(exists);
    par->post();
    par->close();
    if (exists) {
        towary->TworzTablice->setEnabled(false);
        towary->TableTowaryRaport->close();
        towary->TableTowaryRaport->setDatabaseName(prefix + QStringLiteral("jadl\\dane_bar"));
        towary->TableTowaryRaport->setTableName(QStringLiteral("TowaryRaport"));
    }
}

} // namespace

void StartUp()
{
    loadPolishTranslations();

    const QString dataDir = jadl::platform::Drives::dataDirectory();
    jadl::Aliases::setAlias(QStringLiteral("dane_bar"), dataDir);
    createMissingTables(dataDir);

    jadl::Forms& f = forms();
    f.Meni = create<TMeni>();
    f.Towary = create<TTowary>();
    f.ModulDanych1 = create<TModulDanych1>();
    f.Towary->bindDataModule(f.ModulDanych1);
    f.Dostawcy = create<TDostawcy>();
    f.PrzypisywanieTowarow = create<TPrzypisywanieTowarow>();
    f.TowaryPodstawowe = create<TTowaryPodstawowe>();
    f.GrupyTowarow = create<TGrupyTowarow>();
    f.KopiowanieDanych = create<TKopiowanieDanych>();
    f.OdtwarzanieDanych = create<TOdtwarzanieDanych>();
    f.Parametry = create<TParametry>();
    f.ZakupioneTowaryDruk = create<TZakupioneTowaryDruk>();
    f.WartoscKupionychTowarowDruk = create<TWartoscKupionychTowarowDruk>();
    f.Restauracje = create<TRestauracje>();
    f.JednostkiMiarJadlon = create<TJednostkiMiarJadlon>();
    f.StawkiVatJadlon = create<TStawkiVatJadlon>();
    f.UsuwaniePrzypisanychTowarow = create<TUsuwaniePrzypisanychTowarow>();
    f.ZakupioneTowaryDruk1 = create<TZakupioneTowaryDruk1>();
    f.TowaryPodstawoweWgGrupDruk = create<TTowaryPodstawoweWgGrupDruk>();
    f.DostawcyDruk = create<TDostawcyDruk>();
    f.ModulDanych1->setFilterInputs(&filterInputs());

    jadl::shared().supplierReportFlag = false;
    checkCopyTable();

    f.Meni->move(0, 0);
    f.Meni->show();
}

void ShutDown()
{
    auto& objects = created();
    // Windows first (they may hold their own tables), the data module with them in
    // reverse order of creation; the main window goes last.
    while (!objects.empty())
        objects.pop_back();
    forms() = jadl::Forms{};
}
