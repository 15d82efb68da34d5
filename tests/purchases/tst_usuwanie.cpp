// Removing old purchase lines and packing the lines table, as a user would.
#include "controls/SpinEdit.h"
#include "purchases/UsuwaniePrzypisanych_Towarow.h"
#include "shell/Forms.h"
#include "shell/MeniJadl.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using jadl::forms;
using jadl::Table;
using jadl::platform::MessageKind;
using jadl::removal::Rule;
using jadl::test::ProgramFixture;
using OptDate = std::optional<QDate>;

Q_DECLARE_METATYPE(OptDate)

namespace {

const QString kTowary = QStringLiteral("Towary.DB");

struct Line {
    int supplier;
    OptDate day;
};

// Writes purchase lines through a connection of its own, in one transaction, with
// every kind of field filled from the line's position so changes can be seen.
void writeLines(const QString& dataDir, const QList<Line>& lines)
{
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(kTowary);
    t.open();
    Table::Batch batch(t);
    int i = 0;
    for (const Line& l : lines) {
        ++i;
        t.append();
        auto f = [&t](const char* name) -> jadl::Field& { return t.fieldByName(QString::fromLatin1(name)); };
        f("NumerDostawcy").setInteger(l.supplier);
        if (l.day)
            f("DataZakupu").setDate(*l.day);
        f("Symbol").setString(QStringLiteral("TOWAR%1").arg(i % 97));
        f("Nazwa").setString(QStringLiteral("Towar numer %1 z dość długą nazwą, żeby strony się zapełniły").arg(i));
        f("Ilosc").setFloat(1.0 + i % 13 * 0.25);
        f("CenaNetto").setFloat(i % 50 + 0.99);
        f("WartoscNetto").setFloat(i % 50 * 2 + 0.5);
        f("VatTyp").setString(i % 2 ? QStringLiteral("23") : QStringLiteral("zw"));
        f("CzyBylaFaktura").setBoolean(i % 3 == 0);
        f("DataZakupuString").setString(l.day ? l.day->toString(QStringLiteral("d.M")) : QString());
        f("Par9").setString(i % 3 == 0 ? QStringLiteral("Tak") : QStringLiteral("Nie"));
        f("RestauracjaNumer").setInteger(1 + i % 2);
        t.post();
    }
    batch.commit();
}

// Every stored line, by Numer, with all its field values by name, read through
// a connection of its own that is closed again at once.
QMap<int, QVariantMap> storedLines(const QString& dataDir)
{
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(kTowary);
    t.open();
    QMap<int, QVariantMap> out;
    for (t.first(); !t.eof(); t.next()) {
        QVariantMap values;
        for (int c = 0; c < t.fieldCount(); ++c)
            values.insert(t.field(c).fieldName(), t.field(c).value());
        out.insert(t.fieldByName(QStringLiteral("Numer")).asInteger(), values);
    }
    return out;
}

OptDate purchaseDay(const QVariantMap& line)
{
    const QVariant v = line.value(QStringLiteral("DataZakupu"));
    return v.isNull() ? OptDate() : OptDate(v.toDate());
}

QList<OptDate> storedDays(const QString& dataDir)
{
    QList<OptDate> days;
    for (const QVariantMap& v : storedLines(dataDir))
        days << purchaseDay(v);
    return days;
}

// 200 lines of this year are left of 2000; the deleted ones leave their room
// in the file until it is packed.
void leaveRoomInTheFile(const QString& dataDir)
{
    QList<Line> lines;
    for (int i = 0; i < 2000; ++i)
        lines << Line{1, QDate(2026, 1, 1).addDays(i % 300)};
    writeLines(dataDir, lines);
    Table t;
    t.setDatabaseName(jadl::test::tablesOf(dataDir));
    t.setTableName(kTowary);
    t.open();
    Table::Batch batch(t);
    t.last();
    while (t.recordCount() > 200)
        t.deleteRecord();
    batch.commit();
}

qint64 fileSize(const QString& dataDir)
{
    return QFileInfo(dataDir + QLatin1Char('/') + kTowary).size();
}

// What the main window does before it shows the window.
TUsuwaniePrzypisanychTowarow* openWindow()
{
    TModulDanych1* dm = forms().ModulDanych1;
    Table* t = dm->TableTowary;
    if (!t->active())
        t->open();
    TUsuwaniePrzypisanychTowarow* w = forms().UsuwaniePrzypisanychTowarow;
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->setItemIndex(jadl::removal::OlderThanTwoMonths);
    jadl::test::child<QLabel>(w, "LabelWybranyRok")->hide();
    jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->hide();
    jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->setText(QString::number(t->recordCount()));
    jadl::test::child<QPushButton>(w, "UsuwamTowary")->hide();
    jadl::test::child<QLabel>(w, "LabelIleUsunalem")->hide();
    w->show();
    return w;
}

// What the status banner shows once the long work has started: the first
// repaint of the work lets a zero timer run.
struct BannerSeen {
    std::optional<QString> text;
    bool visible = false;
};

std::shared_ptr<BannerSeen> watchBanner(QPushButton* banner)
{
    auto seen = std::make_shared<BannerSeen>();
    QTimer::singleShot(0, banner, [seen, banner] {
        seen->text = banner->text();
        seen->visible = banner->isVisible();
    });
    return seen;
}

const QList<Line> kAroundTheCutOff = {
    {1, QDate(2024, 7, 1)},  {1, QDate(2025, 6, 1)},  {2, QDate(2025, 12, 31)}, {1, QDate(2026, 1, 1)},
    {2, QDate(2026, 9, 30)}, {1, QDate(2026, 10, 1)}, {2, QDate(2026, 12, 6)},  {1, std::nullopt},
};

} // namespace

class RemovalTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cutOffDay_data();
    void cutOffDay();
    void rule_data();
    void rule();
    void removesByChoice_data();
    void removesByChoice();
    void keepsRemainingLinesIntactAndShrinksTheFile();
    void fromTheMainWindowsMenu();
    void onlyTheCurrentSuppliersLinesWithTheLink();
    void answeringNoClosesWindowAndTable();
    void packsEvenWhenNothingIsRemoved_data();
    void packsEvenWhenNothingIsRemoved();
    void packOnly();
    void packRefusedWhileAnotherHoldsTheFile();
    void cancelAndExitCloseTheTable_data();
    void cancelAndExitCloseTheTable();
    void chosenYearControlsFollowTheChoice();
    void texts();
};

void RemovalTest::cutOffDay_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("cutOff");
    QTest::newRow("6 Dec 2026") << QDate(2026, 12, 6) << QDate(2026, 9, 30);
    QTest::newRow("January") << QDate(2026, 1, 10) << QDate(2025, 10, 31);
    QTest::newRow("February") << QDate(2026, 2, 28) << QDate(2025, 11, 30);
    QTest::newRow("15 Mar 2026") << QDate(2026, 3, 15) << QDate(2025, 12, 31);
    QTest::newRow("1 Apr") << QDate(2026, 4, 1) << QDate(2026, 1, 31);
    QTest::newRow("July") << QDate(2026, 7, 31) << QDate(2026, 4, 30);
    QTest::newRow("May 2028: leap") << QDate(2028, 5, 10) << QDate(2028, 2, 29);
    QTest::newRow("May 2048: leap too") << QDate(2048, 5, 10) << QDate(2048, 2, 29);
    QTest::newRow("May 2027: no leap") << QDate(2027, 5, 10) << QDate(2027, 2, 28);
    QTest::newRow("May 2100: century") << QDate(2100, 5, 1) << QDate(2100, 2, 28);
    QTest::newRow("May 2000: 400 years") << QDate(2000, 5, 1) << QDate(2000, 2, 29);
}

void RemovalTest::cutOffDay()
{
    QFETCH(QDate, today);
    QFETCH(QDate, cutOff);
    QCOMPARE(jadl::removal::cutOffDay(today), cutOff);
}

