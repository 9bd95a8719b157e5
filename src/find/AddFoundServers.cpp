#include "find/AddFoundServers.h"

#include "core/Catalogue.h"
#include "core/Settings.h"
#include "list/ServerForm.h"
#include "store/Stores.h"

namespace trevisk {

AddFoundOutcome
addFoundServers(Stores& stores, const AppSettings& settings, const QString& game, const QStringList& addresses)
{
    AddFoundOutcome outcome;
    for (const QString& address : addresses) {
        ServerForm form;
        const HostPort split = splitAddress(address);
        form.host = split.host;
        form.port = split.port;
        form.game = game;
        form.tray = settings.trayByDefault ? 2 : 0;
        form.icons = settings.icons;
        // The hosts are addresses already: nothing is looked up.
        const ServerFormCheck check = checkServerForm(
            form, QString(), stores, [](const QString&) { return QString(); }, false);
        if (!check.ok) {
            if (check.message == QLatin1String("This server is already in the list!"))
                ++outcome.listed;
            else
                outcome.refused += address + QStringLiteral(": ") + check.message;
            continue;
        }
        outcome.saveError = saveServerForm(stores, QString(), check, QString());
        if (!outcome.saveError.isEmpty())
            break;
        ++outcome.added;
    }
    return outcome;
}

} // namespace trevisk
