#include "purchases/ImportFakturyKSeF.h"

#include "common/Collation.h"
#include "common/Formats.h"
#include "common/Money.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "invoices/KsefRules.h"
#include "platform/Messages.h"
#include "store/EngineError.h"
#include "store/Modul_Danych1.h"
#include "store/Table.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

using jadl::Table;
namespace ksef = jadl::ksef;

namespace {

QVariant value(Table& t, int row, const char* field)
{
    return t.valueAt(row, t.fieldIndex(QString::fromLatin1(field)));
}

QString money(double v)
{
    return jadl::formatSum(v);
}

QString grosze(qint64 g)
{
    return jadl::formatSum(double(g) / 100.0);
}

// An invoice's unit price (up to 8 decimals) and exchange rate (up to 6), as money
// is written: thousands separated, at least two decimals.
QString optionalPrice(const std::optional<double>& v)
{
    return v ? jadl::formatNumber(*v, QStringLiteral("#,##0.00######")) : QString();
}
QString optionalRate(const std::optional<double>& v)
{
    return v ? jadl::formatNumber(*v, QStringLiteral("0.0000##")) : QString();
}

QTableWidget* makeGrid(QWidget* parent, const char* name, const QString& caption, const QStringList& titles)
{
    auto* g = new QTableWidget(0, int(titles.size()), parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setHorizontalHeaderLabels(titles);
    g->verticalHeader()->hide();
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    jadl::describe(g, caption);
    return g;
}

QComboBox* makeCombo(QWidget* parent, const char* name, QLabel* caption, const QString& hint = {})
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    jadl::labelFor(caption, c, hint);
    return c;
}

QString rateStatus(const ksef::RateCheck& c)
{
    switch (c.status) {
    case ksef::RateCheck::Status::Equal:
        return QStringLiteral("zgodne");
    case ksef::RateCheck::Status::Adjusted:
        return QStringLiteral("wyrównane o zaokrąglenie");
    case ksef::RateCheck::Status::Mismatch:
        return QStringLiteral("NIEZGODNE");
    case ksef::RateCheck::Status::MissingTotal:
        return QStringLiteral("faktura nie podaje sumy");
    case ksef::RateCheck::Status::TotalWithoutLines:
        return QStringLiteral("suma bez pozycji");
    case ksef::RateCheck::Status::NotChecked:
        return QStringLiteral("nie porównywane (kwota po zaliczkach)");
    }
    return {};
}

jadl::ksefimport::FileAsker& fileAsker()
{
    static jadl::ksefimport::FileAsker a;
    return a;
}

} // namespace

TImportFakturyKSeF::TImportFakturyKSeF(jadl::ksefimport::Tables& tables, jadl::ksefimport::Draft draft, QWidget* parent)
    : QDialog(parent), t_(tables), draft_(std::move(draft))
{
    jadl::initForm(this, QStringLiteral("ImportFakturyKSeF"), QStringLiteral("IMPORT FAKTURY KSeF"), 1100, 760);
    buildControls();
    wireHandlers();
    // What the draft holds, shown.
    fillSuppliers();
    fillGroups();
    fillGoods();
    fillUnits();
    LabelSposobZapisu->setText(draft_.plan.explanations.join(QLatin1Char('\n')));
    LabelSposobZapisu->setVisible(!LabelSposobZapisu->text().isEmpty());
    showLines();
    showTotals();
    if (GridPozycje->rowCount() > 0)
        GridPozycje->selectRow(0);
    proposeNewGood();
}

void TImportFakturyKSeF::buildControls()
{
    QGroupBox* seller = buildSellerPanel();
    QGroupBox* supplier = buildSupplierPanel();
    QGroupBox* choose = buildLinesPanel();
    QGroupBox* newGood = buildNewGoodPanel();
    buildTotalsPanel();
    // An invoice only registered has no line to choose a good for.
    choose->setEnabled(!draft_.plan.lines.empty());
    newGood->setEnabled(!draft_.plan.lines.empty());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(seller);
    layout->addWidget(supplier);
    layout->addWidget(LabelSposobZapisu);
    layout->addWidget(GridPozycje, 3);
    layout->addWidget(choose);
    layout->addWidget(newGood);
    layout->addWidget(GridSumy, 1);
    layout->addWidget(LabelUwagi);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnZapisz);
    buttons->addWidget(BitBtnAnuluj);
    layout->addLayout(buttons);
}

