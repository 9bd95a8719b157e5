#pragma once

#include "query/EngineProtocol.h"
#include "query/engines/PlayersResult.h"

namespace trevisk {

// Half-Life: two requests per cycle, an information answer and a players answer, each read by itself.
class HalfLifeProtocol : public EngineProtocol
{
public:
    QList<QByteArray> requests() const override;
    int answersPerCycle() const override { return 2; }
    bool hasRemoteConsole() const override { return true; }
    bool recognises(const QByteArray& answer) const override;
    // Its servers may answer only the A2S queries of today's Half-Life and Source (HalfLifeExchange).
    std::unique_ptr<EngineExchange> newExchange() const override;
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;
};

// True for the players answer: "D" right after the four header bytes.
bool isHalfLifePlayersAnswer(const QByteArray& answer);
// Records of index byte, zero-ended name, 32-bit little-endian score and four unread bytes.
PlayersResult hlPlayers(const QByteArray& answer, const FriendList& friends);

} // namespace trevisk
