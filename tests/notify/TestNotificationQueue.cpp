#include "core/Routines.h"
#include "core/Settings.h"
#include "notify/EventLog.h"
#include "notify/NotificationQueue.h"
#include "support/FastQueue.h"
#include "support/ManualClock.h"
#include "support/RecordingDesktopNotifier.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

} // namespace

// The notifications: the pop-up queue, the desktop's service, and the event log.
class TestNotificationQueue : public QObject
{
    Q_OBJECT
private:
    ManualClock m_clock;

private slots:
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
        QVERIFY2(line.startsWith(QLocale::system().toString(start.date(), QLocale::ShortFormat)), qPrintable(line));
        QVERIFY(line.contains(QStringLiteral(" 05:06:07")) || line.contains(QStringLiteral(" 5:06:07")));
        QVERIFY(line.endsWith(QStringLiteral(" : on\r\n")));

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
};

QTEST_GUILESS_MAIN(TestNotificationQueue)
#include "TestNotificationQueue.moc"
