// The supplier goods window: periods, supplier mode, totals and corrections, driven
// as a user would on a program with a fixed "today".
#include "common/Formats.h"
#include "common/Money.h"
#include "controls/DBComboBox.h"
#include "controls/DBEdit.h"
#include "controls/DBGrid.h"
#include "controls/DatePicker.h"
#include "controls/MonthCalendar.h"
#include "purchases/TowaryJadl.h"
#include "shell/Forms.h"
#include "store/Modul_Danych1.h"
#include "store/SharedValues.h"
#include "store/Table.h"
#include "support/core/TestServer.h"
#include "support/core/TestSupport.h"
#include "support/gui/GuiSupport.h"
#include "support/gui/ProgramFixture.h"
#include "support/gui/SeedData.h"
#include "support/gui/WindowDriving.h"
#include "support/gui/WindowOpening.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>

using jadl::forms;
using jadl::Period;
using jadl::Table;
using jadl::test::ProgramFixture;

namespace {

const QDate kToday(2026, 12, 6);

using Line = jadl::test::PurchaseLine;

TTowary* openWindow(TModulDanych1& dm)
{
    return jadl::test::openSupplierGoodsWindow(dm);
}

// (supplier, day) of every line the lower grid shows, sorted.
QList<QPair<int, QDate>> shown(Table& lines)
{
    QList<QPair<int, QDate>> out;
    const int fs = lines.fieldIndex(QStringLiteral("NumerDostawcy"));
    const int fd = lines.fieldIndex(QStringLiteral("DataZakupu"));
    for (int r = 0; r < lines.recordCount(); ++r)
        out.append({lines.valueAt(r, fs).toInt(), lines.valueAt(r, fd).toDate()});
    std::sort(out.begin(), out.end());
    return out;
}

void chooseMonth(TTowary* w, const QString& text)
{
    jadl::test::child<QComboBox>(w, "ComboBoxMiesiace")->lineEdit()->clear();
    jadl::test::typeKeys(jadl::test::child<QComboBox>(w, "ComboBoxMiesiace")->lineEdit(), text);
}

double stored(Table& suppliers, int numer, const char* field)
{
    const int fn = suppliers.fieldIndex(QStringLiteral("Numer"));
    const int ff = suppliers.fieldIndex(QString::fromLatin1(field));
    for (int r = 0; r < suppliers.recordCount(); ++r)
        if (suppliers.valueAt(r, fn).toInt() == numer)
            return suppliers.valueAt(r, ff).toDouble();
    return -1.0;
}

} // namespace

class TowaryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodTable_data();
    void periodTable();
    void chosenMonth_data();
    void chosenMonth();
    void sumText_data();
    void sumText();
    void choiceShowsItsPeriod_data();
    void choiceShowsItsPeriod();
    void reversedRangeShowsNothing();
    void unmatchedMonthGivesThisMonthToToday();
    void noChoiceShowsZero();
    void sumsAreShownAndStored();
    void everySupplierSumsEqualTheWalk();
    void correctionRecomputesAndKeepsDates();
    void recomputeCurrentLine();
    void sumOfSelectedGood();
    void titleClickOrdersAndSearch();
    void closeButtonClosesTables();
    void wheelMovesOneLine();
    void vatFollowsTheDesignation();
    void samePeriodPickedAgainRereads();
    void typedDateIsTakenWhenComplete();
    void invoiceColumnReadsTakNie();
};

// ---- the period table, for fixed days

void TowaryTest::periodTable_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    const QDate d(2026, 12, 6);
    QTest::newRow("0 calendar") << d << 0 << QDate(2026, 3, 9) << QDate(2026, 3, 9);
    QTest::newRow("1 today") << d << 1 << d << d;
    QTest::newRow("2 yesterday over a year") << QDate(2026, 1, 1) << 2 << QDate(2025, 12, 31) << QDate(2025, 12, 31);
    QTest::newRow("3 December") << d << 3 << QDate(2026, 12, 1) << QDate(2026, 12, 31);
    QTest::newRow("3 Feb 2024 leap") << QDate(2024, 2, 10) << 3 << QDate(2024, 2, 1) << QDate(2024, 2, 29);
    QTest::newRow("3 Feb 2080 leap") << QDate(2080, 2, 10) << 3 << QDate(2080, 2, 1) << QDate(2080, 2, 29);
    QTest::newRow("3 Feb 2100 no leap") << QDate(2100, 2, 10) << 3 << QDate(2100, 2, 1) << QDate(2100, 2, 28);
    QTest::newRow("3 Feb 2000 leap") << QDate(2000, 2, 3) << 3 << QDate(2000, 2, 1) << QDate(2000, 2, 29);
    QTest::newRow("4 March 2008 leap") << QDate(2008, 3, 31) << 4 << QDate(2008, 2, 1) << QDate(2008, 2, 29);
    QTest::newRow("4 March 2026") << QDate(2026, 3, 31) << 4 << QDate(2026, 2, 1) << QDate(2026, 2, 28);
    QTest::newRow("4 January") << QDate(2026, 1, 15) << 4 << QDate(2025, 12, 1) << QDate(2025, 12, 31);
    QTest::newRow("4 from a 31st") << QDate(2026, 5, 31) << 4 << QDate(2026, 4, 1) << QDate(2026, 4, 30);
    QTest::newRow("5 Q1") << QDate(2026, 3, 31) << 5 << QDate(2026, 1, 1) << QDate(2026, 3, 31);
    QTest::newRow("5 Q3") << QDate(2026, 8, 1) << 5 << QDate(2026, 7, 1) << QDate(2026, 9, 30);
    QTest::newRow("6 in Q1") << QDate(2026, 2, 14) << 6 << QDate(2025, 10, 1) << QDate(2025, 12, 31);
    QTest::newRow("6 in Q3") << QDate(2026, 9, 30) << 6 << QDate(2026, 4, 1) << QDate(2026, 6, 30);
    QTest::newRow("6 in Q4") << d << 6 << QDate(2026, 7, 1) << QDate(2026, 9, 30);
    QTest::newRow("7 this year") << d << 7 << QDate(2026, 1, 1) << QDate(2026, 12, 31);
    QTest::newRow("8 last year") << d << 8 << QDate(2025, 1, 1) << QDate(2025, 12, 31);
}

