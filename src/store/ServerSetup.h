#pragma once
// A chain's server: its preparation by the database's owner, the logins that
// work as a restaurant's site or as the head office, and what a workstation may
// ask of the server about itself (its role, a purchase line's history). Who
// sees which lines is the server's own business (row-level security): nothing
// here is a rule the client keeps.
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace jadl::serversetup {

// Makes or brings up to date the tables, indexes, functions, group roles and
// policies; runs again harmlessly. What it did, line by line, in Polish.
QStringList prepare(const QString& connection);
// Binds an existing login to the restaurant of that symbol, as its site.
QString addSite(const QString& connection, const QString& login, const QString& restaurantSymbol);
// Lets an existing login work as the head office: every restaurant's lines.
QString addHeadOffice(const QString& connection, const QString& login);

enum class Role { Owner, HeadOffice, Site, None };
Role role(const QString& connection);
// Throws an EngineError saying, in Polish, that `what` is the head office's
// (or the owner's) when this login is a site's.
void requireHeadOffice(const QString& connection, const QString& what);

struct HistoryEntry {
    QDateTime when;
    QString login;
    QString workstation;
    QString operation; // "ZMIANA", "USUNIĘCIE"
    QJsonObject before;
    QJsonObject after; // empty for a removal
};
// Every change and removal of the purchase line, oldest first (the head office's).
QList<HistoryEntry> lineHistory(const QString& connection, qint64 lineNumber);

} // namespace jadl::serversetup
