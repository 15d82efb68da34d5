#include "invoices/KsefRules.h"

#include "common/Money.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace jadl::ksef {

namespace {

struct RateRow {
    QStringView p12;
    QStringView vatTyp;
    FieldSet fields;
};

// Field per rate as the schema's documentation of Fa describes the totals: P_13_1
// basic rate (23 or 22), P_13_2 first reduced (8 or 7), P_13_3 second reduced (now 5;
// 3 before 2011), P_13_4 the taxi flat rate (4), P_13_6_1 0% at home, P_13_6_2 0%
// intra-Community supply, P_13_6_3 0% export, P_13_7 exempt, P_13_8 outside the
// country, P_13_9 services of art. 100(1)(4), P_13_10 reverse charge. P_13_5 (special
// procedure) and P_13_11 (margin) have no P_12 value: their lines carry none.
constexpr RateRow kDigitRates[] = {
    {u"23", u"23", fieldBit(TotalField::P13_1)},  {u"22", u"22", fieldBit(TotalField::P13_1)},
    {u"8", u"8", fieldBit(TotalField::P13_2)},    {u"7", u"7", fieldBit(TotalField::P13_2)},
    {u"5", u"5", fieldBit(TotalField::P13_3)},    {u"4", u"4", fieldBit(TotalField::P13_4)},
    {u"3", u"3", fieldBit(TotalField::P13_3)},    {u"zw", u"zw", fieldBit(TotalField::P13_7)},
    {u"oo", u"oo", fieldBit(TotalField::P13_10)},
};

constexpr RateRow kFa3Rates[] = {
    {u"0 KR", u"0k", fieldBit(TotalField::P13_6_1)}, {u"0 WDT", u"0e", fieldBit(TotalField::P13_6_2)},
    {u"0 EX", u"0e", fieldBit(TotalField::P13_6_3)}, {u"np I", u"np", fieldBit(TotalField::P13_8)},
    {u"np II", u"np", fieldBit(TotalField::P13_9)},
};

constexpr RateRow kFa2Rates[] = {
    {u"0", u"0k",
     FieldSet(fieldBit(TotalField::P13_6_1) | fieldBit(TotalField::P13_6_2) | fieldBit(TotalField::P13_6_3))},
    {u"np", u"np", FieldSet(fieldBit(TotalField::P13_8) | fieldBit(TotalField::P13_9))},
};

template <std::size_t N>
std::optional<RateMapping> find(const RateRow (&rows)[N], QStringView p12)
{
    for (const RateRow& row : rows) {
        if (row.p12 == p12) {
            const QString typ = row.vatTyp.toString();
            return RateMapping{typ, vatRate(typ), row.fields};
        }
    }
    return std::nullopt;
}

bool isBlank(QChar c)
{
    return c.isSpace() || c == QLatin1Char('-');
}

// Dotted abbreviations of legal forms, compared with the dots and blanks taken out.
const QStringList& legalFormKeys()
{
    static const QStringList keys{QStringLiteral("SPZOO"), QStringLiteral("SA"),  QStringLiteral("SPJ"),
                                  QStringLiteral("SPK"),   QStringLiteral("SKA"), QStringLiteral("SPKA"),
                                  QStringLiteral("SPP"),   QStringLiteral("SC")};
    return keys;
}

QString lettersAndDigits(const QString& word)
{
    QString key;
    for (const QChar c : word) {
        if (c.isLetterOrNumber())
            key += c;
    }
    return key;
}

// True when the words from `at` on spell a legal form ("SP." "Z" "O.O.", "S.A.", "SPÓŁKA ...").
bool startsLegalForm(const QStringList& words, qsizetype at)
{
    const QString first = lettersAndDigits(words[at]);
    if (first.startsWith(QStringLiteral("SPÓŁK")) || first.startsWith(QStringLiteral("SPOLK")))
        return true;
    QString key;
    for (qsizetype i = at; i < words.size() && key.size() <= 5; ++i) {
        key += lettersAndDigits(words[i]);
        if (legalFormKeys().contains(key))
            return true;
    }
    return false;
}

// Letters, digits and the joiners a symbol may keep inside a word.
QString symbolWord(const QString& word)
{
    QString out;
    for (const QChar c : word) {
        if (c.isLetterOrNumber() || c == QLatin1Char('&') || c == QLatin1Char('-') || c == QLatin1Char('+'))
            out += c;
    }
    while (out.startsWith(QLatin1Char('-')))
        out.remove(0, 1);
    while (out.endsWith(QLatin1Char('-')))
        out.chop(1);
    return out;
}

} // namespace