void TowaryTest::periodTable()
{
    QFETCH(QDate, today);
    QFETCH(int, choice);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    const auto p = jadl::periodOf(jadl::PeriodChoice(choice), today, QDate(2026, 3, 9));
    QVERIFY(p);
    QCOMPARE(p->start, start);
    QCOMPARE(p->end, end);
}

void TowaryTest::chosenMonth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::newRow("kwiecień with its blank") << "kwiecień " << kToday << QDate(2026, 4, 1) << QDate(2026, 4, 30);
    QTest::newRow("kwiecień without") << "kwiecień" << kToday << QDate(2026, 12, 1) << kToday;
    QTest::newRow("case matters") << "Maj" << kToday << QDate(2026, 12, 1) << kToday;
    QTest::newRow("luty of a leap year") << "luty" << QDate(2028, 7, 1) << QDate(2028, 2, 1) << QDate(2028, 2, 29);
    QTest::newRow("luty 2100") << "luty" << QDate(2100, 7, 1) << QDate(2100, 2, 1) << QDate(2100, 2, 28);
    QTest::newRow("grudzień") << "grudzień" << kToday << QDate(2026, 12, 1) << QDate(2026, 12, 31);
    QTest::newRow("prompt text") << "Wybierz m-c" << QDate(2026, 3, 2) << QDate(2026, 3, 1) << QDate(2026, 3, 2);
}

void TowaryTest::chosenMonth()
{
    QFETCH(QString, text);
    QFETCH(QDate, today);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    const QStringList items = {QStringLiteral("styczeń"),     QStringLiteral("luty"),     QStringLiteral("marzec"),
                               QStringLiteral("kwiecień "),   QStringLiteral("maj"),      QStringLiteral("czerwiec"),
                               QStringLiteral("lipiec"),      QStringLiteral("sierpień"), QStringLiteral("wrzesień"),
                               QStringLiteral("pazdziernik"), QStringLiteral("listopad"), QStringLiteral("grudzień")};
    const Period p = jadl::chosenMonth(text, items, today);
    QCOMPARE(p.start, start);
    QCOMPARE(p.end, end);
}

void TowaryTest::sumText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("thousands") << 1234.5 << "1 234,50";
    QTest::newRow("zero") << 0.0 << "0,00";
    QTest::newRow("negative") << -1234.5 << "-1 234,50";
    QTest::newRow("8 digits kept") << 12345678.0 << "12 345 678,00";
    QTest::newRow("every digit to the grosz") << 1234567.891 << "1 234 567,89";
    QTest::newRow("beyond 8 integer digits") << 352216121.27 << "352 216 121,27";
    QTest::newRow("small") << 0.005 << "0,01";
}

void TowaryTest::sumText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(TTowary::sumText(value), text);
}

// ---- each choice in the window, one supplier and all suppliers

void TowaryTest::choiceShowsItsPeriod_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QDate>("start"); // invalid: every line
    QTest::addColumn<QDate>("end");
    QTest::newRow("0 calendar day") << 0 << QDate(2026, 11, 15) << QDate(2026, 11, 15);
    QTest::newRow("1 today") << 1 << kToday << kToday;
    QTest::newRow("2 yesterday") << 2 << QDate(2026, 12, 5) << QDate(2026, 12, 5);
    QTest::newRow("3 this month") << 3 << QDate(2026, 12, 1) << QDate(2026, 12, 31);
    QTest::newRow("4 last month") << 4 << QDate(2026, 11, 1) << QDate(2026, 11, 30);
    QTest::newRow("5 this quarter") << 5 << QDate(2026, 10, 1) << QDate(2026, 12, 31);
    QTest::newRow("6 last quarter") << 6 << QDate(2026, 7, 1) << QDate(2026, 9, 30);
    QTest::newRow("7 this year") << 7 << QDate(2026, 1, 1) << QDate(2026, 12, 31);
    QTest::newRow("8 last year") << 8 << QDate(2025, 1, 1) << QDate(2025, 12, 31);
    QTest::newRow("9 kwiecień ") << 9 << QDate(2026, 4, 1) << QDate(2026, 4, 30);
    QTest::newRow("10 chosen range") << 10 << QDate(2026, 3, 1) << QDate(2026, 3, 15);
    QTest::newRow("11 everything") << 11 << QDate() << QDate();
}

