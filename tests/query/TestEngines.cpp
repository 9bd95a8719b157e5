#include "core/Catalogue.h"
#include "players/FriendList.h"
#include "players/PlayerTesting.h"
#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"

#include <QFile>
#include <QTest>

using namespace trevisk;

namespace {

// A byte literal whole, zero bytes included.
template <size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QByteArray capture(const char* name)
{
    QFile file(QStringLiteral(TREVISK_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

const FriendList Friends{{QStringLiteral("bravo"), QStringLiteral("sarge")}};

// "hostname|map|maxPlayers|numPlayers", "-" for a value left as it was.
QString valuesText(const AnswerUpdate& update)
{
    QStringList values;
    for (const auto& value : {update.hostname, update.map, update.maxPlayers, update.numPlayers})
        values << value.value_or(QStringLiteral("-"));
    return values.join(QLatin1Char('|'));
}

} // namespace

class TestEngines : public QObject
{
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QByteArrayList>("expected");
        const auto hex = [](const char* text) { return QByteArrayList{QByteArray::fromHex(text)}; };
        QTest::newRow("Q2") << "Q2" << hex("ffffffff 737461747573 0a");
        QTest::newRow("QW as captured") << "QW" << QByteArrayList{capture("qw/status-request.bin")};
        QTest::newRow("Q3") << "Q3" << hex("ffffffff 676574737461747573 0a");
        QTest::newRow("Q3 as captured") << "Q3" << QByteArrayList{capture("q3/getstatus-request.bin")};
        QTest::newRow("UT") << "UT" << hex("5c7374617475735c 0d0a");
        QTest::newRow("UT2003") << "UT2003" << hex("5c7374617475735c 0d0a");
        QTest::newRow("HL") << "HL" << hex("ffffffff 696e666f737472696e67 0a") + hex("ffffffff 706c6179657273 0a");
        QTest::newRow("HALO") << "HALO" << hex("fefd00 776a9d9d ffffffff");
        QTest::newRow("NWN") << "NWN" << hex("fefd00 e0eb2d0e 14 010b0105080a333435130436373839143a3b3c3d 0000");
        QTest::newRow("RVS") << "RVS" << QByteArrayList{"REPORT"};
    }

    void requests()
    {
        QFETCH(QString, engine);
        QFETCH(QByteArrayList, expected);
        const EngineProtocol* protocol = protocolForEngine(engine);
        QVERIFY(protocol);
        QCOMPARE(protocol->requests(), expected);
        QCOMPARE(protocol->gathers(), engine.startsWith(QLatin1String("UT")));
        QCOMPARE(protocol->answersPerCycle(), engine == QLatin1String("HL") ? 2 : 1);
    }

    void protocolLookup()
    {
        for (const GameInfo& game : games())
            QVERIFY2(protocolForGame(game.game) && protocolForGame(game.game) == protocolForEngine(game.engine),
                     qPrintable(game.game));
        QCOMPARE(protocolForEngine(QStringLiteral("q3")), nullptr);
        QCOMPARE(protocolForGame(QStringLiteral("Halo 2")), nullptr);
        const EngineProtocol* unreal = protocolForEngine(QStringLiteral("UT"));
        QCOMPARE(unreal->partKey("\\hostname\\x\\queryid\\12.1"), QByteArray("P12.1P"));
        QCOMPARE(unreal->partKey("\\hostname\\x\\"), QByteArray("PP"));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("players");     // "unchanged" when the answer leaves them as they were
        QTest::addColumn<QString>("settingsEnd"); // "-" when left as they were
        QTest::addColumn<bool>("wholeRows");      // rows are whole records, so a cut answer gives the first rows

        const QByteArray q3 = capture("q3/getstatus-reply.bin");
        QTest::newRow("Q3") << "Quake 3" << q3 << "Lab OpenArena|oa_dm1|12|-"
                            << "RedSarge,0,0,friend;Angelyss,1,0;Grism,0,0;Major,1,0"
                            << "|g_timestamp=2026-12-06 21:35:21" << true;
        QTest::newRow("Q3 empty") << "Quake 3" << capture("q3/getstatus-empty-reply.bin") << "Lab OpenArena|oa_dm2|12|-"
                                  << ""
                                  << "|g_timestamp=2026-12-06 21:50:38" << true;
        // Colour codes are a Quake 3 engine matter; a Quake 2 game shows names as sent.
        QTest::newRow("Q2") << "Quake 2" << q3 << "Lab ^3Open^7Arena|oa_dm1|12|-"
                            << "^1Red^7Sarge,0,0,friend;Angelyss,1,0;Grism,0,0;Major,1,0"
                            << "|g_timestamp=2026-12-06 21:35:21" << true;
        // Score from the frags, ping from the fourth number; gold name bytes read as their plain letters.
        QTest::newRow("QW") << "QuakeWorld" << capture("qw/status-reply.bin") << "Lab ^1QW^7 mvdsv|lab1|8|-"
                            << QStringLiteral("Alpha,0,999;Gold Bravo,0,999,friend;Quote,0,999") << "|map=lab1" << true;
        QTest::newRow("HL info") << "Half Life"
                                 << raw("\xFF\xFF\xFF\xFFinfostringresponse\0\\protocol\\46\\players\\2\\max\\16"
                                        "\\hostname\\HL\x01Lab\\map\\crossfire\\type\\d\\secure\\0\0")
                                 << "HL\x01Lab|crossfire|16|-"
                                 << "unchanged"
                                 << "|map=crossfire|type=d|secure=0" << true;
        QTest::newRow("HL players, index 0") << "Half Life"
                                             << raw("\xFF\xFF\xFF\xFF"
                                                    "D\x02\x01"
                                                    "Alpha\0\x2C\x01\0\0\0\0\0\0\0"
                                                    "Bravo\0\xFF\xFF\xFF\xFF\0\0\0\0")
                                             << "-|-|-|-"
                                             << "Alpha,300,N/A;Bravo,-1,N/A,friend"
                                             << "-" << true;
        // Parts joined in arrival order, not by query id.
        QTest::newRow("UT") << "Unreal Tournament"
                            << QByteArray("\\player_0\\Alpha\\frags_0\\5\\ping_0\\40\\player_1\\Bravo\\frags_1\\-1"
                                          "\\ping_1\\70\\queryid\\12.2\\final\\\\hostname\\UT Lab\\mapname\\DM-Deck16]["
                                          "\\numplayers\\2\\maxplayers\\16\\queryid\\12.1")
                            << "UT Lab|DM-Deck16][|16|2"
                            << "Alpha,5,40;Bravo,-1,70,friend"
                            << "|maxplayers=16" << false;
        QTest::newRow("UT without numplayers")
            << "Unreal Tournament 2003" << QByteArray("\\hostname\\Only\\queryid\\3.1\\final\\") << "Only|-|-|-"
            << "none"
            << "hostname=Only|queryid=3.1" << false;
        QTest::newRow("HALO")
            << "Halo"
            << raw("\0\x77\x6A\x9D\x9Dhostname\0Halo Lab\0mapname\0bloodgulch\0numplayers\0\x32\0"
                   "maxplayers\0\x31\x36\0\0\x02player_\0score_\0ping_\0team_\0\0Alpha\0\x39\0\x35\x30"
                   "\0\x30\0Bravo\0\x33\0\x37\x30\0\x31\0\0")
            << "Halo Lab|bloodgulch|16|2"
            << "Alpha,9,0;Bravo,3,0,friend"
            << "hostname=Halo Lab|mapname=bloodgulch|numplayers=2|maxplayers=16" << false;
        QTest::newRow("HALO no players") << "Halo"
                                         << raw("\0\x77\x6A\x9D\x9Dnumplayers\0\x30\0\0\0player_\0score_\0ping_\0"
                                                "team_\0\0\0")
                                         << "|||0"
                                         << ""
                                         << "numplayers=0" << false;
        const QByteArray nwn = raw("\0\xE0\xEB\x2D\x0EHost\0v2\0NWN Lab\0v4\0\x33\0\x31\x36\0\x31\0\x34\x30\0v9\0\x30\0"
                                   "v11\0v12\0\x31\0\x38\x31\x30\x39\0v15\0v16\0v17\0v18\0v19\0v20\0");
        QTest::newRow("NWN") << "Neverwinter Nights" << nwn << "NWN Lab|-|16|3"
                             << "unchanged"
                             << "Player Pause=1|Version Number=8109|LevelMax=40|LevelMin=1|Password=0" << false;
        // Reading stops at the first missing field; what came before it is kept.
        QTest::newRow("NWN cut") << "Neverwinter Nights" << nwn.left(25) << "-|-|-|3"
                                 << "unchanged"
                                 << "-" << false;
        const QByteArray rvs =
            QByteArray("KEYS|I1 127.0.0.1|E1 Mountain|I1 RVS Lab|F1 Adversarial|B1 16|G1 0|H1 0|J1 x|"
                       "K1 x|L1 /Alpha/Bravo/|O1 x|M1 /40/70/|N1 /5/1/|C1 2")
                .replace('|', '\xB6');
        QTest::newRow("RVS") << "Raven Shield" << rvs << "RVS Lab|Mountain|16|2"
                             << "Alpha,5,40;Bravo,1,70,friend"
                             << "-" << false;
        QTest::newRow("RVS cut") << "Raven Shield" << rvs.left(40) << "RVS Lab|Mountain|-|-"
                                 << ""
                                 << "-" << false;
    }

    void parse()
    {
        QFETCH(QString, game);
        QFETCH(QByteArray, answer);
        QFETCH(QString, values);
        QFETCH(QString, players);
        QFETCH(QString, settingsEnd);
        const AnswerUpdate update = protocolForGame(game)->parse(answer, game, Friends);
        QCOMPARE(valuesText(update), values);
        QCOMPARE(update.playersChanged ? playersText(update.players) : QStringLiteral("unchanged"), players);
        QVERIFY2(settingsText(update.settings).endsWith(settingsEnd), qPrintable(settingsText(update.settings)));
        QVERIFY(update.errors.isEmpty());
        // A good answer is never taken for a bad one.
        QVERIFY(protocolForGame(game)->recognises(answer));
        QCOMPARE(nonsenseIn(update, {}, protocolForGame(game)->reportsPlayerCount()), std::nullopt);
    }

    // Every cut of a good answer is read or refused, never read past its end.
    void truncatedAnswers_data() { parse_data(); }

    void truncatedAnswers()
    {
        QFETCH(QString, game);
        QFETCH(QByteArray, answer);
        QFETCH(bool, wholeRows);
        const EngineProtocol* protocol = protocolForGame(game);
        const PlayerTable all = protocol->parse(answer, game, Friends).players.value_or(PlayerTable());
        for (qsizetype size = 0; size < answer.size(); ++size) {
            // A copy, so the cut answer has no bytes of the whole one behind it.
            const AnswerUpdate update = protocol->parse(QByteArray(answer.constData(), size), game, Friends);
            const QByteArray where = "cut at " + QByteArray::number(size);
            for (const AnswerError& error : update.errors)
                QVERIFY2(!error.procedure.isEmpty() && !update.players, where.constData());
            if (!update.players)
                continue;
            QVERIFY2(update.players->size() <= all.size(), where.constData());
            if (wholeRows)
                QVERIFY2(std::equal(update.players->begin(), update.players->end(), all.begin()), where.constData());
        }
    }
};

QTEST_APPLESS_MAIN(TestEngines)
#include "TestEngines.moc"
