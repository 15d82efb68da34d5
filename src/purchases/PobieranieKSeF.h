#pragma once
// "POBIERANIE FAKTUR Z KSeF": the fetch of the firm's purchase invoices, with its
// progress (invoices stored so far, what KSeF says while it limits the calls) and
// "Przerwij", which stops at the next call; what was stored stays.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// "Pobieranie faktur z KSeF": the fetch in progress, with "Przerwij".
class TPobieranieKSeF : public QDialog {
    Q_OBJECT
public:
    explicit TPobieranieKSeF(QWidget* parent = nullptr);
    // Runs the fetch while the window shows; false when it failed or was stopped
    // (the reason was shown).
    bool run();
    int stored() const { return stored_; }

public Q_SLOTS:
    void BitBtnPrzerwijClick();

private:
    QProgressBar* ProgressBar1;
    QLabel* LabelStan;
    QPushButton* BitBtnPrzerwij;
    bool stop_ = false;
    int stored_ = 0;
};
