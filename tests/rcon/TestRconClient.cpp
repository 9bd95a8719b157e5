#include "rcon/RconClient.h"
#include "sim/SimServer.h"
#include "support/RawUdpServer.h"
#include "support/TestFiles.h"

#include <QSignalSpy>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

QByteArray capture(const char* folder, const char* file = "reply-1.bin")
{
    return readFile(QStringLiteral(TREVISK_RCON_DATA "/%1/%2").arg(QLatin1String(folder), QLatin1String(file)));
}

const QByteArray Ff(4, '\xFF');

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
        const auto text = [](const QByteArray& d) {
            const RconDatagram read = readRconDatagram(d);
            return read.kind == RconDatagram::Kind::Text ? read.text : QByteArray("<not text>");
        };
        QCOMPARE(text(capture("oa-rcon-silent")) + text(capture("qw-rcon-silent")) + text(Ff + "print"), QByteArray());
        QCOMPARE(text("print\nno header\n"), QByteArray("<not text>"));
        QCOMPARE(rconRefusal(text(capture("oa-rcon-badpass"))), QStringLiteral("Bad rconpassword."));
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
            QCOMPARE(joined(requests),
                     Ff + "challenge rcon\r\n" + Ff + "rcon " + client.challenge() + " labpass echo hello there\n");
        }

        // A long reply in several datagrams, joined without breaking its lines.
        client.send(QStringLiteral("labpass"), QStringLiteral("cvarlist"));
        QByteArray cvars;
        for (int i = 0; i < 300; ++i)
            cvars += "S     A    sim_cvar_" + QByteArray::number(i) + " \"" + QByteArray::number(i * 7) + "\"\n";
        QTRY_COMPARE_WITH_TIMEOUT(joined(replies), cvars + "300 total cvars\n", 2000);
        QVERIFY(replies.size() > 1);
        if (game == QLatin1String("Quake 3")) // as a real server took it
            QCOMPARE(requests.last().at(0).toByteArray(), capture("oa-rcon-cvarlist", "request.bin"));
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
        QTest::newRow("Half Life, challenge renewed") << "Half Life" << 1;
        QTest::newRow("Half Life, always a new one") << "Half Life" << 1000;
        QTest::newRow("Quake 3, always a challenge") << "Quake 3" << 1000;
    }
    void commandsRechallengedGoOnceMore()
    {
        QFETCH(QString, game);
        QFETCH(int, rechallenges);
        RawUdpServer server;
        int commands = 0;
        server.onRequest = [&](int number) {
            if (server.lastRequest().data().startsWith(Ff + "rcon ") && ++commands > rechallenges)
                server.reply(Ff + "print\ndone\n");
            else
                server.reply(Ff + "challenge rcon " + QByteArray::number(number) + "\n");
        };
        RconClient client;
        client.setAnswerTimeout(5s);
        QSignalSpy replies(&client, &RconClient::replied);
        QSignalSpy silence(&client, &RconClient::noAnswer);
        QVERIFY(client.open(game, server.address()));
        client.send(QStringLiteral("pw"), QStringLiteral("status"));
        QTRY_COMPARE_WITH_TIMEOUT(replies.size() + silence.size(), 1, 2000);
        QCOMPARE(replies.size(), rechallenges < 2 ? 1 : 0);
        QCOMPARE(commands, 2);
        // The command went again with the challenge that came back.
        if (game == QLatin1String("Half Life"))
            QCOMPARE(server.requests.value(2), Ff + "rcon 2 pw status\n");
    }
};

QTEST_GUILESS_MAIN(TestRconClient)
#include "TestRconClient.moc"
