#include "core/Routines.h"
#include "core/Settings.h"
#include "notify/EventLog.h"
#include "support/ManualClock.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trevisk;

class TestEventLog : public QObject
{
    Q_OBJECT
private slots:
    // One line per call, CR LF turned into a blank; the file is reopened for every line, and a
    // change of the settings applies to the next line.
    void writesLinesAndRows()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logFile = dir.filePath(QStringLiteral("events.log"));
        ManualClock clock(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
        EventLog log(settings, clock);
        QSignalSpy logged(&log, &EventLog::logged);

        log.logMessage(QStringLiteral("off"));
        QVERIFY(!QFile::exists(settings.logFile));
        settings.logging = 1;
        log.logMessage(QStringLiteral("Ann, Bob logged onto\r\nMy server"));
        const QString line = QString::fromUtf8(readFile(settings.logFile));
        QVERIFY2(line.startsWith(QLocale::system().toString(QDate(2026, 3, 4), QLocale::ShortFormat)),
                 qPrintable(line));
        QVERIFY(line.contains(QStringLiteral(" 05:06:07")) || line.contains(QStringLiteral(" 5:06:07")));
        QVERIFY(line.endsWith(QStringLiteral(" : Ann, Bob logged onto My server\r\n")));

        QVERIFY(QFile::remove(settings.logFile));
        clock.advanceSecs(1);
        log.logMessage(QStringLiteral("again"));
        QCOMPARE(readFile(settings.logFile),
                 (EventLog::fileLine(clock.now(), QStringLiteral("again")) + QStringLiteral("\r\n")).toUtf8());

        const std::vector<Notification> expected{
            {QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), QStringLiteral("off")},
            {QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), QStringLiteral("Ann, Bob logged onto My server")},
            {clock.now(), QStringLiteral("again")}};
        QCOMPARE(log.notifyLog(), expected);
        QCOMPARE(logged.size(), 3);
        QCOMPARE(logged.at(1).at(1).toString(), QStringLiteral("Ann, Bob logged onto My server"));
    }

    // A server name cannot forge a line or steer a terminal: one line, its controls shown as stand-ins.
    void remoteTextStaysOnItsLine()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logging = 1;
        settings.logFile = dir.filePath(QStringLiteral("events.log"));
        ManualClock clock;
        EventLog log(settings, clock);
        QSignalSpy logged(&log, &EventLog::logged);
        log.logMessage(QStringLiteral("Lab\u001b]0;owned\u0007 : FORGED\nLINE\rX\u009b2J is back online!"));
        const QString clean = QStringLiteral("Lab#]0;owned# : FORGED#LINE#X#2J is back online!")
                                  .replace(QLatin1Char('#'), QChar(StandIn));
        const QByteArray file = readFile(settings.logFile);
        QCOMPARE(file.count('\n'), 1);
        QVERIFY(file.endsWith((QStringLiteral(" : ") + clean + QStringLiteral("\r\n")).toUtf8()));
        QCOMPARE(logged.at(0).at(1).toString(), clean);
        QCOMPARE(log.notifyLog().back().message, clean);
    }

    // No usable file: no line, and the row is kept all the same. A pipe or a device is no log file:
    // writing to a pipe without a reader would stop the monitor.
    void rowWithoutFile()
    {
        QTemporaryDir dir;
        AppSettings settings;
        settings.logging = 1;
        ManualClock clock;
        EventLog log(settings, clock);
        log.logMessage(QStringLiteral("empty path"));
        settings.logFile = dir.filePath(QStringLiteral("missing/folder/events.log"));
        log.logMessage(QStringLiteral("unwritable"));
        QCOMPARE(log.notifyLog().size(), 2u);
        QVERIFY(QDir(dir.path()).isEmpty());

        settings.logFile = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(settings.logFile).constData(), 0600), 0);
        log.logMessage(QStringLiteral("not into a pipe"));
        settings.logFile = dir.path();
        log.logMessage(QStringLiteral("not into a folder"));
        QCOMPARE(log.notifyLog().size(), 4u);
        QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("fifo"))).isFile());
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "TestEventLog.moc"
