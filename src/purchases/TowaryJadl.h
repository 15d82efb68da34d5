#pragma once
// Supplier goods window: purchases of one supplier or of all suppliers over a
// period, their totals per supplier and overall, corrections of their values,
// printing and the copy table for other programs.
#include "common/Periods.h"
#include "controls/ExitRoutedDialog.h"
#include "controls/RadioGroup.h"
#include "store/FieldDefs.h"

#include <QDate>
#include <QDialog>
#include <QGroupBox>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;
class QWidget;
class TModulDanych1;
class TWartoscKupionychTowarowDruk;
class TZakupioneTowaryDruk;
class TZakupioneTowaryDruk1;
namespace jadl {
namespace purchases {
class SupplierTotals;
struct Sums;
} // namespace purchases
class DataSource;
class DatePicker;
class DBComboBox;
class DBEdit;
class DBGrid;
class DBText;
class MonthCalendar;
class Table;
} // namespace jadl

class TTowary : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TTowary(QWidget* parent = nullptr);
    ~TTowary() override;
    // The window is created before the data module; its bindings resolve here.
    void bindDataModule(TModulDanych1* dm);
    // The three report forms it prints, and the assignment window's calendar that
    // gives the current purchase date (wired once by the start-up).
    void setReports(TZakupioneTowaryDruk* goods, TZakupioneTowaryDruk1* bare, TWartoscKupionychTowarowDruk* values)
    {
        goodsReport_ = goods;
        bareReport_ = bare;
        valuesReport_ = values;
    }
    // The assignment window's calendar date: the current purchase date it gives.
    void setAssignmentDate(std::function<QDate()> date) { assignmentDate_ = std::move(date); }
    // The start drive ("c"), from the hidden drive list.
    QString startDrive() const;
    // The copy table exists: its button is off and the table is the one in `directory`.
    void useCopyTable(bool exists, const QString& directory = {});

    // The selected period; nullopt when none is.
    std::optional<jadl::PeriodChoice> periodChoice() const;
    // Sums as the three sum edits show them: every digit to the grosz, with
    // thousands separators (the edits shrink their font to hold them).
    static QString sumText(double v);

    // --- totals (computed by the purchases unit SupplierTotals)

    // The totals of the supplier mode in force: selected supplier or all suppliers.
    void modeTotals();
    void selectedSupplierTotals();
    void allSuppliersTotals();
    void everySupplierTotals();
    void reportTotals();
    // "Liczba zapisów: " and the record count of the purchase lines.
    void showRecordCount(std::optional<int> count = std::nullopt);
    // The main window's preparation of this window before it is shown.
    void prepareForShow();
    jadl::Table* TableTowaryRaport;
    jadl::DataSource* DataSourceTowaryRaport;

