// The window "IMPORT FAKTURY KSeF": what the user chooses is recorded, a cancel
// takes back what the window added, refused files are named.
#include "platform/Messages.h"
#include "purchases/FakturyKSeFDoZapisania.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/PobieranieKSeF.h"
#include "support/core/KsefStandIn.h"
#include "support/gui/GuiSupport.h"
#include "work/KsefFetch.h"
#include "work/KsefScene.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <algorithm>

using namespace jadl;
using jadl::ksef::test::dataPath;
using namespace jadl::test;

class TstKsefWindow : public QObject, protected KsefScene {
    Q_OBJECT
private Q_SLOTS:
    void init() { setUpScene(); }
    void cleanup() { tearDownScene(); }
    void windowRecordsWhatTheUserChose();
    void cancelTakesBackWhatTheWindowAdded();
    void importAsksForFilesAndNamesTheRefusedOnes();
    void fetchedInvoicesAreRecordedOrSetAside();
    void fetchStopsAtPrzerwij();
};

void TstKsefWindow::windowRecordsWhatTheUserChose()
{
    platform::ScopedScriptedMessages messages;
    auto& t = own_->tables();
    TImportFakturyKSeF w(t, ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t));
    // Every control is named for screen readers, combo boxes and grids too.
    for (QWidget* c : w.findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QPushButton*>(c) ||
            qobject_cast<QTableWidget*>(c))
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
    QCOMPARE(jadl::test::child<QTableWidget>(&w, "GridPozycje")->rowCount(), int(w.draft().plan.lines.size()));
    QCOMPARE(jadl::test::child<QTableWidget>(&w, "GridSumy")->rowCount(), int(w.draft().plan.checks.size()) + 1);

    // Unknown seller and goods: saving asks for them and records nothing.
    const auto before = snapshot(data());
    jadl::test::child<QPushButton>(&w, "BitBtnZapisz")->click();
    QCOMPARE(messages->texts().size(), 1);
    QCOMPARE(snapshot(data()), before);

    jadl::test::child<QPushButton>(&w, "BitBtnDodajDostawce")->click();
    QVERIFY(w.draft().supplier);
    QCOMPARE(jadl::test::child<QComboBox>(&w, "ComboBoxDostawca")->currentData().toInt(), *w.draft().supplier);
    jadl::test::child<QLineEdit>(&w, "EditSzukajTowaru")->setText(QStringLiteral("mleko"));
    QCOMPARE(jadl::test::child<QComboBox>(&w, "ComboBoxTowar")->count(), 1);
    jadl::test::child<QTableWidget>(&w, "GridPozycje")->selectAll();
    jadl::test::child<QPushButton>(&w, "BitBtnPrzypiszTowar")->click();
    QVERIFY(std::all_of(w.draft().goods.begin(), w.draft().goods.end(),
                        [&](const std::optional<int>& g) { return g == good_; }));
    jadl::test::child<QPushButton>(&w, "BitBtnZapisz")->click();
    QVERIFY2(w.recorded(), qPrintable(messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(
        rows(QDir(data()).filePath(QStringLiteral("Towary.DB")), "SELECT count(*) FROM Towary").at(0).at(0).toInt(),
        int(w.draft().plan.lines.size()));
}
void TstKsefWindow::cancelTakesBackWhatTheWindowAdded()
{
    platform::ScopedScriptedMessages messages;
    auto& t = own_->tables();
    const int goods = t.goods.recordCount();
    {
        TImportFakturyKSeF w(t, ksefimport::prepare(dataPath(QStringLiteral("typical.xml")), t));
        jadl::test::child<QPushButton>(&w, "BitBtnDodajDostawce")->click();
        // The third line's unit "op." and rate 23 are new to the tables; its name is
        // edited before the good is added.
        jadl::test::child<QTableWidget>(&w, "GridPozycje")->selectRow(2);
        jadl::test::child<QLineEdit>(&w, "EditNazwaTowaru")->setText(QStringLiteral("Kawa Arabica"));
        jadl::test::child<QPushButton>(&w, "BitBtnNowyTowar")->click();
        QCOMPARE(t.suppliers.recordCount(), 1);
        QCOMPARE(t.goods.recordCount(), goods + 1);
        QCOMPARE(t.goods.fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("Kawa Arabica"));
        QCOMPARE(t.goods.fieldByName(QStringLiteral("JednostkaMiary")).asString(), QStringLiteral("op."));
        jadl::test::child<QPushButton>(&w, "BitBtnAnuluj")->click();
        QVERIFY(!w.recorded());
    }
    // Supplier, good, unit and VAT designation are gone again.
    t.suppliers.refresh();
    t.goods.refresh();
    QCOMPARE(t.suppliers.recordCount(), 0);
    QCOMPARE(t.goods.recordCount(), goods);
    const struct {
        const char* file;
        const char* sql;
        int count;
    } left[] = {{"JednostkiMiar.DB", "SELECT count(*) FROM JednostkiMiar", 1},
                {"StawkiVat.db", "SELECT count(*) FROM StawkiVat", 0},
                {"Dostawcy.db", "SELECT count(*) FROM Dostawcy", 0},
                {"TowaryPodstawowe.db", "SELECT count(*) FROM TowaryPodstawowe", goods}};
    for (const auto& l : left)
        QVERIFY2(rows(QDir(data()).filePath(QString::fromLatin1(l.file)), l.sql).at(0).at(0).toInt() == l.count,
                 l.file);
    QVERIFY(messages->texts().isEmpty());
}
void TstKsefWindow::importAsksForFilesAndNamesTheRefusedOnes()
{
    platform::ScopedScriptedMessages messages;
    ksefimport::setFileAsker([](QWidget*) {
        return QStringList{dataPath(QStringLiteral("eur.xml")), dataPath(QStringLiteral("typical.xml"))};
    });
    own_.reset(); // the import opens tables of its own
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* w = qobject_cast<TImportFakturyKSeF*>(QApplication::activeModalWidget())) {
            shown = jadl::test::child<QLineEdit>(w, "EditNumer")->text();
            jadl::test::child<QPushButton>(w, "BitBtnAnuluj")->click();
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

void TstKsefWindow::fetchedInvoicesAreRecordedOrSetAside()
{
    platform::ScopedScriptedMessages messages;
    KsefStandIn server(3);
    ksef::api::Client client(server.clientSettings());
    QCOMPARE(kseffetch::fetchInvoices(client, kBuyerNip, {}).stored, 3);
    own_.reset(); // the import opens tables of its own

    TFakturyKSeFDoZapisania list(nullptr);
    auto* grid = jadl::test::child<QTableWidget>(&list, "GridFaktury");
    auto* showAside = jadl::test::child<QCheckBox>(&list, "CheckBoxPokazOdlozone");
    QCOMPARE(grid->rowCount(), 3);
    // Set aside: gone from the list, back with "Pokaż odłożone", taken back.
    grid->setCurrentCell(0, 0);
    const QString aside = grid->item(0, 4)->text();
    jadl::test::child<QPushButton>(&list, "BitBtnNieDotyczy")->click();
    QCOMPARE(grid->rowCount(), 2);
    showAside->setChecked(true);
    QCOMPARE(grid->rowCount(), 3);
    const auto row = grid->findItems(aside, Qt::MatchExactly);
    QCOMPARE(row.size(), 1);
    grid->setCurrentCell(row[0]->row(), 0);
    QCOMPARE(grid->item(row[0]->row(), 5)->text(), QStringLiteral("nie dotyczy zakupów"));
    jadl::test::child<QPushButton>(&list, "BitBtnPrzywroc")->click();
    showAside->setChecked(false);
    QCOMPARE(grid->rowCount(), 3);

    // "Zapisz" opens the invoice in the import window; once recorded it leaves the list.
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TImportFakturyKSeF*>(QApplication::activeModalWidget());
        if (!w)
            return;
        shown = jadl::test::child<QLineEdit>(w, "EditNumer")->text();
        jadl::test::child<QPushButton>(w, "BitBtnDodajDostawce")->click();
        jadl::test::child<QLineEdit>(w, "EditSzukajTowaru")->setText(QStringLiteral("mleko"));
        jadl::test::child<QTableWidget>(w, "GridPozycje")->selectAll();
        jadl::test::child<QPushButton>(w, "BitBtnPrzypiszTowar")->click();
        jadl::test::child<QPushButton>(w, "BitBtnZapisz")->click();
    });
    grid->setCurrentCell(0, 0);
    const QString first = grid->item(0, 1)->text();
    jadl::test::child<QPushButton>(&list, "BitBtnZapisz")->click();
    QCOMPARE(shown, first);
    QCOMPARE(grid->rowCount(), 2);
    QVERIFY(grid->findItems(first, Qt::MatchExactly).isEmpty());
    QVERIFY2(messages->texts().isEmpty(), qPrintable(messages->texts().join(QLatin1Char('|'))));
}

