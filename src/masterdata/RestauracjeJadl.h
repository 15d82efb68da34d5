#pragma once
// Restaurants window: the records of the owner table, exactly one of them the
// active restaurant. It may be left only through its own exit buttons.
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class TModulDanych1;

namespace jadl {
class DBCheckBox;
class DBEdit;
class DBGrid;
class DBMemo;
class Table;
} // namespace jadl

class TRestauracje : public QDialog {
    Q_OBJECT
public:
    explicit TRestauracje(TModulDanych1* dm, QWidget* parent = nullptr);
    // Cleared by the main window before showing; set by the exit buttons.
    bool MoznaZamknac = false;

    // Walks the restaurants with display updates off and counts the active ones;
    // the table ends past its last record (an empty one is left alone).
    int countActiveRestaurants();

public Q_SLOTS:
    void DodajClick();
    void DBEditSymbolExit();
    void ZapiszClick();
    void ZamknijClick();
    void ZamkAwaryjnieClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void wireHandlers();
    TModulDanych1* dm_;
    jadl::Table* table() const;
    // True when the window may close now; otherwise says how to close it.
    bool mayClose();
    void closeWithTable();

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBGrid* DBGrid1;
    QLabel* LabelSymbol;
    jadl::DBEdit* DBEditSymbol;
    QLabel* LabelNazwa;
    jadl::DBEdit* DBEditNazwa;
    jadl::DBMemo* DBMemoNazwa;
    QLabel* LabelMiasto;
    jadl::DBEdit* DBEditMiast;
    QLabel* LabelAdres;
    jadl::DBEdit* DBEditAdres;
    QLabel* LabelTelefon;
    jadl::DBEdit* DBEditTelefon;
    QLabel* LabelEmail;
    jadl::DBEdit* DBEditE_mail;
    jadl::DBCheckBox* DBCheckBoxAktywna;
    QCheckBox* CheckBoxPrzepiszSymbolDoNazwy;
    QPushButton* Zapisz;
    QPushButton* Dodaj;
    QPushButton* Usun;
    QPushButton* BitBtn4;
    QPushButton* Zamknij;
    QPushButton* ZamkAwaryjnie;
};