void TowaryTest::choiceShowsItsPeriod()
{
    QFETCH(int, choice);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int b = jadl::test::addSupplier(dm, QStringLiteral("B"), QStringLiteral("B"));
    // Both ends, and the days just outside them, for both suppliers; plus far days.
    const QDate s = start.isValid() ? start : QDate(2026, 6, 1);
    const QDate e = end.isValid() ? end : QDate(2026, 6, 1);
    QList<QDate> days = {s.addDays(-1), s, e, e.addDays(1), QDate(2019, 5, 5), QDate(2031, 1, 1)};
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    QList<Line> lines;
    for (int supplier : {a, b})
        for (const QDate& d : days) {
            const double net = 10.01 * (lines.size() + 1) + supplier;
            lines.append({supplier, d, net, jadl::roundedMoney(net * 0.23), jadl::roundedMoney(net * 1.23)});
        }
    jadl::test::addPurchaseLines(program.dataDir(), lines);

    TTowary* w = openWindow(dm);
    // What the three sums must read: plain SQL over the same period, one supplier or all.
    auto checkSums = [&](bool all, int forChoice) {
        QString sql = QStringLiteral("SELECT COALESCE(SUM(WartoscNetto), 0), COALESCE(SUM(WartoscVat), 0), "
                                     "COALESCE(SUM(WartoscBrutto), 0) FROM Towary WHERE 1 = 1");
        if (!all)
            sql += QStringLiteral(" AND NumerDostawcy = %1").arg(a);
        if (forChoice != 11 && start.isValid())
            sql += QStringLiteral(" AND DataZakupu BETWEEN '%1' AND '%2'")
                       .arg(start.toString(Qt::ISODate), end.toString(Qt::ISODate));
        const QStringList sums = jadl::test::rawQuery(program.dataDir() + QStringLiteral("/Towary.DB"), sql).value(0);
        QCOMPARE(sums.size(), 3);
        QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(),
                 TTowary::sumText(jadl::roundedMoney(sums.at(0).toDouble())));
        QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaVat")->text(),
                 TTowary::sumText(jadl::roundedMoney(sums.at(1).toDouble())));
        QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaBrutto")->text(),
                 TTowary::sumText(jadl::roundedMoney(sums.at(2).toDouble())));
    };
    jadl::test::child<jadl::MonthCalendar>(w, "Calendar1")->setDate(QDate(2026, 11, 15));
    if (choice == 10) {
        jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz")->setDate(start);
        jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataKon")->setDate(end);
    }
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(choice);
    if (choice == 9)
        chooseMonth(w, QStringLiteral("kwiecień "));

    auto expected = [&](bool all) {
        QList<QPair<int, QDate>> out;
        for (const Line& l : lines)
            if ((all || l.supplier == a) && (!start.isValid() || (start <= l.day && l.day <= end)))
                out.append({l.supplier, l.day});
        std::sort(out.begin(), out.end());
        return out;
    };
    dm.TableDostawcy->locate(QStringLiteral("Numer"), a);
    QCOMPARE(shown(*dm.TableTowary), expected(false));
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(),
             QStringLiteral("Liczba zapisów: %1").arg(expected(false).size()));
    checkSums(false, choice);

    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    QCOMPARE(dm.TableTowary->masterSource(), nullptr);
    QCOMPARE(dm.TableTowary->indexName(), QStringLiteral("SymbolInd"));
    QCOMPARE(shown(*dm.TableTowary), expected(true));
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelPodsumowanie")->text(),
             QStringLiteral("PODSUMOWANIE DLA WSZYSTKICH DOSTAWCÓW"));
    checkSums(true, choice);
    // The period can change in this mode too, and back: the sums and the count follow.
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(11);
    QCOMPARE(dm.TableTowary->recordCount(), int(lines.size()));
    checkSums(true, 11);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(),
             QStringLiteral("Liczba zapisów: %1").arg(lines.size()));
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(choice);
    if (choice == 9)
        chooseMonth(w, QStringLiteral("kwiecień "));
    QCOMPARE(shown(*dm.TableTowary), expected(true));
    checkSums(true, choice);

    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(0)->click();
    QCOMPARE(dm.TableTowary->masterSource(), dm.DataSourceDostawcy);
    QCOMPARE(shown(*dm.TableTowary), expected(false));
    checkSums(false, choice);
    QVERIFY(program.messages().log().isEmpty());
}

void TowaryTest::reversedRangeShowsNothing()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{a, QDate(2026, 3, 1)}, {a, QDate(2026, 3, 10)}, {a, QDate(2026, 3, 20)}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(10);
    QVERIFY(jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz")->isVisible());
    QVERIFY(jadl::test::child<QLabel>(w, "LabelZnak")->isVisible());
    QVERIFY(!jadl::test::child<jadl::MonthCalendar>(w, "Calendar1")->isEnabled());
    jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz")->setDate(QDate(2026, 3, 1));
    jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataKon")->setDate(QDate(2026, 3, 10));
    QCOMPARE(dm.TableTowary->recordCount(), 2);
    jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz")->setDate(QDate(2026, 3, 11));
    QCOMPARE(dm.TableTowary->recordCount(), 0);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 0"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaBrutto")->text(), QStringLiteral("0,00"));
}

