#include "alerts/AlertMail.h"
#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "notify/SmtpTestServer.h"
#include "status/StatusRow.h"
#include "support/ManualClock.h"
#include "support/TestFiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <sys/stat.h>

using namespace trevisk;

namespace {

EmailSettings settingsFor(const QString& smtp)
{
    EmailSettings settings;
    settings.enabled = true;
    settings.email = QStringLiteral("ops@example.org");
    settings.smtp = smtp;
    settings.from = QStringLiteral("trevisk@example.org");
    return settings;
}

StatusRow downRow(int number, const QString& name = QStringLiteral("Lab"))
{
    StatusRow row;
    row.address = QStringLiteral("127.0.0.1:%1").arg(number);
    row.game = QStringLiteral("Quake 3");
    row.name = name;
    row.timeOutCount = 3;
    row.state = ServerState::NoAnswer;
    return row;
}

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

} // namespace

// The alerts: their mails, and their own files (snoozes, uptime counts).
class TestAlerts : public QObject
{
    Q_OBJECT
private:
    ManualClock m_clock;

private slots:
    // The subject and text: the default one, with the refused note, the address for a server that
    // never answered, a custom text, and a blank custom text that is not used.
    void texts()
    {
        SmtpTestServer smtp({});
        QVERIFY(smtp.isReady());
        AlertMail mail(m_clock);
        mail.setSettings(settingsFor(smtp.address()));
        QSignalSpy sent(&mail, &AlertMail::sent);
        StatusRow refused = downRow(1);
        refused.state = ServerState::Refused;
        mail.send(downRow(2), QString());
        mail.send(refused, QStringLiteral("  \t "));
        mail.send(downRow(3, QString()), QStringLiteral("custom"));
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 3, 10000);
        const QStringList datas = smtp.texts(3);
        QCOMPARE(datas.filter(QStringLiteral("\r\nTO:  <ops@example.org>\r\n")).size(), 3);
        const QString address = QStringLiteral("127.0.0.1:%1");
        QVERIFY(datas.filter(QStringLiteral("SUBJECT: ALERT: Server: Lab has timed out!")).size() == 1);
        QVERIFY(datas.join(QString()).contains(
            QStringLiteral("Server: Lab\r\nAddress: ") + address.arg(2)
            + QStringLiteral("\r\nGame: Quake 3\r\nTimeOuts: 3\r\nState: no answer\r\n\r\n")
            + QStringLiteral("This is an automated message, do not reply!")));
        const QStringList refusedMail = datas.filter(QStringLiteral("has timed out (refused)!"));
        QCOMPARE(refusedMail.size(), 1);
        QVERIFY(refusedMail[0].contains(QStringLiteral("TimeOuts: 3\r\nState: refused (nothing listens at its port)")));
        const QStringList custom = datas.filter(QStringLiteral("SUBJECT: ALERT: Server: ") + address.arg(3));
        QCOMPARE(custom.size(), 1);
        QVERIFY(custom[0].contains(QStringLiteral("custom")) && !custom[0].contains(QStringLiteral("TimeOuts")));
        QVERIFY(!mail.isSending(address.arg(1)));
    }

    // Many servers down at once: every alert is delivered, two connections at a time, and one that
    // waits can be dropped. A relay that refuses the recipient reports the failure and frees the
    // server for the next try.
    void queueAndFailures()
    {
        SmtpTestServer smtp({});
        AlertMail mail(m_clock);
        mail.setSettings(settingsFor(smtp.address()));
        QSignalSpy sent(&mail, &AlertMail::sent);
        for (int i = 1; i <= 5; ++i)
            mail.send(downRow(i), QString());
        QCOMPARE(mail.waiting(), 5 - AlertMail::MaxParallelMails);
        QVERIFY(mail.isSending(downRow(5).address));
        mail.cancel(downRow(5).address);
        QCOMPARE(mail.waiting(), 4 - AlertMail::MaxParallelMails);
        QVERIFY(!mail.isSending(downRow(5).address));
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 4, 10000);
        QSet<QString> addresses;
        for (const QString& data : smtp.texts(4))
            addresses.insert(data.section(QStringLiteral("Address: "), 1, 1).left(12));
        QCOMPARE(addresses.size(), 4);

        SmtpTestServer refusing({QStringLiteral("--reject-rcpt"), QStringLiteral("ops@example.org")});
        mail.setSettings(settingsFor(refusing.address()));
        QSignalSpy failed(&mail, &AlertMail::failed);
        mail.send(downRow(1), QString());
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 5000);
        QCOMPARE(failed.first().first().toString(), downRow(1).address);
        QVERIFY(!mail.isSending(downRow(1).address));
    }

    // Hourly counts: shares over a day, a week and 30 days; hours older than 30 days dropped; the
    // file's values and damage.
    void uptimeFile()
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
        QVERIFY(writeFile(path, readFile(path).chopped(3)));
        QVERIFY(!reread.load(now).isEmpty());
        QCOMPARE(reread.serverCount(), 0);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);

        // A pipe in the file's place is refused before it is opened (it would block), as any other
        // file that is not a regular one.
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QVERIFY(log.load(now, false).contains(QStringLiteral("not a regular file")));
        QVERIFY(QFileInfo(path).exists());
        QVERIFY(!log.load(now).isEmpty());
        QVERIFY(!QFileInfo(path).exists());
        log.record(a, 1, true, now);
        QVERIFY(log.save(now).isEmpty());

        // Each stored value is checked against the 30 days up to now: nothing outside them is kept,
        // and counting goes on at once.
        now = at(7, 12, 30);
        const qint64 hourNow = now.toSecsSinceEpoch() / 3600;
        // The first stored hour: the last hours, -2^31, 2^31-1, ahead of a fast clock, older than 30 days.
        for (const qint64 firstHour : {hourNow - 2, qint64(INT_MIN), qint64(INT_MAX), hourNow + 5, hourNow - 800}) {
            const bool kept = firstHour == hourNow - 2;
            // Three hours of 2 cycles, 1 answered.
            QByteArray bytes("TRVSKUP1");
            QDataStream out(&bytes, QIODevice::Append);
            out << quint32(1) << a.toUtf8() << qint32(firstHour) << quint16(3);
            for (int h = 0; h < 3; ++h)
                out << quint16(2) << quint16(1);
            QVERIFY(writeFile(path, bytes));
            UptimeLog stored(path);
            QVERIFY(stored.load(now).isEmpty());
            QCOMPARE(stored.serverCount(), kept ? 1 : 0);
            stored.record(a, 1, true, now);
            QCOMPARE(stored.shares(a, now).day, std::optional(kept ? 4.0 / 7.0 : 1.0));
            // A clock set back while running: the hours it had gone ahead to go.
            stored.record(a, 2, false, now.addSecs(5 * 3600));
            stored.record(a, 3, true, now);
            QCOMPARE(stored.shares(a, now.addSecs(5 * 3600)).day, std::optional(kept ? 5.0 / 8.0 : 1.0));
            QVERIFY(stored.save(now).isEmpty());

            // A count of more answers than cycles is damage.
            QVERIFY(writeFile(path, bytes.replace(bytes.size() - 2, 2, QByteArray("\x00\x03", 2))));
            QCOMPARE(stored.load(now), QStringLiteral("damaged"));
        }
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
        // Snoozes that ended are not written again.
        const QByteArray stored = readFile(path);
        QVERIFY2(stored.contains("127.0.0.1:1") && stored.contains("127.0.0.1:4") && !stored.contains("127.0.0.1:2")
                     && !stored.contains("127.0.0.1:3"),
                 stored.constData());

        QCOMPARE(AlertSnooze::lengthFromText(QStringLiteral("8H")), std::optional(SnoozeLength::EightHours));

        // A damaged file is replaced by the next snooze rather than blocking it.
        QVERIFY(writeFile(path, "{not json"));
        QVERIFY(!snooze.load().isEmpty());
        QVERIFY(snooze.snooze(QStringLiteral("127.0.0.1:5"), SnoozeLength::OneHour, now).isEmpty());

        // While another program changes the file, a change waits a little, then says so and changes nothing.
        {
            const ChangeLock other(path, AlertSnooze::MonitorWait);
            QVERIFY(other.held());
            AlertSnooze waiting(path, std::chrono::milliseconds(50));
            const QString error = waiting.resume(QStringLiteral("127.0.0.1:5"));
            QVERIFY2(error.contains(QStringLiteral("locked")) && error.endsWith(QStringLiteral("nothing was changed")),
                     qPrintable(error));
        }
        // The file the damaged one gave way to, unchanged.
        QVERIFY(snooze.load().isEmpty());
        QVERIFY(snooze.isSnoozed(QStringLiteral("127.0.0.1:5"), now));
    }
};

QTEST_GUILESS_MAIN(TestAlerts)
#include "TestAlerts.moc"
