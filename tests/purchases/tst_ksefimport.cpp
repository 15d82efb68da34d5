// Importing KSeF invoices into the purchase lines: what is stored in Towary.DB, the
// invoice register and the mappings, and that a refused file changes nothing.
#include "invoices/InvoiceTestData.h"
#include "invoices/KsefReader.h"
#include "invoices/KsefRules.h"
#include "platform/Messages.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/KsefImport.h"
#include "store/Database.h"
#include "store/Table.h"
#include "support/core/TempDataDir.h"
#include "support/core/TestServer.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <memory>

using namespace jadl;
using jadl::ksef::test::dataPath;

namespace {

// Every table file of the data directory and its bytes, or on a server every table's
// rows: what a refused import must leave.
QMap<QString, QByteArray> snapshot(const QString& dir)
{
    QMap<QString, QByteArray> out;
    if (test::onServer()) {
        for (const QStringList& t : test::serverRows(
                 QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public'"))) {
            QStringList lines;
            for (const QStringList& r : test::serverRows(QStringLiteral("SELECT * FROM \"%1\"").arg(t.value(0))))
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

QList<QVariantList> rows(const QString& path, const char* sql)
{
    if (test::onServer())
        return test::serverValues(QString::fromUtf8(sql));
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

} // namespace

class TstKsefImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void recordsTheInvoiceToTheGrosz_data();
    void recordsTheInvoiceToTheGrosz();
    void remembersTheGoodsOfASeller();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void unknownSellerBecomesASupplier();
    void windowRecordsWhatTheUserChose();
    void cancelTakesBackWhatTheWindowAdded();
    void importAsksForFilesAndNamesTheRefusedOnes();

private:
    // A supplier with this NIP (written as people write it), a group and one good.
    int addSupplier(const QString& nip);
    // Chooses a good for every line: a new one for the first, the existing good for the rest.
    void chooseGoods(ksefimport::Draft& d);
    QString data() const { return dir_->dataDir(); }

    std::unique_ptr<test::TempDataDir> dir_;
    std::unique_ptr<ksefimport::OwnTables> own_;
    int group_ = 0;
    int good_ = 0;
};

void TstKsefImport::init()
{
    Aliases::clear();
    dir_ = std::make_unique<test::TempDataDir>();
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

void TstKsefImport::cleanup()
{
    own_.reset();
    dir_.reset();
    Aliases::clear();
}

int TstKsefImport::addSupplier(const QString& nip)
{
    Table& s = own_->tables().suppliers;
    s.append();
    s.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("HURT"));
    s.fieldByName(QStringLiteral("Nazwa")).setString(QStringLiteral("Hurtownia"));
    s.fieldByName(QStringLiteral("Nip")).setString(nip);
    s.post();
    return s.fieldByName(QStringLiteral("Numer")).asInteger();
}

void TstKsefImport::chooseGoods(ksefimport::Draft& d)
{
    for (size_t i = 0; i < d.goods.size(); ++i)
        if (!d.goods[i])
            d.goods[i] = i == 0 ? ksefimport::addBasicGood(own_->tables(), group_, d.plan.lines[0]) : good_;
}

void TstKsefImport::recordsTheInvoiceToTheGrosz_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("purchaseDate"); // P_6, else the period's end, else P_1
    QTest::newRow("typical") << "typical.xml"
                             << "2026-02-27";
    QTest::newRow("priced gross, a period") << "gross.xml"
                                            << "2026-03-06";
    QTest::newRow("every rate, supply dates per line") << "rates.xml"
                                                       << "";
    QTest::newRow("rounding on the largest line") << "rounding.xml"
                                                  << "2026-03-05";
    QTest::newRow("FA(2)") << "fa2.xml"
                           << "2026-01-20";
    QTest::newRow("correction: after minus before") << "kor.xml"
                                                    << "";
}

void TstKsefImport::recordsTheInvoiceToTheGrosz()
{
    QFETCH(QString, file);
    QFETCH(QString, purchaseDate);
    auto& t = own_->tables();
    const ksef::Invoice probe = ksef::readKsefInvoice(dataPath(file));
    const int supplier = addSupplier(probe.seller.nip.left(3) + QLatin1Char('-') + probe.seller.nip.mid(3));
    ksefimport::Draft d = ksefimport::prepare(dataPath(file), t);
    QCOMPARE(d.supplier, std::optional<int>(supplier)); // found by the NIP's digits
    chooseGoods(d);
    const int reg = ksefimport::record(t, d);

    const QString towary = QDir(data()).filePath(QStringLiteral("Towary.DB"));
    const auto lines = rows(
        towary,
        "SELECT VatTyp, sum(round(WartoscNetto*100)), sum(round(WartoscVat*100)), count(*), "
        "min(DataZakupu), max(DataZakupu), min(CASE WHEN CzyBylaFaktura THEN 1 ELSE 0 END), min(Par9), min(Par8), "
        "min(Par10), min(NumerDostawcy), min(RestauracjaSymbol) FROM Towary GROUP BY VatTyp");
    // Per total of the invoice (P_13_x/P_14_x, which may cover several designations, and
    // a designation may fall into two), the stored lines add up to it in grosze.
    QMap<QString, std::pair<qint64, qint64>> stored;
    int count = 0;
    for (const QVariantList& r : lines) {
        stored[r[0].toString()] = {qint64(r[1].toDouble()), qint64(r[2].toDouble())};
        count += r[3].toInt();
        if (!purchaseDate.isEmpty()) {
            QCOMPARE(r[4].toString(), purchaseDate);
            QCOMPARE(r[5].toString(), purchaseDate);
        }
        QCOMPARE(r[6].toDouble(), 1.0);
        QCOMPARE(r[7].toString(), QStringLiteral("Tak"));
        QCOMPARE(int(r[8].toDouble()), reg);
        QCOMPARE(r[9].toString(), d.invoice.number.left(50));
        QCOMPARE(int(r[10].toDouble()), supplier);
        QCOMPARE(r[11].toString(), QStringLiteral("LIPY"));
    }
    QMap<QString, QSet<int>> checksOf; // designation -> totals it falls into
    for (size_t c = 0; c < d.plan.checks.size(); ++c)
        for (const auto& l : d.plan.lines)
            if (l.fields == d.plan.checks[c].fields)
                checksOf[l.vatTyp].insert(int(c));
    qint64 allNet = 0, allVat = 0, storedNet = 0, storedVat = 0;
    for (const auto& [net, vat] : stored) {
        storedNet += net;
        storedVat += vat;
    }
    for (size_t c = 0; c < d.plan.checks.size(); ++c) {
        const auto& check = d.plan.checks[c];
        allNet += check.invoiceNet;
        allVat += check.invoiceVat;
        qint64 net = 0, vat = 0;
        bool alone = true;
        for (auto it = checksOf.cbegin(); it != checksOf.cend(); ++it)
            if (it->contains(int(c))) {
                alone = alone && it->size() == 1;
                net += stored[it.key()].first;
                vat += stored[it.key()].second;
            }
        if (alone) {
            QCOMPARE(net, check.invoiceNet);
            QCOMPARE(vat, check.invoiceVat);
        }
    }
    QCOMPARE(storedNet, allNet);
    QCOMPARE(storedVat, allVat);
    QCOMPARE(count, int(d.plan.lines.size()));
    const auto regRows = rows(QDir(data()).filePath(QStringLiteral("FakturyKSeF.db")),
                              "SELECT NipSprzedawcy, NumerFaktury, Sha256, IloscPozycji FROM FakturyKSeF");
    QCOMPARE(regRows.size(), 1);
    QCOMPARE(regRows[0][0].toString(), d.sellerNip);
    QCOMPARE(regRows[0][1].toString(), d.invoice.number);
    QCOMPARE(regRows[0][2].toString(), ksef::fileSha256(dataPath(file)));
    // Each VAT designation of the lines is in the VAT rates table now.
    const auto rates = rows(QDir(data()).filePath(QStringLiteral("StawkiVat.db")),
                            "SELECT VatOznaczenie FROM StawkiVat");
    for (const auto& r : lines)
        QVERIFY2(rates.contains(QVariantList{r[0]}), qPrintable(r[0].toString()));

    // The same invoice again, even from another file: refused by name, nothing changes.
    const auto before = snapshot(data());
    QTemporaryDir other;
    QFile::copy(dataPath(file), other.filePath(QStringLiteral("kopia.xml")));
    try {
        ksefimport::prepare(other.filePath(QStringLiteral("kopia.xml")), t);
        QFAIL("a second import was let through");
    } catch (const ksef::InvoiceError& e) {
        QVERIFY2(e.message().contains(d.invoice.number) && e.message().contains(QStringLiteral("już zaimportowana")),
                 qPrintable(e.message()));
    }
    QCOMPARE(snapshot(data()), before);
}

void TstKsefImport::remembersTheGoodsOfASeller()
{
    auto& t = own_->tables();
    addSupplier(ksef::readKsefInvoice(dataPath(QStringLiteral("typical.xml"))).seller.nip);
    ksefimport::Draft first = ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t);
    QVERIFY(std::none_of(first.mapped.begin(), first.mapped.end(), [](bool m) { return m; }));
    chooseGoods(first);
    ksefimport::record(t, first);

    // The seller's next invoice (another number) finds every line's good as chosen.
    QFile in(dataPath(QStringLiteral("typical.xml")));
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray xml = in.readAll();
    xml.replace("FV/2026/03/0147", "FV/2026/03/0199");
    QTemporaryDir dir;
    QFile out(dir.filePath(QStringLiteral("next.xml")));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(xml) == xml.size());
    out.close();
    const ksefimport::Draft next = ksefimport::prepare(out.fileName(), t);
    QCOMPARE(next.goods, first.goods);
    QVERIFY(std::all_of(next.mapped.begin(), next.mapped.end(), [](bool m) { return m; }));
}

void TstKsefImport::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("says");
    QTest::newRow("not XML") << "not-xml.xml"
                             << "not-xml.xml";
    QTest::newRow("another namespace") << "wrong-namespace.xml"
                                       << "wrong-namespace.xml";
    QTest::newRow("missing P_2") << "missing-p2.xml"
                                 << "P_2";
    QTest::newRow("number that does not parse") << "bad-number.xml"
                                                << "bad-number.xml";
    QTest::newRow("rate not in the list") << "unknown-rate.xml"
                                          << "P_12";
    QTest::newRow("DOCTYPE") << "doctype.xml"
                             << "doctype.xml";
    QTest::newRow("EUR") << "eur.xml"
                         << "PLN";
    QTest::newRow("advance invoice") << "zal.xml"
                                     << "ZAL";
    QTest::newRow("no good chosen") << "typical.xml"
                                    << "towaru podstawowego";
}

