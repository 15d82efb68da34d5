#pragma once
// Supplier value report: every supplier with purchases in the period, with the net,
// VAT and gross value of them and the totals.
#include "reports/ReportForm.h"

class TWartoscKupionychTowarowDruk : public jadl::ReportForm {
    Q_OBJECT
public:
    explicit TWartoscKupionychTowarowDruk(QObject* parent = nullptr);

    jadl::ReportBand* QRBand1;
    jadl::ReportLabel* QRLabelTytul;
    jadl::ReportSysData* QRSysData1;
    jadl::ReportLabel* QRLabelOkres;
    jadl::ReportSysData* QRSysData2;
    jadl::ReportLabel* QRLabelLinia1;
    jadl::ReportLabel* QRLabelLP;
    jadl::ReportLabel* QRLabelDostawca;
    jadl::ReportLabel* QRLabelWartoscNetto;
    jadl::ReportLabel* QRLabelWartoscVat;
    jadl::ReportLabel* QRLabelWartoscBrutto;

    jadl::ReportBand* QRBand3;
    jadl::ReportSysData* QRSysData3;
    jadl::ReportDBText* QRDBTextDostawca;
    jadl::ReportDBText* QRDBTextWartoscNetto;
    jadl::ReportDBText* QRDBTextWartoscVat;
    jadl::ReportDBText* QRDBText1;

    jadl::ReportBand* QRBand2;
    jadl::ReportExpr* QRExprSumaWartoscNetto;
    jadl::ReportExpr* QRExprSumaWartoscVat;
    jadl::ReportExpr* QRExprWartoscBruttoSuma;

protected:
    void bindTables(TModulDanych1& dm) override;
};
