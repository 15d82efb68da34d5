#pragma once
#include <QDialog>

class TOdtwarzanieDanych : public QDialog {
    Q_OBJECT
public:
    explicit TOdtwarzanieDanych(QWidget* parent = nullptr);
};