void RemovalTest::rule_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("year");
    QTest::addColumn<OptDate>("day");
    QTest::addColumn<bool>("removed");
    const OptDate none;
    QTest::newRow("previous years: last day of last year") << 0 << 2010 << OptDate(QDate(2025, 12, 31)) << true;
    QTest::newRow("previous years: new year stays") << 0 << 2010 << OptDate(QDate(2026, 1, 1)) << false;
    QTest::newRow("previous years: empty date goes") << 0 << 2010 << none << true;
    QTest::newRow("year 2024: day before") << 1 << 2024 << OptDate(QDate(2023, 12, 31)) << false;
    QTest::newRow("year 2024: first day") << 1 << 2024 << OptDate(QDate(2024, 1, 1)) << true;
    QTest::newRow("year 2024: last day") << 1 << 2024 << OptDate(QDate(2024, 12, 31)) << true;
    QTest::newRow("year 2024: day after") << 1 << 2024 << OptDate(QDate(2025, 1, 1)) << false;
    QTest::newRow("year 2024: empty date stays") << 1 << 2024 << none << false;
    QTest::newRow("current year stays") << 1 << 2026 << OptDate(QDate(2026, 2, 1)) << false;
    QTest::newRow("later year stays") << 1 << 2027 << OptDate(QDate(2027, 2, 1)) << false;
    QTest::newRow("two months: cut-off day goes") << 2 << 2010 << OptDate(QDate(2026, 9, 30)) << true;
    QTest::newRow("two months: next day stays") << 2 << 2010 << OptDate(QDate(2026, 10, 1)) << false;
    QTest::newRow("two months: empty date goes") << 2 << 2010 << none << true;
    QTest::newRow("no choice") << -1 << 2010 << OptDate(QDate(2001, 1, 1)) << false;
}

void RemovalTest::rule()
{
    QFETCH(int, choice);
    QFETCH(int, year);
    QFETCH(OptDate, day);
    QFETCH(bool, removed);
    QCOMPARE(Rule(choice, QDate(2026, 12, 6), year).removes(day), removed);
}

void RemovalTest::removesByChoice_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("year");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("banner");
    QTest::addColumn<QList<OptDate>>("kept");
    const OptDate none;
    QTest::newRow("older than two months")
        << 2 << 2010 << "USUWAMY PRZYPISANE TOWARY STARSZE NIŻ 2 MIESIĄCE"
        << "USUWAM PRZYPISANE TOWARY STARSZE NIŻ 2 MIESIĄCE" << QList<OptDate>{QDate(2026, 10, 1), QDate(2026, 12, 6)};
    QTest::newRow("previous years") << 0 << 2010 << "USUWAMY PRZYPISANE TOWARY LAT POPRZEDNICH"
                                    << "USUWAM PRZYPISANE TOWARY LAT POPRZEDNICH"
                                    << QList<OptDate>{QDate(2026, 1, 1), QDate(2026, 9, 30), QDate(2026, 10, 1),
                                                      QDate(2026, 12, 6)};
    QTest::newRow("year 2025") << 1 << 2025 << "USUWAMY PRZYPISANE TOWARY WYBRANEGO ROKU"
                               << "USUWAM PRZYPISANE TOWARY ZA WYBRANY ROK"
                               << QList<OptDate>{QDate(2024, 7, 1),  QDate(2026, 1, 1),  QDate(2026, 9, 30),
                                                 QDate(2026, 10, 1), QDate(2026, 12, 6), none};
}

void RemovalTest::removesByChoice()
{
    QFETCH(int, choice);
    QFETCH(int, year);
    QFETCH(QString, question);
    QFETCH(QString, banner);
    QFETCH(QList<OptDate>, kept);
    ProgramFixture program;
    writeLines(program.dataDir(), kAroundTheCutOff);
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QStringLiteral("8"));
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->setItemIndex(choice);
    jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->setValue(year);

    const auto watch = watchBanner(jadl::test::child<QPushButton>(w, "UsuwamTowary"));
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();

    const auto& log = program.messages().log();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log.first().kind, MessageKind::Question);
    QCOMPARE(log.first().text, question);
    QCOMPARE(log.first().caption, QStringLiteral("WYBIERZ"));
    QCOMPARE(watch->text, std::optional<QString>(banner));
    QVERIFY(watch->visible);

    QList<OptDate> days = storedDays(program.dataDir());
    std::sort(days.begin(), days.end(), [](const OptDate& a, const OptDate& b) {
        return a.value_or(QDate(9999, 1, 1)) < b.value_or(QDate(9999, 1, 1));
    });
    QCOMPARE(days, kept);
    const int removed = int(kAroundTheCutOff.size() - kept.size());
    QCOMPARE(w->removedCount(), removed);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelIleUsunalem")->text(),
             QStringLiteral("Usunąłem następująca ilość zapisów przypisanych towarów : %1").arg(removed));
    QVERIFY(jadl::test::child<QLabel>(w, "LabelIleUsunalem")->isVisible());
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QString::number(kept.size()));
    QVERIFY(!jadl::test::child<QPushButton>(w, "UsuwamTowary")->isVisible());
    QVERIFY(!jadl::test::child<QPushButton>(w, "Anuluj")->isVisible());
    QVERIFY(jadl::test::child<QPushButton>(w, "Zamknij")->isVisible());
    // Packed and open again for everybody.
    Table* t = forms().ModulDanych1->TableTowary;
    QVERIFY(t->active());
    QVERIFY(!t->exclusive());
    QCOMPARE(t->recordCount(), int(kept.size()));
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
    QVERIFY(!t->active());
}

