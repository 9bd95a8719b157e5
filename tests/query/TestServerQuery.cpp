#include "query/EngineProtocol.h"
#include "query/QueryEngine.h"
#include "query/ServerQuery.h"
#include "query/engines/UnrealExchange.h"
#include "support/ManualClock.h"
#include "support/RawUdpServer.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <climits>
#include <functional>
#include <map>
#include <tuple>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// Sends "ask" (or the request it is given); an answer's text becomes the hostname,
// and an answer "bad" is a malformed one. A gathering one gathers parts by their "queryid".
struct TestProtocol : EngineProtocol
{
    explicit TestProtocol(bool gathers = false, const QByteArray& request = QByteArrayLiteral("ask"))
        : gathers(gathers)
        , request(request)
    {}
    QList<QByteArray> requests() const override { return {request}; }
    std::unique_ptr<EngineExchange> newExchange() const override
    {
        return gathers ? std::make_unique<UnrealExchange>(*this) : EngineProtocol::newExchange();
    }
    bool recognises(const QByteArray&) const override { return true; }
    AnswerUpdate parse(const QByteArray& answer, const QString&, const FriendList&) const override
    {
        AnswerUpdate update;
        update.hostname = QString::fromLatin1(answer);
        if (answer.startsWith("max-"))
            update.maxPlayers = QStringLiteral("-1");
        if (answer.startsWith("bad"))
            update.errors.append({QStringLiteral("GetPlayers()"), QStringLiteral("Malformed"), 5});
        return update;
    }

    const bool gathers;
    const QByteArray request;
};

struct RecordingSink : AnswerErrorSink
{
    void answerError(const QString& address, const AnswerError& error) override
    {
        reports << address + QLatin1Char('|') + error.procedure;
    }
    QStringList reports;
};

} // namespace

class TestServerQuery : public QObject
{
    Q_OBJECT
    ManualClock m_clock;
    TestProtocol m_plain;
    TestProtocol m_gathering{true};

    // Servers that answer get a time-out no busy machine reaches; silent ones a short one.
    static constexpr std::chrono::milliseconds Silent{40};

    // Sends are timed where they happen: the engine reads its tick count as each request goes out.
    static void recordSends(QueryEngine& engine, QList<qint64>& sends)
    {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        engine.setTickSource([timer, &sends] {
            sends << timer->elapsed();
            return qint32(timer->elapsed());
        });
    }

    // The test's protocol for every game, or the real ones for none.
    std::unique_ptr<QueryEngine> makeEngine(const EngineProtocol* protocol,
                                            std::chrono::milliseconds refresh = 60s,
                                            std::chrono::milliseconds timeOut = 2s,
                                            int queriesPerSecond = 0)
    {
        auto engine = std::make_unique<QueryEngine>(m_clock);
        if (protocol)
            engine->setProtocolResolver([protocol](const QString&) { return protocol; });
        engine->setTiming(
            {.refresh = refresh, .timeOut = timeOut, .gather = 60ms, .queriesPerSecond = queriesPerSecond});
        return engine;
    }

private slots:
    // The ping is the tick count between the last request and its answer, at most 9999; a tick
    // count that wrapped gives a negative difference, so 0. Each cycle measures afresh. A malformed
    // answer is reported once per kind until the server answers well again.
    void pingAndAnswerErrors()
    {
        RawUdpServer server;
        qint32 ticks = 0;
        qint32 step = 0; // ticks that pass per request
        int answered = 0;
        int inCycle = 0;
        QList<QByteArray> script{"bad 1", "bad 2", "good", "bad 3"};
        server.onRequest = [&](int) {
            ticks = qint32(quint32(ticks) + quint32(step)); // wraps as the system's count does
            if (++inCycle == answered)
                server.reply(script.takeFirst());
        };
        auto engine = makeEngine(&m_plain, 60s, 300ms);
        engine->setTickSource([&ticks] { return ticks; });
        RecordingSink sink;
        engine->setErrorSink(&sink);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        // From, ticks per request, the request answered, the ping.
        const std::tuple<qint32, qint32, int, int> cycles[] = {
            {1000, 7, 1, 7}, {1000, 1000, 3, 1000}, {1000, 10001, 1, 9999}, {INT_MAX - 5, 10, 1, 0}};
        for (const auto& [from, perRequest, answeredBy, ping] : cycles) {
            std::tie(ticks, step, answered, inCycle) = std::tuple(from, perRequest, answeredBy, 0);
            if (query.address().isEmpty())
                query.init(server.address(), QStringLiteral("Quake 3"), 1);
            else
                query.sendQuery();
            QVERIFY(updates.wait(2000));
            QCOMPARE(inCycle, answered);
            QCOMPARE(query.lastRefresh(), m_clock.now());
            QCOMPARE(query.ping(), ping);
        }
        QCOMPARE(sink.reports.size(), 2);
        QCOMPARE(sink.reports.first(), server.address() + QStringLiteral("|GetPlayers()"));
    }

