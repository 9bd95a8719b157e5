#pragma once

#include "query/EngineProtocol.h"

namespace trevisk {

// Neverwinter Nights: twenty server keys asked by code, answered as zero-ended values in request order.
class NwnProtocol : public EngineProtocol
{
public:
    QList<QByteArray> requests() const override;
    bool recognises(const QByteArray& answer) const override;
    // Its answer carries no player rows at all.
    bool reportsPlayerCount() const override { return true; }
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;
};

// Player count, limit, server name and five settings. Reading stops at the first missing field:
// what was read before it is kept, and the settings are replaced only when all are there.
AnswerUpdate saveNwnData(const QByteArray& answer);

} // namespace trevisk