void TstKsefWindow::fetchStopsAtPrzerwij()
{
    platform::ScopedScriptedMessages messages;
    KsefStandIn server(30, {QStringLiteral("slow:100")});
    QTemporaryDir secrets;
    QFile token(secrets.filePath(QStringLiteral("token")));
    QVERIFY(token.open(QIODevice::WriteOnly) && token.write(kKsefToken.toUtf8()) > 0);
    token.close();
    QVERIFY(token.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    qputenv("JADL_KSEF_URL", server.url().toUtf8());
    qputenv("JADL_KSEF_CA", server.ca().toUtf8());
    qputenv("JADL_KSEF_NIP", kBuyerNip.toUtf8());
    qputenv("JADL_KSEF_TOKEN_FILE", token.fileName().toUtf8());
    auto unset = qScopeGuard([] {
        for (const char* v : {"JADL_KSEF_URL", "JADL_KSEF_CA", "JADL_KSEF_NIP", "JADL_KSEF_TOKEN_FILE"})
            qunsetenv(v);
    });
    TPobieranieKSeF fetch;
    // "Przerwij" once a few invoices are in: the fetch stops, what came stays, the point stays.
    QTimer stop;
    connect(&stop, &QTimer::timeout, [&] {
        if (fetch.stored() >= 3)
            jadl::test::child<QPushButton>(&fetch, "BitBtnPrzerwij")->click();
    });
    stop.start(20);
    QVERIFY(!fetch.run());
    const int stored = rows(QDir(data()).filePath(QStringLiteral("PobraneKSeF.db")), "SELECT count(*) FROM PobraneKSeF")
                           .at(0)
                           .at(0)
                           .toInt();
    QVERIFY2(stored >= 3 && stored < 30, qPrintable(QString::number(stored)));
    QCOMPARE(messages->texts().size(), 1);
    QVERIFY2(messages->texts().at(0).contains(QStringLiteral("przerwane")), qPrintable(messages->texts().at(0)));
    QCOMPARE(rows(QDir(data()).filePath(QStringLiteral("PunktKSeF.db")), "SELECT Punkt FROM PunktKSeF"),
             (QList<QVariantList>{{kseffetch::kFirstPoint}}));
}

QTEST_MAIN(TstKsefWindow)
#include "tst_ksefwindow.moc"
