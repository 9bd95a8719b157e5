#pragma once

#include "query/AnswerUpdate.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace trevisk {

class EngineProtocol;
class FriendList;

// One server's side of its engine's exchange: what a try sends and what each datagram that comes
// back amounts to. Pure: the query object keeps the sockets, the timers and the results, and
// drives the exchange through these calls. Made once per query object by the engine's protocol
// and kept from try to try, so that what it learnt of the server lasts.
class EngineExchange
{
public:
    // What the query object lends the exchange for one call.
    struct Context
    {
        const QString& game;
        const FriendList& friends;
        const QString& maxPlayers; // the last answer's, for engines that send it apart from the players
    };
    // Where the datagrams of a try go.
    class Sender
    {
    public:
        virtual void send(const QByteArray& datagram) = 0;

    protected:
        ~Sender() = default;
    };

    enum class Step
    {
        Ignored,  // not awaited, or no news: as if it never came
        Held,     // kept for an answer still to come (one part of a split reply)
        Heard,    // the server heard the try and asked for more (a challenge): the ping counts from it
        Gathered, // one part of an answer gathered for a window
        Answer,   // `update` holds an answer whose numbers were checked
        Bad,      // something answers, but not as this engine does: `reason` says how
    };
    struct Outcome
    {
        Step step = Step::Ignored;
        AnswerUpdate update;
        QString reason;
        // Faults to report whatever the step (a split reply that cannot be joined).
        QList<AnswerError> errors;
    };

    explicit EngineExchange(const EngineProtocol& protocol)
        : m_protocol(protocol)
    {}
    virtual ~EngineExchange() = default;
    EngineExchange(const EngineExchange&) = delete;
    EngineExchange& operator=(const EngineExchange&) = delete;

    const EngineProtocol& protocol() const { return m_protocol; }

    // A new cycle of tries begins.
    virtual void startCycle() {}
    // A try begins (`retry` 0 for a cycle's first): everything it awaits is reset and its requests go out.
    virtual void startTry(int retry, Sender& sender) = 0;
    // The try gathers the parts of its answer for a window instead of awaiting a count of answers.
    virtual bool gathers() const { return false; }
    // The try still awaits a datagram.
    virtual bool awaiting() const = 0;
    // A datagram from the server's address while the try awaits one.
    virtual Outcome receive(const QByteArray& datagram, const Context& context, Sender& sender) = 0;
    // A datagram from the server's address that came when nothing was awaited.
    virtual void unawaited(const QByteArray& /*datagram*/) {}
    // The gathering window closed: the answer of the parts gathered, Ignored when none came.
    virtual Outcome finish(const Context& /*context*/) { return {}; }
    // The try ended without an answer.
    virtual void timedOut() {}
    // The try is cut short: nothing more is awaited.
    virtual void stop() = 0;

    // Separate answers a complete cycle brings in the dialect the server last answered.
    virtual int answersPerCycle() const;
    // The answers state the player count themselves.
    virtual bool reportsPlayerCount() const;

protected:
    // An answer read, unless its numbers cannot be true.
    static Outcome checked(AnswerUpdate&& update, const Context& context, bool reportsPlayerCount);
    // A bad answer: the datagram is not of the engine's shape.
    static Outcome notOurs(const Context& context, qsizetype size);

    const EngineProtocol& m_protocol;
};

// The usual exchange: each try sends the engine's requests and awaits its answers, one datagram each.
class AnswerExchange : public EngineExchange
{
public:
    using EngineExchange::EngineExchange;

    void startTry(int retry, Sender& sender) override;
    bool awaiting() const override { return m_awaited > 0; }
    Outcome receive(const QByteArray& datagram, const Context& context, Sender& sender) override;
    void stop() override { m_awaited = 0; }

protected:
    // A datagram not of the engine's shape that is no news either (a late reply in another dialect).
    virtual bool stray(const QByteArray& /*datagram*/) const { return false; }
    // A datagram of the engine's shape that still cannot be this server's answer.
    virtual bool foreign(const QByteArray& /*datagram*/, const Context& /*context*/) { return false; }

    int m_awaited = 0;
};

} // namespace trevisk
