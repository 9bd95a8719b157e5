#include "core/Routines.h"
#include "core/Settings.h"
#include "core/Translations.h"
#include "notify/DBusNotifier.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "notify/NotifyWindow.h"
#include "notify/QtSoundPlayer.h"
#include "support/FastQueue.h"
#include "support/ManualClock.h"
#include "support/RecordingDesktopNotifier.h"
#include "support/TestFiles.h"

#include <QAudioDevice>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMediaDevices>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>
#include <QtEndian>

#include <sys/stat.h>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

QStringList shownTexts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& call : spy)
        texts << call.at(0).toString();
    return texts;
}

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

// The number's lowest `size` bytes, lowest first.
QByteArray le(quint32 value, int size = 4)
{
    value = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&value), size);
}

// An 8 kHz mono 8-bit wave file of `ms` milliseconds; `claimed` overrides the data size in the header.
QByteArray wave(int ms, bool extraChunk = false, std::optional<quint32> claimed = std::nullopt)
{
    const QByteArray samples(8 * ms, char(0x80));
    QByteArray body = "WAVE";
    body += "fmt " + le(16) + le(1, 2) + le(1, 2) + le(8000) + le(8000) + le(1, 2) + le(8, 2);
    if (extraChunk)
        body += "LIST" + le(5) + QByteArray("abcde") + '\0'; // odd size, padded
    body += "data" + le(claimed.value_or(quint32(samples.size()))) + samples;
    return "RIFF" + le(quint32(body.size())) + body;
}

} // namespace

// A notification service on a private bus that records each call: application, icon, summary,
// body, time-out and desktop entry.
class FakeNotifications : public QDBusVirtualObject
{
public:
    QStringList calls;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QVariantList a = message.arguments();
        QStringList fields;
        for (const int i : {0, 2, 3, 4, 7})
            fields << a.value(i).toString();
        fields << qdbus_cast<QVariantMap>(a.value(6)).value(QStringLiteral("desktop-entry")).toString();
        calls << fields.join(QLatin1Char('|'));
        return connection.send(message.createReply(QVariant::fromValue(uint(calls.size()))));
    }
};

// The notifications: the pop-up queue and its window, the desktop's service instead of it, the
// event log and the sounds.
class TestNotifications : public QObject
{
    Q_OBJECT
private:
    ManualClock m_clock;
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }

