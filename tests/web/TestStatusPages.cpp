#include "web/PrometheusText.h"
#include "web/StatusPages.h"

#include <QSet>
#include <QTest>

using namespace trevisk;

class TestStatusPages : public QObject
{
    Q_OBJECT

private slots:
    // Every series of every family carries the fleet's labels, escaped; without them the text is as it was.
    void metricsCarryFleetLabels()
    {
        ServerSnapshot server;
        server.row.game = QStringLiteral("Quake 3");
        server.row.address = QStringLiteral("127.0.0.1:27960");
        server.row.ping = 20;
        server.row.playerCount = 3;
        server.row.maxPlayers = 8;
        server.row.friends = 1;
        server.state = ServerState::Up;
        server.lastAnswer = QDateTime::fromSecsSinceEpoch(1700000000);
        server.uptime = {1.0, 0.5, 0.25};
        StatusSnapshot snapshot;
        snapshot.servers = {server};
        const QByteArray plain = metricsText(snapshot);
        snapshot.labels = {{QStringLiteral("shard"), QStringLiteral("2/3")},
                           {QStringLiteral("instance"), QStringLiteral("rack \"b\"")}};
        const QByteArray labelled = metricsText(snapshot);
        QVERIFY(!plain.contains("shard=") && !plain.contains("instance="));
        // The same lines but for the labels.
        const QByteArray added = "shard=\"2/3\",instance=\"rack \\\"b\\\"\"";
        const QByteArray stripped = QByteArray(labelled).replace("," + added, "").replace("{" + added + "}", "");
        QCOMPARE(stripped, plain);

        const QHash<QString, double> samples = parseMetrics(labelled);
        QSet<QString> families;
        for (auto it = samples.begin(); it != samples.end(); ++it) {
            QVERIFY2(it.key().contains(QStringLiteral("instance=rack \"b\""))
                         && it.key().contains(QLatin1String("shard=2/3")),
                     qPrintable(it.key()));
            families.insert(it.key().section(QLatin1Char('{'), 0, 0));
        }
        QCOMPARE(families.size(), labelled.count("# TYPE "));
    }
};

QTEST_GUILESS_MAIN(TestStatusPages)
#include "TestStatusPages.moc"
