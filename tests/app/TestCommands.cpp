#include "alerts/AlertSnooze.h"
#include "alerts/UptimeLog.h"
#include "core/Routines.h"
#include "session/Startup.h"
#include "sim/SimMasterServer.h"
#include "sim/SimPlan.h"
#include "sim/SimServer.h"
#include "store/Stores.h"
#include "support/TestFiles.h"
#include "support/TreviskRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace trevisk;

class TestCommands : public QObject
{
    Q_OBJECT
private slots:
    // Colour codes are gone from the name, in JSON as in text.
    void queryPrintsWhatTheServerSaid()
    {
        SimServer server(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 2));
        QVERIFY(server.start());
        server.state().hostname = "^1Lab ^7Arena";
        const TreviskRun json = runTrevisk(args("query|Quake 3") << server.address() << QStringLiteral("--json"));
        QCOMPARE(json.code, 0);
        const QJsonObject answer = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(answer.value(QStringLiteral("status")).toString(), QStringLiteral("up"));
        QCOMPARE(answer.value(QStringLiteral("hostname")).toString(), QStringLiteral("Lab Arena"));
        QCOMPARE(answer.value(QStringLiteral("numplayers")).toInt(), 2);
        QCOMPARE(answer.value(QStringLiteral("players")).toArray().size(), 2);
        QVERIFY(answer.value(QStringLiteral("players")).toArray().first().toObject().contains(QStringLiteral("score")));
        const QJsonArray settings = answer.value(QStringLiteral("settings")).toArray();
        QVERIFY(!settings.isEmpty());
        QCOMPARE(settings.first().toArray().size(), 2);
        QVERIFY(runTrevisk(args("query|Quake 3") << server.address()).out.contains("  Name:     Lab Arena\n"));
    }

    // What a server sends is printed, never obeyed: its controls are stand-ins on their line.
    void queryTextOfAHostileServer()
    {
        SimServer server(SimServerState::forGame(QStringLiteral("Half Life"), 1, 1));
        QVERIFY(server.start());
        server.state().hostname = "Lab\x1b]0;owned\x07\x1b[2J\r\nFORGED\x9b"
                                  "1m";
        const TreviskRun run = runTrevisk(args("query|Half Life") << server.address());
        QCOMPARE(run.code, 0);
        const QByteArray standIn = QString(QChar(StandIn)).toUtf8();
        QVERIFY2(run.out.contains("  Name:     Lab" + standIn + "]0;owned" + standIn + standIn + "[2J" + standIn
                                  + standIn + "FORGED"),
                 run.out.constData());
        for (char c : run.out)
            QVERIFY(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20);
        QVERIFY(!run.out.contains("\nFORGED"));
    }

    // A list that is no text file of servers is refused, never taken as an empty round that went well.
    void queryFileThatIsNoList()
    {
        QTemporaryDir dir;
        const QString binary = dir.filePath(QStringLiteral("binary"));
        const QString empty = dir.filePath(QStringLiteral("empty"));
        QVERIFY(writeFile(binary, QByteArray("Halo\t1.2.3.4:1\0\xff\xfe", 18)) && writeFile(empty));
        for (const QString& path : {dir.path(), QStringLiteral("/dev/zero"), binary, empty}) {
            const TreviskRun run = runTrevisk(args("query|--file") << path);
            QCOMPARE(run.code, 2);
            QVERIFY2(!run.err.isEmpty() && run.out.isEmpty(), qPrintable(path));
        }
    }

    // Results are written as they are done, in list order whatever order they came in, and the
    // document is the one a single indented write of the whole array gives. Comments and blank
    // lines of the list are passed over; one server silent makes the run fail.
    void queryFileWritesInListOrder()
    {
        SimServer silent(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0));
        SimServer first(SimServerState::forGame(QStringLiteral("Quake 3"), 2, 2));
        SimServer second(SimServerState::forGame(QStringLiteral("Unreal Tournament"), 3, 0));
        QVERIFY(silent.start() && first.start() && second.start());
        silent.responder().setAnswering(false);
        QTemporaryDir dir;
        const QString list = dir.filePath(QStringLiteral("list.txt"));
        QVERIFY(writeFile(list,
                          "# three servers\nQuake 3\t" + silent.address().toUtf8() + "\nQuake 3\t"
                              + first.address().toUtf8() + "\n\nUnreal Tournament\t" + second.address().toUtf8()
                              + "\n"));
        const TreviskRun run = runTrevisk((args("query|--file") << list) + args("--json|--timeout|200"));
        QCOMPARE(run.code, 1);
        const QJsonArray answers = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(run.out, QJsonDocument(answers).toJson(QJsonDocument::Indented));
        QCOMPARE(answers.size(), 3);
        const QStringList addresses{silent.address(), first.address(), second.address()};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(answers[i].toObject().value(QStringLiteral("address")).toString(), addresses[i]);
        QCOMPARE(answers[0].toObject().value(QStringLiteral("status")).toString(), QStringLiteral("timeout"));
        QCOMPARE(answers[1].toObject().value(QStringLiteral("status")).toString(), QStringLiteral("up"));
        QCOMPARE(answers[1].toObject().value(QStringLiteral("players")).toArray().size(), 2);

        const TreviskRun text = runTrevisk((args("query|--file") << list) + args("--timeout|200"));
        QCOMPARE(text.code, 1);
        const qsizetype none = text.out.indexOf("  no answer (timed out)\n");
        QVERIFY(none > 0 && none < text.out.indexOf(first.address().toUtf8())
                && text.out.indexOf(first.address().toUtf8()) < text.out.indexOf(second.address().toUtf8()));
    }

    // An IPv6 server is queried, listed and refused in the forms a shell user types.
    void ipv6Servers()
    {
        SimServer server(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 2));
        QVERIFY(server.start(QHostAddress(QHostAddress::LocalHostIPv6)));
        QVERIFY(server.address().startsWith(QLatin1String("[::1]:")));
        const TreviskRun json = runTrevisk(args("query|Quake 3") << server.address() << QStringLiteral("--json"));
        QCOMPARE(json.code, 0);
        const QJsonObject answer = QJsonDocument::fromJson(json.out).object();
        QCOMPARE(answer.value(QStringLiteral("address")).toString(), server.address());
        QCOMPARE(answer.value(QStringLiteral("status")).toString(), QStringLiteral("up"));
        QCOMPARE(answer.value(QStringLiteral("players")).toArray().size(), 2);

        // Every engine answers over IPv6 as over IPv4.
        QTemporaryDir dir;
        std::vector<std::unique_ptr<SimServer>> engines;
        QByteArray list;
        for (const QString& engine : SimPlan::engines()) {
            const QString game = SimPlan::representativeGame(engine);
            engines.push_back(std::make_unique<SimServer>(SimServerState::forGame(game, 1, 1)));
            QVERIFY(engines.back()->start(QHostAddress(QHostAddress::LocalHostIPv6)));
            list += game.toUtf8() + '\t' + engines.back()->address().toUtf8() + '\n';
        }
        const QString listFile = dir.filePath(QStringLiteral("six.txt"));
        QVERIFY(writeFile(listFile, list));
        const TreviskRun all = runTrevisk((args("query|--file") << listFile) + args("--json"));
        QCOMPARE(all.code, 0);
        const QJsonArray answers = QJsonDocument::fromJson(all.out).array();
        QCOMPARE(answers.size(), qsizetype(engines.size()));
        for (const QJsonValue& one : answers)
            QCOMPARE(one.toObject().value(QStringLiteral("status")).toString(), QStringLiteral("up"));

        const QStringList where{QStringLiteral("--data-dir"),
                                dir.filePath(QStringLiteral("data")),
                                QStringLiteral("--config"),
                                dir.filePath(QStringLiteral("t.ini"))};
        auto servers = [&](const QStringList& arguments) {
            return runTrevisk(QStringList{QStringLiteral("servers")} + arguments + where);
        };
        QCOMPARE(servers(args("add|Quake 3|::1")).code, 0);
        QCOMPARE(servers(args("add|Quake 3|[0:0::1]:27960")).err, QByteArray("This server is already in the list!\n"));
        QCOMPARE(servers(args("add|Quake 3") << server.address()).code, 0);
        for (const char* bad : {"::1:27960", "[::1", "[::1]x", "[fe80::1%eth0]:27960"}) {
            const TreviskRun refused = servers(args("add|Quake 3") << QString::fromLatin1(bad));
            QCOMPARE(refused.code, 1);
            QVERIFY2(refused.err.startsWith("Unable to resolve"), bad);
        }
        QCOMPARE(servers(args("list")).out,
                 "Quake 3\t[::1]:27960\t\t\nQuake 3\t" + server.address().toUtf8() + "\t\t\n");
    }

    void findThroughMasters_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("split");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("shown");    // servers that pass no filter: all found
        QTest::addColumn<QString>("note"); // on standard error
        QTest::newRow("quake 3, IPv6 too, older end marks") << "Quake 3"
                                                            << "Q3"
                                                            << "none" << 1 << 0 << 3 << "5 listed, 3 of 5 answered";
        QTest::newRow("quakeworld") << "QuakeWorld"
                                    << "QW"
                                    << "none" << 0 << 0 << 3 << "3 servers listed";
        QTest::newRow("quake 2, zero entries") << "Quake 2"
                                               << "Q2"
                                               << "zero" << 0 << 0 << 3 << "3 servers listed";
        QTest::newRow("half-life, paged") << "Half Life"
                                          << "HL"
                                          << "none" << 4 << 0 << 3 << "3 servers listed";
        QTest::newRow("half-life, pages loop") << "Half Life"
                                               << "HL"
                                               << "loop" << 4 << 0 << 3 << "loop back";
        QTest::newRow("quake 3, truncated") << "Quake 3"
                                            << "Q3"
                                            << "truncated" << 0 << 1 << 0 << "(no list: ";
        QTest::newRow("quakeworld, wrong header") << "QuakeWorld"
                                                  << "QW"
                                                  << "wrong-header" << 0 << 1 << 0 << "not a master's list";
    }

    // The masters' lists, duplicates and faults included, come to the servers that answer; the
    // filters pass on only the matching ones.
    void findThroughMasters()
    {
        QFETCH(QString, game);
        QFETCH(QString, kind);
        QFETCH(QString, fault);
        QFETCH(int, split);
        QFETCH(int, code);
        QFETCH(int, shown);
        QFETCH(QString, note);
        std::vector<std::unique_ptr<SimServer>> servers;
        std::vector<ListedAddress> listed;
        for (int i = 0; i < 3; ++i) {
            servers.push_back(std::make_unique<SimServer>(SimServerState::forGame(game, i + 1, i)));
            QVERIFY(servers.back()->start());
            listed.push_back({QHostAddress(QHostAddress::LocalHost), servers.back()->gamePort()});
        }
        servers[2]->state().hostname = "The Castle Keep";
        servers[2]->state().map = "castle_2";
        SimMaster::Options options;
        options.kind = *SimMaster::kindNamed(kind);
        options.fault = *SimMaster::faultNamed(fault);
        options.perDatagram = split;
        options.duplicates = true;
        options.endEach = true;
        options.ipv6 = 2;
        SimMasterServer master(SimMaster(options, listed));
        QVERIFY(master.start());

        const QStringList ask = QStringList{QStringLiteral("find"), game, QStringLiteral("--master"), master.address()}
                                + args("--timeout|500");
        const TreviskRun run = runTrevisk(ask + args("--json"));
        QCOMPARE(run.code, code);
        QVERIFY2(run.err.contains(note.toUtf8()), run.err.constData());
        QJsonArray found = QJsonDocument::fromJson(run.out).array();
        // The IPv6 entries come last, on ::1 where nothing listens.
        while (!found.isEmpty()
               && found.last().toObject().value(QStringLiteral("address")).toString().startsWith(QLatin1Char('['))) {
            QCOMPARE(found.last().toObject().value(QStringLiteral("status")).toString(), QStringLiteral("refused"));
            found.removeLast();
        }
        QCOMPARE(found.size(), shown);
        for (int i = 0; i < shown; ++i) {
            QCOMPARE(found[i].toObject().value(QStringLiteral("status")).toString(), QStringLiteral("up"));
            QCOMPARE(found[i].toObject().value(QStringLiteral("address")).toString(), servers[i]->address());
        }
        // Half-Life's pages come a second apart: its filters are those of the other kinds.
        if (shown < 3 || kind == QLatin1String("HL"))
            return;
        const TreviskRun filtered = runTrevisk(ask + args("--name|castle|--map|CASTLE|--not-empty|--not-full"));
        QCOMPARE(filtered.code, 0);
        QCOMPARE(filtered.out.count('\n'), 1);
        QVERIFY2(filtered.out.startsWith(servers[2]->address().toUtf8()) && filtered.out.contains("Castle Keep"),
                 filtered.out.constData());
        QVERIFY(runTrevisk(ask + args("--not-empty")).out.count('\n') == 2);
    }

    void serversAddListRemove()
    {
        QTemporaryDir dir;
        const QStringList where{QStringLiteral("--data-dir"),
                                dir.filePath(QStringLiteral("data")),
                                QStringLiteral("--config"),
                                dir.filePath(QStringLiteral("t.ini"))};
        auto servers = [&](const char* arguments) {
            return runTrevisk(QStringList{QStringLiteral("servers")} + args(arguments) + where);
        };

        TreviskRun run = servers("add|Quake 3|127.0.0.1|--memo|lan party");
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains("default port of Quake 3, 27960"));
        QCOMPARE(servers("add|Quake 3|127.0.0.1:27960").err, QByteArray("This server is already in the list!\n"));
        QCOMPARE(servers("add|Halo|127.0.0.1:65536").err, QByteArray("Invalid port number!\n"));
        QCOMPARE(servers("add|Halo|127.0.0.1:1|--query-port|x").code, 1);
        QCOMPARE(servers("add|Halo 9|127.0.0.1:1").code, 1);
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
        Stores stores(data);
        QVERIFY(QDir().mkpath(data));
        constexpr int Count = 20;
        for (int i = 1; i <= Count; ++i) {
            ServerRecord record;
            record.game = QStringLiteral("Quake 3");
            record.address = QStringLiteral("127.0.0.1:%1").arg(i);
            stores.servers.rows.push_back(record);
        }
        QVERIFY(stores.saveServers().isEmpty());
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int i = 1; i <= Count; ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(QStringLiteral(TREVISK_BINARY),
                               {QStringLiteral("servers"),
                                QStringLiteral("snooze"),
                                QStringLiteral("127.0.0.1:%1").arg(i),
                                QStringLiteral("on"),
                                QStringLiteral("--data-dir"),
                                data,
                                QStringLiteral("--config"),
                                dir.filePath(QStringLiteral("t.ini"))});
        }
        for (const auto& run : runs) {
            QVERIFY(run->waitForFinished(30000));
            QVERIFY2(run->exitCode() == 0, run->readAllStandardError().constData());
        }
        AlertSnooze snooze(stores.filePath(SnoozeFile));
        QVERIFY(snooze.load().isEmpty());
        QCOMPARE(snooze.snoozed(QDateTime::currentDateTime()).size(), size_t(Count));
    }

    // A password file others may read is still used, with a word on how to close it.
    void rconPasswordFileOpenToOthers()
    {
        QTemporaryDir dir;
        SimServer server(QStringLiteral("Quake 3"));
        server.state().rconPassword = "labpass";
        QVERIFY(server.start());
        const QString file = dir.filePath(QStringLiteral("password"));
        QVERIFY(writeFile(file, "labpass\n"));
        for (const bool open : {true, false}) {
            QVERIFY(QFile::setPermissions(
                file, QFile::ReadOwner | QFile::WriteOwner | (open ? QFile::ReadOther : QFileDevice::Permissions())));
            const TreviskRun run = runTrevisk(
                QStringList{
                    QStringLiteral("rcon"), QStringLiteral("Quake 3"), server.address(), QStringLiteral("status")}
                << QStringLiteral("--password-file") << file << QStringLiteral("--config")
                << dir.filePath(QStringLiteral("t.ini")) << QStringLiteral("--data-dir") << dir.path());
            QCOMPARE(run.code, 0);
            QCOMPARE(run.err.contains("chmod 600 " + QFile::encodeName(file)), open);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "TestCommands.moc"
