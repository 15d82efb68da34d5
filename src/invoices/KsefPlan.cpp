#include "invoices/KsefPlan.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "invoices/KsefRules.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

namespace jadl::ksef {

namespace {

// The date the goods were bought: the line's own supply date, the invoice's, the end
// of the period it covers (the schema calls P_6_Do the supply date), the issue date.
QDate purchaseDate(const Invoice& inv, const Line* line)
{
    if (line && line->supplyDate)
        return *line->supplyDate;
    if (inv.supplyDate)
        return *inv.supplyDate;
    if (inv.periodTo)
        return *inv.periodTo;
    return inv.issueDate;
}

bool hasNonZeroNet(const Invoice& inv, TotalField f)
{
    const std::optional<double>& net = inv.total(f).net;
    return net && toGrosze(*net) != 0;
}

bool isCorrection(Kind k)
{
    return k == Kind::KOR || k == Kind::KOR_ROZ || k == Kind::KOR_ZAL;
}

// FA(2) writes every 0% rate as "0"; when the invoice's totals put it only under
// intra-Community supply or export, it is the program's "0e", else "0k".
QString fa2ZeroTyp(const Invoice& inv)
{
    if (!hasNonZeroNet(inv, TotalField::P13_6_1) &&
        (hasNonZeroNet(inv, TotalField::P13_6_2) || hasNonZeroNet(inv, TotalField::P13_6_3)))
        return QStringLiteral("0e");
    return QStringLiteral("0k");
}

struct Rate {
    QString vatTyp;
    double vat = 0;
    FieldSet fields = 0;
    bool margin = false;
};

// A line without P_12 is a margin line where the invoice uses the margin scheme.
std::optional<Rate> rateOf(const Invoice& inv, const QString& p12)
{
    if (p12.isEmpty()) {
        if (!inv.margin && !inv.total(TotalField::P13_11).net)
            return std::nullopt;
        return Rate{kMarginDesignation, 0.0, fieldBit(TotalField::P13_11), true};
    }
    // The reader let only known rates through.
    const RateMapping m = mapRate(inv.schema, p12).value();
    const QString typ = inv.schema == Schema::FA2 && p12 == u"0" ? fa2ZeroTyp(inv) : m.vatTyp;
    return Rate{typ, vatRate(typ), m.fields, false};
}

// The line's net and VAT in the invoice's currency, with everything the purchase line
// copies of it; PLN values and prices are set later.
PlannedLine valuesOf(const Invoice& inv, const Line& line, const Rate& rate)
{
    PlannedLine p;
    p.invoiceLine = line.number;
    p.fileLine = line.fileLine;
    p.beforeCorrection = line.beforeCorrection;
    p.margin = rate.margin;
    p.name = line.name;
    p.unit = line.unit;
    p.rate = line.rate;
    p.fields = rate.fields;
    p.vatTyp = rate.vatTyp;
    p.vat = rate.vat;
    p.dataZakupu = purchaseDate(inv, &line);
    p.listPrice = line.netPrice ? line.netPrice : line.grossPrice;
    p.discount = line.discount;
    p.exchangeRate = line.exchangeRate ? line.exchangeRate : inv.exchangeRate;
    double net = 0;
    double vat = 0;
    if (line.netValue) {
        net = roundedMoney(*line.netValue);
        vat = line.vatValue ? roundedMoney(*line.vatValue) : roundedMoney(p.vat * net);
    } else if (line.grossValue) {
        // Priced gross: the VAT inside the gross value comes off first.
        const double gross = roundedMoney(*line.grossValue);
        vat = line.vatValue ? roundedMoney(*line.vatValue) : roundedMoney(gross * p.vat / (1.0 + p.vat));
        net = roundedMoney(gross - vat);
    } else if (line.vatValue) {
        vat = roundedMoney(*line.vatValue);
    }
    if (rate.margin)
        vat = 0; // the whole value is the price paid, no VAT to deduct
    p.ilosc = line.quantity.value_or(1.0);
    if (p.ilosc == 0.0 && net != 0.0)
        p.ilosc = 1.0; // a value without a quantity: one of it
    if (line.beforeCorrection) {
        // The state before the correction is taken back: quantity and values negative,
        // unit prices as they were.
        p.ilosc = -p.ilosc;
        net = -net;
        vat = -vat;
    }
    p.currencyNet = net;
    p.currencyVat = vat;
    return p;
}

QString pairKey(const PlannedLine& p)
{
    return p.name + QChar(0x1F) + unitKey(p.unit) + QChar(0x1F) + p.rate + QChar(0x1F) +
        QString::number(std::abs(p.ilosc), 'g', 17) + QChar(0x1F) + QString::number(p.listPrice.value_or(0), 'g', 17) +
        QChar(0x1F) + QString::number(p.exchangeRate.value_or(1), 'g', 17);
}

bool cancels(const PlannedLine& before, const PlannedLine& after)
{
    return pairKey(before) == pairKey(after) && before.ilosc == -after.ilosc &&
        toGrosze(before.currencyNet) == -toGrosze(after.currencyNet) &&
        toGrosze(before.currencyVat) == -toGrosze(after.currencyVat);
}

// A correction that repeats an unchanged line before and after records nothing for it.
int dropCancellingPairs(std::vector<PlannedLine>& lines)
{
    QHash<QString, std::vector<std::size_t>> afterByKey;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].beforeCorrection)
            afterByKey[pairKey(lines[i])].push_back(i);
    }
    std::vector<bool> dropped(lines.size(), false);
    int pairs = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].beforeCorrection)
            continue;
        const auto found = afterByKey.find(pairKey(lines[i]));
        if (found == afterByKey.end())
            continue;
        for (const std::size_t j : found.value()) {
            if (!dropped[j] && cancels(lines[i], lines[j])) {
                dropped[i] = dropped[j] = true;
                ++pairs;
                break;
            }
        }
    }
    std::vector<PlannedLine> kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!dropped[i])
            kept.push_back(std::move(lines[i]));
    }
    lines = std::move(kept);
    return pairs;
}

