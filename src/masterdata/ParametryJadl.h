#pragma once
#include <QDialog>

class TParametry : public QDialog {
    Q_OBJECT
public:
    explicit TParametry(QWidget* parent = nullptr);
};
