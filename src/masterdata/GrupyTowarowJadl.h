#pragma once
#include <QDialog>

class TGrupyTowarow : public QDialog {
    Q_OBJECT
public:
    explicit TGrupyTowarow(QWidget* parent = nullptr);
};
