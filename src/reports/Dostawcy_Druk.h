#pragma once
// Supplier list: every supplier of the current view with address, e-mail and phone.
#include "reports/ReportForm.h"

class TDostawcyDruk : public jadl::ReportForm {
    Q_OBJECT
public:
    explicit TDostawcyDruk(QObject* parent = nullptr);

    jadl::ReportBand* QRBand1;
    jadl::ReportLabel* QRLabelDostawcyFirmy;
    jadl::ReportSysData* QRSysData1;
    jadl::ReportSysData* QRSysData2;
    jadl::ReportLabel* QRLabelLinia1;
    jadl::ReportLabel* QRLabelLP;
    jadl::ReportLabel* QRLabelSymbolDostawcy;
    jadl::ReportLabel* QRLabelAdresDostawcy;
    jadl::ReportLabel* QRLabelEMail;
    jadl::ReportLabel* QRLabelTelefon;

    jadl::ReportBand* QRBand2;
    jadl::ReportSysData* QRSysData3;
    jadl::ReportDBText* QRDBTextSymbolDostawcy;
    jadl::ReportDBText* QRDBText1;
    jadl::ReportDBText* QRDBText2;
    jadl::ReportDBText* QRDBText3;

protected:
    void bindTables(TModulDanych1& dm) override;
};
