#pragma once
// Purchased goods report: the purchase lines the supplier goods window shows, with
// title, period, date, page numbers, restaurant, supplier and the two totals.
#include "reports/ReportForm.h"

class TZakupioneTowaryDruk : public jadl::ReportForm {
    Q_OBJECT
public:
    explicit TZakupioneTowaryDruk(QObject* parent = nullptr);

    // Page header
    jadl::ReportBand* QRBand1;
    jadl::ReportLabel* QRLabelTytul;
    jadl::ReportDBText* QRDBTextRestauracja;
    jadl::ReportSysData* QRSysData1;
    jadl::ReportLabel* QRLabelOkres;
    jadl::ReportSysData* QRSysData2;
    jadl::ReportLabel* QRLabelRestauracja;
    jadl::ReportLabel* QRLabelRestauracjaSymbol;
    jadl::ReportLabel* QRLabelDostawcaInd;
    jadl::ReportDBText* QRDBTextDostawcaInd;
    jadl::ReportLabel* QRLabelLinia1;
    jadl::ReportLabel* QRLabelLP;
    jadl::ReportLabel* QRLabelDostawca;
    jadl::ReportLabel* QRLabelIlosc;
    jadl::ReportLabel* QRLabelJednostkaMiary;
    jadl::ReportLabel* QRLabelFaktura;
    jadl::ReportLabel* QRLabelCenaNetto;
    jadl::ReportLabel* QRLabelWartoscNetto;
    jadl::ReportLabel* QRLabelVat;
    jadl::ReportLabel* QRLabelCenaBrutto;
    jadl::ReportLabel* QRLabelWartoscBrutto;
    jadl::ReportLabel* QRLabelCenaReferencyjna;
    jadl::ReportLabel* QRLabelGrupa;
    jadl::ReportLabel* QRLabelInformacja;
    jadl::ReportLabel* QRLabelData;
    jadl::ReportLabel* QRLabelNazwaTowaruSkrocona;
    // Detail
    jadl::ReportBand* QRBand2;
    jadl::ReportSysData* QRSysData3;
    jadl::ReportDBText* QRDBTextDostawca;
    jadl::ReportDBText* QRDBTextIlosc;
    jadl::ReportDBText* QRDBTextJednostkaMiary;
    jadl::ReportDBText* QRDBTextFaktura;
    jadl::ReportDBText* QRDBTextCenaNetto;
    jadl::ReportDBText* QRDBText1WartoscNetto;
    jadl::ReportDBText* QRDBTextVat;
    jadl::ReportDBText* QRDBTextCenaBrutto;
    jadl::ReportDBText* QRDBTextWartoscBrutto;
    jadl::ReportDBText* QRDBTextCenaReferencyjna;
    jadl::ReportDBText* QRDBTextGrupa;
    jadl::ReportDBText* QRDBTextInformacja;
    jadl::ReportDBText* QRDBTextData;
    jadl::ReportDBText* QRDBTextSkroconaNazwaTowaru;
    // Summary
    jadl::ReportBand* QRBand3;
    jadl::ReportExpr* QRExprWartoscNetto;
    jadl::ReportExpr* QRExprWartoscBrutto;

protected:
    void bindTables(TModulDanych1& dm) override;
};
