#include "query/engines/UnrealProtocol.h"

#include "core/Routines.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"
#include "query/engines/UnrealExchange.h"

#include <QHash>

namespace trevisk {

namespace {

// The shortest text one player can take in an answer ("\player_0\").
constexpr qsizetype MinimumPlayerBytes = 10;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the value of each key prefix + n + "\" starts, for the first occurrence of each n. Gives
// the same values as getKeyValue per key, in one pass over the answer instead of one per player.
QHash<qint64, qsizetype> numberedKeys(const QByteArray& text, const QByteArray& prefix)
{
    constexpr qsizetype MaxDigits = 18;
    QHash<qint64, qsizetype> starts;
    for (qsizetype at = text.indexOf(prefix); at >= 0; at = text.indexOf(prefix, at + 1)) {
        const qsizetype digits = at + prefix.size();
        qsizetype end = digits;
        while (end < text.size() && isDigit(text.at(end)))
            ++end;
        const qsizetype length = end - digits;
        if (length == 0 || length > MaxDigits || end >= text.size() || text.at(end) != '\\')
            continue;
        // A number is asked for without leading zeros, so "player_01\" never matches.
        if (length > 1 && text.at(digits) == '0')
            continue;
        const qint64 n = text.mid(digits, length).toLongLong();
        if (!starts.contains(n))
            starts.insert(n, end + 1);
    }
    return starts;
}

QByteArray numberedValue(const QByteArray& text, const QHash<qint64, qsizetype>& keys, qint64 n)
{
    const auto it = keys.constFind(n);
    return it == keys.cend() ? QByteArray() : keyValueAt(text, it.value());
}

QString orNotAvailable(const QByteArray& value)
{
    return value.isEmpty() ? QStringLiteral("N/A") : decodeText(value);
}

} // namespace

QList<QByteArray> UnrealProtocol::requests() const
{
    return {QByteArrayLiteral("\\status\\\r\n")};
}

std::unique_ptr<EngineExchange> UnrealProtocol::newExchange() const
{
    return std::make_unique<UnrealExchange>(*this);
}

bool UnrealProtocol::recognises(const QByteArray& answer) const
{
    return answer.startsWith('\\');
}

AnswerUpdate UnrealProtocol::parse(const QByteArray& answer, const QString&, const FriendList& friends) const
{
    AnswerUpdate update;
    takePlayers(update, getUnrealPlayers(answer, friends));
    // An empty value leaves the previous one as it was.
    const auto takeIfSet = [&](std::optional<QString>& field, const char* key) {
        const QByteArray value = getKeyValue(answer, key);
        if (!value.isEmpty())
            field = decodeText(value);
    };
    takeIfSet(update.hostname, "hostname");
    takeIfSet(update.maxPlayers, "maxplayers");
    takeIfSet(update.map, "mapname");
    takeIfSet(update.numPlayers, "numplayers");
    update.settings = saveData(answer);
    return update;
}

QStringList
UnrealProtocol::launchArguments(const QString& game, const QString& address, const QStringList& params) const
{
    if (game == QLatin1String("Battlefield 1942")) {
        return QStringList{QStringLiteral("+isInternet"),
                           QStringLiteral("1"),
                           QStringLiteral("+restart"),
                           QStringLiteral("1"),
                           QStringLiteral("+joinServer"),
                           address}
               + params;
    }
    return QStringList{address} + params;
}

PlayersResult getUnrealPlayers(const QByteArray& answer, const FriendList& friends)
{
    const QByteArray countText = getKeyValue(answer, "numplayers");
    if (countText.isEmpty())
        return {};
    bool isNumber = false;
    const qint64 count = trimSpaces(countText).toLongLong(&isNumber);
    if (!isNumber) {
        return PlayersResult::failed(
            "GetUnrealPlayers()", reasonText(reason::CountNotANumber, -1, decodeText(countText)), NotANumber);
    }
    // The count drives the loop, so a count the answer cannot back is refused before any work.
    if (count > answer.size() / MinimumPlayerBytes) {
        return PlayersResult::failed(
            "GetUnrealPlayers()",
            reasonText(reason::CountBeyondAnswer, -1, QString::number(count), QString::number(answer.size())),
            CountTooLarge);
    }
    const auto names = numberedKeys(answer, "player_");
    const auto frags = numberedKeys(answer, "frags_");
    const auto pings = numberedKeys(answer, "ping_");
    PlayerTable players;
    bool incomplete = false;
    for (qint64 n = 0; n < count; ++n) {
        Player player;
        const QByteArray name = numberedValue(answer, names, n);
        if (name.isEmpty()) {
            player.name = QStringLiteral("[MISSING DATA]");
            incomplete = true;
        } else {
            player.name = decodeText(name);
            player.isFriend = friends.isFriend(player.name);
        }
        player.score = orNotAvailable(numberedValue(answer, frags, n));
        player.ping = orNotAvailable(numberedValue(answer, pings, n));
        players.push_back(player);
    }
    return {players, std::nullopt, incomplete};
}

} // namespace trevisk
