#pragma once
// Restaurants window: may be left only through its own exit buttons.
#include <QDialog>

class TRestauracje : public QDialog {
    Q_OBJECT
public:
    explicit TRestauracje(QWidget* parent = nullptr);
    // Cleared by the main window before showing; set by the exit buttons.
    bool MoznaZamknac = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};
