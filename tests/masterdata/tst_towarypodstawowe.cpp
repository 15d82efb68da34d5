// The basic goods catalogue window, driven as a user would: its buttons, edits,
// grids and check boxes, with what reached TowaryPodstawowe.db read back.
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DBMemo.h"
#include "controls/DBText.h"
#include "masterdata/JednostkiMiar_Jadlon.h"
#include "masterdata/StawkiVat_Jadlon.h"
#include "masterdata/TowaryPodstawoweJadl.h"
#include "purchases/PrzypisywanieTowarowJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/WindowDriving.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

using jadl::DataSetState;
using jadl::forms;
using jadl::test::addRecord;
using jadl::test::ProgramFixture;

namespace {

const QString kNeedsNames = QStringLiteral("Wprowadzany towar musi posiadać Nazwę i Nazwę Skróconą(Symbol)");

// The program with the catalogue's tables open as the main window's command
// leaves them.
struct Catalogue {
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    TTowaryPodstawowe* w = forms().TowaryPodstawowe;
    jadl::Table& goods = *dm->TableTowaryPodstawowe;
    jadl::Table& groups = *dm->TableGrupyTowarow;

    Catalogue()
    {
        for (jadl::Table* t : sixTables())
            t->open();
        jadl::test::child<QCheckBox>(w, "CheckBoxPrzenumeruj")->setChecked(false);
    }
    ~Catalogue() { w->hide(); }

    QList<jadl::Table*> sixTables() const
    {
        return {dm->TableTowaryPodstawowe,
                dm->TableGrupyTowarow,
                dm->TableParametry,
                forms().StawkiVatJadlon->TableStawkiVat,
                forms().JednostkiMiarJadlon->TableJednostkiMiar,
                dm->TableWlasciciel};
    }
    // Adds a group and returns its number; the groups table stays on its first group.
    int addGroup(const QString& name)
    {
        addRecord(groups, {{"NrKol", groups.recordCount() + 1}, {"Grupa", name}});
        const int numer = groups.fieldByName(QStringLiteral("Numer")).asInteger();
        groups.first();
        return numer;
    }
    void addGood(int group, const QString& symbol, const QVariant& nrKol = {}, const QVariant& net = {},
                 const QVariant& reference = {})
    {
        addRecord(goods,
                  {{"NumerGrupy", group},
                   {"Symbol", symbol},
                   {"Nazwa", symbol.toUpper()},
                   {"NrKol", nrKol},
                   {"CenaNetto", net},
                   {"CenaReferencyjna", reference}});
    }
    void selectGroup(const QString& name) { QVERIFY(groups.locate(QStringLiteral("Grupa"), name)); }
    std::unique_ptr<jadl::Table> disk()
    {
        return jadl::test::onDisk(program.dataDir(), QStringLiteral("TowaryPodstawowe.db"));
    }
    QString symbol() { return goods.fieldByName(QStringLiteral("Symbol")).asString(); }
};

QStringList strings(const QVariantList& values)
{
    QStringList list;
    for (const QVariant& v : values)
        list << (v.isNull() ? QStringLiteral("<null>") : v.toString());
    return list;
}

} // namespace

class TowaryPodstawoweTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAsDesigned_data();
    void controlsAsDesigned();
    void hiddenControlsAndDesignedLists();
    void addNumbersAndSaves();
    void grossPriceOnSave_data();
    void grossPriceOnSave();
    void saveRefused_data();
    void saveRefused();
    void withoutGroups_data();
    void withoutGroups();
    void deleteAsks_data();
    void deleteAsks();
    void symbolCopiedToName_data();
    void symbolCopiedToName();
    void searches();
    void titleClickOrders();
    void renumbering_data();
    void renumbering();
    void rowColours_data();
    void rowColours();
    void cancelClosesOnlyWhenModal();
    void exitClosesTables_data();
    void exitClosesTables();
    void printShowsThePreview();
};

