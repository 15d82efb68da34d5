#pragma once
#include <QDialog>

class TUsuwaniePrzypisanychTowarow : public QDialog {
    Q_OBJECT
public:
    explicit TUsuwaniePrzypisanychTowarow(QWidget* parent = nullptr);
};
