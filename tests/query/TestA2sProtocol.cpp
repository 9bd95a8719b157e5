#include "A2sReplies.h"
#include "players/FriendList.h"
#include "players/PlayerTesting.h"
#include "query/QueryEngine.h"
#include "query/ServerQuery.h"
#include "query/engines/A2sProtocol.h"
#include "support/ManualClock.h"
#include "support/RawUdpServer.h"

#include <QSignalSpy>
#include <QTest>

using namespace trevisk;
using namespace std::chrono_literals;

using namespace a2sreplies;

class TestA2sProtocol : public QObject
{
    Q_OBJECT
    ManualClock m_clock;

private slots:
    void requestsCarryTheChallenge()
    {
        using a2s::Query;
        QCOMPARE(a2s::request(Query::Info, std::nullopt), Single + "TSource Engine Query" + '\0');
        QCOMPARE(a2s::request(Query::Info, QByteArray("\x01\x02\x03\x04")),
                 Single + "TSource Engine Query" + '\0' + "\x01\x02\x03\x04");
        QCOMPARE(a2s::request(Query::Players, std::nullopt), Single + 'U' + Single);
        QCOMPARE(a2s::request(Query::Rules, QByteArray("abcd")), Single + "Vabcd");
        QCOMPARE(a2s::challengeOf(Single + "A\x10\x20\x30\x40"), QByteArray("\x10\x20\x30\x40"));
        QVERIFY(!a2s::challengeOf(Single + "A\x10\x20"));
        QVERIFY(!a2s::challengeOf(infoReply()));
    }

    // Each reply is read whole, and every cut of it is read up to the cut and reported, never read past
    // its end.
    void repliesAreRead()
    {
        for (const auto& [info, values] :
             {std::pair(infoReply(), "Lab é Arena|de_dust2|16|7"), {oldInfoReply(), "Old Lab|crossfire|12|3"}}) {
            const AnswerUpdate update = a2s::parseInfo(info);
            QVERIFY(update.errors.isEmpty());
            QCOMPARE(valuesText(update), QString::fromUtf8(values));
            for (qsizetype size = 5; size < info.size(); ++size) {
                const AnswerUpdate cut = a2s::parseInfo(info.left(size));
                QVERIFY2(cut.maxPlayers || !cut.errors.isEmpty(), qPrintable(QString::number(size)));
            }
        }

        const QByteArray players = playersReply();
        const PlayersResult read = a2s::parsePlayers(players, FriendList(QStringList{QStringLiteral("Alice")}));
        QVERIFY(!read.error);
        // A player still connecting has no name yet.
        QCOMPARE(playersText(read.players), QStringLiteral("Alice,12,N/A,friend;,-3,N/A"));
        QCOMPARE(read.players->at(0).time + QLatin1Char('|') + read.players->at(1).time,
                 QStringLiteral("1:02:05|0:59"));
        for (qsizetype size = 5; size < players.size(); ++size) {
            const PlayersResult cut = a2s::parsePlayers(players.left(size), FriendList());
            QVERIFY(cut.error || cut.incomplete);
            QVERIFY(cut.players.value_or(PlayerTable()).size() <= 2);
        }

        const QByteArray rules = rulesReply();
        const AnswerUpdate settings = a2s::parseRules(rules);
        QVERIFY(settings.errors.isEmpty());
        QCOMPARE(settingsText(settings.settings), QStringLiteral("mp_timelimit=30|sv_gravity=800"));
        for (qsizetype size = 5; size < rules.size(); ++size)
            QVERIFY(a2s::parseRules(rules.left(size)).settings.value_or(SettingsTable{}).size() <= 2);
    }