void TowaryTest::unmatchedMonthGivesThisMonthToToday()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{a, QDate(2026, 11, 30)},
                                  {a, QDate(2026, 12, 1)},
                                  {a, kToday},
                                  {a, QDate(2026, 12, 7)},
                                  {a, QDate(2026, 4, 2)}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(3);
    // Choosing "Wybrany Miesiąc" changes no date: the month's lines stay.
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(9);
    QVERIFY(jadl::test::child<QComboBox>(w, "ComboBoxMiesiace")->isVisible());
    QCOMPARE(jadl::shared().periodEnd, QDate(2026, 12, 31));
    QCOMPARE(dm.TableTowary->recordCount(), 3);
    chooseMonth(w, QStringLiteral("kwiecień"));
    QCOMPARE(jadl::shared().periodStart, QDate(2026, 12, 1));
    QCOMPARE(jadl::shared().periodEnd, kToday);
    QCOMPARE(shown(*dm.TableTowary), (QList<QPair<int, QDate>>{{a, QDate(2026, 12, 1)}, {a, kToday}}));
    chooseMonth(w, QStringLiteral("kwiecień "));
    QCOMPARE(shown(*dm.TableTowary), (QList<QPair<int, QDate>>{{a, QDate(2026, 4, 2)}}));
}

void TowaryTest::noChoiceShowsZero()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday}, {a, kToday}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 2"));
    // Typing a text that is no item leaves no choice: nothing else changes.
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->lineEdit()->clear();
    jadl::test::typeKeys(jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->lineEdit(),
                         QStringLiteral("Bieżący"));
    QVERIFY(!w->periodChoice());
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 0"));
    QCOMPARE(jadl::shared().periodStart, kToday);
    // Typing an item's exact text chooses it.
    jadl::test::typeKeys(jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->lineEdit(), QStringLiteral(" dzień"));
    QCOMPARE(w->periodChoice(), std::optional<jadl::PeriodChoice>(jadl::PeriodChoice::Today));
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 2"));
}

// ---- totals

void TowaryTest::sumsAreShownAndStored()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int b = jadl::test::addSupplier(dm, QStringLiteral("B"), QStringLiteral("B"));
    const int empty = jadl::test::addSupplier(dm, QStringLiteral("C"), QStringLiteral("C"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{a, kToday, 1000.0, 230.0, 1230.0},
                                  {a, kToday, 234.5, 53.935, 288.435},
                                  {a, QDate(2026, 11, 30), 99.0, 1.0, 100.0},
                                  {b, kToday, 10.0, 2.3, 12.3}});
    TTowary* w = openWindow(dm);
    dm.TableDostawcy->locate(QStringLiteral("Numer"), a);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(3);
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("1 234,50"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaVat")->text(), QStringLiteral("283,94"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaBrutto")->text(), QStringLiteral("1 518,44"));
    QCOMPARE(stored(*dm.TableDostawcy, a, "WartoscNettoSuma"), 1234.5);
    QCOMPARE(stored(*dm.TableDostawcy, a, "WartoscVatSuma"), 283.94);
    QCOMPARE(stored(*dm.TableDostawcy, a, "WartoscBruttoSuma"), 1518.44);

    // Another supplier by the keyboard: its own sums, stored; one without lines stores 0.
    dm.TableDostawcy->locate(QStringLiteral("Numer"), b);
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaBrutto")->text(), QStringLiteral("12,30"));
    QCOMPARE(stored(*dm.TableDostawcy, b, "WartoscBruttoSuma"), 12.3);
    dm.TableDostawcy->locate(QStringLiteral("Numer"), empty);
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("0,00"));
    QCOMPARE(stored(*dm.TableDostawcy, empty, "WartoscNettoSuma"), 0.0);
    QVERIFY(!dm.TableDostawcy->fieldByName(QStringLiteral("WartoscBruttoSuma")).isNull());
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 0"));

    // All suppliers: the sums of every line shown, nothing stored.
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("1 244,50"));
    QCOMPARE(stored(*dm.TableDostawcy, empty, "WartoscNettoSuma"), 0.0);

    // Stored sums are on disk, as another program reads them.
    Table disk;
    disk.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
    disk.setTableName(QStringLiteral("Dostawcy.db"));
    disk.open();
    QCOMPARE(stored(disk, a, "WartoscBruttoSuma"), 1518.44);
}