struct InvoiceSums {
    bool stated = false; // at least one P_13_x of the set is on the invoice
    qint64 net = 0;
    qint64 vat = 0;
    bool vatPlnStated = false; // at least one P_14_xW of the set
    qint64 vatPln = 0;
};

InvoiceSums invoiceSums(const Invoice& inv, FieldSet fields)
{
    InvoiceSums s;
    for (int i = 0; i < kTotalFieldCount; ++i) {
        if (!(fields & fieldBit(TotalField(i))))
            continue;
        const Total& t = inv.total(TotalField(i));
        if (t.net) {
            s.stated = true;
            s.net += toGrosze(*t.net);
        }
        if (t.vat)
            s.vat += toGrosze(*t.vat);
        if (t.vatPln) {
            s.vatPlnStated = true;
            s.vatPln += toGrosze(*t.vatPln);
        }
    }
    return s;
}

using Groups = std::vector<std::pair<FieldSet, std::vector<std::size_t>>>;

// Lines grouped by the totals they are checked against, in the order rates first appear.
Groups groupsOf(const std::vector<PlannedLine>& lines)
{
    Groups groups;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const FieldSet f = lines[i].fields;
        auto g = std::find_if(groups.begin(), groups.end(), [f](const auto& x) { return x.first == f; });
        if (g == groups.end())
            g = groups.insert(groups.end(), {f, {}});
        g->second.push_back(i);
    }
    return groups;
}

std::size_t largestOf(const std::vector<PlannedLine>& lines, const std::vector<std::size_t>& members, bool pln)
{
    std::size_t largest = members.front();
    const auto size = [&](std::size_t i) {
        return std::llabs(toGrosze(pln ? lines[i].wartoscNetto : lines[i].currencyNet));
    };
    for (const std::size_t i : members) {
        if (size(i) > size(largest))
            largest = i;
    }
    return largest;
}

