#pragma once
#include <QDialog>

class TDostawcy : public QDialog {
    Q_OBJECT
public:
    explicit TDostawcy(QWidget* parent = nullptr);
};
