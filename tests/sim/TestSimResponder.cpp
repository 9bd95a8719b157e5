#include "players/FriendList.h"
#include "query/EngineProtocol.h"
#include "query/engines/AnswerText.h"
#include "sim/SimPlan.h"
#include "sim/SimResponder.h"
#include "sim/SimServer.h"
#include "support/TestFiles.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

#include <set>

// The simulator is held to captures and to the monitor's own requests and parsers, which the
// query tests hold to captures and hand-written bytes; the simulator shares no code with them.
using namespace trevisk;
using namespace std::chrono_literals;

namespace {

constexpr quint32 Loopback = 0x7F000001;
const QByteArray Header(4, '\xFF');

QByteArray capture(const char* exchange, const char* file)
{
    return readFile(QStringLiteral(SIM_TEST_DATA "/%1/%2").arg(QLatin1String(exchange), QLatin1String(file)));
}

// The captured request gets the captured reply, byte for byte.
void answersAsCaptured(SimResponder& server, const char* exchange)
{
    QCOMPARE(server.respond(capture(exchange, "request.bin"), Loopback),
             QList<QByteArray>{capture(exchange, "reply-1.bin")});
}

SimResponder responderFor(const QString& engine)
{
    SimServerState state = SimServerState::forGame(SimPlan::representativeGame(engine));
    state.gamePort = 27000;
    state.address = "127.0.0.1:27000";
    return SimResponder(state);
}

// A name as the monitor shows it: QuakeWorld's gold letters plain, colour codes gone.
QString plain(QByteArray name)
{
    for (char& c : name)
        c = char(c & 0x7F);
    return QString::fromLatin1(name).remove(QRegularExpression(QStringLiteral("\\^.")));
}

} // namespace

class TestSimResponder : public QObject
{
    Q_OBJECT
private slots:
    void quakeAnswersMatchCaptures()
    {
        SimServerState q3 = SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0);
        q3.hostname = "Lab ^3Open^7Arena";
        q3.map = "oa_dm1";
        q3.maxPlayers = 12;
        q3.players = {{"^1Red^7Sarge", 0, 0}, {"Angelyss", 1, 0}, {"Grism", 0, 0}, {"Major", 1, 0}};
        SimResponder arena(q3);
        arena.setTimestamp("2026-12-06 21:35:21");
        answersAsCaptured(arena, "oa-getstatus");
        arena.state().players.clear();
        arena.state().map = "oa_dm2";
        arena.setTimestamp("2026-12-06 21:50:38");
        answersAsCaptured(arena, "oa-getstatus-empty");
        // The argument of getstatus comes back first in the information line.
        QVERIFY(arena.respond(Header + "getstatus 7f3a09\n", Loopback)
                    .value(0)
                    .startsWith(Header + "statusResponse\n\\challenge\\7f3a09\\com_protocol\\71\\"));

