#include "work/KsefImport.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "platform/Clock.h"
#include "store/EngineError.h"
#include "store/Table.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace jadl::ksefimport {

namespace {

const QString kNumer = QStringLiteral("Numer");
const QString kNip = QStringLiteral("NipSprzedawcy");

QVariant value(Table& t, int row, const QString& field)
{
    return t.valueAt(row, t.fieldIndex(field));
}

// The row of the view holding the record with this Numer, or -1.
int rowOf(Table& t, int numer)
{
    const int f = t.fieldIndex(kNumer);
    for (int row = 0; row < t.recordCount(); ++row)
        if (t.valueAt(row, f).toInt() == numer)
            return row;
    return -1;
}

QString clip(const QString& s, int length)
{
    return s.left(length);
}

// Every table of the import sees all of its records, in primary order.
void showAll(Table& t)
{
    if (!t.active())
        t.open();
    t.setMasterSource(nullptr);
    t.setMasterFields(QString());
    t.setIndexName(QString());
    t.setFiltered(false);
}

QString invoiceName(const ksef::Invoice& inv, const QString& nip)
{
    return QStringLiteral("%1 od %2 (NIP %3)").arg(inv.number, inv.seller.name, nip);
}

// The register's record of an invoice of this seller and number, when there is one.
std::optional<int> registeredRow(Table& invoices, const QString& nip, const QString& number)
{
    for (int row = 0; row < invoices.recordCount(); ++row)
        if (value(invoices, row, kNip).toString() == nip &&
            value(invoices, row, QStringLiteral("NumerFaktury")).toString() == number)
            return row;
    return std::nullopt;
}

void refuseRegistered(Table& invoices, const ksef::Invoice& inv, const QString& nip)
{
    if (const auto row = registeredRow(invoices, nip, inv.number)) {
        const QDateTime when = value(invoices, *row, QStringLiteral("DataImportu")).toDateTime();
        throw ksef::InvoiceError(
            QStringLiteral("%1: faktura %2 została już zaimportowana %3 – drugi raz jej nie zapisuję.")
                .arg(inv.fileName, invoiceName(inv, nip), when.toString(QStringLiteral("dd.MM.yyyy HH:mm"))));
    }
}

QHash<QString, int> mappingsOf(Table& mappings, const QString& nip)
{
    QHash<QString, int> out;
    for (int row = 0; row < mappings.recordCount(); ++row)
        if (value(mappings, row, kNip).toString() == nip)
            out.insert(value(mappings, row, QStringLiteral("NazwaPozycji")).toString(),
                       value(mappings, row, QStringLiteral("NumerPodstawowy")).toInt());
    return out;
}

QSet<int> numbersOf(Table& t)
{
    QSet<int> out;
    const int f = t.fieldIndex(kNumer);
    for (int row = 0; row < t.recordCount(); ++row)
        out.insert(t.valueAt(row, f).toInt());
    return out;
}

// The stored spelling of a unit ("szt" for "Szt."), the unit added when the table lacks it.
class Units {
public:
    explicit Units(Table& units) : t_(units)
    {
        for (int row = 0; row < t_.recordCount(); ++row) {
            const QString u = value(t_, row, QStringLiteral("Jednostka")).toString();
            known_.insert(ksef::unitKey(u), u);
        }
    }
    QString stored(const QString& unit)
    {
        const QString key = ksef::unitKey(unit);
        if (key.isEmpty())
            return {};
        if (const auto it = known_.constFind(key); it != known_.constEnd())
            return *it;
        const QString name = clip(unit.trimmed(), 10);
        t_.append();
        t_.assignOrdinal(QStringLiteral("NrKol"));
        t_.fieldByName(QStringLiteral("Jednostka")).setString(name);
        t_.fieldByName(QStringLiteral("OpisJednostki")).setString(QStringLiteral("z faktury KSeF"));
        t_.post();
        known_.insert(key, name);
        return name;
    }

private:
    Table& t_;
    QHash<QString, QString> known_;
};

void ensureVatDesignation(Table& rates, const QString& vatTyp)
{
    for (int row = 0; row < rates.recordCount(); ++row)
        if (value(rates, row, QStringLiteral("VatOznaczenie")).toString() == vatTyp)
            return;
    rates.append();
    rates.assignOrdinal(QStringLiteral("NrKol"));
    rates.fieldByName(QStringLiteral("VatOznaczenie")).setString(vatTyp);
    rates.fieldByName(QStringLiteral("StawkaLiczba")).setFloat(roundedMoney(vatRate(vatTyp) * 100.0));
    rates.fieldByName(QStringLiteral("OpisStawki")).setString(QStringLiteral("z faktury KSeF"));
    rates.post();
}

// What a purchase line copies of its basic good.
struct Good {
    QVariant nazwa, symbol, numerGrupy, grupa, typTowaru, indeks, jednostka, cenaReferencyjna;
};

Good goodAt(Table& goods, int row)
{
    auto v = [&](const char* f) { return value(goods, row, QString::fromLatin1(f)); };
    return {v("Nazwa"),     v("Symbol"), v("NumerGrupy"),     v("Grupa"),
            v("TypTowaru"), v("Indeks"), v("JednostkaMiary"), v("CenaReferencyjna")};
}

// The restaurant marked active ("TAK"), -1 when none is.
int activeOwnerRow(Table& owner)
{
    for (int row = 0; row < owner.recordCount(); ++row)
        if (value(owner, row, QStringLiteral("AktywnyString")).toString() == QLatin1String("TAK"))
            return row;
    return -1;
}

std::vector<std::unique_ptr<Table>> openOwn()
{
    std::vector<std::unique_ptr<Table>> out;
    for (const char* file : {"Towary.DB", "Dostawcy.db", "TowaryPodstawowe.db", "GrupyTowarow.DB", "Wlasciciel.DB",
                             "StawkiVat.db", "JednostkiMiar.DB", "FakturyKSeF.db", "MapowanieKSeF.db"}) {
        auto t = std::make_unique<Table>();
        t->setDatabaseName(QStringLiteral("jadlonia"));
        t->setTableName(QString::fromLatin1(file));
        t->open();
        out.push_back(std::move(t));
    }
    return out;
}

} // namespace

