#pragma once
// VAT rates dictionary window; owns its table, opened by the main window.
#include "controls/ExitRoutedDialog.h"

#include <QDialog>

class QPushButton;
namespace jadl {
class DBGrid;
class DBNavigator;
class Table;
class DataSource;
} // namespace jadl

class TStawkiVatJadlon : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TStawkiVatJadlon(QWidget* parent = nullptr);
    jadl::Table* TableStawkiVat;
    jadl::DataSource* DataSourceStawkiVat;

public Q_SLOTS:
    void BitBtn1Click();

private:
    void buildControls();
    void wireHandlers();

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBGrid* DBGrid1;
    jadl::DBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
};