        SimServerState qw = SimServerState::forGame(QStringLiteral("QuakeWorld"), 1, 0);
        qw.hostname = "Lab ^1QW^7 mvdsv";
        qw.map = "lab1";
        qw.maxPlayers = 8;
        qw.players = {{"Alpha", 0, 999}, {"\xC7\xEF\xEC\xE4 Bravo", 0, 999}, {"Quote", 0, 999, 0, "", 0, 0}};
        SimResponder world(qw);
        answersAsCaptured(world, "qw-status");
    }

    void rconMatchesCaptures_data()
    {
        QTest::addColumn<QString>("game");
        for (const char* exchange :
             {"oa-rcon-badpass", "oa-rcon-silent", "oa-rcon-unknowncmd", "qw-rcon-badpass", "qw-rcon-silent"})
            QTest::newRow(exchange) << QString::fromLatin1(exchange[0] == 'o' ? "Quake 3" : "QuakeWorld");
    }

    void rconMatchesCaptures()
    {
        QFETCH(QString, game);
        SimServerState state = SimServerState::forGame(game);
        state.rconPassword = "labpass";
        SimResponder server(state);
        answersAsCaptured(server, QTest::currentDataTag());
    }

    // Each answer reads back right with the monitor's parsers: values, every player's name and score.
    void answersReadByTheMonitor()
    {
        for (const QString& engine : SimPlan::engines()) {
            SimResponder server = responderFor(engine);
            server.state().players = SimServerState::makePlayers(engine, 11); // Unreal: two player parts
            const SimServerState& s = server.state();
            const EngineProtocol* protocol = protocolForEngine(engine);
            AnswerUpdate read;
            for (const QByteArray& request : protocol->requests()) {
                const QList<QByteArray> answers = server.respond(request, Loopback);
                QByteArray answer = answers.value(0);
                if (protocol->gathers()) {
                    QCOMPARE(answers.size(), 4);
                    for (qsizetype k = 0; k < answers.size(); ++k)
                        QCOMPARE(getKeyValue(answers[k], "queryid"), "1." + QByteArray::number(k + 1));
                    answer = answers.join();
                    QVERIFY(answer.endsWith("\\final\\"));
                }
                const AnswerUpdate update = protocol->parse(answer, SimPlan::representativeGame(engine), FriendList());
                QVERIFY2(update.errors.isEmpty() && protocol->recognises(answer), qPrintable(engine));
                for (auto field : {&AnswerUpdate::hostname,
                                   &AnswerUpdate::map,
                                   &AnswerUpdate::maxPlayers,
                                   &AnswerUpdate::numPlayers}) {
                    if (update.*field)
                        read.*field = update.*field;
                }
                if (update.playersChanged)
                    read.players = update.players;
            }
            const QString count = QString::number(s.players.size());
            QCOMPARE(read.hostname, plain(s.hostname));
            QCOMPARE(read.maxPlayers, QString::number(s.maxPlayers));
            QCOMPARE(read.numPlayers.value_or(count), count);
            if (engine == QLatin1String("NWN")) // its answer has no map nor player rows
                continue;
            QCOMPARE(read.map, QString::fromLatin1(s.map));
            QVERIFY2(read.players && read.players->size() == s.players.size(), qPrintable(engine));
            for (size_t i = 0; i < s.players.size(); ++i) {
                QCOMPARE(read.players->at(i).name, plain(s.players[i].name));
                QCOMPARE(read.players->at(i).score, QString::number(s.players[i].score));
            }
        }
    }

    void lostDatagrams()
    {
        SimResponder every = responderFor(QStringLiteral("Q3"));
        every.setDropEvery(3);
        QList<int> answered;
        for (int i = 1; i <= 7; ++i) {
            if (!every.respond(Header + "getstatus\n", Loopback).isEmpty())
                answered += i;
        }
        QCOMPARE(answered, (QList<int>{1, 2, 4, 5, 7}));
        QCOMPARE(every.droppedCount(), 2);

        // A seeded probability loses the same datagrams on every run.
        const auto pattern = [](quint32 seed) {
            SimResponder server(SimServerState::forGame(QStringLiteral("Quake 2")), seed);
            server.setDropProbability(0.5);
            QList<bool> kept;
            for (int i = 0; i < 200; ++i)
                kept += !server.respond(Header + "status\n", Loopback).isEmpty();
            return kept;
        };
        const QList<bool> first = pattern(7);
        QCOMPARE(pattern(7), first);
        QVERIFY(pattern(8) != first);
        QVERIFY(first.count(true) > 60 && first.count(true) < 140);
    }

    void playersComeAndGo()
    {
        SimServerState state = SimServerState::forGame(QStringLiteral("Quake 3"), 1, 2);
        state.maxPlayers = 3;
        SimResponder server(state, 5);
        for (int step = 0; step < 200; ++step) {
            const size_t before = server.state().players.size();
            server.churn(1s);
            const size_t after = server.state().players.size();
            QVERIFY((after == before + 1 || after + 1 == before) && after <= 3);
            std::set<QByteArray> names;
            for (const SimPlayer& p : server.state().players)
                names.insert(p.name);
            QCOMPARE(names.size(), after);
        }

        // Without a timer, the steps that fit since the last call are caught up.
        SimResponder lazy(SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0), 3);
        lazy.setChurnInterval(100ms);
        lazy.advanceTo(1000ms);
        QVERIFY(lazy.state().players.empty());
        lazy.advanceTo(1150ms);
        QCOMPARE(lazy.state().players.size(), size_t(1)); // the first step can only be a join
        lazy.advanceTo(1199ms);
        QCOMPARE(lazy.state().players.size(), size_t(1));
    }

    // The server on its socket: answers held back by the delay option, players on a timer, ports.
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
        QVERIFY(sent.wait(2000) && timer.elapsed() >= 40);
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
        QVERIFY(!second.start(QHostAddress(QHostAddress::LocalHost), first.gamePort())
                && !second.errorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSimResponder)
#include "TestSimResponder.moc"
