#pragma once
#include <QDialog>

class TTowaryPodstawowe : public QDialog {
    Q_OBJECT
public:
    explicit TTowaryPodstawowe(QWidget* parent = nullptr);
};
