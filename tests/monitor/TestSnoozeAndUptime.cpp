#include "MonitorFixture.h"
#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "monitor/HeadlessOutput.h"
#include "monitor/StatusTable.h"
#include "store/RecordFile.h"
#include "support/TestFiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>

#include <climits>
#include <sys/stat.h>

using namespace trevisk;

namespace {

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

} // namespace

class TestSnoozeAndUptime : public QObject
{
    Q_OBJECT
private slots:
    // A snoozed server's events are logged but neither popped up, sounded nor mailed; the end of the
    // snooze announces neither the server still down nor the one that came back meanwhile.
    void snoozeHoldsAlertsBackAndEndsQuietly()
    {
        MonitorFixture f;
        QVERIFY(!f.enableSound(SoundOffline).isEmpty() && !f.enableSound(SoundOnline).isEmpty());
        // Nothing listens at the relay: a mail that starts fails, which is all this test needs.
        f.setEmail(QStringLiteral("127.0.0.1:9"), 1, 30);
        SimServer& down = f.addServer(QStringLiteral("Quake 3"));
        SimServer& back = f.addServer(QStringLiteral("Quake 3"));
        SimServer& other = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        QVERIFY(f.settle());
        QSignalSpy mails(f.monitor.get(), &Monitor::alertMailStarted);
        QVERIFY(f.monitor->snoozeAlerts(down.address(), SnoozeLength::OneHour).isEmpty());
        QVERIFY(f.monitor->snoozeAlerts(back.address(), SnoozeLength::OneHour).isEmpty());
        QVERIFY(f.monitor->alertsSnoozed(down.address()));
        QVERIFY(!f.monitor->alertsSnoozed(other.address()));

        for (SimServer* server : {&down, &back, &other}) {
            f.setAnswering(*server, false);
            QVERIFY(f.refresh(*server));
        }
        QCOMPARE(f.logged.filter(QStringLiteral("has gone offline!")).size(), 3);
        QCOMPARE(f.popped, QStringList{f.row(other).name.value() + QStringLiteral(" has gone offline!")});
        QCOMPARE(f.sound.played.size(), 1);
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails.first().first().toString(), other.address());

        f.setAnswering(back, true);
        QVERIFY(f.refresh(back));
        QCOMPARE(f.logged.filter(QStringLiteral("is back online!")).size(), 1);
        QCOMPARE(f.popped.size(), 1);

        f.clock.advanceSecs(3601);
        QVERIFY(!f.monitor->alertsSnoozed(down.address()));
        for (SimServer* server : {&down, &back})
            QVERIFY(f.refresh(*server));
        QCOMPARE(f.popped.size(), 1);
        QCOMPARE(f.sound.played.size(), 1);
        QCOMPARE(mails.size(), 1);

