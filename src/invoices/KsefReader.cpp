#include "invoices/KsefReader.h"

#include "invoices/KsefRules.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <algorithm>
#include <climits>

namespace jadl::ksef {

namespace {

// Digit limits of the schema's number types: TKwotowy (amounts), TKwotowy2 (unit
// prices), TIlosci (quantities).
enum class NumberKind { Amount, Price, Quantity };

struct DigitLimits {
    int whole;
    int fraction;
};

constexpr DigitLimits limits(NumberKind kind)
{
    switch (kind) {
    case NumberKind::Amount:
        return {16, 2};
    case NumberKind::Price:
        return {14, 8};
    case NumberKind::Quantity:
        return {16, 6};
    }
    return {0, 0};
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The schema's pattern -?([1-9]\d*|0)(\.\d+)? within the type's digit limits; nothing
// else (no comma, exponent, plus sign, grouping or blanks).
std::optional<double> parseDecimal(QStringView t, NumberKind kind)
{
    const DigitLimits lim = limits(kind);
    qsizetype i = 0;
    if (i < t.size() && t[i] == QLatin1Char('-'))
        ++i;
    const qsizetype wholeStart = i;
    while (i < t.size() && isAsciiDigit(t[i]))
        ++i;
    const qsizetype whole = i - wholeStart;
    if (whole == 0 || whole > lim.whole || (whole > 1 && t[wholeStart] == QLatin1Char('0')))
        return std::nullopt;
    if (i < t.size()) {
        if (t[i] != QLatin1Char('.'))
            return std::nullopt;
        const qsizetype fractionStart = ++i;
        while (i < t.size() && isAsciiDigit(t[i]))
            ++i;
        const qsizetype fraction = i - fractionStart;
        if (fraction == 0 || fraction > lim.fraction || i != t.size())
            return std::nullopt;
    }
    bool ok = false;
    const double v = t.toDouble(&ok); // C locale: the text is already known to be plain
    return ok ? std::optional<double>(v) : std::nullopt;
}

// RRRR-MM-DD, a real calendar day.
std::optional<QDate> parseDate(const QString& t)
{
    if (t.size() != 10 || t[4] != QLatin1Char('-') || t[7] != QLatin1Char('-'))
        return std::nullopt;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!isAsciiDigit(t[i]))
            return std::nullopt;
    }
    const QDate d = QDate::fromString(t, Qt::ISODate);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

// A value quoted in a message, cut short when long.
QString quoted(const QString& value)
{
    const QString shown = value.size() > 40 ? value.left(40) + QStringLiteral("…") : value;
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString numberHint(NumberKind kind)
{
    return QStringLiteral("(KSeF zapisuje liczby z kropką dziesiętną, bez odstępów, do %1 miejsc po kropce)")
        .arg(limits(kind).fraction);
}

QString knownRates(Schema schema)
{
    return schema == Schema::FA3
        ? QStringLiteral("FA(3): 23, 22, 8, 7, 5, 4, 3, \"0 KR\", \"0 WDT\", \"0 EX\", zw, oo, \"np I\", \"np II\"")
        : QStringLiteral("FA(2): 23, 22, 8, 7, 5, 4, 3, 0, zw, oo, np");
}

// One pass over the document with QXmlStreamReader; each part of the invoice has its
// own reader function that consumes exactly its element.
class Parser {
public:
    Parser(QIODevice& device, const QString& fileName) : xml_(&device) { inv_.fileName = fileName; }

    Invoice read();

private:
    QXmlStreamReader xml_;
    Invoice inv_;
    QString ns_;
    bool haveForm_ = false;
    bool haveFa_ = false;
    bool haveKind_ = false;
    bool haveGross_ = false;

    [[noreturn]] void fail(const QString& what) const
    {
        throw InvoiceError(QStringLiteral("Plik %1: %2").arg(inv_.fileName, what));
    }
    [[noreturn]] void failHere(const QString& what) const
    {
        throw InvoiceError(QStringLiteral("Plik %1, linia %2: %3").arg(inv_.fileName).arg(xml_.lineNumber()).arg(what));
    }
    [[noreturn]] void failInLine(const Line& line, const QString& what) const
    {
        const QString where = line.number > 0 ? QStringLiteral("wiersz faktury %1").arg(line.number)
                                              : QStringLiteral("wiersz faktury bez numeru");
        throw InvoiceError(
            QStringLiteral("Plik %1, %2 (linia %3): %4").arg(inv_.fileName, where).arg(line.fileLine).arg(what));
    }
    [[noreturn]] void failXml() const
    {
        throw InvoiceError(QStringLiteral("Plik %1 nie jest poprawnym plikiem XML (błąd w linii %2, kolumnie %3)")
                               .arg(inv_.fileName)
                               .arg(xml_.lineNumber())
                               .arg(xml_.columnNumber()));
    }
    // Reports a fault either in the given invoice line or at the current place in the file.
    [[noreturn]] void failAt(const Line* line, const QString& what) const
    {
        if (line)
            failInLine(*line, what);
        failHere(what);
    }

    bool is(QStringView local) const { return xml_.name() == local && xml_.namespaceUri() == ns_; }
    bool nextChild();
    void skip();
    QString text();
    double number(NumberKind kind, const QString& element, const Line* line = nullptr);
    QDate date(const QString& element, const Line* line = nullptr);

    void readRoot();
    void readHeader();
    void readSeller();
    void readParty(Party& party);
    void readAddress(Party& party);
    void readBuyer();
    void readFa();
    void readPeriod();
    void readKind();
    bool readTotal();
    void readAnnotations();
    void readOrder();
    Line readLine();
    Line readOrderLine();
    // One element of a line (FaWiersz, or with `z` its order form ZamowienieWiersz);
    // false when it is none the import reads.
    bool readLineField(Line& line, QStringView name, bool z);
    void checkLine(Line& line) const;
    void checkComplete() const;
};

bool Parser::nextChild()
{
    const bool found = xml_.readNextStartElement();
    if (xml_.hasError())
        failXml();
    return found;
}

void Parser::skip()
{
    xml_.skipCurrentElement();
    if (xml_.hasError())
        failXml();
}

QString Parser::text()
{
    // Every text element of the invoice is an xsd:token or a number: blanks collapse.
    QString t = xml_.readElementText(QXmlStreamReader::SkipChildElements);
    if (xml_.hasError())
        failXml();
    return std::move(t).simplified();
}

double Parser::number(NumberKind kind, const QString& element, const Line* line)
{
    const QString t = text();
    const std::optional<double> v = parseDecimal(t, kind);
    if (!v)
        failAt(line, QStringLiteral("element %1 %2 nie jest liczbą %3").arg(element, quoted(t), numberHint(kind)));
    return *v;
}

QDate Parser::date(const QString& element, const Line* line)
{
    const QString t = text();
    const std::optional<QDate> d = parseDate(t);
    if (!d)
        failAt(line, QStringLiteral("element %1 %2 nie jest datą (RRRR-MM-DD)").arg(element, quoted(t)));
    return *d;
}

Invoice Parser::read()
{
    // The prolog up to the root element. A DTD is refused as soon as it is seen: an
    // invoice has none, and nothing it declares must ever be expanded.
    while (!xml_.atEnd()) {
        const QXmlStreamReader::TokenType token = xml_.readNext();
        if (token == QXmlStreamReader::DTD)
            fail(QStringLiteral("zawiera deklarację DOCTYPE – faktury KSeF jej nie mają, plik nie zostanie odczytany"));
        if (token == QXmlStreamReader::StartElement)
            break;
    }
    if (xml_.hasError() || !xml_.isStartElement())
        failXml();
    readRoot();
    // Read on to the end so that a fault after the root element is found too.
    while (!xml_.atEnd())
        xml_.readNext();
    if (xml_.hasError())
        failXml();
    checkComplete();
    return std::move(inv_);
}

void Parser::readRoot()
{
    if (xml_.name() != u"Faktura")
        fail(QStringLiteral("nie jest fakturą KSeF (element główny %1)").arg(xml_.name().toString()));
    ns_ = xml_.namespaceUri().toString();
    if (ns_ == kNamespaceFa3)
        inv_.schema = Schema::FA3;
    else if (ns_ == kNamespaceFa2)
        inv_.schema = Schema::FA2;
    else
        fail(QStringLiteral("faktura w przestrzeni nazw %1 – import obsługuje faktury FA(3) (%2) i FA(2) (%3)")
                 .arg(quoted(ns_), kNamespaceFa3.toString(), kNamespaceFa2.toString()));
    while (nextChild()) {
        if (is(u"Naglowek"))
            readHeader();
        else if (is(u"Podmiot1"))
            readSeller();
        else if (is(u"Podmiot2"))
            readBuyer();
        else if (is(u"Fa"))
            readFa();
        else
            skip();
    }
}

void Parser::readHeader()
{
    while (nextChild()) {
        if (is(u"KodFormularza")) {
            const QString code = text();
            if (code != u"FA")
                failHere(
                    QStringLiteral("formularz KodFormularza %1 nie jest fakturą (FA) – import obsługuje tylko faktury")
                        .arg(quoted(code)));
            haveForm_ = true;
        } else {
            skip();
        }
    }
}

void Parser::readSeller()
{
    readParty(inv_.seller);
}

void Parser::readParty(Party& party)
{
    while (nextChild()) {
        if (is(u"DaneIdentyfikacyjne")) {
            while (nextChild()) {
                if (is(u"NIP"))
                    party.nip = text();
                else if (is(u"Nazwa"))
                    party.name = text();
                else
                    skip();
            }
        } else if (is(u"Adres")) {
            readAddress(party);
        } else {
            skip();
        }
    }
}

void Parser::readAddress(Party& party)
{
    while (nextChild()) {
        if (is(u"KodKraju"))
            party.countryCode = text();
        else if (is(u"AdresL1"))
            party.addressLine1 = text();
        else if (is(u"AdresL2"))
            party.addressLine2 = text();
        else
            skip();
    }
}

void Parser::readBuyer()
{
    Party buyer;
    readParty(buyer);
    inv_.buyerNip = buyer.nip;
    inv_.buyerName = buyer.name;
}

void Parser::readFa()
{
    haveFa_ = true;
    while (nextChild()) {
        if (is(u"FaWiersz")) {
            inv_.lines.push_back(readLine());
        } else if (is(u"KodWaluty")) {
            inv_.currency = text();
        } else if (is(u"KursWalutyZ")) {
            inv_.exchangeRate = number(NumberKind::Quantity, QStringLiteral("KursWalutyZ"));
        } else if (is(u"Adnotacje")) {
            readAnnotations();
        } else if (is(u"Zamowienie")) {
            readOrder();
        } else if (is(u"P_1")) {
            inv_.issueDate = date(QStringLiteral("P_1"));
        } else if (is(u"P_2")) {
            inv_.number = text();
        } else if (is(u"P_6")) {
            inv_.supplyDate = date(QStringLiteral("P_6"));
        } else if (is(u"OkresFa")) {
            readPeriod();
        } else if (is(u"P_15")) {
            inv_.grossTotal = number(NumberKind::Amount, QStringLiteral("P_15"));
            haveGross_ = true;
        } else if (is(u"RodzajFaktury")) {
            readKind();
        } else if (!readTotal()) {
            skip();
        }
    }
}

void Parser::readPeriod()
{
    while (nextChild()) {
        if (is(u"P_6_Od"))
            inv_.periodFrom = date(QStringLiteral("P_6_Od"));
        else if (is(u"P_6_Do"))
            inv_.periodTo = date(QStringLiteral("P_6_Do"));
        else
            skip();
    }
}

void Parser::readKind()
{
    const QString code = text();
    const std::optional<Kind> kind = kindFromCode(code);
    if (!kind)
        failHere(QStringLiteral("nieznany rodzaj faktury RodzajFaktury %1").arg(quoted(code)));
    inv_.kind = *kind;
    haveKind_ = true;
}

bool Parser::readTotal()
{
    if (xml_.namespaceUri() != ns_ || !xml_.name().startsWith(u"P_1"))
        return false;
    const QString name = xml_.name().toString();
    for (int i = 0; i < kTotalFieldCount; ++i) {
        const TotalField f = TotalField(i);
        Total& total = inv_.totals[std::size_t(i)];
        const QString vat = vatElementName(f);
        if (name == netElementName(f))
            total.net = number(NumberKind::Amount, name);
        else if (!vat.isEmpty() && name == vat)
            total.vat = number(NumberKind::Amount, name);
        else if (!vat.isEmpty() && name == vat + QLatin1Char('W'))
            total.vatPln = number(NumberKind::Amount, name);
        else
            continue;
        return true;
    }
    return false;
}

Line Parser::readLine()
{
    Line line;
    line.fileLine = int(xml_.lineNumber());
    while (nextChild()) {
        // One namespace test per element; the name is only looked at before its text is read.
        if (xml_.namespaceUri() != ns_ || !readLineField(line, xml_.name(), false))
            skip();
    }
    checkLine(line);
    if (line.name.isEmpty())
        failInLine(line, QStringLiteral("brak elementu P_7 (nazwa towaru lub usługi)"));
    return line;
}

Line Parser::readOrderLine()
{
    Line line;
    line.fileLine = int(xml_.lineNumber());
    line.fromOrder = true;
    while (nextChild()) {
        if (xml_.namespaceUri() != ns_ || !readLineField(line, xml_.name(), true))
            skip();
    }
    checkLine(line);
    return line;
}

bool Parser::readLineField(Line& line, QStringView name, bool z)
{
    // The order form of a field ends in "Z" (P_7Z); its net value and VAT have names of their own.
    // Compared in place: this runs for every field of every line.
    const auto field = [z, name](const char* base) {
        const QLatin1StringView b(base);
        return name.size() == b.size() + (z ? 1 : 0) && name.startsWith(b) && (!z || name.back() == u'Z');
    };
    if (name == (z ? QStringLiteral("NrWierszaZam") : QStringLiteral("NrWierszaFa"))) {
        const QString t = text();
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok);
        if (!ok || n <= 0 || n > INT_MAX || !std::all_of(t.begin(), t.end(), isAsciiDigit))
            failInLine(line, QStringLiteral("element %1 %2 nie jest numerem wiersza").arg(name.toString(), quoted(t)));
        line.number = int(n);
    } else if (!z && name == u"P_6A") {
        line.supplyDate = date(QStringLiteral("P_6A"), &line);
    } else if (field("P_7")) {
        line.name = text();
    } else if (field("P_8A")) {
        line.unit = text();
    } else if (field("P_8B")) {
        line.quantity = number(NumberKind::Quantity, name.toString(), &line);
    } else if (field("P_9A")) {
        line.netPrice = number(NumberKind::Price, name.toString(), &line);
    } else if (!z && name == u"P_9B") {
        line.grossPrice = number(NumberKind::Price, QStringLiteral("P_9B"), &line);
    } else if (!z && name == u"P_10") {
        line.discount = number(NumberKind::Price, QStringLiteral("P_10"), &line);
    } else if (name == (z ? QStringLiteral("P_11NettoZ") : QStringLiteral("P_11"))) {
        line.netValue = number(NumberKind::Amount, name.toString(), &line);
    } else if (!z && name == u"P_11A") {
        line.grossValue = number(NumberKind::Amount, QStringLiteral("P_11A"), &line);
    } else if (name == (z ? QStringLiteral("P_11VatZ") : QStringLiteral("P_11Vat"))) {
        line.vatValue = number(NumberKind::Amount, name.toString(), &line);
    } else if (!z && name == u"KursWaluty") {
        line.exchangeRate = number(NumberKind::Quantity, QStringLiteral("KursWaluty"), &line);
    } else if (field("P_12")) {
        line.rate = text();
        if (!mapRate(inv_.schema, line.rate))
            failInLine(line,
                       QStringLiteral("element %1 %2 nie jest stawką podatku znaną w %3")
                           .arg(name.toString(), quoted(line.rate), knownRates(inv_.schema)));
    } else if (field("StanPrzed")) {
        const QString t = text();
        if (t != u"1")
            failInLine(
                line, QStringLiteral("element %1 %2 – dozwolona jest tylko wartość 1").arg(name.toString(), quoted(t)));
        line.beforeCorrection = true;
    } else {
        return false;
    }
    return true;
}

void Parser::checkLine(Line& line) const
{
    if (line.number == 0)
        failInLine(line, QStringLiteral("brak numeru wiersza (NrWierszaFa)"));
    const bool correction = haveKind_ &&
        (inv_.kind == Kind::KOR || inv_.kind == Kind::KOR_ROZ || inv_.kind == Kind::KOR_ZAL);
    if (line.beforeCorrection && !correction)
        failInLine(line, QStringLiteral("element StanPrzed w fakturze, która nie jest korygującą"));
}

void Parser::readAnnotations()
{
    while (nextChild()) {
        if (is(u"PMarzy")) {
            while (nextChild()) {
                if (is(u"P_PMarzy"))
                    inv_.margin = text() == u"1";
                else
                    skip();
            }
        } else {
            skip();
        }
    }
}

void Parser::readOrder()
{
    while (nextChild()) {
        if (is(u"WartoscZamowienia"))
            inv_.orderValue = number(NumberKind::Amount, QStringLiteral("WartoscZamowienia"));
        else if (is(u"ZamowienieWiersz"))
            inv_.orderLines.push_back(readOrderLine());
        else
            skip();
    }
}

void Parser::checkComplete() const
{
    if (!haveForm_)
        fail(QStringLiteral("brak nagłówka z elementem KodFormularza"));
    if (inv_.seller.nip.isEmpty())
        fail(QStringLiteral("brak NIP sprzedawcy (Podmiot1/DaneIdentyfikacyjne/NIP)"));
    if (inv_.seller.name.isEmpty())
        fail(QStringLiteral("brak nazwy sprzedawcy (Podmiot1/DaneIdentyfikacyjne/Nazwa)"));
    if (!haveFa_)
        fail(QStringLiteral("brak części Fa z danymi faktury"));
    if (inv_.currency.isEmpty())
        fail(QStringLiteral("brak elementu KodWaluty (waluta)"));
    if (!inv_.issueDate.isValid())
        fail(QStringLiteral("brak elementu P_1 (data wystawienia)"));
    if (inv_.number.isEmpty())
        fail(QStringLiteral("brak elementu P_2 (numer faktury)"));
    if (!haveKind_)
        fail(QStringLiteral("brak elementu RodzajFaktury"));
    if (!haveGross_)
        fail(QStringLiteral("brak elementu P_15 (kwota należności ogółem)"));
}

} // namespace

Invoice readKsefInvoice(QIODevice& device, const QString& fileName)
{
    return Parser(device, fileName).read();
}

Invoice readKsefInvoice(const QString& path)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw InvoiceError(QStringLiteral("Plik %1: nie można go otworzyć do odczytu").arg(fileName));
    return readKsefInvoice(file, fileName);
}

} // namespace jadl::ksef
