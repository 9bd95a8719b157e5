#include "tray/ServerWindows.h"

#include "monitor/Monitor.h"

namespace trevisk {

ServerWindows::ServerWindows(AppContext& context, SoundPlayer& sound, Prompter& prompter)
    : m_context(context)
    , m_sound(sound)
    , m_prompter(prompter)
{}

ServerWindows::~ServerWindows() = default;

ServerDetailsWindow* ServerWindows::window(const QString& address) const
{
    for (const auto& window : m_windows) {
        if (window->address() == address)
            return window.get();
    }
    return nullptr;
}

bool ServerWindows::showServerWindow(const QString& address, const QString& name, const QString& game, bool show)
{
    if (ServerDetailsWindow* open = window(address)) {
        if (show)
            open->showPlayers();
        return false;
    }
    if (!m_monitor)
        return false;
    auto created =
        std::make_unique<ServerDetailsWindow>(ServerWindowServices{*m_monitor, m_context, m_sound, m_prompter});
    created->loadServer(address, name, game, QString());
    created->setAutoJoinFlag(m_monitor->isAutoJoin(address));
    // A window opened between two cycles shows what the last one came to.
    if (const StatusRow* row = m_monitor->status().find(address))
        created->setState(row->state, row->stateReason);
    // Unloaded later, not inside the menu that asked for it.
    connect(created.get(), &ServerDetailsWindow::closeRequested, this, [this](const QString& closing) {
        QMetaObject::invokeMethod(
            this, [this, closing] { closeServerWindow(closing); }, Qt::QueuedConnection);
    });
    if (show)
        created->showPlayers();
    m_windows.push_back(std::move(created));
    return true;
}

void ServerWindows::closeServerWindow(const QString& address)
{
    const auto it = std::find_if(
        m_windows.begin(), m_windows.end(), [&](const auto& window) { return window->address() == address; });
    if (it != m_windows.end())
        m_windows.erase(it);
}

void ServerWindows::reloadServerWindow(const QString& oldAddress,
                                       const QString& address,
                                       const QString& game,
                                       const QString& name)
{
    if (ServerDetailsWindow* open = window(oldAddress))
        open->loadServer(address, name, game, open->icon().map());
}

void ServerWindows::setTimeOut(const QString& address)
{
    if (ServerDetailsWindow* open = window(address))
        open->setTimeOut();
}

void ServerWindows::setState(const QString& address, ServerState state, const QString& reason)
{
    if (ServerDetailsWindow* open = window(address))
        open->setState(state, reason);
}

void ServerWindows::updateDetails(const ServerDetails& details)
{
    if (ServerDetailsWindow* open = window(details.address)) {
        open->loadServer(details.address, details.name, details.game, details.map);
        open->update(details.players, details.friendCount, details.map, details.settings, details.maximum);
    }
}

void ServerWindows::setAutoJoinFlag(const QString& address, bool armed)
{
    for (const auto& window : m_windows) {
        if (address.isEmpty() || window->address() == address) {
            window->setAutoJoinFlag(armed);
            if (!address.isEmpty())
                return;
        }
    }
}

} // namespace trevisk
