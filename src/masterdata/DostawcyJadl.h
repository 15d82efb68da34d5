#pragma once
// The suppliers window: the register of the business's suppliers, edited through
// controls bound to the shared TableDostawcy.
#include "controls/ExitRoutedDialog.h"
#include "store/Table.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QGroupBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class TDostawcyDruk;
class TModulDanych1;

namespace jadl {
class DBEdit;
class DBGrid;
class DBMemo;
class DBText;

// Text naming a table state: browse, insert, edit, or "?????" for anything else
// (a closed table included).
QString workModeText(DataSetState state);
} // namespace jadl

class TDostawcy : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TDostawcy(QWidget* parent = nullptr);

    // Binds the controls to the data module's suppliers table and names the
    // report the print button shows (both done once by the start-up).
    void bindDataModule(TModulDanych1* dm);
    void setReport(TDostawcyDruk* report) { report_ = report; }

    // Sets LabelTrybPracy from the state of the bound suppliers table.
    void showWorkMode();

public Q_SLOTS:
    void BitBtnDodajClick();
    void DBEditSymbolDostawcyExit();
    void BitBtnZapiszClick();
    void BitBtnUsunClick();
    void BitBtnAnulujClick();
    void BitBtnPierwszyClick();
    void BitBtnOstatniClick();
    void SzukajClick();
    void DBGrid1TitleClick(const QString& title);
    void BitBtnDrukujClick();
    void BitBtnZamknijClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QGroupBox* buildDetailsPanel();
    QVBoxLayout* buildListPanel();
    QVBoxLayout* buildButtonColumn();
    void wireHandlers();
    jadl::Table& suppliers() const;
    void orderBy(const QString& indexName);

    TModulDanych1* dm_ = nullptr;
    TDostawcyDruk* report_ = nullptr;

private:
    // --- controls, found by tests and tools through their object names
    QLabel* LabelSymbolDostawcy;
    jadl::DBEdit* DBEditSymbolDostawcy;
    QLabel* LabelNazwaDostawcy;
    jadl::DBEdit* DBEditNazwaDostawcy;
    jadl::DBMemo* DBMemoNazwaDostawcy;
    QLabel* LabelAdresDostawcy;
    jadl::DBEdit* DBEditAdresDostawcy;
    QLabel* LabelNip;
    jadl::DBEdit* DBEditNip;
    QLabel* LabelRegon;
    jadl::DBEdit* DBEditRegon;
    QLabel* LabelTelefon;
    jadl::DBEdit* DBEditTelefon;
    QLabel* LabelFax;
    jadl::DBEdit* DBEditFax;
    QLabel* LabelEmail;
    jadl::DBEdit* DBEditEmail;
    QLabel* LabelBank;
    jadl::DBEdit* DBEditBank;
    QLabel* LabelKonto;
    jadl::DBEdit* DBEditKonto;
    jadl::DBGrid* DBGrid1;
    QPushButton* Szukaj;
    QLineEdit* EditSzukaj;
    QLabel* LabelNumer;
    jadl::DBText* DBTextNumerDostawcy;
    QLabel* LabelTrybPracy;
    QPushButton* BitBtnDodaj;
    QPushButton* BitBtnZapisz;
    QPushButton* BitBtnUsun;
    QPushButton* BitBtnAnuluj;
    QPushButton* BitBtnPierwszy;
    QPushButton* BitBtnOstatni;
    QPushButton* BitBtnDrukuj;
    QPushButton* BitBtnZamknij;
    QCheckBox* CheckBoxPrzepiszSymbolNazwa;
};
