#include "purchases/PurchaseChartsWindow.h"

#include "common/Formats.h"
#include "controls/Builders.h"
#include "controls/DatePicker.h"
#include "controls/Guarded.h"
#include "controls/RadioGroup.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "reports/ReportPreview.h"
#include "reports/ReportSheetAction.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QAbstractBarSeries>
#include <QAction>
#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QXYSeries>

namespace jadl {

namespace {

using charts::ChartKind;
using charts::ScopeKind;

// The pictures saved and printed are of one size, whatever the window's.
const QSize kPictureSize(1600, 1000);

const std::array<ChartKind, PurchaseChartsWindow::kTabs> kKinds{ChartKind::Monthly, ChartKind::PriceHistory,
                                                                ChartKind::SupplierShares, ChartKind::GroupShares,
                                                                ChartKind::VatByRate};
const std::array<const char*, PurchaseChartsWindow::kTabs> kTabTitles{
    "Zakupy w miesiącach", "Historia ceny towaru", "Udział dostawców", "Udział grup", "VAT według stawek"};

PurchaseChartsWindow::ImageFileAsker& imageAsker()
{
    static PurchaseChartsWindow::ImageFileAsker asker;
    return asker;
}

QString askImageFile(QWidget* parent, const QString& suggested)
{
    if (imageAsker())
        return imageAsker()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz jako obraz"), suggested,
                                        QStringLiteral("Obraz PNG (*.png);;Obraz SVG (*.svg)"));
}

QString fileSafe(QString name)
{
    for (QChar& c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    return name;
}

QString cellText(const QVariant& v)
{
    if (v.typeId() == QMetaType::Double)
        return formatSum(v.toDouble());
    if (v.typeId() == QMetaType::QDate)
        return formatShortDate(v.toDate());
    return v.toString();
}

QComboBox* makeCombo(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    describe(combo, caption, hint);
    return combo;
}

DatePicker* makePicker(QWidget* parent, const char* name, QLabel* caption)
{
    auto* picker = new DatePicker(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDate(platform::today());
    labelFor(caption, picker);
    return picker;
}

void openIfClosed(std::initializer_list<Table*> tables)
{
    for (Table* t : tables)
        if (!t->active())
            t->open();
}

} // namespace

PurchaseChartsWindow::PurchaseChartsWindow(TModulDanych1* dm, QWidget* parent) : ExitRoutedDialog(parent), dm_(dm)
{
    initForm(this, QStringLiteral("WykresyZakupow"), QStringLiteral("WYKRESY ZAKUPÓW"), 1100, 760);
    setExitHandler([this] { close(); });
    buildControls();
    wireHandlers();
    bindDataModule();
    refresh();
}

PurchaseChartsWindow::~PurchaseChartsWindow() = default;

void PurchaseChartsWindow::setImageFileAsker(ImageFileAsker asker)
{
    imageAsker() = std::move(asker);
}

void PurchaseChartsWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QHBoxLayout;
    choices->addWidget(buildScopePanel(), 3);
    choices->addWidget(buildPeriodPanel(), 2);
    layout->addLayout(choices);
    layout->addWidget(buildTabs(), 1);
    layout->addLayout(buildButtons());
}

QWidget* PurchaseChartsWindow::buildScopePanel()
{
    Zakres = new RadioGroup(
        QStringLiteral("Zakres"),
        {QStringLiteral("Jeden dostawca"), QStringLiteral("Wszyscy dostawcy"), QStringLiteral("Jedna grupa towarów")},
        3, this);
    Zakres->setObjectName(QStringLiteral("Zakres"));
    describe(Zakres, QStringLiteral("Zakres"), QStringLiteral("Czyje zakupy pokazuje wykres"));
    Zakres->setItemIndex(1);
    auto* grid = qobject_cast<QGridLayout*>(Zakres->layout());
    QLabel* supplier = makeLabel(Zakres, "LabelDostawca", QStringLiteral("Dostawca"));
    Dostawca = makeCombo(Zakres, "Dostawca", supplier->text(), QStringLiteral("Dostawca, którego zakupy pokazać"));
    supplier->setBuddy(Dostawca);
    QLabel* group = makeLabel(Zakres, "LabelGrupa", QStringLiteral("Grupa"));
    Grupa = makeCombo(Zakres, "Grupa", group->text(), QStringLiteral("Grupa towarów, których zakupy pokazać"));
    group->setBuddy(Grupa);
    auto* row = new QGridLayout;
    row->addWidget(supplier, 0, 0);
    row->addWidget(Dostawca, 0, 1);
    row->addWidget(group, 1, 0);
    row->addWidget(Grupa, 1, 1);
    row->setColumnStretch(1, 1);
    if (grid)
        grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
    else if (auto* box = qobject_cast<QBoxLayout*>(Zakres->layout()))
        box->addLayout(row);
    return Zakres;
}

QWidget* PurchaseChartsWindow::buildPeriodPanel()
{
    auto* panel = makePanel(this, "PanelOkres");
    auto* grid = new QGridLayout(panel);
    QLabel* period = makeLabel(panel, "LabelOkres", QStringLiteral("Okres"));
    Okres = makeCombo(panel, "Okres", period->text(), QStringLiteral("Wybierz okres"));
    Okres->addItems(periodChoiceTexts());
    Okres->setCurrentIndex(listIndexOf(PeriodChoice::ThisYear));
    period->setBuddy(Okres);
    QLabel* month = makeLabel(panel, "LabelMiesiac", QStringLiteral("Miesiąc"));
    Miesiac = makeCombo(panel, "Miesiac", month->text(), QStringLiteral("Wybierz miesiąc"));
    Miesiac->addItems(monthChoiceTexts());
    Miesiac->setCurrentIndex(platform::today().month() - 1);
    month->setBuddy(Miesiac);
    LabelDzien = makeLabel(panel, "LabelDzien", QStringLiteral("Dzień"));
    Dzien = makePicker(panel, "Dzien", LabelDzien);
    LabelOd = makeLabel(panel, "LabelOd", QStringLiteral("Wybierz datę pocz."));
    DataOd = makePicker(panel, "DataOd", LabelOd);
    DataOd->setDate(QDate(platform::today().year(), 1, 1));
    LabelDo = makeLabel(panel, "LabelDo", QStringLiteral("Wybierz datę kon."));
    DataDo = makePicker(panel, "DataDo", LabelDo);
    grid->addWidget(period, 0, 0);
    grid->addWidget(Okres, 0, 1, 1, 3);
    grid->addWidget(month, 1, 0);
    grid->addWidget(Miesiac, 1, 1);
    grid->addWidget(LabelDzien, 1, 2);
    grid->addWidget(Dzien, 1, 3);
    grid->addWidget(LabelOd, 2, 0);
    grid->addWidget(DataOd, 2, 1);
    grid->addWidget(LabelDo, 2, 2);
    grid->addWidget(DataDo, 2, 3);
    return panel;
}

QWidget* PurchaseChartsWindow::buildPricePanel()
{
    auto* panel = makePanel(this, "PanelTowar");
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel* group = makeLabel(panel, "LabelGrupaTowaru", QStringLiteral("Grupa towaru"));
    GrupaTowaru = makeCombo(panel, "GrupaTowaru", group->text(), QStringLiteral("Grupa, w której szukać towaru"));
    group->setBuddy(GrupaTowaru);
    QLabel* search = makeLabel(panel, "LabelSzukajTowaru", QStringLiteral("Szukaj"));
    SzukajTowaru = makeLineEdit(panel, "SzukajTowaru", search,
                                QStringLiteral("Część nazwy lub symbolu towaru podstawowego"));
    QLabel* good = makeLabel(panel, "LabelTowar", QStringLiteral("Towar"));
    Towar = makeCombo(panel, "Towar", good->text(), QStringLiteral("Towar podstawowy, którego ceny pokazać"));
    good->setBuddy(Towar);
    Towar->setMinimumContentsLength(30);
    for (QWidget* w : std::initializer_list<QWidget*>{group, GrupaTowaru, search, SzukajTowaru, good, Towar})
        row->addWidget(w);
    row->addStretch(1);
    return panel;
}

QWidget* PurchaseChartsWindow::buildTabs()
{
    Zakladki = new QTabWidget(this);
    Zakladki->setObjectName(QStringLiteral("Zakladki"));
    describe(Zakladki, QStringLiteral("Wykresy"), QStringLiteral("Wybierz wykres"));
    for (int i = 0; i < kTabs; ++i) {
        auto* page = new QWidget(Zakladki);
        page->setObjectName(QStringLiteral("Wykres%1").arg(i + 1));
        auto* layout = new QVBoxLayout(page);
        if (kKinds[size_t(i)] == ChartKind::PriceHistory) {
            layout->addWidget(buildPricePanel());
            Najtaniej = makeLabel(page, "Najtaniej", QString());
            Najtaniej->setWordWrap(true);
            setNavyBold(Najtaniej);
            layout->addWidget(Najtaniej);
        }
        stacks_[size_t(i)] = new QStackedWidget(page);
        auto* view = new QChartView(stacks_[size_t(i)]);
        view->setObjectName(QStringLiteral("WidokWykresu%1").arg(i + 1));
        view->setRenderHint(QPainter::Antialiasing);
        describe(view, QString::fromUtf8(kTabTitles[size_t(i)]),
                 QStringLiteral("Wykres; jego liczby pokazuje przycisk Tabela"));
        views_[size_t(i)] = view;
        auto* table = new QTableWidget(stacks_[size_t(i)]);
        table->setObjectName(QStringLiteral("Tabela%1").arg(i + 1));
        describe(table, QStringLiteral("Tabela"),
                 QString::fromUtf8(kTabTitles[size_t(i)]) + QStringLiteral(": liczby wykresu"));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->hide();
        tables_[size_t(i)] = table;
        // Copying the selected cells as tab-separated lines, for a spreadsheet.
        auto* copy = new QShortcut(QKeySequence::Copy, table);
        connect(copy, &QShortcut::activated, table, [table] {
            QStringList lines;
            int lastRow = -1;
            QStringList cells;
            for (const QModelIndex& ix : table->selectionModel()->selectedIndexes()) {
                if (ix.row() != lastRow && lastRow >= 0) {
                    lines << cells.join(QLatin1Char('\t'));
                    cells.clear();
                }
                lastRow = ix.row();
                cells << ix.data().toString();
            }
            if (!cells.isEmpty())
                lines << cells.join(QLatin1Char('\t'));
            QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
        });
        stacks_[size_t(i)]->addWidget(view);
        stacks_[size_t(i)]->addWidget(table);
        layout->addWidget(stacks_[size_t(i)], 1);
        Zakladki->addTab(page, QString::fromUtf8(kTabTitles[size_t(i)]));
    }
    return Zakladki;
}

QLayout* PurchaseChartsWindow::buildButtons()
{
    auto* row = new QHBoxLayout;
    Tabela = makeButton(this, "Tabela", QStringLiteral("&Tabela"), QStringLiteral("Liczby wykresu jako tabela"));
    Tabela->setCheckable(true);
    ZapiszObraz = makeButton(this, "ZapiszObraz", QStringLiteral("Zapisz jako &obraz"),
                             QStringLiteral("Zapis wykresu w pliku PNG lub SVG"));
    ZapiszPdf = makeButton(this, "ZapiszPdf", QStringLiteral("Zapisz jako &PDF"),
                           QStringLiteral("Zapis wykresu w pliku PDF"));
    ZapiszArkusz = makeButton(this, "ZapiszArkusz", QStringLiteral("Zapisz jako &arkusz"),
                              QStringLiteral("Zapis liczb wykresu w arkuszu XLSX lub CSV"));
    Drukuj = makeButton(this, "Drukuj", QStringLiteral("&Drukuj"), QStringLiteral("Podgląd wydruku wykresu"));
    Zamknij = makeButton(this, "Zamknij", QStringLiteral("&Zamknij"), QStringLiteral("Zamknięcie okna wykresów"));
    for (QPushButton* b : {Tabela, ZapiszObraz, ZapiszPdf, ZapiszArkusz, Drukuj})
        row->addWidget(b);
    row->addStretch(1);
    row->addWidget(Zamknij);
    return row;
}

void PurchaseChartsWindow::wireHandlers()
{
    const auto again = [this] {
        if (!filling_)
            runGuarded([this] { refresh(); });
    };
    connect(Zakres, &RadioGroup::itemChosen, this, again);
    for (QComboBox* c : {Dostawca, Grupa, Okres, Miesiac, Towar})
        connect(c, &QComboBox::currentIndexChanged, this, again);
    connect(Okres, &QComboBox::currentIndexChanged, this, [this] { showPeriodControls(); });
    for (DatePicker* p : {Dzien, DataOd, DataDo})
        connect(p, &QDateEdit::dateChanged, this, again);
    connect(GrupaTowaru, &QComboBox::currentIndexChanged, this, [this] { runGuarded([this] { fillGoods(); }); });
    connect(SzukajTowaru, &QLineEdit::textChanged, this, [this] { runGuarded([this] { fillGoods(); }); });
    connect(Zakladki, &QTabWidget::currentChanged, this, again);
    connect(Tabela, &QPushButton::clicked, this, guardedSlot(this, &PurchaseChartsWindow::TabelaClick));
    connect(ZapiszObraz, &QPushButton::clicked, this, guardedSlot(this, &PurchaseChartsWindow::ZapiszObrazClick));
    connect(ZapiszPdf, &QPushButton::clicked, this, guardedSlot(this, &PurchaseChartsWindow::ZapiszPdfClick));
    connect(ZapiszArkusz, &QPushButton::clicked, this, guardedSlot(this, &PurchaseChartsWindow::ZapiszArkuszClick));
    connect(Drukuj, &QPushButton::clicked, this, guardedSlot(this, &PurchaseChartsWindow::DrukujClick));
    connect(Zamknij, &QPushButton::clicked, this, &QDialog::close);
}

void PurchaseChartsWindow::bindDataModule()
{
    openIfClosed({dm_->TableTowary, dm_->TableDostawcy, dm_->TableGrupyTowarow, dm_->TableTowaryPodstawowe});
    filling_ = true;
    for (const charts::NamedKey& s : charts::supplierList(*dm_->TableDostawcy))
        Dostawca->addItem(s.name, QVariant(s.number));
    for (const charts::NamedKey& g : charts::groupList(*dm_->TableGrupyTowarow)) {
        Grupa->addItem(g.name, QVariant(g.number));
        GrupaTowaru->addItem(g.name, QVariant(g.number));
    }
    filling_ = false;
    fillGoods();
    showPeriodControls();
}

void PurchaseChartsWindow::showLines(const charts::ChartScope& scope, PeriodChoice choice)
{
    filling_ = true;
    Zakres->setItemIndex(scope.kind == ScopeKind::Supplier ? 0 : scope.kind == ScopeKind::AllSuppliers ? 1 : 2);
    if (scope.kind == ScopeKind::Supplier)
        Dostawca->setCurrentIndex(Dostawca->findData(QVariant(scope.supplier)));
    if (scope.kind == ScopeKind::GoodsGroup)
        Grupa->setCurrentIndex(Grupa->findData(QVariant(scope.group)));
    Okres->setCurrentIndex(listIndexOf(choice));
    if (scope.from.isValid()) {
        Dzien->setDate(scope.from);
        DataOd->setDate(scope.from);
        Miesiac->setCurrentIndex(scope.from.month() - 1);
    }
    if (scope.to.isValid())
        DataDo->setDate(scope.to);
    filling_ = false;
    refresh();
}

const charts::Picture& PurchaseChartsWindow::picture() const
{
    return pictures_[size_t(std::max(0, Zakladki->currentIndex()))];
}

void PurchaseChartsWindow::showPeriodControls()
{
    const std::optional<PeriodChoice> choice = periodChoiceOf(Okres->currentIndex());
    const bool range = choice == PeriodChoice::ChosenRange;
    for (QWidget* w : std::initializer_list<QWidget*>{LabelOd, DataOd, LabelDo, DataDo})
        w->setEnabled(range);
    Miesiac->setEnabled(choice == PeriodChoice::ChosenMonth);
    for (QWidget* w : std::initializer_list<QWidget*>{LabelDzien, Dzien})
        w->setEnabled(choice == PeriodChoice::CalendarDay);
    Dostawca->setEnabled(Zakres->itemIndex() == 0);
    Grupa->setEnabled(Zakres->itemIndex() == 2);
}

std::optional<charts::ChartScope> PurchaseChartsWindow::chosenScope() const
{
    charts::ChartScope scope;
    scope.kind = Zakres->itemIndex() == 0 ? ScopeKind::Supplier
        : Zakres->itemIndex() == 2        ? ScopeKind::GoodsGroup
                                          : ScopeKind::AllSuppliers;
    if (scope.kind == ScopeKind::Supplier) {
        if (Dostawca->currentIndex() < 0)
            return std::nullopt;
        scope.supplier = Dostawca->currentData().toLongLong();
    }
    if (scope.kind == ScopeKind::GoodsGroup) {
        if (Grupa->currentIndex() < 0)
            return std::nullopt;
        scope.group = Grupa->currentData().toLongLong();
    }
    const QDate today = platform::today();
    const std::optional<PeriodChoice> choice = periodChoiceOf(Okres->currentIndex());
    if (!choice)
        return std::nullopt;
    if (const std::optional<Period> p = periodOf(*choice, today, Dzien->date())) {
        scope.from = p->start;
        scope.to = p->end;
    } else if (*choice == PeriodChoice::ChosenMonth) {
        const Period p = chosenMonth(Miesiac->currentText(), monthChoiceTexts(), today);
        scope.from = p.start;
        scope.to = p.end;
    } else if (*choice == PeriodChoice::ChosenRange) {
        scope.from = DataOd->date();
        scope.to = DataDo->date();
    }
    return scope;
}

charts::ChartKind PurchaseChartsWindow::kindOf(int tab) const
{
    return kKinds[size_t(tab)];
}

QString PurchaseChartsWindow::titleOf(const charts::ChartScope& scope) const
{
    QString who = scope.kind == ScopeKind::Supplier ? Dostawca->currentText()
        : scope.kind == ScopeKind::GoodsGroup       ? QStringLiteral("grupa ") + Grupa->currentText()
                                                    : QStringLiteral("wszyscy dostawcy");
    const QString when = scope.from.isValid()
        ? (scope.from == scope.to ? formatShortDate(scope.from)
                                  : formatShortDate(scope.from) + QStringLiteral(" – ") + formatShortDate(scope.to))
        : QStringLiteral("cały okres");
    return QStringLiteral("%1 – %2, %3").arg(Zakladki->tabText(Zakladki->currentIndex()), who, when);
}

void PurchaseChartsWindow::refresh()
{
    showPeriodControls();
    const int tab = Zakladki->currentIndex();
    if (tab < 0)
        return;
    charts::Picture& p = pictures_[size_t(tab)];
    const std::set<QString> hidden = p.hidden;
    p = charts::Picture{};
    p.kind = kindOf(tab);
    p.hidden = hidden;
    if (const std::optional<charts::ChartScope> scope = chosenScope()) {
        if (scope->from.isValid() && scope->to.isValid() && scope->from > scope->to) {
            platform::showMessage(QStringLiteral("Data początkowa okresu jest późniejsza niż końcowa."));
            return;
        }
        const charts::ChartTables t{*dm_->TableTowary, *dm_->TableDostawcy, *dm_->TableGrupyTowarow,
                                    *dm_->TableTowaryPodstawowe};
        p.title = titleOf(*scope);
        switch (p.kind) {
        case ChartKind::Monthly:
            p.categories = charts::monthly(t, *scope);
            break;
        case ChartKind::SupplierShares:
            p.categories = charts::supplierShares(t, *scope);
            break;
        case ChartKind::GroupShares:
            p.categories = charts::groupShares(t, *scope);
            break;
        case ChartKind::VatByRate:
            p.categories = charts::vatByRate(t, *scope);
            break;
        case ChartKind::PriceHistory:
            if (Towar->currentIndex() >= 0) {
                p.prices = charts::priceHistory(t, *scope, Towar->currentData().toLongLong(), platform::today());
                p.title = p.prices.good + QStringLiteral(" – ") + titleOf(*scope).section(QStringLiteral(" – "), 1);
            }
            break;
        }
    }
    if (p.kind == ChartKind::PriceHistory) {
        const std::optional<charts::Cheapest>& c = p.prices.cheapest;
        Najtaniej->setText(c ? QStringLiteral("Najtaniej w ostatnich 90 dniach (%1 – %2): %3, średnio %4 netto")
                                       .arg(formatShortDate(c->from), formatShortDate(c->to), c->supplier,
                                            charts::moneyText(c->averagePrice)) +
                                   (p.prices.unit.isEmpty() ? QString() : QStringLiteral(" za ") + p.prices.unit)
                             : QStringLiteral("W ostatnich 90 dniach nie kupowano tego towaru."));
        describe(Najtaniej, Najtaniej->text());
    }
    QChartView* view = views_[size_t(tab)];
    QChart* old = view->chart();
    QChart* chart = charts::makeChart(p).release();
    view->setChart(chart); // the view owns it; the old one is ours to delete
    delete old;
    connectHovers(chart);
    fillTable(tab);
}

void PurchaseChartsWindow::connectHovers(QChart* chart)
{
    const auto show = [this](QObject* source) {
        const QString text = source->property("hoverText").toString();
        if (!text.isEmpty())
            QToolTip::showText(QCursor::pos(), text, this);
    };
    for (QAbstractSeries* s : chart->series()) {
        if (auto* bars = qobject_cast<QAbstractBarSeries*>(s))
            for (QBarSet* set : bars->barSets())
                connect(set, &QBarSet::hovered, this, [set, show](bool on) {
                    if (on)
                        show(set);
                });
        if (auto* xy = qobject_cast<QXYSeries*>(s))
            connect(xy, &QXYSeries::hovered, this, [xy, show](const QPointF&, bool on) {
                if (on)
                    show(xy);
            });
        if (auto* pie = qobject_cast<QPieSeries*>(s))
            for (QPieSlice* slice : pie->slices())
                connect(slice, &QPieSlice::hovered, this, [slice, show](bool on) {
                    if (on)
                        show(slice);
                });
    }
    for (QLegendMarker* m : chart->legend()->markers()) {
        const QString name = charts::markerName(m);
        connect(m, &QLegendMarker::clicked, this, [this, name] { runGuarded([this, name] { toggleSeries(name); }); });
    }
}

void PurchaseChartsWindow::toggleSeries(const QString& name)
{
    std::set<QString>& hidden = pictures_[size_t(Zakladki->currentIndex())].hidden;
    if (!hidden.erase(name))
        hidden.insert(name);
    // Deferred: the marker that was clicked goes with the chart.
    QMetaObject::invokeMethod(
        this, [this] { runGuarded([this] { refresh(); }); }, Qt::QueuedConnection);
}

void PurchaseChartsWindow::fillTable(int tab)
{
    const charts::Picture& p = pictures_[size_t(tab)];
    const charts::ChartTable data = p.kind == ChartKind::PriceHistory
        ? charts::tableOf(p.prices)
        : charts::tableOf(p.categories,
                          p.kind == ChartKind::SupplierShares    ? QStringLiteral("Dostawca")
                              : p.kind == ChartKind::GroupShares ? QStringLiteral("Grupa")
                                                                 : QStringLiteral("Miesiąc"));
    QTableWidget* table = tables_[size_t(tab)];
    table->clear();
    table->setColumnCount(int(data.header.size()));
    table->setRowCount(int(data.rows.size()));
    table->setHorizontalHeaderLabels(data.header);
    for (size_t r = 0; r < data.rows.size(); ++r)
        for (int c = 0; c < data.rows[r].size(); ++c) {
            const QVariant& v = data.rows[r][c];
            table->setItem(int(r), c, makeCell(cellText(v), v.typeId() == QMetaType::Double));
        }
    table->resizeColumnsToContents();
}

void PurchaseChartsWindow::fillGoods()
{
    const qint64 keep = Towar->currentIndex() >= 0 ? Towar->currentData().toLongLong() : 0;
    filling_ = true;
    Towar->clear();
    if (GrupaTowaru->currentIndex() >= 0)
        for (const charts::GoodChoice& g : charts::goodsOf(
                 *dm_->TableTowaryPodstawowe, GrupaTowaru->currentData().toLongLong(), SzukajTowaru->text()))
            Towar->addItem(g.name, QVariant(g.number));
    const int again = Towar->findData(QVariant(keep));
    Towar->setCurrentIndex(again >= 0 ? again : (Towar->count() > 0 ? 0 : -1));
    filling_ = false;
    if (Zakladki->currentIndex() >= 0 && kindOf(Zakladki->currentIndex()) == ChartKind::PriceHistory)
        refresh();
}

void PurchaseChartsWindow::TabelaClick()
{
    for (QStackedWidget* s : stacks_)
        s->setCurrentIndex(Tabela->isChecked() ? 1 : 0);
}

namespace {

SheetData sheetOf(const charts::Picture& p, const QTableWidget& table)
{
    SheetData sheet;
    sheet.name = p.title.left(31);
    sheet.titleLines = {QStringLiteral("WYKRESY ZAKUPÓW"), p.title};
    const charts::ChartTable data = p.kind == ChartKind::PriceHistory
        ? charts::tableOf(p.prices)
        : charts::tableOf(p.categories,
                          table.horizontalHeaderItem(0) ? table.horizontalHeaderItem(0)->text() : QString());
    for (const QString& h : data.header)
        sheet.columns << SheetColumn{h, SheetColumnKind::Text};
    for (const QVariantList& row : data.rows) {
        for (int c = 0; c < row.size(); ++c)
            sheet.columns[c].kind = row[c].typeId() == QMetaType::QDate ? SheetColumnKind::Date
                : row[c].typeId() == QMetaType::Double
                ? (data.header[c] == QStringLiteral("Ilość") ? SheetColumnKind::Quantity : SheetColumnKind::Money)
                : SheetColumnKind::Text;
        sheet.rows.push_back(row);
    }
    return sheet;
}

} // namespace

void PurchaseChartsWindow::ZapiszObrazClick()
{
    const charts::Picture& p = picture();
    QString path = askImageFile(this, QDir::current().filePath(fileSafe(p.title) + QStringLiteral(".png")));
    if (path.isEmpty())
        return;
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        charts::saveSvg(p, kPictureSize, path);
        return;
    }
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    charts::savePng(p, kPictureSize, path);
}

