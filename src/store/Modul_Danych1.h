#pragma once
// The shared data module: the database binding and every shared table with its
// data source. Every window works on these same components.
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/SharedValues.h"
#include "store/Table.h"

#include <QObject>

#include <optional>

class TModulDanych1 : public QObject {
    Q_OBJECT
public:
    explicit TModulDanych1(QObject* parent = nullptr);
    ~TModulDanych1() override;

    jadl::Database* Database1;
    jadl::Table* TableTowary;
    jadl::DataSource* DataSourceTowary;
    jadl::Table* TableDostawcy;
    jadl::DataSource* DataSourceDostawcy;
    jadl::Table* TableTowaryPodstawowe;
    jadl::DataSource* DataSourceTowaryPodstawowe;
    jadl::Table* TableGrupyTowarow;
    jadl::DataSource* DataSourceGrupyTowarow;
    jadl::Table* TableParametry;
    jadl::DataSource* DataSourceParametry;
    jadl::Table* TableWlasciciel;
    jadl::DataSource* DataSourceWlasciciel;
    jadl::Table* TableTowaryPom;
    jadl::DataSource* DataSourceTowaryPom;

    // The windows whose state the purchase-lines filter reads (wired at start-up).
    void setFilterInputs(const jadl::PurchaseFilterInputs* inputs) { inputs_ = inputs; }
    const jadl::PurchaseFilterInputs* filterInputs() const { return inputs_; }

    // Every table of the module, in the module's order.
    QList<jadl::Table*> tables() const;

    // Rules attached to the tables.
    void TableTowaryFilterRecord(jadl::Table& dataSet, bool& accept);
    void TableDostawcyFilterRecord(jadl::Table& dataSet, bool& accept);
    void TableGrupyTowarowBeforePost(jadl::Table& dataSet);
    void TableGrupyTowarowAfterPost(jadl::Table& dataSet);
    void TableTowaryVatTypChange(int fieldIndex);
    // SQL narrowing of the purchase-lines filter from the same inputs.
    jadl::SqlPreFilter TableTowaryPreFilter() const;

private:
    std::optional<int> currentGoodsGroup() const;

    const jadl::PurchaseFilterInputs* inputs_ = nullptr;
    bool groupNeedsOrdinal_ = false;
};
