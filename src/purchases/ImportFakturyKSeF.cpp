#include "purchases/ImportFakturyKSeF.h"

#include "common/Collation.h"
#include "common/Formats.h"
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

const QString kNumer = QStringLiteral("Numer");

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

QString optionalNumber(const std::optional<double>& v)
{
    return v ? jadl::formatGeneral(*v) : QString();
}

QTableWidgetItem* cell(const QString& text, bool number = false)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
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
    showLines();
    showTotals();
    if (GridPozycje->rowCount() > 0)
        GridPozycje->selectRow(0);
}

void TImportFakturyKSeF::buildControls()
{
    QGroupBox* seller = buildSellerPanel();
    QGroupBox* supplier = buildSupplierPanel();
    QGroupBox* choose = buildLinesPanel();
    buildTotalsPanel();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(seller);
    layout->addWidget(supplier);
    layout->addWidget(GridPozycje, 3);
    layout->addWidget(choose);
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
    GridPozycje = makeGrid(this, "GridPozycje", QStringLiteral("Pozycje faktury"),
                           {QStringLiteral("Nr"), QStringLiteral("Nazwa (P_7)"), QStringLiteral("J.m. (P_8A)"),
                            QStringLiteral("Ilość (P_8B)"), QStringLiteral("Cena netto (P_9A)"),
                            QStringLiteral("Wartość netto (P_11)"), QStringLiteral("Stawka (P_12)"),
                            QStringLiteral("Towar podstawowy")});
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
    BitBtnNowyTowar = jadl::makeButton(choose, "BitBtnNowyTowar", QStringLiteral("Dodaj jako &nowy towar"),
                                       QStringLiteral("Dodanie bieżącej pozycji jako towaru podstawowego w grupie"));
    for (QWidget* w : std::initializer_list<QWidget*>{lGrupa, ComboBoxGrupa, lSzukaj, EditSzukajTowaru, lTowar})
        cl->addWidget(w);
    cl->addWidget(ComboBoxTowar, 2);
    cl->addWidget(BitBtnPrzypiszTowar);
    cl->addWidget(BitBtnNowyTowar);
    return choose;
}

// The totals per rate and the buttons.
void TImportFakturyKSeF::buildTotalsPanel()
{
    GridSumy = makeGrid(this, "GridSumy", QStringLiteral("Sumy według stawek"),
                        {QStringLiteral("Pola faktury"), QStringLiteral("Netto faktury"), QStringLiteral("VAT faktury"),
                         QStringLiteral("Netto pozycji"), QStringLiteral("VAT pozycji"), QStringLiteral("Uwagi")});
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
    const auto& source = draft_.invoice.lines;
    const QHash<int, QString> names = goodNames();
    GridPozycje->setRowCount(int(plan.lines.size()));
    for (size_t i = 0; i < plan.lines.size(); ++i) {
        const ksef::PlannedLine& p = plan.lines[i];
        // The invoice's own line, as written, for the columns that show the file.
        const auto src = std::find_if(source.begin(), source.end(), [&](const ksef::Line& l) {
            return l.number == p.invoiceLine && l.beforeCorrection == p.beforeCorrection;
        });
        const int r = int(i);
        QString name = p.name;
        if (p.beforeCorrection)
            name += QStringLiteral(" (stan przed korektą)");
        GridPozycje->setItem(r, 0, cell(QString::number(p.invoiceLine), true));
        GridPozycje->setItem(r, 1, cell(name));
        GridPozycje->setItem(r, 2, cell(p.unit));
        GridPozycje->setItem(r, 3, cell(src != source.end() ? optionalNumber(src->quantity) : QString(), true));
        GridPozycje->setItem(r, 4, cell(src != source.end() ? optionalNumber(src->netPrice) : QString(), true));
        GridPozycje->setItem(r, 5, cell(money(p.wartoscNetto), true));
        GridPozycje->setItem(r, 6, cell(p.rate));
        const auto& good = draft_.goods[i];
        QString text = !good ? QStringLiteral("— wybierz —")
                             : names.value(*good, QStringLiteral("(brak towaru %1)").arg(*good));
        if (good && draft_.mapped[i])
            text += QStringLiteral(" (zapamiętany)");
        GridPozycje->setItem(r, 7, cell(text));
    }
}

