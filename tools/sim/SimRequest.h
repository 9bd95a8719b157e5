#pragma once

#include <QByteArray>
#include <QString>

namespace trevisk {

// A datagram as a server of one engine understands it. Anything it does not understand is
// `None` and gets no answer, as real servers ignore other engines' requests.
struct SimRequest
{
    enum class Kind
    {
        None,
        Status,        // the engine's status query (Half-Life: infostring)
        Players,       // Half-Life's players query
        Info,          // Quake 3's short "getinfo" (other query tools ask it first)
        RconChallenge, // Half-Life: "challenge rcon"
        Rcon,
        A2sInfo, // today's Half-Life: the A2S queries, with their challenge bytes when sent
        A2sPlayers,
        A2sRules,
    };

    Kind kind = Kind::None;
    QByteArray requestId; // GameSpy-style queries: echoed in the answer
    QByteArray keys;      // Neverwinter Nights: the key codes asked for, in order
    QByteArray challenge; // Half-Life rcon; the four A2S challenge bytes; Quake 3's getstatus argument
    QByteArray password;
    QByteArray command;

    static SimRequest read(const QString& engine, const QByteArray& datagram);
};

} // namespace trevisk