        // Alerts are on again: the next outage is announced as ever.
        f.setAnswering(down, true);
        QVERIFY(f.refresh(down));
        QCOMPARE(f.popped.size(), 2);
        f.setAnswering(down, false);
        QVERIFY(f.refresh(down));
        QCOMPARE(f.popped.last(), f.row(down).name.value() + QStringLiteral(" has gone offline!"));
        QCOMPARE(mails.size(), 2);
    }

    // Kept in a record file of its own, read again when another program (the command line) changes it.
    void snoozeFileAndLengths()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(SnoozeFile));
        const QDateTime now = at(7, 23, 30);
        AlertSnooze snooze(path);
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:1"), SnoozeLength::EightHours, now).isEmpty());
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:2"), SnoozeLength::UntilTomorrow, now).isEmpty());
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:3"), SnoozeLength::UntilResumed, now).isEmpty());

        AlertSnooze reread(path);
        QVERIFY(reread.load().isEmpty());
        QCOMPARE(reread.snoozedUntil(QStringLiteral("127.0.0.1:1"), now), std::optional(at(8, 7, 30)));
        QCOMPARE(reread.snoozedUntil(QStringLiteral("127.0.0.1:2"), now), std::optional(at(8, 0)));
        QCOMPARE(reread.snoozedUntil(QStringLiteral("127.0.0.1:3"), now.addYears(5)), std::optional(QDateTime()));
        QVERIFY(!reread.isSnoozed(QStringLiteral("127.0.0.1:2"), at(8, 0)));
        QCOMPARE(AlertSnooze::describe(at(8, 0), now), QStringLiteral("until Tue 8 Dec 00:00"));

        // A change reads the file first: what another program wrote meanwhile stays.
        QVERIFY(reread.resume(QStringLiteral("127.0.0.1:3")).isEmpty());
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:4"), SnoozeLength::OneHour, at(8, 1)).isEmpty());
        const ReadOutcome file = readRecordFile(path);
        QVERIFY(file.table);
        QStringList addresses;
        for (const QJsonObject& row : file.table->rows)
            addresses << row.value(QStringLiteral("Address")).toString();
        // Snoozes that ended are not written again.
        QCOMPARE(addresses, (QStringList{QStringLiteral("127.0.0.1:1"), QStringLiteral("127.0.0.1:4")}));

        QCOMPARE(AlertSnooze::lengthFromText(QStringLiteral("8H")), std::optional(SnoozeLength::EightHours));
        QVERIFY(!AlertSnooze::lengthFromText(QStringLiteral("2h")));

        // A damaged file is replaced by the next snooze rather than blocking it.
        QVERIFY(writeFile(path, "{not json"));
        QVERIFY(!snooze.load().isEmpty());
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:5"), SnoozeLength::OneHour, now).isEmpty());
        QVERIFY(snooze.load().isEmpty());
        QVERIFY(snooze.isSnoozed(QStringLiteral("127.0.0.1:5"), now));

        // While another program changes the file, a change waits a little, then says so and changes nothing.
        {
            const ChangeLock other(path, AlertSnooze::MonitorWait);
            QVERIFY(other.held());
            AlertSnooze waiting(path, std::chrono::milliseconds(50));
            const QString error = waiting.resume(QStringLiteral("127.0.0.1:5"));
            QVERIFY2(error.contains(QStringLiteral("locked")) && error.endsWith(QStringLiteral("nothing was changed")),
                     qPrintable(error));
        }
        QVERIFY(snooze.load().isEmpty());
        QVERIFY(snooze.isSnoozed(QStringLiteral("127.0.0.1:5"), now));
    }

    void runningMonitorReadsASnoozeFromOutside()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Quake 3"));
        f.start();
        AlertSnooze outside(f.dir.filePath(QString::fromLatin1(SnoozeFile)));
        QVERIFY(outside.snooze(server.address(), SnoozeLength::UntilResumed, f.clock.now()).isEmpty());
        QTRY_VERIFY(f.monitor->alertsSnoozed(server.address()));
        QStringList out;
        HeadlessOutput output(
            *f.log, *f.monitor, [&](const QString& line) { out << line; }, [](const QString&) {});
        output.printStatus();
        QCOMPARE(out.last().section(QLatin1Char('\n'), -1),
                 QStringLiteral("Alerts snoozed: %1 (until turned back on)").arg(server.address()));
        QVERIFY(outside.resume(server.address()).isEmpty());
        QTRY_VERIFY(!f.monitor->alertsSnoozed(server.address()));

        // A deleted server's snooze goes with it, so that listing it again starts with alerts on.
        QVERIFY(f.monitor->snoozeAlerts(server.address(), SnoozeLength::UntilResumed).isEmpty());
        f.prompter.answers << Prompter::Answer::Yes;
        f.monitor->delServer(server.address());
        QVERIFY(outside.load().isEmpty());
        QVERIFY(!outside.isSnoozed(server.address(), f.clock.now()));
    }

    // Hourly counts: shares over a day, a week and 30 days; hours older than 30 days dropped.
    void uptimeShares()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(UptimeFile));
        UptimeLog log(path);
        const QString a = QStringLiteral("127.0.0.1:1");
        QDateTime now = at(1, 0, 10);
        QVERIFY(log.load(now).isEmpty());
        quint64 cycle = 0;
        // 40 days: every hour 3 answered cycles and 1 missed; the last day all answered, the day
        // before it all missed.
        for (int hour = 0; hour < 40 * 24; ++hour) {
            const QDateTime when = now.addSecs(3600LL * hour);
            const int day = hour / 24;
            for (int i = 0; i < 4; ++i) {
                const bool answered = day == 39 || (day != 38 && i != 3);
                log.record(a, ++cycle, answered, when);
                // The same cycle ending twice (a second answer, a time-out after a partial one) counts once.
                log.record(a, cycle, !answered, when);
            }
        }
        now = now.addSecs(3600LL * (40 * 24 - 1));
        const UptimeShares shares = log.shares(a, now);
        QCOMPARE(shares.day, std::optional(1.0));
        QCOMPARE(*shares.week, (24 * 4.0 + 24 * 0 + 5 * 24 * 3.0) / (7 * 24 * 4.0));
        QCOMPARE(*shares.month, (24 * 4.0 + 0 + 28 * 24 * 3.0) / (30 * 24 * 4.0));
        QVERIFY(!log.shares(QStringLiteral("127.0.0.1:2"), now).day);

        QVERIFY(log.save(now).isEmpty());
        // Four bytes a server an hour, 30 days of hours.
        QVERIFY(QFileInfo(path).size() < 30 * 24 * 4 + 64);
        UptimeLog reread(path);
        QVERIFY(reread.load(now).isEmpty());
        QCOMPARE(*reread.shares(a, now).month, *shares.month);
        // A day later the oldest day has gone out of the month.
        QVERIFY(reread.shares(a, now.addDays(1)).month != shares.month);

        QCOMPARE(UptimeLog::percent(999.0 / 1000.0), QStringLiteral("99.9%"));
        QCOMPARE(UptimeLog::percent(9999.0 / 10000.0), QStringLiteral("99.9%"));
        QCOMPARE(UptimeLog::percent(1.0), QStringLiteral("100%"));
        QCOMPARE(UptimeLog::percent(std::nullopt), QStringLiteral("-"));
        // A window shows them in the user's locale.
        QCOMPARE(UptimeLog::percent(999.0 / 1000.0, QLocale(QLocale::German)), QStringLiteral("99,9%"));

        // A damaged file is set aside and the counts start again.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(file.size() - 3));
        file.close();
        UptimeLog damaged(path);
        QVERIFY(!damaged.load(now).isEmpty());
        QCOMPARE(damaged.serverCount(), 0);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    }

    // Each stored value is checked against the 30 days up to now: nothing outside them is kept, and
    // counting goes on at once.
    void uptimeFileValues_data()
    {
        QTest::addColumn<qint64>("firstHour"); // from the hour now
        QTest::addColumn<bool>("kept");
        const qint64 hourNow = at(7, 12).toSecsSinceEpoch() / 3600;
        QTest::newRow("last hours") << qint64(-2) << true;
        QTest::newRow("first hour -2^31") << qint64(INT_MIN) - hourNow << false;
        QTest::newRow("first hour 2^31-1") << qint64(INT_MAX) - hourNow << false;
        QTest::newRow("hours ahead of a fast clock") << qint64(5) << false;
        QTest::newRow("older than 30 days") << qint64(-800) << false;
    }
    void uptimeFileValues()
    {
        QFETCH(qint64, firstHour);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(UptimeFile));
        const QDateTime now = at(7, 12, 30);
        const QString a = QStringLiteral("127.0.0.1:1");
        // Three hours of 2 cycles, 1 answered.
        QByteArray bytes("TRVSKUP1");
        QDataStream out(&bytes, QIODevice::Append);
        out << quint32(1) << a.toUtf8() << qint32(now.toSecsSinceEpoch() / 3600 + firstHour) << quint16(3);
        for (int h = 0; h < 3; ++h)
            out << quint16(2) << quint16(1);
        QVERIFY(writeFile(path, bytes));
        UptimeLog log(path);
        QVERIFY(log.load(now).isEmpty());
        QCOMPARE(log.serverCount(), kept ? 1 : 0);
        log.record(a, 1, true, now);
        QCOMPARE(log.shares(a, now).day, std::optional(kept ? 4.0 / 7.0 : 1.0));
        // A clock set back while running: the hours it had gone ahead to go.
        log.record(a, 2, false, now.addSecs(5 * 3600));
        log.record(a, 3, true, now);
        QCOMPARE(log.shares(a, now.addSecs(5 * 3600)).day, std::optional(kept ? 5.0 / 8.0 : 1.0));
        QVERIFY(log.save(now).isEmpty());

        // A count of more answers than cycles is damage.
        QVERIFY(writeFile(path, bytes.replace(bytes.size() - 2, 2, QByteArray("\x00\x03", 2))));
        QCOMPARE(log.load(now), QStringLiteral("damaged"));
    }

    // A pipe in the file's place is refused before it is opened (it would block), as any other file
    // that is not a regular one.
    void uptimeFileThatIsAPipe()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(UptimeFile));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        UptimeLog log(path);
        QVERIFY(log.load(at(7, 12), false).contains(QStringLiteral("not a regular file")));
        QVERIFY(QFileInfo(path).exists());
        QVERIFY(!log.load(at(7, 12)).isEmpty());
        QVERIFY(!QFileInfo(path).exists());
        log.record(QStringLiteral("127.0.0.1:1"), 1, true, at(7, 12));
        QVERIFY(log.save(at(7, 12)).isEmpty());
    }

    // The monitor counts each cycle once (Half-Life answers twice a cycle), keeps the counts across a
    // restart and shows them in the headless table.
    void monitorCountsCycles()
    {
        MonitorFixture f;
        SimServer& server = f.addServer(QStringLiteral("Half Life"));
        f.start();
        QVERIFY(f.settle());
        // Both answers of each cycle are in before the next cycle starts.
        QTRY_VERIFY(f.query(server).playersReceived() && !f.row(server).name.value_or(QString()).isEmpty());
        for (int i = 0; i < 2; ++i) {
            QSignalSpy updates(&f.query(server), &ServerQuery::serverUpdate);
            f.monitor->refreshServer(server.address());
            QTRY_COMPARE(updates.size(), 2);
        }
        f.setAnswering(server, false);
        QVERIFY(f.refresh(server));
        // Three cycles answered (the first and two refreshes) of four.
        QCOMPARE(f.monitor->uptime(server.address()).day, std::optional(0.75));
        const QString table = formatStatusTable(f.monitor->status(), &f.monitor->uptimeLog(), f.clock.now());
        QVERIFY2(table.contains(QStringLiteral(" 75.0%  75.0%  75.0% ")), qPrintable(table));

        // The hour's turn writes the file; the next monitor reads it.
        f.clock.advanceSecs(3600);
        QVERIFY(f.refresh(server));
        QVERIFY(QFile::exists(f.dir.filePath(QString::fromLatin1(UptimeFile))));
        f.monitor.reset();
        MonitorFixture second;
        second.context.dataDir = f.dir.path();
        second.clock.set(f.clock.now());
        second.listServer(server.address(), QStringLiteral("Half Life"));
        second.start();
        QCOMPARE(second.monitor->uptime(server.address()).day, std::optional(0.6));
    }
};

QTEST_MAIN(TestSnoozeAndUptime)
#include "TestSnoozeAndUptime.moc"
