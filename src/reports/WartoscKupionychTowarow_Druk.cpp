#include "reports/WartoscKupionychTowarow_Druk.h"

#include "store/Modul_Danych1.h"

using jadl::ElementStyle;
using jadl::ReportAlign;
using jadl::ReportBand;
using jadl::ReportFrame;
using jadl::ReportSysData;

namespace {
const QString kDostawcy = QStringLiteral("TableDostawcy");
const QString kMask = QStringLiteral("0.00");
} // namespace

TWartoscKupionychTowarowDruk::TWartoscKupionychTowarowDruk(QObject* parent)
    : ReportForm(parent, QStringLiteral("WartoscKupionychTowarowDruk"),
                 QStringLiteral("WARTOŚĆ KUPIONYCH TOWARÓW U POSZCZEGÓLNYCH DOSTAWCÓW"))
{
    const auto L = ReportAlign::Left;
    const auto R = ReportAlign::Right;

    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), ReportBand::Type::PageHeader, 22.2, tnr(10));
    QRBand1->setFrame(ReportFrame::all());
    QRLabelTytul = QRBand1->addLabel(QStringLiteral("QRLabelTytul"), QStringLiteral("Zakupy u dostawców za okres"),
                                     63.5, 1.9, 40.7, {L, tnr(9, true), true});
    QRSysData1 = QRBand1->addSysData(QStringLiteral("QRSysData1"), ReportSysData::Data::Date,
                                     QStringLiteral("Data :  "), 141.8, 2.1, 18.8, {L, {}, true});
    QRLabelOkres = QRBand1->addLabel(QStringLiteral("QRLabelOkres"), QString(), 63.5, 6.3, 20.6, {L, {}, true});
    QRSysData2 = QRBand1->addSysData(QStringLiteral("QRSysData2"), ReportSysData::Data::PageNumber,
                                     QStringLiteral("Strona :"), 141.8, 8.5, 22.0, {L, {}, true});
    QRLabelLinia1 = QRBand1->addLabel(QStringLiteral("QRLabelLinia1"), QString(102, QLatin1Char('_')), 0.0, 12.7, 189.2,
                                      {L, {}, true});
    QRLabelLP = QRBand1->addLabel(QStringLiteral("QRLabelLP"), QStringLiteral("Lp"), 7.7, 17.2, 4.0,
                                  {L, tnr(9, true), true, false, true});
    QRLabelDostawca = QRBand1->addLabel(QStringLiteral("QRLabelDostawca"), QStringLiteral("Dostawca"), 14.6, 17.2, 76.7,
                                        {L, tnr(9, true), false, false, true});
    QRLabelWartoscNetto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscNetto"), QStringLiteral("Wartość Netto"),
                                            92.6, 17.2, 26.5, {R, tnr(9, true), false, false, true});
    QRLabelWartoscVat = QRBand1->addLabel(QStringLiteral("QRLabelWartoscVat"), QStringLiteral("Wartość VAT"), 120.4,
                                          17.2, 27.8, {R, tnr(9, true), false, false, true});
    QRLabelWartoscBrutto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscBrutto"), QStringLiteral("Wartość Brutto"),
                                             150.8, 17.2, 34.4, {R, tnr(9, true)});

    QRBand3 = QuickRep1->addBand(QStringLiteral("QRBand3"), ReportBand::Type::Detail, 4.8, tnr(9));
    QRBand3->setFrame(ReportFrame::all());
    QRSysData3 = QRBand3->addSysData(QStringLiteral("QRSysData3"), ReportSysData::Data::DetailNumber, QString(), 1.6,
                                     0.3, 9.3, {R, tnr(9), false, false, true});
    QRDBTextDostawca = QRBand3->addField(QStringLiteral("QRDBTextDostawca"), kDostawcy, QStringLiteral("Symbol"), 14.6,
                                         0.3, 76.7, {L, {}, false, false, true});
    QRDBTextWartoscNetto = QRBand3->addField(QStringLiteral("QRDBTextWartoscNetto"), kDostawcy,
                                             QStringLiteral("WartoscNettoSuma"), 92.6, 0.3, 26.5,
                                             {R, {}, false, false, true, kMask});
    QRDBTextWartoscVat = QRBand3->addField(QStringLiteral("QRDBTextWartoscVat"), kDostawcy,
                                           QStringLiteral("WartoscVatSuma"), 120.4, 0.3, 27.8,
                                           {R, {}, false, false, true, kMask});
    QRDBText1 = QRBand3->addField(QStringLiteral("QRDBText1"), kDostawcy, QStringLiteral("WartoscBruttoSuma"), 150.8,
                                  0.3, 34.4, {R, {}, false, false, false, kMask});

    QRBand2 = QuickRep1->addBand(QStringLiteral("QRBand2"), ReportBand::Type::Summary, 5.6, tnr(9, true));
    QRBand2->setFrame(ReportFrame::all());
    const ElementStyle sum{R, {}, false, false, false, kMask};
    QRExprSumaWartoscNetto = QRBand2->addExpr(QStringLiteral("QRExprSumaWartoscNetto"),
                                              QStringLiteral("SUM(TableDostawcy.WartoscNettoSuma)"), 92.6, 0.5, 26.5,
                                              sum);
    QRExprSumaWartoscVat = QRBand2->addExpr(QStringLiteral("QRExprSumaWartoscVat"),
                                            QStringLiteral("SUM(TableDostawcy.WartoscVatSuma)"), 120.4, 0.5, 27.8, sum);
    QRExprWartoscBruttoSuma = QRBand2->addExpr(QStringLiteral("QRExprWartoscBruttoSuma"),
                                               QStringLiteral("SUM(TableDostawcy.WartoscBruttoSuma)"), 150.8, 0.5, 34.4,
                                               sum);
}

void TWartoscKupionychTowarowDruk::bindTables(TModulDanych1& dm)
{
    QuickRep1->setDataSet(kDostawcy, std::make_shared<jadl::TableReportData>(dm.TableDostawcy));
}
