#pragma once

#include "core/Prompter.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QSystemTrayIcon>

class QHeaderView;
class QLabel;
class QMenu;
class QTableView;

namespace trevisk {

struct AppContext;
class DesktopNotifier;
class ErrorReporter;
class EventLog;
class ServerHistoryWindow;
struct StatusRow;
class Monitor;
class NotificationQueue;
class Prompter;
class RconWindow;
class SoundPlayer;

// What the main window works with; each part outlives the window.
struct MainWindowServices
{
    Monitor& monitor;
    AppContext& context;
    Prompter& prompter;
    ErrorReporter& reporter;
    NotificationQueue* popups = nullptr;
    SoundPlayer* sound = nullptr;  // the settings dialog's "Play"
    const EventLog* log = nullptr; // the message history's rows
    // The settings dialog's "Test" of desktop notifications.
    DesktopNotifier* desktop = nullptr;
};

// The server grid over the status table, the menus, and the main tray icon. The close box only
// hides it; "Exit" ends the program.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr char Caption[] = "Ostravel Trevisk";
    static constexpr char LoadedText[] = QT_TRANSLATE_NOOP("trevisk::MainWindow", "Ostravel Trevisk Loaded....");
    static constexpr char NotAvailableText[] =
        QT_TRANSLATE_NOOP("trevisk::MainWindow", "This window is not available yet.");
    static constexpr char EmptyListText[] = QT_TRANSLATE_NOOP(
        "trevisk::MainWindow",
        "No servers are listed yet.\n\nAdd one with \"Add Server...\" in the Servers menu, or import a list "
        "from the File menu.\nTo see every engine at work first, start \"trevisk --demo\".");

    explicit MainWindow(const MainWindowServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's part of start-up: placement, the main tray icon, the loaded pop-up, and
    // the window shown unless it starts in the tray (or there is no tray to start in).
    void load();
    // Saves the placement (unless minimised or maximised) and ends the program.
    void exitProgram();

    // The address of the grid's first selected row, empty when none is selected.
    QString selectedAddress() const;
    QTableView* grid() const { return m_grid; }
    QSystemTrayIcon& trayIcon() { return m_tray; }
    QMenu* gridMenu() const { return m_gridMenu; }
    QMenu* trayMenu() const { return m_trayMenu; }
    // A double-click on the main tray icon: the first one refreshes every server.
    void trayDoubleClicked();

    void savePlacement() const;
    void restorePlacement();
    // Puts each column at its stored position (-1 or out of range: left where it is). Placing them
    // in the order of their targets makes every stored order come back as it was saved.
    static void restoreColumnOrder(QHeaderView& header, const QList<int>& positions);

signals:
    void exitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void showGridMenu(const QPoint& at);
    void showDetails(Prompter::Icon icon);
    void openRemoteConsole();
    void joinSelected();
    void purgeHistory();
    void showMessageHistory();
    void showServerHistory();
    void showSettings();
    void notAvailable();
    const StatusRow* selectedRow() const;
    void showSelectedDetails();

    MainWindowServices m_services;
    QTableView* m_grid;
    QMenu* m_gridMenu;
    QMenu* m_trayMenu;
    QAction* m_cancelAutoJoin = nullptr;
    QSystemTrayIcon m_tray;
    // The windows of the Settings menu, one of each at a time.
    QPointer<QDialog> m_settingsDialog;
    QPointer<QDialog> m_emailDialog;
    QPointer<QDialog> m_pathsDialog;
    QPointer<QDialog> m_friendsDialog;
    QPointer<QDialog> m_mapsDialog;
    QPointer<QDialog> m_messageHistory;
    // One chart window per server address.
    QMap<QString, QPointer<ServerHistoryWindow>> m_serverHistories;
    // One remote console per server address.
    QMap<QString, QPointer<RconWindow>> m_consoles;
    bool m_firstShow = false;
    bool m_exiting = false;
};

} // namespace trevisk
