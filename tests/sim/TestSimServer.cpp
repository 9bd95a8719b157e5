#include "sim/SimServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace trevisk;
using namespace std::chrono_literals;

class TestSimServer : public QObject
{
    Q_OBJECT
private slots:
    void delayedAnswer()
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
        QVERIFY(sent.wait(2000));
        QVERIFY(timer.elapsed() >= 40);
        QTRY_VERIFY_WITH_TIMEOUT(client.hasPendingDatagrams(), 2000);

        // An answer still waiting when the server stops is never sent.
        client.writeDatagram("REPORT", server.host(), server.queryPort());
        QTRY_COMPARE_WITH_TIMEOUT(requests.size(), 2, 2000);
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