void TowaryPodstawoweTest::controlsAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("Dodaj") << "BitBtnDodaj"
                           << "&Dodaj"
                           << "Dodanie  nowego towaru podstawowego";
    QTest::newRow("Zapisz") << "BitBtnZapisz"
                            << "&Zapisz"
                            << "Zapisanie worowadzonego towaru";
    QTest::newRow("Anuluj") << "BitBtnAnuluj"
                            << "&Anuluj"
                            << "Anulowanie wprowadzonych danych(jeżeli nie są zapisane)";
    QTest::newRow("Usuń") << "BitBtnUsun"
                          << "&Usuń"
                          << "Usuniecie zaznaczonego towaru  ";
    QTest::newRow("Drukuj") << "Drukuj"
                            << "D&rukuj"
                            << "Drukowanie towarów podstawowych wybranej grupy";
    QTest::newRow("Wyjście") << "BitBtnZamknij"
                             << "&Wyjście"
                             << "Zamknięcie i opuszczenie formatki";
    QTest::newRow("Szukaj towaru") << "BitBtnSzukajTowaruPodstawowego"
                                   << "Szukaj"
                                   << "Szukanie towaru podstawowego w tabeli poniżej";
    QTest::newRow("Szukaj grupy") << "BitBtnSzukajGrupy"
                                  << "Szukaj"
                                  << "Szukanie grupy towaru w poniższej tabeli";
    QTest::newRow("Przenumeruj") << "Przenumeruj"
                                 << "Przenumeruj"
                                 << "";
    QTest::newRow("symbol") << "DBEditSymbolTowaru"
                            << "Nazwa skrócona(symbol towaru):"
                            << "";
    QTest::newRow("nazwa") << "DBEditNazwaTowaru"
                           << "Nazwa  towaru:"
                           << "";
    QTest::newRow("cena ref.") << "DBEditCenaReferencyjna"
                               << "Cena referencyjna:"
                               << "";
    QTest::newRow("nr towaru") << "DBTextNumerTowaru"
                               << "Nr towaru:"
                               << "";
    QTest::newRow("indeks") << "DBEditIndeksTowaru"
                            << "Indeks towaru:"
                            << "";
    QTest::newRow("cena netto") << "DBEditCenaNetto"
                                << "Cena netto:"
                                << "";
    QTest::newRow("vat") << "DBComboBoxVatTyp"
                         << "VAT:"
                         << "";
    QTest::newRow("jednostka") << "DBComboBoxJednostkaMiary"
                               << "Jed. miar.:"
                               << "";
    QTest::newRow("cena brutto") << "DBEditCenaBrutto"
                                 << "Cena brutto:"
                                 << "";
}

void TowaryPodstawoweTest::controlsAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    Catalogue c;
    QCOMPARE(c.w->windowTitle(), QStringLiteral("TOWARY PODSTAWOWE - WPROWADZANIE, PRZEGLĄD  I MODYFIKACJA"));
    auto* control = c.w->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(control->accessibleName(), QString(caption).remove(u'&'));
    } else {
        QLabel* label = nullptr;
        for (QLabel* l : c.w->findChildren<QLabel*>())
            if (l->buddy() == control)
                label = l;
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), caption);
        QCOMPARE(control->accessibleName(), caption.trimmed());
    }
    QCOMPARE(control->toolTip(), hint);
}

