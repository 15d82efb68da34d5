#pragma once
// "IMPORT FAKTURY KSeF": one invoice on its way into the purchase lines. Shows the
// seller, the invoice's number and dates and its lines with the basic good each
// will be recorded as; the user picks the supplier (or adds it from the seller)
// and a good for every line not remembered (or adds the line as a new good);
// below, the invoice's totals per rate beside the lines' as they will be stored.
// "&Zapisz" records everything at once, "&Anuluj" nothing.
#include "work/KsefImport.h"

#include <QDialog>
#include <QHash>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TModulDanych1;

class TImportFakturyKSeF : public QDialog {
    Q_OBJECT
public:
    TImportFakturyKSeF(jadl::ksefimport::Tables& tables, jadl::ksefimport::Draft draft, QWidget* parent = nullptr);

    const jadl::ksefimport::Draft& draft() const { return draft_; }
    bool recorded() const { return recorded_; }

    void reject() override; // "&Anuluj", Esc and the close box: nothing stays recorded

public Q_SLOTS:
    void BitBtnDodajDostawceClick();
    void BitBtnPrzypiszTowarClick(); // the chosen good for every selected line
    void BitBtnNowyTowarClick(); // the current line as a new good of the chosen group
    void BitBtnZapiszClick();
    void fillGoods(); // the goods of the chosen group that match the search

private:
    void buildControls();
    QGroupBox* buildSellerPanel();
    QGroupBox* buildSupplierPanel();
    QGroupBox* buildLinesPanel();
    void buildTotalsPanel();
    void wireHandlers();
    void fillSuppliers();
    void fillGroups();
    void showLines();
    void showTotals();
    QHash<int, QString> goodNames() const; // Numer -> "SYMBOL – Nazwa"

    jadl::ksefimport::Tables& t_;
    jadl::ksefimport::Draft draft_;
    bool recorded_ = false;
    // What the window added on the user's word; a cancel takes it back.
    std::optional<int> addedSupplier_;
    std::vector<int> addedGoods_;

private:
    // --- controls, found by tests and tools through their object names
    QLineEdit* EditNip;
    QLineEdit* EditNazwa;
    QLineEdit* EditAdres;
    QLineEdit* EditNumer;
    QLineEdit* EditDataWystawienia;
    QLineEdit* EditDataDostawy;
    QComboBox* ComboBoxDostawca;
    QLineEdit* EditSymbolDostawcy;
    QPushButton* BitBtnDodajDostawce;
    QTableWidget* GridPozycje;
    QComboBox* ComboBoxGrupa;
    QLineEdit* EditSzukajTowaru;
    QComboBox* ComboBoxTowar;
    QPushButton* BitBtnPrzypiszTowar;
    QPushButton* BitBtnNowyTowar;
    QTableWidget* GridSumy;
    QLabel* LabelUwagi;
    QPushButton* BitBtnZapisz;
    QPushButton* BitBtnAnuluj;
};

namespace jadl::ksefimport {

// The files the user chooses; tests install their own answer.
using FileAsker = std::function<QStringList(QWidget* parent)>;
void setFileAsker(FileAsker asker);

// "Import faktur KSeF...": asks for the files, then shows each invoice the import
// takes in its window, one at a time; a refused file is named with the reason and
// the next one follows. The data module's tables are read again afterwards.
// Returns how many invoices were recorded.
int importInvoices(QWidget* parent, TModulDanych1* dm);

} // namespace jadl::ksefimport
