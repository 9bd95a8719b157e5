#include "rcon/RconClient.h"
#include "sim/SimServer.h"
#include "support/RawUdpServer.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

QByteArray capture(const QString& folder, const QString& file)
{
    return readFile(QStringLiteral(TREVISK_RCON_DATA "/") + folder + QLatin1Char('/') + file);
}

// Every text the client handed on, joined in order.
QByteArray joined(const QSignalSpy& spy)
{
    QByteArray out;
    for (const QList<QVariant>& call : spy)
        out += call.at(0).toByteArray();
    return out;
}

} // namespace

class TestRconClient : public QObject
{
    Q_OBJECT

private slots:
    // Captured replies that print nothing, refusals only on their own first line, and the edges
    // the simulated engines below do not reach.
    void readsEveryFraming()
    {
        const QByteArray ff(4, '\xFF');
        const auto text = [](const QByteArray& d) {
            const RconDatagram read = readRconDatagram(d);
            return read.kind == RconDatagram::Kind::Text ? read.text : QByteArray("<not text>");
        };
        QCOMPARE(text(capture(QStringLiteral("oa-rcon-silent"), QStringLiteral("reply-1.bin"))), QByteArray());
        QCOMPARE(text(capture(QStringLiteral("qw-rcon-silent"), QStringLiteral("reply-1.bin"))), QByteArray());
        QCOMPARE(text(ff + "print"), QByteArray());
        QCOMPARE(text("print\nno header\n"), QByteArray("<not text>"));
        QCOMPARE(rconRefusal(text(capture(QStringLiteral("oa-rcon-badpass"), QStringLiteral("reply-1.bin")))),
                 QStringLiteral("Bad rconpassword."));
        QVERIFY(rconRefusal("Bad rconpassword. is a fine map name\n").isEmpty());

        // The game's port when the address has none; a port out of range is no target.
        QCOMPARE(rconTarget(QStringLiteral("Quake 3"), QStringLiteral("host"))->port, quint16(27960));
        QCOMPARE(rconTarget(QStringLiteral("QuakeWorld"), QStringLiteral("h:27501"))->port, quint16(27501));
        QVERIFY(!rconTarget(QStringLiteral("Quake 3"), QStringLiteral("h:99999")));
    }

    void talksToEveryEngine_data()
    {
        QTest::addColumn<QString>("game");
        for (const char* game : {"Quake 2", "Quake 3", "QuakeWorld", "Half Life"})
            QTest::newRow(game) << QString::fromLatin1(game);
    }
    void talksToEveryEngine()
    {
        QFETCH(QString, game);
        SimServer server(game);
        server.state().rconPassword = "labpass";
        QVERIFY(server.start());
        QSignalSpy requests(&server, &SimServer::requestReceived);
        RconClient client;
        QSignalSpy replies(&client, &RconClient::replied);
        QVERIFY(client.open(game, server.address()));
        // Sent at once: Half-Life's command waits for the challenge it needs.
        client.send(QStringLiteral("labpass"), QStringLiteral("echo hello there"));
        QVERIFY(replies.wait(2000));
        QCOMPARE(replies.takeFirst().at(0).toByteArray(), QByteArray("hello there\n"));
        if (client.dialect() == RconDialect::HalfLife) {
            QVERIFY(!client.challenge().isEmpty());
            QCOMPARE(requests.size(), 2);
            QCOMPARE(requests.at(0).at(0).toByteArray(), QByteArray(4, '\xFF') + "challenge rcon\r\n");
            QCOMPARE(requests.at(1).at(0).toByteArray(),
                     QByteArray(4, '\xFF') + "rcon " + client.challenge() + " labpass echo hello there\n");
        }

        // A long reply in several datagrams, joined without breaking its lines.
        client.send(QStringLiteral("labpass"), QStringLiteral("cvarlist"));
        QTRY_VERIFY_WITH_TIMEOUT(joined(replies).endsWith("300 total cvars\n"), 2000);
        QVERIFY(replies.size() > 1);
        const QList<QByteArray> lines = joined(replies).split('\n');
        QCOMPARE(lines.size(), 302);
        if (game == QLatin1String("Quake 3")) // as a real server took it
            QCOMPARE(requests.last().at(0).toByteArray(),
                     capture(QStringLiteral("oa-rcon-cvarlist"), QStringLiteral("request.bin")));
        for (int i = 0; i < 300; ++i)
            QCOMPARE(lines.at(i),
                     "S     A    sim_cvar_" + QByteArray::number(i) + " \"" + QByteArray::number(i * 7) + '"');
    }

