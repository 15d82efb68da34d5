#pragma once
// Catalogue of one goods group: the basic goods of the group current in the
// catalogue window, in that window's order.
#include "reports/ReportForm.h"

class TTowaryPodstawoweWgGrupDruk : public jadl::ReportForm {
    Q_OBJECT
public:
    explicit TTowaryPodstawoweWgGrupDruk(QObject* parent = nullptr);

    jadl::ReportBand* QRBand1;
    jadl::ReportSysData* QRSysData5;
    jadl::ReportLabel* QRLabel1;
    jadl::ReportSysData* QRSysData4;
    jadl::ReportLabel* QRLabelLinia1;
    jadl::ReportLabel* QRLabelLP;
    jadl::ReportLabel* QRLabelNrTow;
    jadl::ReportLabel* QRLabelNazwaTowaru;
    jadl::ReportLabel* QRLabelNrGrupy;
    jadl::ReportLabel* QRLabelNazwaGrupy;

    jadl::ReportBand* QRBand2;
    jadl::ReportSysData* QRSysData1;
    jadl::ReportDBText* QRDBNrTowaruPodstawowego;
    jadl::ReportDBText* QRDBSymbol;
    jadl::ReportDBText* QRDBNumerGrupy;
    jadl::ReportDBText* QRDBText1;

protected:
    void bindTables(TModulDanych1& dm) override;
};