// The seller and the invoice, as the file gives them.
QGroupBox* TImportFakturyKSeF::buildSellerPanel()
{
    const ksef::Invoice& inv = draft_.invoice;
    auto* seller = new QGroupBox(QStringLiteral("Sprzedawca i faktura"), this);
    auto* sg = new QGridLayout(seller);
    auto addField = [&](const char* name, const char* labelName, const QString& caption, const QString& text, int row,
                        int col) {
        QLabel* l = jadl::makeLabel(seller, labelName, caption);
        QLineEdit* e = jadl::makeLineEdit(seller, name, l);
        e->setReadOnly(true);
        e->setText(text);
        sg->addWidget(l, row, col);
        sg->addWidget(e, row, col + 1);
        return e;
    };
    QStringList address{inv.seller.addressLine1, inv.seller.addressLine2};
    address.removeAll(QString());
    EditNip = addField("EditNip", "LabelNip", QStringLiteral("NIP:"), inv.seller.nip, 0, 0);
    EditNazwa = addField("EditNazwa", "LabelNazwa", QStringLiteral("Nazwa:"), inv.seller.name, 1, 0);
    EditAdres = addField("EditAdres", "LabelAdres", QStringLiteral("Adres:"), address.join(QStringLiteral(", ")), 2, 0);
    EditNumer = addField("EditNumer", "LabelNumer", QStringLiteral("Numer faktury:"), inv.number, 0, 2);
    EditDataWystawienia = addField("EditDataWystawienia", "LabelDataWystawienia", QStringLiteral("Data wystawienia:"),
                                   jadl::formatShortDate(inv.issueDate), 1, 2);
    EditDataDostawy = addField("EditDataDostawy", "LabelDataDostawy", QStringLiteral("Data dostawy:"),
                               inv.supplyDate ? jadl::formatShortDate(*inv.supplyDate) : QString(), 2, 2);
    return seller;
}

// The supplier the lines go to.
QGroupBox* TImportFakturyKSeF::buildSupplierPanel()
{
    auto* supplier = new QGroupBox(QStringLiteral("Dostawca w programie"), this);
    auto* sl = new QHBoxLayout(supplier);
    QLabel* lDostawca = jadl::makeLabel(supplier, "LabelDostawca", QStringLiteral("Dostawca:"));
    ComboBoxDostawca = makeCombo(supplier, "ComboBoxDostawca", lDostawca,
                                 QStringLiteral("Dostawca, któremu zostaną przypisane pozycje faktury"));
    QLabel* lSymbol = jadl::makeLabel(supplier, "LabelSymbolDostawcy", QStringLiteral("Symbol nowego dostawcy:"));
    EditSymbolDostawcy = jadl::makeLineEdit(supplier, "EditSymbolDostawcy", lSymbol,
                                            QStringLiteral("Nazwa skrócona dostawcy dodawanego ze sprzedawcy faktury"));
    EditSymbolDostawcy->setMaxLength(ksef::kSupplierSymbolLength);
    EditSymbolDostawcy->setText(ksef::proposeSupplierSymbol(draft_.invoice.seller.name));
    BitBtnDodajDostawce = jadl::makeButton(supplier, "BitBtnDodajDostawce", QStringLiteral("Dodaj &dostawcę"),
                                           QStringLiteral("Dodanie sprzedawcy faktury do tabeli dostawców"));
    sl->addWidget(lDostawca);
    sl->addWidget(ComboBoxDostawca, 2);
    sl->addWidget(lSymbol);
    sl->addWidget(EditSymbolDostawcy, 1);
    sl->addWidget(BitBtnDodajDostawce);
    return supplier;
}

