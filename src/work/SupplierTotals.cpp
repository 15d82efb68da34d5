#include "work/SupplierTotals.h"

#include "common/Money.h"
#include "store/Table.h"

#include <QHash>

namespace jadl::purchases {

namespace {

const QString kNumer = QStringLiteral("Numer");

// Follows a master through its field "Numer": the purchase lines' link to the suppliers.
void linkToSupplier(Table& lines, DataSource& suppliers)
{
    lines.setMasterFields(kNumer);
    lines.setMasterSource(&suppliers);
}

} // namespace

Sums rounded(Sums s)
{
    roundMoney(s.net);
    roundMoney(s.vat);
    roundMoney(s.gross);
    return s;
}

namespace {
const QStringList kValueFields = {QStringLiteral("WartoscNetto"), QStringLiteral("WartoscVat"),
                                  QStringLiteral("WartoscBrutto")};
const QStringList kSupplierSumFields = {QStringLiteral("WartoscNettoSuma"), QStringLiteral("WartoscVatSuma"),
                                        QStringLiteral("WartoscBruttoSuma")};

Sums sumsOf(const std::vector<double>& v)
{
    return Sums{v.at(0), v.at(1), v.at(2)};
}
} // namespace

ViewSums sumView(Table& lines)
{
    ViewSums out;
    out.sums = sumsOf(lines.sumsOverView(kValueFields));
    const int n = lines.recordCount();
    if (n > 0) {
        const QVariant s = lines.valueAt(n - 1, lines.fieldIndex(QStringLiteral("NumerDostawcy")));
        if (!s.isNull())
            out.lastSupplier = s.toInt();
    }
    return out;
}

std::map<int, Sums> sumsBySupplier(Table& lines)
{
    std::map<int, Sums> out;
    for (const auto& [supplier, sums] : lines.sumsOverViewBy(QStringLiteral("NumerDostawcy"), kValueFields))
        out[int(supplier)] = sumsOf(sums);
    return out;
}

SupplierTotals::SupplierTotals(Table& lines, Table& suppliers, DataSource& suppliersSource)
    : lines_(lines), suppliers_(suppliers), suppliersSource_(suppliersSource)
{ }

void SupplierTotals::store(const Sums& s)
{
    suppliers_.edit();
    suppliers_.fieldByName(QStringLiteral("WartoscNettoSuma")).setFloat(s.net);
    suppliers_.fieldByName(QStringLiteral("WartoscVatSuma")).setFloat(s.vat);
    suppliers_.fieldByName(QStringLiteral("WartoscBruttoSuma")).setFloat(s.gross);
    suppliers_.post();
}

Sums SupplierTotals::selectedSupplier()
{
    ViewSums v;
    {
        const ControlsDisabled quiet(lines_);
        v = sumView(lines_);
        if (!lines_.isEmpty())
            lines_.last(); // the scan ends on the last line
    }
    const Sums s = rounded(v.sums);
    if (suppliers_.active() && !suppliers_.isEmpty()) {
        if (v.lastSupplier && suppliers_.fieldByName(kNumer).optInteger() != v.lastSupplier)
            suppliers_.locate(kNumer, *v.lastSupplier);
        store(s);
    }
    return s;
}

Sums SupplierTotals::allSuppliers()
{
    const ControlsDisabled quiet(lines_);
    const ViewSums v = sumView(lines_);
    if (!lines_.isEmpty())
        lines_.last();
    return rounded(v.sums);
}

Sums SupplierTotals::storeEverySupplier(const std::map<int, Sums>& bySupplier)
{
    // Every supplier of the view at once, in the program's money rounding; one
    // without lines gets zeros.
    std::map<qint64, std::vector<double>> values;
    for (const auto& [supplier, sums] : bySupplier) {
        const Sums r = rounded(sums);
        values[supplier] = {r.net, r.vat, r.gross};
    }
    Sums last;
    const int n = suppliers_.recordCount();
    if (n > 0) {
        const QVariant key = suppliers_.valueAt(n - 1, suppliers_.fieldIndex(kNumer));
        const auto it = bySupplier.find(key.toInt());
        last = rounded(!key.isNull() && it != bySupplier.end() ? it->second : Sums{});
    }
    const ControlsDisabled quiet(suppliers_);
    suppliers_.storeByKey(kNumer, kSupplierSumFields, values, 0.0);
    return last;
}

Sums SupplierTotals::everySupplier()
{
    const QStringList keys = lines_.indexFieldNames();
    const bool byLink = lines_.masterSource() == &suppliersSource_ &&
        lines_.masterFields().compare(kNumer, Qt::CaseInsensitive) == 0 && !keys.isEmpty() &&
        keys.first().compare(QStringLiteral("NumerDostawcy"), Qt::CaseInsensitive) == 0;
    if (!byLink) {
        // An unusual link: each supplier's sums over the lines the link shows it.
        Sums last;
        suppliers_.first();
        while (!suppliers_.eof()) {
            ViewSums v;
            {
                const ControlsDisabled quiet(lines_);
                v = sumView(lines_);
            }
            last = rounded(v.sums);
            store(last);
            suppliers_.next();
        }
        suppliers_.first();
        return last;
    }
    // Each supplier's lines are the lines of the view unlinked whose NumerDostawcy
    // is the supplier's, in the same order: one pass gives every supplier's sums,
    // added in the order the linked view would add them.
    std::map<int, Sums> bySupplier;
    {
        const ControlsDisabled quiet(lines_);
        lines_.setMasterSource(nullptr);
        try {
            bySupplier = sumsBySupplier(lines_);
        } catch (...) {
            lines_.setMasterSource(&suppliersSource_);
            throw;
        }
        lines_.setMasterSource(&suppliersSource_);
    }
    const Sums last = storeEverySupplier(bySupplier);
    suppliers_.first();
    return last;
}

Sums SupplierTotals::report()
{
    // Each supplier's lines in "NumerDostawcyInd" order are a run of the view of
    // all lines in that order: one pass sums them all.
    std::map<int, Sums> bySupplier;
    {
        const ControlsDisabled quiet(lines_);
        lines_.setIndexName(QStringLiteral("NumerDostawcyInd"));
        lines_.setMasterFields(QString());
        lines_.setMasterSource(nullptr);
        bySupplier = sumsBySupplier(lines_);
    }
    const Sums last = storeEverySupplier(bySupplier);
    // The lines stay linked to the supplier, as the routine last set them.
    const ControlsDisabled quietLines(lines_);
    linkToSupplier(lines_, suppliersSource_);
    return last;
}

void linkLinesToBasicGoods(Table& lines, Table& goods, DataSource& groupsSource, const Progress& progress)
{
    if (!goods.active())
        goods.open();
    goods.setIndexName(QString());
    goods.setMasterFields(QString());
    goods.setMasterSource(nullptr);

    // A line without a basic good takes the first good (in primary order) with its
    // symbol: the one a walk over the goods, each over the lines, would give it.
    QHash<QString, int> firstGoodOfSymbol;
    {
        const ControlsDisabled quiet(goods);
        const int fSymbol = goods.fieldIndex(QStringLiteral("Symbol"));
        const int fNumer = goods.fieldIndex(kNumer);
        const int n = goods.recordCount();
        for (int row = 0; row < n; ++row) {
            const QString symbol = goods.valueAt(row, fSymbol).toString();
            if (!firstGoodOfSymbol.contains(symbol))
                firstGoodOfSymbol.insert(symbol, goods.valueAt(row, fNumer).toInt());
        }
    }
    {
        const ControlsDisabled quiet(lines);
        const int fGood = lines.fieldIndex(QStringLiteral("NumerPodstawowy"));
        const int fSymbol = lines.fieldIndex(QStringLiteral("Symbol"));
        const int n = lines.recordCount();
        Table::Batch batch(lines);
        for (int row = 0; row < n; ++row) {
            if (!lines.valueAt(row, fGood).isNull())
                continue;
            const auto it = firstGoodOfSymbol.constFind(lines.valueAt(row, fSymbol).toString());
            if (it == firstGoodOfSymbol.constEnd())
                continue;
            lines.setRecNo(row + 1);
            lines.edit();
            lines.field(fGood).setInteger(*it);
            lines.post();
            if (progress)
                progress(row, n);
        }
        batch.commit();
    }
    const ControlsDisabled quiet(goods);
    goods.setIndexName(QStringLiteral("NrGrupySymbolInd"));
    goods.setMasterFields(kNumer);
    goods.setMasterSource(&groupsSource);
}

void recomputeVisibleLines(Table& lines, const Progress& progress)
{
    auto f = [&lines](const char* name) -> Field& { return lines.fieldByName(QString::fromLatin1(name)); };
    const int n = lines.recordCount();
    const ControlsDisabled quiet(lines);
    Table::Batch batch(lines);
    lines.first();
    for (int row = 0; row < n && !lines.eof(); ++row) {
        lines.edit();
        // Blank operands count as 0 (a blank discount as none).
        const double qty = f("Ilosc").asFloat();
        const double net = roundedMoney(f("CenaNetto").asFloat() * qty);
        f("WartoscNetto").setFloat(net);
        f("WartoscVat").setFloat(roundedMoney(f("Vat").asFloat() * net));
        f("WartoscBrutto").setFloat(roundedMoney(f("CenaBrutto").asFloat() * (1.0 - f("UpustProc").asFloat()) * qty));
        f("JakaCenaRef").setString(referencePriceSign(f("CenaNetto").optFloat(), f("CenaReferencyjna").optFloat()));
        lines.post();
        lines.next();
        if (progress)
            progress(row, n);
    }
    batch.commit();
}

void recomputeCurrentLine(Table& lines)
{
    if (!lines.active() || lines.isEmpty())
        return;
    auto f = [&lines](const char* name) -> Field& { return lines.fieldByName(QString::fromLatin1(name)); };
    lines.edit();
    const double vatRate = f("Vat").asFloat();
    f("CenaBrutto").setFloat(f("CenaNetto").asFloat() * (1.0 + vatRate));
    const double net = roundedMoney(f("CenaNetto").asFloat() * f("Ilosc").asFloat());
    f("WartoscNetto").setFloat(net);
    const double vat = roundedMoney(vatRate * net);
    f("WartoscVat").setFloat(vat);
    f("WartoscBrutto").setFloat(roundedMoney((net + vat) * (1.0 - f("UpustProc").asFloat())));
    lines.post();
}

} // namespace jadl::purchases