// Checks the lines against the invoice's totals in its own currency; rounding goes onto
// the largest line of its rate.
void reconcile(const Invoice& inv, Plan& plan)
{
    FieldSet covered = 0;
    for (const auto& [fields, members] : groupsOf(plan.lines)) {
        covered |= fields;
        RateCheck c;
        c.fields = fields;
        c.lineCount = int(members.size());
        for (const std::size_t i : members) {
            c.linesNet += toGrosze(plan.lines[i].currencyNet);
            c.linesVat += toGrosze(plan.lines[i].currencyVat);
        }
        const InvoiceSums s = invoiceSums(inv, fields);
        c.invoiceNet = s.net;
        c.invoiceVat = s.vat;
        // Each line's net and VAT is rounded to the grosz once, so honest rounding
        // leaves at most one grosz per line between the lines and the invoice's total.
        c.allowed = c.lineCount;
        const qint64 dNet = c.invoiceNet - c.linesNet;
        const qint64 dVat = c.invoiceVat - c.linesVat;
        if (!plan.totalsChecked) {
            c.status = RateCheck::Status::NotChecked;
        } else if (!s.stated) {
            c.status = RateCheck::Status::MissingTotal;
        } else if (dNet == 0 && dVat == 0) {
            c.status = RateCheck::Status::Equal;
        } else if (std::llabs(dNet) <= c.allowed && std::llabs(dVat) <= c.allowed) {
            c.status = RateCheck::Status::Adjusted;
            const std::size_t at = largestOf(plan.lines, members, false);
            PlannedLine& p = plan.lines[at];
            p.currencyNet = roundedMoney(p.currencyNet + double(dNet) * 0.01);
            p.currencyVat = roundedMoney(p.currencyVat + double(dVat) * 0.01);
            plan.adjustments.push_back(Adjustment{at, p.invoiceLine, fields, dNet, dVat, false});
        } else {
            c.status = RateCheck::Status::Mismatch;
        }
        plan.checks.push_back(c);
    }
    if (!plan.totalsChecked)
        return;
    for (int i = 0; i < kTotalFieldCount; ++i) {
        const FieldSet f = fieldBit(TotalField(i));
        if (covered & f)
            continue;
        const InvoiceSums s = invoiceSums(inv, f);
        if (s.net == 0 && s.vat == 0)
            continue;
        RateCheck c;
        c.fields = f;
        c.invoiceNet = s.net;
        c.invoiceVat = s.vat;
        c.status = RateCheck::Status::TotalWithoutLines;
        plan.checks.push_back(c);
    }
}

// The PLN values of a foreign invoice: each line converted at its rate; per rate the
// net brought to the invoice's net at its one rate, the VAT to P_14_xW.
void convertToPln(const Invoice& inv, Plan& plan)
{
    for (PlannedLine& p : plan.lines) {
        if (!plan.foreignCurrency()) {
            p.wartoscNetto = p.currencyNet;
            p.wartoscVat = p.currencyVat;
            continue;
        }
        p.wartoscNetto = roundedMoney(p.currencyNet * p.exchangeRate.value_or(1.0));
        p.wartoscVat = p.margin ? 0.0 : roundedMoney(p.vat * p.wartoscNetto);
    }
    for (RateCheck& c : plan.checks) {
        if (c.lineCount == 0)
            continue;
        std::vector<std::size_t> members;
        std::set<double> rates;
        for (std::size_t i = 0; i < plan.lines.size(); ++i) {
            if (plan.lines[i].fields == c.fields) {
                members.push_back(i);
                rates.insert(plan.lines[i].exchangeRate.value_or(1.0));
            }
        }
        qint64 net = 0, vat = 0;
        for (const std::size_t i : members) {
            net += toGrosze(plan.lines[i].wartoscNetto);
            vat += toGrosze(plan.lines[i].wartoscVat);
        }
        if (plan.foreignCurrency() && plan.totalsChecked) {
            const InvoiceSums s = invoiceSums(inv, c.fields);
            const qint64 netTarget = rates.size() == 1 && s.stated
                ? toGrosze(roundedMoney(double(s.net) * 0.01 * *rates.begin()))
                : net;
            const qint64 vatTarget = s.vatPlnStated ? s.vatPln : vat;
            const qint64 dNet = netTarget - net;
            const qint64 dVat = vatTarget - vat;
            if (dNet != 0 || dVat != 0) {
                if (std::llabs(dNet) > qint64(members.size()) || std::llabs(dVat) > qint64(members.size())) {
                    c.status = RateCheck::Status::Mismatch;
                } else {
                    const std::size_t at = largestOf(plan.lines, members, true);
                    PlannedLine& p = plan.lines[at];
                    p.wartoscNetto = roundedMoney(p.wartoscNetto + double(dNet) * 0.01);
                    p.wartoscVat = roundedMoney(p.wartoscVat + double(dVat) * 0.01);
                    plan.adjustments.push_back(Adjustment{at, p.invoiceLine, c.fields, dNet, dVat, true});
                    if (c.status == RateCheck::Status::Equal)
                        c.status = RateCheck::Status::Adjusted;
                    net = netTarget;
                    vat = vatTarget;
                }
            }
        }
        c.plnNet = net;
        c.plnVat = vat;
    }
}

