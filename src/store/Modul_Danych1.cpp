#include "store/Modul_Danych1.h"

#include "common/Money.h"

using jadl::DataSource;
using jadl::Field;
using jadl::Table;

namespace jadl {
SharedValues& shared()
{
    static SharedValues values;
    return values;
}
} // namespace jadl

namespace {
Table* makeTable(QObject* owner, const char* name, const QString& file, const QString& index)
{
    auto* t = new Table(owner, QString::fromLatin1(name));
    t->setDatabaseName(QStringLiteral("jadlonia"));
    t->setTableName(file);
    t->setIndexName(index);
    return t;
}
DataSource* makeSource(QObject* owner, const char* name, Table* t)
{
    auto* ds = new DataSource(owner, t);
    ds->setObjectName(QString::fromLatin1(name));
    return ds;
}
} // namespace

TModulDanych1::TModulDanych1(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("ModulDanych1"));
    Database1 = new jadl::Database(this);
    Database1->setObjectName(QStringLiteral("Database1"));
    Database1->setDatabaseName(QStringLiteral("jadlonia"));
    Database1->setAliasName(QStringLiteral("dane_bar"));
    Database1->setConnected(true);

    TableTowary = makeTable(this, "TableTowary", QStringLiteral("Towary.DB"), QStringLiteral("NrDostawcySymbolInd"));
    DataSourceTowary = makeSource(this, "DataSourceTowary", TableTowary);
    TableDostawcy = makeTable(this, "TableDostawcy", QStringLiteral("Dostawcy.db"), QString());
    DataSourceDostawcy = makeSource(this, "DataSourceDostawcy", TableDostawcy);
    TableTowaryPodstawowe = makeTable(this, "TableTowaryPodstawowe", QStringLiteral("TowaryPodstawowe.db"),
                                      QStringLiteral("NrGrupySymbolInd"));
    DataSourceTowaryPodstawowe = makeSource(this, "DataSourceTowaryPodstawowe", TableTowaryPodstawowe);
    TableGrupyTowarow = makeTable(this, "TableGrupyTowarow", QStringLiteral("GrupyTowarow.DB"), QString());
    DataSourceGrupyTowarow = makeSource(this, "DataSourceGrupyTowarow", TableGrupyTowarow);
    TableParametry = makeTable(this, "TableParametry", QStringLiteral("Parametry.db"), QString());
    DataSourceParametry = makeSource(this, "DataSourceParametry", TableParametry);
    TableWlasciciel = makeTable(this, "TableWlasciciel", QStringLiteral("Wlasciciel.DB"), QString());
    DataSourceWlasciciel = makeSource(this, "DataSourceWlasciciel", TableWlasciciel);
    TableTowaryPom = makeTable(this, "TableTowaryPom", QStringLiteral("TowaryPom.DB"), QString());
    DataSourceTowaryPom = makeSource(this, "DataSourceTowaryPom", TableTowaryPom);

    // Master links of the design: purchase lines follow the current supplier,
    // basic goods follow the current goods group.
    TableTowary->setMasterFields(QStringLiteral("Numer"));
    TableTowary->setMasterSource(DataSourceDostawcy);
    TableTowaryPodstawowe->setMasterFields(QStringLiteral("Numer"));
    TableTowaryPodstawowe->setMasterSource(DataSourceGrupyTowarow);

    TableTowary->setOnFilterRecord([this](Table& t, bool& accept) { TableTowaryFilterRecord(t, accept); });
    TableTowary->setFiltered(true);
    TableDostawcy->setOnFilterRecord([this](Table& t, bool& accept) { TableDostawcyFilterRecord(t, accept); });
    TableTowary->setPreFilter([this] { return TableTowaryPreFilter(); });
    TableDostawcy->setPreFilter([] {
        return jadl::shared().supplierReportFlag ? jadl::SqlPreFilter{QStringLiteral("\"WartoscBruttoSuma\" <> 0"),
                                                                      {},
                                                                      {QStringLiteral("WartoscBruttoSuma")}}
                                                 : jadl::SqlPreFilter{};
    });
    TableGrupyTowarow->setBeforePost([this](Table& t) { TableGrupyTowarowBeforePost(t); });
    TableGrupyTowarow->setAfterPost([this](Table& t) { TableGrupyTowarowAfterPost(t); });
    // A line's VAT fraction follows its designation however the designation is
    // changed, so the corrections compute at the rate the line shows.
    connect(DataSourceTowary, &jadl::DataSource::recordChanged, this,
            [this](int field) { TableTowaryVatTypChange(field); });
}

void TModulDanych1::TableTowaryVatTypChange(int fieldIndex)
{
    Table& t = *TableTowary;
    if (fieldIndex < 0 || fieldIndex != t.fieldIndex(QStringLiteral("VatTyp")) ||
        (t.state() != jadl::DataSetState::Edit && t.state() != jadl::DataSetState::Insert))
        return;
    const double rate = jadl::vatRate(t.fieldByName(QStringLiteral("VatTyp")).asString());
    jadl::Field& vat = t.fieldByName(QStringLiteral("Vat"));
    if (vat.optFloat() != rate)
        vat.setFloat(rate);
}

TModulDanych1::~TModulDanych1()
{
    // Details first, so no master link fires into a half-destroyed module.
    for (Table* t : {TableTowary, TableTowaryPodstawowe, TableDostawcy, TableGrupyTowarow, TableParametry,
                     TableWlasciciel, TableTowaryPom})
        t->close();
}

