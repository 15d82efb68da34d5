#include "purchases/PobieranieKSeF.h"

#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "invoices/KsefApi.h"
#include "platform/Messages.h"
#include "store/EngineError.h"
#include "work/KsefFetch.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using jadl::ksef::api::ApiError;

TPobieranieKSeF::TPobieranieKSeF(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("PobieranieKSeF"), QStringLiteral("POBIERANIE FAKTUR Z KSeF"), 520, 150);
    setModal(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 0); // how many come is known only at the end
    jadl::describe(ProgressBar1, QStringLiteral("Postęp pobierania"));
    LabelStan = jadl::makeLabel(this, "LabelStan", QStringLiteral("Łączenie z KSeF..."));
    LabelStan->setWordWrap(true);
    LabelStan->setAccessibleName(QStringLiteral("Stan pobierania"));
    BitBtnPrzerwij = jadl::makeButton(this, "BitBtnPrzerwij", QStringLiteral("&Przerwij"),
                                      QStringLiteral("Zatrzymuje pobieranie; pobrane faktury zostają"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelStan);
    layout->addWidget(ProgressBar1);
    layout->addWidget(BitBtnPrzerwij, 0, Qt::AlignRight);
    connect(BitBtnPrzerwij, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TPobieranieKSeF::BitBtnPrzerwijClick));
}

void TPobieranieKSeF::BitBtnPrzerwijClick()
{
    stop_ = true;
    BitBtnPrzerwij->setEnabled(false);
    LabelStan->setText(QStringLiteral("Przerywanie..."));
}

bool TPobieranieKSeF::run()
{
    show();
    try {
        const jadl::kseffetch::Config c = jadl::kseffetch::loadConfig();
        jadl::ksef::api::Settings s;
        s.base = jadl::kseffetch::baseUrl(c);
        s.nip = c.nip;
        s.token = jadl::kseffetch::loadToken(c);
        s.caBundle = QString::fromLocal8Bit(qgetenv("JADL_KSEF_CA"));
        jadl::ksef::api::Client client(s);
        client.setNotice([this](const QString& n) { LabelStan->setText(n); });
        client.setCancelled([this] { return stop_; });
        LabelStan->setText(QStringLiteral("Pobieranie z KSeF (%1)...").arg(client.serverName()));
        const jadl::kseffetch::Result r = jadl::kseffetch::fetchInvoices(
            client, c.nip, [this](const jadl::kseffetch::Event& e) {
                stored_ = e.stored;
                LabelStan->setText(QStringLiteral("Pobrano %1: %2").arg(e.stored).arg(e.text));
            });
        stored_ = r.stored;
        hide();
        return true;
    } catch (const ApiError& e) {
        hide();
        if (e.kind() == ApiError::Kind::Cancelled)
            jadl::platform::showMessage(
                QStringLiteral("Pobieranie przerwane; pobrane faktury (%1) zostały zapisane.").arg(stored_),
                QStringLiteral("KSeF"));
        else
            jadl::platform::showError(e.message(), QStringLiteral("KSeF"));
    } catch (const jadl::EngineError& e) {
        hide();
        jadl::platform::showError(e.message(), QStringLiteral("KSeF"));
    }
    return false;
}
