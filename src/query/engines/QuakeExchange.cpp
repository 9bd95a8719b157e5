#include "query/engines/QuakeExchange.h"

#include "query/engines/QuakeProtocol.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
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
    , m_key(QRandomGenerator::system()->generate64())
{}

quint64 QuakeExchange::challengeOf(quint32 tryNumber) const
{
    // The mix of splitmix64: one off the path, who never saw the key, cannot tell the next challenge.
    quint64 z = m_key + quint64{tryNumber} * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return (z ^ (z >> 31)) >> 16;
}

void QuakeExchange::startTry(int, Sender& sender)
{
    m_awaited = m_protocol.answersPerCycle();
    m_droppedUnechoed = false;
    const quint64 challenge = challengeOf(m_tries++);
    ++m_sent;
    std::array<char, 16> buffer{};
    for (const QByteArray& request : m_quake.requestsWith(challengeText(challenge, buffer).toByteArray()))
        sender.send(request);
}

bool QuakeExchange::ownChallenge(const QByteArray& challenge) const
{
    std::array<char, 16> buffer{};
    const quint32 kept = std::min(m_sent, KeptChallenges);
    for (quint32 back = 1; back <= kept; ++back) {
        if (challengeText(challengeOf(m_tries - back), buffer) == challenge)
            return true;
    }
    return false;
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