// A unit price whose product with the quantity, money-rounded as the program's
// recomputation rounds it, is the value: the stated price where it is, else the
// value over the quantity, nudged by the last bits of a double until it is.
double stablePrice(double value, double quantity, const std::optional<double>& stated)
{
    const qint64 want = toGrosze(value);
    if (stated && toGrosze(roundedMoney(*stated * quantity)) == want)
        return *stated;
    if (quantity == 0.0)
        return value;
    double c = value / quantity;
    for (int i = 0; i < 256; ++i) {
        const qint64 got = toGrosze(roundedMoney(c * quantity));
        if (got == want)
            break;
        const bool up = (got < want) == (quantity > 0);
        c = std::nextafter(c, up ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity());
    }
    return c;
}

void finishValues(const Invoice& inv, Line const* source, PlannedLine& p)
{
    p.wartoscBrutto = roundedMoney(p.wartoscNetto + p.wartoscVat);
    const bool pln = !inv.foreignCurrency();
    p.cenaNetto = stablePrice(p.wartoscNetto, p.ilosc,
                              pln && source && source->netValue ? source->netPrice : std::optional<double>());
    // A line priced gross keeps the invoice's gross price; else it is the net one's, as
    // the program prices a line by hand.
    const bool grossPriced = source && !source->netValue && source->grossValue;
    if (grossPriced && pln && source->grossPrice)
        p.cenaBrutto = *source->grossPrice;
    else
        p.cenaBrutto = roundedMoney(p.cenaNetto * (1.0 + p.vat));
    // The discount the invoice's list price hides: P_10 where stated; a list price
    // only rounded to the grosz hides none.
    // Taken back with the state before a correction.
    const double sign = p.beforeCorrection ? -1.0 : 1.0;
    if (pln && source && source->discount)
        p.upust = sign * *source->discount;
    else if (pln && source && source->netValue && source->netPrice && p.cenaNetto != *source->netPrice)
        p.upust = sign *
            std::max(0.0, roundedMoney(roundedMoney(*source->netPrice * std::abs(p.ilosc)) - std::abs(p.wartoscNetto)));
}

// A purchase line that carries the invoice's totals of one rate.
PlannedLine totalsLine(const Invoice& inv, TotalField f, const QString& name, const QString& unit, const QString& p12)
{
    const std::optional<Rate> r = p12.isEmpty() ? std::nullopt : rateOf(inv, p12);
    const QString typ = r && (r->fields & fieldBit(f)) ? r->vatTyp : designationOfTotal(f);
    PlannedLine p;
    p.fromTotals = true;
    p.name = name;
    p.unit = unit;
    p.rate = p12;
    p.fields = fieldBit(f);
    p.vatTyp = typ;
    p.vat = vatRate(typ);
    p.margin = f == TotalField::P13_11;
    p.dataZakupu = purchaseDate(inv, nullptr);
    p.ilosc = 1;
    p.exchangeRate = inv.exchangeRate;
    p.currencyNet = roundedMoney(inv.total(f).net.value_or(0));
    p.currencyVat = p.margin ? 0.0 : roundedMoney(inv.total(f).vat.value_or(0));
    return p;
}

