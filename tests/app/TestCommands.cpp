#include "alerts/UptimeLog.h"
#include "core/Routines.h"
#include "rcon/RconScramble.h"
#include "session/Startup.h"
#include "sim/SimMasterServer.h"
#include "sim/SimPlan.h"
#include "sim/SimServer.h"
#include "store/ServerListXml.h"
#include "support/RawUdpServer.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <list>
#include <sys/stat.h>

using namespace trevisk;

namespace {

// "address status" of each server of a JSON answer, in its order.
QStringList statesOf(const QByteArray& json)
{
    QStringList states;
    for (const QJsonValue& server : QJsonDocument::fromJson(json).array())
        states << server[QStringLiteral("address")].toString() + QLatin1Char(' ')
                      + server[QStringLiteral("status")].toString();
    return states;
}

} // namespace

// The commands, each run as the real program.
class TestCommands : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_config;
    QString m_passwordFile;

    static TreviskRun serversCommand(const QTemporaryDir& dir, const QStringList& arguments)
    {
        return runTrevisk(QStringList{QStringLiteral("servers")} + arguments + inFolder(dir));
    }

    // The password file's path stands for $file in the arguments.
    TreviskRun rcon(const QString& game, const QString& address, const char* arguments)
    {
        QString line = QString::fromUtf8(arguments)
                       + QStringLiteral("|--config|%1|--data-dir|%2|--timeout|300")
                             .arg(m_config, m_dir.filePath(QStringLiteral("data")));
        return runTrevisk(QStringList{QStringLiteral("rcon"), game, address}
                          + line.replace(QStringLiteral("$file"), m_passwordFile).split(QLatin1Char('|')));
    }