void RemovalTest::keepsRemainingLinesIntactAndShrinksTheFile()
{
    ProgramFixture program;
    // Three years of lines, most of them before October 2026.
    QList<Line> lines;
    for (int i = 0; i < 3000; ++i)
        lines << Line{1 + i % 5, QDate(2024, 1, 1).addDays(i * 1070 / 3000)};
    writeLines(program.dataDir(), lines);
    QMap<int, QVariantMap> before = storedLines(program.dataDir());
    QCOMPARE(before.size(), 3000);
    const qint64 sizeBefore = fileSize(program.dataDir());

    TUsuwaniePrzypisanychTowarow* w = openWindow();
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();
    QCOMPARE(program.messages().log().size(), 1);

    QMap<int, QVariantMap> expected;
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (purchaseDay(it.value()) >= QDate(2026, 10, 1))
            expected.insert(it.key(), it.value());
    QVERIFY(expected.size() > 50);
    QVERIFY(expected.size() < 400);
    const QMap<int, QVariantMap> after = storedLines(program.dataDir());
    QCOMPARE(after.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(after.value(it.key()), it.value());
    QCOMPARE(w->removedCount(), 3000 - int(expected.size()));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QString::number(expected.size()));
    if (!jadl::test::onServer()) // a server's VACUUM keeps its files' size
        QVERIFY2(fileSize(program.dataDir()) < sizeBefore / 3,
                 qPrintable(QStringLiteral("%1 -> %2").arg(sizeBefore).arg(fileSize(program.dataDir()))));
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
}

void RemovalTest::fromTheMainWindowsMenu()
{
    ProgramFixture program;
    writeLines(program.dataDir(), kAroundTheCutOff);
    struct Seen {
        QString year, count;
        bool shown = false;
        bool tableOpen = false;
        QString done;
    } seen;
    jadl::test::whenModalShown([&](QWidget* modal) {
        auto* w = qobject_cast<TUsuwaniePrzypisanychTowarow*>(modal);
        if (!w)
            return;
        seen.shown = true;
        seen.year = jadl::test::child<QLabel>(w, "LabelAktualnyRok")->text();
        seen.count = jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text();
        jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->item(jadl::removal::AllPreviousYears)->click();
        program.messages().answerNext(true);
        jadl::test::child<QPushButton>(w, "Usuwanie")->click();
        seen.tableOpen = forms().ModulDanych1->TableTowary->active();
        seen.done = jadl::test::child<QLabel>(w, "LabelIleUsunalem")->text();
        jadl::test::child<QPushButton>(w, "Zamknij")->click();
    });
    jadl::test::child<QAction>(forms().Meni, "Usuwanietowarwzlatpoprzednich")->trigger();
    QVERIFY(seen.shown);
    QCOMPARE(seen.year, QStringLiteral(" Aktualny rok 2026"));
    QCOMPARE(seen.count, QStringLiteral("8"));
    QVERIFY(seen.tableOpen);
    QCOMPARE(seen.done, QStringLiteral("Usunąłem następująca ilość zapisów przypisanych towarów : 4"));
    QCOMPARE(program.messages().texts(), QStringList{QStringLiteral("USUWAMY PRZYPISANE TOWARY LAT POPRZEDNICH")});
    QCOMPARE(storedLines(program.dataDir()).size(), 4);
    QVERIFY(!forms().ModulDanych1->TableTowary->active());
}

