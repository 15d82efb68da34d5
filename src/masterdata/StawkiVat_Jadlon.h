#pragma once
// VAT rates dictionary window; owns its table.
#include <QDialog>

namespace jadl {
class Table;
class DataSource;
}

class TStawkiVatJadlon : public QDialog {
    Q_OBJECT
public:
    explicit TStawkiVatJadlon(QWidget* parent = nullptr);
    jadl::Table* TableStawkiVat;
    jadl::DataSource* DataSourceStawkiVat;
};