private slots:
    // The buttons' texts fit their fixed width, in English and in German.
    void buttonsFit()
    {
        for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German)}) {
            Translations::load(locale);
            const auto english = qScopeGuard([] { Translations::unload(); });
            auto queue = fastQueue(m_clock, 10s);
            NotifyWindow window(*queue);
            queue->setMessage(QStringLiteral("Lab Arena has gone offline!"));
            for (const QPushButton* button : window.findChildren<QPushButton*>()) {
                QVERIFY(locale == QLocale::c() || !button->text().startsWith(QLatin1String("Dismiss")));
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) + 4 <= button->width(),
                         qPrintable(button->text()));
            }
        }
    }

    // The window follows the queue (whose path the queue's own test checks) and hides at the end.
    void followsARun()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
        auto queue = fastQueue(m_clock, 10ms);
        NotifyWindow window(*queue);
        QList<QPoint> positions;
        connect(queue.get(), &NotificationQueue::showRequested, this, [&] { positions << window.pos(); });
        connect(queue.get(), &NotificationQueue::moved, this, [&](QPoint twips) {
            QCOMPARE(window.pos(), screen.topLeft() + (QPointF(twips) * dpi / 1440).toPoint());
            positions << window.pos();
        });
        QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);

        queue->setMessage(QStringLiteral("Lab Arena has gone offline!"));
        QVERIFY(window.isVisible());
        QCOMPARE(window.size(), QSize(qRound(2250 * dpi / 1440), qRound(3015 * dpi / 1440)));
        QVERIFY(hidden.wait(5000));
        QVERIFY(!window.isVisible());

        const auto highest =
            std::min_element(positions.cbegin(), positions.cend(), [](QPoint a, QPoint b) { return a.y() < b.y(); });
        // Measured on the whole screen, not the work area: 200 twips from the right, resting at the bottom.
        const QPoint gap = screen.bottomRight() + QPoint(1, 1) - *highest - QPoint(window.width(), window.height());
        QVERIFY2(qAbs(gap.x() - 200 * dpi / 1440) <= 1 && gap.y() >= 0 && gap.y() <= 17,
                 qPrintable(QStringLiteral("%1,%2").arg(gap.x()).arg(gap.y())));
    }

    // The buttons, the label and the bare window all dismiss; "Dismiss All" also drops the texts
    // that wait, and the queue shows nothing more until a new text comes, though it was dropped.
    void clicksDismiss()
    {
        for (const char* name : {"cmdDismiss", "cmdDismissAll", "lblMsg", ""}) { // "": the bare window
            const QString target = QString::fromLatin1(name);
            auto queue = fastQueue(m_clock, 1h);
            NotifyWindow window(*queue);
            QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
            QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);
            for (const char* text : {"A", "B"})
                queue->setMessage(QString::fromLatin1(text));
            QTRY_COMPARE_WITH_TIMEOUT(queue->state(), NotificationQueue::State::Resting, 5000);
            // The bare window: right of "Dismiss All", above the label.
            QWidget* clicked = target.isEmpty() ? &window : window.findChild<QWidget*>(target);
            QTest::mouseClick(clicked, Qt::LeftButton, {}, target.isEmpty() ? QPoint(window.width() - 4, 4) : QPoint());
            QCOMPARE(queue->state(), NotificationQueue::State::SlidingOut);
            const bool all = target == QLatin1String("cmdDismissAll");
            QCOMPARE(queue->waiting().size(), all ? 0u : 1u);
            QVERIFY(hidden.wait(5000));
            if (all) {
                QVERIFY(!window.isVisible());
                QVERIFY(!shown.wait(60)); // four poll ticks find nothing to show
                queue->setMessage(QStringLiteral("B"));
            }
            QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 5000);
            QCOMPARE(shown.last().at(0).toString(), QStringLiteral("B"));
        }
    }

    // Colours come as 0x00BBGGRR: text in red on blue must not come out swapped.
    void coloursOfEachShow()
    {
        auto queue = fastQueue(m_clock, 1h);
        NotifyWindow window(*queue);
        queue->setColours(0x000000FF, 0x00FF0000);
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        queue->setMessage(QStringLiteral("\u2588\u2588\u2588")); // full blocks: glyphs of solid text colour
        const QImage image = window.grab().toImage();
        const QLabel* label = window.findChild<QLabel*>(QStringLiteral("lblMsg"));
        QCOMPARE(QColor(image.pixel(label->geometry().topLeft() + QPoint(8, 8))), QColor(Qt::blue));
        const QImage text = image.copy(label->geometry().adjusted(4, 0, -4, 0)).convertToFormat(QImage::Format_RGB32);
        const auto* pixels = reinterpret_cast<const QRgb*>(text.constBits());
        QVERIFY(std::any_of(pixels, pixels + text.width() * text.height(), [](QRgb pixel) {
            return qRed(pixel) > 200 && qBlue(pixel) < 50;
        }));

        // The next show brings its own colours.
        queue->dismiss();
        QTRY_COMPARE_WITH_TIMEOUT(queue->state(), NotificationQueue::State::Idle, 5000);
        queue->setColours(0x00000000, 0x0000FFFF);
        queue->setMessage(QStringLiteral("B"));
        QVERIFY(shown.wait(5000)); // the next poll tick
        QCOMPARE(QColor(window.grab().toImage().pixel(label->geometry().topLeft() + QPoint(8, 8))), QColor(Qt::yellow));
    }

    // The settings dialog's test: shown at once, flush right, in the colours given; it goes away
    // by itself and never touches a queue of the program.
    void testWindowOfItsOwn()
    {
        QPointer<NotifyWindow> window = NotifyWindow::showTest(
            QStringLiteral("This is a test message of the Notification System"), 0x00000000, 0x0000FF00);
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->pos(),
                 QGuiApplication::primaryScreen()->geometry().bottomRight() + QPoint(1 - window->width(), 1));
        QCOMPARE(QColor(window->grab().toImage().pixel(10, 40)), QColor(Qt::green));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cmdDismiss")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 5000);
    }

    // On a bus of the test's own: the service gets the call, its first line as the summary and the
    // rest as the body, both escaped for services that read markup; with no service, or no bus, the
    // text comes back undelivered.
    void privateBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess bus;
        bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        while (!bus.canReadLine())
            QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QDBusConnection serviceSide = QDBusConnection::connectToBus(address, QStringLiteral("service"));
        QDBusConnection clientSide = QDBusConnection::connectToBus(address, QStringLiteral("client"));
        QVERIFY(serviceSide.isConnected() && clientSide.isConnected());
        FakeNotifications service;
        QVERIFY(serviceSide.registerVirtualObject(QString::fromLatin1(DBusNotifier::Path), &service));
        QVERIFY(serviceSide.registerService(QString::fromLatin1(DBusNotifier::Service)));

        DBusNotifier notifier(clientSide);
        int undelivered = 0;
        notifier.notify(QStringLiteral("Lab <b>Arena</b> is back online!\r\nmap <q3dm17> & co\r\nend"),
                        [&] { ++undelivered; });
        QTRY_COMPARE(service.calls.size(), 1);
        QCOMPARE(service.calls.first(),
                 QStringLiteral(
                     "Trevisk|trevisk|Lab &lt;b&gt;Arena&lt;/b&gt; is back online!|map &lt;q3dm17&gt; &amp; co\nend|-1|"
                     "org.trevisk.Trevisk"));

        QVERIFY(serviceSide.unregisterService(QString::fromLatin1(DBusNotifier::Service)));
        notifier.notify(QStringLiteral("nobody listens"), [&] { ++undelivered; });
        QTRY_COMPARE(undelivered, 1);
        QCOMPARE(service.calls.size(), 1);

        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        bus.kill();
        bus.waitForFinished();

        DBusNotifier offline(QDBusConnection(QStringLiteral("no such bus")));
        offline.notify(QStringLiteral("no bus"), [&] { ++undelivered; });
        QCOMPARE(undelivered, 2);
    }

    // Oldest first, one at a time; a repeat is dropped only while waiting or on screen.
    void orderAndRepeats()
    {
        auto queue = fastQueue(m_clock);
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);
        queue->setMessage(QStringLiteral("A"));
        QCOMPARE(shownTexts(shown), QStringList{QStringLiteral("A")}); // the first text needs no poll tick
        for (const char* text : {"A", "B", "C", "B"})
            queue->setMessage(QString::fromLatin1(text));
        QCOMPARE(queue->waiting().size(), 2u);
        while (hidden.size() < 3) // spies run a real event loop; QTRY polls in 10 ms sleeps
            QVERIFY(hidden.wait(1000));
        QCOMPARE(shownTexts(shown), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QCOMPARE(queue->state(), NotificationQueue::State::Idle);

        // Back online twice in a day: announced twice.
        queue->setMessage(QStringLiteral("A"));
        QCOMPARE(shown.size(), 3); // idle: it waits for the poll tick
        QVERIFY(shown.wait(1000));
        QCOMPARE(shown.last().at(0).toString(), QStringLiteral("A"));
    }

    // Slides up from just below the screen by 250 twips, stops at the first step above the rest
    // line (without moving back), rests, then slides out below the screen; dismissed on the way up,
    // it turns back.
    void slideGeometry()
    {
        auto queue = fastQueue(m_clock, 10s);
        queue->setScreenSize({15360, 11520});
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        QSignalSpy moved(queue.get(), &NotificationQueue::moved);
        queue->setMessage(QStringLiteral("text"));
        QCOMPARE(shown.first().at(1).toPoint(), QPoint(15360 - 2250 - 200, 11520));
        while (queue->state() != NotificationQueue::State::Resting)
            QVERIFY(moved.wait(1000));
        QCOMPARE(moved.size(), 13);
        QCOMPARE(queue->position(), QPoint(12910, 11520 - 13 * 250));

        QSignalSpy hidden(queue.get(), &NotificationQueue::hideRequested);
        queue->dismiss();
        QVERIFY(hidden.wait(1000));
        QCOMPARE(moved.size(), 13 + 14);
        QVERIFY(queue->position().y() > 11520);
        QCOMPARE(queue->currentText(), QString());

        // Dismissed while sliding in, it turns back at once.
        queue->setSlideInterval(5ms);
        queue->setMessage(QStringLiteral("again"));
        QVERIFY(moved.wait(1000));
        queue->dismiss();
        QCOMPARE(queue->state(), NotificationQueue::State::SlidingOut);
        const int top = queue->position().y();
        QVERIFY(moved.wait(1000));
        QCOMPARE(queue->position().y(), top + NotificationQueue::SlideStep);
    }

    // The window stays the default; the desktop service takes each text instead or as well, and a
    // text it turns down still reaches the window.
    void desktopNotifications()
    {
        RecordingDesktopNotifier desktop;
        auto queue = fastQueue(m_clock, 10s);
        queue->setDesktop(&desktop);
        QSignalSpy shown(queue.get(), &NotificationQueue::showRequested);
        queue->setMessage(QStringLiteral("one"));
        QVERIFY(desktop.texts.isEmpty());
        QCOMPARE(shownTexts(shown), QStringList{QStringLiteral("one")});

        queue->setStyle(PopupStyle::Both);
        queue->setMessage(QStringLiteral("two"));
        QCOMPARE(desktop.texts, QStringList{QStringLiteral("two")});
        QCOMPARE(queue->waiting().size(), 1u);

        queue->dismissAll();
        queue->setStyle(PopupStyle::Desktop);
        queue->setMessage(QStringLiteral("Lab Arena has gone offline!\r\nmap q3dm17"));
        queue->setMessage(QStringLiteral("Lab Arena has gone offline!\r\nmap q3dm17"));
        QCOMPARE(desktop.texts.size(), 3);
        QCOMPARE(desktop.texts.last(), QStringLiteral("Lab Arena has gone offline!\r\nmap q3dm17"));
        QVERIFY(queue->waiting().empty());
        desktop.refuse();
        QCOMPARE(queue->waiting().size(), 1u);
        QCOMPARE(queue->waiting().front().message, desktop.texts.last());

        // Automatic, where windows cannot be placed: the desktop's service.
        queue->dismissAll();
        queue->setStyle(PopupStyle::Automatic);
        queue->setWindowsPlaceable(false);
        queue->setMessage(QStringLiteral("Wayland"));
        QCOMPARE(desktop.texts.last(), QStringLiteral("Wayland"));
        QVERIFY(queue->waiting().empty());

        // A refusal that comes after the queue has gone is dropped.
        queue->setMessage(QStringLiteral("late"));
        queue.reset();
        desktop.refuse();
    }

    // Off: no file but the row all the same. On: one stamped line per call, in a file reopened for
    // every line. A server name cannot forge a line or steer a terminal: CR LF becomes a blank and
    // other controls stand-ins, alike in the file, the rows and the signal.
    void writesLinesAndRows()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logFile = dir.filePath(QStringLiteral("events.log"));
        const QDateTime start(QDate(2026, 3, 4), QTime(5, 6, 7));
        ManualClock clock(start);
        EventLog log(settings, clock);
        QSignalSpy logged(&log, &EventLog::logged);

        log.logMessage(QStringLiteral("off"));
        QVERIFY(!QFile::exists(settings.logFile));
        settings.logging = true;
        log.logMessage(QStringLiteral("on"));
        const QString line = QString::fromUtf8(readFile(settings.logFile));
        QVERIFY2(line.startsWith(QLocale::system().toString(start.date(), QLocale::ShortFormat))
                     && (line.contains(QLatin1String(" 05:06:07")) || line.contains(QLatin1String(" 5:06:07")))
                     && line.endsWith(QLatin1String(" : on\r\n")),
                 qPrintable(line));

        QVERIFY(QFile::remove(settings.logFile));
        clock.advanceSecs(1);
        log.logMessage(QStringLiteral("Lab\u001b]0;owned\u0007 : FORGED\nLINE\rX\u009b2J is back\r\nonline!"));
        const QString clean = QStringLiteral("Lab#]0;owned# : FORGED#LINE#X#2J is back online!")
                                  .replace(QLatin1Char('#'), QChar(StandIn));
        const QByteArray file = readFile(settings.logFile);
        QCOMPARE(file.count('\n'), 1);
        QVERIFY2(file.contains(":08 ")
                     && file.endsWith((QStringLiteral(" : ") + clean + QStringLiteral("\r\n")).toUtf8()),
                 file.constData());
        const std::vector<Notification> expected{
            {start, QStringLiteral("off")}, {start, QStringLiteral("on")}, {clock.now(), clean}};
        QCOMPARE(log.notifyLog(), expected);
        QCOMPARE(logged.size(), 3);
        QCOMPARE(logged.at(2).at(1).toString(), clean);

        // No usable file: no line, and the row all the same. A pipe or a folder is no log file:
        // writing to a pipe without a reader would stop the monitor.
        const QString fifo = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString& path : {QString(), dir.filePath(QStringLiteral("missing/events.log")), fifo, dir.path()}) {
            settings.logFile = path;
            log.logMessage(QStringLiteral("nowhere"));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
        QCOMPARE(log.notifyLog().size(), 7u);
        QVERIFY(!QFileInfo(fifo).isFile());
    }

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
        const auto started = std::chrono::steady_clock::now();
        player.play(file, true);
        QVERIFY(std::chrono::steady_clock::now() - started >= 40ms + QtSoundPlayer::WaitMargin);
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
        const auto started = std::chrono::steady_clock::now();
        player.play(file, true);
        QVERIFY(std::chrono::steady_clock::now() - started < 10s);
    }
};

QTEST_MAIN(TestNotifications)
#include "TestNotifications.moc"
