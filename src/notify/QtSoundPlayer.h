#pragma once

#include "core/Sound.h"

#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

namespace trevisk {

// Plays wave files through Qt Multimedia. What reaches the device goes through Output, so that
// tests can see it without a sound server.
class QtSoundPlayer : public SoundPlayer
{
public:
    class Output
    {
    public:
        virtual ~Output() = default;
        // Plays the file from its start, replacing whatever plays.
        virtual void play(const QUrl& file) = 0;
        virtual void stop() = 0;
    };

    // A waiting play lasts the sound's length plus this, never longer than the limit: the device
    // cannot be asked when a sound ends (without a sound server it says "playing" for ever).
    static constexpr std::chrono::milliseconds WaitMargin{300};
    static constexpr std::chrono::milliseconds LongestWait{30000};

    QtSoundPlayer(); // QSoundEffect, made at the first sound
    explicit QtSoundPlayer(std::unique_ptr<Output> output);
    ~QtSoundPlayer() override;

    void play(const QString& path, bool wait) override;
    void stop() override;

    // The length of a PCM wave file from its header; nothing when it is no such file.
    static std::optional<std::chrono::milliseconds> waveLength(const QString& path);
    // How long a waiting play of `path` lasts.
    static std::chrono::milliseconds waitTime(const QString& path);

private:
    Output& output();

    std::unique_ptr<Output> m_output;
};

} // namespace trevisk