void TowaryPodstawoweTest::hiddenControlsAndDesignedLists()
{
    Catalogue c;
    c.w->show();
    for (const char* name : {"LabelIndeksTowaru", "DBEditIndeksTowaru", "LabelCenaNetto", "DBEditCenaNetto", "LabelVat",
                             "DBComboBoxVatTyp", "LabelJednostkaMiary", "DBComboBoxJednostkaMiary", "LabelCenaBrutto",
                             "DBEditCenaBrutto", "Przenumeruj"}) {
        auto* w = c.w->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(w && !w->isVisible(), name);
    }
    for (const char* name :
         {"DBEditSymbolTowaru", "DBEditNazwaTowaru", "DBMemoNazwaTowaru", "DBEditCenaReferencyjna", "DBGrid1",
          "DBGrid2", "DBTextGrupa", "CheckBoxPrzepiszSymbolNazwa", "CheckBoxPrzenumeruj"}) {
        auto* w = c.w->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(w && w->isVisible(), name);
    }
    QVERIFY(jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzepiszSymbolNazwa")->isChecked());
    QCOMPARE(jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzepiszSymbolNazwa")->toolTip(),
             QStringLiteral("Gdy pole zaznaczone to Nazwa skrócona zostaje automatycznie przepisana do Nazwy Towaru"));
    QVERIFY(jadl::test::child<jadl::DBEdit>(c.w, "DBEditCenaBrutto")->isReadOnly());
    QVERIFY(jadl::test::child<jadl::DBMemo>(c.w, "DBMemoNazwaTowaru")->isReadOnly());
    QVERIFY(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid2")->isReadOnly());
    QVERIFY(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid2")->rowSelect());
    QVERIFY(!jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1")->isReadOnly());
    QVERIFY(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1")->confirmDelete());

    QCOMPARE(jadl::test::child<jadl::DBComboBox>(c.w, "DBComboBoxVatTyp")->items(),
             (QStringList{QStringLiteral("7"), QStringLiteral("3"), QStringLiteral("22"), QStringLiteral("8"),
                          QStringLiteral("23"), QStringLiteral("0"), QStringLiteral("12"), QStringLiteral("4"),
                          QStringLiteral("zw"), QStringLiteral("0k"), QStringLiteral("0e")}));
    const QStringList units = jadl::test::child<jadl::DBComboBox>(c.w, "DBComboBoxJednostkaMiary")->items();
    QCOMPARE(units.size(), 23);
    QCOMPARE(units.first(), QStringLiteral("1kg"));
    QCOMPARE(units.last(), QStringLiteral("m3"));

    const QStringList goodsTitles{QStringLiteral("Nr kol."), QStringLiteral("Gr."),
                                  QStringLiteral("Nazwa skrócona (symbol towaru)"), QStringLiteral("Cena R.")};
    const QStringList groupTitles{QStringLiteral("Gr."), QStringLiteral("Nr kol."),
                                  QStringLiteral("Nazwa grupy towaru")};
    for (int i = 0; i < goodsTitles.size(); ++i)
        QCOMPARE(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1")->columnTitle(i), goodsTitles[i]);
    for (int i = 0; i < groupTitles.size(); ++i)
        QCOMPARE(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid2")->columnTitle(i), groupTitles[i]);
    // The group column of the goods grid cannot be typed into.
    c.addGood(c.addGroup(QStringLiteral("MIĘSO")), QStringLiteral("Schab"), 1);
    QAbstractItemModel* m = jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1")->model();
    QVERIFY(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);
    QVERIFY(!(m->flags(m->index(0, 1)) & Qt::ItemIsEditable));
}

void TowaryPodstawoweTest::addNumbersAndSaves()
{
    Catalogue c;
    const int meat = c.addGroup(QStringLiteral("MIĘSO"));
    const int dairy = c.addGroup(QStringLiteral("NABIAŁ"));
    c.addGood(dairy, QStringLiteral("Mleko"), 1);
    c.addGood(dairy, QStringLiteral("Ser"), 2);
    c.selectGroup(QStringLiteral("MIĘSO"));
    QVERIFY(jadl::test::showActive(c.w));

    jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
    QCOMPARE(c.goods.state(), DataSetState::Insert);
    QVERIFY(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru")->hasFocus());
    QCOMPARE(c.goods.fieldByName(QStringLiteral("NrKol")).value(), QVariant(1));
    QCOMPARE(jadl::test::child<jadl::DBText>(c.w, "DBTextGrupa")->text(), QStringLiteral("MIĘSO"));
    QCOMPARE(jadl::test::child<jadl::DBComboBox>(c.w, "DBComboBoxVatTyp")->text(), QStringLiteral("7"));
    QCOMPARE(jadl::test::child<jadl::DBComboBox>(c.w, "DBComboBoxJednostkaMiary")->text(), QStringLiteral("1kg"));
    jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Schab"));
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Tab);
    // The net price comes from where goods are bought; the catalogue keeps its edit hidden.
    c.goods.fieldByName(QStringLiteral("CenaNetto")).setFloat(10);
    jadl::test::child<QPushButton>(c.w, "BitBtnZapisz")->click();
    QVERIFY2(c.program.messages().log().isEmpty(), qPrintable(c.program.messages().texts().join(u'|')));
    QCOMPARE(c.goods.state(), DataSetState::Browse);

    auto disk = c.disk();
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("Schab")));
    QCOMPARE(disk->fieldByName(QStringLiteral("Nazwa")).asString(), QStringLiteral("Schab"));
    QCOMPARE(disk->fieldByName(QStringLiteral("NumerGrupy")).value(), QVariant(meat));
    QCOMPARE(disk->fieldByName(QStringLiteral("Grupa")).asString(), QStringLiteral("MIĘSO"));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKol")).value(), QVariant(1));
    QCOMPARE(disk->fieldByName(QStringLiteral("DataDodania")).asDate(), QDate(2026, 12, 6));
    QCOMPARE(disk->fieldByName(QStringLiteral("VatTyp")).asString(), QStringLiteral("7"));
    QCOMPARE(disk->fieldByName(QStringLiteral("CenaBrutto")).asFloat(), 10.7);
    // Only the VAT text reaches the record; the unit combo's text does not.
    QVERIFY(disk->fieldByName(QStringLiteral("JednostkaMiary")).isNull());
    QCOMPARE(jadl::test::child<jadl::DBText>(c.w, "DBTextNumerTowaru")->text(),
             disk->fieldByName(QStringLiteral("Numer")).asString());

    // A group that has goods: its count plus one.
    c.selectGroup(QStringLiteral("NABIAŁ"));
    jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
    QCOMPARE(c.goods.fieldByName(QStringLiteral("NrKol")).value(), QVariant(3));
    QCOMPARE(c.goods.fieldByName(QStringLiteral("NumerGrupy")).value(), QVariant(dairy));
    jadl::test::child<QPushButton>(c.w, "BitBtnAnuluj")->click();
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    QCOMPARE(c.disk()->recordCount(), 3);
}

void TowaryPodstawoweTest::grossPriceOnSave_data()
{
    QTest::addColumn<QString>("vat");
    QTest::addColumn<QVariant>("net");
    QTest::addColumn<QVariant>("gross"); // null: left empty
    QTest::addColumn<QVariant>("storedVat"); // null: empty
    QTest::newRow("7") << "7" << QVariant(10.0) << QVariant(10.7) << QVariant(QStringLiteral("7"));
    QTest::newRow("zw") << "zw" << QVariant(10.0) << QVariant(10.0) << QVariant(QStringLiteral("zw"));
    QTest::newRow("23 of 3.99") << "23" << QVariant(3.99) << QVariant(4.91) << QVariant(QStringLiteral("23"));
    QTest::newRow("0k") << "0k" << QVariant(2.5) << QVariant(2.5) << QVariant(QStringLiteral("0k"));
    QTest::newRow("typed 8") << "8" << QVariant(1.25) << QVariant(1.35) << QVariant(QStringLiteral("8"));
    QTest::newRow("no VAT text") << "" << QVariant(10.0) << QVariant(10.0) << QVariant();
    QTest::newRow("no net price") << "22" << QVariant() << QVariant() << QVariant(QStringLiteral("22"));
}

void TowaryPodstawoweTest::grossPriceOnSave()
{
    QFETCH(QString, vat);
    QFETCH(QVariant, net);
    QFETCH(QVariant, gross);
    QFETCH(QVariant, storedVat);
    Catalogue c;
    c.addGroup(QStringLiteral("OWOCE"));
    QVERIFY(jadl::test::showActive(c.w));
    jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
    jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Jabłko"));
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Tab);
    jadl::test::child<jadl::DBComboBox>(c.w, "DBComboBoxVatTyp")->setText(vat);
    c.goods.fieldByName(QStringLiteral("CenaNetto")).setValue(net);
    jadl::test::child<QPushButton>(c.w, "BitBtnZapisz")->click();
    QVERIFY(c.program.messages().log().isEmpty());

    auto disk = c.disk();
    QCOMPARE(disk->recordCount(), 1);
    QCOMPARE(disk->fieldByName(QStringLiteral("VatTyp")).value(), storedVat);
    const jadl::Field& stored = disk->fieldByName(QStringLiteral("CenaBrutto"));
    if (gross.isNull())
        QVERIFY(stored.isNull());
    else
        QCOMPARE(stored.asFloat(), gross.toDouble());
}

void TowaryPodstawoweTest::saveRefused_data()
{
    QTest::addColumn<QString>("symbol"); // "-": nothing is added (browse state)
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("browse: nothing happens") << "-"
                                             << "" << QStringList{};
    QTest::newRow("no symbol") << ""
                               << "CUKIER" << QStringList{kNeedsNames};
    QTest::newRow("no name") << "Cukier"
                             << "" << QStringList{kNeedsNames};
}

void TowaryPodstawoweTest::saveRefused()
{
    QFETCH(QString, symbol);
    QFETCH(QString, name);
    QFETCH(QStringList, messages);
    Catalogue c;
    const int group = c.addGroup(QStringLiteral("SYPKIE"));
    c.addGood(group, QStringLiteral("Mąka"), 1);
    QVERIFY(jadl::test::showActive(c.w));
    jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzepiszSymbolNazwa")->setChecked(false);
    if (symbol != QLatin1String("-")) {
        jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), symbol);
        jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(c.w, "DBEditNazwaTowaru"), name);
    }
    jadl::test::child<QPushButton>(c.w, "BitBtnZapisz")->click();
    QCOMPARE(c.program.messages().texts(), messages);
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    QCOMPARE(c.goods.recordCount(), 1);
    QCOMPARE(c.disk()->recordCount(), 1);
}

void TowaryPodstawoweTest::withoutGroups_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes saves without a group") << true;
    QTest::newRow("no cancels") << false;
}

