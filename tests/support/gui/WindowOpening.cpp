#include "support/gui/WindowOpening.h"

#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"

namespace jadl::test {

TTowary* openSupplierGoodsWindow(TModulDanych1& dm)
{
    for (Table* t : {dm.TableDostawcy, dm.TableTowary, dm.TableGrupyTowarow, dm.TableWlasciciel})
        if (!t->active())
            t->open();
    dm.TableTowary->setMasterSource(dm.DataSourceDostawcy);
    dm.TableTowary->setMasterFields(QStringLiteral("Numer"));
    dm.TableTowary->setIndexName(QStringLiteral("NrDostawcyDataZakupuInd"));
    dm.TableDostawcy->first();
    TTowary* w = forms().Towary;
    w->prepareForShow();
    w->show();
    return w;
}

} // namespace jadl::test
