#pragma once

#include "query/EngineProtocol.h"
#include "query/engines/PlayersResult.h"

namespace trevisk {

// Raven Shield: a "REPORT" answer of tagged fields separated by the byte B6.
class RavenShieldProtocol : public EngineProtocol
{
public:
    QList<QByteArray> requests() const override;
    bool recognises(const QByteArray& answer) const override;
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;
};

// Server values and players; a value whose field is missing is left as it was, and missing
// player fields give an empty table. The settings are not touched.
AnswerUpdate saveRvsData(const QByteArray& answer, const FriendList& friends);
// Players from three "/"-separated lists; a pings or scores list shorter than the names is an error.
PlayersResult
getRvsPlayers(const QByteArray& names, const QByteArray& pings, const QByteArray& scores, const FriendList& friends);

} // namespace trevisk
