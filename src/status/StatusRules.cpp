#include "status/StatusRules.h"

#include "core/Settings.h"
#include "notify/EmailSettings.h"
#include "players/FriendList.h"

#include <QCoreApplication>

namespace trevisk {

bool alertMailDue(const EmailSettings& settings, const StatusRow& row, const QDateTime& now)
{
    if (!settings.enabled || row.noAlertMail)
        return false;
    if (row.timeOutCount.value_or(0) < settings.timeOutThreshold())
        return false;
    if (!row.lastMail)
        return true;
    return settings.interval >= 1 && now.addSecs(-60LL * settings.interval) > *row.lastMail;
}

namespace {

// The event texts belong to the monitor's translations.
constexpr char Context[] = "trevisk::Monitor";

std::optional<qint32> toNumber(const QString& text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

// The arguments fill both texts at once, so that a %2 in a server's name stays as it is. A snoozed
// server's event is logged as ever, but neither popped up nor sounded.
template <typename... Args>
MonitorEvent event(const RuleInputs& inputs,
                   EventKind kind,
                   bool popUp,
                   bool log,
                   int soundSlot,
                   const char* source,
                   const Args&... args)
{
    const bool sound = !inputs.snoozed && inputs.settings.soundEnabled(soundSlot);
    return {kind,
            QCoreApplication::translate(Context, source).arg(args...),
            QString::fromUtf8(source).arg(args...),
            popUp && !inputs.snoozed,
            log,
            sound ? soundSlot : -1};
}

// The row's part of a cycle, and what changed since the previous one.
struct RowChanges
{
    bool backOnline = false;
    bool becameActive = false;
    bool mapChanged = false;
};

RowChanges writeCycle(StatusRow& row, const CycleResult& result, int friendCount)
{
    RowChanges changes;
    const bool answered = !result.lastRefresh.isNull();
    const int rows = result.players ? static_cast<int>(result.players->size()) : 0;
    row.name = result.hostname;
    row.colouredName = result.colouredHostname;
    row.map = result.map;
    row.friends = friendCount;
    row.answeredAt = answered ? result.lastRefresh : QDateTime();
    if (answered) {
        row.lastAnswer = result.lastRefresh;
        row.lastRefresh = result.lastRefresh.time();
        row.state = ServerState::Up;
        row.stateReason.clear();
        changes.backOnline = row.offline;
        row.offline = false;
        row.timeOutCount = 0;
        row.lastMail.reset();
        row.ping = result.ping >= 0 ? std::optional<qint32>(result.ping) : std::nullopt;
    } else {
        // A server that did not answer has no ping, rather than an instant one.
        row.ping.reset();
    }

    // A value that is no number leaves its field as it was.
    const QString count = result.reportsPlayerCount ? result.numPlayers : QString::number(rows);
    row.players = count + QLatin1Char('/') + result.maxPlayers;
    if (const auto value = toNumber(count))
        row.playerCount = value;
    if (const auto value = toNumber(result.maxPlayers))
        row.maxPlayers = value;

    // Activity is judged only once players have been reported at all, or a Half-Life server
    // would "become active" between the two answers of its first cycle.
    if (!result.players) {
        row.lastPlayers = 0;
    } else if (result.playersReceived) {
        changes.becameActive = row.lastPlayers == 0 && rows >= 1;
        row.lastPlayers = rows;
    }
    if (row.lastMap != result.map) {
        changes.mapChanged = true;
        row.lastMap = result.map;
    }
    return changes;
}

} // namespace

StatusRow listedRow(const ServerRecord& record)
{
    StatusRow row;
    row.memo = record.memo.value_or(QString());
    row.noAlertMail = record.noAlertMail.value_or(false);
    row.game = record.gameText();
    row.address = record.addressText();
    row.manualRefresh = record.manualRefresh.value_or(false);
    return row;
}

void relist(StatusRow& row, const ServerRecord& record)
{
    const StatusRow fresh = listedRow(record);
    row.address = fresh.address;
    row.manualRefresh = fresh.manualRefresh;
    row.game = fresh.game;
    row.memo = fresh.memo;
    row.noAlertMail = fresh.noAlertMail;
}

StepOutcome applyCycle(const StatusRow& previous, const CycleResult& result, const RuleInputs& inputs)
{
    const AppSettings& settings = inputs.settings;
    const bool answered = !result.lastRefresh.isNull();
    StepOutcome outcome{previous, {}, result.friendsPresent, answered ? false : inputs.quietOutage, false};
    // The names are decoded once, for counting and comparing, and only when there are friends.
    const bool friendsAsked = result.players && (!inputs.friends.names().isEmpty() || !result.friendsPresent.isEmpty());
    const QStringList names = friendsAsked ? result.players->names() : QStringList();
    const int friendCount = inputs.friends.countFriends(names);
    const RowChanges changes = writeCycle(outcome.row, result, friendCount);
    auto& events = outcome.events;

    if (changes.mapChanged && (settings.soundEnabled(SoundFavouriteMap) || settings.popupFavouriteMap)
        && findFavouriteMap(inputs.favourites, result.game, result.map)) {
        events.push_back(event(inputs,
                               EventKind::FavouriteMap,
                               settings.popupFavouriteMap,
                               true,
                               SoundFavouriteMap,
                               QT_TRANSLATE_NOOP("trevisk::Monitor", "%1 is running your favorite map: %2"),
                               result.hostname,
                               result.map));
    }

    if (result.players) {
        const FriendChanges friends =
            compareFriends(names, result.playersIncomplete, result.friendsPresent, inputs.friends);
        outcome.friendsPresent = friends.present;
        const QString crlf = QStringLiteral("\r\n");
        const bool popUp = settings.popupFriends;
        if (!friends.wentOff.isEmpty()) {
            events.push_back(event(inputs,
                                   EventKind::FriendsOff,
                                   popUp,
                                   true,
                                   SoundFriendOff,
                                   QT_TRANSLATE_NOOP("trevisk::Monitor", "%1\r\nlogged off from\r\n%2"),
                                   friends.wentOff.join(crlf),
                                   result.hostname));
        }
        if (!friends.cameOn.isEmpty()) {
            events.push_back(event(inputs,
                                   EventKind::FriendsOn,
                                   popUp,
                                   true,
                                   SoundFriendOn,
                                   QT_TRANSLATE_NOOP("trevisk::Monitor", "%1\r\nlogged onto\r\n%2"),
                                   friends.cameOn.join(crlf),
                                   result.hostname));
        }
    }

    if (changes.backOnline) {
        events.push_back(event(inputs,
                               EventKind::BackOnline,
                               settings.popupStatusChange,
                               true,
                               SoundOnline,
                               QT_TRANSLATE_NOOP("trevisk::Monitor", "%1 is back online!"),
                               result.hostname));
    } else if (changes.becameActive) {
        // Activity only pops up: it is never logged.
        events.push_back(event(inputs,
                               EventKind::BecameActive,
                               settings.popupActivity,
                               false,
                               SoundActivity,
                               QT_TRANSLATE_NOOP("trevisk::Monitor", "%1 has become active with players..."),
                               result.hostname));
    }
    return outcome;
}

StepOutcome applyTimeOut(const StatusRow& previous, const TimeOutResult& result, const RuleInputs& inputs)
{
    StepOutcome outcome{previous, {}, {}, inputs.quietOutage, false};
    StatusRow& row = outcome.row;
    row.state = result.state;
    row.stateReason = result.reason;
    const bool wentOffline = !row.offline && !row.name.value_or(QString()).isEmpty();
    if (wentOffline)
        row.offline = true;
    row.timeOutCount = row.timeOutCount.value_or(0) + 1;

    // The departure is logged like the return; the pop-up switch decides only the pop-up.
    if (wentOffline) {
        outcome.events.push_back(event(inputs,
                                       EventKind::WentOffline,
                                       inputs.settings.popupStatusChange,
                                       true,
                                       SoundOffline,
                                       QT_TRANSLATE_NOOP("trevisk::Monitor", "%1 has gone offline!"),
                                       result.hostname));
    }
    if (inputs.snoozed) {
        // An outage not yet mailed when the snooze began stays unmailed after it: the user knew of it.
        if (!row.lastMail)
            outcome.quietOutage = true;
    } else {
        outcome.mailDue = !inputs.quietOutage && alertMailDue(inputs.email, row, inputs.now);
    }
    return outcome;
}

void applyBadAnswer(StatusRow& row, const QString& reason)
{
    row.state = ServerState::BadAnswer;
    row.stateReason = reason;
    row.ping.reset();
}

FriendChanges
compareFriends(const PlayerTable& players, bool incomplete, const QStringList& present, const FriendList& friends)
{
    // Without friends, past or present, there is nothing to find: the names are not decoded.
    if (incomplete || (present.isEmpty() && friends.names().isEmpty()))
        return {present, {}, {}};
    return compareFriends(players.names(), incomplete, present, friends);
}

FriendChanges
compareFriends(const QStringList& names, bool incomplete, const QStringList& present, const FriendList& friends)
{
    FriendChanges changes{present, {}, {}};
    if (incomplete)
        return changes;
    for (const QString& name : names) {
        if (!changes.present.contains(name) && friends.isFriend(name)) {
            changes.cameOn.append(name);
            changes.present.append(name);
        }
    }
    for (qsizetype i = 0; i < changes.present.size();) {
        if (names.contains(changes.present.at(i))) {
            ++i;
            continue;
        }
        changes.wentOff.append(changes.present.takeAt(i));
    }
    return changes;
}

const FavouriteMap*
findFavouriteMap(const std::vector<FavouriteMap>& favourites, const QString& game, const QString& map)
{
    for (const FavouriteMap& favourite : favourites) {
        if (favourite.game == game && favourite.map && map.contains(*favourite.map, Qt::CaseSensitive))
            return &favourite;
    }
    return nullptr;
}

} // namespace trevisk