// The lines of an invoice none of whose lines states an amount: its totals, per rate.
void planFromTotals(const Invoice& inv, Plan& plan)
{
    const bool correction = isCorrection(inv.kind);
    const std::vector<Line>& lines = inv.lines;
    for (int i = 0; i < kTotalFieldCount; ++i) {
        const TotalField f = TotalField(i);
        const Total& t = inv.total(f);
        if (toGrosze(t.net.value_or(0)) == 0 && toGrosze(t.vat.value_or(0)) == 0)
            continue;
        QString name;
        QString unit;
        QString p12;
        // The invoice's own line of this rate names the purchase (a simplified invoice).
        const auto own = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
            const std::optional<Rate> r = l.rate.isEmpty() ? std::nullopt : rateOf(inv, l.rate);
            return !r || (r->fields & fieldBit(f));
        });
        if (!correction && own != lines.end()) {
            name = lines.size() == 1 ? own->name : own->name + QStringLiteral(" i in.");
            unit = own->unit;
            p12 = own->rate;
        } else {
            name = correction ? QStringLiteral("Korekta wartości zakupów")
                              : QStringLiteral("Zakupy według faktury %1").arg(inv.number);
        }
        plan.lines.push_back(totalsLine(inv, f, name, unit, p12));
    }
}

// A simplified invoice with only P_15: net and VAT from the gross by its lines' one rate.
bool planFromGross(const Invoice& inv, Plan& plan)
{
    std::set<QString> rates;
    for (const Line& l : inv.lines)
        rates.insert(l.rate);
    if (rates.size() != 1 || rates.begin()->isEmpty())
        return false;
    const Line& first = inv.lines.front();
    const Rate r = rateOf(inv, first.rate).value();
    PlannedLine p = totalsLine(inv, TotalField::P13_1,
                               inv.lines.size() == 1 ? first.name : first.name + QStringLiteral(" i in."), first.unit,
                               first.rate);
    p.fields = r.fields;
    p.vatTyp = r.vatTyp;
    p.vat = r.vat;
    const double gross = roundedMoney(inv.grossTotal);
    p.currencyVat = roundedMoney(gross * r.vat / (1.0 + r.vat));
    p.currencyNet = roundedMoney(gross - p.currencyVat);
    plan.lines.push_back(p);
    plan.totalsChecked = false;
    plan.explanations << QStringLiteral("Faktura uproszczona podaje tylko kwotę brutto P_15: netto i VAT wyliczone "
                                        "z niej według stawki %1.")
                             .arg(first.rate);
    return true;
}

bool anyTotal(const Invoice& inv)
{
    for (int i = 0; i < kTotalFieldCount; ++i) {
        const Total& t = inv.total(TotalField(i));
        if (toGrosze(t.net.value_or(0)) != 0 || toGrosze(t.vat.value_or(0)) != 0)
            return true;
    }
    return false;
}

// The lines that state amounts, with their rates; false (and a refusal) when one of
// them has no rate the import can record.
bool planValuedLines(const Invoice& inv, const std::vector<Line>& source, Plan& plan)
{
    for (const Line& line : source) {
        if (!line.hasValue()) {
            ++plan.linesWithoutValue;
            continue;
        }
        const std::optional<Rate> r = rateOf(inv, line.rate);
        if (!r) {
            plan.refusal = QStringLiteral("%1: wiersz faktury %2 (%3) nie ma stawki podatku P_12 – bez stawki "
                                          "wiersza nie można zapisać")
                               .arg(inv.fileName)
                               .arg(line.number)
                               .arg(line.name);
            return false;
        }
        plan.lines.push_back(valuesOf(inv, line, *r));
    }
    return true;
}

