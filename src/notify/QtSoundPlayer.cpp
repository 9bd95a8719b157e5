#include "notify/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QtEndian>

namespace trevisk {

namespace {

class SoundEffectOutput : public QtSoundPlayer::Output
{
public:
    void play(const QUrl& file) override
    {
        // Without a device Qt would warn at every new sound; say it once, and play again once
        // there is one.
        if (QMediaDevices::audioOutputs().isEmpty()) {
            if (!m_toldNoDevice)
                qWarning("No audio device detected: sounds are not played.");
            m_toldNoDevice = true;
            return;
        }
        m_toldNoDevice = false;
        if (m_effect.source() != file)
            m_effect.setSource(file); // loads in the background; play() waits for it
        else
            m_effect.stop();
        m_effect.play();
    }
    void stop() override { m_effect.stop(); }

private:
    QSoundEffect m_effect;
    bool m_toldNoDevice = false;
};

} // namespace

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::QtSoundPlayer(std::unique_ptr<Output> output)
    : m_output(std::move(output))
{}

QtSoundPlayer::~QtSoundPlayer() = default;

QtSoundPlayer::Output& QtSoundPlayer::output()
{
    if (!m_output)
        m_output = std::make_unique<SoundEffectOutput>();
    return *m_output;
}

void QtSoundPlayer::play(const QString& path, bool wait)
{
    if (!QFileInfo(path).isFile())
        return;
    output().play(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    if (!wait)
        return;
    // The device plays from this thread's event loop, so waiting runs a local loop; the user's
    // input waits with it, as it would behind a sound played to its end.
    QEventLoop loop;
    QTimer::singleShot(waitTime(path), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void QtSoundPlayer::stop()
{
    if (m_output)
        m_output->stop();
}

std::optional<std::chrono::milliseconds> QtSoundPlayer::waveLength(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    quint32 bytesPerSecond = 0;
    // Chunks may come in any order; a handful is all a wave file has.
    for (int chunk = 0; chunk < 64; ++chunk) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return std::nullopt;
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        const qint64 next = file.pos() + size + (size & 1);
        if (header.startsWith("fmt ")) {
            const QByteArray format = file.read(12);
            if (format.size() < 12)
                return std::nullopt;
            bytesPerSecond = qFromLittleEndian<quint32>(format.constData() + 8);
        } else if (header.startsWith("data")) {
            if (bytesPerSecond == 0)
                return std::nullopt;
            return std::chrono::milliseconds(qint64(size) * 1000 / bytesPerSecond);
        }
        if (!file.seek(next))
            return std::nullopt;
    }
    return std::nullopt;
}

std::chrono::milliseconds QtSoundPlayer::waitTime(const QString& path)
{
    const std::chrono::milliseconds length = waveLength(path).value_or(std::chrono::milliseconds{0});
    return std::min(length + WaitMargin, LongestWait);
}

} // namespace trevisk