void TowaryPodstawoweTest::withoutGroups()
{
    QFETCH(bool, yes);
    Catalogue c;
    QVERIFY(jadl::test::showActive(c.w));
    jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
    QCOMPARE(c.program.messages().texts(), QStringList{QStringLiteral("Brak grupy towarów")});
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    c.program.messages().clear();

    // Typing into the empty catalogue starts a new good all the same.
    jadl::test::typeInto(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Sól"));
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Tab);
    QCOMPARE(c.goods.state(), DataSetState::Insert);
    c.program.messages().answerNext(yes);
    jadl::test::child<QPushButton>(c.w, "BitBtnZapisz")->click();
    const auto& log = c.program.messages().log();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.first().kind, jadl::platform::MessageKind::Question);
    QCOMPARE(log.first().text, QStringLiteral("BRAK GRUP TOWARÓW - Zapisujemy bez grupy"));
    QCOMPARE(log.first().caption, QStringLiteral("WYBIERZ"));
    QCOMPARE(c.goods.state(), DataSetState::Browse);

    auto disk = c.disk();
    QCOMPARE(disk->recordCount(), yes ? 1 : 0);
    if (yes) {
        disk->first();
        QCOMPARE(disk->fieldByName(QStringLiteral("Symbol")).asString(), QStringLiteral("Sól"));
        QVERIFY(disk->fieldByName(QStringLiteral("Grupa")).isNull());
        QVERIFY(disk->fieldByName(QStringLiteral("NumerGrupy")).isNull());
    }
}

