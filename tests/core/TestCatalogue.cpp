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

    void queryPortRule()
    {
        const struct
        {
            const char *game, *address;
            int explicitPort, expected;
        } cases[] = {
            {"Quake 2", "h:27910", 0, 27910},
            {"Unreal Tournament", "h:7777", 0, 7778},      // plus one
            {"Unreal Tournament 2003", "h:7777", 0, 7787}, // plus ten
            {"Raven Shield", "h:7777", 0, 8777},           // plus a thousand
            {"Alien vs. Predator 2", "h:27888", 0, 27888}, // -1 keeps the game port
            {"Battlefield 1942", "h:14567", 0, 23000},     // a fixed port
            {"Quake 2", "h", 0, 27910},                    // no colon
            {"Unreal", "h", 0, 27911},
            {"Unreal Tournament", "[::1]:7777", 0, 7778},
            {"Battlefield 1942", "h:14567", 4000, 4000}, // the explicit one wins
            {"Nothing", "h:1234", 0, 1234},              // an unknown game
        };
        for (const auto& [game, address, explicitPort, expected] : cases)
            QVERIFY2(queryPort(QString::fromLatin1(game), QString::fromLatin1(address), explicitPort) == expected,
                     game);
    }

    void addressSplit()
    {
        const struct
        {
            const char* address;
            bool valid;
            const char *host, *port; // port "-" when there is none
        } cases[] = {
            {"127.0.0.1:27960", true, "127.0.0.1", "27960"},
            {"name.example:1", true, "name.example", "1"},
            {"h", true, "h", "-"},
            {"h:", true, "h", ""},
            {"[::1]:27960", true, "::1", "27960"},
            {"[2001:db8::5]:27960", true, "2001:db8::5", "27960"},
            {"[::1]", true, "::1", "-"},
            {"[::1]:", true, "::1", ""},
            {"::1", true, "::1", "-"},
            // Without brackets every colon belongs to the host: never ::1 on port 27960.
            {"::1:27960", true, "::1:27960", "-"},
            {"[::1", false, "", "-"},
            {"[::1]x", false, "", "-"},
            {"[::1]27960", false, "", "-"},
            {"[]:5", true, "", "5"},
        };
        for (const auto& [text, valid, host, port] : cases) {
            const QString address = QString::fromLatin1(text);
            const HostPort split = splitAddress(address);
            QVERIFY2(split.valid == valid, text);
            QCOMPARE(split.host, QString::fromLatin1(host));
            QCOMPARE(split.hasPort ? split.port : QStringLiteral("-"), QString::fromLatin1(port));
            QCOMPARE(hostPart(address), QString::fromLatin1(host));
            if (valid && split.hasPort && *host) {
                QCOMPARE(gamePortText(address), QString::fromLatin1(port));
                QCOMPARE(joinAddress(QString::fromLatin1(host), QString::fromLatin1(port)), address);
            }
        }
    }

    void ipv6Hosts()
    {
        for (const char* host : {"::1", "2001:DB8::5"})
            QVERIFY2(isIPv6Host(QString::fromLatin1(host)), host);
        for (const char* host : {"fe80::1%eth0", "::1:27960", " ::1", "127.0.0.1"})
            QVERIFY2(!isIPv6Host(QString::fromLatin1(host)), host);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "TestCatalogue.moc"
