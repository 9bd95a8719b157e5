#include "A2sReplies.h"
#include "core/Catalogue.h"
#include "players/FriendList.h"
#include "players/PlayerTesting.h"
#include "query/AnswerCheck.h"
#include "query/EngineProtocol.h"
#include "query/engines/AnswerText.h"
#include "query/engines/QuakeProtocol.h"
#include "query/engines/RavenShieldProtocol.h"
#include "query/engines/UnrealProtocol.h"

#include <QFile>
#include <QTest>

using namespace trevisk;
using a2sreplies::raw;

namespace {

QByteArray capture(const char* name)
{
    QFile file(QStringLiteral(TREVISK_TEST_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

const FriendList Friends{{QStringLiteral("bravo"), QStringLiteral("sarge")}};
const QByteArray QuakeInfo("\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x\\mapname\\m\n");

} // namespace

class TestEngineProtocol : public QObject
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
        QTest::newRow("Q3 as captured") << "Q3" << QByteArrayList{capture("q3/getstatus-request.bin")};
        QTest::newRow("UT") << "UT" << hex("5c7374617475735c 0d0a");
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
    }

    // The request carries the challenge; the answer's information line echoes it, anywhere in the line.
    void quake3EchoesTheChallenge()
    {
        const auto* q3 = static_cast<const QuakeProtocol*>(protocolForEngine(QStringLiteral("Q3")));
        QCOMPARE(q3->requestsWith("5a1f"), QByteArrayList{QByteArray::fromHex("ffffffff") + "getstatus 5a1f\n"});
        const QByteArray head = QByteArray::fromHex("ffffffff") + "statusResponse\n";
        const auto echoed = [&](const QByteArray& rest) { return q3->echoedChallenge(head + rest).value_or("-"); };
        QCOMPARE(echoed("\\challenge\\5a1f\\sv_hostname\\x\n1 2 \"a\"\n"), QByteArray("5a1f"));
        QCOMPARE(echoed("\\sv_hostname\\x\\challenge\\5a1f\n"), QByteArray("5a1f"));
        QCOMPARE(echoed("\\sv_challenge\\5a1f\\x\\challenge\n"), QByteArray("-"));
        QCOMPARE(echoed("\\sv_hostname\\x\n1 2 \"\\challenge\\5a1f\"\n"), QByteArray("-"));
        // Not a setting of the server.
        const AnswerUpdate update =
            q3->parse(head + "\\challenge\\5a1f\\sv_hostname\\x\n", QStringLiteral("Quake 3"), Friends);
        QCOMPARE(settingsText(update.settings), QStringLiteral("sv_hostname=x"));
    }

    void protocolLookup()
    {
        for (const GameInfo& game : games())
            QVERIFY2(protocolForGame(game.game) && protocolForGame(game.game) == protocolForEngine(game.engine),
                     qPrintable(game.game));
        QCOMPARE(protocolForEngine(QStringLiteral("q3")), nullptr);
        QCOMPARE(protocolForGame(QStringLiteral("Halo 2")), nullptr);
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
        // Servers forbid a backslash in a name; one that slips through is a name, not a setting.
        QTest::newRow("Q3 backslash in a name")
            << "Quake 3" << QByteArray(q3).replace("\"Grism\"", "\"Gr\\ism\"") << "Lab OpenArena|oa_dm1|12|-"
            << "RedSarge,0,0,friend;Angelyss,1,0;Gr\\ism,0,0;Major,1,0"
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

    void getKeyValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("sv_hostname found by hostname")
            << QByteArray("\\sv_hostname\\Lab\\g\\0") << QByteArray("hostname") << QByteArray("Lab");
        QTest::newRow("max after maxplayers")
            << QByteArray("\\maxplayers\\16\\max\\8\\") << QByteArray("max") << QByteArray("8");
        QTest::newRow("first occurrence wins")
            << QByteArray("\\map\\a\\map\\b\\") << QByteArray("map") << QByteArray("a");
        QTest::newRow("line feed ends the last value")
            << QByteArray("\\map\\q3dm1\n0 0 \"x\"") << QByteArray("map") << QByteArray("q3dm1");
        QTest::newRow("backslash looked for first")
            << QByteArray("\\map\\a\nb\\c") << QByteArray("map") << QByteArray("a\nb");
        QTest::newRow("rest of the text")
            << QByteArray("\\queryid\\12.1") << QByteArray("queryid") << QByteArray("12.1");
        QTest::newRow("case matters") << QByteArray("\\HostName\\x\\") << QByteArray("hostname") << QByteArray();
    }

    void getKeyValue()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(trevisk::getKeyValue(text, key), expected);
    }