public Q_SLOTS:
    void ComboBoxWybierzOkresChange();
    void ComboBoxMiesiaceChange();
    void DateTimePickerDataPoczChange();
    void DateTimePickerDataKonChange();
    void Calendar1Change();
    void PoprzedniMcClick();
    void NastepnyMcClick();
    void RadioGroupDlaDostawcowClick();
    void BitBtnSzukajClick();
    void DBGrid2DblClick();
    void DBGrid1TitleClick(const QString& title);
    void OdswierzanieTablicyDostawcowClick();
    void BitBtnZamknijClick();
    void HistoriaZmianClick();
    void WykresClick();
    void SumujZaznaczonyTowarClick();
    void BitBtnPoprawVat_BruttoClick();
    void BitBtnPrzeliczPowtornieClick();
    void referencePriceEditColour();
    void BitBtnDrukuj2Click();
    void BitBtnDrukuj1Click();
    void BitBtnDrukujClick();
    void TworzTabliceClick();
    void KopiujClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QLayout* buildSuppliersPanel();
    QLayout* buildChoicesPanel();
    QLayout* buildCalendarPanel();
    void buildLinesPanel(QVBoxLayout* top);
    QLayout* buildCurrentLinePanel();
    QLayout* buildTotalsPanel();
    QWidget* buildPrintPanel();
    QWidget* buildOptionsPanel();
    void wireHandlers();
    void setCalendarOn(bool on);
    void setSupplierColumnsColour(bool oneSupplier);
    // Re-reads the purchase lines with the filter on (or off) in one rebuild.
    void applyLinesFilter(bool on);
    // The purchase lines follow the current supplier in the given order, or all
    // suppliers' lines show in it.
    void linkLines(bool toSupplier, const QString& indexName);
    void showSums(const jadl::purchases::Sums& s);
    jadl::purchases::SupplierTotals totals() const;
    void supplierScrolled();
    // The period caption of the printed reports for the choice as it stands.
    std::optional<QString> currentPeriodCaption() const;
    // Drive letter of the hidden drive list, ":" and "\"; kept as the data drive prefix.
    QString drivePrefix();
    void setParametersCopyFlag(bool exists);
    void setCopyStatus(const QString& caption);

    TModulDanych1* dm_ = nullptr;
    TZakupioneTowaryDruk* goodsReport_ = nullptr;
    TZakupioneTowaryDruk1* bareReport_ = nullptr;
    TWartoscKupionychTowarowDruk* valuesReport_ = nullptr;
    std::function<QDate()> assignmentDate_;
    bool busy_ = false; // a routine walks the suppliers: their moves are its own
    bool periodJustChanged_ = false; // the period pick's change ran the handler already
    bool pickerTyped_ = false; // a date picker changed by typing: taken when left
    QString lastDrivePrefix_; // built by either copy command

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBGrid* DBGrid2;
    QPushButton* OdswierzanieTablicyDostawcow;
    QWidget* Panel3;
    QLineEdit* EditSzukajDostawcyTowarow;
    QPushButton* BitBtnSzukaj;
    jadl::RadioGroup* RadioGroupDlaDostawcow;
    QGroupBox* GroupBoxWybierzOkres;
    QComboBox* ComboBoxWybierzOkres;
    QComboBox* ComboBoxMiesiace;
    QLabel* LabelDataPocz;
    jadl::DatePicker* DateTimePickerDataPocz = nullptr;
    QLabel* LabelZnak;
    QLabel* LabelDataKon;
    jadl::DatePicker* DateTimePickerDataKon = nullptr;
    jadl::MonthCalendar* Calendar1;
    QPushButton* PoprzedniMc;
    QPushButton* NastepnyMc;
    QLabel* LabelM_c_Rok;
    QLabel* Dzien;
    QLabel* LabelLiczbaRekorow;
    jadl::DBGrid* DBGrid1;
    QPushButton* BitBtnPrzeliczPowtornie;
    QLabel* LabelCenaReferencyjna;
    jadl::DBEdit* DBEditCenaReferencyjna;
    QWidget* Panel4;
    QLabel* LabelNumerKolejny;
    jadl::DBText* DBTextNumerKol;
    QWidget* Panel1;
    jadl::DBEdit* DBEditCenaNetto;
    jadl::DBComboBox* DBComboBoxVatTyp;
    jadl::DBEdit* DBEditCenaBrutto;
    jadl::DBEdit* DBEditIlosc;
    jadl::DBComboBox* DBComboBoxJednostkaMiary;
    jadl::DBEdit* DBEditWartoscBrutto;
    jadl::DBEdit* DBEditData;
    QLabel* LabelPodsumowanie;
    QWidget* Panel2;
    QLineEdit* EditSumaNetto;
    QLineEdit* EditSumaVat;
    QLineEdit* EditSumaBrutto;
    QPushButton* BitBtnPoprawVat_Brutto;
    QPushButton* SumujZaznaczonyTowar;
    QWidget* Panel7;
    QTableWidget* StringGrid1;
    QLineEdit* EditKod;
    QLabel* LabelAdmin;
    QWidget* Panel5;
    QPushButton* Kopiuj;
    QPushButton* BitBtnDrukuj1;
    QPushButton* TworzTablice; // "Utwórz tablicę kopii"
    QPushButton* BitBtnDrukuj;
    QPushButton* BitBtnDrukuj2;
    QPushButton* BitBtnZamknij;
    QPushButton* HistoriaZmian;
    QPushButton* Wykres = nullptr;
    QWidget* Panel6;
    jadl::RadioGroup* RadioGroupCzcionka;
    QComboBox* DyskSystemu; // hidden drive list: the start drive
    QPushButton* KopiowanieRekordow;
};
