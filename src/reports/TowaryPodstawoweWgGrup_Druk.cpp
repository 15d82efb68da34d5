#include "reports/TowaryPodstawoweWgGrup_Druk.h"

#include "store/Modul_Danych1.h"

using jadl::ElementStyle;
using jadl::ReportAlign;
using jadl::ReportBand;
using jadl::ReportFrame;
using jadl::ReportSysData;

namespace {
const QString kTowaryPodstawowe = QStringLiteral("TableTowaryPodstawowe");
} // namespace

TTowaryPodstawoweWgGrupDruk::TTowaryPodstawoweWgGrupDruk(QObject* parent)
    : ReportForm(parent, QStringLiteral("TowaryPodstawoweWgGrupDruk"), QStringLiteral("TowaryPodstawoweWgGrupDruk"))
{
    const auto L = ReportAlign::Left;
    const auto R = ReportAlign::Right;
    const double rowTop = 7.4;

    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), ReportBand::Type::PageHeader, 13.5, tnr(8, true));
    QRBand1->setFrame(ReportFrame::all());
    QRSysData5 = QRBand1->addSysData(QStringLiteral("QRSysData5"), ReportSysData::Data::PageNumber,
                                     QStringLiteral("Strona: "), 1.6, 1.1, 0.0, {L, tnr(8), true});
    QRLabel1 = QRBand1->addLabel(QStringLiteral("QRLabel1"), QStringLiteral("TOWARY PODSTAWOWE"), 65.4, 1.1, 0.0,
                                 {L, tnr(9, true), true});
    QRSysData4 = QRBand1->addSysData(QStringLiteral("QRSysData4"), ReportSysData::Data::Date, QStringLiteral("Data: "),
                                     154.5, 0.8, 0.0, {L, tnr(8), true});
    QRLabelLinia1 = QRBand1->addLabel(QStringLiteral("QRLabelLinia1"), QString(180, QLatin1Char('-')), 0.0, 4.0, 0.0,
                                      {L, {}, true});
    QRLabelLP = QRBand1->addLabel(QStringLiteral("QRLabelLP"), QStringLiteral("LP"), 1.1, rowTop, 9.8);
    QRLabelNrTow = QRBand1->addLabel(QStringLiteral("QRLabelNrTow"), QStringLiteral("NR TOW."), 12.7, rowTop, 14.3);
    QRLabelNazwaTowaru = QRBand1->addLabel(QStringLiteral("QRLabelNazwaTowaru"),
                                           QStringLiteral("NAZWA TOWARU PODSTAWOWEGO"), 29.6, rowTop, 79.4);
    QRLabelNrGrupy = QRBand1->addLabel(QStringLiteral("QRLabelNrGrupy"), QStringLiteral("NR GRUPY"), 111.1, rowTop,
                                       16.1);
    QRLabelNazwaGrupy = QRBand1->addLabel(QStringLiteral("QRLabelNazwaGrupy"), QStringLiteral("NAZWA GRUPY"), 129.1,
                                          rowTop, 57.4);

    QRBand2 = QuickRep1->addBand(QStringLiteral("QRBand2"), ReportBand::Type::Detail, 5.0, tnr(8));
    QRBand2->setFrame(ReportFrame::all());
    const double top = 0.8;
    QRSysData1 = QRBand2->addSysData(QStringLiteral("QRSysData1"), ReportSysData::Data::DetailNumber, QString(), 1.1,
                                     top, 9.8, {R});
    QRDBNrTowaruPodstawowego = QRBand2->addField(QStringLiteral("QRDBNrTowaruPodstawowego"), kTowaryPodstawowe,
                                                 QStringLiteral("NrKol"), 12.7, top, 14.3, {R});
    QRDBSymbol = QRBand2->addField(QStringLiteral("QRDBSymbol"), kTowaryPodstawowe, QStringLiteral("Symbol"), 29.6, top,
                                   79.4);
    QRDBNumerGrupy = QRBand2->addField(QStringLiteral("QRDBNumerGrupy"), kTowaryPodstawowe,
                                       QStringLiteral("NumerGrupy"), 111.1, top, 15.9, {R});
    QRDBText1 = QRBand2->addField(QStringLiteral("QRDBText1"), kTowaryPodstawowe, QStringLiteral("Grupa"), 129.1, top,
                                  57.4);
}

void TTowaryPodstawoweWgGrupDruk::bindTables(TModulDanych1& dm)
{
    QuickRep1->setDataSet(kTowaryPodstawowe, std::make_shared<jadl::TableReportData>(dm.TableTowaryPodstawowe));
}
