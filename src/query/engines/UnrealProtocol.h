#pragma once

#include "query/EngineProtocol.h"
#include "query/engines/PlayersResult.h"

namespace trevisk {

// Unreal family: the answer comes in parts keyed by query id, gathered and joined in arrival order.
class UnrealProtocol : public EngineProtocol
{
public:
    QList<QByteArray> requests() const override;
    bool recognises(const QByteArray& answer) const override;
    // The answer's parts are gathered for a window (UnrealExchange).
    std::unique_ptr<EngineExchange> newExchange() const override;
    bool gathers() const override { return true; }
    bool reportsPlayerCount() const override { return true; }
    QStringList launchArguments(const QString& game, const QString& address, const QStringList& params) const override;
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;
};

// Rows for players 0 to numplayers - 1 from the player_n, frags_n and ping_n keys. No numplayers
// gives no table; a count that is not a number, or more than the answer can hold, is an error.
PlayersResult getUnrealPlayers(const QByteArray& answer, const FriendList& friends);

} // namespace trevisk