void PurchaseChartsWindow::ZapiszPdfClick()
{
    const charts::Picture p = picture();
    const QString path = askPdfFileName(this, QDir::current().filePath(fileSafe(p.title) + QStringLiteral(".pdf")));
    if (path.isEmpty())
        return;
    writePdf(
        PicturePage{p.title, [p](QPainter& painter, const QRectF& page) { charts::paintPicture(p, painter, page); }},
        path);
}

void PurchaseChartsWindow::ZapiszArkuszClick()
{
    const charts::Picture p = picture();
    const QTableWidget* table = tables_[size_t(Zakladki->currentIndex())];
    QAction* save = makeSaveSheetAction(this, QDir::current().filePath(fileSafe(p.title) + QStringLiteral(".xlsx")),
                                        [p, table] { return sheetOf(p, *table); });
    save->trigger();
    save->deleteLater();
}

void PurchaseChartsWindow::DrukujClick()
{
    const charts::Picture p = picture();
    const QTableWidget* table = tables_[size_t(Zakladki->currentIndex())];
    showPreview(
        PicturePage{p.title, [p](QPainter& painter, const QRectF& page) { charts::paintPicture(p, painter, page); }},
        this, [p, table] { return sheetOf(p, *table); });
}

void showPurchaseCharts(QWidget* parent, TModulDanych1* dm, const std::optional<charts::ChartScope>& scope,
                        std::optional<PeriodChoice> choice)
{
    PurchaseChartsWindow window(dm, parent);
    if (scope && choice)
        window.showLines(*scope, *choice);
    window.exec();
}

} // namespace jadl
