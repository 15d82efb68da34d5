#include "purchases/FakturyKSeFDoZapisania.h"

#include "common/Formats.h"
#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "platform/Messages.h"
#include "purchases/ImportFakturyKSeF.h"
#include "purchases/PobieranieKSeF.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFakturyKSeFDoZapisania::TFakturyKSeFDoZapisania(TModulDanych1* dm, QWidget* parent) : QDialog(parent), dm_(dm)
{
    jadl::initForm(this, QStringLiteral("FakturyKSeFDoZapisania"), QStringLiteral("FAKTURY KSeF DO ZAPISANIA"), 980,
                   520);
    buildControls();
    wireHandlers();
    fill();
}

void TFakturyKSeFDoZapisania::buildControls()
{
    GridFaktury = new QTableWidget(0, 6, this);
    GridFaktury->setObjectName(QStringLiteral("GridFaktury"));
    GridFaktury->setHorizontalHeaderLabels({QStringLiteral("Sprzedawca"), QStringLiteral("Numer faktury"),
                                            QStringLiteral("Data wystawienia"), QStringLiteral("Brutto"),
                                            QStringLiteral("Numer KSeF"), QStringLiteral("Uwagi")});
    GridFaktury->verticalHeader()->hide();
    GridFaktury->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridFaktury->setSelectionMode(QAbstractItemView::SingleSelection);
    GridFaktury->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridFaktury->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    jadl::describe(GridFaktury, QStringLiteral("Faktury pobrane z KSeF, jeszcze niezapisane"));
    CheckBoxPokazOdlozone = jadl::makeCheckBox(this, "CheckBoxPokazOdlozone", QStringLiteral("Pokaż odłożone"), false);
    BitBtnZapisz = jadl::makeButton(this, "BitBtnZapisz", QStringLiteral("&Zapisz"),
                                    QStringLiteral("Otwiera fakturę w oknie importu, by zapisać jej pozycje"));
    BitBtnNieDotyczy = jadl::makeButton(this, "BitBtnNieDotyczy", QStringLiteral("&Nie dotyczy zakupów"),
                                        QStringLiteral("Odkłada fakturę: zostaje w programie, nie będzie proponowana"));
    BitBtnPrzywroc = jadl::makeButton(this, "BitBtnPrzywroc", QStringLiteral("P&rzywróć"),
                                      QStringLiteral("Przywraca odłożoną fakturę na listę do zapisania"));
    BitBtnZamknij = jadl::makeButton(this, "BitBtnZamknij", QStringLiteral("Zam&knij"));
    LabelIle = jadl::makeLabel(this, "LabelIle", QString());
    LabelIle->setAccessibleName(QStringLiteral("Liczba faktur"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnZapisz);
    buttons->addWidget(BitBtnNieDotyczy);
    buttons->addWidget(BitBtnPrzywroc);
    buttons->addWidget(CheckBoxPokazOdlozone);
    buttons->addStretch();
    buttons->addWidget(LabelIle);
    buttons->addWidget(BitBtnZamknij);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GridFaktury, 1);
    layout->addLayout(buttons);
}

void TFakturyKSeFDoZapisania::wireHandlers()
{
    connect(BitBtnZapisz, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TFakturyKSeFDoZapisania::BitBtnZapiszClick));
    connect(GridFaktury, &QTableWidget::cellDoubleClicked, this,
            jadl::guardedSlot(this, &TFakturyKSeFDoZapisania::BitBtnZapiszClick));
    connect(BitBtnNieDotyczy, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TFakturyKSeFDoZapisania::BitBtnNieDotyczyClick));
    connect(BitBtnPrzywroc, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TFakturyKSeFDoZapisania::BitBtnPrzywrocClick));
    connect(CheckBoxPokazOdlozone, &QCheckBox::toggled, this,
            jadl::guardedSlot(this, &TFakturyKSeFDoZapisania::CheckBoxPokazOdlozoneClick));
    connect(BitBtnZamknij, &QPushButton::clicked, this, &QDialog::accept);
    connect(GridFaktury, &QTableWidget::currentCellChanged, this, [this] {
        const auto* f = current();
        BitBtnZapisz->setEnabled(f && !f->setAside);
        BitBtnNieDotyczy->setEnabled(f && !f->setAside);
        BitBtnPrzywroc->setEnabled(f && f->setAside);
    });
}

void TFakturyKSeFDoZapisania::fill()
{
    const int keep = GridFaktury->currentRow();
    shown_ = jadl::kseffetch::pendingInvoices(CheckBoxPokazOdlozone->isChecked());
    GridFaktury->setRowCount(int(shown_.size()));
    int aside = 0;
    for (size_t i = 0; i < shown_.size(); ++i) {
        const auto& f = shown_[i];
        const int r = int(i);
        GridFaktury->setItem(r, 0, jadl::makeCell(QStringLiteral("%1 (NIP %2)").arg(f.sellerName, f.sellerNip)));
        GridFaktury->setItem(r, 1, jadl::makeCell(f.invoiceNumber));
        GridFaktury->setItem(r, 2, jadl::makeCell(jadl::formatShortDate(f.issueDate)));
        GridFaktury->setItem(r, 3, jadl::makeCell(jadl::formatSum(f.gross) + QLatin1Char(' ') + f.currency, true));
        GridFaktury->setItem(r, 4, jadl::makeCell(f.ksefNumber));
        GridFaktury->setItem(r, 5, jadl::makeCell(f.setAside ? QStringLiteral("nie dotyczy zakupów") : QString()));
        aside += f.setAside ? 1 : 0;
    }
    LabelIle->setText(QStringLiteral("Do zapisania: %1").arg(int(shown_.size()) - aside));
    if (!shown_.empty())
        GridFaktury->setCurrentCell(std::clamp(keep, 0, int(shown_.size()) - 1), 0);
    const auto* f = current();
    BitBtnZapisz->setEnabled(f && !f->setAside);
    BitBtnNieDotyczy->setEnabled(f && !f->setAside);
    BitBtnPrzywroc->setEnabled(f && f->setAside);
}

const jadl::kseffetch::Fetched* TFakturyKSeFDoZapisania::current() const
{
    const int r = GridFaktury->currentRow();
    return r >= 0 && r < int(shown_.size()) ? &shown_[size_t(r)] : nullptr;
}

void TFakturyKSeFDoZapisania::BitBtnZapiszClick()
{
    const auto* f = current();
    if (!f || f->setAside)
        return;
    QString name;
    const QByteArray xml = jadl::kseffetch::fetchedXml(f->id, &name);
    jadl::ksefimport::importFetched(this, dm_, xml, name);
    fill();
}

void TFakturyKSeFDoZapisania::BitBtnNieDotyczyClick()
{
    if (const auto* f = current()) {
        jadl::kseffetch::setAside(f->id, true);
        fill();
    }
}

void TFakturyKSeFDoZapisania::BitBtnPrzywrocClick()
{
    if (const auto* f = current()) {
        jadl::kseffetch::setAside(f->id, false);
        fill();
    }
}

void TFakturyKSeFDoZapisania::CheckBoxPokazOdlozoneClick()
{
    fill();
}

namespace jadl::kseffetch {

void fetchAndList(QWidget* parent, TModulDanych1* dm)
{
    {
        TPobieranieKSeF fetch(parent);
        fetch.run();
    }
    // What came before a failure is listed too.
    showList(parent, dm);
}

void showList(QWidget* parent, TModulDanych1* dm)
{
    TFakturyKSeFDoZapisania list(dm, parent);
    list.exec();
}

} // namespace jadl::kseffetch
