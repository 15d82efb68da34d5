#pragma once
// "FAKTURY KSeF DO ZAPISANIA": the invoices fetched from KSeF that are not yet in
// the purchase lines (seller, number, issue date, gross, KSeF number). "&Zapisz"
// opens one in "IMPORT FAKTURY KSeF"; "&Nie dotyczy zakupów" sets one aside (kept,
// not offered again); with "Pokaż odłożone" the set-aside ones show too and
// "&Przywróć" takes one back. Also the fetch itself, with its progress and
// "Przerwij", after which the list opens.
#include "work/KsefFetch.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;
class TModulDanych1;

class TFakturyKSeFDoZapisania : public QDialog {
    Q_OBJECT
public:
    explicit TFakturyKSeFDoZapisania(TModulDanych1* dm, QWidget* parent = nullptr);
    void fill();

public Q_SLOTS:
    void BitBtnZapiszClick();
    void BitBtnNieDotyczyClick();
    void BitBtnPrzywrocClick();
    void CheckBoxPokazOdlozoneClick();

private:
    void buildControls();
    void wireHandlers();
    const jadl::kseffetch::Fetched* current() const;

    TModulDanych1* dm_;
    std::vector<jadl::kseffetch::Fetched> shown_;
    QTableWidget* GridFaktury;
    QCheckBox* CheckBoxPokazOdlozone;
    QPushButton* BitBtnZapisz;
    QPushButton* BitBtnNieDotyczy;
    QPushButton* BitBtnPrzywroc;
    QPushButton* BitBtnZamknij;
    QLabel* LabelIle;
};

namespace jadl::kseffetch {

// "Pobierz faktury z KSeF...": fetches, then lists what is to record.
void fetchAndList(QWidget* parent, TModulDanych1* dm);
// "Faktury KSeF do zapisania...": the list, without fetching.
void showList(QWidget* parent, TModulDanych1* dm);

} // namespace jadl::kseffetch
