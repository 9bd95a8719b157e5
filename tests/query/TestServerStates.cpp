#include "query/QueryEngine.h"
#include "query/QueryRound.h"
#include "query/ServerQuery.h"
#include "support/ManualClock.h"
#include "support/RawUdpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// A port on 127.0.0.1 where nothing listens: bound once to learn a free one, then closed.
quint16 closedPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 port = probe.localPort();
    probe.close();
    return port;
}

QByteArray q3Status(const QByteArray& maxClients, const QByteArray& players)
{
    return QByteArray(4, '\xFF') + "statusResponse\n\\sv_hostname\\Lab\\mapname\\q3dm17\\sv_maxclients\\" + maxClients
           + "\n" + players;
}

} // namespace

class TestServerStates : public QObject
{
    Q_OBJECT
    ManualClock m_clock;

    std::unique_ptr<QueryEngine> makeEngine(std::chrono::milliseconds timeOut)
    {
        auto engine = std::make_unique<QueryEngine>(m_clock);
        QueryEngine::Timing timing;
        timing.timeOut = timeOut;
        timing.refresh = 60s;
        engine->setTiming(timing);
        return engine;
    }

private slots:
    // Nothing listens: the port-unreachable report ends the cycle at once, as a time-out, and the
    // shared socket goes on serving the other servers.
    void refusedPortEndsTheCycleAtOnce()
    {
        auto engine = makeEngine(10s);
        RawUdpServer live;
        live.autoReply = q3Status("8", "3 20 \"Bob\"\n");
        ServerQuery other(*engine);
        QSignalSpy otherUpdates(&other, &ServerQuery::serverUpdate);
        other.init(live.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(otherUpdates.wait(5000));

        ServerQuery refused(*engine);
        QSignalSpy timeOuts(&refused, &ServerQuery::timeOut);
        QElapsedTimer took;
        took.start();
        refused.init(QStringLiteral("127.0.0.1:%1").arg(closedPort()), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(5000));
        QVERIFY(took.elapsed() < 5000); // far below the ten-second time-out of its first try
        QCOMPARE(refused.state(), ServerState::Refused);
        QVERIFY(refused.lastRefresh().isNull());
        QCOMPARE(engine->refusals(), quint64(1));
        QCOMPARE(engine->counters().timeOuts, quint64(1));
        QCOMPARE(engine->socketCount(), 1);

        // The next refusal and the next answer on the same socket are both heard.
        refused.sendQuery();
        QVERIFY(timeOuts.wait(5000));
        QCOMPARE(timeOuts.size(), 2);
        other.sendQuery();
        QVERIFY(otherUpdates.wait(5000));
        QCOMPARE(other.state(), ServerState::Up);
        QCOMPARE(other.players()->size(), size_t(1));
    }

    // A silent server keeps its three tries and is "no answer".
    void silentServerIsNoAnswer()
    {
        auto engine = makeEngine(20ms);
        RawUdpServer silent;
        ServerQuery query(*engine);
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(silent.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(5000));
        QCOMPARE(silent.requests.size(), 3);
        QCOMPARE(query.state(), ServerState::NoAnswer);
    }

    // Something answers, but not as its engine does, or with numbers no server has: a bad answer,
    // not a time-out, and nothing of it reaches the results. A good answer then counts as ever.
    void badAnswersAreNotTaken_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        const QByteArray ff(4, '\xFF');
        QTest::newRow("a lone zero byte")
            << "Quake 3" << QByteArray(1, '\0') << "not a Quake 3 server's answer (1 bytes)";
        QTest::newRow("65,000 letters") << "Quake 3" << QByteArray(65000, 'a') << "(65000 bytes)";
        QTest::newRow("negative maximum") << "Quake 3" << q3Status("-4", "") << "maximum -4 is impossible";
        QTest::newRow("six-digit maximum") << "Quake 3" << q3Status("100000", "") << "maximum 100000 is impossible";
        QTest::newRow("more players than slots")
            << "Quake 3" << q3Status("1", "1 5 \"A\"\n2 5 \"B\"\n") << "2 players on a server of 1";
        QTest::newRow("twenty-digit score") << "Quake 3" << q3Status("8", "12345678901234567890 5 \"A\"\n")
                                            << "score 12345678901234567890 is impossible";
        QTest::newRow("negative Unreal count")
            << "Unreal Tournament" << QByteArray("\\hostname\\U\\numplayers\\-2\\maxplayers\\8\\final\\")
            << "player count -2 is impossible";
        QTest::newRow("A2S count above maximum")
            << "Half Life"
            << ff + "I" + char(48) + "N" + '\0' + "m" + '\0' + "f" + '\0' + "g" + '\0' + QByteArray("\x46\x00", 2)
                   + char(200) + char(16) + char(0) + "dl" + char(0) + char(0) + "1" + '\0'
            << "200 players on a server of 16";
    }
    void badAnswersAreNotTaken()
    {
        QFETCH(QString, game);
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        auto engine = makeEngine(10s);
        QueryEngine::Timing timing = engine->timing();
        timing.gather = 30ms;
        engine->setTiming(timing);
        RawUdpServer server;
        const bool a2s = game == QLatin1String("Half Life");
        server.onRequest = [&](int) {
            // Only the A2S request is answered: the old queries' first try times out.
            if (!a2s || server.lastRequest().data().contains("Source Engine Query"))
                server.reply(answer);
        };
        if (a2s) {
            QueryEngine::Timing fast = engine->timing();
            fast.timeOut = 50ms;
            engine->setTiming(fast);
        }
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        // Unreal servers answer one port above the game port that is listed.
        const int gamePort = server.port() - (game == QLatin1String("Unreal Tournament") ? 1 : 0);
        query.init(QStringLiteral("127.0.0.1:%1").arg(gamePort), game, 1);
        QVERIFY(updates.wait(5000));
        QCOMPARE(query.state(), ServerState::BadAnswer);
        QVERIFY2(query.stateReason().contains(reason), qPrintable(query.stateReason()));
        QVERIFY(query.hostname().isEmpty());
        QVERIFY(query.lastRefresh().isNull());
        QCOMPARE(query.players()->size(), size_t(0));
        QCOMPARE(timeOuts.size(), 0);
        QCOMPARE(updates.size(), 1);

        if (a2s)
            return;
        // A forged flood of the same gets no further hearing; a good answer puts the server up.
        const bool unreal = game == QLatin1String("Unreal Tournament");
        for (int i = 0; i < 20 && !unreal; ++i)
            server.reply(answer);
        server.onRequest = [&](int) { server.reply(q3Status("8", "1 5 \"A\"\n")); };
        if (unreal)
            server.onRequest = [&](int) { server.reply("\\hostname\\U\\numplayers\\1\\maxplayers\\8\\final\\"); };
        query.sendQuery();
        QTRY_COMPARE(query.state(), ServerState::Up);
        QVERIFY(!query.hostname().isEmpty());
        QCOMPARE(timeOuts.size(), 0);
    }

    // One round over a refused, a silent, a bad and a good server: each says which it was.
    void roundReportsEachState()
    {
        auto engine = makeEngine(30ms);
        RawUdpServer silent;
        RawUdpServer bad;
        bad.autoReply = QByteArray(1, '\0');
        RawUdpServer good;
        good.autoReply = q3Status("8", "");
        QueryRound round(*engine);
        QSignalSpy finished(&round, &QueryRound::finished);
        const QString q3 = QStringLiteral("Quake 3");
        round.start({{q3, QStringLiteral("127.0.0.1:%1").arg(closedPort())},
                     {q3, silent.address()},
                     {q3, bad.address()},
                     {q3, good.address()}});
        QVERIFY(finished.wait(5000));
        const auto& results = round.results();
        QCOMPARE(results[0].state, ServerState::Refused);
        QCOMPARE(results[1].state, ServerState::NoAnswer);
        QCOMPARE(results[2].state, ServerState::BadAnswer);
        QVERIFY(!results[2].answered);
        QCOMPARE(results[3].state, ServerState::Up);
        QCOMPARE(results[3].hostname, QStringLiteral("Lab"));
    }
};

QTEST_GUILESS_MAIN(TestServerStates)
#include "TestServerStates.moc"
