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

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// Milliseconds on a monotonic clock, wrapping as a 32-bit count does.
qint32 getTicks();

} // namespace trevisk
