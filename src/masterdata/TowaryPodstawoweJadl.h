#pragma once
// The basic goods catalogue: goods filed under goods groups, edited through
// controls bound to the shared TableTowaryPodstawowe (a detail of the groups).
#include "controls/ExitRoutedDialog.h"
#include "store/Table.h"

#include <QColor>
#include <QDialog>
#include <QStringList>

#include <optional>

class QCheckBox;
class QGroupBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TModulDanych1;
class TTowaryPodstawoweWgGrupDruk;

namespace jadl {
class DBComboBox;
class DBEdit;
class DBGrid;
class DBMemo;
class DBText;
} // namespace jadl

class TTowaryPodstawowe : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TTowaryPodstawowe(QWidget* parent = nullptr);

    // Binds the controls to the data module's catalogue and groups tables (the
    // start-up wires this and the rest once).
    void bindDataModule(TModulDanych1* dm);
    // The assignment window that may show this one over it (its tables then stay open).
    void setAssignmentWindow(const QWidget* assignment) { assignment_ = assignment; }
    // The dictionary tables the exit closes beside the catalogue's own.
    void setDictionaryTables(jadl::Table* vat, jadl::Table* units)
    {
        vat_ = vat;
        units_ = units;
    }
    void setReport(TTowaryPodstawoweWgGrupDruk* report) { report_ = report; }
    // The main window's preparation before it shows the catalogue: the VAT and
    // unit lists from their dictionaries, renumbering off (the tables are open).
    void prepareForShow();

    // The item lists the two combo boxes hold before the dictionary tables are read.
    static QStringList designedVatItems();
    static QStringList designedUnitItems();

    // Text colour of a row of the goods grid: the reference-price signal of the
    // good drawn (selected cells read white, by the grid itself).
    std::optional<QColor> DBGrid1DrawColumnCell(jadl::Table& table, int row);

public Q_SLOTS:
    void BitBtnDodajClick();
    void BitBtnZapiszClick();
    void BitBtnAnulujClick();
    void BitBtnUsunClick();
    void DBEditSymbolTowaruExit();
    void BitBtnSzukajTowaruPodstawowegoClick();
    void BitBtnSzukajGrupyClick();
    void DBGrid1TitleClick(const QString& title);
    void DrukujClick();
    void CheckBoxPrzenumerujClick();
    void PrzenumerujClick();
    void BitBtnZamknijClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QGroupBox* buildGroupsPanel();
    QGroupBox* buildGoodsPanel();
    QGroupBox* buildGoodPanel();
    QVBoxLayout* buildButtonColumn();
    void wireHandlers();
    jadl::Table& goods() const;
    jadl::Table& groups() const;

    TModulDanych1* dm_ = nullptr;
    const QWidget* assignment_ = nullptr;
    jadl::Table* vat_ = nullptr;
    jadl::Table* units_ = nullptr;
    TTowaryPodstawoweWgGrupDruk* report_ = nullptr;

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBText* DBTextGrupa;
    jadl::DBGrid* DBGrid1;
    QLabel* LabelSymbolTowaru;
    jadl::DBEdit* DBEditSymbolTowaru;
    QLabel* LabelNazwaTowaru;
    jadl::DBEdit* DBEditNazwaTowaru;
    jadl::DBMemo* DBMemoNazwaTowaru;
    QLabel* LabelIndeksTowaru;
    jadl::DBEdit* DBEditIndeksTowaru;
    QLabel* LabelCenaNetto;
    jadl::DBEdit* DBEditCenaNetto;
    QLabel* LabelVat;
    jadl::DBComboBox* DBComboBoxVatTyp;
    QLabel* LabelJednostkaMiary;
    jadl::DBComboBox* DBComboBoxJednostkaMiary;
    QLabel* LabelCenaBrutto;
    jadl::DBEdit* DBEditCenaBrutto;
    QLabel* LabelCenaReferencyjna;
    jadl::DBEdit* DBEditCenaReferencyjna;
    QPushButton* BitBtnSzukajTowaruPodstawowego;
    QLineEdit* EditSzukajTowarPodstawowy;
    QLabel* LabelNumerTowaru;
    jadl::DBText* DBTextNumerTowaru;
    QPushButton* BitBtnDodaj;
    QPushButton* BitBtnZamknij;
    QPushButton* BitBtnZapisz;
    QPushButton* BitBtnAnuluj;
    QPushButton* BitBtnUsun;
    QPushButton* Drukuj;
    QPushButton* Przenumeruj;
    jadl::DBGrid* DBGrid2;
    QPushButton* BitBtnSzukajGrupy;
    QLineEdit* EditSzukajGrupy;
    QCheckBox* CheckBoxPrzepiszSymbolNazwa;
    QCheckBox* CheckBoxPrzenumeruj;
};