// The lines and the basic good chosen for them.
QGroupBox* TImportFakturyKSeF::buildLinesPanel()
{
    LabelSposobZapisu = jadl::makeLabel(this, "LabelSposobZapisu", QString());
    LabelSposobZapisu->setWordWrap(true);
    const QString currency = draft_.plan.currency;
    GridPozycje = makeGrid(this, "GridPozycje", QStringLiteral("Pozycje faktury"),
                           {QStringLiteral("Nr"), QStringLiteral("Nazwa (P_7)"), QStringLiteral("J.m."),
                            QStringLiteral("Ilość (P_8B)"), QStringLiteral("Cena z faktury (P_9A/P_9B)"),
                            QStringLiteral("Rabat (P_10)"), QStringLiteral("Cena netto zł po rabacie"),
                            QStringLiteral("Netto (%1)").arg(currency), QStringLiteral("Kurs"),
                            QStringLiteral("Netto zł"), QStringLiteral("VAT zł"), QStringLiteral("Stawka (P_12)"),
                            QStringLiteral("Towar podstawowy")});
    // The currency and its rate only where the invoice is not in złoty.
    GridPozycje->setColumnHidden(7, !draft_.plan.foreignCurrency());
    GridPozycje->setColumnHidden(8, !draft_.plan.foreignCurrency());
    // A long name must not push the prices out of sight; the whole of it is its tip.
    GridPozycje->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
    GridPozycje->setColumnWidth(1, 300);
    GridPozycje->setTextElideMode(Qt::ElideRight);
    auto* choose = new QGroupBox(QStringLiteral("Towar podstawowy zaznaczonych pozycji"), this);
    auto* cl = new QHBoxLayout(choose);
    QLabel* lGrupa = jadl::makeLabel(choose, "LabelGrupa", QStringLiteral("Grupa:"));
    ComboBoxGrupa = makeCombo(choose, "ComboBoxGrupa", lGrupa, QStringLiteral("Grupa towarów podstawowych"));
    QLabel* lSzukaj = jadl::makeLabel(choose, "LabelSzukajTowaru", QStringLiteral("Szukaj:"));
    EditSzukajTowaru = jadl::makeLineEdit(choose, "EditSzukajTowaru", lSzukaj,
                                          QStringLiteral("Fragment nazwy lub symbolu towaru"));
    QLabel* lTowar = jadl::makeLabel(choose, "LabelTowar", QStringLiteral("Towar:"));
    ComboBoxTowar = makeCombo(choose, "ComboBoxTowar", lTowar, QStringLiteral("Towar podstawowy z wybranej grupy"));
    BitBtnPrzypiszTowar = jadl::makeButton(choose, "BitBtnPrzypiszTowar", QStringLiteral("Przypisz &towar"),
                                           QStringLiteral("Zaznaczone pozycje zostaną zapisane jako wybrany towar"));
    for (QWidget* w : std::initializer_list<QWidget*>{lGrupa, ComboBoxGrupa, lSzukaj, EditSzukajTowaru, lTowar})
        cl->addWidget(w);
    cl->addWidget(ComboBoxTowar, 2);
    cl->addWidget(BitBtnPrzypiszTowar);
    return choose;
}