// Which lines the invoice records, by its kind; the rules at the top of the header.
void chooseLines(const Invoice& inv, Plan& plan)
{
    switch (inv.kind) {
    case Kind::ZAL:
        if (inv.orderValue && toGrosze(*inv.orderValue) == toGrosze(inv.grossTotal) && !inv.orderLines.empty()) {
            plan.explanations << QStringLiteral("Zaliczka na całe zamówienie (WartoscZamowienia równa P_15): faktury "
                                                "rozliczającej nie będzie, więc zapisuję pozycje zamówienia.");
            planValuedLines(inv, inv.orderLines, plan);
            return;
        }
        plan.recording = Recording::RegisterOnly;
        plan.explanations << QStringLiteral(
            "Faktura zaliczkowa: zaliczka nie jest zakupem towarów. Faktura zostaje zarejestrowana (nie będzie "
            "proponowana ponownie) bez pozycji zakupu; towary zamówienia zapisze faktura rozliczająca (ROZ) "
            "w ich pełnej wartości.");
        return;
    case Kind::KOR_ZAL:
        plan.recording = Recording::RegisterOnly;
        plan.explanations << QStringLiteral("Korekta faktury zaliczkowej: zostaje zarejestrowana bez pozycji zakupu – "
                                            "towary zamówienia zapisuje faktura rozliczająca.");
        return;
    case Kind::ROZ:
    case Kind::KOR_ROZ:
        plan.totalsChecked = false;
        plan.explanations << (inv.kind == Kind::ROZ
                                  ? QStringLiteral(
                                        "Faktura rozliczająca zaliczki: zapisuję pozycje zamówienia w pełnej "
                                        "wartości, jak je podaje faktura. Kwoty P_13/P_14 to to, co "
                                        "pozostało do zapłaty po zaliczkach – nie porównuję z nimi pozycji.")
                                  : QStringLiteral("Korekta faktury rozliczającej: zapisuję różnice pozycji (po minus "
                                                   "przed); kwoty P_13/P_14 to korekta kwoty pozostałej do zapłaty."));
        planValuedLines(inv, inv.lines, plan);
        return;
    case Kind::VAT:
    case Kind::UPR:
    case Kind::KOR:
        break;
    }
    if (!planValuedLines(inv, inv.lines, plan))
        return;
    if (!plan.lines.empty())
        return;
    // No line states an amount: the invoice's totals stand for them.
    plan.linesWithoutValue = 0;
    if (anyTotal(inv)) {
        planFromTotals(inv, plan);
        plan.explanations << (inv.kind == Kind::KOR
                                  ? QStringLiteral(
                                        "Korekta podaje tylko kwoty (bez wartości w wierszach): dla każdej "
                                        "stawki zapisuję jedną pozycję z kwotami korekty P_13/P_14 (ujemnymi "
                                        "przy rabacie) na towarze, który wybierzesz – proponowany jest "
                                        "towar najczęściej kupowany u tego dostawcy.")
                                  : QStringLiteral("Wiersze faktury nie podają wartości: każda stawka zapisuje się "
                                                   "jako jedna pozycja z kwotami faktury P_13/P_14."));
        return;
    }
    if (toGrosze(inv.grossTotal) != 0 && !inv.lines.empty() && planFromGross(inv, plan))
        return;
    if (toGrosze(inv.grossTotal) != 0)
        plan.refusal = QStringLiteral("%1: faktura podaje tylko kwotę należności P_15, a jej wiersze nie mają jednej "
                                      "stawki podatku – nie da się jej rozdzielić na netto i VAT, nic nie zapisuję.")
                           .arg(inv.fileName);
    else
        plan.refusal = QStringLiteral("%1: %2 nie zmienia żadnej kwoty – w zakupach nie ma czego zapisać.")
                           .arg(inv.fileName,
                                isCorrection(inv.kind) ? QStringLiteral("korekta") : QStringLiteral("faktura"));
}

