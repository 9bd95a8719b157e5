#include "alerts/UptimeLog.h"
#include "session/Startup.h"
#include "store/ServerListXml.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <list>
#include <sys/stat.h>

using namespace trevisk;

class TestServersCommand : public QObject
{
    Q_OBJECT
    static TreviskRun run(const QTemporaryDir& dir, const QStringList& arguments)
    {
        return runTrevisk(QStringList{QStringLiteral("servers")} + arguments + inFolder(dir));
    }

private slots:
    // Each command in turn on one folder, some while a monitor holds it, with its exit code and a
    // part of what it said. The monitor's hourly counts (three of four answered) are there from the start.
    void serversAddListRemove()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        UptimeLog uptime(data + QStringLiteral("/uptime.dat"));
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < 4; ++i)
            uptime.record(QStringLiteral("127.0.0.2:2302"), i + 1, i != 0, now);
        QVERIFY(QDir().mkpath(data) && uptime.save(now).isEmpty());
        const QByteArray halo = "Halo\t127.0.0.2:2302\t\tmanual refresh, query port 2303, tray, no mail, ";
        const QByteArray counts = "uptime day 75.0%, week 75.0%, 30 days 75.0%\n";
        const struct
        {
            const char* command;
            int code;
            QByteArray said;
            bool locked = false;
        } steps[] = {
            {"add|Quake 3|127.0.0.1|--memo|lan party", 0, "default port of Quake 3, 27960"},
            {"add|Quake 3|127.0.0.1:27960", 1, "This server is already in the list!\n"},
            {"add|Halo|127.0.0.1:65536", 1, "Invalid port number!\n"},
            {"add|Halo|127.0.0.1:1|--query-port|x", 1, ""},
            {"add|Halo|127.0.0.2:2302|--manual|--tray|1|--no-mail|--query-port|2303", 0, ""},
            {"list", 0, "Quake 3\t127.0.0.1:27960\tlan party\t\n" + halo + counts},
            // While a monitor holds the folder nothing changes.
            {"remove|127.0.0.1:27960", 1, "nothing was changed", true},
            {"remove|127.0.0.1:27960", 0, ""},
            {"remove|127.0.0.1:27960", 1, ""},
            // Snoozing needs no lock of the folder: a running monitor reads the snooze file again.
            {"snooze|127.0.0.2:2302|on", 0, "Alerts of 127.0.0.2:2302 snoozed until turned back on\n", true},
            {"list", 0, halo + "alerts snoozed until turned back on, " + counts},
            {"snooze|127.0.0.2:2302|1h", 0, "Alerts of 127.0.0.2:2302 snoozed until "},
            {"snooze|127.0.0.2:2302|off", 0, "Alerts of 127.0.0.2:2302 are on\n"},
            {"list", 0, halo + counts},
            {"snooze|127.0.0.2:2302|2h", 2, ""},
            {"snooze|127.0.0.9:1|1h", 1, ""},
            // A server removed and listed again has its alerts on.
            {"snooze|127.0.0.2:2302|on", 0, ""},
            {"remove|127.0.0.2:2302", 0, ""},
            {"add|Halo|127.0.0.2:2302", 0, ""},
            {"list", 0, "Halo\t127.0.0.2:2302\t\t" + counts},
            // IPv6 servers in the forms a shell user types; the forms the address rules refuse are
            // refused with the command's own words.
            {"add|Quake 3|::1", 0, ""},
            {"add|Quake 3|[0:0::1]:27960", 1, "This server is already in the list!\n"},
            {"add|Quake 3|[::1]:27961", 0, ""},
            {"add|Quake 3|::1:27960", 1, "Unable to resolve"},
            {"add|Quake 3|[fe80::1%eth0]:27960", 1, "Unable to resolve"},
            {"list", 0, counts + "Quake 3\t[::1]:27960\t\t\nQuake 3\t[::1]:27961\t\t\n"},
        };
        for (const auto& [command, code, said, locked] : steps) {
            const DataLock lock = locked ? acquireDataLock(data) : DataLock{};
            const TreviskRun done = run(dir, args(command));
            QVERIFY2(done.code == code && (done.out + done.err).contains(said) && (!locked || lock),
                     (command + ("\n" + done.out + done.err)).constData());
        }
    }

    // Snoozes given at the same moment by many programs are all kept: each change is made under a lock.
    void snoozesAtOnceAreAllKept()
    {
        QTemporaryDir dir;
        QStringList addresses;
        for (int i = 1; i <= 20; ++i)
            addresses << QStringLiteral("127.0.0.1:%1").arg(i);
        QVERIFY(saveServerList(dir.filePath(QStringLiteral("data")), addresses));
        std::list<QProcess> runs;
        for (const QString& address : addresses)
            startTrevisk(runs.emplace_back(),
                         args("servers|snooze") << address << QStringLiteral("on") << inFolder(dir));
        for (QProcess& snooze : runs)
            QVERIFY2(snooze.waitForFinished(30000) && snooze.exitCode() == 0,
                     snooze.readAllStandardError().constData());
        QCOMPARE(run(dir, args("list")).out.count("alerts snoozed until turned back on"), 20);
    }

    // Each command in turn on one folder, with its exit code and a part of what it said; a refusal
    // prints nothing on the standard output. What is not a file is named as what it is, never replaced.
    void importThenExport()
    {
        QTemporaryDir dir;
        const auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
        ServerRecord a;
        a.address = QStringLiteral("127.0.2.1:27960");
        a.game = QStringLiteral("Quake 3");
        ServerRecord b = a;
        b.address = QStringLiteral("[2001:DB8::5]:27960"); // kept as written, not rewritten as 2001:db8::5
        QCOMPARE(writeServerListFile(file("one.xml"), {a}), QString());
        QCOMPARE(writeServerListFile(file("two.xml"), {a, b, b}), QString());
        QCOMPARE(::mkfifo(QFile::encodeName(file("list.fifo")).constData(), 0600), 0);
        constexpr int None = 0, Monitor = 1, Folder = 2; // what holds the data folder's lock file
        const struct
        {
            const char* arguments;
            int code;
            const char* said;
            int holder = None;
        } steps[] = {
            {"import|$dir/one.xml", 0, "1 servers imported.\n0 servers skipped (duplicate)\n"},
            // A list that holds servers needs a choice.
            {"import|$dir/two.xml", 2, "pass --merge to add the new ones, or --replace"},
            {"import|$dir/two.xml|--merge", 1, "nothing was imported", Monitor},
            // A folder in the lock file's place is no running monitor.
            {"import|$dir/two.xml|--merge", 1, "trevisk.lock is a folder, not a file. Nothing was imported", Folder},
            {"import|$dir", 1, "is a folder, not a file: nothing was imported"},
            {"import|/dev/zero", 1, "not a regular file"},
            {"export|$dir/list.fifo", 1, "not a regular file"},
            {"import|$dir/two.xml|--merge", 0, "1 servers imported.\n2 servers skipped (duplicate)\n"},
            {"export|$dir/out.xml", 0, "Export Complete\n"},
        };
        for (const auto& [arguments, code, said, holder] : steps) {
            const DataLock lock = holder == Monitor ? acquireDataLock(file("data")) : DataLock{};
            QVERIFY((holder != Monitor || lock) && (holder != Folder || QDir().mkpath(file("data/trevisk.lock"))));
            const TreviskRun done = runTrevisk(args(arguments).replaceInStrings(QStringLiteral("$dir"), dir.path())
                                               << QStringLiteral("--data-dir") << file("data"));
            QVERIFY(holder != Folder || QDir().rmdir(file("data/trevisk.lock")));
            QVERIFY2(done.code == code && (done.out + done.err).contains(said) && (code == 0 || done.out.isEmpty()),
                     (arguments + ("\n" + done.out + done.err)).constData());
        }
        QVERIFY(QFileInfo::exists(file("list.fifo")) && !QFileInfo(file("list.fifo")).isFile());
        QCOMPARE(readServerListFile(file("out.xml")).rows, (std::vector<ServerRecord>{a, b}));
    }
};

QTEST_GUILESS_MAIN(TestServersCommand)
#include "TestServersCommand.moc"
