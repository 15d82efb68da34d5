#include "purchases/HistoriaZmian.h"

#include "controls/Builders.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

THistoriaZmian::THistoriaZmian(const QList<jadl::linehistory::Row>& rows, const QString& line, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("HistoriaZmian"));
    setWindowTitle(QStringLiteral("HISTORIA ZMIAN ZAKUPU"));
    resize(900, 360);
    auto* layout = new QVBoxLayout(this);
    QLabel* what = jadl::makeLabel(this, "LabelZakup", line);
    layout->addWidget(what);
    Historia = new QTableWidget(int(rows.size()), 5, this);
    Historia->setObjectName(QStringLiteral("Historia"));
    jadl::describe(Historia, QStringLiteral("Historia zmian"),
                   QStringLiteral("Zmiany i usunięcie zakupu zapisane przez serwer, od najstarszej"));
    Historia->setHorizontalHeaderLabels({QStringLiteral("Czas"), QStringLiteral("Login"), QStringLiteral("Stanowisko"),
                                         QStringLiteral("Operacja"), QStringLiteral("Zmiany")});
    Historia->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Historia->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < rows.size(); ++i) {
        const jadl::linehistory::Row& r = rows[i];
        int c = 0;
        for (const QString& text : {r.when, r.login, r.workstation, r.operation, r.changes})
            Historia->setItem(i, c++, jadl::makeCell(text));
    }
    Historia->resizeColumnsToContents();
    layout->addWidget(Historia);
    if (rows.isEmpty())
        layout->addWidget(jadl::makeLabel(this, "LabelBrak", QStringLiteral("Ten zakup nie był zmieniany.")));
    QPushButton* close = jadl::makeButton(this, "Zamknij", QStringLiteral("&Zamknij"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
}
