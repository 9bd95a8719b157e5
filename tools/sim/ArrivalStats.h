#pragma once

#include <QtGlobal>

#include <vector>

namespace trevisk {

// When requests arrived and what went back since the last report, so that a benchmark can show
// how evenly a client paces its sends and that every request was answered.
class ArrivalStats
{
public:
    void requestArrived(qint64 micros, bool info, bool status);
    void answerSent(qsizetype datagrams, qint64 bytes);

    // One line of key=value pairs; the counts start again from nothing afterwards.
    void report();

private:
    // The most requests that arrived within any window of this many microseconds.
    qint64 peak(qint64 window) const;

    std::vector<qint64> m_micros;
    qint64 m_requests = 0;
    qint64 m_info = 0;
    qint64 m_status = 0;
    qint64 m_answered = 0;
    qint64 m_datagrams = 0;
    qint64 m_answerBytes = 0; // UDP payload of every answer datagram
};

} // namespace trevisk
