#include "masterdata/KsefSettingsPage.h"

#include "controls/Builders.h"
#include "controls/Guarded.h"
#include "invoices/KsefApi.h"
#include "invoices/KsefRules.h"
#include "platform/Keyring.h"
#include "platform/Messages.h"
#include "work/KsefFetch.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

using jadl::ksef::api::ApiError;

TKsefSettingsPage::TKsefSettingsPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheetKSeF"));
    buildControls();
    wireHandlers();
}

void TKsefSettingsPage::buildControls()
{
    QLabel* lEnv = jadl::makeLabel(this, "LabelSrodowisko", QStringLiteral("Środowisko:"));
    ComboBoxSrodowisko = new QComboBox(this);
    ComboBoxSrodowisko->setObjectName(QStringLiteral("ComboBoxSrodowisko"));
    ComboBoxSrodowisko->addItems(jadl::ksef::api::environmentNames() << jadl::kseffetch::kOwnAddress);
    jadl::labelFor(lEnv, ComboBoxSrodowisko, QStringLiteral("Środowisko KSeF, z którego program pobiera faktury"));
    QLabel* lUrl = jadl::makeLabel(this, "LabelAdresKSeF", QStringLiteral("Adres:"));
    EditAdresKSeF = jadl::makeLineEdit(this, "EditAdresKSeF", lUrl,
                                       QStringLiteral("Adres API KSeF (https://..., zakończony /v2)"));
    QLabel* lNip = jadl::makeLabel(this, "LabelNipKSeF", QStringLiteral("NIP firmy:"));
    EditNipKSeF = jadl::makeLineEdit(this, "EditNipKSeF", lNip,
                                     QStringLiteral("NIP firmy, która w KSeF jest nabywcą faktur zakupu"));
    QLabel* lToken = jadl::makeLabel(this, "LabelTokenKSeF", QStringLiteral("Token KSeF:"));
    EditTokenKSeF = jadl::makeLineEdit(this, "EditTokenKSeF", lToken,
                                       QStringLiteral("Token KSeF firmy; trafia do systemowego pęku kluczy, "
                                                      "nigdy do plików programu"));
    EditTokenKSeF->setEchoMode(QLineEdit::Password);
    BitBtnZapiszKSeF = jadl::makeButton(this, "BitBtnZapiszKSeF", QStringLiteral("&Zapisz"),
                                        QStringLiteral("Zapisuje środowisko, NIP i token"));
    BitBtnSprawdzPolaczenie = jadl::makeButton(this, "BitBtnSprawdzPolaczenie", QStringLiteral("Sprawdź &połączenie"),
                                               QStringLiteral("Uwierzytelnia się w KSeF zapisanym NIP-em i tokenem"));
    LabelStanKSeF = jadl::makeLabel(this, "LabelStanKSeF", QString());
    LabelStanKSeF->setWordWrap(true);
    LabelStanKSeF->setAccessibleName(QStringLiteral("Stan ustawień KSeF"));

    auto* form = new QFormLayout;
    form->addRow(lEnv, ComboBoxSrodowisko);
    form->addRow(lUrl, EditAdresKSeF);
    form->addRow(lNip, EditNipKSeF);
    form->addRow(lToken, EditTokenKSeF);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnZapiszKSeF);
    buttons->addWidget(BitBtnSprawdzPolaczenie);
    buttons->addStretch();
    auto* page = new QVBoxLayout(this);
    page->addLayout(form);
    page->addLayout(buttons);
    page->addWidget(LabelStanKSeF);
    page->addStretch();
}

void TKsefSettingsPage::wireHandlers()
{
    connect(BitBtnZapiszKSeF, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TKsefSettingsPage::BitBtnZapiszKSeFClick));
    connect(BitBtnSprawdzPolaczenie, &QPushButton::clicked, this,
            jadl::guardedSlot(this, &TKsefSettingsPage::BitBtnSprawdzPolaczenieClick));
    connect(ComboBoxSrodowisko, &QComboBox::currentIndexChanged, this,
            jadl::guardedSlot(this, &TKsefSettingsPage::ComboBoxSrodowiskoChange));
}

