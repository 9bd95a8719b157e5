#include "monitor/StatusRules.h"

#include "players/FriendList.h"

namespace trevisk {

namespace {

std::optional<qint32> toNumber(const QString& text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
}

} // namespace

StatusChanges applyCycle(StatusRow& row, const CycleResult& result)
{
    StatusChanges changes;
    const bool answered = !result.lastRefresh.isNull();
    const int rows = result.players ? static_cast<int>(result.players->size()) : 0;
    row.name = result.hostname;
    row.colouredName = result.colouredHostname;
    row.map = result.map;
    row.friends = result.friendCount;
    row.answeredAt = answered ? result.lastRefresh : QDateTime();
    if (answered) {
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

bool applyTimeOut(StatusRow& row, ServerState state, const QString& reason)
{
    row.state = state;
    row.stateReason = reason;
    bool wentOffline = false;
    if (!row.offline && !row.name.value_or(QString()).isEmpty()) {
        row.offline = true;
        wentOffline = true;
    }
    row.timeOutCount = row.timeOutCount.value_or(0) + 1;
    return wentOffline;
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
    FriendChanges changes{present, {}, {}};
    if (incomplete)
        return changes;
    for (const Player& player : players) {
        if (friends.isFriend(player.name) && !changes.present.contains(player.name)) {
            changes.cameOn.append(player.name);
            changes.present.append(player.name);
        }
    }
    for (qsizetype i = 0; i < changes.present.size();) {
        const QString& seen = changes.present.at(i);
        const bool stillThere =
            std::any_of(players.begin(), players.end(), [&](const Player& player) { return player.name == seen; });
        if (stillThere) {
            ++i;
            continue;
        }
        changes.wentOff.append(seen);
        changes.present.removeAt(i);
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
