#include "query/engines/QuakeExchange.h"

#include "query/engines/QuakeProtocol.h"

#include <QRandomGenerator>

#include <algorithm>
#include <charconv>

namespace trevisk {

namespace {

// A challenge as it goes out: the number in lower-case hexadecimal.
QByteArrayView challengeText(quint64 challenge, std::array<char, 16>& buffer)
{
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), challenge, 16).ptr;
    return {buffer.data(), end - buffer.data()};
}

} // namespace

QuakeExchange::QuakeExchange(const QuakeProtocol& protocol)
    : AnswerExchange(protocol)
    , m_quake(protocol)
{}

void QuakeExchange::startTry(int, Sender& sender)
{
    m_awaited = m_protocol.answersPerCycle();
    m_droppedUnechoed = false;
    const quint64 challenge = QRandomGenerator::system()->generate64() >> 16;
    m_challenges[m_sent++ % m_challenges.size()] = challenge;
    std::array<char, 16> buffer{};
    for (const QByteArray& request : m_quake.requestsWith(challengeText(challenge, buffer).toByteArray()))
        sender.send(request);
}

bool QuakeExchange::ownChallenge(const QByteArray& challenge) const
{
    std::array<char, 16> buffer{};
    const size_t kept = std::min(m_sent, m_challenges.size());
    return std::any_of(m_challenges.cbegin(), m_challenges.cbegin() + kept, [&](quint64 sent) {
        return challengeText(sent, buffer) == challenge;
    });
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
