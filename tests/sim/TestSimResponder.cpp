#include "players/FriendList.h"
#include "query/EngineProtocol.h"
#include "query/engines/A2sProtocol.h"
#include "sim/SimAnswers.h"
#include "sim/SimPlan.h"
#include "sim/SimResponder.h"
#include "sim/SimTestHelpers.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <set>

using namespace trevisk;
using namespace std::chrono_literals;

namespace {

constexpr quint32 Loopback = 0x7F000001;

QByteArray capture(const QString& folder, const QString& file)
{
    QFile f(QStringLiteral(SIM_TEST_DATA "/") + folder + QLatin1Char('/') + file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing capture %s/%s", qPrintable(folder), qPrintable(file));
    return f.readAll();
}

SimPlayer player(const QByteArray& name, int score, int ping)
{
    SimPlayer p;
    p.name = name;
    p.score = score;
    p.ping = ping;
    return p;
}

SimResponder responderFor(const QString& engine)
{
    SimServerState state = SimServerState::forGame(SimPlan::representativeGame(engine));
    state.gamePort = 27000;
    state.address = "127.0.0.1:27000";
    return SimResponder(state);
}

QByteArray joined(const QList<QByteArray>& datagrams)
{
    QByteArray out;
    for (const QByteArray& d : datagrams)
        out += d;
    return out;
}

} // namespace

class TestSimResponder : public QObject
{
    Q_OBJECT
private slots:
    // The Quake 3 and QuakeWorld answers are those of the real servers, byte for byte.
    void quakeAnswersMatchCaptures()
    {
        SimServerState q3 = SimServerState::forGame(QStringLiteral("Quake 3"), 1, 0);
        q3.hostname = "Lab ^3Open^7Arena";
        q3.map = "oa_dm1";
        q3.maxPlayers = 12;
        q3.players = {
            player("^1Red^7Sarge", 0, 0), player("Angelyss", 1, 0), player("Grism", 0, 0), player("Major", 1, 0)};
        SimResponder arena(q3);
        arena.setTimestamp("2026-12-06 21:35:21");
        QCOMPARE(arena.respond(capture(QStringLiteral("oa-getstatus"), QStringLiteral("request.bin")), Loopback),
                 QList<QByteArray>{capture(QStringLiteral("oa-getstatus"), QStringLiteral("reply-1.bin"))});

        arena.state().players.clear();
        arena.state().map = "oa_dm2";
        arena.setTimestamp("2026-12-06 21:50:38");
        QCOMPARE(arena.respond(capture(QStringLiteral("oa-getstatus-empty"), QStringLiteral("request.bin")), Loopback),
                 QList<QByteArray>{capture(QStringLiteral("oa-getstatus-empty"), QStringLiteral("reply-1.bin"))});

        SimServerState qw = SimServerState::forGame(QStringLiteral("QuakeWorld"), 1, 0);
        qw.hostname = "Lab ^1QW^7 mvdsv";
        qw.map = "lab1";
        qw.maxPlayers = 8;
        qw.players = {player("Alpha", 0, 999), player("\xC7\xEF\xEC\xE4 Bravo", 0, 999), player("Quote", 0, 999)};
        qw.players[2].skin = "";
        qw.players[2].topColour = 0;
        qw.players[2].bottomColour = 0;
        SimResponder world(qw);
        QCOMPARE(world.respond(capture(QStringLiteral("qw-status"), QStringLiteral("request.bin")), Loopback),
                 QList<QByteArray>{capture(QStringLiteral("qw-status"), QStringLiteral("reply-1.bin"))});
    }

    void rconMatchesCaptures_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("folder");
        for (const char* folder : {"oa-rcon-badpass", "oa-rcon-silent", "oa-rcon-unknowncmd"})
            QTest::newRow(folder) << QStringLiteral("Quake 3") << QString::fromLatin1(folder);
        for (const char* folder : {"qw-rcon-badpass", "qw-rcon-silent"})
            QTest::newRow(folder) << QStringLiteral("QuakeWorld") << QString::fromLatin1(folder);
    }

    void rconMatchesCaptures()
    {
        QFETCH(QString, game);
        QFETCH(QString, folder);
        SimServerState state = SimServerState::forGame(game);
        state.rconPassword = "labpass";
        SimResponder server(state);
        QCOMPARE(server.respond(capture(folder, QStringLiteral("request.bin")), Loopback),
                 QList<QByteArray>{capture(folder, QStringLiteral("reply-1.bin"))});
    }

