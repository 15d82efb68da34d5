#include "reports/Dostawcy_Druk.h"

#include "store/Modul_Danych1.h"

using jadl::ElementStyle;
using jadl::ReportAlign;
using jadl::ReportBand;
using jadl::ReportFrame;
using jadl::ReportSysData;

namespace {
const QString kDostawcy = QStringLiteral("TableDostawcy");
} // namespace

TDostawcyDruk::TDostawcyDruk(QObject* parent)
    : ReportForm(parent, QStringLiteral("DostawcyDruk"), QStringLiteral("DostawcyDruk"))
{
    const auto L = ReportAlign::Left;
    const auto C = ReportAlign::Centre;
    const auto R = ReportAlign::Right;
    const double rowTop = 16.4;

    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), ReportBand::Type::PageHeader, 22.2, tnr(9));
    QRBand1->setFrame(ReportFrame::all());
    QRLabelDostawcyFirmy = QRBand1->addLabel(QStringLiteral("QRLabelDostawcyFirmy"), QStringLiteral("Dostawcy Firmy"),
                                             68.3, 2.1, 0.0, {L, tnr(14, true), true});
    QRSysData1 = QRBand1->addSysData(QStringLiteral("QRSysData1"), ReportSysData::Data::Date, QStringLiteral("Data: "),
                                     135.7, 2.4, 0.0, {L, arial(8), true});
    QRSysData2 = QRBand1->addSysData(QStringLiteral("QRSysData2"), ReportSysData::Data::PageNumber,
                                     QStringLiteral("Strona: "), 135.7, 6.4, 0.0, {L, arial(8), true});
    QRLabelLinia1 = QRBand1->addLabel(QStringLiteral("QRLabelLinia1"), QString(119, QLatin1Char('_')), 0.3, 11.9, 0.0,
                                      {L, tnr(9), true});
    QRLabelLP = QRBand1->addLabel(QStringLiteral("QRLabelLP"), QStringLiteral("Lp"), 0.3, rowTop, 9.5,
                                  {C, tnr(10, true)});
    const ElementStyle title{L, tnr(9, true)};
    QRLabelSymbolDostawcy = QRBand1->addLabel(QStringLiteral("QRLabelSymbolDostawcy"),
                                              QStringLiteral("Symbol dostawcy"), 10.8, rowTop, 46.6, title);
    QRLabelAdresDostawcy = QRBand1->addLabel(QStringLiteral("QRLabelAdresDostawcy"), QStringLiteral("Adres dostawcy"),
                                             58.5, rowTop, 55.3, title);
    QRLabelEMail = QRBand1->addLabel(QStringLiteral("QRLabelEMail"), QStringLiteral("E-mail"), 114.6, rowTop, 36.2,
                                     title);
    QRLabelTelefon = QRBand1->addLabel(QStringLiteral("QRLabelTelefon"), QStringLiteral("Telefon"), 152.7, rowTop, 36.2,
                                       title);

    // Every supplier in a box of its own: the band is framed on all sides.
    QRBand2 = QuickRep1->addBand(QStringLiteral("QRBand2"), ReportBand::Type::Detail, 7.1, tnr(9));
    QRBand2->setFrame(ReportFrame::all());
    const double top = 1.6;
    QRSysData3 = QRBand2->addSysData(QStringLiteral("QRSysData3"), ReportSysData::Data::DetailNumber, QString(), 0.3,
                                     top, 9.5, {R});
    QRDBTextSymbolDostawcy = QRBand2->addField(QStringLiteral("QRDBTextSymbolDostawcy"), kDostawcy,
                                               QStringLiteral("Symbol"), 10.8, top, 46.6);
    QRDBText1 = QRBand2->addField(QStringLiteral("QRDBText1"), kDostawcy, QStringLiteral("Adres"), 58.5, top, 55.3);
    QRDBText2 = QRBand2->addField(QStringLiteral("QRDBText2"), kDostawcy, QStringLiteral("E_mail"), 114.6, top, 36.2);
    QRDBText3 = QRBand2->addField(QStringLiteral("QRDBText3"), kDostawcy, QStringLiteral("Telefon"), 152.7, top, 36.2);
}

void TDostawcyDruk::bindTables(TModulDanych1& dm)
{
    QuickRep1->setDataSet(kDostawcy, std::make_shared<jadl::TableReportData>(dm.TableDostawcy));
}