QString designationOfTotal(TotalField f)
{
    switch (f) {
    case TotalField::P13_1:
        return QStringLiteral("23");
    case TotalField::P13_2:
        return QStringLiteral("8");
    case TotalField::P13_3:
        return QStringLiteral("5");
    case TotalField::P13_4:
        return QStringLiteral("4");
    case TotalField::P13_6_1:
        return QStringLiteral("0k");
    case TotalField::P13_6_2:
    case TotalField::P13_6_3:
        return QStringLiteral("0e");
    case TotalField::P13_7:
        return QStringLiteral("zw");
    case TotalField::P13_10:
        return QStringLiteral("oo");
    case TotalField::P13_11:
        return kMarginDesignation;
    case TotalField::P13_5:
    case TotalField::P13_8:
    case TotalField::P13_9:
        return QStringLiteral("np");
    }
    return QStringLiteral("np");
}

QString clipAtWord(const QString& text, int length)
{
    const QString t = text.trimmed();
    if (t.size() <= length || length < 2)
        return t.left(length);
    QString cut = t.left(length - 1);
    const qsizetype blank = cut.lastIndexOf(QLatin1Char(' '));
    // Back to the last whole word, unless that would leave less than half the field.
    if (blank >= length / 2)
        cut = cut.left(blank);
    while (cut.endsWith(QLatin1Char(' ')) || cut.endsWith(QLatin1Char(',')) || cut.endsWith(QLatin1Char('-')))
        cut.chop(1);
    return cut + QStringLiteral("…");
}

QString nipDigits(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1String("PL"), Qt::CaseInsensitive))
        t.remove(0, 2);
    QString digits;
    for (const QChar c : t) {
        if (c.isDigit() && c.unicode() < 128)
            digits += c;
        else if (!isBlank(c))
            return {};
    }
    return digits;
}

std::optional<RateMapping> mapRate(Schema schema, QStringView p12)
{
    if (auto m = find(kDigitRates, p12))
        return m;
    return schema == Schema::FA3 ? find(kFa3Rates, p12) : find(kFa2Rates, p12);
}

QString unitKey(const QString& unit)
{
    QString key = unit.simplified().toLower();
    if (key.endsWith(QLatin1Char('.')))
        key.chop(1);
    return key.trimmed();
}

QString proposeSupplierSymbol(const QString& sellerName)
{
    QString name = sellerName.toUpper();
    // Quotes and separators split words; dots stay, they tell abbreviations apart.
    for (QChar& c : name) {
        if (c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('"') || c == QLatin1Char('\'') ||
            c == QChar(0x201E) || c == QChar(0x201D) || c == QChar(0x201C) || c == QChar(0x00AB) ||
            c == QChar(0x00BB) || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('/'))
            c = QLatin1Char(' ');
    }
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The first word is kept even if it looks like a legal form: the name starts there.
    qsizetype end = words.size();
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (startsLegalForm(words, i)) {
            end = i;
            break;
        }
    }
    QString symbol;
    for (qsizetype i = 0; i < end; ++i) {
        const QString w = symbolWord(words[i]);
        if (w.isEmpty())
            continue;
        if (symbol.isEmpty())
            symbol = w.left(kSupplierSymbolLength);
        else if (symbol.size() + 1 + w.size() <= kSupplierSymbolLength)
            symbol += QLatin1Char(' ') + w;
        else
            break;
    }
    return symbol;
}

QString fileSha256(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        throw InvoiceError(QStringLiteral("Nie można odczytać pliku %1").arg(QFileInfo(path).fileName()));
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace jadl::ksef