void TstKsefImport::refusedFilesChangeNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, says);
    addSupplier(QStringLiteral("5261040828"));
    const auto before = snapshot(data());
    try {
        ksefimport::Draft d = ksefimport::prepare(dataPath(file), own_->tables());
        ksefimport::record(own_->tables(), d); // goods left unchosen
        QFAIL("the file was recorded");
    } catch (const ksef::InvoiceError& e) {
        QVERIFY2(e.message().contains(says), qPrintable(e.message()));
    }
    QCOMPARE(snapshot(data()), before);
}

void TstKsefImport::unknownSellerBecomesASupplier()
{
    auto& t = own_->tables();
    ksefimport::Draft d = ksefimport::prepare(dataPath(QStringLiteral("gross.xml")), t);
    QVERIFY(!d.supplier);
    const QString symbol = ksef::proposeSupplierSymbol(d.invoice.seller.name);
    QVERIFY(!symbol.isEmpty());
    d.supplier = ksefimport::addSupplier(t, d.invoice.seller, symbol);
    QCOMPARE(ksefimport::supplierByNip(t.suppliers, d.sellerNip), d.supplier);
    chooseGoods(d);
    ksefimport::record(t, d);
    const auto s = rows(QDir(data()).filePath(QStringLiteral("Dostawcy.db")),
                        "SELECT Symbol, Nazwa, Nip, NrKolejnyDostawcy FROM Dostawcy");
    QCOMPARE(s, (QList<QVariantList>{{symbol, d.invoice.seller.name.left(100), d.sellerNip, 1.0}}));
}

