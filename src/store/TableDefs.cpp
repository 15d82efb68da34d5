#include "store/TableDefs.h"

#include <QFileInfo>

namespace jadl::tabledefs {

namespace {

FieldDef autoInc(const char* name)
{
    return {QString::fromLatin1(name), FieldType::AutoInc, 0, {}, {}};
}
FieldDef integer(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Integer, 0, {}, {}};
}
// A byte count of the whole data directory outgrows 32 bits.
FieldDef largeInteger(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Integer, 64, {}, {}};
}
FieldDef text(const char* name, int size)
{
    return {QString::fromLatin1(name), FieldType::Text, size, {}, {}};
}
FieldDef real(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Float, 0, {}, {}};
}
FieldDef money(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Float, 0, QStringLiteral("0.00"), QStringLiteral("0.00")};
}
FieldDef date(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Date, 0, {}, {}};
}
FieldDef logical(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Logical, 0, {}, {}};
}
FieldDef memo(const char* name)
{
    return {QString::fromLatin1(name), FieldType::Memo, 0, {}, {}};
}

IndexDef index(const char* name, std::initializer_list<const char*> keys)
{
    IndexDef d;
    d.name = QString::fromLatin1(name);
    for (const char* k : keys)
        d.fields << QString::fromLatin1(k);
    return d;
}

TableDef makeTowary()
{
    TableDef t;
    t.fileName = QStringLiteral("Towary.DB");
    t.fields = {
        autoInc("Numer"),
        integer("NumerPodstawowy"),
        text("Nazwa", 100),
        text("Symbol", 50),
        text("Grupa", 40),
        text("TypTowaru", 40),
        integer("NumerGrupy"),
        text("Indeks", 30),
        text("Indeks1", 30),
        real("CenaNetto"),
        real("CenaBrutto"),
        real("Vat"),
        text("VatTyp", 10),
        real("Marza"),
        real("MarzaProc"),
        real("CenaNettoMarza"),
        real("CenaBruttoMarza"),
        real("Ilosc"),
        text("JednostkaMiary", 15),
        real("Przelicznik"),
        date("DataZakupu"),
        date("DataWaznosci"),
        date("DataSprzedazy"),
        text("Pochodzenie", 40),
        text("Dostawca", 120),
        text("SymbolDostawcy", 20),
        integer("NumerDostawcy"),
        real("Upust"),
        money("WartoscNetto"),
        money("WartoscBrutto"),
        real("UpustProc"),
        real("WartoscVat"),
        logical("CzyBylaFaktura"),
        real("CenaReferencyjna"),
        logical("Par1"),
        logical("Par2"),
        logical("Par3"),
        logical("Par4"),
        logical("Par5"),
        real("Par6"),
        real("Par7"),
        integer("Par8"),
        text("Par9", 25),
        text("Par10", 50),
        text("DataZakupuString", 25),
        text("DataWaznosciString", 25),
        text("JakaCenaRef", 10),
        integer("RestauracjaNumer"),
        text("CzyBylaFakturaString", 10),
        text("RestauracjaSymbol", 40),
    };
    t.indexes = {
        index("NrDostawcySymbolInd", {"NumerDostawcy", "Symbol"}),
        index("NrDostawcyDataZakupuInd", {"NumerDostawcy", "DataZakupu"}),
        index("NumerDostawcyInd", {"NumerDostawcy"}),
        index("SymbolInd", {"Symbol"}),
        // Our own addition: keeps "all suppliers, one period" from scanning the table.
        index("DataZakupuInd", {"DataZakupu"}),
        // And this one keeps a good's price history from scanning it.
        index("NumerPodstawowyInd", {"NumerPodstawowy", "DataZakupu"}),
    };
    // What the purchase-lines filter reads, so that a view comes from its index alone.
    for (IndexDef& ix : t.indexes)
        for (const char* f : {"DataZakupu", "NumerGrupy"})
            if (!ix.fields.contains(QString::fromLatin1(f)))
                ix.carried << QString::fromLatin1(f);
    // Totals of all suppliers (and the VAT rates' share of them), of one or
    // every supplier, and of the goods groups, from monthly sums; each
    // restaurant's apart.
    t.keptSums = KeptSumsDef{
        QStringLiteral("DataZakupu"),
        {QStringLiteral("WartoscNetto"), QStringLiteral("WartoscVat"), QStringLiteral("WartoscBrutto")},
        {{QStringLiteral("RestauracjaNumer"), QStringLiteral("VatTyp")},
         {QStringLiteral("RestauracjaNumer"), QStringLiteral("NumerDostawcy")},
         {QStringLiteral("RestauracjaNumer"), QStringLiteral("NumerGrupy")}}};
    return t;
}

