#include "core/Catalogue.h"
#include "sim/SimPlan.h"
#include "sim/SimServer.h"
#include "sim/SimTestHelpers.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// A monitor's side: one socket that sends requests and collects every datagram that comes back.
class Client
{
public:
    Client()
    {
        QVERIFY(m_socket.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
            while (m_socket.hasPendingDatagrams())
                m_received += m_socket.receiveDatagram();
        });
    }

    void send(const QByteArray& request, const SimServer& server)
    {
        m_socket.writeDatagram(request, server.host(), server.queryPort());
    }

    // Runs the event loop until `count` datagrams have arrived in all.
    bool waitFor(qsizetype count)
    {
        return QTest::qWaitFor([&] { return m_received.size() >= count; }, 2000);
    }

    const QList<QNetworkDatagram>& received() const { return m_received; }

private:
    QUdpSocket m_socket;
    QList<QNetworkDatagram> m_received;
};

} // namespace

class TestSimServer : public QObject
{
    Q_OBJECT
private slots:
    void answersItsEngineOverUdp_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QByteArray>("begins");
        QTest::addColumn<int>("datagrams");
        QTest::newRow("Q2") << QStringLiteral("Q2") << QByteArray("\xFF\xFF\xFF\xFFprint\n\\") << 1;
        QTest::newRow("Q3") << QStringLiteral("Q3") << QByteArray("\xFF\xFF\xFF\xFFstatusResponse\n\\") << 1;
        QTest::newRow("QW") << QStringLiteral("QW") << QByteArray("\xFF\xFF\xFF\xFFn\\") << 1;
        QTest::newRow("HL") << QStringLiteral("HL") << QByteArray("\xFF\xFF\xFF\xFFinfostringresponse\0\\", 24) << 2;
        QTest::newRow("UT") << QStringLiteral("UT") << QByteArray("\\gamename\\ut\\") << 3;
        QTest::newRow("UT2003") << QStringLiteral("UT2003") << QByteArray("\\gamename\\ut2\\") << 3;
        QTest::newRow("HALO") << QStringLiteral("HALO") << QByteArray::fromHex("00776A9D9D") + "hostname" << 1;
        QTest::newRow("NWN") << QStringLiteral("NWN") << QByteArray::fromHex("00E0EB2D0E") + "Sim Neverwinter" << 1;
        QTest::newRow("RVS") << QStringLiteral("RVS") << QByteArray("P1 ") << 1;
    }

    // Each engine answers its own request from its query port, which lies where the catalogue
    // puts it above the game port.
    void answersItsEngineOverUdp()
    {
        QFETCH(QString, engine);
        QFETCH(QByteArray, begins);
        QFETCH(int, datagrams);
        const QString game = SimPlan::representativeGame(engine);
        SimServer server(game);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        QCOMPARE(int(server.queryPort()), queryPort(game, server.address()));
        Client client;
        for (const QByteArray& request : simtest::requestsFor(engine))
            client.send(request, server);
        QVERIFY(client.waitFor(datagrams));
        const QNetworkDatagram& first = client.received().first();
        QVERIFY2(first.data().startsWith(begins), first.data().left(40).toHex(' ').constData());
        QCOMPARE(first.senderPort(), int(server.queryPort()));
        if (engine == QLatin1String("HL"))
            QVERIFY(client.received()[1].data().startsWith("\xFF\xFF\xFF\xFF"
                                                           "D"));
        if (engine.startsWith(QLatin1String("UT")))
            QVERIFY(client.received().last().data().endsWith("\\final\\"));
    }

    // Requests of other engines are read and left unanswered: the first answer that comes back
    // is the one to the last request, its own engine's.
    void ignoresOtherEngines()
    {
        SimServer server(QStringLiteral("Quake 3"));
        QVERIFY(server.start());
        QSignalSpy requests(&server, &SimServer::requestReceived);
        Client client;
        int sent = 0;
        for (const QString& engine : SimPlan::engines()) {
            if (engine == QLatin1String("Q3"))
                continue;
            for (const QByteArray& request : simtest::requestsFor(engine)) {
                client.send(request, server);
                ++sent;
            }
        }
        client.send(simtest::Header + "getstatus\n", server);
        QTRY_COMPARE(requests.size(), sent + 1);
        QVERIFY(client.waitFor(1));
        QVERIFY(client.received()[0].data().startsWith(simtest::Header + "statusResponse\n"));
        QCOMPARE(requests.last().at(0).toByteArray(), simtest::Header + "getstatus\n");
    }

    void silentServerComesBack()
    {
        SimServer server(QStringLiteral("Quake 2"));
        QVERIFY(server.start());
        QSignalSpy requests(&server, &SimServer::requestReceived);
        QSignalSpy sent(&server, &SimServer::datagramSent);
        Client client;
        server.responder().setAnswering(false);
        client.send(simtest::Header + "status\n", server);
        QVERIFY(requests.wait(2000));
        server.responder().setAnswering(true);
        client.send(simtest::Header + "status\n", server);
        QVERIFY(client.waitFor(1));
        QCOMPARE(requests.size(), 2);
        QCOMPARE(sent.size(), 1);
    }

    void answersFromAnotherPort()
    {
        SimServer server(QStringLiteral("Quake 3"));
        QVERIFY(server.start());
        QVERIFY(server.setReplySource(QHostAddress(QHostAddress::LocalHost)));
        QVERIFY(server.replyPort() != server.queryPort());
        Client client;
        client.send(simtest::Header + "getstatus\n", server);
        QVERIFY(client.waitFor(1));
        QCOMPARE(client.received()[0].senderPort(), int(server.replyPort()));
        QVERIFY(client.received()[0].data().startsWith(simtest::Header + "statusResponse\n"));
    }

    void delayedAnswer()
    {
        SimServer server(QStringLiteral("Raven Shield"));
        QVERIFY(server.start());
        server.setDelay(40ms, 40ms);
        QSignalSpy sent(&server, &SimServer::datagramSent);
        Client client;
        QElapsedTimer timer;
        timer.start();
        client.send("REPORT", server);
        QVERIFY(sent.wait(2000));
        QVERIFY(timer.elapsed() >= 40);
        QVERIFY(client.waitFor(1));

        // An answer still waiting when the server stops is never sent.
        client.send("REPORT", server);
        QSignalSpy requests(&server, &SimServer::requestReceived);
        QVERIFY(requests.wait(2000));
        server.stop();
        QVERIFY(!sent.wait(100));
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
        const qint64 steps = changed.size();
        const qint64 moved = qAbs(qint64(server.state().players.size()) - qint64(before));
        QVERIFY(moved <= steps && moved % 2 == steps % 2);
    }

    // A second server on a taken port fails to start instead of splitting the datagrams with the first.
    void portsAreNotShared()
    {
        SimServer first(QStringLiteral("Unreal Tournament"));
        QVERIFY(first.start());
        SimServer second(QStringLiteral("Unreal Tournament"));
        QVERIFY(!second.start(QHostAddress(QHostAddress::LocalHost), first.gamePort()));
        QVERIFY(!second.errorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "TestSimServer.moc"
