#pragma once

#include <QString>
#include <QStringList>

namespace trevisk {

struct AppSettings;
class Stores;

struct AddFoundOutcome
{
    int added = 0;
    int listed = 0;      // in the list already
    QStringList refused; // "address: why", for any the checks refused
    QString saveError;   // the list could not be saved: nothing of the failed one was kept
};

// Adds found servers of `game` as the add-server dialog would with its defaults: the same checks,
// no memo, the default tray setting and icon colours.
AddFoundOutcome
addFoundServers(Stores& stores, const AppSettings& settings, const QString& game, const QStringList& addresses);

} // namespace trevisk