    // Split replies join in any order; compressed parts are refused in the exchange's tests.
    void splitRepliesJoinInAnyOrder_data()
    {
        QTest::addColumn<QString>("form");
        for (const char* form : {"goldsrc", "source", "source-nosize"})
            QTest::newRow(form) << QString::fromLatin1(form);
    }
    void splitRepliesJoinInAnyOrder()
    {
        QFETCH(QString, form);
        using State = a2s::SplitAssembler::Outcome::State;
        const QByteArray reply = rulesReply() + QByteArray(200, 'x');
        for (const bool reversed : {false, true}) {
            QList<QByteArray> parts = split(reply, 77, 60, form);
            QCOMPARE(parts.size(), 4);
            if (reversed)
                std::reverse(parts.begin(), parts.end());
            a2s::SplitAssembler assembler;
            // Another reply's part in between belongs to its own reply; a repeated part changes nothing.
            QCOMPARE(assembler.add(split(playersReply(), 78, 30, form).at(1)).state, State::Pending);
            for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
                QCOMPARE(assembler.add(parts[i]).state, State::Pending);
                QCOMPARE(assembler.add(parts[i]).state, State::Pending);
            }
            const auto outcome = assembler.add(parts.last());
            QCOMPARE(outcome.state, State::Complete);
            QCOMPARE(outcome.reply, reply);
            QCOMPARE(assembler.heldParts(), size_t(1));
        }
        // A part numbered beyond its count does not fit its reply, and a part must have a number.
        a2s::SplitAssembler assembler;
        assembler.add(split(rulesReply(), 6, 20, form).at(0));
        const QByteArray head("\xFE\xFF\xFF\xFF", 4);
        QCOMPARE(assembler.add(head + le<qint32>(7) + char(0x21) + "zz").state, State::Malformed);
        QCOMPARE(assembler.add(head).state, State::Malformed);
    }

    // Over sockets, a server that answers only A2S: the old queries go unanswered in the first try and
    // A2S answers the second, split parts out of order included. Split parts that cannot be joined are
    // a bad answer that says why, parts that never complete let the cycle time out, and after a reply
    // that was read an unreadable one is counted as an answer error while the server stays up. The
    // same address listed for another engine's game starts that engine's exchange afresh.
    void a2sOverSockets()
    {
        QueryEngine engine(m_clock);
        engine.setTiming({.timeOut = 100ms});
        RawUdpServer server;
        QHash<char, QByteArrayList> replies{{'T', {compressedPart()}}}; // by the request's kind
        server.onRequest = [&](int) {
            for (const QByteArray& reply : replies.value(server.lastRequest().data().at(4)))
                server.reply(reply);
        };
        ServerQuery query(engine);
        QSignalSpy timeOuts(&query, &ServerQuery::timeOut);
        query.init(server.address(), QStringLiteral("Half Life"), 1);
        QTRY_COMPARE(query.state(), ServerState::BadAnswer);
        QVERIFY(query.stateReason().contains(QLatin1String("compressed")));

        const QByteArrayList players = split(playersReply(), 3, 20, QStringLiteral("source"));
        replies = {{'T', {infoReply()}}, {'U', {players.at(1), players.at(0)}}, {'V', {compressedPart()}}};
        const quint64 errors = engine.counters().answerErrors;
        query.sendQuery();
        QTRY_VERIFY(engine.counters().answerErrors > errors && query.players());
        QCOMPARE(query.state(), ServerState::Up);
        QCOMPARE(query.hostname() + QLatin1Char('|') + query.numPlayers() + QLatin1Char('|')
                     + playersText(query.players()),
                 QString::fromUtf8("Lab é Arena|7|Alice,12,N/A;,-3,N/A"));
        QCOMPARE(query.answersPerCycle(), 3);
        QVERIFY(query.reportsPlayerCount());
        QCOMPARE(engine.unawaitedDatagrams(), quint64(0));

        replies = {{'T', {split(rulesReply(), 9, 20, QStringLiteral("source")).at(0)}}};
        query.sendQuery();
        QVERIFY(timeOuts.wait(5000));
        QCOMPARE(query.state(), ServerState::NoAnswer);
        query.init(server.address(), QStringLiteral("Quake 3"), 1);
        QCOMPARE(query.answersPerCycle(), 1);
        QVERIFY(!query.reportsPlayerCount());
    }
};

QTEST_GUILESS_MAIN(TestA2sProtocol)
#include "TestA2sProtocol.moc"
