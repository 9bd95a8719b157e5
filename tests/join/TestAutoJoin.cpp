#include "support/MonitorFixture.h"

using namespace trevisk;

namespace {

// "Join Anyways" on a full server: the launch comes at once, without asking the server first.
void joinAnyways(MonitorFixture& f, const QString& address, const QString& game)
{
    f.prompter.choices << 1;
    f.monitor->autoJoin().join(false, address, game, {1, 1});
}

} // namespace

class TestAutoJoin : public QObject
{
    Q_OBJECT
private slots:
    // Counts that were never reported are not "full": the join goes ahead, and an armed
    // auto-join waits for numbers.
    void unknownCountsAreNotFull()
    {
        MonitorFixture f;
        f.setQuake3Path();
        SimServer& silent = f.addServer(QStringLiteral("Quake 3"));
        f.setAnswering(silent, false);
        f.start();
        QVERIFY(f.settle());
        f.monitor->updateJoin(silent.address());
        QVERIFY(f.refresh(silent));
        QVERIFY(f.launcher.launches.isEmpty());
        // The join asks the server once more; a server that does not answer is not joined.
        f.monitor->joinServer(false, silent.address(), QStringLiteral("Quake 3"));
        QTRY_COMPARE(
            f.prompter.texts(),
            QStringList{silent.address() + QStringLiteral(" did not answer just now: the game was not started.")});
        QVERIFY(f.launcher.launches.isEmpty());

        f.prompter.choices << 0;
        f.monitor->autoJoin().join(false, silent.address(), QStringLiteral("Quake 3"), {3, 3});
        QVERIFY(f.monitor->isAutoJoin(silent.address()));
        QCOMPARE(f.windows.flags.last(), silent.address() + QStringLiteral(" on"));
        f.setAnswering(silent, true);
        f.monitor->autoJoin().join(false, silent.address(), QStringLiteral("Quake 3"), {2, 3});
        QVERIFY(!f.monitor->isAutoJoin(silent.address()));
        QTRY_COMPARE(f.launcher.launches.size(), 1);
    }

    // A join asks the server first: one that went full since its last answer gets the full-server
    // question. Armed, the auto-join fires once, when a slot frees and is still free when asked again.
    void autoJoinWaitsForAFreeSlot()
    {
        MonitorFixture f;
        f.setQuake3Path(QStringLiteral("+set fs_game \"osp mod\""));
        SimServer& full = f.addServer(QStringLiteral("Quake 3"), 3);
        full.state().maxPlayers = 4;
        SimServer& other = f.addServer(QStringLiteral("Quake 3"), 1);
        f.start();
        QVERIFY(f.settle());

        full.state().players.push_back(SimPlayer{"late", 0, 0, 0});
        f.prompter.choices << 2;
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QTRY_COMPARE(f.prompter.texts(), QStringList{QStringLiteral("Auto Join|The server is full.")});
        QVERIFY(f.launcher.launches.isEmpty());

        // Arming one server disarms the others.
        f.monitor->updateJoin(other.address());
        f.windows.flags.clear();
        f.prompter.choices << 0;
        f.monitor->joinServer(false, full.address(), QStringLiteral("Quake 3"));
        QVERIFY(f.monitor->isAutoJoin(full.address()));
        QVERIFY(!f.monitor->isAutoJoin(other.address()));
        QCOMPARE(f.windows.flags, (QStringList{QStringLiteral("all off"), full.address() + QStringLiteral(" on")}));

        // A slot frees and is taken again before the check: still armed.
        full.state().players.pop_back();
        QVERIFY(f.refresh(full));
        // The check's query is on its way; the simulated server answers it only once this test waits.
        QVERIFY(f.monitor->autoJoin().isChecking(full.address()));
        full.state().players.push_back(SimPlayer{"quick", 0, 0, 0});
        QTRY_VERIFY(!f.monitor->autoJoin().isChecking(full.address()));
        QVERIFY(f.launcher.launches.isEmpty());
        QVERIFY(f.monitor->isAutoJoin(full.address()));

        full.state().players.pop_back();
        QVERIFY(f.refresh(full));
        QTRY_COMPARE(f.launcher.launches.size(), 1);
        QCOMPARE(f.launcher.launches.first().join(QLatin1Char('|')),
                 QStringLiteral("/q3/quake3|/q3|+set|fs_game|osp mod|+connect|") + full.address());
        QVERIFY(!f.monitor->isAutoJoin(full.address()));
        QVERIFY(f.refresh(full));
        QCOMPARE(f.launcher.launches.size(), 1);
    }

    void launchCommandLines()
    {
        MonitorFixture f;
        // Ports nothing listens on: the queries are refused on this machine.
        for (const char* game : {"Unreal Tournament", "Battlefield 1942", "Half Life"})
            f.listServer(QStringLiteral("127.0.0.1:%1").arg(f.context.stores.servers.rows.size() + 1),
                         QString::fromLatin1(game));
        f.listServer(QStringLiteral("[::1]:4"), QStringLiteral("Unreal Tournament"));
        f.context.stores.gamePaths.rows = {
            {QStringLiteral("Unreal Tournament"),
             QStringLiteral("C:\\UT\\System\\UnrealTournament.exe"),
             QStringLiteral("-log"),
             {}},
            {QStringLiteral("Battlefield 1942"), QStringLiteral("/bf/bf1942"), QString(), {}},
            {QStringLiteral("Half Life"), QString(), QString(), {}}};
        f.start();
        joinAnyways(f, QStringLiteral("127.0.0.1:1"), QStringLiteral("Unreal Tournament"));
        joinAnyways(f, QStringLiteral("127.0.0.1:2"), QStringLiteral("Battlefield 1942"));
        QCOMPARE(f.launcher.launches.size(), 2);
        QCOMPARE(f.launcher.launches[0].join(QLatin1Char('|')),
                 QStringLiteral("C:\\UT\\System\\UnrealTournament.exe|C:\\UT\\System|127.0.0.1:1|-log"));
        QCOMPARE(f.launcher.launches[1].join(QLatin1Char('|')),
                 QStringLiteral("/bf/bf1942|/bf|+isInternet|1|+restart|1|+joinServer|127.0.0.1:2"));
        // The games that speak IPv6 take its address in brackets, as it is listed.
        joinAnyways(f, QStringLiteral("[::1]:4"), QStringLiteral("Unreal Tournament"));
        QCOMPARE(f.launcher.launches.takeLast().join(QLatin1Char('|')),
                 QStringLiteral("C:\\UT\\System\\UnrealTournament.exe|C:\\UT\\System|[::1]:4|-log"));
        joinAnyways(f, QStringLiteral("127.0.0.1:3"), QStringLiteral("Half Life"));
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("Location of Half Life has not been configured!"));
        f.launcher.succeed = false;
        joinAnyways(f, QStringLiteral("127.0.0.1:2"), QStringLiteral("Battlefield 1942"));
        QCOMPARE(f.prompter.texts().last(), QStringLiteral("Battlefield 1942 could not be started from /bf/bf1942"));
    }
};

QTEST_GUILESS_MAIN(TestAutoJoin)
#include "TestAutoJoin.moc"
