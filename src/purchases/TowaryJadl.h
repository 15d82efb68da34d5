#pragma once
// Supplier goods window: purchases of one supplier or of all suppliers over a period.
#include <QDialog>

class QComboBox;
class QPushButton;
class TModulDanych1;
namespace jadl {
class Table;
class DataSource;
}

class TTowary : public QDialog {
    Q_OBJECT
public:
    explicit TTowary(QWidget* parent = nullptr);
    // The window is created before the data module; its bindings resolve here.
    void bindDataModule(TModulDanych1* dm);

    // Selected period choice, 0..11; -1 when none.
    int periodChoice() const;

    QComboBox* ComboBoxWybierzOkres;
    QComboBox* DyskSystemu;          // hidden drive list: the start drive
    QPushButton* TworzTablice;       // "Utwórz tablicę kopii"
    jadl::Table* TableTowaryRaport;
    jadl::DataSource* DataSourceTowaryRaport;

private:
    TModulDanych1* dm_ = nullptr;
};
