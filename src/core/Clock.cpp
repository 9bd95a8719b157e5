#include "core/Clock.h"

#include <QElapsedTimer>

namespace trevisk {

QDateTime SystemClock::now() const
{
    const QDateTime utc = QDateTime::currentDateTimeUtc();
    if (!m_offsetTakenAt.isValid() || m_offsetTakenAt > utc || m_offsetTakenAt.secsTo(utc) >= 60) {
        m_offset = QDateTime::currentDateTime().offsetFromUtc();
        m_offsetTakenAt = utc;
    }
    return utc.toOffsetFromUtc(m_offset);
}

qint32 getTicks()
{
    // Milliseconds since the system started, wrapping at 32 bits: pings are differences of two readings.
    QElapsedTimer timer;
    timer.start();
    return static_cast<qint32>(static_cast<quint32>(timer.msecsSinceReference()));
}

} // namespace trevisk
