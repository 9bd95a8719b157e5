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
        settings.logFile.clear();
        log.logMessage(QStringLiteral("empty path"));
        settings.logFile = dir.filePath(QStringLiteral("missing/folder/events.log"));
        log.logMessage(QStringLiteral("unwritable"));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
        settings.logFile = dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(settings.logFile).constData(), 0600), 0);
        log.logMessage(QStringLiteral("not into a pipe"));
        settings.logFile = dir.path();
        log.logMessage(QStringLiteral("not into a folder"));
        QCOMPARE(log.notifyLog().size(), 7u);
        QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("fifo"))).isFile());
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "TestEventLog.moc"