void RemovalTest::onlyTheCurrentSuppliersLinesWithTheLink()
{
    ProgramFixture program;
    TModulDanych1* dm = forms().ModulDanych1;
    const int a = jadl::test::addSupplier(*dm, QStringLiteral("A"), QStringLiteral("DOSTAWCA A"));
    const int b = jadl::test::addSupplier(*dm, QStringLiteral("B"), QStringLiteral("DOSTAWCA B"));
    writeLines(program.dataDir(),
               {{a, QDate(2025, 1, 5)},
                {a, QDate(2026, 11, 5)},
                {a, QDate(2024, 3, 1)},
                {b, QDate(2025, 1, 5)},
                {b, QDate(2026, 11, 5)}});
    dm->TableDostawcy->locate(QStringLiteral("Numer"), a);
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QStringLiteral("3"));
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();

    QCOMPARE(w->removedCount(), 2);
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QStringLiteral("1"));
    QMap<int, int> perSupplier;
    for (const QVariantMap& v : storedLines(program.dataDir()))
        ++perSupplier[v.value(QStringLiteral("NumerDostawcy")).toInt()];
    QCOMPARE(perSupplier.value(a), 1);
    QCOMPARE(perSupplier.value(b), 2);
    // Still linked to the supplier after the pack.
    QCOMPARE(dm->TableTowary->recordCount(), 1);
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
}

void RemovalTest::answeringNoClosesWindowAndTable()
{
    ProgramFixture program;
    writeLines(program.dataDir(), kAroundTheCutOff);
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    program.messages().answerNext(false);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();
    QCOMPARE(program.messages().texts(),
             QStringList{QStringLiteral("USUWAMY PRZYPISANE TOWARY STARSZE NIŻ 2 MIESIĄCE")});
    QVERIFY(!w->isVisible());
    QVERIFY(!forms().ModulDanych1->TableTowary->active());
    QCOMPARE(storedLines(program.dataDir()).size(), kAroundTheCutOff.size());
}

void RemovalTest::packsEvenWhenNothingIsRemoved_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("questions");
    QTest::newRow("the current year") << int(jadl::removal::ChosenYear)
                                      << QStringList{QStringLiteral("USUWAMY PRZYPISANE TOWARY WYBRANEGO ROKU")};
    QTest::newRow("nothing chosen") << -1 << QStringList{};
}

void RemovalTest::packsEvenWhenNothingIsRemoved()
{
    QFETCH(int, choice);
    QFETCH(QStringList, questions);
    ProgramFixture program;
    leaveRoomInTheFile(program.dataDir());
    const QMap<int, QVariantMap> before = storedLines(program.dataDir());
    const qint64 sizeBefore = fileSize(program.dataDir());
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->setItemIndex(choice);
    QCOMPARE(jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->itemIndex(), choice);
    jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->setValue(2026);
    program.messages().setDefaultAnswer(true);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();

    QCOMPARE(program.messages().texts(), questions);
    QCOMPARE(w->removedCount(), 0);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelIleUsunalem")->text(),
             QStringLiteral("Usunąłem następująca ilość zapisów przypisanych towarów : 0"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->text(), QStringLiteral("200"));
    QCOMPARE(storedLines(program.dataDir()), before);
    QVERIFY(jadl::test::onServer() || fileSize(program.dataDir()) < sizeBefore / 3);
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
}

