#pragma once
// The one registry of the windows and the data module, created once at start-up
// and kept for the whole run. Windows reach each other through it.

class TMeni;
class TTowary;
class TModulDanych1;
class TDostawcy;
class TPrzypisywanieTowarow;
class TTowaryPodstawowe;
class TGrupyTowarow;
class TKopiowanieDanych;
class TOdtwarzanieDanych;
class TParametry;
class TZakupioneTowaryDruk;
class TWartoscKupionychTowarowDruk;
class TRestauracje;
class TJednostkiMiarJadlon;
class TStawkiVatJadlon;
class TUsuwaniePrzypisanychTowarow;
class TZakupioneTowaryDruk1;
class TTowaryPodstawoweWgGrupDruk;
class TDostawcyDruk;

namespace jadl {

struct Forms {
    TMeni* Meni = nullptr;
    TTowary* Towary = nullptr;
    TModulDanych1* ModulDanych1 = nullptr;
    TDostawcy* Dostawcy = nullptr;
    TPrzypisywanieTowarow* PrzypisywanieTowarow = nullptr;
    TTowaryPodstawowe* TowaryPodstawowe = nullptr;
    TGrupyTowarow* GrupyTowarow = nullptr;
    TKopiowanieDanych* KopiowanieDanych = nullptr;
    TOdtwarzanieDanych* OdtwarzanieDanych = nullptr;
    TParametry* Parametry = nullptr;
    TZakupioneTowaryDruk* ZakupioneTowaryDruk = nullptr;
    TWartoscKupionychTowarowDruk* WartoscKupionychTowarowDruk = nullptr;
    TRestauracje* Restauracje = nullptr;
    TJednostkiMiarJadlon* JednostkiMiarJadlon = nullptr;
    TStawkiVatJadlon* StawkiVatJadlon = nullptr;
    TUsuwaniePrzypisanychTowarow* UsuwaniePrzypisanychTowarow = nullptr;
    TZakupioneTowaryDruk1* ZakupioneTowaryDruk1 = nullptr;
    TTowaryPodstawoweWgGrupDruk* TowaryPodstawoweWgGrupDruk = nullptr;
    TDostawcyDruk* DostawcyDruk = nullptr;
};

Forms& forms();

} // namespace jadl
