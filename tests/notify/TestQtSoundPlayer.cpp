#include "notify/QtSoundPlayer.h"
#include "support/TestFiles.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// Records what would reach the device.
class RecordingOutput : public QtSoundPlayer::Output
{
public:
    explicit RecordingOutput(QStringList& log)
        : m_log(log)
    {}
    void play(const QUrl& file) override { m_log << QStringLiteral("play ") + file.toLocalFile(); }
    void stop() override { m_log << QStringLiteral("stop"); }

private:
    QStringList& m_log;
};

template <typename T> QByteArray le(T value)
{
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}
const auto le16 = le<quint16>;
const auto le32 = le<quint32>;

// An 8 kHz mono 8-bit wave file of `ms` milliseconds; `claimed` overrides the data size in the header.
QByteArray wave(int ms, bool extraChunk = false, std::optional<quint32> claimed = std::nullopt)
{
    const QByteArray samples(8 * ms, char(0x80));
    QByteArray body = "WAVE";
    body += "fmt " + le32(16) + le16(1) + le16(1) + le32(8000) + le32(8000) + le16(1) + le16(8);
    if (extraChunk)
        body += "LIST" + le32(5) + QByteArray("abcde") + '\0'; // odd size, padded
    body += "data" + le32(claimed.value_or(quint32(samples.size()))) + samples;
    return "RIFF" + le32(quint32(body.size())) + body;
}

} // namespace

class TestQtSoundPlayer : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }

private slots:
    void lengthFromHeader()
    {
        QCOMPARE(QtSoundPlayer::waveLength(write(QStringLiteral("a.wav"), wave(250))), std::optional(250ms));
        QCOMPARE(QtSoundPlayer::waveLength(write(QStringLiteral("b.wav"), wave(100, true))), std::optional(100ms));
        QCOMPARE(QtSoundPlayer::waveLength(write(QStringLiteral("c.wav"), wave(100).left(30))), std::nullopt);
        QCOMPARE(QtSoundPlayer::waveLength(write(QStringLiteral("d.wav"), "not a wave file at all")), std::nullopt);
        QCOMPARE(QtSoundPlayer::waveLength(m_dir.filePath(QStringLiteral("missing.wav"))), std::nullopt);

        // A header that claims hours, or no length at all, never holds the program for long.
        const QString liar = write(QStringLiteral("e.wav"), wave(10, false, 0xFFFFFFF0));
        QCOMPARE(QtSoundPlayer::waitTime(liar), QtSoundPlayer::LongestWait);
        QCOMPARE(QtSoundPlayer::waitTime(m_dir.filePath(QStringLiteral("d.wav"))), QtSoundPlayer::WaitMargin);
    }

    // Only files reach the device; waiting lasts at least the sound, whose tail the margin keeps.
    void handsFilesToTheDevice()
    {
        QStringList log;
        QtSoundPlayer player(std::make_unique<RecordingOutput>(log));
        const QString file = write(QStringLiteral("slot 4.wav"), wave(40));
        player.play(m_dir.path(), false);
        player.stop();
        QElapsedTimer clock;
        clock.start();
        player.play(file, true);
        QVERIFY(clock.elapsed() >= (40ms + QtSoundPlayer::WaitMargin).count());
        QCOMPARE(log, (QStringList{QStringLiteral("stop"), QStringLiteral("play ") + file}));
    }

    // Without a sound server Qt's device neither fails nor ends: playing must still return. With no
    // device at all, the error output says so once, not at every sound.
    void realDeviceReturns()
    {
        if (QMediaDevices::audioOutputs().isEmpty()) {
            const QRegularExpression noDevice(QStringLiteral("No audio device"));
            QTest::ignoreMessage(QtWarningMsg, noDevice); // once
            QTest::failOnWarning(noDevice);               // and never again
        }
        QtSoundPlayer player;
        const QString file = write(QStringLiteral("short.wav"), wave(20));
        player.play(file, false);
        player.play(write(QStringLiteral("other.wav"), wave(20)), false);
        player.stop();
        QElapsedTimer clock;
        clock.start();
        player.play(file, true);
        QVERIFY(clock.elapsed() < 10000);
    }
};

QTEST_MAIN(TestQtSoundPlayer)
#include "TestQtSoundPlayer.moc"