void refuseWithoutRate(const Invoice& inv, Plan& plan)
{
    if (!inv.foreignCurrency() || plan.refusal)
        return;
    for (const PlannedLine& p : plan.lines) {
        if (p.exchangeRate)
            continue;
        plan.refusal = QStringLiteral("%1: faktura w walucie %2 nie podaje kursu waluty (KursWaluty %3 ani "
                                      "KursWalutyZ) – kwot nie można przeliczyć na złote, nic nie zapisuję.")
                           .arg(inv.fileName, inv.currency,
                                p.invoiceLine > 0 ? QStringLiteral("wiersza %1").arg(p.invoiceLine)
                                                  : QStringLiteral("w wierszach"));
        return;
    }
    plan.explanations << QStringLiteral("Faktura w walucie %1: kwoty przeliczone na złote kursem z faktury (KursWaluty "
                                        "wiersza lub KursWalutyZ), VAT w złotych według P_14_xW.")
                             .arg(inv.currency);
}

QString zl(qint64 grosze, const QString& currency)
{
    return formatSum(double(grosze) / 100.0) + QLatin1Char(' ') +
        (currency == QLatin1String("PLN") ? QStringLiteral("zł") : currency);
}

// "P_13_1/P_14_1", "P_13_7".
QString totalsLabel(FieldSet fields)
{
    QStringList vat;
    for (int i = 0; i < kTotalFieldCount; ++i) {
        if ((fields & fieldBit(TotalField(i))) && !vatElementName(TotalField(i)).isEmpty())
            vat << vatElementName(TotalField(i));
    }
    return vat.isEmpty() ? fieldSetName(fields) : fieldSetName(fields) + QLatin1Char('/') + vat.join(QLatin1Char('+'));
}

QString ratesOf(const Plan& plan, FieldSet fields)
{
    QStringList rates;
    for (const PlannedLine& p : plan.lines) {
        const QString shown = p.rate.isEmpty() ? p.vatTyp : p.rate;
        if (p.fields == fields && !rates.contains(shown))
            rates << shown;
    }
    return rates.join(QStringLiteral(", "));
}

} // namespace

qint64 toGrosze(double money)
{
    return std::llround(money * 100.0);
}

Plan planLines(const Invoice& invoice)
{
    Plan plan;
    plan.currency = invoice.currency.isEmpty() ? QStringLiteral("PLN") : invoice.currency;
    plan.invoiceGross = toGrosze(invoice.grossTotal);
    chooseLines(invoice, plan);
    if (isCorrection(invoice.kind))
        plan.droppedPairs = dropCancellingPairs(plan.lines);
    if (invoice.kind == Kind::KOR_ROZ && plan.lines.empty() && !plan.refusal) {
        plan.recording = Recording::RegisterOnly;
        plan.explanations << QStringLiteral("Pozycje zamówienia się nie zmieniają: faktura zostaje zarejestrowana bez "
                                            "pozycji zakupu.");
    }
    if (invoice.kind == Kind::KOR && plan.lines.empty() && !plan.refusal && plan.droppedPairs > 0 &&
        anyTotal(invoice)) {
        // The lines stand as they were; the correction is in its totals only.
        planFromTotals(invoice, plan);
        plan.explanations << QStringLiteral(
            "Pozycje korekty przed i po są takie same, a kwoty P_13/P_14 się zmieniają: "
            "dla każdej stawki zapisuję jedną pozycję z kwotami korekty.");
    }
    if (invoice.kind == Kind::KOR && plan.lines.empty() && !plan.refusal)
        plan.refusal = QStringLiteral("%1: korekta nie zmienia żadnej kwoty (pozycje przed i po korekcie są takie "
                                      "same) – w zakupach nie ma czego zapisać.")
                           .arg(invoice.fileName);
    refuseWithoutRate(invoice, plan);
    if (plan.refusal)
        plan.lines.clear();
    if (plan.lines.empty())
        return plan;
    if (std::any_of(plan.lines.begin(), plan.lines.end(), [](const PlannedLine& p) { return p.margin; }))
        plan.explanations << QStringLiteral("Wiersze w procedurze marży (P_13_11): cała wartość zapisana jako netto i "
                                            "brutto, bez VAT do odliczenia, pod oznaczeniem VAT „%1”.")
                                 .arg(kMarginDesignation);
    if (plan.linesWithoutValue > 0)
        plan.explanations << QStringLiteral("Wierszy faktury bez kwot (tylko nazwy towarów): %1 – nie zapisuję ich.")
                                 .arg(plan.linesWithoutValue);
    reconcile(invoice, plan);
    convertToPln(invoice, plan);
    const std::vector<Line>& source = invoice.kind == Kind::ZAL ? invoice.orderLines : invoice.lines;
    for (PlannedLine& p : plan.lines) {
        const auto line = std::find_if(source.begin(), source.end(), [&](const Line& l) {
            return !p.fromTotals && l.fileLine == p.fileLine && l.number == p.invoiceLine;
        });
        finishValues(invoice, line == source.end() ? nullptr : &*line, p);
        plan.linesGross += toGrosze(p.wartoscBrutto);
    }
    return plan;
}