    void repliesFromElsewhereAreIgnored()
    {
        SimServer server(QStringLiteral("Quake 3"));
        server.state().rconPassword = "pw";
        QVERIFY(server.start());
        QVERIFY(server.setReplySource(QHostAddress(QHostAddress::LocalHost)));
        QSignalSpy sent(&server, &SimServer::datagramSent);
        RconClient client;
        client.setAnswerTimeout(200ms);
        QSignalSpy replies(&client, &RconClient::replied);
        QSignalSpy silence(&client, &RconClient::noAnswer);
        QVERIFY(client.open(QStringLiteral("Quake 3"), server.address()));
        client.send(QStringLiteral("pw"), QStringLiteral("echo hi"));
        QVERIFY(silence.wait(2000));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(replies.size(), 0);
    }

    // A server that answers a command with a new challenge gets it once more with that challenge;
    // one that keeps doing so has not answered, where the client used to wait for ever.
    void commandsRechallengedGoOnceMore_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<int>("rechallenges");
        QTest::addColumn<int>("commandsSent");
        QTest::newRow("Half Life, challenge renewed") << "Half Life" << 1 << 2;
        QTest::newRow("Half Life, always a new one") << "Half Life" << 1000 << 2;
        QTest::newRow("Quake 3, always a challenge") << "Quake 3" << 1000 << 2;
    }
    void commandsRechallengedGoOnceMore()
    {
        QFETCH(QString, game);
        QFETCH(int, rechallenges);
        QFETCH(int, commandsSent);
        const QByteArray ff(4, '\xFF');
        RawUdpServer server;
        int commands = 0;
        server.onRequest = [&](int number) {
            const QByteArray challenge = ff + "challenge rcon " + QByteArray::number(number) + "\n";
            if (!server.lastRequest().data().startsWith(ff + "rcon "))
                server.reply(challenge);
            else if (++commands <= rechallenges)
                server.reply(challenge);
            else
                server.reply(ff + "print\ndone\n");
        };
        RconClient client;
        client.setAnswerTimeout(5s);
        QSignalSpy replies(&client, &RconClient::replied);
        QSignalSpy silence(&client, &RconClient::noAnswer);
        QVERIFY(client.open(game, server.address()));
        client.send(QStringLiteral("pw"), QStringLiteral("status"));
        QTRY_COMPARE_WITH_TIMEOUT(replies.size() + silence.size(), 1, 2000);
        QCOMPARE(replies.size(), rechallenges < commandsSent ? 1 : 0);
        QCOMPARE(commands, commandsSent);
        // The command went again with the challenge that came back.
        if (game == QLatin1String("Half Life"))
            QCOMPARE(server.requests.value(2), ff + "rcon 2 pw status\n");
    }

    void closedPortIsRefused()
    {
        const quint16 port = closedPort();
        for (const char* game : {"Quake 3", "Half Life"}) {
            RconClient client;
            QSignalSpy refused(&client, &RconClient::refused);
            QSignalSpy silence(&client, &RconClient::noAnswer);
            QVERIFY(client.open(QString::fromLatin1(game), QStringLiteral("127.0.0.1:%1").arg(port)));
            client.send(QStringLiteral("pw"), QStringLiteral("status"));
            QVERIFY2(refused.wait(2000), game);
            QCOMPARE(silence.size(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestRconClient)
#include "TestRconClient.moc"
