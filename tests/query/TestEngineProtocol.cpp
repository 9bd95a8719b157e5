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
    // Each engine's requests, and every game of the catalogue served by its engine's protocol.
    void requests()
    {
        const auto hex = [](const char* text) { return QByteArrayList{QByteArray::fromHex(text)}; };
        const std::pair<const char*, QByteArrayList> cases[] = {
            {"Q2", hex("ffffffff 737461747573 0a")},
            {"QW", {capture("qw/status-request.bin")}},
            {"Q3", {capture("q3/getstatus-request.bin")}},
            {"UT", hex("5c7374617475735c 0d0a")},
            {"HL", hex("ffffffff 696e666f737472696e67 0a") + hex("ffffffff 706c6179657273 0a")},
            {"HALO", hex("fefd00 776a9d9d ffffffff")},
            {"NWN", hex("fefd00 e0eb2d0e 14 010b0105080a333435130436373839143a3b3c3d 0000")},
            {"RVS", {"REPORT"}},
        };
        for (const auto& [engine, expected] : cases) {
            const EngineProtocol* protocol = protocolForEngine(QString::fromLatin1(engine));
            QVERIFY2(protocol, engine);
            QCOMPARE(protocol->requests(), expected);
        }
        for (const GameInfo& game : games())
            QVERIFY2(protocolForGame(game.game) && protocolForGame(game.game) == protocolForEngine(game.engine),
                     qPrintable(game.game));
        QCOMPARE(protocolForEngine(QStringLiteral("q3")), nullptr);
        QCOMPARE(protocolForGame(QStringLiteral("Halo 2")), nullptr);
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

    // Each good answer read as expected, and every cut of it read or refused, never read past its end.
    void parse_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("wholeRows"); // rows are whole records, so a cut answer gives the first rows
        // "values / players / the settings' end": players "unchanged" and settings "-" when left as they were.
        QTest::addColumn<QString>("expected");

        const QByteArray q3 = capture("q3/getstatus-reply.bin");
        QTest::newRow("Q3") << "Quake 3" << q3 << true
                            << "Lab OpenArena|oa_dm1|12|- / RedSarge,0,0,friend;Angelyss,1,0;Grism,0,0;Major,1,0"
                               " / |g_timestamp=2026-12-06 21:35:21";
        // Servers forbid a backslash in a name; one that slips through is a name, not a setting.
        QTest::newRow("Q3 backslash in a name")
            << "Quake 3" << QByteArray(q3).replace("\"Grism\"", "\"Gr\\ism\"") << true
            << "Lab OpenArena|oa_dm1|12|- / RedSarge,0,0,friend;Angelyss,1,0;Gr\\ism,0,0;Major,1,0"
               " / |g_timestamp=2026-12-06 21:35:21";
        QTest::newRow("Q3 empty") << "Quake 3" << capture("q3/getstatus-empty-reply.bin") << true
                                  << "Lab OpenArena|oa_dm2|12|- /  / |g_timestamp=2026-12-06 21:50:38";
        // Colour codes are a Quake 3 engine matter; a Quake 2 game shows names as sent.
        QTest::newRow("Q2") << "Quake 2" << q3 << true
                            << "Lab ^3Open^7Arena|oa_dm1|12|- / ^1Red^7Sarge,0,0,friend;Angelyss,1,0;Grism,0,0;"
                               "Major,1,0 / |g_timestamp=2026-12-06 21:35:21";
        // Score from the frags, ping from the fourth number; gold name bytes read as their plain letters.
        QTest::newRow("QW")
            << "QuakeWorld" << capture("qw/status-reply.bin") << true
            << "Lab ^1QW^7 mvdsv|lab1|8|- / Alpha,0,999;Gold Bravo,0,999,friend;Quote,0,999 / |map=lab1";
        QTest::newRow("HL info") << "Half Life"
                                 << raw("\xFF\xFF\xFF\xFFinfostringresponse\0\\protocol\\46\\players\\2\\max\\16"
                                        "\\hostname\\HL\x01Lab\\map\\crossfire\\type\\d\\secure\\0\0")
                                 << true << "HL\x01Lab|crossfire|16|- / unchanged / |map=crossfire|type=d|secure=0";
        QTest::newRow("HL players, index 0")
            << "Half Life"
            << QByteArray(4, '\xFF') + "D\x02\x01" + raw("Alpha\0\x2C\x01\0\0\0\0\0\0\0Bravo\0\xFF\xFF\xFF\xFF\0\0\0\0")
            << true << "-|-|-|- / Alpha,300,N/A;Bravo,-1,N/A,friend / -";
        // Parts joined in arrival order, not by query id.
        QTest::newRow("UT") << "Unreal Tournament"
                            << QByteArray("\\player_0\\Alpha\\frags_0\\5\\ping_0\\40\\player_1\\Bravo\\frags_1\\-1"
                                          "\\ping_1\\70\\queryid\\12.2\\final\\\\hostname\\UT Lab\\mapname\\DM-Deck16]["
                                          "\\numplayers\\2\\maxplayers\\16\\queryid\\12.1")
                            << false << "UT Lab|DM-Deck16][|16|2 / Alpha,5,40;Bravo,-1,70,friend / |maxplayers=16";
        QTest::newRow("UT without numplayers")
            << "Unreal Tournament 2003" << QByteArray("\\hostname\\Only\\queryid\\3.1\\final\\") << false
            << "Only|-|-|- / none / hostname=Only|queryid=3.1";
        QTest::newRow("HALO") << "Halo"
                              << raw("\0\x77\x6A\x9D\x9Dhostname\0Halo Lab\0mapname\0bloodgulch\0numplayers\0\x32\0"
                                     "maxplayers\0\x31\x36\0\0\x02player_\0score_\0ping_\0team_\0\0Alpha\0\x39\0\x35"
                                     "\x30\0\x30\0Bravo\0\x33\0\x37\x30\0\x31\0\0")
                              << false
                              << "Halo Lab|bloodgulch|16|2 / Alpha,9,0;Bravo,3,0,friend / "
                                 "hostname=Halo Lab|mapname=bloodgulch|numplayers=2|maxplayers=16";
        QTest::newRow("HALO no players")
            << "Halo" << raw("\0\x77\x6A\x9D\x9Dnumplayers\0\x30\0\0\0player_\0score_\0ping_\0team_\0\0\0") << false
            << "|||0 /  / numplayers=0";
        const QByteArray nwn = raw("\0\xE0\xEB\x2D\x0EHost\0v2\0NWN Lab\0v4\0\x33\0\x31\x36\0\x31\0\x34\x30\0v9\0\x30\0"
                                   "v11\0v12\0\x31\0\x38\x31\x30\x39\0v15\0v16\0v17\0v18\0v19\0v20\0");
        QTest::newRow("NWN") << "Neverwinter Nights" << nwn << false
                             << "NWN Lab|-|16|3 / unchanged / "
                                "Player Pause=1|Version Number=8109|LevelMax=40|LevelMin=1|Password=0";
        // Reading stops at the first missing field; what came before it is kept.
        QTest::newRow("NWN cut") << "Neverwinter Nights" << nwn.left(25) << false << "-|-|-|3 / unchanged / -";
        const QByteArray rvs =
            QByteArray("KEYS|I1 127.0.0.1|E1 Mountain|I1 RVS Lab|F1 Adversarial|B1 16|G1 0|H1 0|J1 x|"
                       "K1 x|L1 /Alpha/Bravo/|O1 x|M1 /40/70/|N1 /5/1/|C1 2")
                .replace('|', '\xB6');
        QTest::newRow("RVS") << "Raven Shield" << rvs << false
                             << "RVS Lab|Mountain|16|2 / Alpha,5,40;Bravo,1,70,friend / -";
        QTest::newRow("RVS cut") << "Raven Shield" << rvs.left(40) << false << "RVS Lab|Mountain|-|- /  / -";
    }

    void parse()
    {
        QFETCH(QString, game);
        QFETCH(QByteArray, answer);
        QFETCH(bool, wholeRows);
        QFETCH(QString, expected);
        const QStringList want = expected.split(QStringLiteral(" / "));
        const EngineProtocol* protocol = protocolForGame(game);
        const AnswerUpdate update = protocol->parse(answer, game, Friends);
        QCOMPARE(valuesText(update), want[0]);
        QCOMPARE(update.playersChanged ? playersText(update.players) : QStringLiteral("unchanged"), want[1]);
        QVERIFY2(settingsText(update.settings).endsWith(want[2]), qPrintable(settingsText(update.settings)));
        QVERIFY(update.errors.isEmpty());
        // A good answer is never taken for a bad one.
        QVERIFY(protocol->recognises(answer));
        QCOMPARE(nonsenseIn(update, {}, protocol->reportsPlayerCount()), std::nullopt);

        const PlayerTable all = update.players.value_or(PlayerTable());
        for (qsizetype size = 0; size < answer.size(); ++size) {
            // A copy, so the cut answer has no bytes of the whole one behind it.
            const AnswerUpdate cut = protocol->parse(QByteArray(answer.constData(), size), game, Friends);
            const QByteArray where = "cut at " + QByteArray::number(size);
            for (const AnswerError& error : cut.errors)
                QVERIFY2(!error.procedure.isEmpty() && !cut.players, where.constData());
            if (!cut.players)
                continue;
            QVERIFY2(cut.players->size() <= all.size(), where.constData());
            if (wholeRows)
                QVERIFY2(std::equal(cut.players->begin(), cut.players->end(), all.begin()), where.constData());
        }
    }

    void keyValuesAndControlBytes()
    {
        // Text, key, the value found.
        const char* const cases[][3] = {
            {"\\sv_hostname\\Lab\\g\\0", "hostname", "Lab"}, // sv_hostname found by hostname
            {"\\maxplayers\\16\\max\\8\\", "max", "8"},
            {"\\map\\a\\map\\b\\", "map", "a"},          // the first occurrence wins
            {"\\map\\q3dm1\n0 0 \"x\"", "map", "q3dm1"}, // a line feed ends the last value
            {"\\map\\a\nb\\c", "map", "a\nb"},           // but a backslash is looked for first
            {"\\queryid\\12.1", "queryid", "12.1"},      // the rest of the text
            {"\\HostName\\x\\", "hostname", ""},         // case matters
        };
        for (const auto& [text, key, expected] : cases)
            QCOMPARE(trevisk::getKeyValue(text, key), QByteArray(expected));
        const QByteArray answer = QByteArray("|ABCDname|first|x|name|second|name").replace('|', '\0');
        QCOMPARE(getNulValue(answer, "name"), QByteArray("second")); // the last match, not the final field
        QCOMPARE(getNulValue(answer, "missing"), QByteArray());
        QCOMPARE(stripControl(QByteArray("a\x01\tb\x7f\xe9\0c", 8)), QByteArray("ab\x7f\xe9") + 'c');
    }

    void saveData()
    {
        const std::pair<QByteArray, const char*> cases[] = {
            // A Quake line keeps its last pair.
            {QuakeInfo.left(QuakeInfo.size() - 1) + "\\g_gametype\\0\n0 5 \"a\"\n",
             "sv_hostname=x|mapname=m|g_gametype=0"},
            {"\\a\\1\\b\\\n", "a=1|b="},
            {"\\hostname\\UT\\queryid\\1.1\\final\\", "hostname=UT|queryid=1.1"}, // Unreal ends with a backslash
            {QByteArray("\\a\\1\\b\\2\0", 9), "a=1|b=2"},                         // a zero byte ends the line
            {"\\a\\1\\b\\2", "a=1"},                                              // no end: the tail is cut
            {"\\ Key \\v\\ \\x\\id\\1\\id\\2\\", " Key =v|id=1|id=2"}, // repeats and spaces kept, a blank key skipped
            {"abc\\def", ""},
            {"\\caf\xc3\xa9\\\xe9t\xe9\\", "caf\u00e9=\u00e9t\u00e9"}, // UTF-8, else Latin-1
        };
        for (const auto& [answer, expected] : cases)
            QCOMPARE(settingsText(trevisk::saveData(answer)), QString::fromUtf8(expected));
        // A name and value long enough for two-byte lengths.
        QCOMPARE(settingsText(trevisk::saveData("\\" + QByteArray(70, 'k') + "\\" + QByteArray(200, 'v') + "\\")),
                 QString(70, u'k') + QLatin1Char('=') + QString(200, u'v'));
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

    // A row is shared whole from its second sight on, which changes nothing a reader sees. A stream
    // of distinct rows fills the pool only so far and takes nothing from the rows already in it.
    void settingsTablePool()
    {
        const QByteArray at(SettingsTable::PooledValueBytes, 'v');
        const QByteArray answer = "\\p_one\\1\\p_at\\" + at + "\\p_over\\" + at + "v\\p_caf\\caf\xe9\\p_two\\2\\";
        const SettingsTable first = trevisk::saveData(answer);
        const SettingsTable pooled = trevisk::saveData(answer);
        QCOMPARE(settingsText(pooled),
                 QString::fromUtf8("p_one=1|p_at=" + at + "|p_over=" + at + "v|p_caf=caf\u00e9|p_two=2"));
        QCOMPARE(pooled, first);
        QVERIFY(pooled != trevisk::saveData(QByteArray(answer).replace("\\2\\", "\\3\\")));
        // Four rows of two bytes at most; exactly the one over the length written out.
        QVERIFY(pooled.byteSize() > at.size() + 1 && pooled.byteSize() <= 4 * 2 + 4 + at.size() + 1);

        const auto pooledOnSecondSight = [](const char* name) {
            SettingsTable seen;
            seen.appendBytes(name, "12345678");
            SettingsTable again;
            again.appendBytes(name, "12345678");
            return again.byteSize() < seen.byteSize();
        };
        const auto flood = [](const char* prefix, int names, int values, int times) {
            SettingsTable table;
            for (int name = 0; name < names; ++name) {
                for (int i = 0; i < values * times; ++i)
                    table.appendBytes(prefix + QByteArray::number(name), QByteArray::number(i / times));
            }
            return table;
        };
        // Rows seen once each take nothing; every value twice, as a hostile server may send them,
        // takes a name's share and then the rest.
        flood("p_once", 40, 300, 1);
        QVERIFY(pooledOnSecondSight("p_new"));
        const SettingsTable one = flood("p_flood", 1, 300, 2);
        QCOMPARE(one.at(599), (ServerSetting{QStringLiteral("p_flood0"), QStringLiteral("299")}));
        QVERIFY(!pooledOnSecondSight("p_flood0"));
        QVERIFY(pooledOnSecondSight("p_other"));
        const SettingsTable many = flood("p_flood", 40, 300, 2);
        QCOMPARE(many.size(), size_t(24000));
        QCOMPARE(many.at(23999), (ServerSetting{QStringLiteral("p_flood39"), QStringLiteral("299")}));
        QVERIFY(!pooledOnSecondSight("p_late")); // the pool is full
        const SettingsTable after = trevisk::saveData(answer);
        QCOMPARE(after.byteSize(), pooled.byteSize());
        QCOMPARE(after, first);
    }

    void getQ3Players()
    {
        // Game, player lines, the players read.
        const char* const cases[][3] = {
            // Colour codes stripped, a friend matched on the raw name.
            {"Quake 3", "12 48 \"^1Bra^7vo\"\n3 0 \" ^4Bravo \"\n", "Bravo,12,48; Bravo ,3,0,friend"},
            {"Quake 2", "5 80 \"A\x01^1b\"\n", "A^1b,5,80"},     // control bytes
            {"Quake 3", "1 2 \"a\"\nxyz\n3 4 \"b\"\n", "a,1,2"}, // a line without a space ends the list
            {"Quake 3", "1 2 \"a\"\n3 4 \"b\n", "a,1,2"},        // so does an unclosed name
            {"Soldier of Fortune 2", "7 60 2 \"^4Bravo\"\n7 60\n", "Bravo,7,60,friend"}, // three numbers
        };
        for (const auto& [game, lines, expected] : cases) {
            const PlayerTable players = trevisk::getQ3Players(QuakeInfo + lines, QString::fromLatin1(game), Friends);
            QCOMPARE(playersText(players), QString::fromLatin1(expected));
        }
        // A broken line refuses the whole list.
        const auto result = getPlayers(QuakeInfo + "1 17 5 120 \"a\" \"\" 0 0\n2 3 \"b\"\n", Friends);
        QVERIFY(!result.players);
        QCOMPARE(result.error->procedure, QStringLiteral("GetPlayers()"));
    }

    void getUnrealPlayers()
    {
        const std::tuple<const char*, const char*, qint32> cases[] = {
            // A missing player keeps its row.
            {"\\numplayers\\3\\player_0\\Bravo\\frags_0\\5\\ping_0\\40\\player_2\\c\\ping_2\\9\\",
             "Bravo,5,40,friend;[MISSING DATA],N/A,N/A;c,N/A,9",
             0},
            {"\\numplayers\\two\\player_0\\a\\player_1\\b\\", "none", NotANumber},
            {"\\numplayers\\2000000000\\player_0\\a\\", "none", CountTooLarge},
            {"\\numplayers\\3\\player_0\\\\", "none", CountTooLarge}, // more than ten bytes each allow
        };
        for (const auto& [answer, expected, error] : cases) {
            const auto result = trevisk::getUnrealPlayers(answer, Friends);
            QCOMPARE(playersText(result.players), QString::fromLatin1(expected));
            QCOMPARE(result.error ? result.error->number : 0, error);
        }
        // Player values are found through an index; it must give what one key lookup per value gives.
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
