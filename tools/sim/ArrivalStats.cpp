#include "ArrivalStats.h"

#include <algorithm>
#include <cstdio>

namespace trevisk {

void ArrivalStats::requestArrived(qint64 micros, bool info, bool status)
{
    // A simulator left running for days without a report keeps counting, but stops timing.
    constexpr size_t MaxTimed = 1'000'000;
    if (m_micros.size() < MaxTimed)
        m_micros.push_back(micros);
    ++m_requests;
    m_info += info ? 1 : 0;
    m_status += status ? 1 : 0;
}

void ArrivalStats::answerSent(qsizetype datagrams, qint64 bytes)
{
    ++m_answered;
    m_datagrams += datagrams;
    m_answerBytes += bytes;
}

qint64 ArrivalStats::peak(qint64 window) const
{
    qint64 best = 0;
    size_t first = 0;
    for (size_t last = 0; last < m_micros.size(); ++last) {
        while (m_micros[last] - m_micros[first] >= window)
            ++first;
        best = std::max<qint64>(best, static_cast<qint64>(last - first + 1));
    }
    return best;
}

void ArrivalStats::report()
{
    const qint64 span = m_micros.empty() ? 0 : m_micros.back() - m_micros.front();
    std::printf("requests=%lld getinfo=%lld getstatus=%lld answered=%lld datagrams=%lld answer_bytes=%lld span_ms=%.1f "
                "peak_1ms=%lld peak_10ms=%lld peak_100ms=%lld peak_1s=%lld\n",
                static_cast<long long>(m_requests),
                static_cast<long long>(m_info),
                static_cast<long long>(m_status),
                static_cast<long long>(m_answered),
                static_cast<long long>(m_datagrams),
                static_cast<long long>(m_answerBytes),
                static_cast<double>(span) / 1000.0,
                static_cast<long long>(peak(1000)),
                static_cast<long long>(peak(10000)),
                static_cast<long long>(peak(100000)),
                static_cast<long long>(peak(1000000)));
    std::fflush(stdout);
    *this = {};
}

} // namespace trevisk
