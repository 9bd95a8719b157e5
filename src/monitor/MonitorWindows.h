#pragma once

#include "players/Player.h"
#include "query/AnswerUpdate.h"

#include <QString>

namespace trevisk {

// What the monitor asks of the windows: the details windows with their tray icons, and the
// add/edit server dialog. Without windows (headless) nothing is shown and every call is empty.
class MonitorWindows
{
public:
    virtual ~MonitorWindows() = default;

    // Shows the details window of a server, creating it when none is loaded; true when it was created.
    virtual bool showServerWindow(const QString& address, const QString& name, const QString& game, bool show)
    {
        Q_UNUSED(address);
        Q_UNUSED(name);
        Q_UNUSED(game);
        Q_UNUSED(show);
        return true;
    }
    virtual void closeServerWindow(const QString& address) { Q_UNUSED(address); }
    // Rebinds the open details window of `oldAddress`, if any, after an edit.
    virtual void
    reloadServerWindow(const QString& oldAddress, const QString& address, const QString& game, const QString& name)
    {
        Q_UNUSED(oldAddress);
        Q_UNUSED(address);
        Q_UNUSED(game);
        Q_UNUSED(name);
    }
    virtual void setTimeOut(const QString& address) { Q_UNUSED(address); }
    virtual void updateDetails(const QString& address,
                               const QString& name,
                               const QString& game,
                               const PlayerTable& players,
                               int friendCount,
                               const QString& map,
                               const SettingsTable& settings,
                               int maximum)
    {
        Q_UNUSED(address);
        Q_UNUSED(name);
        Q_UNUSED(game);
        Q_UNUSED(players);
        Q_UNUSED(friendCount);
        Q_UNUSED(map);
        Q_UNUSED(settings);
        Q_UNUSED(maximum);
    }
    // The auto-join flag a details window shows; an empty address clears every window's flag.
    virtual void setAutoJoinFlag(const QString& address, bool armed)
    {
        Q_UNUSED(address);
        Q_UNUSED(armed);
    }

    // The add/edit server dialog: it saves the record itself and returns the saved address,
    // or an empty text when the user cancelled.
    virtual QString runAddServerDialog() { return {}; }
    virtual QString runEditServerDialog(const QString& address)
    {
        Q_UNUSED(address);
        return {};
    }
};

// Starts a game detached; tests record the call instead.
class GameLauncher
{
public:
    virtual ~GameLauncher() = default;
    virtual bool start(const QString& program, const QStringList& arguments, const QString& folder);
};

} // namespace trevisk
