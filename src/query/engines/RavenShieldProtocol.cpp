#include "query/engines/RavenShieldProtocol.h"

#include "core/Routines.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"

namespace trevisk {

namespace {

// A field is a tag, a space and the value.
QByteArray rvsValue(const QByteArray& field)
{
    const qsizetype space = field.indexOf(' ');
    return space < 0 ? field : field.mid(space + 1);
}

} // namespace

QList<QByteArray> RavenShieldProtocol::requests() const
{
    return {QByteArrayLiteral("REPORT")};
}

bool RavenShieldProtocol::recognises(const QByteArray& answer) const
{
    return answer.contains('\xB6');
}

AnswerUpdate RavenShieldProtocol::parse(const QByteArray& answer, const QString&, const FriendList& friends) const
{
    return saveRvsData(answer, friends);
}

AnswerUpdate saveRvsData(const QByteArray& answer, const FriendList& friends)
{
    const QList<QByteArray> fields = splitFields(answer, '\xB6');
    const auto value = [&](qsizetype i) -> std::optional<QString> {
        if (i >= fields.size())
            return std::nullopt;
        return decodeText(rvsValue(fields.at(i)));
    };
    AnswerUpdate update;
    update.hostname = value(3);
    update.map = value(2);
    update.maxPlayers = value(5);
    update.numPlayers = value(14);
    if (fields.size() > 13)
        takePlayers(update,
                    getRvsPlayers(rvsValue(fields.at(10)), rvsValue(fields.at(12)), rvsValue(fields.at(13)), friends));
    else
        takePlayers(update, {PlayerTable(), std::nullopt});
    return update;
}

PlayersResult
getRvsPlayers(const QByteArray& names, const QByteArray& pings, const QByteArray& scores, const FriendList& friends)
{
    // Every value is preceded by "/", so the list ends with an empty text that is no player.
    const QList<QByteArray> nameList = splitFields(names.mid(1), '/');
    const QList<QByteArray> pingList = splitFields(pings.mid(1), '/');
    const QList<QByteArray> scoreList = splitFields(scores.mid(1), '/');
    PlayerTable players;
    for (qsizetype i = 0; i + 1 < nameList.size(); ++i) {
        if (i >= pingList.size() || i >= scoreList.size()) {
            return PlayersResult::failed(
                "GetRVSPlayers()",
                reasonText(reason::PlayerLacks,
                           -1,
                           QString::number(i + 1),
                           i >= pingList.size() ? QStringLiteral("ping") : QStringLiteral("score")),
                MissingField);
        }
        Player player;
        player.name = decodeText(nameList.at(i));
        player.ping = decodeText(pingList.at(i));
        player.score = decodeText(scoreList.at(i));
        player.isFriend = friends.isFriend(player.name);
        players.push_back(player);
    }
    return {players, std::nullopt};
}

} // namespace trevisk
