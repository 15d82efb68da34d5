#pragma once
// The page "KSeF" of "Parametry": where the firm's purchase invoices are fetched
// from (the environment or an address of one's own), the firm's NIP and its KSeF
// token, which goes to the system's keyring and never into a table; "Sprawdź
// połączenie" authenticates with them.
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TKsefSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit TKsefSettingsPage(QWidget* parent = nullptr);
    // Reads the settings again (the page is shown).
    void load();

public Q_SLOTS:
    void BitBtnZapiszKSeFClick();
    void BitBtnSprawdzPolaczenieClick();
    void ComboBoxSrodowiskoChange();

private:
    void buildControls();
    void wireHandlers();
    // Stores what the page shows; false (with a message, nothing changed) when it is not sound.
    bool save();

    QComboBox* ComboBoxSrodowisko;
    QLineEdit* EditAdresKSeF;
    QLineEdit* EditNipKSeF;
    QLineEdit* EditTokenKSeF;
    QPushButton* BitBtnZapiszKSeF;
    QPushButton* BitBtnSprawdzPolaczenie;
    QLabel* LabelStanKSeF;
};