OwnTables::OwnTables()
    : owned_(openOwn()), tables_{*owned_[0], *owned_[1], *owned_[2], *owned_[3], *owned_[4],
                                 *owned_[5], *owned_[6], *owned_[7], *owned_[8]}
{ }

OwnTables::~OwnTables() = default;

std::optional<int> supplierByNip(Table& suppliers, const QString& nipDigits)
{
    if (nipDigits.isEmpty())
        return std::nullopt;
    for (int row = 0; row < suppliers.recordCount(); ++row)
        if (ksef::nipDigits(value(suppliers, row, QStringLiteral("Nip")).toString()) == nipDigits)
            return value(suppliers, row, kNumer).toInt();
    return std::nullopt;
}

std::optional<int> mappedGood(Table& mappings, const QString& nipDigits, const QString& lineName)
{
    const auto m = mappingsOf(mappings, nipDigits);
    const auto it = m.constFind(lineName);
    return it == m.constEnd() ? std::nullopt : std::optional<int>(*it);
}

Draft prepare(const QString& path, Tables& t)
{
    for (Table* table :
         {&t.lines, &t.suppliers, &t.goods, &t.groups, &t.owner, &t.vatRates, &t.units, &t.invoices, &t.mappings})
        showAll(*table);
    Draft d;
    d.invoice = ksef::readKsefInvoice(path);
    d.plan = ksef::planLines(d.invoice);
    if (!d.plan.recordable())
        throw ksef::InvoiceError(QStringLiteral("%1: pozycje faktury nie dają jej sum – nie zapisuję jej.\n%2")
                                     .arg(d.invoice.fileName, d.plan.notes().join(QLatin1Char('\n'))));
    d.sellerNip = ksef::nipDigits(d.invoice.seller.nip);
    refuseRegistered(t.invoices, d.invoice, d.sellerNip);
    d.sha256 = ksef::fileSha256(path);
    d.supplier = supplierByNip(t.suppliers, d.sellerNip);
    const QHash<QString, int> mappings = mappingsOf(t.mappings, d.sellerNip);
    const QSet<int> goods = numbersOf(t.goods);
    for (const ksef::PlannedLine& line : d.plan.lines) {
        const auto it = mappings.constFind(line.name);
        const bool known = it != mappings.constEnd() && goods.contains(*it);
        d.goods.push_back(known ? std::optional<int>(*it) : std::nullopt);
        d.mapped.push_back(known);
    }
    return d;
}

