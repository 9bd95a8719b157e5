#pragma once

#include "notify/NotificationQueue.h"

#include <chrono>
#include <memory>

namespace trevisk {

// A pop-up queue whose whole cycle takes well under a second.
inline std::unique_ptr<NotificationQueue> fastQueue(const Clock& clock,
                                                    std::chrono::milliseconds rest = std::chrono::milliseconds(20),
                                                    std::chrono::milliseconds poll = std::chrono::milliseconds(15))
{
    auto queue = std::make_unique<NotificationQueue>(clock);
    queue->setPollInterval(poll);
    queue->setRestInterval(rest);
    queue->setSlideInterval(std::chrono::milliseconds(1));
    return queue;
}

} // namespace trevisk
