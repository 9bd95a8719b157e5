#include "core/Settings.h"
#include "notify/EventLog.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

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
        const QString line = QString::fromUtf8(readAll(settings.logFile));
        QVERIFY2(line.startsWith(QLocale::system().toString(QDate(2026, 3, 4), QLocale::ShortFormat)),
                 qPrintable(line));
        QVERIFY(line.contains(QStringLiteral(" 05:06:07")) || line.contains(QStringLiteral(" 5:06:07")));
        QVERIFY(line.endsWith(QStringLiteral(" : Ann, Bob logged onto My server\r\n")));

        QVERIFY(QFile::remove(settings.logFile));
        clock.advanceSecs(1);
        log.logMessage(QStringLiteral("again"));
        QCOMPARE(readAll(settings.logFile),
                 (EventLog::fileLine(clock.now(), QStringLiteral("again")) + QStringLiteral("\r\n")).toUtf8());

        const std::vector<Notification> expected{
            {QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), QStringLiteral("off")},
            {QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), QStringLiteral("Ann, Bob logged onto My server")},
            {clock.now(), QStringLiteral("again")}};
        QCOMPARE(log.notifyLog(), expected);
        QCOMPARE(logged.size(), 3);
        QCOMPARE(logged.at(1).at(1).toString(), QStringLiteral("Ann, Bob logged onto My server"));
    }

    // No usable file: no line, and the row is kept all the same.
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
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "TestEventLog.moc"
