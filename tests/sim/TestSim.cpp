#include "core/Catalogue.h"
#include "find/MasterProtocol.h"
#include "players/FriendList.h"
#include "query/EngineProtocol.h"
#include "query/engines/AnswerText.h"
#include "sim/SimOptions.h"
#include "sim/SimPlan.h"
#include "sim/SimResponder.h"
#include "sim/SimServer.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <array>
#include <set>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

constexpr quint32 Loopback = 0x7F000001;
const QByteArray Header(4, '\xFF');

QByteArray capture(const char* exchange, const char* file)
{
    return readFile(QStringLiteral(SIM_TEST_DATA "/%1/%2").arg(QLatin1String(exchange), QLatin1String(file)));
}

// The captured request gets the captured reply, byte for byte.
void answersAsCaptured(SimResponder& server, const char* exchange)
{
    QCOMPARE(server.respond(capture(exchange, "request.bin"), Loopback),
             QList<QByteArray>{capture(exchange, "reply-1.bin")});
}

SimResponder responderFor(const QString& engine)
{
    SimServerState state = SimServerState::forGame(SimPlan::representativeGame(engine));
    state.gamePort = 27000;
    state.address = "127.0.0.1:27000";
    return SimResponder(state);
}

// A name as the monitor shows it: QuakeWorld's gold letters plain, colour codes gone.
QString plain(QByteArray name)
{
    for (char& c : name)
        c = char(c & 0x7F);
    return QString::fromLatin1(name).remove(QRegularExpression(QStringLiteral("\\^.")));
}

} // namespace

// Answers held to captures and the monitor's parsers, the server on its socket, then the options,
// the servers they plan and the built trevisk-sim run on them.
class TestSim : public QObject
{
    Q_OBJECT
    static QStringList args(const char* line) { return QString::fromLatin1(line).split(QLatin1Char(' ')); }

    // Starts the built trevisk-sim and reads the lines it prints of the servers it serves.
    static QStringList started(QProcess& sim, const QStringList& arguments, int count)
    {
        sim.start(QStringLiteral(TREVISK_SIM_PATH), arguments);
        QByteArray out;
        (void)QTest::qWaitFor(
            [&] {
                out += sim.readAllStandardOutput();
                return out.count('\n') >= count || sim.state() == QProcess::NotRunning;
            },
            5000);
        return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private slots:
    void answersMatchCaptures()
    {
        SimServerState q3 = SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0);
        q3.hostname = "Lab ^3Open^7Arena";
        q3.map = "oa_dm1";
        q3.maxPlayers = 12;
        q3.players = {{"^1Red^7Sarge", 0, 0}, {"Angelyss", 1, 0}, {"Grism", 0, 0}, {"Major", 1, 0}};
        SimResponder arena(q3);
        arena.setTimestamp("2026-12-06 21:35:21");
        answersAsCaptured(arena, "oa-getstatus");
        // The argument of getstatus comes back first in the information line.
        const QByteArray echoed = arena.respond(Header + "getstatus 7f3a09\n", Loopback).value(0);
        QVERIFY(echoed.startsWith(Header + "statusResponse\n\\challenge\\7f3a09\\com_protocol\\71\\"));

        SimServerState qw = SimServerState::forGame(QStringLiteral("QuakeWorld"), 1, 0);
        qw.hostname = "Lab ^1QW^7 mvdsv";
        qw.map = "lab1";
        qw.maxPlayers = 8;
        qw.players = {{"Alpha", 0, 999}, {"\xC7\xEF\xEC\xE4 Bravo", 0, 999}, {"Quote", 0, 999, 0, "", 0, 0}};
        SimResponder world(qw);
        answersAsCaptured(world, "qw-status");

        // Rcon replies, refusals and silences as the captured servers gave them.
        for (const char* exchange :
             {"oa-rcon-badpass", "oa-rcon-silent", "oa-rcon-unknowncmd", "qw-rcon-badpass", "qw-rcon-silent"}) {
            SimServerState state =
                SimServerState::forGame(QLatin1String(exchange[0] == 'o' ? "Quake 3" : "QuakeWorld"));
            state.rconPassword = "labpass";
            SimResponder server(state);
            answersAsCaptured(server, exchange);
        }
    }

