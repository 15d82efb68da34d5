#pragma once
// Goods groups dictionary window: a grid over the shared groups table, a
// navigator bar that does the editing, sorting by column title and a close button.
#include "controls/ExitRoutedDialog.h"

#include <QDialog>

class QPushButton;
class TModulDanych1;

namespace jadl {
class DBGrid;
class DBNavigator;
class Table;
} // namespace jadl

class TGrupyTowarow : public jadl::ExitRoutedDialog {
    Q_OBJECT
public:
    explicit TGrupyTowarow(TModulDanych1* dm, QWidget* parent = nullptr);

public Q_SLOTS:
    void DBGrid1TitleClick(const QString& title);
    void ZamknijClick();

private:
    void buildControls();
    void wireHandlers();
    TModulDanych1* dm_;
    jadl::Table* table() const;

private:
    // --- controls, found by tests and tools through their object names
    jadl::DBGrid* DBGrid1;
    jadl::DBNavigator* DBNavigator1;
    QPushButton* Zamknij;
};
