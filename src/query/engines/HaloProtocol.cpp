#include "query/engines/HaloProtocol.h"

#include "core/Routines.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"

#include <limits>

namespace trevisk {

namespace {

constexpr qsizetype HeaderSize = 5; // 0x00 and the 4-byte request id
constexpr qsizetype FirstPlayerField = 5;
constexpr qsizetype FieldsPerPlayer = 4;

// The player count as a 16-bit number, or nothing when it is not one.
std::optional<qint16> playerCount(const QByteArray& answer)
{
    bool isNumber = false;
    const int count = trimSpaces(getNulValue(answer, "numplayers")).toInt(&isNumber);
    if (!isNumber || count < std::numeric_limits<qint16>::min() || count > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(count);
}

// Where the player section starts: the count byte followed by "player_"; -1 when there is none.
qsizetype playerSection(const QByteArray& answer, qint16 count)
{
    if (count < 0 || count > 255)
        return -1;
    return answer.indexOf(char(count) + QByteArrayLiteral("player_"));
}

} // namespace

QList<QByteArray> HaloProtocol::requests() const
{
    static const char request[] = {
        '\xFE', '\xFD', '\x00', '\x77', '\x6A', '\x9D', '\x9D', '\xFF', '\xFF', '\xFF', '\xFF'};
    return {QByteArray(request, sizeof request)};
}

bool HaloProtocol::recognises(const QByteArray& answer) const
{
    return recognisesGameSpyAnswer(answer, requests().constFirst());
}

AnswerUpdate HaloProtocol::parse(const QByteArray& answer, const QString&, const FriendList& friends) const
{
    AnswerUpdate update;
    update.hostname = decodeText(getNulValue(answer, "hostname"));
    update.maxPlayers = decodeText(getNulValue(answer, "maxplayers"));
    update.map = decodeText(getNulValue(answer, "mapname"));
    update.numPlayers = decodeText(getNulValue(answer, "numplayers"));
    takePlayers(update, getHaloPlayers(answer, friends));
    update.settings = saveHaloData(answer);
    return update;
}

SettingsTable saveHaloData(const QByteArray& answer)
{
    const qsizetype section = playerSection(answer, playerCount(answer).value_or(0));
    if (section < HeaderSize)
        return {};
    return settingsFromFields(splitFields(answer.mid(HeaderSize, section - HeaderSize), '\0'));
}

PlayersResult getHaloPlayers(const QByteArray& answer, const FriendList& friends)
{
    const std::optional<qint16> count = playerCount(answer);
    if (!count) {
        return PlayersResult::failed(
            "GetHaloPlayers()",
            reasonText(reason::CountNotANumber, -1, decodeText(getNulValue(answer, "numplayers"))),
            NotANumber);
    }
    if (*count < 0 || *count > 255) {
        return PlayersResult::failed(
            "GetHaloPlayers()", reasonText(reason::CountOutOfRange, -1, QString::number(*count)), MalformedRecord);
    }
    const qsizetype section = playerSection(answer, *count);
    const QList<QByteArray> fields = section < 0 ? QList<QByteArray>() : splitFields(answer.mid(section), '\0');
    PlayerTable players;
    for (qsizetype i = FirstPlayerField; i < fields.size(); i += FieldsPerPlayer) {
        if (fields.at(i).isEmpty())
            break;
        if (i + 1 >= fields.size()) {
            return PlayersResult::failed(
                "GetHaloPlayers()",
                reasonText(reason::PlayerLacks, -1, QString::number(players.size() + 1), QStringLiteral("score")),
                MissingField);
        }
        Player player;
        player.name = decodeText(fields.at(i));
        player.score = decodeText(fields.at(i + 1));
        player.ping = QStringLiteral("0");
        player.isFriend = friends.isFriend(player.name);
        players.push_back(player);
    }
    return {players, std::nullopt};
}

} // namespace trevisk
