#pragma once
// Removal of previous-year purchases: deletes old purchase lines of the lines
// table as it currently stands (index, master link and filter untouched) and
// then packs the table file; it can also only pack it.
#include "controls/RadioGroup.h"

#include <QDate>
#include <QDialog>
#include <QGroupBox>
#include <QStringList>

#include <optional>

class QAbstractButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TModulDanych1;

namespace jadl {
class SpinEdit;
class Table;
} // namespace jadl

namespace jadl::removal {

// The choices of the window, by item number.
enum Choice { AllPreviousYears = 0, ChosenYear = 1, OlderThanTwoMonths = 2 };

// Last day of the month three months back: lines up to it are "older than two
// months" (the current month and the two before it stay). Gregorian February.
QDate cutOffDay(const QDate& today);

// Which purchase dates a choice removes. An empty date counts as 30 December
// 1899, as the old date-time numbers read it.
class Rule {
public:
    Rule(int choice, const QDate& today, int chosenYear);
    bool removes(const std::optional<QDate>& purchaseDate) const;
    // The removed days: from..to, both included; an invalid `from` has no lower
    // bound, an invalid `to` removes nothing.
    const QDate& from() const { return from_; }
    const QDate& to() const { return to_; }

private:
    QDate from_;
    QDate to_;
};

} // namespace jadl::removal

class TUsuwaniePrzypisanychTowarow : public QDialog {
    Q_OBJECT
public:
    explicit TUsuwaniePrzypisanychTowarow(TModulDanych1* dm, QWidget* parent = nullptr);
    // The main window's preparation before it shows the window: the choice of
    // previous years, this year, the count and the oldest year of the purchase
    // lines as the last window left their view (the table is open).
    void prepareForShow();
    // The year of the first line of the view; empty when there is none.
    static QString oldestYearText(jadl::Table& lines);

    // Packs the purchase lines table: exclusive open, compaction, then open
    // again shared. Raises the engine's errors; the table stays closed then.
    void packPurchaseLines();
    // Shows a text on the status banner and paints it before long work starts.
    void showBanner(const QString& text);
    // Number of lines the last removal deleted.
    int removedCount() const { return removedCount_; }

public Q_SLOTS:
    void RadioGroupUsunTowaryClick();
    void UsuwanieClick();
    void PakowanieTablicyClick();
    void AnulujClick();
    void ZamknijClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // the close box closes the table as the exit button does

private:
    void buildControls();
    void wireHandlers();
    int removeLines(jadl::Table& table, const jadl::removal::Rule& rule);
    void closeTableAndWindow();
    void showProgress(int value, int maximum);

    TModulDanych1* dm_;
    int removedCount_ = 0;
    bool busy_ = false;

private:
    // --- controls, found by tests and tools through their object names
    jadl::RadioGroup* RadioGroupUsunTowary;
    QLabel* LabelAktualnyRok;
    QLabel* LabelInformacja_Uwaga;
    QPlainTextEdit* Memo1;
    QLabel* LabelWybranyRok;
    jadl::SpinEdit* SpinEditWybranyRok;
    QPushButton* UsuwamTowary;
    QLabel* LabelIleUsunalem;
    QPushButton* PakowanieTablicy;
    QPushButton* Usuwanie;
    QPushButton* Anuluj;
    QPushButton* Zamknij;
    QLabel* LabelIloscWszystkichRekordow;
    QLineEdit* EditIloscRekordow;
    QLabel* LabelNajstarszyRokZapisow;
    QLineEdit* EditNajstarszyRok;
    QProgressBar* ProgressBarUsuwanie;
};