// The current line as a new good, and the unit of lines the invoice gives none.
QGroupBox* TImportFakturyKSeF::buildNewGoodPanel()
{
    auto* box = new QGroupBox(QStringLiteral("Nowy towar z bieżącej pozycji, jednostka miary"), this);
    auto* bl = new QHBoxLayout(box);
    QLabel* lNazwa = jadl::makeLabel(box, "LabelNazwaTowaru", QStringLiteral("Nazwa:"));
    EditNazwaTowaru = jadl::makeLineEdit(box, "EditNazwaTowaru", lNazwa,
                                         QStringLiteral("Nazwa nowego towaru podstawowego (można ją zmienić)"));
    EditNazwaTowaru->setMaxLength(jadl::ksefimport::kGoodNameLength);
    QLabel* lSymbol = jadl::makeLabel(box, "LabelSymbolTowaru", QStringLiteral("Symbol:"));
    EditSymbolTowaru = jadl::makeLineEdit(box, "EditSymbolTowaru", lSymbol,
                                          QStringLiteral("Nazwa skrócona nowego towaru (można ją zmienić)"));
    EditSymbolTowaru->setMaxLength(jadl::ksefimport::kGoodSymbolLength);
    BitBtnNowyTowar = jadl::makeButton(box, "BitBtnNowyTowar", QStringLiteral("Dodaj jako &nowy towar"),
                                       QStringLiteral("Dodanie bieżącej pozycji jako towaru podstawowego w grupie"));
    QLabel* lJm = jadl::makeLabel(box, "LabelJednostka", QStringLiteral("J.m.:"));
    ComboBoxJednostka = makeCombo(box, "ComboBoxJednostka", lJm,
                                  QStringLiteral("Jednostka miary pozycji, dla których faktura jej nie podaje"));
    ComboBoxJednostka->setEditable(true);
    // The edit inside speaks for the combo box.
    ComboBoxJednostka->lineEdit()->setAccessibleName(ComboBoxJednostka->accessibleName());
    ComboBoxJednostka->lineEdit()->setAccessibleDescription(ComboBoxJednostka->accessibleDescription());
    BitBtnUstawJednostke = jadl::makeButton(box, "BitBtnUstawJednostke", QStringLiteral("Ustaw &j.m."),
                                            QStringLiteral("Wybrana jednostka dla zaznaczonych pozycji bez jednostki"));
    bl->addWidget(lNazwa);
    bl->addWidget(EditNazwaTowaru, 3);
    bl->addWidget(lSymbol);
    bl->addWidget(EditSymbolTowaru, 2);
    bl->addWidget(BitBtnNowyTowar);
    bl->addSpacing(12);
    bl->addWidget(lJm);
    bl->addWidget(ComboBoxJednostka, 1);
    bl->addWidget(BitBtnUstawJednostke);
    return box;
}

// The totals per rate and the buttons.
void TImportFakturyKSeF::buildTotalsPanel()
{
    const QString currency = draft_.plan.currency;
    GridSumy = makeGrid(this, "GridSumy", QStringLiteral("Sumy według stawek"),
                        {QStringLiteral("Pola faktury"), QStringLiteral("Netto faktury (%1)").arg(currency),
                         QStringLiteral("VAT faktury (%1)").arg(currency),
                         QStringLiteral("Netto pozycji (%1)").arg(currency),
                         QStringLiteral("VAT pozycji (%1)").arg(currency), QStringLiteral("Netto pozycji zł"),
                         QStringLiteral("VAT pozycji zł"), QStringLiteral("Uwagi")});
    GridSumy->setColumnHidden(5, !draft_.plan.foreignCurrency());
    GridSumy->setColumnHidden(6, !draft_.plan.foreignCurrency());
    LabelUwagi = jadl::makeLabel(this, "LabelUwagi", QString());
    LabelUwagi->setWordWrap(true);

    BitBtnZapisz = jadl::makeButton(this, "BitBtnZapisz", QStringLiteral("&Zapisz"),
                                    QStringLiteral("Zapisanie wszystkich pozycji faktury jako przypisanych towarów"),
                                    QStyle::SP_DialogSaveButton);
    BitBtnAnuluj = jadl::makeButton(this, "BitBtnAnuluj", QStringLiteral("&Anuluj"),
                                    QStringLiteral("Rezygnacja: nic nie zostanie zapisane"),
                                    QStyle::SP_DialogCancelButton);
}

void TImportFakturyKSeF::wireHandlers()
{
    connect(BitBtnDodajDostawce, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::BitBtnDodajDostawceClick));
    connect(BitBtnPrzypiszTowar, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::BitBtnPrzypiszTowarClick));
    connect(BitBtnNowyTowar, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::BitBtnNowyTowarClick));
    connect(BitBtnZapisz, &QPushButton::clicked, this, jadl::guardedSlot(this, &TImportFakturyKSeF::BitBtnZapiszClick));
    connect(BitBtnAnuluj, &QPushButton::clicked, this, jadl::guardedSlot(this, &TImportFakturyKSeF::reject));
    connect(ComboBoxGrupa, &QComboBox::currentIndexChanged, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::fillGoods));
    connect(EditSzukajTowaru, &QLineEdit::textChanged, this, jadl::guardedSlot(this, &TImportFakturyKSeF::fillGoods));
    connect(BitBtnUstawJednostke, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::BitBtnUstawJednostkeClick));
    connect(ComboBoxDostawca, &QComboBox::activated, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::supplierChosen));
    connect(GridPozycje, &QTableWidget::currentCellChanged, this,
            jadl::guardedSlot(this, &TImportFakturyKSeF::proposeNewGood));
}

