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
                  QStringLiteral("--all --port 0 --delay 1-5").split(QLatin1Char(' ')));
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
            // Every request of the engine is answered from the query port the catalogue gives.
            const QList<QByteArray> requests = simtest::requestsFor(getEngine(game));
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
        sim.start(QStringLiteral(TREVISK_SIM_PATH), QStringLiteral("--engine Q9 --port 0").split(QLatin1Char(' ')));
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().contains("unknown engine"));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimCommandLine)
#include "TestSimCommandLine.moc"
