#include "purchases/UsuwaniePrzypisanych_Towarow.h"

#include "common/Months.h"
#include "common/Progress.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "controls/PendingEdits.h"
#include "controls/ServerRole.h"
#include "controls/SpinEdit.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "store/EngineError.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <optional>

using jadl::Table;

namespace jadl::removal {

QDate cutOffDay(const QDate& today)
{
    const QDate threeMonthsBack = today.addMonths(-3);
    return lastDayOfMonth(threeMonthsBack.year(), threeMonthsBack.month());
}

Rule::Rule(int choice, const QDate& today, int chosenYear)
{
    const QDate beforeThisYear = QDate(today.year(), 1, 1).addDays(-1);
    switch (choice) {
    case AllPreviousYears:
        to_ = beforeThisYear;
        break;
    case ChosenYear:
        // The current year and later ones are never removed.
        from_ = QDate(chosenYear, 1, 1);
        to_ = std::min(QDate(chosenYear, 12, 31), beforeThisYear);
        break;
    case OlderThanTwoMonths:
        to_ = cutOffDay(today);
        break;
    default:
        break; // no choice removes nothing
    }
}

bool Rule::removes(const std::optional<QDate>& purchaseDate) const
{
    if (!to_.isValid())
        return false;
    // An empty date was day zero of the old date-time numbers.
    const QDate day = purchaseDate && purchaseDate->isValid() ? *purchaseDate : QDate(1899, 12, 30);
    if (from_.isValid() && day < from_)
        return false;
    return day <= to_;
}

} // namespace jadl::removal

namespace {

using jadl::removal::Choice;

const std::array<QString, 3> kQuestions = {
    QStringLiteral("USUWAMY PRZYPISANE TOWARY LAT POPRZEDNICH"),
    QStringLiteral("USUWAMY PRZYPISANE TOWARY WYBRANEGO ROKU"),
    QStringLiteral("USUWAMY PRZYPISANE TOWARY STARSZE NIŻ 2 MIESIĄCE"),
};

const std::array<QString, 3> kBanners = {
    QStringLiteral("USUWAM PRZYPISANE TOWARY LAT POPRZEDNICH"),
    QStringLiteral("USUWAM PRZYPISANE TOWARY ZA WYBRANY ROK"),
    QStringLiteral("USUWAM PRZYPISANE TOWARY STARSZE NIŻ 2 MIESIĄCE"),
};

// Repaints (with input kept queued, so the work is never started again from a
// click) at once: the work's own few steps are each worth showing.
void paintNow()
{
    jadl::ProgressPacer().keepAliveNow();
}

} // namespace

TUsuwaniePrzypisanychTowarow::TUsuwaniePrzypisanychTowarow(TModulDanych1* dm, QWidget* parent)
    : QDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("UsuwaniePrzypisanychTowarow"),
                   QStringLiteral("USUWANIE PRZYPISANYCH TOWARÓW ZA LATA POPRZEDNIE"), 640, 480);

    buildControls();
    wireHandlers();
    RadioGroupUsunTowary->setItemIndex(Choice::OlderThanTwoMonths);
    RadioGroupUsunTowaryClick();
}