QList<Table*> TModulDanych1::tables() const
{
    return {TableTowary,    TableDostawcy,   TableTowaryPodstawowe, TableGrupyTowarow,
            TableParametry, TableWlasciciel, TableTowaryPom};
}

namespace {
// "Cały Okres" and no choice leave the decision as it was.
bool singleDay(const std::optional<jadl::PeriodChoice>& c)
{
    return c && jadl::isSingleDay(*c);
}
bool range(const std::optional<jadl::PeriodChoice>& c)
{
    return c && jadl::isRange(*c);
}
QString isoDate(const QDate& d)
{
    return d.toString(Qt::ISODate);
}
} // namespace

void TModulDanych1::TableTowaryFilterRecord(Table& dataSet, bool& accept)
{
    accept = true;
    if (!inputs_)
        return;
    const std::optional<QDate> bought = dataSet.fieldByName(QStringLiteral("DataZakupu")).optDate();
    if (inputs_->assignmentVisible()) {
        const bool sameDay = bought && *bought == inputs_->assignmentCalendarDate();
        if (inputs_->filterByGroup()) {
            const std::optional<int> group = dataSet.fieldByName(QStringLiteral("NumerGrupy")).optInteger();
            const std::optional<int> goodsGroup = currentGoodsGroup();
            accept = sameDay && group && goodsGroup && *group == *goodsGroup;
        } else {
            accept = sameDay;
        }
    }
    if (inputs_->supplierGoodsVisible()) {
        const auto choice = inputs_->periodChoice();
        const jadl::SharedValues& v = jadl::shared();
        if (singleDay(choice))
            accept = bought && *bought == v.periodStart && *bought == v.periodEnd;
        else if (range(choice))
            accept = bought && v.periodStart <= *bought && *bought <= v.periodEnd;
    }
}

jadl::SqlPreFilter TModulDanych1::TableTowaryPreFilter() const
{
    // The same inputs as the filter, as a condition SQLite can answer from an index;
    // the filter itself still decides every row that passes.
    if (!inputs_)
        return {{}, {}, {}, true};
    const jadl::SharedValues& v = jadl::shared();
    const QString dateField = QStringLiteral("DataZakupu");
    const QStringList reads{dateField};
    // One day or a closed range of days: exactly what the filter lets through.
    auto days = [&](const QDate& from, const QDate& to) {
        jadl::SqlPreFilter pf;
        if (from == to) {
            pf.where = QStringLiteral("\"DataZakupu\" = ?");
            pf.binds = {isoDate(from)};
        } else {
            pf.where = QStringLiteral("\"DataZakupu\" >= ? AND \"DataZakupu\" <= ?");
            pf.binds = {isoDate(from), isoDate(to)};
        }
        pf.columns = reads;
        pf.decides = true;
        pf.range = jadl::SqlPreFilter::DateRange{dateField, from, to};
        return pf;
    };
    if (inputs_->supplierGoodsVisible()) {
        const auto choice = inputs_->periodChoice();
        if (singleDay(choice)) {
            // The filter asks for both ends to be that day.
            if (v.periodStart != v.periodEnd)
                return {QStringLiteral("1 = 0"), {}, reads, true};
            return days(v.periodStart, v.periodStart);
        }
        if (range(choice))
            return days(v.periodStart, v.periodEnd);
    }
    if (inputs_->assignmentVisible()) {
        jadl::SqlPreFilter pf = days(inputs_->assignmentCalendarDate(), inputs_->assignmentCalendarDate());
        if (inputs_->filterByGroup()) {
            // The group is the current basic good's: the filter decides it row by row.
            pf.decides = false;
            pf.range.reset();
        }
        return pf;
    }
    // No period: the filter lets every row through.
    return {{}, {}, {}, true};
}

std::optional<int> TModulDanych1::currentGoodsGroup() const
{
    if (!TableTowaryPodstawowe->active() || TableTowaryPodstawowe->isEmpty())
        return std::nullopt;
    return TableTowaryPodstawowe->fieldByName(QStringLiteral("NumerGrupy")).optInteger();
}

void TModulDanych1::TableDostawcyFilterRecord(Table& dataSet, bool& accept)
{
    accept = true;
    if (!jadl::shared().supplierReportFlag)
        return;
    const std::optional<double> gross = dataSet.fieldByName(QStringLiteral("WartoscBruttoSuma")).optFloat();
    accept = gross.value_or(0.0) != 0.0;
}

void TModulDanych1::TableGrupyTowarowBeforePost(Table& dataSet)
{
    // A group saved without an ordinal takes its own number as ordinal. A new
    // group has no number until it is written, so it gets it right after.
    Field& nrKol = dataSet.fieldByName(QStringLiteral("NrKol"));
    if (!nrKol.isNull())
        return;
    const std::optional<int> numer = dataSet.fieldByName(QStringLiteral("Numer")).optInteger();
    if (numer)
        nrKol.setInteger(*numer);
    else
        groupNeedsOrdinal_ = true;
}

void TModulDanych1::TableGrupyTowarowAfterPost(Table& dataSet)
{
    if (!groupNeedsOrdinal_)
        return;
    groupNeedsOrdinal_ = false;
    const std::optional<int> numer = dataSet.fieldByName(QStringLiteral("Numer")).optInteger();
    if (!numer || !dataSet.fieldByName(QStringLiteral("NrKol")).isNull())
        return;
    dataSet.edit();
    dataSet.fieldByName(QStringLiteral("NrKol")).setInteger(*numer);
    dataSet.post();
}
