#pragma once

#include "status/MonitorWindows.h"
#include "tray/ServerDetailsWindow.h"

#include <QHash>

#include <functional>
#include <memory>

namespace trevisk {

// The details windows, one per server address, each with its tray icon; what the monitor
// asks of the windows. The add and edit dialogs come from whoever sets them.
class ServerWindows : public QObject, public NullMonitorWindows
{
    Q_OBJECT
public:
    // The monitor is set once it exists: it is built with these windows.
    ServerWindows(AppContext& context, SoundPlayer& sound, Prompter& prompter);
    ~ServerWindows() override;
    void setMonitor(Monitor* monitor) { m_monitor = monitor; }
    // Runs the add (empty address) or edit server dialog: the saved address, empty when cancelled.
    using ServerDialogRunner = std::function<QString(const QString& address)>;
    void setServerDialog(ServerDialogRunner runner) { m_serverDialog = std::move(runner); }
    QString runAddServerDialog() override { return m_serverDialog ? m_serverDialog(QString()) : QString(); }
    QString runEditServerDialog(const QString& address) override
    {
        return m_serverDialog ? m_serverDialog(address) : QString();
    }

    ServerDetailsWindow* window(const QString& address) const;
    int count() const { return static_cast<int>(m_windows.size()); }

    bool showServerWindow(const QString& address, const QString& name, const QString& game, bool show) override;
    void closeServerWindow(const QString& address) override;
    void reloadServerWindow(const QString& oldAddress,
                            const QString& address,
                            const QString& game,
                            const QString& name) override;
    void setTimeOut(const QString& address) override;
    void setState(const QString& address, ServerState state, const QString& reason) override;
    void updateDetails(const ServerDetails& details) override;
    void setAutoJoinFlag(const QString& address, bool armed) override;

private:
    AppContext& m_context;
    SoundPlayer& m_sound;
    Prompter& m_prompter;
    Monitor* m_monitor = nullptr;
    ServerDialogRunner m_serverDialog;
    std::vector<std::unique_ptr<ServerDetailsWindow>> m_windows;
};

} // namespace trevisk