void TImportFakturyKSeF::fillSuppliers()
{
    Table& s = t_.suppliers;
    struct Item {
        QByteArray key;
        QString text;
        int numer;
    };
    std::vector<Item> items;
    for (int row = 0; row < s.recordCount(); ++row) {
        const QString symbol = value(s, row, "Symbol").toString();
        items.push_back({jadl::polishSortKey(symbol),
                         symbol + QStringLiteral(" – ") + value(s, row, "Nazwa").toString(),
                         value(s, row, "Numer").toInt()});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.key < b.key; });
    ComboBoxDostawca->clear();
    ComboBoxDostawca->addItem(QStringLiteral("(nie wybrano)"), QVariant());
    for (const Item& i : items)
        ComboBoxDostawca->addItem(i.text, i.numer);
    const int at = draft_.supplier ? ComboBoxDostawca->findData(*draft_.supplier) : 0;
    ComboBoxDostawca->setCurrentIndex(std::max(0, at));
    // A seller that is a supplier already needs no new one.
    BitBtnDodajDostawce->setEnabled(!draft_.supplier);
    EditSymbolDostawcy->setEnabled(!draft_.supplier);
}

void TImportFakturyKSeF::fillGroups()
{
    Table& g = t_.groups;
    ComboBoxGrupa->clear();
    for (int row = 0; row < g.recordCount(); ++row)
        ComboBoxGrupa->addItem(value(g, row, "Grupa").toString(), value(g, row, "Numer").toInt());
}

void TImportFakturyKSeF::fillGoods()
{
    Table& goods = t_.goods;
    const QVariant group = ComboBoxGrupa->currentData();
    const QString search = EditSzukajTowaru->text().trimmed();
    struct Item {
        QByteArray key;
        QString text;
        int numer;
    };
    std::vector<Item> items;
    for (int row = 0; row < goods.recordCount(); ++row) {
        if (!group.isNull() && value(goods, row, "NumerGrupy").toInt() != group.toInt())
            continue;
        const QString symbol = value(goods, row, "Symbol").toString();
        const QString name = value(goods, row, "Nazwa").toString();
        if (!search.isEmpty() && !symbol.contains(search, Qt::CaseInsensitive) &&
            !name.contains(search, Qt::CaseInsensitive))
            continue;
        items.push_back(
            {jadl::polishSortKey(symbol), symbol + QStringLiteral(" – ") + name, value(goods, row, "Numer").toInt()});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.key < b.key; });
    ComboBoxTowar->clear();
    for (const Item& i : items)
        ComboBoxTowar->addItem(i.text, i.numer);
}

void TImportFakturyKSeF::fillUnits()
{
    Table& u = t_.units;
    QStringList units;
    for (int row = 0; row < u.recordCount(); ++row)
        units << value(u, row, "Jednostka").toString();
    units.removeAll(QString());
    if (!units.contains(jadl::ksefimport::kProposedUnit))
        units.prepend(jadl::ksefimport::kProposedUnit);
    ComboBoxJednostka->clear();
    ComboBoxJednostka->addItems(units);
    ComboBoxJednostka->setCurrentText(jadl::ksefimport::kProposedUnit);
    const bool anyWithout = std::any_of(draft_.plan.lines.begin(), draft_.plan.lines.end(),
                                        [](const ksef::PlannedLine& p) { return ksef::unitKey(p.unit).isEmpty(); });
    ComboBoxJednostka->setEnabled(anyWithout);
    BitBtnUstawJednostke->setEnabled(anyWithout);
}

QHash<int, QString> TImportFakturyKSeF::goodNames() const
{
    // One pass over the goods for all lines: an invoice may have ten thousand.
    QHash<int, QString> names;
    Table& goods = t_.goods;
    for (int row = 0; row < goods.recordCount(); ++row)
        names.insert(value(goods, row, "Numer").toInt(),
                     value(goods, row, "Symbol").toString() + QStringLiteral(" – ") +
                         value(goods, row, "Nazwa").toString());
    return names;
}

