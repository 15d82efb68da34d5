#pragma once
// A large KSeF invoice written on the fly (too big to keep in the repository), for the
// reader's test and the import benchmark.
#include <QByteArray>
#include <QStringBuilder>

namespace jadl::ksef::test {

// Lines of the large invoice's text before its first FaWiersz, and per FaWiersz.
inline constexpr int kLargeHeaderLines = 13;
inline constexpr int kLargeLinesPerItem = 9;

// Non-negative grosze as KSeF writes an amount: "12.05".
inline QByteArray money(qint64 grosze)
{
    return QByteArray::number(grosze / 100) + '.' + QByteArray::number(grosze % 100).rightJustified(2, '0');
}

// An FA(3) invoice with `count` lines at 23% and 8%, net-priced, totals consistent
// with the lines. When `faultyLine` > 0 that line's P_11 reads "12,50".
inline QByteArray largeInvoice(int count, int faultyLine = 0)
{
    QByteArray items;
    qint64 net23 = 0, net8 = 0, vat23 = 0, vat8 = 0;
    for (int i = 1; i <= count; ++i) {
        const int qty = i % 7 + 1;
        const qint64 price = 100 + (i % 50) * 37; // grosze
        const qint64 net = qty * price;
        const bool reduced = i % 3 == 0;
        // VAT of the line to the grosz, halves up, in integers.
        const qint64 vat = (net * (reduced ? 8 : 23) + 50) / 100;
        (reduced ? net8 : net23) += net;
        (reduced ? vat8 : vat23) += vat;
        items += "<FaWiersz>\n<NrWierszaFa>" + QByteArray::number(i) + "</NrWierszaFa>\n<P_7>Towar numer " +
            QByteArray::number(i) + "</P_7>\n<P_8A>szt</P_8A>\n<P_8B>" + QByteArray::number(qty) + "</P_8B>\n<P_9A>" +
            money(price) + "</P_9A>\n<P_11>" + (i == faultyLine ? QByteArray("12,50") : money(net)) +
            "</P_11>\n<P_12>" + (reduced ? "8" : "23") + "</P_12>\n</FaWiersz>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<Faktura xmlns=\"http://crd.gov.pl/wzor/2025/06/25/13775/\">\n"
           "<Naglowek><KodFormularza kodSystemowy=\"FA (3)\" wersjaSchemy=\"1-0E\">FA</KodFormularza>"
           "<WariantFormularza>3</WariantFormularza><DataWytworzeniaFa>2026-03-01T00:00:00Z</DataWytworzeniaFa></"
           "Naglowek>\n"
           "<Podmiot1><DaneIdentyfikacyjne><NIP>5261040828</NIP><Nazwa>Hurtownia Duża Sp. z "
           "o.o.</Nazwa></DaneIdentyfikacyjne>"
           "<Adres><KodKraju>PL</KodKraju><AdresL1>ul. Długa 1, 00-001 Warszawa</AdresL1></Adres></Podmiot1>\n"
           "<Podmiot2><DaneIdentyfikacyjne><NIP>7010012345</NIP><Nazwa>Restauracja</Nazwa></DaneIdentyfikacyjne>"
           "<JST>2</JST><GV>2</GV></Podmiot2>\n"
           "<Fa>\n<KodWaluty>PLN</KodWaluty>\n<P_1>2026-03-01</P_1>\n<P_2>DUZA/1</P_2>\n"
           "<P_13_1>" +
        money(net23) + "</P_13_1><P_14_1>" + money(vat23) + "</P_14_1><P_13_2>" + money(net8) + "</P_13_2><P_14_2>" +
        money(vat8) + "</P_14_2>\n<P_15>" + money(net23 + vat23 + net8 + vat8) +
        "</P_15>\n"
        "<Adnotacje><P_16>2</P_16><P_17>2</P_17><P_18>2</P_18><P_18A>2</P_18A><Zwolnienie><P_19N>1</P_19N></Zwolnienie>"
        "<NoweSrodkiTransportu><P_22N>1</P_22N></NoweSrodkiTransportu><P_23>2</P_23><PMarzy><P_PMarzyN>1</P_PMarzyN></"
        "PMarzy></Adnotacje>\n"
        "<RodzajFaktury>VAT</RodzajFaktury>\n" +
        items + "</Fa>\n</Faktura>\n";
}

} // namespace jadl::ksef::test
