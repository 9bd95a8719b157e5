#include "core/Catalogue.h"
#include "find/MasterProtocol.h"
#include "query/EngineProtocol.h"
#include "sim/SimOptions.h"
#include "sim/SimPlan.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QTest>
#include <QUdpSocket>

#include <array>
#include <set>

using namespace trevisk;
using namespace std::chrono_literals;

// The simulator's options and the servers they plan, then the built trevisk-sim run on them.
class TestSimOptions : public QObject
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
        QCOMPARE(responder.state().players.size(), size_t(4));

        const auto master = SimOptions::parse(
            args("--engine HL --port 0 --master HL --master-split 2 --master-fault loop --master-duplicates"), error);
        QVERIFY2(master && master->master, qPrintable(error));
        QCOMPARE(master->master->kind, MasterKind::Source);
        QVERIFY(master->master->perDatagram == 2 && master->master->duplicates);
        QCOMPARE(master->master->fault, SimMaster::Fault::LoopPages);

        for (const char* mistake : {
                 "--engine Q3", // no port
                 "--engine Q4",
                 "--all --port 1 --delay 200-100",
                 "--all --port 1 --reply-from 10.0.0.1", // outside the loopback
                 "--all --port 1 --bind 10.0.0.1",
                 "--all --port 1 --bind ::1 --master Q3", // IPv6 servers, IPv4 master
                 "--all --fast",
                 "--all --port 1 --master Q3 --master-fault rude",
             }) {
            error.clear();
            QVERIFY2(!SimOptions::parse(args(mistake), error) && !error.isEmpty(), mistake);
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
        QCOMPARE(plan.servers.size(), size_t(27));
        std::set<int> bound;
        std::set<int> gamePorts;
        for (const SimServerSpec& s : plan.servers) {
            QCOMPARE(queryPort(s.game, s.address()), int(s.queryPort));
            QCOMPARE(s.host, QHostAddress(QHostAddress::LocalHost));
            QVERIFY(s.number >= 1 && s.number <= 3);
            QVERIFY2(bound.insert(s.queryPort).second, qPrintable(s.address()));
            gamePorts.insert(s.gamePort);
        }
        QCOMPARE(gamePorts.size(), size_t(27));
        QCOMPARE(plan.servers.back().game, QStringLiteral("Raven Shield"));
    }

    void fixedQueryPortsGetTheirOwnAddresses()
    {
        const SimPlan plan = SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 3);
        QVERIFY(plan.error.isEmpty());
        QStringList addresses;
        for (const SimServerSpec& s : plan.servers)
            addresses += s.address() + QStringLiteral(" queried on ") + QString::number(s.queryPort);
        QCOMPARE(addresses.join(QStringLiteral(", ")),
                 QStringLiteral("127.0.0.2:12203 queried on 12300, 127.0.0.3:12204 queried on 12300, "
                                "127.0.0.4:12205 queried on 12300"));

        // A game queried on its game port, though its engine would add one.
        const SimPlan avp = SimPlan::make({QStringLiteral("Alien vs. Predator 2")}, 27888, 2);
        QCOMPARE(avp.servers.at(1).queryPort, quint16(27889));
        QCOMPARE(avp.servers.at(1).address(), QStringLiteral("127.0.0.1:27889"));
    }

    void unservablePlans()
    {
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
        QVERIFY(ephemeral.error.isEmpty());
        QCOMPARE(ephemeral.servers.at(1).queryPort, quint16(0));
    }

    // The built trevisk-sim's master lists the servers it serves, its own address first.
    void servesAMasterOfItsServers()
    {
        QProcess sim;
        QStringList lines = started(sim, args("--engine Q3 --port 0 --count 3 --master Q3"), 4);
        QCOMPARE(lines.size(), 4);
        const QString master = lines.takeFirst();
        QVERIFY2(master.startsWith(QLatin1String("master\t127.0.0.1:")), qPrintable(master));
        QUdpSocket client;
        QVERIFY(client.bind(QHostAddress::LocalHost, 0));
        client.writeDatagram(masterRequest({MasterKind::Quake3, 68}),
                             QHostAddress::LocalHost,
                             quint16(master.section(QLatin1Char(':'), 1).toUInt()));
        QVERIFY(client.waitForReadyRead(2000));
        const MasterReply reply = readMasterReply(MasterKind::Quake3, client.receiveDatagram().data());
        QVERIFY(reply.endMark);
        QStringList listed;
        for (const ListedAddress& server : reply.servers)
            listed += QStringLiteral("Quake 3\t") + server.text();
        QCOMPARE(listed, lines);
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
    }

    // The built trevisk-sim, as the demo and benchmark scripts run it, on either family.
    void servesEveryEngineUntilSignalled_data()
    {
        QTest::addColumn<QString>("bind");
        QTest::newRow("IPv4") << QStringLiteral("127.0.0.1");
        QTest::newRow("IPv6") << QStringLiteral("::1");
    }
    void servesEveryEngineUntilSignalled()
    {
        QFETCH(QString, bind);
        QProcess sim;
        const QStringList lines = started(sim, args("--all --port 0 --delay 1-5 --bind") << bind, 9);
        QCOMPARE(lines.size(), 9);

        QUdpSocket client;
        QVERIFY(client.bind(QHostAddress(bind), 0));
        for (const QString& line : lines) {
            const QString game = line.section(QLatin1Char('\t'), 0, 0), address = line.section(QLatin1Char('\t'), 1);
            QVERIFY2(findGame(game) && hostPart(address) == bind, qPrintable(line));
            // Every request of the engine is answered from the query port the catalogue gives.
            const QList<QByteArray> requests = protocolForEngine(getEngine(game))->requests();
            for (const QByteArray& request : requests)
                client.writeDatagram(request, QHostAddress(hostPart(address)), quint16(queryPort(game, address)));
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
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void mistakesAreReported()
    {
        QProcess sim;
        sim.start(QStringLiteral(TREVISK_SIM_PATH), args("--engine Q9 --port 0"));
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("unknown engine") && sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "TestSimOptions.moc"
