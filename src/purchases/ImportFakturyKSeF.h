#pragma once
// "IMPORT FAKTURY KSeF": one invoice on its way into the purchase lines. Shows the
// seller, the invoice's number and dates, how this kind of invoice is recorded, and
// its lines as written (list price, discount, currency) beside what each will be
// stored as and the basic good it goes to; the user picks the supplier (or adds it
// from the seller), a good for every line not remembered (or adds the line as a new
// good, with a name and symbol of his own) and a unit where the invoice gives none;
// below, the invoice's totals per rate beside the lines'. "&Zapisz" records
// everything at once, "&Anuluj" nothing and takes back what the window added.
#include "work/KsefImport.h"

#include <QDialog>
#include <QHash>
#include <QStringList>

#include <functional>
#include <optional>
#include <set>
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
    void BitBtnUstawJednostkeClick(); // the chosen unit for the selected lines the invoice gives none

private:
    void buildControls();
    QGroupBox* buildSellerPanel();
    QGroupBox* buildSupplierPanel();
    QGroupBox* buildLinesPanel();
    QGroupBox* buildNewGoodPanel();
    void buildTotalsPanel();
    void wireHandlers();
    void fillSuppliers();
    void fillGroups();
    void fillUnits();
    void showLines();
    void showTotals();
    void supplierChosen();
    void proposeNewGood(); // the current line's name and symbol for a new good
    std::set<int> selectedLines() const; // the current one when none is selected
    QHash<int, QString> goodNames() const; // Numer -> "SYMBOL – Nazwa"

    jadl::ksefimport::Tables& t_;
    jadl::ksefimport::Draft draft_;
    bool recorded_ = false;
    // What the window added on the user's word; a cancel takes it back.
    jadl::ksefimport::Additions added_;

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
    QLabel* LabelSposobZapisu;
    QTableWidget* GridPozycje;
    QComboBox* ComboBoxGrupa;
    QLineEdit* EditSzukajTowaru;
    QComboBox* ComboBoxTowar;
    QPushButton* BitBtnPrzypiszTowar;
    QLineEdit* EditNazwaTowaru;
    QLineEdit* EditSymbolTowaru;
    QPushButton* BitBtnNowyTowar;
    QComboBox* ComboBoxJednostka;
    QPushButton* BitBtnUstawJednostke;
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
// One invoice fetched from KSeF (its bytes as received), in the same window; true
// when it was recorded.
bool importFetched(QWidget* parent, TModulDanych1* dm, const QByteArray& xml, const QString& name);

} // namespace jadl::ksefimport
