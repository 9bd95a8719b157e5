#include "query/engines/HalfLifeExchange.h"

#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"
#include "query/engines/AnswerText.h"
#include "query/engines/PlayersResult.h"

namespace trevisk {

namespace {

constexpr quint8 AllQueries = (1 << a2s::QueryCount) - 1;
// One challenge per query of a try at most: a server that keeps handing out new ones is not followed further.
constexpr int MaxChallengeReplies = a2s::QueryCount;
// A reply comes in a handful of parts; more held at once is a flood.
constexpr std::size_t MaxHeldParts = 128;

quint8 bit(a2s::Query query)
{
    return quint8(1 << int(query));
}

} // namespace

void HalfLifeExchange::startTry(int retry, Sender& sender)
{
    m_tryA2s = (retry % 2 == 1) != m_useA2s;
    if (!m_tryA2s) {
        AnswerExchange::startTry(retry, sender);
        return;
    }
    m_awaited = a2s::QueryCount;
    m_pending = AllQueries;
    m_challengeReplies = 0;
    m_splits.clear();
    for (int query = 0; query < a2s::QueryCount; ++query)
        send(a2s::Query(query), sender);
}

void HalfLifeExchange::send(a2s::Query query, Sender& sender)
{
    m_sentWithChallenge |= bit(query);
    sender.send(a2s::request(query, m_challenge));
}

bool HalfLifeExchange::stray(const QByteArray& datagram) const
{
    return a2s::replyKind(datagram) || a2s::challengeOf(datagram) || a2s::isSplitPart(datagram);
}

EngineExchange::Outcome HalfLifeExchange::receive(const QByteArray& datagram, const Context& context, Sender& sender)
{
    return m_tryA2s ? receiveA2s(datagram, context, sender) : AnswerExchange::receive(datagram, context, sender);
}

EngineExchange::Outcome HalfLifeExchange::receiveA2s(const QByteArray& datagram, const Context& context, Sender& sender)
{
    if (const auto challenge = a2s::challengeOf(datagram)) {
        if (m_challengeReplies >= MaxChallengeReplies)
            return {};
        ++m_challengeReplies;
        if (m_challenge != *challenge)
            m_sentWithChallenge = 0;
        m_challenge = *challenge;
        // One challenge serves every query from this address: each request not yet sent with it goes again.
        for (int query = 0; query < a2s::QueryCount; ++query) {
            if (m_pending & ~m_sentWithChallenge & bit(a2s::Query(query)))
                send(a2s::Query(query), sender);
        }
        return {Step::Heard, {}, {}, {}};
    }
    QByteArray reply = datagram;
    if (a2s::isSplitPart(datagram)) {
        if (m_splits.heldParts() >= MaxHeldParts)
            return {};
        const a2s::SplitAssembler::Outcome joined = m_splits.add(datagram);
        using State = a2s::SplitAssembler::Outcome::State;
        if (joined.state == State::Pending)
            return {Step::Held, {}, {}, {}};
        if (joined.state != State::Complete) {
            // The server is there, but this reply cannot be read. When it is all the try brought, the
            // try ends as a bad answer that says why: stopping the time-out without an answer would
            // leave the cycle waiting for ever. After a reply that was read, it is only reported.
            const bool nothingRead = m_awaited == a2s::QueryCount;
            return {nothingRead ? Step::Bad : Step::Held,
                    {},
                    joined.error,
                    {AnswerError{QStringLiteral("A2S split reply"), joined.error, MalformedRecord}}};
        }
        reply = joined.reply;
    }
    const std::optional<a2s::Query> kind = a2s::replyKind(reply);
    if (!kind) {
        // A late answer to an old-dialect try is no news.
        if (m_protocol.recognises(reply))
            return {};
        return {Step::Bad, {}, reasonText(reason::NotAnA2sReply, reply.size()), {}};
    }
    if (!(m_pending & bit(*kind)))
        return {};
    AnswerUpdate update;
    switch (*kind) {
    case a2s::Query::Info:
        update = a2s::parseInfo(reply);
        break;
    case a2s::Query::Players:
        takePlayers(update, a2s::parsePlayers(reply, context.friends));
        break;
    case a2s::Query::Rules:
        update = a2s::parseRules(reply);
        break;
    }
    // A2S_INFO states the count, bots included: the players' list may be partial or refused.
    Outcome outcome = checked(std::move(update), context, true);
    if (outcome.step == Step::Answer) {
        m_pending &= quint8(~bit(*kind));
        --m_awaited;
        m_useA2s = true;
    }
    return outcome;
}

int HalfLifeExchange::answersPerCycle() const
{
    return m_useA2s ? a2s::QueryCount : AnswerExchange::answersPerCycle();
}

bool HalfLifeExchange::reportsPlayerCount() const
{
    return m_useA2s || AnswerExchange::reportsPlayerCount();
}

} // namespace trevisk