    // Three requests a time-out apart, TimeOut then ServerUpdate, then silence until the next round.
    // A refresh the owner asks for, or a new server, starts a cycle with all its tries, and a refresh
    // shorter than those tries does not restart the cycle before it ends; a query shut down sends
    // nothing more while another on the same engine runs on.
    void silentServers()
    {
        RawUdpServer server;
        auto engine = makeEngine(&m_plain, 400ms, Silent);
        QList<qint64> sends;
        recordSends(*engine, sends);
        ServerQuery query(*engine);
        QStringList events;
        connect(&query, &ServerQuery::timeOut, this, [&] { events << QStringLiteral("timeOut"); });
        connect(&query, &ServerQuery::serverUpdate, this, [&] {
            events << (query.lastRefresh().isNull() ? QStringLiteral("update, no refresh") : QStringLiteral("update"));
        });
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(server.address(), QStringLiteral("Quake 3"), 0);
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(events, (QStringList{QStringLiteral("timeOut"), QStringLiteral("update, no refresh")}));
        QCOMPARE(sends.size(), 3);
        QVERIFY(sends[1] - sends[0] >= 35 && sends[2] - sends[1] >= 35);
        // Counted at least, not exactly: a busy machine may let the next round begin between two looks.
        QVERIFY(timeOuts.wait(3000));
        QVERIFY(sends.size() >= 6);
        QVERIFY2(sends[3] - sends[0] >= 390, "the next round waits for its time");
        QVERIFY(sends[4] - sends[3] >= 35 && sends[5] - sends[4] >= 35);

        RawUdpServer silent;
        query.init(silent.address(), QStringLiteral("Quake 3"), 1);
        timeOuts.clear();
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(silent.arrivals.size(), 3);
        query.sendQuery();
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(silent.arrivals.size(), 6);
        RawUdpServer other;
        engine->setRefreshInterval(50ms);
        query.shutdown();
        QVERIFY(query.address().isEmpty());
        query.init(other.address(), QStringLiteral("Quake 3"), 0);
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(other.arrivals.size(), 3);
        query.shutdown();
        ServerQuery witness(*engine);
        witness.init(silent.address(), QStringLiteral("Quake 3"), 1);
        QTRY_COMPARE(silent.arrivals.size(), 9);
        QCOMPARE(other.arrivals.size(), 3);
        QCOMPARE(timeOuts.size(), 3);
    }

    // Datagrams from the server's own address and port are answers only while the query awaits them:
    // a flood sent while it is idle (forged, or a server gone wrong) is counted and dropped. Datagrams
    // from another port are never heard. An answer with numbers no server has is a bad answer, not a
    // time-out, nothing of it is taken, and more of the same get no further hearing.
    void onlyAwaitedAnswersAreTaken()
    {
        for (const bool gathers : {false, true}) {
            const QString hostname =
                gathers ? QStringLiteral("1real\\queryid\\12real\\queryid\\2") : QStringLiteral("1real");
            RawUdpServer server;
            QUdpSocket stranger;
            QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
            QByteArray prefix = "max-";
            server.onRequest = [&](int) {
                const QNetworkDatagram& request = server.lastRequest();
                stranger.writeDatagram(
                    "4stranger", request.senderAddress(), static_cast<quint16>(request.senderPort()));
                server.reply(prefix + (gathers ? "1real\\queryid\\1" : "1real"));
                if (gathers)
                    server.reply(prefix + "2real\\queryid\\2");
            };
            auto engine = makeEngine(gathers ? &m_gathering : &m_plain, 60s, 10s);
            const auto flood = [&](int count, const QByteArray& text) {
                const quint64 before = engine->unawaitedDatagrams();
                for (int i = 0; i < count; ++i)
                    server.reply(text + QByteArray::number(i));
                QTRY_COMPARE(engine->unawaitedDatagrams(), before + count);
            };
            ServerQuery query(*engine);
            QSignalSpy updates(&query, &ServerQuery::serverUpdate);
            QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
            query.init(server.address(), QStringLiteral("Quake 3"), 1);
            QVERIFY(updates.wait(5000));
            QCOMPARE(query.state(), ServerState::BadAnswer);
            QCOMPARE(query.stateReason(), QStringLiteral("maximum -1 is impossible"));
            QVERIFY(query.hostname().isEmpty() && query.lastRefresh().isNull());
            flood(20, "max-");
            prefix.clear();
            query.sendQuery();
            QTRY_COMPARE(query.state(), ServerState::Up);
            QCOMPARE(query.hostname(), hostname);
            flood(300, "3forged ");
            // The next query is answered as ever.
            query.sendQuery();
            QTRY_COMPARE(updates.size(), 3);
            QCOMPARE(server.arrivals.size(), 3);
            QCOMPARE(timeOuts.size(), 0);
        }
    }