void TowaryTest::everySupplierSumsEqualTheWalk()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    QList<int> suppliers;
    for (int i = 0; i < 12; ++i)
        suppliers << jadl::test::addSupplier(dm, QStringLiteral("D%1").arg(i, 2, 10, QLatin1Char('0')),
                                             QStringLiteral("D"));
    // Values whose sums depend on the order of addition, over two months.
    QRandomGenerator rng(20261206);
    QList<Line> lines;
    const QStringList symbols = {QStringLiteral("ZZ"), QStringLiteral("AA"), QStringLiteral("MM"), QStringLiteral("KK"),
                                 QStringLiteral("BB")};
    for (int i = 0; i < 700; ++i) {
        const int supplier = suppliers[int(rng.bounded(11))]; // the last supplier buys nothing
        const QDate day = QDate(2026, 11, 1).addDays(int(rng.bounded(36)));
        const double net = rng.bounded(100000) / 997.0;
        lines.append({supplier, day, net, net * 0.23 + 1e-9 * i, net * 1.23 / 3.0, symbols[i % symbols.size()]});
    }
    jadl::test::addPurchaseLines(program.dataDir(), lines);

    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(4);
    // Lines in the order of the symbol column, which differs from the order they were written in.
    w->DBGrid1TitleClick(QStringLiteral("Nazwa skrócona (symbol tow.)"));
    QCOMPARE(dm.TableTowary->indexName(), QStringLiteral("NrDostawcySymbolInd"));
    w->OdswierzanieTablicyDostawcowClick();

    // What the refresh stored, read without moving the suppliers.
    Table& sup = *dm.TableDostawcy;
    Table& tow = *dm.TableTowary;
    QHash<int, QList<double>> sums;
    for (int r = 0; r < sup.recordCount(); ++r)
        sums.insert(sup.valueAt(r, 0).toInt(),
                    {sup.valueAt(r, sup.fieldIndex(QStringLiteral("WartoscNettoSuma"))).toDouble(),
                     sup.valueAt(r, sup.fieldIndex(QStringLiteral("WartoscVatSuma"))).toDouble(),
                     sup.valueAt(r, sup.fieldIndex(QStringLiteral("WartoscBruttoSuma"))).toDouble()});
    QCOMPARE(sums.size(), 12);
    // The straightforward walk: every supplier in turn, its lines as the link shows them.
    const int fNet = tow.fieldIndex(QStringLiteral("WartoscNetto"));
    const int fVat = tow.fieldIndex(QStringLiteral("WartoscVat"));
    const int fGross = tow.fieldIndex(QStringLiteral("WartoscBrutto"));
    int withLines = 0;
    for (sup.first(); !sup.eof(); sup.next()) {
        double net = 0, vat = 0, gross = 0;
        for (int r = 0; r < tow.recordCount(); ++r) {
            net += tow.valueAt(r, fNet).toDouble();
            gross += tow.valueAt(r, fGross).toDouble();
            vat += tow.valueAt(r, fVat).toDouble();
        }
        withLines += tow.recordCount() > 0 ? 1 : 0;
        const QString who = sup.fieldByName(QStringLiteral("Symbol")).asString();
        const QList<double> got = sums.value(sup.fieldByName(QStringLiteral("Numer")).asInteger());
        QCOMPARE(got.size(), 3);
        QVERIFY2(got[0] == jadl::roundedMoney(net), qPrintable(who));
        QVERIFY2(got[1] == jadl::roundedMoney(vat), qPrintable(who));
        QVERIFY2(got[2] == jadl::roundedMoney(gross), qPrintable(who));
    }
    QCOMPARE(withLines, 11);
    QVERIFY(sums.value(suppliers.last()).value(2, -1.0) == 0.0);
    // The link is as it was.
    QCOMPARE(tow.masterSource(), dm.DataSourceDostawcy);
    QCOMPARE(tow.indexName(), QStringLiteral("NrDostawcySymbolInd"));
}

// ---- corrections

void TowaryTest::correctionRecomputesAndKeepsDates()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    const int group = jadl::test::addGroup(dm, QStringLiteral("NABIAŁ"));
    const int mleko1 = jadl::test::addGood(dm, group,
                                           {QStringLiteral("MLEKO"), QStringLiteral("MLEKO"), 2.0, {}, {}, {}});
    jadl::test::addGood(dm, group, {QStringLiteral("MLEKO"), QStringLiteral("MLEKO 2"), 2.0, {}, {}, {}});
    const int ser = jadl::test::addGood(dm, group, {QStringLiteral("SER"), QStringLiteral("SER"), 2.0, {}, {}, {}});
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{a, QDate(2026, 12, 1), 0, 0, 0, QStringLiteral("MLEKO")},
                                  {a, QDate(2026, 12, 2), 0, 0, 0, QStringLiteral("SER")},
                                  {a, QDate(2026, 12, 3), 0, 0, 0, QStringLiteral("MLEKO")},
                                  {a, QDate(2026, 11, 30), 5, 5, 5, QStringLiteral("MLEKO")}});
    // Prices, quantities and rates of the lines, and one line already linked elsewhere.
    {
        Table t;
        t.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
        t.setTableName(QStringLiteral("Towary.DB"));
        t.open();
        struct V {
            double net, gross, vat, qty, discount, ref;
            std::optional<int> good;
        };
        const V values[4] = {{10.005, 12.31, 0.23, 1.0, 0.0, 11.0, std::nullopt},
                             {3.99, 4.27, 0.07, 2.5, 0.1, 3.99, std::nullopt},
                             {2.0, 2.46, 0.23, 3.0, 0.0, 1.5, ser},
                             {1.0, 1.0, 0.0, 1.0, 0.0, 1.0, std::nullopt}};
        int i = 0;
        for (t.first(); !t.eof(); t.next(), ++i) {
            t.edit();
            t.fieldByName(QStringLiteral("CenaNetto")).setFloat(values[i].net);
            t.fieldByName(QStringLiteral("CenaBrutto")).setFloat(values[i].gross);
            t.fieldByName(QStringLiteral("Vat")).setFloat(values[i].vat);
            t.fieldByName(QStringLiteral("Ilosc")).setFloat(values[i].qty);
            t.fieldByName(QStringLiteral("UpustProc")).setFloat(values[i].discount);
            t.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(values[i].ref);
            if (values[i].good)
                t.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(*values[i].good);
            t.post();
        }
    }
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(3);
    QCOMPARE(dm.TableTowary->recordCount(), 3);
    jadl::test::child<QPushButton>(w, "BitBtnPoprawVat_Brutto")->click();
    QVERIFY2(program.messages().log().isEmpty(), qPrintable(program.messages().texts().join(u'|')));

    Table t;
    t.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
    t.setTableName(QStringLiteral("Towary.DB"));
    t.open();
    auto f = [&t](const char* name) -> jadl::Field& { return t.fieldByName(QString::fromLatin1(name)); };
    t.first();
    // Net rounded first, VAT from the rounded net, gross from the stored gross price.
    QCOMPARE(f("DataZakupu").asDate(), QDate(2026, 12, 1));
    QCOMPARE(f("DataZakupuString").asString(), jadl::formatDayMonth(QDate(2026, 12, 1)));
    QCOMPARE(f("WartoscNetto").asFloat(), 10.01);
    QCOMPARE(f("WartoscVat").asFloat(), 2.3);
    QCOMPARE(f("WartoscBrutto").asFloat(), 12.31);
    QCOMPARE(f("JakaCenaRef").asString(), QStringLiteral("+"));
    QCOMPARE(f("NumerPodstawowy").asInteger(), mleko1);
    QCOMPARE(f("CenaBrutto").asFloat(), 12.31);
    t.next();
    QCOMPARE(f("DataZakupu").asDate(), QDate(2026, 12, 2));
    QCOMPARE(f("WartoscNetto").asFloat(), 9.98);
    QCOMPARE(f("WartoscVat").asFloat(), 0.7);
    QVERIFY(f("WartoscBrutto").asFloat() == jadl::roundedMoney(4.27 * 0.9 * 2.5));
    QCOMPARE(f("JakaCenaRef").asString(), QStringLiteral("0"));
    QCOMPARE(f("NumerPodstawowy").asInteger(), ser);
    t.next();
    // Already linked to another good: the link stays.
    QCOMPARE(f("NumerPodstawowy").asInteger(), ser);
    QCOMPARE(f("WartoscNetto").asFloat(), 6.0);
    QCOMPARE(f("JakaCenaRef").asString(), QStringLiteral("-"));
    t.next();
    // Outside the period: untouched.
    QCOMPARE(f("WartoscNetto").asFloat(), 5.0);
    QVERIFY(f("JakaCenaRef").isNull());
    QVERIFY(f("NumerPodstawowy").isNull());
    // The catalogue is linked to its groups again.
    QCOMPARE(dm.TableTowaryPodstawowe->masterSource(), dm.DataSourceGrupyTowarow);
    QCOMPARE(dm.TableTowaryPodstawowe->indexName(), QStringLiteral("NrGrupySymbolInd"));
}

