#include "invoices/KsefPlan.h"

#include "common/Formats.h"
#include "common/Money.h"
#include "invoices/KsefRules.h"

#include <QHash>

#include <cmath>
#include <cstdlib>

namespace jadl::ksef {

namespace {

// The date the goods were bought: the line's own supply date, the invoice's, the end
// of the period it covers (the schema calls P_6_Do the supply date), the issue date.
QDate purchaseDate(const Invoice& inv, const Line& line)
{
    if (line.supplyDate)
        return *line.supplyDate;
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

// FA(2) writes every 0% rate as "0"; when the invoice's totals put it only under
// intra-Community supply or export, it is the program's "0e", else "0k".
QString fa2ZeroTyp(const Invoice& inv)
{
    if (!hasNonZeroNet(inv, TotalField::P13_6_1) &&
        (hasNonZeroNet(inv, TotalField::P13_6_2) || hasNonZeroNet(inv, TotalField::P13_6_3)))
        return QStringLiteral("0e");
    return QStringLiteral("0k");
}

PlannedLine planLine(const Invoice& inv, const Line& line)
{
    // The reader let only known rates through.
    const RateMapping rate = mapRate(inv.schema, line.rate).value();
    PlannedLine p;
    p.invoiceLine = line.number;
    p.fileLine = line.fileLine;
    p.beforeCorrection = line.beforeCorrection;
    p.name = line.name;
    p.unit = line.unit;
    p.rate = line.rate;
    p.fields = rate.fields;
    p.dataZakupu = purchaseDate(inv, line);
    p.vatTyp = inv.schema == Schema::FA2 && line.rate == u"0" ? fa2ZeroTyp(inv) : rate.vatTyp;
    p.vat = vatRate(p.vatTyp);
    p.ilosc = line.quantity.value_or(1.0);
    if (line.netValue) {
        p.wartoscNetto = roundedMoney(*line.netValue);
    } else {
        // Priced gross: the VAT inside the gross value comes off first.
        const double gross = roundedMoney(*line.grossValue);
        const double vatInGross = roundedMoney(gross * p.vat / (1.0 + p.vat));
        p.wartoscNetto = roundedMoney(gross - vatInGross);
    }
    if (line.netPrice)
        p.cenaNetto = *line.netPrice;
    else if (p.ilosc != 0)
        p.cenaNetto = roundedMoney(p.wartoscNetto / p.ilosc);
    p.wartoscVat = roundedMoney(p.vat * p.wartoscNetto);
    p.wartoscBrutto = roundedMoney(p.wartoscNetto + p.wartoscVat);
    p.cenaBrutto = roundedMoney(p.cenaNetto * (1.0 + p.vat));
    if (inv.kind == Kind::KOR && line.beforeCorrection) {
        // The state before the correction is taken back: quantity and values negative,
        // unit prices as they were.
        p.ilosc = -p.ilosc;
        p.wartoscNetto = -p.wartoscNetto;
        p.wartoscVat = -p.wartoscVat;
        p.wartoscBrutto = -p.wartoscBrutto;
    }
    return p;
}

QString pairKey(const PlannedLine& p)
{
    return p.name + QChar(0x1F) + unitKey(p.unit) + QChar(0x1F) + p.rate + QChar(0x1F) +
        QString::number(std::abs(p.ilosc), 'g', 17) + QChar(0x1F) + QString::number(p.cenaNetto, 'g', 17);
}

bool cancels(const PlannedLine& before, const PlannedLine& after)
{
    return before.name == after.name && unitKey(before.unit) == unitKey(after.unit) && before.rate == after.rate &&
        before.ilosc == -after.ilosc && before.cenaNetto == after.cenaNetto &&
        toGrosze(before.wartoscNetto) == -toGrosze(after.wartoscNetto) &&
        toGrosze(before.wartoscVat) == -toGrosze(after.wartoscVat);
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
    if (pairs > 0) {
        std::vector<PlannedLine> kept;
        kept.reserve(lines.size() - std::size_t(2 * pairs));
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!dropped[i])
                kept.push_back(std::move(lines[i]));
        }
        lines = std::move(kept);
    }
    return pairs;
}

struct InvoiceSums {
    bool stated = false; // at least one P_13_x of the set is on the invoice
    qint64 net = 0;
    qint64 vat = 0;
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
    }
    return s;
}

// Puts a rounding difference on the group's line with the largest net value (by
// absolute value; the first of equals).
Adjustment adjustLargest(std::vector<PlannedLine>& lines, const std::vector<std::size_t>& members,
                         const RateCheck& check)
{
    std::size_t largest = members.front();
    for (const std::size_t i : members) {
        if (std::llabs(toGrosze(lines[i].wartoscNetto)) > std::llabs(toGrosze(lines[largest].wartoscNetto)))
            largest = i;
    }
    const qint64 dNet = check.invoiceNet - check.linesNet;
    const qint64 dVat = check.invoiceVat - check.linesVat;
    PlannedLine& p = lines[largest];
    p.wartoscNetto = roundedMoney(p.wartoscNetto + double(dNet) * 0.01);
    p.wartoscVat = roundedMoney(p.wartoscVat + double(dVat) * 0.01);
    p.wartoscBrutto = roundedMoney(p.wartoscNetto + p.wartoscVat);
    return Adjustment{largest, p.invoiceLine, check.fields, dNet, dVat};
}

