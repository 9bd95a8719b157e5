#include "core/Catalogue.h"
#include "sim/SimPlan.h"

#include <QTest>

#include <set>

using namespace trevisk;

class TestSimPlan : public QObject
{
    Q_OBJECT
private slots:
    // Every listed address leads a monitor to the port the server binds, and no two servers
    // bind the same one, with Raven Shield a thousand ports up.
    void everyEngineTogether()
    {
        const SimPlan plan = SimPlan::make(
            [] {
                QStringList games;
                for (const QString& engine : SimPlan::engines())
                    games += SimPlan::representativeGame(engine);
                return games;
            }(),
            20000,
            3);
        QVERIFY2(plan.error.isEmpty(), qPrintable(plan.error));
        QCOMPARE(plan.servers.size(), size_t(27));
        QVERIFY(plan.warnings.isEmpty());
        std::set<int> bound;
        std::set<int> gamePorts;
        for (const SimServerSpec& s : plan.servers) {
            QCOMPARE(queryPort(s.game, s.address()), int(s.queryPort));
            QCOMPARE(s.host, QHostAddress(QHostAddress::LocalHost));
            QVERIFY(s.number >= 1 && s.number <= 3);
            QVERIFY2(bound.insert(s.queryPort).second, qPrintable(s.address()));
            gamePorts.insert(s.gamePort);
        }
        QCOMPARE(gamePorts.size(), size_t(27));
        QCOMPARE(plan.servers.back().game, QStringLiteral("Raven Shield"));
    }

    void fixedQueryPortsGetTheirOwnAddresses()
    {
        const SimPlan plan = SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 3);
        QVERIFY(plan.error.isEmpty());
        QStringList addresses;
        for (const SimServerSpec& s : plan.servers) {
            QCOMPARE(s.queryPort, quint16(12300));
            addresses += s.address();
        }
        QCOMPARE(addresses.join(QLatin1Char(' ')), QStringLiteral("127.0.0.2:12203 127.0.0.3:12204 127.0.0.4:12205"));

        // A game queried on its game port, though its engine would add one.
        const SimPlan avp = SimPlan::make({QStringLiteral("Alien vs. Predator 2")}, 27888, 2);
        QCOMPARE(avp.servers.at(1).queryPort, quint16(27889));
        QCOMPARE(avp.servers.at(1).address(), QStringLiteral("127.0.0.1:27889"));
    }

    void unservablePlans()
    {
        // One IPv6 loopback address: one server of a fixed query port at most.
        const QHostAddress six(QHostAddress::LocalHostIPv6);
        const SimPlan one = SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 1, six);
        QVERIFY(one.error.isEmpty());
        QCOMPARE(one.servers.at(0).address(), QStringLiteral("[::1]:12203"));
        QVERIFY(!SimPlan::make({QStringLiteral("Medal of Honor")}, 12203, 2, six).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Medal of Honor")}, 0, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Raven Shield")}, 64600, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 3")}, 65530, 10).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 4")}, 27960, 1).error.isEmpty());
        QVERIFY(!SimPlan::make({QStringLiteral("Quake 3")}, 40000, 1).warnings.isEmpty());
        // Ephemeral ports leave the game port to be found once bound.
        const SimPlan ephemeral = SimPlan::make({QStringLiteral("Quake 3")}, 0, 2);
        QVERIFY(ephemeral.error.isEmpty());
        QCOMPARE(ephemeral.servers.at(1).queryPort, quint16(0));
    }
};

QTEST_GUILESS_MAIN(TestSimPlan)
#include "TestSimPlan.moc"