TableDef makeDostawcy()
{
    TableDef t;
    t.fileName = QStringLiteral("Dostawcy.db");
    t.fields = {
        autoInc("Numer"),
        integer("NrKolejnyDostawcy"),
        integer("NrKolejnyWlasciciela"),
        text("SymbolWlasciciela", 40),
        text("Nazwa", 100),
        text("Symbol", 40),
        text("Miasto", 35),
        text("Ulica", 55),
        text("Adres", 100),
        text("TypDostawcy", 50),
        text("Nip", 18),
        text("Regon", 15),
        text("Pesel", 15),
        text("NrDowodu", 20),
        text("Telefon", 30),
        text("Telefon1", 30),
        text("Telefon2", 30),
        text("Fax", 30),
        text("E_mail", 50),
        text("Umowa", 40),
        text("Bank", 60),
        text("Konto", 40),
        text("Bank1", 60),
        text("Konto1", 40),
        real("WartoscNettoSuma"),
        real("WartoscVatSuma"),
        real("WartoscBruttoSuma"),
        memo("Opis"),
    };
    t.indexes = {
        index("NumerInd", {"Numer"}),
        index("SymbolInd", {"Symbol"}),
    };
    return t;
}

TableDef makeTowaryPodstawowe()
{
    TableDef t;
    t.fileName = QStringLiteral("TowaryPodstawowe.db");
    t.fields = {
        autoInc("Numer"),      integer("NumerGrupy"),
        integer("NrKol"),      text("Nazwa", 100),
        text("Symbol", 50),    text("Indeks", 30),
        text("TypTowaru", 40), text("Grupa", 40),
        date("DataDodania"),   real("CenaNetto"),
        real("CenaBrutto"),    text("JednostkaMiary", 10),
        text("VatTyp", 10),    real("CenaReferencyjna"),
        logical("Uzywany"),    logical("Zablokawany"),
        logical("Pom1"),       logical("Pom2"),
        integer("Pom3"),       integer("Pom4"),
        real("Pom5"),          real("Pom6"),
        date("Pom7"),          date("Pom8"),
        text("Pom9", 50),      text("Pom10", 30),
        memo("OpisTowaru"),
    };
    t.indexes = {
        index("NrGrupySymbolInd", {"NumerGrupy", "Symbol"}),
        index("NumerGrupyNrKolInd", {"NumerGrupy", "NrKol"}),
    };
    return t;
}

TableDef makeGrupyTowarow()
{
    TableDef t;
    t.fileName = QStringLiteral("GrupyTowarow.DB");
    t.fields = {autoInc("Numer"), integer("NrKol"), text("Grupa", 40), text("TypTowaru", 40)};
    t.indexes = {
        index("NumerInd", {"Numer"}),
        index("GrupaInd", {"Grupa"}),
    };
    return t;
}

TableDef makeParametry()
{
    TableDef t;
    t.fileName = QStringLiteral("Parametry.db");
    t.fields = {
        autoInc("Numer"),          logical("Par1"),
        logical("CzyscStawkiVat"), logical("CzyscJednostkiMiar"),
        integer("IleDyskietek"),   largeInteger("RozmiarDanych"),
    };
    return t;
}

TableDef makeWlasciciel()
{
    TableDef t;
    t.fileName = QStringLiteral("Wlasciciel.DB");
    t.fields = {
        autoInc("Numer"),  integer("NrKolejny"), text("Nazwa", 100),        text("Symbol", 40),  text("Miasto", 35),
        text("Ulica", 55), text("Adres", 100),   text("TypDostawcy", 50),   text("Nip", 18),     text("Regon", 15),
        text("Pesel", 15), text("NrDowodu", 20), text("Telefon1", 30),      text("Telefon", 30), text("Telefon2", 30),
        text("Fax", 30),   text("E_mail", 50),   text("Umowa", 40),         text("Bank", 60),    text("Konto", 40),
        text("Bank1", 60), text("Konto1", 40),   logical("CzyVat"),         memo("Opis"),        logical("Par1"),
        logical("Par2"),   logical("Par3"),      integer("Par5"),           integer("Par6"),     text("Par7", 100),
        text("Par8", 50),  text("Par9", 25),     text("AktywnyString", 10), logical("Aktywny"),
    };
    return t;
}

