#pragma once

#include "monitor/AlertMail.h"
#include "monitor/AlertSnooze.h"
#include "monitor/AutoJoin.h"
#include "monitor/History.h"
#include "monitor/JoinCheck.h"
#include "monitor/StatusModel.h"
#include "monitor/UptimeLog.h"
#include "query/AnswerUpdate.h"
#include "query/QueryEngine.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>

#include <memory>
#include <set>
#include <vector>

namespace trevisk {

struct AppContext;
struct ServerRecord;
class Clock;
class ErrorReporter;
class EventLog;
class GameLauncher;
class MonitorWindows;
class NotificationQueue;
class Prompter;
class ServerQuery;
class SoundPlayer;

// What the monitor works with; each part is owned elsewhere and outlives the monitor.
struct MonitorServices
{
    AppContext& context; // settings, their store and the record files
    const Clock& clock;
    EventLog& log;
    NotificationQueue* popups; // none without a desktop
    SoundPlayer& sound;
    Prompter& prompter;
    ErrorReporter& reporter;
    MonitorWindows& windows;
    GameLauncher& launcher;
};

// The monitor: one query object per listed server, the status table they fill, and the
// events their answers and time-outs raise. It wires the parts: the change rules
// (StatusRules), alert mail (AlertMail), joining (AutoJoin) and list editing (ServerList).
// Windows are reached only through MonitorWindows.
class Monitor : public QObject
{
    Q_OBJECT
public:
    // The most queries a second; below it the pace follows what the path takes.
    static constexpr int QueriesPerSecond = SendPacer::HomeQueriesPerSecond;
    // Past it while nothing is lost: a hundred thousand servers at a 30 s refresh ask 3,334 a second.
    static constexpr int OpenQueriesPerSecond = 5 * SendPacer::HomeQueriesPerSecond;

    explicit Monitor(const MonitorServices& services, QObject* parent = nullptr);
    ~Monitor() override;

    QueryEngine& engine() { return m_engine; }
    StatusModel& status() { return m_status; }
    const StatusModel& status() const { return m_status; }
    History& history() { return m_history; }
    AutoJoin& autoJoin() { return m_autoJoin; }
    AlertMail& alertMail() { return m_alertMail; }
    const Clock& clock() const { return m_services.clock; }
    const SettingsTable* serverSettings(const QString& address) const;
    // The query object serving an address, or nullptr.
    ServerQuery* queryFor(const QString& address) const;
    int queryObjectCount() const { return static_cast<int>(m_queries.size()); }

    // Builds the list and the query objects, and opens the details windows of servers marked for the tray.
    void start();
    // The settings or friends changed: the refresh interval, the schedule switch, the friends
    // list, the pop-up colours and the alert mail settings take effect at once.
    void applySettings();

    void updateList();
    void loadQuery(const QString& address, const QString& game, bool manualRefresh, int queryPort);
    void stopCtrl(const QString& address);
    void refreshServer(const QString& address);
    void refreshAll();
    void mergeSettings(const std::shared_ptr<const SettingsTable>& settings, const QString& address);
    QString getServerName(const QString& address) const;
    void showServerWindow(const QString& address, const QString& name, const QString& game, bool show);

    void addServer();
    // The selected grid row's address, empty when none is selected.
    void editServer(const QString& selectedAddress);
    void delServer(const QString& selectedAddress);

    // Alerts of a server (pop-ups, sounds, mail) held back for a while; the log still gets every event.
    // Each returns what failed to save, or empty.
    QString snoozeAlerts(const QString& address, SnoozeLength length);
    QString resumeAlerts(const QString& address);
    bool alertsSnoozed(const QString& address) const;
    const AlertSnooze& snoozes() const { return m_snooze; }
    // While snoozed: the end, or an invalid time for "until turned back on".
    std::optional<QDateTime> alertsSnoozedUntil(const QString& address) const;

    // The share of a server's answered cycles over the last day, week and 30 days.
    UptimeShares uptime(const QString& address) const;
    // Saves the counts of the run at its end; returns what failed, or empty. Without it the
    // destructor saves them, and nobody hears of a failure.
    QString saveAtExit();
    const UptimeLog& uptimeLog() const { return m_uptime; }

    void cJoin() { m_autoJoin.cJoin(); }
    bool isAutoJoin(const QString& address) const { return m_autoJoin.isAutoJoin(address); }
    void updateJoin(const QString& address) { m_autoJoin.updateJoin(address); }
    void cancelAutoJoin() { m_autoJoin.cancelAutoJoin(); }
    void joinServer(bool direct, const QString& address, const QString& game)
    {
        m_autoJoin.joinServer(direct, address, game);
    }

signals:
    // Every event text, whether it went to the pop-up (by its switch) and to the log (by its kind).
    void notified(const QDateTime& stamp, const QString& text, bool poppedUp, bool logged);
    // An alert passed the repeat rule and was handed to a mailer of its own.
    void alertMailStarted(const QString& address);
    void alertMailSent(const QString& address);
    void alertMailFailed(const QString& address, const QString& error);

private:
    void serverUpdate(ServerQuery* query);
    void serverTimeOut(ServerQuery* query);
    void announceFriends(ServerQuery& query, const PlayerTable& players);
    // The log keeps its English line (logText, when the shown text is translated).
    void notify(const QString& text, bool popUp, bool logIt, int soundSlot, const QString& logText = {});
    // An event of one server: logged as ever, but neither popped up nor sounded while its alerts are snoozed.
    void notifyAbout(const QString& address,
                     const QString& text,
                     bool popUp,
                     bool logIt,
                     int soundSlot,
                     const QString& logText = {});
    void countCycle(const ServerQuery& query, bool answered);
    void playSlot(int slot);
    // Points a query object at a record, keeping its results while it serves the same server and game.
    void rebind(ServerQuery& query, const ServerRecord& record);
    bool trayAtStart(const ServerRecord& record) const;
    static StatusRow rowFor(const ServerRecord& record);

    MonitorServices m_services;
    QueryEngine m_engine;
    StatusModel m_status;
    History m_history;
    AlertMail m_alertMail;
    AutoJoin m_autoJoin;
    JoinCheck m_joinCheck;
    AlertSnooze m_snooze;
    QFileSystemWatcher m_snoozeWatch;
    // Servers whose outage began while snoozed: the end of the snooze does not announce it.
    QSet<QString> m_quietOutage;
    UptimeLog m_uptime;
    bool m_savedAtExit = false;
    // Mostly the query object's own table, shared; a copy only while it lacks a key seen before.
    QHash<QString, std::shared_ptr<const SettingsTable>> m_serverSettings;

    std::vector<std::unique_ptr<ServerQuery>> m_queries;
    QHash<QString, int> m_queryIndex; // the first element serving an address
    std::set<int> m_freeQueries;      // elements without an address, reused lowest first
};

} // namespace trevisk