void RemovalTest::packOnly()
{
    ProgramFixture program;
    leaveRoomInTheFile(program.dataDir());
    const QMap<int, QVariantMap> before = storedLines(program.dataDir());
    const qint64 sizeBefore = fileSize(program.dataDir());
    TUsuwaniePrzypisanychTowarow* w = openWindow();

    program.messages().answerNext(false);
    jadl::test::child<QPushButton>(w, "PakowanieTablicy")->click();
    QCOMPARE(fileSize(program.dataDir()), sizeBefore);
    QVERIFY(w->isVisible());
    QVERIFY(jadl::test::child<QPushButton>(w, "Anuluj")->isVisible());
    QVERIFY(!jadl::test::child<QPushButton>(w, "UsuwamTowary")->isVisible());
    QVERIFY(forms().ModulDanych1->TableTowary->active());

    const auto watch = watchBanner(jadl::test::child<QPushButton>(w, "UsuwamTowary"));
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "PakowanieTablicy")->click();
    QCOMPARE(program.messages().texts(),
             (QStringList{QStringLiteral("PAKUJEMY TABLICĘ"), QStringLiteral("PAKUJEMY TABLICĘ")}));
    QCOMPARE(program.messages().log().last().caption, QStringLiteral("WYBIERZ"));
    QCOMPARE(watch->text, std::optional<QString>(QStringLiteral("PROSZĘ CZEKAĆ PAKUJĘ TABELĘ Z OBROTAMI")));
    QVERIFY(jadl::test::onServer() || fileSize(program.dataDir()) < sizeBefore / 3);
    QCOMPARE(storedLines(program.dataDir()), before);
    QVERIFY(!jadl::test::child<QPushButton>(w, "UsuwamTowary")->isVisible());
    QVERIFY(jadl::test::child<QPushButton>(w, "UsuwamTowary")->text().isEmpty());
    QVERIFY(!jadl::test::child<QPushButton>(w, "Anuluj")->isVisible());
    QVERIFY(jadl::test::child<QPushButton>(w, "Zamknij")->isVisible());
    QVERIFY(!jadl::test::child<QLabel>(w, "LabelIleUsunalem")->isVisible());
    Table* t = forms().ModulDanych1->TableTowary;
    QVERIFY(t->active());
    QVERIFY(!t->exclusive());
    QCOMPARE(t->recordCount(), 200);
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
}

void RemovalTest::packRefusedWhileAnotherHoldsTheFile()
{
    ProgramFixture program;
    writeLines(program.dataDir(), kAroundTheCutOff);
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    const QByteArray bytesBefore = [&] {
        QFile f(program.dataDir() + QLatin1Char('/') + kTowary);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    {
        Table other;
        other.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
        other.setTableName(kTowary);
        other.setExclusive(true);
        other.open();
        program.messages().answerNext(true);
        jadl::test::child<QPushButton>(w, "PakowanieTablicy")->click();
    }
    const auto& log = program.messages().log();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(1).kind, MessageKind::Error);
    // The file, or on a server the table, is named.
    const QString named = jadl::test::onServer() ? QStringLiteral("Towary") : kTowary;
    QVERIFY2(log.at(1).text.contains(named, Qt::CaseInsensitive), qPrintable(log.at(1).text));
    Table* t = forms().ModulDanych1->TableTowary;
    QVERIFY(!t->active());
    QVERIFY(!t->exclusive());
    if (!jadl::test::onServer()) {
        QFile f(program.dataDir() + QLatin1Char('/') + kTowary);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytesBefore);
    }
    // Once the other user is gone the same window packs.
    t->open();
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "PakowanieTablicy")->click();
    QCOMPARE(program.messages().log().size(), 3);
    QVERIFY(t->active());
    QCOMPARE(t->recordCount(), kAroundTheCutOff.size());
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
}

void RemovalTest::cancelAndExitCloseTheTable_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Anuluj") << "Anuluj";
    QTest::newRow("Wyjście") << "Zamknij";
    QTest::newRow("Escape") << "Escape";
}

void RemovalTest::cancelAndExitCloseTheTable()
{
    QFETCH(QString, how);
    ProgramFixture program;
    writeLines(program.dataDir(), kAroundTheCutOff);
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    if (how == QLatin1String("Escape"))
        QTest::keyClick(w, Qt::Key_Escape);
    else
        w->findChild<QPushButton*>(how)->click();
    QVERIFY(!w->isVisible());
    QVERIFY(!forms().ModulDanych1->TableTowary->active());
    QVERIFY(program.messages().log().isEmpty());
    QCOMPARE(storedLines(program.dataDir()).size(), kAroundTheCutOff.size());

    if (how != QLatin1String("Escape"))
        return;
    // After a removal the cancel button is gone, and so is its key.
    w = openWindow();
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->setItemIndex(jadl::removal::ChosenYear);
    jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->setValue(2026);
    program.messages().answerNext(true);
    jadl::test::child<QPushButton>(w, "Usuwanie")->click();
    QCOMPARE(w->removedCount(), 0);
    QCOMPARE(storedLines(program.dataDir()).size(), kAroundTheCutOff.size());
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QVERIFY(forms().ModulDanych1->TableTowary->active());
    jadl::test::child<QPushButton>(w, "Zamknij")->click();
    QVERIFY(!w->isVisible());
}

