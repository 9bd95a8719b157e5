#pragma once

#include "query/AnswerUpdate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace trevisk {

class EngineExchange;
class FriendList;

// The wire side of one engine: its request datagrams, how its answers are recognised and
// gathered, and its parsers. Pure: bytes in, values out; no sockets, no timers.
class EngineProtocol
{
public:
    virtual ~EngineProtocol() = default;

    // The datagrams one query sends, in order.
    virtual QList<QByteArray> requests() const = 0;

    // The exchange one server's tries go through, kept by its query object: by default each try sends
    // the requests and awaits answersPerCycle answers, one datagram each.
    virtual std::unique_ptr<EngineExchange> newExchange() const;

    // True for engines whose answer comes in several datagrams gathered for a window (Unreal family).
    virtual bool gathers() const { return false; }

    // True when a datagram (for gathering engines: the joined parts) has the shape of this engine's
    // answer; anything else from the server's port is a bad answer, whatever the parser would make of it.
    virtual bool recognises(const QByteArray& answer) const = 0;

    // How many separate answers a complete query cycle brings (two for Half-Life).
    virtual int answersPerCycle() const { return 1; }

    // True when the answer states the player count itself (its player rows may be fewer or none);
    // otherwise the count is the number of player rows.
    virtual bool reportsPlayerCount() const { return false; }

    // True for the engines whose servers take remote console commands from this program.
    virtual bool hasRemoteConsole() const { return false; }

    // The command line that makes the game join `address`, around the user's own parameters.
    virtual QStringList launchArguments(const QString& game, const QString& address, const QStringList& params) const;

    // Reads one answer (for gathering engines: the parts joined in arrival order).
    virtual AnswerUpdate parse(const QByteArray& answer, const QString& game, const FriendList& friends) const = 0;
};

// The answer of a GameSpy-style query starts with a zero byte and the request's four id bytes.
bool recognisesGameSpyAnswer(const QByteArray& answer, const QByteArray& request);

// The protocol of an engine code ("Q3", "UT2003", ...), or nullptr for an unknown code.
const EngineProtocol* protocolForEngine(const QString& engine);
// The protocol of a catalogue game, or nullptr when the game or its engine is unknown.
const EngineProtocol* protocolForGame(const QString& game);
// Whether the remote console serves servers of this game.
bool hasRemoteConsole(const QString& game);

} // namespace trevisk
