#include "core/Clock.h"

#include <QElapsedTimer>

namespace trevisk {

qint32 getTicks()
{
    // The monotonic reference is the system's start, as the tick count of the platform was.
    QElapsedTimer timer;
    timer.start();
    return static_cast<qint32>(static_cast<quint32>(timer.msecsSinceReference()));
}

} // namespace trevisk
