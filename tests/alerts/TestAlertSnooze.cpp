#include "alerts/AlertSnooze.h"
#include "store/RecordFile.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace trevisk;

namespace {

QDateTime at(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

} // namespace

class TestAlertSnooze : public QObject
{
    Q_OBJECT
private slots:
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
};

QTEST_GUILESS_MAIN(TestAlertSnooze)
#include "TestAlertSnooze.moc"
