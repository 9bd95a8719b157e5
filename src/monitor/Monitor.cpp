#include "monitor/Monitor.h"

#include "core/Catalogue.h"
#include "core/Clock.h"
#include "core/ErrorReporter.h"
#include "core/Prompter.h"
#include "core/Routines.h"
#include "core/Sound.h"
#include "core/Startup.h"
#include "monitor/MonitorWindows.h"
#include "notify/EmailSettings.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "notify/SmtpMailer.h"
#include "players/FriendList.h"
#include "query/ServerQuery.h"

#include <QLocale>
#include <QProcess>

namespace trevisk {

namespace {

bool isUnrealFamily(const QString& game)
{
    return getEngine(game).contains(QLatin1String("UT"));
}

std::optional<qint32> toNumber(const QString& text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

FriendList friendListOf(const AppContext& context)
{
    QStringList names;
    for (const FriendRecord& record : context.stores.friends.rows)
        names << record.name.value_or(QString());
    return FriendList(names);
}

} // namespace

Monitor::Monitor(const MonitorServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
    , m_engine(services.clock)
{
    QueryEngine::Timing timing = m_engine.timing();
    timing.queriesPerSecond = QueriesPerSecond;
    m_engine.setTiming(timing);
    applySettings();
}

Monitor::~Monitor() = default;

void Monitor::applySettings()
{
    const AppSettings& settings = m_services.context.settings;
    m_engine.setRefreshInterval(std::chrono::seconds(settings.refreshSeconds()));
    m_engine.setScheduleEnabled(settings.noRefresh != 1);
    m_engine.setFriendList(friendListOf(m_services.context));
}

const SettingsTable* Monitor::serverSettings(const QString& address) const
{
    const auto it = m_serverSettings.constFind(address);
    return it == m_serverSettings.constEnd() ? nullptr : &*it;
}

ServerQuery* Monitor::queryFor(const QString& address) const
{
    const int index = m_ctrlIndex.value(address, -1);
    return index < 0 ? nullptr : m_ctrl[static_cast<size_t>(index)].get();
}

StatusRow Monitor::rowFor(const ServerRecord& record)
{
    StatusRow row;
    row.server = record.option2.value_or(QString());
    row.emailNotify = record.option5.value_or(0);
    row.game = record.gameText();
    row.address = record.addressText();
    row.manRef = QString::number(record.manualRefresh.value_or(0));
    return row;
}

int Monitor::queryPortOf(const ServerRecord& record)
{
    return record.option1.value_or(0);
}

bool Monitor::trayAtStart(const ServerRecord& record) const
{
    const int tray = record.tray.value_or(0);
    return tray == 1 || (tray == 2 && m_services.context.settings.allTray == 1);
}

const ServerRecord* Monitor::findRecord(const QString& address) const
{
    for (const ServerRecord& record : m_services.context.stores.servers.rows) {
        if (record.addressText() == address)
            return &record;
    }
    return nullptr;
}

void Monitor::start()
{
    m_serverSettings.clear();
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
    // Objects of servers no longer listed stop, so nothing is queried or mailed for them.
    for (const auto& query : m_ctrl) {
        const QString address = query->address(); // a copy: stopping the object empties its own
        if (!address.isEmpty() && !listed.contains(address))
            stopCtrl(address);
    }
    for (const ServerRecord& record : records) {
        ServerQuery* query = queryFor(record.addressText());
        // A changed game needs the other protocol: start that object over.
        if (query
            && (query->game() != record.gameText()
                || query->remotePort() != queryPort(record.gameText(), record.addressText(), queryPortOf(record)))) {
            query->shutdown();
            query->init(record.addressText(), record.gameText(), record.manualRefresh.value_or(0), queryPortOf(record));
            continue;
        }
        loadCtrl(record.addressText(), record.gameText(), record.manualRefresh.value_or(0), queryPortOf(record));
    }
}

void Monitor::loadCtrl(const QString& address, const QString& game, int manRefresh, int queryPort)
{
    if (ServerQuery* query = queryFor(address)) {
        if (query->manRefresh() != manRefresh)
            query->setManRefresh(manRefresh);
        return;
    }
    int index = -1;
    if (!m_freeCtrl.empty()) {
        index = *m_freeCtrl.begin();
        m_freeCtrl.erase(m_freeCtrl.begin());
    } else {
        auto query = std::make_unique<ServerQuery>(m_engine);
        ServerQuery* raw = query.get();
        connect(raw, &ServerQuery::serverUpdate, this, [this, raw] { serverUpdate(raw); });
        connect(raw, &ServerQuery::timeOut, this, [this, raw] { serverTimeOut(raw); });
        m_ctrl.push_back(std::move(query));
        index = static_cast<int>(m_ctrl.size()) - 1;
    }
    m_ctrlIndex.insert(address, index);
    m_ctrl[static_cast<size_t>(index)]->init(address, game, manRefresh, queryPort);
}

void Monitor::stopCtrl(const QString& addressToStop)
{
    const QString address = addressToStop; // the caller's text may be the object's own, emptied below
    const int index = m_ctrlIndex.value(address, -1);
    if (index < 0)
        return;
    m_ctrl[static_cast<size_t>(index)]->shutdown();
    m_ctrl[static_cast<size_t>(index)]->setFriends({});
    m_ctrlIndex.remove(address);
    m_freeCtrl.insert(index);
}

void Monitor::refreshServer(const QString& address)
{
    if (ServerQuery* query = queryFor(address))
        query->sendQuery();
}

void Monitor::refreshAll()
{
    for (const auto& query : m_ctrl)
        query->sendQuery();
}

void Monitor::mergeSettings(const SettingsTable& settings, const QString& address)
{
    SettingsTable& kept = m_serverSettings[address];
    // A server mostly reports the same keys in the same order: then only the values change.
    const bool sameKeys = kept.size() == settings.size()
                          && std::equal(kept.begin(), kept.end(), settings.begin(), [](const auto& a, const auto& b) {
                                 return a.setting == b.setting;
                             });
    if (sameKeys) {
        for (size_t i = 0; i < kept.size(); ++i)
            kept[i].value = settings[i].value;
        return;
    }
    for (const ServerSetting& setting : settings) {
        const auto it = std::find_if(
            kept.begin(), kept.end(), [&](const ServerSetting& row) { return row.setting == setting.setting; });
        if (it == kept.end())
            kept.push_back(setting);
        else
            it->value = setting.value;
    }
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
    const ServerRecord* record = findRecord(address);
    if (!record)
        return;
    const ServerRecord copy = *record;
    m_status.append(rowFor(copy));
    loadCtrl(copy.addressText(), copy.gameText(), copy.manualRefresh.value_or(0), queryPortOf(copy));
    if (trayAtStart(copy))
        showServerWindow(copy.addressText(), QString(), copy.gameText(), false);
}

void Monitor::editServer(const QString& selectedAddress)
{
    if (selectedAddress.isEmpty()) {
        m_services.prompter.tell(QStringLiteral("You must select as server to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    const QString oldAddress = selectedAddress;
    if (!findRecord(oldAddress))
        return;
    const QString newAddress = m_services.windows.runEditServerDialog(oldAddress);
    if (newAddress.isEmpty())
        return;
    const ServerRecord* found = findRecord(newAddress);
    if (!found)
        return;
    const ServerRecord record = *found;
    m_services.windows.reloadServerWindow(
        oldAddress, record.addressText(), record.gameText(), getServerName(oldAddress));
    m_status.update(oldAddress, [&](StatusRow& row) {
        const StatusRow fresh = rowFor(record);
        row.address = fresh.address;
        row.manRef = fresh.manRef;
        row.game = fresh.game;
        row.server = fresh.server;
        row.emailNotify = fresh.emailNotify;
    });
    const int index = m_ctrlIndex.value(oldAddress, -1);
    if (index < 0)
        return;
    ServerQuery& query = *m_ctrl[static_cast<size_t>(index)];
    m_ctrlIndex.remove(oldAddress);
    m_ctrlIndex.insert(record.addressText(), index);
    query.shutdown();
    query.init(record.addressText(), record.gameText(), record.manualRefresh.value_or(0), queryPortOf(record));
}

void Monitor::delServer(const QString& selectedAddress)
{
    if (selectedAddress.isEmpty()) {
        m_services.prompter.tell(QStringLiteral("You must select a server to edit!"), Prompter::Icon::Exclamation);
        return;
    }
    if (m_services.prompter.ask(QStringLiteral("Are you sure you want to delete this server?"),
                                Prompter::Icon::Question,
                                Prompter::Buttons::YesNo)
        != Prompter::Answer::Yes)
        return;
    const QString address = selectedAddress;
    Stores& stores = m_services.context.stores;
    auto servers = stores.servers;
    const auto it = std::find_if(servers.rows.begin(), servers.rows.end(), [&](const ServerRecord& record) {
        return record.addressText() == address;
    });
    if (it != servers.rows.end())
        servers.rows.erase(it);
    m_status.remove(address);
    m_serverSettings.remove(address);
    m_services.windows.closeServerWindow(address);
    stopCtrl(address);
    stores.servers = servers;
    QString error = stores.saveServers();
    if (!error.isEmpty()) {
        m_services.reporter.report(error, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
        return;
    }
    auto& messages = stores.custEmail.rows;
    messages.erase(std::remove_if(messages.begin(),
                                  messages.end(),
                                  [&](const CustomMessage& message) { return message.server == address; }),
                   messages.end());
    error = stores.saveCustEmail();
    if (!error.isEmpty())
        m_services.reporter.report(error, ErrorNumber::FileWrite, QStringLiteral("DelServer()"));
}

void Monitor::playSlot(int slot)
{
    const AppSettings& settings = m_services.context.settings;
    if (settings.soundEnabled(slot))
        playWave(m_services.sound, settings.soundPath.at(static_cast<size_t>(slot)), 0);
}

void Monitor::notify(const QString& text, bool popUp, bool logIt, int soundSlot)
{
    if (logIt)
        m_services.log.logMessage(text);
    if (popUp && m_services.popups)
        m_services.popups->setMessage(text);
    playSlot(soundSlot);
    emit notified(m_services.clock.now(), text, popUp, logIt);
}

void Monitor::serverUpdate(ServerQuery* query)
{
    const QString address = query->address();
    if (!m_status.find(address))
        return;
    const AppSettings& settings = m_services.context.settings;
    const std::optional<PlayerTable> players = query->players();
    const bool answered = !query->lastRefresh().isNull();
    const QString hostname = query->hostname();
    const QString game = query->game();
    mergeSettings(query->settings(), address);

    bool backOnline = false;
    bool becameActive = false;
    bool mapChanged = false;
    const int count = players ? static_cast<int>(players->size()) : 0;
    m_status.update(address, [&](StatusRow& row) {
        row.name = hostname;
        row.map = query->map();
        row.friends = players ? m_engine.friendList().countFriends(*players) : 0;
        row.ar = answered ? query->lastRefresh() : QDateTime();
        if (answered) {
            row.lastRefresh = query->lastRefresh().time();
            backOnline = row.isOffline();
            row.timeOut.clear();
            row.timeOutCount = 0;
            row.lastMail.reset();
            row.ping = query->ping() >= 0 ? std::optional<qint32>(query->ping()) : std::nullopt;
        } else {
            // A server that did not answer has no ping, rather than an instant one.
            row.ping.reset();
        }
        if (isUnrealFamily(game)) {
            row.players = query->numPlayers() + QLatin1Char('/') + query->maxPlayers();
            if (const auto value = toNumber(query->numPlayers()))
                row.actPlayers = value;
            if (const auto value = toNumber(query->maxPlayers()))
                row.actMax = value;
        } else if (players && query->playersReceived()) {
            row.players = QString::number(count) + QLatin1Char('/') + query->maxPlayers();
            row.actPlayers = count;
            if (const auto value = toNumber(query->maxPlayers()))
                row.actMax = value;
        }
        // Activity is judged only once players have been reported at all, or a Half-Life
        // server would "become active" between its first two answers.
        if (!players) {
            row.lastPlayers = 0;
        } else if (query->playersReceived()) {
            becameActive = row.lastPlayers == 0 && count >= 1;
            row.lastPlayers = count;
        }
        if (row.lastMap != query->map()) {
            mapChanged = true;
            row.lastMap = query->map();
        }
    });
    if (mapChanged)
        checkFavMap(game, query->map(), hostname);

    const StatusRow* row = m_status.find(address);
    if (row && row->autoJoin == 1 && row->actPlayers.value_or(0) < row->actMax.value_or(0)) {
        cancelAutoJoin();
        joinServer(true, address, game);
    }

    if (players) {
        query->setFriends(checkFriends(*players, query->friends(), hostname));
        // The details window gets the friends of this answer, not of the one before.
        if (answered) {
            m_services.windows.updateDetails(address,
                                             hostname,
                                             game,
                                             *players,
                                             static_cast<int>(query->friends().size()),
                                             query->map(),
                                             query->settings(),
                                             query->maxPlayers().toInt());
        }
    }

    if (answered)
        m_history.append(m_services.clock.now(), address, query->ping(), count);
    else
        m_history.append(m_services.clock.now(), address, std::nullopt, std::nullopt);

    if (backOnline)
        notify(hostname + QStringLiteral(" is back online!"), settings.nss == 1, true, SoundOnline);
    else if (becameActive)
        notify(hostname + QStringLiteral(" has become active with players..."),
               settings.nActive == 1,
               false,
               SoundActivity);
}

void Monitor::checkFavMap(const QString& game, const QString& map, const QString& name)
{
    const AppSettings& settings = m_services.context.settings;
    if (!settings.soundEnabled(SoundFavouriteMap) && settings.notifyMap != 1)
        return;
    for (const FavouriteMap& favourite : m_services.context.stores.favMaps.rows) {
        if (favourite.game != game || !favourite.map)
            continue;
        if (map.contains(*favourite.map, Qt::CaseSensitive)) {
            notify(name + QStringLiteral(" is running your favorite map: ") + map,
                   settings.notifyMap == 1,
                   true,
                   SoundFavouriteMap);
            return;
        }
    }
}

QStringList Monitor::checkFriends(const PlayerTable& players, QStringList present, const QString& name)
{
    const auto missing = std::find_if(players.begin(), players.end(), [](const Player& player) {
        return player.name == QLatin1String("[MISSING DATA]");
    });
    if (missing != players.end())
        return present;
    const QString crlf = QStringLiteral("\r\n");
    const FriendList& friends = m_engine.friendList();
    QString on;
    for (const Player& player : players) {
        if (friends.isFriend(player.name) && !present.contains(player.name)) {
            on += player.name + crlf;
            present.append(player.name);
        }
    }
    QString off;
    for (qsizetype i = 0; i < present.size();) {
        const QString& seen = present.at(i);
        const bool stillThere =
            std::any_of(players.begin(), players.end(), [&](const Player& player) { return player.name == seen; });
        if (stillThere) {
            ++i;
            continue;
        }
        off += seen + crlf;
        present.removeAt(i);
    }
    const bool popUp = m_services.context.settings.nFriend == 1;
    if (!off.isEmpty())
        notify(off + QStringLiteral("logged off from") + crlf + name, popUp, true, SoundFriendOff);
    if (!on.isEmpty())
        notify(on + QStringLiteral("logged onto") + crlf + name, popUp, true, SoundFriendOn);
    return present;
}

void Monitor::serverTimeOut(ServerQuery* query)
{
    const QString address = query->address();
    m_services.windows.setTimeOut(address);
    const StatusRow* found = m_status.find(address);
    if (!found)
        return;
    const AppSettings& settings = m_services.context.settings;
    bool wentOffline = false;
    m_status.update(address, [&](StatusRow& row) {
        if (!row.isOffline() && !row.name.value_or(QString()).isEmpty()) {
            row.timeOut = QStringLiteral("1");
            wentOffline = true;
        }
        row.timeOutCount = row.timeOutCount.value_or(0) + 1;
    });
    // The departure is logged like the return; the pop-up switch decides only the pop-up.
    if (wentOffline)
        notify(query->hostname() + QStringLiteral(" has gone offline!"), settings.nss == 1, true, SoundOffline);

    const EmailSettings email = EmailSettings::load(*m_services.context.settingsStore);
    const StatusRow& row = *m_status.find(address);
    if (!email.enabled || row.emailNotify != 0)
        return;
    if (row.timeOutCount.value_or(0) < email.timeOutThreshold())
        return;
    const QDateTime now = m_services.clock.now();
    const bool due = !row.lastMail || (email.interval >= 1 && now.addSecs(-60LL * email.interval) > *row.lastMail);
    if (due && !m_mailsInFlight.contains(address))
        sendAlert(row);
}

void Monitor::sendAlert(const StatusRow& row)
{
    const EmailSettings email = EmailSettings::load(*m_services.context.settingsStore);
    // A server that never answered has no name: the address stands in for it.
    const QString name = row.name.value_or(QString()).isEmpty() ? row.address : *row.name;
    const QString crlf = QStringLiteral("\r\n");
    QString text = loadCustomMessage(m_services.context.stores, row.address);
    if (text.trimmed().isEmpty()) {
        text = QStringLiteral("Server: ") + name + crlf + QStringLiteral("Address: ") + row.address + crlf
               + QStringLiteral("Game: ") + row.game + crlf + QStringLiteral("TimeOuts: ")
               + QString::number(row.timeOutCount.value_or(0)) + crlf + crlf
               + QStringLiteral("This is an automated message, do not reply!");
    }
    auto* mailer = new SmtpMailer(m_services.clock, this);
    email.prepare(*mailer);
    SmtpMessage message = mailer->message();
    message.fromName = QString::fromLatin1(MailFromName);
    message.to = email.email;
    message.subject = QStringLiteral("ALERT: Server: ") + name + QStringLiteral(" has timed out!");
    message.text = text;
    mailer->setMessage(message);
    const QString address = row.address;
    m_mailsInFlight.insert(address);
    connect(mailer, &SmtpMailer::sendComplete, this, [this, mailer, address] {
        m_mailsInFlight.remove(address);
        // Only a mail the relay accepted counts, and only while the outage lasts.
        m_status.update(address, [&](StatusRow& target) {
            if (!target.answered())
                target.lastMail = m_services.clock.now();
        });
        mailFinished(mailer);
        emit alertMailSent(address);
    });
    connect(mailer, &SmtpMailer::error, this, [this, mailer, address](const QString& description, int) {
        m_mailsInFlight.remove(address);
        mailFinished(mailer);
        emit alertMailFailed(address, description);
    });
    emit alertMailStarted(address);
    // Relays refuse many connections at once from one client: a mass outage waits its turn.
    m_waitingMailers.push_back(mailer);
    startWaitingMailers();
}

void Monitor::startWaitingMailers()
{
    while (m_mailsRunning < MaxParallelMails && !m_waitingMailers.empty()) {
        SmtpMailer* mailer = m_waitingMailers.front();
        m_waitingMailers.pop_front();
        ++m_mailsRunning;
        mailer->send();
    }
}

void Monitor::mailFinished(SmtpMailer* mailer)
{
    --m_mailsRunning;
    mailer->deleteLater();
    // Queued: the next mail starts once this one's signal has returned.
    QMetaObject::invokeMethod(this, &Monitor::startWaitingMailers, Qt::QueuedConnection);
}

void Monitor::cJoin()
{
    m_status.updateAll([](StatusRow& row) { row.autoJoin = 0; });
}

bool Monitor::isAutoJoin(const QString& address) const
{
    const StatusRow* row = m_status.find(address);
    return row && row->autoJoin == 1;
}

void Monitor::updateJoin(const QString& address)
{
    m_status.update(address, [](StatusRow& row) { row.autoJoin = 1; });
}

void Monitor::cancelAutoJoin()
{
    cJoin();
    m_services.windows.setAutoJoinFlag(QString(), false);
}

void Monitor::joinServer(bool direct, const QString& address, const QString& game)
{
    const StatusRow* row = m_status.find(address);
    if (!row)
        return;
    if (!direct && row->actPlayers.value_or(0) >= row->actMax.value_or(0)) {
        const int choice = m_services.prompter.choose(
            QStringLiteral("Auto Join"),
            QStringLiteral("The server is full."),
            {QStringLiteral("Join when Free"), QStringLiteral("Join Anyways"), QStringLiteral("&Cancel")});
        if (choice == 0) {
            cancelAutoJoin();
            updateJoin(address);
            m_services.windows.setAutoJoinFlag(address, true);
            return;
        }
        if (choice != 1)
            return;
    }
    cancelAutoJoin();
    const auto& paths = m_services.context.stores.gamePaths.rows;
    const auto location =
        std::find_if(paths.begin(), paths.end(), [&](const GamePath& path) { return path.game == game; });
    if (location == paths.end() || location->path.value_or(QString()).isEmpty()) {
        m_services.prompter.tell(QStringLiteral("Location of ") + game + QStringLiteral(" has not been configured!"),
                                 Prompter::Icon::Exclamation);
        return;
    }
    const QString path = *location->path;
    const QStringList params = QProcess::splitCommand(location->params.value_or(QString()));
    QStringList arguments;
    if (!isUnrealFamily(game))
        arguments = params + QStringList{QStringLiteral("+connect"), address};
    else if (game == QLatin1String("Battlefield 1942"))
        arguments = QStringList{QStringLiteral("+isInternet"),
                                QStringLiteral("1"),
                                QStringLiteral("+restart"),
                                QStringLiteral("1"),
                                QStringLiteral("+joinServer"),
                                address}
                    + params;
    else
        arguments = QStringList{address} + params;
    QString folder = getFolder(path);
    if (folder.size() > 1)
        folder.chop(1);
    if (!m_services.launcher.start(path, arguments, folder)) {
        m_services.prompter.tell(QStringLiteral("%1 could not be started from %2").arg(game, path),
                                 Prompter::Icon::Exclamation);
    }
}

} // namespace trevisk