void TowaryTest::recomputeCurrentLine()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday}, {a, kToday}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("CenaNetto")).setFloat(10.005);
    t.fieldByName(QStringLiteral("Vat")).setFloat(0.23);
    t.fieldByName(QStringLiteral("Ilosc")).setFloat(1.0);
    t.fieldByName(QStringLiteral("UpustProc")).setFloat(0.5);
    t.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(20.0);
    t.post();
    jadl::test::child<QPushButton>(w, "BitBtnPrzeliczPowtornie")->click();
    QVERIFY(t.fieldByName(QStringLiteral("CenaBrutto")).asFloat() == 10.005 * (1.0 + 0.23));
    QCOMPARE(t.fieldByName(QStringLiteral("WartoscNetto")).asFloat(), 10.01);
    QCOMPARE(t.fieldByName(QStringLiteral("WartoscVat")).asFloat(), 2.3);
    QVERIFY(t.fieldByName(QStringLiteral("WartoscBrutto")).asFloat() == jadl::roundedMoney((10.01 + 2.3) * 0.5));
    t.next();
    // The other line is not touched.
    QCOMPARE(t.fieldByName(QStringLiteral("WartoscNetto")).asFloat(), 1.0);

    // Reference-price signal of the current line.
    t.edit();
    t.fieldByName(QStringLiteral("CenaNetto")).setFloat(4.0);
    t.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(4.0);
    t.post();
    QCOMPARE(jadl::test::child<jadl::DBEdit>(w, "DBEditCenaReferencyjna")->palette().color(QPalette::Text),
             QColor(Qt::black));
    t.edit();
    t.fieldByName(QStringLiteral("CenaReferencyjna")).setFloat(3.0);
    t.post();
    QCOMPARE(jadl::test::child<jadl::DBEdit>(w, "DBEditCenaReferencyjna")->palette().color(QPalette::Text),
             QColor(Qt::red));
    t.first();
    QCOMPARE(jadl::test::child<jadl::DBEdit>(w, "DBEditCenaReferencyjna")->palette().color(QPalette::Text),
             QColor(0, 128, 0));
}

