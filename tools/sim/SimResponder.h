#pragma once

#include "sim/SimAnswers.h"
#include "sim/SimServerState.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <random>

namespace trevisk {

struct SimRequest;

// What one simulated server does with a datagram: reads it as its engine would, answers with
// the datagrams a real server sends, and misbehaves as asked (silence, lost datagrams, Unreal
// parts out of order or repeated). No sockets: the caller sends what `respond` returns.
class SimResponder
{
public:
    explicit SimResponder(SimServerState state, quint32 seed = 1);

    SimServerState& state() { return m_state; }
    const SimServerState& state() const { return m_state; }

    // A server that is not answering reads requests and sends nothing (down, or behind a firewall).
    void setAnswering(bool answering) { m_answering = answering; }
    bool answering() const { return m_answering; }
    // Loses every n-th datagram sent (0: none); counts across answers.
    void setDropEvery(int n) { m_dropEvery = n; }
    // Loses each datagram with this probability, drawn from the seeded generator.
    void setDropProbability(double probability) { m_dropProbability = probability; }
    int droppedCount() const { return m_dropped; }
    // Unreal parts, numbered from 1: those listed are sent first in that order, then the others
    // in their own order. A repeated part is sent twice in a row.
    void setPartOrder(const QList<int>& order) { m_partOrder = order; }
    void setRepeatedPart(int part) { m_repeatedPart = part; }
    // How a Half-Life server treats the A2S queries: whether it still answers the old ones, whether
    // A2S_INFO needs the challenge, and how its replies are split (partSize 0: never).
    struct A2sBehaviour
    {
        bool only = false;
        bool infoChallenge = true;
        int partSize = 0;
        simanswers::SplitForm form = simanswers::SplitForm::GoldSrc;
        bool reversed = false; // parts sent last first
    };
    void setA2s(const A2sBehaviour& behaviour) { m_a2s = behaviour; }
    // The four challenge bytes this server hands to an address for the A2S queries.
    QByteArray a2sChallengeFor(quint32 senderIPv4) const;

    // Fills g_timestamp of Quake 3 answers; empty: the current time.
    void setTimestamp(const QByteArray& timestamp) { m_timestamp = timestamp; }

    // The datagrams to send back to the sender of `request`, in order; none for a request of
    // another engine. `senderIPv4` keys the Half-Life rcon challenge.
    QList<QByteArray> respond(const QByteArray& request, quint32 senderIPv4);

    // One step of players coming and going: one joins or one leaves, the others score.
    void churn(std::chrono::milliseconds elapsed);
    // Steps `churn` as often as the interval fits since the last call; for callers without a timer.
    void setChurnInterval(std::chrono::milliseconds interval) { m_churnInterval = interval; }
    void advanceTo(std::chrono::milliseconds now);

    // The challenge a Half-Life server hands to this address.
    QByteArray challengeFor(quint32 senderIPv4) const;

private:
    QList<QByteArray> status(const SimRequest& request);
    QList<QByteArray> rcon(const SimRequest& request, quint32 senderIPv4);
    QByteArray runCommand(const QByteArray& command);
    QList<QByteArray> arrangeParts(QList<QByteArray> parts) const;
    QList<QByteArray> a2s(const SimRequest& request, quint32 senderIPv4);
    bool loseNext();

    SimServerState m_state;
    std::minstd_rand m_random;
    quint32 m_secret;
    bool m_answering = true;
    int m_dropEvery = 0;
    double m_dropProbability = 0.0;
    quint64 m_sent = 0;
    int m_dropped = 0;
    QList<int> m_partOrder;
    int m_repeatedPart = 0;
    int m_queryId = 0;
    A2sBehaviour m_a2s;
    qint32 m_splitId = 0;
    int m_nextName = 0;
    QByteArray m_timestamp;
    std::chrono::milliseconds m_churnInterval{0};
    std::chrono::milliseconds m_lastChurn{-1};
};

} // namespace trevisk
