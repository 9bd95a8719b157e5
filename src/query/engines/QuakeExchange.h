#pragma once

#include "query/EngineExchange.h"

#include <array>

namespace trevisk {

class QuakeProtocol;

// Quake 3's getstatus carries a challenge its servers echo in the answer: each try sends a fresh
// one, so that an answer forged from the server's address cannot pass for the server's own. A
// server not known to echo is heard without it until it has echoed once.
class QuakeExchange : public AnswerExchange
{
public:
    explicit QuakeExchange(const QuakeProtocol& protocol);

    void startCycle() override { m_sent = 0; }
    void startTry(int retry, Sender& sender) override;
    void unawaited(const QByteArray& datagram) override;
    void timedOut() override;

private:
    bool foreign(const QByteArray& datagram, const Context& context) override;
    bool ownChallenge(const QByteArray& challenge) const;

    enum class Echo
    {
        Unknown,
        Yes,
        No,
    };
    const QuakeProtocol& m_quake;
    // The challenges this cycle's tries sent, a late answer to an earlier try being as good as any;
    // kept as numbers, sent as their lower-case hexadecimal, as every server keeps a few.
    std::array<quint64, 8> m_challenges{};
    size_t m_sent = 0; // how many of m_challenges this cycle sent, the oldest dropped past eight
    // While the server echoes, an answer without the challenge is not the server's.
    Echo m_echo = Echo::Unknown;
    // This try dropped an answer for carrying no challenge.
    bool m_droppedUnechoed = false;
};

} // namespace trevisk
