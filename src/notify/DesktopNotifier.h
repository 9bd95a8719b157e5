#pragma once

#include <QString>

#include <functional>

namespace trevisk {

// The desktop's own notification service; the program talks D-Bus, tests record what they are handed.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;
    // Hands one pop-up text over. `undelivered` runs (possibly later) when the service could not take
    // it, so that the text can still be shown another way.
    virtual void notify(const QString& text, std::function<void()> undelivered) = 0;
};

} // namespace trevisk
