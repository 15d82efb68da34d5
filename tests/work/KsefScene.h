#pragma once
// The tables of a KSeF import test: a fresh data directory with a group, one
// good, the active restaurant and a unit; what a refused import must leave, read
// as another program reads it.
#include "invoices/InvoiceTestData.h"
#include "store/Database.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"
#include "work/KsefImport.h"

#include <QCryptographicHash>
#include <QDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <memory>

namespace jadl::test {

// Every table file of the data directory and its bytes, or on a server every table's
// rows: what a refused import must leave.
inline QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> out;
    if (onServer()) {
        for (const QStringList& t : serverRows(
                 QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public'"))) {
            QStringList lines;
            for (const QStringList& r : serverRows(QStringLiteral("SELECT * FROM \"%1\"").arg(t.value(0))))
                lines << r.join(QChar(0x1f));
            lines.sort();
            out.insert(t.value(0), lines.join(QLatin1Char('\n')).toUtf8());
        }
        return out;
    }
    for (const QString& f : QDir(dir).entryList(QDir::Files)) {
        QFile file(QDir(dir).filePath(f));
        if (file.open(QIODevice::ReadOnly))
            out.insert(f, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
    }
    return out;
}

inline QList<QVariantList> rows(const QString& path, const char* sql)
{
    if (onServer())
        return serverValues(QString::fromUtf8(sql));
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement st(db, sql);
    QList<QVariantList> out;
    while (st.executeStep()) {
        QVariantList r;
        for (int i = 0; i < st.getColumnCount(); ++i) {
            const SQLite::Column c = st.getColumn(i);
            r << (c.isNull()                       ? QVariant()
                      : c.getType() == SQLITE_TEXT ? QVariant(QString::fromUtf8(c.getText()))
                                                   : QVariant(c.getDouble()));
        }
        out << r;
    }
    return out;
}

class KsefScene {
protected:
    void setUpScene()
    {
        Aliases::clear();
        dir_ = std::make_unique<TempDataDir>();
        own_ = std::make_unique<ksefimport::OwnTables>();
        auto& t = own_->tables();
        t.groups.append();
        t.groups.fieldByName(QStringLiteral("Grupa")).setString(QStringLiteral("Nabiał"));
        t.groups.post();
        group_ = t.groups.fieldByName(QStringLiteral("Numer")).asInteger();
        t.goods.append();
        t.goods.fieldByName(QStringLiteral("NumerGrupy")).setInteger(group_);
        t.goods.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("MLEKO"));
        t.goods.fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Mleko 3,2%"));
        t.goods.fieldByName(QStringLiteral("JednostkaMiary")).setString(QStringLiteral("l"));
        t.goods.post();
        good_ = t.goods.fieldByName(QStringLiteral("Numer")).asInteger();
        t.owner.append();
        t.owner.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("LIPY"));
        // Both marks, as the restaurants' windows write them (on a server the logical decides).
        t.owner.fieldByName(QStringLiteral("Aktywny")).setBoolean(true);
        t.owner.fieldByName(QStringLiteral("AktywnyString")).setString(QStringLiteral("TAK"));
        t.owner.post();
        t.units.append();
        t.units.fieldByName(QStringLiteral("Jednostka")).setString(QStringLiteral("szt"));
        t.units.post();
    }
    void tearDownScene()
    {
        own_.reset();
        dir_.reset();
        Aliases::clear();
    }
    // A supplier with this NIP (written as people write it).
    int addSupplier(const QString& nip)
    {
        Table& s = own_->tables().suppliers;
        s.append();
        s.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("HURT"));
        s.fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Hurtownia"));
        s.fieldByName(QStringLiteral("Nip")).setString(nip);
        s.post();
        return s.fieldByName(QStringLiteral("Numer")).asInteger();
    }
    // Chooses a good for every line: a new one for the first, the existing good for the rest.
    void chooseGoods(ksefimport::Draft& d)
    {
        for (size_t i = 0; i < d.goods.size(); ++i)
            if (!d.goods[i])
                d.goods[i] = i == 0 ? ksefimport::addBasicGood(own_->tables(), group_, d.plan.lines[0],
                                                               ksefimport::proposeNewGood(d.plan.lines[0], d.units[0]))
                                    : good_;
    }
    QString data() const { return dir_->dataDir(); }

    std::unique_ptr<TempDataDir> dir_;
    std::unique_ptr<ksefimport::OwnTables> own_;
    int group_ = 0;
    int good_ = 0;
};

} // namespace jadl::test
