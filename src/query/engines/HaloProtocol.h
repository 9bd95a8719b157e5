#pragma once

#include "query/EngineProtocol.h"
#include "query/engines/PlayersResult.h"

namespace trevisk {

// Halo: one zero-separated answer of server keys and values, then a player section that starts
// with the player count byte and "player_".
class HaloProtocol : public EngineProtocol
{
public:
    QList<QByteArray> requests() const override;
    bool recognises(const QByteArray& answer) const override;
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;
};

// The server keys before the player section; no player section gives no rows.
SettingsTable saveHaloData(const QByteArray& answer);
// Name and score of every player; the answer carries no ping, so it is "0".
PlayersResult getHaloPlayers(const QByteArray& answer, const FriendList& friends);

} // namespace trevisk