void TImportFakturyKSeF::showTotals()
{
    const auto& plan = draft_.plan;
    GridSumy->setRowCount(int(plan.checks.size()) + 1);
    int r = 0;
    for (const ksef::RateCheck& c : plan.checks) {
        // The lines as they will be stored: after the rounding adjustment.
        qint64 net = 0, vat = 0;
        for (const auto& l : plan.lines)
            if (l.fields == c.fields) {
                net += ksef::toGrosze(l.wartoscNetto);
                vat += ksef::toGrosze(l.wartoscVat);
            }
        GridSumy->setItem(r, 0, cell(ksef::fieldSetName(c.fields)));
        GridSumy->setItem(r, 1, cell(grosze(c.invoiceNet), true));
        GridSumy->setItem(r, 2, cell(grosze(c.invoiceVat), true));
        GridSumy->setItem(r, 3, cell(grosze(net), true));
        GridSumy->setItem(r, 4, cell(grosze(vat), true));
        GridSumy->setItem(r, 5, cell(rateStatus(c)));
        ++r;
    }
    GridSumy->setItem(r, 0, cell(QStringLiteral("Brutto (P_15)")));
    GridSumy->setItem(r, 1, cell(grosze(plan.invoiceGross), true));
    GridSumy->setItem(r, 2, cell(QString()));
    GridSumy->setItem(r, 3, cell(grosze(plan.linesGross), true));
    GridSumy->setItem(r, 4, cell(QString()));
    GridSumy->setItem(
        r, 5, cell(plan.invoiceGross == plan.linesGross ? QStringLiteral("zgodne") : QStringLiteral("różnica")));
    LabelUwagi->setText(plan.notes().join(QLatin1Char('\n')));
    LabelUwagi->setVisible(!LabelUwagi->text().isEmpty());
}

void TImportFakturyKSeF::BitBtnDodajDostawceClick()
{
    if (draft_.supplier)
        return;
    draft_.supplier = jadl::ksefimport::addSupplier(t_, draft_.invoice.seller, EditSymbolDostawcy->text());
    addedSupplier_ = draft_.supplier;
    fillSuppliers();
}

void TImportFakturyKSeF::BitBtnPrzypiszTowarClick()
{
    const QVariant good = ComboBoxTowar->currentData();
    if (good.isNull()) {
        jadl::platform::showMessage(QStringLiteral("Wybierz towar podstawowy"));
        return;
    }
    std::set<int> rows;
    for (const QModelIndex& i : GridPozycje->selectionModel()->selectedRows())
        rows.insert(i.row());
    if (rows.empty() && GridPozycje->currentRow() >= 0)
        rows.insert(GridPozycje->currentRow());
    for (int r : rows) {
        draft_.goods[size_t(r)] = good.toInt();
        draft_.mapped[size_t(r)] = false;
    }
    showLines();
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
    draft_.goods[size_t(r)] = jadl::ksefimport::addBasicGood(t_, group.toInt(), draft_.plan.lines[size_t(r)]);
    draft_.mapped[size_t(r)] = false;
    addedGoods_.push_back(*draft_.goods[size_t(r)]);
    fillGoods();
    showLines();
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
    // Nothing refers to the supplier and goods added here yet: they go again.
    auto remove = [](Table& t, int numer) {
        if (t.locate(kNumer, numer))
            t.deleteRecord();
    };
    if (!recorded_) {
        if (addedSupplier_)
            remove(t_.suppliers, *addedSupplier_);
        for (int g : addedGoods_)
            remove(t_.goods, g);
        addedSupplier_.reset();
        addedGoods_.clear();
    }
    QDialog::reject();
}

namespace jadl::ksefimport {

void setFileAsker(FileAsker asker)
{
    fileAsker() = std::move(asker);
}

int importInvoices(QWidget* parent, TModulDanych1* dm)
{
    const QStringList files = fileAsker()
        ? fileAsker()(parent)
        : QFileDialog::getOpenFileNames(parent, QStringLiteral("Import faktur KSeF"), QString(),
                                        QStringLiteral("Faktury KSeF (*.xml)"));
    int recorded = 0;
    for (const QString& file : files) {
        OwnTables own;
        Draft draft;
        try {
            draft = prepare(file, own.tables());
        } catch (const ksef::InvoiceError& e) {
            platform::showError(e.message(), QStringLiteral("IMPORT FAKTURY KSeF"));
            continue;
        } catch (const EngineError& e) {
            platform::showError(e.message(), QStringLiteral("IMPORT FAKTURY KSeF"));
            continue;
        }
        TImportFakturyKSeF window(own.tables(), std::move(draft), parent);
        window.exec();
        recorded += window.recorded() ? 1 : 0;
    }
    // The windows show the new lines, suppliers and goods.
    if (dm)
        for (Table* t : {dm->TableTowary, dm->TableDostawcy, dm->TableTowaryPodstawowe})
            if (t->active())
                t->refresh();
    return recorded;
}

} // namespace jadl::ksefimport
