#include "invoices/KsefInvoice.h"

#include <QStringList>

namespace jadl::ksef {

namespace {

struct FieldNames {
    QStringView net;
    QStringView vat;
};

constexpr std::array<FieldNames, kTotalFieldCount> kFieldNames{{
    {u"P_13_1", u"P_14_1"},
    {u"P_13_2", u"P_14_2"},
    {u"P_13_3", u"P_14_3"},
    {u"P_13_4", u"P_14_4"},
    {u"P_13_5", u"P_14_5"},
    {u"P_13_6_1", {}},
    {u"P_13_6_2", {}},
    {u"P_13_6_3", {}},
    {u"P_13_7", {}},
    {u"P_13_8", {}},
    {u"P_13_9", {}},
    {u"P_13_10", {}},
    {u"P_13_11", {}},
}};

constexpr std::array<QStringView, 7> kKindCodes{u"VAT", u"KOR", u"ZAL", u"ROZ", u"UPR", u"KOR_ZAL", u"KOR_ROZ"};

} // namespace

QString netElementName(TotalField f)
{
    return kFieldNames[static_cast<std::size_t>(f)].net.toString();
}

QString vatElementName(TotalField f)
{
    return kFieldNames[static_cast<std::size_t>(f)].vat.toString();
}

QString fieldSetName(FieldSet fields)
{
    QStringList names;
    for (int i = 0; i < kTotalFieldCount; ++i) {
        if (fields & fieldBit(TotalField(i)))
            names << netElementName(TotalField(i));
    }
    return names.join(QLatin1Char('+'));
}

QString kindCode(Kind k)
{
    return kKindCodes[static_cast<std::size_t>(k)].toString();
}

std::optional<Kind> kindFromCode(QStringView code)
{
    for (std::size_t i = 0; i < kKindCodes.size(); ++i) {
        if (kKindCodes[i] == code)
            return Kind(i);
    }
    return std::nullopt;
}

InvoiceError::InvoiceError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) { }

} // namespace jadl::ksef