void TowaryTest::sumOfSelectedGood()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{a, kToday, 1.1, 0.2, 1.3},
                                  {a, kToday, 2.2, 0.4, 2.6},
                                  {a, kToday, 7, 7, 7},
                                  {a, QDate(2026, 1, 1), 50, 50, 50}});
    {
        Table t;
        t.setDatabaseName(jadl::test::tablesOf(program.dataDir()));
        t.setTableName(QStringLiteral("Towary.DB"));
        t.open();
        const std::optional<int> goods[4] = {5, 5, std::nullopt, 5};
        int i = 0;
        for (t.first(); !t.eof(); t.next(), ++i) {
            t.edit();
            if (goods[i])
                t.fieldByName(QStringLiteral("NumerPodstawowy")).setInteger(*goods[i]);
            t.fieldByName(QStringLiteral("Ilosc")).setFloat(1.5);
            t.post();
        }
    }
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    t.setRecNo(2);
    jadl::test::child<QPushButton>(w, "SumujZaznaczonyTowar")->click();
    QCOMPARE(jadl::test::child<QTableWidget>(w, "StringGrid1")->item(0, 1)->text(),
             QStringLiteral("Nazwa skrócona(symbol)"));
    QStringList row;
    for (int c = 0; c < 6; ++c)
        row << jadl::test::child<QTableWidget>(w, "StringGrid1")->item(1, c)->text();
    QCOMPARE(row,
             (QStringList{QStringLiteral("5"), QStringLiteral("MLEKO"), QStringLiteral("3"),
                          jadl::formatGeneral(1.1 + 2.2), QStringLiteral("0,6"), QStringLiteral("3,9")}));
    QCOMPARE(t.recNo(), 2);

    // A line without a basic good: an error, and the grid keeps its values.
    t.setRecNo(3);
    QVERIFY(t.fieldByName(QStringLiteral("NumerPodstawowy")).isNull());
    jadl::test::child<QPushButton>(w, "SumujZaznaczonyTowar")->click();
    QCOMPARE(program.messages().log().size(), 1);
    QCOMPARE(program.messages().log().first().kind, jadl::platform::MessageKind::Error);
    QCOMPARE(jadl::test::child<QTableWidget>(w, "StringGrid1")->item(1, 0)->text(), QStringLiteral("5"));
}

// ---- orders, search, closing

void TowaryTest::titleClickOrdersAndSearch()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("ALFA"), QStringLiteral("A"));
    const int b = jadl::test::addSupplier(dm, QStringLiteral("BETA"), QStringLiteral("B"));
    jadl::test::addPurchaseLines(program.dataDir(),
                                 {{b, kToday, 1, 1, 1, QStringLiteral("SER")},
                                  {a, kToday, 2, 2, 2, QStringLiteral("WODA")},
                                  {a, kToday, 3, 3, 3, QStringLiteral("CHLEB")}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    auto symbols = [&t] {
        QStringList out;
        for (int r = 0; r < t.recordCount(); ++r)
            out << t.valueAt(r, t.fieldIndex(QStringLiteral("Symbol"))).toString();
        return out;
    };
    w->DBGrid1TitleClick(QStringLiteral("Nazwa skrócona (symbol tow.)"));
    QCOMPARE(symbols(), (QStringList{QStringLiteral("CHLEB"), QStringLiteral("WODA")}));
    w->DBGrid1TitleClick(QStringLiteral("Cena Net.")); // no order of its own: nothing changes
    QCOMPARE(t.indexName(), QStringLiteral("NrDostawcySymbolInd"));
    w->DBGrid1TitleClick(QStringLiteral("Nr"));
    QCOMPARE(t.indexName(), QStringLiteral("NumerDostawcyInd"));
    QCOMPARE(symbols(), (QStringList{QStringLiteral("WODA"), QStringLiteral("CHLEB")}));

    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    QCOMPARE(symbols(), (QStringList{QStringLiteral("CHLEB"), QStringLiteral("SER"), QStringLiteral("WODA")}));
    w->DBGrid1TitleClick(QStringLiteral("Nr"));
    QCOMPARE(t.masterSource(), nullptr);
    QCOMPARE(symbols(), (QStringList{QStringLiteral("WODA"), QStringLiteral("CHLEB"), QStringLiteral("SER")}));

    // Search: a prefix of the symbol, case-sensitive; no match keeps the supplier.
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(0)->click();
    jadl::test::child<QLineEdit>(w, "EditSzukajDostawcyTowarow")->setText(QStringLiteral("BE"));
    jadl::test::child<QPushButton>(w, "BitBtnSzukaj")->click();
    QCOMPARE(dm.TableDostawcy->fieldByName(QStringLiteral("Numer")).asInteger(), b);
    QCOMPARE(symbols(), (QStringList{QStringLiteral("SER")}));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("1,00"));
    jadl::test::child<QLineEdit>(w, "EditSzukajDostawcyTowarow")->setText(QStringLiteral("alfa"));
    jadl::test::child<QPushButton>(w, "BitBtnSzukaj")->click();
    QCOMPARE(dm.TableDostawcy->fieldByName(QStringLiteral("Numer")).asInteger(), b);
}

void TowaryTest::closeButtonClosesTables()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(0);
    QVERIFY(w->isVisible());
    jadl::test::child<QPushButton>(w, "BitBtnZamknij")->click();
    QVERIFY(!w->isVisible());
    for (Table* t : {dm.TableDostawcy, dm.TableTowary, dm.TableGrupyTowarow, dm.TableWlasciciel, dm.TableParametry})
        QVERIFY2(!t->active(), qPrintable(t->objectName()));
    QVERIFY(program.messages().log().isEmpty());
}

void TowaryTest::wheelMovesOneLine()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday}, {a, kToday}, {a, kToday}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    t.first();
    jadl::test::child<jadl::DBGrid>(w, "DBGrid1")->setFocus();
    auto wheel = [w](int deltaY) {
        QWidget* port = jadl::test::child<jadl::DBGrid>(w, "DBGrid1")->viewport();
        const QPointF pos(5, 5);
        QWheelEvent e(pos, port->mapToGlobal(pos), QPoint(), QPoint(0, deltaY), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(port, &e);
    };
    // Installed by the window for the whole program: one notch, one line.
    wheel(-120);
    QCOMPARE(t.recNo(), 2);
    wheel(-120);
    QCOMPARE(t.recNo(), 3);
    wheel(120);
    QCOMPARE(t.recNo(), 2);
}