bool Plan::recordable() const
{
    if (refusal)
        return false;
    return std::none_of(checks.begin(), checks.end(), [](const RateCheck& c) {
        return c.status == RateCheck::Status::Mismatch || c.status == RateCheck::Status::TotalWithoutLines;
    });
}

QStringList Plan::notes() const
{
    QStringList out;
    if (refusal)
        out << *refusal;
    for (const RateCheck& c : checks) {
        const QString head = QStringLiteral("Stawka %1 (%2)").arg(ratesOf(*this, c.fields), totalsLabel(c.fields));
        switch (c.status) {
        case RateCheck::Status::Equal:
        case RateCheck::Status::NotChecked:
            break;
        case RateCheck::Status::Adjusted:
            for (const Adjustment& a : adjustments) {
                if (a.fields == c.fields)
                    out << QStringLiteral(
                               "%1: różnica zaokrągleń%2 (netto %3, VAT %4) doliczona do wiersza faktury %5.")
                               .arg(head, a.pln ? QStringLiteral(" w złotych") : QString(),
                                    zl(a.netGrosze, a.pln ? QStringLiteral("PLN") : currency),
                                    zl(a.vatGrosze, a.pln ? QStringLiteral("PLN") : currency))
                               .arg(a.invoiceLine);
            }
            break;
        case RateCheck::Status::Mismatch:
            out << QStringLiteral("%1: wiersze dają netto %2 i VAT %3, a faktura podaje %4 i %5 – różnica większa "
                                  "niż zaokrąglenia (do %6), faktury nie można zapisać.")
                       .arg(head, zl(c.linesNet, currency), zl(c.linesVat, currency), zl(c.invoiceNet, currency),
                            zl(c.invoiceVat, currency), zl(c.allowed, currency));
            break;
        case RateCheck::Status::MissingTotal:
            out << QStringLiteral("%1: faktura nie podaje sumy dla tej stawki – wierszy nie można z nią sprawdzić.")
                       .arg(head);
            break;
        case RateCheck::Status::TotalWithoutLines:
            out << QStringLiteral("Faktura podaje %1: netto %2, VAT %3, ale żaden wiersz nie ma tej stawki – "
                                  "faktury nie można zapisać.")
                       .arg(totalsLabel(c.fields), zl(c.invoiceNet, currency), zl(c.invoiceVat, currency));
            break;
        }
    }
    if (droppedPairs > 0)
        out << QStringLiteral("Pominięte pary wierszy korekty, które się znoszą (przed i po bez zmian): %1.")
                   .arg(droppedPairs);
    if (totalsChecked && !foreignCurrency() && recording == Recording::Lines && invoiceGross != linesGross)
        out << QStringLiteral("Suma brutto wierszy %1 różni się od kwoty należności P_15 %2.")
                   .arg(zl(linesGross, currency), zl(invoiceGross, currency));
    return out;
}

} // namespace jadl::ksef