private slots:
    // A fresh settings file and password file for each test.
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_config = m_dir.filePath(QStringLiteral("TRVSK.ini"));
        QFile::remove(m_config);
        m_passwordFile = m_dir.filePath(QStringLiteral("password"));
        QVERIFY(writeFile(m_passwordFile, "labpass\n"));
        QVERIFY(QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner));
    }

    // A list that is no text file of servers is refused, never taken as an empty round that went well.
    void queryFileThatIsNoList()
    {
        const QString binary = m_dir.filePath(QStringLiteral("binary"));
        const QString empty = m_dir.filePath(QStringLiteral("empty"));
        QVERIFY(writeFile(binary, QByteArray("Halo\t1.2.3.4:1\0\xff\xfe", 18)) && writeFile(empty));
        for (const QString& path : {m_dir.path(), QStringLiteral("/dev/zero"), binary, empty}) {
            const TreviskRun run = runTrevisk(args("query|--file") << path);
            QVERIFY2(run.code == 2 && !run.err.isEmpty() && run.out.isEmpty(), qPrintable(path));
        }
    }

    // Results are written as they are done, in list order whatever order they came in, and the
    // document is the one a single indented write of the whole array gives. Comments and blank
    // lines of the list are passed over; one server silent makes the run fail. Every engine answers
    // over IPv6 as over IPv4, and its address is printed as it was given. Colour codes are gone from
    // a name, in JSON as in text; what a server sends is printed, never obeyed: its controls are
    // stand-ins on their line.
    void queryFileWritesInListOrder()
    {
        SimServer silent(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0));
        QVERIFY(silent.start());
        silent.responder().setAnswering(false);
        QByteArray list = "# every engine\nQuake 3\t" + silent.address().toUtf8() + "\n\n";
        QStringList expected{silent.address() + QStringLiteral(" timeout")};
        std::list<SimServer> engines;
        for (const QString& engine : SimPlan::engines()) {
            const QString game = SimPlan::representativeGame(engine);
            QVERIFY(engines.emplace_back(SimServerState::forGame(game, 1, 1))
                        .start(QHostAddress(QHostAddress::LocalHostIPv6)));
            list += game.toUtf8() + '\t' + engines.back().address().toUtf8() + '\n';
            expected << engines.back().address() + QStringLiteral(" up");
            if (engine == QLatin1String("Q3"))
                engines.back().state().hostname = "^1Lab ^7Arena";
            if (engine == QLatin1String("HL"))
                engines.back().state().hostname = "Lab\x1b]0;owned\x07\x1b[2J\r\nFORGED\x9b"
                                                  "1m";
        }
        const QString listFile = m_dir.filePath(QStringLiteral("list.txt"));
        QVERIFY(writeFile(listFile, list));
        const TreviskRun run = runTrevisk((args("query|--file") << listFile) + args("--json|--timeout|1000"));
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, QJsonDocument(QJsonDocument::fromJson(run.out).array()).toJson(QJsonDocument::Indented));
        QCOMPARE(statesOf(run.out), expected);

        QVERIFY(run.out.contains("\"hostname\": \"Lab Arena\""));

        // Text comes out of the same loop.
        const QByteArray text = runTrevisk((args("query|--file") << listFile) + args("--timeout|1000")).out;
        const QByteArray standIn = QString(QChar(StandIn)).toUtf8();
        QVERIFY2(text.contains("  no answer (timed out)\n") && text.contains("  Name:     Lab Arena\n")
                     && text.contains("  Name:     Lab" + standIn + "]0;owned" + standIn + standIn + "[2J" + standIn
                                      + standIn + "FORGED"),
                 text.constData());
        for (char c : text)
            QVERIFY(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20);
    }

    // The masters' lists, duplicates and faults included, come to the servers that answer; the
    // filters pass on only the matching ones. The faults of each kind of list are read by the master
    // protocol's own tests; here the command puts a list, its pages and a refusal through.
    void findThroughMasters()
    {
        const struct
        {
            const char *game, *kind, *fault;
            int split, code;
            int shown;        // servers that pass no filter: all found
            const char* note; // on standard error
        } cases[] = {
            {"Quake 3", "Q3", "none", 1, 0, 3, "3 listed, 3 of 3 answered"}, // older end marks
            {"Half Life", "HL", "none", 4, 0, 3, "3 servers listed"},        // paged
            {"Quake 3", "Q3", "truncated", 0, 1, 0, "(no list: "},
        };
        for (const auto& [gameName, kind, fault, split, code, shown, note] : cases) {
            const QString game = QString::fromLatin1(gameName);
            std::list<SimServer> servers;
            std::vector<ListedAddress> listed;
            QStringList expected;
            for (int i = 0; i < 3; ++i) {
                QVERIFY(servers.emplace_back(SimServerState::forGame(game, i + 1, i)).start());
                listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back().gamePort()});
                if (i < shown)
                    expected << servers.back().address() + QStringLiteral(" up");
            }
            servers.back().state().hostname = "The Castle Keep";
            servers.back().state().map = "castle_2";
            SimMaster::Options options;
            options.kind = *SimMaster::kindNamed(QString::fromLatin1(kind));
            options.fault = *SimMaster::faultNamed(QString::fromLatin1(fault));
            options.perDatagram = split;
            options.duplicates = options.endEach = true;
            SimMasterServer master(SimMaster(options, listed));
            QVERIFY(master.start());

            const QStringList ask =
                QStringList{QStringLiteral("find"), game, QStringLiteral("--master"), master.address()}
                + args("--timeout|500");
            const TreviskRun run = runTrevisk(ask + args("--json"));
            QVERIFY2(run.code == code && run.err.contains(note), run.err.constData());
            QCOMPARE(statesOf(run.out), expected);
            // Half-Life's pages come a second apart: its filters are those of the other kinds.
            if (shown < 3 || game == QLatin1String("Half Life"))
                continue;
            const TreviskRun filtered = runTrevisk(ask + args("--name|castle|--map|CASTLE|--not-empty|--not-full"));
            QVERIFY2(filtered.code == 0 && filtered.out.count('\n') == 1
                         && filtered.out.startsWith(servers.back().address().toUtf8())
                         && filtered.out.contains("Castle Keep"),
                     filtered.out.constData());
            QVERIFY(runTrevisk(ask + args("--not-empty")).out.count('\n') == 2);
        }
    }

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
            const TreviskRun done = serversCommand(dir, args(command));
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
        QCOMPARE(serversCommand(dir, args("list")).out.count("alerts snoozed until turned back on"), 20);
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
        QVERIFY(writeServerListFile(file("one.xml"), {a}).isEmpty()
                && writeServerListFile(file("two.xml"), {a, b, b}).isEmpty());
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

    void printsTheReply_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QHostAddress>("host");
        const QHostAddress four(QHostAddress::LocalHost);
        QTest::newRow("Quake 3") << QStringLiteral("Quake 3") << four;
        QTest::newRow("Half Life") << QStringLiteral("Half Life") << four;
        QTest::newRow("Quake 3, IPv6") << QStringLiteral("Quake 3") << QHostAddress(QHostAddress::LocalHostIPv6);
    }
    void printsTheReply()
    {
        QFETCH(QString, game);
        QFETCH(QHostAddress, host);
        SimServer server(game);
        server.state().rconPassword = "labpass";
        QVERIFY(server.start(host));
        // The exit code, then what was printed.
        const auto said = [](const TreviskRun& run) {
            return QString::number(run.code) + QLatin1Char(' ') + QString::fromUtf8(run.out);
        };

        TreviskRun run = rcon(game, server.address(), "--password-file|$file|echo|two words|\x1b]0;title\x07");
        QCOMPARE(said(run), QStringLiteral("0 two words \ufffd]0;title\ufffd\n"));
        QVERIFY(!run.err.contains("chmod"));

        // Without a password file, the one the window remembered, scrambled.
        QRandomGenerator random(11);
        QSettings(m_config, QSettings::IniFormat)
            .setValue(QStringLiteral("RCON/") + server.address(), *scrambleRcon(QStringLiteral("labpass"), random));
        QCOMPARE(said(rcon(game, server.address(), "set|x|1")), QStringLiteral("0 Server: Command Accepted\n"));

        // A password file others may read is still used, with a word on how to close it.
        QVERIFY(QFile::setPermissions(m_passwordFile, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        run = rcon(game, server.address(), "--password-file|$file|echo|hi");
        QCOMPARE(said(run), QStringLiteral("0 hi\n"));
        QVERIFY(run.err.contains("chmod 600 " + QFile::encodeName(m_passwordFile)));

        QVERIFY(writeFile(m_passwordFile, "wrong\r\n"));
        run = rcon(game, server.address(), "--password-file|$file|status");
        QVERIFY2(said(run).startsWith(QStringLiteral("5 Bad rcon")) && run.err.contains("refused the command"),
                 run.err.constData());
    }

    // No password anywhere, and never one from the command line, and an engine without rcon: refused
    // before anything is sent.
    void saysWhyNot()
    {
        RawUdpServer silent;
        QVERIFY(silent.isBound());
        const QString closed = QStringLiteral("127.0.0.1:%1").arg(closedPort());
        const char* file = "--password-file|$file|status";
        for (const auto& [game, address, arguments, code, said] :
             {std::tuple("Quake 3", silent.address(), file, 3, "No answer"),
              std::tuple("Quake 3", closed, file, 4, "Unable to send command. Server appears to be offline!"),
              std::tuple("Quake 3", silent.address(), "status", 2, "--password-file"),
              std::tuple("Quake 3", silent.address(), "--password|labpass|status", 2, ""),
              std::tuple("Unreal Tournament", silent.address(), file, 2, "")}) {
            const TreviskRun run = rcon(QString::fromLatin1(game), address, arguments);
            QVERIFY2(run.code == code && run.err.contains(said), arguments);
        }
        QCOMPARE(silent.requests.size(), 1);
    }

    // A reply that keeps trickling in is cut once the time-out after the command has run out.
    void endsWhateverComes()
    {
        const QByteArray ff(4, '\xFF');
        RawUdpServer server;
        QTimer trickle;
        QObject::connect(&trickle, &QTimer::timeout, &server, [&] { server.reply(ff + "print\nmore\n"); });
        server.onRequest = [&](int) { trickle.start(50); };
        const TreviskRun run = rcon(QStringLiteral("Quake 3"), server.address(), "--password-file|$file|status");
        trickle.stop();
        QVERIFY2(run.code == 0 && run.out.startsWith("more\nmore\n") && run.err.contains("still coming"),
                 run.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "TestCommands.moc"
