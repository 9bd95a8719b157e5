#include "query/EngineExchange.h"

#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"

namespace trevisk {

int EngineExchange::answersPerCycle() const
{
    return m_protocol.answersPerCycle();
}

bool EngineExchange::reportsPlayerCount() const
{
    return m_protocol.reportsPlayerCount();
}

EngineExchange::Outcome EngineExchange::checked(AnswerUpdate&& update, const Context& context, bool reportsPlayerCount)
{
    Outcome outcome;
    if (const auto reason = nonsenseIn(update, context.maxPlayers, reportsPlayerCount)) {
        outcome.step = Step::Bad;
        outcome.reason = *reason;
        return outcome;
    }
    outcome.step = Step::Answer;
    outcome.update = std::move(update);
    return outcome;
}

EngineExchange::Outcome EngineExchange::notOurs(const Context& context, qsizetype size)
{
    Outcome outcome;
    outcome.step = Step::Bad;
    outcome.reason = reasonText(reason::NotTheGamesAnswer, size, context.game);
    return outcome;
}

void AnswerExchange::startTry(int, Sender& sender)
{
    m_awaited = m_protocol.answersPerCycle();
    for (const QByteArray& request : m_protocol.requests())
        sender.send(request);
}

EngineExchange::Outcome AnswerExchange::receive(const QByteArray& datagram, const Context& context, Sender&)
{
    if (!m_protocol.recognises(datagram))
        return stray(datagram) ? Outcome{} : notOurs(context, datagram.size());
    if (foreign(datagram, context))
        return {};
    Outcome outcome =
        checked(m_protocol.parse(datagram, context.game, context.friends), context, m_protocol.reportsPlayerCount());
    // A bad answer takes no awaited place: the true one may still come.
    if (outcome.step == Step::Answer)
        --m_awaited;
    return outcome;
}

} // namespace trevisk
