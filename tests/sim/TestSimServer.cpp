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
