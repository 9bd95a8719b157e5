#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "session/Startup.h"
#include "store/Stores.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trevisk;

class TestServersCommand : public QObject
{
    Q_OBJECT
    static TreviskRun run(const QTemporaryDir& dir, const QStringList& arguments)
    {
        return runTrevisk(QStringList{QStringLiteral("servers")} + arguments + inFolder(dir));
    }

private slots:
    void serversAddListRemove()
    {
        QTemporaryDir dir;
        const auto servers = [&](const char* arguments) { return run(dir, args(arguments)); };

        TreviskRun run = servers("add|Quake 3|127.0.0.1|--memo|lan party");
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains("default port of Quake 3, 27960"));
        QCOMPARE(servers("add|Quake 3|127.0.0.1:27960").err, QByteArray("This server is already in the list!\n"));
        QCOMPARE(servers("add|Halo|127.0.0.1:65536").err, QByteArray("Invalid port number!\n"));
        QCOMPARE(servers("add|Halo|127.0.0.1:1|--query-port|x").code, 1);
        run = servers("add|Halo|127.0.0.2:2302|--manual|--tray|1|--no-mail|--query-port|2303");
        QCOMPARE(run.code, 0);
        QCOMPARE(servers("list").out,
                 QByteArray("Quake 3\t127.0.0.1:27960\tlan party\t\n"
                            "Halo\t127.0.0.2:2302\t\tmanual refresh, query port 2303, tray, no mail\n"));

        // While a monitor holds the folder nothing changes.
        {
            const auto lock = acquireDataLock(dir.filePath(QStringLiteral("data")));
            QVERIFY(lock);
            run = servers("remove|127.0.0.1:27960");
            QCOMPARE(run.code, 1);
            QVERIFY(run.err.contains("nothing was changed"));
        }
        QCOMPARE(servers("remove|127.0.0.1:27960").code, 0);
        QCOMPARE(servers("remove|127.0.0.1:27960").code, 1);
        QCOMPARE(servers("list").out.count('\n'), 1);

        // Snoozing needs no lock of the folder: a running monitor reads the snooze file again.
        {
            const auto lock = acquireDataLock(dir.filePath(QStringLiteral("data")));
            run = servers("snooze|127.0.0.2:2302|on");
            QCOMPARE(run.code, 0);
            QCOMPARE(run.out, QByteArray("Alerts of 127.0.0.2:2302 snoozed until turned back on\n"));
        }
        QVERIFY(servers("list").out.endsWith("no mail, alerts snoozed until turned back on\n"));
        QVERIFY(servers("snooze|127.0.0.2:2302|1h").out.startsWith("Alerts of 127.0.0.2:2302 snoozed until "));
        QCOMPARE(servers("snooze|127.0.0.2:2302|off").out, QByteArray("Alerts of 127.0.0.2:2302 are on\n"));
        QVERIFY(!servers("list").out.contains("snoozed"));
        QCOMPARE(servers("snooze|127.0.0.2:2302|2h").code, 2);
        QCOMPARE(servers("snooze|127.0.0.9:1|1h").code, 1);

        // The monitor's hourly counts, as the list shows them.
        UptimeLog uptime(dir.filePath(QStringLiteral("data/uptime.dat")));
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < 4; ++i)
            uptime.record(QStringLiteral("127.0.0.2:2302"), i + 1, i != 0, now);
        QVERIFY(uptime.save(now).isEmpty());
        QVERIFY(servers("list").out.endsWith("no mail, uptime day 75.0%, week 75.0%, 30 days 75.0%\n"));

        // A server removed and listed again has its alerts on.
        QCOMPARE(servers("snooze|127.0.0.2:2302|on").code, 0);
        QCOMPARE(servers("remove|127.0.0.2:2302").code, 0);
        QCOMPARE(servers("add|Halo|127.0.0.2:2302").code, 0);
        QVERIFY(!servers("list").out.contains("snoozed"));
    }

    // Snoozes given at the same moment by many programs are all kept: each change is made under a lock.
    void snoozesAtOnceAreAllKept()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        constexpr int Count = 20;
        QStringList addresses;
        for (int i = 1; i <= Count; ++i)
            addresses << QStringLiteral("127.0.0.1:%1").arg(i);
        QVERIFY(saveServerList(data, addresses));
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QString& address : addresses) {
            runs.push_back(std::make_unique<QProcess>());
            startTrevisk(*runs.back(), args("servers|snooze") << address << QStringLiteral("on") << inFolder(dir));
        }
        for (const auto& run : runs) {
            QVERIFY(run->waitForFinished(30000));
            QVERIFY2(run->exitCode() == 0, run->readAllStandardError().constData());
        }
        AlertSnooze snooze(Stores(data).filePath(SnoozeFile));
        QVERIFY(snooze.load().isEmpty());
        QCOMPARE(snooze.snoozed(QDateTime::currentDateTime()).size(), size_t(Count));
    }

    // IPv6 servers are listed in the forms a shell user types; the forms the address rules refuse
    // are refused with the command's own words.
    void ipv6Servers()
    {
        QTemporaryDir dir;
        QCOMPARE(run(dir, args("add|Quake 3|::1")).code, 0);
        QCOMPARE(run(dir, args("add|Quake 3|[0:0::1]:27960")).err, QByteArray("This server is already in the list!\n"));
        QCOMPARE(run(dir, args("add|Quake 3|[::1]:27961")).code, 0);
        for (const char* bad : {"::1:27960", "[fe80::1%eth0]:27960"}) {
            const TreviskRun refused = run(dir, args("add|Quake 3") << QString::fromLatin1(bad));
            QCOMPARE(refused.code, 1);
            QVERIFY2(refused.err.startsWith("Unable to resolve"), bad);
        }
        QCOMPARE(run(dir, args("list")).out, QByteArray("Quake 3\t[::1]:27960\t\t\nQuake 3\t[::1]:27961\t\t\n"));
    }
};

QTEST_GUILESS_MAIN(TestServersCommand)
#include "TestServersCommand.moc"