void TowaryPodstawoweTest::deleteAsks_data()
{
    QTest::addColumn<int>("goodsInGroup");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("yes deletes the current good")
        << 3 << true << QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("X")};
    QTest::newRow("no keeps it") << 3 << false
                                 << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                                QStringLiteral("X")};
    QTest::newRow("empty group") << 0 << true << QStringList{QStringLiteral("X")};
}

void TowaryPodstawoweTest::deleteAsks()
{
    QFETCH(int, goodsInGroup);
    QFETCH(bool, yes);
    QFETCH(QStringList, left);
    Catalogue c;
    const int first = c.addGroup(QStringLiteral("PIERWSZA"));
    const int other = c.addGroup(QStringLiteral("DRUGA"));
    c.addGood(other, QStringLiteral("X"), 1);
    for (int i = 0; i < goodsInGroup; ++i)
        c.addGood(first, QString(QChar(u'A' + i)), i + 1);
    c.selectGroup(QStringLiteral("PIERWSZA"));
    if (goodsInGroup > 0) {
        c.goods.first();
        c.goods.next();
    }
    c.w->show();
    c.program.messages().answerNext(yes);
    jadl::test::child<QPushButton>(c.w, "BitBtnUsun")->click();

    const auto& log = c.program.messages().log();
    QCOMPARE(log.size(), 1);
    if (goodsInGroup == 0) {
        QCOMPARE(log.first().kind, jadl::platform::MessageKind::Message);
        QCOMPARE(log.first().text, QStringLiteral("Brak pozycji do usunięcia"));
    } else {
        QCOMPARE(log.first().kind, jadl::platform::MessageKind::Question);
        QCOMPARE(log.first().text, QStringLiteral("Usunąć zaznaczoną pozycję towaru"));
        QCOMPARE(log.first().caption, QStringLiteral("WYBIERZ"));
    }
    auto disk = c.disk();
    QStringList stored = strings(jadl::test::column(*disk, QStringLiteral("Symbol")));
    stored.sort();
    QCOMPARE(stored, left);
}

void TowaryPodstawoweTest::symbolCopiedToName_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("expectedName");
    QTest::newRow("insert, checked") << "insert" << true << "Kasza";
    QTest::newRow("edit, checked") << "edit" << true << "Kasza";
    QTest::newRow("browse, checked") << "browse" << true << "RYŻ";
    QTest::newRow("insert, unchecked") << "insert" << false << "<null>";
}

