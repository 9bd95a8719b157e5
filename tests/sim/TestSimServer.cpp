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
