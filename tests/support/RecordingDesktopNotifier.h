#pragma once

#include "notify/DesktopNotifier.h"

#include <QStringList>

#include <vector>

namespace trevisk {

// Records what would reach the desktop's notification service; `refuse()` plays a service that is not there.
class RecordingDesktopNotifier : public DesktopNotifier
{
public:
    void notify(const QString& text, std::function<void()> undelivered) override
    {
        texts << text;
        fallbacks.push_back(std::move(undelivered));
    }
    // The service turns the last text down, as a missing one does after the call.
    void refuse()
    {
        if (fallbacks.back())
            fallbacks.back()();
    }

    QStringList texts;
    std::vector<std::function<void()>> fallbacks;
};

} // namespace trevisk
