#include "reports/ZakupioneTowaryDrukJadl.h"

#include "store/Modul_Danych1.h"

using jadl::ElementStyle;
using jadl::ReportAlign;
using jadl::ReportBand;
using jadl::ReportFrame;
using jadl::ReportSysData;

namespace {
const QString kTowary = QStringLiteral("TableTowary");
const QString kDostawcy = QStringLiteral("TableDostawcy");
const QString kMask = QStringLiteral("0.00");
} // namespace

TZakupioneTowaryDruk::TZakupioneTowaryDruk(QObject* parent)
    : ReportForm(parent, QStringLiteral("ZakupioneTowaryDruk"), QStringLiteral("ZakupioneTowaryDruk"))
{
    const auto L = ReportAlign::Left;
    const auto C = ReportAlign::Centre;
    const auto R = ReportAlign::Right;
    const ElementStyle title{L, tnr(9, true), false, false, true, {}}; // column titles

    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), ReportBand::Type::PageHeader, 24.1, tnr(9));
    QRBand1->setFrame(ReportFrame::all());
    QRLabelTytul = QRBand1->addLabel(QStringLiteral("QRLabelTytul"), QStringLiteral("Towary kupione  za okres"), 63.5,
                                     1.3, 37.3, {L, tnr(10, true), true});
    QRDBTextRestauracja = QRBand1->addField(QStringLiteral("QRDBTextRestauracja"), kTowary,
                                            QStringLiteral("RestauracjaSymbol"), 2.1, 4.2, 52.9, {L, tnr(9, true)});
    QRDBTextRestauracja->setEnabled(false);
    QRSysData1 = QRBand1->addSysData(QStringLiteral("QRSysData1"), ReportSysData::Data::Date, QStringLiteral("Data:  "),
                                     152.4, 2.1, 16.9, {L, {}, true});
    QRLabelOkres = QRBand1->addLabel(QStringLiteral("QRLabelOkres"), QString(), 64.0, 5.0, 18.0, {L, tnr(8), true});
    QRSysData2 = QRBand1->addSysData(QStringLiteral("QRSysData2"), ReportSysData::Data::PageNumber,
                                     QStringLiteral("Strona : "), 152.7, 7.1, 20.4, {L, {}, true});
    QRLabelRestauracja = QRBand1->addLabel(QStringLiteral("QRLabelRestauracja"), QStringLiteral("Restauracja:"), 2.1,
                                           8.5, 15.6, {L, {}, true});
    QRLabelRestauracjaSymbol = QRBand1->addLabel(QStringLiteral("QRLabelRestauracjaSymbol"), QString(), 19.3, 8.5,
                                                 63.5);
    QRLabelDostawcaInd = QRBand1->addLabel(QStringLiteral("QRLabelDostawcaInd"), QStringLiteral("Dostawca:"), 2.1, 13.0,
                                           13.8);
    QRDBTextDostawcaInd = QRBand1->addField(QStringLiteral("QRDBTextDostawcaInd"), kDostawcy, QStringLiteral("Symbol"),
                                            17.2, 13.0, 74.1);
    QRLabelLinia1 = QRBand1->addLabel(QStringLiteral("QRLabelLinia1"), QString(119, QLatin1Char('_')), 0.0, 14.3, 189.2,
                                      {L, {}, true});
    QRLabelLP = QRBand1->addLabel(QStringLiteral("QRLabelLP"), QStringLiteral("Lp"), 2.6, 19.1, 4.0,
                                  {C, tnr(9, true), false, false, true});
    QRLabelDostawca = QRBand1->addLabel(QStringLiteral("QRLabelDostawca"), QStringLiteral("Dostawca"), 7.1, 19.1, 18.5,
                                        title);
    QRLabelIlosc = QRBand1->addLabel(QStringLiteral("QRLabelIlosc"), QStringLiteral("Ilość"), 25.9, 19.1, 6.9,
                                     {L, tnr(9, true), true, false, true});
    QRLabelJednostkaMiary = QRBand1->addLabel(QStringLiteral("QRLabelJednostkaMiary"), QStringLiteral("J.m."), 33.3,
                                              19.1, 10.1, title);
    QRLabelFaktura = QRBand1->addLabel(QStringLiteral("QRLabelFaktura"), QStringLiteral("Fakt."), 43.7, 19.1, 7.7,
                                       title);
    QRLabelCenaNetto = QRBand1->addLabel(QStringLiteral("QRLabelCenaNetto"), QStringLiteral("C. Netto"), 51.6, 19.1,
                                         11.9, title);
    QRLabelWartoscNetto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscNetto"), QStringLiteral("W.Netto"), 63.8,
                                            19.1, 12.4, title);
    QRLabelVat = QRBand1->addLabel(QStringLiteral("QRLabelVat"), QStringLiteral("Vat"), 76.5, 19.1, 6.1, title);
    QRLabelCenaBrutto = QRBand1->addLabel(QStringLiteral("QRLabelCenaBrutto"), QStringLiteral("C.Brutto"), 82.8, 19.1,
                                          12.4, title);
    QRLabelWartoscBrutto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscBrutto"), QStringLiteral("W.Brutto"), 95.5,
                                             19.1, 13.0, title);
    QRLabelCenaReferencyjna = QRBand1->addLabel(QStringLiteral("QRLabelCenaReferencyjna"), QStringLiteral("C.Refer."),
                                                108.7, 19.1, 12.7, title);
    QRLabelGrupa = QRBand1->addLabel(QStringLiteral("QRLabelGrupa"), QStringLiteral("Gr.Tow."), 121.7, 19.1, 14.0,
                                     title);
    QRLabelInformacja = QRBand1->addLabel(QStringLiteral("QRLabelInformacja"), QStringLiteral("Inf."), 136.3, 19.1, 7.7,
                                          {C, tnr(9, true), false, false, true});
    QRLabelData = QRBand1->addLabel(QStringLiteral("QRLabelData"), QStringLiteral("Data"), 144.2, 19.1, 15.9,
                                    {C, tnr(9, true), false, false, true});
    QRLabelNazwaTowaruSkrocona = QRBand1->addLabel(QStringLiteral("QRLabelNazwaTowaruSkrocona"),
                                                   QStringLiteral("Nazwa towaru"), 160.3, 19.1, 29.1,
                                                   {C, tnr(9, true)});

    // Detail: elements without a font of their own follow the band's font, which
    // the print command changes.
    QRBand2 = QuickRep1->addBand(QStringLiteral("QRBand2"), ReportBand::Type::Detail, 4.8, tnr(8));
    QRBand2->setFrame(ReportFrame::all());
    auto col = [](ReportAlign a, bool masked = false) {
        return ElementStyle{a, {}, false, false, true, masked ? kMask : QString()};
    };
    QRSysData3 = QRBand2->addSysData(QStringLiteral("QRSysData3"), ReportSysData::Data::DetailNumber, QString(), 0.5,
                                     0.3, 6.1, col(R));
    QRDBTextDostawca = QRBand2->addField(QStringLiteral("QRDBTextDostawca"), kTowary, QStringLiteral("Dostawca"), 7.1,
                                         0.0, 18.5, col(L));
    QRDBTextIlosc = QRBand2->addField(QStringLiteral("QRDBTextIlosc"), kTowary, QStringLiteral("Ilosc"), 25.9, 0.3, 6.9,
                                      col(R, true));
    QRDBTextJednostkaMiary = QRBand2->addField(QStringLiteral("QRDBTextJednostkaMiary"), kTowary,
                                               QStringLiteral("JednostkaMiary"), 33.1, 0.3, 10.1,
                                               {C, smallFonts(6), false, false, true});
    QRDBTextFaktura = QRBand2->addField(QStringLiteral("QRDBTextFaktura"), kTowary, QStringLiteral("CzyBylaFaktura"),
                                        43.7, 0.3, 7.4, col(C));
    QRDBTextCenaNetto = QRBand2->addField(QStringLiteral("QRDBTextCenaNetto"), kTowary, QStringLiteral("CenaNetto"),
                                          51.6, 0.3, 11.9, col(R, true));
    QRDBText1WartoscNetto = QRBand2->addField(QStringLiteral("QRDBText1WartoscNetto"), kTowary,
                                              QStringLiteral("WartoscNetto"), 63.8, 0.3, 12.4, col(R, true));
    QRDBTextVat = QRBand2->addField(QStringLiteral("QRDBTextVat"), kTowary, QStringLiteral("VatTyp"), 76.5, 0.3, 6.1,
                                    col(C));
    QRDBTextCenaBrutto = QRBand2->addField(QStringLiteral("QRDBTextCenaBrutto"), kTowary, QStringLiteral("CenaBrutto"),
                                           82.8, 0.0, 12.4, col(R, true));
    QRDBTextWartoscBrutto = QRBand2->addField(QStringLiteral("QRDBTextWartoscBrutto"), kTowary,
                                              QStringLiteral("WartoscBrutto"), 95.5, 0.3, 12.7, col(R, true));
    QRDBTextCenaReferencyjna = QRBand2->addField(QStringLiteral("QRDBTextCenaReferencyjna"), kTowary,
                                                 QStringLiteral("CenaReferencyjna"), 108.7, 0.0, 12.7, col(R, true));
    QRDBTextGrupa = QRBand2->addField(QStringLiteral("QRDBTextGrupa"), kTowary, QStringLiteral("Grupa"), 121.7, 0.0,
                                      14.0, col(L));
    QRDBTextInformacja = QRBand2->addField(QStringLiteral("QRDBTextInformacja"), kTowary, QStringLiteral("JakaCenaRef"),
                                           136.3, 0.0, 7.7, {C, arial(10, true), false, false, true});
    QRDBTextData = QRBand2->addField(QStringLiteral("QRDBTextData"), kTowary, QStringLiteral("DataZakupuString"), 144.2,
                                     0.0, 15.9, col(C));
    QRDBTextSkroconaNazwaTowaru = QRBand2->addField(QStringLiteral("QRDBTextSkroconaNazwaTowaru"), kTowary,
                                                    QStringLiteral("Symbol"), 160.3, 0.3, 28.6);

    QRBand3 = QuickRep1->addBand(QStringLiteral("QRBand3"), ReportBand::Type::Summary, 5.3, tnr(8, true));
    QRBand3->setFrame(ReportFrame::all());
    QRExprWartoscNetto = QRBand3->addExpr(QStringLiteral("QRExprWartoscNetto"),
                                          QStringLiteral("SUM(TableTowary.WartoscNetto)"), 53.7, 0.3, 21.2,
                                          {R, {}, false, false, false, kMask});
    QRExprWartoscBrutto = QRBand3->addExpr(QStringLiteral("QRExprWartoscBrutto"),
                                           QStringLiteral("SUM(TableTowary.WartoscBrutto)"), 85.7, 0.3, 22.5,
                                           {R, {}, false, false, false, kMask});
}

void TZakupioneTowaryDruk::bindTables(TModulDanych1& dm)
{
    QuickRep1->setDataSet(kTowary, std::make_shared<jadl::TableReportData>(dm.TableTowary));
    QuickRep1->setLookup(kDostawcy, std::make_shared<jadl::TableReportData>(dm.TableDostawcy));
}
