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

using namespace trevisk;
using namespace std::chrono_literals;

// The simulator's options, then the built trevisk-sim run on them.
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
        QCOMPARE(options->port, 7777);
        QCOMPARE(options->count, 5);
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

        const auto all = SimOptions::parse(args("--all --port 0"), error);
        QVERIFY(all);
        QCOMPARE(all->games.size(), 9);
    }

    void commandLineMistakes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no port") << args("--engine Q3");
        QTest::newRow("unknown engine") << args("--engine Q4");
        QTest::newRow("backwards delay") << args("--all --port 1 --delay 200-100");
        QTest::newRow("outside address") << args("--all --port 1 --reply-from 10.0.0.1");
        QTest::newRow("outside bind") << args("--all --port 1 --bind 10.0.0.1");
        QTest::newRow("IPv6 bind, IPv4 master") << args("--all --port 1 --bind ::1 --master Q3");
        QTest::newRow("unknown option") << args("--all --fast");
        QTest::newRow("unknown master fault") << args("--all --port 1 --master Q3 --master-fault rude");
    }

    void commandLineMistakes()
    {
        QFETCH(QStringList, arguments);
        QString error;
        QVERIFY(!SimOptions::parse(arguments, error));
        QVERIFY(!error.isEmpty());
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
            const QStringList fields = line.split(QLatin1Char('\t'));
            QCOMPARE(fields.size(), 2);
            const QString& game = fields[0];
            const QString& address = fields[1];
            QVERIFY2(findGame(game), qPrintable(game));
            QCOMPARE(hostPart(address), bind);
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
        QVERIFY(sim.readAllStandardError().contains("unknown engine"));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "TestSimOptions.moc"
