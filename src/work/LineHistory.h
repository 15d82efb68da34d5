#pragma once
// A purchase line's history as the head office reads it: one row per change or
// removal, the changed fields as "Pole: przed → po".
#include "store/ServerSetup.h"

#include <QList>
#include <QString>

namespace jadl::linehistory {

struct Row {
    QString when; // "2026-12-09 14:05:31", local time
    QString login;
    QString workstation;
    QString operation;
    QString changes;
};

QList<Row> describe(const QList<serversetup::HistoryEntry>& entries);

} // namespace jadl::linehistory
