#pragma once
// The main window: a small launcher of tool buttons, a menu bar and a footer.
#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QIcon;
class QToolButton;
namespace jadl {
class DBComboBox;
class Table;
} // namespace jadl

class TMeni : public QMainWindow {
    Q_OBJECT
public:
    explicit TMeni(QWidget* parent = nullptr);

public Q_SLOTS:
    void SpeedButtonTowaryClick();
    void SpeedButtonDostawcyClick();
    void SpeedButtonPowiazaniaClick();
    void SpeedButtonTowaryDostawcyClick();
    void SpeedButtonKopiaClick();
    void SpeedButtonZamknijClick();
    void Kopiadanych1Click();
    void Odtwarzaniedanychzarchiwum1Click();
    void Parametry1Click();
    void UsuwanietowarwzlatpoprzednichClick();
    void Wyjciezprogramu1Click();
    void Grupytowarw1Click();
    void Restauracje1Click();
    void ImportKSeF1Click();
    void PobierzKSeF1Click();
    void FakturyKSeF1Click();
    void WykresyZakupow1Click();
    void Jednostkimiar1Click();
    void StawkiVAT1Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QFrame* buildButtonPanel(QWidget* central);
    QFrame* buildFooter(QWidget* central);
    void buildMenu();
    void wireHandlers();
    // Links the purchase lines to the current supplier under the given index.
    void linkPurchaseLines(const QString& indexName);
    // The dictionary tables, owned by their windows.
    static jadl::Table* vatTable();
    static jadl::Table* unitsTable();

    QToolButton* makeToolButton(const char* name, const QString& caption, const QString& hint, const QString& iconName);

private:
    // --- controls, found by tests and tools through their object names
    QFrame* Panel1;
    QToolButton* SpeedButtonTowary;
    QToolButton* SpeedButtonDostawcy;
    QToolButton* SpeedButtonPowiazania;
    QToolButton* SpeedButtonTowaryDostawcy;
    QToolButton* SpeedButtonKopia;
    QToolButton* SpeedButtonZamknij;
    QFrame* Panel2;
    QLabel* Panel2Caption;
    QMenuBar* MainMenu1;
    QMenu* System1;
    QAction* Parametry1;
    QMenu* Archiwizacja1;
    QAction* Kopiadanych1;
    QAction* Odtwarzaniedanychzarchiwum1;
    QAction* Usuwanietowarwzlatpoprzednich;
    QAction* Wyjciezprogramu1;
    QMenu* Raporty1;
    QMenu* Wprowadz1;
    QAction* Grupytowarw1;
    QAction* Restauracje1;
    QAction* ImportKSeF1;
    QAction* PobierzKSeF1;
    QAction* FakturyKSeF1;
    QAction* WykresyZakupow1 = nullptr;
    QAction* Jednostkimiar1;
    QAction* StawkiVAT1;
};