void TImportFakturyKSeF::showLines()
{
    const auto& plan = draft_.plan;
    const QHash<int, QString> names = goodNames();
    GridPozycje->setRowCount(int(plan.lines.size()));
    for (size_t i = 0; i < plan.lines.size(); ++i) {
        const ksef::PlannedLine& p = plan.lines[i];
        const int r = int(i);
        QString name = p.name;
        if (p.beforeCorrection)
            name += QStringLiteral(" (stan przed korektą)");
        if (p.fromTotals)
            name += QStringLiteral(" (kwoty faktury)");
        QString unit = draft_.units[i];
        if (ksef::unitKey(p.unit).isEmpty())
            unit += QStringLiteral(" (faktura nie podaje)");
        GridPozycje->setItem(r, 0,
                             jadl::makeCell(p.invoiceLine > 0 ? QString::number(p.invoiceLine) : QString(), true));
        GridPozycje->setItem(r, 1, jadl::makeCell(name));
        GridPozycje->item(r, 1)->setToolTip(name);
        GridPozycje->setItem(r, 2, jadl::makeCell(unit));
        GridPozycje->setItem(r, 3, jadl::makeCell(jadl::formatGeneral(p.ilosc), true));
        GridPozycje->setItem(r, 4, jadl::makeCell(optionalPrice(p.listPrice), true));
        GridPozycje->setItem(r, 5,
                             jadl::makeCell(p.discount         ? money(*p.discount)
                                                : p.upust != 0 ? money(p.upust)
                                                               : QString(),
                                            true));
        GridPozycje->setItem(r, 6, jadl::makeCell(money(jadl::roundedMoney(p.cenaNetto)), true));
        GridPozycje->setItem(r, 7, jadl::makeCell(money(p.currencyNet), true));
        GridPozycje->setItem(r, 8, jadl::makeCell(optionalRate(p.exchangeRate), true));
        GridPozycje->setItem(r, 9, jadl::makeCell(money(p.wartoscNetto), true));
        GridPozycje->setItem(r, 10, jadl::makeCell(money(p.wartoscVat), true));
        GridPozycje->setItem(r, 11, jadl::makeCell(p.rate.isEmpty() ? p.vatTyp : p.rate));
        const auto& good = draft_.goods[i];
        QString text = !good ? QStringLiteral("— wybierz —")
                             : names.value(*good, QStringLiteral("(brak towaru %1)").arg(*good));
        if (good && draft_.mapped[i])
            text += QStringLiteral(" (zapamiętany)");
        else if (good && draft_.proposed[i])
            text += QStringLiteral(" (proponowany: najczęściej kupowany u dostawcy)");
        GridPozycje->setItem(r, 12, jadl::makeCell(text));
    }
}

void TImportFakturyKSeF::showTotals()
{
    const auto& plan = draft_.plan;
    GridSumy->setRowCount(int(plan.checks.size()) + 1);
    int r = 0;
    qint64 currencyGross = 0;
    for (const auto& l : plan.lines)
        currencyGross += ksef::toGrosze(l.currencyNet) + ksef::toGrosze(l.currencyVat);
    for (const ksef::RateCheck& c : plan.checks) {
        // The lines as they will be stored: after the rounding adjustment.
        qint64 net = 0, vat = 0;
        for (const auto& l : plan.lines)
            if (l.fields == c.fields) {
                net += ksef::toGrosze(l.currencyNet);
                vat += ksef::toGrosze(l.currencyVat);
            }
        GridSumy->setItem(r, 0, jadl::makeCell(ksef::fieldSetName(c.fields)));
        GridSumy->setItem(r, 1, jadl::makeCell(grosze(c.invoiceNet), true));
        GridSumy->setItem(r, 2, jadl::makeCell(grosze(c.invoiceVat), true));
        GridSumy->setItem(r, 3, jadl::makeCell(grosze(net), true));
        GridSumy->setItem(r, 4, jadl::makeCell(grosze(vat), true));
        GridSumy->setItem(r, 5, jadl::makeCell(grosze(c.plnNet), true));
        GridSumy->setItem(r, 6, jadl::makeCell(grosze(c.plnVat), true));
        GridSumy->setItem(r, 7, jadl::makeCell(rateStatus(c)));
        ++r;
    }
    GridSumy->setItem(r, 0, jadl::makeCell(QStringLiteral("Brutto (P_15)")));
    GridSumy->setItem(r, 1, jadl::makeCell(grosze(plan.invoiceGross), true));
    GridSumy->setItem(r, 2, jadl::makeCell(QString()));
    GridSumy->setItem(r, 3, jadl::makeCell(grosze(currencyGross), true));
    GridSumy->setItem(r, 4, jadl::makeCell(QString()));
    GridSumy->setItem(r, 5, jadl::makeCell(grosze(plan.linesGross), true));
    GridSumy->setItem(r, 6, jadl::makeCell(QString()));
    const bool checked = plan.totalsChecked && plan.recording == ksef::Recording::Lines;
    GridSumy->setItem(r, 7,
                      jadl::makeCell(!checked                                 ? QStringLiteral("nie porównywane")
                                         : plan.invoiceGross == currencyGross ? QStringLiteral("zgodne")
                                                                              : QStringLiteral("różnica")));
    LabelUwagi->setText(plan.notes().join(QLatin1Char('\n')));
    LabelUwagi->setVisible(!LabelUwagi->text().isEmpty());
}

