#pragma once
// "HISTORIA ZMIAN ZAKUPU": every change and removal of one purchase line as the
// server recorded it (time, login, workstation, the fields before and after).
#include "work/LineHistory.h"

#include <QDialog>

class QTableWidget;

class THistoriaZmian : public QDialog {
    Q_OBJECT
public:
    THistoriaZmian(const QList<jadl::linehistory::Row>& rows, const QString& line, QWidget* parent = nullptr);

private:
    QTableWidget* Historia = nullptr;
};
