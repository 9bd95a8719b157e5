#pragma once

#include "icons/ServerIcon.h"
#include "players/PlayerTable.h"
#include "query/AnswerUpdate.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <optional>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTableView;

namespace trevisk {

struct AppContext;
class DetailsTableModel;
class Monitor;
class Prompter;
class RconWindow;
class SoundPlayer;

// What a details window works with; each part outlives the window.
struct ServerWindowServices
{
    Monitor& monitor;
    AppContext& context;
    SoundPlayer& sound;
    Prompter& prompter;
};

// One server in detail: its players and settings, its own tray icon with the live count,
// and the menu of actions on it. The close box only hides it; "Close Window" unloads it.
class ServerDetailsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ServerDetailsWindow(const ServerWindowServices& services, QWidget* parent = nullptr);
    ~ServerDetailsWindow() override;

    void loadServer(const QString& address, const QString& name, const QString& game, const QString& map);
    void update(const PlayerTable& players,
                int friendCount,
                const QString& map,
                const SettingsTable& settings,
                std::optional<qint32> maximum);
    void setTimeOut();
    void setState(ServerState state, const QString& reason);
    void setAutoJoinFlag(bool armed)
    {
        m_autoJoin = armed;
        prepareMenu(!m_gridPopup);
    }
    bool autoJoinFlag() const { return m_autoJoin; }
    // Shows the window on its "Players" tab and brings it forward.
    void showPlayers();

    const QString& address() const { return m_icon.address(); }
    const ServerIcon& icon() const { return m_icon; }
    QSystemTrayIcon& trayIcon() { return m_tray; }
    QMenu* menu() const { return m_menu; }
    DetailsTableModel& players() { return *m_players; }
    DetailsTableModel& settings() { return *m_settings; }

signals:
    // "Close Window": whoever keeps the windows unloads this one.
    void closeRequested(const QString& address);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateIcon();
    void showUptime();
    void prepareMenu(bool fromTray);
    void join();
    QTableView* makeGrid(DetailsTableModel* model);

    ServerWindowServices m_services;
    ServerIcon m_icon;
    std::optional<qint32> m_maximum;
    bool m_autoJoin = false;
    bool m_gridPopup = false;
    DetailsTableModel* m_players;
    DetailsTableModel* m_settings;
    QTabWidget* m_tabs;
    QLabel* m_state;
    QLabel* m_uptime;
    QMenu* m_menu;
    QAction* m_showAction;
    QAction* m_cancelAutoJoinAction;
    QAction* m_rconAction;
    QPointer<RconWindow> m_console;
    QSystemTrayIcon m_tray;
};

} // namespace trevisk
