#include "core/Catalogue.h"

#include <QTest>

using namespace trevisk;

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void rowsInOrder()
    {
        QCOMPARE(games().size(), size_t(31));
        QCOMPARE(games().front().game, QStringLiteral("Quake 2"));
        QCOMPARE(games().back().game, QStringLiteral("Postal 2: Share the Pain"));
    }

    void lookups()
    {
        QCOMPARE(getEngine(QStringLiteral("Halo 2")), QString());
        QCOMPARE(getEngine(QStringLiteral("halo")), QString());
        QCOMPARE(getQuery(QStringLiteral("Alien vs. Predator 2")), QStringLiteral("-1"));
        QCOMPARE(getQuery(QStringLiteral("Nothing")), QString());
        QCOMPARE(defaultPort(QStringLiteral("Global Operations")), QStringLiteral("28672"));
        QCOMPARE(defaultPort(QStringLiteral("Nothing")), QStringLiteral("27910"));
    }

    void sortedListIgnoresCase()
    {
        const QStringList list = sortedGameList();
        QCOMPARE(list.size(), 31);
        QCOMPARE(list.mid(0, 3),
                 (QStringList{QStringLiteral("Alien vs. Predator 2"),
                              QStringLiteral("America's Army: Ops"),
                              QStringLiteral("Battlefield 1942")}));
        QVERIFY(list.indexOf(QStringLiteral("Raven Shield")) < list.indexOf(QStringLiteral("RTCW")));
    }

    void queryPortRule_data()
    {
        QTest::addColumn<QString>("game");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("explicitPort");
        QTest::addColumn<int>("expected");
        QTest::newRow("Q2 game port") << "Quake 2"
                                      << "h:27910" << 0 << 27910;
        QTest::newRow("UT plus one") << "Unreal Tournament"
                                     << "h:7777" << 0 << 7778;
        QTest::newRow("UT2003 plus ten") << "Unreal Tournament 2003"
                                         << "h:7777" << 0 << 7787;
        QTest::newRow("RVS plus thousand") << "Raven Shield"
                                           << "h:7777" << 0 << 8777;
        QTest::newRow("-1 keeps the game port") << "Alien vs. Predator 2"
                                                << "h:27888" << 0 << 27888;
        QTest::newRow("fixed port") << "Battlefield 1942"
                                    << "h:14567" << 0 << 23000;
        QTest::newRow("no colon") << "Quake 2"
                                  << "h" << 0 << 27910;
        QTest::newRow("no colon, UT") << "Unreal"
                                      << "h" << 0 << 27911;
        QTest::newRow("explicit wins") << "Battlefield 1942"
                                       << "h:14567" << 4000 << 4000;
        QTest::newRow("unknown game") << "Nothing"
                                      << "h:1234" << 0 << 1234;
    }

    void queryPortRule()
    {
        QFETCH(QString, game);
        QFETCH(QString, address);
        QFETCH(int, explicitPort);
        QFETCH(int, expected);
        QCOMPARE(queryPort(game, address, explicitPort), expected);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "TestCatalogue.moc"