void TImportFakturyKSeF::BitBtnDodajDostawceClick()
{
    if (draft_.supplier)
        return;
    draft_.supplier = jadl::ksefimport::addSupplier(t_, draft_.invoice.seller, EditSymbolDostawcy->text());
    added_.supplier = draft_.supplier;
    fillSuppliers();
    jadl::ksefimport::proposeGoods(t_, draft_);
    showLines();
}

void TImportFakturyKSeF::supplierChosen()
{
    const QVariant supplier = ComboBoxDostawca->currentData();
    draft_.supplier = supplier.isNull() ? std::nullopt : std::optional<int>(supplier.toInt());
    jadl::ksefimport::proposeGoods(t_, draft_);
    showLines();
}

std::set<int> TImportFakturyKSeF::selectedLines() const
{
    std::set<int> rows;
    for (const QModelIndex& i : GridPozycje->selectionModel()->selectedRows())
        rows.insert(i.row());
    if (rows.empty() && GridPozycje->currentRow() >= 0)
        rows.insert(GridPozycje->currentRow());
    return rows;
}

void TImportFakturyKSeF::BitBtnPrzypiszTowarClick()
{
    const QVariant good = ComboBoxTowar->currentData();
    if (good.isNull()) {
        jadl::platform::showMessage(QStringLiteral("Wybierz towar podstawowy"));
        return;
    }
    for (int r : selectedLines()) {
        draft_.goods[size_t(r)] = good.toInt();
        draft_.mapped[size_t(r)] = false;
        draft_.proposed[size_t(r)] = false;
    }
    showLines();
}

void TImportFakturyKSeF::proposeNewGood()
{
    const int r = GridPozycje->currentRow();
    if (r < 0 || size_t(r) >= draft_.plan.lines.size())
        return;
    const auto good = jadl::ksefimport::proposeNewGood(draft_.plan.lines[size_t(r)], draft_.units[size_t(r)]);
    EditNazwaTowaru->setText(good.name);
    EditSymbolTowaru->setText(good.symbol);
}

void TImportFakturyKSeF::BitBtnNowyTowarClick()
{
    const int r = GridPozycje->currentRow();
    const QVariant group = ComboBoxGrupa->currentData();
    if (r < 0)
        return;
    if (group.isNull()) {
        jadl::platform::showMessage(QStringLiteral("Brak grupy towarów"));
        return;
    }
    const size_t i = size_t(r);
    const jadl::ksefimport::NewGood good{EditNazwaTowaru->text(), EditSymbolTowaru->text(), draft_.units[i]};
    try {
        draft_.goods[i] = jadl::ksefimport::addBasicGood(t_, group.toInt(), draft_.plan.lines[i], good, &added_);
    } catch (const ksef::InvoiceError& e) {
        jadl::platform::showMessage(e.message());
        return;
    }
    draft_.mapped[i] = false;
    draft_.proposed[i] = false;
    fillGoods();
    showLines();
}

