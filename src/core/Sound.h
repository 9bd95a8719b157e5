#pragma once

#include <QString>

namespace trevisk {

// The device side of sound; the program plays through Qt, tests record what they are handed.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString& path, bool wait) = 0;
    virtual void stop() = 0;
};

// Plays nothing: for a machine without a desktop.
class SilentSoundPlayer : public SoundPlayer
{
public:
    void play(const QString&, bool) override {}
    void stop() override {}
};

// A path made of the one character of code 0 stops what plays; otherwise only an existing
// file plays, waiting for its end when the flag is non-zero.
void playWave(SoundPlayer& player, const QString& path, int flag);

} // namespace trevisk
