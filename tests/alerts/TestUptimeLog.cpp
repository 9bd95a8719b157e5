#include "alerts/UptimeLog.h"
#include "support/TestFiles.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <sys/stat.h>

using namespace trevisk;

namespace {

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

} // namespace

class TestUptimeLog : public QObject
{
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestUptimeLog)
#include "TestUptimeLog.moc"