    void rconCommands()
    {
        SimServerState state = SimServerState::forGame(QStringLiteral("Quake 3"));
        state.rconPassword = "pw";
        SimResponder server(state);
        QCOMPARE(server.respond(simtest::Header + "rcon pw echo hello there\n", Loopback),
                 QList<QByteArray>{simtest::Header + "print\nhello there\n"});
        QVERIFY(server.respond(simtest::Header + "rcon \"pw\" map q3dm6\n", Loopback).size() == 1);
        QCOMPARE(server.state().map, QByteArray("q3dm6"));

        // Long output comes in several datagrams, each framed by itself.
        const QList<QByteArray> list = server.respond(simtest::Header + "rcon pw cvarlist\n", Loopback);
        QVERIFY(list.size() > 3);
        for (const QByteArray& d : list)
            QVERIFY(d.startsWith(simtest::Header + "print\n") && d.size() <= 1010);

        SimServerState none = SimServerState::forGame(QStringLiteral("Quake 3"));
        QCOMPARE(SimResponder(none).respond(simtest::Header + "rcon  status\n", Loopback),
                 QList<QByteArray>{simtest::Header + "print\nNo rconpassword set on the server.\n"});
    }

    // Half-Life hands out a challenge first; a command must carry it.
    void halfLifeRconNeedsTheChallenge()
    {
        SimServerState state = SimServerState::forGame(QStringLiteral("Half Life"));
        state.rconPassword = "pw";
        SimResponder server(state);
        const QList<QByteArray> reply = server.respond(simtest::Header + "challenge rcon\r\n", Loopback);
        QCOMPARE(reply.size(), 1);
        QVERIFY(reply[0].startsWith(simtest::Header + "challenge rcon "));
        const QByteArray challenge = reply[0].mid(19).replace('\n', "").replace('\0', "");
        QVERIFY(challenge.size() >= 9);
        QCOMPARE(server.challengeFor(Loopback), challenge);
        QVERIFY(server.challengeFor(Loopback + 1) != challenge);

        QCOMPARE(server.respond(simtest::Header + "rcon " + challenge + " pw echo hi\n", Loopback),
                 QList<QByteArray>{simtest::Header + "lhi\n" + '\0'});
        QCOMPARE(server.respond(simtest::Header + "rcon " + challenge + " wrong echo hi\n", Loopback),
                 QList<QByteArray>{simtest::Header + "lBad rcon_password.\n" + '\0'});
        // Without a challenge, or another address's, the password does not help.
        QCOMPARE(server.respond(simtest::Header + "rcon  pw echo hi\n", Loopback),
                 QList<QByteArray>{simtest::Header + "lBad challenge.\n" + '\0'});
        QCOMPARE(server.respond(simtest::Header + "rcon " + challenge + " pw echo hi\n", Loopback + 1),
                 QList<QByteArray>{simtest::Header + "lBad challenge.\n" + '\0'});
    }

    // Today's Half-Life server: A2S behind its per-address challenge, the old queries only when
    // asked to keep them. Its split replies are read end to end by the query tests.
    void halfLifeA2s()
    {
        SimResponder server = responderFor(QStringLiteral("HL"));
        SimResponder::A2sBehaviour behaviour;
        behaviour.only = true;
        server.setA2s(behaviour);
        QVERIFY(server.respond(simtest::Header + "infostring\n", Loopback).isEmpty());
        const QByteArray challenge = server.a2sChallengeFor(Loopback);
        QVERIFY(server.a2sChallengeFor(Loopback + 1) != challenge);
        for (const auto query : {a2s::Query::Info, a2s::Query::Players, a2s::Query::Rules}) {
            QCOMPARE(server.respond(a2s::request(query, std::nullopt), Loopback),
                     QList<QByteArray>{simtest::Header + 'A' + challenge});
            QVERIFY(a2s::replyKind(server.respond(a2s::request(query, challenge), Loopback).value(0)) == query);
        }
    }

    // A server answers its own engine's requests only; Quake 2 and QuakeWorld send the same bytes.
    void otherEnginesRequestsGetNoAnswer()
    {
        const QStringList engines = SimPlan::engines();
        for (const QString& engine : engines) {
            for (const QString& other : engines) {
                SimResponder server = responderFor(engine);
                for (const QByteArray& request : simtest::requestsFor(other)) {
                    const bool same = simtest::requestsFor(engine).contains(request);
                    QVERIFY2(server.respond(request, Loopback).isEmpty() != same,
                             qPrintable(engine + QStringLiteral(" <- ") + other));
                }
            }
        }
        QVERIFY(responderFor(QStringLiteral("Q3")).respond(QByteArray(), Loopback).isEmpty());
        // ioquake3 also answers the short info query that other tools send first.
        const QList<QByteArray> info =
            responderFor(QStringLiteral("Q3")).respond("\xFF\xFF\xFF\xFFgetinfo xyz\n", Loopback);
        QCOMPARE(info.size(), 1);
        QVERIFY(info.first().startsWith("\xFF\xFF\xFF\xFFinfoResponse\n\\challenge\\xyz\\"));
        QVERIFY(responderFor(QStringLiteral("HALO")).respond("\xFE\xFD", Loopback).isEmpty());
        QVERIFY(responderFor(QStringLiteral("NWN"))
                    .respond(QByteArray::fromHex("FEFD00E0EB2D0E14010B"), Loopback)
                    .isEmpty());
    }