void RemovalTest::chosenYearControlsFollowTheChoice()
{
    ProgramFixture program;
    TUsuwaniePrzypisanychTowarow* w = openWindow();
    QVERIFY(!jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->isVisible());
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->item(1)->click();
    QCOMPARE(jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->itemIndex(), 1);
    QVERIFY(jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->isVisible());
    QVERIFY(jadl::test::child<QLabel>(w, "LabelWybranyRok")->isVisible());
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->item(0)->click();
    QVERIFY(!jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->isVisible());
    QVERIFY(!jadl::test::child<QLabel>(w, "LabelWybranyRok")->isVisible());
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->item(1)->click();
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->item(2)->click();
    QVERIFY(!jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->isVisible());
    w->hide();
}

void RemovalTest::texts()
{
    ProgramFixture program;
    TUsuwaniePrzypisanychTowarow* w = forms().UsuwaniePrzypisanychTowarow;
    QCOMPARE(w->objectName(), QStringLiteral("UsuwaniePrzypisanychTowarow"));
    QCOMPARE(w->windowTitle(), QStringLiteral("USUWANIE PRZYPISANYCH TOWARÓW ZA LATA POPRZEDNIE"));
    QCOMPARE(
        jadl::test::child<QPlainTextEdit>(w, "Memo1")->toPlainText().split(QLatin1Char('\n')),
        (QStringList{
            QStringLiteral(
                "Usuwam przypisane towary starsze niz 2 miesiące(Zostawiam aktualny miesiąc i dwa poprzednie). "),
            QStringLiteral(
                "Mogę też usunąć obroty za wybrany rok lub lata poprzednie.  Aby to zrobić należy wcisnąć przycisk "),
            QStringLiteral("\"Usuń\". Jeżeli rezygnujesz wciśnij klawisz \"Anuluj\". Tablicę po usunięciu rekordów "
                           "jest pakowana. "),
            QStringLiteral("Tablicę można też pakować jeżeli usuwano wcześniej rekordy. "),
            QStringLiteral("(Pakowanie jest operacją zmniejszającą rozmiar tablicy o usunięte rekordy)."), QString()}));
    QCOMPARE(jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->title(),
             QStringLiteral("Usuwamy towary za:"));
    QCOMPARE(jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->items(),
             (QStringList{QStringLiteral("wszystkie lata poprzednie"), QStringLiteral("za wybrany rok"),
                          QStringLiteral("okres starszy niż 2 miesiące")}));
    QCOMPARE(jadl::test::child<jadl::RadioGroup>(w, "RadioGroupUsunTowary")->itemIndex(), 2);
    QCOMPARE(jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->minValue(), 2010);
    QCOMPARE(jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->maxValue(), 2099);
    QCOMPARE(jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok")->value(), 2010);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelWybranyRok")->buddy(),
             jadl::test::child<jadl::SpinEdit>(w, "SpinEditWybranyRok"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditIloscRekordow")->accessibleName(),
             QStringLiteral("Ilość wszystkich przypisanych towarów:"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditNajstarszyRok")->accessibleName(),
             QStringLiteral("Najstarszy rok przypisanych towarów:"));
    QCOMPARE(jadl::test::child<QPushButton>(w, "UsuwamTowary")->text(), QStringLiteral("Usuwam przypisane Towary"));
    QVERIFY(jadl::test::child<QPushButton>(w, "UsuwamTowary")->isHidden());
    QVERIFY(jadl::test::child<QLabel>(w, "LabelIleUsunalem")->isHidden());
    QCOMPARE(jadl::test::child<QPushButton>(w, "PakowanieTablicy")->text(), QStringLiteral("&Pakuj tab"));
    QCOMPARE(jadl::test::child<QPushButton>(w, "Usuwanie")->text(), QStringLiteral("&Usuń"));
    QCOMPARE(jadl::test::child<QPushButton>(w, "Anuluj")->text(), QStringLiteral("&Anuluj"));
    QCOMPARE(jadl::test::child<QPushButton>(w, "Zamknij")->text(), QStringLiteral("&Wyjście"));
}

QTEST_MAIN(RemovalTest)
#include "tst_usuwanie.moc"
