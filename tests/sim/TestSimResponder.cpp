#include "sim/SimAnswers.h"
#include "sim/SimPlan.h"
#include "sim/SimResponder.h"
#include "sim/SimTestHelpers.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

#include <cstring>
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

    // Each answer reads back right under the lookups a monitor applies to that engine.
    void answersReadAsDocumented()
    {
        using simtest::keyValue;
        using simtest::nulValue;
        for (const QString& engine : {QStringLiteral("Q2"), QStringLiteral("Q3"), QStringLiteral("QW")}) {
            SimResponder server = responderFor(engine);
            const SimServerState& s = server.state();
            const QByteArray answer = server.respond(simtest::requestsFor(engine)[0], Loopback).value(0);
            QCOMPARE(keyValue(answer, "hostname"), s.hostname);
            QCOMPARE(keyValue(answer, "maxclients"), QByteArray::number(s.maxPlayers));
            QCOMPARE(keyValue(answer, engine == QLatin1String("QW") ? "map" : "mapname"), s.map);
            const QByteArray lines = answer.mid(answer.indexOf('\n', answer.lastIndexOf('\\')) + 1);
            const QList<QByteArray> players = lines.split('\n');
            QCOMPARE(players.size(), qsizetype(s.players.size() + 1));
            for (size_t i = 0; i < s.players.size(); ++i) {
                const QList<QByteArray> fields = players[qsizetype(i)].split('"');
                QCOMPARE(fields.value(1), s.players[i].name);
                const QList<QByteArray> numbers = fields[0].trimmed().split(' ');
                QCOMPARE(numbers.value(engine == QLatin1String("QW") ? 1 : 0), QByteArray::number(s.players[i].score));
            }
        }

        SimResponder hl = responderFor(QStringLiteral("HL"));
        const QByteArray info = hl.respond(simtest::requestsFor(QStringLiteral("HL"))[0], Loopback).value(0);
        QVERIFY(info.at(4) != 'D');
        QCOMPARE(keyValue(info, "hostname"), hl.state().hostname);
        QCOMPARE(keyValue(info, "max"), QByteArray::number(hl.state().maxPlayers));
        QCOMPARE(keyValue(info, "map"), hl.state().map);
        const QByteArray records = hl.respond(simtest::requestsFor(QStringLiteral("HL"))[1], Loopback).value(0);
        QCOMPARE(records.at(4), 'D');
        const QByteArray data = records.mid(6);
        qsizetype start = 0;
        size_t count = 0;
        for (qsizetype z = data.indexOf('\0'); z >= 0; z = start < data.size() ? data.indexOf('\0', start) : -1) {
            const SimPlayer& p = hl.state().players.at(count++);
            QCOMPARE(data.mid(start + 1, z - start - 1), p.name);
            QCOMPARE(qFromLittleEndian<qint32>(data.constData() + z + 1), p.score);
            float seconds = 0;
            std::memcpy(&seconds, data.constData() + z + 5, 4);
            QCOMPARE(seconds, float(p.seconds));
            start = z + 9;
        }
        QCOMPARE(count, hl.state().players.size());

        for (const QString& engine : {QStringLiteral("UT"), QStringLiteral("UT2003")}) {
            SimResponder ut = responderFor(engine);
            ut.state().players = SimServerState::makePlayers(engine, 11); // two player parts
            const QList<QByteArray> parts = ut.respond(simtest::requestsFor(engine)[0], Loopback);
            QCOMPARE(parts.size(), 4);
            for (qsizetype k = 0; k < parts.size(); ++k)
                QCOMPARE(keyValue(parts[k], "queryid"), "1." + QByteArray::number(k + 1));
            QVERIFY(parts.last().endsWith("\\final\\"));
            const QByteArray all = joined(parts);
            QCOMPARE(keyValue(all, "hostname"), ut.state().hostname);
            QCOMPARE(keyValue(all, "mapname"), ut.state().map);
            QCOMPARE(keyValue(all, "maxplayers"), QByteArray::number(ut.state().maxPlayers));
            QCOMPARE(keyValue(all, "numplayers"), "11");
            for (int n = 0; n < 11; ++n) {
                const QByteArray k = QByteArray::number(n);
                QCOMPARE(keyValue(all, "player_" + k), ut.state().players[size_t(n)].name);
                QCOMPARE(keyValue(all, "frags_" + k), QByteArray::number(ut.state().players[size_t(n)].score));
                QCOMPARE(keyValue(all, "ping_" + k), QByteArray::number(ut.state().players[size_t(n)].ping));
            }
        }

        SimResponder halo = responderFor(QStringLiteral("HALO"));
        const QByteArray h = halo.respond(simtest::requestsFor(QStringLiteral("HALO"))[0], Loopback).value(0);
        QCOMPARE(h.mid(1, 4), QByteArray::fromHex("776A9D9D"));
        QCOMPARE(nulValue(h, "hostname"), halo.state().hostname);
        QCOMPARE(nulValue(h, "mapname"), halo.state().map);
        QCOMPARE(nulValue(h, "maxplayers"), QByteArray::number(halo.state().maxPlayers));
        QCOMPARE(nulValue(h, "numplayers"), "4");
        const QList<QByteArray> section = h.mid(h.indexOf(char(4) + QByteArray("player_"))).split('\0');
        QCOMPARE(section.mid(0, 5),
                 (QList<QByteArray>{char(4) + QByteArray("player_"), "score_", "ping_", "team_", ""}));
        qsizetype rows = 0;
        for (qsizetype i = 5; i < section.size() && !section[i].isEmpty(); i += 4, ++rows) {
            QCOMPARE(section[i], halo.state().players[size_t(rows)].name);
            QCOMPARE(section.value(i + 1), QByteArray::number(halo.state().players[size_t(rows)].score));
        }
        QCOMPARE(rows, 4);

        SimResponder nwn = responderFor(QStringLiteral("NWN"));
        const QList<QByteArray> fields =
            nwn.respond(simtest::requestsFor(QStringLiteral("NWN"))[0], Loopback).value(0).split('\0');
        QCOMPARE(fields.size(), 22); // the leading zero, 20 values, and what follows the last zero
        QVERIFY(fields[1].startsWith(QByteArray::fromHex("E0EB2D0E")));
        QCOMPARE(fields[3], nwn.state().hostname);
        QCOMPARE(fields[5], "4");
        QCOMPARE(fields[6], QByteArray::number(nwn.state().maxPlayers));
        QCOMPARE(fields[7] + '-' + fields[8] + ' ' + fields[10] + ' ' + fields[13] + ' ' + fields[14],
                 QByteArray("1-20 0 0 8109"));

        SimResponder rvs = responderFor(QStringLiteral("RVS"));
        QList<QByteArray> values;
        for (const QByteArray& field : rvs.respond("REPORT", Loopback).value(0).split('\xB6'))
            values += field.mid(field.indexOf(' ') + 1);
        QCOMPARE(values.value(2), rvs.state().map);
        QCOMPARE(values.value(3), rvs.state().hostname);
        QCOMPARE(values.value(5), QByteArray::number(rvs.state().maxPlayers));
        QCOMPARE(values.value(14), "4");
        QCOMPARE(values.value(10), "/Sarge/Angelyss/Grism/Major/");
        QCOMPARE(values.value(12), "/25/40/55/70/");
        QCOMPARE(values.value(13), "/3/10/17/24/");
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

    void silentServerReadsAndSendsNothing()
    {
        SimResponder server = responderFor(QStringLiteral("Q3"));
        server.setAnswering(false);
        QVERIFY(server.respond(simtest::Header + "getstatus\n", Loopback).isEmpty());
        server.setAnswering(true);
        QCOMPARE(server.respond(simtest::Header + "getstatus\n", Loopback).size(), 1);
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