    // Each answer reads back right with the monitor's own parsers, which TestEngines holds to
    // captured and hand-made answers: values, and every player's name and score.
    void answersReadByTheMonitor()
    {
        for (const QString& engine : SimPlan::engines()) {
            SimResponder server = responderFor(engine);
            const SimServerState& s = server.state();
            server.state().players = SimServerState::makePlayers(engine, 11); // Unreal: two player parts
            const QString game = SimPlan::representativeGame(engine);
            const EngineProtocol* protocol = protocolForEngine(engine);
            AnswerUpdate read;
            for (const QByteArray& request : simtest::requestsFor(engine)) {
                const QList<QByteArray> answers = server.respond(request, Loopback);
                if (engine.startsWith(QLatin1String("UT"))) {
                    QCOMPARE(answers.size(), 4);
                    for (qsizetype k = 0; k < answers.size(); ++k)
                        QCOMPARE(simtest::keyValue(answers[k], "queryid"), "1." + QByteArray::number(k + 1));
                    QVERIFY(answers.last().endsWith("\\final\\"));
                }
                const AnswerUpdate update =
                    protocol->parse(protocol->gathers() ? joined(answers) : answers.value(0), game, FriendList());
                QVERIFY2(update.errors.isEmpty(), qPrintable(engine));
                QVERIFY2(protocol->recognises(protocol->gathers() ? joined(answers) : answers.value(0)),
                         qPrintable(engine));
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
            QCOMPARE(read.hostname, QString::fromLatin1(s.hostname).remove(QRegularExpression(QStringLiteral("\\^."))));
            QCOMPARE(read.maxPlayers, QString::number(s.maxPlayers));
            if (engine != QLatin1String("NWN")) // its answer has no map nor player rows
                QCOMPARE(read.map, QString::fromLatin1(s.map));
            if (read.numPlayers)
                QCOMPARE(*read.numPlayers, QString::number(s.players.size()));
            if (engine == QLatin1String("NWN"))
                continue;
            QVERIFY2(read.players && read.players->size() == s.players.size(), qPrintable(engine));
            for (size_t i = 0; i < s.players.size(); ++i) {
                QByteArray name = s.players[i].name;
                for (char& c : name) // QuakeWorld's gold letters read as plain ones
                    c = char(c & 0x7F);
                QCOMPARE(read.players->at(i).name,
                         QString::fromLatin1(name).remove(QRegularExpression(QStringLiteral("\\^."))));
                QCOMPARE(read.players->at(i).score, QString::number(s.players[i].score));
            }
        }
    }

    void unrealPartsOutOfOrderAndRepeated()
    {
        SimResponder ut = responderFor(QStringLiteral("UT"));
        ut.setPartOrder({2, 1, 9});
        ut.setRepeatedPart(1);
        QList<QByteArray> ids;
        for (const QByteArray& part : ut.respond("\\status\\\r\n", Loopback))
            ids += simtest::keyValue(part, "queryid");
        QCOMPARE(ids, (QList<QByteArray>{"1.2", "1.1", "1.1", "1.3"}));
        // Each query has its own id.
        QCOMPARE(simtest::keyValue(ut.respond("\\status\\\r\n", Loopback).value(0), "queryid"), "2.2");
    }

    void lostDatagrams()
    {
        SimResponder every = responderFor(QStringLiteral("Q3"));
        every.setDropEvery(3);
        QList<int> answered;
        for (int i = 1; i <= 7; ++i) {
            if (!every.respond(simtest::Header + "getstatus\n", Loopback).isEmpty())
                answered += i;
        }
        QCOMPARE(answered, (QList<int>{1, 2, 4, 5, 7}));
        QCOMPARE(every.droppedCount(), 2);

        // Parts of one Unreal answer are lost one by one.
        SimResponder ut = responderFor(QStringLiteral("UT"));
        ut.setDropEvery(2);
        QCOMPARE(ut.respond("\\status\\\r\n", Loopback).size(), 2);

        // A seeded probability loses the same datagrams on every run.
        const auto pattern = [](quint32 seed) {
            SimResponder server(SimServerState::forGame(QStringLiteral("Quake 2")), seed);
            server.setDropProbability(0.5);
            QList<bool> kept;
            for (int i = 0; i < 200; ++i)
                kept += !server.respond(simtest::Header + "status\n", Loopback).isEmpty();
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
            QVERIFY(after == before + 1 || after + 1 == before);
            QVERIFY(after <= 3);
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
};

QTEST_GUILESS_MAIN(TestSimResponder)
#include "TestSimResponder.moc"