void TstKsefImport::windowRecordsWhatTheUserChose()
{
    platform::ScopedScriptedMessages messages;
    auto& t = own_->tables();
    TImportFakturyKSeF w(t, ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t));
    // Every control is named for screen readers, combo boxes and grids too.
    for (QWidget* c : w.findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QPushButton*>(c) ||
            qobject_cast<QTableWidget*>(c))
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    QCOMPARE(w.GridPozycje->rowCount(), int(w.draft().plan.lines.size()));
    QCOMPARE(w.GridSumy->rowCount(), int(w.draft().plan.checks.size()) + 1);

    // Unknown seller and goods: saving asks for them and records nothing.
    const auto before = snapshot(data());
    w.BitBtnZapisz->click();
    QCOMPARE(messages->texts().size(), 1);
    QCOMPARE(snapshot(data()), before);

    w.BitBtnDodajDostawce->click();
    QVERIFY(w.draft().supplier);
    QCOMPARE(w.ComboBoxDostawca->currentData().toInt(), *w.draft().supplier);
    w.EditSzukajTowaru->setText(QStringLiteral("mleko"));
    QCOMPARE(w.ComboBoxTowar->count(), 1);
    w.GridPozycje->selectAll();
    w.BitBtnPrzypiszTowar->click();
    QVERIFY(std::all_of(w.draft().goods.begin(), w.draft().goods.end(),
                        [&](const std::optional<int>& g) { return g == good_; }));
    w.BitBtnZapisz->click();
    QVERIFY2(w.recorded(), qPrintable(messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(
        rows(QDir(data()).filePath(QStringLiteral("Towary.DB")), "SELECT count(*) FROM Towary").at(0).at(0).toInt(),
        int(w.draft().plan.lines.size()));
}

void TstKsefImport::cancelTakesBackWhatTheWindowAdded()
{
    platform::ScopedScriptedMessages messages;
    auto& t = own_->tables();
    const int goods = t.goods.recordCount();
    {
        TImportFakturyKSeF w(t, ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t));
        w.BitBtnDodajDostawce->click();
        w.GridPozycje->selectRow(2);
        w.BitBtnNowyTowar->click();
        QCOMPARE(t.suppliers.recordCount(), 1);
        QCOMPARE(t.goods.recordCount(), goods + 1);
        w.BitBtnAnuluj->click();
        QVERIFY(!w.recorded());
    }
    t.suppliers.refresh();
    t.goods.refresh();
    QCOMPARE(t.suppliers.recordCount(), 0);
    QCOMPARE(t.goods.recordCount(), goods);
    QVERIFY(messages->texts().isEmpty());
}

void TstKsefImport::importAsksForFilesAndNamesTheRefusedOnes()
{
    platform::ScopedScriptedMessages messages;
    ksefimport::setFileAsker([](QWidget*) {
        return QStringList{dataPath(QStringLiteral("eur.xml")), dataPath(QStringLiteral("typical.xml"))};
    });
    own_.reset(); // the import opens tables of its own
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* w = qobject_cast<TImportFakturyKSeF*>(QApplication::activeModalWidget())) {
            shown = w->EditNumer->text();
            w->BitBtnAnuluj->click();
        }
    });
    const auto before = snapshot(data());
    QCOMPARE(ksefimport::importInvoices(nullptr, nullptr), 0);
    ksefimport::setFileAsker({});
    QCOMPARE(messages->texts().size(), 1);
    QVERIFY2(messages->texts().at(0).contains(QStringLiteral("eur.xml")), qPrintable(messages->texts().at(0)));
    QCOMPARE(shown, QStringLiteral("FV/2026/03/0147"));
    QCOMPARE(snapshot(data()), before); // cancelled: nothing recorded
}

QTEST_MAIN(TstKsefImport)
#include "tst_ksefimport.moc"