int addSupplier(Tables& t, const ksef::Party& seller, const QString& symbol)
{
    if (symbol.trimmed().isEmpty() || seller.name.trimmed().isEmpty())
        throw ksef::InvoiceError(QStringLiteral("Wprowadzany Dostawca musi posiadać Nazwę i Nazwę Skróconą(Symbol)"));
    Table& s = t.suppliers;
    showAll(s);
    s.append();
    s.assignOrdinal(QStringLiteral("NrKolejnyDostawcy"));
    s.fieldByName(QStringLiteral("Nazwa")).setString(clip(seller.name.trimmed(), 100));
    s.fieldByName(QStringLiteral("Symbol")).setString(clip(symbol.trimmed(), 40));
    s.fieldByName(QStringLiteral("Nip")).setString(ksef::nipDigits(seller.nip));
    s.fieldByName(QStringLiteral("Ulica")).setString(clip(seller.addressLine1, 55));
    s.fieldByName(QStringLiteral("Miasto")).setString(clip(seller.addressLine2, 35));
    QStringList address{seller.addressLine1, seller.addressLine2};
    address.removeAll(QString());
    s.fieldByName(QStringLiteral("Adres")).setString(clip(address.join(QStringLiteral(", ")), 100));
    showAll(t.owner);
    if (!t.owner.isEmpty()) {
        const int o = std::max(0, activeOwnerRow(t.owner));
        const QVariant nr = value(t.owner, o, QStringLiteral("NrKolejny"));
        const QVariant sym = value(t.owner, o, QStringLiteral("Symbol"));
        if (!nr.isNull())
            s.fieldByName(QStringLiteral("NrKolejnyWlasciciela")).setValue(nr);
        if (!sym.isNull())
            s.fieldByName(QStringLiteral("SymbolWlasciciela")).setValue(sym);
    }
    s.post();
    s.flushBuffers();
    return s.fieldByName(kNumer).asInteger();
}

int addBasicGood(Tables& t, int groupNumber, const ksef::PlannedLine& line)
{
    showAll(t.groups);
    const int g = rowOf(t.groups, groupNumber);
    if (g < 0)
        throw ksef::InvoiceError(QStringLiteral("Brak grupy towarów o numerze %1").arg(groupNumber));
    Table& goods = t.goods;
    showAll(goods);
    const QString unit = Units(t.units).stored(line.unit);
    ensureVatDesignation(t.vatRates, line.vatTyp);
    goods.append();
    goods.fieldByName(QStringLiteral("NumerGrupy")).setInteger(groupNumber);
    goods.fieldByName(QStringLiteral("Grupa")).setValue(value(t.groups, g, QStringLiteral("Grupa")));
    goods.fieldByName(QStringLiteral("TypTowaru")).setValue(value(t.groups, g, QStringLiteral("TypTowaru")));
    goods.assignOrdinal(QStringLiteral("NrKol"), QStringLiteral("NumerGrupy"), groupNumber);
    goods.fieldByName(QStringLiteral("Nazwa")).setString(clip(line.name, 100));
    goods.fieldByName(QStringLiteral("Symbol")).setString(clip(line.name, 50));
    goods.fieldByName(QStringLiteral("DataDodania")).setDate(platform::today());
    if (!unit.isEmpty())
        goods.fieldByName(QStringLiteral("JednostkaMiary")).setString(unit);
    goods.fieldByName(QStringLiteral("VatTyp")).setString(line.vatTyp);
    goods.fieldByName(QStringLiteral("CenaNetto")).setFloat(line.cenaNetto);
    if (const auto gross = grossPrice(line.cenaNetto, line.vatTyp))
        goods.fieldByName(QStringLiteral("CenaBrutto")).setFloat(*gross);
    goods.post();
    goods.flushBuffers();
    return goods.fieldByName(kNumer).asInteger();
}

