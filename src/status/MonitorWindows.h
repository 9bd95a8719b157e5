#pragma once

#include "players/PlayerTable.h"
#include "query/AnswerUpdate.h"
#include "query/ServerState.h"

#include <QString>

#include <optional>

namespace trevisk {

// One answer as a server's details window shows it. The tables are the query's own, read during the call.
struct ServerDetails
{
    QString address;
    QString name;
    QString game;
    const PlayerTable& players;
    int friendCount = 0;
    QString map;
    const SettingsTable& settings;
    std::optional<qint32> maximum; // unset when the server sent no number
};

// What the monitor asks of the windows: the details windows with their tray icons, and the
// add/edit server dialog.
class MonitorWindows
{
public:
    virtual ~MonitorWindows() = default;

    // Shows the details window of a server, creating it when none is loaded; true when it was created.
    virtual bool showServerWindow(const QString& address, const QString& name, const QString& game, bool show) = 0;
    virtual void closeServerWindow(const QString& address) = 0;
    // Rebinds the open details window of `oldAddress`, if any, after an edit.
    virtual void
    reloadServerWindow(const QString& oldAddress, const QString& address, const QString& game, const QString& name) = 0;
    virtual void setTimeOut(const QString& address) = 0;
    // What the server's last query came to, for its details window and tray tip.
    virtual void setState(const QString& address, ServerState state, const QString& reason)
    {
        Q_UNUSED(address);
        Q_UNUSED(state);
        Q_UNUSED(reason);
    }
    // Feeds an open details window.
    virtual void updateDetails(const ServerDetails& details) = 0;
    // The auto-join flag a details window shows; an empty address clears every window's flag.
    virtual void setAutoJoinFlag(const QString& address, bool armed) = 0;

    // The add/edit server dialog: it saves the record itself and returns the saved address,
    // or an empty text when the user cancelled.
    virtual QString runAddServerDialog() = 0;
    virtual QString runEditServerDialog(const QString& address) = 0;
};

// Without windows (headless) nothing is shown and no dialog runs.
class NullMonitorWindows : public MonitorWindows
{
public:
    bool showServerWindow(const QString&, const QString&, const QString&, bool) override { return true; }
    void closeServerWindow(const QString&) override {}
    void reloadServerWindow(const QString&, const QString&, const QString&, const QString&) override {}
    void setTimeOut(const QString&) override {}
    void updateDetails(const ServerDetails&) override {}
    void setAutoJoinFlag(const QString&, bool) override {}
    QString runAddServerDialog() override { return {}; }
    QString runEditServerDialog(const QString&) override { return {}; }
};

} // namespace trevisk
