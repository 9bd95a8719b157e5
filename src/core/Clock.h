#pragma once

#include <QDateTime>

namespace trevisk {

// Wall-clock time that behaviour depends on (stamps, history spans, mail repeat intervals).
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// Local time from the UTC clock and an offset looked up once a minute: the local-time call
// reads the zone files at every call, which shows with thousands of answers a minute.
class SystemClock : public Clock
{
public:
    QDateTime now() const override;

private:
    mutable QDateTime m_offsetTakenAt;
    mutable int m_offset = 0;
};

// Milliseconds on a monotonic clock, wrapping as a 32-bit count does.
qint32 getTicks();

} // namespace trevisk