    // Sends are paced: 200 a second with a burst of 10, so the last of thirty goes out at least 100 ms
    // after the first. A shorter refresh reschedules the waiting servers, and a query asked for while
    // the schedule is off goes out alone. Named "localhost": the system's resolver, which the hosts
    // file answers, gives the IPv4 address.
    void sendsArePacedAndRescheduled()
    {
        RawUdpServer silent;
        auto engine = makeEngine(&m_plain, 3600s, 5s, 200);
        QList<qint64> sends;
        recordSends(*engine, sends);
        std::vector<std::unique_ptr<ServerQuery>> queries;
        for (int i = 0; i < 30; ++i) {
            queries.push_back(std::make_unique<ServerQuery>(*engine));
            queries.back()->init(silent.address(), QStringLiteral("Quake 3"), 1);
        }
        QTRY_COMPARE(silent.arrivals.size(), 30);
        QCOMPARE(sends.size(), 30);
        QVERIFY(sends.last() - sends.first() >= 90);

        RawUdpServer server;
        server.autoReply = "up";
        ServerQuery query(*engine);
        query.init(QStringLiteral("localhost:%1").arg(server.port()), QStringLiteral("Quake 3"), 0);
        QTRY_COMPARE(server.arrivals.size(), 1);
        engine->setRefreshInterval(30ms);
        QTRY_VERIFY_WITH_TIMEOUT(server.arrivals.size() >= 3, 2000);
        engine->setScheduleEnabled(false);
        const qsizetype before = server.arrivals.size();
        query.sendQuery();
        QTRY_COMPARE(server.arrivals.size(), before + 1);
        engine->setScheduleEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(server.arrivals.size() >= before + 3, 2000);
    }

