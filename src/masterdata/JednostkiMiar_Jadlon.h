#pragma once
// Units of measure dictionary window; owns its table, open from creation.
#include <QDialog>

namespace jadl {
class Table;
class DataSource;
}

class TJednostkiMiarJadlon : public QDialog {
    Q_OBJECT
public:
    explicit TJednostkiMiarJadlon(QWidget* parent = nullptr);
    jadl::Table* TableJednostkiMiar;
    jadl::DataSource* DataSourceJednostkiMiar;
};
