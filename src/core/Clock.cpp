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
    // The monotonic reference is the system's start, as the tick count of the platform was.
    QElapsedTimer timer;
    timer.start();
    return static_cast<qint32>(static_cast<quint32>(timer.msecsSinceReference()));
}

} // namespace trevisk
