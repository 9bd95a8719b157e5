#include "query/engines/QuakeExchange.h"

#include "query/engines/QuakeProtocol.h"

#include <QRandomGenerator>

#include <algorithm>

namespace trevisk {

namespace {

constexpr std::size_t MaxChallenges = 8;

} // namespace

QuakeExchange::QuakeExchange(const QuakeProtocol& protocol)
    : AnswerExchange(protocol)
    , m_quake(protocol)
{}

void QuakeExchange::startTry(int, Sender& sender)
{
    m_awaited = m_protocol.answersPerCycle();
    m_droppedUnechoed = false;
    if (m_challenges.size() >= MaxChallenges)
        m_challenges.erase(m_challenges.begin());
    m_challenges.push_back(QByteArray::number(QRandomGenerator::system()->generate64() >> 16, 16));
    for (const QByteArray& request : m_quake.requestsWith(m_challenges.back()))
        sender.send(request);
}

bool QuakeExchange::ownChallenge(const QByteArray& challenge) const
{
    return std::find(m_challenges.cbegin(), m_challenges.cend(), challenge) != m_challenges.cend();
}

void QuakeExchange::unawaited(const QByteArray& datagram)
{
    // An answer forged without the challenge may have come first and been taken; the server's own,
    // echoing this cycle's challenge, still shows that it echoes, and the next cycles ask for it.
    if (m_echo == Echo::Yes)
        return;
    const std::optional<QByteArray> echoed = m_quake.echoedChallenge(datagram);
    if (echoed && ownChallenge(*echoed))
        m_echo = Echo::Yes;
}

void QuakeExchange::timedOut()
{
    // The try brought answers without the challenge and none with it: this server does not echo (an
    // old version, another fork, or an information line too full to take it), and is heard without it.
    if (m_droppedUnechoed)
        m_echo = Echo::No;
    m_droppedUnechoed = false;
}

bool QuakeExchange::foreign(const QByteArray& datagram, const Context& context)
{
    const std::optional<QByteArray> echoed = m_quake.echoedChallenge(datagram);
    if (!echoed) {
        // Expected from a server that has echoed, or whose game's servers all do; others (old versions,
        // other forks) are heard as ever.
        const bool expected = m_echo == Echo::Yes || (m_echo == Echo::Unknown && m_quake.alwaysEchoes(context.game));
        m_droppedUnechoed = m_droppedUnechoed || expected;
        return expected;
    }
    if (!ownChallenge(*echoed))
        return true;
    m_echo = Echo::Yes;
    return false;
}

} // namespace trevisk
