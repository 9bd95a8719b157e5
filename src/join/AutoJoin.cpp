#include "join/AutoJoin.h"

#include "core/Prompter.h"
#include "join/GameLauncher.h"
#include "status/MonitorWindows.h"
#include "status/StatusModel.h"
#include "store/Stores.h"

#include <QCoreApplication>

namespace trevisk {

AutoJoin::AutoJoin(
    StatusModel& status, const Stores& stores, Prompter& prompter, MonitorWindows& windows, GameLauncher& launcher)
    : m_status(status)
    , m_stores(stores)
    , m_prompter(prompter)
    , m_windows(windows)
    , m_launcher(launcher)
{}

void AutoJoin::cJoin()
{
    m_status.updateAll([](StatusRow& row) { row.autoJoin = false; });
}

bool AutoJoin::isAutoJoin(const QString& address) const
{
    const StatusRow* row = m_status.find(address);
    return row && row->autoJoin;
}

void AutoJoin::updateJoin(const QString& address)
{
    m_status.update(address, [](StatusRow& row) { row.autoJoin = true; });
}

void AutoJoin::cancelAutoJoin()
{
    cJoin();
    m_windows.setAutoJoinFlag(QString(), false);
}

void AutoJoin::joinServer(bool direct, const QString& address, const QString& game)
{
    if (const StatusRow* row = m_status.find(address))
        join(direct, address, game, PlayerCounts::of(*row));
}

void AutoJoin::join(bool direct, const QString& address, const QString& game, const PlayerCounts& counts)
{
    if (!m_status.find(address))
        return;
    if (direct) {
        checkThenLaunch(true, address, game);
        return;
    }
    if (counts.full()) {
        askWhenFull(address, game);
        return;
    }
    // Any join, manual or automatic, disarms every auto-join.
    cancelAutoJoin();
    checkThenLaunch(false, address, game);
}

void AutoJoin::askWhenFull(const QString& address, const QString& game)
{
    const int choice = m_prompter.choose(QCoreApplication::translate("AutoJoin", "Auto Join"),
                                         QCoreApplication::translate("AutoJoin", "The server is full."),
                                         {QCoreApplication::translate("AutoJoin", "Join when Free"),
                                          QCoreApplication::translate("AutoJoin", "Join Anyways"),
                                          QCoreApplication::translate("AutoJoin", "&Cancel")});
    if (choice == 0) {
        cancelAutoJoin();
        updateJoin(address);
        m_windows.setAutoJoinFlag(address, true);
        return;
    }
    if (choice != 1)
        return;
    // The user has chosen to join whatever the count: no second look.
    cancelAutoJoin();
    launch(address, game);
}

void AutoJoin::checkThenLaunch(bool automatic, const QString& address, const QString& game)
{
    if (!m_recheck) {
        if (automatic)
            cancelAutoJoin();
        launch(address, game);
        return;
    }
    // One check of each kind at a time; a click on Join is not lost to a running auto-join check.
    QSet<QString>& checking = automatic ? m_autoChecking : m_joinChecking;
    if (checking.contains(address))
        return;
    checking.insert(address);
    m_recheck(address, [this, automatic, address, game](bool answered) {
        (automatic ? m_autoChecking : m_joinChecking).remove(address);
        const StatusRow* row = m_status.find(address);
        if (!row)
            return;
        const bool full = PlayerCounts::of(*row).full();
        if (automatic) {
            // A server that went full or down meanwhile keeps its mark: the next free slot fires it.
            if (!row->autoJoin || !answered || full)
                return;
            cancelAutoJoin();
            launch(address, game);
            return;
        }
        if (!answered) {
            const QString name = row->name.value_or(QString()).isEmpty() ? address : *row->name;
            m_prompter.tell(
                name + QCoreApplication::translate("AutoJoin", " did not answer just now: the game was not started."),
                Prompter::Icon::Exclamation);
            return;
        }
        if (full) {
            askWhenFull(address, game);
            return;
        }
        launch(address, game);
    });
}

bool AutoJoin::fireIfFree(const QString& address, const QString& game)
{
    const StatusRow* row = m_status.find(address);
    if (!row || !row->autoJoin || !PlayerCounts::of(*row).hasRoom())
        return false;
    checkThenLaunch(true, address, game);
    return true;
}

void AutoJoin::launch(const QString& address, const QString& game)
{
    const auto command = launchCommand(m_stores.gamePaths.rows, game, address);
    if (!command) {
        m_prompter.tell(QCoreApplication::translate("AutoJoin", "Location of ") + game
                            + QCoreApplication::translate("AutoJoin", " has not been configured!"),
                        Prompter::Icon::Exclamation);
        return;
    }
    if (!m_launcher.start(command->program, command->arguments, command->folder)) {
        m_prompter.tell(
            QCoreApplication::translate("AutoJoin", "%1 could not be started from %2").arg(game, command->program),
            Prompter::Icon::Exclamation);
    }
}

} // namespace trevisk