void TUsuwaniePrzypisanychTowarow::buildControls()
{
    LabelAktualnyRok = jadl::makeLabel(this, "LabelAktualnyRok", QStringLiteral("Aktualny rok"));
    QFont big = LabelAktualnyRok->font();
    big.setBold(true);
    if (big.pointSizeF() > 0)
        big.setPointSizeF(big.pointSizeF() * 1.2);
    LabelAktualnyRok->setFont(big);
    LabelInformacja_Uwaga = jadl::makeLabel(
        this, "LabelInformacja_Uwaga",
        QStringLiteral("Pamiętaj o zrobieniu kopii przed usunięciem obrotów lat poprzednich."));
    QFont bold = LabelInformacja_Uwaga->font();
    bold.setBold(true);
    LabelInformacja_Uwaga->setFont(bold);
    LabelInformacja_Uwaga->setStyleSheet(QStringLiteral("color: #b00000"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QStringList{
        QStringLiteral(
            "Usuwam przypisane towary starsze niz 2 miesiące(Zostawiam aktualny miesiąc i dwa poprzednie). "),
        QStringLiteral(
            "Mogę też usunąć obroty za wybrany rok lub lata poprzednie.  Aby to zrobić należy wcisnąć przycisk "),
        QStringLiteral(
            "\"Usuń\". Jeżeli rezygnujesz wciśnij klawisz \"Anuluj\". Tablicę po usunięciu rekordów jest pakowana. "),
        QStringLiteral("Tablicę można też pakować jeżeli usuwano wcześniej rekordy. "),
        QStringLiteral("(Pakowanie jest operacją zmniejszającą rozmiar tablicy o usunięte rekordy)."),
        QString(),
    }
                            .join(QLatin1Char('\n')));
    jadl::describe(Memo1, QStringLiteral("Opis usuwania przypisanych towarów"));

    RadioGroupUsunTowary = new jadl::RadioGroup(QStringLiteral("Usuwamy towary za:"),
                                                {QStringLiteral("wszystkie lata poprzednie"),
                                                 QStringLiteral("za wybrany rok"),
                                                 QStringLiteral("okres starszy niż 2 miesiące")},
                                                1, this);
    RadioGroupUsunTowary->setObjectName(QStringLiteral("RadioGroupUsunTowary"));

    LabelWybranyRok = jadl::makeLabel(this, "LabelWybranyRok", QStringLiteral("Wybrany rok do usunięcia:"));
    SpinEditWybranyRok = new jadl::SpinEdit(this);
    SpinEditWybranyRok->setObjectName(QStringLiteral("SpinEditWybranyRok"));
    SpinEditWybranyRok->setMinValue(2010);
    SpinEditWybranyRok->setMaxValue(2099);
    SpinEditWybranyRok->setValue(2010);
    jadl::labelFor(LabelWybranyRok, SpinEditWybranyRok);

    LabelIloscWszystkichRekordow = jadl::makeLabel(this, "LabelIloscWszystkichRekordow",
                                                   QStringLiteral("Ilość wszystkich przypisanych towarów:"));
    EditIloscRekordow = jadl::makeLineEdit(this, "EditIloscRekordow", LabelIloscWszystkichRekordow);
    LabelNajstarszyRokZapisow = jadl::makeLabel(this, "LabelNajstarszyRokZapisow",
                                                QStringLiteral("Najstarszy rok przypisanych towarów:"));
    EditNajstarszyRok = jadl::makeLineEdit(this, "EditNajstarszyRok", LabelNajstarszyRokZapisow);
    // Both are filled by the main window for reading only.
    EditIloscRekordow->setReadOnly(true);
    EditNajstarszyRok->setReadOnly(true);

    UsuwamTowary = jadl::makeButton(this, "UsuwamTowary", QStringLiteral("Usuwam przypisane Towary"));
    UsuwamTowary->setFont(bold);
    UsuwamTowary->setFocusPolicy(Qt::NoFocus);
    UsuwamTowary->setMinimumHeight(36);
    UsuwamTowary->hide();
    ProgressBarUsuwanie = new QProgressBar(this);
    ProgressBarUsuwanie->setObjectName(QStringLiteral("ProgressBarUsuwanie"));
    jadl::describe(ProgressBarUsuwanie, QStringLiteral("Postęp"));
    ProgressBarUsuwanie->hide();
    LabelIleUsunalem = jadl::makeLabel(this, "LabelIleUsunalem", QStringLiteral("LabelIleUsunalem"));
    LabelIleUsunalem->setFont(bold);
    LabelIleUsunalem->hide();

    PakowanieTablicy = jadl::makeButton(this, "PakowanieTablicy", QStringLiteral("&Pakuj tab"), {},
                                        QStyle::SP_DriveHDIcon);
    Usuwanie = jadl::makeButton(this, "Usuwanie", QStringLiteral("&Usuń"), {}, QStyle::SP_TrashIcon);
    Anuluj = jadl::makeButton(this, "Anuluj", QStringLiteral("&Anuluj"), {}, QStyle::SP_DialogCancelButton);
    Zamknij = jadl::makeButton(this, "Zamknij", QStringLiteral("&Wyjście"), {}, QStyle::SP_DialogCloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelAktualnyRok);
    layout->addWidget(LabelInformacja_Uwaga);
    layout->addWidget(Memo1, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(RadioGroupUsunTowary);
    auto* fields = new QGridLayout;
    fields->addWidget(LabelWybranyRok, 0, 0);
    fields->addWidget(SpinEditWybranyRok, 0, 1);
    fields->addWidget(LabelIloscWszystkichRekordow, 1, 0);
    fields->addWidget(EditIloscRekordow, 1, 1);
    fields->addWidget(LabelNajstarszyRokZapisow, 2, 0);
    fields->addWidget(EditNajstarszyRok, 2, 1);
    fields->setRowStretch(3, 1);
    middle->addLayout(fields, 1);
    layout->addLayout(middle);
    layout->addWidget(UsuwamTowary);
    layout->addWidget(ProgressBarUsuwanie);
    layout->addWidget(LabelIleUsunalem);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {PakowanieTablicy, Usuwanie, Anuluj, Zamknij})
        buttons->addWidget(b);
    layout->addLayout(buttons);
}

void TUsuwaniePrzypisanychTowarow::wireHandlers()
{
    connect(RadioGroupUsunTowary, &jadl::RadioGroup::itemChosen, this,
            jadl::guardedSlot(this, &TUsuwaniePrzypisanychTowarow::RadioGroupUsunTowaryClick));
    connect(Usuwanie, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TUsuwaniePrzypisanychTowarow::UsuwanieClick));
    connect(PakowanieTablicy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TUsuwaniePrzypisanychTowarow::PakowanieTablicyClick));
    connect(Anuluj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TUsuwaniePrzypisanychTowarow::AnulujClick));
    connect(Zamknij, &QPushButton::clicked, this, jadl::guardedSlot(this, &TUsuwaniePrzypisanychTowarow::ZamknijClick));
}