    // Each answer reads back right with the monitor's parsers: values, every player's name and score.
    void answersReadByTheMonitor()
    {
        for (const QString& engine : SimPlan::engines()) {
            SimResponder server = responderFor(engine);
            server.state().players = SimServerState::makePlayers(engine, 11); // Unreal: two player parts
            const SimServerState& s = server.state();
            const EngineProtocol* protocol = protocolForEngine(engine);
            AnswerUpdate read;
            for (const QByteArray& request : protocol->requests()) {
                // A gathered answer's parts come in order: the socket tests run them through the gatherer.
                const QByteArray answer = server.respond(request, Loopback).join();
                const AnswerUpdate update = protocol->parse(answer, SimPlan::representativeGame(engine), FriendList());
                QVERIFY2(update.errors.isEmpty() && protocol->recognises(answer), qPrintable(engine));
                using U = AnswerUpdate;
                for (auto field : {&U::hostname, &U::map, &U::maxPlayers, &U::numPlayers})
                    if (update.*field)
                        read.*field = update.*field;
                if (update.playersChanged)
                    read.players = update.players;
            }
            const QString count = QString::number(s.players.size());
            QCOMPARE(read.hostname, plain(s.hostname));
            QCOMPARE(read.maxPlayers, QString::number(s.maxPlayers));
            QCOMPARE(read.numPlayers.value_or(count), count);
            if (engine == QLatin1String("NWN")) // its answer has no map nor player rows
                continue;
            QCOMPARE(read.map, QString::fromLatin1(s.map));
            QVERIFY2(read.players && read.players->size() == s.players.size(), qPrintable(engine));
            for (size_t i = 0; i < s.players.size(); ++i) {
                QCOMPARE(read.players->at(i).name, plain(s.players[i].name));
                QCOMPARE(read.players->at(i).score, QString::number(s.players[i].score));
            }
        }
    }

    void lostDatagrams()
    {
        SimResponder every = responderFor(QStringLiteral("Q3"));
        every.setDropEvery(3);
        QList<bool> kept;
        for (int i = 1; i <= 7; ++i)
            kept += !every.respond(Header + "getstatus\n", Loopback).isEmpty();
        QCOMPARE(kept, (QList<bool>{true, true, false, true, true, false, true}));
        QCOMPARE(every.droppedCount(), 2);

        // A seeded probability loses the same datagrams on every run.
        const auto pattern = [](quint32 seed) {
            SimResponder server(SimServerState::forGame(QStringLiteral("Quake 2")), seed);
            server.setDropProbability(0.5);
            QList<bool> kept;
            for (int i = 0; i < 200; ++i)
                kept += !server.respond(Header + "status\n", Loopback).isEmpty();
            return kept;
        };
        const QList<bool> first = pattern(7);
        QCOMPARE(pattern(7), first);
        QVERIFY(pattern(8) != first && first.count(true) > 60 && first.count(true) < 140);
    }

