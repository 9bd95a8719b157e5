#include "monitor/Monitor.h"

#include "core/Clock.h"
#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "core/Routines.h"
#include "core/Sound.h"
#include "list/ServerList.h"
#include "notify/EmailSettings.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "players/FriendList.h"
#include "query/ServerQuery.h"
#include "session/Startup.h"
#include "status/MonitorWindows.h"
#include "status/StatusRules.h"

#include <QDir>

namespace trevisk {

namespace {

FriendList friendListOf(const AppContext& context)
{
    QStringList names;
    for (const FriendRecord& record : context.stores.friends.rows)
        names << record.name.value_or(QString());
    return FriendList(names);
}

QString dataFile(const AppContext& context, const char* name)
{
    return context.dataDir.isEmpty() ? QString() : QDir(context.dataDir).filePath(QString::fromLatin1(name));
}

} // namespace

Monitor::Monitor(const MonitorServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_engine(services.clock)
    , m_alertMail(services.clock)
    , m_autoJoin(m_status, services.context.stores, services.prompter, services.windows, services.launcher)
    , m_snooze(dataFile(services.context, SnoozeFile))
    , m_uptime(dataFile(services.context, UptimeFile))
    , m_queries(m_engine, [this](ServerQuery& query) { query.setListener(this); })
{
    m_autoJoin.setRecheck([this](const QString& address, JoinCheck::Done done) {
        m_joinCheck.start(queryFor(address), std::move(done));
    });
    // A snooze set from the command line reaches a running monitor through its file.
    if (!services.context.dataDir.isEmpty() && m_snoozeWatch.addPath(services.context.dataDir)) {
        connect(&m_snoozeWatch, &QFileSystemWatcher::directoryChanged, this, [this] { m_snooze.load(); });
    }
    QueryEngine::Timing timing = m_engine.timing();
    timing.queriesPerSecond = QueriesPerSecond;
    timing.openQueriesPerSecond = OpenQueriesPerSecond;
    m_engine.setTiming(timing);
    connect(&m_alertMail, &AlertMail::started, this, &Monitor::alertMailStarted);
    connect(&m_alertMail, &AlertMail::failed, this, &Monitor::alertMailFailed);
    connect(&m_alertMail, &AlertMail::sent, this, [this](const QString& address) {
        // Only a mail the relay accepted counts, and only while the outage lasts.
        m_status.update(address, [&](StatusRow& row) {
            if (!row.answered())
                row.lastMail = m_services.clock.now();
        });
        emit alertMailSent(address);
    });
    applySettings();
}

Monitor::~Monitor()
{
    if (!m_savedAtExit)
        saveAtExit();
}

QString Monitor::saveAtExit()
{
    m_savedAtExit = true;
    return m_uptime.serverCount() > 0 ? m_uptime.save(m_services.clock.now()) : QString();
}

void Monitor::applySettings()
{
    const AppSettings& settings = m_services.context.settings;
    m_engine.setRefreshInterval(std::chrono::seconds(settings.refreshSeconds()));
    m_engine.setScheduleEnabled(!settings.autoRefreshOff);
    m_engine.setFriendList(friendListOf(m_services.context));
    if (m_services.popups) {
        m_services.popups->setColours(settings.notifyFore, settings.notifyBack);
        m_services.popups->setStyle(settings.popupStyle);
    }
    if (m_services.context.settingsStore)
        m_alertMail.setSettings(EmailSettings::load(*m_services.context.settingsStore));
}

bool Monitor::trayAtStart(const ServerRecord& record) const
{
    const int tray = record.tray.value_or(0);
    return tray == 1 || (tray == 2 && m_services.context.settings.trayByDefault);
}

void Monitor::start()
{
    m_snooze.load();
    if (const QString error = m_uptime.load(m_services.clock.now()); !error.isEmpty())
        qWarning("The uptime counts could not be read (%s); they start again.", qUtf8Printable(error));
    updateList();
    for (const ServerRecord& record : m_services.context.stores.servers.rows) {
        if (trayAtStart(record))
            showServerWindow(record.addressText(), QString(), record.gameText(), false);
    }
}

void Monitor::updateList()
{
    const std::vector<ServerRecord> records = m_services.context.stores.servers.rows;
    std::vector<StatusRow> rows;
    rows.reserve(records.size());
    QSet<QString> listed;
    for (const ServerRecord& record : records) {
        rows.push_back(listedRow(record));
        listed.insert(record.addressText());
    }
    m_status.reset(std::move(rows));
    // Servers no longer listed stop, so nothing is queried, shown or mailed for them.
    for (const QString& address : m_queries.addresses()) {
        if (listed.contains(address))
            continue;
        m_services.windows.closeServerWindow(address);
        m_alertMail.cancel(address);
        m_queries.stop(address);
    }
    for (const ServerRecord& record : records)
        m_queries.load(record);
}

// Not const: it sends a query, which is the monitor's own work.
void Monitor::refreshServer(const QString& address) // NOLINT(readability-make-member-function-const)
{
    if (ServerQuery* query = queryFor(address))
        query->sendQuery();
}

void Monitor::showServerWindow(const QString& address, const QString& name, const QString& game, bool show)
{
    if (m_services.windows.showServerWindow(address, name, game, show))
        refreshServer(address);
}

void Monitor::addServer()
{
    const QString address = m_services.windows.runAddServerDialog().trimmed();
    if (address.isEmpty())
        return;
    const ServerRecord* found = findServerRecord(m_services.context.stores, address);
    if (!found)
        return;
    const ServerRecord record = *found;
    m_status.append(listedRow(record));
    m_queries.load(record);
    if (trayAtStart(record))
        showServerWindow(record.addressText(), QString(), record.gameText(), false);
}

void Monitor::editServer(const QString& selectedAddress)
{
    if (selectedAddress.isEmpty()) {
        m_services.prompter.tell(tr("You must select as server to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    // A copy: the selection the caller passed may change while the dialog runs.
    const QString oldAddress = selectedAddress; // NOLINT(performance-unnecessary-copy-initialization)
    if (!findServerRecord(m_services.context.stores, oldAddress))
        return;
    const QString newAddress = m_services.windows.runEditServerDialog(oldAddress);
    if (newAddress.isEmpty())
        return;
    const ServerRecord* found = findServerRecord(m_services.context.stores, newAddress);
    if (!found)
        return;
    const ServerRecord record = *found;
    m_services.windows.reloadServerWindow(
        oldAddress, record.addressText(), record.gameText(), getServerName(oldAddress));
    m_status.update(oldAddress, [&](StatusRow& row) { relist(row, record); });
    m_queries.move(oldAddress, record);
}

void Monitor::delServer(const QString& selectedAddress)
{
    if (selectedAddress.isEmpty()) {
        m_services.prompter.tell(tr("You must select a server to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    if (m_services.prompter.ask(
            tr("Are you sure you want to delete this server?"), Prompter::Icon::Question, Prompter::Buttons::YesNo)
        != Prompter::Answer::Yes)
        return;
    // A copy: the selection the caller passed may change while the box is open.
    const QString address = selectedAddress; // NOLINT(performance-unnecessary-copy-initialization)
    const ServerRemoval removal = removeServerRecord(m_services.context.stores, address);
    // A list that could not be saved still holds the server: it stays monitored.
    if (!removal.serversError.isEmpty()) {
        m_services.reporter.report(removal.serversError, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
        return;
    }
    m_status.remove(address);
    m_uptime.forget(address);
    m_quietOutage.remove(address);
    // A server listed again later starts with its alerts on.
    if (m_snooze.snoozedUntil(address, m_services.clock.now()))
        m_snooze.resume(address);
    m_services.windows.closeServerWindow(address);
    m_alertMail.cancel(address);
    m_queries.stop(address);
    if (!removal.messagesError.isEmpty())
        m_services.reporter.report(removal.messagesError, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
}

void Monitor::countCycle(const ServerQuery& query, bool answered)
{
    const QDateTime now = m_services.clock.now();
    m_uptime.record(query.address(), query.cycleNumber(), answered, now);
    if (m_uptime.saveDue(now)) {
        if (const QString error = m_uptime.save(now); !error.isEmpty())
            qWarning("The uptime counts could not be saved: %s", qUtf8Printable(error));
    }
}

RuleInputs Monitor::inputsFor(const QString& address) const
{
    return {m_services.context.settings,
            m_services.context.stores.favMaps.rows,
            m_engine.friendList(),
            m_alertMail.settings(),
            m_services.clock.now(),
            alertsSnoozed(address),
            m_quietOutage.contains(address)};
}

void Monitor::dispatch(const QString& address, const StepOutcome& outcome)
{
    if (outcome.quietOutage)
        m_quietOutage.insert(address);
    else
        m_quietOutage.remove(address);
    const AppSettings& settings = m_services.context.settings;
    for (const MonitorEvent& event : outcome.events) {
        if (event.log)
            m_services.log.logMessage(event.logged);
        if (event.popUp && m_services.popups) {
            // The lines are the monitor's own; what a server sent within them is shown as one line each.
            QStringList lines = event.shown.split(QStringLiteral("\r\n"));
            for (QString& line : lines)
                line = visibleText(line);
            m_services.popups->setMessage(lines.join(QStringLiteral("\r\n")));
        }
        if (event.sound >= 0)
            playWave(m_services.sound, settings.soundPath.at(static_cast<size_t>(event.sound)), 0);
        emit notified(m_services.clock.now(), event.shown, event.popUp, event.log);
    }
}

void Monitor::serverUpdate(ServerQuery* query)
{
    const QString address = query->address();
    const StatusRow* previous = m_status.find(address);
    if (!previous)
        return;
    const QDateTime now = m_services.clock.now();
    if (query->state() == ServerState::BadAnswer) {
        // Not up, not down: the grid says so, and nothing the answer said reaches the counts or the rules.
        m_status.update(address, [&](StatusRow& row) { applyBadAnswer(row, query->stateReason()); });
        m_services.windows.setState(address, ServerState::BadAnswer, query->stateReason());
        countCycle(*query, false);
        m_history.append(now, address, std::nullopt, std::nullopt);
        return;
    }
    const std::optional<PlayerTable>& players = query->players();
    const bool answered = !query->lastRefresh().isNull();
    const QString hostname = query->hostname();
    const QString game = query->game();

    CycleResult result;
    result.game = game;
    result.hostname = hostname;
    result.colouredHostname = query->colouredHostname();
    result.map = query->map();
    result.numPlayers = query->numPlayers();
    result.maxPlayers = query->maxPlayers();
    result.lastRefresh = query->lastRefresh();
    result.ping = query->ping();
    result.players = players ? &*players : nullptr;
    result.playersReceived = query->playersReceived();
    result.reportsPlayerCount = query->reportsPlayerCount();
    result.playersIncomplete = query->playersIncomplete();
    result.friendsPresent = query->friends();
    StepOutcome outcome = applyCycle(*previous, result, inputsFor(address));
    m_status.update(address, [&](StatusRow& row) { row = std::move(outcome.row); });
    dispatch(address, outcome);

    m_autoJoin.fireIfFree(address, game);

    if (players) {
        // The details window shows the friends of this answer, not of the one before.
        query->setFriends(outcome.friendsPresent);
        if (answered) {
            const StatusRow* row = m_status.find(address);
            m_services.windows.updateDetails({.address = address,
                                              .name = hostname,
                                              .game = game,
                                              .players = *players,
                                              .friendCount = static_cast<int>(query->friends().size()),
                                              .map = result.map,
                                              .settings = query->settings(),
                                              .maximum = row ? row->maxPlayers : std::nullopt});
        }
    }

    if (answered) {
        countCycle(*query, true);
        m_services.windows.setState(address, ServerState::Up, {});
        m_history.append(now, address, query->ping(), players ? int(players->size()) : 0);
    } else {
        m_history.append(now, address, std::nullopt, std::nullopt);
    }
}

void Monitor::serverTimeOut(ServerQuery* query)
{
    const QString address = query->address();
    m_services.windows.setTimeOut(address);
    const StatusRow* previous = m_status.find(address);
    if (!previous)
        return;
    const StepOutcome outcome =
        applyTimeOut(*previous, {query->hostname(), query->state(), query->stateReason()}, inputsFor(address));
    m_status.update(address, [&](StatusRow& row) { row = outcome.row; });
    m_services.windows.setState(address, query->state(), query->stateReason());
    countCycle(*query, false);
    dispatch(address, outcome);
    if (outcome.mailDue && !m_alertMail.isSending(address))
        m_alertMail.send(outcome.row, loadCustomMessage(m_services.context.stores, address));
}

} // namespace trevisk
