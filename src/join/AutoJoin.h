#pragma once

#include "status/StatusRules.h"

#include <QSet>
#include <QString>

#include <functional>

namespace trevisk {

class GameLauncher;
class MonitorWindows;
class Prompter;
class StatusModel;
class Stores;

// Joining a server: the full-server question, the one armed auto-join and the game's start.
// The grid and the details window share it; each passes the counts it shows.
class AutoJoin
{
public:
    AutoJoin(
        StatusModel& status, const Stores& stores, Prompter& prompter, MonitorWindows& windows, GameLauncher& launcher);

    // Disarms every server.
    void cJoin();
    bool isAutoJoin(const QString& address) const;
    // Arms one server's mark without touching the others.
    void updateJoin(const QString& address);
    // Disarms every server and clears the flag of every details window.
    void cancelAutoJoin();

    // The join of the grid's menu (counts of the status row) or, with `direct`, a firing auto-join.
    void joinServer(bool direct, const QString& address, const QString& game);
    // The same join with the caller's counts (the details window's grid and maximum).
    void join(bool direct, const QString& address, const QString& game, const PlayerCounts& counts);
    // Fires the armed auto-join of a server that now has a free slot; true when it fired.
    bool fireIfFree(const QString& address, const QString& game);

    // Queries a server once more and says whether it answered. While one is set, a join that
    // would start the game without asking first checks that the server is still up and not full.
    using Recheck = std::function<void(const QString& address, std::function<void(bool answered)> done)>;
    void setRecheck(Recheck recheck) { m_recheck = std::move(recheck); }
    // A join waiting for its server's fresh answer.
    bool isChecking(const QString& address) const
    {
        return m_autoChecking.contains(address) || m_joinChecking.contains(address);
    }

private:
    void askWhenFull(const QString& address, const QString& game);
    void checkThenLaunch(bool automatic, const QString& address, const QString& game);
    void launch(const QString& address, const QString& game);

    StatusModel& m_status;
    const Stores& m_stores;
    Prompter& m_prompter;
    MonitorWindows& m_windows;
    GameLauncher& m_launcher;
    Recheck m_recheck;
    QSet<QString> m_autoChecking;
    QSet<QString> m_joinChecking;
};

} // namespace trevisk
