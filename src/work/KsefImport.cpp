#include "work/KsefImport.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "platform/Clock.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "work/PurchaseLine.h"

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

namespace {

// What the recording of one draft works from, checked before anything is written.
struct Recording {
    Tables& t;
    const Draft& d;
    purchase::SupplierCopy supplier;
    purchase::RestaurantCopy restaurant;
    std::vector<purchase::GoodCopy> goods; // per planned line
};

// The draft's supplier and goods are still there, and the invoice is not
// registered yet; else nothing is recorded.
Recording check(Tables& t, const Draft& d)
{
    for (Table* table : {&t.lines, &t.suppliers, &t.goods, &t.owner, &t.vatRates, &t.units, &t.invoices, &t.mappings})
        showAll(*table);
    const ksef::Invoice& inv = d.invoice;
    refuseRegistered(t.invoices, inv, d.sellerNip);
    const int supplierRow = d.supplier ? rowOf(t.suppliers, *d.supplier) : -1;
    if (supplierRow < 0)
        throw ksef::InvoiceError(QStringLiteral("%1: nie wybrano dostawcy faktury %2 – nic nie zapisuję.")
                                     .arg(inv.fileName, invoiceName(inv, d.sellerNip)));
    Recording r{
        t, d, purchase::SupplierCopy::at(t.suppliers, supplierRow), purchase::RestaurantCopy::active(t.owner), {}};
    QHash<int, int> goodRows;
    const int f = t.goods.fieldIndex(kNumer);
    for (int row = 0; row < t.goods.recordCount(); ++row)
        goodRows.insert(t.goods.valueAt(row, f).toInt(), row);
    for (size_t i = 0; i < d.plan.lines.size(); ++i) {
        const auto it = i < d.goods.size() && d.goods[i] ? goodRows.constFind(*d.goods[i]) : goodRows.constEnd();
        if (it == goodRows.constEnd())
            throw ksef::InvoiceError(
                QStringLiteral("%1: pozycja %2 (%3) nie ma wybranego towaru podstawowego – nic nie zapisuję.")
                    .arg(inv.fileName)
                    .arg(d.plan.lines[i].invoiceLine)
                    .arg(d.plan.lines[i].name));
        r.goods.push_back(purchase::GoodCopy::at(t.goods, *it));
    }
    return r;
}

// The invoice in the register, with its totals as the lines give them; returns its Numer.
int writeRegister(const Recording& r)
{
    const ksef::Invoice& inv = r.d.invoice;
    double net = 0, vat = 0, gross = 0;
    for (const auto& l : r.d.plan.lines) {
        net += l.wartoscNetto;
        vat += l.wartoscVat;
        gross += l.wartoscBrutto;
    }
    Table& invoices = r.t.invoices;
    invoices.append();
    auto reg = [&](const char* f) -> Field& { return invoices.fieldByName(QString::fromLatin1(f)); };
    reg("NipSprzedawcy").setString(r.d.sellerNip);
    reg("NazwaSprzedawcy").setString(clip(inv.seller.name, 256));
    reg("NumerFaktury").setString(clip(inv.number, 256));
    reg("RodzajFaktury").setString(ksef::kindCode(inv.kind));
    reg("DataWystawienia").setDate(inv.issueDate);
    if (inv.supplyDate)
        reg("DataDostawy").setDate(*inv.supplyDate);
    reg("Plik").setString(clip(inv.fileName, 255));
    reg("Sha256").setString(r.d.sha256);
    reg("DataImportu").setValue(QDateTime(platform::today(), QTime::currentTime()));
    reg("NumerDostawcy").setInteger(*r.d.supplier);
    reg("IloscPozycji").setInteger(int(r.d.plan.lines.size()));
    reg("WartoscNetto").setFloat(roundedMoney(net));
    reg("WartoscVat").setFloat(roundedMoney(vat));
    reg("WartoscBrutto").setFloat(roundedMoney(gross));
    invoices.post();
    return reg("Numer").asInteger();
}

// One purchase line per planned line, pointing to the invoice; returns their Numer.
std::vector<qint64> writeLines(const Recording& r, int invoiceNumber)
{
    Units units(r.t.units);
    QSet<QString> rates;
    std::vector<qint64> added;
    for (size_t i = 0; i < r.d.plan.lines.size(); ++i) {
        const ksef::PlannedLine& p = r.d.plan.lines[i];
        if (!rates.contains(p.vatTyp)) {
            ensureVatDesignation(r.t.vatRates, p.vatTyp);
            rates.insert(p.vatTyp);
        }
        purchase::LineValues v;
        v.day = p.dataZakupu;
        v.cenaNetto = p.cenaNetto;
        v.cenaBrutto = p.cenaBrutto;
        v.vatTyp = p.vatTyp;
        v.vat = p.vat;
        v.ilosc = p.ilosc;
        v.jednostka = units.stored(p.unit);
        v.wartoscNetto = p.wartoscNetto;
        v.wartoscVat = p.wartoscVat;
        v.wartoscBrutto = p.wartoscBrutto;
        v.invoice = true;
        v.invoiceRegister = invoiceNumber;
        v.invoiceNumber = clip(r.d.invoice.number, 50);
        purchase::append(r.t.lines, r.goods[i], r.supplier, r.restaurant, v);
        r.t.lines.post();
        added.push_back(r.t.lines.fieldByName(kNumer).asLargeInt());
    }
    return added;
}

// The seller's mappings: the good chosen for each line name, changed where it differs.
void writeMappings(const Recording& r)
{
    Table& mappings = r.t.mappings;
    QHash<QString, std::pair<int, int>> existing; // name -> (row, good)
    for (int row = 0; row < mappings.recordCount(); ++row)
        if (value(mappings, row, kNip).toString() == r.d.sellerNip)
            existing.insert(value(mappings, row, QStringLiteral("NazwaPozycji")).toString(),
                            {row, value(mappings, row, QStringLiteral("NumerPodstawowy")).toInt()});
    QHash<QString, int> wanted;
    for (size_t i = 0; i < r.d.plan.lines.size(); ++i)
        wanted.insert(r.d.plan.lines[i].name, *r.d.goods[i]);
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const auto e = existing.constFind(it.key());
        if (e == existing.constEnd() || e->second == it.value())
            continue;
        mappings.setRecNo(e->first + 1);
        mappings.edit();
        mappings.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(it.value());
        mappings.fieldByName(QStringLiteral("DataZmiany")).setDate(platform::today());
        mappings.post();
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (existing.contains(it.key()))
            continue;
        mappings.append();
        mappings.fieldByName(kNip).setString(r.d.sellerNip);
        mappings.fieldByName(QStringLiteral("NazwaPozycji")).setString(it.key());
        mappings.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(it.value());
        mappings.fieldByName(QStringLiteral("DataZmiany")).setDate(platform::today());
        mappings.post();
    }
}

} // namespace

int record(Tables& t, const Draft& d, QString* warning)
{
    const Recording r = check(t, d);
    // Everything in open transactions; the lines are committed first, the rest after them.
    Table::Batch lineBatch(t.lines);
    Table::Batch registerBatch(t.invoices);
    Table::Batch mappingBatch(t.mappings);
    Table::Batch vatBatch(t.vatRates);
    Table::Batch unitBatch(t.units);
    const int invoiceNumber = writeRegister(r);
    const std::vector<qint64> added = writeLines(r, invoiceNumber);
    writeMappings(r);

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
                                 .arg(d.invoice.fileName, invoiceName(d.invoice, d.sellerNip), e.message());
        if (!warning)
            throw ksef::InvoiceError(text);
        *warning = text;
    }
    return invoiceNumber;
}

} // namespace jadl::ksefimport
