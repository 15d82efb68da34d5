#include "purchases/TowaryJadl.h"

#include "platform/Drives.h"
#include "shell/FormUtil.h"
#include "store/DataSource.h"
#include "store/Table.h"

#include <QComboBox>
#include <QPushButton>
#include <QVBoxLayout>

TTowary::TTowary(QWidget* parent) : QDialog(parent)
{
    jadl::initForm(this, QStringLiteral("Towary"), QStringLiteral("AKTUALNE TOWARY DOSTAWCÓW "), 1000, 700);
    setToolTip(QStringLiteral("Towary dostawcy, którym podajemy ilość cenę"));

    auto* layout = new QVBoxLayout(this);
    DyskSystemu = new QComboBox(this);
    DyskSystemu->setObjectName(QStringLiteral("DyskSystemu"));
    for (const auto& drive : jadl::platform::Drives::drives())
        DyskSystemu->addItem(QString(drive.letter).toLower() + QStringLiteral(":"));
    // The program starts on its own drive.
    DyskSystemu->setCurrentIndex(
        std::max(0, DyskSystemu->findText(QString(jadl::platform::Drives::programDrive()).toLower() + QStringLiteral(":"))));
    DyskSystemu->hide();

    ComboBoxWybierzOkres = new QComboBox(this);
    ComboBoxWybierzOkres->setObjectName(QStringLiteral("ComboBoxWybierzOkres"));
    ComboBoxWybierzOkres->addItems({QStringLiteral("Dzień wskazany przez kalendarz"), QStringLiteral("Bieżący dzień"),
        QStringLiteral("Poprzedni dzień"), QStringLiteral("Bieżący Miesiąc "), QStringLiteral("Poprzedni Miesiąc"),
        QStringLiteral("Bieżący Kwartał"), QStringLiteral("Poprzedni Kwartał"), QStringLiteral("Bieżący Rok"),
        QStringLiteral("Poprzedni Rok"), QStringLiteral("Wybrany Miesiąc"), QStringLiteral("Wybrany Okres"),
        QStringLiteral("Cały Okres")});
    ComboBoxWybierzOkres->setCurrentIndex(-1);
    layout->addWidget(ComboBoxWybierzOkres);

    TworzTablice = new QPushButton(QStringLiteral("Utwórz tablicę kopii"), this);
    TworzTablice->setObjectName(QStringLiteral("TworzTablice"));
    layout->addWidget(TworzTablice);
    layout->addStretch();

    TableTowaryRaport = new jadl::Table(this, QStringLiteral("TableTowaryRaport"));
    DataSourceTowaryRaport = new jadl::DataSource(this, TableTowaryRaport);
    DataSourceTowaryRaport->setObjectName(QStringLiteral("DataSourceTowaryRaport"));
}

void TTowary::bindDataModule(TModulDanych1* dm)
{
    dm_ = dm;
}

int TTowary::periodChoice() const
{
    return ComboBoxWybierzOkres->currentIndex();
}
