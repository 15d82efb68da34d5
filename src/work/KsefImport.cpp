#include "work/KsefImport.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "platform/Clock.h"
#include "store/EngineError.h"
#include "store/Table.h"
#include "work/PurchaseLine.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <cmath>

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

// Names are cut at a word and end in "…"; codes and numbers are cut as they are.
QString clip(const QString& s, int length)
{
    return s.left(length);
}

QString clipName(const QString& s, int length)
{
    return ksef::clipAtWord(s.trimmed(), length);
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
    // `added` receives the Numer of a unit this adds.
    QString stored(const QString& unit, std::vector<int>* added = nullptr)
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
        if (added)
            added->push_back(t_.fieldByName(kNumer).asInteger());
        known_.insert(key, name);
        return name;
    }

private:
    Table& t_;
    QHash<QString, QString> known_;
};

// `added` receives the Numer of a designation this adds.
void ensureVatDesignation(Table& rates, const QString& vatTyp, std::vector<int>* added = nullptr)
{
    for (int row = 0; row < rates.recordCount(); ++row)
        if (value(rates, row, QStringLiteral("VatOznaczenie")).toString() == vatTyp)
            return;
    rates.append();
    rates.assignOrdinal(QStringLiteral("NrKol"));
    rates.fieldByName(QStringLiteral("VatOznaczenie")).setString(vatTyp);
    rates.fieldByName(QStringLiteral("StawkaLiczba")).setFloat(roundedMoney(vatRate(vatTyp) * 100.0));
    rates.fieldByName(QStringLiteral("OpisStawki"))
        .setString(vatTyp == ksef::kMarginDesignation ? QStringLiteral("procedura marży – bez VAT do odliczenia")
                                                      : QStringLiteral("z faktury KSeF"));
    rates.post();
    if (added)
        added->push_back(rates.fieldByName(kNumer).asInteger());
}