void TKsefSettingsPage::load()
{
    const jadl::kseffetch::Config c = jadl::kseffetch::loadConfig();
    const int i = ComboBoxSrodowisko->findText(c.environment);
    ComboBoxSrodowisko->setCurrentIndex(i < 0 ? ComboBoxSrodowisko->findText(QStringLiteral("Produkcja")) : i);
    EditAdresKSeF->setText(c.environment == jadl::kseffetch::kOwnAddress ? c.url.toString()
                                                                         : jadl::kseffetch::baseUrl(c).toString());
    EditNipKSeF->setText(c.nip);
    EditTokenKSeF->clear();
    QString why;
    const bool known = c.nip.isEmpty() ? false
                                       : jadl::platform::loadSecret(jadl::kseffetch::tokenKey(c), &why).has_value();
    EditTokenKSeF->setPlaceholderText(known ? QStringLiteral("(token zapisany – wpisz nowy, by go zmienić)")
                                            : QStringLiteral("(brak tokenu)"));
    LabelStanKSeF->setText(why.isEmpty() ? QString()
                                         : QStringLiteral("Systemowy pęk kluczy nie odpowiada: %1").arg(why));
    ComboBoxSrodowiskoChange();
}

void TKsefSettingsPage::ComboBoxSrodowiskoChange()
{
    const bool own = ComboBoxSrodowisko->currentText() == jadl::kseffetch::kOwnAddress;
    EditAdresKSeF->setReadOnly(!own);
    if (!own)
        if (const auto u = jadl::ksef::api::environmentUrl(ComboBoxSrodowisko->currentText()))
            EditAdresKSeF->setText(u->toString());
}

bool TKsefSettingsPage::save()
{
    jadl::kseffetch::Config c;
    c.environment = ComboBoxSrodowisko->currentText();
    c.url = QUrl(EditAdresKSeF->text().trimmed());
    c.nip = jadl::ksef::nipDigits(EditNipKSeF->text());
    if (!jadl::ksef::api::validNip(c.nip)) {
        jadl::platform::showMessage(
            QStringLiteral("NIP „%1” jest nieprawidłowy (10 cyfr z cyfrą kontrolną) – nic nie zapisano.")
                .arg(EditNipKSeF->text()));
        return false;
    }
    try {
        jadl::kseffetch::baseUrl(c);
    } catch (const ApiError& e) {
        jadl::platform::showMessage(e.message() + QStringLiteral(" Nic nie zapisano."));
        return false;
    }
    jadl::kseffetch::saveConfig(c);
    const QString token = EditTokenKSeF->text().trimmed();
    if (!token.isEmpty()) {
        const jadl::platform::StoredSecret where = jadl::platform::storeSecret(jadl::kseffetch::tokenKey(c), token);
        EditTokenKSeF->clear();
        if (where.place == jadl::platform::SecretPlace::Session)
            jadl::platform::showMessage(
                QStringLiteral("Systemowy pęk kluczy jest niedostępny (%1). Token zostanie zapamiętany tylko do "
                               "końca pracy programu.")
                    .arg(where.why));
    }
    load();
    return true;
}

void TKsefSettingsPage::BitBtnZapiszKSeFClick()
{
    if (save())
        LabelStanKSeF->setText(QStringLiteral("Zapisano."));
}

void TKsefSettingsPage::BitBtnSprawdzPolaczenieClick()
{
    if (!save())
        return;
    const jadl::kseffetch::Config c = jadl::kseffetch::loadConfig();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    try {
        jadl::ksef::api::Settings s;
        s.base = jadl::kseffetch::baseUrl(c);
        s.nip = c.nip;
        s.token = jadl::kseffetch::loadToken(c);
        s.caBundle = QString::fromLocal8Bit(qgetenv("JADL_KSEF_CA"));
        s.retries = 1;
        jadl::ksef::api::Client client(s);
        client.authenticate();
        LabelStanKSeF->setText(QStringLiteral("Połączenie z KSeF (%1) działa: token przyjęty dla NIP %2.")
                                   .arg(client.serverName(), c.nip));
    } catch (const ApiError& e) {
        LabelStanKSeF->setText(e.message());
        restore.dismiss();
        QApplication::restoreOverrideCursor();
        jadl::platform::showError(e.message(), QStringLiteral("KSeF"));
    }
}
