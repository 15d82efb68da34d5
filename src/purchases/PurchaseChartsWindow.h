#pragma once
// "WYKRESY ZAKUPÓW": the purchases as pictures, one chart per tab, for a scope
// (one supplier, all suppliers, one goods group) and a period chosen as in the
// supplier goods window. Each chart has its numbers as a grid ("Tabela"), and
// saves as a picture, a PDF or a sheet, and prints through the print preview.
#include "common/Periods.h"
#include "controls/ExitRoutedDialog.h"
#include "purchases/ChartPictures.h"

#include <array>
#include <optional>

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTableWidget;
class TModulDanych1;

namespace jadl {

class DatePicker;
class RadioGroup;

class PurchaseChartsWindow : public ExitRoutedDialog {
    Q_OBJECT
public:
    explicit PurchaseChartsWindow(TModulDanych1* dm, QWidget* parent = nullptr);
    ~PurchaseChartsWindow() override;

    // On the lines as the supplier goods window shows them: its supplier mode and period.
    void showLines(const charts::ChartScope& scope, PeriodChoice choice);
    // The chart of the tab shown, computed again from the choices.
    void refresh();
    // The chart of the tab shown, as drawn.
    const charts::Picture& picture() const;
    // "Zapisz jako obraz" asks here; tests give their own answer (empty: the file dialog).
    using ImageFileAsker = std::function<QString(QWidget* parent, const QString& suggested)>;
    static void setImageFileAsker(ImageFileAsker asker);

    static constexpr int kTabs = 5;

private:
    void buildControls();
    QWidget* buildScopePanel();
    QWidget* buildPeriodPanel();
    QWidget* buildTabs();
    QWidget* buildPricePanel();
    QLayout* buildButtons();
    void wireHandlers();
    void bindDataModule();

    std::optional<charts::ChartScope> chosenScope() const;
    void showPeriodControls();
    void fillGoods();
    void fillTable(int tab);
    void toggleSeries(const QString& name);
    void connectHovers(QChart* chart);
    charts::ChartKind kindOf(int tab) const;
    QString titleOf(const charts::ChartScope& scope) const;

    void TabelaClick();
    void ZapiszObrazClick();
    void ZapiszPdfClick();
    void ZapiszArkuszClick();
    void DrukujClick();

    TModulDanych1* dm_;
    RadioGroup* Zakres = nullptr;
    QComboBox* Dostawca = nullptr;
    QComboBox* Grupa = nullptr;
    QComboBox* Okres = nullptr;
    QComboBox* Miesiac = nullptr;
    DatePicker* Dzien = nullptr;
    DatePicker* DataOd = nullptr;
    DatePicker* DataDo = nullptr;
    QLabel* LabelDzien = nullptr;
    QLabel* LabelOd = nullptr;
    QLabel* LabelDo = nullptr;
    QTabWidget* Zakladki = nullptr;
    std::array<QStackedWidget*, kTabs> stacks_{};
    std::array<QChartView*, kTabs> views_{};
    std::array<QTableWidget*, kTabs> tables_{};
    QComboBox* GrupaTowaru = nullptr;
    QLineEdit* SzukajTowaru = nullptr;
    QComboBox* Towar = nullptr;
    QLabel* Najtaniej = nullptr;
    QPushButton* Tabela = nullptr;
    QPushButton* ZapiszObraz = nullptr;
    QPushButton* ZapiszPdf = nullptr;
    QPushButton* ZapiszArkusz = nullptr;
    QPushButton* Drukuj = nullptr;
    QPushButton* Zamknij = nullptr;
    std::array<charts::Picture, kTabs> pictures_{};
    bool filling_ = false; // controls set from code: no refresh per control
};

// Opens the window over the data module's tables; on `scope` and `choice` when given.
void showPurchaseCharts(QWidget* parent, TModulDanych1* dm, const std::optional<charts::ChartScope>& scope = {},
                        std::optional<PeriodChoice> choice = {});

} // namespace jadl
