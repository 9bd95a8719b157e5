#include "query/engines/UnrealExchange.h"

#include "query/EngineProtocol.h"
#include "query/engines/AnswerText.h"

#include <algorithm>

namespace trevisk {

namespace {

// An answer comes in a handful of parts; more within one window is a flood.
constexpr std::size_t MaxParts = 128;

} // namespace

QByteArray UnrealExchange::partKey(const QByteArray& datagram)
{
    return 'P' + getKeyValue(datagram, "queryid") + 'P';
}

void UnrealExchange::startTry(int, Sender& sender)
{
    m_parts.clear();
    for (const QByteArray& request : m_protocol.requests())
        sender.send(request);
}

bool UnrealExchange::awaiting() const
{
    return m_parts.size() < MaxParts;
}

EngineExchange::Outcome UnrealExchange::receive(const QByteArray& datagram, const Context&, Sender&)
{
    const QByteArray key = partKey(datagram);
    if (std::none_of(m_parts.cbegin(), m_parts.cend(), [&](const auto& part) { return part.first == key; }))
        m_parts.emplace_back(key, datagram);
    return {Step::Gathered, {}, {}, {}};
}

EngineExchange::Outcome UnrealExchange::finish(const Context& context)
{
    // Only an answer that arrived is read: an empty window leaves every result as it was.
    if (m_parts.empty())
        return {};
    QByteArray joined;
    for (const auto& part : m_parts)
        joined += part.second;
    m_parts.clear();
    if (!m_protocol.recognises(joined))
        return notOurs(context, joined.size());
    return checked(m_protocol.parse(joined, context.game, context.friends), context, m_protocol.reportsPlayerCount());
}

} // namespace trevisk