void TowaryTest::vatFollowsTheDesignation()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday, 100.0, 5.0, 105.0}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("VatTyp")).setString(QStringLiteral("5"));
    t.fieldByName(QStringLiteral("CenaNetto")).setFloat(100.0);
    t.fieldByName(QStringLiteral("Ilosc")).setFloat(1.0);
    t.fieldByName(QStringLiteral("UpustProc")).setFloat(0.0);
    t.post();
    QCOMPARE(t.fieldByName(QStringLiteral("Vat")).asFloat(), 0.05);
    // The user corrects the designation in the window's combo box and recomputes.
    const auto pick = [w](const QString& text) {
        const int i = jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->findText(text);
        jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->setCurrentIndex(i);
        Q_EMIT jadl::test::child<jadl::DBComboBox>(w, "DBComboBoxVatTyp")->activated(i);
    };
    pick(QStringLiteral("8"));
    QCOMPARE(t.fieldByName(QStringLiteral("Vat")).asFloat(), 0.08);
    jadl::test::child<QPushButton>(w, "BitBtnPrzeliczPowtornie")->click();
    QCOMPARE(t.fieldByName(QStringLiteral("WartoscVat")).asFloat(), 8.0);
    QCOMPARE(t.fieldByName(QStringLiteral("WartoscBrutto")).asFloat(), 108.0);
    // A designation that is not a number carries no VAT.
    pick(QStringLiteral("zw"));
    QCOMPARE(t.fieldByName(QStringLiteral("Vat")).asFloat(), 0.0);
}

void TowaryTest::samePeriodPickedAgainRereads()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday}});
    TTowary* w = openWindow(dm);
    jadl::test::child<jadl::RadioGroup>(w, "RadioGroupDlaDostawcow")->buttons()->button(1)->click();
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 1"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("1,00"));
    // Another workstation or window records a line meanwhile; the same pick from the list re-reads.
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday, 2.5, 0.5, 3.0}});
    QCoreApplication::processEvents();
    Q_EMIT jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->activated(1);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 2"));
    QCOMPARE(jadl::test::child<QLineEdit>(w, "EditSumaNetto")->text(), QStringLiteral("3,50"));
}

void TowaryTest::typedDateIsTakenWhenComplete()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, QDate(2026, 3, 5)}, {a, QDate(2026, 3, 20)}});
    TTowary* w = openWindow(dm);
    QVERIFY(QTest::qWaitForWindowActive(w));
    jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz")->setDate(QDate(2026, 3, 1));
    jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataKon")->setDate(QDate(2026, 3, 31));
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(10);
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 2"));
    // Typing the day of the start date: nothing is re-read at each keystroke...
    QDateEdit* start = jadl::test::child<jadl::DatePicker>(w, "DateTimePickerDataPocz");
    start->setFocus();
    start->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(start, QStringLiteral("1"));
    QTest::keyClicks(start, QStringLiteral("0"));
    QCOMPARE(start->date(), QDate(2026, 3, 10));
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 2"));
    QCOMPARE(jadl::shared().periodStart, QDate(2026, 3, 1));
    // ...but once the date is complete and confirmed.
    QTest::keyClick(start, Qt::Key_Return);
    QCOMPARE(jadl::shared().periodStart, QDate(2026, 3, 10));
    QCOMPARE(jadl::test::child<QLabel>(w, "LabelLiczbaRekorow")->text(), QStringLiteral("Liczba zapisów: 1"));
}

void TowaryTest::invoiceColumnReadsTakNie()
{
    ProgramFixture program(kToday);
    TModulDanych1& dm = *forms().ModulDanych1;
    const int a = jadl::test::addSupplier(dm, QStringLiteral("A"), QStringLiteral("A"));
    jadl::test::addPurchaseLines(program.dataDir(), {{a, kToday}, {a, kToday}});
    TTowary* w = openWindow(dm);
    jadl::test::child<QComboBox>(w, "ComboBoxWybierzOkres")->setCurrentIndex(1);
    Table& t = *dm.TableTowary;
    t.first();
    for (bool invoice : {true, false}) {
        t.edit();
        t.fieldByName(QStringLiteral("CzyBylaFaktura")).setBoolean(invoice);
        t.post();
        t.next();
    }
    int column = -1;
    for (int c = 0; c < jadl::test::child<jadl::DBGrid>(w, "DBGrid1")->model()->columnCount(); ++c)
        if (jadl::test::child<jadl::DBGrid>(w, "DBGrid1")->model()->headerData(c, Qt::Horizontal).toString() ==
            QLatin1String("Faktura"))
            column = c;
    QVERIFY(column >= 0);
    QStringList shownTexts;
    for (int r = 0; r < 2; ++r)
        shownTexts << jadl::test::child<jadl::DBGrid>(w, "DBGrid1")->model()->index(r, column).data().toString();
    std::sort(shownTexts.begin(), shownTexts.end());
    QCOMPARE(shownTexts, (QStringList{QStringLiteral("Nie"), QStringLiteral("Tak")}));
}

QTEST_MAIN(TowaryTest)
#include "tst_towary.moc"
