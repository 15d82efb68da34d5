#pragma once
#include <QDialog>

class TPrzypisywanieTowarow : public QDialog {
    Q_OBJECT
public:
    explicit TPrzypisywanieTowarow(QWidget* parent = nullptr);
};
