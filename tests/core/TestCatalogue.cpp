#include "core/Catalogue.h"

#include <QTest>

using namespace trevisk;

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void sortedListIgnoresCase()
    {
        const QStringList list = sortedGameList();
        QCOMPARE(list.size(), qsizetype(games().size()));
        QVERIFY(std::is_sorted(list.cbegin(), list.cend(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
        QVERIFY(list.indexOf(QStringLiteral("Raven Shield")) < list.indexOf(QStringLiteral("RTCW")));
    }

    void queryPortRule_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("explicitPort");
        QTest::addColumn<int>("expected");
        const auto row = [](const char* name, const char* game, const char* address, int explicitPort, int expected) {
            QTest::newRow(name) << QString::fromLatin1(game) << QString::fromLatin1(address) << explicitPort
                                << expected;
        };
        row("Q2 game port", "Quake 2", "h:27910", 0, 27910);
        row("UT plus one", "Unreal Tournament", "h:7777", 0, 7778);
        row("UT2003 plus ten", "Unreal Tournament 2003", "h:7777", 0, 7787);
        row("RVS plus thousand", "Raven Shield", "h:7777", 0, 8777);
        row("-1 keeps the game port", "Alien vs. Predator 2", "h:27888", 0, 27888);
        row("fixed port", "Battlefield 1942", "h:14567", 0, 23000);
        row("no colon", "Quake 2", "h", 0, 27910);
        row("no colon, UT", "Unreal", "h", 0, 27911);
        row("explicit wins", "Battlefield 1942", "h:14567", 4000, 4000);
        row("unknown game", "Nothing", "h:1234", 0, 1234);
    }

    void queryPortRule()
    {
        QFETCH(QString, game);
        QFETCH(QString, address);
        QFETCH(int, explicitPort);
        QFETCH(int, expected);
        QCOMPARE(queryPort(game, address, explicitPort), expected);
    }

    void addressSplit_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port"); // "-" when there is none
        const auto row = [](const char* address, bool valid, const char* host, const char* port) {
            QTest::newRow(address) << QString::fromLatin1(address) << valid << QString::fromLatin1(host)
                                   << QString::fromLatin1(port);
        };
        row("127.0.0.1:27960", true, "127.0.0.1", "27960");
        row("name.example:1", true, "name.example", "1");
        row("h", true, "h", "-");
        row("h:", true, "h", "");
        row("[::1]:27960", true, "::1", "27960");
        row("[2001:db8::5]:27960", true, "2001:db8::5", "27960");
        row("[::1]", true, "::1", "-");
        row("[::1]:", true, "::1", "");
        row("::1", true, "::1", "-");
        // Without brackets every colon belongs to the host: never ::1 on port 27960.
        row("::1:27960", true, "::1:27960", "-");
        row("[::1", false, "", "-");
        row("[::1]x", false, "", "-");
        row("[::1]27960", false, "", "-");
        row("[]:5", true, "", "5");
    }

    void addressSplit()
    {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QFETCH(QString, host);
        QFETCH(QString, port);
        const HostPort split = splitAddress(address);
        QCOMPARE(split.valid, valid);
        QCOMPARE(split.host, host);
        QCOMPARE(split.hasPort ? split.port : QStringLiteral("-"), port);
        QCOMPARE(hostPart(address), host);
        if (valid && split.hasPort && !host.isEmpty()) {
            QCOMPARE(gamePortText(address), port);
            QCOMPARE(joinAddress(host, port), address);
        }
    }

    void ipv6Hosts()
    {
        QVERIFY(isIPv6Host(QStringLiteral("::1")));
        QVERIFY(isIPv6Host(QStringLiteral("2001:DB8::5")));
        QVERIFY(!isIPv6Host(QStringLiteral("fe80::1%eth0")));
        QVERIFY(!isIPv6Host(QStringLiteral("::1:27960")));
        QVERIFY(!isIPv6Host(QStringLiteral(" ::1")));
        QVERIFY(!isIPv6Host(QStringLiteral("127.0.0.1")));
        QCOMPARE(queryPort(QStringLiteral("Unreal Tournament"), QStringLiteral("[::1]:7777")), 7778);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "TestCatalogue.moc"
