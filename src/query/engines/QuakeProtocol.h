#pragma once

#include "query/EngineProtocol.h"
#include "query/engines/PlayersResult.h"

#include <optional>

namespace trevisk {

// Quake 2, Quake 3 and QuakeWorld status queries: one datagram out, one answer back, an
// information line of backslash pairs followed by one line per player.
class QuakeProtocol : public EngineProtocol
{
public:
    enum class Variant
    {
        Quake2,
        Quake3,
        QuakeWorld,
    };

    explicit QuakeProtocol(Variant variant)
        : m_variant(variant)
    {}
    bool hasRemoteConsole() const override { return true; }

    QList<QByteArray> requests() const override;
    // Quake 3's exchange sends a challenge with each try (QuakeExchange).
    std::unique_ptr<EngineExchange> newExchange() const override;
    // The four FF bytes, then a backslash key/value text.
    bool recognises(const QByteArray& answer) const override;
    AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const override;

    // Quake 3 servers echo getstatus's argument in the answer's information line: the requests that
    // carry `challenge`, and what an answer echoes, or nothing when it carries none.
    QList<QByteArray> requestsWith(const QByteArray& challenge) const;
    std::optional<QByteArray> echoedChallenge(const QByteArray& answer) const;
    // The game's servers are known to echo: Quake 3 since 1.32 and ioquake3 (others are trusted
    // without the echo until they have echoed).
    bool alwaysEchoes(const QString& game) const
    {
        return m_variant == Variant::Quake3 && game == QLatin1String("Quake 3");
    }

private:
    Variant m_variant;
};

// Player lines "score ping \"name\"" (Soldier of Fortune 2: "score ping deaths \"name\""). A line
// that cannot be read ends the list; the rows before it are kept.
PlayerTable getQ3Players(const QByteArray& answer, const QString& game, const FriendList& friends);
// QuakeWorld player lines "userid frags minutes ping \"name\" ...". A broken line gives no table.
PlayersResult getPlayers(const QByteArray& answer, const FriendList& friends);

} // namespace trevisk
