#include "players/FriendList.h"
#include "players/PlayerTesting.h"
#include "query/engines/AnswerText.h"
#include "query/engines/QuakeProtocol.h"
#include "query/engines/RavenShieldProtocol.h"
#include "query/engines/UnrealProtocol.h"

#include <QTest>

using namespace trevisk;

namespace {

const FriendList Friends{{QStringLiteral("bravo")}};
const QByteArray QuakeInfo("\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\x\\mapname\\m\n");

} // namespace

class TestParsers : public QObject
{
    Q_OBJECT
private slots:
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
    }

    void saveData()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, expected);
        QCOMPARE(settingsText(trevisk::saveData(answer)), expected);
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
        QTest::newRow("no numplayers") << QByteArray("\\player_0\\a\\") << "none" << 0;
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

QTEST_APPLESS_MAIN(TestParsers)
#include "TestParsers.moc"
