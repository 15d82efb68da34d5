#pragma once
// Parameters and owner window: the owner records (restaurants) on one tab, the
// two dictionary-list switches of the settings record on the other.
#include "controls/ExitRoutedDialog.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QWidget;
class TModulDanych1;

namespace jadl {
class DBCheckBox;
class DBEdit;
class DBGrid;
class DBNavigator;
class Table;
} // namespace jadl

class TKsefSettingsPage;

class TParametry : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TParametry(TModulDanych1* dm, QWidget* parent = nullptr);
    // The main window's preparation before it shows the window: the active mark
    // as the current owner record has it (the owners table is open).
    void prepareForShow();

public Q_SLOTS:
    void DBGrid1CellClick();
    void DBGrid1ColExit();
    void DBGrid1DblClick();
    void DBGrid1KeyDown();
    void DBGrid1KeyPress();
    void DBGrid1KeyUp();
    void CheckBoxAktywnyClick();
    void DBEditSymbolExit();
    void BitBtnZapiszClick();
    void ZapiszClick();
    void BitBtn1Click();

private:
    void buildControls();
    void buildOwnerPage();
    void buildSettingsPage();
    void wireHandlers();
    TModulDanych1* dm_;
    jadl::Table* wlasciciel() const;
    jadl::Table* parametry() const;
    // The plain "active owner" box follows the current owner record.
    void followAktywny();
    void showDataStore();
    void showEvent(QShowEvent* event) override;

private:
    // --- controls, found by tests and tools through their object names
    QTabWidget* PageControl1;
    QWidget* TabSheet1; // "Właściciel"
    QWidget* TabSheet2; // "Parametry"
    TKsefSettingsPage* TabSheetKSeF; // "KSeF"
    jadl::DBGrid* DBGrid1;
    QLabel* LabelNazwaWlasciciela;
    jadl::DBEdit* DBEditNazwa;
    QLabel* LabelSymbol;
    jadl::DBEdit* DBEditSymbol;
    QLabel* LabelAdres;
    jadl::DBEdit* DBEditAdres;
    jadl::DBCheckBox* DBCheckBoxPlatnikVat;
    QLabel* LabelTelefon;
    jadl::DBEdit* DBEditTelefon;
    QLabel* LabelFax;
    jadl::DBEdit* DBEditFax;
    QLabel* LabelNrKolejny;
    QLabel* LabelMagazynDanych;
    jadl::DBEdit* DBEditNrKolejny;
    QLabel* LabelMail;
    jadl::DBEdit* DBEditMail;
    QLabel* LabelBank;
    jadl::DBEdit* DBEditBank;
    QLabel* LabelKonto;
    jadl::DBEdit* DBEdit1;
    jadl::DBNavigator* DBNavigator1;
    QCheckBox* CheckBoxPrzepiszSymbolNazwa;
    jadl::DBCheckBox* DBCheckBoxAktywny;
    QCheckBox* CheckBoxAktywny;
    QPushButton* BitBtnZapisz;
    jadl::DBCheckBox* DBCheckBoxCzyscJednostkiMiar;
    jadl::DBCheckBox* DBCheckBoxCzyscStawkiVat;
    QPushButton* Zapisz;
    QPushButton* Zamknij;
};
