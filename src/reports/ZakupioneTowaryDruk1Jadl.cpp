#include "reports/ZakupioneTowaryDruk1Jadl.h"

#include "store/Modul_Danych1.h"

using jadl::ElementStyle;
using jadl::ReportAlign;
using jadl::ReportBand;
using jadl::ReportFrame;

namespace {
const QString kTowary = QStringLiteral("TableTowary");
const QString kMask = QStringLiteral("0.00");
} // namespace

TZakupioneTowaryDruk1::TZakupioneTowaryDruk1(QObject* parent)
    : ReportForm(parent, QStringLiteral("ZakupioneTowaryDruk1"), QStringLiteral("ZakupioneTowaryDruk1"))
{
    const auto L = ReportAlign::Left;
    const auto C = ReportAlign::Centre;
    const auto R = ReportAlign::Right;
    const ElementStyle title{L, tnr(9, true), false, false, true, {}};

    QRBand1 = QuickRep1->addBand(QStringLiteral("QRBand1"), ReportBand::Type::PageHeader, 10.8, tnr(9));
    QRBand1->setFrame(ReportFrame::all());
    QRLabelLinia1 = QRBand1->addLabel(QStringLiteral("QRLabelLinia1"), QString(119, QLatin1Char('_')), 0.0, 0.8, 189.2,
                                      {L, {}, true});
    QRLabelDostawca = QRBand1->addLabel(QStringLiteral("QRLabelDostawca"), QStringLiteral("Dostawca"), 0.0, 5.3, 24.6,
                                        title);
    QRLabelIlosc = QRBand1->addLabel(QStringLiteral("QRLabelIlosc"), QStringLiteral("Ilość"), 25.1, 5.3, 6.9,
                                     {L, tnr(9, true), true, false, true});
    QRLabelJednostkaMiary = QRBand1->addLabel(QStringLiteral("QRLabelJednostkaMiary"), QStringLiteral("J.m."), 32.5,
                                              5.3, 10.8, title);
    QRLabelFaktura = QRBand1->addLabel(QStringLiteral("QRLabelFaktura"), QStringLiteral("Fakt."), 43.7, 5.3, 7.7,
                                       title);
    QRLabelCenaNetto = QRBand1->addLabel(QStringLiteral("QRLabelCenaNetto"), QStringLiteral("C. Netto"), 51.6, 5.3,
                                         11.9, title);
    QRLabelWartoscNetto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscNetto"), QStringLiteral("W.Netto"), 63.8, 5.3,
                                            12.4, title);
    QRLabelVat = QRBand1->addLabel(QStringLiteral("QRLabelVat"), QStringLiteral("Vat"), 76.5, 5.3, 6.1, title);
    QRLabelCenaBrutto = QRBand1->addLabel(QStringLiteral("QRLabelCenaBrutto"), QStringLiteral("C.Brutto"), 82.8, 5.3,
                                          12.4, title);
    QRLabelWartoscBrutto = QRBand1->addLabel(QStringLiteral("QRLabelWartoscBrutto"), QStringLiteral("W.Brutto"), 95.5,
                                             5.3, 13.0, title);
    QRLabelCenaReferencyjna = QRBand1->addLabel(QStringLiteral("QRLabelCenaReferencyjna"), QStringLiteral("C.Refer."),
                                                108.7, 5.3, 12.7, title);
    QRLabelGrupa = QRBand1->addLabel(QStringLiteral("QRLabelGrupa"), QStringLiteral("Gr.Tow."), 121.7, 5.3, 14.0,
                                     title);
    QRLabelInformacja = QRBand1->addLabel(QStringLiteral("QRLabelInformacja"), QStringLiteral("Inf."), 136.3, 5.3, 7.7,
                                          {C, tnr(9, true), false, false, true});
    QRLabelData = QRBand1->addLabel(QStringLiteral("QRLabelData"), QStringLiteral("Data"), 144.2, 5.3, 15.9,
                                    {C, tnr(9, true), false, false, true});
    QRLabelNazwaTowaruSkrocona = QRBand1->addLabel(QStringLiteral("QRLabelNazwaTowaruSkrocona"),
                                                   QStringLiteral("Nazwa towaru"), 160.3, 5.3, 29.1, {C, tnr(9, true)});

    QRBand2 = QuickRep1->addBand(QStringLiteral("QRBand2"), ReportBand::Type::Detail, 4.8, tnr(8));
    QRBand2->setFrame(ReportFrame::all());
    auto col = [](ReportAlign a, bool masked = false) {
        return ElementStyle{a, {}, false, false, true, masked ? kMask : QString()};
    };
    QRDBTextDostawca = QRBand2->addField(QStringLiteral("QRDBTextDostawca"), kTowary, QStringLiteral("Dostawca"), 0.0,
                                         0.0, 24.6, col(C));
    QRDBTextIlosc = QRBand2->addField(QStringLiteral("QRDBTextIlosc"), kTowary, QStringLiteral("Ilosc"), 25.1, 0.3, 6.9,
                                      col(R, true));
    QRDBTextJednostkaMiary = QRBand2->addField(QStringLiteral("QRDBTextJednostkaMiary"), kTowary,
                                               QStringLiteral("JednostkaMiary"), 32.5, 0.3, 10.8,
                                               {R, smallFonts(6), false, false, true});
    QRDBTextFaktura = QRBand2->addField(QStringLiteral("QRDBTextFaktura"), kTowary, QStringLiteral("CzyBylaFaktura"),
                                        43.7, 0.3, 7.4, col(R));
    QRDBTextCenaNetto = QRBand2->addField(QStringLiteral("QRDBTextCenaNetto"), kTowary, QStringLiteral("CenaNetto"),
                                          51.6, 0.3, 11.9, col(R, true));
    QRDBText1WartoscNetto = QRBand2->addField(QStringLiteral("QRDBText1WartoscNetto"), kTowary,
                                              QStringLiteral("WartoscNetto"), 63.8, 0.3, 12.4, col(R, true));
    QRDBTextVat = QRBand2->addField(QStringLiteral("QRDBTextVat"), kTowary, QStringLiteral("VatTyp"), 76.5, 0.3, 6.1,
                                    col(R));
    QRDBTextCenaBrutto = QRBand2->addField(QStringLiteral("QRDBTextCenaBrutto"), kTowary, QStringLiteral("CenaBrutto"),
                                           82.8, 0.0, 12.4, col(R, true));
    QRDBTextWartoscBrutto = QRBand2->addField(QStringLiteral("QRDBTextWartoscBrutto"), kTowary,
                                              QStringLiteral("WartoscBrutto"), 95.5, 0.3, 12.7, col(R, true));
    QRDBTextCenaReferencyjna = QRBand2->addField(QStringLiteral("QRDBTextCenaReferencyjna"), kTowary,
                                                 QStringLiteral("CenaReferencyjna"), 108.7, 0.0, 12.7, col(R, true));
    QRDBTextGrupa = QRBand2->addField(QStringLiteral("QRDBTextGrupa"), kTowary, QStringLiteral("Grupa"), 121.7, 0.0,
                                      14.0, col(C));
    QRDBTextInformacja = QRBand2->addField(QStringLiteral("QRDBTextInformacja"), kTowary, QStringLiteral("JakaCenaRef"),
                                           136.3, 0.0, 7.7, {C, arial(10, true), false, false, true});
    QRDBTextData = QRBand2->addField(QStringLiteral("QRDBTextData"), kTowary, QStringLiteral("DataZakupuString"), 144.2,
                                     0.0, 15.9, col(C));
    QRDBTextSkroconaNazwaTowaru = QRBand2->addField(QStringLiteral("QRDBTextSkroconaNazwaTowaru"), kTowary,
                                                    QStringLiteral("Symbol"), 160.3, 0.3, 28.6, {R});

    QRBand3 = QuickRep1->addBand(QStringLiteral("QRBand3"), ReportBand::Type::Summary, 5.3, tnr(8, true));
    QRBand3->setFrame(ReportFrame::all());
    QRExprWartoscNetto = QRBand3->addExpr(QStringLiteral("QRExprWartoscNetto"),
                                          QStringLiteral("SUM(TableTowary.WartoscNetto)"), 55.0, 0.3, 21.2,
                                          {R, {}, false, false, false, kMask});
    QRExprWartoscBrutto = QRBand3->addExpr(QStringLiteral("QRExprWartoscBrutto"),
                                           QStringLiteral("SUM(TableTowary.WartoscBrutto)"), 85.7, 0.3, 22.5,
                                           {R, {}, false, false, false, kMask});
}

void TZakupioneTowaryDruk1::bindTables(TModulDanych1& dm)
{
    QuickRep1->setDataSet(kTowary, std::make_shared<jadl::TableReportData>(dm.TableTowary));
}
