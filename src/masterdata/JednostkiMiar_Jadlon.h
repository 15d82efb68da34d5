#pragma once
// Units of measure dictionary window; owns its table, open from creation.
#include "controls/ExitRoutedDialog.h"

#include <QDialog>

class QPushButton;
namespace jadl {
class DBGrid;
class DBNavigator;
class Table;
class DataSource;
} // namespace jadl

class TJednostkiMiarJadlon : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TJednostkiMiarJadlon(QWidget* parent = nullptr);
    jadl::Table* TableJednostkiMiar;
    jadl::DataSource* DataSourceJednostkiMiar;

public Q_SLOTS:
    void ZamknijClick();

private:
    void buildControls();
    void wireHandlers();

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBGrid* DBGrid1;
    jadl::DBNavigator* DBNavigator1;
    QPushButton* Zamknij;
};
