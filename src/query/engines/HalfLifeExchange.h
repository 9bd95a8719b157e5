#pragma once

#include "query/EngineExchange.h"
#include "query/engines/A2sProtocol.h"

#include <optional>

namespace trevisk {

// Half-Life servers answer the old queries, today's A2S ones, or both. A try speaks the dialect the
// server last answered; a try that got no answer hands the next one to the other. An A2S try
// sends the three queries at once, follows the server's challenge and joins its split replies.
class HalfLifeExchange : public AnswerExchange
{
public:
    using AnswerExchange::AnswerExchange;

    void startTry(int retry, Sender& sender) override;
    Outcome receive(const QByteArray& datagram, const Context& context, Sender& sender) override;
    int answersPerCycle() const override;
    bool reportsPlayerCount() const override;

    // The server last answered the A2S queries; its next cycle starts with them.
    bool speaksA2s() const { return m_useA2s; }

private:
    bool stray(const QByteArray& datagram) const override;
    Outcome receiveA2s(const QByteArray& datagram, const Context& context, Sender& sender);
    void send(a2s::Query query, Sender& sender);

    bool m_useA2s = false;
    bool m_tryA2s = false;
    // Queries still unanswered and queries sent with the challenge held now, one bit each.
    quint8 m_pending = 0;
    quint8 m_sentWithChallenge = 0;
    int m_challengeReplies = 0;
    // The challenge the server handed out; it serves later tries and cycles as well.
    std::optional<QByteArray> m_challenge;
    a2s::SplitAssembler m_splits;
};

} // namespace trevisk