void TUsuwaniePrzypisanychTowarow::prepareForShow()
{
    jadl::Table& lines = *dm_->TableTowary;
    RadioGroupUsunTowary->setItemIndex(2);
    LabelWybranyRok->hide();
    SpinEditWybranyRok->hide();
    LabelAktualnyRok->setText(QStringLiteral(" Aktualny rok ") + QString::number(jadl::platform::today().year()));
    // Count and first record of the view as the last window left it.
    EditIloscRekordow->setText(QString::number(lines.recordCount()));
    lines.first();
    EditNajstarszyRok->setText(oldestYearText(lines));
    UsuwamTowary->hide();
    LabelIleUsunalem->hide();
}

QString TUsuwaniePrzypisanychTowarow::oldestYearText(jadl::Table& lines)
{
    // No line (or no date on it): no year rather than the empty date's 1899.
    if (lines.isEmpty())
        return QString();
    const std::optional<QDate> day = lines.fieldByName(QStringLiteral("DataZakupu")).optDate();
    return day && day->isValid() ? QString::number(day->year()) : QString();
}

void TUsuwaniePrzypisanychTowarow::RadioGroupUsunTowaryClick()
{
    const bool chosenYear = RadioGroupUsunTowary->itemIndex() == Choice::ChosenYear;
    LabelWybranyRok->setVisible(chosenYear);
    SpinEditWybranyRok->setVisible(chosenYear);
}

void TUsuwaniePrzypisanychTowarow::showBanner(const QString& text)
{
    UsuwamTowary->setText(text);
    UsuwamTowary->show();
    UsuwamTowary->repaint();
    paintNow();
}

void TUsuwaniePrzypisanychTowarow::showProgress(int value, int maximum)
{
    if (ProgressBarUsuwanie->maximum() != maximum)
        ProgressBarUsuwanie->setRange(0, maximum);
    ProgressBarUsuwanie->setValue(value);
    ProgressBarUsuwanie->show();
    paintNow();
}

void TUsuwaniePrzypisanychTowarow::UsuwanieClick()
{
    if (busy_)
        return;
    Table& table = *dm_->TableTowary;
    // The removal and the packing close the purchase lines under every window.
    if (!jadl::settlePendingEdits({&table}))
        return;
    if (!jadl::headOfficeWork(dm_->Database1->location(), QStringLiteral("Usuwanie zakupów z poprzednich lat")))
        return;
    const int choice = RadioGroupUsunTowary->itemIndex();
    int count = 0;
    if (choice >= 0 && choice < int(kQuestions.size())) {
        if (!jadl::platform::askYesNo(kQuestions[size_t(choice)], QStringLiteral("WYBIERZ"))) {
            closeTableAndWindow();
            return;
        }
        LabelIleUsunalem->hide();
        const jadl::removal::Rule rule(choice, jadl::platform::today(), SpinEditWybranyRok->value());
        showBanner(kBanners[size_t(choice)]);
        count = removeLines(table, rule);
    }
    removedCount_ = count;
    EditIloscRekordow->setText(QString::number(table.recordCount()));
    packPurchaseLines();
    UsuwamTowary->hide();
    Anuluj->hide();
    Zamknij->show();
    LabelIleUsunalem->setText(QStringLiteral("Usunąłem następująca ilość zapisów przypisanych towarów : ") +
                              QString::number(count));
    LabelIleUsunalem->show();
}

