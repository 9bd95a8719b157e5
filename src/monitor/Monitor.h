#pragma once

#include "alerts/AlertMail.h"
#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "core/Clock.h"
#include "history/History.h"
#include "join/AutoJoin.h"
#include "join/JoinCheck.h"
#include "monitor/QueryPool.h"
#include "query/AnswerUpdate.h"
#include "query/QueryEngine.h"
#include "query/ServerQuery.h"
#include "status/StatusModel.h"
#include "status/StatusRules.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>

#include <memory>

namespace trevisk {

struct AppContext;
struct ServerRecord;
class ErrorReporter;
class EventLog;
class GameLauncher;
class MonitorWindows;
class NotificationQueue;
class Prompter;
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

// The monitor: one query object per listed server (QueryPool), the status table they fill, and the
// events their answers and time-outs raise. It wires the parts: the change rules (StatusRules) decide
// the new row and the events; the monitor hands them to the log, the pop-ups, the sounds, alert mail
// (AlertMail), joining (AutoJoin), the uptime counts and the history. List editing is ServerList's.
// Windows are reached only through MonitorWindows.
class Monitor : public QObject, private ServerQuery::Listener
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
    // The query object serving an address, or nullptr.
    ServerQuery* queryFor(const QString& address) const { return m_queries.find(address); }
    int queryObjectCount() const { return m_queries.size(); }

    // Builds the list and the query objects, and opens the details windows of servers marked for the tray.
    void start();
    // The settings or friends changed: the refresh interval, the schedule switch, the friends
    // list, the pop-up colours and the alert mail settings take effect at once.
    void applySettings();

    void updateList();
    void refreshServer(const QString& address);
    void refreshAll() { m_queries.refreshAll(); }
    QString getServerName(const QString& address) const
    {
        const StatusRow* row = m_status.find(address);
        return row ? row->name.value_or(QString()) : QString();
    }
    void showServerWindow(const QString& address, const QString& name, const QString& game, bool show);

    void addServer();
    // The selected grid row's address, empty when none is selected.
    void editServer(const QString& selectedAddress);
    void delServer(const QString& selectedAddress);

    // Alerts of a server (pop-ups, sounds, mail) held back for a while; the log still gets every event.
    // Each returns what failed to save, or empty.
    QString snoozeAlerts(const QString& address, SnoozeLength length)
    {
        return m_snooze.snooze(address, length, clock().now());
    }
    QString resumeAlerts(const QString& address) { return m_snooze.resume(address); }
    bool alertsSnoozed(const QString& address) const { return m_snooze.isSnoozed(address, clock().now()); }
    const AlertSnooze& snoozes() const { return m_snooze; }
    // While snoozed: the end, or an invalid time for "until turned back on".
    std::optional<QDateTime> alertsSnoozedUntil(const QString& address) const
    {
        return m_snooze.snoozedUntil(address, clock().now());
    }

    // The share of a server's answered cycles over the last day, week and 30 days.
    UptimeShares uptime(const QString& address) const { return m_uptime.shares(address, clock().now()); }
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
    void serverUpdated(ServerQuery& query) override { serverUpdate(&query); }
    void serverTimedOut(ServerQuery& query) override { serverTimeOut(&query); }
    void serverUpdate(ServerQuery* query);
    void serverTimeOut(ServerQuery* query);
    // The rules' view of a server's settings and alert state.
    RuleInputs inputsFor(const QString& address) const;
    // Hands what a cycle or a time-out caused to the log, the pop-ups, the sounds and the listeners.
    void dispatch(const QString& address, const StepOutcome& outcome);
    void countCycle(const ServerQuery& query, bool answered);
    bool trayAtStart(const ServerRecord& record) const;

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

    QueryPool m_queries;
};

} // namespace trevisk
