#include "monitor/Monitor.h"

#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "core/Routines.h"
#include "core/Sound.h"
#include "monitor/MonitorWindows.h"
#include "monitor/ServerList.h"
#include "monitor/StatusRules.h"
#include "notify/EmailSettings.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "players/FriendList.h"
#include "query/ServerQuery.h"
#include "session/Startup.h"

#include <QDir>

namespace trevisk {

namespace {

// An event as the user reads it and as the log file keeps it, in English.
struct EventText
{
    QString shown;
    QString logged;
};

// The arguments fill both at once, so that a %2 in a server's name stays as it is.
template <typename... Args> EventText eventText(const char* source, const Args&... args)
{
    return {Monitor::tr(source).arg(args...), QString::fromUtf8(source).arg(args...)};
}

FriendList friendListOf(const AppContext& context)
{
    QStringList names;
    for (const FriendRecord& record : context.stores.friends.rows)
        names << record.name.value_or(QString());
    return FriendList(names);
}

int queryPortOf(const ServerRecord& record)
{
    return record.queryPort.value_or(0);
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

const SettingsTable* Monitor::serverSettings(const QString& address) const
{
    const auto it = m_serverSettings.constFind(address);
    return it == m_serverSettings.constEnd() ? nullptr : it->get();
}

ServerQuery* Monitor::queryFor(const QString& address) const
{
    const int index = m_queryIndex.value(address, -1);
    return index < 0 ? nullptr : m_queries[static_cast<size_t>(index)].get();
}

StatusRow Monitor::rowFor(const ServerRecord& record)
{
    StatusRow row;
    row.memo = record.memo.value_or(QString());
    row.noAlertMail = record.noAlertMail.value_or(false);
    row.game = record.gameText();
    row.address = record.addressText();
    row.manualRefresh = record.manualRefresh.value_or(false);
    return row;
}

bool Monitor::trayAtStart(const ServerRecord& record) const
{
    const int tray = record.tray.value_or(0);
    return tray == 1 || (tray == 2 && m_services.context.settings.trayByDefault);
}

void Monitor::start()
{
    m_serverSettings.clear();
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
        rows.push_back(rowFor(record));
        listed.insert(record.addressText());
    }
    m_status.reset(std::move(rows));
    for (auto it = m_serverSettings.begin(); it != m_serverSettings.end();)
        it = listed.contains(it.key()) ? std::next(it) : m_serverSettings.erase(it);
    // Servers no longer listed stop, so nothing is queried, shown or mailed for them.
    for (const auto& query : m_queries) {
        const QString address = query->address(); // a copy: stopping the object empties its own
        if (address.isEmpty() || listed.contains(address))
            continue;
        m_services.windows.closeServerWindow(address);
        m_alertMail.cancel(address);
        stopCtrl(address);
    }
    for (const ServerRecord& record : records) {
        ServerQuery* query = queryFor(record.addressText());
        if (query
            && (query->game() != record.gameText()
                || query->remotePort() != queryPort(record.gameText(), record.addressText(), queryPortOf(record)))) {
            rebind(*query, record);
            continue;
        }
        loadQuery(record.addressText(), record.gameText(), record.manualRefresh.value_or(false), queryPortOf(record));
    }
}

void Monitor::rebind(ServerQuery& query, const ServerRecord& record)
{
    // Results belong to one server of one game: they go only when the object serves another.
    if (query.address() != record.addressText() || query.game() != record.gameText())
        query.shutdown();
    query.init(record.addressText(), record.gameText(), record.manualRefresh.value_or(false), queryPortOf(record));
}

void Monitor::loadQuery(const QString& address, const QString& game, bool manualRefresh, int queryPort)
{
    if (ServerQuery* query = queryFor(address)) {
        if (query->manualRefresh() != manualRefresh)
            query->setManualRefresh(manualRefresh);
        return;
    }
    int index = -1;
    if (!m_freeQueries.empty()) {
        index = *m_freeQueries.begin();
        m_freeQueries.erase(m_freeQueries.begin());
    } else {
        auto query = std::make_unique<ServerQuery>(m_engine);
        ServerQuery* raw = query.get();
        connect(raw, &ServerQuery::serverUpdate, this, [this, raw] { serverUpdate(raw); });
        connect(raw, &ServerQuery::timeOut, this, [this, raw] { serverTimeOut(raw); });
        m_queries.push_back(std::move(query));
        index = static_cast<int>(m_queries.size()) - 1;
    }
    m_queryIndex.insert(address, index);
    m_queries[static_cast<size_t>(index)]->init(address, game, manualRefresh, queryPort);
}

void Monitor::stopCtrl(const QString& addressToStop)
{
    const QString address = addressToStop; // the caller's text may be the object's own, emptied below
    const int index = m_queryIndex.value(address, -1);
    if (index < 0)
        return;
    m_queries[static_cast<size_t>(index)]->shutdown();
    m_queries[static_cast<size_t>(index)]->setFriends({});
    m_queryIndex.remove(address);
    m_freeQueries.insert(index);
}

void Monitor::refreshServer(const QString& address)
{
    if (ServerQuery* query = queryFor(address))
        query->sendQuery();
}

void Monitor::refreshAll()
{
    for (const auto& query : m_queries)
        query->sendQuery();
}

void Monitor::mergeSettings(const std::shared_ptr<const SettingsTable>& settings, const QString& address)
{
    static const auto none = std::make_shared<const SettingsTable>();
    const std::shared_ptr<const SettingsTable>& given = settings ? settings : none;
    std::shared_ptr<const SettingsTable>& kept = m_serverSettings[address];
    // A server mostly reports the same keys in the same order: then the merged table is the answer's.
    const bool sameKeys =
        !kept || std::equal(kept->begin(), kept->end(), given->begin(), given->end(), [](const auto& a, const auto& b) {
            return a.setting == b.setting;
        });
    if (sameKeys || kept->empty()) {
        kept = given;
        return;
    }
    if (given->empty())
        return;
    SettingsTable merged = *kept;
    for (const ServerSetting& setting : *given) {
        const auto it = std::find_if(
            merged.begin(), merged.end(), [&](const ServerSetting& row) { return row.setting == setting.setting; });
        if (it == merged.end())
            merged.push_back(setting);
        else
            it->value = setting.value;
    }
    kept = std::make_shared<const SettingsTable>(std::move(merged));
}

QString Monitor::getServerName(const QString& address) const
{
    const StatusRow* row = m_status.find(address);
    return row ? row->name.value_or(QString()) : QString();
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
    m_status.append(rowFor(record));
    loadQuery(record.addressText(), record.gameText(), record.manualRefresh.value_or(false), queryPortOf(record));
    if (trayAtStart(record))
        showServerWindow(record.addressText(), QString(), record.gameText(), false);
}

void Monitor::editServer(const QString& selectedAddress)
{
    if (selectedAddress.isEmpty()) {
        m_services.prompter.tell(tr("You must select as server to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    const QString oldAddress = selectedAddress;
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
    m_status.update(oldAddress, [&](StatusRow& row) {
        const StatusRow fresh = rowFor(record);
        row.address = fresh.address;
        row.manualRefresh = fresh.manualRefresh;
        row.game = fresh.game;
        row.memo = fresh.memo;
        row.noAlertMail = fresh.noAlertMail;
    });
    const int index = m_queryIndex.value(oldAddress, -1);
    if (index < 0)
        return;
    m_queryIndex.remove(oldAddress);
    m_queryIndex.insert(record.addressText(), index);
    rebind(*m_queries[static_cast<size_t>(index)], record);
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
    const QString address = selectedAddress;
    const ServerRemoval removal = removeServerRecord(m_services.context.stores, address);
    // A list that could not be saved still holds the server: it stays monitored.
    if (!removal.serversError.isEmpty()) {
        m_services.reporter.report(removal.serversError, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
        return;
    }
    m_status.remove(address);
    m_serverSettings.remove(address);
    m_uptime.forget(address);
    m_quietOutage.remove(address);
    // A server listed again later starts with its alerts on.
    if (m_snooze.snoozedUntil(address, m_services.clock.now()))
        m_snooze.resume(address);
    m_services.windows.closeServerWindow(address);
    m_alertMail.cancel(address);
    stopCtrl(address);
    if (!removal.messagesError.isEmpty())
        m_services.reporter.report(removal.messagesError, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
}

QString Monitor::snoozeAlerts(const QString& address, SnoozeLength length)
{
    return m_snooze.snooze(address, length, m_services.clock.now());
}

QString Monitor::resumeAlerts(const QString& address)
{
    return m_snooze.resume(address);
}

bool Monitor::alertsSnoozed(const QString& address) const
{
    return m_snooze.isSnoozed(address, m_services.clock.now());
}

std::optional<QDateTime> Monitor::alertsSnoozedUntil(const QString& address) const
{
    return m_snooze.snoozedUntil(address, m_services.clock.now());
}

UptimeShares Monitor::uptime(const QString& address) const
{
    return m_uptime.shares(address, m_services.clock.now());
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

void Monitor::notifyAbout(
    const QString& address, const QString& text, bool popUp, bool logIt, int soundSlot, const QString& logText)
{
    if (alertsSnoozed(address)) {
        popUp = false;
        soundSlot = -1;
    }
    notify(text, popUp, logIt, soundSlot, logText);
}

void Monitor::playSlot(int slot)
{
    if (slot < 0)
        return;
    const AppSettings& settings = m_services.context.settings;
    if (settings.soundEnabled(slot))
        playWave(m_services.sound, settings.soundPath.at(static_cast<size_t>(slot)), 0);
}

void Monitor::notify(const QString& text, bool popUp, bool logIt, int soundSlot, const QString& logText)
{
    if (logIt)
        m_services.log.logMessage(logText.isEmpty() ? text : logText);
    if (popUp && m_services.popups) {
        // The lines are the monitor's own; what a server sent within them is shown as one line each.
        QStringList lines = text.split(QStringLiteral("\r\n"));
        for (QString& line : lines)
            line = visibleText(line);
        m_services.popups->setMessage(lines.join(QStringLiteral("\r\n")));
    }
    playSlot(soundSlot);
    emit notified(m_services.clock.now(), text, popUp, logIt);
}

void Monitor::serverUpdate(ServerQuery* query)
{
    const QString address = query->address();
    if (!m_status.find(address))
        return;
    if (query->state() == ServerState::BadAnswer) {
        // Not up, not down: the grid says so, and nothing the answer said reaches the counts or the rules.
        m_status.update(address, [&](StatusRow& row) { applyBadAnswer(row, query->stateReason()); });
        m_services.windows.setState(address, ServerState::BadAnswer, query->stateReason());
        // Not up either for the uptime share.
        countCycle(*query, false);
        m_history.append(m_services.clock.now(), address, std::nullopt, std::nullopt);
        return;
    }
    const AppSettings& settings = m_services.context.settings;
    const std::optional<PlayerTable>& players = query->players();
    const bool answered = !query->lastRefresh().isNull();
    const QString hostname = query->hostname();
    const QString game = query->game();
    mergeSettings(query->sharedSettings(), address);

    CycleResult result;
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
    result.friendCount = players ? m_engine.friendList().countFriends(*players) : 0;
    StatusChanges changes;
    m_status.update(address, [&](StatusRow& row) { changes = applyCycle(row, result); });

    if (changes.mapChanged && (settings.soundEnabled(SoundFavouriteMap) || settings.popupFavouriteMap)) {
        if (findFavouriteMap(m_services.context.stores.favMaps.rows, game, result.map)) {
            const EventText event = eventText(QT_TR_NOOP("%1 is running your favorite map: %2"), hostname, result.map);
            notifyAbout(address, event.shown, settings.popupFavouriteMap, true, SoundFavouriteMap, event.logged);
        }
    }

    m_autoJoin.fireIfFree(address, game);

    if (players) {
        // The details window shows the friends of this answer, not of the one before.
        announceFriends(*query, *players);
        if (answered) {
            const StatusRow* row = m_status.find(address);
            m_services.windows.updateDetails(address,
                                             hostname,
                                             game,
                                             *players,
                                             static_cast<int>(query->friends().size()),
                                             result.map,
                                             query->settings(),
                                             row ? row->maxPlayers : std::nullopt);
        }
    }

    if (answered) {
        countCycle(*query, true);
        m_quietOutage.remove(address);
    }
    if (answered)
        m_services.windows.setState(address, ServerState::Up, {});
    if (answered)
        m_history.append(m_services.clock.now(), address, query->ping(), players ? int(players->size()) : 0);
    else
        m_history.append(m_services.clock.now(), address, std::nullopt, std::nullopt);

    if (changes.backOnline) {
        const EventText event = eventText(QT_TR_NOOP("%1 is back online!"), hostname);
        notifyAbout(address, event.shown, settings.popupStatusChange, true, SoundOnline, event.logged);
    } else if (changes.becameActive) {
        const EventText event = eventText(QT_TR_NOOP("%1 has become active with players..."), hostname);
        notifyAbout(address, event.shown, settings.popupActivity, false, SoundActivity, event.logged);
    }
}

void Monitor::announceFriends(ServerQuery& query, const PlayerTable& players)
{
    const FriendChanges changes =
        compareFriends(players, query.playersIncomplete(), query.friends(), m_engine.friendList());
    query.setFriends(changes.present);
    const QString crlf = QStringLiteral("\r\n");
    const bool popUp = m_services.context.settings.popupFriends;
    if (!changes.wentOff.isEmpty()) {
        const EventText event =
            eventText(QT_TR_NOOP("%1\r\nlogged off from\r\n%2"), changes.wentOff.join(crlf), query.hostname());
        notifyAbout(query.address(), event.shown, popUp, true, SoundFriendOff, event.logged);
    }
    if (!changes.cameOn.isEmpty()) {
        const EventText event =
            eventText(QT_TR_NOOP("%1\r\nlogged onto\r\n%2"), changes.cameOn.join(crlf), query.hostname());
        notifyAbout(query.address(), event.shown, popUp, true, SoundFriendOn, event.logged);
    }
}

void Monitor::serverTimeOut(ServerQuery* query)
{
    const QString address = query->address();
    m_services.windows.setTimeOut(address);
    if (!m_status.find(address))
        return;
    bool wentOffline = false;
    m_status.update(address,
                    [&](StatusRow& row) { wentOffline = applyTimeOut(row, query->state(), query->stateReason()); });
    m_services.windows.setState(address, query->state(), query->stateReason());
    countCycle(*query, false);
    // The departure is logged like the return; the pop-up switch decides only the pop-up.
    if (wentOffline) {
        const EventText event = eventText(QT_TR_NOOP("%1 has gone offline!"), query->hostname());
        notifyAbout(
            address, event.shown, m_services.context.settings.popupStatusChange, true, SoundOffline, event.logged);
    }
    const StatusRow& row = *m_status.find(address);
    if (alertsSnoozed(address)) {
        // An outage not yet mailed when the snooze began stays unmailed after it: the user knew of it.
        if (!row.lastMail)
            m_quietOutage.insert(address);
        return;
    }
    if (!m_quietOutage.contains(address) && m_alertMail.isDue(row))
        m_alertMail.send(row, loadCustomMessage(m_services.context.stores, address));
}

} // namespace trevisk