    // IPv6 servers go out on the engine's IPv6 sockets and IPv4 ones on its IPv4 sockets: an IPv4
    // address in IPv6's mapped form is IPv4, and a name may resolve to either. A name is looked up
    // once for every query that waits on it and then used until it is old; one that does not resolve
    // ends the cycle as a silent server does, and is asked again next time. A closed port of either
    // family is refused at once: the port-unreachable report ends the cycle as a time-out, and the
    // sockets go on serving the other servers. Without IPv6 the server is refused with the reason,
    // not left to time out. The resolver is the test's, so no made-up name leaves the machine.
    void addressesNamesAndRefusals()
    {
        auto engine = makeEngine(&m_plain, 60s, 10s);
        QStringList lookups;
        engine->setHostResolver([&](const QString& host, std::function<void(const QHostAddress&)> done) {
            lookups << host;
            if (host == QLatin1String("six.example"))
                return done(QHostAddress(QHostAddress::LocalHostIPv6)); // at once, as a cached answer may come
            const QHostAddress address =
                host == QLatin1String("four.example") ? QHostAddress::LocalHost : QHostAddress();
            QTimer::singleShot(0, [done, address] { done(address); });
        });
        RawUdpServer four;
        RawUdpServer six(0, QHostAddress::LocalHostIPv6);
        four.autoReply = "four";
        six.autoReply = "six";
        const QString sixAddress = six.address();
        QVERIFY(sixAddress.startsWith(QLatin1String("[::1]:")));
        const QString fourNamed = QStringLiteral("four.example:%1").arg(four.port());
        const QStringList addresses{four.address(),
                                    sixAddress,
                                    QStringLiteral("[::ffff:127.0.0.1]:%1").arg(four.port()),
                                    QStringLiteral("six.example:%1").arg(six.port()),
                                    fourNamed,
                                    fourNamed};
        std::vector<std::unique_ptr<ServerQuery>> queries;
        int updates = 0;
        for (const QString& address : addresses) {
            queries.push_back(std::make_unique<ServerQuery>(*engine));
            connect(queries.back().get(), &ServerQuery::serverUpdate, this, [&] { ++updates; });
            queries.back()->init(address, QStringLiteral("Quake 3"), 1);
        }
        QTRY_COMPARE(updates, 6);
        QStringList hostnames;
        for (const auto& query : queries)
            hostnames << query->hostname();
        QCOMPARE(hostnames.join(QLatin1Char(' ')), QStringLiteral("four six four six four four"));

        QUdpSocket probe;
        QVERIFY(probe.bind(QHostAddress::LocalHostIPv6, 0));
        const quint16 closedSix = probe.localPort();
        probe.close();
        for (const QString& closed :
             {QStringLiteral("127.0.0.1:%1").arg(closedPort()), QStringLiteral("[::1]:%1").arg(closedSix)}) {
            ServerQuery refused(*engine);
            QSignalSpy timeOuts(&refused, &ServerQuery::timeOut);
            refused.init(closed, QStringLiteral("Quake 3"), 1);
            QVERIFY(timeOuts.wait(5000)); // far below the ten-second time-out of its first try
            QCOMPARE(refused.state(), ServerState::Refused);
            QVERIFY(refused.stateReason().isEmpty() && refused.lastRefresh().isNull());
            refused.sendQuery(); // the next refusal is heard as well
            QVERIFY(timeOuts.wait(5000));
        }
        QCOMPARE(engine->refusals(), quint64(4));
        QCOMPARE(engine->counters().timeOuts, quint64(4));
        // The servers that share an endpoint each have their own socket, and all are still heard.
        QCOMPARE(engine->socketCount(), 6);
        for (const auto& query : queries)
            query->sendQuery();
        QTRY_COMPARE(updates, 12);
        QCOMPARE(lookups.count(QStringLiteral("four.example")), 1);
        engine->setTiming({.refresh = 60s, .timeOut = 300ms, .gather = 60ms, .hostCacheAge = 0ms});
        queries.back()->sendQuery();
        QTRY_COMPARE(updates, 13);
        QCOMPARE(lookups.count(QStringLiteral("four.example")), 2);
        ServerQuery nowhere(*engine);
        QSignalSpy timeOuts(&nowhere, &ServerQuery::timeOut);
        nowhere.init(QStringLiteral("nowhere.example:27960"), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(5000));
        QCOMPARE(lookups.count(QStringLiteral("nowhere.example")), 3);

        auto without = makeEngine(&m_plain, 60s, 10s);
        without->setIPv6Unavailable(true);
        ServerQuery unavailable(*without);
        unavailable.init(sixAddress, QStringLiteral("Quake 3"), 1);
        QTRY_COMPARE(unavailable.state(), ServerState::Refused);
        QCOMPARE(unavailable.stateReason(), QStringLiteral("IPv6 is not available on this machine"));
        QCOMPARE(six.requests.size(), 4);
    }

