#include "query/EngineProtocol.h"
#include "query/QueryEngine.h"
#include "query/ServerQuery.h"
#include "sim/SimServer.h"
#include "support/ManualClock.h"
#include "support/RawUdpServer.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

// Sends "ask" (twice when two answers make a cycle); an answer's text becomes the hostname,
// and an answer "bad" is a malformed one.
class TestProtocol : public EngineProtocol
{
public:
    explicit TestProtocol(bool gathers = false, int requests = 1)
        : m_gathers(gathers)
        , m_requests(requests)
    {}
    QList<QByteArray> requests() const override { return QList<QByteArray>(m_requests, QByteArrayLiteral("ask")); }
    bool gathers() const override { return m_gathers; }
    QByteArray partKey(const QByteArray& datagram) const override { return datagram.left(1); }
    int answersPerCycle() const override { return m_requests; }
    bool recognises(const QByteArray&) const override { return true; }
    AnswerUpdate parse(const QByteArray& answer, const QString&, const FriendList&) const override
    {
        AnswerUpdate update;
        update.hostname = QString::fromLatin1(answer);
        if (answer.startsWith("bad"))
            update.errors.append({QStringLiteral("GetPlayers()"), QStringLiteral("Malformed"), 5});
        return update;
    }

private:
    bool m_gathers;
    int m_requests;
};

