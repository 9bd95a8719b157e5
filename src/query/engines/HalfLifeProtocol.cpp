#include "query/engines/HalfLifeProtocol.h"

#include "core/Routines.h"
#include "players/FriendList.h"
#include "query/AnswerCheck.h"
#include "query/engines/AnswerText.h"
#include "query/engines/HalfLifeExchange.h"

#include <QtEndian>

namespace trevisk {

QList<QByteArray> HalfLifeProtocol::requests() const
{
    return {PacketPrefix + QByteArrayLiteral("infostring\n"), PacketPrefix + QByteArrayLiteral("players\n")};
}

AnswerUpdate HalfLifeProtocol::parse(const QByteArray& answer, const QString&, const FriendList& friends) const
{
    AnswerUpdate update;
    if (isHalfLifePlayersAnswer(answer)) {
        takePlayers(update, hlPlayers(answer, friends));
        return update;
    }
    update.settings = saveData(answer);
    update.hostname = decodeText(getKeyValue(answer, "hostname"));
    update.maxPlayers = decodeText(getKeyValue(answer, "max"));
    update.map = decodeText(getKeyValue(answer, "map"));
    return update;
}

std::unique_ptr<EngineExchange> HalfLifeProtocol::newExchange() const
{
    return std::make_unique<HalfLifeExchange>(*this);
}

bool HalfLifeProtocol::recognises(const QByteArray& answer) const
{
    return answer.startsWith(PacketPrefix)
           && (isHalfLifePlayersAnswer(answer) || answer.mid(4).startsWith("infostringresponse"));
}

bool isHalfLifePlayersAnswer(const QByteArray& answer)
{
    return answer.size() > 4 && answer.at(4) == 'D';
}

PlayersResult hlPlayers(const QByteArray& answer, const FriendList& friends)
{
    constexpr qsizetype ScoreSize = 4;
    constexpr qsizetype RecordTail = 8; // score and the four unread bytes
    const QByteArray data = answer.mid(6);
    PlayerTable players;
    players.reserveBytes(data.size());
    qsizetype start = 0;
    // The name's end is looked for after the index byte, which may itself be zero.
    qsizetype end = data.indexOf('\0', start + 1);
    while (end >= 0) {
        if (end + ScoreSize >= data.size()) {
            return PlayersResult::failed(
                "HLPlayers()",
                reasonText(reason::PlayerRecordNoScore, -1, QString::number(players.size() + 1)),
                MalformedRecord);
        }
        const QByteArray name = data.mid(start + 1, end - start - 1);
        Player player;
        player.name = decodeText(name);
        player.score = QString::number(qFromLittleEndian<qint32>(data.constData() + end + 1));
        player.ping = QStringLiteral("N/A");
        player.isFriend = friends.isFriend(player.name);
        players.push_back(player);
        start = end + RecordTail + 1;
        end = start < data.size() ? data.indexOf('\0', start + 1) : -1;
    }
    return {players, std::nullopt};
}

} // namespace trevisk