    // A removed query's id goes to the next query made, and nothing the removed one left behind
    // reaches it: not its time-out, its place in the send queue, nor the name it waited for; its
    // route is the new query's own. Each query's game names its request, so one server sees the
    // order they went out in ("a" the removed query, "b" the new one, "f" others, "w" a witness
    // that times out just after the removed query would have). Paced at 50 a second, a query may
    // go out at once or wait its turn: the removed one's "a" is left out of the comparison.
    void reusedIdsStartClean()
    {
        std::map<QString, std::unique_ptr<TestProtocol>> protocols;
        for (const char* request : {"a", "b", "f", "w"})
            protocols[QLatin1String(request)] = std::make_unique<TestProtocol>(false, request);
        RawUdpServer server;
        bool answerNew = false;
        server.onRequest = [&](int) {
            if (answerNew && server.lastRequest().data() == "b")
                server.reply("up");
        };
        const QString named = QStringLiteral("name.example:%1").arg(server.port());
        enum Case
        {
            TimeOut,
            QueuedSend,
            HostWaiter
        };
        for (const Case leftBehind : {TimeOut, QueuedSend, HostWaiter}) {
            server.requests.clear();
            answerNew = false;
            auto engine =
                makeEngine(nullptr, 3600s, leftBehind == TimeOut ? 50ms : 60s, leftBehind == QueuedSend ? 50 : 0);
            engine->setProtocolResolver([&](const QString& game) { return protocols[game].get(); });
            std::function<void(const QHostAddress&)> lookedUp;
            engine->setHostResolver(
                [&](const QString&, std::function<void(const QHostAddress&)> done) { lookedUp = std::move(done); });
            std::vector<std::unique_ptr<ServerQuery>> queries;
            const auto start = [&](const char* game, int count = 1, const QString& address = QString()) {
                for (int i = 0; i < count; ++i) {
                    queries.push_back(std::make_unique<ServerQuery>(*engine));
                    queries.back()->init(address.isEmpty() ? server.address() : address, QLatin1String(game), 1);
                }
                return queries.back().get();
            };
            QByteArrayList expected;
            if (leftBehind == TimeOut) {
                start("a");
                start("w");
                queries.front().reset();
                engine->setTiming({.refresh = 3600s, .timeOut = 60s});
                start("b");
                expected = {"a", "w", "b", "f", "w"};
            } else if (leftBehind == QueuedSend) {
                start("f", 3);
                start("a");
                start("f");
                queries[3].reset();
                start("b");
                expected = {"f", "f", "f", "f", "b", "f"};
            } else {
                start("a", 1, named);
                engine->setTiming({.refresh = 3600s, .timeOut = 60s, .queriesPerSecond = 50});
                start("f", 3);
                queries.front().reset();
                start("b", 1, named);
                lookedUp(QHostAddress(QHostAddress::LocalHost));
                expected = {"f", "f", "f", "b", "f"};
            }
            ServerQuery* const reused = queries.back().get();
            start("f");
            QTRY_VERIFY(server.requests.size() - server.requests.count("a") + expected.count("a") >= expected.size());
            if (!expected.contains("a"))
                server.requests.removeAll("a");
            QCOMPARE(server.requests, expected);
            answerNew = true;
            reused->sendQuery();
            QTRY_COMPARE(reused->hostname(), QStringLiteral("up"));
            QCOMPARE(engine->socketCount(), int(queries.size()) - 1);
        }
    }

    // The exchange hears of every time-out and of what came unawaited: a Quake 3 server that stops
    // echoing loses one try, and another game of the engine, heard without the echo, asks for it once
    // its own answer echoed after a forged one was taken.
    void quake3ChallengesOverSockets()
    {
        auto engine = makeEngine(nullptr, 60s, 100ms);
        const QByteArray ff(4, '\xFF');
        RawUdpServer server;
        bool forgedAndEchoed = false;
        server.onRequest = [&](int) {
            if (forgedAndEchoed) {
                server.reply(ff + "statusResponse\n\\sv_hostname\\Forged\\sv_maxclients\\8\n");
                server.reply(ff + "statusResponse\n\\challenge\\1\\sv_hostname\\Forged\\sv_maxclients\\8\n");
            }
            // Its own answer, echoing the challenge of the request it answers when it does.
            const QByteArray request = server.lastRequest().data();
            const QByteArray challenge = forgedAndEchoed ? "\\challenge\\" + request.mid(14).trimmed() : QByteArray();
            server.reply(ff + "statusResponse\n" + challenge + "\\sv_hostname\\Lab\\sv_maxclients\\8\n1 5 \"A\"\n");
        };
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QTRY_COMPARE(updates.size(), 1);
        QCOMPARE(server.requests.size(), 2);
        query.sendQuery();
        QTRY_COMPARE(updates.size(), 2);
        QCOMPARE(server.requests.size(), 3);
        QCOMPARE(query.state(), ServerState::Up);

        forgedAndEchoed = true;
        const quint64 unawaited = engine->unawaitedDatagrams();
        ServerQuery other(*engine);
        other.init(server.address(), QStringLiteral("Call of Duty"), 1);
        QTRY_COMPARE(engine->unawaitedDatagrams(), unawaited + 2);
        QCOMPARE(other.hostname(), QStringLiteral("Forged"));
        other.sendQuery();
        QTRY_COMPARE(engine->unawaitedDatagrams(), unawaited + 4);
        QCOMPARE(other.hostname(), QStringLiteral("Lab"));
    }
};

QTEST_GUILESS_MAIN(TestServerQuery)
#include "TestServerQuery.moc"