    void getNulValueAndStripControl()
    {
        const QByteArray answer = QByteArray("|ABCDname|first|x|name|second|name").replace('|', '\0');
        QCOMPARE(getNulValue(answer, "name"), QByteArray("second")); // the last match, not the final field
        QCOMPARE(getNulValue(answer, "missing"), QByteArray());
        QCOMPARE(stripControl(QByteArray("a\x01\tb\x7f\xe9\0c", 8)), QByteArray("ab\x7f\xe9") + 'c');
    }

    void saveData_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("quake line keeps its last pair")
            << QuakeInfo.left(QuakeInfo.size() - 1) + "\\g_gametype\\0\n0 5 \"a\"\n"
            << "sv_hostname=x|mapname=m|g_gametype=0";
        QTest::newRow("quake line, empty last value") << QByteArray("\\a\\1\\b\\\n") << "a=1|b=";
        QTest::newRow("unreal ends with a backslash")
            << QByteArray("\\hostname\\UT\\queryid\\1.1\\final\\") << "hostname=UT|queryid=1.1";
        QTest::newRow("zero byte ends the line") << QByteArray("\\a\\1\\b\\2\0", 9) << "a=1|b=2";
        QTest::newRow("no end, tail cut") << QByteArray("\\a\\1\\b\\2") << "a=1";
        QTest::newRow("repeats and spaces kept, blank key skipped")
            << QByteArray("\\ Key \\v\\ \\x\\id\\1\\id\\2\\") << " Key =v|id=1|id=2";
        QTest::newRow("one backslash") << QByteArray("abc\\def") << "";
        QTest::newRow("UTF-8, else Latin-1") << QByteArray("\\caf\xc3\xa9\\\xe9t\xe9\\") << "café=été";
        QTest::newRow("long name and value") << "\\" + QByteArray(70, 'k') + "\\" + QByteArray(200, 'v') + "\\"
                                             << QString(70, u'k') + QLatin1Char('=') + QString(200, u'v');
    }

    void saveData()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, expected);
        QCOMPARE(settingsText(trevisk::saveData(answer)), expected);
    }

    // What UTF-8 cannot carry comes back as it was put; an empty name stays empty in rows whose
    // names were too long to share; a table moved from is empty.
    void settingsTableRows()
    {
        const ServerSetting odd{QString(QChar(0xD800)) + u'x', QString(QChar(0)) + QChar(0xDC00)};
        const SettingsTable table{{QStringLiteral("a"), QString()}, odd};
        QCOMPARE(table.size(), size_t(2));
        QCOMPARE(table.at(1), odd);
        QCOMPARE(table.at(2), ServerSetting());
        QCOMPARE(table, (SettingsTable{{QStringLiteral("a"), QString()}, odd}));

        SettingsTable longNames;
        for (int i = 0; i < 200; ++i)
            longNames.push_back({QString(70, u'k'), QString()});
        longNames.push_back({QStringLiteral("b"), QString()});
        SettingsTable unnamed;
        for (int i = 0; i < 200; ++i)
            unnamed.push_back({QString(), QStringLiteral("v")});
        const ServerSetting row{QString(), QStringLiteral("v")};
        QVERIFY(std::all_of(unnamed.begin(), unnamed.end(), [&](const ServerSetting& each) { return each == row; }));
        const SettingsTable taken = std::move(unnamed);
        QCOMPARE(taken.size(), size_t(200));
        QVERIFY(unnamed.empty()); // NOLINT(bugprone-use-after-move): what is left is the point
    }

    void getQ3Players_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Q3 colour codes, friend on the raw name")
            << "Quake 3" << QByteArray("12 48 \"^1Bra^7vo\"\n3 0 \" ^4Bravo \"\n") << "Bravo,12,48; Bravo ,3,0,friend";
        QTest::newRow("Q2 control bytes") << "Quake 2" << QByteArray("5 80 \"A\x01^1b\"\n") << "A^1b,5,80";
        QTest::newRow("line without a space ends the list")
            << "Quake 3" << QByteArray("1 2 \"a\"\nxyz\n3 4 \"b\"\n") << "a,1,2";
        QTest::newRow("unclosed name ends the list") << "Quake 3" << QByteArray("1 2 \"a\"\n3 4 \"b\n") << "a,1,2";
        QTest::newRow("SOF2 three numbers")
            << "Soldier of Fortune 2" << QByteArray("7 60 2 \"^4Bravo\"\n7 60\n") << "Bravo,7,60,friend";
    }

    void getQ3Players()
    {
        QFETCH(QString, game);
        QFETCH(QByteArray, lines);
        QFETCH(QString, expected);
        QCOMPARE(playersText(trevisk::getQ3Players(QuakeInfo + lines, game, Friends)), expected);
    }

    void getPlayersRefusesBrokenLine()
    {
        const auto result = getPlayers(QuakeInfo + "1 17 5 120 \"a\" \"\" 0 0\n2 3 \"b\"\n", Friends);
        QVERIFY(!result.players);
        QCOMPARE(result.error->procedure, QStringLiteral("GetPlayers()"));
    }

    void getUnrealPlayers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<qint32>("error");
        QTest::newRow("missing player keeps its row")
            << QByteArray("\\numplayers\\3\\player_0\\Bravo\\frags_0\\5\\ping_0\\40\\player_2\\c\\ping_2\\9\\")
            << "Bravo,5,40,friend;[MISSING DATA],N/A,N/A;c,N/A,9" << 0;
        QTest::newRow("not a number") << QByteArray("\\numplayers\\two\\player_0\\a\\player_1\\b\\") << "none"
                                      << qint32(NotANumber);
        QTest::newRow("huge count") << QByteArray("\\numplayers\\2000000000\\player_0\\a\\") << "none"
                                    << qint32(CountTooLarge);
        QTest::newRow("more than ten bytes each allow")
            << QByteArray("\\numplayers\\3\\player_0\\\\") << "none" << qint32(CountTooLarge);
    }

    void getUnrealPlayers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, expected);
        QFETCH(qint32, error);
        const auto result = trevisk::getUnrealPlayers(answer, Friends);
        QCOMPARE(playersText(result.players), expected);
        QCOMPARE(result.error ? result.error->number : 0, error);
    }

    // Player values are found through an index; it must give what one key lookup per value gives.
    void unrealValuesMatchKeyLookups()
    {
        const QByteArray answer("\\hostname\\myplayer_1\\xplayer_0\\Early\\player_01\\Zero\\player_0\\Late\\frags_1\\"
                                "7\\player_1\\B\\ping_12\\5\\ping_1\\33\nx\\player_2\\tail\nnext\\numplayers\\3\\");
        const auto players = trevisk::getUnrealPlayers(answer, FriendList()).players.value();
        QCOMPARE(players.size(), size_t(3));
        for (int n = 0; n < 3; ++n) {
            const auto lookup = [&](const char* prefix) {
                const QByteArray value = trevisk::getKeyValue(answer, prefix + QByteArray::number(n));
                return value.isEmpty() ? QStringLiteral("N/A") : QString::fromLatin1(value);
            };
            QCOMPARE(players.at(n).name, lookup("player_"));
            QCOMPARE(players.at(n).score, lookup("frags_"));
            QCOMPARE(players.at(n).ping, lookup("ping_"));
        }
        QCOMPARE(players.at(1).name, QStringLiteral("xplayer_0")); // found inside the value myplayer_1
    }

    void getRvsPlayers()
    {
        auto result = trevisk::getRvsPlayers("/Bravo/b/", "/40/70/", "/5/-1/", Friends);
        QCOMPARE(playersText(result.players), QStringLiteral("Bravo,5,40,friend;b,-1,70"));
        QCOMPARE(playersText(trevisk::getRvsPlayers("/", "/", "", Friends).players), QString());
        for (const auto& [pings, scores] : {std::pair("/40", "/5/6/"), std::pair("/40/70/", "")}) {
            result = trevisk::getRvsPlayers("/a/b/", pings, scores, Friends);
            QVERIFY(!result.players);
            QCOMPARE(result.error->procedure, QStringLiteral("GetRVSPlayers()"));
        }
    }
};

QTEST_APPLESS_MAIN(TestEngineProtocol)
#include "TestEngineProtocol.moc"
