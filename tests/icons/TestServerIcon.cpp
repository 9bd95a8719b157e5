#include "core/Settings.h"
#include "icons/ServerIcon.h"
#include "store/Stores.h"

#include <QTest>

using namespace trevisk;

class TestServerIcon : public QObject
{
    Q_OBJECT
private slots:
    // Count, "NA", sizes and colours as the tray shows them, and "!" where an update plays the activity
    // sound: the first count is no change; then 0 -> some plays once, until the count was 0 again, and
    // a time-out (-1 here) in between leaves the previous count alone. An empty player table shows
    // the normal colour whatever friends count it is given.
    void textSizeColourAndActivity()
    {
        const IconColours colours{1, 2, 3, 4};
        ServerIcon icon;
        icon.loadServer(QStringLiteral("127.0.0.1:27960"), QString(), QStringLiteral("Quake 3"), QString());
        QStringList shown;
        for (const auto& [players, friends] : {std::pair(9, 0), {10, 1}, {0, 3}, {-1, 0}, {1, 0}, {3, 0}}) {
            const bool played = players >= 0 && icon.update(players, friends, QStringLiteral("q3dm17"));
            if (players < 0)
                icon.setTimeOut();
            shown << QStringLiteral("%1|%2|%3").arg(icon.text()).arg(icon.pointSize()).arg(icon.textColour(colours))
                         + (played ? QStringLiteral("!") : QString());
        }
        QCOMPARE(shown.join(QLatin1Char(' ')), QStringLiteral("9 |28|3 10|26|2 0 |28|3 NA|26|4 1 |28|3! 3 |28|3"));
    }

    void tip()
    {
        ServerIcon icon;
        icon.loadServer(QStringLiteral("127.0.0.1:7777"), QString(), QStringLiteral("Unreal Tournament"), QString());
        icon.update(2, 1, QStringLiteral("DM-Deck16"));
        QCOMPARE(icon.tip(), QStringLiteral("127.0.0.1:7777...\r\nUT (1 friends) Map: DM-Deck16"));
        icon.loadServer(icon.address(),
                        QStringLiteral("A server name longer than twenty-five"),
                        QStringLiteral("Quake 3"),
                        QStringLiteral("q3dm6"));
        QCOMPARE(icon.tip(), QStringLiteral("A server name longer than...\r\nQuake 3 (1 friends) Map: q3dm6"));
        // A state other than up is named, a bad answer with its reason shown on one line.
        icon.setState(ServerState::BadAnswer, QStringLiteral("maximum -4 is impossible\n"));
        QVERIFY(icon.tip().endsWith(QStringLiteral("q3dm6\r\nbad answer: maximum -4 is impossible\uFFFD")));
        icon.setState(ServerState::Refused, {});
        QVERIFY(icon.tip().endsWith(QStringLiteral("q3dm6\r\nrefused")));
        icon.setState(ServerState::Up, {});
        QVERIFY(icon.tip().endsWith(QStringLiteral("q3dm6")));
    }

    void coloursFromTheRecordElseTheSettings()
    {
        Stores stores;
        ServerRecord record;
        record.address = QStringLiteral("127.0.0.1:1");
        record.iconBack = 10;
        record.iconOff = 40;
        stores.servers.rows.push_back(record);
        AppSettings settings;
        QCOMPARE(iconColoursFor(stores, settings, QStringLiteral("127.0.0.1:1")),
                 (IconColours{10, settings.icons.friendColour, settings.icons.normal, 40}));
        QCOMPARE(iconColoursFor(stores, settings, QStringLiteral("127.0.0.1:2")), settings.icons);
    }
};

QTEST_GUILESS_MAIN(TestServerIcon)
#include "TestServerIcon.moc"