void reconcile(const Invoice& inv, Plan& plan)
{
    // Lines grouped by the totals they are checked against, in the order rates first appear.
    std::vector<std::pair<FieldSet, std::vector<std::size_t>>> groups;
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        const FieldSet f = plan.lines[i].fields;
        auto g = std::find_if(groups.begin(), groups.end(), [f](const auto& x) { return x.first == f; });
        if (g == groups.end())
            g = groups.insert(groups.end(), {f, {}});
        g->second.push_back(i);
    }
    FieldSet covered = 0;
    for (const auto& [fields, members] : groups) {
        covered |= fields;
        RateCheck c;
        c.fields = fields;
        c.lineCount = int(members.size());
        for (const std::size_t i : members) {
            c.linesNet += toGrosze(plan.lines[i].wartoscNetto);
            c.linesVat += toGrosze(plan.lines[i].wartoscVat);
        }
        const InvoiceSums s = invoiceSums(inv, fields);
        c.invoiceNet = s.net;
        c.invoiceVat = s.vat;
        // Each line's net and VAT is rounded to the grosz once, so honest rounding
        // leaves at most one grosz per line between the lines and the invoice's total.
        c.allowed = c.lineCount;
        const qint64 dNet = c.invoiceNet - c.linesNet;
        const qint64 dVat = c.invoiceVat - c.linesVat;
        if (!s.stated) {
            c.status = RateCheck::Status::MissingTotal;
        } else if (dNet == 0 && dVat == 0) {
            c.status = RateCheck::Status::Equal;
        } else if (std::llabs(dNet) <= c.allowed && std::llabs(dVat) <= c.allowed) {
            c.status = RateCheck::Status::Adjusted;
            plan.adjustments.push_back(adjustLargest(plan.lines, members, c));
        } else {
            c.status = RateCheck::Status::Mismatch;
        }
        plan.checks.push_back(c);
    }
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

QString zl(qint64 grosze)
{
    return formatSum(double(grosze) / 100.0) + QStringLiteral(" zł");
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
        if (p.fields == fields && !rates.contains(p.rate))
            rates << p.rate;
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
    plan.lines.reserve(invoice.lines.size());
    for (const Line& line : invoice.lines)
        plan.lines.push_back(planLine(invoice, line));
    if (invoice.kind == Kind::KOR)
        plan.droppedPairs = dropCancellingPairs(plan.lines);
    reconcile(invoice, plan);
    plan.invoiceGross = toGrosze(invoice.grossTotal);
    for (const PlannedLine& p : plan.lines)
        plan.linesGross += toGrosze(p.wartoscBrutto);
    return plan;
}

bool Plan::recordable() const
{
    return std::none_of(checks.begin(), checks.end(), [](const RateCheck& c) {
        return c.status == RateCheck::Status::Mismatch || c.status == RateCheck::Status::TotalWithoutLines;
    });
}

QStringList Plan::notes() const
{
    QStringList out;
    for (const RateCheck& c : checks) {
        const QString head = QStringLiteral("Stawka %1 (%2)").arg(ratesOf(*this, c.fields), totalsLabel(c.fields));
        switch (c.status) {
        case RateCheck::Status::Equal:
            break;
        case RateCheck::Status::Adjusted:
            for (const Adjustment& a : adjustments) {
                if (a.fields == c.fields)
                    out << QStringLiteral("%1: różnica zaokrągleń (netto %2, VAT %3) doliczona do wiersza faktury %4.")
                               .arg(head, zl(a.netGrosze), zl(a.vatGrosze))
                               .arg(a.invoiceLine);
            }
            break;
        case RateCheck::Status::Mismatch:
            out << QStringLiteral("%1: wiersze dają netto %2 i VAT %3, a faktura podaje %4 i %5 – różnica większa "
                                  "niż zaokrąglenia (do %6), faktury nie można zapisać.")
                       .arg(head, zl(c.linesNet), zl(c.linesVat), zl(c.invoiceNet), zl(c.invoiceVat), zl(c.allowed));
            break;
        case RateCheck::Status::MissingTotal:
            out << QStringLiteral("%1: faktura nie podaje sumy dla tej stawki – wierszy nie można z nią sprawdzić.")
                       .arg(head);
            break;
        case RateCheck::Status::TotalWithoutLines:
            out << QStringLiteral("Faktura podaje %1: netto %2, VAT %3, ale żaden wiersz nie ma tej stawki – "
                                  "faktury nie można zapisać.")
                       .arg(totalsLabel(c.fields), zl(c.invoiceNet), zl(c.invoiceVat));
            break;
        }
    }
    if (droppedPairs > 0)
        out << QStringLiteral("Pominięte pary wierszy korekty, które się znoszą (przed i po bez zmian): %1.")
                   .arg(droppedPairs);
    if (invoiceGross != linesGross)
        out << QStringLiteral("Suma brutto wierszy %1 różni się od kwoty należności P_15 %2.")
                   .arg(zl(linesGross), zl(invoiceGross));
    return out;
}

} // namespace jadl::ksef