    void playersComeAndGo()
    {
        SimServerState state = SimServerState::forGame(QStringLiteral("Quake 3"), 1, 2);
        state.maxPlayers = 3;
        SimResponder server(state, 5);
        for (int step = 0; step < 200; ++step) {
            const size_t before = server.state().players.size();
            server.churn(1s);
            const size_t after = server.state().players.size();
            QVERIFY((after == before + 1 || after + 1 == before) && after <= 3);
            std::set<QByteArray> names;
            for (const SimPlayer& p : server.state().players)
                names.insert(p.name);
            QCOMPARE(names.size(), after);
        }

        // Without a timer, the steps that fit since the last call are caught up.
        SimResponder lazy(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0), 3);
        lazy.setChurnInterval(100ms);
        QList<size_t> sizes;
        for (auto at : {1000ms, 1150ms, 1199ms}) {
            lazy.advanceTo(at);
            sizes += lazy.state().players.size();
        }
        QCOMPARE(sizes, (QList<size_t>{0, 1, 1})); // the first step can only be a join
    }

    // The server on its socket: answers held back by the delay option, players on a timer, ports.
    void delayedAnswerAndTakenPort()
    {
        SimServer server(QStringLiteral("Raven Shield"));
        QVERIFY(server.start());
        server.setDelay(40ms, 40ms);
        QSignalSpy sent(&server, &SimServer::datagramSent);
        QSignalSpy requests(&server, &SimServer::requestReceived);
        QUdpSocket client;
        QVERIFY(client.bind(QHostAddress::LocalHost, 0));
        QElapsedTimer timer;
        timer.start();
        client.writeDatagram("REPORT", server.host(), server.queryPort());
        QVERIFY(sent.wait(2000) && timer.elapsed() >= 40);
        QTRY_VERIFY_WITH_TIMEOUT(client.hasPendingDatagrams(), 2000);

        // An answer still waiting when the server stops is never sent.
        client.writeDatagram("REPORT", server.host(), server.queryPort());
        QTRY_COMPARE_WITH_TIMEOUT(requests.size(), 2, 2000);
        server.stop();
        QVERIFY(!sent.wait(100));

        // A second server on a taken port fails to start instead of splitting the datagrams with the first.
        SimServer first(QStringLiteral("Unreal Tournament"));
        QVERIFY(first.start());
        SimServer second(QStringLiteral("Unreal Tournament"));
        QVERIFY(!second.start(QHostAddress(QHostAddress::LocalHost), first.gamePort())
                && !second.errorString().isEmpty());
    }

    void playersComeAndGoOnATimer()
    {
        SimServer server(QStringLiteral("Half Life"));
        QVERIFY(server.start());
        QSignalSpy changed(&server, &SimServer::playersChanged);
        const size_t before = server.state().players.size();
        server.setChurnInterval(10ms);
        server.setChurning(true);
        QVERIFY(changed.wait(2000));
        server.setChurning(false);
        // Each step brings one player or takes one away.
        const qint64 steps = changed.size(), moved = qAbs(qint64(server.state().players.size()) - qint64(before));
        QVERIFY(moved <= steps && moved % 2 == steps % 2);
    }

    void commandLine()
    {
        QString error;
        const auto options = SimOptions::parse(args("--engine ut2003 --port=7777 --count 5 --delay 10-250 --flap "
                                                    "3000:1000 --unreal-order 2,1,3 --reply-from 127.0.0.9:0 "
                                                    "--rcon-password secret"),
                                               error);
        QVERIFY2(options, qPrintable(error));
        QCOMPARE(options->games, QStringList{QStringLiteral("Unreal Tournament 2003")});
        QCOMPARE(std::pair(options->port, options->count), std::pair(7777, 5));
        QCOMPARE((std::array{options->delayMin, options->delayMax, options->flapUp, options->flapDown}),
                 (std::array{10ms, 250ms, 3000ms, 1000ms}));
        QCOMPARE(options->unrealOrder, (QList<int>{2, 1, 3}));
        QCOMPARE(options->replyHost, QHostAddress(QStringLiteral("127.0.0.9")));

        const SimResponder responder = options->makeResponder(SimPlan::make(options->games, 7777, 1).servers.at(0), 0);
        QCOMPARE(responder.state().rconPassword, QByteArray("secret"));

        const auto master = SimOptions::parse(
            args("--engine HL --port 0 --master HL --master-split 2 --master-fault loop --master-duplicates"), error);
        QVERIFY2(master && master->master, qPrintable(error));
        QVERIFY(master->master->kind == MasterKind::Source && master->master->perDatagram == 2
                && master->master->duplicates && master->master->fault == SimMaster::Fault::LoopPages);

        // No port, an unknown engine, a backwards delay, addresses off the loopback, servers on IPv6 with an
        // IPv4 master, an unknown option, an unknown master fault.
        for (const QString& mistake :
             QStringLiteral(
                 "--engine Q3|--engine Q4|--all --port 1 --delay 200-100|--all --port 1 --reply-from 10.0.0.1|"
                 "--all --port 1 --bind 10.0.0.1|--all --port 1 --bind ::1 --master Q3|--all --fast|"
                 "--all --port 1 --master Q3 --master-fault rude")
                 .split(QLatin1Char('|'))) {
            error.clear();
            QVERIFY2(!SimOptions::parse(mistake.split(QLatin1Char(' ')), error) && !error.isEmpty(),
                     qPrintable(mistake));
        }
    }

    // Every listed address leads a monitor to the port the server binds, and no two servers
    // bind the same one, with Raven Shield a thousand ports up.
    void everyEngineTogether()
    {
        QStringList games;
        for (const QString& engine : SimPlan::engines())
            games += SimPlan::representativeGame(engine);
        const SimPlan plan = SimPlan::make(games, 20000, 3);
        QVERIFY2(plan.error.isEmpty() && plan.warnings.isEmpty(), qPrintable(plan.error));
        std::set<int> bound, gamePorts;
        for (const SimServerSpec& s : plan.servers) {
            QCOMPARE(queryPort(s.game, s.address()), int(s.queryPort));
            QVERIFY(s.host == QHostAddress(QHostAddress::LocalHost) && s.number >= 1 && s.number <= 3);
            QVERIFY2(bound.insert(s.queryPort).second, qPrintable(s.address()));
            gamePorts.insert(s.gamePort);
        }
        QVERIFY(plan.servers.size() == 27 && gamePorts.size() == 27);
        QCOMPARE(plan.servers.back().game, QStringLiteral("Raven Shield"));
    }

    // Fixed query ports get their own addresses; the plans no loopback can serve are refused.
    void fixedPortsAndUnservablePlans()
    {
        const SimPlan plan = SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 3);
        QVERIFY(plan.error.isEmpty());
        QStringList addresses;
        for (const SimServerSpec& s : plan.servers)
            addresses += s.address() + QLatin1Char('/') + QString::number(s.queryPort); // game/query port
        QCOMPARE(addresses.join(QLatin1Char(' ')),
                 QStringLiteral("127.0.0.2:12203/12300 127.0.0.3:12204/12300 127.0.0.4:12205/12300"));

        // A game queried on its game port, though its engine would add one.
        const SimPlan avp = SimPlan::make({QStringLiteral("Alien vs. Predator 2")}, 27888, 2);
        QCOMPARE(avp.servers.at(1).queryPort, quint16(27889));
        QCOMPARE(avp.servers.at(1).address(), QStringLiteral("127.0.0.1:27889"));

        // One IPv6 loopback address: one server of a fixed query port at most.
        const QHostAddress six(QHostAddress::LocalHostIPv6);
        const SimPlan one = SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 1, six);
        QVERIFY(one.error.isEmpty());
        QCOMPARE(one.servers.at(0).address(), QStringLiteral("[::1]:12203"));
        QVERIFY(!SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 2, six).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Medal of Honor")}, 0, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Raven Shield")}, 64600, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 3")}, 65530, 10).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 4")}, 27960, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 3")}, 40000, 1).warnings.isEmpty());
        // Ephemeral ports leave the game port to be found once bound.
        const SimPlan ephemeral = SimPlan::make({QStringLiteral("Quake 3")}, 0, 2);
        QVERIFY(ephemeral.error.isEmpty() && ephemeral.servers.at(1).queryPort == 0);
    }

    // The built trevisk-sim, as the demo and benchmark scripts run it, on either family; on IPv4 with a
    // master, listed first, that lists every server it serves.
    void servesEveryEngineUntilSignalled()
    {
        for (const QString& bind : {QStringLiteral("127.0.0.1"), QStringLiteral("::1")}) {
            const bool four = bind.contains(QLatin1Char('.')); // an IPv4 master lists only IPv4 servers
            QProcess sim;
            const QStringList master = four ? args("--master Q3") : QStringList();
            QStringList lines = started(sim, args("--all --port 0 --delay 1-5 --bind") << bind << master, 9 + four);
            QUdpSocket client;
            QVERIFY(client.bind(QHostAddress(bind), 0));
            QStringList listed;
            if (four) {
                const QString own = lines.takeFirst();
                QVERIFY2(own.startsWith(QLatin1String("master\t127.0.0.1:")), qPrintable(own));
                const quint16 port = quint16(own.section(QLatin1Char(':'), 1).toUInt());
                client.writeDatagram(masterRequest({MasterKind::Quake3, 68}), QHostAddress::LocalHost, port);
                QVERIFY(client.waitForReadyRead(2000));
                const MasterReply reply = readMasterReply(MasterKind::Quake3, client.receiveDatagram().data());
                for (const ListedAddress& server : reply.servers)
                    listed += server.text();
                QVERIFY(reply.endMark && listed.size() == 9);
            }
            QCOMPARE(lines.size(), 9);
            for (const QString& line : lines) {
                const QString game = line.section(QLatin1Char('\t'), 0, 0),
                              address = line.section(QLatin1Char('\t'), 1);
                QVERIFY2(findGame(game) && hostPart(address) == bind && (!four || listed.contains(address)),
                         qPrintable(line));
                // Every request of the engine is answered from the query port the catalogue gives.
                const QList<QByteArray> requests = protocolForEngine(getEngine(game))->requests();
                for (const QByteArray& request : requests)
                    client.writeDatagram(request, QHostAddress(bind), quint16(queryPort(game, address)));
                int answers = 0;
                while (client.waitForReadyRead(answers < requests.size() ? 2000 : 50)) {
                    while (client.hasPendingDatagrams()) {
                        QCOMPARE(client.receiveDatagram().senderPort(), queryPort(game, address));
                        ++answers;
                    }
                }
                QVERIFY2(answers >= requests.size(), qPrintable(line));
            }

            sim.terminate();
            QVERIFY(sim.waitForFinished(5000) && sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
        }
    }

    void mistakesAreReported()
    {
        QProcess sim;
        sim.start(QStringLiteral(TREVISK_SIM_PATH), args("--engine Q9 --port 0"));
        QVERIFY(sim.waitForFinished(5000) && sim.exitCode() == 2);
        QVERIFY(sim.readAllStandardError().contains("unknown engine") && sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "TestSim.moc"