bool isCorrection(ksef::Kind k)
{
    return k == ksef::Kind::KOR || k == ksef::Kind::KOR_ZAL || k == ksef::Kind::KOR_ROZ;
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
    for (const char* file :
         {"Towary.DB", "Dostawcy.db", "TowaryPodstawowe.db", "GrupyTowarow.DB", "Wlasciciel.DB", "StawkiVat.db",
          "JednostkiMiar.DB", "FakturyKSeF.db", "MapowanieKSeF.db", "PozycjeKSeF.db"}) {
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
                                 *owned_[5], *owned_[6], *owned_[7], *owned_[8], *owned_[9]}
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

namespace {

Draft prepareRead(ksef::Invoice invoice, const QString& sha256, Tables& t);

} // namespace

Draft prepare(const QString& path, Tables& t)
{
    ksef::Invoice invoice = ksef::readKsefInvoice(path);
    return prepareRead(std::move(invoice), ksef::fileSha256(path), t);
}

Draft prepare(const QByteArray& xml, const QString& name, Tables& t)
{
    QBuffer in;
    in.setData(xml);
    in.open(QIODevice::ReadOnly);
    ksef::Invoice invoice = ksef::readKsefInvoice(in, name);
    return prepareRead(std::move(invoice),
                       QString::fromLatin1(QCryptographicHash::hash(xml, QCryptographicHash::Sha256).toHex()), t);
}

namespace {

Draft prepareRead(ksef::Invoice invoice, const QString& sha256, Tables& t)
{
    for (Table* table : {&t.lines, &t.suppliers, &t.goods, &t.groups, &t.owner, &t.vatRates, &t.units, &t.invoices,
                         &t.mappings, &t.invoiceLines})
        showAll(*table);
    Draft d;
    d.invoice = std::move(invoice);
    d.plan = ksef::planLines(d.invoice);
    if (d.plan.refusal)
        throw ksef::InvoiceError(*d.plan.refusal);
    if (!d.plan.recordable())
        throw ksef::InvoiceError(QStringLiteral("%1: pozycje faktury nie dają jej sum – nie zapisuję jej.\n%2")
                                     .arg(d.invoice.fileName, d.plan.notes().join(QLatin1Char('\n'))));
    d.sellerNip = ksef::nipDigits(d.invoice.seller.nip);
    refuseRegistered(t.invoices, d.invoice, d.sellerNip);
    d.sha256 = sha256;
    d.supplier = supplierByNip(t.suppliers, d.sellerNip);
    const QHash<QString, int> mappings = mappingsOf(t.mappings, d.sellerNip);
    const QSet<int> goods = numbersOf(t.goods);
    for (const ksef::PlannedLine& line : d.plan.lines) {
        const auto it = mappings.constFind(line.name);
        const bool known = it != mappings.constEnd() && goods.contains(*it);
        d.goods.push_back(known ? std::optional<int>(*it) : std::nullopt);
        d.mapped.push_back(known);
        d.proposed.push_back(false);
        d.units.push_back(ksef::unitKey(line.unit).isEmpty() ? kProposedUnit : line.unit);
    }
    proposeGoods(t, d);
    return d;
}

} // namespace

void proposeGoods(Tables& t, Draft& d)
{
    if (!isCorrection(d.invoice.kind))
        return;
    std::optional<int> good;
    bool looked = false;
    for (size_t i = 0; i < d.plan.lines.size(); ++i) {
        if (!d.plan.lines[i].fromTotals || (d.goods[i] && !d.proposed[i]))
            continue;
        if (!looked) {
            good = d.supplier ? mostBoughtGood(t, *d.supplier) : std::nullopt;
            looked = true;
        }
        d.goods[i] = good;
        d.proposed[i] = good.has_value();
    }
}

std::optional<int> mostBoughtGood(Tables& t, int supplier)
{
    Table& lines = t.lines;
    showAll(lines);
    const auto restore = qScopeGuard([&lines] {
        lines.setFiltered(false);
        lines.setPreFilter({});
    });
    lines.setPreFilter([supplier] {
        return SqlPreFilter{QStringLiteral("NumerDostawcy = ?"), {supplier}, {QStringLiteral("NumerDostawcy")}};
    });
    lines.setFiltered(true);
    const std::map<qint64, qint64> counts = lines.countsOverViewBy(QStringLiteral("NumerPodstawowy"));
    const QSet<int> goods = numbersOf(t.goods);
    std::optional<int> best;
    qint64 most = 0;
    for (const auto& [good, count] : counts) {
        if (count > most && goods.contains(int(good))) {
            best = int(good);
            most = count;
        }
    }
    return best;
}

int addSupplier(Tables& t, const ksef::Party& seller, const QString& symbol)
{
    if (symbol.trimmed().isEmpty() || seller.name.trimmed().isEmpty())
        throw ksef::InvoiceError(QStringLiteral("Wprowadzany Dostawca musi posiadać Nazwę i Nazwę Skróconą(Symbol)"));
    Table& s = t.suppliers;
    showAll(s);
    s.append();
    s.assignOrdinal(QStringLiteral("NrKolejnyDostawcy"));
    s.fieldByName(QStringLiteral("Nazwa")).setString(clipName(seller.name, 100));
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

NewGood proposeNewGood(const ksef::PlannedLine& line, const QString& unit)
{
    return {clipName(line.name, kGoodNameLength), clipName(line.name, kGoodSymbolLength), unit};
}

int addBasicGood(Tables& t, int groupNumber, const ksef::PlannedLine& line, const NewGood& good, Additions* added)
{
    if (good.name.trimmed().isEmpty() || good.symbol.trimmed().isEmpty())
        throw ksef::InvoiceError(QStringLiteral("Nowy towar podstawowy musi mieć nazwę i symbol"));
    if (ksef::unitKey(good.unit).isEmpty())
        throw ksef::InvoiceError(QStringLiteral("Nowy towar podstawowy musi mieć jednostkę miary – wybierz ją dla "
                                                "pozycji %1 (%2)")
                                     .arg(line.invoiceLine)
                                     .arg(line.name));
    showAll(t.groups);
    const int g = rowOf(t.groups, groupNumber);
    if (g < 0)
        throw ksef::InvoiceError(QStringLiteral("Brak grupy towarów o numerze %1").arg(groupNumber));
    Table& goods = t.goods;
    showAll(goods);
    const QString unit = Units(t.units).stored(good.unit, added ? &added->units : nullptr);
    ensureVatDesignation(t.vatRates, line.vatTyp, added ? &added->vatDesignations : nullptr);
    // The price paid for one, after the discount: what the next purchase is priced at.
    const double price = roundedMoney(std::abs(line.cenaNetto));
    goods.append();
    goods.fieldByName(QStringLiteral("NumerGrupy")).setInteger(groupNumber);
    goods.fieldByName(QStringLiteral("Grupa")).setValue(value(t.groups, g, QStringLiteral("Grupa")));
    goods.fieldByName(QStringLiteral("TypTowaru")).setValue(value(t.groups, g, QStringLiteral("TypTowaru")));
    goods.assignOrdinal(QStringLiteral("NrKol"), QStringLiteral("NumerGrupy"), groupNumber);
    goods.fieldByName(QStringLiteral("Nazwa")).setString(clipName(good.name, kGoodNameLength));
    goods.fieldByName(QStringLiteral("Symbol")).setString(clipName(good.symbol, kGoodSymbolLength));
    goods.fieldByName(QStringLiteral("DataDodania")).setDate(platform::today());
    goods.fieldByName(QStringLiteral("JednostkaMiary")).setString(unit);
    goods.fieldByName(QStringLiteral("VatTyp")).setString(line.vatTyp);
    goods.fieldByName(QStringLiteral("CenaNetto")).setFloat(price);
    if (const auto gross = grossPrice(price, line.vatTyp))
        goods.fieldByName(QStringLiteral("CenaBrutto")).setFloat(*gross);
    goods.post();
    goods.flushBuffers();
    const int numer = goods.fieldByName(kNumer).asInteger();
    if (added)
        added->goods.push_back(numer);
    return numer;
}

void takeBack(Tables& t, Additions& added)
{
    auto remove = [](Table& table, int numer) {
        showAll(table);
        if (table.locate(kNumer, numer))
            table.deleteRecord();
    };
    for (const int g : added.goods)
        remove(t.goods, g);
    for (const int u : added.units)
        remove(t.units, u);
    for (const int v : added.vatDesignations)
        remove(t.vatRates, v);
    if (added.supplier)
        remove(t.suppliers, *added.supplier);
    added = Additions{};
}

namespace {

// What the recording of one draft works from, checked before anything is written.
struct Checked {
    Tables& t;
    const Draft& d;
    purchase::SupplierCopy supplier;
    purchase::RestaurantCopy restaurant;
    std::vector<purchase::GoodCopy> goods; // per planned line
};

// The draft's supplier and goods are still there, and the invoice is not
// registered yet; else nothing is recorded.
Checked check(Tables& t, const Draft& d)
{
    for (Table* table :
         {&t.lines, &t.suppliers, &t.goods, &t.owner, &t.vatRates, &t.units, &t.invoices, &t.mappings, &t.invoiceLines})
        showAll(*table);
    const ksef::Invoice& inv = d.invoice;
    refuseRegistered(t.invoices, inv, d.sellerNip);
    const int supplierRow = d.supplier ? rowOf(t.suppliers, *d.supplier) : -1;
    if (supplierRow < 0)
        throw ksef::InvoiceError(QStringLiteral("%1: nie wybrano dostawcy faktury %2 – nic nie zapisuję.")
                                     .arg(inv.fileName, invoiceName(inv, d.sellerNip)));
    Checked r{
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
        if (i >= d.units.size() || ksef::unitKey(d.units[i]).isEmpty())
            throw ksef::InvoiceError(
                QStringLiteral("%1: pozycja %2 (%3) nie ma jednostki miary – wybierz ją; nic nie zapisuję.")
                    .arg(inv.fileName)
                    .arg(d.plan.lines[i].invoiceLine)
                    .arg(d.plan.lines[i].name));
        r.goods.push_back(purchase::GoodCopy::at(t.goods, *it));
    }
    return r;
}

// The invoice in the register, with its totals as the lines give them; returns its Numer.
int writeRegister(const Checked& r)
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
std::vector<qint64> writeLines(const Checked& r, int invoiceNumber)
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
        v.upust = p.upust;
        v.jednostka = units.stored(r.d.units[i]);
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

// Each recorded line as the invoice wrote it, beside what the purchase line stores.
std::vector<qint64> writeInvoiceLines(const Checked& r, int invoiceNumber, const std::vector<qint64>& purchaseLines)
{
    std::vector<qint64> written;
    Table& out = r.t.invoiceLines;
    const ksef::Plan& plan = r.d.plan;
    for (size_t i = 0; i < plan.lines.size(); ++i) {
        const ksef::PlannedLine& p = plan.lines[i];
        auto f = [&out](const char* name) -> Field& { return out.fieldByName(QString::fromLatin1(name)); };
        out.append();
        f("NumerFakturyKSeF").setInteger(invoiceNumber);
        f("NrWiersza").setInteger(p.invoiceLine);
        f("StanPrzed").setBoolean(p.beforeCorrection);
        f("Nazwa").setString(clip(p.name, 512));
        f("JednostkaMiary").setString(clip(r.d.units[i], 15));
        f("Ilosc").setFloat(p.ilosc);
        if (p.listPrice)
            f("CenaFaktury").setFloat(*p.listPrice);
        if (p.discount)
            f("Rabat").setFloat(*p.discount);
        f("CenaZaokraglona").setFloat(roundedMoney(p.cenaNetto));
        f("CenaNetto").setFloat(p.cenaNetto);
        f("Waluta").setString(plan.currency);
        if (plan.foreignCurrency() && p.exchangeRate)
            f("Kurs").setFloat(*p.exchangeRate);
        f("NettoWaluta").setFloat(p.currencyNet);
        f("VatWaluta").setFloat(p.currencyVat);
        f("VatTyp").setString(p.vatTyp);
        f("WartoscNetto").setFloat(p.wartoscNetto);
        f("WartoscVat").setFloat(p.wartoscVat);
        f("WartoscBrutto").setFloat(p.wartoscBrutto);
        f("NumerPozycji").setLargeInt(purchaseLines[i]);
        out.post();
        written.push_back(f("Numer").asLargeInt());
    }
    return written;
}

// The seller's mappings: the good chosen for each line name, changed where it differs.
void writeMappings(const Checked& r)
{
    Table& mappings = r.t.mappings;
    QHash<QString, std::pair<int, int>> existing; // name -> (row, good)
    for (int row = 0; row < mappings.recordCount(); ++row)
        if (value(mappings, row, kNip).toString() == r.d.sellerNip)
            existing.insert(value(mappings, row, QStringLiteral("NazwaPozycji")).toString(),
                            {row, value(mappings, row, QStringLiteral("NumerPodstawowy")).toInt()});
    QHash<QString, int> wanted;
    const bool correction = isCorrection(r.d.invoice.kind);
    for (size_t i = 0; i < r.d.plan.lines.size(); ++i) {
        // A correction's totals line is named by the import, not by the seller.
        if (!(correction && r.d.plan.lines[i].fromTotals))
            wanted.insert(r.d.plan.lines[i].name, *r.d.goods[i]);
    }
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
    const Checked r = check(t, d);
    // Everything in open transactions; the lines are committed first, the rest after them.
    Table::Batch lineBatch(t.lines);
    Table::Batch registerBatch(t.invoices);
    Table::Batch invoiceLineBatch(t.invoiceLines);
    Table::Batch mappingBatch(t.mappings);
    Table::Batch vatBatch(t.vatRates);
    Table::Batch unitBatch(t.units);
    const int invoiceNumber = writeRegister(r);
    const std::vector<qint64> added = writeLines(r, invoiceNumber);
    const std::vector<qint64> written = writeInvoiceLines(r, invoiceNumber, added);
    writeMappings(r);

    // The lines, then the register that marks them imported: a register without
    // its lines would refuse the invoice for good.
    lineBatch.commit();
    try {
        invoiceLineBatch.commit();
        registerBatch.commit();
    } catch (...) {
        // Lines without their invoice in the register could be imported again: take them back.
        for (const auto& [table, ids] : {std::pair{&t.lines, &added}, std::pair{&t.invoiceLines, &written}}) {
            Table::Batch undo(*table);
            for (const qint64 id : *ids)
                if (table->locate(kNumer, id))
                    table->deleteRecord();
            undo.commit();
        }
        throw;
    }
    t.lines.flushBuffers();
    t.invoiceLines.flushBuffers();
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
