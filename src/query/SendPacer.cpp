#include "query/SendPacer.h"

#include <algorithm>
#include <utility>

namespace trevisk {

void SendPacer::setCeiling(int queriesPerSecond, int open)
{
    m_ceiling = std::max(0, queriesPerSecond);
    m_openCeiling = open;
    m_open = m_ceiling > 0 && open > m_ceiling;
    // A lower ceiling takes effect at once; a higher one is reached by the answers.
    if (m_rate <= 0)
        m_rate = StartQueriesPerSecond;
    m_rate = std::min(m_rate, ceiling());
}

double SendPacer::ceiling() const
{
    double most = m_open ? m_openCeiling : m_ceiling;
    if (m_answerBytes > 0) {
        const double bytes = double(HomeAnswerBytesPerSecond) * (m_open ? OpenAnswerBytesFactor : 1);
        most = std::min(most, bytes / m_answerBytes);
    }
    return std::max(std::min(double(m_ceiling), FloorQueriesPerSecond), most);
}

void SendPacer::refill(qint64 now)
{
    // A small burst at once (a twentieth of a second's worth), then an even rate.
    const double burst = std::max(1.0, m_rate / 20.0);
    m_tokens = std::min(burst, m_tokens + double(now - m_tokensAt) * m_rate / 1000.0);
    m_tokensAt = now;
}

bool SendPacer::take(qint64 now)
{
    if (!paced())
        return true;
    if (!m_open && m_openCeiling > m_ceiling && m_lastLoss >= 0 && now - m_lastLoss >= ReopenQuietMs)
        m_open = true;
    refill(now);
    if (m_tokens < 1.0)
        return false;
    m_tokens -= 1.0;
    return true;
}

void SendPacer::answeredInTime(qsizetype bytes)
{
    if (bytes > 0) {
        // Weighted towards the recent answers, as servers of one list differ.
        m_answerBytes = m_answerBytes <= 0 ? double(bytes) : m_answerBytes + (double(bytes) - m_answerBytes) / 16.0;
    }
    if (paced())
        m_rate = std::min(ceiling(), m_rate + StepPerAnswer * (m_open ? OpenStepFactor : 1));
}

void SendPacer::lost(qint64 now)
{
    if (!paced() || (m_lastLoss >= 0 && now - m_lastLoss < LossQuietMs))
        return;
    m_lastLoss = now;
    if (std::exchange(m_open, false)) {
        // What went out beyond the home pace comes back as retries, all due at once: they start
        // again from the pace that is safe anywhere.
        m_rate = std::min(StartQueriesPerSecond, ceiling());
        return;
    }
    m_rate = std::max(std::min(FloorQueriesPerSecond, double(m_ceiling)), m_rate / 2.0);
}

} // namespace trevisk