void TImportFakturyKSeF::BitBtnUstawJednostkeClick()
{
    const QString unit = ComboBoxJednostka->currentText().trimmed();
    if (ksef::unitKey(unit).isEmpty()) {
        jadl::platform::showMessage(QStringLiteral("Wybierz jednostkę miary"));
        return;
    }
    int set = 0;
    for (int r : selectedLines()) {
        // The invoice's own unit stands; only lines without one take the user's.
        if (ksef::unitKey(draft_.plan.lines[size_t(r)].unit).isEmpty()) {
            draft_.units[size_t(r)] = unit;
            ++set;
        }
    }
    if (set == 0)
        jadl::platform::showMessage(QStringLiteral("Zaznaczone pozycje mają jednostkę miary z faktury"));
    showLines();
    proposeNewGood();
}

void TImportFakturyKSeF::BitBtnZapiszClick()
{
    const QVariant supplier = ComboBoxDostawca->currentData();
    if (supplier.isNull()) {
        jadl::platform::showMessage(QStringLiteral("Wybierz dostawcę faktury albo dodaj go ze sprzedawcy"));
        return;
    }
    draft_.supplier = supplier.toInt();
    for (size_t i = 0; i < draft_.goods.size(); ++i)
        if (!draft_.goods[i]) {
            jadl::platform::showMessage(QStringLiteral("Pozycja %1 (%2) nie ma wybranego towaru podstawowego")
                                            .arg(draft_.plan.lines[i].invoiceLine)
                                            .arg(draft_.plan.lines[i].name));
            GridPozycje->selectRow(int(i));
            return;
        }
    QString warning;
    try {
        jadl::ksefimport::record(t_, draft_, &warning);
    } catch (const ksef::InvoiceError& e) {
        jadl::platform::showError(e.message());
        return;
    }
    recorded_ = true;
    if (!warning.isEmpty())
        jadl::platform::showError(warning);
    accept();
}

void TImportFakturyKSeF::reject()
{
    // Nothing refers to what was added here yet: it goes again.
    if (!recorded_)
        jadl::ksefimport::takeBack(t_, added_);
    QDialog::reject();
}

namespace jadl::ksefimport {

void setFileAsker(FileAsker asker)
{
    fileAsker() = std::move(asker);
}

namespace {

// One invoice in the window; a refused one is named with the reason.
bool showOne(QWidget* parent, const std::function<Draft(Tables&)>& prepareDraft)
{
    OwnTables own;
    Draft draft;
    try {
        draft = prepareDraft(own.tables());
    } catch (const ksef::InvoiceError& e) {
        platform::showError(e.message(), QStringLiteral("IMPORT FAKTURY KSeF"));
        return false;
    } catch (const EngineError& e) {
        platform::showError(e.message(), QStringLiteral("IMPORT FAKTURY KSeF"));
        return false;
    }
    TImportFakturyKSeF window(own.tables(), std::move(draft), parent);
    window.exec();
    return window.recorded();
}

// The windows show the new lines, suppliers and goods.
void refreshWindows(TModulDanych1* dm)
{
    if (dm)
        for (Table* t : {dm->TableTowary, dm->TableDostawcy, dm->TableTowaryPodstawowe})
            if (t->active())
                t->refresh();
}

} // namespace

int importInvoices(QWidget* parent, TModulDanych1* dm)
{
    const QStringList files = fileAsker()
        ? fileAsker()(parent)
        : QFileDialog::getOpenFileNames(parent, QStringLiteral("Import faktur KSeF"), QString(),
                                        QStringLiteral("Faktury KSeF (*.xml)"));
    int recorded = 0;
    for (const QString& file : files)
        recorded += showOne(parent, [&file](Tables& t) { return prepare(file, t); }) ? 1 : 0;
    refreshWindows(dm);
    return recorded;
}

bool importFetched(QWidget* parent, TModulDanych1* dm, const QByteArray& xml, const QString& name)
{
    const bool recorded = showOne(parent, [&](Tables& t) { return prepare(xml, name, t); });
    refreshWindows(dm);
    return recorded;
}

} // namespace jadl::ksefimport
