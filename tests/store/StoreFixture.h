#pragma once
// Helpers shared by the engine tests: a fresh data directory, tables opened on
// it, signal counting and a raw look at table files that bypasses the engine.
#include "store/DataSource.h"
#include "store/Database.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"

#include <QtTest>
#include <SQLiteCpp/SQLiteCpp.h>

#include <memory>

namespace storetest {

using namespace jadl;

// A data directory of its own; aliases back to the program's defaults.
struct Env {
    test::TempDataDir dir;
    Env() { Aliases::clear(); }
    ~Env() { Aliases::clear(); }
    QString file(const QString& name) const { return QDir(dir.dataDir()).filePath(name); }
};

inline std::unique_ptr<Table> table(const QString& fileName, const QString& objectName = {},
                                    const QString& database = QStringLiteral("jadlonia"))
{
    auto t = std::make_unique<Table>(nullptr, objectName);
    t->setDatabaseName(database);
    t->setTableName(fileName);
    return t;
}

inline std::unique_ptr<Table> openTable(const QString& fileName, const QString& objectName = {})
{
    auto t = table(fileName, objectName);
    t->open();
    return t;
}

using test::rawExec;
using test::rawQuery;

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Counts what a data source relays.
struct Signals {
    int changed = 0, scrolled = 0, record = 0, state = 0, update = 0;
    QStringList order;
    explicit Signals(DataSource& ds)
    {
        QObject::connect(&ds, &DataSource::dataSetChanged, [this] {
            ++changed;
            order << QStringLiteral("changed");
        });
        QObject::connect(&ds, &DataSource::dataSetScrolled, [this] {
            ++scrolled;
            order << QStringLiteral("scrolled");
        });
        QObject::connect(&ds, &DataSource::recordChanged, [this](int) {
            ++record;
            order << QStringLiteral("record");
        });
        QObject::connect(&ds, &DataSource::stateChanged, [this] {
            ++state;
            order << QStringLiteral("state");
        });
        QObject::connect(&ds, &DataSource::updateRecord, [this] {
            ++update;
            order << QStringLiteral("update");
        });
    }
    int total() const { return changed + scrolled + record + state + update; }
    void reset()
    {
        changed = scrolled = record = state = update = 0;
        order.clear();
    }
};

// Appends a purchase line with the fields the tests look at.
inline qint64 addLine(Table& t, int supplier, const QString& symbol, const QDate& date, double qty = 1.0)
{
    t.append();
    if (supplier >= 0)
        t.fieldByName(QStringLiteral("NumerDostawcy")).setInteger(supplier);
    t.fieldByName(QStringLiteral("Symbol")).setString(symbol);
    t.fieldByName(QStringLiteral("DataZakupu")).setDate(date);
    t.fieldByName(QStringLiteral("Ilosc")).setFloat(qty);
    t.post();
    return t.fieldByName(QStringLiteral("Numer")).asLargeInt();
}

inline qint64 addSupplier(Table& t, const QString& symbol)
{
    t.append();
    t.fieldByName(QStringLiteral("Symbol")).setString(symbol);
    t.post();
    return t.fieldByName(QStringLiteral("Numer")).asLargeInt();
}

// Symbols of the view in order, leaving the cursor on the first record.
inline QStringList symbols(Table& t)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.fieldByName(QStringLiteral("Symbol")).asString();
    t.first();
    return out;
}

} // namespace storetest