class RecordingSink : public AnswerErrorSink
{
public:
    void answerError(const QString& address, const QString& text) override
    {
        reports << address + QLatin1Char('|') + text;
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
    TestProtocol m_twoAnswers{false, 2};

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

    std::unique_ptr<QueryEngine> makeEngine(const EngineProtocol& protocol,
                                            std::chrono::milliseconds refresh = 60s,
                                            std::chrono::milliseconds timeOut = 2s)
    {
        auto engine = std::make_unique<QueryEngine>(m_clock);
        engine->setProtocolResolver([&protocol](const QString&) { return &protocol; });
        QueryEngine::Timing timing;
        timing.refresh = refresh;
        timing.timeOut = timeOut;
        timing.gather = 60ms;
        engine->setTiming(timing);
        return engine;
    }

private slots:
    // The ping is the tick count between the last request and its answer, at most 9999; a tick
    // count that wrapped gives a negative difference, so 0.
    void answerIsReadWithPing()
    {
        RawUdpServer server;
        qint32 ticks = 1000;
        auto engine = makeEngine(m_plain, 60s, 300ms);
        engine->setTickSource([&ticks] { return ticks; });
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        server.onRequest = [&](int) {
            ticks += 7;
            server.reply("Lab Server");
        };
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(updates.wait(2000));
        QCOMPARE(query.hostname(), QStringLiteral("Lab Server"));
        QCOMPARE(query.lastRefresh(), m_clock.now());
        QCOMPARE(query.ping(), 7);

        // The first request goes unanswered: measured from the retry.
        server.onRequest = [&](int n) {
            ticks += 1000;
            if (n == 3)
                server.reply("late");
        };
        query.sendQuery();
        QVERIFY(updates.wait(2000));
        QCOMPARE(server.arrivals.size(), 3);
        QCOMPARE(query.ping(), 1000);

        server.onRequest = [&](int) {
            ticks += 10001;
            server.reply("slow");
        };
        query.sendQuery();
        QVERIFY(updates.wait(2000));
        QCOMPARE(query.ping(), 9999);

        ticks = std::numeric_limits<qint32>::max() - 5;
        server.onRequest = [&](int) {
            // Ten ticks later the counter has wrapped (written out: a signed overflow is undefined).
            ticks = std::numeric_limits<qint32>::min() + 4;
            server.reply("wrapped");
        };
        query.sendQuery();
        QVERIFY(updates.wait(2000));
        QCOMPARE(query.hostname(), QStringLiteral("wrapped"));
        QCOMPARE(query.ping(), 0);
    }

    // Three requests a time-out apart, TimeOut then ServerUpdate, then silence until the next round.
    void silentServerTimesOut()
    {
        RawUdpServer server;
        auto engine = makeEngine(m_plain, 400ms, Silent);
        QList<qint64> sends;
        recordSends(*engine, sends);
        ServerQuery query(*engine);
        QList<QString> events;
        connect(&query, &ServerQuery::timeOut, this, [&] { events << QStringLiteral("timeOut"); });
        connect(&query, &ServerQuery::serverUpdate, this, [&] {
            events << (query.lastRefresh().isNull() ? QStringLiteral("update, no refresh") : QStringLiteral("update"));
        });
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(server.address(), QStringLiteral("Quake 3"), 0);
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(events, (QList<QString>{QStringLiteral("timeOut"), QStringLiteral("update, no refresh")}));
        QCOMPARE(sends.size(), 3);
        QVERIFY(sends[1] - sends[0] >= 35);
        QVERIFY(sends[2] - sends[1] >= 35);
        // Counted at least, not exactly: a busy machine may let the next round begin between two looks.
        QVERIFY(timeOuts.wait(3000));
        QVERIFY(sends.size() >= 6);
        QVERIFY2(sends[3] - sends[0] >= 390, "the next round waits for its time");
        QVERIFY(sends[4] - sends[3] >= 35 && sends[5] - sends[4] >= 35);
    }

    // A refresh shorter than a cycle's tries must not restart the cycle before it ends.
    void silentServerTimesOutWithAShortRefresh()
    {
        RawUdpServer server;
        auto engine = makeEngine(m_plain, 70ms, Silent);
        ServerQuery query(*engine);
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(server.address(), QStringLiteral("Quake 3"), 0);
        QVERIFY(timeOuts.wait(2000));
        QVERIFY(timeOuts.wait(2000));
    }

    void gatheredPartsJoinInArrivalOrder()
    {
        RawUdpServer server;
        server.onRequest = [&](int) {
            for (const char* part : {"2b", "1a", "3c", "2b"})
                server.reply(part);
        };
        auto engine = makeEngine(m_gathering);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        // A game queried on its own port; the protocol is the test's.
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(updates.wait(2000));
        QCOMPARE(query.hostname(), QStringLiteral("2b1a3c"));
        QCOMPARE(updates.size(), 1);
        QCOMPARE(server.arrivals.size(), 1);
    }

    void answerFromAnotherPortIsIgnored()
    {
        RawUdpServer server;
        QUdpSocket stranger;
        QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
        server.onRequest = [&](int n) {
            const QNetworkDatagram& request = server.lastRequest();
            stranger.writeDatagram("forged", request.senderAddress(), static_cast<quint16>(request.senderPort()));
            if (n == 3)
                server.reply("real");
        };
        auto engine = makeEngine(m_plain, 60s, 300ms);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(updates.wait(2000));
        QCOMPARE(query.hostname(), QStringLiteral("real"));
        QCOMPARE(server.arrivals.size(), 3);
        QCOMPARE(updates.size(), 1);
    }

    // Datagrams from the server's own address and port are answers only while the query awaits
    // them: a flood sent while it is idle (forged, or a server gone wrong) is counted and dropped.
    void unawaitedDatagramsAreDropped_data()
    {
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("hostname");
        QTest::addColumn<int>("updates");
        QTest::newRow("one answer") << 0 << QStringLiteral("1real") << 1;
        QTest::newRow("two answers") << 1 << QStringLiteral("2real") << 2;
        QTest::newRow("gathered") << 2 << QStringLiteral("1real2real") << 1;
    }

    void unawaitedDatagramsAreDropped()
    {
        QFETCH(int, engine);
        QFETCH(QString, hostname);
        QFETCH(int, updates);
        const TestProtocol* protocols[] = {&m_plain, &m_twoAnswers, &m_gathering};
        RawUdpServer server;
        server.onRequest = [&](int n) {
            if (engine == 0)
                server.reply("1real");
            if (engine == 1)
                server.reply(n % 2 == 1 ? "1real" : "2real");
            if (engine == 2) {
                server.reply("1real");
                server.reply("2real");
            }
        };
        auto queryEngine = makeEngine(*protocols[engine]);
        ServerQuery query(*queryEngine);
        QSignalSpy updated(&query, &ServerQuery::serverUpdate);
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QTRY_COMPARE(updated.size(), updates);
        QCOMPARE(query.hostname(), hostname);

        constexpr int Flood = 300;
        for (int i = 0; i < Flood; ++i)
            server.reply("3forged " + QByteArray::number(i));
        QTRY_COMPARE(queryEngine->unawaitedDatagrams(), quint64(Flood));
        QCOMPARE(updated.size(), updates);
        QCOMPARE(query.hostname(), hostname);

        // The next query is answered as ever.
        query.sendQuery();
        QTRY_COMPARE(updated.size(), 2 * updates);
        QCOMPARE(query.hostname(), hostname);
    }

    // A refresh the owner asks for, or a new server, starts a cycle with all its tries.
    void ownerRefreshAndReuseGetFreshRetries()
    {
        RawUdpServer silent;
        auto engine = makeEngine(m_plain, 60s, Silent);
        ServerQuery query(*engine);
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(silent.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(silent.arrivals.size(), 3);
        query.sendQuery();
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(silent.arrivals.size(), 6);

        RawUdpServer other;
        query.shutdown();
        QVERIFY(query.address().isEmpty());
        query.init(other.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(2000));
        QCOMPARE(other.arrivals.size(), 3);
        QCOMPARE(silent.arrivals.size(), 6);
    }

    void shutdownStopsEveryTimer()
    {
        RawUdpServer silent;
        auto engine = makeEngine(m_plain, 50ms, Silent);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        query.init(silent.address(), QStringLiteral("Quake 3"), 0);
        QTRY_VERIFY(!silent.arrivals.isEmpty());
        query.shutdown();
        const qsizetype before = silent.arrivals.size();
        // Another query on the same engine runs on; the stopped one stays silent meanwhile.
        RawUdpServer other;
        ServerQuery witness(*engine);
        QSignalSpy witnessTimeOuts(&witness, &ServerQuery::timeOut);
        witness.init(other.address(), QStringLiteral("Quake 3"), 1);
        QVERIFY(witnessTimeOuts.wait(2000));
        QCOMPARE(silent.arrivals.size(), before);
        QCOMPARE(updates.size(), 0);
    }

    void shorterRefreshReschedulesWaitingServers()
    {
        RawUdpServer server;
        server.onRequest = [&](int) { server.reply("up"); };
        auto engine = makeEngine(m_plain, 3600s);
        ServerQuery query(*engine);
        query.init(server.address(), QStringLiteral("Quake 3"), 0);
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

    // A malformed answer is reported once per kind until the server answers well again.
    void answerErrorsAreReportedOnce()
    {
        RawUdpServer server;
        QList<QByteArray> script{"bad 1", "bad 2", "good", "bad 3"};
        server.onRequest = [&](int) { server.reply(script.takeFirst()); };
        auto engine = makeEngine(m_plain);
        RecordingSink sink;
        engine->setErrorSink(&sink);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        for (int i = 1; i < 4; ++i) {
            QTRY_COMPARE(updates.size(), i);
            query.sendQuery();
        }
        QTRY_COMPARE(updates.size(), 4);
        QCOMPARE(sink.reports.size(), 2);
        QVERIFY(sink.reports.first().startsWith(server.address()
                                                + QStringLiteral("|An error has occured in function: GetPlayers()")));
    }

    // The real Unreal protocol against a simulated server whose parts come out of order, one twice.
    // Half-Life's two answers are seen end to end by the monitor's tests.
    void unrealPartsEndToEnd()
    {
        auto engine = std::make_unique<QueryEngine>(m_clock);
        QueryEngine::Timing timing;
        timing.timeOut = 200ms;
        timing.gather = 60ms;
        engine->setTiming(timing);

        SimServer unreal(SimServerState::forGame(QStringLiteral("Unreal Tournament"), 2, 5));
        QVERIFY(unreal.start());
        unreal.responder().setPartOrder({2, 1, 3});
        unreal.responder().setRepeatedPart(1);
        ServerQuery ut(*engine);
        QSignalSpy utUpdates(&ut, &ServerQuery::serverUpdate);
        ut.init(unreal.address(), QStringLiteral("Unreal Tournament"), 1);
        QVERIFY(utUpdates.wait(2000));
        QCOMPARE(ut.numPlayers(), QStringLiteral("5"));
        QCOMPARE(ut.players()->size(), size_t(5));
        QCOMPARE(ut.hostname(), QString::fromLatin1(unreal.state().hostname));
        QCOMPARE(utUpdates.size(), 1);
    }

    // A name is looked up once for every query that waits on it and then used until it is
    // old; a name that does not resolve ends the cycle as a silent server does, and is asked
    // again next time. The resolver is the test's, so no made-up name leaves the machine.
    void hostNamesAreLookedUpAndCached()
    {
        RawUdpServer server;
        server.autoReply = "up";
        auto engine = makeEngine(m_plain, 60s, 300ms);
        QStringList lookups;
        engine->setHostResolver([&](const QString& host, std::function<void(const QHostAddress&)> done) {
            lookups << host;
            const QHostAddress address =
                host == QLatin1String("lab.example") ? QHostAddress::LocalHost : QHostAddress();
            QTimer::singleShot(0, [done, address] { done(address); });
        });
        const QString named = QStringLiteral("lab.example:%1").arg(server.port());
        ServerQuery first(*engine);
        ServerQuery second(*engine);
        QSignalSpy firstUpdates(&first, &ServerQuery::serverUpdate);
        QSignalSpy secondUpdates(&second, &ServerQuery::serverUpdate);
        first.init(named, QStringLiteral("Quake 3"), 1);
        second.init(named, QStringLiteral("Quake 3"), 1);
        QTRY_VERIFY(!firstUpdates.isEmpty() && !secondUpdates.isEmpty());
        first.sendQuery();
        QTRY_COMPARE(firstUpdates.size(), 2);
        QCOMPARE(lookups, QStringList{QStringLiteral("lab.example")});
        QueryEngine::Timing timing = engine->timing();
        timing.hostCacheAge = 0ms;
        engine->setTiming(timing);
        first.sendQuery();
        QTRY_COMPARE(firstUpdates.size(), 3);
        QCOMPARE(lookups.size(), 2);

        ServerQuery nowhere(*engine);
        QSignalSpy timeOuts(&nowhere, &ServerQuery::timeOut);
        nowhere.init(QStringLiteral("nowhere.example:27960"), QStringLiteral("Quake 3"), 1);
        QVERIFY(timeOuts.wait(5000));
        QCOMPARE(lookups.count(QStringLiteral("nowhere.example")), 3);
    }

    // The system's resolver, for a name the hosts file answers.
    void localhostIsResolved()
    {
        RawUdpServer server;
        server.autoReply = "local";
        auto engine = makeEngine(m_plain);
        ServerQuery query(*engine);
        QSignalSpy updates(&query, &ServerQuery::serverUpdate);
        query.init(QStringLiteral("localhost:%1").arg(server.port()), QStringLiteral("Quake 3"), 1);
        QVERIFY(updates.wait(5000));
        QCOMPARE(query.hostname(), QStringLiteral("local"));
    }

    void sendsArePaced()
    {
        RawUdpServer server;
        auto engine = makeEngine(m_plain);
        QList<qint64> sends;
        recordSends(*engine, sends);
        QueryEngine::Timing timing = engine->timing();
        timing.queriesPerSecond = 200;
        timing.timeOut = 5s;
        engine->setTiming(timing);
        std::vector<std::unique_ptr<ServerQuery>> queries;
        for (int i = 0; i < 30; ++i) {
            queries.push_back(std::make_unique<ServerQuery>(*engine));
            queries.back()->init(server.address(), QStringLiteral("Quake 3"), 1);
        }
        QTRY_COMPARE(server.arrivals.size(), 30);
        // 200 a second with a burst of 10: the last of thirty goes out at least 100 ms after the first.
        QCOMPARE(sends.size(), 30);
        QVERIFY(sends.last() - sends.first() >= 90);
    }
};

QTEST_GUILESS_MAIN(TestServerQuery)
#include "TestServerQuery.moc"