int TUsuwaniePrzypisanychTowarow::removeLines(Table& table, const jadl::removal::Rule& rule)
{
    // The busy flag and the progress bar are cleared however the work ends.
    const QScopedValueRollback busy(busy_, true);
    const auto hideBar = qScopeGuard([this] { ProgressBarUsuwanie->hide(); });
    const jadl::ControlsDisabled quiet(table);
    jadl::ProgressPacer pacer(100);
    const int lines = table.recordCount();
    showProgress(0, lines);
    // One transaction: a failure part-way leaves every line where it was. The
    // decision rests on each line's own date.
    const int removed = table.removeFromView(
        QStringLiteral("DataZakupu"),
        [&rule](const QVariant& v) {
            return rule.removes(v.isNull() ? std::nullopt : std::optional<QDate>(v.toDate()));
        },
        [&](int done, int total) {
            // The writing reports each of its few steps: paint them all.
            if (pacer.paintDue() || done > lines || done == total)
                showProgress(done, total);
        });
    table.first();
    return removed;
}

void TUsuwaniePrzypisanychTowarow::packPurchaseLines()
{
    Table& table = *dm_->TableTowary;
    // The busy flag and the progress bar are cleared however the work ends.
    const QScopedValueRollback busy(busy_, true);
    const auto hideBar = qScopeGuard([this] { ProgressBarUsuwanie->hide(); });
    // Compaction gives no progress: a running bar says the program is at work.
    ProgressBarUsuwanie->setRange(0, 0);
    ProgressBarUsuwanie->show();
    paintNow();

    table.close();
    table.setExclusive(true);
    try {
        table.open();
        if (!table.active())
            throw jadl::EngineError(QStringLiteral("Tabela do pakowania musi być otwarta"), table.filePath());
        if (!table.exclusive())
            throw jadl::EngineError(QStringLiteral("Tabela do pakowania musi być ustawiona jako Exclusive"),
                                    table.filePath());
        table.pack();
        table.close();
    } catch (...) {
        // Nobody else may be locked out afterwards: the table stays closed, shared.
        table.close();
        table.setExclusive(false);
        throw;
    }
    table.setExclusive(false);
    table.open();
}

void TUsuwaniePrzypisanychTowarow::PakowanieTablicyClick()
{
    if (busy_)
        return;
    if (!jadl::settlePendingEdits({dm_->TableTowary}))
        return;
    if (!jadl::platform::askYesNo(QStringLiteral("PAKUJEMY TABLICĘ"), QStringLiteral("WYBIERZ")))
        return;
    showBanner(QStringLiteral("PROSZĘ CZEKAĆ PAKUJĘ TABELĘ Z OBROTAMI"));
    packPurchaseLines();
    UsuwamTowary->setText(QString());
    UsuwamTowary->hide();
    Anuluj->hide();
    Zamknij->show();
}

void TUsuwaniePrzypisanychTowarow::closeTableAndWindow()
{
    Table* table = dm_ ? dm_->TableTowary : nullptr;
    if (table && table->active())
        table->close();
    QDialog::reject();
}

void TUsuwaniePrzypisanychTowarow::AnulujClick()
{
    if (!busy_)
        closeTableAndWindow();
}

void TUsuwaniePrzypisanychTowarow::ZamknijClick()
{
    if (!busy_)
        closeTableAndWindow();
}

void TUsuwaniePrzypisanychTowarow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape is the cancel button's key, and only while that button is there.
        if (Anuluj->isVisible() && Anuluj->isEnabled())
            Anuluj->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TUsuwaniePrzypisanychTowarow::reject()
{
    if (!busy_)
        closeTableAndWindow();
}

void TUsuwaniePrzypisanychTowarow::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