void TowaryPodstawoweTest::symbolCopiedToName()
{
    QFETCH(QString, mode);
    QFETCH(bool, checked);
    QFETCH(QString, expectedName);
    Catalogue c;
    c.addGood(c.addGroup(QStringLiteral("SYPKIE")), QStringLiteral("Ryż"), 1);
    QVERIFY(jadl::test::showActive(c.w));
    jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzepiszSymbolNazwa")->setChecked(checked);
    if (mode == QLatin1String("insert")) {
        jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
        jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Kasza"));
    } else if (mode == QLatin1String("edit")) {
        jadl::test::retype(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Kasza"));
    } else {
        jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru")->setFocus(Qt::MouseFocusReason);
    }
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Tab);
    QVERIFY(!jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru")->hasFocus());
    const jadl::Field& name = c.goods.fieldByName(QStringLiteral("Nazwa"));
    QCOMPARE(name.isNull() ? QStringLiteral("<null>") : name.asString(), expectedName);
    QCOMPARE(jadl::test::child<jadl::DBEdit>(c.w, "DBEditNazwaTowaru")->text(), name.asString().toUpper());
    QCOMPARE(jadl::test::child<jadl::DBMemo>(c.w, "DBMemoNazwaTowaru")->toPlainText(), name.asString());
}

void TowaryPodstawoweTest::searches()
{
    Catalogue c;
    const int fruit = c.addGroup(QStringLiteral("OWOCE"));
    const int dairy = c.addGroup(QStringLiteral("NABIAŁ"));
    c.addGroup(QStringLiteral("NAPOJE"));
    for (const char* s : {"Masło", "Mleko", "Ser"})
        c.addGood(dairy, QString::fromUtf8(s), 1);
    c.addGood(fruit, QStringLiteral("Mleczko"), 1); // same prefix in another group
    QVERIFY(jadl::test::showActive(c.w));

    jadl::test::typeInto(jadl::test::child<QLineEdit>(c.w, "EditSzukajGrupy"), QStringLiteral("NAB"));
    jadl::test::child<QPushButton>(c.w, "BitBtnSzukajGrupy")->click();
    QCOMPARE(c.groups.fieldByName(QStringLiteral("Grupa")).asString(), QStringLiteral("NABIAŁ"));
    QCOMPARE(jadl::test::gridColumn(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1"), 2),
             (QStringList{QStringLiteral("Masło"), QStringLiteral("Mleko"), QStringLiteral("Ser")}));

    jadl::test::typeInto(jadl::test::child<QLineEdit>(c.w, "EditSzukajTowarPodstawowy"), QStringLiteral("Ml"));
    jadl::test::child<QPushButton>(c.w, "BitBtnSzukajTowaruPodstawowego")->click();
    QCOMPARE(c.symbol(), QStringLiteral("Mleko"));
    // Case-sensitive; nothing found leaves the current good and says nothing.
    jadl::test::retype(jadl::test::child<QLineEdit>(c.w, "EditSzukajTowarPodstawowy"), QStringLiteral("ser"));
    jadl::test::child<QPushButton>(c.w, "BitBtnSzukajTowaruPodstawowego")->click();
    QCOMPARE(c.symbol(), QStringLiteral("Mleko"));
    jadl::test::retype(jadl::test::child<QLineEdit>(c.w, "EditSzukajGrupy"), QStringLiteral("nap"));
    jadl::test::child<QPushButton>(c.w, "BitBtnSzukajGrupy")->click();
    QCOMPARE(c.groups.fieldByName(QStringLiteral("Grupa")).asString(), QStringLiteral("NABIAŁ"));
    QVERIFY(c.program.messages().log().isEmpty());
}

void TowaryPodstawoweTest::titleClickOrders()
{
    Catalogue c;
    const int dairy = c.addGroup(QStringLiteral("NABIAŁ"));
    const int other = c.addGroup(QStringLiteral("INNE"));
    c.addGood(dairy, QStringLiteral("Apetit"), 3);
    c.addGood(dairy, QStringLiteral("Bryndza"), 1);
    c.addGood(dairy, QStringLiteral("Cheddar"), 2);
    c.addGood(other, QStringLiteral("Aaa"), 0);
    c.selectGroup(QStringLiteral("NABIAŁ"));
    c.w->show();
    jadl::DBGrid* grid = jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1");
    const QStringList bySymbol{QStringLiteral("Apetit"), QStringLiteral("Bryndza"), QStringLiteral("Cheddar")};
    const QStringList byNrKol{QStringLiteral("Bryndza"), QStringLiteral("Cheddar"), QStringLiteral("Apetit")};
    QCOMPARE(jadl::test::gridColumn(grid, 2), bySymbol);

    jadl::test::clickTitle(grid, 0); // "Nr kol."
    QCOMPARE(c.goods.indexName(), QStringLiteral("NumerGrupyNrKolInd"));
    QCOMPARE(jadl::test::gridColumn(grid, 2), byNrKol);
    // The link to the current group is back in place.
    QCOMPARE(c.goods.masterSource(), c.dm->DataSourceGrupyTowarow);
    QCOMPARE(c.goods.masterFields(), QStringLiteral("Numer"));
    c.selectGroup(QStringLiteral("INNE"));
    QCOMPARE(jadl::test::gridColumn(grid, 2), QStringList{QStringLiteral("Aaa")});
    c.selectGroup(QStringLiteral("NABIAŁ"));

    jadl::test::clickTitle(grid, 3); // "Cena R.": nothing
    jadl::test::clickTitle(grid, 1); // "Gr.": nothing
    QCOMPARE(c.goods.indexName(), QStringLiteral("NumerGrupyNrKolInd"));
    QCOMPARE(jadl::test::gridColumn(grid, 2), byNrKol);
    jadl::test::clickTitle(grid, 2); // by symbol again
    QCOMPARE(c.goods.indexName(), QStringLiteral("NrGrupySymbolInd"));
    QCOMPARE(jadl::test::gridColumn(grid, 2), bySymbol);
    QCOMPARE(c.goods.masterSource(), c.dm->DataSourceGrupyTowarow);
    QVERIFY(c.program.messages().log().isEmpty());
}

void TowaryPodstawoweTest::renumbering_data()
{
    QTest::addColumn<bool>("byNrKol"); // the "Nr kol." order chosen first
    QTest::addColumn<QVariantList>("before"); // NrKol of goods A, B, C, D
    QTest::addColumn<QVariantList>("after");
    QTest::newRow("symbol order") << false << QVariantList{5, 5, 9, QVariant()} << QVariantList{1, 2, 3, 4};
    QTest::newRow("number order, all equal") << true << QVariantList{1, 1, 1, 1} << QVariantList{1, 2, 3, 4};
    QTest::newRow("number order, gaps and an empty one")
        << true << QVariantList{7, 2, 2, QVariant()} << QVariantList{4, 2, 3, 1};
}

void TowaryPodstawoweTest::renumbering()
{
    QFETCH(bool, byNrKol);
    QFETCH(QVariantList, before);
    QFETCH(QVariantList, after);
    Catalogue c;
    const int group = c.addGroup(QStringLiteral("WARZYWA"));
    const int other = c.addGroup(QStringLiteral("INNE"));
    c.addGood(other, QStringLiteral("Zzz"), 8);
    const QStringList symbols{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
    for (int i = 0; i < symbols.size(); ++i)
        c.addGood(group, symbols[i], before[i]);
    c.selectGroup(QStringLiteral("WARZYWA"));
    c.w->show();
    if (byNrKol)
        jadl::test::clickTitle(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1"), 0);
    const QStringList gridOrder = jadl::test::gridColumn(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1"), 2);

    QVERIFY(!jadl::test::child<QPushButton>(c.w, "Przenumeruj")->isVisible());
    jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzenumeruj")->click();
    QVERIFY(jadl::test::child<QPushButton>(c.w, "Przenumeruj")->isVisible());
    jadl::test::child<QPushButton>(c.w, "Przenumeruj")->click();
    QVERIFY(c.program.messages().log().isEmpty());

    auto disk = c.disk();
    for (int i = 0; i < symbols.size(); ++i) {
        QVERIFY(disk->locate(QStringLiteral("Symbol"), symbols[i]));
        QCOMPARE(disk->fieldByName(QStringLiteral("NrKol")).value(), after[i]);
    }
    QVERIFY(disk->locate(QStringLiteral("Symbol"), QStringLiteral("Zzz")));
    QCOMPARE(disk->fieldByName(QStringLiteral("NrKol")).value(), QVariant(8));
    // 1..n follows the order the grid showed.
    QStringList numbers;
    for (const QString& s : gridOrder) {
        QVERIFY(disk->locate(QStringLiteral("Symbol"), s));
        numbers << disk->fieldByName(QStringLiteral("NrKol")).asString();
    }
    QCOMPARE(numbers,
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));

    jadl::test::child<QCheckBox>(c.w, "CheckBoxPrzenumeruj")->click();
    QVERIFY(!jadl::test::child<QPushButton>(c.w, "Przenumeruj")->isVisible());
}

void TowaryPodstawoweTest::rowColours_data()
{
    QTest::addColumn<QVariant>("net");
    QTest::addColumn<QVariant>("reference");
    QTest::addColumn<QString>("colour");
    QTest::newRow("above reference") << QVariant(12.5) << QVariant(10.0) << "red";
    QTest::newRow("below reference") << QVariant(8.0) << QVariant(10.0) << "green";
    QTest::newRow("equal") << QVariant(10.0) << QVariant(10.0) << "black";
    QTest::newRow("no net price") << QVariant() << QVariant(10.0) << "green";
    QTest::newRow("no reference price") << QVariant(10.0) << QVariant() << "red";
    QTest::newRow("neither") << QVariant() << QVariant() << "black";
}

void TowaryPodstawoweTest::rowColours()
{
    QFETCH(QVariant, net);
    QFETCH(QVariant, reference);
    QFETCH(QString, colour);
    Catalogue c;
    const int group = c.addGroup(QStringLiteral("RÓŻNE"));
    c.addGood(group, QStringLiteral("A"), 1, 5.0, 5.0);
    c.addGood(group, QStringLiteral("B"), 2, net, reference);
    c.w->show();
    QAbstractItemModel* m = jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1")->model();
    QCOMPARE(m->rowCount(), 2);
    for (int col = 0; col < m->columnCount(); ++col) {
        const QColor shown = m->data(m->index(1, col), Qt::ForegroundRole).value<QColor>();
        QVERIFY2(shown.isValid(), qPrintable(QString::number(col)));
        if (colour == QLatin1String("red"))
            QCOMPARE(shown, QColor(Qt::red));
        else if (colour == QLatin1String("black"))
            QCOMPARE(shown, QColor(Qt::black));
        else
            QVERIFY2(shown.green() > 0 && shown.red() == 0 && shown.blue() == 0, qPrintable(shown.name()));
        // The neighbour row, equal prices, stays black.
        QCOMPARE(m->data(m->index(0, col), Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    }
}

void TowaryPodstawoweTest::cancelClosesOnlyWhenModal()
{
    Catalogue c;
    c.addGood(c.addGroup(QStringLiteral("OWOCE")), QStringLiteral("Gruszka"), 1);

    // Shown beside the main window: Escape cancels the new good, the window stays.
    QVERIFY(jadl::test::showActive(c.w));
    jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
    jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Śliwka"));
    QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Escape);
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    QVERIFY(c.w->isVisible());
    QCOMPARE(c.symbol(), QStringLiteral("Gruszka"));
    c.w->hide();

    // Shown modally (from the goods assignment): Escape cancels and closes.
    bool closedByEscape = false;
    jadl::test::whenModalShown([&](QWidget* modal) {
        if (modal != c.w)
            return;
        jadl::test::child<QPushButton>(c.w, "BitBtnDodaj")->click();
        jadl::test::typeKeys(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), QStringLiteral("Śliwka"));
        QTest::keyClick(jadl::test::child<jadl::DBEdit>(c.w, "DBEditSymbolTowaru"), Qt::Key_Escape);
        closedByEscape = !c.w->isVisible();
    });
    QCOMPARE(c.w->exec(), int(QDialog::Rejected));
    QVERIFY(closedByEscape);
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    QCOMPARE(c.disk()->recordCount(), 1);
    // The same Escape pressed in the goods grid while a good is being edited.
    closedByEscape = false;
    jadl::test::whenModalShown([&](QWidget* modal) {
        if (modal != c.w)
            return;
        c.goods.edit();
        c.goods.fieldByName(QStringLiteral("Symbol")).setString(QStringLiteral("Pigwa"));
        QTest::keyClick(jadl::test::child<jadl::DBGrid>(c.w, "DBGrid1"), Qt::Key_Escape);
        closedByEscape = !c.w->isVisible();
    });
    QCOMPARE(c.w->exec(), int(QDialog::Rejected));
    QVERIFY(closedByEscape);
    QCOMPARE(c.goods.state(), DataSetState::Browse);
    QCOMPARE(c.symbol(), QStringLiteral("Gruszka"));
    // Modeless again afterwards: the cancel button leaves the window up.
    c.w->show();
    jadl::test::child<QPushButton>(c.w, "BitBtnAnuluj")->click();
    QVERIFY(c.w->isVisible());
}

void TowaryPodstawoweTest::exitClosesTables_data()
{
    QTest::addColumn<bool>("assignmentOpen");
    QTest::newRow("alone") << false;
    QTest::newRow("over the goods assignment") << true;
}

void TowaryPodstawoweTest::exitClosesTables()
{
    QFETCH(bool, assignmentOpen);
    Catalogue c;
    QWidget* assignment = forms().PrzypisywanieTowarow;
    if (assignmentOpen)
        assignment->show();
    c.w->show();
    jadl::test::child<QPushButton>(c.w, "BitBtnZamknij")->click();
    QVERIFY(!c.w->isVisible());
    for (jadl::Table* t : c.sixTables())
        QCOMPARE(t->active(), assignmentOpen);
    assignment->hide();

    // The window's own close box keeps them open.
    for (jadl::Table* t : c.sixTables())
        t->open();
    c.w->show();
    c.w->close();
    for (jadl::Table* t : c.sixTables())
        QVERIFY(t->active());
    QVERIFY(c.program.messages().log().isEmpty());
}

void TowaryPodstawoweTest::printShowsThePreview()
{
    Catalogue c;
    const int group = c.addGroup(QStringLiteral("PIECZYWO"));
    c.addGood(group, QStringLiteral("Chleb"), 1);
    c.addGood(group, QStringLiteral("Bułka"), 2);
    c.w->show();
    QString shown;
    jadl::test::whenModalShown([&](QWidget* modal) { shown = QString::fromLatin1(modal->metaObject()->className()); });
    jadl::test::child<QPushButton>(c.w, "Drukuj")->click();
    QCOMPARE(shown, QStringLiteral("QPrintPreviewDialog"));
    QVERIFY(c.program.messages().log().isEmpty());
    QCOMPARE(c.goods.recordCount(), 2);
}

QTEST_MAIN(TowaryPodstawoweTest)
#include "tst_towarypodstawowe.moc"