int record(Tables& t, const Draft& d, QString* warning)
{
    for (Table* table : {&t.lines, &t.suppliers, &t.goods, &t.owner, &t.vatRates, &t.units, &t.invoices, &t.mappings})
        showAll(*table);
    const ksef::Invoice& inv = d.invoice;
    refuseRegistered(t.invoices, inv, d.sellerNip);
    const int supplierRow = d.supplier ? rowOf(t.suppliers, *d.supplier) : -1;
    if (supplierRow < 0)
        throw ksef::InvoiceError(QStringLiteral("%1: nie wybrano dostawcy faktury %2 – nic nie zapisuję.")
                                     .arg(inv.fileName, invoiceName(inv, d.sellerNip)));
    QHash<int, int> goodRows;
    {
        const int f = t.goods.fieldIndex(kNumer);
        for (int row = 0; row < t.goods.recordCount(); ++row)
            goodRows.insert(t.goods.valueAt(row, f).toInt(), row);
    }
    std::vector<Good> goods;
    for (size_t i = 0; i < d.plan.lines.size(); ++i) {
        const auto it = i < d.goods.size() && d.goods[i] ? goodRows.constFind(*d.goods[i]) : goodRows.constEnd();
        if (it == goodRows.constEnd())
            throw ksef::InvoiceError(
                QStringLiteral("%1: pozycja %2 (%3) nie ma wybranego towaru podstawowego – nic nie zapisuję.")
                    .arg(inv.fileName)
                    .arg(d.plan.lines[i].invoiceLine)
                    .arg(d.plan.lines[i].name));
        goods.push_back(goodAt(t.goods, *it));
    }
    auto supplier = [&](const char* f) { return value(t.suppliers, supplierRow, QString::fromLatin1(f)); };
    // The active restaurant, as the assignment takes it.
    QVariant restaurantSymbol, restaurantNumber;
    if (const int o = activeOwnerRow(t.owner); o >= 0) {
        restaurantSymbol = value(t.owner, o, QStringLiteral("Symbol"));
        restaurantNumber = value(t.owner, o, kNumer);
    }

    // Everything in open transactions; the lines are committed first, the rest after them.
    Table::Batch lineBatch(t.lines);
    Table::Batch registerBatch(t.invoices);
    Table::Batch mappingBatch(t.mappings);
    Table::Batch vatBatch(t.vatRates);
    Table::Batch unitBatch(t.units);

    double net = 0, vat = 0, gross = 0;
    for (const auto& l : d.plan.lines) {
        net += l.wartoscNetto;
        vat += l.wartoscVat;
        gross += l.wartoscBrutto;
    }
    t.invoices.append();
    auto reg = [&](const char* f) -> Field& { return t.invoices.fieldByName(QString::fromLatin1(f)); };
    reg("NipSprzedawcy").setString(d.sellerNip);
    reg("NazwaSprzedawcy").setString(clip(inv.seller.name, 256));
    reg("NumerFaktury").setString(clip(inv.number, 256));
    reg("RodzajFaktury").setString(ksef::kindCode(inv.kind));
    reg("DataWystawienia").setDate(inv.issueDate);
    if (inv.supplyDate)
        reg("DataDostawy").setDate(*inv.supplyDate);
    reg("Plik").setString(clip(inv.fileName, 255));
    reg("Sha256").setString(d.sha256);
    reg("DataImportu").setValue(QDateTime(platform::today(), QTime::currentTime()));
    reg("NumerDostawcy").setInteger(*d.supplier);
    reg("IloscPozycji").setInteger(int(d.plan.lines.size()));
    reg("WartoscNetto").setFloat(roundedMoney(net));
    reg("WartoscVat").setFloat(roundedMoney(vat));
    reg("WartoscBrutto").setFloat(roundedMoney(gross));
    t.invoices.post();
    const int invoiceNumber = reg("Numer").asInteger();

    Units units(t.units);
    QSet<QString> rates;
    std::vector<qint64> added;
    auto line = [&](const char* f) -> Field& { return t.lines.fieldByName(QString::fromLatin1(f)); };
    for (size_t i = 0; i < d.plan.lines.size(); ++i) {
        const ksef::PlannedLine& p = d.plan.lines[i];
        const Good& g = goods[i];
        if (!rates.contains(p.vatTyp)) {
            ensureVatDesignation(t.vatRates, p.vatTyp);
            rates.insert(p.vatTyp);
        }
        const QString unit = units.stored(p.unit);
        t.lines.append();
        line("DataZakupu").setDate(p.dataZakupu);
        line("DataZakupuString").setString(formatDayMonth(p.dataZakupu));
        line("Nazwa").setValue(g.nazwa);
        line("Symbol").setValue(g.symbol);
        line("NumerPodstawowy").setInteger(*d.goods[i]);
        line("NumerGrupy").setValue(g.numerGrupy);
        line("Grupa").setValue(g.grupa);
        line("TypTowaru").setValue(g.typTowaru);
        line("Indeks").setValue(g.indeks);
        line("RestauracjaSymbol").setValue(restaurantSymbol);
        line("RestauracjaNumer").setValue(restaurantNumber);
        line("CenaNetto").setFloat(p.cenaNetto);
        line("CenaReferencyjna").setValue(g.cenaReferencyjna);
        const std::optional<double> ref = g.cenaReferencyjna.isNull()
            ? std::nullopt
            : std::optional<double>(g.cenaReferencyjna.toDouble());
        line("JakaCenaRef").setString(referencePriceSign(p.cenaNetto, ref));
        line("VatTyp").setString(p.vatTyp);
        line("CenaBrutto").setFloat(p.cenaBrutto);
        line("NumerDostawcy").setInteger(*d.supplier);
        line("SymbolDostawcy").setValue(supplier("Symbol"));
        line("Dostawca").setValue(supplier("Nazwa"));
        line("UpustProc").setFloat(0.0);
        line("Ilosc").setFloat(p.ilosc);
        if (!unit.isEmpty())
            line("JednostkaMiary").setString(unit);
        else
            line("JednostkaMiary").setValue(g.jednostka);
        line("WartoscNetto").setFloat(p.wartoscNetto);
        line("Vat").setFloat(p.vat);
        line("WartoscVat").setFloat(p.wartoscVat);
        line("WartoscBrutto").setFloat(p.wartoscBrutto);
        line("CzyBylaFaktura").setBoolean(true);
        line("Par9").setString(QStringLiteral("Tak"));
        line("Par8").setInteger(invoiceNumber);
        line("Par10").setString(clip(inv.number, 50));
        t.lines.post();
        added.push_back(t.lines.fieldByName(kNumer).asLargeInt());
    }

    // The seller's mappings: the good chosen for each line name, changed where it differs.
    QHash<QString, std::pair<int, int>> existing; // name -> (row, good)
    for (int row = 0; row < t.mappings.recordCount(); ++row)
        if (value(t.mappings, row, kNip).toString() == d.sellerNip)
            existing.insert(value(t.mappings, row, QStringLiteral("NazwaPozycji")).toString(),
                            {row, value(t.mappings, row, QStringLiteral("NumerPodstawowy")).toInt()});
    QHash<QString, int> wanted;
    for (size_t i = 0; i < d.plan.lines.size(); ++i)
        wanted.insert(d.plan.lines[i].name, *d.goods[i]);
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const auto e = existing.constFind(it.key());
        if (e == existing.constEnd() || e->second == it.value())
            continue;
        t.mappings.setRecNo(e->first + 1);
        t.mappings.edit();
        t.mappings.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(it.value());
        t.mappings.fieldByName(QStringLiteral("DataZmiany")).setDate(platform::today());
        t.mappings.post();
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (existing.contains(it.key()))
            continue;
        t.mappings.append();
        t.mappings.fieldByName(kNip).setString(d.sellerNip);
        t.mappings.fieldByName(QStringLiteral("NazwaPozycji")).setString(it.key());
        t.mappings.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(it.value());
        t.mappings.fieldByName(QStringLiteral("DataZmiany")).setDate(platform::today());
        t.mappings.post();
    }

    // The lines, then the register that marks them imported: a register without
    // its lines would refuse the invoice for good.
    lineBatch.commit();
    try {
        registerBatch.commit();
    } catch (...) {
        // Lines without their invoice in the register could be imported again: take them back.
        Table::Batch undo(t.lines);
        for (qint64 id : added)
            if (t.lines.locate(kNumer, id))
                t.lines.deleteRecord();
        undo.commit();
        throw;
    }
    t.lines.flushBuffers();
    t.invoices.flushBuffers();
    // What is only remembered for later: the invoice stands without it, and the user is told.
    try {
        mappingBatch.commit();
        vatBatch.commit();
        unitBatch.commit();
    } catch (const EngineError& e) {
        const QString text = QStringLiteral("%1: faktura %2 została zapisana, ale nie udało się zapamiętać "
                                            "wybranych towarów, jednostek lub stawek VAT: %3")
                                 .arg(inv.fileName, invoiceName(inv, d.sellerNip), e.message());
        if (!warning)
            throw ksef::InvoiceError(text);
        *warning = text;
    }
    return invoiceNumber;
}

} // namespace jadl::ksefimport
