#pragma once

#include <QtGlobal>

namespace trevisk {

// Paces queries by what the path takes: a token bucket whose rate rises while answers keep
// arriving in time and halves at the first sign of loss, never above a ceiling that a home
// connection carries without drops (in queries and in bytes of answers a second). A caller that
// names an open ceiling lets the rate climb past the home one, fast, for as long as nothing is
// lost: on a link that takes it (loopback, a data centre) one round ends sooner and a hundred
// thousand servers keep their refresh; a loss closes it and starts again from the start rate,
// until a while has passed without one. Pure: the caller passes the time, so the rule is tested without sockets or
// waiting.
class SendPacer
{
public:
    // What a home connection and its router take without dropping answers: 2,000 queries
    // (about 0.7 Mbit/s of requests up) and 25 Mbit/s of answers down a second.
    static constexpr int HomeQueriesPerSecond = 2000;
    static constexpr qint64 HomeAnswerBytesPerSecond = 25'000'000 / 8;
    // Where the rate starts and the least it falls to.
    static constexpr double StartQueriesPerSecond = 500;
    static constexpr double FloorQueriesPerSecond = 20;
    // Each answer in time raises the rate by this much: the rate grows with the answers it brings
    // back, so it doubles in well under a second on a path that takes it.
    static constexpr double StepPerAnswer = 8;
    // After a loss the rate is not lowered again for this long: the losses of one burst show
    // over a while, and each would otherwise halve the rate once more.
    static constexpr qint64 LossQuietMs = 500;
    // While open, each answer in time raises the rate this much more: ten times in a tenth of a second.
    static constexpr double OpenStepFactor = 4;
    // While open, answers may bring this many times the home connection's bytes.
    static constexpr int OpenAnswerBytesFactor = 4;
    // The open ceiling holds again after this long without a loss.
    static constexpr qint64 ReopenQuietMs = 5000;

    // `ceiling` queries a second at most; 0: no pacing at all. `open`: the most while nothing is
    // lost, when above `ceiling`.
    void setCeiling(int queriesPerSecond, int open = 0);
    bool paced() const { return m_ceiling > 0; }
    // The rate is above the ceiling it falls back to at a loss: a silence now is taken for one.
    bool beyondCeiling() const { return m_open && m_rate > m_ceiling; }
    double rate() const { return m_rate; }
    // The highest rate the answers' size allows beside the ceiling.
    double ceiling() const;

    // Takes one send's token at `now` (milliseconds) when one is there.
    bool take(qint64 now);

    // An answer arrived in time (on the first try of a server that was answering): raise the rate.
    void answeredInTime(qsizetype bytes);
    // A server that was answering stayed silent: lower the rate, once per quiet period.
    void lost(qint64 now);

private:
    void refill(qint64 now);

    int m_ceiling = 0;
    int m_openCeiling = 0;
    bool m_open = false;
    double m_rate = 0;
    double m_tokens = 0;
    qint64 m_tokensAt = 0;
    qint64 m_lastLoss = -1;
    double m_answerBytes = 0; // running mean of an answer's size, 0 until one arrives
};

} // namespace trevisk
