#pragma once
// Goods assignment window: records purchase lines of a supplier, a basic good, a
// date and the active restaurant, lists the supplier's lines of that date and
// totals them.
#include "controls/ExitRoutedDialog.h"

#include <QDate>
#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;
class TModulDanych1;

namespace jadl {
class DBComboBox;
class DBEdit;
class DBGrid;
class DBMemo;
class DBText;
class MonthCalendar;
class Table;
} // namespace jadl

class TPrzypisywanieTowarow : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TPrzypisywanieTowarow(TModulDanych1* dm, QWidget* parent = nullptr);
    // The catalogue "&Dodaj towar" shows, and the dictionary tables the exit closes
    // (wired once by the start-up).
    void setShowCatalogue(std::function<void()> show) { showCatalogue_ = std::move(show); }
    void setDictionaryTables(jadl::Table* vat, jadl::Table* units)
    {
        vat_ = vat;
        units_ = units;
    }
    // The main window's preparation before it shows the window: the date labels
    // of the calendar, the VAT and unit lists from their dictionaries (the tables
    // are open).
    void prepareForShow();
    // What the purchase-lines filter reads of this window.
    bool filterByGroup() const;
    QDate calendarDate() const;

    // Routines of the window.
    void relinkPurchaseLines(); // purchase-lines relink and the indicator
    void assignedGoodsTotals(); // sums of the lines the lines grid shows
    void grossValuePreview();
    void netValuePreview();
    void referencePriceEditColour();
    void refreshPurchaseLines(); // what the supplier grid's events do

public Q_SLOTS:
    void Calendar1Change();
    void PoprzedniMcClick();
    void NastepnyMcClick();
    void DBGrid1TitleClick(const QString& title);
    void DBGrid2TitleClick(const QString& title);
    void DBGrid3TitleClick(const QString& title);
    void DBGrid4TitleClick(const QString& title);
    void CheckBoxFiltrujPoGrupieClick();
    void BitBtnSzukajDostawceClick();
    void BitBtnSzukajGrupyTowarowClick();
    void BitBtnSzukajTowarPodstawowyClick();
    void EditIloscChange();
    void EditRabatProcentChange();
    void EditIloscClick();
    void EditRabatProcentClick();
    void EditIloscExit();
    void EditRabatProcentExit();
    void BitBtnPrzypiszTowarDostawcyClick();
    void BitBtnImportKSeFClick();
    void BitBtnUsunClick();
    void OdswiezClick();
    void Odswiez1Click();
    void CheckBoxSumowaniePrzypisanychTowarowClick();
    void BitBtn1DodajTowarPodstawowyClick();
    void BitBtnZamknij1Click();
    void BitBtnZamknijClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QLayout* buildChoicesPanel();
    QLayout* buildEntryPanel();
    QLayout* buildCalendarPanel();
    QLayout* buildGoodPanel();
    QLayout* buildActionsPanel();
    QLayout* buildLinesPanel();
    void bindData(TModulDanych1* dm);
    void closeTablesAndWindow();
    void followChosenGood();
    bool checkNumberEdit(QLineEdit* edit);

    TModulDanych1* dm_ = nullptr;
    std::function<void()> showCatalogue_;
    jadl::Table* vat_ = nullptr;
    jadl::Table* units_ = nullptr;

private:
    // --- controls, found by tests and tools through their object names
    QLabel* LabelDostawcy;
    jadl::DBGrid* DBGrid1;
    QLabel* LabelGrupy;
    jadl::DBGrid* DBGrid3;
    QLabel* LabelTowatyPodstawowe;
    jadl::DBGrid* DBGrid2;
    jadl::DBGrid* DBGrid4;
    QPushButton* BitBtnSzukajDostawce;
    QLineEdit* EditSzukajDostawce;
    QPushButton* BitBtnSzukajGrupyTowarow;
    QLineEdit* EditSzukajGrupeTowaru;
    QPushButton* BitBtnSzukajTowarPodstawowy;
    QLineEdit* EditSzukajTowarPodstawowy;
    jadl::MonthCalendar* Calendar1;
    QPushButton* PoprzedniMc;
    QPushButton* NastepnyMc;
    QLabel* LabelM_c_Rok;
    QLabel* Dzien;
    QLabel* LabelCenaNetto;
    jadl::DBEdit* DBEditCenaNetto;
    QLabel* LabelVat;
    jadl::DBComboBox* DBComboBoxVatTyp;
    jadl::DBEdit* DBEditVatTyp;
    QLabel* LabelCenaBrutto;
    jadl::DBEdit* DBEditCenaBrutto;
    QLabel* LabelJednostkaMiary;
    jadl::DBComboBox* DBComboBoxJednostkaMiary;
    jadl::DBEdit* DBEditJednostkaMiary;
    QLabel* LabelCenaReferencyjna;
    jadl::DBEdit* DBEditCenaReferencyjna;
    QLabel* LabelIlosc;
    QLineEdit* EditIlosc;
    QLabel* LabelRabat;
    QLineEdit* EditRabatProcent;
    QLabel* LabelWartoscNetto;
    QLineEdit* EditWartoscNetto;
    QLabel* LabelWartoscBrutto;
    QLineEdit* EditWartoscBrutto;
    QCheckBox* CheckBoxBylaFaktura;
    QWidget* Panel7;
    QCheckBox* CheckBoxFiltrujPoGrupie;
    QPushButton* Odswiez;
    QPushButton* Odswiez1;
    jadl::DBEdit* DBEditIlosc;
    jadl::DBEdit* DBEditWartoscBrutto;
    jadl::DBEdit* DBEditWartoscNetto;
    QPushButton* BitBtnPrzypiszTowarDostawcy;
    QPushButton* BitBtnImportKSeF;
    QPushButton* BitBtnUsun;
    QPushButton* BitBtn1DodajTowarPodstawowy;
    QPushButton* BitBtnZamknij1;
    QPushButton* BitBtnZamknij;
    QGroupBox* GroupBoxDanePrzypisanegoTowaru;
    jadl::DBText* DBTextIlosc;
    jadl::DBText* DBTextJedMiary;
    jadl::DBText* DBTextWartosc;
    jadl::DBText* DBTextWartoscNetto;
    QLineEdit* EditWartoscCalkowitaNetto;
    QLineEdit* EditWartoscCalkowitaBrutto;
    QCheckBox* CheckBoxSumowaniePrzypisanychTowarow;
    QPushButton* BitBtn1InformacjaCzyByloPrzepisywanie;
    jadl::DBText* DBTextNazwa;
    jadl::DBMemo* DBMemo1;
};
