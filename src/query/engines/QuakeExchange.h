#pragma once

#include "query/EngineExchange.h"

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
    quint64 challengeOf(quint32 tryNumber) const;

    enum class Echo
    {
        Unknown,
        Yes,
        No,
    };
    const QuakeProtocol& m_quake;
    // A try's challenge is a keyed mix of its number, sent as lower-case hexadecimal: the last eight
    // of this cycle's tries are told from their numbers, a late answer to an earlier try being as
    // good as any, without keeping them (every monitored server holds one of these).
    static constexpr quint32 KeptChallenges = 8;
    quint64 m_key;
    quint32 m_tries = 0; // tries since the exchange began
    quint32 m_sent = 0;  // tries of this cycle
    // While the server echoes, an answer without the challenge is not the server's.
    Echo m_echo = Echo::Unknown;
    // This try dropped an answer for carrying no challenge.
    bool m_droppedUnechoed = false;
};

} // namespace trevisk