TableDef makeTowaryPom()
{
    TableDef t;
    t.fileName = QStringLiteral("TowaryPom.DB");
    t.fields = {autoInc("Numer")};
    return t;
}

TableDef makeStawkiVat()
{
    TableDef t;
    t.fileName = QStringLiteral("StawkiVat.db");
    t.fields = {
        autoInc("Numer"),     integer("NrKol"),        text("VatOznaczenie", 10), text("OpisStawki", 30),
        real("StawkaLiczba"), text("Informacja", 150), logical("Par1"),           real("Par2"),
        text("Par3", 50),     integer("Par4"),
    };
    return t;
}

TableDef makeJednostkiMiar()
{
    TableDef t;
    t.fileName = QStringLiteral("JednostkiMiar.DB");
    t.fields = {autoInc("Numer"), integer("NrKol"), text("Jednostka", 10), text("OpisJednostki", 40)};
    return t;
}

TableDef makeFakturyKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("FakturyKSeF.db");
    t.fields = {
        autoInc("Numer"),
        text("NipSprzedawcy", 10),
        text("NazwaSprzedawcy", 256),
        text("NumerFaktury", 256),
        text("RodzajFaktury", 10),
        date("DataWystawienia"),
        date("DataDostawy"),
        text("Plik", 255),
        text("Sha256", 64),
        {QStringLiteral("DataImportu"), FieldType::DateTime, 0, {}, {}},
        integer("NumerDostawcy"),
        integer("IloscPozycji"),
        money("WartoscNetto"),
        money("WartoscVat"),
        money("WartoscBrutto"),
    };
    t.indexes = {index("NipNumerInd", {"NipSprzedawcy", "NumerFaktury"})};
    return t;
}

TableDef makeMapowanieKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("MapowanieKSeF.db");
    t.fields = {
        autoInc("Numer"),           text("NipSprzedawcy", 10), text("NazwaPozycji", 512),
        integer("NumerPodstawowy"), date("DataZmiany"),
    };
    t.indexes = {index("NipNazwaInd", {"NipSprzedawcy", "NazwaPozycji"})};
    return t;
}

// What each purchase line of an imported invoice was on the invoice: the prices and
// amounts as written (its currency), beside what the line stores, so that a rounded
// or discounted price can be traced back.
TableDef makePozycjeKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("PozycjeKSeF.db");
    t.fields = {
        autoInc("Numer"),      integer("NumerFakturyKSeF"), integer("NrWiersza"),   logical("StanPrzed"),
        text("Nazwa", 512),    text("JednostkaMiary", 15),  real("Ilosc"),          real("CenaFaktury"),
        real("Rabat"),         real("CenaZaokraglona"),     real("CenaNetto"),      text("Waluta", 3),
        real("Kurs"),          real("NettoWaluta"),         real("VatWaluta"),      text("VatTyp", 10),
        money("WartoscNetto"), money("WartoscVat"),         money("WartoscBrutto"), integer("NumerPozycji"),
    };
    t.indexes = {index("NumerFakturyInd", {"NumerFakturyKSeF"})};
    return t;
}

// Invoices fetched from KSeF, kept exactly as received: the file's bytes (Base64,
// so that no byte changes on the way through text), its KSeF number, hash and
// metadata; Pominieta marks one the user set aside as not a purchase.
TableDef makePobraneKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("PobraneKSeF.db");
    t.fields = {
        autoInc("Numer"),
        text("NumerKSeF", 36),
        text("NipNabywcy", 10),
        text("NipSprzedawcy", 10),
        text("NazwaSprzedawcy", 512),
        text("NumerFaktury", 256),
        text("RodzajFaktury", 10),
        date("DataWystawienia"),
        text("DataPrzechowania", 40),
        {QStringLiteral("DataPobrania"), FieldType::DateTime, 0, {}, {}},
        money("KwotaBrutto"),
        text("Waluta", 3),
        text("Skrot", 44),
        {QStringLiteral("Metadane"), FieldType::Memo, 0, {}, {}},
        {QStringLiteral("Xml"), FieldType::Memo, 0, {}, {}},
        logical("Pominieta"),
    };
    t.indexes = {index("NumerKSeFInd", {"NumerKSeF"})};
    return t;
}

