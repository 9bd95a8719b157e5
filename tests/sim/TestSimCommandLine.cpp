#include "core/Catalogue.h"
#include "sim/SimTestHelpers.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QTest>
#include <QUdpSocket>

using namespace trevisk;

// The built trevisk-sim, as the demo and benchmark scripts run it.
class TestSimCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void servesEveryEngineUntilSignalled()
    {
        QProcess sim;
        sim.start(QStringLiteral(TREVISK_SIM_PATH),
                  {QStringLiteral("--all"),
                   QStringLiteral("--port"),
                   QStringLiteral("0"),
                   QStringLiteral("--delay"),
                   QStringLiteral("1-5")});
        QVERIFY(sim.waitForStarted());
        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out += sim.readAllStandardOutput();
                return out.count('\n') >= 9 || sim.state() == QProcess::NotRunning;
            },
            5000));
        const QStringList lines = QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);

        QUdpSocket client;
        QVERIFY(client.bind(QHostAddress::LocalHost, 0));
        for (const QString& line : lines) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            QCOMPARE(fields.size(), 2);
            const QString& game = fields[0];
            const QString& address = fields[1];
            QVERIFY2(findGame(game), qPrintable(game));
            QCOMPARE(hostPart(address), QStringLiteral("127.0.0.1"));
            const QByteArray request = simtest::requestsFor(getEngine(game)).first();
            client.writeDatagram(request, QHostAddress(hostPart(address)), quint16(queryPort(game, address)));
            QVERIFY2(client.waitForReadyRead(2000), qPrintable(line));
            const QNetworkDatagram answer = client.receiveDatagram();
            QCOMPARE(answer.senderPort(), queryPort(game, address));
            while (client.waitForReadyRead(50)) // the rest of a multi-part answer
                client.receiveDatagram();
        }

        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    void mistakesAreReported()
    {
        QProcess sim;
        sim.start(QStringLiteral(TREVISK_SIM_PATH),
                  {QStringLiteral("--engine"), QStringLiteral("Q9"), QStringLiteral("--port"), QStringLiteral("0")});
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("unknown engine"));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimCommandLine)
#include "TestSimCommandLine.moc"
