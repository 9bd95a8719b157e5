#pragma once

#include "core/Sound.h"

#include <QStringList>

namespace trevisk {

// Records what would reach the sound device.
class RecordingSoundPlayer : public SoundPlayer
{
public:
    void play(const QString& path, bool wait) override
    {
        played << (wait ? QStringLiteral("wait:") : QString()) + path;
    }
    void stop() override { ++stops; }

    QStringList played;
    int stops = 0;
};

} // namespace trevisk