// How far the fetch got, per NIP: the permanent storage date the next one starts at.
TableDef makePunktKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("PunktKSeF.db");
    t.fields = {autoInc("Numer"),
                text("Nip", 10),
                text("Punkt", 40),
                {QStringLiteral("DataZmiany"), FieldType::DateTime, 0, {}, {}}};
    t.indexes = {index("NipInd", {"Nip"})};
    return t;
}

// Where the firm's invoices are fetched from: the environment (or an address of
// one's own) and the firm's NIP. The token is not here: it is in the keyring.
TableDef makeUstawieniaKsef()
{
    TableDef t;
    t.fileName = QStringLiteral("UstawieniaKSeF.db");
    t.fields = {autoInc("Numer"), text("Srodowisko", 20), text("Adres", 255), text("Nip", 10)};
    return t;
}

TableDef makeTowaryRaport()
{
    TableDef t;
    t.fileName = QStringLiteral("TowaryRaport.db");
    t.fields = {text("SymbolDostawcy", 20), real("Ilosc"),
                text("JednostkaMiary", 15), text("CzyBylaFaktura", 5),
                real("CenaNetto"),          real("WartoscNetto"),
                text("VatTyp", 6),          real("CenaBrutto"),
                real("WartoscBrutto"),      real("CenaReferencyjna"),
                text("Grupa", 35),          text("JakaCenaRef", 8),
                text("Symbol", 40),         {QStringLiteral("DataZakupu"), FieldType::DateTime, 0, {}, {}}};
    return t;
}

} // namespace

const TableDef& copyTable()
{
    static const TableDef d = makeTowaryRaport();
    return d;
}

const TableDef& pobraneKsef()
{
    static const TableDef d = makePobraneKsef();
    return d;
}

const TableDef& punktKsef()
{
    static const TableDef d = makePunktKsef();
    return d;
}

const TableDef& ustawieniaKsef()
{
    static const TableDef d = makeUstawieniaKsef();
    return d;
}

const TableDef& pozycjeKsef()
{
    static const TableDef d = makePozycjeKsef();
    return d;
}

const TableDef& fakturyKsef()
{
    static const TableDef d = makeFakturyKsef();
    return d;
}

const TableDef& mapowanieKsef()
{
    static const TableDef d = makeMapowanieKsef();
    return d;
}

QList<const TableDef*> invoiceTables()
{
    return {&fakturyKsef(), &mapowanieKsef(), &pozycjeKsef(), &pobraneKsef(), &punktKsef(), &ustawieniaKsef()};
}

const TableDef& towary()
{
    static const TableDef d = makeTowary();
    return d;
}
const TableDef& dostawcy()
{
    static const TableDef d = makeDostawcy();
    return d;
}
const TableDef& towaryPodstawowe()
{
    static const TableDef d = makeTowaryPodstawowe();
    return d;
}
const TableDef& grupyTowarow()
{
    static const TableDef d = makeGrupyTowarow();
    return d;
}
const TableDef& parametry()
{
    static const TableDef d = makeParametry();
    return d;
}
const TableDef& wlasciciel()
{
    static const TableDef d = makeWlasciciel();
    return d;
}
const TableDef& towaryPom()
{
    static const TableDef d = makeTowaryPom();
    return d;
}
const TableDef& stawkiVat()
{
    static const TableDef d = makeStawkiVat();
    return d;
}
const TableDef& jednostkiMiar()
{
    static const TableDef d = makeJednostkiMiar();
    return d;
}

QList<const TableDef*> all()
{
    return {&towary(),     &dostawcy(),  &towaryPodstawowe(), &grupyTowarow(), &parametry(),
            &wlasciciel(), &towaryPom(), &stawkiVat(),        &jednostkiMiar()};
}

const TableDef* find(const QString& fileName)
{
    const QString wanted = QFileInfo(fileName).completeBaseName();
    for (const TableDef* d : all() + invoiceTables())
        if (QFileInfo(d->fileName).completeBaseName().compare(wanted, Qt::CaseInsensitive) == 0)
            return d;
    return nullptr;
}

} // namespace jadl::tabledefs
